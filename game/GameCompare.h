#pragma once
// Comparing the move trees of two games, as a written game read back must
// give the same tree again.

#include "game/Game.h"

#include <string>

namespace qm {

// True when both trees have the same moves and variations in the same
// order, the same NAGs and the same comments below the root. Comments are
// compared with runs of blanks and line ends taken as one blank and with
// the ends trimmed, as the writer breaks lines inside them. On a difference
// *why (when given) says where.
bool sameTree(const CGame& a, const CGame& b, std::string* why = nullptr);

// The text with runs of blanks, tabs and line ends made one blank, trimmed.
std::string collapseBlanks(std::string_view text);

} // namespace qm
