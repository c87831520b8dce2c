// qmtool db: the game database from the command line.
// qmtool-libs: qm_database qm_game qm_rules
#include "Registry.h"

#include "database/Database.h"
#include "game/Game.h"
#include "game/PgnReader.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace qmtool {

namespace {

using qm::CDatabase;
using qm::CGame;
using qm::CPgnReader;

// Prints the database's error text and returns the failure status 1.
int failure(const CDatabase& db)
{
    std::int32_t code = 0;
    std::string text;
    db.getError(code, text);
    std::fprintf(stderr, "qmtool: %s\n", text.empty() ? "operation failed" : text.c_str());
    return 1;
}

int failure(const std::string& text)
{
    std::fprintf(stderr, "qmtool: %s\n", text.c_str());
    return 1;
}

// The first game of a PGN file, read completely, with the options database
// files are written with.
std::unique_ptr<CGame> readGameFile(const std::string& name, std::string& problem)
{
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        problem = "File not found " + name;
        return nullptr;
    }
    CPgnReader reader;
    std::int64_t next = 0;
    std::unique_ptr<CGame> game;
    if (!reader.readGame(in, 0, next, game) || !game) {
        problem = "Could not parse game! " + name;
        return nullptr;
    }
    game->setOutputOptions(qm::DatabaseOutputOptions);
    return game;
}

// Opens the database, checks that it has game n (0-based; text is the
// number as given) and runs action on it; the exit status.
int withGame(const std::string& file, const std::string& text, std::int64_t n,
             const std::function<int(CDatabase&)>& action)
{
    CPgnReader reader;
    CDatabase db(reader);
    if (!db.open(file))
        return failure(db);
    if (std::uint64_t(n) >= db.entries().size())
        return failure("no game " + text + " in " + file + " (games " + std::to_string(db.entries().size()) + ")");
    return action(db);
}

const char* const ListUsage =
    "db list FILE [--white T] [--black T] [--ignore-colour] [--event T] [--from Y] [--to Y] [--eco T] "
    "[--result R,...]";

int runList(const Args& args)
{
    if (args.empty())
        return usageError(ListUsage, "no database file given");
    qm::CSearchFilter criteria;
    criteria.ignoreColour = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--ignore-colour") {
            criteria.ignoreColour = 1;
            continue;
        }
        std::string* text = option == "--white"   ? &criteria.white
                            : option == "--black" ? &criteria.black
                            : option == "--event" ? &criteria.event
                            : option == "--from"  ? &criteria.yearFrom
                            : option == "--to"    ? &criteria.yearTo
                            : option == "--eco"   ? &criteria.eco
                                                  : nullptr;
        if (!text && option != "--result")
            return usageError(ListUsage, "unknown option '" + option + "'");
        if (i + 1 >= args.size())
            return usageError(ListUsage, "option " + option + " needs a value");
        const std::string& value = args[++i];
        if (text) {
            *text = value;
            continue;
        }
        std::size_t pos = 0;
        while (pos <= value.size()) {
            std::size_t comma = value.find(',', pos);
            std::string r = value.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
            if (r == "1-0")
                criteria.whiteWins = 1;
            else if (r == "1/2")
                criteria.draws = 1;
            else if (r == "0-1")
                criteria.blackWins = 1;
            else if (r == "*")
                criteria.unfinished = 1;
            else
                return usageError(ListUsage, "unknown result '" + r + "' (use 1-0, 1/2, 0-1, *)");
            if (comma == std::string::npos)
                break;
            pos = comma + 1;
        }
    }
    CPgnReader reader;
    CDatabase db(reader);
    if (!db.open(args[0]))
        return failure(db);
    std::vector<qm::CDatabaseEntry> matched;
    db.filter(criteria, matched);
    std::string out;
    for (const auto& e : matched) {
        out += std::to_string(e.number + 1);
        for (auto field : {e.white(), e.black(), e.date(), e.event(), e.eco(), e.result()}) {
            out += '\t';
            out += field;
        }
        out += '\n';
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    out += "matched " + std::to_string(matched.size()) + " of " + std::to_string(db.entries().size()) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// The game number argument, counted from 1; 0-based in n.
bool gameNumber(const std::string& text, std::int64_t& n)
{
    long long value = 0;
    if (!parseInt(text, 1, INT32_MAX, value))
        return false;
    n = value - 1;
    return true;
}

} // namespace

void registerCommands_db(Registry& r)
{
    r.add({"db", "index"}, "FILE", [](const Args& args) {
        if (args.size() != 1)
            return usageError("db index FILE", "expected one database file");
        CPgnReader reader;
        CDatabase db(reader);
        if (!db.open(args[0]))
            return failure(db);
        std::printf("games %zu\n", db.entries().size());
        return 0;
    });

    r.add({"db", "list"}, "FILE [options]", runList);

    r.add({"db", "get"}, "FILE N", [](const Args& args) {
        std::int64_t n = 0;
        if (args.size() != 2 || !gameNumber(args[1], n))
            return usageError("db get FILE N", "expected a database file and a game number from 1");
        return withGame(args[0], args[1], n, [n](CDatabase& db) {
            auto game = db.game(n);
            if (!game)
                return failure(db);
            game->setOutputOptions(qm::DatabaseOutputOptions);
            std::string text = game->toText();
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        });
    });

    r.add({"db", "append"}, "FILE GAMEFILE", [](const Args& args) {
        if (args.size() != 2)
            return usageError("db append FILE GAMEFILE", "expected a database file and a game file");
        std::string problem;
        auto game = readGameFile(args[1], problem);
        if (!game)
            return failure(problem);
        CPgnReader reader;
        CDatabase db(reader);
        return db.appendGame(args[0], *game) ? 0 : failure(db);
    });

    r.add({"db", "replace"}, "FILE N GAMEFILE", [](const Args& args) {
        std::int64_t n = 0;
        if (args.size() != 3 || !gameNumber(args[1], n))
            return usageError("db replace FILE N GAMEFILE", "expected a database file, a game number from 1 and a game file");
        std::string problem;
        auto game = readGameFile(args[2], problem);
        if (!game)
            return failure(problem);
        return withGame(args[0], args[1], n,
                        [&](CDatabase& db) { return db.replaceGame(n, *game) ? 0 : failure(db); });
    });

    r.add({"db", "delete"}, "FILE N", [](const Args& args) {
        std::int64_t n = 0;
        if (args.size() != 2 || !gameNumber(args[1], n))
            return usageError("db delete FILE N", "expected a database file and a game number from 1");
        return withGame(args[0], args[1], n, [n](CDatabase& db) { return db.deleteGame(n) ? 0 : failure(db); });
    });
}

} // namespace qmtool
