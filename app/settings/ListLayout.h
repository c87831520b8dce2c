#pragma once
// Storing the column layout of a report-style list under one IntList value:
// [count, order0, width of column order0, order1, width of column order1, ...].

#include "app/settings/Settings.h"

#include <string_view>
#include <vector>

namespace qm {

// What the layout code needs of a list with columns; the window layer
// implements it over its list widget.
class IListColumns {
public:
    virtual ~IListColumns() = default;
    // The column shown at each position, left to right; false when the list
    // cannot tell (the identity order is used then).
    virtual bool columnOrder(std::vector<int>& order) const = 0;
    virtual int columnWidth(int column) const = 0;
    virtual void setColumnWidth(int column, int width) = 0;
    // order is a permutation of 0..count-1.
    virtual void setColumnOrder(const std::vector<int>& order) = 0;
};

void saveListLayout(CSettings& settings, std::string_view name, const IListColumns& list, int columnCount);
// Leaves the list as built when nothing usable is stored or the stored count
// differs from columnCount.
void loadListLayout(CSettings& settings, std::string_view name, IListColumns& list, int columnCount);

} // namespace qm
