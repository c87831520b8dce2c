// Geometry, painting and commands of the board view, checked on the pixels
// of a headless canvas against the committed bitmaps.
#include "BoardFixture.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

CBitmap bitmap(int id)
{
    auto b = CBitmap::load(bitmapDir() / (std::to_string(id) + ".png"));
    return b ? *b : CBitmap();
}

TEST(BoardGeometry, SquaresAndPointsMapBothWaysInEveryRow)
{
    const struct {
        Size screen;
        int row;
    } rows[] = {{{240, 320}, 0}, {{240, 320}, 1}, {{320, 240}, 3}, {{240, 240}, 5}, {{480, 640}, 7}, {{480, 640}, 8},
        {{640, 480}, 10}, {{480, 480}, 12}};
    for (const auto& r : rows)
        for (bool flipped : {false, true}) {
            SCOPED_TRACE(testing::Message() << "row " << r.row << (flipped ? " flipped" : ""));
            BoardFixture f(r.screen, r.row);
            ASSERT_EQ(f.view.layoutIndex(), r.row);
            f.view.setFlipped(flipped);
            const BoardLayout& l = f.view.layout();
            const Rect topLeft = f.view.squareRect(flipped ? sq("h1") : sq("a8"));
            EXPECT_EQ(topLeft, Rect::fromSize(l.boardX, l.boardY, l.squareWidth, l.squareHeight));
            const Rect bottomRight = f.view.squareRect(flipped ? sq("a8") : sq("h1"));
            EXPECT_EQ(bottomRight.right, l.boardX + 8 * l.squareWidth);
            EXPECT_EQ(bottomRight.bottom, l.boardY + 8 * l.squareHeight);
            for (int i = 0; i < 128; ++i) {
                if (!onBoard(i))
                    continue;
                const Rect q = f.view.squareRect(Square(i));
                EXPECT_EQ(f.view.squareFromPoint(q.left, q.top), i);
                EXPECT_EQ(f.view.squareFromPoint(q.right - 1, q.bottom - 1), i);
            }
            EXPECT_EQ(f.view.squareFromPoint(l.boardX - 1, l.boardY), NoPick);
            EXPECT_EQ(f.view.squareFromPoint(l.boardX, l.boardY - 1), NoPick);
            EXPECT_EQ(f.view.squareFromPoint(l.boardX + 8 * l.squareWidth, l.boardY), NoPick);
            EXPECT_EQ(f.view.squareFromPoint(l.boardX, l.boardY + 8 * l.squareHeight), NoPick);
            EXPECT_EQ(f.view.squareFromPoint(-5000, -5000), NoPick);
        }
}

TEST(BoardPainting, TextureHalvesAndTransparentPieces)
{
    for (int row : {1, 3}) {
        SCOPED_TRACE(row);
        BoardFixture f({row == 1 ? 240 : 320, row == 1 ? 320 : 240}, row);
        const CBitmap texture = bitmap(137);
        const CBitmap strip = bitmap(701);
        const int offset = f.view.layout().pieceOffset;
        // a3 is dark (the texture's right half), b3 light (its left half).
        const Rect a3 = f.view.squareRect(sq("a3")), b3 = f.view.squareRect(sq("b3"));
        for (int y = 0; y < a3.height(); ++y)
            for (int x = 0; x < a3.width(); ++x) {
                ASSERT_EQ(f.pixel(a3.left + x, a3.top + y), texture.pixel(60 + x, y));
                ASSERT_EQ(f.pixel(b3.left + x, b3.top + y), texture.pixel(x, y));
            }
        // The white king on e1 (cell 5): its key pixels show the texture
        // (e1 is dark), the others the strip, from the row's piece offset.
        const Rect e1 = f.view.squareRect(sq("e1"));
        int keyed = 0, drawn = 0;
        for (int y = 0; y < e1.height(); ++y)
            for (int x = 0; x < e1.width(); ++x) {
                const Rgb source = strip.pixel(5 * 24 + x, y + offset);
                const bool transparent = sameRgb(source, TransparentKey);
                (transparent ? keyed : drawn)++;
                ASSERT_EQ(f.pixel(e1.left + x, e1.top + y), transparent ? texture.pixel(60 + x, y) : source);
            }
        EXPECT_GT(keyed, 50);
        EXPECT_GT(drawn, 50);
    }
}

TEST(BoardPainting, SelectionFramesAreRedOnTheEdges)
{
    for (int row : {1, 8}) {
        SCOPED_TRACE(row);
        BoardFixture f({240 * (row == 8 ? 2 : 1), 320 * (row == 8 ? 2 : 1)}, row);
        f.view.setPicks(sq("e4"), sq("d5"));
        f.window.paint();
        const int width = f.view.layout().frameWidth;
        for (Square s : {sq("e4"), sq("d5")}) {
            const Rect r = f.view.squareRect(s);
            const int midX = r.left + r.width() / 2, midY = r.top + r.height() / 2;
            EXPECT_EQ(f.pixel(r.left, midY), FrameRed);
            EXPECT_EQ(f.pixel(r.right - 1, midY), FrameRed);
            EXPECT_EQ(f.pixel(midX, r.top), FrameRed);
            EXPECT_EQ(f.pixel(midX, r.bottom - 1), FrameRed);
            EXPECT_NE(f.pixel(r.left + width + 1, midY), FrameRed);
            EXPECT_NE(f.pixel(midX, midY), FrameRed);
        }
        f.view.clearSelection();
        f.window.paint();
        const Rect r = f.view.squareRect(sq("e4"));
        EXPECT_NE(f.pixel(r.left, r.top + r.height() / 2), FrameRed);
    }
}

