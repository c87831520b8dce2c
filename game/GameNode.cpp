#include "game/GameNode.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace qm {

namespace pool_detail {
void* takeChunk(std::size_t bytes)
{
    // Held through a pointer that is never freed: blocks may outlive every
    // static object, and the chunks stay reachable for leak checkers.
    static std::mutex lock;
    static auto* chunks = new std::vector<std::unique_ptr<unsigned char[]>>;
    std::lock_guard guard(lock);
    chunks->push_back(std::make_unique_for_overwrite<unsigned char[]>(bytes));
    return chunks->back().get();
}
} // namespace pool_detail

namespace {
using NodePool = CBlockPool<poolBlockSize(sizeof(CGameNode))>;
}

void* CGameNode::operator new(std::size_t size)
{
    return size == sizeof(CGameNode) ? NodePool::allocate() : ::operator new(size);
}

void CGameNode::operator delete(void* p, std::size_t size) noexcept
{
    if (size == sizeof(CGameNode))
        NodePool::release(p);
    else
        ::operator delete(p);
}

CGameNode::CGameNode(CMove move_, std::string san_, int ply_, std::string comment_, std::uint8_t nag_,
                     std::int64_t time_)
    : move(move_), san(std::move(san_)), ply(ply_), comment(std::move(comment_)), nag(nag_), time(time_)
{
}

CGameNode::~CGameNode()
{
    // Detach the subtree node by node so that destruction never recurses.
    if (children.empty())
        return;
    Children pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<CGameNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& c : node->children)
            pending.push_back(std::move(c));
        node->children.clear();
    }
}

int CGameNode::indexOf(const CGameNode* c) const
{
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == c)
            return int(i);
    return -1;
}

int addChild(CGameNode& parent, std::unique_ptr<CGameNode> child)
{
    child->parent = &parent;
    child->depth = parent.depth + 1;
    parent.children.push_back(std::move(child));
    return int(parent.children.size()) - 1;
}

void promoteChild(CGameNode& parent, const CGameNode* child)
{
    int i = parent.indexOf(child);
    if (i <= 0)
        return;
    std::rotate(parent.children.begin(), parent.children.begin() + i, parent.children.begin() + i + 1);
}

void deleteChild(CGameNode& parent, const CGameNode* child)
{
    int i = parent.indexOf(child);
    if (i < 0)
        return;
    parent.children.erase(parent.children.begin() + i);
}

int countNodes(const CGameNode& node)
{
    int count = 0;
    std::vector<const CGameNode*> stack{&node};
    while (!stack.empty()) {
        const CGameNode* n = stack.back();
        stack.pop_back();
        ++count;
        for (const auto& c : n->children)
            stack.push_back(c.get());
    }
    return count;
}

std::string nagNumberText(const CGameNode& node)
{
    if (!node.nag)
        return {};
    char text[8];
    const int n = std::snprintf(text, sizeof text, "$%u", unsigned(node.nag));
    return std::string(text, std::size_t(n));
}

namespace {
constexpr std::string_view Glyphs[] = {"", "!", "?", "!!", "??", "!?", "?!"};
}

std::string_view nagGlyphText(const CGameNode& node)
{
    return node.nag < std::size(Glyphs) ? Glyphs[node.nag] : std::string_view();
}

std::uint8_t nagFromGlyph(std::string_view glyph)
{
    for (std::size_t i = 1; i < std::size(Glyphs); ++i)
        if (glyph == Glyphs[i])
            return std::uint8_t(i);
    return 0;
}

void setComment(CGameNode& node, std::string_view text)
{
    node.comment.assign(text);
}

void setUserComment(CGameNode& node, std::string_view text)
{
    node.comment.assign(text);
    std::replace(node.comment.begin(), node.comment.end(), '}', ')');
}

} // namespace qm
