// A library that cannot be loaded: it needs a symbol nothing provides.
#include "engine/EnginePlugin.h"

extern "C" void qmSymbolThatNoLibraryDefines();

QM_ENGINE_EXPORT const char* GetEngineName()
{
    qmSymbolThatNoLibraryDefines();
    return "Unloadable Engine";
}
