#include "game/PgnReader.h"

#include "rules/Notation.h"

#include <array>
#include <cstring>
#include <vector>

namespace qm {

bool CGameReaderBase::readGame(std::istream&, std::int64_t, std::int64_t&, std::unique_ptr<CGame>& game)
{
    game.reset();
    return false;
}

bool CGameReaderBase::scanGame(std::istream&, std::int64_t, std::int64_t&, std::unique_ptr<CGame>& game)
{
    game.reset();
    return false;
}

namespace {

enum CharClass : std::uint8_t {
    Blank = 1,        // blank, tab, line end
    SymbolChar = 2,   // letters, digits and _ + # = : - ! ? /
    Digit = 4,
    Special = 8,      // ';' and '%': may start text that is skipped
    LineEnd = 16,
    StartsToken = 32, // everything the lexer makes a token from
    Bracket = 64,     // '[', '{' and '"', which skipping must look at
};

constexpr std::array<std::uint8_t, 256> makeClasses()
{
    std::array<std::uint8_t, 256> t{};
    t[' '] = t['\t'] = Blank;
    t['\r'] = t['\n'] = Blank | LineEnd;
    for (int c = 'a'; c <= 'z'; ++c)
        t[std::size_t(c)] = SymbolChar | StartsToken;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[std::size_t(c)] = SymbolChar | StartsToken;
    for (int c = '0'; c <= '9'; ++c)
        t[std::size_t(c)] = SymbolChar | Digit | StartsToken;
    for (char c : std::string_view("_+#=:-!?/"))
        t[std::uint8_t(c)] = SymbolChar | StartsToken;
    for (char c : std::string_view("\"$()*.<>[]{}"))
        t[std::uint8_t(c)] = StartsToken;
    t[';'] = t['%'] = Special;
    t['['] |= Bracket;
    t['{'] |= Bracket;
    t['"'] |= Bracket;
    return t;
}
constexpr std::array<std::uint8_t, 256> Classes = makeClasses();

constexpr bool is(int c, std::uint8_t cls) { return c >= 0 && (Classes[std::size_t(c)] & cls) != 0; }

bool isResultText(std::string_view s)
{
    return (s.size() == 3 || s.size() == 7) && (s[0] == '0' || s[0] == '1')
           && (s == "1-0" || s == "0-1" || s == "1/2-1/2");
}

constexpr std::size_t BufferSize = 1 << 16;
// How far the lexer may look ahead for its line-based checks.
constexpr std::size_t MaxLookAhead = 512;

} // namespace

struct CPgnReader::Impl {
    // --- Byte source -----------------------------------------------------
    std::istream* stream = nullptr;
    std::streambuf* streamBuf = nullptr;
    std::vector<char> buf = std::vector<char>(BufferSize);
    std::size_t pos = 0, end = 0;
    std::int64_t bufOffset = 0;   // stream offset of buf[0]
    bool bufValid = false;

    // --- Lexer state -----------------------------------------------------
    int last = '\n';          // last character consumed, to see line starts
    bool inComment = false;   // ';' is plain text inside a brace comment
    bool inString = false;
    bool recordRaw = false;   // the tag section needs raw token text
    bool recordText = true;   // off while movetext is only skipped
    bool unterminated = false;   // a comment ran into the end or into a tag line
    CPgnToken tokens[2];
    CPgnToken* tok = &tokens[0];    // the look-ahead token
    CPgnToken* prev = &tokens[1];   // the token consumed last
    bool haveToken = false;

    // --- Parser state ----------------------------------------------------
    std::unique_ptr<CGame> game;
    CGameNode* current = nullptr;
    int depth = 0;
    int nodes = 0;
    CPosition position;
    // Whether the side to move is in check, by the depth of the node whose
    // position it is, along the path to the current node. Every game starts
    // from a valid setup, so it follows from move to move.
    std::vector<CheckStatus> checkAt;
    const char* failure = "";

