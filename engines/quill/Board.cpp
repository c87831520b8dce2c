#include "engines/quill/Board.h"

#include <cctype>
#include <cstring>
#include <mutex>

namespace quill {

namespace zobrist {
std::uint64_t Piece[12][64];
std::uint64_t Castling[16];
std::uint64_t EnPassantFile[8];
std::uint64_t Side;
} // namespace zobrist

namespace {

void initZobrist()
{
    std::uint64_t s = 0x1234567887654321ULL;
    auto next = [&s] {
        s += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    };
    for (auto& p : zobrist::Piece)
        for (auto& k : p)
            k = next();
    for (auto& k : zobrist::Castling)
        k = next();
    for (auto& k : zobrist::EnPassantFile)
        k = next();
    zobrist::Side = next();
}

// Castling rights that survive a move touching each square.
int g_castleMask[64];

void initAll()
{
    {
        initBitboards();
        initZobrist();
        for (int& m : g_castleMask)
            m = 15;
        g_castleMask[4] = 15 & ~(WhiteShort | WhiteLong);
        g_castleMask[0] = 15 & ~WhiteLong;
        g_castleMask[7] = 15 & ~WhiteShort;
        g_castleMask[60] = 15 & ~(BlackShort | BlackLong);
        g_castleMask[56] = 15 & ~BlackLong;
        g_castleMask[63] = 15 & ~BlackShort;
    }
}

const char PieceLetters[] = "PNBRQKpnbrqk";

} // namespace

void initEngineTables()
{
    static std::once_flag once;
    std::call_once(once, initAll);
}

void Board::clear()
{
    initEngineTables();
    std::memset(byType, 0, sizeof byType);
    byColour[0] = byColour[1] = occupied = 0;
    std::memset(mailbox, NoPiece, sizeof mailbox);
    side = White;
    castling = 0;
    enPassant = -1;
    halfMoves = 0;
    fullMoves = 1;
    key = 0;
}

void Board::put(int piece, int sq)
{
    int c = colourOfPiece(piece), t = typeOfPiece(piece);
    byType[c][t] |= bit(sq);
    byColour[c] |= bit(sq);
    occupied |= bit(sq);
    mailbox[sq] = std::uint8_t(piece);
    key ^= zobrist::Piece[piece][sq];
}

void Board::remove(int sq)
{
    int piece = mailbox[sq];
    int c = colourOfPiece(piece), t = typeOfPiece(piece);
    byType[c][t] &= ~bit(sq);
    byColour[c] &= ~bit(sq);
    occupied &= ~bit(sq);
    mailbox[sq] = NoPiece;
    key ^= zobrist::Piece[piece][sq];
}

void Board::computeKey()
{
    key = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (mailbox[sq] != NoPiece)
            key ^= zobrist::Piece[mailbox[sq]][sq];
    key ^= zobrist::Castling[castling];
    if (enPassant >= 0)
        key ^= zobrist::EnPassantFile[fileOf(enPassant)];
    if (side == Black)
        key ^= zobrist::Side;
}

void Board::setStart()
{
    setFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
}

bool Board::setFromFen(std::string_view fen)
{
    Board b;
    size_t i = 0;
    auto skipSpaces = [&] {
        while (i < fen.size() && fen[i] == ' ')
            ++i;
    };
    skipSpaces();
    int rank = 7, file = 0;
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        char ch = fen[i];
        if (ch == '/') {
            if (file != 8 || rank == 0)
                return false;
            --rank;
            file = 0;
        } else if (ch >= '1' && ch <= '8') {
            file += ch - '0';
            if (file > 8)
                return false;
        } else {
            const char* p = std::strchr(PieceLetters, ch);
            if (!p || !ch || file > 7)
                return false;
            b.put(int(p - PieceLetters), rank * 8 + file);
            ++file;
        }
    }
    if (rank != 0 || file != 8)
        return false;
    skipSpaces();
    if (i < fen.size()) {
        if (fen[i] == 'b')
            b.side = Black;
        else if (fen[i] != 'w')
            return false;
        ++i;
    }
    skipSpaces();
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        switch (fen[i]) {
        case 'K': b.castling |= WhiteShort; break;
        case 'Q': b.castling |= WhiteLong; break;
        case 'k': b.castling |= BlackShort; break;
        case 'q': b.castling |= BlackLong; break;
        case '-': break;
        default: return false;
        }
    }
    skipSpaces();
    if (i + 1 < fen.size() && fen[i] >= 'a' && fen[i] <= 'h' && (fen[i + 1] == '3' || fen[i + 1] == '6')) {
        b.enPassant = (fen[i + 1] - '1') * 8 + (fen[i] - 'a');
        i += 2;
    } else if (i < fen.size() && fen[i] == '-') {
        ++i;
    }
    skipSpaces();
    int numbers[2] = {0, 1};
    for (int n = 0; n < 2; ++n) {
        if (i >= fen.size() || !std::isdigit(static_cast<unsigned char>(fen[i])))
            break;
        int v = 0;
        while (i < fen.size() && std::isdigit(static_cast<unsigned char>(fen[i])) && v < 100000)
            v = v * 10 + (fen[i++] - '0');
        numbers[n] = v;
        skipSpaces();
    }
    b.halfMoves = numbers[0];
    b.fullMoves = numbers[1] > 0 ? numbers[1] : 1;

    if (popCount(b.byType[White][King]) != 1 || popCount(b.byType[Black][King]) != 1)
        return false;
    if ((b.byType[White][Pawn] | b.byType[Black][Pawn]) & (rankMask(0) | rankMask(7)))
        return false;
    // Rights without king and rook at home are dropped rather than trusted.
    if (b.mailbox[4] != pieceOf(White, King))
        b.castling &= ~(WhiteShort | WhiteLong);
    if (b.mailbox[7] != pieceOf(White, Rook))
        b.castling &= ~WhiteShort;
    if (b.mailbox[0] != pieceOf(White, Rook))
        b.castling &= ~WhiteLong;
    if (b.mailbox[60] != pieceOf(Black, King))
        b.castling &= ~(BlackShort | BlackLong);
    if (b.mailbox[63] != pieceOf(Black, Rook))
        b.castling &= ~BlackShort;
    if (b.mailbox[56] != pieceOf(Black, Rook))
        b.castling &= ~BlackLong;
    if (b.enPassant >= 0) {
        int behind = b.side == White ? b.enPassant - 8 : b.enPassant + 8;
        // Kept only when a pawn can take, as make() does.
        if (rankOf(b.enPassant) != (b.side == White ? 5 : 2) || b.mailbox[behind] != pieceOf(b.side ^ 1, Pawn) ||
            !(PawnAttacks[b.side ^ 1][b.enPassant] & b.byType[b.side][Pawn]))
            b.enPassant = -1;
    }
    if (b.isAttacked(b.kingSquare(b.side ^ 1), b.side))
        return false;
    b.computeKey();
    *this = b;
    return true;
}

