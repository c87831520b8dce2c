// The game flow: every "New variation" mode, navigation with time sums,
// replay timing on a manual clock, loading and new games, the line dialogs.
#include "app/flow/GameFlow.h"

#include "BoardFixture.h"
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

    NewLineChoice newLine(const std::vector<std::string>& lines, const std::string& newMove) override
    {
        shownLines.push_back(lines);
        shownMoves.push_back(newMove);
        if (newLineAnswers.empty()) return {Button::Cancel, -1, 0};
        NewLineChoice c = newLineAnswers.front();
        newLineAnswers.pop_front();
        return c;
    }
    int selectLine(const std::vector<std::string>& lines) override
    {
        shownLines.push_back(lines);
        if (selectAnswers.empty()) return -1;
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

// The board client of the program: moves go into the game flow.
class FlowClient : public RecordingClient {
public:
    CGameFlow* flow = nullptr;
    bool replayRunning() const override { return flow && flow->replayRunning(); }
    void userMove(CMove m, bool dragged) override { flow->onUserMove(m, dragged); }
};

struct FlowFixture {
    FlowFixture()
        : window({240, 320}, 0, clock), view(window, settings, client), handler(view, *this),
          flow(view, window, dialogs, clock, settings, host, lines)
    {
        settings.animation = 0;
        client.flow = &flow;
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
    std::vector<std::string> children(const CGameNode* node) const
    {
        std::vector<std::string> out;
        for (const auto& c : node->children) out.push_back(c->san);
        return out;
    }

    struct Handler : ViewHandler {
        Handler(CBoardView& v, FlowFixture& f) : ViewHandler(v), fixture(f) {}
        void onTimer(int id) override
        {
            ViewHandler::onTimer(id);
            if (id == ReplayTimer) fixture.flow.replayTick();
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
        {"ask: delete the only line first", 0, {{Button::DeleteSelected, -1, 0}, {Button::DeleteSelected, 0, 0}, {Button::AddMainLine, -1, 0}},
         "d4", true, {"d4"}, "*", 0},
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
        for (const auto& a : c.answers) f.lines.newLineAnswers.push_back(a);
        const CMove m = readSan(f.flow.position(), c.move);
        const bool played = f.flow.playMove(m, 0, false, false);
        EXPECT_EQ(played, c.played);
        EXPECT_EQ(f.children(f.flow.game().root()), c.children);
        EXPECT_EQ(f.flow.game().result(), c.result);
        EXPECT_EQ(f.settings.variationMode, c.modeAfter);
        EXPECT_TRUE(f.lines.newLineAnswers.empty());
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
    f.lines.newLineAnswers.push_back({Button::ReplaceMainLine, -1, 0});   // declined below
    f.lines.newLineAnswers.push_back({Button::ReplaceMainLine, -1, 0});
    f.dialogs.pushAnswer(Answer::Cancel);
    f.dialogs.pushAnswer(Answer::Ok);
    f.play({"d4"});
    EXPECT_EQ(f.children(f.flow.game().root()), (std::vector<std::string>{"d4"}));
    ASSERT_EQ(f.dialogs.shown().size(), 2u);
    EXPECT_EQ(f.dialogs.shown()[0].title, "Replace line");
}

TEST(GameFlow, TakeBackAndForwardKeepTheTimeSums)
{
    FlowFixture f;
    f.settings.autoAnswer = 0;   // two players: each side's clock runs
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
    EXPECT_FALSE(f.flow.takeBackOne(false));   // nothing at the start
    f.flow.forwardPlies(9999);
    EXPECT_EQ(f.flow.current()->san, "Ba4");
    EXPECT_EQ(f.flow.plyCounter(), 8);
    EXPECT_FALSE(f.window.buttonState(ForwardCommand).enabled);
    f.flow.forwardOne();   // nothing at the end
    EXPECT_EQ(f.flow.plyCounter(), 8);
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
    f.flow.forwardOne();   // closed without a choice: the main line
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
    EXPECT_EQ(f.window.timerPeriod(ReplayTimer), 1750);   // 6 x 250 + 250
    f.window.advance(1749);
    EXPECT_EQ(f.flow.plyCounter(), 2);
    f.window.advance(1);
    EXPECT_EQ(f.flow.plyCounter(), 3);
    f.window.advance(1750);
    EXPECT_EQ(f.flow.plyCounter(), 4);
    f.window.advance(1750);   // the end of the main line stops the replay
    EXPECT_FALSE(f.flow.replayRunning());
    EXPECT_FALSE(f.window.timerRunning(ReplayTimer));
    EXPECT_FALSE(f.window.menuChecked(ReplayCommand));
}

TEST(GameFlow, ReplayWaitsForTheAnimation)
{
    FlowFixture f;
    f.settings.animation = 2;
    f.play({"e4", "e5"});
    f.window.advance(1000);   // the animations of the moves played
    f.flow.takeBackPlies(2);
    f.flow.toggleReplay();
    f.window.advance(500);
    EXPECT_EQ(f.flow.plyCounter(), 2);
    EXPECT_TRUE(f.view.animating());
    EXPECT_FALSE(f.window.timerRunning(ReplayTimer));   // restarted when the move is shown
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
    f.flow.setGame(nullptr);   // nothing happens
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

TEST(GameFlow, MoveLineTexts)
{
    CGameNode root(NoMove, "root", 8);   // Black's fifth move comes next
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
