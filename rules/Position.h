#pragma once
// CPosition: the one representation of a chess position.
//
// The fields are public: the board view, the position editor, the DGT driver
// and the opening book read and write cells directly. Code that writes cells
// need not maintain the king-square cache; it repairs itself on lookup.
// Whoever sets the side to move sets sideNotToMove too.
//
// Every move made appends a full snapshot of the state before it to the
// history, so taking a move back is a copy and repetitions can be found.

#include "rules/Move.h"
#include "rules/Piece.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qm {

// The state before one move, and the move made from it.
struct CHistoryEntry {
    PieceCode board[128];
    std::uint8_t sideToMove;
    std::uint8_t sideNotToMove;
    std::uint8_t castlingRights;
    Square enPassant;
    std::uint8_t pieceCount;
    CMove move;
    // Where the last repetition comparison starting from this entry found a
    // difference (a square index); 0 at first.
    std::uint8_t hint;
};

inline constexpr std::string_view StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

class CPosition {
public:
    PieceCode board[128];
    std::uint8_t sideToMove; // 0 white, 1 black
    std::uint8_t sideNotToMove; // always 1 - sideToMove
    std::uint8_t castlingRights; // CastlingRight bits
    Square enPassant; // square passed over by a double step; 0 for none
    std::uint8_t pieceCount; // pieces on the board, kings included
    std::int16_t halfMoveClock;
    std::int16_t moveNumber;
    Square kingSquare[14]; // cache; only entries 0 and 8 are used

    CPosition();
    CPosition(const CPosition& other);
    CPosition& operator=(const CPosition& other);
    CPosition(CPosition&&) noexcept = default;
    CPosition& operator=(CPosition&&) noexcept = default;
    ~CPosition() = default;

    // --- Position and FEN ---
    void setStartPosition();
    // Accepts any text and leaves a defined position; reads nothing past the
    // end of text. Empties the history.
    void setFromFen(std::string_view text);
    std::string writeFen() const;
    // All squares empty, white to move, no rights; the history is kept.
    void clearPosition();
    bool isValidSetup() const;
    // The king's square, or 120 when that king is not on the board.
    Square findKing(Colour colour);
    // The move of the newest history entry; the history must not be empty.
    CMove lastMove() const { return m_history[m_count - 1].move; }
    // 1: board equals the board before the last move; 2: before the last two
    // moves; 0 otherwise.
    int compareWithPrevious(const PieceCode* otherBoard) const;

    // --- History ---
    int historyCount() const { return m_count; }
    int historyCapacity() const { return m_capacity; }
    const CHistoryEntry& historyEntry(int i) const { return m_history[i]; }
    CHistoryEntry& historyEntry(int i) { return m_history[i]; }

    // --- Moves ---
    // Plays a move without validation: it must come from the generators or
    // lookups, the book, the SAN reader, or be NullMove.
    void makeMove(CMove move);
    // Takes back the newest move; nothing when the history is empty.
    void unmakeMove();
    // Appends a snapshot recording NullMove and advances the counters as for
    // a quiet move; the caller then changes the cells (coordinate-text moves).
    void pushSnapshot();
    // After the cells show a move of piece from from to to: the en-passant
    // square it leaves and the castling rights it removes.
    void updateEnPassantAndRights(Square from, Square to, PieceCode piece);

    bool isAttackedBy(Colour colour, Square square) const;
    bool isInCheck();

    // Pseudo-legal moves of the piece on the square, appended in the fixed order.
    void generatePieceMoves(Square square, CMoveList& list) const;
    void generatePseudoLegalMoves(CMoveList& list) const;
    // kingSquare is findKing of the side to move.
    bool isLegalMove(CMove move, Square kingSquare);
    // As isLegalMove, for a pseudo-legal move, when the king on kingSquare is
    // known not to be attacked: then only the line from the king through the
    // vacated square can open, and only that line is probed.
    bool isLegalMoveOutOfCheck(CMove move, Square kingSquare);
    // Whether the side to move is in check in the position that move has just
    // reached, provided the side to move was not attacked before the move
    // (which holds after every legal move from a position whose side not to
    // move was not in check). Only the squares the move filled and the lines
    // through those it emptied are probed.
    bool isCheckAfterMove(CMove move);
    void generateLegalPieceMoves(Square square, CMoveList& list);
    void generateLegalMoves(CMoveList& list);
    // Counts the legal moves without storing them.
    int countLegalMoves();
    // The legal moves that end on either square, and with castling set the
    // castling moves, in generation order: all that a move text naming those
    // squares can mean.
    void generateLegalMovesTo(Square first, Square second, bool castling, CMoveList& list);

    CMove findMove(Square from, Square to, PieceCode promotionCode);
    CMove findUniqueMoveTo(Square to);
    CMove findUniqueMoveFrom(Square from);
    CMove findMoveToBoard(const PieceCode* otherBoard) const;
    Square nthPiece(int n) const;
    CMove nthPieceMove(Square square, int n) const;

private:
    void appendHistory(CMove move);
    void growHistory();
    CMove findUniqueMove(Square square, bool byDestination);

    std::unique_ptr<CHistoryEntry[]> m_history;
    int m_count = 0;
    int m_capacity = 0;
};

} // namespace qm
