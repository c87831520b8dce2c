#include "rules/Position.h"

#include <gtest/gtest.h>

#include <string>

using namespace qm;

namespace {

struct FenCase {
    const char* input;
    const char* written;
};

// FEN read and written back: the kept rights and en-passant squares, clock
// defaults and the odd but defined readings of malformed ranks.
const FenCase FenCases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"4k3/8/8/8/8/8/8/4K2R w KQ - 0 1", "4k3/8/8/8/8/8/8/4K2R w K - 0 1"},
    {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 2",
        "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 2"},
    {"rnbqkbnr/ppp1pppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 2",
        "rnbqkbnr/ppp1pppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2"},
    {"4k3/8/8/8/8/8/8/4K3 w - - -5 0", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"4k3/8/8/8/8/8/8/4K3 b - -", "4k3/8/8/8/8/8/8/4K3 b - - 0 1"},
    {"4k3/8/8/8/8/8/8/4K3 w - - 12 40", "4k3/8/8/8/8/8/8/4K3 w - - 12 40"},
    {"p7/8/4/8/8/8/8/8 w - - 0 1", "p7/8/8/8/8/8/8/8 w - - 0 1"},
    {"p7/8/4/8/8/8/8/8 w - - 0 1", "p7/8/8/8/8/8/8/8 w - - 0 1"},
    // Nine pieces fill the rank, the ninth character is skipped and the
    // following '/' ends the next rank at once: later ranks read one lower.
    {"ppppppppp/k7/8/8/8/8/8/K7 w - - 0 1", "pppppppp/8/k7/8/8/8/8/8 w - - 0 1"},
    // Truncated inside the board, side or castling field: defaults remain.
    {"rnbqkbnr/pppp", "rnbqkbnr/pppp4/8/8/8/8/8/8 w - - 0 1"},
    {"", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"4k3/8/8/8/8/8/8/4K2R b", "4k3/8/8/8/8/8/8/4K2R b - - 0 1"},
    {"4k3/8/8/8/8/8/8/4K2R w K", "4k3/8/8/8/8/8/8/4K2R w K - 0 1"},
    {"4k3/8/8/8/8/8/8/4K2R w K e", "4k3/8/8/8/8/8/8/4K2R w K - 0 1"},
    // Characters that name no piece leave the square empty.
    {"4k3/8/8/3Z4/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
};

} // namespace

TEST(Fen, ReadAndWriteBack)
{
    for (const FenCase& c : FenCases) {
        CPosition p;
        p.setFromFen(c.input);
        EXPECT_EQ(p.writeFen(), c.written) << "input: " << c.input;
    }
}

TEST(Fen, FieldsOfTheStartPosition)
{
    CPosition p;
    EXPECT_EQ(p.writeFen(), StartFen);
    EXPECT_EQ(p.sideToMove, White);
    EXPECT_EQ(p.sideNotToMove, Black);
    EXPECT_EQ(p.castlingRights, 15);
    EXPECT_EQ(p.enPassant, 0);
    EXPECT_EQ(p.pieceCount, 32);
    EXPECT_EQ(p.board[sq::e1], WhiteKing);
    EXPECT_EQ(p.board[sq::d8], BlackQueen);
    EXPECT_EQ(p.board[8], OffBoard);
    EXPECT_EQ(p.board[makeSquare(4, 3)], Empty);
    EXPECT_EQ(p.historyCount(), 0);
    EXPECT_EQ(p.historyCapacity(), 16);
}

TEST(Fen, UnknownSideLetterKeepsTheSideToMove)
{
    CPosition p;
    p.setFromFen("4k3/8/8/8/8/8/8/4K3 b - - 0 1");
    p.setFromFen("4k3/8/8/8/8/8/8/4K3 x - - 0 1");
    EXPECT_EQ(p.sideToMove, Black);
    EXPECT_EQ(p.sideNotToMove, White);
}

