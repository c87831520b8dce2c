// The Quillmarsh program: the shell on the Qt platform.

#include "app/settings/GeneralSettings.h"
#include "app/settings/RegistrySettings.h"
#include "app/shell/AppState.h"
#include "app/shell/BoardLink.h"
#include "engine/EngineLoader.h"
#include "app/shell/CommandLine.h"
#include "app/shell/FileTypes.h"
#include "app/shell/MainFrame.h"
#include "app/shell/ScreenLayouts.h"
#include "app/shell/ShellScriptTarget.h"
#include "app/shell/ShellTables.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/SingleInstance.h"
#include "platform/System.h"
#include "platform/alsa/AlsaSoundSink.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeepAlive.h"
#include "platform/qt/QtMainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <iostream>

using namespace qm;

namespace {

bool haveDisplay()
{
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* s = std::getenv(v); s && *s)
            return true;
    return false;
}

// Runs the event loop for ms milliseconds.
void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(std::max(0, ms), &loop, &QEventLoop::quit);
    loop.exec();
}

class CQtScriptTarget final : public CShellScriptTarget {
public:
    CQtScriptTarget(CMainFrame& frame, CQtMainWindow& window, CQtDialogs& dialogs, bool& closed)
        : CShellScriptTarget(frame), m_window(window), m_dialogs(dialogs), m_closed(closed)
    {
    }
    void answer(const DialogAnswer& a) override { m_dialogs.pushAnswer(a); }
    Menu lastPopup() override { return m_window.lastPopup(); }
    void waitMs(int ms) override { spin(ms); }
    void waitIdle() override
    {
        // Idle: no animation, no replay, no engine search; bounded so a
        // script cannot hang on a feature that never settles.
        QElapsedTimer t;
        t.start();
        CAppState& a = m_frame.app();
        spin(0);
        while ((a.animationRunning || a.replayRunning || a.hintOrThreatRunning || a.analysisMode) &&
               t.elapsed() < 60000 && !m_closed)
            spin(20);
        m_window.paintPending();
    }
    bool screenshot(const std::string& file, std::string& error) override
    {
        if (!m_window.grabScreen().save(QString::fromStdString(file), "PNG")) {
            error = "cannot write " + file;
            return false;
        }
        return true;
    }
    bool finished() override { return m_closed; }

protected:
    void beforeInput() override { m_window.closePopup(); }
    void settle() override { spin(0); }

private:
    CQtMainWindow& m_window;
    CQtDialogs& m_dialogs;
    bool& m_closed;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const CCommandLine line = CCommandLine::parse(args);
    if (line.help) {
        std::cout << usageText();
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << "quillmarsh: " << line.error << "\n" << usageText();
        return 2;
    }
    std::vector<CScriptLine> script;
    if (!line.scriptFile.empty()) {
        std::ifstream in(line.scriptFile);
        if (!in) {
            std::cerr << "quillmarsh: cannot read " << line.scriptFile << "\n";
            return 2;
        }
        std::string error;
        if (!parseScript(in, script, error)) {
            std::cerr << "quillmarsh: " << line.scriptFile << ": " << error << "\n";
            return 2;
        }
    }
    const bool driven = !line.scriptFile.empty() || !line.screenshotFile.empty();
    if (!haveDisplay()) {
        if (!driven) {
            std::cerr << "quillmarsh: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                         "Run it on a desktop, or under a virtual X server:\n"
                         "    xvfb-run -a quillmarsh\n"
                         "or without any window for checks: quillmarsh --screenshot shot.png\n";
            return 1;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarsh"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QRect desktop = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry()
                                                        : QRect(0, 0, 240, 320);
    auto settings = std::make_unique<CRegistrySettings>(CRegistrySettings::defaultRoot(), CRegistrySettings::SettingsKey);
    std::optional<Size> screen = line.screen;
    if (!screen) {
        std::string stored;
        if (settings->getString("ScreenSize", stored))
            screen = parseScreenSize(stored);
    }
    if (!screen)
        screen = defaultScreen({desktop.width(), desktop.height()});
    const int scale = driven ? 1 : scaleFactorFor(*screen, {desktop.width(), desktop.height()});

    // 1. The application state.
    CAppState app(std::move(settings), *screen);

    // 2. Single instance.
    CSingleInstance instance;
    std::string document;
    classifyDocument(line.document, document);
    if (instance.claim(CSingleInstance::defaultSocketPath(), "raise " + document) == CSingleInstance::Role::Second) {
        app.setWriteSettingsAtExit(false);
        if (driven) {
            std::cerr << "quillmarsh: another Quillmarsh is running; it was brought to the front\n";
            return 3;
        }
        return 0;
    }

    const std::filesystem::path folder = programFolder();
    CQtDialogs* dialogsPtr = nullptr;
    CQtKeepAlive keepAlive;
    CSystemClock clock;
    // The move clips are installed beside the program, in sounds/.
    CAlsaSoundSink sound(folder / "sounds");
    // The dialogs need the window as parent and the frame needs the dialogs:
    // they are made together in the window factory below.
    struct Late : IDialogs, IHelpViewer {
        CQtDialogs** d;
        Answer messageBox(std::string_view t, std::string_view ti, Buttons b, BoxIcon i) override
        {
            return (*d)->messageBox(t, ti, b, i);
        }
        Answer infoDialog(std::string_view n, std::string_view t, const std::vector<std::string>& l, Buttons b) override
        {
            return (*d)->infoDialog(n, t, l, b);
        }
        int formDialog(FormDialog& form) override { return (*d)->formDialog(form); }
        bool canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content) override
        {
            return (*d)->canvasDialog(dialog, content);
        }
        bool show(std::string_view a) override { return *d && (*d)->show(a); }
    } late;
    late.d = &dialogsPtr;
    CMainFrame frame(app, {late, late, keepAlive, clock, &sound});

    std::unique_ptr<CQtMainWindow> window;
    std::unique_ptr<CBoardLink> board;
    std::unique_ptr<CQtDialogs> dialogs;
    std::optional<CBitmap> barIcons;
    bool closed = false;
    const int bar = menuBarHeightFor(screen->width);
    const int iconSize = barIconSizeFor(screen->width);
    barIcons = CBitmap::load(folder / "bitmaps" / (iconSize == 32 ? "menubar32.png" : "menubar16.png"));

    // The engine library; its thread and searches are the engine session's.
    CSystemLoader loader;
    std::unique_ptr<CEnginePlugin> engine;
    frame.hooks().loadEngine = [&] {
        LoadFailure failure;
        std::string tried;
        if (loadEngineNamed(loader, folder.string(), app.general.engineName, engine, failure, tried) !=
            LoadResult::Loaded) {
            frame.messageBox(loadFailureMessage(tried, failure.error), Buttons::Ok, BoxIcon::Error);
            return false;
        }
        app.engineName = engine->engineName();
        window->setTitle(engineWindowTitle(app.engineName));
        return true;
    };

    CMainFrame::StartOptions options;
    options.programFolder = folder;
    options.programPath = programPath();
    options.dataFolder = userDataFolder();
    options.document = line.document;
    const bool started = frame.startUp(
        options,
        [&]() -> IWindowHost* {
            window = std::make_unique<CQtMainWindow>(*screen, scale, bar, menuBarMenus(), menuBarButtons(),
                                                     barIcons ? &*barIcons : nullptr, iconSize);
            window->setHandler(&frame);
            board = std::make_unique<CBoardLink>(frame, *window, late, clock, folder / "bitmaps");
            QObject::connect(window.get(), &CQtMainWindow::closed, &qapp, [&] {
                closed = true;
                QApplication::quit();
            });
            dialogs = std::make_unique<CQtDialogs>(window.get(), folder / "Quillmarsh.htm");
            dialogs->setUnattended(driven);
            dialogs->setScreen(scale);
            dialogsPtr = dialogs.get();
            return window.get();
        },
        [&] {
            window->show();
            frame.onSize(window->clientSize());
        });
    if (!started) {
        frame.shutdown();
        return 1;
    }

    std::unique_ptr<QSocketNotifier> notifier;
    if (instance.fd() >= 0) {
        notifier = std::make_unique<QSocketNotifier>(instance.fd(), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &qapp, [&] {
            for (const std::string& m : instance.takeMessages()) {
                window->bringToFront();
                if (m.rfind("raise ", 0) == 0 && m.size() > 6) {
                    std::string path;
                    switch (classifyDocument(m.substr(6), path)) {
                    case DocumentKind::Book: app.settings().setString(SettingName::BookFilename, path); break;
                    case DocumentKind::Pgn: frame.hooks().openPgnFile(path); break;
                    default: break;
                    }
                }
            }
        });
    }

    int status = 0;
    if (!line.screenshotFile.empty()) {
        spin(0);
        if (!window->grabScreen().save(QString::fromStdString(line.screenshotFile), "PNG")) {
            std::cerr << "quillmarsh: cannot write " << line.screenshotFile << "\n";
            status = 2;
        }
        frame.closeWithoutSaving();
    } else if (!script.empty() || !line.scriptFile.empty()) {
        CQtScriptTarget target(frame, *window, *dialogs, closed);
        QTimer::singleShot(0, &qapp, [&] {
            status = runScript(script, target, std::cout, std::cerr);
            if (!closed)
                frame.exitProgram();
        });
        QApplication::exec();
    } else {
        QApplication::exec();
    }
    frame.shutdown();
    board.reset();
    window.reset();
    return status;
}
