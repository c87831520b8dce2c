#pragma once
// The main window as the program sees it: events in (IWindowHandler), and
// what the program asks of its window (IWindowHost). Both run on the
// user-interface thread only.

#include "platform/Canvas.h"
#include "platform/Geometry.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One item of a drop-down or popup menu; id 0 with empty text is a separator.
struct MenuItem {
    std::string text;
    int id = 0;
    bool checked = false;  // shows a check mark
    bool isSeparator() const { return id == 0 && text.empty(); }
};

struct Menu {
    std::string title;    // as shown on the menu bar
    std::string toolTip;  // of its menu-bar entry
    std::vector<MenuItem> items;
};

// A button of the menu bar: its command, tool tip and image cell in the strip.
struct BarButton {
    int command = 0;
    std::string toolTip;
    int imageIndex = 0;
    bool checkable = false;
};

struct ButtonState {
    bool checked = false;
    bool enabled = true;
    friend bool operator==(ButtonState, ButtonState) = default;
};

// Keys the window passes on; letters come with the Ctrl modifier only.
struct Key {
    enum Code { Left, Right, Up, Down, Enter, Letter } code = Enter;
    char letter = 0;  // 'A'..'Z' for Letter
    bool ctrl = false;
    friend bool operator==(Key, Key) = default;
};

// The window text of a tool-tip button: the label, "~~" and the tool tip
// ("~~New game" has no label). Without "~~" it is all label.
struct ToolButtonText {
    std::string label;
    std::string toolTip;
};
inline ToolButtonText splitToolButtonText(std::string_view windowText)
{
    const auto tildes = windowText.find("~~");
    if (tildes == std::string_view::npos)
        return {std::string(windowText), {}};
    return {std::string(windowText.substr(0, tildes)), std::string(windowText.substr(tildes + 2))};
}

class IWindowHandler {
public:
    virtual ~IWindowHandler() = default;
    // `dirty` is what needs painting, in client pixels; the canvas is the
    // whole client area and is clipped to `dirty`.
    virtual void onPaint(CCanvas& canvas, const Rect& dirty) = 0;
    virtual void onPointerDown(Point p) = 0;
    virtual void onPointerMove(Point p) = 0;
    virtual void onPointerUp(Point p) = 0;
    // Press-and-hold of the pen (or the right button) at a client point.
    virtual void onHold(Point p) = 0;
    virtual void onCommand(int id) = 0;
    // True when the key was taken (an accelerator).
    virtual bool onKey(Key key) = 0;
    virtual void onSize(Size client) = 0;
    virtual void onActivate(bool active) = 0;
    virtual void onHelp() = 0;
    virtual void onTimer(int id) = 0;
    // The desktop asks the window to close (its close button): the program
    // exits in its own order, as through its Exit command.
    virtual void onCloseRequest() = 0;
    // Draws one owner-drawn tool button (ids 390..398) into `canvas`, whose
    // surface is the button's own size.
    virtual void onDrawItem(int id, CCanvas& canvas, bool pressed) = 0;
};

class IWindowHost {
public:
    virtual ~IWindowHost() = default;

    // The handheld screen the program draws: client area plus menu bar.
    virtual Size screenSize() const = 0;
    virtual Size clientSize() const = 0;
    virtual int menuBarHeight() const = 0;

    virtual void invalidate(const Rect& r, bool erase) = 0;
    virtual void invalidateAll(bool erase) = 0;
    // Paints what is invalid now, instead of at the next turn of the loop.
    virtual void update() = 0;
    // Draws straight onto the window, outside a paint (the closing animation),
    // and shows the result at once.
    virtual void drawNow(const std::function<void(CCanvas&)>& draw) = 0;

    // A repeating timer: onTimer(id) every periodMs until killed; setting a
    // running id restarts it with the new period.
    virtual void setTimer(int id, int periodMs) = 0;
    virtual void killTimer(int id) = 0;
    virtual bool timerRunning(int id) const = 0;

    virtual void setTitle(std::string_view title) = 0;
    virtual std::string title() const = 0;

    // Menu items and menu-bar buttons are addressed by command id.
    virtual void setMenuChecked(int command, bool checked) = 0;
    virtual bool menuChecked(int command) const = 0;
    virtual void setButtonState(int command, ButtonState state) = 0;
    virtual ButtonState buttonState(int command) const = 0;
    virtual void showPopupMenu(const Menu& menu, Point at) = 0;

    // Owner-drawn child buttons of the client area. `windowText` is the
    // label, two tildes and the tool tip (splitToolButtonText).
    virtual void createToolButton(int id, const Rect& r, std::string_view windowText) = 0;
    virtual void destroyToolButtons() = 0;
    virtual void invalidateToolButton(int id) = 0;
    virtual std::vector<int> toolButtons() const = 0;

    virtual void bringToFront() = 0;
    // Closes the window; the event loop ends afterwards.
    virtual void close() = 0;
};

} // namespace qm
