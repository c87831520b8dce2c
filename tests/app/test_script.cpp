#include "app/shell/Script.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace qm;

namespace {

TEST(ScriptParse, RejectsBadLinesWithTheirNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"tap 1\n", "line 1: tap takes 2 argument(s)"},
        {"# comment\n\ntap 1 x\n", "line 3: \"x\" is not a number"},
        {"tap 1 -2\n", "line 1: \"-2\" is not a number"},
        {"key Escape\n", "line 1: unknown key \"Escape\""},
        {"answer Maybe\n",
         "line 1: answer wants OK, Cancel, Yes, No, a control id, Queen, Rook, Bishop, Knight or at X Y, not \"Maybe\""},
        {"answer at 3\n",
         "line 1: answer wants OK, Cancel, Yes, No, a control id, Queen, Rook, Bishop, Knight or at X Y, not \"at 3\""},
        {"answer -5\n",
         "line 1: answer wants OK, Cancel, Yes, No, a control id, Queen, Rook, Bishop, Knight or at X Y, not \"-5\""},
        {"choose 1028\n", "line 1: choose takes 2 or more argument(s)"},
        {"choose list Ask\n", "line 1: \"list\" is not a number"},
        {"print board\n", "line 1: print wants fen, pgn, status, title or popup"},
        {"wait\n", "line 1: wait takes 1 argument(s)"},
        {"wait 99999999999\n", "line 1: \"99999999999\" is not a number"},
        {"wait 700000\n", "line 1: wait is limited to 600000 ms"},
        {"quit now\n", "line 1: quit takes 0 argument(s)"},
        {"fly 1 2\n", "line 1: unknown command \"fly\""},
        {"set IDC_CBSOUND\n", "line 1: set takes 2 or more argument(s)"},
        {"screenshot\n", "line 1: screenshot takes 1 argument(s)"},
    };
    for (const auto& [text, error] : cases) {
        std::istringstream in(text);
        std::vector<CScriptLine> lines;
        std::string why;
        EXPECT_FALSE(parseScript(in, lines, why)) << text;
        EXPECT_EQ(why, error) << text;
    }
}

class Recorder final : public IScriptTarget {
public:
    std::vector<std::string> log;
    std::string position = "8/8/8/8/8/8/8/K6k w - - 0 1";
    bool closed = false;
    void tap(Point p) override { log.push_back("tap " + std::to_string(p.x) + " " + std::to_string(p.y)); }
    void drag(Point a, Point b) override
    {
        log.push_back("drag " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " +
                      std::to_string(b.y));
    }
    void hold(Point p) override { log.push_back("hold " + std::to_string(p.x) + " " + std::to_string(p.y)); }
    void key(Key k) override { log.push_back("key " + std::to_string(k.code) + (k.ctrl ? "+ctrl" : "")); }
    void command(int id) override { log.push_back("command " + std::to_string(id)); }
    void answer(const DialogAnswer& a) override
    {
        std::string text = "answer ";
        switch (a.kind) {
        case DialogAnswer::Kind::Button: text += answerName(a.button); break;
        case DialogAnswer::Kind::Control: text += "control " + std::to_string(a.control); break;
        case DialogAnswer::Kind::Item: text += "item " + a.item; break;
        case DialogAnswer::Kind::Tap: text += "at " + std::to_string(a.at.x) + "," + std::to_string(a.at.y); break;
        }
        for (const auto& [id, entry] : a.choices)
            text += " [" + std::to_string(id) + "=" + entry + "]";
        log.push_back(text);
    }
    Menu lastPopup() override { return {"", "", {{"New game", 40006}, {"", 0}, {"Replay moves", 40010, true}}}; }
    void waitMs(int ms) override { log.push_back("wait " + std::to_string(ms)); }
    void waitIdle() override { log.push_back("wait-idle"); }
    bool screenshot(const std::string& f, std::string& e) override
    {
        log.push_back("screenshot " + f);
        e = "cannot write " + f;
        return f != "bad.png";
    }
    std::string fen() override { return position; }
    std::string pgn() override { return "[Result \"*\"]\n\n*"; }
    std::string status() override { return "status"; }
    std::string title() override { return "Quillmarsh"; }
    bool setSetting(const std::string& n, const std::string& v, std::string& e) override
    {
        log.push_back("set " + n + "=" + v);
        e = "no general setting is named \"" + n + "\"";
        return n != "NOPE";
    }
    void quit() override
    {
        log.push_back("quit");
        closed = true;
    }
    bool finished() override { return closed; }
};

int run(const std::string& text, Recorder& r, std::string& out, std::string& err)
{
    std::istringstream in(text);
    std::vector<CScriptLine> lines;
    std::string why;
    EXPECT_TRUE(parseScript(in, lines, why)) << why;
    std::ostringstream o, e;
    const int status = runScript(lines, r, o, e);
    out = o.str();
    err = e.str();
    return status;
}

TEST(ScriptRun, FeedsEveryLineInOrder)
{
    Recorder r;
    std::string out, err;
    const int status = run("tap 10 20\r\ndrag 1 2 3 4\nhold 5 6\nkey Ctrl+N\nanswer Yes\ncommand 40024\nwait 30\n"
                           "wait-idle\nscreenshot a.png\nprint title\nprint fen\nexpect-fen 8/8/8/8/8/8/8/K6k w - - 0 1\n"
                           "set IDC_CBENGINE Quill Engine 2\nquit\n",
                           r, out, err);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(r.log, (std::vector<std::string>{"tap 10 20", "drag 1 2 3 4", "hold 5 6", "key 5+ctrl", "answer Yes",
                                               "command 40024", "wait 30", "wait-idle", "screenshot a.png",
                                               "set IDC_CBENGINE=Quill Engine 2", "quit"}));
    EXPECT_EQ(out, "Quillmarsh\n8/8/8/8/8/8/8/K6k w - - 0 1\n");
}

TEST(ScriptRun, AnswersCarryTheirChoicesAndThePopupPrints)
{
    Recorder r;
    std::string out, err;
    const int status = run("answer Knight\nanswer at 12 40\nchoose 1028 Add line\nchoose 1012 5..Nc6\nanswer 1014\n"
                           "answer Cancel\nprint popup\n",
                           r, out, err);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(r.log, (std::vector<std::string>{"answer item Knight", "answer at 12,40",
                                               "answer control 1014 [1028=Add line] [1012=5..Nc6]", "answer Cancel"}));
    EXPECT_EQ(out, "New game | Replay moves [x]\n");
}

TEST(ScriptRun, FailuresStopWithTheirStatus)
{
    const struct {
        const char* text;
        int status;
        const char* errorPart;
    } cases[] = {
        {"expect-fen 8/8/8/8/8/8/8/k6K w - - 0 1\ntap 1 1\n", 1, "actual:   8/8/8/8/8/8/8/K6k w - - 0 1"},
        {"screenshot bad.png\ntap 1 1\n", 2, "line 1: cannot write bad.png"},
        {"set NOPE 1\n", 2, "line 1: no general setting"},
        {"quit\ntap 1 1\n", 2, "line 2: the program has already ended"},
    };
    for (const auto& k : cases) {
        Recorder r;
        std::string out, err;
        EXPECT_EQ(run(k.text, r, out, err), k.status) << k.text;
        EXPECT_NE(err.find(k.errorPart), std::string::npos) << err;
        EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "tap 1 1"), 0) << k.text;
    }
}

} // namespace
