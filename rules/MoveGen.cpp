// Making and taking back moves, attack tests and move generation.
//
// Generation follows fixed per-colour direction tables: the opening book
// numbers moves by their place in this order, and the SAN reader takes the
// first match in it, so the order is part of the file formats.

#include "rules/Position.h"

#include "rules/Directions.h"

#include <cstdlib>
#include <cstring>

// The generator's helpers are inlined into each of its few callers: they
// run for every generated move.
#define QM_INLINE __attribute__((always_inline))

namespace qm {

namespace {

constexpr signed char KnightProbes[8] = {18, -14, -31, 33, -33, 31, -18, 14};
constexpr signed char DiagonalSteps[4] = {-15, 17, -17, 15};
constexpr signed char OrthogonalSteps[4] = {1, -16, 16, -1};
constexpr signed char KingProbes[8] = {1, -1, 16, -16, 15, -15, 17, -17};

constexpr PieceCode PromotionOrder[4] = {Queen, Knight, Rook, Bishop};

// The line step from one square towards another on the same rank, file or
// diagonal, indexed by (to - from + 119); 0 where no line joins them.
struct LineSteps {
    signed char step[239] = {};
    constexpr LineSteps()
    {
        constexpr int dirs[8] = {1, -1, 16, -16, 15, -15, 17, -17};
        for (int d : dirs)
            for (int from = 0; from < 128; ++from) {
                if (!onBoard(from))
                    continue;
                for (int to = from + d; onBoard(to); to += d)
                    step[to - from + 119] = static_cast<signed char>(d);
            }
    }
};
constexpr LineSteps Lines;

inline bool isDiagonalStep(int step)
{
    return step == 15 || step == -15 || step == 17 || step == -17;
}

// The square of the pawn an en-passant capture takes.
inline int enPassantVictim(CMove m)
{
    return m.piece == WhitePawn ? m.to - 1 : m.to + 1;
}

// The rook's squares of a castling move; false when the king does not go
// two files, which moves no rook.
inline bool castlingRook(CMove m, int& rookFrom, int& rookTo)
{
    if (m.to == m.from + 32) {
        rookFrom = m.to + 16;
        rookTo = m.from + 16;
        return true;
    }
    if (m.from - m.to == 32) {
        rookFrom = m.to - 32;
        rookTo = m.from - 16;
        return true;
    }
    return false;
}

// The step of the line from king through vacated when emptying vacated lets
// a slider of the side with piece codes from enemyBase attack the king along
// it, else 0. Cells other than vacated are read as they stand.
inline int lineOpenedThrough(const PieceCode* board, int king, int vacated, PieceCode enemyBase)
{
    const int step = Lines.step[vacated - king + 119];
    if (step == 0)
        return 0;
    int t = king + step;
    while (onBoard(t) && (board[t] == Empty || t == vacated))
        t += step;
    if (!onBoard(t))
        return 0;
    const PieceCode c = board[t];
    return c == enemyBase + Queen || c == enemyBase + (isDiagonalStep(step) ? Bishop : Rook) ? step : 0;
}

// Whether the piece on from attacks target on the board as it stands.
inline bool pieceAttacks(const PieceCode* board, int from, int target)
{
    const PieceCode piece = board[from];
    const int diff = target - from;
    switch (typeOf(piece)) {
    case Pawn:
        return isWhitePiece(piece) ? diff == 17 || diff == -15 : diff == 15 || diff == -17;
    case Knight:
        for (int step : KnightProbes)
            if (diff == step)
                return true;
        return false;
    case King:
        for (int step : KingProbes)
            if (diff == step)
                return true;
        return false;
    case Bishop:
    case Rook:
    case Queen: {
        const int step = Lines.step[diff + 119];
        if (step == 0)
            return false;
        if (typeOf(piece) != Queen && isDiagonalStep(step) != (typeOf(piece) == Bishop))
            return false;
        int t = from + step;
        while (t != target && board[t] == Empty)
            t += step;
        return t == target;
    }
    default:
        return false;
    }
}

inline bool isEnemy(PieceCode code, int colour)
{
    return colour == White ? isBlackPiece(code) : isWhitePiece(code);
}

} // namespace

// --- Attacks ---

bool CPosition::isAttackedBy(Colour colour, Square square) const
{
    // A missing king (square 120) is attacked by nobody.
    if (!onBoard(square))
        return false;
    const PieceCode base = colour == White ? 0 : 8;
    const PieceCode knight = base + Knight, bishop = base + Bishop, rook = base + Rook, queen = base + Queen,
                    king = base + King, pawn = base + Pawn;
    const int s = square;

    if (colour == White) {
        if ((onBoard(s - 17) && board[s - 17] == pawn) || (onBoard(s + 15) && board[s + 15] == pawn))
            return true;
    } else {
        if ((onBoard(s - 15) && board[s - 15] == pawn) || (onBoard(s + 17) && board[s + 17] == pawn))
            return true;
    }
    for (int step : KnightProbes) {
        int t = s + step;
        if (onBoard(t) && board[t] == knight)
            return true;
    }
    for (int step : KingProbes) {
        int t = s + step;
        if (onBoard(t) && board[t] == king)
            return true;
    }
    for (int step : DiagonalSteps) {
        int t = s + step;
        while (onBoard(t) && board[t] == Empty)
            t += step;
        if (onBoard(t) && (board[t] == bishop || board[t] == queen))
            return true;
    }
    for (int step : OrthogonalSteps) {
        int t = s + step;
        while (onBoard(t) && board[t] == Empty)
            t += step;
        if (onBoard(t) && (board[t] == rook || board[t] == queen))
            return true;
    }
    return false;
}

bool CPosition::isInCheck()
{
    return isAttackedBy(Colour(sideNotToMove), findKing(Colour(sideToMove)));
}

// --- Making and taking back ---

void CPosition::updateEnPassantAndRights(Square from, Square to, PieceCode piece)
{
    enPassant = 0;
    if (typeOf(piece) == Pawn && std::abs(int(from) - int(to)) == 2) {
        PieceCode enemyPawn = isWhitePiece(piece) ? BlackPawn : WhitePawn;
        int left = to - 16, right = to + 16;
        if ((onBoard(left) && board[left] == enemyPawn) || (onBoard(right) && board[right] == enemyPawn))
            enPassant = Square(isWhitePiece(piece) ? to - 1 : to + 1);
    }
    if (castlingRights) {
        if (from == sq::e1)
            castlingRights &= ~(WhiteShort | WhiteLong);
        if (from == sq::h1 || to == sq::h1)
            castlingRights &= ~WhiteShort;
        if (from == sq::a1 || to == sq::a1)
            castlingRights &= ~WhiteLong;
        if (from == sq::e8)
            castlingRights &= ~(BlackShort | BlackLong);
        if (from == sq::h8 || to == sq::h8)
            castlingRights &= ~BlackShort;
        if (from == sq::a8 || to == sq::a8)
            castlingRights &= ~BlackLong;
    }
}

void CPosition::makeMove(CMove move)
{
    appendHistory(move);
    halfMoveClock = move.isQuiet() ? std::int16_t(halfMoveClock + 1) : std::int16_t(0);
    if (sideToMove == Black)
        ++moveNumber;
    if (m_count >= m_capacity)
        growHistory();

    if (move == NullMove) {
        enPassant = 0;
    } else {
        const Square from = move.from, to = move.to;
        const PieceCode piece = move.piece;
        if (move.isCapture())
            --pieceCount;
        if (move.isEnPassant())
            board[enPassantVictim(move)] = Empty;
        board[from] = Empty;
        board[to] = piece;
        int rookFrom, rookTo;
        if (move.isCastling() && castlingRook(move, rookFrom, rookTo)) {
            board[rookTo] = board[rookFrom];
            board[rookFrom] = Empty;
        }
        updateEnPassantAndRights(from, to, piece);
    }
    sideNotToMove = sideToMove;
    sideToMove = std::uint8_t(1 - sideToMove);
}

void CPosition::unmakeMove()
{
    if (m_count == 0)
        return;
    const CHistoryEntry& e = m_history[--m_count];
    std::memcpy(board, e.board, sizeof board);
    sideToMove = e.sideToMove;
    sideNotToMove = e.sideNotToMove;
    castlingRights = e.castlingRights;
    enPassant = e.enPassant;
    pieceCount = e.pieceCount;
    int clock = 0;
    for (int i = m_count - 1; i >= 0 && m_history[i].move.isQuiet(); --i)
        ++clock;
    halfMoveClock = std::int16_t(clock);
    if (sideToMove == Black)
        --moveNumber;
}

// --- Generation ---

namespace {

// Appends generated moves to a list through a local cursor: stores into the
// list could alias the board (both are bytes), so a count kept in the list
// would be reloaded after every store.
struct ListSink {
    CMove* out;
    QM_INLINE void operator()(CMove m) { *out++ = m; }
    static constexpr bool wantsCastling() { return true; }
};

// Generates the pseudo-legal moves of one piece in the fixed order and hands
// each to the sink. piece is the code on square, colour its colour.
template <typename Sink>
inline QM_INLINE void generateFor(const CPosition& p, int s, PieceCode piece, int colour, Sink& sink)
{
    const PieceCode* board = p.board;
    const Square square = Square(s);

    auto leaper = [&](const directions::Steps& d) QM_INLINE {
        for (int k = 0; k < d.count; ++k) {
            const int t = s + d.step[k];
            if (!onBoard(t))
                continue;
            const PieceCode target = board[t];
            if (target == Empty)
                sink(CMove(square, piece, Square(t), Empty));
            else if (isEnemy(target, colour))
                sink(CMove(square, piece, Square(t), std::uint8_t(target | CaptureFlag)));
        }
    };
    auto slider = [&](const directions::Steps& d) QM_INLINE {
        for (int k = 0; k < d.count; ++k) {
            const int step = d.step[k];
            for (int t = s + step; onBoard(t); t += step) {
                const PieceCode target = board[t];
                if (target == Empty) {
                    sink(CMove(square, piece, Square(t), Empty));
                    continue;
                }
                if (isEnemy(target, colour))
                    sink(CMove(square, piece, Square(t), std::uint8_t(target | CaptureFlag)));
                break;
            }
        }
    };
    // A pawn move onto the last rank becomes four promotions.
    auto pawnMove = [&](int t, std::uint8_t flags, bool promotes) QM_INLINE {
        if (!promotes) {
            sink(CMove(square, piece, Square(t), flags));
            return;
        }
        for (PieceCode type : PromotionOrder)
            sink(CMove(square, pieceOf(Colour(colour), type), Square(t), std::uint8_t(flags | PromotionFlag)));
    };
    auto castling = [&](std::uint8_t shortRight, std::uint8_t longRight, CMove shortMove, CMove longMove) QM_INLINE {
        // The rights guarantee king and rook on their home squares.
        const Colour enemy = colour == White ? Black : White;
        const std::uint8_t rights = p.castlingRights;
        if ((rights & shortRight) && board[s + 16] == Empty && board[s + 32] == Empty && !p.isAttackedBy(enemy, square)
            && !p.isAttackedBy(enemy, Square(s + 16)) && !p.isAttackedBy(enemy, Square(s + 32)))
            sink(shortMove);
        if ((rights & longRight) && board[s - 16] == Empty && board[s - 32] == Empty && board[s - 48] == Empty
            && !p.isAttackedBy(enemy, square) && !p.isAttackedBy(enemy, Square(s - 16))
            && !p.isAttackedBy(enemy, Square(s - 32)))
            sink(longMove);
    };

    switch (typeOf(piece)) {
    case Knight:
        leaper(directions::Knight[colour]);
        break;
    case Bishop:
        slider(directions::Bishop[colour]);
        break;
    case Rook:
        slider(directions::Rook[colour]);
        break;
    case Queen:
        slider(directions::Queen[colour]);
        break;
    case King:
        if (sink.wantsCastling()) {
            if (colour == White && square == sq::e1 && (p.castlingRights & (WhiteShort | WhiteLong)))
                castling(WhiteShort, WhiteLong, WhiteShortCastling, WhiteLongCastling);
            else if (colour == Black && square == sq::e8 && (p.castlingRights & (BlackShort | BlackLong)))
                castling(BlackShort, BlackLong, BlackShortCastling, BlackLongCastling);
        }
        leaper(directions::King[colour]);
        break;
    case Pawn: {
        const Square ep = p.enPassant;
        if (colour == White) {
            const bool promotes = rankOf(s) == 6;
            if (onBoard(s + 1) && board[s + 1] == Empty) {
                pawnMove(s + 1, Empty, promotes);
                if (rankOf(s) == 1 && board[s + 2] == Empty)
                    pawnMove(s + 2, Empty, false);
            }
            if (onBoard(s - 15) && isBlackPiece(board[s - 15]))
                pawnMove(s - 15, std::uint8_t(board[s - 15] | CaptureFlag), promotes);
            if (onBoard(s + 17) && isBlackPiece(board[s + 17]))
                pawnMove(s + 17, std::uint8_t(board[s + 17] | CaptureFlag), promotes);
            if (ep) {
                if (ep == s + 17)
                    sink(CMove(square, piece, ep, 204));
                if (ep == s - 15)
                    sink(CMove(square, piece, ep, 204));
            }
        } else {
            const bool promotes = rankOf(s) == 1;
            if (onBoard(s - 1) && board[s - 1] == Empty) {
                pawnMove(s - 1, Empty, promotes);
                if (rankOf(s) == 6 && board[s - 2] == Empty)
                    pawnMove(s - 2, Empty, false);
            }
            if (onBoard(s - 17) && isWhitePiece(board[s - 17]))
                pawnMove(s - 17, std::uint8_t(board[s - 17] | CaptureFlag), promotes);
            if (onBoard(s + 15) && isWhitePiece(board[s + 15]))
                pawnMove(s + 15, std::uint8_t(board[s + 15] | CaptureFlag), promotes);
            if (ep) {
                if (ep == s + 15)
                    sink(CMove(square, piece, ep, 196));
                if (ep == s - 17)
                    sink(CMove(square, piece, ep, 196));
            }
        }
        break;
    }
    default:
        break;
    }
}

// Every piece of the side to move, in square index order.
template <typename Sink>
inline QM_INLINE void generateAll(const CPosition& p, Sink& sink)
{
    const int colour = p.sideToMove;
    // The eight cells of a file are eight consecutive bytes: find the side's
    // pieces among them a word at a time. A white piece is a byte below 6
    // (adding 122 leaves bit 7 clear), a black one has bit 3 set.
    constexpr std::uint64_t High = 0x8080808080808080ull;
    for (int file = 0; file < 8; ++file) {
        std::uint64_t cells;
        std::memcpy(&cells, p.board + file * 16, 8);
        std::uint64_t own = colour == White ? ~(cells + 0x7A7A7A7A7A7A7A7Aull) & High : (cells << 4) & High;
        while (own) {
            const int s = file * 16 + (__builtin_ctzll(own) >> 3);
            own &= own - 1;
            const PieceCode code = p.board[s];
            if (code < 14)
                generateFor(p, s, code, colour, sink);
        }
    }
}

// Legality after the side to move's king was found on king: make, attack
// test and take-back. When the king is not attacked before the move and
// neither the king moves nor a pawn is taken en passant, the only attack the
// move can open is along the line from the king through the vacated square,
// so the attack test probes only that line. What it finds there is the same
// for every move of the piece that leaves the line (the line then differs
// from the board only by the vacated square), and a move along the line
// keeps it shut; so the probe is made once per piece.
struct LegalFilter {
    CPosition& p;
    Square king;
    bool inCheck;
    PieceCode enemyBase;
    mutable int probedFrom = -1;
    mutable int openedStep = 0; // the line step towards an attacker, or 0

