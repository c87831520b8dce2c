#include "app/settings/GeneralSettings.h"

#include <cstdlib>

namespace qm {

namespace {

enum class Rule { Flag, Number, PieceSet, BoardSize };

// One row per value of the general settings that is a flag or a number, in
// the order of loading and saving; the square texture and the engine name
// have rules of their own and follow at their places in load/save.
struct Row {
    const char* name;
    std::uint8_t CGeneralSettings::*flag;
    std::int32_t CGeneralSettings::*number;
    Rule rule;
};

constexpr Row Rows[] = {
    {"IDC_CBAUTOANSWER", &CGeneralSettings::autoAnswer, nullptr, Rule::Flag},
    {"IDC_CBCOACH", &CGeneralSettings::coach, nullptr, Rule::Flag},
    {"IDC_CBHIGHLIGHTLASTMOVE", &CGeneralSettings::highlightLastMove, nullptr, Rule::Flag},
    {"IDC_CBHIGHLIGHTLEGALMOVES", &CGeneralSettings::highlightLegalMoves, nullptr, Rule::Flag},
    {"IDC_CBONECLICK", &CGeneralSettings::oneClick, nullptr, Rule::Flag},
    {"IDC_CBPONDERING", &CGeneralSettings::pondering, nullptr, Rule::Flag},
    {"IDC_CBGUIBOOK", &CGeneralSettings::guiBook, nullptr, Rule::Flag},
    {"IDC_CBSCOREWHITE", &CGeneralSettings::scoreWhite, nullptr, Rule::Flag},
    {"IDC_CBKEEPALIVE", &CGeneralSettings::keepAlive, nullptr, Rule::Flag},
    {"IDC_CBHASHTABLESIZE", nullptr, &CGeneralSettings::hashTableSize, Rule::Number},
    {"IDC_CBANIMATION", nullptr, &CGeneralSettings::animation, Rule::Number},
    {"IDC_CBANNOUNCE", nullptr, &CGeneralSettings::announce, Rule::Number},
    {"IDC_CBBOOKMODE", nullptr, &CGeneralSettings::bookMode, Rule::Number},
    {"IDC_CBVARIATIONMODE", nullptr, &CGeneralSettings::variationMode, Rule::Number},
    {"IDC_STREPLAY_SECONDS", nullptr, &CGeneralSettings::replaySeconds, Rule::Number},
    {"IDC_CBMAINLINE", &CGeneralSettings::mainLine, nullptr, Rule::Flag},
    {"IDC_CBSOUND", &CGeneralSettings::sound, nullptr, Rule::Flag},
    {"IDC_CBDGT", nullptr, &CGeneralSettings::dgtPort, Rule::Number},
    // IDC_CBSQUARES comes here.
    {"IDC_CBPIECESET", nullptr, &CGeneralSettings::pieceSet, Rule::PieceSet},
    {"IDM_FLIP_BOARD", &CGeneralSettings::flipBoard, nullptr, Rule::Flag},
    {"IDM_SIZE_BOARD", nullptr, &CGeneralSettings::boardSize, Rule::BoardSize},
    // IDC_CBENGINE comes last.
};
constexpr std::size_t SquaresBefore = 18; // index of IDC_CBPIECESET
constexpr const char* SquaresName = "IDC_CBSQUARES";
constexpr const char* EngineName = "IDC_CBENGINE";

constexpr const char* CheckBoxes[] = {
    SettingName::GameTags, SettingName::GameComments, SettingName::GameVariations,
    SettingName::Tags,     SettingName::Comments,     SettingName::Variations,
};

void loadRow(CSettings& settings, const Row& row, CGeneralSettings& out)
{
    const CGeneralSettings defaults;
    std::int32_t stored = 0;
    bool has = settings.getInt(row.name, stored);
    switch (row.rule) {
    case Rule::Flag:
        out.*row.flag = defaults.*row.flag;
        if (has)
            out.*row.flag = stored != 0 ? 1 : 0;
        break;
    case Rule::Number:
        out.*row.number = has ? stored : defaults.*row.number;
        break;
    case Rule::PieceSet:
        out.*row.number = defaults.*row.number;
        if (has && stored >= 0 && stored <= 5)
            out.*row.number = stored;
        break;
    case Rule::BoardSize:
        // The layout table has 14 rows; a negative index is as unusable as
        // one past the table.
        out.*row.number = defaults.*row.number;
        if (has)
            out.*row.number = stored >= 0 && stored < 14 ? stored : 0;
        break;
    }
}

} // namespace

SquareTexture squareTextureFromCode(std::int32_t code)
{
    return code >= 1 && code <= 10 ? SquareTexture(code) : SquareTexture::Brown;
}

void loadSettings(CSettings& settings, CGeneralSettings& out)
{
    const CGeneralSettings defaults;
    for (std::size_t i = 0; i < std::size(Rows); ++i) {
        if (i == SquaresBefore) {
            out.squares = defaults.squares;
            std::int32_t code = 0;
            if (settings.getInt(SquaresName, code))
                out.squares = squareTextureFromCode(code);
        }
        loadRow(settings, Rows[i], out);
    }
    out.engineName = defaults.engineName;
    settings.getString(EngineName, out.engineName);
    for (const char* name : CheckBoxes) {
        std::int32_t value = 0;
        if (!settings.getInt(name, value))
            settings.setInt(name, 1);
    }
}

void saveSettings(CSettings& settings, const CGeneralSettings& values)
{
    for (std::size_t i = 0; i < std::size(Rows); ++i) {
        if (i == SquaresBefore)
            settings.setInt(SquaresName, std::int32_t(values.squares));
        const Row& row = Rows[i];
        if (row.flag)
            settings.setInt(row.name, values.*row.flag ? 1 : 0);
        else
            settings.setInt(row.name, values.*row.number);
    }
    settings.setString(EngineName, values.engineName);
}

namespace {

std::int32_t* levelField(CLevelSettings& level, int row)
{
    switch (row) {
    case 0: return &level.mode;
    case 1: return &level.tournamentMoves[0];
    case 2: return &level.tournamentSeconds[0];
    case 3: return &level.tournamentMoves[1];
    case 4: return &level.tournamentSeconds[1];
    case 5: return &level.tournamentMoves[2];
    case 6: return &level.tournamentSeconds[2];
    case 7: return &level.blitzSeconds;
    case 8: return &level.blitzIncrement;
    case 9: return &level.fixedPlies;
    default: return &level.fixedSeconds;
    }
}

constexpr const char* LevelNames[] = {
    "LEVEL_MODE",
    "LEVEL_TOURNAMENT_MOVES1",
    "LEVEL_TOURNAMENT_SECONDS1",
    "LEVEL_TOURNAMENT_MOVES2",
    "LEVEL_TOURNAMENT_SECONDS2",
    "LEVEL_TOURNAMENT_MOVES3",
    "LEVEL_TOURNAMENT_SECONDS3",
    "LEVEL_BLITZ_SECONDS",
    "LEVEL_BLITZ_INCREMENT",
    "LEVEL_FIXED_PLIES",
    "LEVEL_FIXED_SECONDS",
};

} // namespace

void loadLevelSettings(CSettings& settings, CLevelSettings& out)
{
    out = CLevelSettings();
    for (int i = 0; i < int(std::size(LevelNames)); ++i)
        settings.getInt(LevelNames[i], *levelField(out, i));
}

void saveLevelSettings(CSettings& settings, const CLevelSettings& values)
{
    CLevelSettings copy = values;
    for (int i = 0; i < int(std::size(LevelNames)); ++i)
        settings.setInt(LevelNames[i], *levelField(copy, i));
}

std::filesystem::path documentsFolder()
{
    const char* docs = std::getenv("XDG_DOCUMENTS_DIR");
    if (docs && *docs == '/')
        return docs;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / "Documents";
}

namespace {

std::string stringOr(CSettings& settings, const char* name, std::string fallback)
{
    settings.getString(name, fallback);
    return fallback;
}

} // namespace

std::string bookFilename(CSettings& settings)
{
    return stringOr(settings, SettingName::BookFilename, (documentsFolder() / "qmbook.obk").string());
}

std::string engineBookFilename(CSettings& settings)
{
    return stringOr(settings, SettingName::EngineBookFilename, (documentsFolder() / "qmbook.obk").string());
}

std::string mostRecentDatabase(CSettings& settings)
{
    return stringOr(settings, SettingName::MostRecentDatabase, "");
}

} // namespace qm
