#include "app/shell/Commands.h"
#include "app/shell/ShellTables.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

std::vector<std::string> texts(const Menu& m)
{
    std::vector<std::string> out;
    for (const MenuItem& i : m.items)
        out.push_back(i.isSeparator() ? "-" : i.text);
    return out;
}

TEST(ShellTables, MenusHaveTheirItemsInOrder)
{
    const auto& menus = menuBarMenus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].title, "File");
    EXPECT_EQ(menus[1].title, "Tools");
    EXPECT_EQ(menus[2].title, "?");
    EXPECT_EQ(menus[0].toolTip, "File menu");
    EXPECT_EQ(menus[1].toolTip, "Tools menu");
    EXPECT_EQ(menus[2].toolTip, "Help menu");
    EXPECT_EQ(texts(menus[0]), (std::vector<std::string>{"New game", "Game details...", "Game moves...", "-",
                                                         "Load game...", "Save game...", "Replace game...", "-",
                                                         "Select database...", "Select book...", "-", "Exit"}));
    EXPECT_EQ(texts(menus[1]),
              (std::vector<std::string>{"Levels...", "Options...", "Setup board...", "Next game", "Previous game",
                                        "-", "Comment move...", "Replay moves", "Clear hashtables"}));
    EXPECT_EQ(texts(menus[2]), (std::vector<std::string>{"Help...", "About...", "-", "Hint", "Show threat", "-",
                                                         "Training"}));
    EXPECT_EQ(texts(popupMenu()),
              (std::vector<std::string>{"New game", "Load game...", "Next game", "Previous game", "-", "Levels...",
                                        "Options...", "-", "Comment move...", "Replay moves", "Back to start",
                                        "Forward to end"}));
}

TEST(ShellTables, MenuItemsSendTheirCommands)
{
    const std::pair<const char*, int> expected[] = {
        {"New game", 40006},       {"Game details...", 40019}, {"Game moves...", 40020},
        {"Load game...", 40007},   {"Save game...", 40018},    {"Replace game...", 40004},
        {"Select database...", 40022}, {"Select book...", 40060}, {"Exit", 40001},
        {"Levels...", 40013},      {"Options...", 40012},      {"Setup board...", 40049},
        {"Next game", 40053},      {"Previous game", 40054},   {"Comment move...", 40021},
        {"Replay moves", 40010},   {"Clear hashtables", 40023}, {"Help...", 40055},
        {"About...", 40024},       {"Hint", 40041},            {"Show threat", 40050},
        {"Training", 40071},       {"Back to start", 40051},   {"Forward to end", 40052},
    };
    std::vector<Menu> all = menuBarMenus();
    all.push_back(popupMenu());
    for (const auto& [text, id] : expected) {
        int found = 0;
        for (const Menu& m : all)
            for (const MenuItem& i : m.items)
                if (i.text == text) {
                    EXPECT_EQ(i.id, id) << text;
                    ++found;
                }
        EXPECT_GE(found, 1) << text;
    }
}

TEST(ShellTables, MenuBarButtonsInOrderWithToolTips)
{
    const std::vector<std::tuple<int, std::string, bool>> expected = {
        {40038, "Take back move", false}, {40020, "Show game moves", false},  {40039, "Next move", false},
        {40016, "Move now!", false},      {40041, "Show hint move", false},   {40040, "Start analyze mode", true},
        {40015, "Toggle layout", true},   {40014, "Flip board", true},
    };
    const auto& buttons = menuBarButtons();
    ASSERT_EQ(buttons.size(), expected.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].command, std::get<0>(expected[i]));
        EXPECT_EQ(buttons[i].toolTip, std::get<1>(expected[i]));
        EXPECT_EQ(buttons[i].checkable, std::get<2>(expected[i]));
        EXPECT_EQ(buttons[i].imageIndex, static_cast<int>(i));
    }
}

TEST(ShellTables, ToolButtonsAndTheirCommands)
{
    const std::vector<std::tuple<int, std::string, int>> expected = {
        {390, "New game", 40006},  {391, "Setup position", 40049},    {392, "Load game", 40007},
        {393, "Save game", 40018}, {394, "Options", 40012},           {395, "Level", 40013},
        {396, "Start replay", 40010}, {397, "Take back 10 moves", 397}, {398, "Play next 10 moves", 398},
    };
    const auto& defs = toolButtonDefs();
    ASSERT_EQ(defs.size(), expected.size());
    for (std::size_t i = 0; i < defs.size(); ++i) {
        EXPECT_EQ(defs[i].id, std::get<0>(expected[i]));
        EXPECT_EQ(defs[i].toolTip, std::get<1>(expected[i]));
        EXPECT_EQ(defs[i].command, std::get<2>(expected[i]));
    }
}

TEST(ShellTables, AcceleratorsAndKeyNames)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"Ctrl+Q", 40001}, {"Ctrl+N", 40006}, {"Ctrl+S", 40018}, {"Left", 40038},         {"Right", 40039},
        {"Up", 398},       {"Down", 397},     {"Enter", 40016},  {"Ctrl+X", std::nullopt},
    };
    for (const auto& [name, command] : cases) {
        const auto key = keyFromName(name);
        ASSERT_TRUE(key) << name;
        EXPECT_EQ(acceleratorCommand(*key), command) << name;
    }
    for (const char* bad : {"ctrl+q", "Ctrl+", "Ctrl+1", "Escape", "", "Ctrl+QQ"})
        EXPECT_FALSE(keyFromName(bad)) << bad;
    // A plain letter, or Ctrl with an arrow, is no accelerator.
    EXPECT_FALSE(acceleratorCommand(Key{Key::Letter, 'Q', false}));
    EXPECT_FALSE(acceleratorCommand(Key{Key::Left, 0, true}));
}

TEST(ShellTables, MenuBarSizesFollowTheScreenWidth)
{
    EXPECT_EQ(menuBarHeightFor(240), 26);
    EXPECT_EQ(menuBarHeightFor(320), 26);
    EXPECT_EQ(menuBarHeightFor(480), 52);
    EXPECT_EQ(barIconSizeFor(320), 16);
    EXPECT_EQ(barIconSizeFor(640), 32);
}

} // namespace
