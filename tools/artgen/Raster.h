#pragma once
// Raster helpers of the artwork generator: coverage masks, supersampling and
// the conversion of a drawing on transparency into a bitmap on the key colour.

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QString>

#include <cstdint>
#include <vector>

namespace artgen {

// The colour every piece, coordinate and icon bitmap uses as transparent.
inline constexpr QRgb Key = 0xFFC0C0C0;

// Curved shapes are drawn at this many times the final size and averaged down.
inline constexpr int Super = 4;

// Coverage 0..255 per pixel.
struct Mask {
    int w = 0, h = 0;
    std::vector<std::uint8_t> a;
    Mask() = default;
    Mask(int width, int height)
        : w(width)
        , h(height)
        , a(std::size_t(width) * std::size_t(height), 0)
    {
    }
    std::uint8_t& at(int x, int y) { return a[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
    std::uint8_t at(int x, int y) const { return a[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
};

QImage blank(int w, int h);
Mask maskOf(const QPainterPath& path, int w, int h);
// Everything the outline encloses: the pixels not reachable from the image
// border through pixels of coverage below half.
Mask enclosed(const Mask& outline);
// Grows the covered area by radius pixels in every direction.
Mask dilate(const Mask& m, int radius);
Mask subtract(const Mask& a, const Mask& b);
// The brush painted where the mask covers, with the mask as coverage.
QImage paintMask(const Mask& m, const QBrush& brush);
void over(QImage& dst, const QImage& src);
// Box-filter reduction of a premultiplied image by an integer factor.
QImage downsample(const QImage& big, int factor);
// A drawing on transparency as a bitmap on the key colour: a pixel at least
// half covered becomes opaque in its own (unblended) colour, any other the key;
// so no pixel carries a mix of the key. Opaque colours too close to the key are
// pushed away from it so they never read as transparent.
QImage keyed(const QImage& argb);
// A bitmap filled with the key colour.
QImage onKey(int w, int h);
// Writes dir/name.png; false with a message on stderr when that fails.
bool save(const QImage& image, const QString& dir, const QString& name);

} // namespace artgen
