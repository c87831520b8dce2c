// The fast index scan must find the same games, offsets and tags as the PGN
// reader's scanGame on any bytes.
// fuzz-libs: qm_database qm_game qm_rules
#include "database/IndexScanner.h"
#include "game/PgnReader.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

struct Game {
    std::int64_t start, next;
    qm::CIndexScanner::Fields fields;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream fastIn(text), slowIn(text);
    qm::CPgnReader fastReader, slowReader;
    qm::CIndexScanner fast(fastIn, fastReader, true), slow(slowIn, slowReader, false);
    std::int64_t start = 0;
    for (int games = 0; games < 100000; ++games) {
        std::int64_t nextFast = 0, nextSlow = 0;
        qm::CIndexScanner::Fields a, b;
        const bool okFast = fast.scan(start, nextFast, a);
        const bool okSlow = slow.scan(start, nextSlow, b);
        if (okFast != okSlow || (okFast && (nextFast != nextSlow || a != b)))
            std::abort();
        if (!okFast || nextFast <= start)
            break;
        start = nextFast;
    }
    return 0;
}
