// The piece sprite and the move animation: flicker-free composition, frame
// counts on the manual clock, and the board left exactly as a full repaint
// draws it. Also writes screenshots of the layouts, sets and textures into
// the build folder.
#include "BoardFixture.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

// The board as a fresh full paint draws it.
CBitmap freshPaint(BoardFixture& f)
{
    CMemoryCanvas canvas(f.window.canvas().width(), f.window.canvas().height());
    f.view.paint(canvas, canvas.bounds());
    return canvas.snapshot();
}

int animationTicks(BoardFixture& f)
{
    int ticks = 0;
    while (f.view.animating() && ticks < 1000) {
        f.window.advance(f.window.timerPeriod(AnimationTimer));
        ++ticks;
    }
    return ticks;
}

TEST(Sprite, DragComposesFromTheBackgroundAndPutsBack)
{
    BoardFixture f;
    const Point e2 = f.centre(sq("e2")), e4 = f.centre(sq("e4"));
    const CBitmap before = f.window.canvas().snapshot();
    f.view.beginSprite(WhitePawn, e2.x, e2.y);
    ASSERT_TRUE(f.view.spriteActive());
    EXPECT_EQ(f.view.spriteStart(), sq("e2"));
    EXPECT_EQ(f.window.canvas().snapshot(), before); // nothing drawn at the lift
    f.view.moveSprite(WhitePawn, e4.x, e4.y);
    // The pawn is over e4 and gone from e2 (bare texture there now).
    const Rect r2 = f.view.squareRect(sq("e2"));
    CBitmap texture = *CBitmap::load(bitmapDir() / "137.png");
    EXPECT_EQ(f.pixel(r2.left + 12, r2.top + 16), texture.pixel(12, 16));
    const Rect r4 = f.view.squareRect(sq("e4"));
    EXPECT_NE(f.pixel(r4.left + 12, r4.top + 16), texture.pixel(12, 16));
    f.view.endSprite(WhitePawn, e2.x, e2.y);
    EXPECT_FALSE(f.view.spriteActive());
    EXPECT_EQ(f.view.spritePiece(), Empty);
    EXPECT_EQ(f.view.spriteStart(), NoSquare);
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), freshPaint(f));
}

TEST(Sprite, DragKeepsAToSquareFrameInPlace)
{
    BoardFixture f;
    f.view.setPicks(NoPick, sq("e4"));
    f.window.paint();
    const Point e2 = f.centre(sq("e2"));
    f.view.beginSprite(WhitePawn, e2.x, e2.y);
    f.view.moveSprite(WhitePawn, e2.x + 3, e2.y - 30);
    f.view.moveSprite(WhitePawn, e2.x, e2.y - 48); // over e4
    f.view.moveSprite(WhitePawn, e2.x + 40, e2.y - 90);
    const Rect r = f.view.squareRect(sq("e4"));
    EXPECT_EQ(f.pixel(r.left, r.top + 10), FrameRed);
    EXPECT_EQ(f.pixel(r.right - 1, r.top + 10), FrameRed);
    f.view.endSprite(WhitePawn, e2.x, e2.y);
}

TEST(Sprite, NestedAndIdleCallsChangeNothing)
{
    BoardFixture f;
    const CBitmap before = f.window.canvas().snapshot();
    f.view.moveSprite(WhitePawn, 50, 50);
    f.view.dropSprite(WhitePawn, 50, 50);
    f.view.endSprite(WhitePawn, 50, 50);
    EXPECT_EQ(f.window.canvas().snapshot(), before);
    EXPECT_EQ(f.window.directDrawCount(), 0);
    // A second lift acts as a move.
    f.view.beginSprite(WhiteKnight, f.centre(sq("g1")).x, f.centre(sq("g1")).y);
    f.view.beginSprite(WhiteKnight, f.centre(sq("f3")).x, f.centre(sq("f3")).y);
    EXPECT_EQ(f.view.spriteStart(), sq("g1"));
    f.view.endSprite(WhiteKnight, 0, 0);
}

TEST(Animation, OneSquareRookMoveAtMediumTakesEighteenFrames)
{
    BoardFixture f;
    f.settings.animation = 2;
    f.setFen("4k3/8/8/8/8/8/8/1R2K3 w - - 0 1");
    f.position.makeMove(f.position.findMove(sq("b1"), sq("a1"), WhiteQueen));
    f.view.showMove(f.position.lastMove(), true, true, true);
    ASSERT_TRUE(f.view.animating());
    EXPECT_EQ(f.view.animation()->steps, 18);
    EXPECT_EQ(f.window.timerPeriod(AnimationTimer), 4);
    EXPECT_EQ(animationTicks(f), 18);
    EXPECT_FALSE(f.window.timerRunning(AnimationTimer));
    ASSERT_EQ(f.client.sounds.size(), 1u);
    EXPECT_EQ(f.view.lastMoveArrow(), f.position.lastMove());
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), freshPaint(f));
}

