#pragma once
// Builds game trees by hand for tests that need no rules: moves are
// placeholders, only the texts matter.
#include "game/Game.h"

namespace qm::test {

inline CGameNode& addMove(CGameNode& parent, const std::string& san, std::string comment = {}, std::uint8_t nag = 0)
{
    auto node = std::make_unique<CGameNode>(CMove(0, 0, std::uint8_t(parent.childCount()), 7), san, parent.ply + 1,
                                            std::move(comment), nag);
    CGameNode& ref = *node;
    addChild(parent, std::move(node));
    return ref;
}

inline CGameNode& newRoot(CGame& game, int ply = -1)
{
    game.setRoot(std::make_unique<CGameNode>(NoMove, "root", ply));
    return *game.root();
}

// Adds a main line of moves below node; returns the last one.
inline CGameNode& addLine(CGameNode& node, std::initializer_list<const char*> sans)
{
    CGameNode* n = &node;
    for (const char* s : sans)
        n = &addMove(*n, s);
    return *n;
}

} // namespace qm::test