    static LegalFilter forSideToMove(CPosition& p)
    {
        const Square king = p.findKing(Colour(p.sideToMove));
        const bool hasKing = onBoard(king) && p.board[king] == pieceOf(Colour(p.sideToMove), King);
        return LegalFilter{p, hasKing ? king : NoSquare, hasKing && p.isAttackedBy(Colour(p.sideNotToMove), king),
            PieceCode(p.sideNotToMove == White ? 0 : 8)};
    }

    // The step of the line from the king through from when vacating from
    // lets an enemy slider attack the king along it, else 0.
    int lineOpenedBy(int from) const { return lineOpenedThrough(p.board, king, from, enemyBase); }

    QM_INLINE bool legal(CMove m) const
    {
        if (king == NoSquare)
            return false;
        if (inCheck || m.from == king || m.isEnPassant())
            return p.isLegalMove(m, king);
        if (m.from != probedFrom) {
            probedFrom = m.from;
            openedStep = lineOpenedBy(m.from);
        }
        return openedStep == 0 || Lines.step[m.to - king + 119] == openedStep;
    }
};

struct LegalListSink {
    const LegalFilter& filter;
    CMove* out;
    static constexpr bool wantsCastling() { return true; }
    QM_INLINE void operator()(CMove m)
    {
        if (filter.legal(m))
            *out++ = m;
    }
};

struct LegalToSink {
    const LegalFilter& filter;
    Square first, second;
    bool castling;
    CMove* out;
    bool wantsCastling() const { return castling; }
    QM_INLINE void operator()(CMove m)
    {
        if ((m.to == first || m.to == second || m.isCastling()) && filter.legal(m))
            *out++ = m;
    }
};

struct LegalCountSink {
    const LegalFilter& filter;
    int count;
    static constexpr bool wantsCastling() { return true; }
    QM_INLINE void operator()(CMove m) { count += filter.legal(m); }
};

} // namespace

void CPosition::generatePieceMoves(Square square, CMoveList& list) const
{
    if (!onBoard(square))
        return;
    const PieceCode piece = board[square];
    if (piece == Empty || piece == OffBoard || piece >= 14)
        return;
    ListSink sink{list.moves + list.count};
    generateFor(*this, square, piece, isBlackPiece(piece) ? Black : White, sink);
    list.count = int(sink.out - list.moves);
}

void CPosition::generatePseudoLegalMoves(CMoveList& list) const
{
    ListSink sink{list.moves + list.count};
    generateAll(*this, sink);
    list.count = int(sink.out - list.moves);
}

bool CPosition::isLegalMoveOutOfCheck(CMove move, Square kingSquare)
{
    if (move.from == kingSquare || move.isEnPassant() || move.isCastling() || move == NullMove)
        return isLegalMove(move, kingSquare);
    const PieceCode noted = kingSquare < 128 ? board[kingSquare] : PieceCode(OffBoard);
    if (noted != WhiteKing && noted != BlackKing)
        return false;
    const int opened = lineOpenedThrough(board, kingSquare, move.from, PieceCode(noted == WhiteKing ? 8 : 0));
    return opened == 0 || Lines.step[move.to - kingSquare + 119] == opened;
}

bool CPosition::isCheckAfterMove(CMove move)
{
    if (move == NullMove)
        return false;
    const Square king = findKing(Colour(sideToMove));
    if (!onBoard(king))
        return false;
    const PieceCode enemyBase = sideNotToMove == White ? 0 : 8;
    if (pieceAttacks(board, move.to, king) || lineOpenedThrough(board, king, move.from, enemyBase))
        return true;
    if (move.isEnPassant())
        return lineOpenedThrough(board, king, enPassantVictim(move), enemyBase) != 0;
    int rookFrom, rookTo;
    if (move.isCastling() && castlingRook(move, rookFrom, rookTo))
        return pieceAttacks(board, rookTo, king) || lineOpenedThrough(board, king, rookFrom, enemyBase) != 0;
    return false;
}

bool CPosition::isLegalMove(CMove move, Square kingSquare)
{
    // The board-only half of make and take-back: the attack test reads
    // nothing but the cells, so the counters and history need not change.
    const PieceCode noted = kingSquare < 128 ? board[kingSquare] : PieceCode(OffBoard);
    if (noted != WhiteKing && noted != BlackKing)
        return false;
    const Square kingAfter = move.from == kingSquare ? move.to : kingSquare;
    if (move == NullMove)
        return !isAttackedBy(noted == WhiteKing ? Black : White, kingAfter);

    const Square from = move.from, to = move.to;
    const PieceCode savedFrom = board[from], savedTo = board[to];
    int epSquare = -1, rookFrom = -1, rookTo = -1;
    PieceCode savedEp = Empty;
    if (move.isEnPassant()) {
        epSquare = enPassantVictim(move);
        savedEp = board[epSquare];
        board[epSquare] = Empty;
    }
    board[from] = Empty;
    board[to] = move.piece;
    if (move.isCastling() && castlingRook(move, rookFrom, rookTo)) {
        board[rookTo] = board[rookFrom];
        board[rookFrom] = Empty;
    }

    const bool legal = !isAttackedBy(noted == WhiteKing ? Black : White, kingAfter);

    if (rookFrom >= 0) {
        board[rookFrom] = board[rookTo];
        board[rookTo] = Empty;
    }
    board[to] = savedTo;
    board[from] = savedFrom;
    if (epSquare >= 0)
        board[epSquare] = savedEp;
    return legal;
}

void CPosition::generateLegalPieceMoves(Square square, CMoveList& list)
{
    if (!onBoard(square))
        return;
    const PieceCode piece = board[square];
    if (piece == Empty || piece == OffBoard || piece >= 14)
        return;
    const LegalFilter filter = LegalFilter::forSideToMove(*this);
    LegalListSink sink{filter, list.moves + list.count};
    generateFor(*this, square, piece, isBlackPiece(piece) ? Black : White, sink);
    list.count = int(sink.out - list.moves);
}

void CPosition::generateLegalMoves(CMoveList& list)
{
    const LegalFilter filter = LegalFilter::forSideToMove(*this);
    LegalListSink sink{filter, list.moves + list.count};
    generateAll(*this, sink);
    list.count = int(sink.out - list.moves);
}

void CPosition::generateLegalMovesTo(Square first, Square second, bool castling, CMoveList& list)
{
    const LegalFilter filter = LegalFilter::forSideToMove(*this);
    // Castling is tested for attacks, which costs; skip it unless asked for
    // or one of the squares is a castling king's destination.
    auto kingTarget = [](Square s) { return s == sq::g1 || s == sq::c1 || s == sq::g8 || s == sq::c8; };
    LegalToSink sink{
        filter, first, second, castling || kingTarget(first) || kingTarget(second), list.moves + list.count};
    generateAll(*this, sink);
    list.count = int(sink.out - list.moves);
}

int CPosition::countLegalMoves()
{
    const LegalFilter filter = LegalFilter::forSideToMove(*this);
    LegalCountSink sink{filter, 0};
    generateAll(*this, sink);
    return sink.count;
}

// --- Lookups ---

CMove CPosition::findMove(Square from, Square to, PieceCode promotionCode)
{
    if (!onBoard(from) || !onBoard(to))
        return NoMove;
    CMoveList moves(CMoveList::Scratch);
    generateLegalPieceMoves(from, moves);
    for (const CMove& m : moves)
        if (m.to == to && (!m.isPromotion() || m.piece == promotionCode))
            return m;
    return NoMove;
}

CMove CPosition::findUniqueMove(Square square, bool byDestination)
{
    CMoveList moves(CMoveList::Scratch);
    generateLegalMoves(moves);
    int count = 0;
    CMove found = NoMove;
    for (const CMove& m : moves) {
        if ((byDestination ? m.to : m.from) != square)
            continue;
        if (m.isPromotion() && typeOf(m.piece) != Queen)
            continue;
        ++count;
        found = m;
    }
    return count == 0 ? NoMove : count == 1 ? found : AmbiguousMove;
}

CMove CPosition::findUniqueMoveTo(Square to)
{
    return findUniqueMove(to, true);
}

CMove CPosition::findUniqueMoveFrom(Square from)
{
    return findUniqueMove(from, false);
}

CMove CPosition::findMoveToBoard(const PieceCode* otherBoard) const
{
    CPosition scratch;
    scratch.setFromFen(writeFen());
    CMoveList moves(CMoveList::Scratch);
    scratch.generateLegalMoves(moves);
    for (const CMove& m : moves) {
        scratch.makeMove(m);
        bool same = std::memcmp(scratch.board, otherBoard, sizeof scratch.board) == 0;
        scratch.unmakeMove();
        if (same)
            return m;
    }
    return NoMove;
}

Square CPosition::nthPiece(int n) const
{
    if (n < 0)
        return NoSquare;
    for (int s = 0; s < 128; ++s) {
        if (!onBoard(s))
            continue;
        PieceCode code = board[s];
        if (code != Empty && (sideToMove == White ? isWhitePiece(code) : isBlackPiece(code)) && n-- == 0)
            return Square(s);
    }
    return NoSquare;
}

CMove CPosition::nthPieceMove(Square square, int n) const
{
    CMoveList moves(CMoveList::Scratch);
    generatePieceMoves(square, moves);
    return n >= 0 && n < moves.count ? moves[n] : NoMove;
}

} // namespace qm
