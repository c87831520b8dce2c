// Any bytes as FEN: reading never goes past the input, the position stays
// well formed, and what is written back reads back to the same text.
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
    CPosition p;
    p.setFromFen(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int s = 0; s < 128; ++s) {
        if (onBoard(s) ? p.board[s] > BlackQueen || p.board[s] == OffBoard : p.board[s] != OffBoard)
            std::abort();
    }
    if (p.sideToMove > 1 || p.sideNotToMove != 1 - p.sideToMove || p.moveNumber < 1 || p.halfMoveClock < 0)
        std::abort();
    const std::string fen = p.writeFen();
    if (fen.size() > 95)
        std::abort();
    CPosition again;
    again.setFromFen(fen);
    if (again.writeFen() != fen)
        std::abort();
    // Whatever the position, generation and notation stay within bounds.
    // SAN names a king move without its origin, so the round trip holds
    // only where each side has one king.
    const bool valid = p.isValidSetup();
    CMoveList moves;
    p.generateLegalMoves(moves);
    for (const CMove& m : moves) {
        if (readSan(p, writeSan(p, m, true)) != m && valid)
            std::abort();
    }
    return 0;
}