std::string Board::fen() const
{
    std::string out;
    for (int r = 7; r >= 0; --r) {
        int empty = 0;
        for (int f = 0; f < 8; ++f) {
            int p = mailbox[r * 8 + f];
            if (p == NoPiece) {
                ++empty;
                continue;
            }
            if (empty)
                out += char('0' + empty);
            empty = 0;
            out += PieceLetters[p];
        }
        if (empty)
            out += char('0' + empty);
        if (r)
            out += '/';
    }
    out += side == White ? " w " : " b ";
    if (!castling)
        out += '-';
    if (castling & WhiteShort)
        out += 'K';
    if (castling & WhiteLong)
        out += 'Q';
    if (castling & BlackShort)
        out += 'k';
    if (castling & BlackLong)
        out += 'q';
    out += ' ';
    if (enPassant >= 0) {
        out += char('a' + fileOf(enPassant));
        out += char('1' + rankOf(enPassant));
    } else {
        out += '-';
    }
    out += ' ' + std::to_string(halfMoves) + ' ' + std::to_string(fullMoves);
    return out;
}

Bitboard Board::attackersTo(int sq, Bitboard occ) const
{
    return (PawnAttacks[Black][sq] & byType[White][Pawn]) | (PawnAttacks[White][sq] & byType[Black][Pawn]) |
           (KnightAttacks[sq] & (byType[White][Knight] | byType[Black][Knight])) |
           (KingAttacks[sq] & (byType[White][King] | byType[Black][King])) |
           (bishopAttacks(sq, occ) & (byType[White][Bishop] | byType[Black][Bishop] | byType[White][Queen] | byType[Black][Queen])) |
           (rookAttacks(sq, occ) & (byType[White][Rook] | byType[Black][Rook] | byType[White][Queen] | byType[Black][Queen]));
}

