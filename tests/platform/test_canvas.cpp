#include "platform/Canvas.h"
#include "CanvasText.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qm;
using qm::test::rowsOf;

namespace {

constexpr Rgb Red = rgb(255, 0, 0);
constexpr Rgb Yellow = rgb(250, 250, 80);

struct ShapeCase {
    const char* name;
    std::function<void(CCanvas&)> draw;
    Rgb ink;
    std::vector<std::string> rows;  // the 8 x 8 top-left corner after drawing
};

class ShapeTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, DrawsExactPixels)
{
    CMemoryCanvas canvas(8, 8);
    GetParam().draw(canvas);
    EXPECT_EQ(rowsOf(canvas, {0, 0, 8, 8}, GetParam().ink), GetParam().rows);
}

const ShapeCase shapeCases[] = {
    {"FillRectExcludesRightAndBottom", [](CCanvas& c) { c.fillRect({1, 1, 4, 3}, Red); }, Red,
     {"........", ".###....", ".###....", "........", "........", "........", "........", "........"}},
    {"FillRectClipsToSurface", [](CCanvas& c) { c.fillRect({-3, -3, 2, 2}, Red); }, Red,
     {"##......", "##......", "........", "........", "........", "........", "........", "........"}},
    {"FillRectClipsToClip",
     [](CCanvas& c) {
         c.setClip({2, 2, 4, 4});
         c.fillRect({0, 0, 8, 8}, Red);
     },
     Red, {"........", "........", "..##....", "..##....", "........", "........", "........", "........"}},
    {"LineLeavesOutEndPoint",
     [](CCanvas& c) {
         c.setPen({Red, 1});
         c.line({0, 0}, {5, 0});
     },
     Red, {"#####...", "........", "........", "........", "........", "........", "........", "........"}},
    {"DiagonalLine",
     [](CCanvas& c) {
         c.setPen({Red, 1});
         c.line({0, 0}, {4, 4});
     },
     Red, {"#.......", ".#......", "..#.....", "...#....", "........", "........", "........", "........"}},
    {"WidePenStampsSquare",
     [](CCanvas& c) {
         c.setPen({Red, 2});
         c.line({1, 1}, {1, 4});
     },
     Red, {"........", ".##.....", ".##.....", ".##.....", ".##.....", "........", "........", "........"}},
    {"NullPenDrawsNoLine",
     [](CCanvas& c) {
         c.setPen(Pen::null());
         c.line({0, 0}, {7, 7});
     },
     RgbBlack, {"........", "........", "........", "........", "........", "........", "........", "........"}},
    {"RectangleOutlineInside",
     [](CCanvas& c) {
         c.setPen({Red, 1});
         c.rectangle({1, 1, 6, 5});
     },
     Red, {"........", ".#####..", ".#...#..", ".#...#..", ".#####..", "........", "........", "........"}},
    {"RectangleBrushFillsInside",
     [](CCanvas& c) {
         c.setBrush({Red});
         c.rectangle({1, 1, 6, 5});
     },
     Red, {"........", "........", "..###...", "..###...", "........", "........", "........", "........"}},
    {"RectangleWithoutPenFillsAll",
     [](CCanvas& c) {
         c.setPen(Pen::null());
         c.setBrush({Red});
         c.rectangle({1, 1, 4, 3});
     },
     Red, {"........", ".###....", ".###....", "........", "........", "........", "........", "........"}},
    {"EllipseFillByPixelCentres",
     [](CCanvas& c) {
         c.setPen(Pen::null());
         c.setBrush({Yellow});
         c.ellipse({0, 0, 8, 8});
     },
     Yellow, {"..####..", ".######.", "########", "########", "########", "########", ".######.", "..####.."}},
    {"EllipseOutlineRing",
     [](CCanvas& c) {
         c.setPen({Red, 1});
         c.setBrush(Brush::null());
         c.ellipse({0, 0, 8, 8});
     },
     Red, {"..####..", ".#....#.", "#......#", "#......#", "#......#", "#......#", ".#....#.", "..####.."}},
    {"TriangleEvenOddFill",
     [](CCanvas& c) {
         c.setPen(Pen::null());
         c.setBrush({Red});
         const Point pts[] = {{0, 0}, {8, 0}, {0, 8}};
         c.polygon(pts);
     },
     Red, {"#######.", "######..", "#####...", "####....", "###.....", "##......", "#.......", "........"}},
    {"PolygonOutlineClosesShape",
     [](CCanvas& c) {
         c.setPen({Red, 1});
         c.setBrush(Brush::null());
         const Point pts[] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
         c.polygon(pts);
     },
     Red, {"........", ".#####..", ".#...#..", ".#...#..", ".#...#..", ".#####..", "........", "........"}},
    {"SelfIntersectingPolygonLeavesCentreEmpty",
     [](CCanvas& c) {
         c.setPen(Pen::null());
         c.setBrush({Red});
         // Two overlapping squares traced as one outline: the overlap is outside (even-odd).
         const Point pts[] = {{0, 0}, {4, 0}, {4, 4}, {2, 4}, {2, 2}, {6, 2}, {6, 6}, {0, 6}, {0, 0}};
         c.polygon(pts);
     },
     Red, {"####....", "####....", "##..##..", "##..##..", "######..", "######..", "........", "........"}},
};

