#include "board/BoardView.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace qm {

namespace {

// Strip cell of a piece code: pawn 0, knight 1, bishop 2, rook 3, queen 4,
// king 5, black + 6; -1 for the codes that are no piece.
int cellOf(PieceCode piece)
{
    static constexpr int byType[6] = {5, 2, 1, 3, 0, 4}; // king, bishop, knight, rook, pawn, queen
    if (piece >= 14 || typeOf(piece) > Queen)
        return -1;
    return byType[typeOf(piece)] + (isBlackPiece(piece) ? 6 : 0);
}

// The window texts of the tool-tip buttons: no label, "~~", the tool tip.
constexpr const char* ToolButtonTexts[ToolButtonCount] = {
    "~~New game",
    "~~Setup position",
    "~~Load game",
    "~~Save game",
    "~~Options",
    "~~Level",
    "~~Start replay",
    "~~Take back 10 moves",
    "~~Play next 10 moves",
};

std::optional<CBitmap> loadBitmap(const std::filesystem::path& dir, const std::string& name)
{
    return CBitmap::load(dir / (name + ".png"));
}

} // namespace

AnimationPace animationPace(int distance, int squareWidth, int speedSetting, bool bounce)
{
    const int n = squareWidth > 0 ? std::clamp(distance / squareWidth, 0, int(AnimationFrames.size()) - 1) : 0;
    int steps = distance * AnimationFrames[std::size_t(n)] / 64;
    if (bounce)
        return {steps * 2, 8};
    switch (speedSetting) {
    case 1:
        return {steps * 2, 8};
    case 2:
        return {steps * 3 / 2, 4};
    case 3:
        return {(steps * 2) / 3, 5};
    default:
        return {steps, 20};
    }
}

std::array<Point, 8> arrowPolygon(Point from, Point to, int squareWidth)
{
    const float w = 0.09f * float(squareWidth);
    const float dx = float(from.x - to.x), dy = float(from.y - to.y);
    const float length = std::sqrt(dx * dx + dy * dy);
    const float ux = length > 0 ? dx / length : 0.0f, uy = length > 0 ? dy / length : 0.0f;
    const float r = w * ux, o = w * uy;
    const auto at = [](Point base, float x, float y) { return Point{int(float(base.x) + x), int(float(base.y) + y)}; };
    const Point head = at(to, float(int(4.6f * r)), float(int(4.6f * o)));
    std::array<Point, 8> p;
    p[0] = at(from, -o, r);
    p[1] = at(head, -o, r);
    p[2] = at(p[1], 2.3f * r - 2.4f * o, 2.4f * r + 2.3f * o);
    p[3] = to;
    p[5] = at(head, o, -r);
    p[4] = at(p[5], 2.3f * r + 2.4f * o, 2.3f * o - 2.4f * r);
    p[6] = at(from, o, -r);
    p[7] = at(from, -2.4f * r, -2.4f * o);
    return p;
}

CBoardView::CBoardView(IWindowHost& window, const CGeneralSettings& settings, IBoardClient& client)
    : m_window(window)
    , m_settings(settings)
    , m_client(client)
    , m_layout(LayoutTable[0])
{
    const Size c = m_window.clientSize();
    m_clientRect = {0, 0, c.width, c.height};
    setPieceSet(0);
}

CBoardView::~CBoardView() = default;

// ---- Graphics -------------------------------------------------------------

bool CBoardView::loadGraphics(const std::filesystem::path& bitmapDir)
{
    m_bitmapDir = bitmapDir;
    m_graphicsLoaded = true;
    m_coordinateStrips.clear();
    loadPieceStrips();
    loadTexture();
    auto small = loadBitmap(bitmapDir, std::to_string(SmallIconStrip));
    auto large = loadBitmap(bitmapDir, std::to_string(LargeIconStrip));
    m_smallIcons = small ? std::move(*small) : CBitmap();
    m_largeIcons = large ? std::move(*large) : CBitmap();
    bool complete = !m_texture.isNull() && !m_smallIcons.isNull() && !m_largeIcons.isNull();
    for (const CBitmap& b : m_strips)
        complete = complete && !b.isNull();
    return complete;
}

void CBoardView::loadPieceStrips()
{
    for (std::size_t i = 0; i < m_strips.size(); ++i) {
        auto b = loadBitmap(m_bitmapDir, std::to_string(m_pieceIds[i]));
        m_strips[i] = b ? std::move(*b) : CBitmap();
    }
}

