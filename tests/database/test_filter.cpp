#include "database/SearchFilter.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(ContainsNoCase, FoldsOnlyAsciiLetters)
{
    struct Case {
        const char* text;
        const char* part;
        bool found;
    } cases[] = {
        {"Bergmann, A.", "berg", true},
        {"Bergmann, A.", "MANN, a", true},
        {"Bergmann, A.", "", true},
        {"", "", true},
        {"", "a", false},
        {"abc", "abcd", false},
        {"B20", "b2", true},
        {"Gy\xf6rgy", "GY\xf6R", true},
        {"Gy\xf6rgy", "gy\xd6r", false}, // 8-bit letters compare exactly
        {"[x]", "[X]", true},
        {"@", "`", false}, // neighbours of the letter ranges are not folded
        {"aab", "ab", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(containsNoCase(c.text, c.part), c.found) << c.text << " / " << c.part;
}

TEST(YearMatches, CandidateWalk)
{
    struct Case {
        const char* date;
        const char* from;
        const char* to;
        bool passes;
    } cases[] = {
        {"1992.11.04", "1992", "", true},
        {"1993.??.??", "1992", "", false},
        {"1990.01.01", "1990", "1992", true},
        {"1991.??.??", "1990", "1992", true},
        {"1992.12.31", "1990", "1992", true},
        {"1993.01.01", "1990", "1992", false},
        {"1995.01.01", "1995", "1990", true},
        {"1991.01.01", "1995", "1990", false}, // only 1995 is tried
        {"1000.01.01", "999", "1010", false},  // 999 overflows to 000
        {"0999.01.01", "999", "1010", true},
        {"2001.??.??", "", "2001", true},      // year to alone is a single year
        {"2002.??.??", "", "2001", false},
        {"anything", "", "", true},
        {"", "1990", "1992", false},
        {"1999.05.05", "1995", "1999", true},
        {"x199", "x195", "x199", true},        // non-digits are skipped when counting
        {"1899.??.??", "1899", "19", true},
        {"1900.??.??", "1899", "19", false},   // "1900" > "19" byte by byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(yearMatches(c.date, c.from, c.to), c.passes) << c.date << " " << c.from << "-" << c.to;
}

TEST(YearMatches, StopsAfterThreeThousandIncreases)
{
    // From 0000 the walk reaches 3000 only after 3000 increases: that
    // candidate is never tried.
    EXPECT_TRUE(yearMatches("2999", "0000", "9999"));
    EXPECT_FALSE(yearMatches("3000", "0000", "9999"));
    EXPECT_FALSE(yearMatches("x", "0000", "9999"));
}

namespace {

struct Game {
    const char* white;
    const char* black;
    const char* date;
    const char* event;
    const char* eco;
    const char* result;
};

const Game Games[] = {
    {"Bergmann, A.", "Lindqvist, K.", "1992.11.04", "Open Hamburg", "B22", "1-0"},
    {"Lindqvist, K.", "Bergmann, A.", "1993.??.??", "Open Hamburg", "C45", "1/2-1/2"},
    {"Smith, J.", "Bergmann, A.", "1990.05.01", "Club ch", "B29", "0-1"},
    {"Smith, J.", "Jones, P.", "1991.02.02", "Club ch", "A00", "*"},
    {"Jones, P.", "Smith, J.", "2001.??.??", "Blitz", "E12", ""},
};

std::vector<CDatabaseEntry> makeEntries(CTextPool& pool)
{
    std::vector<CDatabaseEntry> entries;
    int n = 0;
    for (const auto& g : Games)
        entries.push_back(CDatabaseEntry::make(pool, n++, {g.white, g.black, g.date, g.event, g.eco, "Site", g.result}));
    return entries;
}

} // namespace

TEST(Filter, CriteriaTable)
{
    CTextPool pool;
    auto entries = makeEntries(pool);
    struct Case {
        const char* what;
        CSearchFilter criteria;
        std::vector<int> numbers;
    };
    auto crit = [](auto&& set) {
        CSearchFilter c;
        set(c);
        return c;
    };
    const Case cases[] = {
        {"nothing set", CSearchFilter(), {0, 1, 2, 3, 4}},
        {"white berg, either colour", crit([](auto& c) { c.white = "berg"; }), {0, 1, 2}},
        {"white berg, as white", crit([](auto& c) { c.white = "berg"; c.ignoreColour = 0; }), {0}},
        {"berg and lind, either colour", crit([](auto& c) { c.white = "berg"; c.black = "lind"; }), {0, 1}},
        {"berg and lind, as given", crit([](auto& c) { c.white = "berg"; c.black = "lind"; c.ignoreColour = 0; }), {0}},
        {"both names in one player", crit([](auto& c) { c.white = "berg"; c.black = "mann"; }), {0, 1, 2}},
        {"event", crit([](auto& c) { c.event = "HAMBURG"; }), {0, 1}},
        {"single year", crit([](auto& c) { c.yearFrom = "1992"; }), {0}},
        {"year range", crit([](auto& c) { c.yearFrom = "1990"; c.yearTo = "1992"; }), {0, 2, 3}},
        {"draws", crit([](auto& c) { c.draws = 1; }), {1}},
        {"unfinished", crit([](auto& c) { c.unfinished = 1; }), {3}},
        {"wins of either side", crit([](auto& c) { c.whiteWins = 1; c.blackWins = 1; }), {0, 2}},
        {"eco anywhere", crit([](auto& c) { c.eco = "b2"; }), {0, 2}},
        {"eco inside", crit([](auto& c) { c.eco = "12"; }), {4}},
        {"all at once", crit([](auto& c) { c.white = "smith"; c.yearFrom = "1990"; c.yearTo = "1991"; c.eco = "B"; }), {2}},
        {"nothing matches", crit([](auto& c) { c.white = "nobody"; }), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> direct;
        for (const auto& e : entries) {
            if (matches(e, c.criteria))
                direct.push_back(e.number);
        }
        EXPECT_EQ(direct, c.numbers);
        std::vector<CDatabaseEntry> result{entries[0]};
        filterEntries(entries, c.criteria, result);
        std::vector<int> filtered;
        for (const auto& e : result)
            filtered.push_back(e.number);
        EXPECT_EQ(filtered, c.numbers);
    }
}

TEST(Filter, DistinctValuesSortedByteByByte)
{
    CTextPool pool;
    auto entries = makeEntries(pool);
    entries.push_back(CDatabaseEntry::make(pool, 5, {"bergmann, a.", "", "", "", "", "", ""}));
    using V = std::vector<std::string_view>;
    EXPECT_EQ(distinctValues(entries, CDatabaseEntry::White),
              (V{"Bergmann, A.", "Jones, P.", "Lindqvist, K.", "Smith, J.", "bergmann, a."}));
    EXPECT_EQ(distinctValues(entries, CDatabaseEntry::Eco), (V{"", "A00", "B22", "B29", "C45", "E12"}));
    EXPECT_TRUE(distinctValues({}, CDatabaseEntry::Event).empty());
}

TEST(TextPool, InternsOncePerText)
{
    CTextPool pool;
    EXPECT_EQ(pool.intern(""), 0u);
    std::vector<TextId> ids;
    for (int i = 0; i < 5000; ++i)
        ids.push_back(pool.intern("name " + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) {
        EXPECT_EQ(pool.intern("name " + std::to_string(i)), ids[std::size_t(i)]);
        EXPECT_EQ(pool.view(ids[std::size_t(i)]), "name " + std::to_string(i));
    }
    EXPECT_EQ(pool.size(), 5001u);
    EXPECT_EQ(pool.view(999999), "");
    EXPECT_EQ(pool.intern(std::string("a\0b", 3)), pool.intern(std::string("a\0b", 3)));
}
