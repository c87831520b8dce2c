#include "Raster.h"

#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace artgen {

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

Mask maskOf(const QPainterPath& path, int w, int h)
{
    QImage image = blank(w, h);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillPath(path, Qt::black);
    }
    Mask m(w, h);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            m.at(x, y) = std::uint8_t(qAlpha(line[x]));
    }
    return m;
}

Mask enclosed(const Mask& outline)
{
    const int w = outline.w, h = outline.h;
    std::vector<std::uint8_t> outside(outline.a.size(), 0);
    std::vector<int> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        const std::size_t i = std::size_t(y) * std::size_t(w) + std::size_t(x);
        if (outside[i] || outline.a[i] >= 128)
            return;
        outside[i] = 1;
        stack.push_back(int(i));
    };
    for (int x = 0; x < w; ++x) {
        push(x, 0);
        push(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        push(0, y);
        push(w - 1, y);
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % w, y = i / w;
        push(x + 1, y);
        push(x - 1, y);
        push(x, y + 1);
        push(x, y - 1);
    }
    Mask m(w, h);
    for (std::size_t i = 0; i < m.a.size(); ++i)
        m.a[i] = outside[i] ? outline.a[i] : 255;
    return m;
}

Mask dilate(const Mask& m, int radius)
{
    // Separable maximum over a square window: at these radii a square
    // grows outlines as evenly as a disc would.
    Mask tmp(m.w, m.h), out(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            std::uint8_t best = 0;
            for (int dx = -radius; dx <= radius; ++dx) {
                const int xx = x + dx;
                if (xx >= 0 && xx < m.w)
                    best = std::max(best, m.at(xx, y));
            }
            tmp.at(x, y) = best;
        }
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            std::uint8_t best = 0;
            for (int dy = -radius; dy <= radius; ++dy) {
                const int yy = y + dy;
                if (yy >= 0 && yy < m.h)
                    best = std::max(best, tmp.at(x, yy));
            }
            out.at(x, y) = best;
        }
    return out;
}

Mask subtract(const Mask& a, const Mask& b)
{
    Mask m(a.w, a.h);
    for (std::size_t i = 0; i < m.a.size(); ++i)
        m.a[i] = std::uint8_t(std::max(0, int(a.a[i]) - int(b.a[i])));
    return m;
}

QImage paintMask(const Mask& m, const QBrush& brush)
{
    QImage image = blank(m.w, m.h);
    {
        QPainter p(&image);
        p.fillRect(image.rect(), brush);
    }
    for (int y = 0; y < m.h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < m.w; ++x) {
            const int c = m.at(x, y);
            const QRgb v = line[x];
            line[x] = qRgba(qRed(v) * c / 255, qGreen(v) * c / 255, qBlue(v) * c / 255, qAlpha(v) * c / 255);
        }
    }
    return image;
}

void over(QImage& dst, const QImage& src)
{
    QPainter p(&dst);
    p.drawImage(0, 0, src);
}

QImage downsample(const QImage& big, int factor)
{
    const QImage src = big.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width() / factor, h = src.height() / factor;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const int n = factor * factor;
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < factor; ++sy) {
                const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y * factor + sy)) + x * factor;
                for (int sx = 0; sx < factor; ++sx) {
                    r += qRed(s[sx]);
                    g += qGreen(s[sx]);
                    b += qBlue(s[sx]);
                    a += qAlpha(s[sx]);
                }
            }
            line[x] = qRgba(r / n, g / n, b / n, a / n);
        }
    }
    return out;
}

static QRgb awayFromKey(int r, int g, int b)
{
    const int k = 192;
    if (std::abs(r - k) < 16 && std::abs(g - k) < 16 && std::abs(b - k) < 16) {
        // Lighter colours go up, darker ones down, keeping the hue shift.
        const int d = (r + g + b >= 3 * k) ? 16 : -16;
        r = std::clamp(r + d, 0, 255);
        g = std::clamp(g + d, 0, 255);
        b = std::clamp(b + d, 0, 255);
    }
    return qRgb(r, g, b);
}

QImage keyed(const QImage& argb)
{
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(src.width(), src.height(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(s[x]);
            if (a < 128) {
                d[x] = Key;
                continue;
            }
            // Unpremultiply: the colour the drawing has there, without the
            // transparency it was mixed with.
            const int r = std::min(255, qRed(s[x]) * 255 / a);
            const int g = std::min(255, qGreen(s[x]) * 255 / a);
            const int b = std::min(255, qBlue(s[x]) * 255 / a);
            d[x] = awayFromKey(r, g, b);
        }
    }
    return out;
}

QImage onKey(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Key);
    return image;
}

bool save(const QImage& image, const QString& dir, const QString& name)
{
    const QString path = dir + "/" + name + ".png";
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "PNG")) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace artgen
