// The window's canvas must give the same pixels as the in-memory canvas the
// tests use, and render real text inside its box only.
#include "platform/qt/QtCanvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <cstdlib>

using namespace qm;

namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char name[] = "test_qt_canvas";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication instance(argc, argv);
    return instance;
}

void drawScene(CCanvas& c)
{
    c.fillRect({0, 0, 40, 30}, rgb(10, 90, 20));
    c.setPen({rgb(255, 0, 0), 2});
    c.setBrush({rgb(250, 250, 80)});
    c.ellipse({3, 3, 17, 13});
    const Point arrow[] = {{20, 2}, {38, 10}, {25, 12}, {30, 28}, {22, 14}};
    c.polygon(arrow);
    c.setPen({RgbBlack, 1});
    c.rectangle({1, 15, 19, 29});
    CBitmap sprite(6, 6, TransparentKey);
    sprite.setPixel(2, 2, rgb(1, 2, 3));
    c.blitTransparent({5, 18}, sprite, {0, 0, 6, 6});
    c.blit({30, 0}, c, {0, 0, 10, 10});
}

TEST(QtCanvas, ShapesMatchTheMemoryCanvasPixelForPixel)
{
    app();
    CQtCanvas qt(40, 30);
    CMemoryCanvas mem(40, 30);
    drawScene(qt);
    drawScene(mem);
    EXPECT_EQ(qt.snapshot(), mem.snapshot());
    EXPECT_EQ(qt.imageRef().pixel(8, 8) & 0xFFFFFF, static_cast<unsigned>(250 << 16 | 250 << 8 | 80));
}

TEST(QtCanvas, TextStaysInsideItsBoxWithoutMixedColours)
{
    app();
    CQtCanvas c(120, 40);
    c.setFont({14, true});
    c.setTextColour(RgbBlack);
    const Rect box{10, 10, 60, 26};
    c.drawText(box, "Hashsize 1024 KB", AlignLeft | AlignVCenter);
    int ink = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgb p = c.pixel(x, y);
            // No antialiasing: only the text colour and the background appear.
            ASSERT_TRUE(sameRgb(p, RgbBlack) || sameRgb(p, RgbWhite)) << x << "," << y;
            if (sameRgb(p, RgbBlack)) {
                ++ink;
                EXPECT_TRUE(box.contains({x, y})) << x << "," << y;
            }
        }
    EXPECT_GT(ink, 20);
    const Size s = c.textSize("Hashsize");
    EXPECT_GT(s.width, 30);
    EXPECT_GE(s.height, 14);
}

} // namespace
