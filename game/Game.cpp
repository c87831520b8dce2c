#include "game/Game.h"

#include <climits>
#include <ostream>

namespace qm {

CGame::CGame()
{
    m_tags.reserve(12);   // the seven and the few most games add
    for (const char* name : {"Event", "Site", "Date", "Round", "White", "Black"})
        setTag(name, "");
    setTag("Result", "*");
}

CGame::~CGame() = default;

void CGame::setOutputOptions(int lineWidth, bool writeTags, bool writeVariations, bool writeComments,
                             bool nagNumbers, bool nagGlyphs)
{
    m_options = COutputOptions{lineWidth, writeTags, writeVariations, writeComments, nagNumbers, nagGlyphs};
}

void CGame::setOutputOptions(const COutputOptions& o)
{
    setOutputOptions(o.lineWidth, o.writeTags, o.writeVariations, o.writeComments, o.nagNumbers, o.nagGlyphs);
}

COutputOptions CGame::getOutputOptions() const
{
    return m_options;
}

void CGame::walk(IGameNodeVisitor& visitor)
{
    if (m_root)
        forEachNode(*m_root, [&](CGameNode& n) { visitor.visit(n); });
}

bool CGame::writeTo(std::ostream& stream)
{
    const std::string text = toText();
    stream.write(text.data(), std::streamsize(text.size()));
    return bool(stream);
}

const std::string& CGame::getTag(std::string_view name) const
{
    static const std::string none;
    for (const auto& tag : m_tags)
        if (tag.first == name)
            return tag.second;
    return none;
}

void CGame::setTag(std::string_view name, std::string_view value)
{
    for (auto& tag : m_tags) {
        if (tag.first == name) {
            if (tag.second != value) {
                m_modified = true;
                tag.second.assign(value);
            }
            return;
        }
    }
    m_tags.emplace_back(std::string(name), std::string(value));
    m_modified = true;
}

std::vector<std::string> CGame::tagsNotIn(const std::vector<std::string>& names) const
{
    std::vector<std::string> out;
    for (const auto& tag : m_tags) {
        bool listed = false;
        for (const auto& n : names)
            listed = listed || n == tag.first;
        if (!listed)
            out.push_back(tag.first);
    }
    return out;
}

void CGame::setRoot(std::unique_ptr<CGameNode> node)
{
    m_root = std::move(node);
}

CGameNode* CGame::lastMainLineNode() const
{
    CGameNode* n = m_root.get();
    while (n && !n->children.empty())
        n = n->children.front().get();
    return n;
}

CGameNode* CGame::findNodeAtTextOffset(int offset) const
{
    if (!m_root)
        return nullptr;
    CGameNode* found = nullptr;
    for (const auto& c : m_root->children) {
        std::vector<CGameNode*> stack{c.get()};
        while (!stack.empty() && !found) {
            CGameNode* n = stack.back();
            stack.pop_back();
            if (n->textStart <= offset && offset <= n->textEnd && n->textEnd > 0)
                found = n;
            for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
                stack.push_back(it->get());
        }
        if (found)
            break;
    }
    return found;
}

void CGame::encodeTimes()
{
    if (!m_root)
        return;
    forEachNode(*m_root, [](CGameNode& n) {
        const auto low = std::int32_t(std::uint32_t(std::uint64_t(n.time)));
        n.comment = std::to_string(low) + "," + n.comment;
    });
}

void CGame::decodeTimes()
{
    if (!m_root)
        return;
    forEachNode(*m_root, [](CGameNode& n) {
        std::size_t i = 0;
        std::uint64_t value = 0;
        bool saturated = false;
        while (i < n.comment.size() && n.comment[i] >= '0' && n.comment[i] <= '9') {
            const unsigned digit = unsigned(n.comment[i] - '0');
            if (value > (std::uint64_t(INT64_MAX) - digit) / 10)
                saturated = true;
            else
                value = value * 10 + digit;
            ++i;
        }
        if (i == 0 || i >= n.comment.size() || n.comment[i] != ',')
            return;
        n.time = saturated ? INT64_MAX : std::int64_t(value);
        n.comment.erase(0, i + 1);
    });
}

} // namespace qm
