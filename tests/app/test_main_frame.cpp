#include "ShellFixture.h"

#include "app/settings/GeneralSettings.h"
#include "app/shell/Commands.h"

#include <fstream>

using namespace qm;
using qm::test::ShellTest;

namespace {

class MainFrame : public ShellTest {
protected:
    std::vector<std::string> calls;

    // Every hook records its name into `calls`.
    void recordHooks()
    {
        CShellHooks& h = frame->hooks();
        const std::pair<const char*, std::function<void()>*> hooks[] = {
            {"prepareEngineLink", &h.prepareEngineLink},   {"loadBoardBitmaps", &h.loadBoardBitmaps},
            {"createDatabases", &h.createDatabases},       {"restoreAutosavedGame", &h.restoreAutosavedGame},
            {"startDgt", &h.startDgt},                     {"startEngineThread", &h.startEngineThread},
            {"stopSearch", &h.stopSearch},                 {"tellEngineThreadToEnd", &h.tellEngineThreadToEnd},
            {"stopTraining", &h.stopTraining},             {"autosave", &h.autosave},
            {"waitForEngineThread", &h.waitForEngineThread}, {"closeDgt", &h.closeDgt},
            {"deleteDatabases", &h.deleteDatabases},       {"createToolbarButtons", &h.createToolbarButtons},
            {"repaintStatus", &h.repaintStatus},           {"replayStep", &h.replayStep},
            {"trainingMove", &h.trainingMove},             {"trainingSolved", &h.trainingSolved},
            {"pollDgt", &h.pollDgt},                       {"animationStep", &h.animationStep},
        };
        for (const auto& [name, hook] : hooks)
            *hook = [this, n = std::string(name)] { calls.push_back(n); };
        h.loadEngine = [this] {
            calls.push_back("loadEngine");
            return true;
        };
        h.openPgnFile = [this](const std::string& p) { calls.push_back("openPgnFile " + p); };
    }
    std::vector<std::string> callsFrom(const std::string& first)
    {
        auto it = std::find(calls.begin(), calls.end(), first);
        return {it, calls.end()};
    }
};

TEST_F(MainFrame, StartUpRunsItsStepsInOrder)
{
    makeFrame();
    app->general.dgtPort = 2;
    app->general.keepAlive = 1;
    recordHooks();
    ASSERT_TRUE(start());
    EXPECT_EQ(frame->trace(),
              (std::vector<std::string>{"program folder", "older installation files", "main window",
                                        "engine link and timer 100", "file types", "command line", "board bitmaps",
                                        "flip and layout", "window shown", "databases", "autosaved game", "level",
                                        "dgt board", "engine"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"prepareEngineLink", "loadBoardBitmaps", "createToolbarButtons",
                                               "createDatabases", "restoreAutosavedGame", "startDgt", "loadEngine",
                                               "startEngineThread"}));
    EXPECT_EQ(window->title(), "Quillmarsh");
    EXPECT_EQ(window->timerPeriod(timer::Display), 250);
    EXPECT_EQ(window->timerPeriod(timer::Dgt), 150);
    EXPECT_EQ(window->timerPeriod(timer::KeepAlive), 15000);
    EXPECT_EQ(window->buttonState(cmd::TakeBack), (ButtonState{false, false}));
    EXPECT_EQ(window->buttonState(cmd::Forward), (ButtonState{false, false}));
    EXPECT_GE(window->paintCount(), 1);
}

TEST_F(MainFrame, StartUpWithoutDgtOrKeepAliveStartsNeitherTimer)
{
    makeFrame();
    recordHooks();
    ASSERT_TRUE(start());
    EXPECT_FALSE(window->timerRunning(timer::Dgt));
    EXPECT_FALSE(window->timerRunning(timer::KeepAlive));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "startDgt"), 0);
}

