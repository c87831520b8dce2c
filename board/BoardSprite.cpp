// The piece sprite and the move animation of CBoardView. When a piece is
// lifted, the board as it looks underneath is drawn once into an off-screen
// background; every later position of the piece is composed from it, and
// only the union of the old and new sprite rectangles reaches the window.
#include "board/BoardView.h"

#include <cmath>
#include <utility>

namespace qm {

namespace {

// Marks a sprite operation as running for as long as it lives.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~BusyGuard() { m_flag = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_flag;
};

Colour colourOf(PieceCode piece)
{
    return isBlackPiece(piece) ? Black : White;
}

} // namespace

void CBoardView::beginSprite(PieceCode piece, int x, int y)
{
    if (m_spriteBusy || m_position == nullptr)
        return;
    if (m_spriteActive) {
        moveSprite(piece, x, y);
        return;
    }
    BusyGuard busy(m_spriteBusy);
    const int w = m_layout.squareWidth, h = m_layout.squareHeight;
    m_spriteActive = true;
    m_spritePiece = piece;
    m_spriteStart = squareFromPoint(x, y);
    m_background = std::make_unique<CMemoryCanvas>(8 * w, 8 * h);
    CCanvas& bg = *m_background;
    const Point origin = boardOrigin();
    const Rect area = m_clientRect.translated(-origin.x, -origin.y);
    if (!m_animation) {
        paintBoard(bg, area, w, h, *m_position, m_spriteStart, m_flipped, bg.bounds());
    } else {
        const MoveAnimation& a = *m_animation;
        const Rect from = squareRectIn(area, w, h, a.move.from, m_flipped);
        const Rect to = squareRectIn(area, w, h, a.move.to, m_flipped);
        const Rect clip = from.united(to);
        CPosition& position = *m_position;
        if (colourOf(a.piece) == position.sideNotToMove && a.bounce == 0 && position.historyCount() > 0) {
            // The move is already made: draw the board as it was before it.
            const CMove last = position.lastMove();
            position.unmakeMove();
            paintBoard(bg, area, w, h, position, a.move.from, m_flipped, clip);
            position.makeMove(last);
        } else {
            paintBoard(bg, area, w, h, position, a.bounce ? a.move.from : NoPick, m_flipped, clip);
            if (a.bounce == 0) {
                // A move shown backwards after a take-back: the piece stands on
                // the target already and must not show twice.
                const auto bare = [&](Square s) {
                    drawTexture(bg, squareRectIn(area, w, h, s, m_flipped), (fileOf(s) + rankOf(s)) % 2 == 0);
                };
                bare(a.move.to);
                if (a.move.isCastling()) {
                    const Square king
                        = (fileOf(a.move.from) == 6 || fileOf(a.move.from) == 2) ? a.move.from : a.move.to;
                    const Square rook = makeSquare(fileOf(king) == 6 ? 5 : 3, rankOf(king));
                    const Rect r = squareRectIn(area, w, h, rook, m_flipped);
                    drawPiece(bg, {r.left, r.top}, PieceCode(a.move.piece + 3));
                }
                if (a.move.isEnPassant())
                    bare(makeSquare(fileOf(a.move.from), rankOf(a.move.to)));
            }
        }
    }
    m_previous = onBoard(m_spriteStart) ? Point{squareRect(m_spriteStart).left, squareRect(m_spriteStart).top}
                                        : Point{x - w / 2, y - h / 2};
}

void CBoardView::moveSprite(PieceCode piece, int x, int y)
{
    if (m_spriteBusy || !m_spriteActive || !m_background)
        return;
    BusyGuard busy(m_spriteBusy);
    const int w = m_layout.squareWidth, h = m_layout.squareHeight;
    const Point origin = boardOrigin();
    const Rect next = Rect::fromSize(x - w / 2, y - h / 2, w, h);
    const Rect inBackground = next.translated(-origin.x, -origin.y);
    CCanvas& bg = *m_background;
    CMemoryCanvas saved(w, h);
    saved.blit({0, 0}, bg, inBackground);
    drawPiece(bg, {inBackground.left, inBackground.top}, piece);
    const Rect shown = Rect::fromSize(m_previous.x, m_previous.y, w, h).united(next);
    m_window.drawNow([&](CCanvas& dc) {
        dc.blit({shown.left, shown.top}, bg, shown.translated(-origin.x, -origin.y));
    });
    bg.blit({inBackground.left, inBackground.top}, saved, Rect::fromSize(0, 0, w, h));
    m_previous = {next.left, next.top};
}

void CBoardView::releaseSprite()
{
    m_background.reset();
}

