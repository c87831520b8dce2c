// The ".obk" opening book: lookups in trees written by the test (with the
// move numbering of the rules core), the byte example of the format,
// truncated and hostile files, the choice by book mode, and short names.
#include "engine/OpeningBook.h"
#include "rules/Notation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace qm;

namespace {

struct BookNode {
    const char* move;
    int weight;
    std::vector<BookNode> children;
};

CMove moveFromText(CPosition& position, const std::string& text)
{
    CMoveList list;
    position.generateLegalMoves(list);
    for (CMove m : list)
        if (writeCoordinate(m) == text)
            return m;
    return NoMove;
}

// Writes a sibling list depth first, as the format stores it.
void encode(CPosition& position, const std::vector<BookNode>& list, std::string& out)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        const BookNode& node = list[i];
        CMove move = moveFromText(position, node.move);
        ASSERT_NE(move, NoMove) << node.move;
        int piece = 0, number = 0;
        while (position.nthPiece(piece) != move.from)
            ++piece;
        while (position.nthPieceMove(move.from, number) != move)
            ++number;
        std::uint8_t flags = std::uint8_t((number >> 4) | (i + 1 < list.size() ? 2 : 0) |
                                          (node.children.empty() ? 4 : 0) | (node.weight << 3));
        out += char(flags);
        out += char((number & 15) << 4 | piece);
        if (!node.children.empty()) {
            position.makeMove(move);
            encode(position, node.children, out);
            position.unmakeMove();
        }
    }
}

class BookFile : public ::testing::Test {
protected:
    void SetUp() override { m_path = (fs::temp_directory_path() / ("qm_book_" + std::to_string(::getpid()) + ".obk")).string(); }
    void TearDown() override { fs::remove(m_path); }

