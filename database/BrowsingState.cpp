#include "database/BrowsingState.h"

#include "app/settings/Settings.h"
#include "game/Game.h"

namespace qm {

namespace {

struct TextSetting {
    const char* name;
    std::string CSearchFilter::*field;
};
struct FlagSetting {
    const char* name;
    std::uint8_t CSearchFilter::*field;
};

constexpr TextSetting Texts[] = {
    {FilterSetting::White, &CSearchFilter::white},       {FilterSetting::Black, &CSearchFilter::black},
    {FilterSetting::Event, &CSearchFilter::event},       {FilterSetting::YearFrom, &CSearchFilter::yearFrom},
    {FilterSetting::YearTo, &CSearchFilter::yearTo},     {FilterSetting::Eco, &CSearchFilter::eco},
};
constexpr FlagSetting Flags[] = {
    {FilterSetting::IgnoreColour, &CSearchFilter::ignoreColour}, {FilterSetting::WhiteWins, &CSearchFilter::whiteWins},
    {FilterSetting::Draws, &CSearchFilter::draws},               {FilterSetting::BlackWins, &CSearchFilter::blackWins},
    {FilterSetting::Unfinished, &CSearchFilter::unfinished},
};

} // namespace

CBrowsingState::CBrowsingState()
{
    filtered.reserve(16);
}

CBrowsingState::~CBrowsingState() = default;

void CBrowsingState::loadFilterCriteria(CSettings& settings)
{
    for (const auto& t : Texts)
        settings.getString(t.name, criteria.*t.field);
    for (const auto& f : Flags) {
        std::int32_t value = 0;
        if (settings.getInt(f.name, value))
            criteria.*f.field = value != 0 ? 1 : 0;
    }
    filterOn = false;
    std::int32_t on = 0;
    if (settings.getInt(FilterSetting::Switch, on) && on != 0)
        filterOn = true;
}

void CBrowsingState::saveFilterCriteria(CSettings& settings) const
{
    for (const auto& t : Texts)
        settings.setString(t.name, criteria.*t.field);
    for (const auto& f : Flags)
        settings.setInt(f.name, criteria.*f.field ? 1 : 0);
}

void CBrowsingState::runFilter(CSettings& settings, const CDatabase& database)
{
    rememberedRow = -1;
    loadFilterCriteria(settings);
    filtered.clear();
    database.filter(criteria, filtered);
    const auto& entries = database.entries();
    if (filterOn && !filtered.empty()) {
        selectedRow = 0;
        for (std::size_t i = 0; i < filtered.size(); ++i) {
            if (filtered[i].number == selectedGame) {
                selectedRow = std::int32_t(i);
                break;
            }
        }
        selectedGame = filtered[std::size_t(selectedRow)].number;
    } else if (!filterOn && !entries.empty()) {
        if (selectedGame < 0 || std::size_t(selectedGame) >= entries.size())
            selectedGame = 0;
        selectedRow = selectedGame;
    } else {
        selectedRow = -1;
        selectedGame = -1;
    }
    cachedGame.reset();
}

void CBrowsingState::refreshDatabaseView(CSettings& settings, const CDatabase& database)
{
    const bool any = !database.entries().empty();
    selectedRow = any ? 0 : -1;
    selectedGame = any ? 0 : -1;
    cachedGame.reset();
    runFilter(settings, database);
}

CBrowsingState::MoveResult CBrowsingState::moveSelection(const CDatabase& database, std::int32_t target)
{
    MoveResult result;
    if (target == selectedGame)
        return result;
    const auto& shown = shownList(database);
    if (shown.empty()) {
        result.changed = selectedRow != -1 || selectedGame != -1;
        selectedRow = -1;
        selectedGame = -1;
        rememberedRow = -1;
        return result;
    }
    {
        std::int64_t row = std::int64_t(selectedRow) + (std::int64_t(target) - selectedGame);
        if (row < 0) {
            row = std::int64_t(shown.size()) - 1;
            result.wrapped = true;
        } else if (row >= std::int64_t(shown.size())) {
            row = 0;
            result.wrapped = true;
        }
        selectedRow = std::int32_t(row);
        selectedGame = shown[std::size_t(row)].number;
    }
    rememberedRow = selectedRow;
    result.changed = true;
    return result;
}

} // namespace qm
