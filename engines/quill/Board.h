#pragma once
// The board of QuillEngine: bitboards per colour and piece type, a mailbox
// for lookups, and an incrementally kept Zobrist key. Moves are made by
// copying the board (copy-make), so there is no unmake.

#include "engines/quill/Bitboard.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

// A move in 16 bits: from (0-5), to (6-11), promotion piece type minus one
// (12-13, Knight..Queen), kind (14-15). 0 is "no move".
using Move = std::uint16_t;
enum MoveKind : int { Normal = 0, Promotion = 1, EnPassant = 2, Castling = 3 };
constexpr Move NoMove = 0;
constexpr Move makeMove(int from, int to, int kind = Normal, int promo = Knight)
{
    return Move(from | (to << 6) | ((promo - Knight) << 12) | (kind << 14));
}
constexpr int moveFrom(Move m) { return m & 63; }
constexpr int moveTo(Move m) { return (m >> 6) & 63; }
constexpr int moveKind(Move m) { return m >> 14; }
constexpr int movePromotion(Move m) { return ((m >> 12) & 3) + Knight; }

// Castling-right bits.
enum : int { WhiteShort = 1, WhiteLong = 2, BlackShort = 4, BlackLong = 8 };

constexpr int NoPiece = 12;
constexpr int pieceOf(int colour, int type) { return colour * 6 + type; }
constexpr int typeOfPiece(int piece) { return piece % 6; }
constexpr int colourOfPiece(int piece) { return piece / 6; }

struct MoveList {
    Move moves[256];
    int count = 0;
    void push(Move m) { moves[count++] = m; }
};

namespace zobrist {
extern std::uint64_t Piece[12][64];
extern std::uint64_t Castling[16];
extern std::uint64_t EnPassantFile[8];
extern std::uint64_t Side;
} // namespace zobrist

// Builds the attack and hash tables; every Board constructor calls it, so
// they are ready before any board exists. Cheap after the first call.
void initEngineTables();

class Board {
public:
    Bitboard byType[2][6];
    Bitboard byColour[2];
    Bitboard occupied;
    std::uint8_t mailbox[64];
    int side;
    int castling;
    int enPassant;  // the square passed over by the last double step, or -1
    int halfMoves;
    int fullMoves;
    std::uint64_t key;

    Board() { clear(); }
    void clear();
    void setStart();
    // Reads a FEN text; false (and the board unchanged) when it is not a
    // playable position: bad syntax, not one king each, pawns on the back
    // ranks, or the side not to move in check.
    bool setFromFen(std::string_view fen);
    std::string fen() const;

    int pieceOn(int sq) const { return mailbox[sq]; }
    Bitboard pieces(int colour, int type) const { return byType[colour][type]; }
    // A playable board has one king each; the mask keeps the index provably
    // in range (GCC's array-bounds check sees lsb(0) = 64 otherwise).
    int kingSquare(int colour) const { return lsb(byType[colour][King]) & 63; }

    Bitboard attackersTo(int sq, Bitboard occ) const;
    bool isAttacked(int sq, int byColour) const;
    bool inCheck() const { return isAttacked(kingSquare(side), side ^ 1); }

    // Pseudo-legal moves; captures-and-promotions only when capturesOnly.
    void generate(MoveList& list, bool capturesOnly) const;
    // Makes a pseudo-legal move on this board; false when it leaves the
    // mover's king attacked (the board is then spoiled and must be dropped).
    bool make(Move m);
    void makeNull();
    bool isCapture(Move m) const { return mailbox[moveTo(m)] != NoPiece || moveKind(m) == EnPassant; }
    // Whether a move of the list generated here is legal.
    bool isLegal(Move m) const;
    // Whether m could be a move here (used to check moves from the hash table).
    bool isPseudoLegal(Move m) const;
    // Static exchange: true when the capture sequence on the target square
    // gains at least threshold.
    bool seeAtLeast(Move m, int threshold) const;
    bool hasNonPawnMaterial(int colour) const
    {
        return (byType[colour][Knight] | byType[colour][Bishop] | byType[colour][Rook] | byType[colour][Queen]) != 0;
    }

    // Coordinate text ("e2e4", "e7e8q"); reading accepts uppercase letters
    // and finds the legal move it names, else NoMove.
    static std::string moveText(Move m);
    Move parseMove(std::string_view text) const;

private:
    void put(int piece, int sq);
    void remove(int sq);
    void computeKey();
};

} // namespace quill
