#pragma once
// Game-end rules: checkmate, stalemate, threefold repetition, the fifty-move
// rule and material that cannot mate, decided for a position from its
// board and its history.

#include "rules/Position.h"

#include <string_view>

namespace qm {

enum GameStatus : int {
    GameRunning = 0,
    GameCheckmate = 1,
    GameStalemate = 2,
    GameThreefoldRepetition = 3,
    GameFiftyMoveRule = 4,
    GameInsufficientMaterial = 5,
};

struct CGameState {
    bool over = false;
    int status = GameRunning;
};

// The state of the game in the position. Repetitions and reversible plies
// are counted in the position's history only (a half-move clock read from
// FEN does not count). The position is unchanged afterwards.
CGameState getGameState(CPosition& position);

// Same side to move, same 64 squares, same castling rights and en-passant
// square. Stores in a's hint the square where the boards first differ, and
// looks there first next time.
bool samePosition(CHistoryEntry& a, const CHistoryEntry& b);

struct CGameEndTexts {
    std::string_view message; // shown to the user
    std::string_view comment; // recorded on the node where the game ended
    std::string_view result; // the "Result" tag
};

// The texts for a status above 0; sideToMove is the side to move in the
// final position (0 white, 1 black). Empty texts for status 0 and unknown
// codes.
CGameEndTexts gameEndTexts(int status, int sideToMove);

} // namespace qm
