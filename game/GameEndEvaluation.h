#pragma once
// Acting on the end of a game: the reason is told to the user, recorded as
// a comment on the node where the game ended, and the result is set.

#include "game/Game.h"
#include "rules/GameEnd.h"

#include <string_view>

namespace qm {

// Shows the game-end message; the window layer implements it with a
// message box.
class IGameEndNotifier {
public:
    virtual ~IGameEndNotifier() = default;
    virtual void showGameEnd(std::string_view message) = 0;
};

// Applies getGameState to shown, the position after current in game. When
// the game is over: notifier (none when a DGT board is configured) shows the
// message; current gets the comment unless it or one of its ancestors has it
// already (the game is then marked modified); when current ends the main
// line the "Result" tag is set. Returns the state.
CGameState evaluateGameEnd(CPosition& shown, CGame& game, CGameNode& current, IGameEndNotifier* notifier);

} // namespace qm
