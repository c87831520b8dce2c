#pragma once
// CDatabaseEntry: one game of a database index: its number, seven header
// values and the byte range of its text in the file.
//
// The seven texts are ids into the text pool of the database that made the
// entry; an entry and every copy of it are valid as long as that database
// (whose pool only grows) lives.

#include "database/TextPool.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

struct CDatabaseEntry {
    enum Field { White, Black, Date, Event, Eco, Site, Result, FieldCount };
    // The tag names of the fields, in field order.
    static constexpr std::array<std::string_view, FieldCount> TagNames = {
        "White", "Black", "Date", "Event", "ECO", "Site", "Result"};

    std::int32_t number = 0;             // 0-based position of the game in the file
    std::array<TextId, FieldCount> texts{}; // ids into *pool; 0 is the empty text
    std::uint32_t start = 0;             // offset where the game's range begins
    std::int32_t end = 0;                // offset where it ends, as the reader reported it
    const CTextPool* pool = nullptr;

    std::string_view text(Field field) const { return pool ? pool->view(texts[field]) : std::string_view(); }
    std::string_view white() const { return text(White); }
    std::string_view black() const { return text(Black); }
    std::string_view date() const { return text(Date); }
    std::string_view event() const { return text(Event); }
    std::string_view eco() const { return text(Eco); }
    std::string_view site() const { return text(Site); }
    std::string_view result() const { return text(Result); }

    // An entry whose texts are interned in pool, in field order.
    static CDatabaseEntry make(CTextPool& pool, std::int32_t number,
                               const std::array<std::string_view, FieldCount>& values, std::uint32_t start = 0,
                               std::int32_t end = 0)
    {
        CDatabaseEntry entry;
        entry.number = number;
        for (int f = 0; f < FieldCount; ++f)
            entry.texts[std::size_t(f)] = pool.intern(values[std::size_t(f)]);
        entry.start = start;
        entry.end = end;
        entry.pool = &pool;
        return entry;
    }
};

} // namespace qm
