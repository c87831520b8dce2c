#include "platform/Bitmap.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace qm {
namespace {

// Larger images are refused rather than allocated: nothing the program
// draws is near this size, and a corrupt header must not exhaust memory.
constexpr int MaxSide = 16384;
constexpr std::int64_t MaxPixels = 32LL * 1024 * 1024;

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

bool sizeAcceptable(std::int64_t w, std::int64_t h)
{
    return w > 0 && h > 0 && w <= MaxSide && h <= MaxSide && w * h <= MaxPixels;
}

Rgb fromArgb(std::uint32_t argb)
{
    if ((argb >> 24) < 128)
        return TransparentKey;
    return argb | 0xFF000000u;
}

std::uint32_t le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Uncompressed Windows bitmaps: 1, 4, 8 bits with a palette, 24 and 32 bits
// (BI_RGB, or BI_BITFIELDS with the usual masks), bottom-up or top-down.
std::optional<CBitmap> readBmp(const std::uint8_t* d, std::size_t n, std::string* error)
{
    if (n < 54) {
        fail(error, "BMP file is truncated");
        return std::nullopt;
    }
    const std::uint32_t dataOffset = le32(d + 10);
    const std::uint32_t headerSize = le32(d + 14);
    if (headerSize < 40 || 14 + static_cast<std::uint64_t>(headerSize) > n) {
        fail(error, "BMP header is not supported");
        return std::nullopt;
    }
    const auto w = static_cast<std::int32_t>(le32(d + 18));
    const auto hRaw = static_cast<std::int32_t>(le32(d + 22));
    const std::uint32_t bits = le16(d + 28);
    const std::uint32_t compression = le32(d + 30);
    std::uint32_t colours = le32(d + 46);
    const bool topDown = hRaw < 0;
    const std::int64_t h = topDown ? -static_cast<std::int64_t>(hRaw) : hRaw;
    if (!sizeAcceptable(w, h)) {
        fail(error, "BMP size is out of range");
        return std::nullopt;
    }
    if (!(compression == 0 || (compression == 3 && (bits == 32 || bits == 16)))) {
        fail(error, "compressed BMP files are not supported");
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        fail(error, "BMP bit depth " + std::to_string(bits) + " is not supported");
        return std::nullopt;
    }
    std::vector<Rgb> palette;
    if (bits <= 8) {
        if (colours == 0 || colours > (1u << bits))
            colours = 1u << bits;
        const std::uint64_t palStart = 14 + static_cast<std::uint64_t>(headerSize);
        if (palStart + 4ull * colours > n) {
            fail(error, "BMP palette is truncated");
            return std::nullopt;
        }
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::uint8_t* p = d + palStart + 4 * i;
            palette.push_back(rgb(p[2], p[1], p[0]));
        }
    }
    const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(w) * bits + 31) / 32) * 4;
    if (dataOffset > n || rowBytes * static_cast<std::uint64_t>(h) > n - dataOffset) {
        fail(error, "BMP pixel data is truncated");
        return std::nullopt;
    }
    CBitmap out(w, static_cast<int>(h));
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint8_t* src = d + dataOffset + row * rowBytes;
        const int y = static_cast<int>(topDown ? row : h - 1 - row);
        for (int x = 0; x < w; ++x) {
            Rgb c = RgbBlack;
            switch (bits) {
            case 32: c = rgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]); break;
            case 24: c = rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: {
                const int perByte = 8 / static_cast<int>(bits);
                const int shift = 8 - static_cast<int>(bits) * (x % perByte + 1);
                const unsigned index = (src[x / perByte] >> shift) & ((1u << bits) - 1);
                c = index < palette.size() ? palette[index] : RgbBlack;
            }
            }
            out.setPixel(x, y, c);
        }
    }
    return out;
}

std::optional<CBitmap> readPng(const std::uint8_t* d, std::size_t n, std::string* error)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, d, n)) {
        fail(error, std::string("PNG file is not readable: ") + image.message);
        return std::nullopt;
    }
    if (!sizeAcceptable(image.width, image.height)) {
        png_image_free(&image);
        fail(error, "PNG size is out of range");
        return std::nullopt;
    }
    // BGRA in memory is 0xAARRGGBB as a little-endian 32-bit word.
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, raw.data(), 0, nullptr)) {
        fail(error, std::string("PNG file is corrupt: ") + image.message);
        png_image_free(&image);
        return std::nullopt;
    }
    CBitmap out(static_cast<int>(image.width), static_cast<int>(image.height));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, fromArgb(raw[static_cast<std::size_t>(y) * image.width + x]));
    return out;
}

} // namespace

CBitmap::CBitmap(int width, int height, Rgb fill)
{
    if (width <= 0 || height <= 0)
        return;
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<std::size_t>(width) * height, fill | 0xFF000000u);
}

Rgb CBitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[static_cast<std::size_t>(y) * m_width + x];
}

void CBitmap::setPixel(int x, int y, Rgb c)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_pixels[static_cast<std::size_t>(y) * m_width + x] = c | 0xFF000000u;
}

std::optional<CBitmap> CBitmap::loadFromMemory(const std::uint8_t* data, std::size_t size,
                                               std::string* error)
{
    static constexpr std::uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(data, pngSignature, 8) == 0)
        return readPng(data, size, error);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return readBmp(data, size, error);
    fail(error, "not a PNG or BMP file");
    return std::nullopt;
}

std::optional<CBitmap> CBitmap::load(const std::filesystem::path& file, std::string* error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        fail(error, "cannot open " + file.string());
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why;
    auto result = loadFromMemory(bytes.data(), bytes.size(), &why);
    if (!result)
        fail(error, file.string() + ": " + why);
    return result;
}

bool CBitmap::savePng(const std::filesystem::path& file, std::string* error) const
{
    return qm::savePng(view(), file, error);
}

bool savePng(ConstPixelView pixels, const std::filesystem::path& file, std::string* error)
{
    if (pixels.width <= 0 || pixels.height <= 0)
        return fail(error, "cannot save an empty image");
    std::vector<std::uint8_t> rgbBytes;
    rgbBytes.reserve(static_cast<std::size_t>(pixels.width) * pixels.height * 3);
    for (int y = 0; y < pixels.height; ++y) {
        const Rgb* row = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x) {
            rgbBytes.push_back(static_cast<std::uint8_t>(redOf(row[x])));
            rgbBytes.push_back(static_cast<std::uint8_t>(greenOf(row[x])));
            rgbBytes.push_back(static_cast<std::uint8_t>(blueOf(row[x])));
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.width);
    image.height = static_cast<png_uint_32>(pixels.height);
    image.format = PNG_FORMAT_RGB;
    // Written to a temporary name and renamed, so a failed write never leaves
    // half a file under the wanted name.
    std::filesystem::path tmp = file;
    tmp += ".part";
    if (!png_image_write_to_file(&image, tmp.c_str(), 0, rgbBytes.data(), 0, nullptr)) {
        std::string why = image.message;
        png_image_free(&image);
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        return fail(error, "cannot write " + file.string() + ": " + why);
    }
    std::error_code ec;
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return fail(error, "cannot write " + file.string());
    }
    return true;
}

} // namespace qm