INSTANTIATE_TEST_SUITE_P(Canvas, ShapeTest, testing::ValuesIn(shapeCases),
                         [](const testing::TestParamInfo<ShapeCase>& i) { return i.param.name; });

TEST(CanvasEllipse, IsSymmetricInOddAndEvenBoxes)
{
    for (const Rect box : {Rect{0, 0, 7, 5}, Rect{0, 0, 10, 6}, Rect{0, 0, 11, 11}, Rect{0, 0, 1, 1}}) {
        CMemoryCanvas c(12, 12);
        c.setPen({Red, 1});
        c.setBrush({Yellow});
        c.ellipse(box);
        for (int y = 0; y < box.bottom; ++y)
            for (int x = 0; x < box.right; ++x) {
                const Rgb p = c.pixel(x, y);
                EXPECT_EQ(p, c.pixel(box.right - 1 - x, y)) << x << "," << y;
                EXPECT_EQ(p, c.pixel(x, box.bottom - 1 - y)) << x << "," << y;
            }
        EXPECT_EQ(c.pixel(box.right, 0), RgbWhite);
    }
}

TEST(CanvasBlit, CopiesClipsAndKeys)
{
    CBitmap src(4, 2, Red);
    src.setPixel(1, 0, TransparentKey);
    src.setPixel(2, 1, Yellow);

    struct Case {
        const char* name;
        Point dest;
        Rect source;
        bool transparent;
        std::vector<std::string> rows;  // '#' = red from the source
    } cases[] = {
        {"plain", {1, 1}, {0, 0, 4, 2}, false, {"......", ".#.##.", ".##.#.", "......"}},
        {"keyed", {1, 1}, {0, 0, 4, 2}, true, {"......", ".#.##.", ".##.#.", "......"}},
        {"negativeDest", {-2, -1}, {0, 0, 4, 2}, false, {".#....", "......", "......", "......"}},
        {"sourceBeyondBitmap", {0, 0}, {2, 0, 10, 10}, false, {"##....", ".#....", "......", "......"}},
        {"sourceStartsLeftOfBitmap", {0, 0}, {-1, 0, 3, 1}, false, {".#.#..", "......", "......", "......"}},
    };
    for (const Case& k : cases) {
        CMemoryCanvas c(6, 4);
        if (k.transparent)
            c.blitTransparent(k.dest, src, k.source);
        else
            c.blit(k.dest, src, k.source);
        EXPECT_EQ(rowsOf(c, c.bounds(), Red), k.rows) << k.name;
        if (std::string(k.name) == "plain" || std::string(k.name) == "keyed") {
            EXPECT_EQ(c.pixel(2, 1), k.transparent ? RgbWhite : TransparentKey) << k.name;
        }
    }
}

TEST(CanvasBlit, OverlappingSelfCopyKeepsSource)
{
    CMemoryCanvas c(6, 1);
    for (int x = 0; x < 6; ++x)
        c.setPixel(x, 0, rgb(x, 0, 0));
    c.blit({1, 0}, c, {0, 0, 5, 1});
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(c.pixel(x, 0), rgb(x - 1, 0, 0));
}

TEST(MemoryCanvas, RecordsTextAndMeasuresFixedCells)
{
    CMemoryCanvas c(100, 20);
    c.setFont({10, false});
    c.setTextColour(Red);
    EXPECT_EQ(c.textSize("Hash´"), (Size{5 * 6, 10}));
    c.drawText({0, 0, 50, 10}, "Hashsize", AlignRight);
    c.setClip({60, 0, 100, 20});
    c.drawText({0, 0, 50, 10}, "clipped away");
    ASSERT_EQ(c.textRuns().size(), 1u);
    EXPECT_EQ(c.textRuns()[0].text, "Hashsize");
    EXPECT_EQ(c.textRuns()[0].colour, Red);
    EXPECT_EQ(c.textRuns()[0].align, AlignRight);
}

TEST(MemoryCanvas, OutOfRangeReadsAndWritesAreHarmless)
{
    CMemoryCanvas c(2, 2);
    c.setPixel(-1, 0, Red);
    c.setPixel(2, 2, Red);
    EXPECT_EQ(c.pixel(-1, 0), 0u);
    EXPECT_EQ(c.pixel(5, 5), 0u);
    c.resize(0, 0);
    c.fillRect({0, 0, 5, 5}, Red);
    c.blit({0, 0}, CBitmap(3, 3, Red), {0, 0, 3, 3});
    EXPECT_EQ(c.width(), 0);
}

} // namespace
