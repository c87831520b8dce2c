#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace qm;

namespace {

void put16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A BMP file with a 40-byte header; rows are given top-down as palette
// indices (bits <= 8) or as colours (24 bits), and written in the file's order.
std::vector<std::uint8_t> makeBmp(int bits, const std::vector<std::vector<std::uint32_t>>& rows,
                                  bool topDown, const std::vector<Rgb>& palette = {})
{
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    const int rowBytes = ((w * bits + 31) / 32) * 4;
    const int palBytes = 4 * static_cast<int>(palette.size());
    std::vector<std::uint8_t> b{'B', 'M'};
    put32(b, 54 + palBytes + rowBytes * h);
    put32(b, 0);
    put32(b, 54 + palBytes);
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(w));
    put32(b, static_cast<std::uint32_t>(topDown ? -h : h));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, 0);
    put32(b, static_cast<std::uint32_t>(rowBytes * h));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, static_cast<std::uint32_t>(palette.size()));
    put32(b, 0);
    for (Rgb c : palette) {
        b.push_back(static_cast<std::uint8_t>(blueOf(c)));
        b.push_back(static_cast<std::uint8_t>(greenOf(c)));
        b.push_back(static_cast<std::uint8_t>(redOf(c)));
        b.push_back(0);
    }
    for (int i = 0; i < h; ++i) {
        const auto& row = rows[topDown ? i : h - 1 - i];
        std::vector<std::uint8_t> out(rowBytes, 0);
        for (int x = 0; x < w; ++x) {
            if (bits == 24) {
                out[3 * x] = static_cast<std::uint8_t>(blueOf(row[x]));
                out[3 * x + 1] = static_cast<std::uint8_t>(greenOf(row[x]));
                out[3 * x + 2] = static_cast<std::uint8_t>(redOf(row[x]));
            } else {
                const int perByte = 8 / bits;
                out[x / perByte] |= static_cast<std::uint8_t>(row[x] << (8 - bits * (x % perByte + 1)));
            }
        }
        b.insert(b.end(), out.begin(), out.end());
    }
    return b;
}

constexpr Rgb A = rgb(10, 20, 30), B = rgb(200, 100, 50), C = rgb(192, 192, 192);

TEST(BitmapBmp, ReadsEveryDepthAndOrientation)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"24 bits bottom-up", makeBmp(24, {{A, B, C}, {C, A, B}}, false)},
        {"24 bits top-down", makeBmp(24, {{A, B, C}, {C, A, B}}, true)},
        {"8 bits palette", makeBmp(8, {{0, 1, 2}, {2, 0, 1}}, false, {A, B, C})},
        {"4 bits palette", makeBmp(4, {{0, 1, 2}, {2, 0, 1}}, false, {A, B, C})},
        {"1 bit palette", makeBmp(1, {{0, 1, 1}, {1, 0, 1}}, false, {A, B})},
    };
    for (const Case& k : cases) {
        std::string error;
        auto bmp = CBitmap::loadFromMemory(k.file.data(), k.file.size(), &error);
        ASSERT_TRUE(bmp) << k.name << ": " << error;
        ASSERT_EQ(bmp->size(), (Size{3, 2})) << k.name;
        EXPECT_EQ(bmp->pixel(0, 0), A) << k.name;
        EXPECT_EQ(bmp->pixel(1, 0), B) << k.name;
        EXPECT_EQ(bmp->pixel(1, 1), A) << k.name;
    }
}

TEST(BitmapBmp, RefusesBrokenFilesWithReason)
{
    const auto good = makeBmp(24, {{A, B, C}, {C, A, B}}, false);
    auto truncated = good;
    truncated.resize(good.size() - 4);
    auto huge = good;
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width 2^31 - 1
    auto rle = good;
    rle[30] = 1;  // BI_RLE8
    auto depth16 = good;
    depth16[28] = 16;
    auto zeroWidth = good;
    zeroWidth[18] = 0;
    auto farOffset = good;
    farOffset[13] = 0x7F;
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"truncated pixels", truncated}, {"huge width", huge},          {"compressed", rle},
        {"16 bits", depth16},            {"zero width", zeroWidth},     {"offset past end", farOffset},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 20)},
        {"not an image", {'G', 'I', 'F', '8'}},
        {"empty", {}},
    };
    for (const auto& k : cases) {
        std::string error;
        EXPECT_FALSE(CBitmap::loadFromMemory(k.bytes.data(), k.bytes.size(), &error)) << k.name;
        EXPECT_FALSE(error.empty()) << k.name;
    }
}

class BitmapFiles : public testing::Test {
protected:
    std::filesystem::path dir = std::filesystem::path(QM_BINARY_DIR) / "test_bitmap_files";
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(BitmapFiles, PngRoundTripIsExact)
{
    CBitmap b(5, 3, A);
    b.setPixel(4, 2, B);
    b.setPixel(0, 1, TransparentKey);
    ASSERT_TRUE(b.savePng(dir / "round.png"));
    std::string error;
    auto back = CBitmap::load(dir / "round.png", &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, b);
    EXPECT_FALSE(std::filesystem::exists(dir / "round.png.part"));
}

TEST_F(BitmapFiles, MissingCorruptAndUnwritableFilesFail)
{
    std::string error;
    EXPECT_FALSE(CBitmap::load(dir / "absent.png", &error));
    EXPECT_NE(error.find("absent.png"), std::string::npos);

    CBitmap b(4, 4, A);
    ASSERT_TRUE(b.savePng(dir / "cut.png"));
    std::filesystem::resize_file(dir / "cut.png", 40);
    EXPECT_FALSE(CBitmap::load(dir / "cut.png", &error));

    EXPECT_FALSE(b.savePng(dir / "no" / "such" / "folder.png", &error));
    EXPECT_FALSE(CBitmap().savePng(dir / "empty.png", &error));
}

TEST_F(BitmapFiles, ReadsAlphaAsTransparentKey)
{
    // A 2 x 1 RGBA PNG: one opaque red pixel, one fully transparent pixel.
    static const std::uint8_t png[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
        0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xf4, 0x22, 0x7f,
        0x8a, 0x00, 0x00, 0x00, 0x0f, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0x00,
        0x44, 0x0c, 0x0c, 0x00, 0x0c, 0xfc, 0x01, 0xff, 0xe5, 0x86, 0xa8, 0xd2, 0x00, 0x00, 0x00, 0x00,
        0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    std::string error;
    auto b = CBitmap::loadFromMemory(png, sizeof png, &error);
    ASSERT_TRUE(b) << error;
    EXPECT_EQ(b->pixel(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(b->pixel(1, 0), TransparentKey);
}

} // namespace
