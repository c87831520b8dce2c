#pragma once
// Finding, loading and binding engine plug-ins (".qme" libraries).

#include "engine/DynamicLibrary.h"
#include "engine/EnginePlugin.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

// The fifteen bound exports of one loaded engine library.
struct CEngineExports {
    QmStartEngine startEngine = nullptr;
    QmExitEngine exitEngine = nullptr;
    QmStartAnalyse startAnalyse = nullptr;
    QmStopAnalyse stopAnalyse = nullptr;
    QmSetPonderOff setPonderOff = nullptr;
    QmClearHashtables clearHashtables = nullptr;
    QmSetPosition setPosition = nullptr;
    QmSetBook setBook = nullptr;
    QmEnterMove enterMove = nullptr;
    QmSetLevel setLevel = nullptr;
    QmSetTimeControl setTimeControl = nullptr;
    QmGetEngineName getEngineName = nullptr;
    QmGetParameterList getParameterList = nullptr;
    QmSetParameter setParameter = nullptr;
    QmGetInterfaceVersion getInterfaceVersion = nullptr;

    // Looks every export up; false (and nothing usable) when one is missing.
    bool bind(IDynamicLibrary& library);
};

// One loaded engine. The library stays loaded as long as the object lives;
// whoever owns it must have ended the engine thread (ExitEngine returned)
// before destroying it.
class CEnginePlugin {
public:
    CEnginePlugin(std::unique_ptr<IDynamicLibrary> library, const CEngineExports& exports, std::string path);

    const CEngineExports& exports() const { return m_exports; }
    const std::string& path() const { return m_path; }
    // The file name without its folder, e.g. "QuillEngine.qme".
    std::string fileName() const;
    // Asks GetEngineName; "" when the engine answers nullptr.
    std::string engineName() const;

private:
    std::unique_ptr<IDynamicLibrary> m_library;
    CEngineExports m_exports;
    std::string m_path;
};

enum class LoadResult { Loaded, LoadFailed, MissingExport };

// Loads the library at path and binds its exports. On LoadFailed the
// failure holds the system error; MissingExport means the library loaded
// but is not an engine (it is released again).
LoadResult loadEnginePlugin(IDynamicLoader& loader, const std::string& path,
                            std::unique_ptr<CEnginePlugin>& plugin, LoadFailure& failure);

struct CEngineFile {
    std::string path;
    std::string fileName; // e.g. "QuillEngine.qme"
    std::string name;     // what GetEngineName answered
};

// Every usable engine in the folder: each "*.qme" file in name order is
// loaded, asked its name and released again. Files that fail to load or
// miss an export are left out without a message.
std::vector<CEngineFile> listEngines(IDynamicLoader& loader, const std::string& folder);

// The name of the engine that ships with the program.
inline constexpr const char* DefaultEngineFile = "QuillEngine.qme";

// Loads the engine that reports wantedName, else the default engine file.
// Returns Loaded with the plugin, or the failure of the chosen file; the
// path of the file tried is in triedPath.
LoadResult loadEngineNamed(IDynamicLoader& loader, const std::string& folder, const std::string& wantedName,
                           std::unique_ptr<CEnginePlugin>& plugin, LoadFailure& failure, std::string& triedPath);

// Matches a name given by a user against an engine: the reported name, or
// the file name with or without ".qme". Empty when nothing matches.
const CEngineFile* findEngine(const std::vector<CEngineFile>& engines, const std::string& wanted);

// The message shown when the chosen engine cannot be loaded.
std::string loadFailureMessage(const std::string& path, int error);
// The message shown when memory runs out while the engines are listed.
std::string outOfMemoryMessage(const std::string& path);
// The main window's title for an engine name.
std::string engineWindowTitle(const std::string& engineName);

} // namespace qm
