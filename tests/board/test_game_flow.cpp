// The game flow: every "New variation" mode, navigation with time sums,
// replay timing on a manual clock, loading and new games, the line dialogs.
#include "app/flow/GameFlow.h"

#include "BoardFixture.h"
#include "board/PromotionDialog.h"
#include "platform/headless/ScriptedDialogs.h"
#include "rules/Notation.h"

#include <gtest/gtest.h>

#include <deque>

namespace qm::test {
namespace {

class ScriptedLines : public ILineDialogUi {
public:
    std::deque<NewLineChoice> newLineAnswers;
    std::deque<int> selectAnswers;
    std::vector<std::vector<std::string>> shownLines;
    std::vector<std::string> shownMoves;
    std::vector<int> shownDefaults;

    NewLineChoice newLine(const std::vector<std::string>& lines, const std::string& newMove, int defaultChoice) override
    {
        shownLines.push_back(lines);
        shownMoves.push_back(newMove);
        shownDefaults.push_back(defaultChoice);
        if (newLineAnswers.empty())
            return {Button::Cancel, -1, 0};
        NewLineChoice c = newLineAnswers.front();
        newLineAnswers.pop_front();
        return c;
    }
    int selectLine(const std::vector<std::string>& lines) override
    {
        shownLines.push_back(lines);
        if (selectAnswers.empty())
            return -1;
        const int c = selectAnswers.front();
        selectAnswers.pop_front();
        return c;
    }
};

class RecordingHost : public IGameFlowHost {
public:
    int autosaves = 0;
    int userMoves = 0;
    void autosave() override { ++autosaves; }
    void userMoveArrived() override { ++userMoves; }
};

// The board client of the program: moves go into the game flow; the
// promotion dialog is tapped in the column of `promotionColumn`.
class FlowClient : public RecordingClient {
public:
    CGameFlow* flow = nullptr;
    CBoardView* view = nullptr;
    int promotionColumn = 0;
    bool replayRunning() const override { return flow && flow->replayRunning(); }
    void userMove(CMove m, bool dragged) override { flow->onUserMove(m, dragged); }
    PieceCode askPromotionPiece(Colour c) override
    {
        ++promotionAsked;
        CPromotionDialog dialog(*view, c, Rect{0, 0, 154, 120});
        const Rect row = dialog.pieceRow();
        const PieceCode p = dialog.pieceAt(row.left + promotionColumn * view->layout().squareWidth + 2, row.top + 2);
        return p == Empty ? dialog.closedChoice() : p;
    }
};

struct FlowFixture {
    FlowFixture()
        : window({240, 320}, 0, clock)
        , view(window, settings, client)
        , handler(view, *this)
        , flow(view, window, dialogs, clock, settings, host, lines)
    {
        settings.animation = 0;
        client.flow = &flow;
        client.view = &view;
        view.setClientRect(window.canvas().bounds());
        view.loadGraphics(bitmapDir());
        view.selectLayout(1, 0);
        window.setHandler(&handler);
    }

    // Plays SAN moves as user moves, each after `thinkMs` of thought.
    void play(std::initializer_list<const char*> sans, int thinkMs = 0)
    {
        for (const char* san : sans) {
            clock.advance(thinkMs);
            const CMove m = readSan(flow.position(), san);
            ASSERT_NE(m, NoMove) << san;
            flow.onUserMove(m, false);
        }
    }
    Point centre(const char* square) const
    {
        const Rect r = view.squareRect(sq(square));
        return {r.left + r.width() / 2, r.top + r.height() / 2};
    }
    void tap(const char* square)
    {
        window.tap(centre(square));
        window.advance(400); // lets an animation finish
    }
    void drag(const char* from, const char* to)
    {
        window.drag(centre(from), centre(to));
        window.advance(400);
    }
    std::vector<std::string> mainLine()
    {
        std::vector<std::string> out;
        for (const CGameNode* n = flow.game().root(); n->childCount() > 0; n = n->child(0))
            out.push_back(n->child(0)->san);
        return out;
    }
    CBitmap freshPaint()
    {
        CMemoryCanvas canvas(window.canvas().width(), window.canvas().height());
        view.paint(canvas, canvas.bounds());
        return canvas.snapshot();
    }
    std::vector<std::string> children(const CGameNode* node) const
    {
        std::vector<std::string> out;
        for (const auto& c : node->children)
            out.push_back(c->san);
        return out;
    }

