#pragma once
// The screens the program draws, and how one is chosen for a desktop.

#include "platform/Geometry.h"

#include <optional>
#include <string_view>
#include <vector>

namespace qm {

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