void CBoardView::finishSprite()
{
    if (m_animation) {
        const MoveAnimation& a = *m_animation;
        if (m_settings.highlightLastMove && a.arrow)
            setLastMoveArrow(a.move);
        invalidateExtraSquares(a.move);
        if (a.sound)
            m_client.playMoveSound(a.move);
        startReplayTimerIfRunning();
    }
    m_spriteActive = false;
    m_spritePiece = Empty;
    m_spriteStart = NoSquare;
}

void CBoardView::dropSprite(PieceCode piece, int x, int y)
{
    if (m_spriteBusy || !m_spriteActive)
        return;
    moveSprite(piece, x, y);
    BusyGuard busy(m_spriteBusy);
    releaseSprite();
    finishSprite();
}

void CBoardView::endSprite(PieceCode, int x, int y)
{
    if (m_spriteBusy || !m_spriteActive)
        return;
    BusyGuard busy(m_spriteBusy);
    releaseSprite();
    const int w = m_layout.squareWidth, h = m_layout.squareHeight;
    const Rect clip
        = Rect::fromSize(m_previous.x, m_previous.y, w, h).united(Rect::fromSize(x - w / 2, y - h / 2, w, h));
    if (m_position) {
        m_window.drawNow([&](CCanvas& dc) {
            const Rect saved = dc.clip();
            dc.setClip(clip);
            paintBoard(dc, m_clientRect, w, h, *m_position, NoPick, m_flipped, clip);
            dc.setClip(saved);
        });
    }
    if (!(m_animation && m_animation->bounce))
        invalidateSquare(m_spriteStart);
    clearLastMoveArrow();
    finishSprite();
}

void CBoardView::cancelDrag()
{
    if (!m_spriteActive || m_animation)
        return;
    const int w = m_layout.squareWidth, h = m_layout.squareHeight;
    const Rect start
        = onBoard(m_spriteStart) ? squareRect(m_spriteStart) : Rect::fromSize(m_previous.x, m_previous.y, w, h);
    endSprite(m_spritePiece, start.left + w / 2, start.top + h / 2);
}

void CBoardView::animateMove(CMove move, bool sound, bool bounce, bool arrow)
{
    if (m_animation) {
        endSprite(m_animation->piece, m_animation->endX, m_animation->endY);
        m_animation.reset();
        m_window.killTimer(AnimationTimer);
    }
    if (!onBoard(move.from) || !onBoard(move.to) || m_position == nullptr)
        return;
    const int w = m_layout.squareWidth, h = m_layout.squareHeight;
    // The sprite has one background, and it now belongs to the animation.
    cancelDrag();
    auto a = std::make_unique<MoveAnimation>();
    const Rect from = squareRect(move.from), to = squareRect(move.to);
    a->startX = from.left + w / 2;
    a->startY = from.top + h / 2;
    a->endX = to.left + w / 2;
    a->endY = to.top + h / 2;
    a->deltaX = a->endX - a->startX;
    a->deltaY = a->endY - a->startY;
    a->step = 0;
    a->move = move;
    a->piece = move.isPromotion() ? pieceOf(colourOf(move.piece), Pawn) : move.piece;
    a->sound = sound;
    a->arrow = arrow;
    a->bounce = bounce ? 1 : 0;
    const int distance = int(std::sqrt(double(a->deltaX) * a->deltaX + double(a->deltaY) * a->deltaY));
    const AnimationPace pace = animationPace(distance, w, m_settings.animation, bounce);
    a->steps = pace.steps;
    m_animation = std::move(a);
    beginSprite(m_animation->piece, m_animation->startX, m_animation->startY);
    m_window.setTimer(AnimationTimer, pace.intervalMs);
}

void CBoardView::animationTick()
{
    if (!m_animation) {
        m_window.killTimer(AnimationTimer);
        return;
    }
    MoveAnimation& a = *m_animation;
    ++a.step;
    if (a.bounce == 1 && a.step >= a.steps) {
        if (a.sound) {
            m_client.playMoveSound(a.move);
            a.sound = false;
        }
        a.step = 0;
        a.deltaX = -a.deltaX;
        a.deltaY = -a.deltaY;
        std::swap(a.startX, a.endX);
        std::swap(a.startY, a.endY);
        a.bounce = 2;
    }
    if (a.step < a.steps) {
        moveSprite(a.piece, a.startX + a.step * a.deltaX / a.steps, a.startY + a.step * a.deltaY / a.steps);
    } else {
        m_window.killTimer(AnimationTimer);
        endSprite(a.piece, a.endX, a.endY);
        m_animation.reset();
    }
}

} // namespace qm