    // Prepares reading at offset; false when the stream cannot go there.
    bool start(std::istream& s, std::int64_t offset)
    {
        if (offset < 0)
            return false;
        std::streambuf* sb = s.rdbuf();
        if (!sb)
            return false;
        bool reuse = false;
        if (bufValid && stream == &s && streamBuf == sb && offset >= bufOffset
            && offset <= bufOffset + std::int64_t(end)) {
            const auto here = sb->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
            reuse = here != std::streampos(-1) && std::int64_t(here) == bufOffset + std::int64_t(end);
        }
        stream = &s;
        streamBuf = sb;
        if (reuse) {
            pos = std::size_t(offset - bufOffset);
        } else {
            bufValid = false;
            if (sb->pubseekpos(offset, std::ios_base::in) == std::streampos(-1))
                return false;
            bufOffset = offset;
            pos = end = 0;
            bufValid = true;
        }
        last = '\n';
        inComment = inString = false;
        recordRaw = false;
        recordText = true;
        unterminated = false;
        haveToken = false;
        depth = 0;
        nodes = 0;
        failure = "";
        return true;
    }

    std::int64_t offsetHere() const { return bufOffset + std::int64_t(pos); }

    // Makes at least want bytes available from pos; false at the end.
    bool fill(std::size_t want)
    {
        if (pos + want <= end)
            return true;
        if (pos > 0) {
            std::memmove(buf.data(), buf.data() + pos, end - pos);
            bufOffset += std::int64_t(pos);
            end -= pos;
            pos = 0;
        }
        while (end < want) {
            const auto n = streamBuf->sgetn(buf.data() + end, std::streamsize(buf.size() - end));
            if (n <= 0)
                return false;
            end += std::size_t(n);
        }
        return true;
    }

    int rawPeek(std::size_t k = 0)
    {
        if (pos + k >= end && !fill(k + 1))
            return -1;
        return static_cast<unsigned char>(buf[pos + k]);
    }

    // The next character after skipped text, not consumed. Skipped are a
    // line starting with '%' and, outside comments, ';' to the end of the
    // line; the line end itself is left as a separator.
    int peek()
    {
        int c = rawPeek();
        while (is(c, Special) && !inString && (c == '%' ? (last == '\n' || last == '\r') : !inComment)) {
            do {
                ++pos;
                c = rawPeek();
            } while (c >= 0 && c != '\n');
        }
        return c;
    }

    int get()
    {
        const int c = peek();
        if (c >= 0) {
            ++pos;
            last = c;
            if (recordRaw)
                tok->raw += char(c);
        }
        return c;
    }

    // True when the text at the read position is a tag line's start: '['
    // and a name, blanks, and a double quote.
    bool atTagLine()
    {
        if (rawPeek() != '[' || !is(rawPeek(1), SymbolChar))
            return false;
        std::size_t k = 2;
        while (k < MaxLookAhead && is(rawPeek(k), SymbolChar))
            ++k;
        if (rawPeek(k) != ' ' && rawPeek(k) != '\t')
            return false;
        while (k < MaxLookAhead && (rawPeek(k) == ' ' || rawPeek(k) == '\t'))
            ++k;
        return rawPeek(k) == '"';
    }

    // Whether the quote at the read position, after a backslash, closes a
    // value that ends in a backslash: only blanks and ']' follow on the line.
    bool backslashEndsValue()
    {
        std::size_t k = 1;
        while (k < MaxLookAhead && (rawPeek(k) == ' ' || rawPeek(k) == '\t'))
            ++k;
        if (rawPeek(k) != ']')
            return false;
        ++k;
        while (k < MaxLookAhead && (rawPeek(k) == ' ' || rawPeek(k) == '\t'))
            ++k;
        const int c = rawPeek(k);
        return c < 0 || c == '\r' || c == '\n';
    }