TEST_F(MainFrame, EngineThatCannotLoadEndsStartUp)
{
    makeFrame();
    recordHooks();
    frame->hooks().loadEngine = [] { return false; };
    EXPECT_FALSE(start());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "startEngineThread"), 0);
}

TEST_F(MainFrame, StartUpDeletesOlderInstallationFilesOnly)
{
    makeFrame();
    const auto folder = home / "program";
    std::filesystem::create_directories(folder);
    for (const char* f : {"QuillEngine.dll", "move1.wav", "move4.wav", "move5.wav", "QuillEngine.qme"})
        std::ofstream(folder / f) << "x";
    ASSERT_TRUE(start());
    for (const char* gone : {"QuillEngine.dll", "move1.wav", "move4.wav"})
        EXPECT_FALSE(std::filesystem::exists(folder / gone)) << gone;
    for (const char* kept : {"move5.wav", "QuillEngine.qme"})
        EXPECT_TRUE(std::filesystem::exists(folder / kept)) << kept;
}

TEST_F(MainFrame, FlippedBoardAndLayoutOneAtStart)
{
    {
        auto s = settingsStore();
        s->setInt("IDM_FLIP_BOARD", 1);
        s->setInt("IDM_SIZE_BOARD", 1);
    }
    makeFrame();
    std::vector<int> toggles;
    frame->commands().wire(cmd::ToggleLayout, "toggleLayout", [&] {
        toggles.push_back(app->layoutIndex);
        app->layoutIndex = 1;
    });
    ASSERT_TRUE(start());
    EXPECT_EQ(toggles, std::vector<int>{0});
    EXPECT_TRUE(window->buttonState(cmd::FlipBoard).checked);
    EXPECT_TRUE(window->buttonState(cmd::ToggleLayout).checked);
}

TEST_F(MainFrame, CommandLineBookAndPgn)
{
    const auto book = (home / "My Books" / "wide.obk").string();
    const struct {
        std::string argument;
        std::string bookSetting;  // "" when untouched
        std::string pgnOpened;
    } cases[] = {
        {"\"" + book + "\"", book, ""},
        {book, book, ""},
        {(home / "games.pgn").string(), "", (home / "games.pgn").string()},
        {(home / "notes.txt").string(), "", ""},
        {"\"\"", "", ""},
    };
    for (const auto& k : cases) {
        calls.clear();
        frame.reset();
        window.reset();
        app.reset();
        std::filesystem::remove_all(home / "config");
        makeFrame();
        recordHooks();
        ASSERT_TRUE(start(k.argument)) << k.argument;
        std::string stored;
        app->settings().getString(SettingName::BookFilename, stored);
        EXPECT_EQ(stored, k.bookSetting) << k.argument;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "openPgnFile " + k.pgnOpened), k.pgnOpened.empty() ? 0 : 1)
            << k.argument;
        app->setWriteSettingsAtExit(false);
    }
}

TEST_F(MainFrame, EveryRouteReachesItsCommand)
{
    makeFrame();
    ASSERT_TRUE(start());
    std::vector<int> reached;
    for (const auto& e : frame->commands().entries())
        frame->commands().wire(e.id, "record", [&reached, id = e.id] { reached.push_back(id); });
    auto expectReach = [&](int expected, const std::string& route) {
        ASSERT_EQ(reached.size(), 1u) << route;
        EXPECT_EQ(reached[0], expected) << route;
        reached.clear();
    };
    for (const Menu& m : menuBarMenus())
        for (const MenuItem& i : m.items)
            if (!i.isSeparator()) {
                window->command(i.id);
                expectReach(i.id, m.title + " / " + i.text);
            }
    for (const MenuItem& i : popupMenu().items)
        if (!i.isSeparator()) {
            window->command(i.id);
            expectReach(i.id, "popup / " + i.text);
        }
    for (const BarButton& b : menuBarButtons()) {
        window->command(b.command);
        expectReach(b.command, b.toolTip);
    }
    for (const ToolButtonDef& b : toolButtonDefs()) {
        window->command(b.id);
        expectReach(b.command, b.toolTip);
    }
    for (const char* k : {"Ctrl+Q", "Ctrl+N", "Ctrl+S", "Left", "Right", "Up", "Down", "Enter"}) {
        EXPECT_TRUE(window->key(*keyFromName(k)));
        expectReach(*acceleratorCommand(*keyFromName(k)), k);
    }
    EXPECT_FALSE(window->key(*keyFromName("Ctrl+X")));
    window->command(12345);
    EXPECT_TRUE(reached.empty());
}