bool Board::isAttacked(int sq, int by) const
{
    if (PawnAttacks[by ^ 1][sq] & byType[by][Pawn])
        return true;
    if (KnightAttacks[sq] & byType[by][Knight])
        return true;
    if (KingAttacks[sq] & byType[by][King])
        return true;
    Bitboard diag = byType[by][Bishop] | byType[by][Queen];
    if (diag && (bishopAttacks(sq, occupied) & diag))
        return true;
    Bitboard line = byType[by][Rook] | byType[by][Queen];
    return line && (rookAttacks(sq, occupied) & line);
}

void Board::generate(MoveList& list, bool capturesOnly) const
{
    const int us = side, them = side ^ 1;
    const Bitboard own = byColour[us], enemy = byColour[them];
    const Bitboard targets = capturesOnly ? enemy : ~own;

    // Pawns.
    const Bitboard pawns = byType[us][Pawn];
    const int up = us == White ? 8 : -8;
    const Bitboard promoRank = us == White ? rankMask(7) : rankMask(0);
    const Bitboard doubleRank = us == White ? rankMask(3) : rankMask(4);
    Bitboard single = (us == White ? pawns << 8 : pawns >> 8) & ~occupied;
    Bitboard dbl = (us == White ? single << 8 : single >> 8) & ~occupied & doubleRank;
    auto addPromotions = [&list](int from, int to, bool all) {
        list.push(makeMove(from, to, Promotion, Queen));
        if (all) {
            list.push(makeMove(from, to, Promotion, Knight));
            list.push(makeMove(from, to, Promotion, Rook));
            list.push(makeMove(from, to, Promotion, Bishop));
        }
    };
    for (Bitboard b = single & promoRank; b;) {
        int to = popLsb(b);
        addPromotions(to - up, to, !capturesOnly);
    }
    if (!capturesOnly) {
        for (Bitboard b = single & ~promoRank; b;) {
            int to = popLsb(b);
            list.push(makeMove(to - up, to));
        }
        for (Bitboard b = dbl; b;) {
            int to = popLsb(b);
            list.push(makeMove(to - 2 * up, to));
        }
    }
    for (Bitboard b = pawns; b;) {
        int from = popLsb(b);
        Bitboard caps = PawnAttacks[us][from] & enemy;
        while (caps) {
            int to = popLsb(caps);
            if (bit(to) & promoRank)
                addPromotions(from, to, true);
            else
                list.push(makeMove(from, to));
        }
        if (enPassant >= 0 && (PawnAttacks[us][from] & bit(enPassant)))
            list.push(makeMove(from, enPassant, EnPassant));
    }

    // Pieces.
    for (int type = Knight; type <= King; ++type) {
        for (Bitboard b = byType[us][type]; b;) {
            int from = popLsb(b);
            Bitboard att;
            switch (type) {
            case Knight: att = KnightAttacks[from]; break;
            case Bishop: att = bishopAttacks(from, occupied); break;
            case Rook: att = rookAttacks(from, occupied); break;
            case Queen: att = queenAttacks(from, occupied); break;
            default: att = KingAttacks[from]; break;
            }
            for (att &= targets; att;)
                list.push(makeMove(from, popLsb(att)));
        }
    }

    // Castling: the squares between free, the king not in check and not
    // passing an attacked square (the target square is checked by make).
    if (!capturesOnly && castling) {
        const int k = us == White ? 4 : 60;
        const int shortRight = us == White ? WhiteShort : BlackShort;
        const int longRight = us == White ? WhiteLong : BlackLong;
        if ((castling & (shortRight | longRight)) && !isAttacked(k, them)) {
            if ((castling & shortRight) && !(occupied & (bit(k + 1) | bit(k + 2))) && !isAttacked(k + 1, them))
                list.push(makeMove(k, k + 2, Castling));
            if ((castling & longRight) && !(occupied & (bit(k - 1) | bit(k - 2) | bit(k - 3))) && !isAttacked(k - 1, them))
                list.push(makeMove(k, k - 2, Castling));
        }
    }
}

