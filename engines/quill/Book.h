#pragma once
// QuillEngine's own opening book from a Polyglot ".bin" book (".obk"
// books go through qm::COpeningBook).

#include "engines/quill/Board.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quill {

struct BookCandidate {
    Move move;
    int weight;
};

// Every legal move the Polyglot book at path holds for the position, in
// file order; empty when the file cannot be read.
std::vector<BookCandidate> polyglotMoves(const std::string& path, const Board& board);

// Picks a move by book mode: 0 none, 1 the highest weight (the first of
// equals), 2 a random one among the good ones (weight at least a quarter
// of the best, chosen in proportion to weight), 3 any at random.
Move chooseBookCandidate(const std::vector<BookCandidate>& candidates, int mode, std::mt19937& random);

} // namespace quill
