// readGame over arbitrary bytes, game after game by the reported offsets.
// fuzz-libs: qm_game qm_rules
#include "game/PgnReader.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    qm::CPgnReader reader;
    std::int64_t offset = 0, next = 0;
    for (;;) {
        std::unique_ptr<qm::CGame> game;
        const bool ok = reader.readGame(in, offset, next, game);
        if (!ok && reader.endOfInput())
            break;
        if (ok != bool(game) || next <= offset)
            std::abort();
        if (game)
            (void)qm::countNodes(*game->root());
        offset = next;
    }
    return 0;
}
