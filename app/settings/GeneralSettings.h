#pragma once
// The values the program keeps in the settings store: the general settings
// (copied into the application state at start and written back at exit),
// the level settings, the values read and written on the spot, and the
// dialog check boxes.

#include "app/settings/Settings.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace qm {

// Square textures of the board. Codes 0..7 are the stored codes of the
// original table; the three textures after them have codes of their own.
enum class SquareTexture : std::uint8_t {
    Brown = 0,
    Slate = 1,
    RedMarble = 2,
    GreenMarble = 3,
    BlueMarble = 4,
    Maple = 5,
    Cherry = 6,
    Oak = 7,
    BlackMarble = 8,
    LightBlueMarble = 9,
    DarkBlueMarble = 10,
};

// A stored code as a texture; an unknown code gives Brown.
SquareTexture squareTextureFromCode(std::int32_t code);

// The in-memory copies of the general settings, with their defaults.
// Flags are 0 or 1.
struct CGeneralSettings {
    std::uint8_t autoAnswer = 1;          // IDC_CBAUTOANSWER
    std::uint8_t coach = 0;               // IDC_CBCOACH
    std::uint8_t highlightLastMove = 1;   // IDC_CBHIGHLIGHTLASTMOVE
    std::uint8_t highlightLegalMoves = 0; // IDC_CBHIGHLIGHTLEGALMOVES
    std::uint8_t oneClick = 1;            // IDC_CBONECLICK
    std::uint8_t pondering = 0;           // IDC_CBPONDERING
    std::uint8_t guiBook = 1;             // IDC_CBGUIBOOK
    std::uint8_t scoreWhite = 0;          // IDC_CBSCOREWHITE
    std::uint8_t keepAlive = 0;           // IDC_CBKEEPALIVE
    std::int32_t hashTableSize = 64;      // IDC_CBHASHTABLESIZE, kilobytes
    std::int32_t animation = 2;           // IDC_CBANIMATION 0 off .. 3 fast
    std::int32_t announce = 0;            // IDC_CBANNOUNCE 0 off .. 3 all
    std::int32_t bookMode = 2;            // IDC_CBBOOKMODE 0 off .. 3 random
    std::int32_t variationMode = 0;       // IDC_CBVARIATIONMODE 0 ask .. 3 add line
    std::int32_t replaySeconds = 6;       // IDC_STREPLAY_SECONDS 1..99
    std::uint8_t mainLine = 1;            // IDC_CBMAINLINE
    std::uint8_t sound = 1;               // IDC_CBSOUND
    std::int32_t dgtPort = 0;             // IDC_CBDGT 0 none, 1..5 COM0..COM4
    SquareTexture squares = SquareTexture::Cherry; // IDC_CBSQUARES, code 6
    std::int32_t pieceSet = 0;            // IDC_CBPIECESET 0..5
    std::uint8_t flipBoard = 0;           // IDM_FLIP_BOARD
    std::int32_t boardSize = 0;           // IDM_SIZE_BOARD, layout index 0..13
    std::string engineName;               // IDC_CBENGINE
};

// Sets every field to its default, then to the stored value where one is
// stored (with the range rules of the piece set, board layout and square
// texture), and writes 1 for each dialog check-box value that is absent.
void loadSettings(CSettings& settings, CGeneralSettings& out);
// Writes every general setting back (not the dialog check-box values).
void saveSettings(CSettings& settings, const CGeneralSettings& values);

// The level settings, with their defaults; their meaning belongs to the
// level and clock code.
struct CLevelSettings {
    std::int32_t mode = 1;                             // LEVEL_MODE
    std::int32_t tournamentMoves[3] = {40, 40, 40};    // LEVEL_TOURNAMENT_MOVES1..3
    std::int32_t tournamentSeconds[3] = {600, 600, 600}; // LEVEL_TOURNAMENT_SECONDS1..3
    std::int32_t blitzSeconds = 300;                   // LEVEL_BLITZ_SECONDS
    std::int32_t blitzIncrement = 0;                   // LEVEL_BLITZ_INCREMENT
    std::int32_t fixedPlies = 4;                       // LEVEL_FIXED_PLIES
    std::int32_t fixedSeconds = 1;                     // LEVEL_FIXED_SECONDS
};

void loadLevelSettings(CSettings& settings, CLevelSettings& out);
void saveLevelSettings(CSettings& settings, const CLevelSettings& values);

// Names of the values read and written on the spot by their features.
namespace SettingName {
inline constexpr const char* BookFilename = "Bookfilename";
inline constexpr const char* EngineBookFilename = "EngineBookfilename";
inline constexpr const char* MostRecentDatabase = "MostRecentDatabaseFilename";
inline constexpr const char* CurrentAutosaveGame = "CurrentAutosaveGame";
inline constexpr const char* LastTrainingsDatabase = "LastTrainingsDatabase";
inline constexpr const char* LastPositionOfTraining = "LastPositionOfTraining";
inline constexpr const char* GamesList = "IDC_GAMESLIST";
// The dialog check boxes: "Info", "Comments", "Lines" of the current game's
// moves dialog and of the database game moves dialog.
inline constexpr const char* GameTags = "IDC_CBGAMETAGS";
inline constexpr const char* GameComments = "IDC_CBGAMECOMMENTS";
inline constexpr const char* GameVariations = "IDC_CBGAMEVARIATIONS";
inline constexpr const char* Tags = "IDC_CBTAGS";
inline constexpr const char* Comments = "IDC_CBCOMMENTS";
inline constexpr const char* Variations = "IDC_CBVARIATIONS";
} // namespace SettingName

// The user's documents folder: $XDG_DOCUMENTS_DIR, else $HOME/Documents.
std::filesystem::path documentsFolder();

// The book file names as stored, or the default book in the documents
// folder when none is stored; "" means no book.
std::string bookFilename(CSettings& settings);
std::string engineBookFilename(CSettings& settings);
// The database opened last, "" when none.
std::string mostRecentDatabase(CSettings& settings);

} // namespace qm