bool Board::make(Move m)
{
    const int from = moveFrom(m), to = moveTo(m), kind = moveKind(m);
    const int us = side, them = side ^ 1;
    const int piece = mailbox[from];
    const int captured = kind == EnPassant ? pieceOf(them, Pawn) : mailbox[to];

    key ^= zobrist::Castling[castling];
    if (enPassant >= 0)
        key ^= zobrist::EnPassantFile[fileOf(enPassant)];
    enPassant = -1;
    ++halfMoves;

    if (kind == EnPassant) {
        remove(us == White ? to - 8 : to + 8);
    } else if (captured != NoPiece) {
        remove(to);
    }
    if (captured != NoPiece || typeOfPiece(piece) == Pawn)
        halfMoves = 0;
    remove(from);
    put(kind == Promotion ? pieceOf(us, movePromotion(m)) : piece, to);

    if (kind == Castling) {
        int rookFrom = to > from ? from + 3 : from - 4;
        int rookTo = to > from ? from + 1 : from - 1;
        remove(rookFrom);
        put(pieceOf(us, Rook), rookTo);
    }
    if (typeOfPiece(piece) == Pawn && (to ^ from) == 16) {
        int passed = (from + to) / 2;
        // Kept only when an enemy pawn could take, so that equal positions hash equal.
        if (PawnAttacks[us][passed] & byType[them][Pawn])
            enPassant = passed;
    }
    castling &= g_castleMask[from] & g_castleMask[to];
    key ^= zobrist::Castling[castling];
    if (enPassant >= 0)
        key ^= zobrist::EnPassantFile[fileOf(enPassant)];
    side = them;
    key ^= zobrist::Side;
    if (us == Black)
        ++fullMoves;
    return !isAttacked(kingSquare(us), them);
}

void Board::makeNull()
{
    if (enPassant >= 0)
        key ^= zobrist::EnPassantFile[fileOf(enPassant)];
    enPassant = -1;
    ++halfMoves;
    side ^= 1;
    key ^= zobrist::Side;
}

bool Board::isLegal(Move m) const
{
    Board copy = *this;
    return copy.make(m);
}

bool Board::isPseudoLegal(Move m) const
{
    if (m == NoMove)
        return false;
    const int from = moveFrom(m), to = moveTo(m), kind = moveKind(m);
    const int piece = mailbox[from];
    if (piece == NoPiece || colourOfPiece(piece) != side || (byColour[side] & bit(to)))
        return false;
    const int type = typeOfPiece(piece);
    if (kind != Normal || type == Pawn) {
        // Rare kinds and pawns: compare with the generated list.
        MoveList list;
        generate(list, false);
        for (int i = 0; i < list.count; ++i)
            if (list.moves[i] == m)
                return true;
        return false;
    }
    if (((m >> 12) & 3) != 0)
        return false; // a promotion field on an ordinary move
    switch (type) {
    case Knight: return (KnightAttacks[from] & bit(to)) != 0;
    case Bishop: return (bishopAttacks(from, occupied) & bit(to)) != 0;
    case Rook: return (rookAttacks(from, occupied) & bit(to)) != 0;
    case Queen: return (queenAttacks(from, occupied) & bit(to)) != 0;
    default: return (KingAttacks[from] & bit(to)) != 0;
    }
}

