// The games filter over a whole index: the largest collection of the shared
// data when it is there, else a generated index of the same size.
// bench-libs: qm_database qm_game qm_rules
#include "database/Database.h"
#include "game/PgnReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
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
            char white[32], black[32], date[16], event[16], eco[8];
            std::snprintf(white, sizeof white, "Player%d, A.", i * 7 % 2000);
            std::snprintf(black, sizeof black, "Player%d, B.", i * 13 % 2000);
            std::snprintf(date, sizeof date, "%d.??.??", 1820 + i % 200);
            std::snprintf(event, sizeof event, "Event %d", i % 5000);
            std::snprintf(eco, sizeof eco, "%c%d", 'A' + i % 5, i % 100);
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

// Texts are moved in: assigning literals trips a false -Wrestrict of GCC 12 at -O3.
CSearchFilter criteria(int which)
{
    using S = std::string;
    CSearchFilter c;
    switch (which) {
    case 0: c.white = S("carlsen"); break;
    case 1: c.yearFrom = S("1990"); c.yearTo = S("1999"); c.whiteWins = 1; break;
    case 2: c.event = S("olympiad"); c.eco = S("B9"); break;
    default:
        c.white = S("kasparov"); c.black = S("karpov"); c.yearFrom = S("1984"); c.yearTo = S("1990");
        c.event = S("ch"); c.eco = S("B"); c.draws = 1; c.blackWins = 1;
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
    char label[96];
    std::snprintf(label, sizeof label, "%s, matched %zu of %zu", Names[state.range(0)], result.size(), entries.size());
    state.SetLabel(label);
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