    // --- Lexer -------------------------------------------------------------
    // Reads the next token into t as the parser expects kind expected;
    // false when there is none.
    bool lex(int expected, CPgnToken& t)
    {
        t.raw.clear();
        t.value.clear();
        t.number = 0;
        t.kind = TokUnknown;
        int c;
        if (expected == TokRightBracket) {
            // Everything up to ']' is skipped, but not past the line's end:
            // a value with a missing ']' must not swallow the next lines.
            for (;;) {
                c = peek();
                if (c < 0)
                    return false;
                if (c == ']') {
                    t.offset = offsetHere();
                    get();
                    t.kind = TokRightBracket;
                    return true;
                }
                if (c == '\n' || c == '\r') {
                    t.offset = offsetHere();
                    t.kind = TokRightBracket;
                    return true;
                }
                get();
            }
        }
        if (expected == TokComment) {
            inComment = true;
            for (;;) {
                c = peek();
                if (c < 0) {
                    inComment = false;
                    unterminated = true;
                    return false;
                }
                if (!is(c, Blank))
                    break;
                get();
            }
            t.offset = offsetHere();
            return lexComment(t);
        }
        // Blanks and characters that start no token are skipped.
        for (;;) {
            if (!recordRaw) {
                while (pos < end && !is(static_cast<unsigned char>(buf[pos]), StartsToken | Special)) {
                    last = static_cast<unsigned char>(buf[pos]);
                    ++pos;
                }
            }
            c = peek();
            if (c < 0)
                return false;
            if (is(c, StartsToken))
                break;
            get();
        }
        t.offset = offsetHere();
        get();
        switch (c) {
        case '"': return lexString(t);
        case '$': {
            std::uint32_t n = 0;   // wraps; only the value modulo 256 is used
            while (is(peek(), Digit))
                n = n * 10 + std::uint32_t(get() - '0');
            t.kind = TokNag;
            t.number = std::int32_t(n & 0x7fffffff);
            return true;
        }
        case '(': t.kind = TokLeftParenthesis; return true;
        case ')': t.kind = TokRightParenthesis; return true;
        case '*': t.kind = TokAsterisk; return true;
        case '.': t.kind = TokPeriod; return true;
        case '<': t.kind = TokLeftAngle; return true;
        case '>': t.kind = TokRightAngle; return true;
        case '[': t.kind = TokLeftBracket; return true;
        case ']': t.kind = TokRightBracket; return true;
        case '{': t.kind = TokLeftBrace; return true;
        case '}': t.kind = TokRightBrace; return true;
        default: break;
        }
        if (is(c, Digit) && expected != TokSymbol && expected != TokPeriod) {
            std::uint32_t n = std::uint32_t(c - '0');
            if (recordText)
                t.value += char(c);
            while (is(peek(), Digit)) {
                const int d = get();
                n = n * 10 + std::uint32_t(d - '0');
                if (recordText)
                    t.value += char(d);
            }
            t.kind = TokInt;
            t.number = std::int32_t(n & 0x7fffffff);
            return true;
        }
        t.kind = TokSymbol;
        if (recordText)
            t.value += char(c);
        // Symbol characters are never skipped text, so whole runs of the
        // buffer can be taken at once.
        for (;;) {
            const std::size_t from = pos;
            while (pos < end && is(static_cast<unsigned char>(buf[pos]), SymbolChar))
                ++pos;
            if (pos > from) {
                if (recordText)
                    t.value.append(buf.data() + from, pos - from);
                if (recordRaw)
                    t.raw.append(buf.data() + from, pos - from);
                last = static_cast<unsigned char>(buf[pos - 1]);
            }
            if (pos < end || !is(rawPeek(), SymbolChar))
                break;
        }
        return true;
    }

    bool lexString(CPgnToken& t)
    {
        // A string ends at its closing quote or, as the standard keeps
        // strings on one line, before the line's end.
        inString = true;
        const bool raw = recordRaw;   // a string's raw text is never used
        recordRaw = false;
        for (;;) {
            const std::size_t from = pos;
            while (pos < end) {
                const char b = buf[pos];
                if (b == '"' || b == '\\' || b == '\r' || b == '\n')
                    break;
                ++pos;
            }
            if (pos > from) {
                if (recordText)
                    t.value.append(buf.data() + from, pos - from);
                last = static_cast<unsigned char>(buf[pos - 1]);
            }
            int c = peek();
            if (c < 0 || c == '\n' || c == '\r')
                break;
            get();
            if (c == '"')
                break;
            if (c == '\\') {
                c = peek();
                if (c < 0 || c == '\n' || c == '\r') {
                    t.value += '\\';
                    break;
                }
                if (c == '"' && backslashEndsValue()) {
                    // pos is at the quote; rawPeek(2..) looked past it
                    t.value += '\\';
                    get();
                    break;
                }
                get();
            }
            if (recordText)
                t.value += char(c);
        }
        inString = false;
        recordRaw = raw;
        t.kind = TokString;
        return true;
    }

