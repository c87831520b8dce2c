#pragma once
// A board view on a headless window, wired as the main window wires it:
// paint, pen and timer events go to the view.

#include "board/BoardView.h"
#include "platform/headless/HeadlessWindow.h"

#include <string>
#include <vector>

namespace qm::test {

inline std::filesystem::path bitmapDir()
{
    return std::filesystem::path(QM_TEST_SOURCE_DIR) / ".." / ".." / "resources" / "bitmaps";
}

// Records what the view asks of the program.
class RecordingClient : public IBoardClient {
public:
    bool busy = false;
    bool replay = false;
    PieceCode promotion = Empty; // Empty: the dialog is closed (queen)
    int statusBottomY = 0;
    std::vector<CMove> sounds;
    std::vector<std::pair<CMove, bool>> moves;
    std::vector<Point> menus;
    int promotionAsked = 0;

    bool engineBusy() const override { return busy; }
    bool replayRunning() const override { return replay; }
    void playMoveSound(CMove m) override { sounds.push_back(m); }
    void userMove(CMove m, bool dragged) override { moves.emplace_back(m, dragged); }
    PieceCode askPromotionPiece(Colour c) override
    {
        ++promotionAsked;
        return promotion == Empty ? pieceOf(c, Queen) : promotion;
    }
    int statusBottom() const override { return statusBottomY; }
    void openContextMenu(Point p) override { menus.push_back(p); }
};

class ViewHandler : public IWindowHandler {
public:
    explicit ViewHandler(CBoardView& view)
        : m_view(view)
    {
    }
    void onPaint(CCanvas& canvas, const Rect& dirty) override { m_view.paint(canvas, dirty); }
    void onPointerDown(Point p) override { m_view.onPenDown(p.x, p.y); }
    void onPointerMove(Point p) override { m_view.onPenMove(p.x, p.y); }
    void onPointerUp(Point p) override { m_view.onPenUp(p.x, p.y); }
    void onHold(Point p) override { m_view.onHold(p.x, p.y); }
    void onCommand(int id) override
    {
        if (id == FlipBoardCommand)
            m_view.flipBoard();
        if (id == ToggleLayoutCommand)
            m_view.toggleLayout();
    }
    bool onKey(Key) override { return false; }
    void onSize(Size) override { }
    void onActivate(bool) override { }
    void onHelp() override { }
    void onTimer(int id) override
    {
        if (id == AnimationTimer)
            m_view.animationTick();
    }
    void onCloseRequest() override { }
    void onDrawItem(int id, CCanvas& canvas, bool pressed) override { m_view.drawToolbarButton(id, canvas, pressed); }

private:
    CBoardView& m_view;
};

struct BoardFixture {
    explicit BoardFixture(Size screen = {240, 320}, int row = 1)
        : window(screen, 0, clock)
        , view(window, settings, client)
        , handler(view)
    {
        position.setStartPosition();
        view.setGamePosition(&position);
        view.setClientRect(window.canvas().bounds());
        view.loadGraphics(bitmapDir());
        view.setTexture(137);
        view.selectLayout(row, 0);
        window.setHandler(&handler);
        window.invalidateAll(false);
        window.paint();
    }

    Point centre(Square s) const
    {
        const Rect r = view.squareRect(s);
        return {r.left + r.width() / 2, r.top + r.height() / 2};
    }
    Rgb pixel(int x, int y) { return window.canvas().pixel(x, y); }
    void setFen(const char* fen)
    {
        position.setFromFen(fen);
        window.invalidateAll(false);
        window.paint();
    }

    CManualClock clock;
    CHeadlessWindow window;
    CGeneralSettings settings;
    RecordingClient client;
    CBoardView view;
    ViewHandler handler;
    CPosition position;
};

inline Square sq(const char* name)
{
    return makeSquare(name[0] - 'a', name[1] - '1');
}

} // namespace qm::test
