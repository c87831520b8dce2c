// The six piece sets. A strip holds twelve square cells: white pawn, knight,
// bishop, rook, queen, king, then the same in black. Four sets are drawn from
// the chess glyphs of free fonts, two from shapes of their own.
#include "Art.h"
#include "Raster.h"

#include <QFont>
#include <QFontInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRawFont>

#include <array>
#include <cstdio>
#include <functional>

namespace artgen {
namespace {

enum Kind { Pawn, Knight, Bishop, Rook, Queen, King };
constexpr std::array<int, 5> Sizes = {20, 24, 30, 48, 60};

// Draws one piece at its final size on transparency.
using PieceDrawer = std::function<QImage(Kind kind, bool black, int size)>;

bool writeSet(const QString& dir, int firstId, const PieceDrawer& draw)
{
    for (std::size_t s = 0; s < Sizes.size(); ++s) {
        const int size = Sizes[s];
        QImage strip = onKey(12 * size, size);
        QPainter p(&strip);
        for (int cell = 0; cell < 12; ++cell)
            p.drawImage(cell * size, 0, keyed(draw(Kind(cell % 6), cell >= 6, size)));
        p.end();
        if (!save(strip, dir, QString::number(firstId + int(s))))
            return false;
    }
    return true;
}

// ---- Sets from font glyphs ---------------------------------------------

struct GlyphStyle {
    QString family;
    QColor lightTop, lightBottom; // white pieces: body gradient
    QColor lightLine; // white pieces: outline glyph
    QColor darkTop, darkBottom; // black pieces: solid glyph gradient
    QColor darkDetail; // black pieces: what shows through the solid glyph's openings
    QColor whiteRim, blackRim; // outer rim around the body; transparent for none
    double rim = 0; // rim width as a share of the cell
    int boost = 0; // outline growth on cells up to 24 pixels, in supersampled pixels
};

// U+2654.. are the outline (white) glyphs K Q R B N P, U+265A.. the solid ones.
char32_t glyphOf(Kind kind, bool solid)
{
    static constexpr int offset[] = {5, 4, 3, 2, 1, 0};
    return char32_t((solid ? 0x265A : 0x2654) + offset[kind]);
}

class GlyphSet {
public:
    explicit GlyphSet(GlyphStyle style)
        : m_style(std::move(style))
    {
        m_font = QFont(m_style.family);
        m_font.setPixelSize(1000);
        m_font.setStyleStrategy(QFont::NoFontMerging);
    }

    bool usable() const
    {
        if (QFontInfo(m_font).family() != m_style.family) {
            std::fprintf(stderr, "artgen: font \"%s\" is not installed\n", qPrintable(m_style.family));
            return false;
        }
        const QRawFont raw = QRawFont::fromFont(m_font);
        for (int k = 0; k < 6; ++k)
            for (bool solid : {false, true})
                if (!raw.supportsCharacter(uint(glyphOf(Kind(k), solid)))) {
                    std::fprintf(stderr, "artgen: font \"%s\" lacks the chess glyphs\n", qPrintable(m_style.family));
                    return false;
                }
        return true;
    }