void CBoardView::loadTexture()
{
    auto b = loadBitmap(m_bitmapDir, std::to_string(m_textureId));
    m_texture = b ? std::move(*b) : CBitmap();
}

void CBoardView::setPieceSet(int set)
{
    m_pieceSet = set >= 0 && set < PieceSetCount ? set : 0;
    for (int i = 0; i < 5; ++i)
        m_pieceIds[std::size_t(i)] = pieceStripId(m_pieceSet, i);
    if (m_graphicsLoaded)
        loadPieceStrips();
}

int CBoardView::textureIdOf(SquareTexture texture)
{
    switch (texture) {
    case SquareTexture::Brown:
        return 137;
    case SquareTexture::BlueMarble:
        return 138;
    case SquareTexture::GreenMarble:
        return 139;
    case SquareTexture::Slate:
        return 140;
    case SquareTexture::RedMarble:
        return 141;
    case SquareTexture::Maple:
        return 154;
    case SquareTexture::Cherry:
        return 155;
    case SquareTexture::Oak:
        return 156;
    case SquareTexture::BlackMarble:
        return 165;
    case SquareTexture::LightBlueMarble:
        return 166;
    case SquareTexture::DarkBlueMarble:
        return 167;
    }
    return 137;
}

void CBoardView::setTexture(int id)
{
    m_textureId = textureInfo(id).id;
    if (m_graphicsLoaded)
        loadTexture();
}

// ---- Layout and geometry --------------------------------------------------

void CBoardView::selectLayout(int start, int mode)
{
    const Size screen = m_window.screenSize();
    m_layoutIndex = selectLayoutIndex(start, mode, screen.width, screen.height);
    m_layout = LayoutTable[std::size_t(m_layoutIndex)];
}

void CBoardView::fitToScreen()
{
    const Size c = m_window.clientSize();
    m_clientRect = {0, 0, c.width, c.height};
    selectLayout(m_layoutIndex, 0);
    createToolbarButtons();
}

Rect CBoardView::squareRectIn(const Rect& area, int squareWidth, int squareHeight, Square square, bool flipped) const
{
    const int column = flipped ? 7 - fileOf(square) : fileOf(square);
    const int line = flipped ? rankOf(square) : 7 - rankOf(square);
    return Rect::fromSize(area.left + m_layout.boardX + column * squareWidth,
        area.top + m_layout.boardY + line * squareHeight, squareWidth, squareHeight);
}

Rect CBoardView::squareRect(Square square) const
{
    return squareRectIn(m_clientRect, m_layout.squareWidth, m_layout.squareHeight, square, m_flipped);
}

Square CBoardView::squareFromPoint(int x, int y) const
{
    // Wide arithmetic: any int is a point, if far off the board.
    const long long bx = static_cast<long long>(x) - m_clientRect.left - m_layout.boardX;
    const long long by = static_cast<long long>(y) - m_clientRect.top - m_layout.boardY;
    if (bx < 0 || by < 0 || m_layout.squareWidth <= 0 || m_layout.squareHeight <= 0)
        return NoPick;
    const long long column = bx / m_layout.squareWidth, line = by / m_layout.squareHeight;
    if (column > 7 || line > 7)
        return NoPick;
    return m_flipped ? makeSquare(int(7 - column), int(line)) : makeSquare(int(column), int(7 - line));
}

// ---- Painting -------------------------------------------------------------

void CBoardView::drawTexture(CCanvas& dc, const Rect& r, bool dark)
{
    // The light square is the texture's left half, the dark one its right half.
    dc.blit({r.left, r.top}, m_texture,
        Rect::fromSize(dark ? 60 : 0, 0, std::min(r.width(), 60), std::min(r.height(), 60)));
}

void CBoardView::drawPiece(CCanvas& dc, Point at, PieceCode piece)
{
    const int cell = cellOf(piece);
    if (cell < 0)
        return;
    const CBitmap& strip = m_strips[std::size_t(std::clamp(m_layout.pieceSize, 0, 4))];
    dc.blitTransparent(at, strip,
        Rect::fromSize(cell * m_layout.squareWidth, m_layout.pieceOffset, m_layout.squareWidth, m_layout.squareHeight));
}

void CBoardView::drawSquare(CCanvas& dc, const Rect& r, Square square, const CPosition& position, Square hidden)
{
    drawTexture(dc, r, (fileOf(square) + rankOf(square)) % 2 == 0);
    if (square != hidden)
        drawPiece(dc, {r.left, r.top}, position.board[square]);
    if (m_dotsShown && m_dots[square]) {
        const int w = r.width(), h = r.height();
        dc.setPen(Pen{});
        dc.setBrush(Brush{MarkYellow});
        dc.ellipse({r.left + w / 3, r.top + h / 3, r.right - w / 3, r.bottom - h / 3});
    }
}

