#include "game/GameEndEvaluation.h"

namespace qm {

CGameState evaluateGameEnd(CPosition& shown, CGame& game, CGameNode& current, IGameEndNotifier* notifier)
{
    const CGameState state = getGameState(shown);
    if (!state.over)
        return state;
    const CGameEndTexts texts = gameEndTexts(state.status, shown.sideToMove);
    if (notifier)
        notifier->showGameEnd(texts.message);
    if (current.comment != texts.comment) {
        bool recorded = false;
        for (const CGameNode* n = current.parent; n && !recorded; n = n->parent)
            recorded = n->comment == texts.comment;
        if (!recorded) {
            setComment(current, texts.comment);
            game.markModified();
        }
    }
    if (game.lastMainLineNode() == &current)
        game.setResult(texts.result);
    return state;
}

} // namespace qm