    // The text from the first non-blank character up to the next '}',
    // which stays in the stream; an empty comment consumes its '}' and has
    // number 1.
    bool lexComment(CPgnToken& t)
    {
        int c = peek();
        if (c == '}') {
            get();
            inComment = false;
            t.kind = TokComment;
            t.number = 1;
            return true;
        }
        for (;;) {
            c = peek();
            if (c < 0) {
                unterminated = true;
                inComment = false;
                return false;
            }
            if (c == '}')
                break;
            if ((last == '\n' || last == '\r') && c == '[' && atTagLine()) {
                // A tag line: the comment was never closed, and the next
                // game starts here.
                unterminated = true;
                inComment = false;
                return false;
            }
            get();
            if (recordText)
                t.value += char(c);
        }
        inComment = false;
        t.kind = TokComment;
        return true;
    }

    // Consumes the look-ahead token (kept in previous) and reads the next.
    void consume(int expected)
    {
        std::swap(prev, tok);
        haveToken = lex(expected, *tok);
    }

    bool at(int kind) const { return haveToken && tok->kind == kind; }

    // --- Parser ------------------------------------------------------------
    bool fail(const char* why)
    {
        if (!*failure)
            failure = why;
        return false;
    }

    void newGame()
    {
        game = std::make_unique<CGame>();
        game->setRoot(std::make_unique<CGameNode>(NoMove, "root", -1));
        current = game->root();
    }

    void tagSection()
    {
        recordRaw = true;
        while (at(TokLeftBracket) && tagPair()) {
        }
        recordRaw = false;
        tok->raw.clear();
    }

    bool tagPair()
    {
        consume(TokSymbol);
        if (!at(TokSymbol))
            return false;
        std::string name = tok->value;
        consume(TokString);
        if (!haveToken)
            return false;
        std::string value;
        if (tok->kind == TokString) {
            value = tok->value;
            consume(TokRightBracket);
        } else if (tok->kind != TokRightBracket) {
            if (tok->raw.find_first_of("\r\n") != std::string::npos) {
                // The tag's line ended without ']' or value: the token
                // belongs to what follows.
                game->setTag(name, "");
                return true;
            }
            // An unquoted value: the token's raw text and the rest up to ']'
            // (or the line's end).
            value = tok->raw;
            for (;;) {
                const int c = peek();
                if (c < 0)
                    return false;
                if (c == ']' || c == '\n' || c == '\r')
                    break;
                value += char(get());
            }
            tok->offset = offsetHere();
            if (peek() == ']')
                get();
            tok->kind = TokRightBracket;
            tok->raw.clear();
        }
        if (!at(TokRightBracket))
            return false;
        // Text skipped before the ']' that holds a quote means the value had
        // unescaped inner quotes: keep them and the text up to the last one.
        const std::string& skipped = tok->raw;
        const auto lastQuote = skipped.rfind('"');
        if (lastQuote != std::string::npos) {
            value += '"';
            value.append(skipped, 0, lastQuote);
        }
        consume(TokSymbol);
        game->setTag(name, value);
        return true;
    }

    void commentRule()
    {
        if (!at(TokLeftBrace))
            return;
        consume(TokComment);
        if (!at(TokComment))
            return;
        if (tok->number == 1) {
            // "{}": the lexer has consumed the '}' already.
            consume(TokSymbol);
            return;
        }
        consume(TokRightBrace);
        if (at(TokRightBrace)) {
            setComment(*current, prev->value);
            consume(TokSymbol);
        }
    }

    bool atResult() const
    {
        return haveToken && (tok->kind == TokAsterisk || (tok->kind == TokSymbol && isResultText(tok->value)));
    }

    bool sequence()
    {
        while (haveToken) {
            commentRule();
            if (!haveToken)
                break;
            switch (tok->kind) {
            case TokLeftParenthesis:
                if (!variation())
                    return false;
                continue;
            case TokRightParenthesis:
                return depth > 0 ? true : fail("')' outside a variation");
            case TokLeftBracket:
                return true;   // the next game's tags: this game has no result
            default:
                break;
            }
            if (atResult())
                return true;
            if (!element())
                return false;
        }
        return !unterminated || fail("comment not closed");
    }

    bool element()
    {
        // Move number: an INT, or a SYMBOL starting with a number above 0;
        // then any number of periods.
        if (at(TokInt) || (at(TokSymbol) && startsWithPositiveNumber(tok->value))) {
            consume(TokPeriod);
            while (at(TokPeriod))
                consume(TokSymbol);
            // A movetext cut off after a move number ("19.") ends here.
            if (!haveToken || at(TokLeftBracket) || atResult())
                return !unterminated || fail("comment not closed");
        }
        if (!move())
            return false;
        // Annotation: NAGs and comments in any order; the last NAG and the
        // last comment win.
        for (;;) {
            commentRule();
            if (!at(TokNag))
                break;
            current->nag = std::uint8_t(tok->number & 255);
            consume(TokSymbol);
        }
        return true;
    }

