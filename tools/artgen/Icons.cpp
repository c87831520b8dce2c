// Icon strips: the nine tool buttons beside the board (133: 16 pixels,
// 135: 32 pixels) and the eight menu-bar buttons (menubar16, menubar32).
// Each icon is drawn in a 32-unit box and reduced to its size.
#include "Art.h"
#include "Raster.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <vector>

namespace artgen {
namespace {

using IconDrawer = std::function<void(QPainter&)>;

const QColor Outline(30, 34, 44);

QPen outline(double w = 1.6)
{
    return QPen(Outline, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QBrush vertical(QColor top, QColor bottom, double y0 = 0, double y1 = 32)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void miniBoard(QPainter& p, QRectF r)
{
    p.setPen(outline());
    p.setBrush(QColor(240, 220, 180));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 96, 54));
    const double c = r.width() / 3;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if ((i + j) % 2)
                p.drawRect(QRectF(r.left() + i * c, r.top() + j * c, c, c));
    p.setPen(outline());
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void triangle(QPainter& p, QPointF tip, double w, double h, bool right, QColor fill)
{
    const double dir = right ? 1 : -1;
    QPolygonF t;
    t << tip << QPointF(tip.x() - dir * w, tip.y() - h / 2) << QPointF(tip.x() - dir * w, tip.y() + h / 2);
    p.setPen(outline());
    p.setBrush(fill);
    p.drawPolygon(t);
}

void arrow(QPainter& p, bool right, QColor fill)
{
    QPolygonF a;
    a << QPointF(4, 16) << QPointF(16, 5) << QPointF(16, 11) << QPointF(28, 11) << QPointF(28, 21) << QPointF(16, 21)
      << QPointF(16, 27);
    if (right)
        for (QPointF& q : a)
            q.setX(32 - q.x());
    p.setPen(outline());
    p.setBrush(vertical(fill.lighter(140), fill));
    p.drawPolygon(a);
}

void gear(QPainter& p)
{
    QPainterPath g;
    const QPointF c(16, 16);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45.0);
        g.addPolygon(t.map(QPolygonF(QRectF(-3, -14, 6, 8))));
    }
    g.addEllipse(c, 10, 10);
    QPainterPath hole;
    hole.addEllipse(c, 4, 4);
    p.setPen(outline());
    p.setBrush(vertical(QColor(214, 220, 230), QColor(120, 130, 146)));
    p.drawPath(g.simplified().subtracted(hole));
}

const std::vector<IconDrawer>& toolIcons()
{
    static const std::vector<IconDrawer> icons = {
        [](QPainter& p) { // new game: a board and a green plus
            miniBoard(p, QRectF(3, 3, 21, 21));
            p.setPen(outline(1.4));
            p.setBrush(QColor(60, 180, 70));
            QPainterPath plus;
            plus.addRect(QRectF(21, 14, 6, 17));
            plus.addRect(QRectF(15.5, 19.5, 17, 6));
            p.drawPath(plus.simplified());
        },
        [](QPainter& p) { // set up position: a board and a pencil
            miniBoard(p, QRectF(3, 3, 21, 21));
            QTransform t;
            t.translate(22, 22);
            t.rotate(45);
            p.setTransform(t, true);
            p.setPen(outline(1.4));
            p.setBrush(QColor(250, 200, 40));
            p.drawRect(QRectF(-3.5, -14, 7, 18));
            p.setBrush(QColor(240, 200, 160));
            QPolygonF tip;
            tip << QPointF(-3.5, 4) << QPointF(3.5, 4) << QPointF(0, 10);
            p.drawPolygon(tip);
            p.setBrush(QColor(230, 110, 120));
            p.drawRect(QRectF(-3.5, -17, 7, 3));
        },
        [](QPainter& p) { // load game: an open folder
            p.setPen(outline());
            p.setBrush(QColor(214, 160, 40));
            QPolygonF back;
            back << QPointF(2, 7) << QPointF(11, 7) << QPointF(14, 10) << QPointF(26, 10) << QPointF(26, 27)
                 << QPointF(2, 27);
            p.drawPolygon(back);
            p.setBrush(vertical(QColor(255, 226, 120), QColor(240, 180, 50), 13, 27));
            QPolygonF front;
            front << QPointF(7, 14) << QPointF(31, 14) << QPointF(26, 27) << QPointF(2, 27);
            p.drawPolygon(front);
        },
        [](QPainter& p) { // save game: a floppy disk
            p.setPen(outline());
            p.setBrush(vertical(QColor(80, 130, 220), QColor(36, 70, 150)));
            QPolygonF disk;
            disk << QPointF(3, 3) << QPointF(25, 3) << QPointF(29, 7) << QPointF(29, 29) << QPointF(3, 29);
            p.drawPolygon(disk);
            p.setBrush(QColor(236, 240, 246));
            p.drawRect(QRectF(8, 3, 15, 9));
            p.setBrush(QColor(36, 70, 150));
            p.drawRect(QRectF(18, 4.5, 3, 6));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 17, 18, 12));
        },
        [](QPainter& p) { gear(p); }, // options
        [](QPainter& p) { // level: three rising bars
            p.setPen(outline());
            const QColor c[] = {QColor(90, 200, 90), QColor(240, 200, 40), QColor(230, 70, 50)};
            for (int i = 0; i < 3; ++i) {
                const double h = 9 + i * 8.5;
                p.setBrush(vertical(c[i].lighter(130), c[i], 29 - h, 29));
                p.drawRect(QRectF(3 + i * 9.5, 29 - h, 7, h));
            }
        },
        [](QPainter& p) { // start replay: a play triangle in a disc
            p.setPen(outline());
            p.setBrush(vertical(QColor(120, 220, 120), QColor(30, 140, 50)));
            p.drawEllipse(QPointF(16, 16), 14, 14);
            triangle(p, QPointF(25, 16), 13, 15, true, Qt::white);
        },
        [](QPainter& p) { // take back ten moves: two triangles to the left
            triangle(p, QPointF(2, 16), 14, 22, false, QColor(80, 140, 230));
            triangle(p, QPointF(15, 16), 14, 22, false, QColor(80, 140, 230));
        },
        [](QPainter& p) { // play the next ten moves: two triangles to the right
            triangle(p, QPointF(17, 16), 14, 22, true, QColor(80, 140, 230));
            triangle(p, QPointF(30, 16), 14, 22, true, QColor(80, 140, 230));
        },
    };
    return icons;
}

