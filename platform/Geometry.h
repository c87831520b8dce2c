#pragma once
// Small value types shared by every drawing and window interface.

#include <algorithm>
#include <cstdint>

namespace qm {

// A colour as 0xAARRGGBB. Every surface stores opaque pixels (alpha 0xFF), so a
// pixel read back compares equal to the rgb() it was drawn with.
using Rgb = std::uint32_t;

constexpr Rgb rgb(int r, int g, int b)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(r & 0xFF) << 16)
         | (static_cast<std::uint32_t>(g & 0xFF) << 8) | static_cast<std::uint32_t>(b & 0xFF);
}
constexpr int redOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int greenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Rgb c) { return static_cast<int>(c & 0xFF); }
constexpr bool sameRgb(Rgb a, Rgb b) { return ((a ^ b) & 0x00FFFFFFu) == 0; }

// The transparent colour of piece and coordinate bitmaps.
constexpr Rgb TransparentKey = rgb(192, 192, 192);

constexpr Rgb RgbBlack = rgb(0, 0, 0);
constexpr Rgb RgbWhite = rgb(255, 255, 255);

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

// A rectangle with exclusive right and bottom edges: it covers the pixels
// left <= x < right, top <= y < bottom.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect fromSize(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(Point p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool intersects(const Rect& o) const { return !intersected(o).isEmpty(); }
    constexpr Rect intersected(const Rect& o) const
    {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                std::min(bottom, o.bottom)};
    }
    // The smallest rectangle holding both; an empty operand does not count.
    constexpr Rect united(const Rect& o) const
    {
        if (isEmpty())
            return o;
        if (o.isEmpty())
            return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    constexpr Rect translated(int dx, int dy) const
    {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(Size, Size) = default;
};

} // namespace qm
