#pragma once
// CGameFlow: the current game, its current node and the position after it,
// and the one path every move takes into the game (user, DGT board, engine,
// book), with every way of moving through it: one move or many back and
// forward, to a chosen node, a loaded game, a new game, the replay.
// Keeps the board, the time sums, the "Take back move" and "Next move"
// buttons and the engine consistent with the current node. Runs on the
// user-interface thread.

#include "app/settings/GeneralSettings.h"
#include "board/BoardView.h"
#include "game/Game.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Window.h"
#include "rules/GameEnd.h"
#include "rules/Position.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

inline constexpr int NewGameCommand = 40006;
inline constexpr int TakeBackCommand = 40038;
inline constexpr int ForwardCommand = 40039;
inline constexpr int ReplayCommand = 40010;
inline constexpr int ReplayToolButton = 396;

// The parts of the program the game flow calls but does not own: the engine
// session, announcements, autosave, training and the status display. Each
// default does nothing, as for a program without them.
class IGameFlowHost {
public:
    virtual ~IGameFlowHost() = default;
    virtual void autosave() { }
    // Speaks the move; returns when the announcement has ended.
    virtual void announceMove(CMove) { }
    virtual void announceMoveFull(CMove) { }
    virtual void announceGameState() { }
    // After a user move: the engine is asked to answer or to stop.
    virtual void userMoveArrived() { }
    virtual bool searchRunning() const { return false; }
    // Stops a running search; its result is not played.
    virtual void stopSearch() { }
    virtual bool analysisMode() const { return false; }
    virtual void leaveAnalysisMode() { }
    virtual void restartAnalysis() { }
    virtual void clearPonder() { }
    // Depth and score 0, no principal variation.
    virtual void clearSearchLine() { }
    virtual void resetSearchInfo() { }
    virtual void clearHashTables() { }
    // The engine-related state of a new game (coach score, side search,
    // ponder move, DGT clocks, the analysis button).
    virtual void resetForNewGame() { }
    virtual void setEngineResultMayBePlayed(bool) { }
    virtual bool trainingRunning() const { return false; }
    virtual void stopTraining() { }
    virtual bool modalDialogOpen() const { return false; }
    virtual void repaintStatus() { }
};

// The user side of the "Add line" and "Select line" dialogs.
class ILineDialogUi {
public:
    virtual ~ILineDialogUi() = default;

    enum class Button { ReplaceMainLine, AddMainLine, AddLine, DeleteSelected, DontAdd, Ok, Cancel };
    struct NewLineChoice {
        Button button = Button::Ok;
        int selected = -1; // the chosen entry of the lines list, -1 for none
        int newDefault = 0; // "Change default to": 0 Ask .. 3 Add line
    };
    // Shows "Add line" with the continuations and the new move, with
    // `defaultChoice` (0 Ask .. 3 Add line) chosen in "Change default to";
    // returns what the user did next.
    virtual NewLineChoice newLine(const std::vector<std::string>& lines, const std::string& newMove,
        int defaultChoice) = 0;
    // Shows "Select line"; the chosen entry, or -1 when closed without one.
    virtual int selectLine(const std::vector<std::string>& lines) = 0;
};

// "10.Nf3 Nc6 11.Bb5 a6": the move and up to count - 1 moves of its main line.
std::string moveLineText(const CGameNode& node, int count);

class CGameFlow {
public:
    CGameFlow(CBoardView& view, IWindowHost& window, IDialogs& dialogs, IClock& clock, CGeneralSettings& settings,
        IGameFlowHost& host, ILineDialogUi& lines);

    CGame& game() { return *m_game; }
    CGameNode* current() const { return m_current; }
    CPosition& position() { return m_position; }
    int plyCounter() const { return m_plyCounter; }
    CMove lastMove() const { return m_lastMove; }
    // Thinking time of White (0) and Black (1), milliseconds.
    std::int64_t timeSum(int colour) const { return m_timeSums[std::size_t(colour)]; }
    bool userClockRunning() const { return m_userClockRunning; }
    std::uint64_t userClockStart() const { return m_userClockStart; }
    bool replayRunning() const { return m_replay; }
    bool engineOutputHidden() const { return m_outputHidden; }
    int bookMisses() const { return m_bookMisses; }
    void setBookMisses(int n) { m_bookMisses = n; }

    // A complete legal move from the board or the DGT board.
    void onUserMove(CMove move, bool dragged);
    // Adds the move to the game and shows it; false only when the user
    // declined in "Add line".
    bool playMove(CMove move, std::int64_t thinkTime, bool animate, bool byEngine);
    void resetGame();
    // Command 40006: asks first when the game is worth keeping.
    void newGame();
    void goToNode(CGameNode* node);
    // Makes a loaded game current; nothing for none.
    void setGame(std::unique_ptr<CGame> game);
    bool takeBackOne(bool animate);
    void forwardOne();
    void takeBackPlies(int n);
    void forwardPlies(int n);
    // Commands 40038 and 40039 with the analysis-mode pause.
    void backCommand(bool animate);
    // The navigation commands: 40006 new game, 40038 back, 40039 forward,
    // 397 back 20 plies, 398 forward 20 plies, 40051 to the start, 40052 to
    // the end, 40010 replay. False for any other id.
    bool onCommand(int id);
    void toggleReplay();
    void stopReplay();
    // Timer 103.
    void replayTick();
    bool isGameWorthKeeping() const;
    // Applies the game-end rules to the current position; shows the message.
    CGameState evaluateGameEnd();

    // "Add line" (1 main line, 2 replace, 3 side line, 4 do not play) and
    // "Select line" (the continuation to follow).
    int askNewLine(CMove move);
    int askLine();
    // Removes the line starting with node after asking when it holds more
    // than 2 moves; 1 when it was removed.
    int deleteLine(CGameNode* node);

private:
    void setNavigationButtons();
    void recomputeTimeSums(const CGameNode* node);
    bool throttled(int which);
    Colour moverOf(const CGameNode& node) const { return (node.ply & 1) ? Black : White; }
    void afterMultiStep();
    void startUserClock();
    void clearUserClock()
    {
        m_userClockRunning = false;
        m_userClockStart = 0;
    }

    CBoardView& m_view;
    IWindowHost& m_window;
    IDialogs& m_dialogs;
    IClock& m_clock;
    CGeneralSettings& m_settings;
    IGameFlowHost& m_host;
    ILineDialogUi& m_lines;

    std::unique_ptr<CGame> m_game;
    CGameNode* m_current = nullptr;
    CPosition m_position;
    int m_plyCounter = 1;
    CMove m_lastMove = NoMove;
    std::array<std::int64_t, 2> m_timeSums{};
    std::uint64_t m_userClockStart = 0;
    bool m_userClockRunning = false;
    bool m_replay = false;
    bool m_outputHidden = true;
    int m_bookMisses = 0;
    std::array<std::uint64_t, 4> m_navigationStamps{};
    std::array<bool, 4> m_navigated{};
};

} // namespace qm