void CBoardView::drawFrame(CCanvas& dc, const Rect& r)
{
    dc.setPen(Pen{FrameRed, std::max(1, m_layout.frameWidth)});
    const Point topLeft{r.left, r.top}, bottomLeft{r.left, r.bottom - 1};
    const Point bottomRight{r.right - 1, r.bottom - 1}, topRight{r.right - 1, r.top};
    dc.line(topLeft, bottomLeft);
    dc.line(bottomLeft, bottomRight);
    dc.line(bottomRight, topRight);
    dc.line(topRight, topLeft);
    dc.setPen(Pen{});
}

void CBoardView::drawArrow(CCanvas& dc, const Rect& area, int squareWidth, int squareHeight, bool flipped)
{
    if (!m_settings.highlightLastMove || m_arrow == NoMove || !onBoard(m_arrow.from) || !onBoard(m_arrow.to))
        return;
    const Rect f = squareRectIn(area, squareWidth, squareHeight, m_arrow.from, flipped);
    const Rect t = squareRectIn(area, squareWidth, squareHeight, m_arrow.to, flipped);
    const auto polygon = arrowPolygon({f.left + f.width() / 2, f.top + f.height() / 2},
        {t.left + t.width() / 2, t.top + t.height() / 2}, squareWidth);
    dc.setPen(Pen{});
    dc.setBrush(Brush{MarkYellow});
    dc.polygon(polygon);
}

void CBoardView::paintBoard(CCanvas& dc, const Rect& area, int squareWidth, int squareHeight, const CPosition& position,
    Square hidden, bool flipped, const Rect& clip)
{
    if (area.height() < 8 * squareHeight || area.width() < 8 * squareWidth)
        return;
    for (int file = 0; file < 8; ++file)
        for (int rank = 0; rank < 8; ++rank) {
            const Square s = makeSquare(file, rank);
            const Rect r = squareRectIn(area, squareWidth, squareHeight, s, flipped);
            if (r.intersects(clip))
                drawSquare(dc, r, s, position, hidden);
        }
    if (&position == m_position)
        drawArrow(dc, area, squareWidth, squareHeight, flipped);
    for (Square picked : {m_pickedFrom, m_pickedTo}) {
        if (!onBoard(picked))
            continue;
        const Rect r = squareRectIn(area, squareWidth, squareHeight, picked, flipped);
        if (r.intersects(clip))
            drawFrame(dc, r);
    }
}

void CBoardView::paint(CCanvas& dc, const Rect& dirty)
{
    if (m_position == nullptr)
        return;
    paintBoard(dc, m_clientRect, m_layout.squareWidth, m_layout.squareHeight, *m_position, NoPick, m_flipped,
        dirty.intersected(m_clientRect));
    paintCoordinates(dc);
}

void CBoardView::paintCoordinates(CCanvas& dc)
{
    if (m_layoutIndex == 0 || m_layoutIndex == 6 || m_layoutIndex == 7 || m_layoutIndex == 13)
        return;
    const BoardLayout& l = m_layout;
    const int x0 = m_clientRect.left, y0 = m_clientRect.top;
    const int border = textureInfo(m_textureId).darkBorder ? 60 : 0;
    const int rightX = l.leftStripWidth + 8 * l.squareWidth;
    const int bottomY = l.boardY + 8 * l.squareHeight;
    const auto fill = [&](int x, int y, int w, int h) { // border half, in pieces of at most 60 x 60
        for (int py = 0; py < h; py += 60)
            for (int px = 0; px < w; px += 60)
                dc.blit({x0 + x + px, y0 + y + py}, m_texture,
                    Rect::fromSize(border, 0, std::min(60, w - px), std::min(60, h - py)));
    };
    const auto strip = [&](int id, int x, int y, int w, int h) {
        if (id == 0 || w <= 0 || h <= 0)
            return;
        if (const CBitmap* b = coordinateStrip(id))
            dc.blitTransparent({x0 + x, y0 + y}, *b, Rect::fromSize(0, 0, w, h));
    };
    fill(0, 0, l.leftStripWidth, l.sideStripLength);
    fill(rightX, 0, l.rightStripWidth, l.sideStripLength);
    if (l.topStripLength > 0) {
        fill(l.leftStripWidth, 0, l.topStripLength, l.boardY);
        fill(l.leftStripWidth, bottomY, l.topStripLength, l.bottomStripHeight);
    }
    const std::size_t o = m_flipped ? 1 : 0;
    strip(l.leftStrip[o], 0, 0, l.leftStripWidth, l.sideStripLength);
    strip(l.rightStrip[o], rightX, 0, l.rightStripWidth, l.sideStripLength);
    if (l.topStripLength > 0) {
        strip(l.topStrip[o], l.leftStripWidth, 0, l.topStripLength, l.boardY);
        strip(l.bottomStrip[o], l.leftStripWidth, bottomY, l.topStripLength, l.bottomStripHeight);
    }
}