    QImage draw(Kind kind, bool black, int size) const
    {
        const int n = size * Super;
        const QPainterPath outline = placed(glyphOf(kind, false), n);
        const QPainterPath solid = placed(glyphOf(kind, true), n);
        const Mask thin = maskOf(outline, n, n);
        const Mask body = enclosed(thin);
        // Hairlines of the glyph would fade on small cells: they get bolder there.
        const int boost = size <= 24 ? m_style.boost : 0;
        const Mask line = boost ? dilate(thin, boost) : thin;
        QImage big = blank(n, n);
        const double rim = m_style.rim * n;
        if (rim > 0) {
            const QColor rimColour = black ? m_style.blackRim : m_style.whiteRim;
            over(big, paintMask(dilate(body, int(rim + 0.5)), rimColour));
        }
        const QRectF box = outline.boundingRect();
        QLinearGradient g(box.topLeft(), box.bottomRight());
        if (!black) {
            g.setColorAt(0, m_style.lightTop);
            g.setColorAt(1, m_style.lightBottom);
            over(big, paintMask(body, g));
            over(big, paintMask(line, m_style.lightLine));
        } else {
            g.setColorAt(0, m_style.darkTop);
            g.setColorAt(1, m_style.darkBottom);
            over(big, paintMask(body, m_style.darkDetail));
            over(big, paintMask(boost ? dilate(maskOf(solid, n, n), boost / 2) : maskOf(solid, n, n), g));
        }
        return downsample(big, Super);
    }

private:
    // The glyph scaled so that the tallest piece of the set fills the cell
    // less a margin, centred, standing on a common base line.
    QPainterPath placed(char32_t glyph, int n) const
    {
        double maxH = 0, maxW = 0;
        for (int k = 0; k < 6; ++k) {
            const QRectF r = raw(glyphOf(Kind(k), false)).boundingRect();
            maxH = std::max(maxH, r.height());
            maxW = std::max(maxW, r.width());
        }
        const double rim = m_style.rim * 2;
        const double scale = std::min(n * (0.86 - rim) / maxH, n * (0.94 - rim) / maxW);
        QPainterPath path = raw(glyph);
        const QRectF r = path.boundingRect();
        QTransform t;
        t.translate(n / 2.0 - r.center().x() * scale, n * (0.955 - m_style.rim) - r.bottom() * scale);
        t.scale(scale, scale);
        return t.map(path);
    }

    QPainterPath raw(char32_t glyph) const
    {
        QPainterPath path;
        path.addText(0, 0, m_font, QString::fromUcs4(&glyph, 1));
        return path;
    }

