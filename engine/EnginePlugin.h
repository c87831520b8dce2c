#pragma once
// The engine plug-in interface. An engine is a shared library with the
// extension ".qme" that exports the fifteen functions below with C linkage
// and exactly these names. Texts are 8-bit and NUL-terminated.
//
// Threads: StartEngine, StartAnalyse and ExitEngine are called on the
// engine thread, and the callbacks run on it during StartAnalyse.
// StopAnalyse and SetPonderOff may come from another thread while a search
// runs; ClearHashtables may come at any time. The other calls come only
// while no search runs.
//
// Move text: from-square and to-square in coordinates, then a lowercase
// promotion letter ("e7e8q"); readers also accept uppercase. A PV is such
// moves separated by single spaces.

#include <cstdint>

extern "C" {

// The callback record handed to StartEngine: six words. The engine keeps
// the pointer until ExitEngine and calls the entries during StartAnalyse.
struct QmEngineCallbacks {
    std::intptr_t reserved; // always 0
    // Nodes searched so far: low and high half of the 64-bit count.
    void (*nodes)(std::uint32_t low, std::uint32_t high);
    // Depth reached and selective depth.
    void (*depth)(int depth, int selectiveDepth);
    // The root move being searched, its index (from 1) and the root move count.
    void (*currentMove)(const char* move, int index, int count);
    // A principal variation and its score in hundredths of a pawn for the
    // side to move; beyond +-28000 a mate: 30000 - plies to mate.
    void (*pv)(const char* pv, int score);
    // Returns its argument; lets an engine check that the record is live.
    int (*identity)(int value);
};

typedef void (*QmStartEngine)(int hashKilobytes, const QmEngineCallbacks* callbacks);
typedef void (*QmExitEngine)(void);
typedef void (*QmStartAnalyse)(int ponder);          // 0 think, 1 ponder; blocks
typedef void (*QmStopAnalyse)(void);
typedef void (*QmSetPonderOff)(void);
typedef void (*QmClearHashtables)(void);
typedef void (*QmSetPosition)(const char* fen);
typedef void (*QmSetBook)(const char* path, int mode); // "" = none; mode 0..3
typedef void (*QmEnterMove)(const char* move);
// Moves to go (1 = this move, 0 = rest of game), seconds for them,
// increment seconds, depth limit in plies (99 = none). Seconds 999999
// mean no time limit.
typedef void (*QmSetLevel)(int movesToGo, int seconds, int increment, int depth);
// Moves and seconds of the current period (0 moves = whole game).
typedef void (*QmSetTimeControl)(int moves, int seconds);
typedef const char* (*QmGetEngineName)(void);
typedef const char* (*QmGetParameterList)(void);
typedef int (*QmSetParameter)(const char* name, const char* value);
typedef int (*QmGetInterfaceVersion)(void);

} // extern "C"

namespace qm {

// The exports in the order the loader binds them.
inline constexpr const char* EngineExportNames[15] = {
    "StartEngine", "ExitEngine", "StartAnalyse", "StopAnalyse", "SetPonderOff",
    "ClearHashtables", "SetPosition", "SetBook", "EnterMove", "SetLevel",
    "SetTimeControl", "GetEngineName", "GetParameterList", "SetParameter",
    "GetInterfaceVersion",
};

// The interface version the engines of this project answer.
inline constexpr int EngineInterfaceVersion = 1;

// Scores beyond this are mates.
inline constexpr int MateScoreThreshold = 28000;
inline constexpr int MateScore = 30000;

} // namespace qm

// Engines define their exports with this, e.g.
//   QM_ENGINE_EXPORT void StartEngine(int hashKilobytes, const QmEngineCallbacks* cb) { ... }
#define QM_ENGINE_EXPORT extern "C" __attribute__((visibility("default")))
