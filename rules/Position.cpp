#include "rules/Position.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

constexpr int InitialHistoryCapacity = 16;

// Reads a decimal integer as the C library's atoi would, but never past end:
// leading blanks, an optional sign, digits. Saturates instead of overflowing.
long readInteger(std::string_view text, size_t& i)
{
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min(value * 10 + (text[i] - '0'), 1000000L);
        ++i;
    }
    return negative ? -value : value;
}

} // namespace

CPosition::CPosition()
    : m_history(std::make_unique<CHistoryEntry[]>(InitialHistoryCapacity))
    , m_capacity(InitialHistoryCapacity)
{
    for (int i = 0; i < m_capacity; ++i) {
        m_history[i].move = DefaultMove;
        m_history[i].hint = 0;
    }
    setStartPosition();
}

CPosition::CPosition(const CPosition& other)
{
    *this = other;
}

CPosition& CPosition::operator=(const CPosition& other)
{
    if (this == &other)
        return *this;
    std::memcpy(board, other.board, sizeof board);
    sideToMove = other.sideToMove;
    sideNotToMove = other.sideNotToMove;
    castlingRights = other.castlingRights;
    enPassant = other.enPassant;
    pieceCount = other.pieceCount;
    halfMoveClock = other.halfMoveClock;
    moveNumber = other.moveNumber;
    std::memcpy(kingSquare, other.kingSquare, sizeof kingSquare);
    m_capacity = other.m_capacity;
    m_count = other.m_count;
    m_history = std::make_unique<CHistoryEntry[]>(size_t(m_capacity));
    std::copy(other.m_history.get(), other.m_history.get() + m_capacity, m_history.get());
    return *this;
}

void CPosition::setStartPosition()
{
    setFromFen(StartFen);
}

void CPosition::clearPosition()
{
    for (int i = 0; i < 128; ++i)
        board[i] = onBoard(i) ? Empty : OffBoard;
    sideToMove = White;
    sideNotToMove = Black;
    castlingRights = 0;
    enPassant = 0;
    pieceCount = 0;
    halfMoveClock = 0;
    moveNumber = 1;
}

void CPosition::setFromFen(std::string_view text)
{
    // Text that ends early leaves the remaining fields at their defaults:
    // white to move, no rights, no en-passant square, clocks 0 and 1.
    m_count = 0;
    const std::uint8_t previousSide = sideToMove;
    clearPosition();
    sideToMove = previousSide;
    std::memset(kingSquare, NoSquare, sizeof kingSquare);
    size_t i = 0;
    const size_t n = text.size();

    for (int rank = 7; rank >= 0; --rank) {
        int file = 0;
        bool endedBySlash = false;
        while (file < 8 && i < n) {
            char c = text[i++];
            if (c >= '1' && c <= '8') {
                file += c - '0';
            } else if (c == '/') {
                endedBySlash = true;
                break;
            } else {
                board[makeSquare(file, rank)] = codeFromFenLetter(c);
                ++pieceCount;
                ++file;
            }
        }
        if (!endedBySlash && i < n)
            ++i; // the '/' between ranks, or the blank after rank 1
    }
    // A letter that names no piece still counted; the count is of pieces.
    pieceCount = 0;
    for (int s = 0; s < 128; ++s)
        if (onBoard(s) && board[s] != Empty)
            ++pieceCount;

    if (i < n) {
        char side = text[i];
        if (side == 'w' || side == 'W')
            sideToMove = White;
        else if (side == 'b' || side == 'B')
            sideToMove = Black;
    }
    sideNotToMove = std::uint8_t(1 - sideToMove);
    castlingRights = 0;
    i = std::min(n, i + 2);

    while (i < n && text[i] != ' ') {
        switch (text[i]) {
        case 'K':
            if (board[sq::e1] == WhiteKing && board[sq::h1] == WhiteRook)
                castlingRights |= WhiteShort;
            break;
        case 'Q':
            if (board[sq::e1] == WhiteKing && board[sq::a1] == WhiteRook)
                castlingRights |= WhiteLong;
            break;
        case 'k':
            if (board[sq::e8] == BlackKing && board[sq::h8] == BlackRook)
                castlingRights |= BlackShort;
            break;
        case 'q':
            if (board[sq::e8] == BlackKing && board[sq::a8] == BlackRook)
                castlingRights |= BlackLong;
            break;
        default:
            break;
        }
        ++i;
    }
    if (i < n)
        ++i;

    enPassant = 0;
    if (i < n && text[i] == '-') {
        ++i;
    } else if (i + 1 < n) {
        Square ep = squareFromText(text[i], text[i + 1]);
        i += 2;
        if (onBoard(ep)) {
            auto isAt = [&](int square, PieceCode code) { return onBoard(square) && board[square] == code; };
            if (rankOf(ep) == 2 && isAt(ep + 1, WhitePawn)
                && (isAt(ep + 1 - 16, BlackPawn) || isAt(ep + 1 + 16, BlackPawn)))
                enPassant = ep;
            else if (rankOf(ep) == 5 && isAt(ep - 1, BlackPawn)
                && (isAt(ep - 1 - 16, WhitePawn) || isAt(ep - 1 + 16, WhitePawn)))
                enPassant = ep;
        }
    } else {
        i = n;
    }

    long clock = readInteger(text, i);
    halfMoveClock = std::int16_t(std::clamp(clock, 0L, 32767L));
    while (i < n && text[i] != ' ')
        ++i;
    long number = readInteger(text, i);
    moveNumber = std::int16_t(std::clamp(number, 1L, 32767L));
}

