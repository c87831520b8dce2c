#include "app/shell/BoardLink.h"

#include "app/shell/Commands.h"
#include "app/shell/ShellTables.h"

namespace qm {

CBoardLink::CBoardLink(CMainFrame& frame, IWindowHost& window, std::filesystem::path bitmapDir)
    : m_frame(frame), m_window(window), m_bitmapDir(std::move(bitmapDir))
{
    CAppState& app = m_frame.app();
    m_view = std::make_unique<CBoardView>(window, app.general, *this);
    m_view->setGamePosition(&app.position);
    m_view->setFlipped(app.general.flipBoard != 0);
    m_view->setPieceSet(app.general.pieceSet);
    m_view->setTexture(CBoardView::textureIdOf(app.general.squares));
    m_view->selectLayout(app.layoutIndex, 0);

    CShellHooks& h = m_frame.hooks();
    h.loadBoardBitmaps = [this] { m_view->loadGraphics(m_bitmapDir); };
    h.paint = [this](CCanvas& c, const Rect& dirty) {
        const Size s = m_window.clientSize();
        m_view->setClientRect({0, 0, s.width, s.height});
        m_view->paint(c, dirty);
    };
    h.pointerDown = [this](Point p) {
        m_view->onPenDown(p.x, p.y);
        syncState();
    };
    h.pointerMove = [this](Point p) { m_view->onPenMove(p.x, p.y); };
    h.pointerUp = [this](Point p) {
        m_view->onPenUp(p.x, p.y);
        syncState();
    };
    // The view decides between move input and the context menu.
    h.isOnBoard = [](Point) { return true; };
    h.holdOnBoard = [this](Point p) { m_view->onHold(p.x, p.y); };
    h.createToolbarButtons = [this] {
        m_view->selectLayout(m_frame.app().layoutIndex, 0);
        m_view->createToolbarButtons();
    };
    h.drawToolButton = [this](int id, CCanvas& c, bool pressed) { m_view->drawToolbarButton(id, c, pressed); };
    h.animationStep = [this] {
        m_view->animationTick();
        syncState();
    };
    m_frame.commands().wire(cmd::FlipBoard, "flipBoard", [this] {
        m_view->flipBoard();
        syncState();
    });
    m_frame.commands().wire(cmd::ToggleLayout, "toggleLayout", [this] {
        m_view->selectLayout(m_frame.app().layoutIndex, 0);
        m_view->toggleLayout();
        syncState();
    });
}

void CBoardLink::syncState()
{
    CAppState& app = m_frame.app();
    app.layoutIndex = m_view->layoutIndex();
    app.general.flipBoard = m_view->flipped() ? 1 : 0;
    app.animationRunning = m_view->animating();
}

void CBoardLink::userMove(CMove move, bool dragged)
{
    CAppState& app = m_frame.app();
    app.position.makeMove(move);
    app.lastMove = move;
    m_view->showMove(move, !dragged, true, true);
    syncState();
}

void CBoardLink::openContextMenu(Point p) { m_window.showPopupMenu(popupMenu(), p); }

} // namespace qm