TEST_F(MainFrame, EveryCommandIdIsInTheTableWithANamedHandler)
{
    makeFrame();
    const int ids[] = {40006, 40019, 40020, 40007, 40018, 40004, 40022, 40060, 40001, 40013, 40012,
                       40049, 40053, 40054, 40021, 40010, 40023, 40055, 40024, 40041, 40050, 40071,
                       40051, 40052, 40038, 40039, 40016, 40040, 40015, 40014, 397, 398};
    EXPECT_EQ(frame->commands().entries().size(), std::size(ids));
    for (int id : ids) {
        const auto* e = frame->commands().find(id);
        ASSERT_TRUE(e) << id;
        const bool builtHere = id == cmd::Exit || id == cmd::About || id == cmd::Help;
        EXPECT_EQ(e->handlerName.rfind("notBuiltYet", 0) == 0, !builtHere) << id << " " << e->handlerName;
    }
    EXPECT_FALSE(frame->commands().wire(4242, "x", [] {}));
    EXPECT_FALSE(frame->commands().dispatch(4242));
}

TEST_F(MainFrame, OneShotTimersWaitForAnimationAndDialogs)
{
    makeFrame();
    recordHooks();
    ASSERT_TRUE(start());
    app->replayRunning = true;
    for (const auto& [id, hook] : {std::pair{timer::Replay, "replayStep"}, std::pair{timer::TrainingMove, "trainingMove"},
                                   std::pair{timer::TrainingSolved, "trainingSolved"}}) {
        calls.clear();
        window->setTimer(id, 100);
        app->animationRunning = true;
        window->advance(250);
        EXPECT_TRUE(window->timerRunning(id)) << id;
        app->animationRunning = false;
        app->modalDialogs = 1;
        window->advance(100);
        EXPECT_TRUE(window->timerRunning(id)) << id;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), hook), 0) << id;
        app->modalDialogs = 0;
        window->advance(100);
        EXPECT_FALSE(window->timerRunning(id)) << id;
        window->advance(500);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), hook), 1) << id;
    }
    // A replay step with no replay running does nothing.
    calls.clear();
    app->replayRunning = false;
    window->setTimer(timer::Replay, 500);
    window->advance(500);
    EXPECT_FALSE(window->timerRunning(timer::Replay));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "replayStep"), 0);
}

TEST_F(MainFrame, RepeatingTimersKeepRunning)
{
    makeFrame();
    app->general.keepAlive = 1;
    app->general.dgtPort = 1;
    recordHooks();
    ASSERT_TRUE(start());
    calls.clear();
    window->advance(30000);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "repaintStatus"), 120);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "pollDgt"), 200);
    EXPECT_EQ(keepAlive.pokes(), 2);
    // Even while an animation runs.
    app->animationRunning = true;
    window->advance(250);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "repaintStatus"), 121);
}

