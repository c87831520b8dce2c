#include "app/shell/ScreenLayouts.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qm {

std::span<const LayoutKey> layoutKeys()
{
    static constexpr std::array<LayoutKey, LayoutCount> rows = {{
        {{240, 320}, 0, 0}, {{240, 320}, 0, 1}, {{240, 320}, 1, 1}, {{320, 240}, 0, 0},
        {{320, 240}, 1, 0}, {{240, 240}, 0, 0}, {{240, 240}, 1, 0}, {{480, 640}, 0, 0},
        {{480, 640}, 0, 1}, {{480, 640}, 1, 1}, {{640, 480}, 0, 0}, {{640, 480}, 1, 0},
        {{480, 480}, 0, 0}, {{480, 480}, 1, 0},
    }};
    return rows;
}

int selectLayoutIndex(std::span<const LayoutKey> rows, int start, int mode, Size screen)
{
    const int n = static_cast<int>(rows.size());
    if (n == 0)
        return start;
    if (start < 0 || start >= n)
        start = 0;
    for (int i = 0; i < n; ++i) {
        const int row = (start + i) % n;
        if (rows[row].screen == screen && rows[row].mode == mode)
            return row;
    }
    return start;
}

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
