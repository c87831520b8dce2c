#include "engines/quill/Book.h"

#include "engines/quill/PolyglotKeys.h"

#include <cstdio>
#include <memory>

namespace quill {

std::uint64_t polyglotKey(const Board& b)
{
    std::uint64_t key = 0;
    for (int sq = 0; sq < 64; ++sq) {
        int p = b.pieceOn(sq);
        if (p == NoPiece)
            continue;
        int kind = 2 * typeOfPiece(p) + (colourOfPiece(p) == White ? 1 : 0);
        key ^= PolyglotRandom[64 * kind + sq];
    }
    if (b.castling & WhiteShort)
        key ^= PolyglotRandom[768];
    if (b.castling & WhiteLong)
        key ^= PolyglotRandom[769];
    if (b.castling & BlackShort)
        key ^= PolyglotRandom[770];
    if (b.castling & BlackLong)
        key ^= PolyglotRandom[771];
    // The board keeps an en-passant square only when a pawn can take there,
    // which is when the format hashes it.
    if (b.enPassant >= 0)
        key ^= PolyglotRandom[772 + fileOf(b.enPassant)];
    if (b.side == White)
        key ^= PolyglotRandom[780];
    return key;
}

namespace {

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

Move decodeMove(const Board& b, unsigned pm)
{
    int to = int(pm & 63), from = int((pm >> 6) & 63), promo = int((pm >> 12) & 7);
    // Castling is stored as the king taking its own rook.
    int piece = b.pieceOn(from);
    if (piece != NoPiece && typeOfPiece(piece) == King && (from == 4 || from == 60) &&
        b.pieceOn(to) == pieceOf(colourOfPiece(piece), Rook))
        to = to > from ? from + 2 : from - 2;
    std::string text = Board::moveText(makeMove(from, to));
    if (promo >= 1 && promo <= 4)
        text += " nbrq"[promo];
    return b.parseMove(text);
}

} // namespace

std::vector<BookCandidate> polyglotMoves(const std::string& path, const Board& board)
{
    std::vector<BookCandidate> out;
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return out;
    if (std::fseek(f.get(), 0, SEEK_END) != 0)
        return out;
    long size = std::ftell(f.get());
    if (size < 16)
        return out;
    const std::uint64_t key = polyglotKey(board);
    long lo = 0, hi = size / 16; // first entry with entry key >= key
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
    for (long i = lo; i < size / 16 && out.size() < 256; ++i) {
        std::uint64_t k;
        unsigned m, w;
        if (!readEntry(f.get(), i, k, m, w) || k != key)
            break;
        Move move = decodeMove(board, m);
        if (move != NoMove)
            out.push_back({move, int(w)});
    }
    return out;
}

Move chooseBookCandidate(const std::vector<BookCandidate>& candidates, int mode, std::mt19937& random)
{
    if (mode <= 0 || candidates.empty())
        return NoMove;
    const BookCandidate* best = &candidates[0];
    for (const BookCandidate& c : candidates)
        if (c.weight > best->weight)
            best = &c;
    if (mode == 1)
        return best->move;
    if (mode == 2) {
        std::vector<const BookCandidate*> good;
        long total = 0;
        for (const BookCandidate& c : candidates)
            if (c.weight > 0 && c.weight * 4 >= best->weight) {
                good.push_back(&c);
                total += c.weight;
            }
        if (total <= 0)
            return best->move;
        long r = std::uniform_int_distribution<long>(0, total - 1)(random);
        for (const BookCandidate* c : good) {
            if (r < c->weight)
                return c->move;
            r -= c->weight;
        }
        return best->move;
    }
    return candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random)].move;
}

} // namespace quill
