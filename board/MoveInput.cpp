// Pen input of CBoardView: taps and drags become legal moves. A move is
// entered by tapping the piece and its target (in either order), by dragging
// the piece, or in "One tap" mode by one tap that can only mean one move.
#include "board/BoardView.h"

#include <algorithm>

namespace qm {

namespace {

bool isPiece(PieceCode p)
{
    return p < 14 && typeOf(p) <= Queen;
}

bool isOwn(const CPosition& pos, PieceCode p)
{
    return isPiece(p) && (isBlackPiece(p) ? Black : White) == pos.sideToMove;
}

bool isOpponent(const CPosition& pos, PieceCode p)
{
    return isPiece(p) && (isBlackPiece(p) ? Black : White) == pos.sideNotToMove;
}

bool hasLegalMove(CPosition& pos, Square s)
{
    if (!onBoard(s))
        return false;
    CMoveList list;
    pos.generateLegalPieceMoves(s, list);
    return !list.empty();
}

bool isReached(CPosition& pos, Square s)
{
    if (!onBoard(s))
        return false;
    CMoveList list;
    pos.generateLegalMoves(list);
    for (CMove m : list)
        if (m.to == s)
            return true;
    return false;
}

Point centreOf(const Rect& r)
{
    return {r.left + r.width() / 2, r.top + r.height() / 2};
}

// Pen points far outside any screen are pulled in, so that rectangles built
// around them cannot overflow.
int pen(int v)
{
    return std::clamp(v, -(1 << 20), 1 << 20);
}

} // namespace

void CBoardView::onHold(int x, int y)
{
    x = pen(x);
    y = pen(y);
    if (squareFromPoint(x, y) != NoPick || y >= m_client.statusBottom())
        return;
    m_contextPoint = {x, y};
    m_client.openContextMenu(m_contextPoint);
}

void CBoardView::onPenDown(int x, int y)
{
    x = pen(x);
    y = pen(y);
    const Square s = squareFromPoint(x, y);
    if (s == NoPick) {
        if (y < m_client.statusBottom() && (m_layoutIndex == 3 || m_layoutIndex == 10)) {
            const int steps = m_client.moveListStepsAt({x, y});
            if (steps > 0)
                m_client.takeBackPlies(steps);
        }
        return;
    }
    if (m_client.engineBusy() || animating() || m_position == nullptr)
        return;
    CPosition& pos = *m_position;
    const PieceCode piece = pos.board[s];
    if (isOwn(pos, piece)) {
        if (m_settings.highlightLegalMoves)
            showLegalMoveDots(s);
        beginSprite(piece, x, y);
    } else if (isOpponent(pos, piece) && m_settings.oneClick && isReached(pos, s)) {
        // The target may be dragged onto the piece that takes it.
        beginSprite(piece, x, y);
    }
}

void CBoardView::onPenMove(int x, int y)
{
    x = pen(x);
    y = pen(y);
    if (m_spriteActive && !animating())
        moveSprite(m_spritePiece, x, y);
}

void CBoardView::onPenUp(int x, int y)
{
    x = pen(x);
    y = pen(y);
    const Square s = squareFromPoint(x, y);
    if (animating() && s != NoPick)
        return;
    // During an animation the sprite is the animation's, not a lifted piece.
    const bool lifted = m_spriteActive && !animating();
    const PieceCode liftedPiece = m_spritePiece;
    const bool realDrag = lifted && s != m_spriteStart;
    Square from = realDrag ? m_spriteStart : m_pickedFrom;
    Square to = realDrag ? s : m_pickedTo;

    const auto endWithoutMove = [&] {
        if (lifted)
            endSprite(m_spritePiece, x, y);
        clearLegalMoveDots(NoPick);
    };
    if (m_client.engineBusy() || m_position == nullptr) {
        endWithoutMove();
        return;
    }
    if (s == NoPick) {
        clearSelection();
        endWithoutMove();
        return;
    }
    if (!realDrag && (s == m_pickedFrom || s == m_pickedTo)) {
        repick(s == m_pickedFrom ? NoPick : m_pickedFrom, s == m_pickedTo ? NoPick : m_pickedTo, false);
        endWithoutMove();
        return;
    }

    CPosition& pos = *m_position;
    const PieceCode queen = pieceOf(Colour(pos.sideToMove), Queen);
    CMove m = NoMove;
    if (!realDrag && m_settings.oneClick) {
        m = pos.findUniqueMoveFrom(s);
        if (m == NoMove)
            m = pos.findUniqueMoveTo(s);
        if (m == AmbiguousMove)
            m = NoMove;
    }
    if (!realDrag && m == NoMove) {
        if (isOwn(pos, pos.board[s]) && hasLegalMove(pos, s))
            from = s;
        else if (!isOwn(pos, pos.board[s]) && isReached(pos, s))
            to = s;
    }
    if (m == NoMove && onBoard(from) && onBoard(to)) {
        if (isOwn(pos, pos.board[from])) {
            m = pos.findMove(from, to, queen);
            if (m == NoMove) {
                if (from == s)
                    to = NoPick;
                if (to == s)
                    from = NoPick;
                if (onBoard(from) && !hasLegalMove(pos, from))
                    from = NoPick;
                if (!onBoard(to))
                    from = NoPick;
                else if (isOwn(pos, pos.board[to]) && hasLegalMove(pos, to))
                    from = to;
                to = NoPick;
            }
        } else if (isOpponent(pos, pos.board[from]) && m_settings.oneClick && isOwn(pos, pos.board[to])) {
            m = pos.findMove(to, from, queen);
            if (m == NoMove)
                from = to = NoPick;
        } else {
            from = to = NoPick;
        }
    }

    if (m == NoMove) {
        if (lifted)
            endSprite(m_spritePiece, x, y);
        // Every dot goes; the squares are only invalidated.
        m_dotsShown = false;
        for (int i = 0; i < 128; ++i)
            if (m_dots[std::size_t(i)]) {
                m_dots[std::size_t(i)] = false;
                invalidateSquare(Square(i));
            }
        repick(from, to, false);
        if (realDrag)
            m_client.playMoveSound(NoMove);
        return;
    }

    // A move: picks that are not part of it are redrawn at once.
    const Square oldFrom = m_pickedFrom, oldTo = m_pickedTo;
    m_pickedFrom = m_pickedTo = NoPick;
    if (onBoard(oldFrom) && oldFrom != m.from)
        redrawSquareNow(oldFrom);
    if (onBoard(oldTo) && oldTo != m.to)
        redrawSquareNow(oldTo);
    if (lifted && m_spriteActive) {
        const Square landing = realDrag ? m.to : isOwn(pos, liftedPiece) ? m.from : m.to;
        const Point c = centreOf(squareRect(landing));
        dropSprite(liftedPiece, c.x, c.y);
    }
    if (m.isPromotion()) {
        const PieceCode chosen = m_client.askPromotionPiece(Colour(pos.sideToMove));
        // Only a legal promotion piece replaces the queen.
        const CMove promoted = pos.findMove(m.from, m.to, chosen);
        if (promoted != NoMove && promoted != AmbiguousMove && promoted.isPromotion())
            m = promoted;
    }
    clearLegalMoveDots(m.to);
    if (!m_settings.autoAnswer)
        m_client.clearEngineOutput();
    m_client.userMove(m, realDrag);
}

} // namespace qm
