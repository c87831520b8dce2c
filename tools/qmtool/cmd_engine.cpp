// qmtool engine list | engine search: the engine plug-ins in the program
// folder, driven through the plug-in interface.
// qmtool-libs: qm_engine_plugin
#include "Registry.h"

#include "engine/EngineHost.h"
#include "engine/EngineLoader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace qmtool {

namespace {

const char* const SearchUsage = "engine search [--engine NAME] [--depth D | --movetime MS] [FEN]";
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The folder of the running executable: engines are found there.
std::string programFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// Loads the engine a user named (reported name or file name with or
// without ".qme"); the default engine when name is empty. Prints the
// reason and returns nullptr when it cannot.
std::unique_ptr<qm::CEnginePlugin> loadByUserName(qm::IDynamicLoader& loader, const std::string& name)
{
    const std::string folder = programFolder();
    std::vector<qm::CEngineFile> engines = qm::listEngines(loader, folder);
    const qm::CEngineFile* chosen = qm::findEngine(engines, name.empty() ? std::string(qm::DefaultEngineFile) : name);
    if (!chosen) {
        std::fprintf(stderr, "qmtool: no engine '%s' in %s\n", name.c_str(), folder.c_str());
        return nullptr;
    }
    std::unique_ptr<qm::CEnginePlugin> plugin;
    qm::LoadFailure failure;
    switch (qm::loadEnginePlugin(loader, chosen->path, plugin, failure)) {
    case qm::LoadResult::Loaded:
        return plugin;
    case qm::LoadResult::LoadFailed:
        std::fprintf(stderr, "qmtool: %s\n", qm::loadFailureMessage(chosen->path, failure.error).c_str());
        return nullptr;
    case qm::LoadResult::MissingExport:
        break;
    }
    std::fprintf(stderr, "qmtool: %s is not an engine\n", chosen->path.c_str());
    return nullptr;
}

int engineList(const Args& args)
{
    if (!args.empty())
        return usageError("engine list", "unexpected argument '" + args[0] + "'");
    qm::CSystemLoader loader;
    for (const qm::CEngineFile& e : qm::listEngines(loader, programFolder()))
        std::printf("%s\t%s\n", e.fileName.c_str(), e.name.c_str());
    return 0;
}

const char* const AddUciUsage = "engine add-uci NAME [--option NAME=VALUE]... COMMAND...";

// Writes a file through a temporary beside it, so a failure leaves no half file.
bool writeFileAtomically(
    const std::filesystem::path& path, const std::string& content, bool copyFrom, const std::filesystem::path& source)
{
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    std::error_code ec;
    if (copyFrom) {
        std::filesystem::copy_file(source, tmp, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec)
            return false;
    } else {
        std::FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::rename(tmp, path, ec);
    if (ec)
        std::filesystem::remove(tmp, ec);
    return !ec;
}

int engineAddUci(const Args& args)
{
    if (args.empty())
        return usageError(AddUciUsage, "NAME is missing");
    const std::string& name = args[0];
    if (name.empty() || name[0] == '.' || name.find('/') != std::string::npos)
        return usageError(AddUciUsage, "NAME must be a plain file name");
    std::string setup;
    std::size_t i = 1;
    for (; i < args.size() && args[i] == "--option"; i += 2) {
        if (i + 1 >= args.size() || args[i + 1].find('=') == std::string::npos || args[i + 1][0] == '=')
            return usageError(AddUciUsage, "--option needs NAME=VALUE");
        const std::string& o = args[i + 1];
        setup += "setoption name " + o.substr(0, o.find('=')) + " value " + o.substr(o.find('=') + 1) + "\n";
    }
    if (i >= args.size())
        return usageError(AddUciUsage, "COMMAND is missing");
    std::string command;
    for (; i < args.size(); ++i) {
        std::string word;
        for (char c : args[i]) {
            if (c == '"' || c == '\\' || c == ' ' || c == '\t')
                word += '\\';
            if (c == '\n' || c == '\r')
                return usageError(AddUciUsage, "COMMAND must not hold line breaks");
            word += c;
        }
        command += (command.empty() ? "" : " ") + word;
    }

    const std::filesystem::path folder = programFolder();
    const std::filesystem::path library = folder / (name + ".qme");
    const std::filesystem::path config = folder / (name + ".uci");
    const std::filesystem::path bridge = folder / "uci" / "UciBridge.qme";
    std::error_code ec;
    if (!std::filesystem::exists(bridge, ec)) {
        std::fprintf(stderr, "qmtool: the UCI bridge %s is missing\n", bridge.c_str());
        return 1;
    }
    // Only a bridge made here may be replaced; any other engine stays.
    if (std::filesystem::exists(library, ec) && !std::filesystem::exists(config, ec)) {
        std::fprintf(stderr, "qmtool: %s exists and is not a UCI bridge; choose another NAME\n", library.c_str());
        return 1;
    }
    if (!writeFileAtomically(config, command + "\n" + setup, false, {})
        || !writeFileAtomically(library, "", true, bridge)) {
        std::fprintf(stderr, "qmtool: cannot write %s\n", library.c_str());
        return 1;
    }
    qm::CSystemLoader loader;
    std::unique_ptr<qm::CEnginePlugin> plugin;
    qm::LoadFailure failure;
    if (qm::loadEnginePlugin(loader, library.string(), plugin, failure) != qm::LoadResult::Loaded) {
        std::fprintf(stderr, "qmtool: %s does not load\n", library.c_str());
        return 1;
    }
    std::printf("%s\t%s\n", library.filename().c_str(), plugin->engineName().c_str());
    return 0;
}

int engineSearch(const Args& args)
{
    std::string name, fen;
    long long depth = 0, movetime = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--engine" || a == "--depth" || a == "--movetime") {
            if (i + 1 >= args.size())
                return usageError(SearchUsage, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--engine")
                name = v;
            else if (a == "--depth" && !parseInt(v, 1, 99, depth))
                return usageError(SearchUsage, "--depth must be 1..99");
            else if (a == "--movetime" && !parseInt(v, 1, 86400000, movetime))
                return usageError(SearchUsage, "--movetime must be 1..86400000 milliseconds");
        } else if (a.rfind("--", 0) == 0) {
            return usageError(SearchUsage, "unknown option '" + a + "'");
        } else {
            fen += (fen.empty() ? "" : " ") + a;
        }
    }
    if (depth && movetime)
        return usageError(SearchUsage, "give --depth or --movetime, not both");
    if (!depth && !movetime)
        movetime = 1000;

    qm::CSystemLoader loader;
    std::unique_ptr<qm::CEnginePlugin> plugin = loadByUserName(loader, name);
    if (!plugin)
        return 1;
    qm::CEngineHost host(std::move(plugin));
    host.onPv([](int d, int score, const std::string& pv) {
        std::printf("depth %d score %d pv %s\n", d, score, pv.c_str());
        std::fflush(stdout);
    });
    host.start(64 * 1024);
    const qm::CEngineExports& e = host.exports();
    e.setPosition(fen.empty() ? StartFen : fen.c_str());
    e.setBook("", 0);
    e.setTimeControl(1, 0);
    // A move time is measured here, to the millisecond: the level interface
    // counts whole seconds, so the search runs unlimited and is stopped.
    e.setLevel(1, 999999, 0, depth ? int(depth) : 99);

    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread timer;
    if (movetime) {
        timer = std::thread([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!done.wait_for(lock, std::chrono::milliseconds(movetime), [&] { return finished; }))
                host.stop();
        });
    }
    qm::CSearchReport report = host.think(false);
    {
        std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    done.notify_all();
    if (timer.joinable())
        timer.join();
    host.exit();
    std::string best = report.bestMove();
    std::printf("bestmove %s\n", best.empty() ? "(none)" : best.c_str());
    return 0;
}

} // namespace

void registerCommands_engine(Registry& r)
{
    r.add({"engine", "list"}, "", engineList);
    r.add({"engine", "add-uci"}, "NAME [--option NAME=VALUE]... COMMAND...", engineAddUci);
    r.add({"engine", "search"}, "[--engine NAME] [--depth D | --movetime MS] [FEN]", engineSearch);
}

} // namespace qmtool
