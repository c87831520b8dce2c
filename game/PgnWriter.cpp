// CGame::toText: the PGN writer.
#include "game/Game.h"

#include <string>
#include <vector>

namespace qm {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\r' || c == '\n'; }

bool isTerminationText(std::string_view s) { return s == "1-0" || s == "0-1" || s == "1/2-1/2" || s == "*"; }

// Appends text pieces word by word and breaks lines between words. A word
// is one character and everything up to the next blank or line end, so it
// carries the separator before it; line ends inside pieces become blanks.
// Words are never split (that would change comment text when read back): a
// word that does not fit goes to the next line whole, and stands alone when
// it is longer than the line. No line is started with a word a reader would
// take for something else: '%' (an escape line) or '[' and a name (a tag).
class CLineBreaker {
public:
    CLineBreaker(std::string& out, int width) : m_out(out), m_width(width) {}

    void put(std::string_view piece)
    {
        std::size_t i = 0;
        while (i < piece.size()) {
            std::size_t j = i + 1;
            while (j < piece.size() && !isSeparator(piece[j]))
                ++j;
            putWord(piece.substr(i, j - i));
            i = j;
        }
    }

    void endLine()
    {
        m_out += "\r\n";
        m_length = 0;
    }

private:
    void putWord(std::string_view word)
    {
        const int n = int(word.size());
        if (m_length > 0 && m_length + n > m_width && mayStartLine(word))
            endLine();
        for (std::size_t k = 0; k < word.size(); ++k) {
            char c = word[k];
            if (k == 0 && (c == '\r' || c == '\n'))
                c = ' ';
            if (m_length == 0 && c == ' ')
                continue;
            m_out += c;
            ++m_length;
        }
    }

    static bool isNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || std::string_view("_+#=:-!?/").find(c) != std::string_view::npos;
    }

    static bool mayStartLine(std::string_view word)
    {
        std::size_t k = 0;
        while (k < word.size() && isSeparator(word[k]))
            ++k;
        // A word of blanks alone never breaks the line: the word after it
        // would start the new line unchecked.
        if (k == word.size())
            return false;
        if (word[k] == '%')
            return false;
        if (k + 1 < word.size() && word[k] == '[' && isNameChar(word[k + 1]))
            return false;
        return true;
    }

    std::string& m_out;
    int m_width;
    int m_length = 0;
};

class CMovetextWriter {
public:
    CMovetextWriter(std::string& out, const COutputOptions& options)
        : m_out(out), m_options(options), m_lines(out, options.lineWidth)
    {
    }

    void writeTree(const CGameNode& root)
    {
        // An explicit stack of the lines being written: the node whose
        // children come next and the next variation among them.
        struct Frame {
            const CGameNode* node;
            std::size_t next;
            bool variation;
        };
        std::vector<Frame> stack{{&root, 0, false}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next == 0) {
                if (f.node->children.empty()) {
                    const bool variation = f.variation;
                    stack.pop_back();
                    if (variation) {
                        m_lines.put(")");
                        m_moveNumberNeeded = true;
                    }
                    continue;
                }
                writeMove(*f.node->children[0]);
                f.next = 1;
            }
            if (m_options.writeVariations && f.next < f.node->children.size()) {
                const CGameNode& v = *f.node->children[f.next++];
                m_lines.put(" (");
                m_moveNumberNeeded = true;
                m_noLeadingBlank = true;
                writeMove(v);
                stack.push_back(Frame{&v, 0, true});
                continue;
            }
            f.node = f.node->children[0].get();
            f.next = 0;
        }
    }

    void writeResult(std::string_view result)
    {
        std::string piece = " ";
        piece += result;
        m_lines.put(piece);
        m_out += "\r\n";
    }

private:
    void writeMove(const CGameNode& constNode)
    {
        auto& node = const_cast<CGameNode&>(constNode);   // only the span is written
        const std::size_t begin = m_out.size();
        const bool white = (node.ply & 1) == 0;
        if (white || m_moveNumberNeeded) {
            m_moveNumberNeeded = false;
            std::string number = m_noLeadingBlank ? "" : " ";
            number += std::to_string(node.moveNumber());
            number += white ? "." : "..";
            m_lines.put(number);
        }
        std::string san = " ";
        san += node.san;
        if (m_options.nagGlyphs)
            san += nagGlyphText(node);
        m_lines.put(san);
        if (m_options.nagNumbers && node.nag) {
            std::string nag = " ";
            nag += nagNumberText(node);
            m_lines.put(nag);
        }
        if (m_options.writeComments && !node.comment.empty()) {
            m_lines.put(" {");
            // A '}' would end the comment early when read back.
            std::string comment = node.comment;
            for (char& c : comment)
                if (c == '}')
                    c = ')';
            m_lines.put(comment);
            m_lines.put("}");
        }
        std::size_t start = begin;
        while (start < m_out.size() && isSeparator(m_out[start]))
            ++start;
        node.textStart = int(start);
        node.textEnd = int(m_out.size()) - 1;
        m_noLeadingBlank = false;
    }

    std::string& m_out;
    const COutputOptions& m_options;
    CLineBreaker m_lines;
    bool m_moveNumberNeeded = true;
    bool m_noLeadingBlank = false;
};

void appendTag(std::string& out, std::string_view name, std::string_view value)
{
    out += '[';
    out += name;
    out += " \"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += (c == '\r' || c == '\n') ? ' ' : c;   // a tag is one line
    }
    out += "\"]\r\n";
}

} // namespace

std::string CGame::toText()
{
    std::string out;
    if (m_root)
        forEachNode(*m_root, [](CGameNode& n) { n.textStart = n.textEnd = 0; });

    static constexpr std::string_view Seven[] = {"Event", "Site", "Date", "Round", "White", "Black", "Result"};
    if (m_options.writeTags) {
        for (std::string_view name : Seven)
            appendTag(out, name, getTag(name));
        for (const auto& [name, value] : m_tags) {
            bool seven = false;
            for (std::string_view s : Seven)
                seven = seven || s == name;
            if (!seven)
                appendTag(out, name, value);
        }
        out += "\r\n";
    }

    CMovetextWriter movetext(out, m_options);
    if (m_root)
        movetext.writeTree(*m_root);
    // Only a termination marker may end the movetext: anything else in the
    // Result tag would make the written game unreadable.
    const std::string& result = getTag("Result");
    movetext.writeResult(isTerminationText(result) ? std::string_view(result) : std::string_view("*"));
    out += "\r\n";
    return out;
}

} // namespace qm
