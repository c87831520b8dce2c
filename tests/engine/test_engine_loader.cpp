// The engine loader against plug-ins built for the tests: a complete one,
// one missing an export, one that cannot be loaded, and files that are no
// libraries at all.
#include "engine/EngineLoader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace qm;

namespace {

const std::string PluginDir = QM_TEST_PLUGIN_DIR;

// A fresh folder holding copies of the test plug-ins and a few impostors.
class EngineFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qm_loader_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        for (const char* name : {"complete.qme", "missing_export.qme", "unresolved.qme"})
            fs::copy_file(PluginDir + "/" + name, m_dir / name);
        std::ofstream(m_dir / "text.qme") << "not a library\n";
        fs::create_directory(m_dir / "folder.qme");
        std::ofstream(m_dir / "readme.txt") << "ignored\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const char* name) const { return (m_dir / name).string(); }
    std::string folder() const { return m_dir.string(); }

    fs::path m_dir;
    CSystemLoader m_loader;
};

struct Received {
    std::uint64_t nodes = 0;
    int depth = 0, selDepth = 0, index = 0, count = 0, score = 0;
    std::string move, pv;
};
Received g_received;

} // namespace

TEST_F(EngineFolder, LoadResultPerFile)
{
    struct Case {
        const char* file;
        LoadResult result;
        int error;
    };
    const Case cases[] = {
        {"complete.qme", LoadResult::Loaded, 0},
        {"missing_export.qme", LoadResult::MissingExport, 0},
        {"unresolved.qme", LoadResult::LoadFailed, ENOEXEC},
        {"text.qme", LoadResult::LoadFailed, ENOEXEC},
        {"absent.qme", LoadResult::LoadFailed, ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<CEnginePlugin> plugin;
        LoadFailure failure;
        EXPECT_EQ(loadEnginePlugin(m_loader, path(c.file), plugin, failure), c.result);
        EXPECT_EQ(plugin != nullptr, c.result == LoadResult::Loaded);
        if (c.result == LoadResult::LoadFailed) {
            EXPECT_EQ(failure.error, c.error);
            EXPECT_FALSE(failure.detail.empty());
        }
    }
}

TEST_F(EngineFolder, ListingKeepsOnlyCompleteEngines)
{
    std::vector<CEngineFile> engines = listEngines(m_loader, folder());
    ASSERT_EQ(engines.size(), 1u);
    EXPECT_EQ(engines[0].fileName, "complete.qme");
    EXPECT_EQ(engines[0].name, "Scripted Engine");
    EXPECT_EQ(engines[0].path, path("complete.qme"));

    EXPECT_TRUE(listEngines(m_loader, folder() + "/nowhere").empty());

    struct Case {
        const char* wanted;
        bool found;
    };
    for (const Case& c : {Case{"Scripted Engine", true}, Case{"complete", true}, Case{"complete.qme", true},
                          Case{"missing_export", false}, Case{"Scripted", false}, Case{"", false}}) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(findEngine(engines, c.wanted) != nullptr, c.found);
    }
}

TEST_F(EngineFolder, ChoosesByNameElseTheDefaultFile)
{
    std::unique_ptr<CEnginePlugin> plugin;
    LoadFailure failure;
    std::string tried;
    ASSERT_EQ(loadEngineNamed(m_loader, folder(), "Scripted Engine", plugin, failure, tried), LoadResult::Loaded);
    EXPECT_EQ(tried, path("complete.qme"));
    EXPECT_EQ(plugin->engineName(), "Scripted Engine");
    EXPECT_EQ(plugin->fileName(), "complete.qme");

    // Nothing reports the name, and there is no default engine in the folder.
    EXPECT_EQ(loadEngineNamed(m_loader, folder(), "Incomplete Engine", plugin, failure, tried), LoadResult::LoadFailed);
    EXPECT_EQ(tried, path("QuillEngine.qme"));
    EXPECT_EQ(plugin, nullptr);
    EXPECT_EQ(loadFailureMessage(tried, failure.error), "Couldn\u00b4t load '" + tried + "'. Error #2");

    // With a default engine present, an unknown name falls back to it.
    fs::copy_file(path("complete.qme"), path("QuillEngine.qme"));
    ASSERT_EQ(loadEngineNamed(m_loader, folder(), "Nobody", plugin, failure, tried), LoadResult::Loaded);
    EXPECT_EQ(plugin->fileName(), "QuillEngine.qme");
}

TEST_F(EngineFolder, ExportsAndCallbackRecordWork)
{
    std::unique_ptr<CEnginePlugin> plugin;
    LoadFailure failure;
    ASSERT_EQ(loadEnginePlugin(m_loader, path("complete.qme"), plugin, failure), LoadResult::Loaded);
    const CEngineExports& e = plugin->exports();

    g_received = Received{};
    QmEngineCallbacks callbacks{};
    callbacks.nodes = [](std::uint32_t lo, std::uint32_t hi) { g_received.nodes = (std::uint64_t(hi) << 32) | lo; };
    callbacks.depth = [](int d, int s) { g_received.depth = d, g_received.selDepth = s; };
    callbacks.currentMove = [](const char* m, int i, int n) { g_received.move = m, g_received.index = i, g_received.count = n; };
    callbacks.pv = [](const char* pv, int score) { g_received.pv = pv, g_received.score = score; };
    callbacks.identity = [](int v) { return v; };

    e.startEngine(1024, &callbacks);
    e.setPosition("8/8/8/8/8/8/8/K1k5 w - - 0 1");
    e.enterMove("a1a2");
    e.setBook("", 0);
    e.setTimeControl(40, 600);
    e.setLevel(0, 300, 2, 99);
    e.startAnalyse(0);
    e.exitEngine();
    EXPECT_EQ(std::string(e.getParameterList()),
              "StartEngine 1024;SetPosition 8/8/8/8/8/8/8/K1k5 w - - 0 1;EnterMove a1a2;SetBook  0;"
              "SetTimeControl 40 600;SetLevel 0 300 2 99;StartAnalyse 0;ExitEngine;");
    EXPECT_EQ(g_received.nodes, (std::uint64_t(1) << 32) + 5);
    EXPECT_EQ(g_received.depth, 3);
    EXPECT_EQ(g_received.selDepth, 7);
    EXPECT_EQ(g_received.move, "e2e4");
    EXPECT_EQ(g_received.index, 1);
    EXPECT_EQ(g_received.count, 20);
    EXPECT_EQ(g_received.pv, "e2e4 e7e5");
    EXPECT_EQ(g_received.score, 31);
    EXPECT_EQ(e.getInterfaceVersion(), EngineInterfaceVersion);
}

TEST(EngineTexts, WindowTitleAndMessages)
{
    struct Case {
        const char* name;
        const char* title;
    };
    for (const Case& c : {Case{"QuillEngine 1.0", "QMS: QuillEngine 1.0"}, Case{"Tobrin 2", "Quillmarsh"},
                          Case{"The Serpello engine", "Quillmarsh"}, Case{"tobrin", "QMS: tobrin"}, Case{"", "QMS: "}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(engineWindowTitle(c.name), c.title);
    }
    EXPECT_EQ(outOfMemoryMessage("a.qme"), "Our of memory. Couldn\u00b4t load 'a.qme'.");
}
