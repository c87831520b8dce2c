// Layout selection on every screen size, and the shape of the table rows
// the drawing code relies on.
#include "board/BoardLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

struct Selection {
    int start, mode, width, height;
    int expected;
};

TEST(Layout, SelectionSearchesUpwardsAndWraps)
{
    const Selection cases[] = {
        // 240 x 320: playing rows 0 and 1, editor row 2.
        {0, 0, 240, 320, 0},
        {1, 0, 240, 320, 1},
        {2, 0, 240, 320, 0},
        {3, 0, 240, 320, 0},
        {13, 0, 240, 320, 0},
        {0, 1, 240, 320, 2},
        {1, 1, 240, 320, 2},
        // Turning 240 x 320 to 320 x 240 from rows 0 and 1, and back from row 3.
        {0, 0, 320, 240, 3},
        {1, 0, 320, 240, 3},
        {3, 0, 240, 320, 0},
        {3, 1, 320, 240, 4},
        {4, 0, 320, 240, 3},
        {0, 0, 240, 240, 5},
        {5, 1, 240, 240, 6},
        {6, 0, 240, 240, 5},
        {0, 0, 480, 640, 7},
        {8, 0, 480, 640, 8},
        {9, 0, 480, 640, 7},
        {7, 1, 480, 640, 9},
        {0, 0, 640, 480, 10},
        {10, 1, 640, 480, 11},
        {11, 0, 640, 480, 10},
        {0, 0, 480, 480, 12},
        {12, 1, 480, 480, 13},
        {13, 0, 480, 480, 12},
        // No row for the screen: the start stays; a start out of range is 0.
        {5, 0, 800, 600, 5},
        {13, 1, 1024, 768, 13},
        {-3, 0, 800, 600, 0},
        {14, 0, 240, 320, 0},
        {99, 1, 480, 640, 9},
        {0, 2, 240, 320, 0},
    };
    for (const Selection& c : cases)
        EXPECT_EQ(selectLayoutIndex(c.start, c.mode, c.width, c.height), c.expected)
            << "start " << c.start << " mode " << c.mode << " on " << c.width << "x" << c.height;
}

TEST(Layout, TogglingVisitsThePlayingRowsOfTheScreen)
{
    // Toggling searches from the next row in mode 0.
    const struct {
        int width, height;
        std::vector<int> cycle;
    } screens[] = {
        {240, 320, {0, 1}},
        {480, 640, {7, 8}},
        {320, 240, {3}},
        {240, 240, {5}},
        {640, 480, {10}},
        {480, 480, {12}},
    };
    for (const auto& s : screens) {
        int row = s.cycle[0];
        for (std::size_t step = 1; step <= 2 * s.cycle.size(); ++step) {
            row = selectLayoutIndex((row + 1) % LayoutCount, 0, s.width, s.height);
            EXPECT_EQ(row, s.cycle[step % s.cycle.size()]) << s.width << "x" << s.height << " step " << step;
        }
    }
}

TEST(Layout, RowsFitTheirScreenAndTheirPieceStrips)
{
    for (int i = 0; i < LayoutCount; ++i) {
        SCOPED_TRACE(i);
        const BoardLayout& l = LayoutTable[std::size_t(i)];
        const int boardRight = l.boardX + 8 * l.squareWidth;
        const int boardBottom = l.boardY + 8 * l.squareHeight;
        EXPECT_LE(boardRight + l.rightStripWidth, l.screenWidth);
        EXPECT_LE(boardBottom, l.screenHeight);
        EXPECT_EQ(l.boardX, l.leftStripWidth);
        // A piece cell is as wide as a square, and the skipped rows make up
        // the difference in height.
        EXPECT_EQ(PieceSizes[std::size_t(l.pieceSize)], l.squareWidth);
        EXPECT_EQ(l.squareWidth - l.pieceOffset, l.squareHeight);
        if (i == 1 || i == 8) {
            EXPECT_LE(l.buttonX + l.buttonWidth, l.screenWidth);
        }
    }
}

TEST(Layout, PieceSetsAndTexturesHaveTheirResources)
{
    EXPECT_EQ(pieceStripId(0, 0), 700);
    EXPECT_EQ(pieceStripId(5, 4), 754);
    EXPECT_EQ(pieceStripId(3, 2), 732);
    EXPECT_EQ(pieceStripId(9, 1), 701); // unknown set: the first
    EXPECT_EQ(pieceStripId(2, 7), 720); // unknown size: the smallest
    EXPECT_EQ(textureInfo(141).name, std::string("Red marble"));
    EXPECT_FALSE(textureInfo(141).darkBorder);
    EXPECT_TRUE(textureInfo(166).darkBorder);
    EXPECT_EQ(textureInfo(999).id, 137);
}

} // namespace
} // namespace qm
