#pragma once
// The canvas of the real window: pixels in a QImage, text through QPainter
// with antialiasing off.

#include "platform/Canvas.h"

#include <QImage>

namespace qm {

class CQtCanvas final : public CCanvas {
public:
    CQtCanvas(int width, int height, Rgb fill = RgbWhite);

    void drawText(const Rect& box, std::string_view text, int align = AlignLeft | AlignTop) override;
    Size textSize(std::string_view text) override;

    // Resizes the surface (contents are lost, refilled with `fill`).
    void resize(int width, int height, Rgb fill = RgbWhite);
    // The pixels as an image, sharing nothing with the canvas.
    QImage image() const { return m_image.copy(); }
    const QImage& imageRef() const { return m_image; }

private:
    QImage m_image;
};

} // namespace qm
