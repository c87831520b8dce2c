#pragma once
// The static evaluation of QuillEngine, in centipawns for the side to move.

#include "engines/quill/Board.h"

namespace quill {

int evaluate(const Board& board);
// True when neither side can possibly mate (bare kings, or one minor piece).
bool insufficientMaterial(const Board& board);

} // namespace quill
