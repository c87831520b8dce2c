#pragma once
// The subcommand table of qmtool. A command receives the words after its
// own name; it returns the process exit status. Usage errors are reported
// with usageError(), which prints one line to stderr and yields status 2.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qmtool {

using Args = std::vector<std::string>;

struct Command {
    std::vector<std::string> words; // e.g. {"pgn", "check"}
    std::string usage; // the arguments, for the usage line
    std::function<int(const Args&)> run;
};

class Registry {
public:
    void add(std::vector<std::string> words, std::string usage, std::function<int(const Args&)> run);
    const std::vector<Command>& commands() const { return m_commands; }

private:
    std::vector<Command> m_commands;
};

void registerAllCommands(Registry& registry);

// Prints "qmtool: MESSAGE" and "usage: qmtool USAGE" on one line to stderr;
// returns the usage exit status 2.
int usageError(const Command& command, std::string_view message);
int usageError(std::string_view usage, std::string_view message);

// Parses a whole decimal number; false when text is not one or out of range.
bool parseInt(std::string_view text, long long minValue, long long maxValue, long long& out);

} // namespace qmtool
