#pragma once
// The games filter: criteria on the seven header values of the index, and
// the matching rules. Matching never reads a game's text.

#include "database/DatabaseEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct CSearchFilter {
    std::string white;
    std::string black;
    std::uint8_t ignoreColour = 1; // either name may match either player
    std::string yearFrom;
    std::string yearTo;
    std::string event;
    std::string eco;
    std::uint8_t whiteWins = 0; // accept "1-0"
    std::uint8_t draws = 0;     // accept "1/2"
    std::uint8_t blackWins = 0; // accept "0-1"
    std::uint8_t unfinished = 0; // accept "*"

    bool operator==(const CSearchFilter&) const = default;
};

// True when part occurs in text, letters A-Z compared without case (every
// other byte exactly). An empty part is always found.
bool containsNoCase(std::string_view text, std::string_view part);

// The year test on a Date value: candidates from the first year, counted up
// as decimal text, each looked for in the date, up to the year-to text.
bool yearMatches(std::string_view date, std::string_view yearFrom, std::string_view yearTo);
// The result test: true when no result flag is set or a set flag's text
// occurs in the result.
bool resultMatches(std::string_view result, const CSearchFilter& criteria);

// Whether the entry passes every criterion.
bool matches(const CDatabaseEntry& entry, const CSearchFilter& criteria);

// Appends to result a copy of every entry of entries that matches, in order
// (result is emptied first). Each test is worked out once per distinct text
// of the pool, so that a filter over a large index costs a few table
// look-ups per entry; all entries must share one pool.
void filterEntries(const std::vector<CDatabaseEntry>& entries, const CSearchFilter& criteria,
                   std::vector<CDatabaseEntry>& result);

// Every distinct value of one field among the entries, sorted byte by byte
// (so upper-case names come before lower-case ones), the empty value
// included once when present: the lists of the "Find" page.
std::vector<std::string_view> distinctValues(const std::vector<CDatabaseEntry>& entries, CDatabaseEntry::Field field);

} // namespace qm