    static bool startsWithPositiveNumber(const std::string& s)
    {
        bool positive = false;
        std::size_t i = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            positive = positive || s[i] != '0';
        return positive;
    }

    bool move()
    {
        commentRule();
        if (!at(TokSymbol))
            return fail(haveToken ? "a move was expected" : unterminated ? "comment not closed" : "a move was expected");
        consume(TokSymbol);
        const std::string& text = prev->value;
        const CMove m = readSan(position, text, checkAt[std::size_t(current->depth)]);
        if (m == NoMove)
            return fail("illegal or unknown move");
        CGameNode* existing = nullptr;
        for (const auto& c : current->children)
            if (c->move == m) {
                existing = c.get();
                break;
            }
        if (existing) {
            current = existing;
        } else {
            if (++nodes > MaxNodes)
                return fail("too many moves");
            std::size_t glyphAt = 0;
            while (glyphAt < text.size() && text[glyphAt] != '!' && text[glyphAt] != '?')
                ++glyphAt;
            std::uint8_t nag = 0;
            // The text before the glyph is kept as the move's SAN only when
            // the glyph ends the token: "Rf?-2" names Rf2, and "Rf" alone
            // would not read back.
            bool keepText = glyphAt > 0;
            if (glyphAt < text.size()) {
                std::size_t e = glyphAt;
                while (e < text.size() && (text[e] == '!' || text[e] == '?'))
                    ++e;
                nag = nagFromGlyph(std::string_view(text).substr(glyphAt, e - glyphAt));
                keepText = keepText && e == text.size();
            }
            auto node = std::make_unique<CGameNode>(m, std::string(), current->ply + 1, std::string(), nag, 0);
            if (keepText)
                node->san.assign(text, 0, glyphAt);
            else
                node->san = writeSan(position, m);
            CGameNode* raw = node.get();
            addChild(*current, std::move(node));
            current = raw;
        }
        playCurrentMove();
        return true;
    }

    // Plays the current node's move on the position and notes whether it checks.
    void playCurrentMove()
    {
        position.makeMove(current->move);
        const auto at = std::size_t(current->depth);
        if (checkAt.size() <= at)
            checkAt.resize(at + 1);
        checkAt[at] = position.isCheckAfterMove(current->move) ? CheckStatus::InCheck : CheckStatus::NotInCheck;
    }

    bool variation()
    {
        if (depth >= MaxVariationDepth)
            return fail("variations nested too deeply");
        CGameNode* n = current;
        if (!n->parent)
            return fail("a variation before the first move");
        consume(TokSymbol);
        ++depth;
        position.unmakeMove();
        current = n->parent;
        if (!sequence())
            return false;
        if (!at(TokRightParenthesis))
            return fail("variation not closed");
        consume(TokSymbol);
        --depth;
        for (CGameNode* c = current; c != n->parent; c = c->parent)
            position.unmakeMove();
        current = n;
        playCurrentMove();
        return true;
    }

    void resultRule()
    {
        commentRule();
        if (at(TokAsterisk))
            consume(TokString);
        else if (atResult())
            consume(TokSymbol);
    }

    // Skips the rest of a game up to the next '[' outside comments and
    // strings; returns its offset, or the end of input. Works on the bytes
    // directly, with the lexer's rules: ';' to the end of the line and '%'
    // lines are skipped, a comment runs to its '}' or to a tag line, a
    // string to its quote or the end of its line.
    std::int64_t skipToNextGame()
    {
        recordRaw = false;
        if (haveToken) {
            if (tok->kind == TokLeftBracket)
                return tok->offset;
            if (tok->kind == TokLeftBrace)
                skipCommentBody();
        }
        haveToken = false;
        for (;;) {
            const char* p = buf.data() + pos;
            const char* const e = buf.data() + end;
            while (p < e && !is(static_cast<unsigned char>(*p), Special | Bracket))
                ++p;
            if (p > buf.data() + pos) {
                last = static_cast<unsigned char>(p[-1]);
                pos = std::size_t(p - buf.data());
            }
            const int c = rawPeek();
            if (c < 0)
                return offsetHere();
            switch (c) {
            case '[': return offsetHere();
            case '{':
                ++pos;
                last = c;
                skipCommentBody();
                break;
            case '"':
                ++pos;
                last = c;
                recordText = false;
                lexString(*tok);
                recordText = true;
                break;
            default:
                if (peek() == c) {   // not skipped text after all
                    ++pos;
                    last = c;
                }
                break;
            }
        }
    }

