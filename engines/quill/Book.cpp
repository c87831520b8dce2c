#include "engines/quill/Book.h"

#include "engine/PolyglotBook.h"

namespace quill {

std::vector<BookCandidate> polyglotMoves(const std::string& path, const Board& board)
{
    std::vector<BookCandidate> out;
    for (const qm::CPolyglotEntry& e : qm::polyglotEntries(path, board.fen())) {
        Move m = board.parseMove(e.move);
        if (m != NoMove)
            out.push_back({m, e.weight});
    }
    return out;
}

Move chooseBookCandidate(const std::vector<BookCandidate>& candidates, int mode, std::mt19937& random)
{
    if (mode <= 0 || candidates.empty())
        return NoMove;
    const BookCandidate* best = &candidates[0];
    for (const BookCandidate& c : candidates)
        if (c.weight > best->weight)
            best = &c;
    if (mode == 1)
        return best->move;
    if (mode == 2) {
        std::vector<const BookCandidate*> good;
        long total = 0;
        for (const BookCandidate& c : candidates)
            if (c.weight > 0 && c.weight * 4 >= best->weight) {
                good.push_back(&c);
                total += c.weight;
            }
        if (total <= 0)
            return best->move;
        long r = std::uniform_int_distribution<long>(0, total - 1)(random);
        for (const BookCandidate* c : good) {
            if (r < c->weight)
                return c->move;
            r -= c->weight;
        }
        return best->move;
    }
    return candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random)].move;
}

} // namespace quill
