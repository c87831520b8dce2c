#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qm {

Rgb CCanvas::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_target.width || y >= m_target.height)
        return 0;
    return m_target.row(y)[x];
}

void CCanvas::setPixel(int x, int y, Rgb c)
{
    if (clip().contains({x, y}))
        m_target.row(y)[x] = c | 0xFF000000u;
}

void CCanvas::fillSpan(int y, int x0, int x1, Rgb c)
{
    const Rect cl = clip();
    if (y < cl.top || y >= cl.bottom)
        return;
    x0 = std::max(x0, cl.left);
    x1 = std::min(x1, cl.right);
    if (x0 >= x1)
        return;
    std::fill(m_target.row(y) + x0, m_target.row(y) + x1, c | 0xFF000000u);
}

void CCanvas::fillRect(const Rect& r, Rgb c)
{
    const Rect area = r.intersected(clip());
    for (int y = area.top; y < area.bottom; ++y)
        fillSpan(y, area.left, area.right, c);
}

void CCanvas::stamp(int x, int y)
{
    const int w = std::max(1, m_pen.width);
    const int x0 = x - (w - 1) / 2;
    const int y0 = y - (w - 1) / 2;
    for (int yy = y0; yy < y0 + w; ++yy)
        fillSpan(yy, x0, x0 + w, m_pen.colour);
}

