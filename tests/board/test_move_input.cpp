// Pen input as sequences of taps and drags against the moves handed on and
// the squares left picked.
#include "BoardFixture.h"

#include "board/PromotionDialog.h"
#include "rules/Notation.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

struct Action {
    const char* from;
    const char* to; // nullptr: a tap on from
};

struct InputCase {
    const char* name;
    const char* fen;
    bool oneTap;
    std::vector<Action> actions;
    std::vector<std::string> moves; // coordinate text, "+drag" when dragged
    const char* pickedFrom; // nullptr: none
    const char* pickedTo;
    PieceCode promotion = Empty;
    int defaultSounds = 0;
};

const char* Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* Promotion = "8/4P3/8/8/8/8/k7/4K3 w - - 0 1";
const char* Capture = "4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1";

const InputCase Cases[] = {
    {"normal: tap piece then target", Start, false, {{"e2", nullptr}, {"e4", nullptr}}, {"e2e4"}, nullptr, nullptr},
    {"normal: second tap unpicks", Start, false, {{"e2", nullptr}, {"e2", nullptr}}, {}, nullptr, nullptr},
    {"normal: tap another own piece picks it", Start, false, {{"e2", nullptr}, {"g1", nullptr}}, {}, "g1", nullptr},
    {"normal: drag", Start, false, {{"e2", "e4"}}, {"e2e4+drag"}, nullptr, nullptr},
    {"normal: illegal drag puts back and beeps", Start, false, {{"g1", "g3"}}, {}, nullptr, nullptr, Empty, 1},
    {"drag back onto its square is a tap", Start, false, {{"e2", "e2"}}, {}, "e2", nullptr},
    {"target first, then the piece", Start, false, {{"f3", nullptr}, {"g1", nullptr}}, {"g1f3"}, nullptr, nullptr},
    {"target first, then a piece that cannot reach it", Start, false, {{"e4", nullptr}, {"g1", nullptr}}, {}, nullptr,
        nullptr},
    {"drag onto an own piece picks that piece", Start, false, {{"e2", "d2"}}, {}, "d2", nullptr, Empty, 1},
    {"a tap on a square nothing reaches changes nothing", Start, false, {{"e2", nullptr}, {"e5", nullptr}}, {}, "e2",
        nullptr},
    {"one tap: piece with two moves is picked", Start, true, {{"g1", nullptr}}, {}, "g1", nullptr},
    {"one tap: the only move to a square", Start, true, {{"e4", nullptr}}, {"e2e4"}, nullptr, nullptr},
    {"one tap: two moves reach the square", Start, true, {{"f3", nullptr}, {"g1", nullptr}}, {"g1f3"}, nullptr,
        nullptr},
    {"one tap: promotion asks the piece", Promotion, true, {{"e7", nullptr}}, {"e7e8n"}, nullptr, nullptr, WhiteKnight},
    {"one tap: closed promotion dialog gives the queen", Promotion, true, {{"e7", nullptr}}, {"e7e8q"}, nullptr,
        nullptr},
    {"one tap: target dragged onto the capturing piece", Capture, true, {{"d5", "e3"}}, {"e3d5+drag"}, nullptr,
        nullptr},
    {"one tap: target dragged onto a piece that cannot take", Capture, true, {{"d5", "e1"}}, {}, nullptr, nullptr,
        Empty, 1},
    {"normal: an opponent's piece cannot be lifted", Capture, false, {{"d5", "e3"}}, {}, "e3", nullptr},
};

TEST(MoveInput, TapAndDragSequences)
{
    for (const InputCase& c : Cases) {
        SCOPED_TRACE(c.name);
        BoardFixture f;
        f.settings.oneClick = c.oneTap;
        f.settings.animation = 0;
        f.client.promotion = c.promotion;
        f.setFen(c.fen);
        for (const Action& a : c.actions) {
            if (a.to)
                f.window.drag(f.centre(sq(a.from)), f.centre(sq(a.to)));
            else
                f.window.tap(f.centre(sq(a.from)));
        }
        std::vector<std::string> moves;
        for (const auto& [m, dragged] : f.client.moves)
            moves.push_back(writeCoordinate(m) + (dragged ? "+drag" : ""));
        EXPECT_EQ(moves, c.moves);
        EXPECT_EQ(f.view.pickedFrom(), c.pickedFrom ? sq(c.pickedFrom) : NoPick);
        EXPECT_EQ(f.view.pickedTo(), c.pickedTo ? sq(c.pickedTo) : NoPick);
        int beeps = 0;
        for (CMove m : f.client.sounds)
            beeps += m == NoMove;
        EXPECT_EQ(beeps, c.defaultSounds);
        EXPECT_FALSE(f.view.spriteActive());
        EXPECT_EQ(f.client.promotionAsked, c.promotion != Empty || std::string(c.fen) == Promotion ? 1 : 0);
    }
}

