#include "rules/Perft.h"

namespace qm {

std::uint64_t perft(CPosition& position, int depth)
{
    if (depth <= 0)
        return 1;
    if (depth == 1)
        return std::uint64_t(position.countLegalMoves());
    CMoveList moves(CMoveList::Scratch);
    position.generateLegalMoves(moves);
    std::uint64_t nodes = 0;
    for (const CMove& m : moves) {
        position.makeMove(m);
        nodes += perft(position, depth - 1);
        position.unmakeMove();
    }
    return nodes;
}

} // namespace qm
