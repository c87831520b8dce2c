#include "app/shell/Script.h"

#include "app/shell/ShellTables.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>

namespace qm {
namespace {

bool toInt(const std::string& s, int& out)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

struct Verb {
    const char* name;
    int numbers;  // how many integer arguments; -1: free text
    int minArgs;
    int maxArgs;
};

constexpr Verb Verbs[] = {
    {"tap", 2, 2, 2},        {"drag", 4, 4, 4},     {"hold", 2, 2, 2},        {"key", 0, 1, 1},
    {"command", 1, 1, 1},    {"answer", -1, 1, 3},  {"wait", 1, 1, 1},        {"wait-idle", 0, 0, 0},
    {"screenshot", 0, 1, 1}, {"print", 0, 1, 1},    {"expect-fen", -1, 1, 99}, {"set", -1, 2, 99},
    {"choose", 1, 2, 99},    {"quit", 0, 0, 0},
};

} // namespace

bool parseScript(std::istream& in, std::vector<CScriptLine>& lines, std::string& error)
{
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#')
            continue;
        CScriptLine line;
        line.number = number;
        std::istringstream words(text);
        words >> line.verb;
        for (std::string w; words >> w;)
            line.args.push_back(w);
        const auto verbEnd = text.find(line.verb) + line.verb.size();
        const auto restStart = text.find_first_not_of(" \t", verbEnd);
        if (restStart != std::string::npos)
            line.rest = text.substr(restStart);
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        const Verb* verb = nullptr;
        for (const Verb& v : Verbs)
            if (line.verb == v.name)
                verb = &v;
        if (!verb)
            return fail("unknown command \"" + line.verb + "\"");
        const int n = static_cast<int>(line.args.size());
        if (n < verb->minArgs || n > verb->maxArgs)
            return fail(line.verb + " takes " + std::to_string(verb->minArgs) +
                        (verb->maxArgs != verb->minArgs ? " or more" : "") + " argument(s)");
        for (int i = 0; i < std::max(verb->numbers, 0); ++i) {
            int v = 0;
            if (!toInt(line.args[static_cast<std::size_t>(i)], v) || v < 0)
                return fail("\"" + line.args[static_cast<std::size_t>(i)] + "\" is not a number");
            line.numbers.push_back(v);
        }
        DialogAnswer a;
        if (line.verb == "key" && !keyFromName(line.args[0]))
            return fail("unknown key \"" + line.args[0] + "\"");
        if (line.verb == "answer" && !dialogAnswerFromText(line.rest, a))
            return fail("answer wants OK, Cancel, Yes, No, a control id, Queen, Rook, Bishop, Knight or at X Y, not \"" +
                        line.rest + "\"");
        if (line.verb == "print" && line.args[0] != "fen" && line.args[0] != "pgn" && line.args[0] != "status" &&
            line.args[0] != "title" && line.args[0] != "popup")
            return fail("print wants fen, pgn, status, title or popup");
        if (line.verb == "wait" && line.numbers[0] > 600000)
            return fail("wait is limited to 600000 ms");
        lines.push_back(std::move(line));
    }
    return true;
}

std::string popupText(const Menu& menu)
{
    std::string text;
    for (const MenuItem& item : menu.items) {
        if (item.isSeparator())
            continue;
        text += (text.empty() ? "" : " | ") + item.text + (item.checked ? " [x]" : "");
    }
    return text;
}

int runScript(const std::vector<CScriptLine>& lines, IScriptTarget& target, std::ostream& out, std::ostream& err)
{
    // Choices wait for the answer that closes their dialog.
    std::vector<std::pair<int, std::string>> choices;
    for (const CScriptLine& l : lines) {
        if (target.finished()) {
            err << "line " << l.number << ": the program has already ended\n";
            return 2;
        }
        const auto& n = l.numbers;
        if (l.verb == "tap") {
            target.tap({n[0], n[1]});
        } else if (l.verb == "drag") {
            target.drag({n[0], n[1]}, {n[2], n[3]});
        } else if (l.verb == "hold") {
            target.hold({n[0], n[1]});
        } else if (l.verb == "key") {
            target.key(*keyFromName(l.args[0]));
        } else if (l.verb == "command") {
            target.command(n[0]);
        } else if (l.verb == "answer") {
            DialogAnswer a;
            dialogAnswerFromText(l.rest, a);
            a.choices = std::move(choices);
            choices.clear();
            target.answer(a);
        } else if (l.verb == "choose") {
            const std::string text = l.rest.substr(l.rest.find_first_of(" \t") + 1);
            choices.emplace_back(n[0], text.substr(text.find_first_not_of(" \t")));
        } else if (l.verb == "wait") {
            target.waitMs(n[0]);
        } else if (l.verb == "wait-idle") {
            target.waitIdle();
        } else if (l.verb == "screenshot") {
            std::string why;
            if (!target.screenshot(l.args[0], why)) {
                err << "line " << l.number << ": " << why << "\n";
                return 2;
            }
        } else if (l.verb == "print") {
            const std::string& what = l.args[0];
            out << (what == "fen"      ? target.fen()
                    : what == "pgn"    ? target.pgn()
                    : what == "status" ? target.status()
                    : what == "popup"  ? popupText(target.lastPopup())
                                       : target.title())
                << "\n";
            out.flush();
        } else if (l.verb == "expect-fen") {
            const std::string actual = target.fen();
            if (actual != l.rest) {
                err << "line " << l.number << ": position differs\n  expected: " << l.rest << "\n  actual:   " << actual
                    << "\n";
                return 1;
            }
        } else if (l.verb == "set") {
            const std::string value = l.rest.substr(l.rest.find_first_of(" \t") + 1);
            std::string why;
            if (!target.setSetting(l.args[0], value.substr(value.find_first_not_of(" \t")), why)) {
                err << "line " << l.number << ": " << why << "\n";
                return 2;
            }
        } else if (l.verb == "quit") {
            target.quit();
        }
    }
    return 0;
}

} // namespace qm
