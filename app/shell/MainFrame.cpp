#include "app/shell/MainFrame.h"

#include "app/shell/Commands.h"
#include "app/shell/FileTypes.h"
#include "app/shell/ScreenLayouts.h"
#include "board/BoardLayout.h"
#include "app/shell/ShellScriptTarget.h"
#include "app/shell/ShellTables.h"
#include "app/settings/GeneralSettings.h"

#include <cstdio>

namespace qm {
namespace {

void nothing() {}

} // namespace

CMainFrame::CMainFrame(CAppState& app, CShellServices services) : m_app(app), m_services(services)
{
    CShellHooks& h = m_hooks;
    h.paint = [](CCanvas&, const Rect&) {};
    h.pointerDown = h.pointerMove = h.pointerUp = h.holdOnBoard = [](Point) {};
    h.isOnBoard = [](Point) { return false; };
    h.drawToolButton = [](int, CCanvas&, bool) {};
    for (auto* f : {&h.createToolbarButtons, &h.loadBoardBitmaps, &h.createDatabases, &h.deleteDatabases,
                    &h.restoreAutosavedGame, &h.autosave, &h.prepareEngineLink, &h.startEngineThread,
                    &h.stopSearch, &h.tellEngineThreadToEnd, &h.waitForEngineThread, &h.stopTraining,
                    &h.startDgt, &h.closeDgt, &h.pollDgt, &h.repaintStatus, &h.animationStep, &h.replayStep, &h.stopReplay,
                    &h.trainingMove, &h.trainingSolved})
        *f = nothing;
    h.openPgnFile = [](const std::string&) {};
    // Without an engine library the program still runs as a board for two players.
    h.loadEngine = [] { return true; };
    h.gameText = [this] { return positionAsPgn(m_app.position.writeFen()); };
    h.bookShortName = [this] {
        const std::string book = bookFilename(m_app.settings());
        return book.empty() ? std::string("none") : std::filesystem::path(book).filename().string();
    };

    m_commands.wire(cmd::Exit, "exitProgram", [this] { exitProgram(); });
    m_commands.wire(cmd::About, "showAbout", [this] { showAbout(); });
    m_commands.wire(cmd::Help, "showHelp", [this] { showHelp(); });
}

bool CMainFrame::startUp(const StartOptions& options, const std::function<IWindowHost*()>& createWindow,
                         const std::function<void()>& showWindow)
{
    step("program folder");
    // Files an older installation left beside the program.
    for (const char* old : {"QuillEngine.dll", "move1.wav", "move2.wav", "move3.wav", "move4.wav"}) {
        std::error_code ec;
        std::filesystem::remove(options.programFolder / old, ec);
    }
    step("older installation files");

    m_window = createWindow();
    if (!m_window)
        return false;
    m_window->setTitle(ProgramTitle);
    step("main window");

    m_hooks.prepareEngineLink();
    m_window->setTimer(timer::Display, timer::DisplayPeriod);
    step("engine link and timer 100");

    registerFileTypes(options.dataFolder, options.programPath);
    step("file types");

    if (!options.document.empty()) {
        std::string path;
        switch (classifyDocument(options.document, path)) {
        case DocumentKind::Book: m_app.settings().setString(SettingName::BookFilename, path); break;
        case DocumentKind::Pgn: m_hooks.openPgnFile(path); break;
        case DocumentKind::None:
        case DocumentKind::Other: break;
        }
    }
    step("command line");

    m_hooks.loadBoardBitmaps();
    step("board bitmaps");

    if (m_app.general.flipBoard)
        m_window->setButtonState(cmd::FlipBoard, {true, true});
    if (m_app.layoutIndex == 1) {
        m_app.layoutIndex = 0;
        onCommand(cmd::ToggleLayout);
    }
    updateToggleButton();
    step("flip and layout");

    showWindow();
    m_window->invalidateAll(true);
    m_window->update();
    step("window shown");

    m_hooks.createDatabases();
    m_window->setButtonState(cmd::TakeBack, {false, false});
    m_window->setButtonState(cmd::Forward, {false, false});
    step("databases");

    m_hooks.restoreAutosavedGame();
    step("autosaved game");

    loadLevelSettings(m_app.settings(), m_app.level);
    step("level");

    if (m_app.general.dgtPort != 0)
        m_hooks.startDgt();
    step("dgt board");

    if (!m_hooks.loadEngine())
        return false;
    m_hooks.startEngineThread();
    m_engineRunning = true;
    m_window->invalidateAll(false);
    if (m_app.general.dgtPort != 0)
        m_window->setTimer(timer::Dgt, timer::DgtPeriod);
    if (m_app.general.keepAlive)
        m_window->setTimer(timer::KeepAlive, timer::KeepAlivePeriod);
    step("engine");
    return true;
}

void CMainFrame::updateToggleButton()
{
    if (!m_window)
        return;
    const bool pressed = m_app.layoutIndex >= 0 && m_app.layoutIndex < LayoutCount &&
                         LayoutTable[static_cast<std::size_t>(m_app.layoutIndex)].togglePressed == 1;
    m_window->setButtonState(cmd::ToggleLayout, {pressed, true});
}

void CMainFrame::onPaint(CCanvas& canvas, const Rect& dirty) { m_hooks.paint(canvas, dirty); }

void CMainFrame::onHold(Point p)
{
    if (m_hooks.isOnBoard(p)) {
        m_hooks.holdOnBoard(p);
        return;
    }
    if (m_window)
        m_window->showPopupMenu(popupMenuShown(m_app.replayRunning), p);
}

void CMainFrame::onCommand(int id)
{
    // A tool button sends the command it stands for; 397 and 398 are commands themselves.
    for (const ToolButtonDef& b : toolButtonDefs())
        if (b.id == id && b.command != id) {
            m_commands.dispatch(b.command);
            return;
        }
    m_commands.dispatch(id);
}

bool CMainFrame::onKey(Key key)
{
    const auto command = acceleratorCommand(key);
    if (!command)
        return false;
    onCommand(*command);
    return true;
}

void CMainFrame::onSize(Size)
{
    if (!m_window)
        return;
    m_app.screen = m_window->screenSize();
    m_app.layoutIndex = selectLayoutIndex(m_app.layoutIndex, 0, m_app.screen.width, m_app.screen.height);
    m_hooks.createToolbarButtons();
    updateToggleButton();
    m_window->invalidateAll(true);
}

void CMainFrame::onActivate(bool active)
{
    m_active = active;
    if (active && m_restartEngineOnActivate && !m_exiting) {
        m_restartEngineOnActivate = false;
        m_hooks.startEngineThread();
        m_engineRunning = true;
    }
}

void CMainFrame::onHibernate()
{
    if (m_active || !m_engineRunning || m_exiting)
        return;
    m_hooks.tellEngineThreadToEnd();
    m_hooks.waitForEngineThread();
    m_engineRunning = false;
    m_restartEngineOnActivate = true;
}

void CMainFrame::onHelp() { m_services.help.show("Main_Contents"); }

void CMainFrame::onTimer(int id)
{
    if (!m_window)
        return;
    if (timer::isOneShot(id)) {
        // Try again on the next tick while something else has the board.
        if (m_app.animationRunning || m_app.modalDialogOpen())
            return;
        m_window->killTimer(id);
    }
    switch (id) {
    case timer::Display: m_hooks.repaintStatus(); break;
    case timer::Animation: m_hooks.animationStep(); break;
    case timer::Replay:
        if (m_app.replayRunning)
            m_hooks.replayStep();
        break;
    case timer::Dgt: m_hooks.pollDgt(); break;
    case timer::TrainingMove: m_hooks.trainingMove(); break;
    case timer::TrainingSolved: m_hooks.trainingSolved(); break;
    case timer::KeepAlive: m_services.keepAlive.poke(); break;
    default: break;
    }
}

void CMainFrame::onCloseRequest() { onCommand(cmd::Exit); }

void CMainFrame::onDrawItem(int id, CCanvas& canvas, bool pressed)
{
    if (id >= cmd::FirstToolButton && id <= cmd::LastToolButton)
        m_hooks.drawToolButton(id, canvas, pressed);
}

Answer CMainFrame::messageBox(std::string_view text, Buttons buttons, BoxIcon icon)
{
    CModalScope modal(m_app);
    return m_services.dialogs.messageBox(text, ProgramTitle, buttons, icon);
}

std::string CMainFrame::aboutDialogName() const
{
    const int row = m_app.layoutIndex;
    return (row == 3 || row == 5 || row == 10 || row == 12) ? "aboutbox240" : "aboutbox";
}

std::vector<std::string> CMainFrame::aboutLines()
{
    char hash[64];
    std::snprintf(hash, sizeof hash, "Hashsize %d KB", static_cast<int>(m_app.general.hashTableSize));
    return {"Quillmarsh 0.1, chess for pen and desktop", hash, "Chessengine " + m_app.engineName,
            "Openingbook " + m_hooks.bookShortName()};
}

void CMainFrame::showAbout()
{
    CModalScope modal(m_app);
    m_services.dialogs.infoDialog(aboutDialogName(), "About Quillmarsh", aboutLines(), Buttons::OkCancel);
}

void CMainFrame::showHelp()
{
    if (m_app.replayRunning) {
        m_hooks.stopReplay();
        m_app.replayRunning = false;
        if (m_window)
            m_window->killTimer(timer::Replay);
    }
    m_services.help.show("Main_Contents");
}

void CMainFrame::exitProgram()
{
    if (m_exiting || !m_window)
        return;
    m_exiting = true;
    m_hooks.stopReplay();
    m_app.replayRunning = false;
    m_window->killTimer(timer::Replay);
    m_app.mayPlayResult = false;
    m_hooks.stopSearch();
    m_hooks.tellEngineThreadToEnd();
    m_hooks.stopTraining();

    // The closing animation: a rectangle growing from the centre in twenty
    // steps; the game is autosaved at the step before last, so the user sees
    // the program busy while it saves.
    const Size client = m_window->clientSize();
    for (int n = 19; n >= 0; --n) {
        m_window->drawNow([&](CCanvas& c) {
            c.setPen(Pen{});
            c.setBrush(Brush{});
            c.rectangle({n * client.width / 40, n * client.height / 40, client.width - n * client.width / 40,
                         client.height - n * client.height / 40});
        });
        if (n == 1)
            m_hooks.autosave();
        m_services.clock.sleepMs(50);
    }
    finishClosing();
}

void CMainFrame::closeWithoutSaving()
{
    if (m_exiting || !m_window)
        return;
    m_exiting = true;
    m_app.setWriteSettingsAtExit(false);
    m_app.mayPlayResult = false;
    m_hooks.stopSearch();
    m_hooks.tellEngineThreadToEnd();
    finishClosing();
}

void CMainFrame::finishClosing()
{
    if (m_engineRunning) {
        m_hooks.waitForEngineThread();
        m_engineRunning = false;
    }
    m_hooks.closeDgt();
    m_window->close();
}

void CMainFrame::shutdown()
{
    m_hooks.deleteDatabases();
    if (m_window) {
        m_window->killTimer(timer::Display);
        m_window->killTimer(timer::KeepAlive);
        m_window->killTimer(timer::Dgt);
    }
    if (m_app.writesSettingsAtExit())
        saveLevelSettings(m_app.settings(), m_app.level);
}

} // namespace qm
