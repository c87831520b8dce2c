#pragma once
// Renders a canvas region as text rows for readable expectations:
// '#' for `ink`, '.' for anything else.

#include "platform/Canvas.h"

#include <string>
#include <vector>

namespace qm::test {

inline std::vector<std::string> rowsOf(const CCanvas& c, const Rect& r, Rgb ink)
{
    std::vector<std::string> rows;
    for (int y = r.top; y < r.bottom; ++y) {
        std::string row;
        for (int x = r.left; x < r.right; ++x)
            row += sameRgb(c.pixel(x, y), ink) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

} // namespace qm::test