const CBitmap* CBoardView::coordinateStrip(int id)
{
    auto it = m_coordinateStrips.find(id);
    if (it == m_coordinateStrips.end()) {
        auto b = m_graphicsLoaded ? loadBitmap(m_bitmapDir, std::to_string(id)) : std::nullopt;
        it = m_coordinateStrips.emplace(id, b ? std::move(*b) : CBitmap()).first;
    }
    return it->second.isNull() ? nullptr : &it->second;
}

void CBoardView::invalidateSquare(Square square)
{
    if (onBoard(square))
        m_window.invalidate(squareRect(square), false);
}

void CBoardView::redrawSquare(CCanvas& dc, Square square)
{
    if (!onBoard(square) || m_position == nullptr)
        return;
    drawSquare(dc, squareRect(square), square, *m_position, NoPick);
}

void CBoardView::redrawSquareNow(Square square)
{
    if (!onBoard(square) || m_position == nullptr)
        return;
    m_window.drawNow([&](CCanvas& dc) { redrawSquare(dc, square); });
}

// ---- Marks ----------------------------------------------------------------

void CBoardView::setPicks(Square from, Square to)
{
    repick(from, to, false);
}

void CBoardView::repick(Square from, Square to, bool redrawNow)
{
    const Square oldFrom = m_pickedFrom, oldTo = m_pickedTo;
    m_pickedFrom = from;
    m_pickedTo = to;
    for (Square s : {oldFrom, oldTo, from, to}) {
        if (!onBoard(s))
            continue;
        const bool changed = (s == oldFrom) != (s == from) || (s == oldTo) != (s == to);
        if (!changed)
            continue;
        if (redrawNow) {
            redrawSquareNow(s);
            if (s == from || s == to)
                m_window.drawNow([&](CCanvas& dc) { drawFrame(dc, squareRect(s)); });
        } else {
            invalidateSquare(s);
        }
    }
}

void CBoardView::clearSelection()
{
    const Square from = m_pickedFrom, to = m_pickedTo;
    m_pickedFrom = m_pickedTo = NoPick;
    invalidateSquare(from);
    invalidateSquare(to);
}

void CBoardView::setLastMoveArrow(CMove move)
{
    clearLastMoveArrow();
    if (move == NoMove || !onBoard(move.from) || !onBoard(move.to))
        return;
    m_arrow = move;
    m_window.invalidate(squareRect(move.from).united(squareRect(move.to)), false);
}

void CBoardView::clearLastMoveArrow()
{
    if (m_arrow == NoMove)
        return;
    if (onBoard(m_arrow.from) && onBoard(m_arrow.to))
        m_window.invalidate(squareRect(m_arrow.from).united(squareRect(m_arrow.to)), false);
    m_arrow = NoMove;
}

void CBoardView::showLegalMoveDots(Square square)
{
    clearLastMoveArrow();
    if (m_position == nullptr || !onBoard(square) || m_position->board[square] == Empty)
        return;
    const std::array<bool, 128> before = m_dots;
    const bool shownBefore = m_dotsShown;
    m_dots.fill(false);
    CMoveList moves;
    m_position->generateLegalPieceMoves(square, moves);
    const int count = std::min(moves.size(), 30);
    for (int i = 0; i < count; ++i)
        m_dots[moves[i].to] = true;
    m_dotsShown = count > 0;
    for (int i = 0; i < 128; ++i)
        if (m_dots[std::size_t(i)] || (shownBefore && before[std::size_t(i)]))
            redrawSquareNow(Square(i));
}

void CBoardView::clearLegalMoveDots(Square keep)
{
    if (!m_dotsShown)
        return;
    m_dotsShown = false;
    for (int i = 0; i < 128; ++i) {
        if (!m_dots[std::size_t(i)])
            continue;
        if (i == keep) {
            // The mark stays, but the dot no longer shows.
            invalidateSquare(Square(i));
            continue;
        }
        m_dots[std::size_t(i)] = false;
        redrawSquareNow(Square(i));
    }
}

