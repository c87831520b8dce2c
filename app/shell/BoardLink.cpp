#include "app/shell/BoardLink.h"

#include "app/shell/Commands.h"
#include "app/shell/ShellTables.h"

namespace qm {

CBoardLink::CBoardLink(CMainFrame& frame, IWindowHost& window, IDialogs& dialogs, IClock& clock,
                       std::filesystem::path bitmapDir)
    : m_frame(frame), m_window(window), m_dialogs(dialogs), m_bitmapDir(std::move(bitmapDir))
{
    CAppState& app = m_frame.app();
    m_view = std::make_unique<CBoardView>(window, app.general, *this);
    m_flow = std::make_unique<CGameFlow>(*m_view, window, dialogs, clock, app.general, *this, *this);
    m_view->setGamePosition(&m_flow->position());
    m_view->setFlipped(app.general.flipBoard != 0);
    m_view->setPieceSet(app.general.pieceSet);
    m_view->setTexture(CBoardView::textureIdOf(app.general.squares));
    m_view->selectLayout(app.layoutIndex, 0);
    syncState();

    CShellHooks& h = m_frame.hooks();
    h.loadBoardBitmaps = [this] { m_view->loadGraphics(m_bitmapDir); };
    h.paint = [this](CCanvas& c, const Rect& dirty) {
        const Size s = m_window.clientSize();
        m_view->setClientRect({0, 0, s.width, s.height});
        // The flip flag of the general settings is the one that counts (the
        // options and scripts change it there).
        m_view->setFlipped(m_frame.app().general.flipBoard != 0);
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
    h.gameText = [this] { return m_flow->game().toText(); };
    h.replayStep = [this] {
        m_flow->replayTick();
        syncState();
    };
    h.stopReplay = [this] {
        m_flow->stopReplay();
        syncState();
    };
    for (const auto& [id, name] : {std::pair{cmd::NewGame, "newGame"}, std::pair{cmd::TakeBack, "takeBackOne"},
                                   std::pair{cmd::Forward, "forwardOne"}, std::pair{cmd::TakeBackTen, "takeBackPlies"},
                                   std::pair{cmd::ForwardTen, "forwardPlies"}, std::pair{cmd::BackToStart, "backToStart"},
                                   std::pair{cmd::ForwardToEnd, "forwardToEnd"}, std::pair{cmd::ReplayMoves, "toggleReplay"}})
        m_frame.commands().wire(id, name, [this, id = id] {
            m_flow->onCommand(id);
            syncState();
        });
    m_frame.commands().wire(cmd::FlipBoard, "flipBoard", [this] {
        CAppState& a = m_frame.app();
        m_view->setFlipped(a.general.flipBoard != 0);
        m_view->flipBoard();
        a.general.flipBoard = m_view->flipped() ? 1 : 0;
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
    app.animationRunning = m_view->animating();
    app.replayRunning = m_flow->replayRunning();
    app.position = m_flow->position();
    app.lastMove = m_flow->lastMove();
}

void CBoardLink::userMove(CMove move, bool dragged)
{
    m_flow->onUserMove(move, dragged);
    syncState();
}

void CBoardLink::takeBackPlies(int n)
{
    m_flow->takeBackPlies(n);
    syncState();
}

ILineDialogUi::NewLineChoice CBoardLink::newLine(const std::vector<std::string>& lines, const std::string& newMove)
{
    static const Button buttons[] = {Button::ReplaceMainLine, Button::AddMainLine, Button::AddLine,
                                     Button::DeleteSelected, Button::DontAdd};
    NewLineChoice choice;
    choice.selected = -1;
    // The default answer stays as it is.
    choice.newDefault = m_frame.app().general.variationMode;
    CModalScope modal(m_frame.app());
    const int pressed = m_dialogs.listDialog("111", "Add line", "New move " + newMove, lines,
                                             {"Replace main line", "Add main line", "Add line", "Delete selected",
                                              "Don't add"},
                                             choice.selected);
    choice.button = pressed >= 0 && pressed < 5 ? buttons[pressed] : Button::Cancel;
    return choice;
}

int CBoardLink::selectLine(const std::vector<std::string>& lines)
{
    int selected = 0;
    CModalScope modal(m_frame.app());
    m_dialogs.listDialog("440", "Select line", "Select line", lines, {"OK"}, selected);
    return selected;
}

void CBoardLink::openContextMenu(Point p) { m_window.showPopupMenu(popupMenu(), p); }

} // namespace qm
