#pragma once
// CIndexScanner: finds the games of a PGN file and their seven index tags,
// with exactly the results of CPgnReader::scanGame, but fast.
//
// Most games in real files are plain: tag lines of the form [Name "value"]
// and movetext without comments, strings, escapes, ';' or '%'. For such a
// game the boundaries and tag values follow directly from the bytes, and the
// scanner reads them from a large buffer. Any game that is not plain, from
// its first byte, goes to the reader's scanGame, so the reader's rules
// (tolerated deviations, comments, line-skipping, ...) decide every case that
// is not trivial.

#include "database/DatabaseEntry.h"

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>
#include <vector>

namespace qm {

class CGame;
class CPgnReader;

class CIndexScanner {
public:
    using Fields = std::array<std::string_view, CDatabaseEntry::FieldCount>;

    // fastPath false sends every game to the reader (for comparisons).
    CIndexScanner(std::istream& stream, CPgnReader& reader, bool fastPath = true);
    ~CIndexScanner();

    // Scans the game at start as scanGame would: false when scanGame fails;
    // otherwise next is the offset where the next game starts and fields
    // hold the values of White, Black, Date, Event, ECO, Site and Result
    // ("" for a missing tag), valid until the next call.
    bool scan(std::int64_t start, std::int64_t& next, Fields& fields);

    // Games scanned by each path, for measurements.
    std::uint64_t plainGames() const { return m_plain; }
    std::uint64_t readerGames() const { return m_byReader; }

private:
    int byteAt(std::size_t i);
    bool more();
    bool load(std::int64_t offset);
    bool scanPlain(std::int64_t start, std::int64_t& next, Fields& fields);

    std::istream& m_stream;
    CPgnReader& m_reader;
    bool m_fastPath;
    std::vector<char> m_buf;
    std::int64_t m_bufOffset = 0; // file offset of m_buf[0]
    std::size_t m_len = 0;        // bytes held
    std::size_t m_base = 0;       // buffer index of the game being scanned
    bool m_eof = false;           // m_len reaches the end of the file
    bool m_tooLong = false;       // the game does not fit into the buffer
    std::unique_ptr<CGame> m_game;
    std::uint64_t m_plain = 0, m_byReader = 0;
};

} // namespace qm