    struct Handler : ViewHandler {
        Handler(CBoardView& v, FlowFixture& f)
            : ViewHandler(v)
            , fixture(f)
        {
        }
        void onTimer(int id) override
        {
            ViewHandler::onTimer(id);
            if (id == ReplayTimer)
                fixture.flow.replayTick();
        }
        FlowFixture& fixture;
    };

    CManualClock clock;
    CHeadlessWindow window;
    CGeneralSettings settings;
    FlowClient client;
    CBoardView view;
    Handler handler;
    CScriptedDialogs dialogs;
    RecordingHost host;
    ScriptedLines lines;
    CGameFlow flow;
};

using Button = ILineDialogUi::Button;

TEST(GameFlow, NewVariationModes)
{
    const struct {
        const char* name;
        int mode;
        std::vector<ILineDialogUi::NewLineChoice> answers;
        const char* move;
        bool played;
        std::vector<std::string> children;
        const char* result;
        int modeAfter;
    } cases[] = {
        {"ask: the main-line move again moves forward", 0, {}, "e4", true, {"e4"}, "1-0", 0},
        {"ask: add as main line", 0, {{Button::AddMainLine, -1, 0}}, "d4", true, {"d4", "e4"}, "*", 0},
        {"ask: closed with OK adds the main line", 0, {{Button::Ok, -1, 0}}, "d4", true, {"d4", "e4"}, "*", 0},
        {"ask: add as side line", 0, {{Button::AddLine, -1, 0}}, "d4", true, {"e4", "d4"}, "1-0", 0},
        {"ask: replace a short main line", 0, {{Button::ReplaceMainLine, -1, 0}}, "d4", true, {"d4"}, "*", 0},
        {"ask: do not add", 0, {{Button::DontAdd, -1, 0}}, "d4", false, {"e4"}, "1-0", 0},
        {"ask: change the default to add line", 0, {{Button::AddLine, -1, 3}}, "d4", true, {"e4", "d4"}, "1-0", 3},
        {"ask: delete the only line first", 0,
            {{Button::DeleteSelected, -1, 1}, {Button::DeleteSelected, 0, 1}, {Button::AddMainLine, -1, 0}}, "d4", true,
            {"d4"}, "*", 0},
        {"replace main line", 1, {}, "d4", true, {"d4"}, "*", 1},
        {"add main line", 2, {}, "d4", true, {"d4", "e4"}, "*", 2},
        {"add line", 3, {}, "d4", true, {"e4", "d4"}, "1-0", 3},
        {"add main line promotes an existing side line", 2, {}, "Nf3", true, {"Nf3", "e4"}, "*", 2},
        {"add line keeps an existing side line where it is", 3, {}, "Nf3", true, {"e4", "Nf3"}, "1-0", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FlowFixture f;
        f.settings.variationMode = 3;
        f.play({"e4"});
        f.flow.takeBackOne(false);
        if (std::string(c.move) == "Nf3") {
            f.play({"Nf3"});
            f.flow.takeBackOne(false);
        }
        f.flow.game().setResult("1-0");
        f.settings.variationMode = c.mode;
        for (const auto& a : c.answers)
            f.lines.newLineAnswers.push_back(a);
        const CMove m = readSan(f.flow.position(), c.move);
        const bool played = f.flow.playMove(m, 0, false, false);
        EXPECT_EQ(played, c.played);
        EXPECT_EQ(f.children(f.flow.game().root()), c.children);
        EXPECT_EQ(f.flow.game().result(), c.result);
        EXPECT_EQ(f.settings.variationMode, c.modeAfter);
        EXPECT_TRUE(f.lines.newLineAnswers.empty());
        if (c.answers.size() == 3) { // no line chosen: stays as left; deleted: fills again at "Ask"
            EXPECT_EQ(f.lines.shownDefaults, (std::vector<int>{0, 1, 0}));
        }
        if (played) {
            EXPECT_EQ(f.flow.current()->san, c.move);
            EXPECT_EQ(f.flow.position().sideToMove, Black);
            EXPECT_EQ(f.flow.plyCounter(), 2);
        } else {
            EXPECT_EQ(f.flow.current(), f.flow.game().root());
            EXPECT_EQ(f.flow.position().writeFen(), std::string(StartFen));
        }
    }
}

TEST(GameFlow, AddLineShowsTheContinuationsAndTheNewMove)
{
    FlowFixture f;
    f.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4"});
    f.flow.takeBackPlies(7);
    f.settings.variationMode = 0;
    f.lines.newLineAnswers.push_back({Button::AddLine, -1, 0});
    f.play({"d4"});
    ASSERT_EQ(f.lines.shownLines.size(), 1u);
    EXPECT_EQ(f.lines.shownLines[0], (std::vector<std::string>{"1.e4 e5 2.Nf3 Nc6 3.Bb5 a6"}));
    EXPECT_EQ(f.lines.shownMoves[0], "1.d4");
}

TEST(GameFlow, ReplacingALongMainLineAsksFirst)
{
    FlowFixture f;
    f.play({"e4", "e5", "Nf3"});
    f.flow.takeBackPlies(3);
    f.settings.variationMode = 0;
    f.lines.newLineAnswers.push_back({Button::ReplaceMainLine, -1, 2}); // declined below
    f.lines.newLineAnswers.push_back({Button::ReplaceMainLine, -1, 2});
    f.dialogs.pushAnswer(Answer::Cancel);
    f.dialogs.pushAnswer(Answer::Ok);
    f.play({"d4"});
    EXPECT_EQ(f.children(f.flow.game().root()), (std::vector<std::string>{"d4"}));
    ASSERT_EQ(f.dialogs.shown().size(), 2u);
    EXPECT_EQ(f.dialogs.shown()[0].title, "Replace line");
    // "Change default to" opens at "Ask" and stays as the user left it
    // when the dialog stays after a declined replacement.
    EXPECT_EQ(f.lines.shownDefaults, (std::vector<int>{0, 2}));
    EXPECT_EQ(f.settings.variationMode, 2);
}

TEST(GameFlow, TakeBackAndForwardKeepTheTimeSums)
{
    FlowFixture f;
    f.settings.autoAnswer = 0; // two players: each side's clock runs
    f.play({"e4", "e5", "Nf3", "Nc6"}, 1500);
    const auto white = f.flow.timeSum(White), black = f.flow.timeSum(Black);
    EXPECT_GT(white, 0);
    EXPECT_GT(black, 0);
    ASSERT_TRUE(f.flow.takeBackOne(false));
    EXPECT_EQ(f.flow.timeSum(Black), black - f.flow.current()->child(0)->time);
    f.flow.forwardOne();
    EXPECT_EQ(f.flow.timeSum(White), white);
    EXPECT_EQ(f.flow.timeSum(Black), black);
    EXPECT_EQ(f.flow.plyCounter(), 5);
    EXPECT_EQ(f.window.buttonState(ForwardCommand).enabled, false);
    EXPECT_EQ(f.window.buttonState(TakeBackCommand).enabled, true);
}

TEST(GameFlow, ManyPliesBackStopsAtTheStartAndForwardAtTheEnd)
{
    FlowFixture f;
    f.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4"});
    ASSERT_EQ(f.flow.plyCounter(), 8);
    f.flow.takeBackPlies(20);
    EXPECT_EQ(f.flow.current(), f.flow.game().root());
    EXPECT_EQ(f.flow.plyCounter(), 1);
    EXPECT_EQ(f.flow.lastMove(), NoMove);
    EXPECT_EQ(f.flow.position().writeFen(), std::string(StartFen));
    EXPECT_FALSE(f.window.buttonState(TakeBackCommand).enabled);
    EXPECT_TRUE(f.window.buttonState(ForwardCommand).enabled);
    EXPECT_FALSE(f.flow.takeBackOne(false)); // nothing at the start
    f.flow.forwardPlies(9999);
    EXPECT_EQ(f.flow.current()->san, "Ba4");
    EXPECT_EQ(f.flow.plyCounter(), 8);
    EXPECT_FALSE(f.window.buttonState(ForwardCommand).enabled);
    f.flow.forwardOne(); // nothing at the end
    EXPECT_EQ(f.flow.plyCounter(), 8);
}

TEST(GameFlow, NavigationCommands)
{
    FlowFixture f;
    f.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7", "Re1", "b5", "Bb3", "d6", "c3", "O-O",
        "h3", "Nb8", "d4", "Nbd7", "c4", "c6", "cxb5", "axb5"});
    ASSERT_EQ(f.flow.plyCounter(), 25);
    const struct {
        int id;
        int ply;
    } steps[] = {{397, 5}, {40038, 4}, {398, 24}, {40039, 25}, {40051, 1}, {40052, 25}, {40039, 25}, {40038, 24}};
    for (const auto& s : steps) {
        EXPECT_TRUE(f.flow.onCommand(s.id));
        EXPECT_EQ(f.flow.plyCounter(), s.ply) << s.id;
    }
    EXPECT_TRUE(f.flow.onCommand(ReplayCommand));
    EXPECT_TRUE(f.flow.replayRunning());
    EXPECT_FALSE(f.flow.onCommand(40014));
}

TEST(GameFlow, ForwardAtABranchAsksForTheLine)
{
    FlowFixture f;
    f.settings.variationMode = 3;
    f.play({"e4"});
    f.flow.takeBackOne(false);
    f.play({"d4", "d5"});
    f.flow.takeBackPlies(2);
    f.lines.selectAnswers.push_back(1);
    f.flow.forwardOne();
    EXPECT_EQ(f.flow.current()->san, "d4");
    EXPECT_EQ(f.lines.shownLines.back(), (std::vector<std::string>{"1.e4", "1.d4 d5"}));
    f.flow.takeBackOne(false);
    f.flow.forwardOne(); // closed without a choice: the main line
    EXPECT_EQ(f.flow.current()->san, "e4");
}

TEST(GameFlow, ReplayAdvancesOnTheReplayClock)
{
    FlowFixture f;
    f.settings.replaySeconds = 6;
    f.play({"e4", "e5", "Nf3"});
    f.flow.takeBackPlies(3);
    f.flow.toggleReplay();
    EXPECT_TRUE(f.window.menuChecked(ReplayCommand));
    EXPECT_EQ(f.window.timerPeriod(ReplayTimer), 500);
    f.window.advance(499);
    EXPECT_EQ(f.flow.plyCounter(), 1);
    f.window.advance(1);
    EXPECT_EQ(f.flow.plyCounter(), 2);
    EXPECT_EQ(f.window.timerPeriod(ReplayTimer), 1750); // 6 x 250 + 250
    f.window.advance(1749);
    EXPECT_EQ(f.flow.plyCounter(), 2);
    f.window.advance(1);
    EXPECT_EQ(f.flow.plyCounter(), 3);
    f.window.advance(1750);
    EXPECT_EQ(f.flow.plyCounter(), 4);
    f.window.advance(1750); // the end of the main line stops the replay
    EXPECT_FALSE(f.flow.replayRunning());
    EXPECT_FALSE(f.window.timerRunning(ReplayTimer));
    EXPECT_FALSE(f.window.menuChecked(ReplayCommand));
}

TEST(GameFlow, ReplayWaitsForTheAnimation)
{
    FlowFixture f;
    f.settings.animation = 2;
    f.play({"e4", "e5"});
    f.window.advance(1000); // the animations of the moves played
    f.flow.takeBackPlies(2);
    f.flow.toggleReplay();
    f.window.advance(500);
    EXPECT_EQ(f.flow.plyCounter(), 2);
    EXPECT_TRUE(f.view.animating());
    EXPECT_FALSE(f.window.timerRunning(ReplayTimer)); // restarted when the move is shown
    f.window.advance(1000);
    EXPECT_FALSE(f.view.animating());
    EXPECT_EQ(f.window.timerPeriod(ReplayTimer), 1750);
}

TEST(GameFlow, LoadingAGameShowsItsEndOrItsStart)
{
    FlowFixture f;
    auto game = std::make_unique<CGame>();
    game->setRoot(std::make_unique<CGameNode>(NoMove, "root", -1));
    CPosition p;
    p.setStartPosition();
    CGameNode* node = game->root();
    for (const char* san : {"e4", "c5", "Nf3"}) {
        const CMove m = readSan(p, san);
        auto child = std::make_unique<CGameNode>(m, san, node->ply + 1, "", 0, 1000);
        CGameNode* raw = child.get();
        addChild(*node, std::move(child));
        p.makeMove(m);
        node = raw;
    }
    f.flow.setGame(std::move(game));
    EXPECT_EQ(f.flow.current()->san, "Nf3");
    EXPECT_EQ(f.flow.plyCounter(), 4);
    EXPECT_EQ(f.flow.timeSum(White), 2000);
    EXPECT_EQ(f.flow.timeSum(Black), 1000);
    EXPECT_EQ(f.flow.position().writeFen(), p.writeFen());

    auto fenGame = std::make_unique<CGame>();
    fenGame->setTag("FEN", "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");
    fenGame->setRoot(std::make_unique<CGameNode>(NoMove, "root", 0));
    f.flow.setGame(std::move(fenGame));
    EXPECT_EQ(f.flow.current(), f.flow.game().root());
    EXPECT_EQ(f.flow.plyCounter(), 2);
    EXPECT_EQ(f.flow.position().sideToMove, Black);
    f.flow.setGame(nullptr); // nothing happens
    EXPECT_EQ(f.flow.plyCounter(), 2);
}

TEST(GameFlow, NewGameAsksOnlyForAGameWorthKeeping)
{
    FlowFixture f;
    f.play({"e4", "e5"});
    EXPECT_FALSE(f.flow.isGameWorthKeeping());
    f.flow.newGame();
    EXPECT_TRUE(f.dialogs.shown().empty());
    EXPECT_EQ(f.flow.plyCounter(), 1);
    f.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6"});
    EXPECT_TRUE(f.flow.isGameWorthKeeping());
    f.dialogs.pushAnswer(Answer::Cancel);
    f.flow.newGame();
    ASSERT_EQ(f.dialogs.shown().size(), 1u);
    EXPECT_EQ(f.dialogs.shown()[0].text, "Do you really want a new game?");
    EXPECT_EQ(f.flow.plyCounter(), 7);
    f.dialogs.pushAnswer(Answer::Ok);
    f.flow.newGame();
    EXPECT_EQ(f.flow.plyCounter(), 1);
    EXPECT_EQ(f.flow.game().root()->childCount(), 0);
    EXPECT_FALSE(f.window.buttonState(TakeBackCommand).enabled);
}

TEST(GameFlow, CheckmateIsAnnounced)
{
    FlowFixture f;
    f.play({"f3", "e5", "g4", "Qh4#"});
    ASSERT_FALSE(f.dialogs.shown().empty());
    EXPECT_EQ(f.dialogs.shown().back().title, "Quillmarsh");
    EXPECT_EQ(f.flow.game().result(), "0-1");
}

TEST(GameFlow, DeletingLines)
{
    FlowFixture f;
    f.play({"e4", "e5"});
    f.flow.takeBackPlies(2);
    // Two moves: no question; the main line goes, so the result becomes "*".
    f.flow.game().setResult("1-0");
    EXPECT_EQ(f.flow.deleteLine(f.flow.game().root()->child(0)), 1);
    EXPECT_TRUE(f.dialogs.shown().empty());
    EXPECT_EQ(f.flow.game().result(), "*");
    EXPECT_FALSE(f.window.buttonState(ForwardCommand).enabled);
    // Three moves: asked; declined keeps the line. The current move inside
    // the line is brought back to its parent first.
    f.play({"d4", "d5", "c4"});
    f.dialogs.pushAnswer(Answer::Cancel);
    EXPECT_NE(f.flow.deleteLine(f.flow.game().root()->child(0)), 1);
    f.dialogs.pushAnswer(Answer::Ok);
    EXPECT_EQ(f.flow.deleteLine(f.flow.game().root()->child(0)), 1);
    EXPECT_EQ(f.flow.current(), f.flow.game().root());
    EXPECT_EQ(f.flow.position().writeFen(), std::string(StartFen));
    EXPECT_NE(f.flow.deleteLine(f.flow.game().root()), 1);
}

// Whole games through the window: taps, drags, animations, the dialogs.
TEST(EndToEnd, NormalModeGameToMateWithTakeBacksAVariationAndNavigation)
{
    FlowFixture f;
    f.settings.oneClick = 0;
    f.settings.animation = 2;
    f.tap("e2");
    f.tap("e4");
    f.drag("e7", "e5");
    f.tap("f1");
    f.tap("c4");
    f.drag("b8", "c6");
    f.tap("d1");
    f.tap("h5");
    f.tap("g8");
    f.tap("f6");
    f.drag("h5", "f7");
    EXPECT_EQ(f.mainLine(), (std::vector<std::string>{"e4", "e5", "Bc4", "Nc6", "Qh5", "Nf6", "Qxf7#"}));
    EXPECT_EQ(f.flow.game().result(), "1-0");
    ASSERT_EQ(f.dialogs.shown().size(), 1u);
    EXPECT_EQ(f.flow.position().countLegalMoves(), 0);
    // Two moves back, then another move for Black through "Add line".
    f.flow.backCommand(true);
    f.window.advance(400);
    f.flow.backCommand(true);
    f.window.advance(400);
    EXPECT_EQ(f.flow.current()->san, "Qh5");
    f.lines.newLineAnswers.push_back({Button::AddLine, -1, 0});
    f.tap("g7");
    f.tap("g6");
    EXPECT_EQ(f.children(f.flow.current()->parent), (std::vector<std::string>{"Nf6", "g6"}));
    EXPECT_EQ(f.flow.current()->san, "g6");
    // To the start and to the end of the main line.
    f.flow.takeBackPlies(9999);
    EXPECT_EQ(f.flow.current(), f.flow.game().root());
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), f.freshPaint());
    f.flow.forwardPlies(9999);
    EXPECT_EQ(f.flow.current()->san, "Qxf7#");
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), f.freshPaint());
    EXPECT_EQ(f.flow.position().board[sq("f7")], WhiteQueen);
}

