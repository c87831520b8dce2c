#include "app/flow/GameFlow.h"

#include "game/GameEndEvaluation.h"
#include "rules/Notation.h"

#include <algorithm>

namespace qm {

namespace {

enum Navigation { BackOne, ForwardOne, BackMany, ForwardMany };

enum VariationMode { Ask = 0, ReplaceMainLine = 1, AddMainLine = 2, AddLine = 3 };

class MessageBoxNotifier final : public IGameEndNotifier {
public:
    explicit MessageBoxNotifier(IDialogs& dialogs)
        : m_dialogs(dialogs)
    {
    }
    void showGameEnd(std::string_view message) override { m_dialogs.messageBox(message, "Quillmarsh", Buttons::Ok); }

private:
    IDialogs& m_dialogs;
};

} // namespace

CGameFlow::CGameFlow(CBoardView& view, IWindowHost& window, IDialogs& dialogs, IClock& clock,
    CGeneralSettings& settings, IGameFlowHost& host, ILineDialogUi& lines)
    : m_view(view)
    , m_window(window)
    , m_dialogs(dialogs)
    , m_clock(clock)
    , m_settings(settings)
    , m_host(host)
    , m_lines(lines)
{
    resetGame();
}

void CGameFlow::startUserClock()
{
    m_userClockStart = m_clock.tickMs();
    m_userClockRunning = true;
}

void CGameFlow::setNavigationButtons()
{
    m_window.setButtonState(TakeBackCommand, ButtonState{false, m_current->parent != nullptr});
    m_window.setButtonState(ForwardCommand, ButtonState{false, m_current->childCount() > 0});
}

bool CGameFlow::throttled(int which)
{
    if (!m_host.analysisMode())
        return false;
    const std::uint64_t now = m_clock.tickMs();
    const std::size_t i = std::size_t(which);
    if (m_navigated[i] && now - m_navigationStamps[i] < 1000)
        return true;
    m_navigated[i] = true;
    m_navigationStamps[i] = now;
    return false;
}

void CGameFlow::recomputeTimeSums(const CGameNode* node)
{
    m_timeSums = {0, 0};
    for (const CGameNode* n = node; n != nullptr && n->parent != nullptr; n = n->parent)
        m_timeSums[std::size_t(moverOf(*n))] += n->time;
}

// ---- Moves into the game ----------------------------------------------------

void CGameFlow::onUserMove(CMove move, bool dragged)
{
    std::int64_t think = 0;
    if (m_userClockRunning)
        think = std::int64_t(m_clock.tickMs() - m_userClockStart);
    else
        startUserClock();
    if (!playMove(move, think, !dragged, false)) {
        m_view.clearSelection();
        return;
    }
    evaluateGameEnd();
    m_host.userMoveArrived();
}

bool CGameFlow::playMove(CMove move, std::int64_t thinkTime, bool animate, bool byEngine)
{
    m_view.cancelDrag();
    const int mode = m_settings.variationMode;
    CGameNode* existing = nullptr;
    for (const auto& child : m_current->children)
        if (child->move == move)
            existing = child.get();
    CGameNode* next = existing;
    if (existing) {
        if (mode == ReplaceMainLine || mode == AddMainLine) {
            if (m_current->indexOf(existing) != 0) {
                promoteChild(*m_current, existing);
                m_game->setResult("*");
            }
            m_game->markModified();
        }
    } else {
        // 1 main line, 2 replace the main line, 3 side line.
        int kind = mode == AddLine ? 3 : mode == AddMainLine ? 1 : mode == ReplaceMainLine ? 2 : 1;
        if (mode == Ask && m_current->childCount() > 0) {
            kind = askNewLine(move);
            if (kind == 4)
                return false;
        }
        if (kind == 2 && m_current->childCount() > 0) {
            deleteChild(*m_current, m_current->child(0));
            m_game->markModified();
            m_game->setResult("*");
        }
        auto node = std::make_unique<CGameNode>(
            move, writeSan(m_position, move), m_current->ply + 1, std::string(), 0, thinkTime);
        next = node.get();
        addChild(*m_current, std::move(node));
        m_game->markModified();
        if (kind != 3 && m_current->indexOf(next) != 0) {
            m_game->setResult("*");
            promoteChild(*m_current, next);
        }
    }
    m_lastMove = move;
    const Colour mover = Colour(m_position.sideToMove);
    m_current = next;
    m_host.autosave();
    setNavigationButtons();
    m_timeSums[mover] += thinkTime;
    m_position.makeMove(move);
    ++m_plyCounter;
    if (byEngine || m_settings.announce == 3) {
        m_host.announceMove(move);
        startUserClock();
    } else if (m_settings.dgtPort != 0) {
        m_host.announceGameState();
    }
    m_view.showMove(move, animate, m_settings.sound != 0, byEngine);
    m_outputHidden = false;
    if (m_host.analysisMode())
        m_host.stopSearch();
    if (!m_settings.autoAnswer) {
        startUserClock();
        m_host.repaintStatus();
    }
    return true;
}

CGameState CGameFlow::evaluateGameEnd()
{
    MessageBoxNotifier notifier(m_dialogs);
    return qm::evaluateGameEnd(m_position, *m_game, *m_current, m_settings.dgtPort != 0 ? nullptr : &notifier);
}

// ---- New and loaded games ---------------------------------------------------

void CGameFlow::resetGame()
{
    m_view.cancelDrag();
    m_position.setStartPosition();
    m_game = std::make_unique<CGame>();
    m_game->setRoot(std::make_unique<CGameNode>(NoMove, "root", -1, "rootnode"));
    m_current = m_game->root();
    m_view.setPicks(NoPick, NoPick);
    m_timeSums = {0, 0};
    clearUserClock();
    m_plyCounter = 1;
    stopReplay();
    m_host.setEngineResultMayBePlayed(true);
    m_lastMove = NoMove;
    m_outputHidden = true;
    m_bookMisses = 0;
    m_host.resetForNewGame();
    m_view.setGamePosition(&m_position);
}

void CGameFlow::newGame()
{
    m_host.stopTraining();
    if (isGameWorthKeeping() && m_settings.dgtPort == 0
        && m_dialogs.messageBox("Do you really want a new game?", "Quillmarsh", Buttons::OkCancel) != Answer::Ok)
        return;
    stopReplay();
    m_host.setEngineResultMayBePlayed(false);
    m_host.stopSearch();
    m_host.autosave();
    resetGame();
    m_host.resetSearchInfo();
    m_host.clearHashTables();
    m_view.clearLastMoveArrow();
    m_window.invalidateAll(true);
    m_window.setButtonState(TakeBackCommand, ButtonState{false, false});
    m_window.setButtonState(ForwardCommand, ButtonState{false, false});
}

bool CGameFlow::isGameWorthKeeping() const
{
    return m_game->isModified() && (countNodes(*m_game->root()) > 6 || !m_game->getTag("FEN").empty());
}

void CGameFlow::goToNode(CGameNode* node)
{
    if (node == nullptr)
        return;
    m_view.cancelDrag();
    recomputeTimeSums(node);
    for (const CGameNode* n = m_current; n != nullptr && n->parent != nullptr; n = n->parent)
        m_position.unmakeMove();
    m_plyCounter = m_position.sideToMove == Black ? 2 : 1;
    std::vector<const CGameNode*> path;
    for (const CGameNode* n = node; n->parent != nullptr; n = n->parent)
        path.push_back(n);
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        m_position.makeMove((*it)->move);
        ++m_plyCounter;
    }
    m_current = node;
    m_lastMove = node->parent ? node->move : NoMove;
    setNavigationButtons();
    m_view.setPicks(NoPick, NoPick);
    m_view.clearLastMoveArrow();
    if (m_host.searchRunning()) {
        m_host.stopSearch();
        m_host.clearPonder();
        m_host.clearSearchLine();
        clearUserClock();
        if (m_host.analysisMode())
            m_host.restartAnalysis();
    } else {
        m_host.clearSearchLine();
    }
    m_window.invalidateAll(false);
}