TEST_F(MainFrame, ExitAnimatesAutosavesAtStepOneAndClosesInOrder)
{
    makeFrame({240, 320});
    recordHooks();
    ASSERT_TRUE(start());
    window->setTimer(timer::Replay, 500);
    app->replayRunning = true;
    app->mayPlayResult = true;
    window->keepDirectDraws(true);
    int drawsAtAutosave = -1;
    frame->hooks().autosave = [&] {
        calls.push_back("autosave");
        drawsAtAutosave = window->directDrawCount();
    };
    const auto before = clock.tickMs();
    calls.clear();
    window->command(cmd::Exit);
    EXPECT_EQ(calls, (std::vector<std::string>{"stopSearch", "tellEngineThreadToEnd", "stopTraining", "autosave",
                                               "waitForEngineThread", "closeDgt"}));
    EXPECT_TRUE(window->isClosed());
    EXPECT_FALSE(app->replayRunning);
    EXPECT_FALSE(app->mayPlayResult);
    EXPECT_FALSE(window->timerRunning(timer::Replay));
    EXPECT_EQ(drawsAtAutosave, 19);  // steps n = 19 .. 1 drawn
    EXPECT_EQ(clock.tickMs() - before, 20u * 50u);
    ASSERT_EQ(window->directDraws().size(), 20u);
    // Step n = 19 of a 240 x 294 client: inset 114 and 139 pixels.
    const CBitmap& first = window->directDraws()[0];
    EXPECT_EQ(first.pixel(114, 139), RgbBlack);
    EXPECT_EQ(first.pixel(125, 139), RgbBlack);
    EXPECT_EQ(first.pixel(113, 139), RgbWhite);
    EXPECT_EQ(first.pixel(117, 145), RgbWhite);  // the white brush inside
    // The last step covers the whole client area with its frame.
    const CBitmap& last = window->directDraws().back();
    EXPECT_EQ(last.pixel(0, 0), RgbBlack);
    EXPECT_EQ(last.pixel(239, 293), RgbBlack);
    // A second Exit while exiting does nothing.
    calls.clear();
    window->command(cmd::Exit);
    EXPECT_TRUE(calls.empty());
    frame->shutdown();
    EXPECT_EQ(callsFrom("deleteDatabases").size(), 1u);
    EXPECT_FALSE(window->timerRunning(timer::Display));
}

TEST_F(MainFrame, SettingsAreWrittenAtExitAndReadAtTheNextStart)
{
    makeFrame();
    ASSERT_TRUE(start());
    app->general.sound = 0;
    app->general.flipBoard = 1;
    app->general.hashTableSize = 4096;
    app->level.blitzSeconds = 180;
    window->command(cmd::Exit);
    frame->shutdown();
    frame.reset();
    window.reset();
    app.reset();

    makeFrame();
    EXPECT_EQ(app->general.sound, 0);
    EXPECT_EQ(app->general.flipBoard, 1);
    EXPECT_EQ(app->general.hashTableSize, 4096);
    EXPECT_EQ(app->level.blitzSeconds, 180);
}

TEST_F(MainFrame, AboutBoxShowsItsLinesWithTheModalFlagSet)
{
    makeFrame({320, 240});
    app->engineName = "QuillEngine 1.0";
    app->general.hashTableSize = 1024;
    app->settings().setString(SettingName::BookFilename, (home / "books" / "qmbook.obk").string());
    ASSERT_TRUE(start());
    bool modalSeen = false;
    dialogs.setOnShow([&] { modalSeen = app->modalDialogOpen(); });
    dialogs.pushAnswer(Answer::Ok);
    window->command(cmd::About);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, "aboutbox240");
    EXPECT_EQ(dialogs.shown()[0].text,
              "Quillmarsh 0.1, chess for pen and desktop\nHashsize 1024 KB\nChessengine QuillEngine 1.0\n"
              "Openingbook qmbook.obk");
    EXPECT_TRUE(modalSeen);
    EXPECT_FALSE(app->modalDialogOpen());
}

TEST_F(MainFrame, AboutBoxTemplateFollowsTheLayoutRow)
{
    makeFrame();
    for (int row = 0; row < 14; ++row) {
        app->layoutIndex = row;
        const bool small = row == 3 || row == 5 || row == 10 || row == 12;
        EXPECT_EQ(frame->aboutDialogName(), small ? "aboutbox240" : "aboutbox") << row;
    }
}

