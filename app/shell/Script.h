#pragma once
// The scripted driver: lines that feed the running program as a user would,
// for end-to-end tests and checks.
//
//   tap X Y | drag X1 Y1 X2 Y2 | hold X Y     pen input at client pixels
//   key NAME                                  Left Right Up Down Enter Ctrl+N Ctrl+S Ctrl+Q
//   command ID                                a command id, as a menu would send it
//   answer TEXT                               the next box or dialog closes with OK, Cancel, Yes, No,
//                                             a button's control id (1017), a piece of the promotion
//                                             dialog (Queen Rook Bishop Knight), or at X Y (a pen-up
//                                             at a client point of the promotion dialog)
//   choose ID TEXT                            the dialog the next answer closes first gets the entry
//                                             TEXT chosen in its list or drop-down ID
//                                             ("choose 1028 Add line")
//   wait MS | wait-idle                       let time pass; wait until nothing animates or replays
//   screenshot FILE                           PNG of the whole handheld screen
//   print fen|pgn|status|title|popup          to standard output (popup: the items of the last
//                                             popup menu, "[x]" after a checked one)
//   expect-fen FEN                            fails (status 1) when the position differs
//   set NAME VALUE                            a general setting changed in memory
//   quit                                      exits as the Exit command does
// Empty lines and lines starting with '#' are skipped.

#include "platform/Dialogs.h"
#include "platform/Window.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

struct CScriptLine {
    int number = 0;
    std::string verb;
    std::vector<std::string> args;
    std::vector<int> numbers;  // the numeric arguments of tap, drag, hold, command, wait
    std::string rest;          // everything after the verb (expect-fen, set)
};

// Reads and checks every line before anything runs. On a bad line returns
// false with "line N: why" in `error`.
bool parseScript(std::istream& in, std::vector<CScriptLine>& lines, std::string& error);

// What the driver asks of the running program.
class IScriptTarget {
public:
    virtual ~IScriptTarget() = default;
    virtual void tap(Point p) = 0;
    virtual void drag(Point from, Point to) = 0;
    virtual void hold(Point p) = 0;
    virtual void key(Key k) = 0;
    virtual void command(int id) = 0;
    virtual void answer(const DialogAnswer& a) = 0;
    virtual void waitMs(int ms) = 0;
    virtual void waitIdle() = 0;
    virtual bool screenshot(const std::string& file, std::string& error) = 0;
    virtual std::string fen() = 0;
    virtual std::string pgn() = 0;
    virtual std::string status() = 0;
    virtual std::string title() = 0;
    // The last popup menu the program opened (empty when none was).
    virtual Menu lastPopup() = 0;
    virtual bool setSetting(const std::string& name, const std::string& value, std::string& error) = 0;
    virtual void quit() = 0;
    // True once the program has closed its window (after quit or Exit).
    virtual bool finished() = 0;
};

// Runs the lines in order. Returns 0, or 1 when an expect-fen failed (both
// FENs printed to err), or 2 when a line could not be carried out.
// "New game | ... | Replay moves [x] | ...": a menu's items, separators left out.
std::string popupText(const Menu& menu);

int runScript(const std::vector<CScriptLine>& lines, IScriptTarget& target, std::ostream& out, std::ostream& err);

} // namespace qm
