#pragma once
// The part of the scripted driver that is the same on every platform: pen
// input, keys and commands go to the main frame as the window would send
// them; printing and settings read the application state.

#include "app/shell/MainFrame.h"
#include "app/shell/Script.h"

namespace qm {

class CShellScriptTarget : public IScriptTarget {
public:
    explicit CShellScriptTarget(CMainFrame& frame) : m_frame(frame) {}

    void tap(Point p) override;
    void drag(Point from, Point to) override;
    void hold(Point p) override;
    void key(Key k) override;
    void command(int id) override;
    std::string fen() override;
    std::string pgn() override;
    std::string status() override;
    std::string title() override;
    bool setSetting(const std::string& name, const std::string& value, std::string& error) override;
    void quit() override { m_frame.onCommand(40001); }

protected:
    // Before pen input, a key or a command: what the last input left open on
    // the screen and would take the pen (a popup menu) is closed.
    virtual void beforeInput() {}
    // Lets the window process what the input caused (painting, timers due now).
    virtual void settle() = 0;
    CMainFrame& m_frame;
};

// The current position as a PGN game without moves (the game record, once it
// exists, prints the whole game instead).
std::string positionAsPgn(const std::string& fen);

// Changes one general setting in memory, by its stored name, with the range
// rules the settings store applies when reading. False for an unknown name
// or a value of the wrong kind.
bool setGeneralSetting(CGeneralSettings& general, const std::string& name, const std::string& value,
                       std::string& error);

} // namespace qm
