#pragma once
// The fixed tables of the main window: menus, menu-bar buttons, tool
// buttons and accelerators.

#include "platform/Window.h"

#include <optional>
#include <vector>

namespace qm {

// The menu bar's three drop-down menus, in order ("File", "Tools", "?").
const std::vector<Menu>& menuBarMenus();
// The popup menu of a tap-and-hold outside the board.
const Menu& popupMenu();
// The popup menu as it opens: "Replay moves" checked while a replay runs.
Menu popupMenuShown(bool replayRunning);
// The eight menu-bar buttons in order; the last three are check buttons.
const std::vector<BarButton>& menuBarButtons();

struct ToolButtonDef {
    int id;
    const char* toolTip;  // the button's text is "~~" followed by this
    int command;
};
// Buttons 390..398 of the tool-button column.
const std::vector<ToolButtonDef>& toolButtonDefs();

// The command a key sends (the accelerator table), if any.
std::optional<int> acceleratorCommand(Key key);
// Keys by their script names: Left, Right, Up, Down, Enter, Ctrl+N, Ctrl+S,
// Ctrl+Q (and any Ctrl+letter).
std::optional<Key> keyFromName(std::string_view name);

// Height of the menu bar on a screen of the given width.
constexpr int menuBarHeightFor(int screenWidth) { return screenWidth > 320 ? 52 : 26; }
// Size of the menu-bar button images.
constexpr int barIconSizeFor(int screenWidth) { return screenWidth > 320 ? 32 : 16; }

} // namespace qm
