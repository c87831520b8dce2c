// The committed bitmaps: sizes, the transparent key, and the properties the
// board relies on when it copies cells and texture halves.
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace qm {
namespace {

CBitmap load(const std::string& name)
{
    auto b = CBitmap::load(
        std::filesystem::path(QM_TEST_SOURCE_DIR) / ".." / ".." / "resources" / "bitmaps" / (name + ".png"));
    return b ? *b : CBitmap();
}

bool isKey(Rgb p)
{
    return sameRgb(p, TransparentKey);
}

// A colour so close to the key that it would show as a grey fringe or be
// mistaken for transparency.
bool nearKey(Rgb p)
{
    return !isKey(p) && std::abs(redOf(p) - 192) < 12 && std::abs(greenOf(p) - 192) < 12
        && std::abs(blueOf(p) - 192) < 12;
}

double luminance(Rgb p)
{
    return 0.299 * redOf(p) + 0.587 * greenOf(p) + 0.114 * blueOf(p);
}

struct Keyed {
    const char* name;
    int w, h;
};

// Every bitmap drawn over the board with the key colour transparent.
const Keyed keyedBitmaps[] = {
    {"128", 192, 14},
    {"134", 192, 14},
    {"132", 192, 6},
    {"150", 384, 28},
    {"151", 384, 28},
    {"152", 384, 12},
    {"153", 384, 12},
    {"130", 16, 212},
    {"127", 16, 212},
    {"131", 8, 212},
    {"136", 8, 212},
    {"142", 16, 160},
    {"143", 16, 160},
    {"144", 16, 160},
    {"145", 16, 160},
    {"157", 24, 192},
    {"158", 24, 192},
    {"159", 24, 192},
    {"160", 24, 192},
    {"146", 32, 424},
    {"147", 32, 424},
    {"148", 16, 424},
    {"149", 16, 424},
    {"161", 48, 384},
    {"162", 48, 384},
    {"163", 48, 384},
    {"164", 48, 384},
    {"133", 144, 16},
    {"135", 288, 32},
    {"menubar16", 128, 16},
    {"menubar32", 256, 32},
};

const int pieceSizes[] = {20, 24, 30, 48, 60};

TEST(Artwork, KeyedBitmapsHaveTheirSizeAndHardEdges)
{
    for (const Keyed& k : keyedBitmaps) {
        SCOPED_TRACE(k.name);
        const CBitmap im = load(k.name);
        ASSERT_FALSE(im.isNull());
        EXPECT_EQ(im.width(), k.w);
        EXPECT_EQ(im.height(), k.h);
        int key = 0, fringe = 0;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x) {
                key += isKey(im.pixel(x, y));
                fringe += nearKey(im.pixel(x, y));
            }
        EXPECT_GT(key, 0);
        EXPECT_LT(key, im.width() * im.height());
        EXPECT_EQ(fringe, 0);
    }
}

TEST(Artwork, PieceStripsHoldTwelveDistinctCellsOnTheKey)
{
    for (int set = 0; set < 6; ++set)
        for (int s = 0; s < 5; ++s) {
            const int size = pieceSizes[s];
            const std::string name = std::to_string(700 + 10 * set + s);
            SCOPED_TRACE(name);
            const CBitmap im = load(name);
            ASSERT_FALSE(im.isNull());
            ASSERT_EQ(im.width(), 12 * size);
            ASSERT_EQ(im.height(), size);
            // Rows 3, 5, 6 skip one top row of the 24-pixel cells, rows 10..13
            // two of the 48-pixel ones; nothing may be drawn there.
            const int skipped = size == 24 ? 1 : size == 48 ? 2 : 0;
            for (int cell = 0; cell < 12; ++cell) {
                int opaque = 0;
                for (int y = 0; y < size; ++y)
                    for (int x = cell * size; x < (cell + 1) * size; ++x) {
                        const Rgb p = im.pixel(x, y);
                        EXPECT_FALSE(nearKey(p)) << "cell " << cell << " at " << x << "," << y;
                        if (isKey(p))
                            continue;
                        ++opaque;
                        EXPECT_GE(y, skipped) << "cell " << cell;
                    }
                EXPECT_GT(opaque, size * size / 8) << "cell " << cell << " is nearly empty";
                EXPECT_LT(opaque, size * size * 9 / 10) << "cell " << cell << " covers its square";
            }
            // The white pieces come first: the middle of the white rook's body
            // is lighter than the black rook's.
            const auto middle = [&](int cell) {
                double sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += luminance(im.pixel(cell * size + size / 2 + dx, size * 5 / 8 + dy));
                return sum / 9;
            };
            EXPECT_GT(middle(3), middle(9) + 60);
        }
}

TEST(Artwork, TexturesHaveALightLeftAndADarkRightHalf)
{
    for (const char* name : {"137", "138", "139", "140", "141", "154", "155", "156", "165", "166", "167"}) {
        SCOPED_TRACE(name);
        const CBitmap im = load(name);
        ASSERT_FALSE(im.isNull());
        ASSERT_EQ(im.width(), 120);
        ASSERT_EQ(im.height(), 60);
        double half[2] = {0, 0};
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 120; ++x)
                half[x / 60] += luminance(im.pixel(x, y));
        // Even the closest pair (maple) differs clearly.
        EXPECT_GT(half[0] / 3600, half[1] / 3600 + 25);
    }
}

} // namespace
} // namespace qm
