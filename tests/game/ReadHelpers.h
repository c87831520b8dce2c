#pragma once
// Reading PGN text held in memory, for tests.
#include "game/PgnReader.h"

#include <sstream>

namespace qm::test {

struct ReadResult {
    bool ok = false;
    std::unique_ptr<CGame> game;
    std::int64_t next = 0;
    std::string failure;
};

inline ReadResult readText(const std::string& text, std::int64_t offset = 0)
{
    std::istringstream in(text);
    CPgnReader reader;
    ReadResult r;
    r.ok = reader.readGame(in, offset, r.next, r.game);
    r.failure = reader.failure();
    return r;
}

// Reads every game of the stream as a file is read: readGame game after game
// by the reported next offset. Hands each to visit(offset, next, game), game
// null for a failed one; visit returns false to stop.
template <typename Visit>
void forEachGameIn(std::istream& in, Visit&& visit)
{
    CPgnReader reader;
    std::int64_t offset = 0, next = 0;
    for (;;) {
        std::unique_ptr<CGame> game;
        const bool ok = reader.readGame(in, offset, next, game);
        if ((!ok && reader.endOfInput()) || !visit(offset, next, ok ? game.get() : nullptr))
            return;
        offset = next;
    }
}

// The movetext as the writer gives it on one line, without the line ends.
inline std::string movesOf(CGame& game)
{
    COutputOptions o = DatabaseOutputOptions;
    o.writeTags = false;
    o.lineWidth = 1 << 20;
    game.setOutputOptions(o);
    std::string text = game.toText();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace qm::test
