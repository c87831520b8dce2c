// Every game read from arbitrary bytes, written and read back, gives the
// same tree and tags.
// fuzz-libs: qm_game qm_rules
#include "game/GameCompare.h"
#include "game/PgnReader.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    qm::CPgnReader reader, again;
    std::int64_t offset = 0, next = 0;
    for (;;) {
        std::unique_ptr<qm::CGame> game;
        const bool ok = reader.readGame(in, offset, next, game);
        if (!ok && reader.endOfInput())
            break;
        offset = next;
        if (!ok)
            continue;
        for (int width : {75, 9}) {
            game->setOutputOptions(width, true, true, true, true, false);
            const std::string text = game->toText();
            std::istringstream written(text);
            std::unique_ptr<qm::CGame> back;
            std::int64_t after = 0;
            std::string why = "does not read back: " + again.failure();
            if (!again.readGame(written, 0, after, back) || !qm::sameTree(*game, *back, &why)
                || back->tags() != game->tags()) {
                std::fprintf(stderr, "round trip failed (%s):\n%s\n", why.c_str(), text.c_str());
                std::abort();
            }
        }
    }
    return 0;
}
