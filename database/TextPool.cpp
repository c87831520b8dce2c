#include "database/TextPool.h"

#include <stdexcept>

namespace qm {

namespace {

std::uint32_t hashText(std::string_view text)
{
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    return h;
}

} // namespace

CTextPool::CTextPool() : m_offsets{0, 0}, m_slots(1024, 0)
{
    m_slots[hashText({}) & (m_slots.size() - 1)] = 1;
}

TextId CTextPool::intern(std::string_view text)
{
    std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hashText(text) & mask;
    while (m_slots[slot] != 0) {
        TextId id = m_slots[slot] - 1;
        if (view(id) == text)
            return id;
        slot = (slot + 1) & mask;
    }
    if (m_chars.size() + text.size() > UINT32_MAX || size() >= UINT32_MAX - 1)
        throw std::length_error("text pool full");
    TextId id = TextId(size());
    m_chars.append(text);
    m_offsets.push_back(std::uint32_t(m_chars.size()));
    m_slots[slot] = id + 1;
    if (size() * 2 > m_slots.size())
        grow();
    return id;
}

void CTextPool::grow()
{
    std::vector<std::uint32_t> slots(m_slots.size() * 2, 0);
    std::size_t mask = slots.size() - 1;
    for (TextId id = 0; id < size(); ++id) {
        std::size_t slot = hashText(view(id)) & mask;
        while (slots[slot] != 0)
            slot = (slot + 1) & mask;
        slots[slot] = id + 1;
    }
    m_slots.swap(slots);
}

} // namespace qm
