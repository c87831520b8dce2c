#include "game/PgnReader.h"

#include "rules/Notation.h"

#include <array>
#include <cstring>

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
    return t;
}
constexpr std::array<std::uint8_t, 256> Classes = makeClasses();

constexpr bool is(int c, std::uint8_t cls) { return c >= 0 && (Classes[std::size_t(c)] & cls) != 0; }

bool isResultText(std::string_view s) { return s == "1-0" || s == "0-1" || s == "1/2-1/2"; }

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
    CPgnToken token, previous;
    bool haveToken = false;

    // --- Parser state ----------------------------------------------------
    std::unique_ptr<CGame> game;
    CGameNode* current = nullptr;
    int depth = 0;
    int nodes = 0;
    CPosition position;
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
                token.raw += char(c);
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

    // Whether a backslash and quote at the read position close a tag value
    // that ends in a backslash: only blanks and ']' follow on the line.
    bool backslashEndsValue()
    {
        std::size_t k = 2;
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
        if (recordText) {
            t.value += char(c);
            while (is(peek(), SymbolChar))
                t.value += char(get());
        } else {
            while (is(peek(), SymbolChar))
                ++pos;   // symbol characters are never skipped text
            last = 'x';
        }
        return true;
    }

    bool lexString(CPgnToken& t)
    {
        // A string ends at its closing quote or, as the standard keeps
        // strings on one line, before the line's end.
        inString = true;
        for (;;) {
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
        std::swap(previous, token);
        haveToken = lex(expected, token);
    }

    bool at(int kind) const { return haveToken && token.kind == kind; }

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
        token.raw.clear();
    }

    bool tagPair()
    {
        consume(TokSymbol);
        if (!at(TokSymbol))
            return false;
        std::string name = token.value;
        consume(TokString);
        if (!haveToken)
            return false;
        std::string value;
        if (token.kind == TokString) {
            value = token.value;
            consume(TokRightBracket);
        } else if (token.kind != TokRightBracket) {
            // An unquoted value: the token's raw text and the rest up to ']'
            // (or the line's end).
            value = token.raw;
            for (;;) {
                const int c = peek();
                if (c < 0)
                    return false;
                if (c == ']' || c == '\n' || c == '\r')
                    break;
                value += char(get());
            }
            token.offset = offsetHere();
            if (peek() == ']')
                get();
            token.kind = TokRightBracket;
            token.raw.clear();
        }
        if (!at(TokRightBracket))
            return false;
        // Text skipped before the ']' that holds a quote means the value had
        // unescaped inner quotes: keep them and the text up to the last one.
        const std::string& skipped = token.raw;
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
        if (token.number == 1) {
            // "{}": the lexer has consumed the '}' already.
            consume(TokSymbol);
            return;
        }
        consume(TokRightBrace);
        if (at(TokRightBrace)) {
            setComment(*current, previous.value);
            consume(TokSymbol);
        }
    }

    bool atResult() const
    {
        return haveToken && (token.kind == TokAsterisk || (token.kind == TokSymbol && isResultText(token.value)));
    }

    bool sequence()
    {
        while (haveToken) {
            commentRule();
            if (!haveToken)
                break;
            switch (token.kind) {
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
        if (at(TokInt) || (at(TokSymbol) && startsWithPositiveNumber(token.value))) {
            consume(TokPeriod);
            while (at(TokPeriod))
                consume(TokSymbol);
        }
        if (!move())
            return false;
        commentRule();
        while (at(TokNag)) {
            current->nag = std::uint8_t(token.number & 255);
            consume(TokSymbol);
        }
        commentRule();
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
        const std::string& text = previous.value;
        const CMove m = readSan(position, text);
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
            const std::size_t glyphAt = text.find_first_of("!?");
            std::string san = text.substr(0, glyphAt);
            std::uint8_t nag = 0;
            if (glyphAt != std::string::npos) {
                std::size_t e = glyphAt;
                while (e < text.size() && (text[e] == '!' || text[e] == '?'))
                    ++e;
                nag = nagFromGlyph(std::string_view(text).substr(glyphAt, e - glyphAt));
            }
            if (san.empty())
                san = writeSan(position, m);
            auto node = std::make_unique<CGameNode>(m, std::move(san), current->ply + 1, std::string(), nag, 0);
            CGameNode* raw = node.get();
            addChild(*current, std::move(node));
            current = raw;
        }
        position.makeMove(m);
        return true;
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
        position.makeMove(n->move);
        current = n;
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

    // Skips tokens up to the next '[' outside comments; returns its offset
    // or the end of input.
    std::int64_t skipToNextGame()
    {
        recordText = false;
        recordRaw = false;
        if (!haveToken)
            haveToken = lex(TokSymbol, token);   // after a failure at a comment
        while (haveToken && token.kind != TokLeftBracket) {
            if (token.kind == TokLeftBrace) {
                consume(TokComment);
                if (at(TokComment))
                    consume(token.number == 1 ? TokSymbol : TokRightBrace);
                if (at(TokRightBrace))
                    consume(TokSymbol);
                if (!haveToken)
                    haveToken = lex(TokSymbol, token);   // an unclosed comment stopped at a tag line
                continue;
            }
            consume(TokSymbol);
        }
        recordText = true;
        return haveToken ? token.offset : offsetHere();
    }

    void setStartPosition(bool& valid)
    {
        const std::string& fen = game->getTag("FEN");
        valid = true;
        if (fen.empty()) {
            position.setStartPosition();
        } else {
            position.setFromFen(fen);
            valid = position.isValidSetup();
        }
        game->root()->ply = rootPly(position.moveNumber, position.sideToMove);
    }
};

CPgnReader::CPgnReader() : m_impl(std::make_unique<Impl>()) {}
CPgnReader::~CPgnReader() = default;

void CPgnReader::discardBuffer()
{
    m_impl->bufValid = false;
}

bool CPgnReader::readGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
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
    r.haveToken = r.lex(TokSymbol, r.token);
    if (!r.haveToken) {
        m_endOfInput = true;
        nextOffset = r.offsetHere();
        m_failure = "no game";
        return false;
    }
    r.newGame();
    r.tagSection();
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
        nextOffset = r.token.offset;
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
    game.reset();
    m_endOfInput = false;
    m_failure.clear();
    nextOffset = startOffset;
    if (!r.start(stream, startOffset)) {
        m_endOfInput = true;
        return false;
    }
    r.haveToken = r.lex(TokSymbol, r.token);
    if (!r.haveToken) {
        m_endOfInput = true;
        nextOffset = r.offsetHere();
        return false;
    }
    r.newGame();
    r.tagSection();
    const std::string& fen = r.game->getTag("FEN");
    if (!fen.empty()) {
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
