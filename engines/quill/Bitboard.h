#pragma once
// Bitboards of QuillEngine: square 0 is a1, 7 is h1, 63 is h8. Sliding
// attacks come from magic multiplication tables built once at start.

#include <bit>
#include <cstdint>

namespace quill {

using Bitboard = std::uint64_t;

enum Colour : int { White = 0, Black = 1 };
enum PieceType : int { Pawn = 0, Knight = 1, Bishop = 2, Rook = 3, Queen = 4, King = 5, NoType = 6 };

constexpr int fileOf(int sq) { return sq & 7; }
constexpr int rankOf(int sq) { return sq >> 3; }
constexpr Bitboard bit(int sq) { return Bitboard(1) << sq; }
inline int lsb(Bitboard b) { return std::countr_zero(b); }
inline int popLsb(Bitboard& b)
{
    int sq = std::countr_zero(b);
    b &= b - 1;
    return sq;
}
inline int popCount(Bitboard b) { return std::popcount(b); }

constexpr Bitboard FileA = 0x0101010101010101ULL;
constexpr Bitboard Rank1 = 0xFFULL;
constexpr Bitboard fileMask(int f) { return FileA << f; }
constexpr Bitboard rankMask(int r) { return Rank1 << (8 * r); }

// Builds the tables; safe to call more than once and from several threads
// (the first call does the work).
void initBitboards();

extern Bitboard PawnAttacks[2][64];
extern Bitboard KnightAttacks[64];
extern Bitboard KingAttacks[64];

struct Magic {
    Bitboard mask;
    Bitboard magic;
    Bitboard* attacks;
    int shift;
    unsigned index(Bitboard occupied) const { return unsigned(((occupied & mask) * magic) >> shift); }
};
extern Magic BishopMagics[64];
extern Magic RookMagics[64];

inline Bitboard bishopAttacks(int sq, Bitboard occupied) { return BishopMagics[sq].attacks[BishopMagics[sq].index(occupied)]; }
inline Bitboard rookAttacks(int sq, Bitboard occupied) { return RookMagics[sq].attacks[RookMagics[sq].index(occupied)]; }
inline Bitboard queenAttacks(int sq, Bitboard occupied) { return bishopAttacks(sq, occupied) | rookAttacks(sq, occupied); }

// Squares strictly between two squares on a line, else 0.
extern Bitboard Between[64][64];

} // namespace quill
