#include "rules/Notation.h"
#include "rules/Perft.h"
#include "rules/Position.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qm;

namespace {

Square at(const char* text)
{
    return squareFromText(text[0], text[1]);
}

std::vector<std::string> legalSan(CPosition& p)
{
    CMoveList moves;
    p.generateLegalMoves(moves);
    std::vector<std::string> out;
    for (const CMove& m : moves)
        out.push_back(writeSan(p, m, false));
    return out;
}

void play(CPosition& p, std::initializer_list<const char*> sans)
{
    for (const char* san : sans) {
        CMove m = readSan(p, san);
        ASSERT_NE(m, NoMove) << san;
        p.makeMove(m);
    }
}

} // namespace

TEST(MoveGen, StartPositionOrder)
{
    CPosition p;
    EXPECT_EQ(legalSan(p),
        (std::vector<std::string>{"a3", "a4", "Na3", "Nc3", "b3", "b4", "c3", "c4", "d3", "d4", "e3", "e4", "f3", "f4",
            "Nf3", "Nh3", "g3", "g4", "h3", "h4"}));
}

TEST(MoveGen, MoveValues)
{
    EXPECT_EQ(NullMove.value(), 0u);
    EXPECT_EQ(WhiteShortCastling.value(), 64u | 0u << 8 | 96u << 16 | 39u << 24);
    EXPECT_LT(std::int32_t(CMove(0, 4, 17, 128 + 12).value()), 0); // a capture reads negative
    EXPECT_EQ(CMove(), DefaultMove);
    EXPECT_TRUE(CMove(16, 2, 34, 7).isQuiet());
    EXPECT_FALSE(CMove(1, 4, 2, 7).isQuiet());
}

TEST(MoveGen, EnPassant)
{
    CPosition p;
    play(p, {"e4"});
    EXPECT_EQ(p.enPassant, 0); // no black pawn beside e4
    play(p, {"d5", "e5", "f5"});
    EXPECT_EQ(p.enPassant, at("f6"));
    CMoveList moves;
    p.generateLegalMoves(moves);
    bool found = false;
    for (const CMove& m : moves)
        found = found || (m.from == at("e5") && m.to == at("f6") && m.flags == 204);
    EXPECT_TRUE(found);
    CMove ep = p.findMove(at("e5"), at("f6"), 0);
    p.makeMove(ep);
    EXPECT_EQ(p.board[at("f5")], Empty);
    EXPECT_EQ(p.pieceCount, 31);
    p.unmakeMove();
    EXPECT_EQ(p.board[at("f5")], BlackPawn);
}

TEST(MoveGen, PromotionOrder)
{
    CPosition p;
    p.setFromFen("3r3k/4P3/8/8/8/8/8/K7 w - - 0 1");
    CMoveList moves;
    p.generateLegalPieceMoves(at("e7"), moves);
    std::vector<std::string> got;
    for (const CMove& m : moves)
        got.push_back(writeSan(p, m, false));
    EXPECT_EQ(got, (std::vector<std::string>{"e8=Q", "e8=N", "e8=R", "e8=B", "exd8=Q", "exd8=N", "exd8=R", "exd8=B"}));
    EXPECT_EQ(moves[0].flags, 16 + 7);
    EXPECT_EQ(moves[4].flags, 16 + 128 + BlackRook);
    EXPECT_EQ(moves[1].piece, WhiteKnight);
}

TEST(MoveGen, Castling)
{
    struct Case {
        const char* fen;
        bool shortAllowed;
        bool longAllowed;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true}, {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true},
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, true}, // f1 attacked
        {"4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", false, false}, // in check
        {"4k3/8/8/8/8/8/8/R3K1NR w KQ - 0 1", false, true}, // g1 occupied
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true}, // only b1 attacked
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, false}, // c1 attacked
        {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", true, false}, // b1 occupied
    };
    for (const Case& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        EXPECT_EQ(p.findMove(sq::e1, sq::g1, 0) == WhiteShortCastling, c.shortAllowed) << c.fen;
        EXPECT_EQ(p.findMove(sq::e1, sq::c1, 0) == WhiteLongCastling, c.longAllowed) << c.fen;
    }
}

TEST(MoveGen, CastlingMovesTheRookAndResetsTheClock)
{
    CPosition p;
    p.setFromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 7 1");
    p.makeMove(BlackLongCastling);
    EXPECT_EQ(p.board[sq::c8], BlackKing);
    EXPECT_EQ(p.board[sq::d8], BlackRook);
    EXPECT_EQ(p.board[sq::a8], Empty);
    EXPECT_EQ(p.castlingRights, WhiteShort | WhiteLong);
    EXPECT_EQ(p.halfMoveClock, 0);
    EXPECT_EQ(p.moveNumber, 2);
    p.makeMove(p.findMove(sq::h1, makeSquare(7, 1), 0));
    EXPECT_EQ(p.halfMoveClock, 1);
    EXPECT_EQ(p.castlingRights, WhiteLong);
}

