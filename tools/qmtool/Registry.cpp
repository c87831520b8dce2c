#include "Registry.h"

#include <charconv>
#include <cstdio>

namespace qmtool {

void Registry::add(std::vector<std::string> words, std::string usage, std::function<int(const Args&)> run)
{
    m_commands.push_back(Command{std::move(words), std::move(usage), std::move(run)});
}

int usageError(std::string_view usage, std::string_view message)
{
    std::fprintf(stderr, "qmtool: %.*s; usage: qmtool %.*s\n", int(message.size()), message.data(), int(usage.size()),
        usage.data());
    return 2;
}

int usageError(const Command& command, std::string_view message)
{
    std::string full;
    for (const auto& w : command.words)
        full += w + " ";
    full += command.usage;
    return usageError(full, message);
}

bool parseInt(std::string_view text, long long minValue, long long maxValue, long long& out)
{
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < minValue || value > maxValue)
        return false;
    out = value;
    return true;
}

} // namespace qmtool