void CCanvas::line(Point from, Point to)
{
    if (m_pen.none)
        return;
    // Bresenham over the whole segment, without its end point.
    int x = from.x, y = from.y;
    const int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
    const int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    while (x != to.x || y != to.y) {
        stamp(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void CCanvas::rectangle(const Rect& r)
{
    if (r.isEmpty())
        return;
    const int w = m_pen.none ? 0 : std::max(1, m_pen.width);
    const Rect inner{r.left + w, r.top + w, r.right - w, r.bottom - w};
    if (!m_brush.none)
        fillRect(inner, m_brush.colour);
    if (w == 0)
        return;
    const int bandH = std::min(w, r.height());
    fillRect({r.left, r.top, r.right, r.top + bandH}, m_pen.colour);
    fillRect({r.left, std::max(r.top, r.bottom - w), r.right, r.bottom}, m_pen.colour);
    fillRect({r.left, r.top, std::min(r.right, r.left + w), r.bottom}, m_pen.colour);
    fillRect({std::max(r.left, r.right - w), r.top, r.right, r.bottom}, m_pen.colour);
}

namespace {

// The pixels [x0, x1) of row y whose centres lie in the ellipse of the given
// centre and radii; false when the row misses it.
bool ellipseSpan(double cx, double cy, double rx, double ry, int y, int& x0, int& x1)
{
    if (rx <= 0 || ry <= 0)
        return false;
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1.0)
        return false;
    const double hx = rx * std::sqrt(1.0 - dy * dy);
    x0 = static_cast<int>(std::ceil(cx - hx - 0.5));
    x1 = static_cast<int>(std::floor(cx + hx - 0.5)) + 1;
    return x0 < x1;
}

} // namespace

void CCanvas::ellipse(const Rect& r)
{
    if (r.isEmpty())
        return;
    const double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    const double rx = r.width() / 2.0, ry = r.height() / 2.0;
    const int w = m_pen.none ? 0 : std::max(1, m_pen.width);
    const Rect cl = clip();
    for (int y = std::max(r.top, cl.top); y < std::min(r.bottom, cl.bottom); ++y) {
        int o0, o1;
        if (!ellipseSpan(cx, cy, rx, ry, y, o0, o1))
            continue;
        int i0 = 0, i1 = 0;
        const bool inner = ellipseSpan(cx, cy, rx - w, ry - w, y, i0, i1);
        if (!inner) {
            if (w)
                fillSpan(y, o0, o1, m_pen.colour);
            else if (!m_brush.none)
                fillSpan(y, o0, o1, m_brush.colour);
            continue;
        }
        if (w) {
            fillSpan(y, o0, i0, m_pen.colour);
            fillSpan(y, i1, o1, m_pen.colour);
        }
        if (!m_brush.none)
            fillSpan(y, i0, i1, m_brush.colour);
    }
}

void CCanvas::polygon(std::span<const Point> points)
{
    if (points.size() < 2)
        return;
    if (!m_brush.none && points.size() >= 3) {
        int minY = points[0].y, maxY = points[0].y;
        for (const Point& p : points) {
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        const Rect cl = clip();
        std::vector<double> xs;
        for (int y = std::max(minY, cl.top); y < std::min(maxY, cl.bottom); ++y) {
            const double yc = y + 0.5;
            xs.clear();
            for (std::size_t i = 0; i < points.size(); ++i) {
                const Point a = points[i];
                const Point b = points[(i + 1) % points.size()];
                if ((a.y <= yc && yc < b.y) || (b.y <= yc && yc < a.y))
                    xs.push_back(a.x + (yc - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
            }
            std::sort(xs.begin(), xs.end());
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
                const int x0 = static_cast<int>(std::ceil(xs[i] - 0.5));
                const int x1 = static_cast<int>(std::ceil(xs[i + 1] - 0.5));
                fillSpan(y, x0, x1, m_brush.colour);
            }
        }
    }
    for (std::size_t i = 0; i < points.size(); ++i)
        line(points[i], points[(i + 1) % points.size()]);
}

void CCanvas::blit(Point dest, ConstPixelView src, const Rect& source)
{
    Rect s = source.intersected({0, 0, src.width, src.height});
    Point d{dest.x + (s.left - source.left), dest.y + (s.top - source.top)};
    const Rect target = Rect::fromSize(d.x, d.y, s.width(), s.height()).intersected(clip());
    if (target.isEmpty() || !src.pixels)
        return;
    s.left += target.left - d.x;
    s.top += target.top - d.y;
    for (int y = 0; y < target.height(); ++y) {
        const Rgb* from = src.row(s.top + y) + s.left;
        Rgb* to = m_target.row(target.top + y) + target.left;
        // memmove: the source may be this canvas itself.
        std::memmove(to, from, sizeof(Rgb) * static_cast<std::size_t>(target.width()));
        for (int x = 0; x < target.width(); ++x)
            to[x] |= 0xFF000000u;
    }
}

void CCanvas::blitTransparent(Point dest, ConstPixelView src, const Rect& source, Rgb key)
{
    Rect s = source.intersected({0, 0, src.width, src.height});
    Point d{dest.x + (s.left - source.left), dest.y + (s.top - source.top)};
    const Rect target = Rect::fromSize(d.x, d.y, s.width(), s.height()).intersected(clip());
    if (target.isEmpty() || !src.pixels)
        return;
    s.left += target.left - d.x;
    s.top += target.top - d.y;
    for (int y = 0; y < target.height(); ++y) {
        const Rgb* from = src.row(s.top + y) + s.left;
        Rgb* to = m_target.row(target.top + y) + target.left;
        for (int x = 0; x < target.width(); ++x)
            if (!sameRgb(from[x], key))
                to[x] = from[x] | 0xFF000000u;
    }
}

CBitmap CCanvas::snapshot() const
{
    CBitmap out(width(), height());
    PixelView to = out.view();
    for (int y = 0; y < height(); ++y)
        std::memcpy(to.row(y), m_target.row(y), sizeof(Rgb) * static_cast<std::size_t>(width()));
    return out;
}

int utf8Length(std::string_view text)
{
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

CMemoryCanvas::CMemoryCanvas(int width, int height, Rgb fill)
    : CCanvas(PixelView{}), m_bitmap(width, height, fill)
{
    retarget(m_bitmap.view());
}

void CMemoryCanvas::resize(int width, int height, Rgb fill)
{
    m_bitmap = CBitmap(width, height, fill);
    retarget(m_bitmap.view());
}

void CMemoryCanvas::drawText(const Rect& box, std::string_view text, int align)
{
    if (!box.intersects(clip()))
        return;
    m_runs.push_back({box, std::string(text), align, textColour(), font()});
}

Size CMemoryCanvas::textSize(std::string_view text)
{
    const int cell = (font().pixelSize * 3 + 4) / 5;
    return {cell * utf8Length(text), font().pixelSize};
}

} // namespace qm
