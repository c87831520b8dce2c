#include "TreeBuilding.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace qm;
using namespace qm::test;

namespace {

const std::string SevenTags = "[Event \"\"]\r\n[Site \"\"]\r\n[Date \"\"]\r\n[Round \"\"]\r\n"
                              "[White \"\"]\r\n[Black \"\"]\r\n[Result \"*\"]\r\n\r\n";

// The movetext of the game without its tag section, line ends kept.
std::string movetext(CGame& g, COutputOptions o = DatabaseOutputOptions)
{
    o.writeTags = false;
    g.setOutputOptions(o);
    return g.toText();
}

// 1. e4 e5 2. Nf3 Nc6 3. Bb5 {Spanish} a6 (3... Nf6 4. O-O) 4. Ba4
void spanish(CGame& g)
{
    CGameNode& root = newRoot(g);
    CGameNode& bb5 = addLine(root, {"e4", "e5", "Nf3", "Nc6", "Bb5"});
    bb5.comment = "Spanish";
    addMove(bb5, "a6");
    addLine(bb5, {"Nf6", "O-O"});
    addMove(*bb5.child(0), "Ba4");
}

} // namespace

TEST(PgnWriter, EmptyGameWithDefaultTags)
{
    CGame g;
    EXPECT_EQ(g.toText(), SevenTags + "*\r\n\r\n");
    newRoot(g);
    EXPECT_EQ(g.toText(), SevenTags + "*\r\n\r\n");
}

TEST(PgnWriter, TagSection)
{
    CGame g;
    g.setTag("ECO", "C65");
    g.setWhite("Say \"hi\" \\ bye");
    g.setTag("Annotator", "line\r\nbreak");
    g.setResult("");
    const std::string text = g.toText();
    EXPECT_EQ(text, "[Event \"\"]\r\n[Site \"\"]\r\n[Date \"\"]\r\n[Round \"\"]\r\n"
                    "[White \"Say \\\"hi\\\" \\\\ bye\"]\r\n[Black \"\"]\r\n[Result \"\"]\r\n"
                    "[ECO \"C65\"]\r\n[Annotator \"line  break\"]\r\n\r\n*\r\n\r\n");
}