std::string CPosition::writeFen() const
{
    std::string out;
    out.reserve(96);
    for (int rank = 7; rank >= 0; --rank) {
        int emptyRun = 0;
        for (int file = 0; file < 8; ++file) {
            PieceCode code = board[makeSquare(file, rank)];
            if (code == Empty) {
                ++emptyRun;
                continue;
            }
            if (emptyRun)
                out += char('0' + emptyRun);
            emptyRun = 0;
            out += fenLetter(code);
        }
        if (emptyRun)
            out += char('0' + emptyRun);
        if (rank)
            out += '/';
    }
    out += sideToMove == White ? " w " : " b ";
    if (castlingRights & (WhiteShort | WhiteLong | BlackShort | BlackLong)) {
        if (castlingRights & WhiteShort)
            out += 'K';
        if (castlingRights & WhiteLong)
            out += 'Q';
        if (castlingRights & BlackShort)
            out += 'k';
        if (castlingRights & BlackLong)
            out += 'q';
        out += ' ';
    } else {
        out += "- ";
    }
    if (enPassant && onBoard(enPassant))
        appendSquareText(out, enPassant);
    else
        out += '-';
    out += ' ';
    out += std::to_string(halfMoveClock);
    out += ' ';
    out += std::to_string(moveNumber);
    return out;
}

bool CPosition::isValidSetup() const
{
    auto at = [&](int square) { return onBoard(square) ? board[square] : PieceCode(OffBoard); };
    if (enPassant && onBoard(enPassant)) {
        if (sideToMove == White) {
            if (rankOf(enPassant) != 5 || at(enPassant - 1) != BlackPawn)
                return false;
        } else {
            if (rankOf(enPassant) != 2 || at(enPassant + 1) != WhitePawn)
                return false;
        }
    }
    if ((castlingRights & WhiteShort) && (board[sq::e1] != WhiteKing || board[sq::h1] != WhiteRook))
        return false;
    if ((castlingRights & WhiteLong) && (board[sq::e1] != WhiteKing || board[sq::a1] != WhiteRook))
        return false;
    if ((castlingRights & BlackShort) && (board[sq::e8] != BlackKing || board[sq::h8] != BlackRook))
        return false;
    if ((castlingRights & BlackLong) && (board[sq::e8] != BlackKing || board[sq::a8] != BlackRook))
        return false;

    int count[16] = {};
    for (int s = 0; s < 128; ++s)
        if (onBoard(s))
            ++count[board[s] & 15];
    if (count[WhiteKing] != 1 || count[BlackKing] != 1)
        return false;
    for (int colour = 0; colour < 2; ++colour) {
        int base = colour * 8;
        int total = 0;
        for (int t = 0; t < 6; ++t)
            total += count[base + t];
        if (total > 16)
            return false;
    }
    for (int colour = 0; colour < 2; ++colour) {
        int base = colour * 8;
        int pawns = count[base + Pawn];
        if (pawns > 8)
            return false;
        if (pawns + count[base + Knight] > 10 || pawns + count[base + Bishop] > 10 || pawns + count[base + Rook] > 10
            || pawns + count[base + Queen] > 9)
            return false;
    }
    for (int file = 0; file < 8; ++file) {
        for (int rank : {0, 7}) {
            PieceCode c = board[makeSquare(file, rank)];
            if (c == WhitePawn || c == BlackPawn)
                return false;
        }
    }
    // The king of the side not to move must not be attacked.
    CPosition& self = const_cast<CPosition&>(*this);
    Colour mover = Colour(sideToMove);
    Colour other = Colour(1 - sideToMove);
    Square king = self.findKing(other);
    return !isAttackedBy(mover, king);
}

Square CPosition::findKing(Colour colour)
{
    PieceCode king = colour == White ? WhiteKing : BlackKing;
    Square cached = kingSquare[king];
    if (cached < 128 && onBoard(cached) && board[cached] == king)
        return cached;
    // memchr finds the first cell in index order quickly; a hit on an
    // off-board cell is passed over.
    for (const PieceCode* at = board; at < board + 128; ++at) {
        at = static_cast<const PieceCode*>(std::memchr(at, king, std::size_t(board + 128 - at)));
        if (!at)
            break;
        const int s = int(at - board);
        if (onBoard(s)) {
            kingSquare[king] = Square(s);
            return Square(s);
        }
    }
    return NoSquare;
}

int CPosition::compareWithPrevious(const PieceCode* otherBoard) const
{
    auto sameCells = [&](const PieceCode* a) {
        for (int s = 0; s < 128; ++s)
            if (onBoard(s) && a[s] != otherBoard[s])
                return false;
        return true;
    };
    if (m_count == 0)
        return 0;
    if (sameCells(m_history[m_count - 1].board))
        return 1;
    if (m_count >= 2 && sameCells(m_history[m_count - 2].board))
        return 2;
    return 0;
}

void CPosition::growHistory()
{
    int capacity = m_capacity * 2;
    auto grown = std::make_unique<CHistoryEntry[]>(size_t(capacity));
    std::copy(m_history.get(), m_history.get() + m_count, grown.get());
    for (int i = m_count; i < capacity; ++i) {
        grown[i].move = DefaultMove;
        grown[i].hint = 0;
    }
    m_history = std::move(grown);
    m_capacity = capacity;
}

void CPosition::appendHistory(CMove move)
{
    CHistoryEntry& e = m_history[m_count];
    std::memcpy(e.board, board, sizeof board);
    e.sideToMove = sideToMove;
    e.sideNotToMove = sideNotToMove;
    e.castlingRights = castlingRights;
    e.enPassant = enPassant;
    e.pieceCount = pieceCount;
    e.move = move;
    e.hint = 0;
    ++m_count;
}

void CPosition::pushSnapshot()
{
    appendHistory(NullMove);
    ++halfMoveClock;
    if (sideToMove == Black)
        ++moveNumber;
    if (m_count >= m_capacity)
        growHistory();
}

} // namespace qm
