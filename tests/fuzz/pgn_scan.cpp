// scanGame over arbitrary bytes; its game boundaries must be readGame's.
// fuzz-libs: qm_game qm_rules
#include "game/PgnReader.h"

#include <cstdlib>
#include <sstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    qm::CPgnReader scanner, reader;
    std::int64_t offset = 0, next = 0;
    std::vector<std::int64_t> scanned, read;
    std::unique_ptr<qm::CGame> game;
    while (scanner.scanGame(in, offset, next, game)) {
        if (!game || next <= offset || game->root()->childCount() != 0)
            std::abort();
        scanned.push_back(offset);
        offset = next;
    }
    offset = 0;
    for (;;) {
        const bool ok = reader.readGame(in, offset, next, game);
        if (!ok && reader.endOfInput())
            break;
        read.push_back(offset);
        offset = next;
    }
    if (scanned != read)
        std::abort();
    return 0;
}
