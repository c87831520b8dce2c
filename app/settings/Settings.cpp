#include "app/settings/Settings.h"

#include <limits>

namespace qm {

CSettings::~CSettings() = default;

bool CSettings::getBool(std::string_view name, bool& out)
{
    std::int32_t value = 0;
    if (!getInt(name, value))
        return false;
    out = value != 0;
    return true;
}

bool CSettings::getBoolList(std::string_view name, std::size_t& count, bool* out)
{
    std::string text;
    if (!getString(name, text))
        return false;
    count = decodeBoolList(text, count, out);
    return true;
}

bool CSettings::getIntList(std::string_view name, std::size_t& count, std::int32_t* out)
{
    std::string text;
    if (!getString(name, text))
        return false;
    count = decodeIntList(text, count, out);
    return true;
}

bool CSettings::getDoubleList(std::string_view, std::size_t&, double*)
{
    return false;
}

bool CSettings::getStringList(std::string_view name, std::size_t& count, std::string* out)
{
    std::string text;
    if (!getString(name, text))
        return false;
    count = decodeStringList(text, count, out);
    return true;
}

void CSettings::setBool(std::string_view name, bool value)
{
    setInt(name, value ? 1 : 0);
}

void CSettings::setBoolList(std::string_view name, std::size_t count, const bool* values)
{
    setString(name, encodeBoolList(count, values));
}

void CSettings::setIntList(std::string_view name, std::size_t count, const std::int32_t* values)
{
    setString(name, encodeIntList(count, values));
}

void CSettings::setDoubleList(std::string_view, std::size_t, const double*) {}

void CSettings::setStringList(std::string_view name, std::size_t count, const std::string* values)
{
    setString(name, encodeStringList(count, values));
}

std::string encodeBoolList(std::size_t count, const bool* values)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += values[i] ? '1' : '0';
    return text;
}

std::string encodeIntList(std::size_t count, const std::int32_t* values)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (values[i] < 0)
            continue;
        if (!text.empty())
            text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

std::string encodeStringList(std::size_t count, const std::string* values)
{
    // The encoding has no escape, so a quote inside a text would split it on
    // reading; it is written as an apostrophe instead.
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            text += ',';
        text += '"';
        for (char c : values[i])
            text += c == '"' ? '\'' : c;
        text += '"';
    }
    return text;
}

std::size_t decodeBoolList(std::string_view text, std::size_t capacity, bool* out)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size() && n < capacity; ++i) {
        if (text[i] == '0' || text[i] == '1')
            out[n++] = text[i] == '1';
    }
    return n;
}

std::size_t decodeIntList(std::string_view text, std::size_t capacity, std::int32_t* out)
{
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < text.size() && n < capacity) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        // A run too long for 32 bits saturates instead of overflowing.
        std::int64_t value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (value <= std::numeric_limits<std::int32_t>::max())
                value = value * 10 + (text[i] - '0');
            ++i;
        }
        if (value > std::numeric_limits<std::int32_t>::max())
            value = std::numeric_limits<std::int32_t>::max();
        out[n++] = std::int32_t(value);
        ++i; // the separator after the run
    }
    return n;
}

std::size_t decodeStringList(std::string_view text, std::size_t capacity, std::string* out)
{
    std::size_t n = 0;
    std::size_t i = 0;
    while (n < capacity) {
        std::size_t open = text.find('"', i);
        if (open == std::string_view::npos)
            break;
        std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) {
            out[n++] = std::string(text.substr(open + 1));
            break;
        }
        out[n++] = std::string(text.substr(open + 1, close - open - 1));
        i = close + 1;
    }
    return n;
}

} // namespace qm