    void write(const std::string& bytes) { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string tree(const std::vector<BookNode>& top)
    {
        CPosition start;
        start.setStartPosition();
        std::string bytes;
        encode(start, top, bytes);
        return bytes;
    }
    // "move:weight" of every candidate for the position after the moves.
    std::vector<std::string> lookup(const std::string& moves)
    {
        CPosition target;
        target.setStartPosition();
        std::size_t pos = 0;
        while (pos < moves.size()) {
            std::size_t end = moves.find(' ', pos);
            if (end == std::string::npos)
                end = moves.size();
            target.makeMove(moveFromText(target, moves.substr(pos, end - pos)));
            pos = end + 1;
        }
        COpeningBook book;
        book.setPath(m_path);
        book.findBookMoves(target);
        std::vector<std::string> out;
        for (const CBookCandidate& c : book.candidates())
            out.push_back(writeCoordinate(c.move) + ":" + std::to_string(c.weight));
        return out;
    }

    std::string m_path;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(BookFile, TheFormatsOwnExample)
{
    write(std::string("\x08\x19", 2)); // 1.e4, weight 1, children follow, no sibling
    EXPECT_EQ(lookup(""), (Texts{"e2e4:1"}));
}

TEST_F(BookFile, LookupsInATree)
{
    // 1.e4 e5 2.Nf3, 1.e4 c5; 1.d4 d5 2.Nf3 Nf6 and 1.Nf3 d5 2.d4 c6, which
    // reach the same position after three plies.
    write(tree({
        {"e2e4", 5, {{"e7e5", 7, {{"g1f3", 9, {}}}}, {"c7c5", 3, {}}}},
        {"d2d4", 4, {{"d7d5", 6, {{"g1f3", 8, {{"g8f6", 3, {}}}}}}}},
        {"g1f3", 2, {{"d7d5", 1, {{"d2d4", 1, {{"c7c6", 2, {}}}}}}}},
    }));
    struct Case {
        const char* moves;
        Texts expected;
    };
    const Case cases[] = {
        {"", {"e2e4:5", "d2d4:4", "g1f3:2"}},
        {"e2e4", {"e7e5:7", "c7c5:3"}},
        {"e2e4 e7e5", {"g1f3:9"}},
        {"e2e4 e7e5 g1f3", {}},
        {"d2d4 d7d5 g1f3", {"g8f6:3", "c7c6:2"}}, // once per occurrence, in file order
        {"g1f3 d7d5 d2d4", {"g8f6:3", "c7c6:2"}},
        {"d2d4 g8f6", {}},
        {"a2a3", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moves);
        EXPECT_EQ(lookup(c.moves), c.expected);
    }
}

TEST_F(BookFile, BrokenFiles)
{
    std::string full = tree({{"e2e4", 5, {{"e7e5", 7, {}}, {"c7c5", 3, {}}}}, {"d2d4", 4, {}}});
    // Cut inside the children of 1.e4: what was read before the end counts.
    write(full.substr(0, 5));
    EXPECT_EQ(lookup("e2e4"), (Texts{"e7e5:7"}));
    EXPECT_EQ(lookup(""), (Texts{"e2e4:5"}));
    write("");
    EXPECT_EQ(lookup(""), Texts{});
    fs::remove(m_path);
    EXPECT_EQ(lookup(""), Texts{});

    // A move number beyond the piece's moves skips that node and its subtree.
    // Bytes F7 F9: piece 9 (e2), move 31, weight 30, no children, a sibling.
    write(std::string("\xF7\xF9", 2) + tree({{"d2d4", 4, {}}}));
    EXPECT_EQ(lookup(""), (Texts{"d2d4:4"}));

    // A hostile file: an endless chain of nodes that each claim children.
    write(std::string(200000, '\0'));
    EXPECT_EQ(lookup("e2e4"), Texts{});
}

TEST(OpeningBookChoice, ByMode)
{
    struct Case {
        std::vector<int> weights;
        int mode;
        std::set<int> allowed; // indexes that may be chosen
    };
    const Case cases[] = {
        {{20, 12, 11}, 2, {0, 1, 2}}, // threshold 10
        {{9, 7, 5}, 2, {0, 1}},       // threshold 6
        {{4, 9, 9}, 1, {1}},          // the first of equals
        {{1, 2, 3}, 3, {0, 1, 2}},
        {{1, 2, 3}, 0, {}},
    };
    const char* moves[] = {"e2e4", "d2d4", "c2c4"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        // A book file with the three moves from the start position.
        CPosition start;
        start.setStartPosition();
        std::vector<BookNode> top;
        for (std::size_t i = 0; i < c.weights.size(); ++i)
            top.push_back({moves[i], c.weights[i], {}});
        std::string bytes;
        encode(start, top, bytes);
        std::string path = (fs::temp_directory_path() / ("qm_choice_" + std::to_string(::getpid()) + ".obk")).string();
        std::ofstream(path, std::ios::binary) << bytes;
        COpeningBook book;
        book.setPath(path);
        book.setMode(c.mode);
        book.seed(12345);
        std::set<int> seen;
        for (int i = 0; i < 300; ++i) {
            CMove m = book.chooseBookMove(start);
            if (m == NoMove) {
                seen.insert(-1);
                continue;
            }
            for (int k = 0; k < 3; ++k)
                if (writeCoordinate(m) == moves[k])
                    seen.insert(k);
        }
        fs::remove(path);
        EXPECT_EQ(seen, c.allowed.empty() ? std::set<int>{-1} : c.allowed);
    }
}

TEST(OpeningBookChoice, RandomInRangeAndShortNames)
{
    COpeningBook book;
    book.seed(7);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        int r = book.randomInRange(3, 7);
        ASSERT_GE(r, 3);
        ASSERT_LE(r, 7);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(book.randomInRange(4, 4), 4);

    struct Case {
        const char* path;
        const char* name;
    };
    for (const Case& c : {Case{"\\My documents\\main.obk", "main"}, Case{"main.obk", "none"}, Case{"", "none"},
                          Case{"/home/user/books/qmbook.obk", "qmbook"}, Case{"/home/user/nodot", "none"}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(bookShortName(c.path), c.name);
    }
}
