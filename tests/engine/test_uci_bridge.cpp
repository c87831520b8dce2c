// The UCI bridge plug-in: reading UCI output, and whole searches against
// scripted engine processes (one that dies, one that hangs) and against
// Debian's stockfish when it is installed.
#include "engine/EngineHost.h"
#include "engines/uci/UciInfo.h"
#include "engines/uci/UciProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace qm;
using Clock = std::chrono::steady_clock;

namespace {

const fs::path BridgePath = fs::path(QM_BINARY_DIR) / "bin" / "uci" / "UciBridge.qme";

long long msSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

std::string findStockfish()
{
    for (const char* p : {"/usr/games/stockfish", "/usr/bin/stockfish"})
        if (fs::exists(p))
            return p;
    return "";
}

// A folder with copies of the bridge, each with its ".uci" file.
class BridgeFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qm_bridge_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes NAME.qme and NAME.uci; script, when given, becomes the engine.
    std::unique_ptr<CEngineHost> bridge(const std::string& name, const std::string& commandLine,
                                        const std::string& script = "", const std::string& setup = "")
    {
        std::string command = commandLine;
        if (!script.empty()) {
            fs::path file = m_dir / (name + ".sh");
            std::ofstream(file) << "#!/bin/sh\n" << script;
            fs::permissions(file, fs::perms::owner_all);
            command = file.string();
        }
        std::ofstream(m_dir / (name + ".uci")) << command << "\n" << setup;
        fs::copy_file(BridgePath, m_dir / (name + ".qme"));
        std::unique_ptr<CEnginePlugin> plugin;
        LoadFailure failure;
        if (loadEnginePlugin(m_loader, (m_dir / (name + ".qme")).string(), plugin, failure) != LoadResult::Loaded)
            return nullptr;
        return std::make_unique<CEngineHost>(std::move(plugin));
    }

    fs::path m_dir;
    CSystemLoader m_loader;
};

const char* const Handshake = "while read -r line; do\n  case \"$line\" in\n"
                              "    uci) echo 'id name Scripted UCI'; echo 'option name Hash type spin default 16 min 1 max 64'; echo uciok;;\n"
                              "    isready) echo readyok;;\n";

} // namespace

TEST(UciOutput, InfoLines)
{
    struct Case {
        const char* line;
        bool hasScore;
        int score;
        bool bound;
        const char* pv;
        int depth;
    };
    const Case cases[] = {
        {"depth 12 seldepth 18 multipv 1 score cp 31 nodes 5000 nps 100 pv e2e4 e7e5 g1f3", true, 31, false, "e2e4 e7e5 g1f3", 12},
        {"depth 9 score mate 3 pv a1a8", true, 29995, false, "a1a8", 9},
        {"depth 9 score mate -2 pv g1h1 b3b1", true, -29996, false, "g1h1 b3b1", 9},
        {"depth 1 score mate 1 pv a1a8", true, 29999, false, "a1a8", 1},
        {"depth 7 score cp -45 upperbound pv d2d4", true, -45, true, "d2d4", 7},
        {"depth 7 score cp 99999 pv e7e8Q", true, 27999, false, "e7e8Q", 7},
        {"string depth 3 score cp 5 pv e2e4", false, 0, false, "", 0},
        {"depth x score cp y pv nonsense", false, 0, false, "", 0},
        {"", false, 0, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        uci::Info info = uci::parseInfo(c.line);
        EXPECT_EQ(info.hasScore, c.hasScore);
        if (c.hasScore) {
            EXPECT_EQ(info.score, c.score);
        }
        EXPECT_EQ(info.bound, c.bound);
        EXPECT_EQ(info.pv, c.pv);
        EXPECT_EQ(info.depth, c.depth);
    }
    std::string move, ponder;
    uci::parseBestMove("bestmove e2e4 ponder e7e5", move, ponder);
    EXPECT_EQ(move + "/" + ponder, "e2e4/e7e5");
    uci::parseBestMove("bestmove (none)", move, ponder);
    EXPECT_EQ(move + "/" + ponder, "/");
    EXPECT_EQ(uci::splitCommandLine("\"/opt/my engine/run\" -x a\\ b"),
              (std::vector<std::string>{"/opt/my engine/run", "-x", "a b"}));
}

TEST_F(BridgeFolder, EngineThatDiesMidSearch)
{
    auto host = bridge("Dying", "", std::string(Handshake) +
                                        "    go*) echo 'info currmove e2e4 currmovenumber 1'; echo 'info depth 3 seldepth 5 nodes 1234 score cp 12 pv e2e4 e7e5'; exit 0;;\n"
                                        "  esac\ndone\n");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->plugin().engineName(), "Scripted UCI");
    host->start(1024);
    host->exports().setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    host->exports().setLevel(1, 5, 0, 99);
    Clock::time_point start = Clock::now();
    CSearchReport r = host->think(false);
    EXPECT_LT(msSince(start), 2000);
    EXPECT_EQ(r.pv, "e2e4 e7e5");
    EXPECT_EQ(r.score, 12);
    EXPECT_EQ(r.depth, 3);
    EXPECT_EQ(r.selectiveDepth, 5);
    EXPECT_EQ(r.nodes, 1234u);
    EXPECT_EQ(r.currentMove, "e2e4");
    EXPECT_EQ(r.currentIndex, 1);
    EXPECT_EQ(r.rootMoves, 20); // counted by the bridge: UCI does not say
    // The next search starts the engine again.
    r = host->think(false);
    EXPECT_EQ(r.pv, "e2e4 e7e5");
}