    // After a '{': skips up to and including its '}', or up to a tag line.
    void skipCommentBody()
    {
        inComment = true;
        for (;;) {
            const char* p = buf.data() + pos;
            const char* const e = buf.data() + end;
            while (p < e && *p != '}' && *p != '[' && *p != '%')
                ++p;
            if (p > buf.data() + pos) {
                last = static_cast<unsigned char>(p[-1]);
                pos = std::size_t(p - buf.data());
            }
            const int c = peek();   // skips a '%' line
            if (c < 0)
                break;
            if (c == '}') {
                ++pos;
                last = c;
                break;
            }
            if (c == '[' && (last == '\n' || last == '\r') && atTagLine())
                break;
            if (c == '[' || c == '%') {
                ++pos;
                last = c;
            }
        }
        inComment = false;
    }

    void setStartPosition(bool& valid)
    {
        const std::string& fen = game->getTag("FEN");
        valid = true;
        if (fen.empty()) {
            position.setStartPosition();
        } else {
            // setFromFen keeps some fields of the position before it on odd
            // text; start from a fixed one so that a game reads the same in
            // any reader.
            position.setStartPosition();
            position.setFromFen(fen);
            valid = position.isValidSetup();
        }
        game->root()->ply = rootPly(position.moveNumber, position.sideToMove);
        checkAt.assign(1, position.isInCheck() ? CheckStatus::InCheck : CheckStatus::NotInCheck);
    }
};

CPgnReader::CPgnReader() : m_impl(std::make_unique<Impl>()) {}
CPgnReader::~CPgnReader() = default;

void CPgnReader::discardBuffer()
{
    m_impl->bufValid = false;
}

bool CPgnReader::beginGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                           std::unique_ptr<CGame>& game)
{
    Impl& r = *m_impl;
    game.reset();
    m_endOfInput = false;
    m_failure.clear();
    nextOffset = startOffset;
    if (!r.start(stream, startOffset)) {
        m_endOfInput = true;
        m_failure = "cannot read at this offset";
        return false;
    }
    r.haveToken = r.lex(TokSymbol, *r.tok);
    if (!r.haveToken) {
        m_endOfInput = true;
        nextOffset = r.offsetHere();
        m_failure = "no game";
        return false;
    }
    r.newGame();
    r.tagSection();
    return true;
}

bool CPgnReader::readGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                          std::unique_ptr<CGame>& game)
{
    Impl& r = *m_impl;
    if (!beginGame(stream, startOffset, nextOffset, game))
        return false;
    bool valid = true;
    r.setStartPosition(valid);
    bool ok = valid || r.fail("the FEN tag is not a legal position");
    if (ok) {
        r.commentRule();
        ok = r.sequence();
        if (ok)
            r.resultRule();
        ok = ok && (!r.unterminated || r.fail("comment not closed"));
    }
    if (ok && r.at(TokLeftBracket))
        nextOffset = r.tok->offset;
    else
        nextOffset = r.skipToNextGame();
    if (nextOffset <= startOffset)   // cannot happen; guards callers' loops
        nextOffset = startOffset + 1;
    if (!ok) {
        m_failure = r.failure;
        r.game.reset();
        return false;
    }
    game = std::move(r.game);
    return true;
}

bool CPgnReader::scanGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                          std::unique_ptr<CGame>& game)
{
    Impl& r = *m_impl;
    if (!beginGame(stream, startOffset, nextOffset, game)) {
        m_failure.clear();
        return false;
    }
    const std::string& fen = r.game->getTag("FEN");
    if (!fen.empty()) {
        r.position.setStartPosition();
        r.position.setFromFen(fen);
        r.game->root()->ply = rootPly(r.position.moveNumber, r.position.sideToMove);
    }
    nextOffset = r.skipToNextGame();
    if (nextOffset <= startOffset)
        nextOffset = startOffset + 1;
    game = std::move(r.game);
    return true;
}

} // namespace qm
