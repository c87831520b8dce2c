#pragma once
// CTextPool: every distinct text stored once, named by a 32-bit id.
//
// The index of a database repeats the same few thousand names, events, sites
// and dates over hundreds of thousands of games; the entries keep ids into a
// pool instead of strings. Id 0 is always the empty text. The pool only grows:
// an id stays valid, and names the same text, for the pool's whole life.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

using TextId = std::uint32_t;

class CTextPool {
public:
    CTextPool();

    // The id of the text, adding the text when it is new.
    TextId intern(std::string_view text);
    // The text of an id; empty for an id the pool never gave out.
    std::string_view view(TextId id) const
    {
        if (id + 1 >= m_offsets.size())
            return {};
        return std::string_view(m_chars.data() + m_offsets[id], m_offsets[id + 1] - m_offsets[id]);
    }
    // The number of distinct texts, the empty one included; ids are below it.
    std::size_t size() const { return m_offsets.size() - 1; }

private:
    void grow();

    std::string m_chars;                 // the texts, end to end
    std::vector<std::uint32_t> m_offsets; // text i is m_chars[m_offsets[i], m_offsets[i+1])
    std::vector<std::uint32_t> m_slots;   // open addressing: id + 1, 0 for a free slot
};

} // namespace qm
