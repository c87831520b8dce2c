#pragma once
// CMainFrame: the main window's message handling, its timers, and the
// program's start-up and exit order, on the platform window interfaces.

#include "app/shell/AppState.h"
#include "app/shell/CommandLine.h"
#include "app/shell/CommandTable.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Sound.h"
#include "platform/System.h"
#include "platform/Window.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// Entry points of features built elsewhere. Each starts as a function that
// does nothing (or, for the queries, answers "no") until its feature sets it.
struct CShellHooks {
    // Board and status drawing into the client area.
    std::function<void(CCanvas&, const Rect&)> paint;
    std::function<void(Point)> pointerDown, pointerMove, pointerUp;
    // Whether a client point lies on the board; a hold there goes to
    // holdOnBoard (move input), elsewhere it opens the popup menu.
    std::function<bool(Point)> isOnBoard;
    std::function<void(Point)> holdOnBoard;
    std::function<void(int, CCanvas&, bool)> drawToolButton;
    // Tool buttons of the current layout row.
    std::function<void()> createToolbarButtons;
    std::function<void()> loadBoardBitmaps;
    std::function<void()> createDatabases;
    std::function<void()> deleteDatabases;
    std::function<void()> restoreAutosavedGame;
    std::function<void()> autosave;
    // Opens a PGN file named on the command line.
    std::function<void(const std::string&)> openPgnFile;
    std::function<void()> prepareEngineLink;  // callback record and the thread's events
    // Loads the engine named in the settings; false ends the program.
    std::function<bool()> loadEngine;
    std::function<void()> startEngineThread;
    std::function<void()> stopSearch;
    std::function<void()> tellEngineThreadToEnd;
    std::function<void()> waitForEngineThread;
    std::function<void()> stopTraining;
    std::function<void()> startDgt;
    std::function<void()> closeDgt;
    std::function<void()> pollDgt;
    std::function<void()> repaintStatus;
    std::function<void()> animationStep;
    std::function<void()> replayStep;
    std::function<void()> stopReplay;
    std::function<void()> trainingMove;
    std::function<void()> trainingSolved;
    // The current game as PGN text.
    std::function<std::string()> gameText;
    // The GUI book's short name for the about box.
    std::function<std::string()> bookShortName;
};

struct CShellServices {
    IDialogs& dialogs;
    IHelpViewer& help;
    IKeepAlive& keepAlive;
    IClock& clock;
    ISoundSink* sound = nullptr;  // move sounds and announcement words; none: silent
};

class CMainFrame final : public IWindowHandler {
public:
    CMainFrame(CAppState& app, CShellServices services);

    CCommandTable& commands() { return m_commands; }
    CShellHooks& hooks() { return m_hooks; }
    CAppState& app() { return m_app; }
    IWindowHost* window() { return m_window; }
    ISoundSink* sound() { return m_services.sound; }

    // Start-up steps after the application state is built and the single
    // instance is settled: `createWindow` makes the platform window (false
    // ends the program), `showWindow` shows it. Returns false when the
    // program must end (no window, no engine). Each step done is appended to
    // the trace.
    struct StartOptions {
        std::filesystem::path programFolder;
        std::filesystem::path programPath;
        std::filesystem::path dataFolder;  // where file types are registered
        std::string document;              // from the command line
    };
    bool startUp(const StartOptions& options, const std::function<IWindowHost*()>& createWindow,
                 const std::function<void()>& showWindow);
    const std::vector<std::string>& trace() const { return m_trace; }

    // Work after the event loop has ended.
    void shutdown();
    bool exiting() const { return m_exiting; }

    // The message box under the program's title, with the modal flag set.
    Answer messageBox(std::string_view text, Buttons buttons = Buttons::Ok, BoxIcon icon = BoxIcon::None);
    // The three lines of the about box.
    std::vector<std::string> aboutLines();
    // The about box's template for the current layout row.
    std::string aboutDialogName() const;

    // The desktop's memory-pressure notice, where one exists (the handheld's
    // hibernate message): ignored in the foreground, else ends the engine
    // thread and marks it for restart on the next activation.
    void onHibernate();
    bool engineEndedByHibernate() const { return m_restartEngineOnActivate; }

    // IWindowHandler
    void onPaint(CCanvas& canvas, const Rect& dirty) override;
    void onPointerDown(Point p) override { m_hooks.pointerDown(p); }
    void onPointerMove(Point p) override { m_hooks.pointerMove(p); }
    void onPointerUp(Point p) override { m_hooks.pointerUp(p); }
    void onHold(Point p) override;
    void onCommand(int id) override;
    bool onKey(Key key) override;
    void onSize(Size client) override;
    void onActivate(bool active) override;
    void onHelp() override;
    void onTimer(int id) override;
    void onCloseRequest() override;
    void onDrawItem(int id, CCanvas& canvas, bool pressed) override;

    // The commands built here.
    void exitProgram();
    // Closes the window at once, without the closing animation, the autosave
    // or the settings (a run that only looked, such as a screenshot).
    void closeWithoutSaving();
    void showAbout();
    void showHelp();

private:
    void step(const std::string& name) { m_trace.push_back(name); }
    void updateToggleButton();
    // Waits for the engine thread, closes the DGT board and the window.
    void finishClosing();

    CAppState& m_app;
    CShellServices m_services;
    IWindowHost* m_window = nullptr;
    CCommandTable m_commands;
    CShellHooks m_hooks;
    std::vector<std::string> m_trace;
    bool m_exiting = false;
    bool m_active = true;
    bool m_restartEngineOnActivate = false;
    bool m_engineRunning = false;
};

// The program's title and product line.
inline constexpr const char* ProgramTitle = "Quillmarsh";

} // namespace qm
