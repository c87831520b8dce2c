#pragma once
// Reading a UCI engine's "info" and "bestmove" lines.

#include <cstdint>
#include <string>

namespace uci {

struct Info {
    bool hasDepth = false, hasSelDepth = false, hasNodes = false, hasScore = false, hasPv = false, hasCurrMove = false;
    bool bound = false;   // lowerbound/upperbound: not an exact score
    int depth = 0, selDepth = 0;
    std::uint64_t nodes = 0;
    int score = 0;        // hundredths of a pawn for the side to move; mates as 30000 - plies
    std::string pv;
    std::string currMove;
    int currMoveNumber = 0;
};

// Parses the words after "info"; unknown words are skipped.
Info parseInfo(const std::string& line);

// The move and ponder move of a "bestmove" line; "" when absent or "(none)".
void parseBestMove(const std::string& line, std::string& move, std::string& ponder);

// A UCI mate distance in moves (positive: the side to move mates) as a
// score: 30000 - plies to mate.
int mateScore(int moves);

} // namespace uci
