// SAN reading and writing throughput over the moves of real games: every
// move of every PGN game read goes through readSan, and every move shown or
// written through writeSan.
// bench-libs: qm_rules
#include "rules/Notation.h"
#include "rules/Position.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

using namespace qm;

namespace {

struct Sample {
    std::string fen;
    CMove move;
    std::string san;
};

// Positions and moves from random games, weighted like real play: pawn
// pushes, captures, piece moves, castling, checks and promotions all occur.
const std::vector<Sample>& samples()
{
    static const std::vector<Sample> all = [] {
        std::vector<Sample> out;
        std::mt19937 rng(2024);
        for (int game = 0; game < 200; ++game) {
            CPosition p;
            for (int ply = 0; ply < 80; ++ply) {
                CMoveList legal;
                p.generateLegalMoves(legal);
                if (legal.empty())
                    break;
                CMove m = legal[int(rng() % unsigned(legal.count))];
                out.push_back({p.writeFen(), m, writeSan(p, m, true)});
                p.makeMove(m);
            }
        }
        return out;
    }();
    return all;
}

std::vector<CPosition> positions()
{
    std::vector<CPosition> out;
    for (const Sample& s : samples()) {
        out.emplace_back();
        out.back().setFromFen(s.fen);
    }
    return out;
}

void BM_ReadSan(benchmark::State& state)
{
    auto ps = positions();
    const auto& ss = samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readSan(ps[i], ss[i].san));
        i = (i + 1) % ss.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadSan);

void BM_WriteSanWithSuffix(benchmark::State& state)
{
    auto ps = positions();
    const auto& ss = samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeSan(ps[i], ss[i].move, true));
        i = (i + 1) % ss.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteSanWithSuffix);

// Reading a whole game as the PGN reader does: readSan then makeMove.
void BM_ReplayGames(benchmark::State& state)
{
    const auto& ss = samples();
    for (auto _ : state) {
        CPosition p;
        for (const Sample& s : ss) {
            if (s.fen == StartFen)
                p.setStartPosition();
            CMove m = readSan(p, s.san);
            p.makeMove(m);
        }
        benchmark::DoNotOptimize(p.board);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(ss.size()));
}
BENCHMARK(BM_ReplayGames);

} // namespace
