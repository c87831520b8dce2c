#pragma once
// The browsing state shared by the database dialogs: the filter criteria,
// the filtered list, the selected game and row, and the game last read for
// the "Info" and "Moves" pages. The list shown is the filtered list while
// the filter switch is on, and the entries of the database otherwise.
//
// The settings store is the master copy of the criteria: runFilter reloads
// them every time, so a change reaches the filter through
// saveFilterCriteria only.

#include "database/Database.h"
#include "database/DatabaseEntry.h"
#include "database/SearchFilter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class CGame;
class CSettings;

// The criteria's value names in the settings store, in their saving order.
namespace FilterSetting {
inline constexpr const char* White = "IDC_CBFINDWHITE";
inline constexpr const char* Black = "IDC_CBFINDBLACK";
inline constexpr const char* Event = "IDC_CBFINDEVENT";
inline constexpr const char* YearFrom = "IDC_CBFINDYEARFROM";
inline constexpr const char* YearTo = "IDC_CBFINDYEARTO";
inline constexpr const char* Eco = "IDC_CBFINDECO";
inline constexpr const char* IgnoreColour = "IDC_CBIGNORECOLOR";
inline constexpr const char* WhiteWins = "IDC_CBWIN";
inline constexpr const char* Draws = "IDC_CBDRAW";
inline constexpr const char* BlackWins = "IDC_CBLOSS";
inline constexpr const char* Unfinished = "IDC_CBLINE";
inline constexpr const char* Switch = "IDC_CBFIND";
} // namespace FilterSetting

class CBrowsingState {
public:
    struct MoveResult {
        bool changed = false;
        bool wrapped = false;
    };

    CBrowsingState();
    ~CBrowsingState();

    // The six texts and five flags keep their values when nothing is
    // stored; the switch is on only when stored and not 0.
    void loadFilterCriteria(CSettings& settings);
    // Writes the criteria, not the switch.
    void saveFilterCriteria(CSettings& settings) const;
    // Reloads the criteria, filters the database and repairs the selection.
    void runFilter(CSettings& settings, const CDatabase& database);
    // After the database was opened, closed or rewritten.
    void refreshDatabaseView(CSettings& settings, const CDatabase& database);
    // Moves the selection by (target - selected game) rows of the list
    // shown, wrapping at both ends.
    MoveResult moveSelection(const CDatabase& database, std::int32_t target);

    const std::vector<CDatabaseEntry>& shownList(const CDatabase& database) const
    {
        return filterOn ? filtered : database.entries();
    }

    CSearchFilter criteria;     // the current criteria
    CSearchFilter pageCopy;     // taken when the "Find" page becomes active
    bool filterOn = false;
    std::vector<CDatabaseEntry> filtered;
    std::int32_t selectedRow = -1;
    std::int32_t selectedGame = -1;
    std::int32_t rememberedRow = -1;
    std::unique_ptr<CGame> cachedGame;
};

} // namespace qm
