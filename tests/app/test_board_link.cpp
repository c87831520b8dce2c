// The board in the main frame: painted from the application state, its
// layout and flip state kept there, moves entered with the pen.
#include "ShellFixture.h"

#include "app/shell/BoardLink.h"
#include "app/shell/Commands.h"
#include "game/Game.h"

using namespace qm;
using qm::test::ShellTest;

namespace {

class BoardLink : public ShellTest {
protected:
    std::unique_ptr<CBoardLink> link;
    const std::filesystem::path bitmaps = std::filesystem::path(QM_TEST_SOURCE_DIR) / ".." / ".." / "resources" / "bitmaps";

    void startWithBoard(Size screen)
    {
        if (!std::filesystem::exists(bitmaps / "137.png"))
            GTEST_SKIP() << "no artwork in " << bitmaps;
        makeFrame(screen);
        ASSERT_TRUE(startWith([&] { link = std::make_unique<CBoardLink>(*frame, *window, dialogs, clock, bitmaps); }));
    }
    bool startWith(const std::function<void()>& afterWindow)
    {
        CMainFrame::StartOptions o;
        o.dataFolder = home / "data";
        return frame->startUp(
            o,
            [&]() -> IWindowHost* {
                window = std::make_unique<CHeadlessWindow>(app->screen, menuBarHeightFor(app->screen.width), clock);
                window->setHandler(frame.get());
                afterWindow();
                return window.get();
            },
            [&] { frame->onSize(window->clientSize()); });
    }
    // 240 x 320, "Normal" entry, no animation, "New variation" as given.
    void startForMoves(int variationMode)
    {
        startWithBoard({240, 320});
        if (!link)
            return;
        app->general.animation = 0;
        app->general.oneClick = 0;
        app->general.variationMode = variationMode;
    }
    // A move by two taps on its squares ("Normal" entry).
    void move(const char* from, const char* to)
    {
        window->tap(centreOf(from));
        window->tap(centreOf(to));
    }
    Point centreOf(const char* name)
    {
        const Rect r = link->view().squareRect(makeSquare(name[0] - 'a', name[1] - '1'));
        return {r.left + r.width() / 2, r.top + r.height() / 2};
    }
    void TearDown() override
    {
        link.reset();
        ShellTest::TearDown();
    }
};

TEST_F(BoardLink, PaintsTheBoardOfTheCurrentPosition)
{
    startWithBoard({240, 320});
    window->invalidateAll(true);
    window->paint();
    // Row 0: 30-pixel squares from the top-left corner; a8 holds a black rook on a light square.
    EXPECT_NE(window->canvas().pixel(2, 2), RgbWhite);
    EXPECT_NE(window->canvas().pixel(15, 15), window->canvas().pixel(2, 2));
    // Below the board the client area stays white.
    EXPECT_EQ(window->canvas().pixel(120, 260), RgbWhite);
}

TEST_F(BoardLink, FlipAndToggleKeepTheirStateInTheApplication)
{
    startWithBoard({240, 320});
    window->command(cmd::FlipBoard);
    EXPECT_EQ(app->general.flipBoard, 1);
    EXPECT_TRUE(link->view().flipped());
    window->command(cmd::ToggleLayout);
    EXPECT_EQ(app->layoutIndex, 1);
    EXPECT_EQ(window->toolButtons().size(), 9u);
    EXPECT_TRUE(window->buttonState(cmd::ToggleLayout).checked);
    window->command(cmd::ToggleLayout);
    EXPECT_EQ(app->layoutIndex, 0);
    EXPECT_TRUE(window->toolButtons().empty());
    // Turning the device and back.
    window->resizeScreen({320, 240});
    EXPECT_EQ(app->layoutIndex, 3);
    EXPECT_EQ(link->view().layoutIndex(), 3);
    window->resizeScreen({240, 320});
    EXPECT_EQ(app->layoutIndex, 0);
}

TEST_F(BoardLink, ToolButtonsSendTheirCommands)
{
    startWithBoard({240, 320});
    window->command(cmd::ToggleLayout);
    ASSERT_EQ(app->layoutIndex, 1);
    std::vector<int> reached;
    frame->commands().wire(cmd::Levels, "record", [&] { reached.push_back(cmd::Levels); });
    window->command(395);
    EXPECT_EQ(reached, std::vector<int>{cmd::Levels});
    const CBitmap button = window->drawToolButton(395, false);
    EXPECT_FALSE(button.isNull());
}

TEST_F(BoardLink, TwoTapsMakeAMoveOnTheCurrentPosition)
{
    startWithBoard({240, 320});
    app->general.animation = 0;
    // e2 and e4 in row 0: 30-pixel squares, e is the fifth file.
    window->tap({4 * 30 + 15, 6 * 30 + 15});
    window->tap({4 * 30 + 15, 4 * 30 + 15});
    window->advance(2000);
    EXPECT_EQ(app->position.writeFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    EXPECT_NE(frame->hooks().gameText().find("1. e4"), std::string::npos) << frame->hooks().gameText();
    EXPECT_TRUE(window->buttonState(cmd::TakeBack).enabled);
    // Left arrow takes the move back, Right plays it again.
    window->key(*keyFromName("Left"));
    window->advance(2000);
    EXPECT_EQ(app->position.writeFen(), std::string(StartFen));
    window->key(*keyFromName("Right"));
    window->advance(2000);
    EXPECT_EQ(app->position.writeFen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

TEST_F(BoardLink, HoldBesideTheBoardOpensThePopup)
{
    startWithBoard({240, 320});
    window->hold({120, 270});
    window->hold({15, 15});
    ASSERT_EQ(window->popupsShown().size(), 1u);
    EXPECT_EQ(window->popupsShown()[0].second, (Point{120, 270}));
}

void setFenGame(CBoardLink& link, const char* fen)
{
    auto game = std::make_unique<CGame>();
    game->setTag("FEN", fen);
    game->setRoot(std::make_unique<CGameNode>(NoMove, "root", -1));
    link.flow().setGame(std::move(game));
}

// Dialog 126 in row 0 (30-pixel squares): a client area of 160 x 100 with
// the row of pieces from x 20 to 140 at y 40 to 70.
TEST_F(BoardLink, PromotionRunsTheDialogAndPlaysThePieceTapped)
{
    const struct {
        const char* name;
        bool oneTap;
        std::vector<DialogAnswer> answers;
        const char* fen;
    } cases[] = {
        {"a tap on the knight, on the row's bottom edge", false, {DialogAnswer::ofTap(20 + 3 * 30 + 29, 70)},
         "N7/8/8/8/8/8/k7/4K3 b - - 0 1"},
        {"the right edge selects nothing, then the bishop", false,
         {DialogAnswer::ofTap(140, 50), DialogAnswer::ofTap(19, 50), DialogAnswer::ofItem("Bishop")},
         "B7/8/8/8/8/8/k7/4K3 b - - 0 1"},
        {"one tap: the rook by name", true, {DialogAnswer::ofItem("Rook")}, "R7/8/8/8/8/8/k7/4K3 b - - 0 1"},
        {"Cancel gives the queen", false, {DialogAnswer::of(Answer::Cancel)}, "Q7/8/8/8/8/8/k7/4K3 b - - 0 1"},
        {"closed without a choice gives the queen", true, {}, "Q7/8/8/8/8/8/k7/4K3 b - - 0 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startWithBoard({240, 320});
        if (!link)
            return;
        app->general.animation = 0;
        app->general.oneClick = c.oneTap ? 1 : 0;
        setFenGame(*link, "8/P7/8/8/8/8/k7/4K3 w - - 0 1");
        for (const DialogAnswer& a : c.answers)
            dialogs.pushAnswer(a);
        // Every box (the dialog, and the draw by insufficient material after
        // a knight) sets the modal flag while it is open.
        int shows = 0;
        bool allModal = true;
        dialogs.setOnShow([&] {
            ++shows;
            allModal = allModal && app->modalDialogOpen();
        });
        window->tap(centreOf("a7"));
        if (!c.oneTap)
            window->tap(centreOf("a8"));
        EXPECT_GE(shows, 1);
        EXPECT_TRUE(allModal);
        EXPECT_FALSE(app->modalDialogOpen());
        EXPECT_EQ(app->position.writeFen(), c.fen);
        const CanvasDialog& d = dialogs.lastCanvasDialog();
        EXPECT_EQ(d.name, "126");
        EXPECT_EQ(d.title, "Promotion");
        EXPECT_EQ(d.helpAnchor, "Promotion");
        EXPECT_EQ(d.position, (Point{43, 93}));
        EXPECT_EQ(d.clientSize, (Size{160, 100}));
        ASSERT_EQ(dialogs.lastCanvasText().size(), 1u);
        EXPECT_EQ(dialogs.lastCanvasText()[0].text, "Select piece to promote");
        // Queen, rook, bishop, knight of White, each drawn transparently on the white dialog.
        const CBitmap& shown = dialogs.lastCanvas();
        const CBitmap strip = *CBitmap::load(bitmaps / "702.png");
        const int cells[4] = {4, 3, 2, 1};
        for (int i = 0; i < 4; ++i)
            for (int y = 0; y < 30; y += 3)
                for (int x = 0; x < 30; x += 3) {
                    const Rgb s = strip.pixel(cells[i] * 30 + x, y);
                    ASSERT_EQ(shown.pixel(20 + i * 30 + x, 40 + y), sameRgb(s, TransparentKey) ? RgbWhite : s);
                }
        dialogs.setOnShow(nullptr);
        TearDown();
        SetUp();
    }
}

TEST_F(BoardLink, ThePopupChecksReplayMovesWhileAReplayRuns)
{
    startWithBoard({240, 320});
    const auto replayChecked = [&] {
        for (const MenuItem& item : window->popupsShown().back().first.items)
            if (item.id == cmd::ReplayMoves)
                return item.checked;
        ADD_FAILURE() << "no Replay moves in the popup";
        return false;
    };
    window->hold({120, 270});
    EXPECT_FALSE(replayChecked());
    window->command(cmd::ReplayMoves);
    ASSERT_TRUE(app->replayRunning);
    window->hold({120, 270});
    EXPECT_TRUE(replayChecked());
    EXPECT_TRUE(window->menuChecked(cmd::ReplayMoves));
    window->command(cmd::ReplayMoves);
    window->hold({120, 270});
    EXPECT_FALSE(replayChecked());
    EXPECT_FALSE(window->menuChecked(cmd::ReplayMoves));
}

TEST_F(BoardLink, ButtonStartReplayShowsPressedWhileTheReplayRuns)
{
    startWithBoard({240, 320});
    window->command(cmd::ToggleLayout);
    ASSERT_EQ(window->toolButtons().size(), 9u);
    const CBitmap up = window->drawToolButton(396, false), down = window->drawToolButton(396, true);
    ASSERT_NE(up, down);
    const int before = window->toolButtonInvalidations(396);
    window->command(396);
    ASSERT_TRUE(app->replayRunning);
    EXPECT_EQ(window->toolButtonInvalidations(396), before + 1);
    EXPECT_EQ(window->drawToolButton(396, false), down);
    window->command(396);
    EXPECT_EQ(window->toolButtonInvalidations(396), before + 2);
    EXPECT_EQ(window->drawToolButton(396, false), up);
}

// "Add line" (111) as a form: its controls, "Ask" chosen at the start, and
// the choice in "Change default to" becoming the "New variation" setting.
TEST_F(BoardLink, AddLineOffersChangeDefaultToAndKeepsTheChoice)
{
    startForMoves(0);
    move("e2", "e4");
    window->command(cmd::TakeBack);
    // d4 where e4 is the main line: the dialog asks; "Add main line" with
    // "Change default to" set to "Add line".
    DialogAnswer add = DialogAnswer::ofControl(CBoardLink::AddMainLineButton);
    add.choices = {{CBoardLink::ChangeDefaultList, "Add line"}};
    dialogs.pushAnswer(add);
    move("d2", "d4");
    ASSERT_EQ(dialogs.formsShown().size(), 1u);
    const FormDialog& form = dialogs.formsShown()[0];
    EXPECT_EQ(form.name, "111");
    EXPECT_EQ(form.title, "Add line");
    EXPECT_EQ(form.helpAnchor, "NewLine");
    std::vector<int> ids;
    for (const DialogControl& c : form.controls)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{1012, 1013, 1039, 1014, 1017, 1028, 1018, 1009}));
    FormDialog shown = form;
    EXPECT_EQ(shown.control(1012)->items, std::vector<std::string>{"1.e4"});
    EXPECT_EQ(shown.control(1013)->text, "1.d4");
    EXPECT_EQ(shown.control(1028)->items,
              (std::vector<std::string>{"Ask", "Replace main line", "Add main line", "Add line"}));
    EXPECT_EQ(shown.control(1028)->selected, 0);
    EXPECT_EQ(shown.control(1009)->label, "Don't add move");
    EXPECT_EQ(app->general.variationMode, 3);
    EXPECT_NE(link->flow().game().toText().find("1. d4 (1. e4) *"), std::string::npos) << link->flow().game().toText();

    // The next new move goes in as a side line without asking.
    window->command(cmd::TakeBack);
    move("c2", "c4");
    EXPECT_EQ(dialogs.formsShown().size(), 1u);
    EXPECT_NE(link->flow().game().toText().find("1. d4 (1. e4) (1. c4) *"), std::string::npos)
        << link->flow().game().toText();
}

TEST_F(BoardLink, SelectLineTakesTheLineChosen)
{
    startForMoves(3);
    move("e2", "e4");
    window->command(cmd::TakeBack);
    move("d2", "d4");
    window->command(cmd::TakeBack);
    const struct {
        DialogAnswer answer;
        const char* fen;
    } cases[] = {
        {DialogAnswer::ofItem("1.d4"), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq - 0 1"},
        {DialogAnswer::of(Answer::Cancel), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
    };
    for (const auto& c : cases) {
        dialogs.pushAnswer(c.answer);
        window->command(cmd::Forward);
        EXPECT_EQ(app->position.writeFen(), c.fen);
        const FormDialog& form = dialogs.formsShown().back();
        EXPECT_EQ(form.name, "440");
        EXPECT_EQ(form.helpAnchor, "SelectLine");
        window->command(cmd::TakeBack);
    }
}

} // namespace
