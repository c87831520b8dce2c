// A library with fourteen of the fifteen exports: SetTimeControl is missing.
#include "engine/EnginePlugin.h"

QM_ENGINE_EXPORT void StartEngine(int, const QmEngineCallbacks*) {}
QM_ENGINE_EXPORT void ExitEngine() {}
QM_ENGINE_EXPORT void StartAnalyse(int) {}
QM_ENGINE_EXPORT void StopAnalyse() {}
QM_ENGINE_EXPORT void SetPonderOff() {}
QM_ENGINE_EXPORT void ClearHashtables() {}
QM_ENGINE_EXPORT void SetPosition(const char*) {}
QM_ENGINE_EXPORT void SetBook(const char*, int) {}
QM_ENGINE_EXPORT void EnterMove(const char*) {}
QM_ENGINE_EXPORT void SetLevel(int, int, int, int) {}
QM_ENGINE_EXPORT const char* GetEngineName() { return "Incomplete Engine"; }
QM_ENGINE_EXPORT const char* GetParameterList() { return ""; }
QM_ENGINE_EXPORT int SetParameter(const char*, const char*) { return 0; }
QM_ENGINE_EXPORT int GetInterfaceVersion() { return 1; }
