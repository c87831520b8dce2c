// The fifteen plug-in exports of QuillEngine. The engine state is one
// object; the plug-in contract says which thread calls what (see
// engine/EnginePlugin.h), and the only calls that may overlap a search
// (StopAnalyse, SetPonderOff, ClearHashtables) act through atomics or a
// try-lock inside the searcher.
#include "engine/EnginePlugin.h"
#include "engine/OpeningBook.h"
#include "engines/quill/Book.h"
#include "rules/Notation.h"
#include "engines/quill/Search.h"

#include <chrono>
#include <string>
#include <vector>

namespace {

struct Engine {
    quill::Searcher searcher;
    quill::Board position;
    bool valid = true;                // false after a bad FEN or an illegal move
    std::vector<std::uint64_t> keys;  // positions before the current one
    quill::Limits limits;
    std::string bookPath;
    int bookMode = 0;
    const QmEngineCallbacks* callbacks = nullptr;
    std::mt19937 random{unsigned(std::chrono::steady_clock::now().time_since_epoch().count())};
    qm::COpeningBook obk;

    Engine() { position.setStart(); }
};

Engine& engine()
{
    static Engine instance;
    return instance;
}

bool endsWith(const std::string& s, const char* suffix)
{
    std::string t(suffix);
    if (s.size() < t.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - t.size() + i])) != t[i])
            return false;
    return true;
}

// A book move reported as if found by a search; false when there is none.
bool playFromBook(Engine& e)
{
    if (e.bookMode <= 0 || e.bookPath.empty())
        return false;
    quill::Move m = quill::NoMove;
    if (endsWith(e.bookPath, ".bin")) {
        m = quill::chooseBookCandidate(quill::polyglotMoves(e.bookPath, e.position), e.bookMode, e.random);
    } else if (endsWith(e.bookPath, ".obk")) {
        qm::CPosition target;
        target.setFromFen(e.position.fen());
        e.obk.setPath(e.bookPath);
        e.obk.setMode(e.bookMode);
        qm::CMove move = e.obk.chooseBookMove(target);
        if (move != qm::NoMove)
            m = e.position.parseMove(qm::writeCoordinate(move));
    }
    if (m == quill::NoMove)
        return false;
    const std::string text = quill::Board::moveText(m);
    if (const QmEngineCallbacks* cb = e.callbacks) {
        if (cb->nodes)
            cb->nodes(0, 0);
        if (cb->depth)
            cb->depth(1, 1);
        if (cb->currentMove)
            cb->currentMove(text.c_str(), 1, 1);
        if (cb->pv)
            cb->pv(text.c_str(), 0);
    }
    return true;
}

} // namespace

QM_ENGINE_EXPORT void StartEngine(int hashKilobytes, const QmEngineCallbacks* callbacks)
{
    Engine& e = engine();
    e.callbacks = callbacks;
    e.searcher.setCallbacks(callbacks);
    e.searcher.resizeHash(std::size_t(hashKilobytes > 64 ? hashKilobytes : 64));
}

QM_ENGINE_EXPORT void ExitEngine()
{
    Engine& e = engine();
    e.callbacks = nullptr;
    e.searcher.setCallbacks(nullptr);
    e.searcher.resizeHash(64);
}

QM_ENGINE_EXPORT void StartAnalyse(int ponder)
{
    Engine& e = engine();
    if (!e.valid)
        return;
    if (!ponder && playFromBook(e))
        return;
    e.searcher.search(e.position, e.keys, e.limits, ponder != 0);
}

QM_ENGINE_EXPORT void StopAnalyse() { engine().searcher.stop(); }

QM_ENGINE_EXPORT void SetPonderOff() { engine().searcher.ponderHit(); }

QM_ENGINE_EXPORT void ClearHashtables() { engine().searcher.clearHash(); }

QM_ENGINE_EXPORT void SetPosition(const char* fen)
{
    Engine& e = engine();
    e.searcher.resetStop();
    e.keys.clear();
    e.valid = fen && e.position.setFromFen(fen);
}

QM_ENGINE_EXPORT void SetBook(const char* path, int mode)
{
    Engine& e = engine();
    e.bookPath = path ? path : "";
    e.bookMode = mode >= 0 && mode <= 3 ? mode : 0;
}

QM_ENGINE_EXPORT void EnterMove(const char* text)
{
    Engine& e = engine();
    e.searcher.resetStop();
    if (!e.valid || !text)
        return;
    std::string move(text);
    if (move == "null" || move == "0000") {
        if (e.position.inCheck()) {
            e.valid = false;
            return;
        }
        e.keys.push_back(e.position.key);
        e.position.makeNull();
        return;
    }
    quill::Move m = e.position.parseMove(move);
    if (m == quill::NoMove) {
        e.valid = false;
        return;
    }
    e.keys.push_back(e.position.key);
    e.position.make(m);
}

QM_ENGINE_EXPORT void SetLevel(int movesToGo, int seconds, int increment, int depth)
{
    Engine& e = engine();
    e.searcher.resetStop();
    e.limits.movesToGo = movesToGo < 0 ? 0 : movesToGo;
    e.limits.seconds = seconds < 0 ? 0 : seconds;
    e.limits.increment = increment < 0 ? 0 : increment;
    e.limits.depth = depth <= 0 ? 1 : depth;
}

QM_ENGINE_EXPORT void SetTimeControl(int moves, int seconds)
{
    Engine& e = engine();
    e.limits.periodMoves = moves < 0 ? 0 : moves;
    e.limits.periodSeconds = seconds < 0 ? 0 : seconds;
}

QM_ENGINE_EXPORT const char* GetEngineName() { return "QuillEngine 1.0"; }

QM_ENGINE_EXPORT const char* GetParameterList() { return ""; }

QM_ENGINE_EXPORT int SetParameter(const char*, const char*) { return 0; }

QM_ENGINE_EXPORT int GetInterfaceVersion() { return qm::EngineInterfaceVersion; }
