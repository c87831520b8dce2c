// qmtool: the core of Quillmarsh for scripts, benchmarks and checks.
#include "Registry.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    qmtool::Registry registry;
    qmtool::registerAllCommands(registry);

    qmtool::Args words(argv + 1, argv + argc);
    // The command with the longest matching sequence of words wins, so that
    // "pgn check" and "pgn" groups can coexist.
    const qmtool::Command* best = nullptr;
    for (const auto& command : registry.commands()) {
        if (command.words.size() > words.size())
            continue;
        bool match = true;
        for (size_t i = 0; i < command.words.size(); ++i)
            match = match && command.words[i] == words[i];
        if (match && (!best || command.words.size() > best->words.size()))
            best = &command;
    }
    if (!best) {
        std::string list;
        for (const auto& command : registry.commands()) {
            list += list.empty() ? " " : ", ";
            for (size_t i = 0; i < command.words.size(); ++i)
                list += (i ? " " : "") + command.words[i];
        }
        std::fprintf(stderr, "qmtool: %s; commands:%s\n",
            words.empty() ? "no command given" : ("unknown command '" + words[0] + "'").c_str(), list.c_str());
        return 2;
    }
    qmtool::Args rest(words.begin() + long(best->words.size()), words.end());
    return best->run(rest);
}
