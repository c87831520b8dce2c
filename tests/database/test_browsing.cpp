#include "app/settings/RegistrySettings.h"
#include "database/BrowsingState.h"
#include "game/Game.h"
#include "game/PgnReader.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace qm;

namespace {

// A database of five games: White names A to E, results as listed.
class Browsing : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* results[] = {"1-0", "1/2-1/2", "0-1", "1/2-1/2", "*"};
        std::ofstream out(dir / "games.pgn", std::ios::binary);
        for (int i = 0; i < 5; ++i)
            out << "[White \"" << char('A' + i) << "\"]\n[Result \"" << results[i] << "\"]\n\n1. e4 " << results[i]
                << "\n\n";
        out.close();
        ASSERT_TRUE(db.open((dir / "games.pgn").string()));
    }
    CRegistrySettings settings() { return CRegistrySettings(dir / "config", CRegistrySettings::SettingsKey); }

    test::CTempDir temp{"qm-browse"};
    const fs::path dir = temp.path();
    CPgnReader reader;
    CDatabase db{reader};
};

} // namespace

TEST_F(Browsing, CriteriaGoThroughTheSettings)
{
    auto s = settings();
    CBrowsingState state;
    state.criteria.white = "berg ";
    state.criteria.yearFrom = "1990";
    state.criteria.ignoreColour = 0;
    state.criteria.draws = 1;
    state.saveFilterCriteria(s);
    std::int32_t v = 5;
    EXPECT_TRUE(s.getInt("IDC_CBIGNORECOLOR", v));
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(s.getInt("IDC_CBFIND", v)); // the switch is not saved with them

    // After a restart the criteria come back, blanks kept.
    auto again = settings();
    CBrowsingState restarted;
    restarted.loadFilterCriteria(again);
    EXPECT_EQ(restarted.criteria, state.criteria);
    EXPECT_FALSE(restarted.filterOn);
    again.setInt("IDC_CBFIND", 7);
    again.setInt("IDC_CBWIN", 3);
    restarted.loadFilterCriteria(again);
    EXPECT_TRUE(restarted.filterOn);
    EXPECT_EQ(restarted.criteria.whiteWins, 1);

    // Missing values keep what the criteria held.
    fs::remove_all(dir / "config");
    CBrowsingState kept;
    kept.criteria.eco = "B2";
    kept.filterOn = true;
    kept.loadFilterCriteria(again);
    EXPECT_EQ(kept.criteria.eco, "B2");
    EXPECT_FALSE(kept.filterOn);
}

TEST_F(Browsing, RunFilterRepairsTheSelection)
{
    struct Case {
        const char* what;
        bool on;
        bool draws;
        std::int32_t selectedBefore;
        std::int32_t row;
        std::int32_t game;
        std::size_t filtered;
    } cases[] = {
        {"on, selected game passes", true, true, 3, 1, 3, 2},
        {"on, selected game fails: first filtered", true, true, 2, 0, 1, 2},
        {"on, nothing selected", true, true, -1, 0, 1, 2},
        {"off, in range", false, true, 4, 4, 4, 2},
        {"off, out of range", false, true, 9, 0, 0, 2},
        {"off, none selected", false, false, -1, 0, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = settings();
        s.setInt("IDC_CBFIND", c.on ? 1 : 0);
        s.setInt("IDC_CBDRAW", c.draws ? 1 : 0);
        CBrowsingState state;
        state.selectedGame = c.selectedBefore;
        state.rememberedRow = 3;
        state.cachedGame = std::make_unique<CGame>();
        state.runFilter(s, db);
        EXPECT_EQ(state.selectedRow, c.row);
        EXPECT_EQ(state.selectedGame, c.game);
        EXPECT_EQ(state.filtered.size(), c.filtered);
        EXPECT_EQ(state.rememberedRow, -1);
        EXPECT_EQ(state.cachedGame, nullptr);
    }
}

TEST_F(Browsing, EmptyIndexSelectsNothing)
{
    std::ofstream(dir / "empty.pgn").close();
    CDatabase empty(reader);
    ASSERT_TRUE(empty.open((dir / "empty.pgn").string()));
    for (int on : {0, 1}) {
        auto s = settings();
        s.setInt("IDC_CBFIND", on);
        CBrowsingState state;
        state.selectedGame = 2;
        state.refreshDatabaseView(s, empty);
        EXPECT_TRUE(state.filtered.empty());
        EXPECT_EQ(state.selectedRow, -1);
        EXPECT_EQ(state.selectedGame, -1);
        EXPECT_FALSE(state.moveSelection(empty, 0).changed);
    }
}

TEST_F(Browsing, MoveSelectionWraps)
{
    auto s = settings();
    CBrowsingState all;
    all.refreshDatabaseView(s, db);
    EXPECT_EQ(all.selectedGame, 0);
    auto r = all.moveSelection(db, -1);
    EXPECT_TRUE(r.changed);
    EXPECT_TRUE(r.wrapped);
    EXPECT_EQ(all.selectedRow, 4);
    EXPECT_EQ(all.selectedGame, 4);
    EXPECT_EQ(all.rememberedRow, 4);
    r = all.moveSelection(db, 5);
    EXPECT_TRUE(r.wrapped);
    EXPECT_EQ(all.selectedGame, 0);
    r = all.moveSelection(db, 0);
    EXPECT_FALSE(r.changed);
    r = all.moveSelection(db, 2);
    EXPECT_FALSE(r.wrapped);
    EXPECT_EQ(all.selectedRow, 2);

    // With the switch on a step of one game moves to the next filtered row.
    s.setInt("IDC_CBFIND", 1);
    s.setInt("IDC_CBDRAW", 1);
    CBrowsingState draws;
    draws.refreshDatabaseView(s, db);
    EXPECT_EQ(draws.selectedGame, 1);
    r = draws.moveSelection(db, draws.selectedGame + 1);
    EXPECT_FALSE(r.wrapped);
    EXPECT_EQ(draws.selectedRow, 1);
    EXPECT_EQ(draws.selectedGame, 3);
    r = draws.moveSelection(db, draws.selectedGame + 1);
    EXPECT_TRUE(r.wrapped);
    EXPECT_EQ(draws.selectedGame, 1);
}
