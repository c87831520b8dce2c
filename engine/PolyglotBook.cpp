#include "engine/PolyglotBook.h"

#include <cstdio>
#include <memory>

namespace qm {

namespace {

struct Board64 {
    char cell[64] = {}; // piece letter or 0; index rank * 8 + file
    bool whiteToMove = true;
    int castling = 0;   // 1 K, 2 Q, 4 k, 8 q
    int epFile = -1;
};

bool readFen(std::string_view fen, Board64& b)
{
    std::size_t i = 0;
    int rank = 7, file = 0;
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        char c = fen[i];
        if (c == '/') {
            if (--rank < 0)
                return false;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
        } else if (std::string_view("PNBRQKpnbrqk").find(c) != std::string_view::npos && file < 8) {
            b.cell[rank * 8 + file++] = c;
        } else {
            return false;
        }
        if (file > 8)
            return false;
    }
    if (rank != 0 || ++i >= fen.size())
        return false;
    b.whiteToMove = fen[i] != 'b';
    i += 2;
    for (; i < fen.size() && fen[i] != ' '; ++i)
        b.castling |= fen[i] == 'K' ? 1 : fen[i] == 'Q' ? 2 : fen[i] == 'k' ? 4 : fen[i] == 'q' ? 8 : 0;
    ++i;
    if (i + 1 < fen.size() && fen[i] >= 'a' && fen[i] <= 'h') {
        // Hashed only when a pawn of the side to move stands beside the
        // pawn that passed, as the format demands.
        int f = fen[i] - 'a';
        int r = b.whiteToMove ? 4 : 3;
        char pawn = b.whiteToMove ? 'P' : 'p';
        if ((f > 0 && b.cell[r * 8 + f - 1] == pawn) || (f < 7 && b.cell[r * 8 + f + 1] == pawn))
            b.epFile = f;
    }
    return true;
}

std::uint64_t keyOf(const Board64& b)
{
    static const std::string_view Kinds = "pPnNbBrRqQkK";
    std::uint64_t key = 0;
    for (int sq = 0; sq < 64; ++sq)
        if (b.cell[sq])
            key ^= PolyglotRandom[64 * Kinds.find(b.cell[sq]) + sq];
    for (int i = 0; i < 4; ++i)
        if (b.castling & (1 << i))
            key ^= PolyglotRandom[768 + i];
    if (b.epFile >= 0)
        key ^= PolyglotRandom[772 + b.epFile];
    if (b.whiteToMove)
        key ^= PolyglotRandom[780];
    return key;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool readEntry(std::FILE* f, long index, std::uint64_t& key, unsigned& move, unsigned& weight)
{
    unsigned char e[16];
    if (std::fseek(f, index * 16, SEEK_SET) != 0 || std::fread(e, 1, 16, f) != 16)
        return false;
    key = 0;
    for (int i = 0; i < 8; ++i)
        key = key << 8 | e[i];
    move = unsigned(e[8]) << 8 | e[9];
    weight = unsigned(e[10]) << 8 | e[11];
    return true;
}

std::string moveText(const Board64& b, unsigned pm)
{
    int to = int(pm & 63), from = int((pm >> 6) & 63), promo = int((pm >> 12) & 7);
    // Castling is stored as the king taking its own rook.
    char king = b.cell[from];
    if ((king == 'K' && from == 4 && b.cell[to] == 'R') || (king == 'k' && from == 60 && b.cell[to] == 'r'))
        to = to > from ? from + 2 : from - 2;
    std::string s;
    s += char('a' + from % 8);
    s += char('1' + from / 8);
    s += char('a' + to % 8);
    s += char('1' + to / 8);
    if (promo >= 1 && promo <= 4)
        s += " nbrq"[promo];
    return s;
}

} // namespace

bool polyglotKey(std::string_view fen, std::uint64_t& key)
{
    Board64 b;
    if (!readFen(fen, b))
        return false;
    key = keyOf(b);
    return true;
}

std::vector<CPolyglotEntry> polyglotEntries(const std::string& path, std::string_view fen)
{
    std::vector<CPolyglotEntry> out;
    Board64 board;
    if (!readFen(fen, board))
        return out;
    const std::uint64_t key = keyOf(board);
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f || std::fseek(f.get(), 0, SEEK_END) != 0)
        return out;
    const long count = std::ftell(f.get()) / 16;
    long lo = 0, hi = count; // the first entry whose key is not below key
    while (lo < hi) {
        long mid = lo + (hi - lo) / 2;
        std::uint64_t k;
        unsigned m, w;
        if (!readEntry(f.get(), mid, k, m, w))
            return out;
        if (k < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (long i = lo; i < count && out.size() < 256; ++i) {
        std::uint64_t k;
        unsigned m, w;
        if (!readEntry(f.get(), i, k, m, w) || k != key)
            break;
        out.push_back({moveText(board, m), int(w)});
    }
    return out;
}

} // namespace qm
