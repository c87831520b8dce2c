#include "ReadHelpers.h"

#include "rules/Notation.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

TEST(PgnReader, TagValues)
{
    struct Case {
        std::string text;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"[Round 3]\n*", "Round", " 3"},
        {"[White Kasparov, Garry]\n*", "White", " Kasparov, Garry"},
        {"[Event \"A \\\"big\\\" one\"]\n*", "Event", "A \"big\" one"},
        {"[Event \"Open\" junk]\n*", "Event", "Open"},
        {"[Event \"He said \"hi\" ok\"]\n*", "Event", "He said \"hi\" ok"},
        {"[Event \"\"]\n*", "Event", ""},
        {"[Event]\n*", "Event", ""},
        {"[Event \"a; b\"]\n*", "Event", "a; b"},
        {"[Event \"Ugra Cup \\\"]\n[Site \"Khanty\"]\n*", "Event", "Ugra Cup \\"},
        {"[Event \"Ugra Cup \\\"]\n[Site \"Khanty\"]\n*", "Site", "Khanty"},
        {"[Event \"no end\n[Site \"next line\"]\n*", "Site", "next line"},
        {"[White \"Gy\xf6rgy\"]\n*", "White", "Gy\xf6rgy"},
        {"\xef\xbb\xbf[Event \"BOM\"]\n*", "Event", "BOM"},
        {std::string("[Event \"nul\"]\n\0\0*", 17), "Event", "nul"},
        {"[MyTag \"x\"]\n*", "MyTag", "x"},
        {"[Annotator\n1. e4 *", "Annotator", ""},
        {"[Annotator\n[Site \"s\"]\n1. e4 *", "Site", "s"},
    };
    for (const Case& c : cases) {
        ReadResult r = readText(c.text);
        ASSERT_TRUE(r.ok) << c.text << ": " << r.failure;
        EXPECT_EQ(r.game->getTag(c.name), c.value) << c.text;
    }
}

TEST(PgnReader, Movetext)
{
    struct Case {
        const char* text;
        const char* moves;   // as written back on one line
    };
    const Case cases[] = {
        {"1. e4 e5 2. Nf3 *", "1. e4 e5 2. Nf3 *"},
        {"12.e4 12. e5 12... Nf3", "1. e4 e5 2. Nf3 *"},
        {"1.e4 e5 2.Nf3", "1. e4 e5 2. Nf3 *"},
        {"e4 e5 Nf3", "1. e4 e5 2. Nf3 *"},
        {"1. e4!? e5 2. Nf3+! *", "1. e4 $5 e5 2. Nf3+ $1 *"},
        {"1. e4 $1 $3 *", "1. e4 $3 *"},
        {"1. e4 $ *", "1. e4 *"},
        {"1. e4 $300 *", "1. e4 $44 *"},
        {"1. e4 (1. d4) 1... e5 *", "1. e4 (1. d4) 1.. e5 *"},
        {"1. e4 e5 (1... c5 2. Nf3) 2. Nf3 Nc6 3. Nxe5 *", "1. e4 e5 (1.. c5 2. Nf3) 2. Nf3 Nc6 3. Nxe5 *"},
        {"1. e4 (1. e4 c5) e5 *", "1. e4 c5 (1.. e5) *"},
        {"1. e4 (1. d4 (1. c4) d5) e5 *", "1. e4 (1. d4 d5) (1. c4) 1.. e5 *"},
        {"1. e4 {A} {B} e5 *", "1. e4 {B} e5 *"},
        {"1. e4 e5 ({Alternative} 1... c5) *", "1. e4 {Alternative} e5 (1.. c5) *"},
        {"1. e4 {multi\nline} *", "1. e4 {multi line} *"},
        {"1. e4 {} 0-1", "1. e4 *"},
        {"1. e4 e5 {draw agreed} {really} 1/2-1/2", "1. e4 e5 {really} *"},
        {"1. e4 e5 (1... c5) {x} 1-0", "1. e4 e5 {x} (1.. c5) *"},
        {"1. e4 * 1... e5 2. Nf3", "1. e4 *"},
        {"1. e4 e5 2.", "1. e4 e5 *"},
        {"b3 {good?} $1 {some think so} $2 {others not} *", "1. b3 $2 {others not} *"},
        {"1. e4 ; rest of line e5\n e6 *", "1. e4 e6 *"},
        {"1. e4\n% escape line e5\ne6 *", "1. e4 e6 *"},
        {"1. e4 {a ; b} *", "1. e4 {a ; b} *"},
        {"1. e4, e5; \n2. Nf3 & *", "1. e4 e5 2. Nf3 *"},
        {"1. e4 \xe2\x80\x93 e5 *", "1. e4 e5 *"},
        {"1. e2e4 Ng8f6 2. Pd4 *", "1. e2e4 Ng8f6 2. Pd4 *"},
        {"1. !e4 *", "1. e4 $1 *"},
        {"1. e4 e5 2. Nf?-3 *", "1. e4 e5 2. Nf3 $2 *"},   // text after the glyph: the SAN is written anew
    };
    for (const Case& c : cases) {
        ReadResult r = readText(c.text);
        ASSERT_TRUE(r.ok) << c.text << ": " << r.failure;
        EXPECT_EQ(movesOf(*r.game), c.moves) << c.text;
    }
}

