#pragma once
// CAppState: everything the program holds for the whole run. Built before
// the main window exists and destroyed after its event loop has ended; the
// general settings are read when it is built and written when it goes.

#include "app/settings/GeneralSettings.h"
#include "app/settings/Settings.h"
#include "rules/Move.h"
#include "platform/Dialogs.h"
#include "platform/Geometry.h"
#include "rules/Position.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

class CAppState {
public:
    // Takes the settings store, reads the general settings from it and fits
    // the stored layout index to `screen`.
    CAppState(std::unique_ptr<CSettings> settings, Size screen);
    // Writes the general settings (unless writing was turned off).
    ~CAppState();
    CAppState(const CAppState&) = delete;
    CAppState& operator=(const CAppState&) = delete;

    CSettings& settings() { return *m_settings; }
    // Writes the general settings now; used by the destructor.
    void writeSettings();
    // For a run that must leave the stored settings alone.
    void setWriteSettingsAtExit(bool write) { m_writeAtExit = write; }
    bool writesSettingsAtExit() const { return m_writeAtExit; }

    // The position of the node shown, and the position editor's and DGT
    // board's working copy.
    CPosition position;
    CPosition editPosition;

    CMove lastMove = NoMove;
    CMove ponderMove = NoMove;
    CMove shownMove = NoMove;

    // In-memory copies of the general settings (the options dialogs change these).
    CGeneralSettings general;
    CLevelSettings level;

    // Board layout row in use (0..13); the flip flag and the piece set live
    // in `general` (flipBoard, pieceSet).
    int layoutIndex = 0;
    Size screen;

    // The two clocks' accumulated thinking times, milliseconds.
    std::int64_t thinkingTimeMs[2] = {0, 0};

    std::string engineName;
    std::int32_t hashSizeAskedKb = 0;
    std::int32_t hashSizeInUseKb = 0;
    std::int64_t hashMemoryLimitKb = 0;

    // What is going on. Written by one thread, polled by the other.
    std::atomic<bool> analysisMode{false};
    std::atomic<bool> mayPlayResult{false};
    std::atomic<bool> hintOrThreatRunning{false};
    std::atomic<bool> replayRunning{false};
    std::atomic<bool> trainingRunning{false};
    std::atomic<int> modalDialogs{0};  // open modal dialogs and message boxes
    std::atomic<bool> animationRunning{false};

    bool modalDialogOpen() const { return modalDialogs.load() > 0; }

private:
    std::unique_ptr<CSettings> m_settings;
    bool m_writeAtExit = true;
};

// Marks a modal dialog or message box as open for its lifetime.
class CModalScope {
public:
    explicit CModalScope(CAppState& app) : m_app(app) { ++m_app.modalDialogs; }
    ~CModalScope() { --m_app.modalDialogs; }
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;

private:
    CAppState& m_app;
};

// The dialogs as the program's features use them: each box and dialog
// marks itself open in the application state while it runs.
class CModalDialogs final : public IDialogs {
public:
    CModalDialogs(CAppState& app, IDialogs& dialogs) : m_app(app), m_dialogs(dialogs) {}

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon icon) override
    {
        CModalScope modal(m_app);
        return m_dialogs.messageBox(text, title, buttons, icon);
    }
    Answer infoDialog(std::string_view name, std::string_view title, const std::vector<std::string>& lines,
                      Buttons buttons) override
    {
        CModalScope modal(m_app);
        return m_dialogs.infoDialog(name, title, lines, buttons);
    }
    int formDialog(FormDialog& form) override
    {
        CModalScope modal(m_app);
        return m_dialogs.formDialog(form);
    }
    bool canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content) override
    {
        CModalScope modal(m_app);
        return m_dialogs.canvasDialog(dialog, content);
    }

private:
    CAppState& m_app;
    IDialogs& m_dialogs;
};

} // namespace qm
