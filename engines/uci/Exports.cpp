// The UCI bridge plug-in: the fifteen exports translated into the UCI
// protocol for an engine process. The command line of the process is the
// first line of a text file beside this library with the same name and the
// extension ".uci"; further lines are UCI commands sent once after the
// handshake (for example "setoption name UCI_Elo value 2000").
//
// A process that dies or stops answering never hangs a caller: searches
// end with what the engine reported so far, a stopped search that brings
// no "bestmove" within a second has its process killed.
#include "engine/EnginePlugin.h"
#include "engines/quill/Board.h"
#include "engines/uci/UciInfo.h"
#include "engines/uci/UciProcess.h"

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds HandshakeTimeout{10000};
constexpr milliseconds StopGrace{1000};    // after "stop", for "bestmove"
constexpr milliseconds BudgetGrace{2000};  // beyond the time given, before "stop"

struct Bridge {
    std::string libraryPath;
    std::vector<std::string> command;
    std::vector<std::string> setup;
    std::string name;
    bool configRead = false;

    uci::Process process;
    bool ready = false;
    int hashKilobytes = 0;
    bool hashOption = false;

    std::string fen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    std::vector<std::string> moves;
    quill::Board board;  // the position after the moves, for side to move and move counts
    bool valid = true;
    int movesToGo = 1, seconds = 5, increment = 0, depth = 99;
    const QmEngineCallbacks* callbacks = nullptr;

    std::atomic<bool> searching{false};
    std::atomic<bool> stopSent{false};
    std::atomic<std::int64_t> stopSentMs{0};
    std::atomic<std::int64_t> ponderHitMs{0};
    std::atomic<bool> clearPending{false};

    Bridge() { board.setStart(); }
};

Bridge& bridge()
{
    static Bridge instance;
    return instance;
}

std::int64_t nowMs()
{
    return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count();
}

void readConfig(Bridge& b)
{
    if (b.configRead)
        return;
    b.configRead = true;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&readConfig), &info) && info.dli_fname)
        b.libraryPath = info.dli_fname;
    std::string path = b.libraryPath;
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".qme") == 0)
        path.resize(path.size() - 4);
    std::ifstream in(path + ".uci");
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (first)
            b.command = uci::splitCommandLine(line);
        else
            b.setup.push_back(line);
        first = false;
    }
}

std::string fileStem(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

// Starts the process and runs the handshake; false (process gone) on failure.
bool startProcess(Bridge& b, bool forName)
{
    readConfig(b);
    if (b.command.empty() || !b.process.start(b.command))
        return false;
    b.process.send("uci");
    auto deadline = Clock::now() + HandshakeTimeout;
    std::string line;
    bool ok = false;
    while (b.process.readLine(line, deadline) == uci::Process::Read::Line) {
        if (line.rfind("id name ", 0) == 0)
            b.name = line.substr(8);
        else if (line.rfind("option name Hash ", 0) == 0)
            b.hashOption = true;
        else if (line == "uciok") {
            ok = true;
            break;
        }
    }
    if (!ok || forName) {
        b.process.stop(milliseconds(500));
        return ok;
    }
    for (const std::string& command : b.setup)
        b.process.send(command);
    if (b.hashOption && b.hashKilobytes > 0)
        b.process.send("setoption name Hash value " + std::to_string(std::max(1, b.hashKilobytes / 1024)));
    b.process.send("isready");
    ok = false;
    while (b.process.readLine(line, deadline) == uci::Process::Read::Line)
        if (line == "readyok") {
            ok = true;
            break;
        }
    if (!ok)
        b.process.kill();
    return ok;
}

bool waitReady(Bridge& b)
{
    if (!b.process.send("isready"))
        return false;
    std::string line;
    auto deadline = Clock::now() + HandshakeTimeout;
    while (b.process.readLine(line, deadline) == uci::Process::Read::Line)
        if (line == "readyok")
            return true;
    return false;
}

int rootMoveCount(const quill::Board& board)
{
    quill::MoveList list;
    board.generate(list, false);
    int n = 0;
    for (int i = 0; i < list.count; ++i)
        n += board.isLegal(list.moves[i]) ? 1 : 0;
    return n;
}

// The "go" command for the level, and the milliseconds the engine was
// given (-1: no limit).
std::string goCommand(const Bridge& b, bool ponder, std::int64_t& budgetMs)
{
    std::string go = ponder ? "go ponder" : "go";
    budgetMs = -1;
    const bool unlimited = b.seconds >= 999999;
    if (unlimited) {
        go += b.depth < 99 ? " depth " + std::to_string(b.depth) : " infinite";
        return go;
    }
    const std::int64_t ms = std::int64_t(b.seconds) * 1000;
    if (b.movesToGo == 1) {
        go += " movetime " + std::to_string(std::max<std::int64_t>(ms, 10));
        budgetMs = ms;
    } else {
        // Only the engine's own clock is known; the other side gets the same.
        std::string t = std::to_string(std::max<std::int64_t>(ms, 10));
        std::string inc = std::to_string(std::int64_t(b.increment) * 1000);
        go += " wtime " + t + " btime " + t + " winc " + inc + " binc " + inc;
        if (b.movesToGo > 1)
            go += " movestogo " + std::to_string(b.movesToGo);
        budgetMs = ms;
    }
    if (b.depth < 99)
        go += " depth " + std::to_string(b.depth);
    return go;
}

} // namespace

