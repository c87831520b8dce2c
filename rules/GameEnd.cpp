#include "rules/GameEnd.h"

#include <cstring>

namespace qm {

bool samePosition(CHistoryEntry& a, const CHistoryEntry& b)
{
    const Square hint = a.hint & 0x7f;
    if (a.board[hint] != b.board[hint] || a.sideToMove != b.sideToMove)
        return false;
    for (int sq = 0; sq < 128; ++sq) {
        if (!onBoard(sq))
            continue;
        if (a.board[sq] != b.board[sq]) {
            a.hint = std::uint8_t(sq);
            return false;
        }
    }
    return a.castlingRights == b.castlingRights && a.enPassant == b.enPassant;
}

CGameState getGameState(CPosition& position)
{
    const Colour us = Colour(position.sideToMove);
    const Colour them = Colour(position.sideNotToMove);
    const Square king = position.findKing(us);
    // A side without a king (an edited position) is not in check.
    const bool attacked = king != NoSquare && position.isAttackedBy(them, king);

    if (position.countLegalMoves() == 0)
        return {true, attacked ? GameCheckmate : GameStalemate};

    // The current state as a history entry, compared with the entries
    // before it, newest first, back to the last irreversible move.
    CHistoryEntry current{};
    std::memcpy(current.board, position.board, sizeof current.board);
    current.sideToMove = position.sideToMove;
    current.sideNotToMove = position.sideNotToMove;
    current.castlingRights = position.castlingRights;
    current.enPassant = position.enPassant;
    current.pieceCount = position.pieceCount;
    current.move = NullMove;
    current.hint = 0;

    int repetitions = 0;
    int reversible = 0;
    for (int i = position.historyCount() - 1; i >= 0; --i) {
        CHistoryEntry& entry = position.historyEntry(i);
        if (samePosition(current, entry) && ++repetitions == 2)
            return {true, GameThreefoldRepetition};
        if (!entry.move.isQuiet())
            break;
        if (++reversible == 100)
            return {true, GameFiftyMoveRule};
    }

    int count[16] = {};
    for (int sq = 0; sq < 128; ++sq)
        if (onBoard(sq))
            ++count[position.board[sq] & 15];
    const bool heavyOrPawn = count[WhiteQueen] || count[WhiteRook] || count[WhitePawn] || count[BlackQueen]
        || count[BlackRook] || count[BlackPawn];
    if (!heavyOrPawn && count[WhiteKnight] + count[WhiteBishop] <= 1 && count[BlackKnight] + count[BlackBishop] <= 1)
        return {true, GameInsufficientMaterial};
    return {};
}

CGameEndTexts gameEndTexts(int status, int sideToMove)
{
    switch (status) {
    case GameCheckmate:
        return sideToMove == 0 ? CGameEndTexts{"Checkmate", "Black mates", "0-1"}
                               : CGameEndTexts{"Checkmate", "White mates", "1-0"};
    case GameStalemate:
        return {"Stalemate, draw", "Stalemate", "1/2-1/2"};
    case GameThreefoldRepetition:
        return {"Draw by threefold repetition", "Draw by threefold repetition", "1/2-1/2"};
    case GameFiftyMoveRule:
        return {"Draw by 50-moves-rule", "Draw by 50-moves-rule", "1/2-1/2"};
    case GameInsufficientMaterial:
        return {"Draw by insufficient mating material", "Draw by insufficient material", "1/2-1/2"};
    default:
        return {};
    }
}

} // namespace qm
