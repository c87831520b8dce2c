#include "engines/quill/Bitboard.h"

#include <mutex>
#include <vector>

namespace quill {

Bitboard PawnAttacks[2][64];
Bitboard KnightAttacks[64];
Bitboard KingAttacks[64];
Magic BishopMagics[64];
Magic RookMagics[64];
Bitboard Between[64][64];

namespace {

Bitboard g_bishopTable[0x1480];

// Magic factors found once by the search in initMagics (its fixed seed) and
// kept here so that start-up only fills the tables.
const Bitboard BishopMagicNumbers[64] = {
    0x10102002004A1420ULL,    0x8020040400584008ULL,    0x10510800811201C8ULL,    0x5204042080000088ULL,
    0x2204106880000002ULL,    0x1401042004000000ULL,    0x0400880410042004ULL,    0x0028208200A02020ULL,
    0x1500241990010E00ULL,    0x8001200182020A40ULL,    0x40004101030B0000ULL,    0x8002041042000100ULL,
    0x4010011041020038ULL,    0x0000010421044000ULL,    0x1500210808020A00ULL,    0x8000088400880520ULL,
    0x0405004010040100ULL,    0x1005823210040108ULL,    0x2708008102040011ULL,    0x4048200404009100ULL,
    0x0018104101400024ULL,    0x0003000601190101ULL,    0x8004803108491000ULL,    0x8014241200820800ULL,
    0x0006E080100C3040ULL,    0x0501044A11041800ULL,    0x9020300008004045ULL,    0x0894080000220040ULL,
    0x1001010083104000ULL,    0x5004030040900080ULL,    0x000400422C012400ULL,    0x0002128698404812ULL,
    0x1010108404900440ULL,    0x0928021182084100ULL,    0x2006080409020024ULL,    0x1010202020180080ULL,
    0xA010008200202200ULL,    0x2098015100019004ULL,    0x0002041440810811ULL,    0x802A02020000B098ULL,
    0x0009015090004060ULL,    0x4000821082081001ULL,    0x0100210040420800ULL,    0x0800004010488A00ULL,
    0x2000081104004040ULL,    0x4C8E029015000082ULL,    0x0420340322224842ULL,    0x1298260043400210ULL,
    0x0000822802400008ULL,    0x00008A0101600000ULL,    0x3040003412080021ULL,    0x3040290220884800ULL,
    0x4A1500401041004AULL,    0x8010200282020781ULL,    0x0020203142209091ULL,    0x0070300600902110ULL,
    0x0040808800B62048ULL,    0x0000810400C44420ULL,    0x00080400440C0441ULL,    0x8340080020840411ULL,
    0x0000000104208200ULL,    0x0000800810D00080ULL,    0x0400530411080200ULL,    0x4040702400932244ULL,
};
const Bitboard RookMagicNumbers[64] = {
    0x1080004008801020ULL,    0x0840092002C03000ULL,    0x1900200010400900ULL,    0x0880100008000480ULL,
    0x4200100420080200ULL,    0x8100020100080400ULL,    0x0200040110886200ULL,    0x0200008040220411ULL,
    0x0404800084400220ULL,    0x0000401000402000ULL,    0x0086001081220440ULL,    0x0408800800100280ULL,
    0x000A001201040820ULL,    0x8848800200840080ULL,    0x4001000100040200ULL,    0x0442000102105084ULL,
    0x9080010020804100ULL,    0x0040404000201009ULL,    0x0000808010002009ULL,    0x2200090021D00100ULL,
    0x0008008008040080ULL,    0x0004004002010040ULL,    0x0011040008015042ULL,    0x00000A0001768104ULL,
    0x0000800080204009ULL,    0x2010004140002001ULL,    0x9800200280100080ULL,    0x1000100080080080ULL,
    0x0442000A00049020ULL,    0x2100040080020080ULL,    0x0800120400900148ULL,    0x0010040A00128541ULL,
    0x2800804000800030ULL,    0x1010002000400041ULL,    0x4000200011004100ULL,    0x0610008410800800ULL,
    0x0400802402800800ULL,    0xC100020080800400ULL,    0x0002000802000401ULL,    0x0182085882000401ULL,
    0x0220204000808000ULL,    0x2860100040024022ULL,    0x0001002004110040ULL,    0x99101042000A0020ULL,
    0x0004080004008080ULL,    0x0010040002008080ULL,    0x2012004881020004ULL,    0x8300842444820011ULL,
    0x0088403882010200ULL,    0x0820400080210100ULL,    0x0110910040A00300ULL,    0x0801100280080480ULL,
    0x0242009008200600ULL,    0x1002000489500200ULL,    0x0040800200010080ULL,    0x0091800041000080ULL,
    0x0000209300488001ULL,    0x04C1002414824001ULL,    0x020020000B001041ULL,    0x7000100004200901ULL,
    0x8002002004100802ULL,    0x30010002084C0007ULL,    0x0888221800813004ULL,    0x4000002840840112ULL,
};

Bitboard g_rookTable[0x19000];

bool onBoard(int f, int r) { return f >= 0 && f < 8 && r >= 0 && r < 8; }

Bitboard slide(int sq, Bitboard occupied, const int (*dirs)[2])
{
    Bitboard result = 0;
    for (int d = 0; d < 4; ++d) {
        int f = fileOf(sq) + dirs[d][0], r = rankOf(sq) + dirs[d][1];
        while (onBoard(f, r)) {
            result |= bit(r * 8 + f);
            if (occupied & bit(r * 8 + f))
                break;
            f += dirs[d][0];
            r += dirs[d][1];
        }
    }
    return result;
}

const int BishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int RookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// xorshift64*: a fixed seed makes the magic search, and so the start-up
// time, the same on every run.
struct Rng {
    std::uint64_t s = 0x9E3779B97F4A7C15ULL;
    std::uint64_t next()
    {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return s * 2685821657736338717ULL;
    }
    std::uint64_t sparse() { return next() & next() & next(); }
};

void initMagics(Magic* magics, Bitboard* table, const int (*dirs)[2], const Bitboard* known)
{
    Rng rng;
    std::vector<Bitboard> occupancy(4096), reference(4096);
    std::vector<int> epoch(4096, 0);
    int attempt = 0;
    Bitboard* next = table;
    for (int sq = 0; sq < 64; ++sq) {
        Bitboard edges = ((Rank1 | rankMask(7)) & ~rankMask(rankOf(sq))) | ((FileA | fileMask(7)) & ~fileMask(fileOf(sq)));
        Magic& m = magics[sq];
        m.mask = slide(sq, 0, dirs) & ~edges;
        m.shift = 64 - popCount(m.mask);
        m.attacks = next;
        int size = 0;
        Bitboard b = 0;
        do {
            occupancy[size] = b;
            reference[size] = slide(sq, b, dirs);
            ++size;
            b = (b - m.mask) & m.mask;
        } while (b);
        next += size;
        for (bool first = true;; first = false) {
            m.magic = first ? known[sq] : rng.sparse();
            if (!first && popCount((m.magic * m.mask) >> 56) < 6)
                continue;
            ++attempt;
            bool ok = true;
            for (int i = 0; i < size && ok; ++i) {
                unsigned idx = m.index(occupancy[i]);
                if (epoch[idx] < attempt) {
                    epoch[idx] = attempt;
                    m.attacks[idx] = reference[i];
                } else if (m.attacks[idx] != reference[i]) {
                    ok = false;
                }
            }
            if (ok)
                break;
        }
    }
}

void initAll()
{
    for (int sq = 0; sq < 64; ++sq) {
        int f = fileOf(sq), r = rankOf(sq);
        const int knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
        for (auto& d : knight)
            if (onBoard(f + d[0], r + d[1]))
                KnightAttacks[sq] |= bit((r + d[1]) * 8 + f + d[0]);
        for (int df = -1; df <= 1; ++df)
            for (int dr = -1; dr <= 1; ++dr)
                if ((df || dr) && onBoard(f + df, r + dr))
                    KingAttacks[sq] |= bit((r + dr) * 8 + f + df);
        for (int df : {-1, 1}) {
            if (onBoard(f + df, r + 1))
                PawnAttacks[White][sq] |= bit((r + 1) * 8 + f + df);
            if (onBoard(f + df, r - 1))
                PawnAttacks[Black][sq] |= bit((r - 1) * 8 + f + df);
        }
    }
    initMagics(BishopMagics, g_bishopTable, BishopDirs, BishopMagicNumbers);
    initMagics(RookMagics, g_rookTable, RookDirs, RookMagicNumbers);
    for (int a = 0; a < 64; ++a)
        for (int b = 0; b < 64; ++b) {
            if (a == b)
                continue;
            if (bishopAttacks(a, 0) & bit(b))
                Between[a][b] = bishopAttacks(a, bit(b)) & bishopAttacks(b, bit(a));
            else if (rookAttacks(a, 0) & bit(b))
                Between[a][b] = rookAttacks(a, bit(b)) & rookAttacks(b, bit(a));
        }
}

} // namespace

void initBitboards()
{
    static std::once_flag once;
    std::call_once(once, initAll);
}

} // namespace quill
