// Reading whole files game after game: fixtures named after their quirk,
// the shared real-world files, and a round trip over the large collections.
#include "ReadHelpers.h"

#include "game/GameCompare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using namespace qm;
using namespace qm::test;

namespace {

struct CFileRead {
    std::vector<bool> parsed;            // per game
    std::vector<std::int64_t> offsets;   // where each game started
    long long nodes = 0;
};

// Reads every game of the stream as qmtool pgn check does; stops after
// limit games.
CFileRead readAll(std::istream& in, std::size_t limit = SIZE_MAX,
                  const std::function<void(CGame&)>& each = nullptr)
{
    CFileRead r;
    if (limit == 0)
        return r;
    forEachGameIn(in, [&](std::int64_t offset, std::int64_t next, CGame* game) {
        EXPECT_GT(next, offset);
        r.parsed.push_back(game != nullptr);
        r.offsets.push_back(offset);
        if (game) {
            r.nodes += countNodes(*game->root()) - 1;
            if (each)
                each(*game);
        }
        return r.parsed.size() < limit;
    });
    return r;
}

std::vector<std::int64_t> scanAll(std::istream& in)
{
    CPgnReader reader;
    std::vector<std::int64_t> offsets;
    std::int64_t offset = 0, next = 0;
    std::unique_ptr<CGame> game;
    while (reader.scanGame(in, offset, next, game)) {
        offsets.push_back(offset);
        EXPECT_GT(next, offset);
        offset = next;
    }
    return offsets;
}

std::string fixture(const char* name) { return std::string(QM_TEST_SOURCE_DIR) + "/fixtures/" + name; }

// A written game read back must give the same tree.
void expectRoundTrip(CGame& game)
{
    game.setOutputOptions(DatabaseOutputOptions);
    ReadResult back = readText(game.toText());
    ASSERT_TRUE(back.ok) << back.failure << "\n" << game.toText();
    std::string why;
    EXPECT_TRUE(sameTree(game, *back.game, &why)) << why << "\n" << game.toText();
    EXPECT_EQ(back.game->tags(), game.tags());
}

} // namespace

TEST(PgnFiles, OneBrokenGameNeverTakesTheNextOnesDown)
{
    struct Case {
        const char* file;
        std::vector<bool> parsed;
    };
    const Case cases[] = {
        {"broken-game-between-good-ones.pgn", {true, false, true}},
        {"unclosed-comment-before-next-game.pgn", {false, true}},
        {"no-result-then-next-game.pgn", {true, true}},
        {"junk-after-result.pgn", {true, true}},
        {"semicolon-lines-with-braces.pgn", {true, true}},
        {"variation-cut-by-next-game.pgn", {false, true}},
        {"bom-latin1-and-nul-bytes.pgn", {true, true}},
    };
    for (const Case& c : cases) {
        std::ifstream in(fixture(c.file), std::ios::binary);
        ASSERT_TRUE(in) << c.file;
        const CFileRead r = readAll(in, SIZE_MAX, expectRoundTrip);
        EXPECT_EQ(r.parsed, c.parsed) << c.file;
        std::ifstream again(fixture(c.file), std::ios::binary);
        EXPECT_EQ(scanAll(again), r.offsets) << c.file << ": scanning finds the same games";
    }
}

TEST(PgnFiles, ScanFindsTheNextGameAndReadStartsThere)
{
    const std::string text = "[Event \"one\"]\n\n1. e4 {[not a tag]} e5 *\n\n[Event \"two\"]\n\n1. d4 *\n";
    std::istringstream in(text);
    CPgnReader reader;
    std::int64_t next = 0;
    std::unique_ptr<CGame> game;
    ASSERT_TRUE(reader.scanGame(in, 0, next, game));
    EXPECT_EQ(next, std::int64_t(text.find("[Event \"two\"]")));
    EXPECT_EQ(game->event(), "one");
    EXPECT_EQ(game->root()->childCount(), 0) << "scanning reads no moves";
    std::int64_t after = 0;
    ASSERT_TRUE(reader.readGame(in, next, after, game));
    EXPECT_EQ(game->event(), "two");
    EXPECT_EQ(movesOf(*game), "1. d4 *");
    EXPECT_EQ(after, std::int64_t(text.size()));
    // The same reader and stream, back to the first game.
    ASSERT_TRUE(reader.readGame(in, 0, after, game));
    EXPECT_EQ(game->event(), "one");
    EXPECT_EQ(after, next);
}

