#pragma once
// The main window for tests: an in-memory canvas, timers run by a manual
// clock, and a record of everything the program set on the window.

#include "platform/Clock.h"
#include "platform/Window.h"

#include <map>
#include <set>

namespace qm {

class CHeadlessWindow final : public IWindowHost {
public:
    // `screen` is the handheld screen; the client area is that less the menu bar.
    CHeadlessWindow(Size screen, int menuBarHeight, CManualClock& clock);

    void setHandler(IWindowHandler* handler) { m_handler = handler; }

    // What a test does to the window.
    void tap(Point p);
    void drag(Point from, Point to);
    void hold(Point p);
    bool key(Key k);
    void command(int id);
    // Resizes the handheld screen (turning the device) and sends onSize.
    void resizeScreen(Size screen);
    // Paints the invalid region, if any. Returns whether something was painted.
    bool paint();
    // Moves the clock by ms, firing every timer that falls due, in time order
    // (equal times: lower id first), painting after each timer.
    void advance(int ms);

    CMemoryCanvas& canvas() { return m_canvas; }
    Rect invalidRect() const { return m_invalid; }
    bool lastInvalidateErased() const { return m_erase; }
    int paintCount() const { return m_paints; }
    bool isClosed() const { return m_closed; }
    int frontRequests() const { return m_front; }
    const std::vector<std::pair<Menu, Point>>& popupsShown() const { return m_popups; }
    // Period of a running timer, 0 when not running.
    int timerPeriod(int id) const;
    // Each drawNow call as a snapshot of the canvas after it.
    const std::vector<CBitmap>& directDraws() const { return m_directDraws; }
    void keepDirectDraws(bool keep) { m_keepDirect = keep; }
    int directDrawCount() const { return m_directCount; }
    Rect toolButtonRect(int id) const;
    // Draws one tool button through the handler into a canvas of its size.
    CBitmap drawToolButton(int id, bool pressed);

    // IWindowHost
    Size screenSize() const override { return m_screen; }
    Size clientSize() const override { return {m_screen.width, m_screen.height - m_bar}; }
    int menuBarHeight() const override { return m_bar; }
    void invalidate(const Rect& r, bool erase) override;
    void invalidateAll(bool erase) override;
    void update() override { paint(); }
    void drawNow(const std::function<void(CCanvas&)>& draw) override;
    void setTimer(int id, int periodMs) override;
    void killTimer(int id) override;
    bool timerRunning(int id) const override { return m_timers.count(id) != 0; }
    void setTitle(std::string_view title) override { m_title = title; }
    std::string title() const override { return m_title; }
    void setMenuChecked(int command, bool checked) override;
    bool menuChecked(int command) const override { return m_checked.count(command) != 0; }
    void setButtonState(int command, ButtonState state) override { m_buttons[command] = state; }
    ButtonState buttonState(int command) const override;
    void showPopupMenu(const Menu& menu, Point at) override { m_popups.emplace_back(menu, at); }
    void createToolButton(int id, const Rect& r, std::string_view windowText) override;
    void destroyToolButtons() override { m_toolButtons.clear(); }
    void invalidateToolButton(int id) override { ++m_toolButtonInvalidations[id]; }
    std::vector<int> toolButtons() const override;
    void bringToFront() override { ++m_front; }
    void close() override { m_closed = true; }

    // A tool button's window text and the label and tool tip shown from it.
    std::string toolButtonToolTip(int id) const;
    std::string toolButtonLabel(int id) const;
    std::string toolButtonWindowText(int id) const;
    // How often the program asked for the button to be drawn again.
    int toolButtonInvalidations(int id) const
    {
        const auto it = m_toolButtonInvalidations.find(id);
        return it == m_toolButtonInvalidations.end() ? 0 : it->second;
    }

private:
    struct Timer {
        int period = 0;
        std::uint64_t due = 0;
    };
    struct ToolButton {
        Rect rect;
        std::string windowText;
        std::string label;
        std::string toolTip;
    };

    Size m_screen;
    int m_bar;
    CManualClock& m_clock;
    IWindowHandler* m_handler = nullptr;
    CMemoryCanvas m_canvas;
    Rect m_invalid;
    bool m_erase = false;
    int m_paints = 0;
    bool m_closed = false;
    int m_front = 0;
    std::map<int, Timer> m_timers;
    std::string m_title;
    std::set<int> m_checked;
    std::map<int, ButtonState> m_buttons;
    std::vector<std::pair<Menu, Point>> m_popups;
    std::map<int, ToolButton> m_toolButtons;
    std::map<int, int> m_toolButtonInvalidations;
    std::vector<CBitmap> m_directDraws;
    bool m_keepDirect = false;
    int m_directCount = 0;
};

} // namespace qm
