#include "ReadHelpers.h"

#include "game/GameEndEvaluation.h"
#include "rules/GameEnd.h"
#include "rules/Notation.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace qm;
using namespace qm::test;

namespace {

// Plays SAN moves on the position; false when one is not legal.
bool play(CPosition& p, const std::string& moves)
{
    std::istringstream words(moves);
    std::string w;
    while (words >> w) {
        const CMove m = readSan(p, w);
        if (m == NoMove)
            return false;
        p.makeMove(m);
    }
    return true;
}

CPosition fromFen(std::string_view fen)
{
    CPosition p;
    p.setFromFen(fen);
    return p;
}

} // namespace

TEST(GameEnd, States)
{
    struct Case {
        const char* what;
        const char* fen;   // empty: the start position
        const char* moves;
        int status;
    };
    const Case cases[] = {
        {"fool's mate", "", "f3 e5 g4 Qh4", GameCheckmate},
        {"stalemate", "8/8/8/4k3/8/1q6/8/K7 w - - 0 1", "", GameStalemate},
        {"knights shuffle, third time", "", "Nf3 Nf6 Ng1 Ng8 Nf3 Nf6 Ng1 Ng8", GameThreefoldRepetition},
        {"knights shuffle, second time", "", "Nf3 Nf6 Ng1 Ng8", GameRunning},
        {"repetition after castling", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O Kd8 Kh1 Ke8 Kg1 Kd8 Kh1 Ke8 Kg1",
         GameThreefoldRepetition},
        {"repetition after a pawn move", "", "e4 e5 Nf3 Nf6 Ng1 Ng8 Nf3 Nf6 Ng1 Ng8", GameThreefoldRepetition},
        {"clock 99 from FEN and one quiet move", "4k3/8/8/8/8/8/8/R3K3 w - - 99 80", "Ra2", GameRunning},
        {"king and knight against king and bishop", "4k3/8/5b2/8/8/2N5/8/4K3 w - - 0 1", "", GameInsufficientMaterial},
        {"king and bishop against king and bishop", "4k3/8/5b2/8/8/2B5/8/4K3 w - - 0 1", "", GameInsufficientMaterial},
        {"bare kings", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", GameInsufficientMaterial},
        {"two knights against a bare king", "4k3/8/8/8/8/2NN4/8/4K3 w - - 0 1", "", GameRunning},
        {"a pawn prevents the draw", "4k3/8/8/8/8/8/7P/4K3 w - - 0 1", "", GameRunning},
        {"a rook prevents the draw", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "", GameRunning},
    };
    for (const Case& c : cases) {
        CPosition p = *c.fen ? fromFen(c.fen) : CPosition();
        ASSERT_TRUE(play(p, c.moves)) << c.what;
        const std::string before = p.writeFen();
        const int history = p.historyCount();
        const CGameState s = getGameState(p);
        EXPECT_EQ(s.status, c.status) << c.what;
        EXPECT_EQ(s.over, c.status != GameRunning) << c.what;
        EXPECT_EQ(p.writeFen(), before) << c.what;
        EXPECT_EQ(p.historyCount(), history) << c.what;
    }
}

TEST(GameEnd, FiftyMovesCountQuietPliesInTheHistory)
{
    // Quiet moves that never repeat a position: the pieces wander.
    CPosition p = fromFen("rnb1kbnr/8/8/8/8/8/8/RNB1KBNR w - - 0 1");
    std::set<std::string> seen;
    auto placement = [](CPosition& q) { return q.writeFen().substr(0, q.writeFen().rfind(' ', q.writeFen().rfind(' ') - 1)); };
    seen.insert(placement(p));
    for (int ply = 0; ply < 100; ++ply) {
        EXPECT_EQ(getGameState(p).status, GameRunning) << "after " << ply << " plies";
        CMoveList list;
        p.generateLegalMoves(list);
        bool moved = false;
        for (const CMove m : list) {
            if (!m.isQuiet())
                continue;
            p.makeMove(m);
            if (!p.isInCheck() && seen.insert(placement(p)).second) {
                moved = true;
                break;
            }
            p.unmakeMove();
        }
        ASSERT_TRUE(moved) << "no fresh quiet move at ply " << ply;
    }
    EXPECT_EQ(getGameState(p).status, GameFiftyMoveRule);
    p.unmakeMove();
    EXPECT_EQ(getGameState(p).status, GameRunning) << "99 quiet plies";
}

TEST(GameEnd, Texts)
{
    struct Case {
        int status, side;
        const char *message, *comment, *result;
    };
    const Case cases[] = {
        {GameCheckmate, 0, "Checkmate", "Black mates", "0-1"},
        {GameCheckmate, 1, "Checkmate", "White mates", "1-0"},
        {GameStalemate, 0, "Stalemate, draw", "Stalemate", "1/2-1/2"},
        {GameThreefoldRepetition, 1, "Draw by threefold repetition", "Draw by threefold repetition", "1/2-1/2"},
        {GameFiftyMoveRule, 0, "Draw by 50-moves-rule", "Draw by 50-moves-rule", "1/2-1/2"},
        {GameInsufficientMaterial, 0, "Draw by insufficient mating material", "Draw by insufficient material",
         "1/2-1/2"},
        {GameRunning, 0, "", "", ""},
    };
    for (const Case& c : cases) {
        const CGameEndTexts t = gameEndTexts(c.status, c.side);
        EXPECT_EQ(t.message, c.message);
        EXPECT_EQ(t.comment, c.comment);
        EXPECT_EQ(t.result, c.result);
    }
}

namespace {

struct CRecordingNotifier : IGameEndNotifier {
    std::vector<std::string> shown;
    void showGameEnd(std::string_view message) override { shown.emplace_back(message); }
};

// The position after node, replayed from the game's start.
CPosition positionAt(const CGameNode& node)
{
    std::vector<CMove> moves;
    for (const CGameNode* n = &node; n->parent; n = n->parent)
        moves.insert(moves.begin(), n->move);
    CPosition p;
    for (CMove m : moves)
        p.makeMove(m);
    return p;
}

} // namespace

TEST(GameEnd, EvaluateRecordsTheEndOnce)
{
    ReadResult r = readText("1. f3 e5 2. g4 Qh4 *");
    ASSERT_TRUE(r.ok);
    CGame& g = *r.game;
    g.clearModified();
    CGameNode& last = *g.lastMainLineNode();
    CPosition p = positionAt(last);
    CRecordingNotifier notifier;
    EXPECT_EQ(evaluateGameEnd(p, g, last, &notifier).status, GameCheckmate);
    EXPECT_EQ(notifier.shown, std::vector<std::string>{"Checkmate"});
    EXPECT_EQ(last.comment, "Black mates");
    EXPECT_EQ(g.result(), "0-1");
    EXPECT_TRUE(g.isModified());

    // Without a notifier (a DGT board is configured) nothing is shown.
    r = readText("1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 5. Nf3 Nf6 6. Ng1 *");
    ASSERT_TRUE(r.ok);
    CGame& h = *r.game;
    CGameNode* n = h.root();
    for (int i = 0; i < 8; ++i)
        n = n->child(0);
    CPosition q = positionAt(*n);
    EXPECT_EQ(evaluateGameEnd(q, h, *n, nullptr).status, GameThreefoldRepetition);
    EXPECT_EQ(n->comment, "Draw by threefold repetition");
    EXPECT_EQ(h.result(), "*") << "not the end of the main line";
    // Playing on: the reason is not recorded again.
    for (int i = 0; i < 3; ++i) {
        n = n->child(0);
        q = positionAt(*n);
        evaluateGameEnd(q, h, *n, nullptr);
        EXPECT_EQ(n->comment, "") << i;
    }
    EXPECT_EQ(h.result(), "1/2-1/2") << "the last main-line node sets the result";
}
