// QuillEngine.qme through the plug-in interface, as the program drives it:
// mates, stalemate and draw rules, pondering, stopping, hash sizes, books.
#include "engine/EngineHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <unistd.h>

using namespace qm;
using Clock = std::chrono::steady_clock;

namespace {

const std::string EnginePath = std::string(QM_BINARY_DIR) + "/bin/QuillEngine.qme";

std::unique_ptr<CEngineHost> startQuill(int hashKb = 4096)
{
    static CSystemLoader loader;
    std::unique_ptr<CEnginePlugin> plugin;
    LoadFailure failure;
    if (loadEnginePlugin(loader, EnginePath, plugin, failure) != LoadResult::Loaded)
        return nullptr;
    auto host = std::make_unique<CEngineHost>(std::move(plugin));
    host->start(hashKb);
    return host;
}

long long msSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

long vmSizeKb()
{
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmSize:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return 0;
}

} // namespace

TEST(QuillEngine, FindsMatesAndAvoidsStalemate)
{
    auto host = startQuill();
    ASSERT_TRUE(host) << EnginePath;
    struct Case {
        const char* what;
        const char* fen;
        int depth;
        int score;             // exact score, or 0 to check the range below
        std::set<std::string> best;
    };
    const Case cases[] = {
        {"back-rank mate in one", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 4, 29999, {"a1a8"}},
        {"black mates in one", "r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 4, 29999, {"a8a1"}},
        {"mate in two with king and rook", "k7/8/2K5/8/8/8/8/1R6 w - - 0 1", 6, 29997, {"c6c7"}},
        {"mated in one", "7k/8/8/8/8/1r6/r7/6K1 w - - 0 1", 4, -29998, {"g1h1", "g1f1"}},
        // Almost every quiet move stalemates; only checks keep the win.
        {"stalemate trap", "8/7Q/8/8/8/8/p1K5/k7 w - - 0 1", 4, 29999, {"h7b1", "h7h1", "h7h8"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host->exports().setPosition(c.fen);
        host->exports().setBook("", 0);
        host->exports().setLevel(1, 999999, 0, c.depth);
        CSearchReport r = host->think(false);
        EXPECT_EQ(r.score, c.score);
        EXPECT_TRUE(c.best.count(r.bestMove())) << r.pv;
        EXPECT_GE(r.depth, 1);
        EXPECT_GT(r.nodes, 0u);
    }
}

TEST(QuillEngine, DrawRulesAndPositionsWithoutMoves)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    const CEngineExports& e = host->exports();
    e.setBook("", 0);
    e.setLevel(1, 999999, 0, 5);

    // A queen up but the 100th half-move is next: every move draws.
    e.setPosition("8/8/8/4k3/8/8/8/4K2Q w - - 99 80");
    EXPECT_EQ(host->think(false).score, 0);

    // Repetition through the moves entered: a queen down, White can bring
    // back the position after its second move and takes that draw.
    e.setPosition("3qk1n1/8/8/8/8/8/8/1N2K3 w - - 0 1");
    for (const char* m : {"b1c3", "g8f6", "c3b1", "f6g8", "b1c3", "g8f6"})
        e.enterMove(m);
    CSearchReport repeat = host->think(false);
    EXPECT_EQ(repeat.bestMove(), "c3b1");
    EXPECT_EQ(repeat.score, 0);

    // Checkmated and stalemated sides have no move: no PV at all.
    for (const char* fen : {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "k7/2Q5/1K6/8/8/8/8/8 b - - 0 1"}) {
        SCOPED_TRACE(fen);
        e.setPosition(fen);
        CSearchReport r = host->think(false);
        EXPECT_EQ(r.bestMove(), "");
    }

    // Bad input: a broken FEN or an illegal move makes the engine refuse to
    // search rather than think about some other position.
    e.setPosition("this is no position");
    EXPECT_EQ(host->think(false).bestMove(), "");
    e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    e.enterMove("e2e5");
    EXPECT_EQ(host->think(false).bestMove(), "");
    e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    e.enterMove("E2E4");
    e.enterMove("e7e5");
    std::string reply = host->think(false).bestMove();
    EXPECT_EQ(reply.size(), 4u);
    EXPECT_NE(reply.substr(0, 2), "e7");
}

TEST(QuillEngine, StopEndsAnInfiniteSearchQuickly)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    host->exports().setPosition("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8");
    host->exports().setBook("", 0);
    host->exports().setLevel(1, 999999, 0, 99);
    Clock::time_point stopAt;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopAt = Clock::now();
        host->stop();
    });
    CSearchReport r = host->think(false);
    long long latency = msSince(stopAt);
    stopper.join();
    EXPECT_FALSE(r.bestMove().empty());
    // Generous for sanitizer builds on a busy machine; the benchmark shows
    // the real figure.
    EXPECT_LT(latency, 250);
}

