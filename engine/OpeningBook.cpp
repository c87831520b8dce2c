#include "engine/OpeningBook.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qm {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct Node {
    std::uint8_t flags = 0, move = 0;
    bool hasSibling() const { return (flags & 2) != 0; }
    bool hasChildren() const { return (flags & 4) == 0; }
    int weight() const { return flags >> 3; }
    int pieceNumber() const { return move & 15; }
    int moveNumber() const { return (move >> 4) | ((flags & 1) << 4); }
};

bool samePlacement(const CPosition& a, const CPosition& b)
{
    return std::memcmp(a.board, b.board, sizeof a.board) == 0 && a.sideToMove == b.sideToMove &&
           a.castlingRights == b.castlingRights && a.enPassant == b.enPassant;
}

// The walk of one file. Recursion is bounded by MaxDepth.
class Walker {
public:
    Walker(std::FILE* file, const CPosition& target, std::vector<CBookCandidate>& out)
        : m_file(file), m_target(target), m_out(out)
    {
        m_scratch.setStartPosition();
    }

    void walkList(int depth)
    {
        for (;;) {
            Node node;
            if (!read(node))
                return;
            Square square = m_scratch.nthPiece(node.pieceNumber());
            CMove move = square == NoSquare ? NoMove : m_scratch.nthPieceMove(square, node.moveNumber());
            if (move == NoMove) {
                if (node.hasChildren())
                    skipList(depth + 1);
            } else if (samePlacement(m_scratch, m_target)) {
                if (int(m_out.size()) < COpeningBook::MaxCandidates)
                    m_out.push_back({move, node.weight()});
                if (node.hasChildren())
                    skipList(depth + 1);
            } else if (node.hasChildren()) {
                m_scratch.makeMove(move);
                if (depth + 1 >= COpeningBook::MaxDepth || !reachable(move))
                    skipList(depth + 1);
                else
                    walkList(depth + 1);
                m_scratch.unmakeMove();
            }
            if (m_ended || !node.hasSibling())
                return;
        }
    }

private:
    bool read(Node& node)
    {
        if (m_ended)
            return false;
        unsigned char bytes[2];
        if (std::fread(bytes, 1, 2, m_file) != 2) {
            m_ended = true;
            return false;
        }
        node.flags = bytes[0];
        node.move = bytes[1];
        return true;
    }

    // Reads a sibling list and everything below it.
    void skipList(int depth)
    {
        for (;;) {
            Node node;
            if (!read(node))
                return;
            if (node.hasChildren()) {
                if (depth + 1 >= COpeningBook::MaxDepth) {
                    m_ended = true;
                    return;
                }
                skipList(depth + 1);
            }
            if (m_ended || !node.hasSibling())
                return;
        }
    }

    // False when the target cannot follow from the scratch position after move.
    bool reachable(CMove move) const
    {
        if (typeOf(move.piece) == Pawn) {
            bool white = isWhitePiece(move.piece);
            if (rankOf(move.from) == (white ? 1 : 6) && m_target.board[move.from] == (white ? WhitePawn : BlackPawn))
                return false;
        }
        if ((m_target.castlingRights & ~m_scratch.castlingRights) != 0)
            return false;
        return m_scratch.pieceCount >= m_target.pieceCount;
    }

    std::FILE* m_file;
    const CPosition& m_target;
    std::vector<CBookCandidate>& m_out;
    CPosition m_scratch;
    bool m_ended = false;
};

} // namespace

COpeningBook::COpeningBook()
{
    seed(std::uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()));
}

void COpeningBook::findBookMoves(const CPosition& target)
{
    m_candidates.clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(m_path.c_str(), "rb"));
    if (!file)
        return;
    Walker walker(file.get(), target, m_candidates);
    walker.walkList(0);
}

int COpeningBook::randomInRange(int a, int b)
{
    // xorshift32; its low 16 bits serve as the uniform 16-bit number.
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    long long r = m_random & 0xFFFF;
    return int(a + r * (static_cast<long long>(b) - a + 1) / 65536);
}

CMove COpeningBook::chooseBookMove(const CPosition& target)
{
    if (m_mode < 1 || m_mode > 3)
        return NoMove;
    findBookMoves(target);
    if (m_candidates.empty())
        return NoMove;
    const CBookCandidate* best = &m_candidates[0];
    for (const CBookCandidate& c : m_candidates)
        if (c.weight > best->weight)
            best = &c;
    if (m_mode == 1)
        return best->move;
    if (m_mode == 2) {
        int threshold = best->weight < 13 ? best->weight - 3 : 10;
        std::vector<CMove> good;
        for (const CBookCandidate& c : m_candidates)
            if (c.weight > threshold)
                good.push_back(c.move);
        return good[std::size_t(randomInRange(0, int(good.size()) - 1))];
    }
    return m_candidates[std::size_t(randomInRange(0, int(m_candidates.size()) - 1))].move;
}

std::string bookShortName(const std::string& path)
{
    std::size_t dot = path.find('.');
    if (dot == std::string::npos)
        return "none";
    std::size_t sep = path.find_last_of("\\/", dot);
    if (sep == std::string::npos)
        return "none";
    std::string name = path.substr(sep + 1);
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

} // namespace qm
