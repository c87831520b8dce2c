#include "platform/qt/QtCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace qm {
namespace {

PixelView viewOf(QImage& image)
{
    // Format_RGB32 stores each pixel as a 32-bit 0xffRRGGBB word: the
    // canvas's own pixel layout.
    return {reinterpret_cast<Rgb*>(image.bits()), image.width(), image.height(),
            static_cast<int>(image.bytesPerLine() / 4)};
}

QImage makeImage(int width, int height, Rgb fill)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    image.fill(QColor::fromRgb(redOf(fill), greenOf(fill), blueOf(fill)));
    return image;
}

QFont qfontOf(const Font& f)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, f.pixelSize));
    font.setBold(f.bold);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace

CQtCanvas::CQtCanvas(int width, int height, Rgb fill)
    : CCanvas(PixelView{}), m_image(makeImage(width, height, fill))
{
    retarget(viewOf(m_image));
}

void CQtCanvas::resize(int width, int height, Rgb fill)
{
    m_image = makeImage(width, height, fill);
    retarget(viewOf(m_image));
}

void CQtCanvas::drawText(const Rect& box, std::string_view text, int align)
{
    const Rect area = box.intersected(clip());
    if (area.isEmpty())
        return;
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRect(QRect(area.left, area.top, area.width(), area.height()));
    painter.setFont(qfontOf(font()));
    painter.setPen(QColor::fromRgb(redOf(textColour()), greenOf(textColour()), blueOf(textColour())));
    int flags = Qt::TextSingleLine;
    flags |= (align & AlignRight) ? Qt::AlignRight : (align & AlignHCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
    flags |= (align & AlignBottom) ? Qt::AlignBottom : (align & AlignVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    painter.drawText(QRect(box.left, box.top, box.width(), box.height()), flags,
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

Size CQtCanvas::textSize(std::string_view text)
{
    const QFontMetrics metrics(qfontOf(font()));
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {metrics.horizontalAdvance(s), metrics.height()};
}

} // namespace qm
