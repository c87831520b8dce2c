// qmtool pgn: reading, checking and rewriting PGN files.
// qmtool-libs: qm_game qm_rules
#include "Registry.h"

#include "game/GameCompare.h"
#include "game/PgnFileReader.h"
#include "game/PgnReader.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <any>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

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

// The value of a "--jobs N" option, else the machine's processor count.
struct CFileArgs {
    std::string path;
    int jobs = std::max(1, int(std::min(8u, std::thread::hardware_concurrency())));
    long long width = 75;
};

// Parses FILE with "--jobs N" (and "--width N" when allowed); false after a
// usage error was reported in status.
bool parseFileArgs(const Args& args, const char* usage, bool widthAllowed, CFileArgs& out, int& status)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool jobs = args[i] == "--jobs";
        if (jobs || (widthAllowed && args[i] == "--width")) {
            long long value = 0;
            if (i + 1 >= args.size() || !parseInt(args[i + 1], 1, jobs ? 64 : 100000, value)) {
                status = usageError(usage, jobs ? "--jobs needs a number from 1 to 64"
                                                : "--width needs a number from 1 to 100000");
                return false;
            }
            if (jobs)
                out.jobs = int(value);
            else
                out.width = value;
            ++i;
        } else if (out.path.empty()) {
            out.path = args[i];
        } else {
            status = usageError(usage, "too many arguments");
            return false;
        }
    }
    if (out.path.empty()) {
        status = usageError(usage, "no file given");
        return false;
    }
    return true;
}

// Reads every game of the file, in order, as readGame gives them game after
// game by the reported next offset, on `jobs` threads: digest(game) runs on
// the reading threads (game is null for a failed game) and visit(number,
// offset, digest) on this one, in file order. False when the file cannot be
// opened.
template <class Digest, class D, class V>
bool forEachGame(const CFileArgs& a, D&& digest, V&& visit)
{
    qm::PgnFileReadOptions options;
    options.jobs = a.jobs;
    const qm::PgnFileReadResult r = qm::readPgnFile(
        a.path, options, [&](std::int64_t, qm::CGame* game) -> std::any { return Digest(digest(game)); },
        [&](long long number, std::int64_t offset, std::any& d) { visit(number, offset, std::any_cast<Digest&>(d)); });
    if (!r.opened)
        std::fprintf(stderr, "qmtool: cannot open %s\n", a.path.c_str());
    return r.opened;
}

int check(const Args& args)
{
    CFileArgs a;
    int status = 0;
    if (!parseFileArgs(args, "pgn check FILE [--jobs N]", false, a, status))
        return status;
    long long games = 0, parsed = 0, failed = 0, nodes = 0;
    // The digest: the game's move nodes, or -1 for a failed game.
    const bool opened = forEachGame<long long>(
        a, [](qm::CGame* game) { return game ? qm::countNodes(*game->root()) - 1LL : -1LL; },
        [&](long long n, std::int64_t offset, long long gameNodes) {
            ++games;
            if (gameNodes < 0) {
                ++failed;
                std::printf("game %lld at offset %lld: could not parse\n", n, static_cast<long long>(offset));
                return;
            }
            ++parsed;
            nodes += gameNodes;
        });
    if (!opened)
        return 1;
    std::printf("games %lld, parsed %lld, failed %lld, nodes %lld\n", games, parsed, failed, nodes);
    return failed ? 1 : 0;
}

int write(const Args& args)
{
    CFileArgs a;
    int status = 0;
    if (!parseFileArgs(args, "pgn write FILE [--width N] [--jobs N]", true, a, status))
        return status;
    long long failed = 0;
    // The digest: the game's text, or nothing for a failed game.
    const bool opened = forEachGame<std::optional<std::string>>(
        a,
        [&](qm::CGame* game) -> std::optional<std::string> {
            if (!game)
                return std::nullopt;
            game->setOutputOptions(int(a.width), true, true, true, true, false);
            return game->toText();
        },
        [&](long long n, std::int64_t offset, std::optional<std::string>& text) {
            if (!text) {
                ++failed;
                std::fprintf(stderr, "game %lld at offset %lld: could not parse\n", n, static_cast<long long>(offset));
                return;
            }
            std::fwrite(text->data(), 1, text->size(), stdout);
        });
    if (!opened)
        return 1;
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
    CFileArgs a;
    int status = 0;
    if (!parseFileArgs(args, "pgn roundtrip FILE [--jobs N]", false, a, status))
        return status;
    long long games = 0, parsed = 0, differ = 0;
    // The digest: whether the game read, and why its text does not read back
    // ("" when it does).
    using Digest = std::pair<bool, std::string>;
    const bool opened = forEachGame<Digest>(
        a,
        [](qm::CGame* game) -> Digest {
            if (!game)
                return {false, {}};
            thread_local qm::CPgnReader again;
            game->setOutputOptions(qm::DatabaseOutputOptions);
            std::istringstream text(game->toText());
            std::unique_ptr<qm::CGame> back;
            std::int64_t next = 0;
            std::string why = "the written game does not read back";
            if (again.readGame(text, 0, next, back) && qm::sameTree(*game, *back, &why))
                why.clear();
            return {true, why};
        },
        [&](long long n, std::int64_t offset, Digest& d) {
            ++games;
            if (!d.first)
                return;
            ++parsed;
            if (!d.second.empty()) {
                ++differ;
                std::printf("game %lld at offset %lld: %s\n", n, static_cast<long long>(offset), d.second.c_str());
            }
        });
    if (!opened)
        return 1;
    std::printf("games %lld, parsed %lld, differ %lld\n", games, parsed, differ);
    return differ ? 1 : 0;
}

} // namespace

void registerCommands_pgn(Registry& r)
{
    r.add({"pgn", "check"}, "FILE [--jobs N]", check);
    r.add({"pgn", "write"}, "FILE [--width N] [--jobs N]", write);
    r.add({"pgn", "scan"}, "FILE", scan);
    r.add({"pgn", "roundtrip"}, "FILE [--jobs N]", roundtrip);
}

} // namespace qmtool
