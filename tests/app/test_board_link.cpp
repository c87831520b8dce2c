// The board in the main frame: painted from the application state, its
// layout and flip state kept there, moves entered with the pen.
#include "ShellFixture.h"

#include "app/shell/BoardLink.h"
#include "app/shell/Commands.h"

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

} // namespace