QM_ENGINE_EXPORT void StartEngine(int hashKilobytes, const QmEngineCallbacks* callbacks)
{
    Bridge& b = bridge();
    b.callbacks = callbacks;
    b.hashKilobytes = hashKilobytes;
    if (!b.ready)
        b.ready = startProcess(b, false);
}

QM_ENGINE_EXPORT void ExitEngine()
{
    Bridge& b = bridge();
    b.process.stop(milliseconds(1000));
    b.ready = false;
    b.callbacks = nullptr;
}

QM_ENGINE_EXPORT void StartAnalyse(int ponder)
{
    Bridge& b = bridge();
    if (!b.valid)
        return;
    if (!b.ready || !b.process.running()) {
        // The engine died since the last search: one fresh start.
        b.process.kill();
        b.ready = startProcess(b, false);
        if (!b.ready)
            return;
    }
    if (b.clearPending.exchange(false)) {
        b.process.send("ucinewgame");
        if (!waitReady(b)) {
            b.process.kill();
            b.ready = false;
            return;
        }
    }
    std::string position = "position fen " + b.fen;
    if (!b.moves.empty()) {
        position += " moves";
        for (const std::string& m : b.moves)
            position += " " + m;
    }
    std::int64_t budgetMs;
    std::string go = goCommand(b, ponder != 0, budgetMs);
    const int rootMoves = rootMoveCount(b.board);

    b.stopSent = false;
    b.ponderHitMs = ponder ? 0 : nowMs();
    b.searching = true;
    const QmEngineCallbacks* cb = b.callbacks;
    std::string lastPv, bestMove, ponderMove;
    int lastScore = 0;
    if (!b.process.send(position) || !b.process.send(go)) {
        b.searching = false;
        b.process.kill();
        b.ready = false;
        return;
    }
    std::string line;
    for (;;) {
        const std::int64_t now = nowMs();
        if (b.stopSent && now - b.stopSentMs.load() > StopGrace.count()) {
            b.process.kill(); // no answer to "stop": the engine hangs
            b.ready = false;
            break;
        }
        const std::int64_t since = b.ponderHitMs.load();
        if (!b.stopSent && budgetMs >= 0 && since > 0 && now - since > budgetMs + BudgetGrace.count()) {
            b.stopSentMs = now;
            b.stopSent = true;
            b.process.send("stop");
        }
        uci::Process::Read r = b.process.readLine(line, Clock::now() + milliseconds(20));
        if (r == uci::Process::Read::Timeout)
            continue;
        if (r == uci::Process::Read::Closed) {
            b.process.kill();
            b.ready = false;
            break;
        }
        if (line.rfind("bestmove", 0) == 0) {
            uci::parseBestMove(line, bestMove, ponderMove);
            break;
        }
        if (line.rfind("info ", 0) != 0 || !cb)
            continue;
        uci::Info info = uci::parseInfo(line.substr(5));
        if (info.hasNodes && cb->nodes)
            cb->nodes(std::uint32_t(info.nodes), std::uint32_t(info.nodes >> 32));
        if (info.hasDepth && cb->depth)
            cb->depth(info.depth, info.hasSelDepth ? info.selDepth : info.depth);
        if (info.hasCurrMove && cb->currentMove)
            cb->currentMove(info.currMove.c_str(), info.currMoveNumber, rootMoves);
        if (info.hasPv && info.hasScore && !info.bound) {
            lastPv = info.pv;
            lastScore = info.score;
            if (cb->pv)
                cb->pv(info.pv.c_str(), info.score);
        }
    }
    b.searching = false;
    // The move played is the PV's first: make sure it is the one chosen.
    if (!bestMove.empty() && lastPv.compare(0, bestMove.size() + 1, bestMove + " ") != 0 && lastPv != bestMove) {
        std::string pv = ponderMove.empty() ? bestMove : bestMove + " " + ponderMove;
        if (cb && cb->pv)
            cb->pv(pv.c_str(), lastScore);
    }
}

