#pragma once
// An owned block of opaque 32-bit pixels, loaded from PNG or BMP files.

#include "platform/Geometry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// A view of pixels someone else owns: `stride` is in pixels, rows run top-down.
struct PixelView {
    Rgb* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    Rgb* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

struct ConstPixelView {
    const Rgb* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    ConstPixelView() = default;
    ConstPixelView(const Rgb* p, int w, int h, int s) : pixels(p), width(w), height(h), stride(s) {}
    ConstPixelView(const PixelView& v) : pixels(v.pixels), width(v.width), height(v.height), stride(v.stride) {}
    const Rgb* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

class CBitmap {
public:
    CBitmap() = default;
    // A width x height bitmap filled with `fill`; negative sizes give an empty bitmap.
    CBitmap(int width, int height, Rgb fill = RgbWhite);

    // Reads a PNG or BMP file (chosen by its content, not its name). Pixels with
    // alpha below 128 become TransparentKey, so alpha artwork blits like keyed
    // artwork; all others become opaque. On failure returns nothing and, when
    // `error` is given, says why in one line.
    static std::optional<CBitmap> load(const std::filesystem::path& file, std::string* error = nullptr);
    static std::optional<CBitmap> loadFromMemory(const std::uint8_t* data, std::size_t size,
                                                 std::string* error = nullptr);

    // Writes an 8-bit RGB PNG; false (with `error`) when the file cannot be written.
    bool savePng(const std::filesystem::path& file, std::string* error = nullptr) const;

    int width() const { return m_width; }
    int height() const { return m_height; }
    Size size() const { return {m_width, m_height}; }
    bool isNull() const { return m_width == 0 || m_height == 0; }

    // Out-of-range reads give 0 (transparent black, which no drawn pixel is).
    Rgb pixel(int x, int y) const;
    void setPixel(int x, int y, Rgb c);

    PixelView view() { return {m_pixels.data(), m_width, m_height, m_width}; }
    ConstPixelView view() const { return {m_pixels.data(), m_width, m_height, m_width}; }

    friend bool operator==(const CBitmap&, const CBitmap&) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Rgb> m_pixels;
};

// Writes any pixel view as PNG (used for screenshots of canvases).
bool savePng(ConstPixelView pixels, const std::filesystem::path& file, std::string* error = nullptr);

} // namespace qm
