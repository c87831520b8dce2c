#include "app/settings/ListLayout.h"

#include <algorithm>
#include <cstdint>

namespace qm {

void saveListLayout(CSettings& settings, std::string_view name, const IListColumns& list, int columnCount)
{
    if (columnCount <= 0)
        return;
    std::vector<int> order;
    if (!list.columnOrder(order) || int(order.size()) != columnCount) {
        order.resize(std::size_t(columnCount));
        for (int i = 0; i < columnCount; ++i)
            order[std::size_t(i)] = i;
    }
    // The encoding drops negative numbers, which would shift every pair after
    // them; a negative width is stored as 0.
    std::vector<std::int32_t> values{columnCount};
    for (int column : order) {
        values.push_back(std::max(column, 0));
        values.push_back(std::max(list.columnWidth(column), 0));
    }
    settings.setIntList(name, values.size(), values.data());
}

void loadListLayout(CSettings& settings, std::string_view name, IListColumns& list, int columnCount)
{
    if (columnCount <= 0)
        return;
    std::vector<std::int32_t> values(2 * std::size_t(columnCount) + 1);
    std::size_t count = values.size();
    if (!settings.getIntList(name, count, values.data()) || count <= 1 || values[0] != columnCount)
        return;
    std::vector<int> order;
    bool orderValid = true;
    for (std::size_t i = 1; i + 1 < count; i += 2) {
        int column = values[i];
        if (column >= columnCount) {
            orderValid = false;
            break;
        }
        list.setColumnWidth(column, values[i + 1]);
        order.push_back(column);
    }
    // Only a complete permutation is a column order.
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; orderValid && i < columnCount; ++i)
        orderValid = int(sorted.size()) == columnCount && sorted[std::size_t(i)] == i;
    if (orderValid)
        list.setColumnOrder(order);
}

} // namespace qm
