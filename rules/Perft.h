#pragma once
// Perft: leaf-node counts of the legal move tree, the standard check of a
// move generator against published figures.

#include "rules/Position.h"

#include <cstdint>

namespace qm {

// Leaves of the legal move tree of the given depth (1 at depth 0). Uses
// makeMove / unmakeMove; the last ply counts legal moves without making them.
std::uint64_t perft(CPosition& position, int depth);

} // namespace qm