TEST(BoardPainting, LastMoveArrowFromSquareCentreToSquareCentre)
{
    BoardFixture f;
    f.setFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    f.view.setLastMoveArrow(CMove(sq("e2"), WhitePawn, sq("e4"), Empty));
    f.window.paint();
    const Point tip = f.centre(sq("e4"));
    const Rgb atTip = f.pixel(tip.x, tip.y);
    EXPECT_TRUE(atTip == MarkYellow || atTip == RgbBlack);
    // The shaft crosses the middle of e3 about 4 pixels wide (2 x 0.09 x 24).
    const Point mid = f.centre(sq("e3"));
    int wide = 0;
    for (int x = mid.x - 8; x <= mid.x + 8; ++x) {
        const Rgb p = f.pixel(x, mid.y);
        wide += p == MarkYellow || p == RgbBlack;
    }
    EXPECT_GE(wide, 3);
    EXPECT_LE(wide, 6);
    // Off the arrow the squares are untouched.
    const Rect c3 = f.view.squareRect(sq("c3"));
    EXPECT_EQ(f.pixel(c3.left + 3, c3.top + 3), bitmap(137).pixel(60 + 3, 3));

    // With the setting off, and on any position other than the game's, no arrow.
    f.settings.highlightLastMove = 0;
    f.window.invalidateAll(false);
    f.window.paint();
    EXPECT_NE(f.pixel(mid.x, mid.y), MarkYellow);
    f.settings.highlightLastMove = 1;
    CPosition editor(f.position);
    CMemoryCanvas canvas(240, 320);
    f.view.paintBoard(canvas, canvas.bounds(), 24, 24, editor, NoPick, false, canvas.bounds());
    int yellow = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            yellow += canvas.pixel(x, y) == MarkYellow;
    EXPECT_EQ(yellow, 0);
}

TEST(BoardPainting, ArrowPolygonGeometry)
{
    // e2-e4 on 24-pixel squares: tip at the target centre, shaft about 4 wide.
    const auto p = arrowPolygon({100, 170}, {100, 122}, 24);
    EXPECT_EQ(p[3], (Point{100, 122}));
    EXPECT_NEAR(std::abs(p[0].x - p[6].x), 4, 1);
    EXPECT_EQ(p[0].y, 170);
    EXPECT_LT(p[7].y, 170); // the tail's notch points into the shaft
    EXPECT_GT(p[7].y, p[1].y);
    // A knight move points diagonally: its barbs are offset in both axes.
    const auto k = arrowPolygon({112, 260}, {136, 212}, 24);
    EXPECT_EQ(k[3], (Point{136, 212}));
    EXPECT_NE(k[1].x, k[5].x);
    EXPECT_NE(k[1].y, k[5].y);
    // A degenerate arrow does not divide by zero.
    const auto d = arrowPolygon({50, 50}, {50, 50}, 24);
    EXPECT_EQ(d[0], (Point{50, 50}));
}

TEST(BoardPainting, CoordinatesOverTheBorderHalf)
{
    BoardFixture f;
    f.view.paintCoordinates(f.window.canvas());
    const CBitmap left = bitmap(130), texture = bitmap(137); // Brown: dark border half
    for (int y = 0; y < 212; y += 3)
        for (int x = 0; x < 16; ++x) {
            const Rgb s = left.pixel(x, y);
            ASSERT_EQ(f.pixel(x, y), sameRgb(s, TransparentKey) ? texture.pixel(60 + x, y % 60) : s) << x << "," << y;
        }
    f.view.setFlipped(true);
    f.view.paintCoordinates(f.window.canvas());
    const CBitmap flippedTop = bitmap(134);
    for (int x = 0; x < 192; ++x) {
        const Rgb s = flippedTop.pixel(x, 7);
        if (!sameRgb(s, TransparentKey)) {
            ASSERT_EQ(f.pixel(16 + x, 7), s);
        }
    }
}

TEST(BoardPainting, SmallAreasDrawNothing)
{
    BoardFixture f;
    CMemoryCanvas canvas(240, 320, RgbWhite);
    f.view.paintBoard(
        canvas, Rect::fromSize(0, 0, 24 * 8 - 1, 320), 24, 24, f.position, NoPick, false, canvas.bounds());
    f.view.paintBoard(
        canvas, Rect::fromSize(0, 0, 240, 24 * 8 - 1), 24, 24, f.position, NoPick, false, canvas.bounds());
    for (int y = 0; y < 320; y += 7)
        for (int x = 0; x < 240; x += 7)
            ASSERT_EQ(canvas.pixel(x, y), RgbWhite);
}