QM_ENGINE_EXPORT void StopAnalyse()
{
    Bridge& b = bridge();
    if (!b.searching || b.stopSent.exchange(true))
        return;
    b.stopSentMs = nowMs();
    b.process.send("stop");
}

QM_ENGINE_EXPORT void SetPonderOff()
{
    Bridge& b = bridge();
    if (!b.searching)
        return;
    b.ponderHitMs = nowMs();
    b.process.send("ponderhit");
}

QM_ENGINE_EXPORT void ClearHashtables() { bridge().clearPending = true; }

QM_ENGINE_EXPORT void SetPosition(const char* fen)
{
    Bridge& b = bridge();
    b.moves.clear();
    b.valid = fen && b.board.setFromFen(fen);
    if (b.valid)
        b.fen = b.board.fen();
}

QM_ENGINE_EXPORT void SetBook(const char*, int)
{
    // A UCI engine keeps its own book, set through its options.
}

QM_ENGINE_EXPORT void EnterMove(const char* text)
{
    Bridge& b = bridge();
    if (!b.valid || !text)
        return;
    quill::Move m = b.board.parseMove(text);
    if (m == quill::NoMove) {
        b.valid = false;
        return;
    }
    b.board.make(m);
    b.moves.push_back(quill::Board::moveText(m));
}

QM_ENGINE_EXPORT void SetLevel(int movesToGo, int seconds, int increment, int depth)
{
    Bridge& b = bridge();
    b.movesToGo = movesToGo < 0 ? 0 : movesToGo;
    b.seconds = seconds < 0 ? 0 : seconds;
    b.increment = increment < 0 ? 0 : increment;
    b.depth = depth <= 0 ? 1 : depth;
}

QM_ENGINE_EXPORT void SetTimeControl(int, int)
{
    // UCI has no period; SetLevel's moves to go carries what it needs.
}

QM_ENGINE_EXPORT const char* GetEngineName()
{
    Bridge& b = bridge();
    if (b.name.empty() && !b.process.running())
        startProcess(b, true);
    if (b.name.empty()) {
        readConfig(b);
        b.name = fileStem(b.libraryPath);
    }
    return b.name.c_str();
}

QM_ENGINE_EXPORT const char* GetParameterList() { return ""; }

QM_ENGINE_EXPORT int SetParameter(const char*, const char*) { return 0; }

QM_ENGINE_EXPORT int GetInterfaceVersion() { return qm::EngineInterfaceVersion; }
