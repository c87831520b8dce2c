// The games filter over a whole index: the largest collection of the shared
// data when it is there, else a generated index of the same size.
// bench-libs: qm_database qm_game qm_rules
#include "database/Database.h"
#include "game/PgnReader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace qm;

struct Index {
    CPgnReader reader;
    CDatabase db{reader};
    CTextPool pool;
    std::vector<CDatabaseEntry> generated;

    Index()
    {
        const auto file = std::filesystem::path(QM_SHARED_DATA) / "pgn-corpus" / "master-games.pgn";
        if (std::filesystem::exists(file) && db.open(file.string()) && !db.entries().empty())
            return;
        // 215,641 games among 2,000 players over 200 years.
        const char* results[] = {"1-0", "0-1", "1/2-1/2", "*"};
        for (int i = 0; i < 215641; ++i) {
            std::string white = "Player" + std::to_string(i * 7 % 2000) + ", A.";
            std::string black = "Player" + std::to_string(i * 13 % 2000) + ", B.";
            std::string date = std::to_string(1820 + i % 200) + ".??.??";
            std::string event = "Event " + std::to_string(i % 5000);
            std::string eco = std::string(1, char('A' + i % 5)) + std::to_string(i % 100);
            generated.push_back(CDatabaseEntry::make(pool, i, {white, black, date, event, eco, "Site", results[i % 4]}));
        }
    }
    const std::vector<CDatabaseEntry>& entries() const { return generated.empty() ? db.entries() : generated; }
};

Index& index()
{
    static Index i;
    return i;
}

CSearchFilter criteria(int which)
{
    CSearchFilter c;
    switch (which) {
    case 0: c.white = "carlsen"; break;
    case 1: c.yearFrom = "1990"; c.yearTo = "1999"; c.whiteWins = 1; break;
    case 2: c.event = "olympiad"; c.eco = "B9"; break;
    default:
        c.white = "kasparov"; c.black = "karpov"; c.yearFrom = "1984"; c.yearTo = "1990"; c.event = "ch";
        c.eco = "B"; c.draws = 1; c.blackWins = 1;
        break;
    }
    return c;
}

const char* const Names[] = {"white name", "years and result", "event and ECO", "everything"};

void Filter(benchmark::State& state)
{
    const auto& entries = index().entries();
    const CSearchFilter c = criteria(int(state.range(0)));
    std::vector<CDatabaseEntry> result;
    for (auto _ : state) {
        filterEntries(entries, c, result);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetLabel(std::string(Names[state.range(0)]) + ", matched " + std::to_string(result.size()) + " of "
                   + std::to_string(entries.size()));
    state.counters["per_entry"] = benchmark::Counter(double(entries.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Filter)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The plain matching rules, entry by entry, for comparison.
void MatchesOneByOne(benchmark::State& state)
{
    const auto& entries = index().entries();
    const CSearchFilter c = criteria(int(state.range(0)));
    std::size_t n = 0;
    for (auto _ : state) {
        n = 0;
        for (const auto& e : entries)
            n += matches(e, c);
        benchmark::DoNotOptimize(n);
    }
    state.SetLabel(Names[state.range(0)]);
    state.counters["per_entry"] = benchmark::Counter(double(entries.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(MatchesOneByOne)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