TEST(QuillEngine, PonderHitBecomesATimedSearch)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    host->exports().setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    host->exports().setBook("", 0);
    host->exports().setLevel(1, 1, 0, 99); // one second per move
    std::atomic<bool> done{false};
    Clock::time_point start = Clock::now();
    CSearchReport r;
    std::thread engineThread([&] {
        r = host->think(true);
        done = true;
    });
    // Pondering ignores the time limit...
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(done.load());
    // ...until the expected move comes: then the second starts counting.
    Clock::time_point hit = Clock::now();
    host->ponderHit();
    engineThread.join();
    long long afterHit = msSince(hit);
    EXPECT_GE(msSince(start), 1500);
    EXPECT_GT(afterHit, 600);
    EXPECT_LT(afterHit, 2500);
    EXPECT_FALSE(r.bestMove().empty());
}

TEST(QuillEngine, PonderMissIsStopped)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    host->exports().setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    host->exports().setLevel(1, 1, 0, 99);
    Clock::time_point stopAt;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopAt = Clock::now();
        host->stop();
    });
    host->think(true);
    long long latency = msSince(stopAt);
    stopper.join();
    EXPECT_LT(latency, 250);

    // The stop was for that search only: the next one runs to its limit.
    host->exports().setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    host->exports().setLevel(1, 999999, 0, 6);
    EXPECT_EQ(host->think(false).depth, 6);
}

TEST(QuillEngine, HashSizesAtBothEnds)
{
    for (int kb : {64, 1024 * 1024}) {
        SCOPED_TRACE(kb);
        long before = vmSizeKb();
        auto host = startQuill(kb);
        ASSERT_TRUE(host);
        // The table is reserved in full (and touched only where used).
        if (kb >= 1024 * 1024) {
            EXPECT_GE(vmSizeKb() - before, kb - 1024);
        }
        host->exports().setPosition("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8");
        host->exports().setLevel(1, 999999, 0, 6);
        CSearchReport first = host->think(false);
        EXPECT_EQ(first.depth, 6);
        EXPECT_FALSE(first.bestMove().empty());
        host->exports().clearHashtables();
        host->exit();
    }
}

TEST(QuillEngine, TimeLevels)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    const char* fen = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";
    struct Case {
        const char* what;
        int movesToGo, seconds, increment, depth;
        long long minMs, maxMs;
    };
    const Case cases[] = {
        {"one second per move", 1, 1, 0, 99, 700, 1600},
        {"depth limit", 1, 999999, 0, 3, 0, 1000},
        {"blitz: a share of 10 s, never more than a third", 0, 10, 0, 99, 50, 3400},
        {"almost nothing left", 0, 0, 0, 99, 0, 600},
        {"40 moves in 4 s", 40, 4, 0, 99, 10, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host->exports().setPosition(fen);
        host->exports().setTimeControl(c.movesToGo, c.seconds);
        host->exports().setLevel(c.movesToGo, c.seconds, c.increment, c.depth);
        Clock::time_point start = Clock::now();
        CSearchReport r = host->think(false);
        long long ms = msSince(start);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        EXPECT_FALSE(r.bestMove().empty());
        if (c.depth < 99) {
            EXPECT_EQ(r.depth, c.depth);
        }
    }
}

TEST(QuillEngine, PolyglotBook)
{
    const std::string book = "/usr/share/games/gnuchess/book.bin";
    if (!std::filesystem::exists(book))
        GTEST_SKIP() << "Debian's gnuchess-book is not installed";
    auto host = startQuill();
    ASSERT_TRUE(host);
    const CEngineExports& e = host->exports();
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        e.setBook(book.c_str(), mode);
        e.setLevel(1, 999999, 0, 99);
        CSearchReport r = host->think(false);
        EXPECT_EQ(r.nodes, 0u);
        EXPECT_EQ(r.depth, 1);
        EXPECT_EQ(r.score, 0);
        EXPECT_EQ(r.pv.size(), 4u) << r.pv;
    }
    // Mode 0, a missing file and a position outside the book all search.
    for (auto [path, mode] : {std::pair<std::string, int>{book, 0}, {"/nonexistent/book.bin", 1}}) {
        e.setPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        e.setBook(path.c_str(), mode);
        e.setLevel(1, 999999, 0, 3);
        EXPECT_EQ(host->think(false).depth, 3);
    }
    e.setPosition("8/8/8/4k3/8/8/8/4K2Q w - - 0 1");
    e.setBook(book.c_str(), 1);
    e.setLevel(1, 999999, 0, 3);
    EXPECT_EQ(host->think(false).depth, 3);
}

TEST(QuillEngine, ObkBook)
{
    auto host = startQuill();
    ASSERT_TRUE(host);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("qm_engine_book_" + std::to_string(::getpid()) + ".obk")).string();
    std::ofstream(path, std::ios::binary) << std::string("\x08\x19", 2); // 1.e4, weight 1
    const CEngineExports& e = host->exports();
    struct Case {
        const char* fen;
        int mode;
        bool fromBook;
    };
    for (const Case& c : {Case{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1, true},
                          Case{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, true},
                          Case{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, false},
                          Case{"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", 1, false}}) {
        SCOPED_TRACE(c.mode);
        e.setPosition(c.fen);
        e.setBook(path.c_str(), c.mode);
        e.setLevel(1, 999999, 0, 2);
        CSearchReport r = host->think(false);
        if (c.fromBook) {
            EXPECT_EQ(r.pv, "e2e4");
            EXPECT_EQ(r.nodes, 0u);
        } else {
            EXPECT_GT(r.nodes, 0u);
        }
    }
    std::filesystem::remove(path);
}
