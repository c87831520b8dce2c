#pragma once
// COpeningBook: the ".obk" opening book, a tree of moves written depth
// first from the standard start position, with no header. Each node is two
// bytes:
//   byte 0: bit 0 = bit 4 of the move number; bit 1 = a sibling follows this
//           node's subtree; bit 2 = the node has no children; bits 3-7 = weight
//   byte 1: bits 0-3 = piece number (the n-th piece of the side to move, by
//           square index, CPosition::nthPiece); bits 4-7 = bits 0-3 of the
//           move number (that piece's n-th pseudo-legal move, nthPieceMove)
// A node with children is followed directly by its children's list.
//
// The file is read on every lookup, with no index: pruning by pawn moves,
// castling rights and piece count keeps the walk short.

#include "rules/Move.h"
#include "rules/Position.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct CBookCandidate {
    CMove move;
    int weight;
};

class COpeningBook {
public:
    static constexpr int MaxCandidates = 256;
    // Deeper trees are treated as ending there (no real book is that deep).
    static constexpr int MaxDepth = 400;

    // Seeds the random choice from the clock.
    COpeningBook();

    void setPath(std::string path) { m_path = std::move(path); }
    const std::string& path() const { return m_path; }
    // 0 off, 1 "Best move", 2 "Good move", 3 "Random"; others count as off.
    void setMode(int mode) { m_mode = mode; }
    int mode() const { return m_mode; }

    // Every move stored for the target position, with its weight, in file
    // order (once per occurrence). A missing or unreadable file gives none;
    // a truncated one the candidates found before its end. Nodes whose
    // move number lies beyond the piece's moves are skipped with their
    // subtrees.
    void findBookMoves(const CPosition& target);
    const std::vector<CBookCandidate>& candidates() const { return m_candidates; }

    // findBookMoves, then the choice by mode; NoMove when there is none.
    CMove chooseBookMove(const CPosition& target);

    // A random integer from a to b inclusive: a + r * (b - a + 1) / 65536
    // with r a uniform 16-bit number.
    int randomInRange(int a, int b);
    void seed(std::uint32_t value) { m_random = value ? value : 1; }

private:
    std::string m_path;
    int m_mode = 0;
    std::vector<CBookCandidate> m_candidates;
    std::uint32_t m_random = 1;
};

// The name shown for a book path: the file name without its four-character
// extension when the path has a folder separator ("\" or "/") before its
// first "."; otherwise "none". "" gives "none".
std::string bookShortName(const std::string& path);

} // namespace qm
