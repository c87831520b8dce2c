#pragma once
// The one command table: every command id of the menus, buttons and
// accelerators, and the handler it goes to.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class CCommandTable {
public:
    struct Entry {
        int id;
        std::string handlerName;  // "notBuiltYet..." until its feature wires it
        std::function<void()> handler;
    };

    // Every command id, each going to a handler that does nothing and is
    // named for the feature that is not built yet.
    CCommandTable();

    // Runs the command's handler; false (and nothing done) for an id that is
    // not in the table.
    bool dispatch(int id) const;
    // Gives a command its handler; false for an id that is not in the table.
    bool wire(int id, std::string_view handlerName, std::function<void()> handler);
    bool contains(int id) const { return find(id) != nullptr; }
    const Entry* find(int id) const;
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace qm
