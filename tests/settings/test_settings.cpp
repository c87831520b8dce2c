#include "app/settings/GeneralSettings.h"
#include "app/settings/ListLayout.h"
#include "app/settings/RegistrySettings.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace qm;
using namespace std::string_literals;

namespace {

// A fresh folder per test, removed afterwards.
class SettingsStore : public ::testing::Test {
protected:
    CRegistrySettings store() { return CRegistrySettings(root, CRegistrySettings::SettingsKey); }
    void writeFile(const std::string& text)
    {
        auto s = store();
        fs::create_directories(s.filePath().parent_path());
        std::ofstream(s.filePath(), std::ios::binary) << text;
    }
    std::string readFile()
    {
        std::ifstream in(store().filePath(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    test::CTempDir temp{"qm-settings"};
    const fs::path root = temp.path();
};

} // namespace

TEST(ListEncoding, BoolList)
{
    const bool flags[] = {true, false, true};
    EXPECT_EQ(encodeBoolList(3, flags), "101");
    struct Case {
        const char* text;
        std::size_t capacity;
        std::vector<bool> expected;
    } cases[] = {
        {"101", 8, {true, false, true}},
        {"1x0", 8, {true, false}},
        {"1101", 2, {true, true}},
        {"", 4, {}},
        {"2a ", 4, {}},
    };
    for (const auto& c : cases) {
        bool out[8] = {};
        std::size_t n = decodeBoolList(c.text, c.capacity, out);
        ASSERT_EQ(n, c.expected.size()) << c.text;
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_EQ(out[i], c.expected[i]) << c.text << " #" << i;
    }
}

TEST(ListEncoding, IntList)
{
    const std::int32_t values[] = {12, 34, 56, 0};
    EXPECT_EQ(encodeIntList(4, values), "12,34,56,0");
    const std::int32_t withNegative[] = {-5, 7, -1, 9};
    EXPECT_EQ(encodeIntList(4, withNegative), "7,9");
    struct Case {
        const char* text;
        std::size_t capacity;
        std::vector<std::int32_t> expected;
    } cases[] = {
        {"12,34,56", 2, {12, 34}},
        {"12,34,56", 8, {12, 34, 56}},
        {"0", 8, {0}},
        {"a1b22", 8, {1, 22}},
        // The character after a run is skipped: "3" follows the skipped ",".
        {"1,,3", 8, {1, 3}},
        {"-4", 8, {4}},
        {"99999999999,1", 8, {2147483647, 1}},
        {"", 8, {}},
    };
    for (const auto& c : cases) {
        std::int32_t out[8] = {};
        std::size_t n = decodeIntList(c.text, c.capacity, out);
        ASSERT_EQ(n, c.expected.size()) << c.text;
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_EQ(out[i], c.expected[i]) << c.text << " #" << i;
    }
}

TEST(ListEncoding, StringList)
{
    const std::string texts[] = {"a", "b", "say \"hi\""};
    EXPECT_EQ(encodeStringList(2, texts), "\"a\",\"b\"");
    // A quote cannot be encoded; it must not split the text on reading.
    std::string encoded = encodeStringList(3, texts);
    std::string back[4];
    ASSERT_EQ(decodeStringList(encoded, 4, back), 3u);
    EXPECT_EQ(back[2], "say 'hi'");
    struct Case {
        const char* text;
        std::size_t capacity;
        std::vector<std::string> expected;
    } cases[] = {
        {"\"a\",\"b\"", 4, {"a", "b"}},
        {"\"a\",\"b", 4, {"a", "b"}},
        {"\"a\",\"b\",\"c\"", 2, {"a", "b"}},
        {"\"\"", 4, {""}},
        {"no quotes", 4, {}},
    };
    for (const auto& c : cases) {
        std::string out[4];
        std::size_t n = decodeStringList(c.text, c.capacity, out);
        ASSERT_EQ(n, c.expected.size()) << c.text;
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_EQ(out[i], c.expected[i]) << c.text << " #" << i;
    }
}

TEST_F(SettingsStore, KeyPathIsOneFileUnderTheRoot)
{
    EXPECT_EQ(store().filePath(), root / "software" / "Brindlewick" / "Quillmarsh" / "Settings.conf");
    // A component cannot climb out of the root.
    CRegistrySettings odd(root, "..\\x/./y");
    EXPECT_EQ(odd.filePath(), root / "%2e." / "x" / "%2e" / "y.conf");
}

TEST_F(SettingsStore, EveryTypeRoundTrips)
{
    auto s = store();
    std::string bytes("a\"b\\c\n\r\t\x01\xff", 10);
    s.setInt("Int", -123456);
    s.setDouble("Double", -0.1);
    s.setDouble("Huge", 1e300);
    s.setString("String", bytes);
    s.setString("Empty", "");
    s.setBinary("Binary", "\x00\x01\xfe", 3);
    s.setBool("Bool", true);
    s.setWideString("Default", u"Quillmarsh \u00e9\U0001F600");
    const bool flags[] = {true, false};
    s.setBoolList("Flags", 2, flags);

    auto r = store();
    std::int32_t i = 0;
    double d = 0;
    std::string text;
    bool b = false;
    EXPECT_TRUE(r.getInt("Int", i));
    EXPECT_EQ(i, -123456);
    EXPECT_TRUE(r.getDouble("Double", d));
    EXPECT_EQ(d, -0.1);
    EXPECT_TRUE(r.getDouble("Huge", d));
    EXPECT_EQ(d, 1e300);
    EXPECT_TRUE(r.getString("String", text));
    EXPECT_EQ(text, bytes);
    EXPECT_TRUE(r.getString("Empty", text));
    EXPECT_EQ(text, "");
    char buffer[8];
    std::size_t size = sizeof buffer;
    EXPECT_TRUE(r.getBinary("Binary", buffer, size));
    EXPECT_EQ(std::string(buffer, size), std::string("\x00\x01\xfe", 3));
    EXPECT_TRUE(r.getBool("Bool", b));
    EXPECT_TRUE(b);
    std::u16string wide;
    EXPECT_TRUE(r.getWideString("Default", wide));
    EXPECT_EQ(wide, u"Quillmarsh \u00e9\U0001F600");
    bool back[4];
    std::size_t count = 4;
    EXPECT_TRUE(r.getBoolList("Flags", count, back));
    EXPECT_EQ(count, 2u);

    // The file is for people too.
    std::string file = readFile();
    EXPECT_NE(file.find("Int = int -123456\n"), std::string::npos) << file;
    EXPECT_NE(file.find("String = string \"a\\\"b\\\\c\\n\\r\\t\\x01\\xff\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Binary = binary 0001fe\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Flags = string \"10\"\n"), std::string::npos) << file;
    // Nothing but the file stays behind.
    int others = 0;
    for (auto& e : fs::directory_iterator(store().filePath().parent_path()))
        others += e.path() != store().filePath();
    EXPECT_EQ(others, 0);
}

TEST_F(SettingsStore, FailedGetsLeaveTheOutputAlone)
{
    auto s = store();
    std::int32_t i = 7;
    std::string text = "keep";
    double d = 2.5;
    EXPECT_FALSE(s.getInt("Missing", i)); // no file at all
    s.setString("Text", "5");
    s.setInt("Number", 5);
    s.setString("Long", std::string(1024, 'x'));
    s.setString("JustFits", std::string(1023, 'y'));
    s.setBinary("Big", "123456789", 9);
    EXPECT_FALSE(s.getInt("Missing", i));
    EXPECT_FALSE(s.getInt("Text", i));
    EXPECT_FALSE(s.getString("Number", text));
    EXPECT_FALSE(s.getDouble("Text", d));
    EXPECT_FALSE(s.getString("Long", text));
    EXPECT_EQ(i, 7);
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(d, 2.5);
    EXPECT_TRUE(s.getString("JustFits", text));
    EXPECT_EQ(text.size(), 1023u);
    char small[4] = {'a', 'b', 'c', 'd'};
    std::size_t size = sizeof small;
    EXPECT_FALSE(s.getBinary("Big", small, size));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(small[0], 'a');
}

TEST_F(SettingsStore, DoubleListsAreNotSupported)
{
    auto s = store();
    const double values[] = {1.5, 2.5};
    s.setDoubleList("Doubles", 2, values);
    EXPECT_FALSE(fs::exists(s.filePath()));
    double out[2] = {9, 9};
    std::size_t count = 2;
    s.setString("Doubles", "1,2");
    EXPECT_FALSE(s.getDoubleList("Doubles", count, out));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[0], 9);
}

TEST_F(SettingsStore, DamagedFileLosesOnlyWhatIsDamaged)
{
    const std::string good = "Good = int 42\nName = string \"Carlsen\"\n";
    struct Case {
        const char* what;
        std::string text;
        std::int32_t good; // expected value of Good, 0 when unreadable
        const char* name;  // expected value of Name
        int kept;          // lines of Good and Name that the clean file keeps
        bool damaged = true; // a copy of the damaged file is kept
    } cases[] = {
        {"intact", good, 42, "Carlsen", 2, false},
        {"cut short in a string", "Good = int 42\nName = string \"Carl", 42, "", 1},
        {"cut short in a number", "Name = string \"Carlsen\"\nGood = int 4", 0, "Carlsen", 1},
        {"binary junk between", "Good = int 42\n\x00\xff\x13junk\x80\n\x7f\x01 = = int\nName = string \"Carlsen\"\n"s, 42,
         "Carlsen", 2},
        {"junk glued to a line", "Good = int 42zz\nName = string \"Carlsen\" trailing\n", 0, "", 0},
        {"duplicate names", "Good = int 1\nName = string \"Carlsen\"\nGood = int 42\n", 42, "Carlsen", 2, false},
        {"wrong type", "Good = string \"42\"\nName = string \"Carlsen\"\n", 0, "Carlsen", 2, false},
        {"unknown type", "Good = float 42\nName = string \"Carlsen\"\n", 0, "Carlsen", 1},
        {"out of range", "Good = int 99999999999\nName = string \"Carlsen\"\n", 0, "Carlsen", 1},
        {"bad escape", "Good = int 42\nName = string \"Carl\\qsen\"\n", 42, "", 1},
        {"windows line ends", "Good = int 42\r\nName = string \"Carlsen\"\r\n", 42, "Carlsen", 2, false},
        {"comments and blanks", "# hand-edited\n\n   Good   =   int   42  \nName = string \"Carlsen\"\n", 42,
         "Carlsen", 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(c.text);
        auto s = store();
        std::int32_t value = 0;
        s.getInt("Good", value);
        EXPECT_EQ(value, c.good);
        std::string name;
        s.getString("Name", name);
        EXPECT_EQ(name, c.name);
        // The next write saves a clean file with what could be read.
        s.setInt("Other", 1);
        std::string clean = readFile();
        std::istringstream lines(clean);
        std::string line;
        int valueLines = 0;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            ++valueLines;
            EXPECT_TRUE(line.starts_with("Good = ") || line.starts_with("Name = string ") || line == "Other = int 1")
                << line;
        }
        EXPECT_EQ(valueLines, 1 + c.kept) << clean;
        // What was lost can still be found in the damaged file kept beside it.
        const fs::path damaged = s.filePath().string() + ".damaged";
        EXPECT_EQ(fs::exists(damaged), c.damaged);
        fs::remove(damaged);
        fs::remove(s.filePath());
    }
}

TEST_F(SettingsStore, FirstStartGivesDefaultsAndWritesTheCheckBoxes)
{
    auto s = store();
    CGeneralSettings loaded;
    loaded.autoAnswer = 0;
    loaded.hashTableSize = 1;
    loaded.engineName = "stale";
    loadSettings(s, loaded);
    CGeneralSettings defaults;
    EXPECT_EQ(loaded.autoAnswer, 1);
    EXPECT_EQ(loaded.hashTableSize, 64);
    EXPECT_EQ(loaded.squares, SquareTexture::Cherry);
    EXPECT_EQ(loaded.engineName, "");
    for (const char* name : {"IDC_CBGAMETAGS", "IDC_CBGAMECOMMENTS", "IDC_CBGAMEVARIATIONS", "IDC_CBTAGS",
                             "IDC_CBCOMMENTS", "IDC_CBVARIATIONS"}) {
        std::int32_t v = 0;
        EXPECT_TRUE(s.getInt(name, v)) << name;
        EXPECT_EQ(v, 1) << name;
    }
    // A stored check box is left as it is.
    s.setInt("IDC_CBTAGS", 0);
    loadSettings(s, loaded);
    std::int32_t v = 5;
    s.getInt("IDC_CBTAGS", v);
    EXPECT_EQ(v, 0);
}

TEST_F(SettingsStore, LoadingRulesForStoredValues)
{
    struct Case {
        const char* name;
        std::int32_t stored;
        std::int32_t CGeneralSettings::*number;
        std::uint8_t CGeneralSettings::*flag;
        std::int32_t expected;
    } cases[] = {
        {"IDC_CBPIECESET", 7, &CGeneralSettings::pieceSet, nullptr, 0},
        {"IDC_CBPIECESET", 5, &CGeneralSettings::pieceSet, nullptr, 5},
        {"IDC_CBPIECESET", -1, &CGeneralSettings::pieceSet, nullptr, 0},
        {"IDM_SIZE_BOARD", 14, &CGeneralSettings::boardSize, nullptr, 0},
        {"IDM_SIZE_BOARD", 13, &CGeneralSettings::boardSize, nullptr, 13},
        {"IDM_SIZE_BOARD", -2, &CGeneralSettings::boardSize, nullptr, 0},
        {"IDC_CBHASHTABLESIZE", 4096, &CGeneralSettings::hashTableSize, nullptr, 4096},
        {"IDC_STREPLAY_SECONDS", 99, &CGeneralSettings::replaySeconds, nullptr, 99},
        {"IDC_CBDGT", 3, &CGeneralSettings::dgtPort, nullptr, 3},
        {"IDC_CBCOACH", 5, nullptr, &CGeneralSettings::coach, 1},
        {"IDC_CBAUTOANSWER", 0, nullptr, &CGeneralSettings::autoAnswer, 0},
        {"IDM_FLIP_BOARD", -1, nullptr, &CGeneralSettings::flipBoard, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + std::to_string(c.stored));
        auto s = store();
        s.setInt(c.name, c.stored);
        CGeneralSettings loaded;
        loadSettings(s, loaded);
        EXPECT_EQ(c.number ? loaded.*c.number : loaded.*c.flag, c.expected);
        fs::remove(s.filePath());
    }
    struct Square {
        std::int32_t code;
        SquareTexture texture;
    } squares[] = {
        {0, SquareTexture::Brown},       {1, SquareTexture::Slate},     {2, SquareTexture::RedMarble},
        {3, SquareTexture::GreenMarble}, {4, SquareTexture::BlueMarble}, {5, SquareTexture::Maple},
        {6, SquareTexture::Cherry},      {7, SquareTexture::Oak},       {8, SquareTexture::BlackMarble},
        {9, SquareTexture::LightBlueMarble}, {10, SquareTexture::DarkBlueMarble}, {11, SquareTexture::Brown},
        {-3, SquareTexture::Brown},
    };
    for (const auto& c : squares) {
        auto s = store();
        s.setInt("IDC_CBSQUARES", c.code);
        CGeneralSettings loaded;
        loadSettings(s, loaded);
        EXPECT_EQ(loaded.squares, c.texture) << c.code;
    }
}

TEST_F(SettingsStore, SavedSettingsLoadBack)
{
    CGeneralSettings values;
    values.autoAnswer = 0;
    values.pondering = 1;
    values.animation = 3;
    values.replaySeconds = 12;
    values.squares = SquareTexture::DarkBlueMarble;
    values.pieceSet = 4;
    values.boardSize = 9;
    values.flipBoard = 1;
    values.engineName = "Quill \"Engine\" 1.0";
    auto s = store();
    saveSettings(s, values);
    std::int32_t v = 0;
    EXPECT_FALSE(s.getInt("IDC_CBTAGS", v)); // check boxes are written on the spot only
    EXPECT_TRUE(s.getInt("IDC_CBSQUARES", v));
    EXPECT_EQ(v, 10);
    CGeneralSettings loaded;
    loadSettings(s, loaded);
    EXPECT_EQ(loaded.autoAnswer, 0);
    EXPECT_EQ(loaded.pondering, 1);
    EXPECT_EQ(loaded.animation, 3);
    EXPECT_EQ(loaded.replaySeconds, 12);
    EXPECT_EQ(loaded.squares, SquareTexture::DarkBlueMarble);
    EXPECT_EQ(loaded.pieceSet, 4);
    EXPECT_EQ(loaded.boardSize, 9);
    EXPECT_EQ(loaded.flipBoard, 1);
    EXPECT_EQ(loaded.engineName, values.engineName);
}

TEST_F(SettingsStore, LevelAndOnTheSpotValues)
{
    auto s = store();
    CLevelSettings level;
    level.blitzSeconds = 1;
    loadLevelSettings(s, level);
    EXPECT_EQ(level.mode, 1);
    EXPECT_EQ(level.tournamentMoves[2], 40);
    EXPECT_EQ(level.tournamentSeconds[0], 600);
    EXPECT_EQ(level.blitzSeconds, 300);
    EXPECT_EQ(level.fixedPlies, 4);
    EXPECT_EQ(level.fixedSeconds, 1);
    level.tournamentSeconds[1] = 1800;
    level.blitzIncrement = 2;
    saveLevelSettings(s, level);
    std::int32_t v = 0;
    EXPECT_TRUE(s.getInt("LEVEL_TOURNAMENT_SECONDS2", v));
    EXPECT_EQ(v, 1800);
    CLevelSettings back;
    loadLevelSettings(s, back);
    EXPECT_EQ(back.blitzIncrement, 2);

    EXPECT_EQ(fs::path(bookFilename(s)).filename(), "qmbook.obk");
    EXPECT_EQ(mostRecentDatabase(s), "");
    s.setString(SettingName::BookFilename, "");
    s.setString(SettingName::MostRecentDatabase, "games.pgn");
    EXPECT_EQ(bookFilename(s), "");
    EXPECT_EQ(mostRecentDatabase(s), "games.pgn");
}

namespace {

// The list interface as the window layer will provide it, over plain arrays.
struct ColumnList : IListColumns {
    std::vector<int> order{0, 1, 2, 3, 4};
    std::vector<int> widths{50, 60, 70, 80, 90};
    bool knowsOrder = true;
    bool columnOrder(std::vector<int>& out) const override
    {
        if (knowsOrder)
            out = order;
        return knowsOrder;
    }
    int columnWidth(int column) const override { return widths.at(std::size_t(column)); }
    void setColumnWidth(int column, int width) override { widths.at(std::size_t(column)) = width; }
    void setColumnOrder(const std::vector<int>& o) override { order = o; }
};

} // namespace

TEST_F(SettingsStore, ListLayout)
{
    auto s = store();
    ColumnList shown;
    shown.order = {2, 0, 1, 4, 3};
    shown.widths = {11, 22, 33, 44, 55};
    saveListLayout(s, "IDC_GAMESLIST", shown, 5);
    std::string stored;
    s.getString("IDC_GAMESLIST", stored);
    EXPECT_EQ(stored, "5,2,33,0,11,1,22,4,55,3,44");
    ColumnList fresh;
    loadListLayout(s, "IDC_GAMESLIST", fresh, 5);
    EXPECT_EQ(fresh.order, shown.order);
    EXPECT_EQ(fresh.widths, shown.widths);

    ColumnList unknownOrder;
    unknownOrder.knowsOrder = false;
    saveListLayout(s, "Identity", unknownOrder, 5);
    s.getString("Identity", stored);
    EXPECT_EQ(stored, "5,0,50,1,60,2,70,3,80,4,90");

    struct Case {
        const char* what;
        const char* stored;
        std::vector<int> order;
        std::vector<int> widths;
    } cases[] = {
        {"count differs", "4,1,5,0,6,2,7,3,8", {0, 1, 2, 3, 4}, {50, 60, 70, 80, 90}},
        {"only the count", "5", {0, 1, 2, 3, 4}, {50, 60, 70, 80, 90}},
        {"index out of range stops", "5,1,5,7,6,0,9", {0, 1, 2, 3, 4}, {50, 5, 70, 80, 90}},
        {"incomplete: widths only", "5,4,1,3,2", {0, 1, 2, 3, 4}, {50, 60, 70, 2, 1}},
        {"repeated column: widths only", "5,1,1,1,2,0,3,2,4,3,5", {0, 1, 2, 3, 4}, {3, 2, 4, 5, 90}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        s.setString("Case", c.stored);
        ColumnList list;
        loadListLayout(s, "Case", list, 5);
        EXPECT_EQ(list.order, c.order);
        EXPECT_EQ(list.widths, c.widths);
    }
}
