#include "engine/EngineLoader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace qm {

namespace {

template <typename Fn>
bool bindOne(IDynamicLibrary& library, const char* name, Fn& out)
{
    void* address = library.symbol(name);
    out = reinterpret_cast<Fn>(address);
    return address != nullptr;
}

std::string joinPath(const std::string& folder, const std::string& file)
{
    if (folder.empty())
        return file;
    return folder.back() == '/' ? folder + file : folder + "/" + file;
}

} // namespace

bool CEngineExports::bind(IDynamicLibrary& library)
{
    const char* const* n = EngineExportNames;
    bool ok = bindOne(library, n[0], startEngine);
    ok = bindOne(library, n[1], exitEngine) && ok;
    ok = bindOne(library, n[2], startAnalyse) && ok;
    ok = bindOne(library, n[3], stopAnalyse) && ok;
    ok = bindOne(library, n[4], setPonderOff) && ok;
    ok = bindOne(library, n[5], clearHashtables) && ok;
    ok = bindOne(library, n[6], setPosition) && ok;
    ok = bindOne(library, n[7], setBook) && ok;
    ok = bindOne(library, n[8], enterMove) && ok;
    ok = bindOne(library, n[9], setLevel) && ok;
    ok = bindOne(library, n[10], setTimeControl) && ok;
    ok = bindOne(library, n[11], getEngineName) && ok;
    ok = bindOne(library, n[12], getParameterList) && ok;
    ok = bindOne(library, n[13], setParameter) && ok;
    ok = bindOne(library, n[14], getInterfaceVersion) && ok;
    if (!ok)
        *this = CEngineExports{};
    return ok;
}

CEnginePlugin::CEnginePlugin(std::unique_ptr<IDynamicLibrary> library, const CEngineExports& exports, std::string path)
    : m_library(std::move(library)), m_exports(exports), m_path(std::move(path))
{
}

std::string CEnginePlugin::fileName() const
{
    return std::filesystem::path(m_path).filename().string();
}

std::string CEnginePlugin::engineName() const
{
    const char* name = m_exports.getEngineName();
    return name ? std::string(name) : std::string();
}

LoadResult loadEnginePlugin(IDynamicLoader& loader, const std::string& path, std::unique_ptr<CEnginePlugin>& plugin,
                            LoadFailure& failure)
{
    plugin.reset();
    std::unique_ptr<IDynamicLibrary> library = loader.open(path, failure);
    if (!library)
        return LoadResult::LoadFailed;
    CEngineExports exports;
    if (!exports.bind(*library))
        return LoadResult::MissingExport;
    plugin = std::make_unique<CEnginePlugin>(std::move(library), exports, path);
    return LoadResult::Loaded;
}

std::vector<CEngineFile> listEngines(IDynamicLoader& loader, const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".qme") == 0 && !it->is_directory(ec))
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());

    std::vector<CEngineFile> engines;
    for (const std::string& file : files) {
        std::unique_ptr<CEnginePlugin> plugin;
        LoadFailure failure;
        std::string path = joinPath(folder, file);
        if (loadEnginePlugin(loader, path, plugin, failure) != LoadResult::Loaded)
            continue;
        engines.push_back({path, file, plugin->engineName()});
    }
    return engines;
}

const CEngineFile* findEngine(const std::vector<CEngineFile>& engines, const std::string& wanted)
{
    for (const CEngineFile& engine : engines)
        if (engine.name == wanted)
            return &engine;
    for (const CEngineFile& engine : engines)
        if (engine.fileName == wanted || engine.fileName == wanted + ".qme")
            return &engine;
    return nullptr;
}

LoadResult loadEngineNamed(IDynamicLoader& loader, const std::string& folder, const std::string& wantedName,
                           std::unique_ptr<CEnginePlugin>& plugin, LoadFailure& failure, std::string& triedPath)
{
    std::string chosen = joinPath(folder, DefaultEngineFile);
    for (const CEngineFile& engine : listEngines(loader, folder)) {
        if (engine.name == wantedName) {
            chosen = engine.path;
            break;
        }
    }
    triedPath = chosen;
    return loadEnginePlugin(loader, chosen, plugin, failure);
}

std::string loadFailureMessage(const std::string& path, int error)
{
    char number[16];
    std::snprintf(number, sizeof number, "%d", error);
    return "Couldn\u00b4t load '" + path + "'. Error #" + number;
}

std::string outOfMemoryMessage(const std::string& path)
{
    return "Our of memory. Couldn\u00b4t load '" + path + "'.";
}

std::string engineWindowTitle(const std::string& engineName)
{
    if (engineName.find("Tobrin") != std::string::npos || engineName.find("Serpello") != std::string::npos)
        return "Quillmarsh";
    return "QMS: " + engineName;
}

} // namespace qm