TEST(MoveInput, EngineBusyOnlyPutsBackAndClearsDots)
{
    BoardFixture f;
    f.settings.oneClick = 0;
    f.settings.highlightLegalMoves = 1;
    f.window.tap(f.centre(sq("e2")));
    ASSERT_EQ(f.view.pickedFrom(), sq("e2"));
    f.client.busy = true;
    f.window.tap(f.centre(sq("e4")));
    f.window.drag(f.centre(sq("d2")), f.centre(sq("d4")));
    EXPECT_TRUE(f.client.moves.empty());
    EXPECT_EQ(f.view.pickedFrom(), sq("e2"));
    EXPECT_FALSE(f.view.spriteActive());
    EXPECT_FALSE(f.view.dotsShown());
}

TEST(MoveInput, LegalMoveDotsOnTouch)
{
    BoardFixture f;
    f.settings.highlightLegalMoves = 1;
    f.settings.oneClick = 0;
    f.view.onPenDown(f.centre(sq("g1")).x, f.centre(sq("g1")).y);
    EXPECT_TRUE(f.view.dotsShown());
    EXPECT_TRUE(f.view.dotMark(sq("f3")));
    EXPECT_TRUE(f.view.dotMark(sq("h3")));
    EXPECT_FALSE(f.view.dotMark(sq("g3")));
    // The dot is drawn at once: the middle of f3 is yellow.
    const Point c = f.centre(sq("f3"));
    EXPECT_EQ(f.pixel(c.x, c.y), MarkYellow);
    f.view.onPenUp(f.centre(sq("g1")).x, f.centre(sq("g1")).y);
    f.window.paint();
    EXPECT_EQ(f.view.pickedFrom(), sq("g1"));
    f.window.tap(f.centre(sq("f3")));
    ASSERT_EQ(f.client.moves.size(), 1u);
    EXPECT_FALSE(f.view.dotsShown());
}

TEST(MoveInput, HoldOutsideTheBoardOpensTheMenu)
{
    BoardFixture f;
    f.client.statusBottomY = 320;
    f.window.hold({230, 300});
    ASSERT_EQ(f.client.menus.size(), 1u);
    EXPECT_EQ(f.view.contextMenuPoint(), (Point{230, 300}));
    f.window.hold(f.centre(sq("e2")));
    EXPECT_EQ(f.client.menus.size(), 1u);
}

TEST(MoveInput, InputOnSquaresIsIgnoredWhileAnimating)
{
    BoardFixture f;
    f.settings.animation = 1;
    f.settings.oneClick = 0;
    f.view.setPicks(sq("b1"), NoPick);
    f.view.animateMove(CMove(sq("h2"), WhitePawn, sq("h3"), Empty), false, false, false);
    ASSERT_TRUE(f.view.animating());
    f.window.tap(f.centre(sq("e2")));
    EXPECT_EQ(f.view.pickedFrom(), sq("b1"));
    // Off the board a pen-up still clears the picks, and leaves the
    // animation's piece alone.
    f.view.onPenUp(-1, -1);
    EXPECT_EQ(f.view.pickedFrom(), NoPick);
    EXPECT_TRUE(f.view.spriteActive());
    EXPECT_TRUE(f.view.animating());
}

} // namespace
} // namespace qm::test

namespace qm::test {
namespace {

TEST(PromotionDialog, PiecesInACentredRowAndTheirHitArea)
{
    BoardFixture f; // 24-pixel squares
    const Rect client{0, 0, 154, 120};
    CPromotionDialog black(f.view, Black, client);
    const Rect row = black.pieceRow();
    EXPECT_EQ(row, Rect::fromSize((154 - 96) / 2, 34, 96, 24));
    const struct {
        int x, y;
        PieceCode expected;
    } taps[] = {
        {row.left, row.top, BlackQueen},
        {row.left + 23, row.top + 24, BlackQueen},
        {row.left + 24, row.top, BlackRook},
        {row.left + 50, row.top + 5, BlackBishop},
        {row.left + 95, row.top + 5, BlackKnight},
        {row.left + 96, row.top + 5, Empty}, // exactly on the right edge of the fourth piece
        {row.left - 1, row.top, Empty},
        {row.left, row.top - 1, Empty},
        {row.left, row.top + 25, Empty},
    };
    for (const auto& t : taps)
        EXPECT_EQ(black.pieceAt(t.x, t.y), t.expected) << t.x << "," << t.y;
    EXPECT_EQ(black.closedChoice(), BlackQueen);
    CMemoryCanvas canvas(154, 120, RgbWhite);
    CPromotionDialog(f.view, White, client).paint(canvas);
    int drawn = 0;
    for (int y = row.top; y < row.bottom; ++y)
        for (int x = row.left; x < row.right; ++x)
            drawn += canvas.pixel(x, y) != RgbWhite;
    EXPECT_GT(drawn, 200);
    for (int x = 0; x < 154; ++x)
        EXPECT_EQ(canvas.pixel(x, row.top - 1), RgbWhite);
}

TEST(BoardTextures, EveryStoredTextureHasItsBitmap)
{
    for (int code = 0; code <= 10; ++code) {
        const int id = CBoardView::textureIdOf(SquareTexture(code));
        EXPECT_EQ(textureInfo(id).id, id);
        EXPECT_TRUE(std::filesystem::exists(bitmapDir() / (std::to_string(id) + ".png")));
    }
}

} // namespace
} // namespace qm::test
