#include "app/shell/ScreenLayouts.h"

#include <algorithm>
#include <charconv>

namespace qm {

const std::vector<Size>& supportedScreens()
{
    static const std::vector<Size> screens = {{480, 640}, {240, 320}, {640, 480},
                                              {320, 240}, {480, 480}, {240, 240}};
    return screens;
}

Size defaultScreen(Size desktop)
{
    for (const Size s : supportedScreens())
        if (s.height > s.width && s.width <= desktop.width && s.height <= desktop.height)
            return s;
    return {240, 320};
}

int scaleFactorFor(Size screen, Size desktop)
{
    if (screen.width <= 0 || screen.height <= 0)
        return 1;
    return std::max(1, std::min(desktop.width / screen.width, desktop.height / screen.height));
}

std::optional<Size> parseScreenSize(std::string_view text)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    Size s;
    const auto w = text.substr(0, x), h = text.substr(x + 1);
    const auto r1 = std::from_chars(w.data(), w.data() + w.size(), s.width);
    const auto r2 = std::from_chars(h.data(), h.data() + h.size(), s.height);
    if (w.empty() || h.empty() || r1.ec != std::errc() || r1.ptr != w.data() + w.size() ||
        r2.ec != std::errc() || r2.ptr != h.data() + h.size())
        return std::nullopt;
    if (s.width < 100 || s.height < 100 || s.width > 4096 || s.height > 4096)
        return std::nullopt;
    return s;
}

} // namespace qm
