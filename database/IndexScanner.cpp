#include "database/IndexScanner.h"

#include "game/Game.h"
#include "game/PgnReader.h"

#include <cstring>

namespace qm {

namespace {

constexpr std::size_t BufferSize = 1 << 20;

enum : std::uint8_t {
    Symbol = 1,   // may be part of a tag name
    Blank = 2,    // blank or tab
    LineEnd = 4,  // carriage return or line feed
    Stop = 8,     // ends the fast skip of movetext: '[' or a byte that needs the reader
};

constexpr std::array<std::uint8_t, 256> makeClasses()
{
    std::array<std::uint8_t, 256> t{};
    for (int c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = Symbol;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[std::size_t(c)] = Symbol;
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = Symbol;
    for (char c : std::string_view("_+#=:-!?/"))
        t[std::uint8_t(c)] = Symbol;
    t[' '] = t['\t'] = Blank;
    t['\r'] = t['\n'] = LineEnd;
    for (char c : std::string_view("[{\";%"))
        t[std::uint8_t(c)] = Stop;
    return t;
}
constexpr std::array<std::uint8_t, 256> Classes = makeClasses();

int fieldOf(std::string_view name)
{
    for (std::size_t f = 0; f < CDatabaseEntry::FieldCount; ++f) {
        if (CDatabaseEntry::TagNames[f] == name)
            return int(f);
    }
    return -1;
}

} // namespace

CIndexScanner::CIndexScanner(std::istream& stream, CPgnReader& reader, bool fastPath)
    : m_stream(stream), m_reader(reader), m_fastPath(fastPath)
{
}

CIndexScanner::~CIndexScanner() = default;

bool CIndexScanner::load(std::int64_t offset)
{
    m_bufOffset = offset;
    m_len = m_base = 0;
    m_eof = false;
    return more() || m_eof;
}

// Reads more of the file behind what is held, first dropping the bytes
// before the current game. False at the end of the file or when the game
// fills the whole buffer.
bool CIndexScanner::more()
{
    if (m_eof)
        return false;
    if (m_buf.empty())
        m_buf.resize(BufferSize);
    if (m_base > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_base, m_len - m_base);
        m_bufOffset += std::int64_t(m_base);
        m_len -= m_base;
        m_base = 0;
    }
    if (m_len == m_buf.size()) {
        m_tooLong = true;
        return false;
    }
    m_stream.clear();
    std::streambuf* sb = m_stream.rdbuf();
    const std::int64_t at = m_bufOffset + std::int64_t(m_len);
    if (!sb || sb->pubseekpos(at, std::ios_base::in) != std::streampos(at)) {
        m_eof = true;
        return false;
    }
    const auto n = sb->sgetn(m_buf.data() + m_len, std::streamsize(m_buf.size() - m_len));
    if (n <= 0) {
        m_eof = true;
        return false;
    }
    m_len += std::size_t(n);
    return true;
}

// The byte at index i of the current game, -1 past the end of the file or
// of the buffer (m_tooLong tells which).
inline int CIndexScanner::byteAt(std::size_t i)
{
    while (m_base + i >= m_len) {
        if (!more())
            return -1;
    }
    return static_cast<unsigned char>(m_buf[m_base + i]);
}

bool CIndexScanner::scanPlain(std::int64_t start, std::int64_t& next, Fields& fields)
{
    if (start < m_bufOffset || start > m_bufOffset + std::int64_t(m_len) || (m_eof && start == m_bufOffset + std::int64_t(m_len)))
        load(start);
    m_base = std::size_t(start - m_bufOffset);
    m_tooLong = false;
    if (byteAt(0) != '[')
        return false;

    // Where each field's value lies in the game, as (begin, end) indexes:
    // the buffer may move while the game is scanned.
    std::array<std::pair<std::size_t, std::size_t>, CDatabaseEntry::FieldCount> spans{};
    std::array<bool, CDatabaseEntry::FieldCount> seen{};
    std::size_t i = 0;
    int c = '[';
    while (c == '[') {
        std::size_t nameBegin = ++i;
        while ((c = byteAt(i)) >= 0 && (Classes[std::size_t(c)] & Symbol))
            ++i;
        std::size_t nameEnd = i;
        if (nameEnd == nameBegin)
            return false;
        while ((c = byteAt(i)) >= 0 && (Classes[std::size_t(c)] & Blank))
            ++i;
        if (c != '"')
            return false;
        std::size_t valueBegin = ++i;
        while ((c = byteAt(i)) >= 0 && c != '"' && c != '\\' && c != '\r' && c != '\n')
            ++i;
        if (c != '"')
            return false;
        std::size_t valueEnd = i++;
        if (byteAt(i) != ']')
            return false;
        ++i;
        int f = fieldOf(std::string_view(m_buf.data() + m_base + nameBegin, nameEnd - nameBegin));
        if (f >= 0) {
            spans[std::size_t(f)] = {valueBegin, valueEnd};
            seen[std::size_t(f)] = true;
        }
        while ((c = byteAt(i)) >= 0 && (Classes[std::size_t(c)] & (Blank | LineEnd)))
            ++i;
        if (c == ';' || c == '%' || c == '"' || c == '{')
            return false;
        if (c >= 0 && c != '[' && !(Classes[std::size_t(c)] & Symbol))
            return false; // movetext that begins with anything unusual
    }
    if (m_tooLong)
        return false;

    // Movetext: the next game starts at the first '['.
    if (c >= 0) {
        for (;;) {
            const char* p = m_buf.data() + m_base + i;
            const char* end = m_buf.data() + m_len;
            while (p < end && !(Classes[static_cast<unsigned char>(*p)] & Stop))
                ++p;
            i = std::size_t(p - (m_buf.data() + m_base));
            if (p < end)
                break;
            if (!more()) {
                if (m_tooLong)
                    return false;
                break;
            }
        }
        if (m_base + i < m_len && m_buf[m_base + i] != '[')
            return false;
    }
    next = start + std::int64_t(i);
    for (std::size_t f = 0; f < fields.size(); ++f)
        fields[f] = std::string_view(m_buf.data() + m_base + spans[f].first, spans[f].second - spans[f].first);
    // A new game has the Result "*" until a tag says otherwise.
    if (!seen[CDatabaseEntry::Result])
        fields[CDatabaseEntry::Result] = "*";
    return true;
}

bool CIndexScanner::scan(std::int64_t start, std::int64_t& next, Fields& fields)
{
    if (m_fastPath && scanPlain(start, next, fields)) {
        ++m_plain;
        return true;
    }
    m_game.reset();
    m_stream.clear();
    if (!m_reader.scanGame(m_stream, start, next, m_game) || !m_game)
        return false;
    for (std::size_t f = 0; f < fields.size(); ++f)
        fields[f] = m_game->getTag(CDatabaseEntry::TagNames[f]);
    ++m_byReader;
    return true;
}

} // namespace qm