const std::vector<IconDrawer>& menuBarIcons()
{
    static const std::vector<IconDrawer> icons = {
        [](QPainter& p) { arrow(p, false, QColor(60, 110, 210)); }, // take back move
        [](QPainter& p) { // game moves: a sheet with lines
            p.setPen(outline());
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5, 2, 22, 28));
            p.setPen(QPen(QColor(60, 70, 90), 2.4));
            for (int i = 0; i < 5; ++i)
                p.drawLine(QPointF(9, 8 + i * 4.5), QPointF(i % 2 ? 19 : 23, 8 + i * 4.5));
        },
        [](QPainter& p) { arrow(p, true, QColor(60, 110, 210)); }, // next move
        [](QPainter& p) { // move now: a lightning bolt
            QPolygonF bolt;
            bolt << QPointF(19, 1) << QPointF(6, 18) << QPointF(15, 18) << QPointF(11, 31) << QPointF(26, 12)
                 << QPointF(17, 12) << QPointF(22, 1);
            p.setPen(outline());
            p.setBrush(vertical(QColor(255, 240, 120), QColor(240, 160, 20)));
            p.drawPolygon(bolt);
        },
        [](QPainter& p) { // hint: a light bulb
            p.setPen(outline());
            p.setBrush(vertical(QColor(255, 250, 190), QColor(250, 210, 40), 2, 24));
            QPainterPath bulb;
            bulb.addEllipse(QPointF(16, 12), 10, 10);
            bulb.addRect(QRectF(11, 17, 10, 7));
            p.drawPath(bulb.simplified());
            p.setBrush(QColor(150, 156, 170));
            p.drawRect(QRectF(11, 24, 10, 5));
            p.drawLine(QPointF(11, 26.5), QPointF(21, 26.5));
        },
        [](QPainter& p) { // analysis mode: a magnifying glass
            p.setPen(QPen(Outline, 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(20, 20), QPointF(28, 28));
            p.setPen(outline(2.2));
            p.setBrush(QColor(200, 230, 255));
            p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
        },
        [](QPainter& p) { // toggle layout: a large and a small board
            miniBoard(p, QRectF(2, 2, 18, 18));
            miniBoard(p, QRectF(17, 17, 12, 12));
        },
        [](QPainter& p) { // flip board: two arrows turning round
            p.setPen(QPen(QColor(40, 150, 70), 3.4, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(5, 5, 22, 22), 30 * 16, 150 * 16);
            p.drawArc(QRectF(5, 5, 22, 22), 210 * 16, 150 * 16);
            p.setPen(outline(1.0));
            p.setBrush(QColor(40, 150, 70));
            triangle(p, QPointF(4, 22), 7, 9, false, QColor(40, 150, 70));
            triangle(p, QPointF(28, 10), 7, 9, true, QColor(40, 150, 70));
        },
    };
    return icons;
}

QImage strip(const std::vector<IconDrawer>& icons, int size)
{
    QImage out = onKey(int(icons.size()) * size, size);
    QPainter dst(&out);
    for (std::size_t i = 0; i < icons.size(); ++i) {
        QImage big = blank(size * Super, size * Super);
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size * Super / 32.0, size * Super / 32.0);
        icons[i](p);
        p.end();
        dst.drawImage(int(i) * size, 0, keyed(downsample(big, Super)));
    }
    dst.end();
    return out;
}

} // namespace

bool writeIcons(const QString& dir)
{
    return save(strip(toolIcons(), 16), dir, "133") && save(strip(toolIcons(), 32), dir, "135")
        && save(strip(menuBarIcons(), 16), dir, "menubar16") && save(strip(menuBarIcons(), 32), dir, "menubar32");
}

} // namespace artgen