TEST(Fen, PieceCountCountsOnlyPieces)
{
    CPosition p;
    p.setFromFen("4k3/8/8/3Z4/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(p.pieceCount, 2);
}

TEST(Fen, SetFromFenEmptiesTheHistory)
{
    CPosition p;
    p.makeMove(p.findMove(makeSquare(4, 1), makeSquare(4, 3), 0));
    ASSERT_EQ(p.historyCount(), 1);
    p.setFromFen(StartFen);
    EXPECT_EQ(p.historyCount(), 0);
}

TEST(Position, ClearPositionKeepsHistory)
{
    CPosition p;
    p.makeMove(p.findMove(makeSquare(4, 1), makeSquare(4, 3), 0));
    p.clearPosition();
    EXPECT_EQ(p.historyCount(), 1);
    EXPECT_EQ(p.writeFen(), "8/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(p.pieceCount, 0);
}

TEST(Position, ValidSetup)
{
    struct Case {
        const char* fen;
        bool valid;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", true},
        {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1", false}, // two white kings
        {"4k2P/8/8/8/8/8/8/4K3 w - - 0 1", false}, // white pawn on h8
        {"4k3/pppppppp/p7/8/8/8/8/4K3 w - - 0 1", false}, // nine black pawns
        {"4k3/8/8/8/8/7N/PPPPPPPP/NN2K3 w - - 0 1", false}, // 8 pawns + 3 knights
        {"4k3/8/8/8/8/8/PPPPPPPN/NN2K3 w - - 0 1", true}, // 7 pawns + 3 knights: one promotion
        {"4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - - 0 1", false}, // 8 pawns + 2 queens
        {"4k3/8/8/8/8/8/PPPPPPP1/QQ2K3 w - - 0 1", true}, // 7 pawns + 2 queens
        {"4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", false}, // black king in check, white to move
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true}, {"4k3/8/8/8/8/8/8/8 w - - 0 1", false}, // no white king
    };
    for (const Case& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        EXPECT_EQ(p.isValidSetup(), c.valid) << c.fen;
    }
}

TEST(Position, ValidSetupChecksRightsAndEnPassantSetDirectly)
{
    // Rights and en-passant squares written directly (as the position
    // editor does) are checked against the pieces.
    CPosition p;
    p.setFromFen("4k3/8/8/8/8/8/8/4K1R1 w - - 0 1");
    p.castlingRights = WhiteShort; // rook on g1, not h1
    EXPECT_FALSE(p.isValidSetup());

    p.setFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
    p.enPassant = makeSquare(3, 5); // d6, white to move: fine
    EXPECT_TRUE(p.isValidSetup());
    p.sideToMove = Black;
    p.sideNotToMove = White;
    EXPECT_FALSE(p.isValidSetup()); // rank 6 with black to move
}

TEST(Position, FindKing)
{
    CPosition p;
    p.setFromFen("8/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(p.findKing(White), sq::e1);
    EXPECT_EQ(p.findKing(Black), NoSquare);
    // Cells written directly: the cache repairs itself.
    p.board[sq::e1] = Empty;
    p.board[sq::a8] = WhiteKing;
    EXPECT_EQ(p.findKing(White), sq::a8);
}

TEST(Position, CompareWithPrevious)
{
    CPosition p;
    EXPECT_EQ(p.compareWithPrevious(p.board), 0);
    PieceCode start[128];
    std::copy(std::begin(p.board), std::end(p.board), start);
    p.makeMove(p.findMove(makeSquare(4, 1), makeSquare(4, 3), 0));
    PieceCode afterE4[128];
    std::copy(std::begin(p.board), std::end(p.board), afterE4);
    EXPECT_EQ(p.compareWithPrevious(start), 1);
    p.makeMove(p.findMove(makeSquare(4, 6), makeSquare(4, 4), 0));
    EXPECT_EQ(p.compareWithPrevious(afterE4), 1);
    EXPECT_EQ(p.compareWithPrevious(start), 2);
    EXPECT_EQ(p.compareWithPrevious(p.board), 0);
}

TEST(Position, HistoryGrowsAndCopies)
{
    CPosition p;
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 40; ++i) {
        const char* t = shuffle[i % 4];
        p.makeMove(p.findMove(makeSquare(t[0] - 'a', t[1] - '1'), makeSquare(t[2] - 'a', t[3] - '1'), 0));
    }
    EXPECT_EQ(p.historyCount(), 40);
    EXPECT_EQ(p.historyCapacity(), 64);
    EXPECT_EQ(p.halfMoveClock, 40);
    EXPECT_EQ(p.moveNumber, 21);
    CPosition copy = p;
    for (int i = 0; i < 40; ++i)
        copy.unmakeMove();
    EXPECT_EQ(copy.writeFen(), StartFen);
    EXPECT_EQ(p.historyCount(), 40);
    EXPECT_EQ(p.historyEntry(39).move, p.lastMove());
    EXPECT_EQ(p.historyEntry(45).move, DefaultMove);
}