// ---- Moves shown by the game flow ----------------------------------------

void CBoardView::invalidateMoveSquares(CMove move)
{
    invalidateSquare(move.from);
    invalidateSquare(move.to);
}

void CBoardView::invalidateExtraSquares(CMove move)
{
    if (move.isCastling()) {
        // A move animated backwards runs from the king's castled square.
        const Square king = fileOf(move.from) != 4 ? move.from : move.to;
        const int rank = rankOf(king);
        if (fileOf(king) == 2) {
            invalidateSquare(makeSquare(0, rank));
            invalidateSquare(makeSquare(3, rank));
        } else if (fileOf(king) == 6) {
            invalidateSquare(makeSquare(5, rank));
            invalidateSquare(makeSquare(7, rank));
        }
    } else if (move.isEnPassant()) {
        invalidateSquare(Square(isBlackPiece(move.piece) ? move.to + 1 : move.to - 1));
    }
}

void CBoardView::startReplayTimerIfRunning()
{
    if (m_client.replayRunning())
        m_window.setTimer(ReplayTimer, m_settings.replaySeconds * 250 + 250);
}

void CBoardView::showMove(CMove move, bool animate, bool sound, bool arrow)
{
    if (animate && m_settings.animation != 0) {
        animateMove(move, sound, false, arrow);
        return;
    }
    clearLastMoveArrow();
    if (m_settings.highlightLastMove && arrow)
        setLastMoveArrow(move);
    else
        invalidateMoveSquares(move);
    invalidateExtraSquares(move);
    if (sound)
        m_client.playMoveSound(move);
    startReplayTimerIfRunning();
}

void CBoardView::showTakeback(CMove move)
{
    if (m_settings.animation != 0) {
        animateMove(CMove(move.to, move.piece, move.from, move.flags), false, false, false);
        return;
    }
    clearLastMoveArrow();
    invalidateSquare(move.to);
    invalidateSquare(move.from);
    invalidateExtraSquares(move);
}

// ---- Tool buttons and commands -------------------------------------------

void CBoardView::createToolbarButtons()
{
    m_window.destroyToolButtons();
    const BoardLayout& l = m_layout;
    if (m_layoutIndex == 1 || m_layoutIndex == 8) {
        const int bottom = l.bottomStripHeight + 8 * l.squareHeight + l.boardY;
        for (int i = 0; i < ToolButtonCount; ++i) {
            const int y = i * l.buttonHeight;
            const int h = std::min(l.buttonHeight, bottom - y);
            m_window.createToolButton(FirstToolButton + i,
                Rect::fromSize(m_clientRect.left + l.buttonX, m_clientRect.top + y, l.buttonWidth, h),
                ToolButtonTexts[i]);
        }
    }
    m_window.setButtonState(ToggleLayoutCommand, ButtonState{l.togglePressed == 1, true});
}

void CBoardView::drawToolbarButton(int id, CCanvas& dc, bool pressed)
{
    if (id < FirstToolButton || id >= FirstToolButton + ToolButtonCount)
        return;
    const int w = dc.width(), h = dc.height();
    if (pressed || (id == FirstToolButton + 6 && m_client.replayRunning())) {
        dc.setPen(Pen{});
        dc.setBrush(Brush{RgbWhite});
        dc.rectangle({2, 2, w - 2, h - 1});
    } else {
        for (int y = 0; y < h; y += 30)
            for (int x = 0; x < w; x += 60)
                dc.blit({x, y}, m_texture, Rect::fromSize(0, 0, std::min(60, w - x), std::min(30, h - y)));
    }
    const int icon = m_layout.iconSize;
    const CBitmap& strip = m_layout.buttonWidth == 24 ? m_smallIcons : m_largeIcons;
    dc.blitTransparent({4, 4}, strip, Rect::fromSize((id - FirstToolButton) * icon, 0, icon, icon));
}

void CBoardView::flipBoard()
{
    if (!animating()) {
        m_flipped = !m_flipped;
        m_window.invalidateAll(false);
    }
    m_window.setButtonState(FlipBoardCommand, ButtonState{m_flipped, true});
}

void CBoardView::toggleLayout()
{
    if (animating()) {
        m_window.setButtonState(ToggleLayoutCommand, ButtonState{m_layout.togglePressed == 1, true});
        return;
    }
    m_window.destroyToolButtons();
    selectLayout((m_layoutIndex + 1) % LayoutCount, 0);
    createToolbarButtons();
    m_window.invalidateAll(true);
}

} // namespace qm
