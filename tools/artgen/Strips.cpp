// The coordinate strips drawn around the board: file letters along the top,
// rank numbers along the side, and plain frame edges. Each carries a frame
// line on the side that touches the board, so the four strips close a frame
// round the squares.
#include "Art.h"
#include "Raster.h"

#include <QFont>
#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace artgen {
namespace {

const QColor Ink(28, 22, 16);
const QColor Halo(250, 244, 228);
const QColor FrameDark(36, 28, 20);
const QColor FrameLight(236, 226, 204);

enum class Edge { Top, Bottom, Left, Right }; // where the strip lies beside the board

struct StripDef {
    int id;
    int w, h;
    Edge edge;
    int first, cell; // position of the first cell along the strip and the cell length
    bool labels; // letters or numbers, else a plain edge
    bool flipped; // H..A / 1..8 instead of A..H / 8..1
};

QString label(const StripDef& d, int i)
{
    const bool files = d.edge == Edge::Top || d.edge == Edge::Bottom;
    const int k = d.flipped ? 7 - i : i;
    return files ? QString(QChar('A' + k)) : QString::number(8 - k);
}

QImage drawStrip(const StripDef& d, const QFont& base)
{
    const int n = Super;
    QImage big = blank(d.w * n, d.h * n);
    if (d.labels) {
        const bool files = d.edge == Edge::Top || d.edge == Edge::Bottom;
        const int across = files ? d.h : d.w; // the strip's thickness
        QFont font = base;
        font.setPixelSize(std::max(8, std::min(across - 3, d.cell * 2 / 3)) * n);
        QPainterPath text;
        for (int i = 0; i < 8; ++i) {
            QPainterPath glyph;
            glyph.addText(0, 0, font, label(d, i));
            const QRectF r = glyph.boundingRect();
            const double cx = (d.first + d.cell * i + d.cell / 2.0) * n;
            const double cy = across * n / 2.0;
            // The thickness axis leaves one pixel on the board side for the frame line.
            const double shift = (d.edge == Edge::Top || d.edge == Edge::Left) ? -1.0 * n : 1.0 * n;
            QPointF at = files ? QPointF(cx - r.center().x(), cy + shift / 2 - r.center().y())
                               : QPointF(cy + shift / 2 - r.center().x(), cx - r.center().y());
            text.addPath(glyph.translated(at));
        }
        const Mask ink = maskOf(text, big.width(), big.height());
        over(big, paintMask(dilate(ink, n), Halo));
        over(big, paintMask(ink, Ink));
    }
    QPainter p(&big);
    // The frame line along the board: dark next to the squares, light outside.
    const int t = (d.w >= 32 || d.h >= 28) ? 2 : 1;
    const int lo = (d.first - t) * n, hi = (d.first + 8 * d.cell + t) * n;
    switch (d.edge) {
    case Edge::Top:
        p.fillRect(0, (d.h - t) * n, d.w * n, t * n, FrameDark);
        p.fillRect(0, (d.h - 2 * t) * n, d.w * n, t * n, FrameLight);
        break;
    case Edge::Bottom:
        p.fillRect(0, 0, d.w * n, t * n, FrameDark);
        p.fillRect(0, t * n, d.w * n, t * n, FrameLight);
        break;
    case Edge::Left:
        p.fillRect((d.w - t) * n, lo, t * n, hi - lo, FrameDark);
        p.fillRect((d.w - 2 * t) * n, lo - t * n, t * n, hi - lo + 2 * t * n, FrameLight);
        break;
    case Edge::Right:
        p.fillRect(0, lo, t * n, hi - lo, FrameDark);
        p.fillRect(t * n, lo - t * n, t * n, hi - lo + 2 * t * n, FrameLight);
        break;
    }
    p.end();
    return keyed(downsample(big, n));
}

} // namespace

bool writeCoordinateStrips(const QString& dir)
{
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setStyleStrategy(QFont::NoFontMerging);
    if (QFontInfo(font).family() != "DejaVu Sans") {
        std::fprintf(stderr, "artgen: font \"DejaVu Sans\" is not installed\n");
        return false;
    }
    // Cells line up with the squares of the layout rows that use each strip.
    const StripDef defs[] = {
        {128, 192, 14, Edge::Top, 0, 24, true, false},
        {134, 192, 14, Edge::Top, 0, 24, true, true},
        {132, 192, 6, Edge::Bottom, 0, 24, false, false},
        {150, 384, 28, Edge::Top, 0, 48, true, false},
        {151, 384, 28, Edge::Top, 0, 48, true, true},
        {152, 384, 12, Edge::Bottom, 0, 48, false, false},
        {153, 384, 12, Edge::Bottom, 0, 48, false, true},
        {130, 16, 212, Edge::Left, 14, 24, true, false},
        {127, 16, 212, Edge::Left, 14, 24, true, true},
        {131, 8, 212, Edge::Right, 14, 24, false, false},
        {136, 8, 212, Edge::Right, 2, 23, false, true},
        {142, 16, 160, Edge::Left, 0, 20, true, false},
        {143, 16, 160, Edge::Left, 0, 20, true, true},
        {144, 16, 160, Edge::Right, 0, 20, true, false},
        {145, 16, 160, Edge::Right, 0, 20, true, true},
        {157, 24, 192, Edge::Left, 2, 23, true, false},
        {158, 24, 192, Edge::Left, 2, 23, true, true},
        {159, 24, 192, Edge::Right, 2, 23, true, false},
        {160, 24, 192, Edge::Right, 2, 23, true, true},
        {146, 32, 424, Edge::Left, 28, 48, true, false},
        {147, 32, 424, Edge::Left, 28, 48, true, true},
        {148, 16, 424, Edge::Right, 28, 48, false, false},
        {149, 16, 424, Edge::Right, 28, 48, false, true},
        {161, 48, 384, Edge::Left, 4, 46, true, false},
        {162, 48, 384, Edge::Left, 4, 46, true, true},
        {163, 48, 384, Edge::Right, 4, 46, true, false},
        {164, 48, 384, Edge::Right, 4, 46, true, true},
    };
    for (const StripDef& d : defs)
        if (!save(drawStrip(d, font), dir, QString::number(d.id)))
            return false;
    return true;
}

} // namespace artgen
