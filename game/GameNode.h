#pragma once
// CGameNode: one move of a game tree with its SAN text, comment, glyph and
// thinking time. Child 0 is the main continuation, further children are
// variations in order. A node owns its children; destroying a node destroys
// its whole subtree (iteratively, so a main line of any length is safe).

#include "game/BlockPool.h"
#include "rules/Move.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class CGameNode {
public:
    CGameNode(CMove move, std::string san, int ply, std::string comment = {}, std::uint8_t nag = 0,
              std::int64_t time = 0);
    ~CGameNode();
    CGameNode(const CGameNode&) = delete;
    CGameNode& operator=(const CGameNode&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
    using Children = std::vector<std::unique_ptr<CGameNode>, CSingleElementPoolAllocator<std::unique_ptr<CGameNode>>>;

    // Full-move number of this node's move and whether black made it.
    int moveNumber() const { return (ply + 2) / 2; }
    bool isBlackMove() const { return (ply & 1) != 0; }
    int childCount() const { return int(children.size()); }
    CGameNode* child(int i) const { return children[std::size_t(i)].get(); }
    // The index of child among the children, or -1.
    int indexOf(const CGameNode* child) const;

    CMove move;          // NoMove in the root
    std::string san;     // the move as written; "root" in the root
    // Half-move index: 0 is white's first move, odd values are black moves;
    // the root holds the index just before its first child.
    int ply;
    std::string comment;
    std::uint8_t nag;    // numeric annotation glyph, 0 for none
    std::int64_t time;   // milliseconds spent on the move, 0 when unknown
    CGameNode* parent = nullptr;
    int depth = 0;       // moves between the root and this node
    Children children;
    // Character span of this node in the last text CGame::toText produced:
    // 0-based indexes of its first and last character, both inclusive.
    int textStart = 0;
    int textEnd = 0;
};

// The ply of a root for a start position with this move number and side to
// move (0 white, 1 black): -1 for the standard start.
constexpr int rootPly(int moveNumber, int sideToMove) { return 2 * moveNumber + (sideToMove ? 1 : 0) - 3; }

// Appends child to parent's children, sets its parent and depth; returns its
// index. The child's ply is the caller's business.
int addChild(CGameNode& parent, std::unique_ptr<CGameNode> child);
// Moves child to index 0; the children before it move one place back.
// Nothing happens when child is not a child of parent.
void promoteChild(CGameNode& parent, const CGameNode* child);
// Removes child from parent's children and destroys its subtree.
void deleteChild(CGameNode& parent, const CGameNode* child);
// Nodes in the subtree, node included.
int countNodes(const CGameNode& node);

// "" for nag 0, else "$" and the number.
std::string nagNumberText(const CGameNode& node);
// "!", "?", "!!", "??", "!?", "?!" for nags 1 to 6, "" otherwise.
std::string_view nagGlyphText(const CGameNode& node);
// The nag of a glyph text ("!" 1 ... "?!" 6), 0 for any other text.
std::uint8_t nagFromGlyph(std::string_view glyph);

void setComment(CGameNode& node, std::string_view text);
// As setComment, with every '}' turned into ')' so the text can stand
// between braces.
void setUserComment(CGameNode& node, std::string_view text);

} // namespace qm