    GlyphStyle m_style;
    QFont m_font;
};

// ---- "Toonish": round, bright shapes with eyes ------------------------------

// A piece outline in a 100 x 100 box, base line at y 94.
QPainterPath toonShape(Kind kind)
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    auto base = [&](double w) { p.addRoundedRect(QRectF(50 - w / 2, 80, w, 14), 7, 7); };
    switch (kind) {
    case Pawn: {
        base(52);
        QPainterPath body;
        body.moveTo(31, 84);
        body.cubicTo(31, 64, 40, 58, 43, 50);
        body.lineTo(57, 50);
        body.cubicTo(60, 58, 69, 64, 69, 84);
        body.closeSubpath();
        p.addPath(body);
        p.addEllipse(QPointF(50, 35), 17, 17);
        break;
    }
    case Rook:
        base(64);
        p.addRoundedRect(QRectF(30, 40, 40, 44), 4, 4);
        {
            QPainterPath top;
            top.moveTo(24, 42);
            top.lineTo(24, 14);
            top.lineTo(36, 14);
            top.lineTo(36, 22);
            top.lineTo(44, 22);
            top.lineTo(44, 14);
            top.lineTo(56, 14);
            top.lineTo(56, 22);
            top.lineTo(64, 22);
            top.lineTo(64, 14);
            top.lineTo(76, 14);
            top.lineTo(76, 42);
            top.closeSubpath();
            p.addPath(top);
        }
        break;
    case Bishop: {
        base(56);
        QPainterPath body;
        body.moveTo(34, 84);
        body.cubicTo(20, 60, 34, 34, 50, 22);
        body.cubicTo(66, 34, 80, 60, 66, 84);
        body.closeSubpath();
        p.addPath(body);
        p.addEllipse(QPointF(50, 15), 7, 7);
        break;
    }
    case Knight: {
        base(60);
        QPainterPath head;
        head.moveTo(30, 84);
        head.cubicTo(30, 70, 40, 62, 44, 54); // chest up to the jaw
        head.cubicTo(36, 56, 24, 58, 18, 52); // under the muzzle
        head.cubicTo(12, 46, 16, 38, 24, 34); // nose
        head.cubicTo(30, 26, 38, 18, 46, 14); // forehead
        head.lineTo(48, 6); // ear
        head.lineTo(56, 14);
        head.cubicTo(76, 18, 80, 50, 72, 84); // mane down the back
        head.closeSubpath();
        p.addPath(head);
        break;
    }
    case Queen: {
        base(62);
        QPainterPath body;
        body.moveTo(30, 84);
        body.lineTo(22, 30);
        body.lineTo(36, 50);
        body.lineTo(43, 24);
        body.lineTo(50, 48);
        body.lineTo(57, 24);
        body.lineTo(64, 50);
        body.lineTo(78, 30);
        body.lineTo(70, 84);
        body.closeSubpath();
        p.addPath(body);
        for (double x : {22.0, 43.0, 57.0, 78.0})
            p.addEllipse(QPointF(x, x == 22.0 || x == 78.0 ? 28 : 21), 5.5, 5.5);
        break;
    }
    case King: {
        base(62);
        QPainterPath body;
        body.moveTo(30, 84);
        body.cubicTo(18, 60, 22, 40, 36, 38);
        body.cubicTo(44, 36, 48, 42, 50, 46);
        body.cubicTo(52, 42, 56, 36, 64, 38);
        body.cubicTo(78, 40, 82, 60, 70, 84);
        body.closeSubpath();
        p.addPath(body);
        p.addRoundedRect(QRectF(45.5, 8, 9, 34), 3, 3);
        p.addRoundedRect(QRectF(38, 15, 24, 9), 3, 3);
        break;
    }
    }
    return p.simplified();
}

QImage drawToon(Kind kind, bool black, int size)
{
    const int n = size * Super;
    const double u = n / 100.0;
    QImage big = blank(n, n);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(u, u);
    const QPainterPath shape = toonShape(kind);
    // Outlines thicken a little on small cells so they stay visible.
    const double line = size <= 24 ? 8.0 : size <= 30 ? 7.0 : 5.5;
    const QColor ink = black ? QColor(30, 18, 48) : QColor(92, 52, 20);
    QRadialGradient g(QPointF(38, 30), 70);
    if (black) {
        g.setColorAt(0, QColor(150, 110, 220));
        g.setColorAt(1, QColor(72, 40, 130));
    } else {
        g.setColorAt(0, QColor(255, 250, 220));
        g.setColorAt(1, QColor(255, 196, 80));
    }
    p.setPen(QPen(ink, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(shape);
    // Eyes: white with a pupil looking up and to the right.
    QPointF eyes[2];
    int count = 2;
    switch (kind) {
    case Pawn:
        eyes[0] = {43, 34};
        eyes[1] = {57, 34};
        break;
    case Rook:
        eyes[0] = {42, 54};
        eyes[1] = {58, 54};
        break;
    case Bishop:
        eyes[0] = {43, 54};
        eyes[1] = {57, 54};
        break;
    case Knight:
        eyes[0] = {40, 32};
        count = 1;
        break;
    case Queen:
        eyes[0] = {43, 62};
        eyes[1] = {57, 62};
        break;
    case King:
        eyes[0] = {42, 58};
        eyes[1] = {58, 58};
        break;
    }
    const double r = size <= 24 ? 7.5 : 6.5;
    for (int i = 0; i < count; ++i) {
        p.setPen(QPen(ink, line * 0.45));
        p.setBrush(Qt::white);
        p.drawEllipse(eyes[i], r, r * 1.15);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(eyes[i] + QPointF(r * 0.3, -r * 0.1), r * 0.5, r * 0.6);
    }
    if (kind == Pawn || kind == King || kind == Queen) {
        // A smile.
        const double y = kind == Pawn ? 40 : kind == King ? 66 : 70;
        QPainterPath smile;
        smile.moveTo(44, y);
        smile.quadTo(50, y + 6, 56, y);
        p.setPen(QPen(ink, line * 0.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
    }
    p.end();
    return downsample(big, Super);
}

// ---- "Blocks": pieces built from axis-aligned blocks ------------------------

struct Block {
    int x, y, w, h;
};

// Blocks on a 20 x 20 grid, base line at row 19.
std::vector<Block> blockShape(Kind kind)
{
    switch (kind) {
    case Pawn:
        return {{5, 16, 10, 3}, {7, 11, 6, 5}, {6, 10, 8, 2}, {7, 5, 6, 5}};
    case Knight:
        return {{4, 16, 12, 3}, {7, 12, 8, 4}, {9, 8, 6, 4}, {3, 8, 5, 3}, {5, 5, 10, 3}, {11, 2, 3, 3}};
    case Bishop:
        return {{4, 16, 12, 3}, {7, 12, 6, 4}, {6, 6, 8, 6}, {8, 4, 4, 2}, {9, 2, 2, 2}};
    case Rook:
        return {{3, 16, 14, 3}, {5, 8, 10, 8}, {4, 3, 3, 5}, {8, 3, 4, 5}, {13, 3, 3, 5}, {4, 6, 12, 2}};
    case Queen:
        return {{3, 16, 14, 3}, {5, 11, 10, 5}, {4, 9, 12, 2}, {4, 7, 2, 2}, {9, 5, 2, 4}, {14, 7, 2, 2}, {3, 5, 4, 2},
            {8, 3, 4, 2}, {13, 5, 4, 2}};
    case King:
        return {{3, 16, 14, 3}, {4, 10, 12, 6}, {9, 3, 2, 7}, {7, 5, 6, 2}};
    }
    return {};
}

QImage drawBlocks(Kind kind, bool black, int size)
{
    // Drawn at the final size without smoothing: blocks keep crisp edges.
    QImage image = blank(size, size);
    const auto at = [size](int v) { return (v * size + 10) / 20; };
    const QColor face = black ? QColor(52, 60, 78) : QColor(246, 240, 226);
    const QColor light = black ? QColor(96, 110, 140) : QColor(255, 255, 255);
    const QColor shade = black ? QColor(28, 32, 44) : QColor(206, 190, 160);
    const QColor edge = black ? QColor(236, 232, 220) : QColor(40, 36, 44);
    const int t = std::max(1, size / 20);
    QPainter p(&image);
    const auto shape = blockShape(kind);
    for (const Block& b : shape) // the outline: every block grown by t
        p.fillRect(at(b.x) - t, at(b.y) - t, at(b.x + b.w) - at(b.x) + 2 * t, at(b.y + b.h) - at(b.y) + 2 * t, edge);
    for (const Block& b : shape) {
        const QRect r(at(b.x), at(b.y), at(b.x + b.w) - at(b.x), at(b.y + b.h) - at(b.y));
        p.fillRect(r, face);
        if (size >= 30) { // bevels where there is room for them
            const int bev = std::max(1, size / 30);
            p.fillRect(r.left(), r.top(), r.width(), bev, light);
            p.fillRect(r.left(), r.top(), bev, r.height(), light);
            p.fillRect(r.left(), r.bottom() - bev + 1, r.width(), bev, shade);
            p.fillRect(r.right() - bev + 1, r.top(), bev, r.height(), shade);
        }
    }
    p.end();
    return image;
}

} // namespace

bool writePieceSets(const QString& dir)
{
    const GlyphSet cases({"DejaVu Sans", QColor(255, 255, 255), QColor(222, 214, 196), QColor(16, 16, 16),
        QColor(86, 86, 96), QColor(8, 8, 12), QColor(236, 230, 214), Qt::transparent, Qt::transparent, 0, 1});
    const GlyphSet leipzig({"FreeSerif", QColor(255, 255, 252), QColor(255, 255, 252), QColor(0, 0, 0),
        QColor(18, 18, 18), QColor(18, 18, 18), QColor(250, 250, 250), Qt::transparent, Qt::transparent, 0});
    const GlyphSet mark(
        {"DejaVu Sans", QColor(255, 255, 255), QColor(255, 255, 255), QColor(12, 12, 40), QColor(20, 24, 60),
            QColor(20, 24, 60), QColor(255, 214, 64), QColor(12, 12, 40), QColor(255, 255, 255), 0.035, 1});
    const GlyphSet spanish({"FreeSerif", QColor(255, 246, 224), QColor(236, 208, 150), QColor(96, 44, 12),
        QColor(196, 40, 36), QColor(110, 12, 18), QColor(255, 220, 120), QColor(96, 44, 12), QColor(74, 20, 10), 0.02});
    for (const GlyphSet* set : {&cases, &leipzig, &mark, &spanish})
        if (!set->usable())
            return false;
    const auto glyphs
        = [](const GlyphSet& set) { return [&set](Kind k, bool black, int size) { return set.draw(k, black, size); }; };
    return writeSet(dir, 700, glyphs(cases)) && writeSet(dir, 710, glyphs(leipzig)) && writeSet(dir, 720, glyphs(mark))
        && writeSet(dir, 730, glyphs(spanish)) && writeSet(dir, 740, drawToon) && writeSet(dir, 750, drawBlocks);
}

} // namespace artgen