TEST(PgnReader, CastlingWithZerosAndGameWithoutResult)
{
    ReadResult r = readText("1. e4 e5 2. Nf3 Nf6 3. Bc4 Bc5 4. 0-0 O-O");
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(movesOf(*r.game), "1. e4 e5 2. Nf3 Nf6 3. Bc4 Bc5 4. 0-0 O-O *");
    EXPECT_EQ(r.game->lastMainLineNode()->move, BlackShortCastling);
}

TEST(PgnReader, NodesAndPlies)
{
    ReadResult r = readText("[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 40\"]\n\n40. Kd2 Kd7 *");
    ASSERT_TRUE(r.ok) << r.failure;
    CGameNode* root = r.game->root();
    EXPECT_EQ(root->ply, 77);
    EXPECT_EQ(root->san, "root");
    EXPECT_EQ(root->move, NoMove);
    EXPECT_EQ(root->child(0)->ply, 78);
    EXPECT_EQ(root->child(0)->depth, 1);
    EXPECT_EQ(movesOf(*r.game), "40. Kd2 Kd7 *");

    r = readText("{ Opening } 1. e4 e5!? *");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.game->root()->comment, "Opening ");
    CGameNode* e5 = r.game->lastMainLineNode();
    EXPECT_EQ(e5->san, "e5");
    EXPECT_EQ(e5->nag, 5);
    EXPECT_EQ(e5->ply, 1);
    EXPECT_EQ(r.game->result(), "*") << "the result token does not set the tag";
}

TEST(PgnReader, FailedGames)
{
    struct Case {
        std::string text;
        const char* why;
    };
    const Case cases[] = {
        {"1. e4 e5 2. Ke3 *", "an illegal move"},
        {"1. e4 Sf6 *", "an unknown piece letter"},
        {"1. e4 \"string\" e5 *", "a string in the movetext"},
        {"1. e4 ) e5 *", "')' outside a variation"},
        {"( 1. d4 ) 1. e4 *", "a variation before the first move"},
        {"1. e4 (1. d4 e5 *", "a variation not closed"},
        {"1. e4 (1. d4 Ke7) e5 *", "an illegal move in a variation"},
        {"1. e4 < e5 *", "a '<'"},
        {"1. e4 {never closed", "a comment cut off by the end of the input"},
        {"1. e4 " + std::string(100000, '('), "100000 '('"},
        {"[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n*", "a FEN without kings"},
        {"1. e4 -- 2. d4 *", "a null move"},
    };
    for (const Case& c : cases) {
        ReadResult r = readText(c.text);
        EXPECT_FALSE(r.ok) << c.why;
        EXPECT_EQ(r.game, nullptr) << c.why;
        EXPECT_FALSE(r.failure.empty()) << c.why;
    }
}

TEST(PgnReader, NestingUpToTheBoundReads)
{
    auto nested = [](int levels) {
        std::string text = "1. e4 e5";
        for (int i = 0; i < levels; ++i)
            text += i % 2 ? " (1... c5" : " (1... d5";
        return text + std::string(std::size_t(levels), ')') + " *";
    };
    ReadResult r = readText(nested(CPgnReader::MaxVariationDepth));
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_FALSE(readText(nested(CPgnReader::MaxVariationDepth + 1)).ok);
}

TEST(PgnReader, EndOfInput)
{
    for (const std::string& text : std::vector<std::string>{"", "   \n\r\n", std::string("\0\0", 2), ",,,"}) {
        std::istringstream in(text);
        CPgnReader reader;
        std::int64_t next = -1;
        std::unique_ptr<CGame> game;
        EXPECT_FALSE(reader.readGame(in, 0, next, game));
        EXPECT_TRUE(reader.endOfInput());
        EXPECT_FALSE(reader.scanGame(in, 0, next, game));
        EXPECT_TRUE(reader.endOfInput());
    }
}
