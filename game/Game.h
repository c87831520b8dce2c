#pragma once
// CGame: a game as an ordered list of PGN tags and a tree of moves, with the
// switches that govern how it is written as PGN text.

#include "game/GameNode.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

struct COutputOptions {
    int lineWidth = 40;
    bool writeTags = true;
    bool writeVariations = true;
    bool writeComments = true;
    bool nagNumbers = true;   // "$14" after the move
    bool nagGlyphs = false;   // "!", "?" ... appended to the move

    friend bool operator==(const COutputOptions&, const COutputOptions&) = default;
};

// The options games are stored with in database files.
inline constexpr COutputOptions DatabaseOutputOptions{75, true, true, true, true, false};

class IGameNodeVisitor {
public:
    virtual ~IGameNodeVisitor() = default;
    virtual void visit(CGameNode& node) = 0;
};

class CGame {
public:
    using Tag = std::pair<std::string, std::string>;

    // Default tags Event, Site, Date, Round, White, Black ("") and Result
    // ("*"), no root; the new game is marked modified.
    CGame();
    virtual ~CGame();
    CGame(const CGame&) = delete;
    CGame& operator=(const CGame&) = delete;

    virtual void setOutputOptions(int lineWidth, bool writeTags, bool writeVariations, bool writeComments,
                                  bool nagNumbers, bool nagGlyphs);
    virtual COutputOptions getOutputOptions() const;
    // Calls the visitor for the root and then every node in pre-order.
    virtual void walk(IGameNodeVisitor& visitor);
    // The PGN text of the game under the output options; sets every node's
    // text span. Lines end with "\r\n"; the text ends with an empty line.
    virtual std::string toText();
    // Writes toText() to the stream; false when the stream failed.
    virtual bool writeTo(std::ostream& stream);

    void setOutputOptions(const COutputOptions& options);

    // Tags: names compare exactly; order is the order of first addition.
    const std::string& getTag(std::string_view name) const;
    void setTag(std::string_view name, std::string_view value);
    const std::vector<Tag>& tags() const { return m_tags; }
    // Names of the tags, in tag order, that are not in names.
    std::vector<std::string> tagsNotIn(const std::vector<std::string>& names) const;

    const std::string& event() const { return getTag("Event"); }
    const std::string& site() const { return getTag("Site"); }
    const std::string& date() const { return getTag("Date"); }
    const std::string& round() const { return getTag("Round"); }
    const std::string& white() const { return getTag("White"); }
    const std::string& black() const { return getTag("Black"); }
    const std::string& result() const { return getTag("Result"); }
    const std::string& eco() const { return getTag("ECO"); }
    void setEvent(std::string_view v) { setTag("Event", v); }
    void setSite(std::string_view v) { setTag("Site", v); }
    void setDate(std::string_view v) { setTag("Date", v); }
    void setRound(std::string_view v) { setTag("Round", v); }
    void setWhite(std::string_view v) { setTag("White", v); }
    void setBlack(std::string_view v) { setTag("Black", v); }
    void setResult(std::string_view v) { setTag("Result", v); }
    void setEco(std::string_view v) { setTag("ECO", v); }

    CGameNode* root() const { return m_root.get(); }
    // Destroys the old tree and makes node the root.
    void setRoot(std::unique_ptr<CGameNode> node);

    void markModified() { m_modified = true; }
    void clearModified() { m_modified = false; }
    bool isModified() const { return m_modified; }

    // Follows child 0 from the root; the root for a game without moves,
    // none without a root.
    CGameNode* lastMainLineNode() const;
    // The first node below the root, in pre-order, whose text span contains
    // offset; none when no node does.
    CGameNode* findNodeAtTextOffset(int offset) const;

    // Every comment becomes "<low 32 bits of the time, signed>,<comment>".
    void encodeTimes();
    // A comment starting with decimal digits and ',' gives those digits to
    // the time and keeps the text after the ','.
    void decodeTimes();

private:
    std::unique_ptr<CGameNode> m_root;
    COutputOptions m_options;
    bool m_modified = false;
    std::vector<Tag> m_tags;
};

// Calls f(node) for node and every node below it in pre-order, without
// recursion.
template <class F>
void forEachNode(CGameNode& node, F&& f)
{
    std::vector<CGameNode*> stack{&node};
    while (!stack.empty()) {
        CGameNode* n = stack.back();
        stack.pop_back();
        f(*n);
        for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
            stack.push_back(it->get());
    }
}

} // namespace qm
