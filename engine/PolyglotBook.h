#pragma once
// Polyglot opening books (".bin"): 16-byte entries sorted by a 64-bit
// position key, read straight from the file with a binary search on every
// lookup. The position is given as FEN text so that any board can use it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

extern const std::uint64_t PolyglotRandom[781];

struct CPolyglotEntry {
    std::string move; // coordinate text; castling as the king's two-square step
    int weight = 0;
};

// The Polyglot key of the position in the FEN text; false when the text
// has no readable board and side to move.
bool polyglotKey(std::string_view fen, std::uint64_t& key);

// The entries the book at path holds for the position, in file order
// (at most 256). Empty when the file cannot be read or the FEN is bad.
// Moves are not checked for legality: the caller's board does that.
std::vector<CPolyglotEntry> polyglotEntries(const std::string& path, std::string_view fen);

} // namespace qm
