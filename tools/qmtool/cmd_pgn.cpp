// qmtool pgn: reading, checking and rewriting PGN files.
// qmtool-libs: qm_game qm_rules
#include "Registry.h"

#include "game/GameCompare.h"
#include "game/PgnReader.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace qmtool {

namespace {

struct CInput {
    std::ifstream stream;
    std::vector<char> buffer = std::vector<char>(1 << 16);
};

// Opens FILE for reading; prints the reason and returns false when it
// cannot.
bool openInput(const std::string& path, CInput& in)
{
    in.stream.rdbuf()->pubsetbuf(in.buffer.data(), std::streamsize(in.buffer.size()));
    in.stream.open(path, std::ios::binary);
    if (!in.stream) {
        std::fprintf(stderr, "qmtool: cannot open %s\n", path.c_str());
        return false;
    }
    return true;
}

// Calls f(number, offset, game) for every game of the file read with
// readGame, game after game by the reported next offset (game is empty for
// a failed game).
template <class F>
void forEachGame(std::istream& in, F&& f)
{
    qm::CPgnReader reader;
    std::int64_t offset = 0, next = 0;
    long long number = 0;
    for (;;) {
        std::unique_ptr<qm::CGame> game;
        const bool ok = reader.readGame(in, offset, next, game);
        if (!ok && reader.endOfInput())
            break;
        f(++number, offset, ok ? game.get() : nullptr);
        offset = next;
    }
}

int check(const Args& args)
{
    if (args.size() != 1)
        return usageError("pgn check FILE", args.empty() ? "no file given" : "too many arguments");
    CInput in;
    if (!openInput(args[0], in))
        return 1;
    long long games = 0, parsed = 0, failed = 0, nodes = 0;
    forEachGame(in.stream, [&](long long n, std::int64_t offset, qm::CGame* game) {
        ++games;
        if (!game) {
            ++failed;
            std::printf("game %lld at offset %lld: could not parse\n", n, static_cast<long long>(offset));
            return;
        }
        ++parsed;
        nodes += qm::countNodes(*game->root()) - 1;
    });
    std::printf("games %lld, parsed %lld, failed %lld, nodes %lld\n", games, parsed, failed, nodes);
    return failed ? 1 : 0;
}

int write(const Args& args)
{
    static const char* usage = "pgn write FILE [--width N]";
    std::string path;
    long long width = 75;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--width") {
            if (i + 1 >= args.size() || !parseInt(args[i + 1], 1, 100000, width))
                return usageError(usage, "--width needs a number from 1 to 100000");
            ++i;
        } else if (path.empty()) {
            path = args[i];
        } else {
            return usageError(usage, "too many arguments");
        }
    }
    if (path.empty())
        return usageError(usage, "no file given");
    CInput in;
    if (!openInput(path, in))
        return 1;
    long long failed = 0;
    forEachGame(in.stream, [&](long long n, std::int64_t offset, qm::CGame* game) {
        if (!game) {
            ++failed;
            std::fprintf(stderr, "game %lld at offset %lld: could not parse\n", n, static_cast<long long>(offset));
            return;
        }
        game->setOutputOptions(int(width), true, true, true, true, false);
        const std::string text = game->toText();
        std::fwrite(text.data(), 1, text.size(), stdout);
    });
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? (failed ? 1 : 0) : 1;
}

int scan(const Args& args)
{
    if (args.size() != 1)
        return usageError("pgn scan FILE", args.empty() ? "no file given" : "too many arguments");
    CInput in;
    if (!openInput(args[0], in))
        return 1;
    qm::CPgnReader reader;
    std::int64_t offset = 0, next = 0;
    long long games = 0;
    std::unique_ptr<qm::CGame> game;
    while (reader.scanGame(in.stream, offset, next, game)) {
        ++games;
        offset = next;
    }
    std::printf("games %lld\n", games);
    return 0;
}

// Writes every parsed game and reads the text back; reports games whose
// tree comes back different.
int roundtrip(const Args& args)
{
    if (args.size() != 1)
        return usageError("pgn roundtrip FILE", args.empty() ? "no file given" : "too many arguments");
    CInput in;
    if (!openInput(args[0], in))
        return 1;
    qm::CPgnReader again;
    long long games = 0, parsed = 0, differ = 0;
    forEachGame(in.stream, [&](long long n, std::int64_t offset, qm::CGame* game) {
        ++games;
        if (!game)
            return;
        ++parsed;
        game->setOutputOptions(qm::DatabaseOutputOptions);
        std::istringstream text(game->toText());
        std::unique_ptr<qm::CGame> back;
        std::int64_t next = 0;
        std::string why = "the written game does not read back";
        if (!again.readGame(text, 0, next, back) || !qm::sameTree(*game, *back, &why)) {
            ++differ;
            std::printf("game %lld at offset %lld: %s\n", n, static_cast<long long>(offset), why.c_str());
        }
    });
    std::printf("games %lld, parsed %lld, differ %lld\n", games, parsed, differ);
    return differ ? 1 : 0;
}

} // namespace

void registerCommands_pgn(Registry& r)
{
    r.add({"pgn", "check"}, "FILE", check);
    r.add({"pgn", "write"}, "FILE [--width N]", write);
    r.add({"pgn", "scan"}, "FILE", scan);
    r.add({"pgn", "roundtrip"}, "FILE", roundtrip);
}

} // namespace qmtool
