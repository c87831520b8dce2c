#include "database/IndexScanner.h"

#include "game/PgnReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace qm;

namespace {

struct Scanned {
    std::int64_t start, next;
    std::array<std::string, CDatabaseEntry::FieldCount> fields;
    bool operator==(const Scanned&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Scanned& s)
{
    out << "[" << s.start << "," << s.next << ")";
    for (const auto& f : s.fields)
        out << " '" << f << "'";
    return out;
}

// Every game the scanner finds, scanning each game at the previous one's end.
std::vector<Scanned> scanAll(std::istream& in, bool fast, std::uint64_t* plain = nullptr)
{
    CPgnReader reader;
    CIndexScanner scanner(in, reader, fast);
    std::vector<Scanned> games;
    std::int64_t start = 0, next = 0;
    CIndexScanner::Fields fields;
    while (scanner.scan(start, next, fields) && next > start) {
        Scanned s{start, next, {}};
        for (std::size_t f = 0; f < fields.size(); ++f)
            s.fields[f] = std::string(fields[f]);
        games.push_back(s);
        start = next;
    }
    if (plain)
        *plain = scanner.plainGames();
    return games;
}

void expectSameAsReader(const std::string& text, const char* what)
{
    std::istringstream a(text), b(text);
    auto fast = scanAll(a, true);
    auto slow = scanAll(b, false);
    EXPECT_EQ(fast, slow) << what;
}

const std::string Plain = "[Event \"Open\"]\r\n[White \"Bergmann, A.\"]\r\n[Black \"Lind\"]\r\n[Result \"1-0\"]\r\n\r\n"
                          "1. e4 e5 2. Nf3 Nc6 1-0\r\n\r\n";

} // namespace

TEST(IndexScanner, SameGamesAndTagsAsTheReader)
{
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"plain games", Plain + Plain + Plain},
        {"line feeds only", "[White \"A\"]\n[Black \"B\"]\n\n1. d4 d5 *\n\n[White \"C\"]\n\n1. c4 *\n"},
        {"carriage returns only", "[White \"A\"]\r\r1. d4 *\r\r[White \"C\"]\r\r1. c4 *\r"},
        {"escaped quote in a value", "[White \"A \\\"B\\\" C\"]\n\n1. e4 *\n\n" + Plain},
        {"unescaped inner quotes", "[Event \"The \"Big\" One\"]\n\n1. e4 *\n\n" + Plain},
        {"unquoted value", "[Round 3]\n[White \"A\"]\n\n1. e4 *\n\n" + Plain},
        {"value with junk after the quote", "[White \"A\" junk]\n\n1. e4 *\n\n" + Plain},
        {"blank inside the bracket", "[ White \"A\"]\n\n1. e4 *\n\n" + Plain},
        {"no blank before the value", "[White\"A\"]\n\n1. e4 *\n\n" + Plain},
        {"bracket inside a comment", "[White \"A\"]\n\n1. e4 {see [this]} e5 *\n\n" + Plain},
        {"bracket inside a movetext string", "[White \"A\"]\n\n1. e4 \"[x]\" e5 *\n\n" + Plain},
        {"semicolon comment", "[White \"A\"]\n\n1. e4 ; [not a tag\ne5 *\n\n" + Plain},
        {"percent line", "[White \"A\"]\n\n1. e4\n%[escape line\ne5 *\n\n" + Plain},
        {"percent in a value", "[White \"100%\"]\n[Black \"a;b\"]\n\n1. e4 *\n\n" + Plain},
        {"tags only, then a game", "[White \"A\"]\n[Black \"B\"]\n\n" + Plain},
        {"tags only at the end", Plain + "[White \"Z\"]\n"},
        {"movetext without tags", "1. e4 e5 *\n\n" + Plain},
        {"text before the first game", "garbage line\n\n" + Plain + Plain},
        {"byte-order mark", "\xef\xbb\xbf" + Plain + Plain},
        {"NUL bytes and 8-bit names", std::string("[White \"Gy\xf6rgy\"]\n\n1. e4 \0\0 e5 *\n\n", 30) + Plain},
        {"duplicate tags", "[White \"A\"]\n[White \"B\"]\n\n1. e4 *\n\n" + Plain},
        {"empty values", "[White \"\"]\n[Black \"\"]\n\n1. e4 *\n\n" + Plain},
        {"value cut by the end of the file", Plain + "[White \"unterminated"},
        {"value cut by a line end", "[White \"A\n\"]\n\n1. e4 *\n\n" + Plain},
        {"result token right after the tags", "[White \"A\"]\n\n*\n\n" + Plain},
        {"comment right after the tags", "[White \"A\"]\n\n{intro} 1. e4 *\n\n" + Plain},
        {"unclosed comment before a tag line", "[White \"A\"]\n\n1. e4 {never closed\n" + Plain},
        {"blanks only after the last game", Plain + "   \r\n\r\n  "},
        {"empty", ""},
        {"a game longer than the scan buffer",
         "[White \"Long\"]\n\n" + std::string(1 << 21, ' ') + "1. e4 *\n\n" + Plain},
    };
    for (const auto& c : cases)
        expectSameAsReader(c.text, c.what);
}

TEST(IndexScanner, PlainGamesTakeTheFastPath)
{
    std::istringstream in(Plain + Plain + "[White \"A\"]\n\n1. e4 {c} *\n\n" + Plain);
    std::uint64_t plain = 0;
    auto games = scanAll(in, true, &plain);
    ASSERT_EQ(games.size(), 4u);
    EXPECT_EQ(plain, 3u);
    EXPECT_EQ(games[0].fields[CDatabaseEntry::White], "Bergmann, A.");
    EXPECT_EQ(games[0].fields[CDatabaseEntry::Date], "");
}

TEST(IndexScanner, SharedFixturesScanAsTheReaderDoes)
{
    const fs::path fixtures = fs::path(QM_SHARED_DATA) / "pgn-fixtures";
    if (!fs::is_directory(fixtures))
        GTEST_SKIP() << "no shared data";
    for (const auto& item : fs::directory_iterator(fixtures)) {
        if (item.path().extension() != ".pgn")
            continue;
        std::ifstream a(item.path(), std::ios::binary), b(item.path(), std::ios::binary);
        EXPECT_EQ(scanAll(a, true), scanAll(b, false)) << item.path().filename();
    }
}
