// Any text read as SAN in a few positions: the result is NoMove or one of
// the legal moves, and the position is unchanged.
// fuzz-libs: qm_rules
#include "rules/Notation.h"
#include "rules/Position.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static const char* positions[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 b kq - 0 1",
        "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "3r3k/4P3/8/8/8/8/1p6/K7 b - - 0 1",
    };
    if (size == 0)
        return 0;
    CPosition p;
    p.setFromFen(positions[data[0] % (sizeof positions / sizeof *positions)]);
    const std::string before = p.writeFen();
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    CMove m = readSan(p, text);
    if (p.writeFen() != before || p.historyCount() != 0)
        std::abort();
    if (m == NoMove)
        return 0;
    CMoveList legal;
    p.generateLegalMoves(legal);
    for (const CMove& l : legal)
        if (l == m)
            return 0;
    std::abort();
}
