#pragma once
// The screens the program draws and the choice of layout row for a screen.

#include "platform/Geometry.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace qm {

// The part of a layout row that selection reads: the screen it is for, its
// mode (0 playing, 1 position editor) and its "Toggle layout" state.
struct LayoutKey {
    Size screen;
    int mode = 0;
    int togglePressed = 0;
};

inline constexpr int LayoutCount = 14;
// Rows 0..13 of the layout table.
std::span<const LayoutKey> layoutKeys();

// The first row from `start` upwards (wrapping from the last row to 0) whose
// screen and mode match; `start` itself when no row matches. A start outside
// the table counts as 0.
int selectLayoutIndex(std::span<const LayoutKey> rows, int start, int mode, Size screen);

// The six supported screens, portrait ones first from the largest.
const std::vector<Size>& supportedScreens();
// The largest supported portrait screen whose whole height (menu bar
// included) fits the desktop; the smallest portrait screen when none fits.
Size defaultScreen(Size desktop);
// The largest whole factor by which the screen fits the desktop, at least 1.
int scaleFactorFor(Size screen, Size desktop);
// "WxH" with both numbers in 100..4096; nothing for anything else.
std::optional<Size> parseScreenSize(std::string_view text);

} // namespace qm
