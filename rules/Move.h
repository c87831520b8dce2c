#pragma once
// CMove: the four-byte move value used everywhere.
//
// Bytes in order: from, piece (what stands on the destination afterwards:
// the mover, or for a promotion the new piece), to, flags. Flags: the low
// four bits hold the captured piece code (7 when nothing is captured, the
// pawn for an en-passant capture); 16 promotion, 32 castling, 64 en passant,
// 128 capture. As a little-endian 32-bit value from is the low byte.

#include "rules/Piece.h"

#include <cstdint>
#include <cstring>

namespace qm {

enum MoveFlag : std::uint8_t {
    CapturedMask = 15,
    PromotionFlag = 16,
    CastlingFlag = 32,
    EnPassantFlag = 64,
    CaptureFlag = 128,
};

struct CMove {
    Square from = 120;
    PieceCode piece = 14;
    Square to = 120;
    std::uint8_t flags = 14;

    constexpr CMove() = default;
    constexpr CMove(Square f, PieceCode p, Square t, std::uint8_t fl)
        : from(f)
        , piece(p)
        , to(t)
        , flags(fl)
    {
    }

    constexpr bool isCapture() const { return (flags & CaptureFlag) != 0; }
    constexpr bool isPromotion() const { return (flags & PromotionFlag) != 0; }
    constexpr bool isCastling() const { return (flags & CastlingFlag) != 0; }
    constexpr bool isEnPassant() const { return (flags & EnPassantFlag) != 0; }
    constexpr PieceCode captured() const { return flags & CapturedMask; }
    // Quiet moves advance the half-move clock: no capture, promotion,
    // castling or en-passant bit, and not a pawn move.
    constexpr bool isQuiet() const { return flags < 16 && typeOf(piece) != Pawn; }

    // The 32-bit little-endian value: from is the low byte.
    constexpr std::uint32_t value() const
    {
        return std::uint32_t(from) | std::uint32_t(piece) << 8 | std::uint32_t(to) << 16 | std::uint32_t(flags) << 24;
    }
    static constexpr CMove fromValue(std::uint32_t v)
    {
        return CMove(Square(v), PieceCode(v >> 8), Square(v >> 16), std::uint8_t(v >> 24));
    }

    friend constexpr bool operator==(const CMove&, const CMove&) = default;
};
static_assert(sizeof(CMove) == 4);

inline constexpr CMove NullMove{0, 0, 0, 0};
inline constexpr CMove NoMove{136, 6, 136, 6};
inline constexpr CMove AmbiguousMove{0, 6, 0, 6};
inline constexpr CMove DefaultMove{120, 14, 120, 14};
inline constexpr CMove WhiteShortCastling{64, 0, 96, 39};
inline constexpr CMove WhiteLongCastling{64, 0, 32, 39};
inline constexpr CMove BlackShortCastling{71, 8, 103, 39};
inline constexpr CMove BlackLongCastling{71, 8, 39, 39};

// A caller-owned list of moves with a count. Room for 256 moves: enough for
// every position (one piece needs at most 32). Empty slots hold the default
// move value; a scratch list made with CMoveList(CMoveList::Scratch) skips
// filling them, for the generator's inner loops.
struct CMoveList {
    static constexpr int Capacity = 256;
    enum ScratchTag { Scratch };
    union {
        CMove moves[Capacity];
    };
    int count = 0;

    CMoveList()
    {
        for (CMove& m : moves)
            m = DefaultMove;
    }
    explicit CMoveList(ScratchTag) { }

    void clear() { count = 0; }
    void push(CMove move) { moves[count++] = move; }
    const CMove* begin() const { return moves; }
    const CMove* end() const { return moves + count; }
    CMove operator[](int i) const { return moves[i]; }
    int size() const { return count; }
    bool empty() const { return count == 0; }
};

} // namespace qm