void CGameFlow::setGame(std::unique_ptr<CGame> game)
{
    if (!game || !game->root())
        return;
    m_host.stopSearch();
    m_host.resetSearchInfo();
    m_host.leaveAnalysisMode();
    m_game = std::move(game);
    const std::string& fen = m_game->getTag("FEN");
    CGameNode* target;
    if (!fen.empty()) {
        m_position.setFromFen(fen);
        target = m_game->root();
    } else {
        m_position.setStartPosition();
        target = m_game->lastMainLineNode();
    }
    m_current = m_game->root();
    m_outputHidden = true;
    m_host.clearSearchLine();
    goToNode(target);
}

// ---- Back and forward -------------------------------------------------------

bool CGameFlow::takeBackOne(bool animate)
{
    m_view.cancelDrag();
    stopReplay();
    if (m_current->parent == nullptr || m_position.historyCount() == 0)
        return false;
    const CMove move = m_position.lastMove();
    m_position.unmakeMove();
    if (m_bookMisses > 0)
        --m_bookMisses;
    m_timeSums[std::size_t(moverOf(*m_current))] -= m_current->time;
    m_current = m_current->parent;
    if (m_current->parent == nullptr) {
        m_window.setButtonState(TakeBackCommand, ButtonState{false, false});
        m_outputHidden = !m_host.analysisMode();
        m_lastMove = NoMove;
    } else {
        m_outputHidden = false;
        m_lastMove = m_position.lastMove();
    }
    --m_plyCounter;
    m_view.clearSelection();
    if (animate)
        m_view.showTakeback(move);
    else
        m_window.invalidateAll(false);
    m_host.clearSearchLine();
    clearUserClock();
    m_host.repaintStatus();
    m_window.setButtonState(ForwardCommand, ButtonState{false, true});
    return true;
}

