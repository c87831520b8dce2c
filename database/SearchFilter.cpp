#include "database/SearchFilter.h"

#include <algorithm>

namespace qm {

namespace {

inline unsigned char fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Raises the decimal number in text by one, in place, skipping characters
// that are not digits; false when the carry runs out of the text.
bool increase(std::string& text)
{
    for (std::size_t i = text.size(); i-- > 0;) {
        char& c = text[i];
        if (c < '0' || c > '9')
            continue;
        if (c < '9') {
            ++c;
            return true;
        }
        c = '0';
    }
    return false;
}

} // namespace

bool containsNoCase(std::string_view text, std::string_view part)
{
    if (part.empty())
        return true;
    if (part.size() > text.size())
        return false;
    const unsigned char first = fold((unsigned char)part[0]);
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (fold((unsigned char)text[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < part.size() && fold((unsigned char)text[i + k]) == fold((unsigned char)part[k]))
            ++k;
        if (k == part.size())
            return true;
    }
    return false;
}

bool yearMatches(std::string_view date, std::string_view yearFrom, std::string_view yearTo)
{
    std::string candidate(yearFrom.empty() ? yearTo : yearFrom);
    if (candidate.empty())
        return true;
    for (int increases = 0;; ) {
        if (containsNoCase(date, candidate))
            return true;
        if (!increase(candidate) || ++increases >= 3000)
            return false;
        if (std::string_view(candidate).compare(yearTo) > 0)
            return false;
    }
}

bool resultMatches(std::string_view result, const CSearchFilter& c)
{
    if (!c.whiteWins && !c.draws && !c.blackWins && !c.unfinished)
        return true;
    return (c.whiteWins && result.find("1-0") != std::string_view::npos)
           || (c.draws && result.find("1/2") != std::string_view::npos)
           || (c.blackWins && result.find("0-1") != std::string_view::npos)
           || (c.unfinished && result.find('*') != std::string_view::npos);
}

bool matches(const CDatabaseEntry& e, const CSearchFilter& c)
{
    if (!c.white.empty() && !containsNoCase(e.white(), c.white)
        && !(c.ignoreColour && containsNoCase(e.black(), c.white)))
        return false;
    if (!c.black.empty() && !containsNoCase(e.black(), c.black)
        && !(c.ignoreColour && containsNoCase(e.white(), c.black)))
        return false;
    return containsNoCase(e.event(), c.event) && yearMatches(e.date(), c.yearFrom, c.yearTo)
           && resultMatches(e.result(), c) && containsNoCase(e.eco(), c.eco);
}

namespace {

// The answers of one test for each text id of a pool: 0 unknown, 1 no, 2 yes.
template <typename Test>
class CMemo {
public:
    CMemo(const CTextPool* pool, Test test) : m_pool(pool), m_answers(pool ? pool->size() : 0, 0), m_test(test) {}
    bool operator()(TextId id)
    {
        if (id >= m_answers.size())
            return m_test(m_pool ? m_pool->view(id) : std::string_view());
        std::uint8_t& a = m_answers[id];
        if (a == 0)
            a = m_test(m_pool->view(id)) ? 2 : 1;
        return a == 2;
    }

private:
    const CTextPool* m_pool;
    std::vector<std::uint8_t> m_answers;
    Test m_test;
};

} // namespace

void filterEntries(const std::vector<CDatabaseEntry>& entries, const CSearchFilter& c,
                   std::vector<CDatabaseEntry>& result)
{
    result.clear();
    if (entries.empty())
        return;
    const CTextPool* pool = entries.front().pool;
    auto has = [](const std::string& part) { return [&part](std::string_view t) { return containsNoCase(t, part); }; };
    CMemo white(pool, has(c.white));
    CMemo black(pool, has(c.black));
    CMemo event(pool, has(c.event));
    CMemo eco(pool, has(c.eco));
    CMemo year(pool, [&c](std::string_view date) { return yearMatches(date, c.yearFrom, c.yearTo); });
    CMemo res(pool, [&c](std::string_view r) { return resultMatches(r, c); });
    const bool byWhite = !c.white.empty(), byBlack = !c.black.empty(), byEvent = !c.event.empty(),
               byEco = !c.eco.empty(), byYear = !c.yearFrom.empty() || !c.yearTo.empty(),
               byResult = c.whiteWins || c.draws || c.blackWins || c.unfinished;
    for (const auto& e : entries) {
        if (e.pool != pool) {
            if (matches(e, c))
                result.push_back(e);
            continue;
        }
        using F = CDatabaseEntry;
        if (byWhite && !white(e.texts[F::White]) && !(c.ignoreColour && white(e.texts[F::Black])))
            continue;
        if (byBlack && !black(e.texts[F::Black]) && !(c.ignoreColour && black(e.texts[F::White])))
            continue;
        if ((byEvent && !event(e.texts[F::Event])) || (byYear && !year(e.texts[F::Date]))
            || (byResult && !res(e.texts[F::Result])) || (byEco && !eco(e.texts[F::Eco])))
            continue;
        result.push_back(e);
    }
}

std::vector<std::string_view> distinctValues(const std::vector<CDatabaseEntry>& entries, CDatabaseEntry::Field field)
{
    std::vector<std::string_view> values;
    if (entries.empty())
        return values;
    // Entries of one pool share ids, so each text is looked at once.
    std::vector<bool> seen(entries.front().pool ? entries.front().pool->size() : 0, false);
    for (const auto& e : entries) {
        const TextId id = e.texts[field];
        if (e.pool == entries.front().pool && id < seen.size()) {
            if (seen[id])
                continue;
            seen[id] = true;
        }
        values.push_back(e.text(field));
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

} // namespace qm
