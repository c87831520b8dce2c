#pragma once
// The drawing surface of the board, the status area and every owner-drawn control.
//
// Every shape is rasterised here, in plain C++, without antialiasing, so the
// in-memory canvas of the tests and the Qt canvas of the window produce the
// same pixels. Only text goes to the implementation (font rendering differs).
//
// Conventions, as on the handheld's drawing contexts:
// - rectangles exclude their right and bottom edges;
// - `rectangle` and `ellipse` fill the inside with the brush and draw the
//   outline with the pen, inside the rectangle;
// - `line` leaves out its end point, so a polyline draws each joint once;
// - a pixel belongs to a filled polygon or ellipse when its centre does
//   (polygons use the even-odd rule);
// - everything is clipped to the clip rectangle and the surface.

#include "platform/Bitmap.h"
#include "platform/Geometry.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct Pen {
    Rgb colour = RgbBlack;
    int width = 1;      // pixels; a wide pen stamps a width x width square centred on the path
    bool none = false;  // draws nothing
    static Pen null() { return {RgbBlack, 1, true}; }
};

struct Brush {
    Rgb colour = RgbWhite;
    bool none = false;
    static Brush null() { return {RgbWhite, true}; }
};

struct Font {
    int pixelSize = 12;  // height of the text line in pixels
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// Text alignment inside the rectangle given to drawText; combine one
// horizontal and one vertical value.
enum TextAlign : int {
    AlignLeft = 0,
    AlignHCenter = 1,
    AlignRight = 2,
    AlignTop = 0,
    AlignVCenter = 4,
    AlignBottom = 8,
};

class CCanvas {
public:
    virtual ~CCanvas() = default;
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    int width() const { return m_target.width; }
    int height() const { return m_target.height; }
    Rect bounds() const { return {0, 0, m_target.width, m_target.height}; }
    // 0 outside the surface.
    Rgb pixel(int x, int y) const;
    PixelView pixels() { return m_target; }
    ConstPixelView pixels() const { return m_target; }

    // Drawing state. The defaults are a black one-pixel pen, a white brush,
    // black 12-pixel text and no clip beyond the surface.
    void setPen(const Pen& pen) { m_pen = pen; }
    const Pen& pen() const { return m_pen; }
    void setBrush(const Brush& brush) { m_brush = brush; }
    const Brush& brush() const { return m_brush; }
    void setFont(const Font& font) { m_font = font; }
    const Font& font() const { return m_font; }
    void setTextColour(Rgb c) { m_textColour = c; }
    Rgb textColour() const { return m_textColour; }
    void setClip(const Rect& clip) { m_clip = clip; }
    void resetClip() { m_clip = bounds(); }
    // Always inside the surface.
    Rect clip() const { return m_clip.intersected(bounds()); }

    void setPixel(int x, int y, Rgb c);
    void fillRect(const Rect& r, Rgb c);
    void rectangle(const Rect& r);
    void ellipse(const Rect& r);
    void polygon(std::span<const Point> points);
    void line(Point from, Point to);

    // Copies `source` (a rectangle of `src`, clipped to it) with its top-left
    // corner at `dest`. The transparent copy leaves the destination alone
    // where the source pixel has the key colour.
    void blit(Point dest, ConstPixelView src, const Rect& source);
    void blitTransparent(Point dest, ConstPixelView src, const Rect& source, Rgb key = TransparentKey);
    void blit(Point dest, const CBitmap& src, const Rect& source) { blit(dest, src.view(), source); }
    void blitTransparent(Point dest, const CBitmap& src, const Rect& source, Rgb key = TransparentKey)
    {
        blitTransparent(dest, src.view(), source, key);
    }
    void blit(Point dest, const CCanvas& src, const Rect& source) { blit(dest, src.pixels(), source); }

    // Draws one line of UTF-8 text in the current font and text colour,
    // aligned in `box` and clipped to it and to the clip rectangle.
    virtual void drawText(const Rect& box, std::string_view text, int align = AlignLeft | AlignTop) = 0;
    // The size the text would take in the current font.
    virtual Size textSize(std::string_view text) = 0;

    // A copy of the whole surface.
    CBitmap snapshot() const;

protected:
    explicit CCanvas(PixelView target) : m_target(target), m_clip(bounds()) {}
    // For canvases whose surface changes size; resets the clip.
    void retarget(PixelView target)
    {
        m_target = target;
        m_clip = bounds();
    }

private:
    void fillSpan(int y, int x0, int x1, Rgb c);  // pixels x0 <= x < x1 of row y, clipped
    void stamp(int x, int y);                        // one pen footprint

    PixelView m_target;
    Rect m_clip;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    Rgb m_textColour = RgbBlack;
};

// The headless canvas: pixels in memory. Text is not rasterised (no font is
// available without a desktop); each call is recorded with its box, colour
// and font, and measured with a fixed cell of (pixelSize * 3 + 4) / 5 by
// pixelSize per character, so layouts built on textSize are deterministic.
class CMemoryCanvas final : public CCanvas {
public:
    struct TextRun {
        Rect box;
        std::string text;
        int align = 0;
        Rgb colour = RgbBlack;
        Font font;
    };

    CMemoryCanvas(int width, int height, Rgb fill = RgbWhite);

    void drawText(const Rect& box, std::string_view text, int align = AlignLeft | AlignTop) override;
    Size textSize(std::string_view text) override;

    const std::vector<TextRun>& textRuns() const { return m_runs; }
    void clearTextRuns() { m_runs.clear(); }
    // Resizes the surface (contents are lost, refilled with `fill`).
    void resize(int width, int height, Rgb fill = RgbWhite);
    const CBitmap& bitmap() const { return m_bitmap; }

private:
    CBitmap m_bitmap;
    std::vector<TextRun> m_runs;
};

// Characters of UTF-8 text (code points; malformed bytes count one each).
int utf8Length(std::string_view text);

} // namespace qm
