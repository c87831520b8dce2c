#pragma once
// The search of QuillEngine: iterative deepening over a principal-variation
// alpha-beta search with a transposition table, null-move pruning, late-move
// reductions, check extensions and a quiescence search.

#include "engine/EnginePlugin.h"
#include "engines/quill/Board.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quill {

constexpr int Infinite = 32000;
constexpr int Mate = qm::MateScore;         // mate at the root: 30000 - plies
constexpr int MateBound = qm::MateScoreThreshold;
constexpr int MaxPly = 128;

// What SetLevel and SetTimeControl told the engine.
struct Limits {
    int movesToGo = 1;    // 1 this move, 0 rest of game
    int seconds = 5;      // for those moves; 999999 = no limit
    int increment = 0;    // seconds per move
    int depth = 99;       // plies; 99 = none
    int periodMoves = 0;  // SetTimeControl, for information
    int periodSeconds = 0;
};

class TranspositionTable {
public:
    TranspositionTable() = default;
    ~TranspositionTable();
    TranspositionTable(const TranspositionTable&) = delete;
    TranspositionTable& operator=(const TranspositionTable&) = delete;

    // Allocates about the given kilobytes (at least 64); when memory is short
    // the size is halved until it fits. Returns the kilobytes in use.
    std::size_t resize(std::size_t kilobytes);
    void clear();
    std::size_t kilobytes() const { return m_count * sizeof(Entry) / 1024; }

    struct Entry {
        std::uint64_t key;
        std::int16_t score;
        std::int16_t eval;
        Move move;
        std::int8_t depth;
        std::uint8_t bound; // 1 upper, 2 lower, 3 exact
    };
    const Entry* probe(std::uint64_t key) const;
    void store(std::uint64_t key, int score, int eval, Move move, int depth, int bound);

private:
    Entry* m_entries = nullptr;
    std::size_t m_count = 0;
    Entry& slot(std::uint64_t key) const
    {
        __extension__ typedef unsigned __int128 Wide;
        return m_entries[std::size_t((Wide(key) * m_count) >> 64)];
    }
};

struct SearchResult {
    Move best = NoMove;
    Move ponder = NoMove;
    int score = 0;
    int depth = 0;
    std::uint64_t nodes = 0;
};

class Searcher {
public:
    Searcher();

    void setCallbacks(const QmEngineCallbacks* callbacks) { m_callbacks = callbacks; }
    std::size_t resizeHash(std::size_t kilobytes);
    // Clears the table now, or before the next search when one is running.
    void clearHash();

    // Searches root; history holds the keys of the positions before it,
    // oldest first (for repetitions). Reports through the callbacks and
    // returns when a limit is reached or stop() is called.
    SearchResult search(const Board& root, const std::vector<std::uint64_t>& history, const Limits& limits, bool ponder);

    // From any thread: end the running search soon.
    void stop() { m_stop.store(true, std::memory_order_relaxed); }
    // Drops a stop request that no search has seen.
    void resetStop() { m_stop.store(false, std::memory_order_relaxed); }
    // From any thread: the ponder search becomes a normal one, timed from now.
    void ponderHit();

private:
    int alphaBeta(Board& b, int depth, int alpha, int beta, int ply, bool nullAllowed);
    int quiesce(Board& b, int alpha, int beta, int ply);
    bool isRepetitionOrFifty(const Board& b, int ply) const;
    void checkTime();
    std::int64_t elapsedMs() const;
    void scoreMoves(const Board& b, const MoveList& list, int* scores, Move ttMove, int ply) const;
    void updateQuietHistory(const Board& b, Move best, const Move* quiets, int quietCount, int depth, int ply);
    void reportPv(int depth, int score);
    void reportNodes();

    TranspositionTable m_tt;
    std::mutex m_ttMutex; // held by a running search
    std::atomic<bool> m_clearPending{false};

    const QmEngineCallbacks* m_callbacks = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pondering{false};
    std::atomic<std::int64_t> m_startMs{0};
    bool m_stopped = false;
    bool m_timed = false;
    std::int64_t m_softMs = 0, m_hardMs = 0;
    std::int64_t m_lastReportMs = 0;

    std::uint64_t m_nodes = 0;
    int m_selDepth = 0;
    int m_rootIndex = 0;
    int m_rootMoveCount = 0;
    int m_rootMoveNumber = 0;
    std::vector<std::uint64_t> m_keys;
    Move m_killers[MaxPly + 2][2];
    Move m_counter[64][64];
    int m_history[2][64][64];
    Move m_pv[MaxPly + 2][MaxPly + 2];
    int m_pvLength[MaxPly + 2];
    Move m_lastMove[MaxPly + 2];
    Move m_rootBest = NoMove;
    Move m_rootPonder = NoMove;
    int m_rootScore = 0;
};

} // namespace quill
