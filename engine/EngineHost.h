#pragma once
// CEngineHost: drives one loaded engine synchronously for tools and tests.
// It owns the callback record the engine reports into and keeps what the
// last search reported. Callback records have no context pointer, so each
// host takes one of a few fixed slots whose trampolines find it; at most
// MaxHosts hosts exist at once.
//
// Threads: start, think and exit run on the caller's thread (the engine
// thread of the plug-in contract); stop and ponderHit may be called from
// any other thread while think runs.

#include "engine/EngineLoader.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace qm {

struct CSearchReport {
    std::string pv;          // the last PV reported
    int score = 0;           // its score, for the side to move
    int depth = 0;           // the depth reported last
    int selectiveDepth = 0;
    std::uint64_t nodes = 0;
    std::string currentMove;
    int currentIndex = 0, rootMoves = 0;

    // The first move of the PV, or "" when there is none.
    std::string bestMove() const;
    // The second move of the PV, or "".
    std::string ponderMove() const;
};

class CEngineHost {
public:
    static constexpr int MaxHosts = 4;

    // Takes a slot; throws std::runtime_error when all are in use.
    explicit CEngineHost(std::unique_ptr<CEnginePlugin> plugin);
    // Calls ExitEngine when start was called without exit.
    ~CEngineHost();
    CEngineHost(const CEngineHost&) = delete;
    CEngineHost& operator=(const CEngineHost&) = delete;

    const CEnginePlugin& plugin() const { return *m_plugin; }
    const CEngineExports& exports() const { return m_plugin->exports(); }

    void start(int hashKilobytes);
    void exit();

    // Runs StartAnalyse and returns what the search reported.
    CSearchReport think(bool ponder);
    void stop() { exports().stopAnalyse(); }
    void ponderHit() { exports().setPonderOff(); }

    // Called on the engine thread for every PV, with the depth last reported.
    void onPv(std::function<void(int depth, int score, const std::string& pv)> listener) { m_pvListener = std::move(listener); }

    // A snapshot of the running or last search; safe from any thread.
    CSearchReport report() const;

    // Callback entry points (used by the slot trampolines).
    void receiveNodes(std::uint64_t nodes);
    void receiveDepth(int depth, int selectiveDepth);
    void receiveCurrentMove(const char* move, int index, int count);
    void receivePv(const char* pv, int score);

private:
    std::unique_ptr<CEnginePlugin> m_plugin;
    int m_slot = -1;
    bool m_started = false;
    QmEngineCallbacks m_callbacks{};
    mutable std::mutex m_mutex;
    CSearchReport m_report;
    std::function<void(int, int, const std::string&)> m_pvListener;
};

} // namespace qm