TEST(MoveGen, CapturingARookRemovesItsRight)
{
    CPosition p;
    p.setFromFen("r3k2r/8/8/8/8/8/8/4K2R w Kkq - 0 1");
    p.makeMove(p.findMove(sq::h1, sq::h8, 0));
    EXPECT_EQ(p.castlingRights, BlackLong);
}

TEST(MoveGen, TakeBackRecountsTheClock)
{
    CPosition p;
    p.setFromFen("4k3/8/8/8/8/8/8/4K1N1 w - - 10 30");
    p.makeMove(p.findMove(sq::g1, makeSquare(5, 2), 0));
    EXPECT_EQ(p.halfMoveClock, 11);
    p.unmakeMove();
    EXPECT_EQ(p.halfMoveClock, 0);
    EXPECT_EQ(p.moveNumber, 30);
    p.unmakeMove(); // empty history: nothing happens
    EXPECT_EQ(p.writeFen(), "4k3/8/8/8/8/8/8/4K1N1 w - - 0 30");
}

TEST(MoveGen, NullMovePassesTheTurn)
{
    CPosition p;
    play(p, {"e4", "d5", "e5", "f5"});
    p.makeMove(NullMove);
    EXPECT_EQ(p.enPassant, 0);
    EXPECT_EQ(p.sideToMove, Black);
    EXPECT_EQ(p.lastMove(), NullMove);
    p.unmakeMove();
    EXPECT_EQ(p.enPassant, at("f6"));
}

TEST(MoveGen, Lookups)
{
    CPosition p;
    p.setFromFen("4k3/4P3/8/8/8/8/8/1N2KN2 w - - 0 1");
    EXPECT_EQ(p.findUniqueMoveTo(at("d2")), AmbiguousMove);
    CMove promo = p.findUniqueMoveTo(at("e8"));
    EXPECT_EQ(promo, NoMove); // e8 is occupied by the black king
    p.setFromFen("7k/4P3/8/8/8/8/8/1N2KN2 w - - 0 1");
    promo = p.findUniqueMoveTo(at("e8"));
    EXPECT_EQ(promo.piece, WhiteQueen);
    EXPECT_TRUE(promo.isPromotion());
    EXPECT_EQ(p.findUniqueMoveFrom(at("e7")).piece, WhiteQueen);
    EXPECT_EQ(p.findUniqueMoveFrom(at("b1")), AmbiguousMove);
    EXPECT_EQ(p.findUniqueMoveTo(at("h5")), NoMove);
    EXPECT_EQ(p.findMove(at("e7"), at("e8"), WhiteKnight).piece, WhiteKnight);
    EXPECT_EQ(p.findMove(at("b1"), at("c3"), WhiteRook), CMove(at("b1"), WhiteKnight, at("c3"), 7));
    EXPECT_EQ(p.findMove(at("b1"), at("b3"), 0), NoMove);
    EXPECT_EQ(p.findMove(NoSquare, at("b3"), 0), NoMove);
}

TEST(MoveGen, NthPieceAndMove)
{
    CPosition p;
    EXPECT_EQ(p.nthPiece(0), sq::a1);
    EXPECT_EQ(p.nthPiece(2), sq::b1);
    EXPECT_EQ(p.nthPiece(16), NoSquare);
    EXPECT_EQ(p.nthPieceMove(sq::b1, 1), CMove(sq::b1, WhiteKnight, at("c3"), 7));
    EXPECT_EQ(p.nthPieceMove(sq::b1, 2), NoMove);
    EXPECT_EQ(p.nthPieceMove(at("e4"), 0), NoMove);
}

TEST(MoveGen, FindMoveToBoard)
{
    CPosition p;
    play(p, {"e4", "d5"});
    CPosition after = p;
    play(after, {"exd5"});
    EXPECT_EQ(p.findMoveToBoard(after.board), p.findMove(at("e4"), at("d5"), 0));
    EXPECT_EQ(p.findMoveToBoard(p.board), NoMove);
    EXPECT_EQ(p.historyCount(), 2);
}

TEST(MoveGen, AttacksAndMissingKing)
{
    CPosition p;
    p.setFromFen("8/8/8/8/8/8/8/R7 w - - 0 1");
    EXPECT_TRUE(p.isAttackedBy(White, sq::a8));
    EXPECT_FALSE(p.isAttackedBy(White, NoSquare));
    EXPECT_FALSE(p.isInCheck());
    CMoveList moves;
    p.generateLegalMoves(moves);
    EXPECT_EQ(moves.count, 0); // a side without a king has no legal moves
    p.generatePseudoLegalMoves(moves);
    EXPECT_EQ(moves.count, 14);
}

TEST(MoveGen, PinsAndDiscoveredChecks)
{
    // Positions whose legal moves exercise every way a move can expose the king.
    struct Case {
        const char* fen;
        int depth;
        std::uint64_t nodes;
    } cases[] = {
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, 43238},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
        {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 4, 13931}, // en passant that checks
        {"3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 4, 10138},
    };
    for (const Case& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        EXPECT_EQ(perft(p, c.depth), c.nodes) << c.fen;
        EXPECT_EQ(p.historyCount(), 0);
    }
}