TEST(PgnWriter, Movetext)
{
    struct Case {
        const char* what;
        COutputOptions options;
        const char* expected;
    };
    const COutputOptions db = DatabaseOutputOptions;
    COutputOptions noVariations = db, noComments = db;
    noVariations.writeVariations = false;
    noComments.writeComments = false;
    const Case cases[] = {
        {"everything", db, "1. e4 e5 2. Nf3 Nc6 3. Bb5 {Spanish} a6 (3.. Nf6 4. O-O) 4. Ba4 1-0\r\n\r\n"},
        {"no variations", noVariations, "1. e4 e5 2. Nf3 Nc6 3. Bb5 {Spanish} a6 4. Ba4 1-0\r\n\r\n"},
        {"no comments", noComments, "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 (3.. Nf6 4. O-O) 4. Ba4 1-0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        CGame g;
        spanish(g);
        g.setResult("1-0");
        EXPECT_EQ(movetext(g, c.options), c.expected) << c.what;
    }
}

TEST(PgnWriter, Nags)
{
    struct Case {
        std::uint8_t nag;
        bool numbers, glyphs;
        const char* expected;
    };
    const Case cases[] = {
        {1, true, true, "1. e4! $1 *\r\n\r\n"},
        {1, true, false, "1. e4 $1 *\r\n\r\n"},
        {7, false, true, "1. e4 *\r\n\r\n"},
        {5, false, true, "1. e4!? *\r\n\r\n"},
        {0, true, true, "1. e4 *\r\n\r\n"},
    };
    for (const Case& c : cases) {
        CGame g;
        addMove(newRoot(g), "e4", "", c.nag);
        COutputOptions o = DatabaseOutputOptions;
        o.nagNumbers = c.numbers;
        o.nagGlyphs = c.glyphs;
        EXPECT_EQ(movetext(g, o), c.expected) << int(c.nag);
    }
}

TEST(PgnWriter, MoveNumbers)
{
    {
        CGame g;   // a black move after a variation gets its number
        CGameNode& root = newRoot(g);
        addMove(addMove(root, "e4"), "e5");
        addMove(root, "d4");
        EXPECT_EQ(movetext(g), "1. e4 (1. d4) 1.. e5 *\r\n\r\n");
    }
    {
        CGame g;   // start with black to move at move 23
        addLine(newRoot(g, rootPly(23, 1)), {"Kf7", "Ke2"});
        EXPECT_EQ(movetext(g), "23.. Kf7 24. Ke2 *\r\n\r\n");
    }
}

TEST(PgnWriter, ResultComesFromTheResultTag)
{
    struct Case {
        const char* tag;
        const char* ending;
    };
    const Case cases[] = {{"1/2-1/2", "1. e4 1/2-1/2\r\n\r\n"},
                          {"", "1. e4 *\r\n\r\n"},
                          {"0-1", "1. e4 0-1\r\n\r\n"},
                          // anything else would not read back as a termination
                          {"1-0 (forfeit)", "1. e4 *\r\n\r\n"},
                          {"?", "1. e4 *\r\n\r\n"}};
    for (const Case& c : cases) {
        CGame g;
        addMove(newRoot(g), "e4");
        g.setResult(c.tag);
        EXPECT_EQ(movetext(g), c.ending) << c.tag;
    }
}

TEST(PgnWriter, Comments)
{
    struct Case {
        const char* comment;
        const char* expected;
    };
    const Case cases[] = {
        {"a\r\nb", "1. e4 {a  b} *\r\n\r\n"},
        {"x } y", "1. e4 {x ) y} *\r\n\r\n"},
    };
    for (const Case& c : cases) {
        CGame g;
        addMove(newRoot(g), "e4", c.comment);
        EXPECT_EQ(movetext(g), c.expected) << c.comment;
    }
    CGame g;   // the root's comment is never written
    CGameNode& root = newRoot(g);
    root.comment = "Opening";
    addMove(root, "e4");
    EXPECT_EQ(movetext(g), "1. e4 *\r\n\r\n");
}

TEST(PgnWriter, LineBreaking)
{
    CGame g;
    CGameNode* n = &newRoot(g);
    const char* sans[] = {"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7", "Re1", "b5"};
    for (int round = 0; round < 4; ++round)
        for (const char* s : sans)
            n = &addMove(*n, s);
    n->comment = std::string(40, 'x') + " short words follow here " + std::string(12, 'y');
    COutputOptions o = DatabaseOutputOptions;
    o.lineWidth = 30;
    const std::string text = movetext(g, o);
    std::size_t start = 0;
    int longest = 0;
    bool sawLongWord = false;
    while (start < text.size()) {
        std::size_t e = text.find("\r\n", start);
        ASSERT_NE(e, std::string::npos);
        const std::string line = text.substr(start, e - start);
        if (line.find(std::string(40, 'x')) != std::string::npos)
            sawLongWord = true;   // words are never split, a long one stands alone
        else
            longest = std::max(longest, int(line.size()));
        EXPECT_TRUE(line.empty() || line[0] != ' ') << "line starts with a blank: " << line;
        start = e + 2;
    }
    EXPECT_LE(longest, 30);
    EXPECT_TRUE(sawLongWord);
}

TEST(PgnWriter, NoLineStartsWithTextAReaderWouldSkip)
{
    CGame g;
    CGameNode* n = &newRoot(g);
    for (int i = 0; i < 10; ++i)
        n = &addMove(*n, i % 2 ? "Ng8" : "Nf3");
    // Runs of blanks before the words: a line must not break inside them.
    n->comment = "filler filler %escape [Event \"x\"] end ;   %   x";
    for (int width : {8, 9, 10, 11, 12, 16, 20, 24, 28}) {
        COutputOptions o = DatabaseOutputOptions;
        o.lineWidth = width;
        const std::string text = movetext(g, o);
        EXPECT_EQ(text.find("\n%"), std::string::npos) << width;
        EXPECT_EQ(text.find("\n[Event"), std::string::npos) << width;
    }
}

TEST(PgnWriter, TextSpansFindTheirNodes)
{
    CGame g;
    spanish(g);
    g.setOutputOptions(DatabaseOutputOptions);
    const std::string text = g.toText();
    CGameNode* root = g.root();
    EXPECT_EQ(g.findNodeAtTextOffset(0), nullptr) << "inside the tags, before the first move";
    forEachNode(*root, [&](CGameNode& n) {
        if (&n == root)
            return;
        ASSERT_LE(n.textStart, n.textEnd);
        const std::string span = text.substr(std::size_t(n.textStart), std::size_t(n.textEnd - n.textStart + 1));
        EXPECT_NE(span.find(n.san), std::string::npos) << span;
        EXPECT_NE(span.front(), ' ');
        EXPECT_EQ(g.findNodeAtTextOffset(n.textStart), &n);
        EXPECT_EQ(g.findNodeAtTextOffset(n.textEnd), &n);
    });
    const CGameNode* bb5 = root->child(0)->child(0)->child(0)->child(0)->child(0);
    const std::string bb5Text = text.substr(std::size_t(bb5->textStart), std::size_t(bb5->textEnd - bb5->textStart + 1));
    EXPECT_EQ(bb5Text, "3. Bb5 {Spanish}");
}

TEST(PgnWriter, WriteToStream)
{
    CGame g;
    spanish(g);
    std::ostringstream out;
    EXPECT_TRUE(g.writeTo(out));
    EXPECT_EQ(out.str(), g.toText());
}
