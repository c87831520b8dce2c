// QuillEngine through its plug-in interface: search speed (nodes per
// second at a fixed depth, with a deterministic node-count signature) and
// how fast StopAnalyse ends a running search.
// bench-libs: qm_engine_plugin
#include "engine/EngineHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

std::unique_ptr<qm::CEngineHost> quill()
{
    static qm::CSystemLoader loader;
    std::unique_ptr<qm::CEnginePlugin> plugin;
    qm::LoadFailure failure;
    if (qm::loadEnginePlugin(loader, std::string(QM_BINARY_DIR) + "/bin/QuillEngine.qme", plugin, failure) !=
        qm::LoadResult::Loaded)
        return nullptr;
    auto host = std::make_unique<qm::CEngineHost>(std::move(plugin));
    host->start(64 * 1024);
    return host;
}

const char* const Positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
};

void FixedDepthSearch(benchmark::State& state)
{
    auto host = quill();
    if (!host) {
        state.SkipWithError("QuillEngine.qme not built");
        return;
    }
    std::uint64_t nodes = 0;
    for (auto _ : state) {
        for (const char* fen : Positions) {
            host->exports().clearHashtables();
            host->exports().setPosition(fen);
            host->exports().setLevel(1, 999999, 0, int(state.range(0)));
            nodes += host->think(false).nodes;
        }
    }
    state.counters["nodes"] = double(nodes) / double(state.iterations());
    state.counters["nps"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(FixedDepthSearch)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

void StopLatency(benchmark::State& state)
{
    auto host = quill();
    if (!host) {
        state.SkipWithError("QuillEngine.qme not built");
        return;
    }
    double worstMs = 0, totalMs = 0;
    for (auto _ : state) {
        host->exports().setPosition(Positions[2]);
        host->exports().setLevel(1, 999999, 0, 99);
        std::chrono::steady_clock::time_point stopAt;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            stopAt = std::chrono::steady_clock::now();
            host->stop();
        });
        host->think(false);
        auto end = std::chrono::steady_clock::now();
        stopper.join();
        double ms = std::chrono::duration<double, std::milli>(end - stopAt).count();
        state.SetIterationTime(ms / 1000.0);
        worstMs = std::max(worstMs, ms);
        totalMs += ms;
    }
    state.counters["worst_ms"] = worstMs;
    state.counters["mean_ms"] = totalMs / double(state.iterations());
}
BENCHMARK(StopLatency)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