void CGameFlow::backCommand(bool animate)
{
    if (throttled(BackOne))
        return;
    if (takeBackOne(animate) && m_host.searchRunning())
        m_host.stopSearch();
    m_host.clearPonder();
    if (m_host.analysisMode())
        m_host.restartAnalysis();
}

void CGameFlow::forwardOne()
{
    m_view.cancelDrag();
    if (m_current->childCount() == 0) {
        stopReplay();
        return;
    }
    if (throttled(ForwardOne))
        return;
    if (m_host.searchRunning())
        m_host.stopSearch();
    const bool training = m_host.trainingRunning();
    int index = 0;
    if (m_current->childCount() >= 2 && !m_replay && !training)
        index = askLine();
    CGameNode* child = m_current->child(std::clamp(index, 0, m_current->childCount() - 1));
    m_current = child;
    m_position.makeMove(child->move);
    m_lastMove = child->move;
    ++m_plyCounter;
    m_outputHidden = false;
    m_view.clearSelection();
    if (m_settings.announce == 3 && (training || m_replay))
        m_host.announceMoveFull(child->move);
    m_view.showMove(child->move, true, training || m_replay, training);
    m_host.clearSearchLine();
    m_timeSums[std::size_t(moverOf(*child))] += child->time;
    if (!training)
        clearUserClock();
    m_host.repaintStatus();
    setNavigationButtons();
    m_host.clearPonder();
    if (m_host.analysisMode())
        m_host.restartAnalysis();
}

void CGameFlow::afterMultiStep()
{
    if (m_host.searchRunning())
        m_host.stopSearch();
    m_host.clearSearchLine();
    clearUserClock();
    m_host.clearPonder();
    m_host.repaintStatus();
    m_window.invalidateAll(false);
    if (m_host.analysisMode())
        m_host.restartAnalysis();
}

void CGameFlow::takeBackPlies(int n)
{
    m_view.cancelDrag();
    stopReplay();
    m_view.clearSelection();
    if (throttled(BackMany))
        return;
    bool changed = false;
    for (int i = 0; i < n && m_current->parent != nullptr && m_position.historyCount() > 0; ++i) {
        m_position.unmakeMove();
        m_timeSums[std::size_t(moverOf(*m_current))] -= m_current->time;
        m_current = m_current->parent;
        --m_plyCounter;
        changed = true;
    }
    if (!changed)
        return;
    m_view.clearLastMoveArrow();
    m_lastMove = m_current->parent ? m_current->move : NoMove;
    m_outputHidden = m_current->parent == nullptr && !m_host.analysisMode();
    setNavigationButtons();
    afterMultiStep();
}

void CGameFlow::forwardPlies(int n)
{
    m_view.cancelDrag();
    m_view.clearSelection();
    if (throttled(ForwardMany))
        return;
    bool changed = false;
    for (int i = 0; i < n && m_current->childCount() > 0; ++i) {
        m_current = m_current->child(0);
        m_position.makeMove(m_current->move);
        m_timeSums[std::size_t(moverOf(*m_current))] += m_current->time;
        ++m_plyCounter;
        changed = true;
    }
    if (!changed)
        return;
    m_view.clearLastMoveArrow();
    m_lastMove = m_current->move;
    m_outputHidden = false;
    setNavigationButtons();
    afterMultiStep();
}

bool CGameFlow::onCommand(int id)
{
    switch (id) {
    case NewGameCommand:
        newGame();
        return true;
    case TakeBackCommand:
        backCommand(m_settings.animation != 0);
        return true;
    case ForwardCommand:
        forwardOne();
        return true;
    case 397:
        takeBackPlies(20);
        return true;
    case 398:
        forwardPlies(20);
        return true;
    case 40051:
        takeBackPlies(9999);
        return true;
    case 40052:
        forwardPlies(9999);
        return true;
    case ReplayCommand:
        toggleReplay();
        return true;
    default:
        return false;
    }
}

// ---- Replay -----------------------------------------------------------------

void CGameFlow::stopReplay()
{
    if (!m_replay)
        return;
    m_replay = false;
    m_window.killTimer(ReplayTimer);
    m_window.setMenuChecked(ReplayCommand, false);
    m_window.invalidateToolButton(ReplayToolButton);
}

void CGameFlow::toggleReplay()
{
    if (m_replay) {
        stopReplay();
        return;
    }
    m_replay = true;
    m_window.setTimer(ReplayTimer, 500);
    m_window.setMenuChecked(ReplayCommand, true);
    m_window.invalidateToolButton(ReplayToolButton);
}

void CGameFlow::replayTick()
{
    if (!m_replay || m_view.animating() || m_host.modalDialogOpen())
        return;
    m_window.killTimer(ReplayTimer);
    forwardOne();
}

} // namespace qm
