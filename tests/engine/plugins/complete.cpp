// A plug-in with all fifteen exports that answers from a script: it records
// the calls it gets and reports one fixed search, so the loader and the
// callback record can be checked without a real engine.
#include "engine/EnginePlugin.h"

#include <string>

namespace {
const QmEngineCallbacks* g_callbacks = nullptr;
std::string g_log;
} // namespace

QM_ENGINE_EXPORT void StartEngine(int hashKilobytes, const QmEngineCallbacks* callbacks)
{
    g_callbacks = callbacks;
    g_log += "StartEngine " + std::to_string(hashKilobytes) + ";";
}
QM_ENGINE_EXPORT void ExitEngine() { g_log += "ExitEngine;"; }
QM_ENGINE_EXPORT void StartAnalyse(int ponder)
{
    g_log += "StartAnalyse " + std::to_string(ponder) + ";";
    if (!g_callbacks)
        return;
    g_callbacks->nodes(5, 1);
    g_callbacks->depth(3, 7);
    g_callbacks->currentMove("e2e4", 1, 20);
    g_callbacks->pv("e2e4 e7e5", 31);
}
QM_ENGINE_EXPORT void StopAnalyse() { g_log += "StopAnalyse;"; }
QM_ENGINE_EXPORT void SetPonderOff() { g_log += "SetPonderOff;"; }
QM_ENGINE_EXPORT void ClearHashtables() { g_log += "ClearHashtables;"; }
QM_ENGINE_EXPORT void SetPosition(const char* fen) { g_log += std::string("SetPosition ") + fen + ";"; }
QM_ENGINE_EXPORT void SetBook(const char* path, int mode) { g_log += std::string("SetBook ") + path + " " + std::to_string(mode) + ";"; }
QM_ENGINE_EXPORT void EnterMove(const char* move) { g_log += std::string("EnterMove ") + move + ";"; }
QM_ENGINE_EXPORT void SetLevel(int movesToGo, int seconds, int increment, int depth)
{
    g_log += "SetLevel " + std::to_string(movesToGo) + " " + std::to_string(seconds) + " " + std::to_string(increment) +
             " " + std::to_string(depth) + ";";
}
QM_ENGINE_EXPORT void SetTimeControl(int moves, int seconds)
{
    g_log += "SetTimeControl " + std::to_string(moves) + " " + std::to_string(seconds) + ";";
}
QM_ENGINE_EXPORT const char* GetEngineName() { return "Scripted Engine"; }
// The call log, handed out through the parameter list so the test can read it.
QM_ENGINE_EXPORT const char* GetParameterList() { return g_log.c_str(); }
QM_ENGINE_EXPORT int SetParameter(const char*, const char*) { return 0; }
QM_ENGINE_EXPORT int GetInterfaceVersion() { return qm::EngineInterfaceVersion; }
