#include "app/shell/BoardLink.h"

#include "app/shell/Commands.h"
#include "app/shell/ShellTables.h"
#include "board/PromotionDialog.h"

#include <algorithm>

namespace qm {

CBoardLink::CBoardLink(CMainFrame& frame, IWindowHost& window, IDialogs& dialogs, IClock& clock,
                       std::filesystem::path bitmapDir)
    : m_frame(frame), m_window(window), m_dialogs(frame.app(), dialogs), m_bitmapDir(std::move(bitmapDir))
{
    CAppState& app = m_frame.app();
    m_view = std::make_unique<CBoardView>(window, app.general, *this);
    m_flow = std::make_unique<CGameFlow>(*m_view, window, m_dialogs, clock, app.general, *this, *this);
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
        // The flip flag, piece set and texture of the general settings are
        // the ones that count (the options and scripts change them there).
        const CGeneralSettings& g = m_frame.app().general;
        m_view->setFlipped(g.flipBoard != 0);
        if (m_view->pieceSet() != g.pieceSet)
            m_view->setPieceSet(g.pieceSet);
        if (const int texture = CBoardView::textureIdOf(g.squares); m_view->texture() != texture)
            m_view->setTexture(texture);
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

PieceCode CBoardLink::askPromotionPiece(Colour colour)
{
    const CanvasDialog info = CPromotionDialog::dialogFor(m_view->layout());
    CPromotionDialog dialog(*m_view, colour, Rect::fromSize(0, 0, info.clientSize.width, info.clientSize.height));
    m_dialogs.canvasDialog(info, dialog);
    return dialog.chosen();
}

namespace {

// The "New variation" modes as "Change default to" lists them.
const std::vector<std::string> VariationModeNames = {"Ask", "Replace main line", "Add main line", "Add line"};

} // namespace

ILineDialogUi::NewLineChoice CBoardLink::newLine(const std::vector<std::string>& lines, const std::string& newMove,
                                                 int defaultChoice)
{
    using K = DialogControl::Kind;
    FormDialog form;
    form.name = "111";
    form.title = "Add line";
    form.helpAnchor = "NewLine";
    form.controls = {
        {K::List, LinesList, "Lines:", "", lines, -1},
        {K::Field, NewMoveField, "New move:", newMove, {}, -1},
        {K::Button, ReplaceMainLineButton, "Replace main line", "", {}, -1},
        {K::Button, AddMainLineButton, "Add main line", "", {}, -1},
        {K::Button, AddLineButton, "Add line", "", {}, -1},
        {K::DropDown, ChangeDefaultList, "Change default to", "", VariationModeNames,
         std::clamp(defaultChoice, 0, 3)},
        {K::Button, DeleteSelectedButton, "Delete selected", "", {}, -1},
        {K::Button, DontAddButton, "Don't add move", "", {}, -1},
    };
    const int result = m_dialogs.formDialog(form);
    NewLineChoice choice;
    choice.selected = form.control(LinesList)->selected;
    const int mode = form.control(ChangeDefaultList)->selected;
    choice.newDefault = mode >= 0 && mode <= 3 ? mode : 0;
    switch (result) {
    case ReplaceMainLineButton: choice.button = Button::ReplaceMainLine; break;
    case AddMainLineButton: choice.button = Button::AddMainLine; break;
    case AddLineButton: choice.button = Button::AddLine; break;
    case DeleteSelectedButton: choice.button = Button::DeleteSelected; break;
    case DontAddButton: choice.button = Button::DontAdd; break;
    case FormOk: choice.button = Button::Ok; break;
    default: choice.button = Button::Cancel; break;
    }
    return choice;
}

int CBoardLink::selectLine(const std::vector<std::string>& lines)
{
    FormDialog form;
    form.name = "440";
    form.title = "Select line";
    form.helpAnchor = "SelectLine";
    form.listChoiceEnds = true;
    form.controls = {{DialogControl::Kind::List, SelectLineList, "Lines:", "", lines, -1}};
    const int result = m_dialogs.formDialog(form);
    return result == SelectLineList ? form.control(SelectLineList)->selected : -1;
}

void CBoardLink::openContextMenu(Point p)
{
    m_window.showPopupMenu(popupMenuShown(replayRunning()), p);
}

} // namespace qm
