#pragma once
// Move texts: SAN (as in PGN), coordinate text (e2e4, e7e8q, "null") and
// the normalised form in which move texts are compared.

#include "rules/Move.h"
#include "rules/Position.h"

#include <string>
#include <string_view>

namespace qm {

// The SAN of a legal move of the side to move. legalMoves, when given, are
// all legal moves of the position. forceRank / forceFile, when either is set,
// replace the computed disambiguation. The position is unchanged afterwards.
std::string writeSan(CPosition& position, CMove move, bool withSuffix = true, const CMoveList* legalMoves = nullptr,
    bool forceRank = false, bool forceFile = false);

// Normalised form of a move text (at most 19 characters).
std::string normaliseSan(std::string_view text);

// What a caller knows of whether the side to move is in check.
enum class CheckStatus : std::uint8_t { Unknown, NotInCheck, InCheck };

// The legal move the text names, or NoMove. Never returns a move that is not
// legal in the position. The position is unchanged afterwards. A caller that
// follows the game move by move (CPosition::isCheckAfterMove) may pass what
// it knows of check, which spares most attack tests; the result is the same.
CMove readSan(CPosition& position, std::string_view text, CheckStatus check = CheckStatus::Unknown);

// e2e4, e7e8q.
std::string writeCoordinate(CMove move);

// Applies a coordinate text move or "null" without validation.
void makeMoveText(CPosition& position, std::string_view text);

} // namespace qm