TEST(Animation, HintGoesThereAndBackWithOneSoundAtTheTurn)
{
    BoardFixture f;
    const CMove hint = f.position.findMove(sq("g1"), sq("f3"), WhiteQueen);
    f.view.animateMove(hint, true, true, true);
    const int steps = f.view.animation()->steps;
    EXPECT_EQ(f.window.timerPeriod(AnimationTimer), 8);
    int ticks = 0;
    while (f.view.animating() && f.client.sounds.empty()) {
        f.window.advance(8);
        ++ticks;
    }
    EXPECT_EQ(ticks, steps);
    EXPECT_EQ(f.client.sounds.size(), 1u);
    animationTicks(f);
    EXPECT_EQ(f.client.sounds.size(), 1u);
    EXPECT_EQ(f.view.lastMoveArrow(), hint);
    EXPECT_EQ(f.position.board[sq("g1")], WhiteKnight); // the hint was not played
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), freshPaint(f));
}

TEST(Animation, CastlingAndTakeBacksRepaintTheirExtraSquares)
{
    const struct {
        const char* fen;
        const char* from;
        const char* to;
        bool takeBack;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", false},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", false},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "c1", true},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6", true},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6", false},
        {"4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7", "a8", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << c.to << (c.takeBack ? " taken back" : ""));
        BoardFixture f;
        f.settings.animation = 3;
        f.setFen(c.fen);
        const CMove m = f.position.findMove(sq(c.from), sq(c.to), pieceOf(Colour(f.position.sideToMove), Queen));
        ASSERT_NE(m, NoMove);
        f.position.makeMove(m);
        if (c.takeBack) {
            f.window.paint();
            f.position.unmakeMove();
            f.view.showTakeback(m);
        } else {
            f.view.showMove(m, true, false, false);
        }
        ASSERT_TRUE(f.view.animating());
        if (m.isPromotion()) {
            EXPECT_EQ(f.view.animation()->piece, WhitePawn);
        }
        animationTicks(f);
        f.window.paint();
        EXPECT_EQ(f.window.canvas().snapshot(), freshPaint(f));
    }
}

TEST(Animation, ANewAnimationFinishesTheRunningOne)
{
    BoardFixture f;
    f.settings.animation = 1;
    f.position.makeMove(f.position.findMove(sq("e2"), sq("e4"), WhiteQueen));
    f.view.showMove(f.position.lastMove(), true, false, false);
    f.window.advance(16);
    f.position.makeMove(f.position.findMove(sq("e7"), sq("e5"), BlackQueen));
    f.view.showMove(f.position.lastMove(), true, false, false);
    EXPECT_EQ(f.view.animation()->move.from, sq("e7"));
    animationTicks(f);
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), freshPaint(f));
}

TEST(Animation, FlipAndToggleWaitForTheAnimation)
{
    BoardFixture f;
    f.settings.animation = 1;
    f.view.createToolbarButtons();
    f.position.makeMove(f.position.findMove(sq("e2"), sq("e4"), WhiteQueen));
    f.view.showMove(f.position.lastMove(), true, false, false);
    f.view.flipBoard();
    f.view.toggleLayout();
    EXPECT_FALSE(f.view.flipped());
    EXPECT_EQ(f.view.layoutIndex(), 1);
    EXPECT_EQ(f.window.buttonState(FlipBoardCommand), (ButtonState{false, true}));
    EXPECT_EQ(f.window.buttonState(ToggleLayoutCommand), (ButtonState{true, true}));
}

// Screenshots for people: every playing layout normal and flipped, and every
// piece set and texture on the large board. Kept in the build folder.
TEST(Screenshots, LayoutsSetsAndTextures)
{
    const auto dir = std::filesystem::path(QM_BINARY_DIR) / "screenshots" / "board";
    std::filesystem::create_directories(dir);
    const struct {
        Size screen;
        int row;
    } rows[] = {{{240, 320}, 0}, {{240, 320}, 1}, {{320, 240}, 3}, {{240, 240}, 5}, {{480, 640}, 7}, {{480, 640}, 8},
        {{640, 480}, 10}, {{480, 480}, 12}};
    const char* fen = "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5";
    for (const auto& r : rows)
        for (bool flipped : {false, true}) {
            BoardFixture f(r.screen, r.row);
            f.view.setFlipped(flipped);
            f.setFen(fen);
            f.view.setLastMoveArrow(CMove(sq("g8"), BlackKnight, sq("f6"), Empty));
            f.view.setPicks(sq("c4"), NoPick);
            f.window.invalidateAll(false);
            f.window.paint();
            const auto name = "row" + std::to_string(r.row) + (flipped ? "-flipped" : "") + ".png";
            EXPECT_TRUE(savePng(f.window.canvas().pixels(), dir / name));
        }
    const auto shoot = [&](int set, int texture) {
        BoardFixture f({480, 640}, 8);
        f.view.setPieceSet(set);
        f.view.setTexture(texture);
        f.setFen(fen);
        const auto name
            = std::string("set") + PieceSetNames[std::size_t(set)] + "-texture" + std::to_string(texture) + ".png";
        EXPECT_TRUE(savePng(f.window.canvas().pixels(), dir / name));
    };
    for (int set = 0; set < PieceSetCount; ++set)
        shoot(set, 155);
    for (const TextureInfo& t : Textures)
        shoot(0, t.id);
}

} // namespace
} // namespace qm::test
