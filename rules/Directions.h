#pragma once
// The step tables of move generation, per piece type and colour (index 0
// white, 1 black), as 0x88 index deltas. Their order is binding: the opening
// book numbers moves by their place in it and the SAN reader takes the first
// match. Each black list is the white list mirrored top to bottom, so both
// colours generate their forward moves first.

namespace qm::directions {

struct Steps {
    signed char step[8];
    int count;
};

inline constexpr Steps Knight[2] = {
    {{-31, 33, -33, 31, -14, 18, -18, 14}, 8},
    {{-33, 31, -31, 33, -18, 14, -14, 18}, 8},
};
inline constexpr Steps Bishop[2] = {{{17, -15, 15, -17}, 4}, {{15, -17, 17, -15}, 4}};
inline constexpr Steps Rook[2] = {{{1, 16, -16, -1}, 4}, {{-1, 16, -16, 1}, 4}};
inline constexpr Steps Queen[2] = {{{17, -15, 1, 15, -17, -1, 16, -16}, 8}, {{15, -17, -1, 17, -15, 1, 16, -16}, 8}};
inline constexpr Steps King[2] = {{{16, -16, -17, -1, 15, 17, 1, -15}, 8}, {{16, -16, -15, 1, 17, 15, -1, -17}, 8}};

// The steps of a piece type (bishop, knight, rook, queen, king) for a colour.
constexpr const Steps& forPiece(int type, int colour)
{
    switch (type) {
    case 0:
        return King[colour];
    case 1:
        return Bishop[colour];
    case 2:
        return Knight[colour];
    case 3:
        return Rook[colour];
    default:
        return Queen[colour];
    }
}

} // namespace qm::directions