TEST(PgnFiles, SharedFixturesReadWithoutCrashing)
{
    const std::filesystem::path dir = std::filesystem::path(QM_SHARED_DATA) / "pgn-fixtures";
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no shared data";
    // Files with games that must fail, as (games read, games parsed); every
    // game of every other file must parse.
    const std::map<std::string, std::pair<int, int>> expected = {
        {"chesslib-err.pgn", {1, 0}},                  // 46... Kg2 is no legal move
        {"chesslib-z0.pgn", {1, 0}},                   // null move Z0
        {"disservin-black2move.pgn", {1, 0}},          // 1... O-O-O with a queen on d8
        {"disservin-corrupted.pgn", {1, 0}},           // cut off inside the move "Kx"
        {"mliebelt-sampleGameThrow.pgn", {1, 0}},      // German piece letter Sf3
        {"pgnextract-nested-comment.pgn", {1, 0}},     // braces do not nest
        {"pgnextract-test-allownullmoves.pgn", {2, 0}},   // null moves "--"
        {"pgnextract-test-promotion-in.pgn", {8, 0}},  // long forms with a promotion letter
        {"pychess-atomic.pgn", {10, 1}},               // atomic chess
        {"pychess-badpgn.pgn", {1, 0}},                // garbage
        {"pychess-chess960rwch.pgn", {20, 7}},         // Chess960 castling
        {"pychess-sittuyin.pgn", {3, 0}},              // sittuyin
        {"pychess-zh.pgn", {83, 3}},                   // crazyhouse drops
        {"pythonchess-anastasian-lewis.pgn", {1, 0}},  // null move Z0
        {"pythonchess-antichess-programfox.pgn", {2, 0}},   // antichess
        {"pythonchess-cutechess-fischerrandom.pgn", {4, 2}},   // Chess960 castling
        {"pythonchess-knightvuillaume-jannlee-zh-lichess.pgn", {1, 0}},   // crazyhouse
        {"pythonchess-saturs-jannlee-zh-lichess.pgn", {1, 0}},   // crazyhouse
        {"pigchess-Stein.pgn", {699, 699}},
        {"chesslib-Morphy_UTF8.pgn", {211, 211}},      // the byte-order mark hides no game
    };
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".pgn")
            continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const CFileRead r = readAll(in, SIZE_MAX, expectRoundTrip);
        std::ifstream again(entry.path(), std::ios::binary);
        EXPECT_EQ(scanAll(again), r.offsets) << entry.path().filename();
        const int parsed = int(std::count(r.parsed.begin(), r.parsed.end(), true));
        const auto it = expected.find(entry.path().filename().string());
        if (it != expected.end())
            EXPECT_EQ(std::make_pair(int(r.parsed.size()), parsed), it->second) << it->first;
        else
            EXPECT_EQ(parsed, int(r.parsed.size())) << entry.path().filename();
    }
    EXPECT_GT(files, 100);
}

TEST(PgnFiles, CollectionsRoundTrip)
{
    // A sample of each large collection; qmtool pgn roundtrip does them whole.
    for (const auto& [name, games] : {std::pair{"master-games.pgn", 400}, std::pair{"tcec-engine-games.pgn", 60}}) {
        const std::filesystem::path path = std::filesystem::path(QM_SHARED_DATA) / "pgn-corpus" / name;
        std::ifstream in(path, std::ios::binary);
        if (!in)
            GTEST_SKIP() << "no shared data";
        const CFileRead r = readAll(in, std::size_t(games), expectRoundTrip);
        EXPECT_EQ(r.parsed.size(), std::size_t(games));
    }
}