TEST(EndToEnd, OneTapGameToMateAndAPromotionChosenInTheDialog)
{
    FlowFixture f;
    f.settings.oneClick = 1;
    f.settings.animation = 3;
    f.tap("e4"); // the only move to e4
    f.tap("e5");
    f.tap("c4"); // two moves reach c4: picked as target
    f.tap("f1");
    f.tap("c6");
    f.tap("b8");
    f.tap("h5"); // only the queen reaches h5
    f.tap("f6");
    f.tap("g8");
    f.drag("f7", "h5"); // the target dragged onto the capturing queen
    EXPECT_EQ(f.mainLine(), (std::vector<std::string>{"e4", "e5", "Bc4", "Nc6", "Qh5", "Nf6", "Qxf7#"}));
    EXPECT_EQ(f.flow.game().result(), "1-0");

    auto game = std::make_unique<CGame>();
    game->setTag("FEN", "8/P7/8/8/8/8/k7/4K3 w - - 0 1");
    game->setRoot(std::make_unique<CGameNode>(NoMove, "root", -1));
    f.flow.setGame(std::move(game));
    f.client.promotionColumn = 1; // the rook
    f.tap("a7");
    EXPECT_EQ(f.client.promotionAsked, 1);
    EXPECT_EQ(f.flow.position().board[sq("a8")], WhiteRook);
    EXPECT_EQ(f.flow.current()->san, "a8=R+"); // the rook checks along the a-file
    f.window.paint();
    EXPECT_EQ(f.window.canvas().snapshot(), f.freshPaint());
}

