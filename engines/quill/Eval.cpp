#include "engines/quill/Eval.h"

#include <algorithm>
#include <cstdlib>

namespace quill {

namespace {

// Tables are written as seen from White with rank 8 on top; White's square
// sq reads entry sq ^ 56, Black's reads entry sq.
const int PawnMg[64] = {
     0,  0,  0,  0,  0,  0,  0,  0,
    50, 50, 50, 50, 50, 50, 50, 50,
    15, 15, 25, 35, 35, 25, 15, 15,
     5,  5, 10, 25, 25, 10,  5,  5,
     0,  0,  5, 20, 20,  5,  0,  0,
     5, -5, -5,  5,  5, -5, -5,  5,
     5, 10, 10,-20,-20, 10, 10,  5,
     0,  0,  0,  0,  0,  0,  0,  0};
const int PawnEg[64] = {
     0,  0,  0,  0,  0,  0,  0,  0,
    80, 80, 80, 80, 80, 80, 80, 80,
    45, 45, 45, 45, 45, 45, 45, 45,
    25, 25, 25, 25, 25, 25, 25, 25,
    12, 12, 12, 12, 12, 12, 12, 12,
     4,  4,  4,  4,  4,  4,  4,  4,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0};
const int KnightPst[64] = {
   -50,-40,-30,-30,-30,-30,-40,-50,
   -40,-20,  0,  0,  0,  0,-20,-40,
   -30,  0, 10, 15, 15, 10,  0,-30,
   -30,  5, 15, 20, 20, 15,  5,-30,
   -30,  0, 15, 20, 20, 15,  0,-30,
   -30,  5, 10, 15, 15, 10,  5,-30,
   -40,-20,  0,  5,  5,  0,-20,-40,
   -50,-40,-30,-30,-30,-30,-40,-50};
const int BishopPst[64] = {
   -20,-10,-10,-10,-10,-10,-10,-20,
   -10,  0,  0,  0,  0,  0,  0,-10,
   -10,  0,  5, 10, 10,  5,  0,-10,
   -10,  5,  5, 10, 10,  5,  5,-10,
   -10,  0, 10, 10, 10, 10,  0,-10,
   -10, 10, 10, 10, 10, 10, 10,-10,
   -10,  5,  0,  0,  0,  0,  5,-10,
   -20,-10,-10,-10,-10,-10,-10,-20};
const int RookPst[64] = {
     0,  0,  0,  0,  0,  0,  0,  0,
     5, 10, 10, 10, 10, 10, 10,  5,
    -5,  0,  0,  0,  0,  0,  0, -5,
    -5,  0,  0,  0,  0,  0,  0, -5,
    -5,  0,  0,  0,  0,  0,  0, -5,
    -5,  0,  0,  0,  0,  0,  0, -5,
    -5,  0,  0,  0,  0,  0,  0, -5,
     0,  0,  0,  5,  5,  0,  0,  0};
const int QueenPst[64] = {
   -20,-10,-10, -5, -5,-10,-10,-20,
   -10,  0,  0,  0,  0,  0,  0,-10,
   -10,  0,  5,  5,  5,  5,  0,-10,
    -5,  0,  5,  5,  5,  5,  0, -5,
     0,  0,  5,  5,  5,  5,  0, -5,
   -10,  5,  5,  5,  5,  5,  0,-10,
   -10,  0,  5,  0,  0,  0,  0,-10,
   -20,-10,-10, -5, -5,-10,-10,-20};
const int KingMg[64] = {
   -30,-40,-40,-50,-50,-40,-40,-30,
   -30,-40,-40,-50,-50,-40,-40,-30,
   -30,-40,-40,-50,-50,-40,-40,-30,
   -30,-40,-40,-50,-50,-40,-40,-30,
   -20,-30,-30,-40,-40,-30,-30,-20,
   -10,-20,-20,-20,-20,-20,-20,-10,
    15, 15, -5,-10,-10, -5, 15, 15,
    20, 30, 10,  0,  0, 10, 30, 20};
const int KingEg[64] = {
   -50,-40,-30,-20,-20,-30,-40,-50,
   -30,-20,-10,  0,  0,-10,-20,-30,
   -30,-10, 20, 30, 30, 20,-10,-30,
   -30,-10, 30, 40, 40, 30,-10,-30,
   -30,-10, 30, 40, 40, 30,-10,-30,
   -30,-10, 20, 30, 30, 20,-10,-30,
   -30,-30,  0,  0,  0,  0,-30,-30,
   -50,-30,-30,-30,-30,-30,-30,-50};

const int MaterialMg[6] = {82, 337, 365, 477, 1025, 0};
const int MaterialEg[6] = {94, 281, 297, 512, 936, 0};
const int PhaseWeight[6] = {0, 1, 1, 2, 4, 0};
const int PassedMg[8] = {0, 5, 10, 15, 30, 50, 80, 0};
const int PassedEg[8] = {0, 10, 15, 30, 55, 95, 150, 0};
const int KingAttackPenalty[16] = {0, 0, 10, 25, 45, 70, 100, 135, 175, 220, 270, 320, 370, 420, 470, 500};

int pstIndex(int colour, int sq) { return colour == White ? sq ^ 56 : sq; }
int distance(int a, int b) { return std::max(std::abs(fileOf(a) - fileOf(b)), std::abs(rankOf(a) - rankOf(b))); }
int centreDistance(int sq)
{
    int f = fileOf(sq), r = rankOf(sq);
    return std::max(f < 4 ? 3 - f : f - 4, r < 4 ? 3 - r : r - 4);
}

Bitboard pawnAttacksOf(const Board& b, int colour)
{
    Bitboard p = b.byType[colour][Pawn];
    if (colour == White)
        return ((p << 7) & ~fileMask(7)) | ((p << 9) & ~fileMask(0));
    return ((p >> 9) & ~fileMask(7)) | ((p >> 7) & ~fileMask(0));
}

Bitboard frontSpan(int colour, int sq)
{
    Bitboard span = 0;
    int r = rankOf(sq);
    for (int rr = colour == White ? r + 1 : r - 1; rr >= 0 && rr < 8; rr += colour == White ? 1 : -1)
        span |= rankMask(rr);
    return span;
}

Bitboard adjacentFiles(int f)
{
    return (f > 0 ? fileMask(f - 1) : 0) | (f < 7 ? fileMask(f + 1) : 0);
}

struct Score {
    int mg = 0, eg = 0;
    void add(int m, int e) { mg += m, eg += e; }
};

void evaluateSide(const Board& b, int us, Score& s, int& phase, const Bitboard pawnAttacks[2])
{
    const int them = us ^ 1;
    const Bitboard ownPawns = b.byType[us][Pawn], enemyPawns = b.byType[them][Pawn];
    const int enemyKing = b.kingSquare(them), ownKing = b.kingSquare(us);
    const Bitboard kingZone = KingAttacks[enemyKing] | bit(enemyKing);
    const Bitboard mobilityArea = ~b.byColour[us] & ~pawnAttacks[them];
    int attackUnits = 0, attackers = 0;

    for (Bitboard p = ownPawns; p;) {
        int sq = popLsb(p);
        int rel = us == White ? rankOf(sq) : 7 - rankOf(sq);
        s.add(MaterialMg[Pawn] + PawnMg[pstIndex(us, sq)], MaterialEg[Pawn] + PawnEg[pstIndex(us, sq)]);
        int f = fileOf(sq);
        if (!(ownPawns & adjacentFiles(f)))
            s.add(-10, -15);
        if (ownPawns & fileMask(f) & frontSpan(us, sq))
            s.add(-10, -20);
        Bitboard front = frontSpan(us, sq) & (fileMask(f) | adjacentFiles(f));
        if (!(enemyPawns & front)) {
            s.add(PassedMg[rel], PassedEg[rel]);
            int promo = us == White ? 56 + f : f;
            s.add(0, (distance(enemyKing, promo) - distance(ownKing, promo)) * 4 * rel / 2);
            int stop = us == White ? sq + 8 : sq - 8;
            if (b.occupied & bit(stop))
                s.add(-PassedMg[rel] / 3, -PassedEg[rel] / 3);
        }
    }

    for (int type = Knight; type <= Queen; ++type) {
        for (Bitboard p = b.byType[us][type]; p;) {
            int sq = popLsb(p);
            int idx = pstIndex(us, sq);
            phase += PhaseWeight[type];
            Bitboard att = 0;
            switch (type) {
            case Knight:
                att = KnightAttacks[sq];
                s.add(MaterialMg[type] + KnightPst[idx], MaterialEg[type] + KnightPst[idx]);
                break;
            case Bishop:
                att = bishopAttacks(sq, b.occupied ^ b.byType[us][Queen]);
                s.add(MaterialMg[type] + BishopPst[idx], MaterialEg[type] + BishopPst[idx]);
                break;
            case Rook: {
                att = rookAttacks(sq, b.occupied ^ b.byType[us][Queen] ^ b.byType[us][Rook]);
                s.add(MaterialMg[type] + RookPst[idx], MaterialEg[type] + RookPst[idx] / 2);
                Bitboard file = fileMask(fileOf(sq));
                if (!(file & ownPawns))
                    s.add(file & enemyPawns ? 12 : 25, file & enemyPawns ? 5 : 10);
                int rel = us == White ? rankOf(sq) : 7 - rankOf(sq);
                if (rel == 6)
                    s.add(10, 20);
                break;
            }
            default:
                att = queenAttacks(sq, b.occupied);
                s.add(MaterialMg[type] + QueenPst[idx], MaterialEg[type] + QueenPst[idx]);
                break;
            }
            int mob = popCount(att & mobilityArea);
            switch (type) {
            case Knight: s.add(4 * (mob - 4), 4 * (mob - 4)); break;
            case Bishop: s.add(5 * (mob - 6), 5 * (mob - 6)); break;
            case Rook: s.add(2 * (mob - 6), 4 * (mob - 6)); break;
            default: s.add(1 * (mob - 12), 2 * (mob - 12)); break;
            }
            if (att & kingZone) {
                ++attackers;
                attackUnits += popCount(att & kingZone) * (type == Queen ? 4 : type == Rook ? 3 : 2);
            }
        }
    }
    if (popCount(b.byType[us][Bishop]) >= 2)
        s.add(30, 50);

    // King attack: counted only with two attackers, which keeps lone
    // checks from looking like an attack.
    if (attackers >= 2 && b.byType[us][Queen])
        s.add(KingAttackPenalty[std::min(attackUnits, 15)], 0);

    // Own king: table and pawn shield.
    s.add(KingMg[pstIndex(us, ownKing)], KingEg[pstIndex(us, ownKing)]);
    int kf = fileOf(ownKing);
    if (kf <= 2 || kf >= 5) {
        Bitboard shieldFiles = fileMask(kf) | adjacentFiles(kf);
        int kr = rankOf(ownKing);
        Bitboard near = us == White ? (rankMask(std::min(kr + 1, 7)) | rankMask(std::min(kr + 2, 7)))
                                    : (rankMask(std::max(kr - 1, 0)) | rankMask(std::max(kr - 2, 0)));
        int shield = popCount(ownPawns & shieldFiles & near);
        s.add((shield - 3) * 12, 0);
        for (int f = std::max(kf - 1, 0); f <= std::min(kf + 1, 7); ++f)
            if (!(ownPawns & fileMask(f)))
                s.add(-15, 0);
    }
}

} // namespace

bool insufficientMaterial(const Board& b)
{
    for (int c = 0; c < 2; ++c)
        if (b.byType[c][Pawn] | b.byType[c][Rook] | b.byType[c][Queen])
            return false;
    int minors = popCount(b.byType[0][Knight] | b.byType[0][Bishop] | b.byType[1][Knight] | b.byType[1][Bishop]);
    return minors <= 1;
}

int evaluate(const Board& b)
{
    Score side[2];
    int phase = 0;
    const Bitboard pawnAttacks[2] = {pawnAttacksOf(b, White), pawnAttacksOf(b, Black)};
    evaluateSide(b, White, side[White], phase, pawnAttacks);
    evaluateSide(b, Black, side[Black], phase, pawnAttacks);
    phase = std::min(phase, 24);
    int mg = side[White].mg - side[Black].mg;
    int eg = side[White].eg - side[Black].eg;

    // Mop-up: with a lone enemy king, drive it to the edge and come close.
    for (int c = 0; c < 2; ++c) {
        int them = c ^ 1;
        if (b.byColour[them] == b.byType[them][King] && b.hasNonPawnMaterial(c)) {
            int bonus = 10 * centreDistance(b.kingSquare(them)) + 4 * (7 - distance(b.kingSquare(c), b.kingSquare(them)));
            eg += c == White ? bonus + 300 : -bonus - 300;
        }
    }

    int score = (mg * phase + eg * (24 - phase)) / 24;

    // Without pawns, an advantage below a rook rarely wins.
    int strong = score > 0 ? White : Black;
    if (!b.byType[strong][Pawn]) {
        auto material = [&](int c) {
            return 3 * popCount(b.byType[c][Knight] | b.byType[c][Bishop]) + 5 * popCount(b.byType[c][Rook]) +
                   9 * popCount(b.byType[c][Queen]);
        };
        if (material(strong) - material(strong ^ 1) <= 3)
            score /= 8;
    }
    if (b.side == Black)
        score = -score;
    return score + 10;
}

} // namespace quill