TEST(BoardCommands, ToolButtonsOnlyInRowsOneAndEight)
{
    BoardFixture f;
    f.view.createToolbarButtons();
    ASSERT_EQ(f.window.toolButtons().size(), 9u);
    EXPECT_EQ(f.window.toolButtonRect(390), Rect::fromSize(216, 0, 24, 24));
    EXPECT_EQ(f.window.toolButtonRect(398), Rect::fromSize(216, 192, 24, 20));
    EXPECT_EQ(f.window.toolButtonToolTip(397), "Take back 10 moves");
    // The window text is "~~" and the tool tip: no label shows.
    EXPECT_EQ(f.window.toolButtonWindowText(390), "~~New game");
    for (int id : f.window.toolButtons())
        EXPECT_EQ(f.window.toolButtonLabel(id), "") << id;
    EXPECT_EQ(f.window.buttonState(ToggleLayoutCommand), (ButtonState{true, true}));
    // Not pressed: light texture half with the icon over it; pressed: a white rectangle.
    const CBitmap plain = f.window.drawToolButton(395, false);
    const CBitmap icons = bitmap(133);
    EXPECT_EQ(plain.pixel(1, 1), bitmap(137).pixel(1, 1));
    int iconPixels = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgb s = icons.pixel(5 * 16 + x, y);
            if (!sameRgb(s, TransparentKey)) {
                ++iconPixels;
                ASSERT_EQ(plain.pixel(4 + x, 4 + y), s);
            }
        }
    EXPECT_GT(iconPixels, 30);
    f.client.replay = true;
    const CBitmap replay = f.window.drawToolButton(396, false);
    EXPECT_EQ(replay.pixel(2, 2), RgbBlack);
    EXPECT_EQ(replay.pixel(3, 12), RgbWhite);

    f.view.toggleLayout();
    EXPECT_EQ(f.view.layoutIndex(), 0);
    EXPECT_TRUE(f.window.toolButtons().empty());
    EXPECT_EQ(f.window.buttonState(ToggleLayoutCommand), (ButtonState{false, true}));
    EXPECT_TRUE(f.window.lastInvalidateErased());
    f.view.toggleLayout();
    EXPECT_EQ(f.view.layoutIndex(), 1);
    EXPECT_EQ(f.window.toolButtons().size(), 9u);
}

TEST(BoardCommands, TurningTheScreenMovesToItsRow)
{
    BoardFixture f({240, 320}, 1);
    f.window.resizeScreen({320, 240});
    f.view.fitToScreen();
    EXPECT_EQ(f.view.layoutIndex(), 3);
    EXPECT_TRUE(f.window.toolButtons().empty());
    EXPECT_EQ(f.view.clientRect(), (Rect{0, 0, 320, 240}));
    f.window.resizeScreen({240, 320});
    f.view.fitToScreen();
    EXPECT_EQ(f.view.layoutIndex(), 0);
    f.window.resizeScreen({1024, 768}); // no row: the board keeps its row
    f.view.fitToScreen();
    EXPECT_EQ(f.view.layoutIndex(), 0);
}

TEST(BoardCommands, FlipTurnsTheBoard)
{
    BoardFixture f;
    f.view.flipBoard();
    EXPECT_TRUE(f.view.flipped());
    EXPECT_EQ(f.window.buttonState(FlipBoardCommand), (ButtonState{true, true}));
    EXPECT_EQ(f.view.squareFromPoint(16, 14), sq("h1"));
    f.view.flipBoard();
    EXPECT_FALSE(f.view.flipped());
}

TEST(BoardAnimation, FrameCountsAndIntervals)
{
    const struct {
        int distance, square, speed;
        bool bounce;
        AnimationPace expected;
    } cases[] = {
        {24, 24, 2, false, {18, 4}}, // one square at "Medium": 12 x 3 / 2
        {24, 24, 1, false, {24, 8}}, // "Slow"
        {24, 24, 3, false, {8, 5}}, // "Fast": (12 x 2) / 3
        {24, 24, 0, false, {12, 20}}, // any other value
        {24, 24, 2, true, {24, 8}}, // a hint goes there and back at 8 ms
        {0, 24, 2, false, {0, 4}}, {237, 24, 0, false, {237 * 13 / 64, 20}}, // n = 9
        {5000, 24, 0, false, {5000 * 12 / 64, 20}}, // beyond the table: its last entry
        {100, 0, 0, false, {50, 20}}, // no square width: n = 0
    };
    for (const auto& c : cases) {
        const AnimationPace p = animationPace(c.distance, c.square, c.speed, c.bounce);
        EXPECT_EQ(p.steps, c.expected.steps) << c.distance << " " << c.speed;
        EXPECT_EQ(p.intervalMs, c.expected.intervalMs) << c.distance << " " << c.speed;
    }
}

} // namespace
} // namespace qm::test
