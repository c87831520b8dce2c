// QuillEngine's own board: move generation against the shared perft
// suites, FEN reading of bad input, coordinate moves, and the Polyglot hash.
#include "engines/quill/Board.h"
#include "engine/PolyglotBook.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace quill;

namespace {

std::uint64_t perft(const Board& b, int depth)
{
    MoveList list;
    b.generate(list, false);
    std::uint64_t n = 0;
    for (int i = 0; i < list.count; ++i) {
        Board next = b;
        if (!next.make(list.moves[i]))
            continue;
        n += depth > 1 ? perft(next, depth - 1) : 1;
    }
    return n;
}

} // namespace

TEST(QuillBoard, PerftSuite)
{
    std::ifstream in(std::string(QM_SHARED_DATA) + "/perft/pychess-perftsuite.epd");
    if (!in)
        GTEST_SKIP() << "shared perft suite not present";
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::size_t semi = line.find(';');
        if (semi == std::string::npos)
            continue;
        Board b;
        ASSERT_TRUE(b.setFromFen(line.substr(0, semi))) << line;
        // The quick check of hash-table moves agrees with the generator:
        // every generated move passes, no move of the other side does.
        MoveList own, other;
        b.generate(own, false);
        Board passed = b;
        passed.makeNull();
        passed.generate(other, false);
        for (int i = 0; i < own.count; ++i)
            EXPECT_TRUE(b.isPseudoLegal(own.moves[i])) << Board::moveText(own.moves[i]);
        for (int i = 0; i < other.count; ++i)
            EXPECT_FALSE(b.isPseudoLegal(other.moves[i])) << Board::moveText(other.moves[i]);
        std::istringstream rest(line.substr(semi));
        std::string tag;
        std::uint64_t expected;
        // Depths up to a small node count keep the test fast under sanitizers.
        while (rest >> tag >> expected) {
            if (tag.size() < 3 || tag[0] != ';' || tag[1] != 'D')
                break;
            int depth = std::stoi(tag.substr(2));
            if (expected > 20000)
                break;
            EXPECT_EQ(perft(b, depth), expected) << line.substr(0, semi) << " depth " << depth;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(QuillBoard, RejectsUnplayableFen)
{
    const char* bad[] = {
        "",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",       // seven ranks
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", // rank too long
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq - 0 1",  // rank too short
        "8/8/8/8/8/8/8/K7 w - - 0 1",                              // one king
        "kk6/8/8/8/8/8/8/K7 w - - 0 1",                            // three kings
        "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                          // pawn on rank 8
        "4k3/8/8/8/8/8/8/4K2R w - - 0 1 junk",                     // fine: extra words ignored
        "4k2R/8/8/8/8/8/8/4K3 w - - 0 1",                          // side not to move in check
        "4k3/8/8/8/8/8/8/4K3 x - - 0 1",
        "4k3/8/8/8/8/8/8/4K3 w Z - 0 1",
        "4k3/8/8/8/8/8/8/4X3 w - - 0 1",
    };
    for (const char* fen : bad) {
        Board b;
        std::string before = b.fen();
        bool ok = b.setFromFen(fen);
        EXPECT_EQ(ok, std::string(fen).find("junk") != std::string::npos) << fen;
        if (!ok) {
            EXPECT_EQ(b.fen(), before) << fen;
        }
    }
}

TEST(QuillBoard, CoordinateMoves)
{
    Board b;
    ASSERT_TRUE(b.setFromFen("r3k3/1P6/8/8/8/8/8/R3K2R w KQq - 0 1"));
    struct Case {
        const char* text;
        bool legal;
    };
    const Case cases[] = {{"e1g1", true}, {"E1G1", true}, {"e1c1", true}, {"b7b8q", true}, {"b7a8N", true},
                          {"b7b8", false}, {"b7b8k", false}, {"e1e3", false}, {"a1a9", false}, {"e1", false},
                          {"e1g1x", false}, {"", false}};
    for (const Case& c : cases) {
        Move m = b.parseMove(c.text);
        EXPECT_EQ(m != NoMove, c.legal) << c.text;
        if (m != NoMove) {
            std::string lower;
            for (char ch : std::string(c.text))
                lower += char(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(Board::moveText(m), lower);
        }
    }
}

TEST(QuillBoard, PolyglotKeys)
{
    // The reference keys published with the Polyglot book format.
    struct Case {
        const char* moves;
        std::uint64_t key;
    };
    const Case cases[] = {
        {"", 0x463B96181691FC9CULL},
        {"e2e4", 0x823C9B50FD114196ULL},
        {"e2e4 d7d5", 0x0756B94461C50FB0ULL},
        {"e2e4 d7d5 e4e5", 0x662FAFB965DB29D4ULL},
        {"e2e4 d7d5 e4e5 f7f5", 0x22A48B5A8E47FF78ULL},
        {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652A607CA3F242C1ULL},
        {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00FDD303C946BDD9ULL},
        {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3C8123EA7B067637ULL},
        {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5C3F9B829B279560ULL},
    };
    for (const Case& c : cases) {
        Board b;
        b.setStart();
        std::istringstream moves(c.moves);
        std::string text;
        while (moves >> text) {
            Move m = b.parseMove(text);
            ASSERT_NE(m, NoMove) << text;
            b.make(m);
        }
        std::uint64_t key = 0;
        ASSERT_TRUE(qm::polyglotKey(b.fen(), key));
        EXPECT_EQ(key, c.key) << c.moves;
    }
}