bool Board::seeAtLeast(Move m, int threshold) const
{
    static const int Value[6] = {100, 320, 330, 500, 950, 20000};
    if (moveKind(m) != Normal)
        return threshold <= 0;
    const int from = moveFrom(m), to = moveTo(m);
    int swap = (mailbox[to] == NoPiece ? 0 : Value[typeOfPiece(mailbox[to])]) - threshold;
    if (swap < 0)
        return false;
    swap = Value[typeOfPiece(mailbox[from])] - swap;
    if (swap <= 0)
        return true;
    Bitboard occ = occupied ^ bit(from) ^ bit(to);
    int stm = side;
    Bitboard attackers = attackersTo(to, occ);
    const Bitboard diag = byType[0][Bishop] | byType[1][Bishop] | byType[0][Queen] | byType[1][Queen];
    const Bitboard line = byType[0][Rook] | byType[1][Rook] | byType[0][Queen] | byType[1][Queen];
    int result = 1;
    for (;;) {
        stm ^= 1;
        attackers &= occ;
        Bitboard mine = attackers & byColour[stm];
        if (!mine)
            break;
        result ^= 1;
        int type = Pawn;
        for (; type <= King; ++type)
            if (mine & byType[stm][type])
                break;
        if (type == King)
            return (attackers & byColour[stm ^ 1]) ? result ^ 1 : result;
        swap = Value[type] - swap;
        if (swap < result)
            break;
        occ ^= bit(lsb(mine & byType[stm][type]));
        if (type == Pawn || type == Bishop || type == Queen)
            attackers |= bishopAttacks(to, occ) & diag;
        if (type == Rook || type == Queen)
            attackers |= rookAttacks(to, occ) & line;
    }
    return result != 0;
}

std::string Board::moveText(Move m)
{
    if (m == NoMove)
        return "0000";
    std::string s;
    s += char('a' + fileOf(moveFrom(m)));
    s += char('1' + rankOf(moveFrom(m)));
    s += char('a' + fileOf(moveTo(m)));
    s += char('1' + rankOf(moveTo(m)));
    if (moveKind(m) == Promotion)
        s += "nbrq"[movePromotion(m) - Knight];
    return s;
}

Move Board::parseMove(std::string_view text) const
{
    if (text.size() < 4)
        return NoMove;
    auto lower = [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); };
    int ff = lower(text[0]) - 'a', fr = text[1] - '1', tf = lower(text[2]) - 'a', tr = text[3] - '1';
    if (ff < 0 || ff > 7 || fr < 0 || fr > 7 || tf < 0 || tf > 7 || tr < 0 || tr > 7)
        return NoMove;
    int promo = NoType;
    if (text.size() >= 5 && text[4] != ' ') {
        switch (lower(text[4])) {
        case 'n': promo = Knight; break;
        case 'b': promo = Bishop; break;
        case 'r': promo = Rook; break;
        case 'q': promo = Queen; break;
        default: return NoMove;
        }
        if (text.size() > 5 && text[5] != ' ')
            return NoMove;
    } else if (text.size() > 4 && text[4] != ' ') {
        return NoMove;
    }
    const int from = fr * 8 + ff, to = tr * 8 + tf;
    MoveList list;
    generate(list, false);
    for (int i = 0; i < list.count; ++i) {
        Move m = list.moves[i];
        if (moveFrom(m) != from || moveTo(m) != to)
            continue;
        if ((moveKind(m) == Promotion) != (promo != NoType))
            continue;
        if (moveKind(m) == Promotion && movePromotion(m) != promo)
            continue;
        return isLegal(m) ? m : NoMove;
    }
    return NoMove;
}

} // namespace quill