// Pen events anywhere, in any order, in both modes, with animations and
// take-backs in between: the game stays legal and no piece stays lifted.
TEST(EndToEnd, RandomPenEventsKeepTheGameSound)
{
    for (int oneTap = 0; oneTap < 2; ++oneTap) {
        FlowFixture f;
        f.settings.oneClick = oneTap;
        f.settings.animation = 3;
        f.settings.variationMode = 3;
        f.settings.highlightLegalMoves = 1;
        std::uint32_t seed = 12345u + std::uint32_t(oneTap);
        const auto next = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 8) % std::uint32_t(n));
        };
        // Extreme points only go straight to the view; the headless window
        // interpolates drags between ordinary ones.
        const auto point = [&](bool extreme = false) -> Point {
            switch (next(8)) {
            case 0:
                if (extreme)
                    return {next(2) ? -2147483647 - 1 : 2147483647, next(400) - 40};
                [[fallthrough]];
            case 1:
                return {next(300) - 30, next(400) - 40};
            default:
                return f.centre(squareText(makeSquare(next(8), next(8))).c_str());
            }
        };
        f.window.invalidateAll(false);
        for (int i = 0; i < 1500; ++i) {
            switch (next(10)) {
            case 0: {
                const Point p = point(true);
                f.view.onPenDown(p.x, p.y);
                break;
            }
            case 1: {
                const Point p = point(true);
                f.view.onPenMove(p.x, p.y);
                break;
            }
            case 2: {
                const Point p = point(true);
                f.view.onPenUp(p.x, p.y);
                break;
            }
            case 3:
                f.window.advance(next(60));
                break;
            case 4:
                if (next(4) == 0)
                    f.flow.takeBackOne(next(2) == 0);
                break;
            case 5:
                f.window.hold(point());
                break;
            default: {
                const Point a = point(), b = point();
                if (next(2))
                    f.window.drag(a, b);
                else
                    f.window.tap(a);
            }
            }
        }
        f.view.onPenUp(-1, -1);
        f.window.advance(1000);
        EXPECT_FALSE(f.view.spriteActive());
        EXPECT_FALSE(f.view.animating());
        // The position is the game's path replayed from the start.
        CPosition replay;
        replay.setStartPosition();
        std::vector<const CGameNode*> path;
        for (const CGameNode* n = f.flow.current(); n->parent; n = n->parent)
            path.push_back(n);
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            replay.makeMove((*it)->move);
        EXPECT_EQ(replay.writeFen(), f.flow.position().writeFen());
        EXPECT_GT(countNodes(*f.flow.game().root()), 3);
        f.window.paint();
        const CBitmap shown = f.window.canvas().snapshot(), fresh = f.freshPaint();
        int differ = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x)
                if (shown.pixel(x, y) != fresh.pixel(x, y) && differ++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " square " << int(f.view.squareFromPoint(x, y))
                                  << " picks " << int(f.view.pickedFrom()) << "/" << int(f.view.pickedTo()) << " dots "
                                  << f.view.dotsShown();
        EXPECT_EQ(differ, 0);
    }
}

TEST(GameFlow, MoveLineTexts)
{
    CGameNode root(NoMove, "root", 8); // Black's fifth move comes next
    CGameNode* n = &root;
    int ply = 9;
    for (const char* san : {"Nc6", "Bb5", "a6", "Ba4", "Nf6"}) {
        auto c = std::make_unique<CGameNode>(NoMove, san, ply++);
        CGameNode* raw = c.get();
        addChild(*n, std::move(c));
        n = raw;
    }
    root.child(0)->nag = 1;
    EXPECT_EQ(moveLineText(*root.child(0), 4), "5..Nc6! 6.Bb5 a6 7.Ba4");
    EXPECT_EQ(moveLineText(*root.child(0), 1), "5..Nc6!");
    EXPECT_EQ(moveLineText(*root.child(0)->child(0), 9), "6.Bb5 a6 7.Ba4 Nf6");
}

} // namespace
} // namespace qm::test