TEST_F(MainFrame, HelpOpensTheContentsAndStopsAReplay)
{
    makeFrame();
    ASSERT_TRUE(start());
    app->replayRunning = true;
    window->setTimer(timer::Replay, 500);
    window->command(cmd::Help);
    EXPECT_FALSE(app->replayRunning);
    EXPECT_FALSE(window->timerRunning(timer::Replay));
    frame->onHelp();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].kind, "help");
    EXPECT_EQ(dialogs.shown()[0].text, "Main_Contents");
    EXPECT_EQ(dialogs.shown()[1].text, "Main_Contents");
}

TEST_F(MainFrame, HoldOpensThePopupOutsideTheBoardOnly)
{
    makeFrame();
    ASSERT_TRUE(start());
    std::vector<Point> boardHolds;
    frame->hooks().isOnBoard = [](Point p) { return p.x < 240 && p.y < 240; };
    frame->hooks().holdOnBoard = [&](Point p) { boardHolds.push_back(p); };
    window->hold({10, 10});
    window->hold({10, 280});
    EXPECT_EQ(boardHolds, (std::vector<Point>{Point{10, 10}}));
    ASSERT_EQ(window->popupsShown().size(), 1u);
    EXPECT_EQ(window->popupsShown()[0].first.title, "Popup");
    EXPECT_EQ(window->popupsShown()[0].second, (Point{10, 280}));
}

TEST_F(MainFrame, TurningTheDeviceReselectsTheLayout)
{
    makeFrame({240, 320});
    ASSERT_TRUE(start());
    EXPECT_EQ(app->layoutIndex, 0);
    const std::pair<Size, int> turns[] = {
        {{320, 240}, 3}, {{240, 320}, 0}, {{480, 640}, 7}, {{640, 480}, 10}, {{480, 480}, 12}, {{240, 240}, 5},
        {{800, 600}, 5},  // no row: the index stays
    };
    for (const auto& [screen, row] : turns) {
        window->resizeScreen(screen);
        EXPECT_EQ(app->layoutIndex, row) << screen.width << "x" << screen.height;
        EXPECT_EQ(app->screen, screen);
    }
}

TEST_F(MainFrame, HibernateEndsTheEngineInTheBackgroundOnly)
{
    makeFrame();
    recordHooks();
    ASSERT_TRUE(start());
    calls.clear();
    frame->onActivate(true);
    frame->onHibernate();
    EXPECT_TRUE(calls.empty());
    frame->onActivate(false);
    frame->onHibernate();
    EXPECT_EQ(calls, (std::vector<std::string>{"tellEngineThreadToEnd", "waitForEngineThread"}));
    EXPECT_TRUE(frame->engineEndedByHibernate());
    frame->onHibernate();  // already ended: nothing more
    EXPECT_EQ(calls.size(), 2u);
    frame->onActivate(true);
    EXPECT_EQ(calls.back(), "startEngineThread");
    EXPECT_FALSE(frame->engineEndedByHibernate());
}

TEST_F(MainFrame, MessageBoxesCarryTheTitleAndTheModalFlag)
{
    makeFrame();
    ASSERT_TRUE(start());
    int depth = -1;
    dialogs.setOnShow([&] { depth = app->modalDialogs.load(); });
    dialogs.pushAnswer(Answer::Yes);
    EXPECT_EQ(frame->messageBox("Can´t start engine thread. Error #5", Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(app->modalDialogs.load(), 0);
    EXPECT_EQ(dialogs.shown()[0].title, "Quillmarsh");
    // An answer the box does not offer closes it as Escape would.
    dialogs.pushAnswer(Answer::Ok);
    EXPECT_EQ(frame->messageBox("?", Buttons::YesNo), Answer::No);
    EXPECT_EQ(frame->messageBox("?", Buttons::YesNoCancel), Answer::Cancel);
}

} // namespace
