#include "TreeBuilding.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

TEST(Game, NewGameHasSevenDefaultTagsAndIsModified)
{
    CGame g;
    const std::vector<CGame::Tag> expected{{"Event", ""}, {"Site", ""},  {"Date", ""},  {"Round", ""},
                                           {"White", ""}, {"Black", ""}, {"Result", "*"}};
    EXPECT_EQ(g.tags(), expected);
    EXPECT_TRUE(g.isModified());
    EXPECT_EQ(g.root(), nullptr);
    EXPECT_EQ(g.lastMainLineNode(), nullptr);
    EXPECT_EQ(g.getOutputOptions(), COutputOptions{});
}

TEST(Game, SetTagKeepsOrderAndMarksChangesOnly)
{
    CGame g;
    g.clearModified();
    g.setEvent("");
    EXPECT_FALSE(g.isModified()) << "same value";
    EXPECT_EQ(g.tags().size(), 7u);
    g.setEco("B90");
    g.setTag("Annotator", "me");
    g.setEvent("Open");
    EXPECT_TRUE(g.isModified());
    EXPECT_EQ(g.tags()[0], (CGame::Tag{"Event", "Open"}));
    EXPECT_EQ(g.tags()[7].first, "ECO");
    EXPECT_EQ(g.tags()[8].first, "Annotator");
    EXPECT_EQ(g.getTag("FEN"), "");
    EXPECT_EQ(g.getTag("event"), "") << "names are case-sensitive";
    EXPECT_EQ(g.tagsNotIn({"Event", "Site", "Date", "Round", "White", "Black", "Result"}),
              (std::vector<std::string>{"ECO", "Annotator"}));
}

TEST(GameNode, PromoteDeleteAndCount)
{
    CGame g;
    CGameNode& root = newRoot(g);
    CGameNode& a = addMove(root, "e4");
    CGameNode& b = addMove(root, "d4");
    CGameNode& c = addMove(root, "c4");
    addLine(a, {"e5", "Nf3"});
    EXPECT_EQ(c.depth, 1);
    EXPECT_EQ(c.parent, &root);
    EXPECT_EQ(countNodes(root), 6);

    promoteChild(root, &c);
    ASSERT_EQ(root.childCount(), 3);
    EXPECT_EQ(root.child(0), &c);
    EXPECT_EQ(root.child(1), &a);
    EXPECT_EQ(root.child(2), &b);

    CGameNode stranger(NoMove, "x", 0);
    promoteChild(root, &stranger);
    deleteChild(root, &stranger);
    EXPECT_EQ(root.child(0), &c) << "a node that is no child changes nothing";

    deleteChild(root, &c);
    EXPECT_EQ(root.child(0), &a) << "the first variation becomes the main continuation";
    EXPECT_EQ(countNodes(root), 5);
    EXPECT_EQ(g.lastMainLineNode()->san, "Nf3");
}

TEST(GameNode, NagTexts)
{
    struct Case {
        std::uint8_t nag;
        const char* number;
        const char* glyph;
    };
    const Case cases[] = {{0, "", ""},       {1, "$1", "!"},   {2, "$2", "?"},   {3, "$3", "!!"},
                          {4, "$4", "??"},   {5, "$5", "!?"},  {6, "$6", "?!"},  {7, "$7", ""},
                          {14, "$14", ""},   {255, "$255", ""}};
    for (const Case& c : cases) {
        CGameNode n(NoMove, "e4", 0, "", c.nag);
        EXPECT_EQ(nagNumberText(n), c.number) << int(c.nag);
        EXPECT_EQ(nagGlyphText(n), c.glyph) << int(c.nag);
    }
}

TEST(GameNode, Comments)
{
    CGameNode n(NoMove, "e4", 0);
    setComment(n, "a } b");
    EXPECT_EQ(n.comment, "a } b");
    setUserComment(n, "a } b }");
    EXPECT_EQ(n.comment, "a ) b )");
}

TEST(Game, DecodeTimes)
{
    struct Case {
        const char* comment;
        std::int64_t time;
        const char* after;
    };
    const Case cases[] = {
        {"1520,Good move", 1520, "Good move"},
        {"15 20, x", 0, "15 20, x"},
        {",x", 0, ",x"},
        {"0,", 0, ""},
        {"42", 0, "42"},
        {"99999999999999999999999,x", INT64_MAX, "x"},
    };
    for (const Case& c : cases) {
        CGame g;
        CGameNode& root = newRoot(g);
        CGameNode& m = addMove(root, "e4", c.comment);
        g.decodeTimes();
        EXPECT_EQ(m.time, c.time) << c.comment;
        EXPECT_EQ(m.comment, c.after) << c.comment;
    }
}

TEST(Game, EncodeThenDecodeRestoresCommentsAndTimes)
{
    CGame g;
    CGameNode& root = newRoot(g);
    CGameNode& a = addMove(root, "e4", "best");
    a.time = 1520;
    CGameNode& b = addMove(a, "e5", "");
    b.time = (std::int64_t(1) << 32) + 7;   // only the low 32 bits are kept
    g.encodeTimes();
    EXPECT_EQ(root.comment, "0,");
    EXPECT_EQ(a.comment, "1520,best");
    EXPECT_EQ(b.comment, "7,");
    a.time = b.time = 0;
    g.decodeTimes();
    EXPECT_EQ(a.comment, "best");
    EXPECT_EQ(a.time, 1520);
    EXPECT_EQ(b.comment, "");
    EXPECT_EQ(b.time, 7);
}

TEST(GameNode, RootPlyAndMoveNumbers)
{
    EXPECT_EQ(rootPly(1, 0), -1);
    EXPECT_EQ(rootPly(23, 1), 44);
    EXPECT_EQ(rootPly(40, 0), 77);
    CGame g;
    CGameNode& root = newRoot(g, rootPly(23, 1));
    CGameNode& m = addMove(root, "Kf7");
    EXPECT_EQ(m.ply, 45);
    EXPECT_EQ(m.moveNumber(), 23);
    EXPECT_TRUE(m.isBlackMove());
}

TEST(Game, WalkVisitsRootThenPreOrder)
{
    CGame g;
    CGameNode& root = newRoot(g);
    CGameNode& e4 = addMove(root, "e4");
    addMove(root, "d4");
    addMove(e4, "e5");
    struct Collect : IGameNodeVisitor {
        std::string order;
        void visit(CGameNode& n) override { order += n.san + " "; }
    } collect;
    g.walk(collect);
    EXPECT_EQ(collect.order, "root e4 e5 d4 ");
}

TEST(GameNode, VeryLongLinesAndDeepNestingAreSafe)
{
    // Destruction, counting and writing must not recurse per node.
    CGame g;
    CGameNode* n = &newRoot(g);
    for (int i = 0; i < 100000; ++i)
        n = &addMove(*n, i % 2 ? "Ng8" : "Nf3");
    CGameNode* v = g.root()->child(0);
    for (int i = 0; i < 10000; ++i) {
        addMove(*v->parent, "a3");           // a variation beside v ...
        v = &addMove(*v->parent->child(v->parent->childCount() - 1), "a6");   // ... and one inside it
    }
    EXPECT_EQ(countNodes(*g.root()), 100001 + 20000);
    g.setOutputOptions(DatabaseOutputOptions);
    const std::string text = g.toText();
    EXPECT_GT(text.size(), 100000u * 4);
    g.setRoot(nullptr);
}