TEST_F(BridgeFolder, EngineThatHangs)
{
    auto host = bridge("Hanging", "", std::string(Handshake) +
                                          "    go*) echo 'info depth 2 score cp -7 pv d2d4'; while true; do sleep 1; done;;\n"
                                          "  esac\ndone\n");
    ASSERT_TRUE(host);
    host->start(1024);
    host->exports().setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

    // An analysis that ignores "stop".
    host->exports().setLevel(1, 999999, 0, 99);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        host->stop();
    });
    Clock::time_point start = Clock::now();
    CSearchReport r = host->think(false);
    stopper.join();
    EXPECT_LT(msSince(start), 3000);
    EXPECT_EQ(r.pv, "d2d4");

    // A timed search with nobody to stop it.
    host->exports().setLevel(1, 1, 0, 99);
    start = Clock::now();
    r = host->think(false);
    EXPECT_LT(msSince(start), 6000);
    EXPECT_EQ(r.pv, "d2d4");
    host->exit();
}

TEST_F(BridgeFolder, MissingProgram)
{
    auto host = bridge("Nowhere", "/nonexistent/uci-engine --flag");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->plugin().engineName(), "Nowhere");
    host->start(1024);
    host->exports().setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    host->exports().setLevel(1, 1, 0, 99);
    Clock::time_point start = Clock::now();
    EXPECT_EQ(host->think(false).bestMove(), "");
    EXPECT_LT(msSince(start), 2000);
}

TEST_F(BridgeFolder, Stockfish)
{
    const std::string stockfish = findStockfish();
    if (stockfish.empty())
        GTEST_SKIP() << "Debian's stockfish is not installed";
    auto host = bridge("Stockfish", stockfish, "", "setoption name Threads value 1\n");
    ASSERT_TRUE(host);
    EXPECT_NE(host->plugin().engineName().find("Stockfish"), std::string::npos);
    host->start(16 * 1024);
    const CEngineExports& e = host->exports();

    struct Case {
        const char* fen;
        int score;
        const char* best;
    };
    for (const Case& c : {Case{"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 29999, "a1a8"},
                          Case{"7k/8/8/8/8/1r6/r7/6K1 w - - 0 1", -29998, ""}}) {
        SCOPED_TRACE(c.fen);
        e.setPosition(c.fen);
        e.setLevel(1, 999999, 0, 8);
        CSearchReport r = host->think(false);
        EXPECT_EQ(r.score, c.score);
        if (*c.best) {
            EXPECT_EQ(r.bestMove(), c.best);
        }
    }

    // Moves entered after the position; stop ends an analysis.
    e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    e.enterMove("e2e4");
    e.setLevel(1, 999999, 0, 99);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        host->stop();
    });
    Clock::time_point start = Clock::now();
    CSearchReport r = host->think(false);
    stopper.join();
    EXPECT_LT(msSince(start), 1500);
    ASSERT_EQ(r.bestMove().size(), 4u);
    EXPECT_EQ(r.bestMove()[1], '7'); // a black move

    // Pondering waits for the hit, then the level counts.
    e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    e.setLevel(1, 1, 0, 99);
    std::atomic<bool> done{false};
    std::thread engineThread([&] {
        r = host->think(true);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    EXPECT_FALSE(done.load());
    host->ponderHit();
    engineThread.join();
    EXPECT_FALSE(r.bestMove().empty());
    host->exit();
}
