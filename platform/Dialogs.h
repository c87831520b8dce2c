#pragma once
// Message boxes, modal dialogs (static lines, forms of controls, dialogs the
// program draws) and the help viewer.

#include "platform/Canvas.h"
#include "platform/Geometry.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class BoxIcon { None, Information, Question, Warning, Error };

// The name of an answer as scripts write it ("OK", "Cancel", "Yes", "No").
std::string_view answerName(Answer a);
bool answerFromName(std::string_view name, Answer& out);

// How a script or a test closes the next box or dialog: with one of its
// buttons by name, a button by control id (or the id of a list whose choice
// ends the dialog, with the entry chosen), an item by its text (a piece of
// the promotion dialog: "Knight"), or a pen-up at a client point of a dialog
// the program draws. `choices` are made first: the entry with that text is
// chosen in the list or drop-down of that id.
struct DialogAnswer {
    enum class Kind { Button, Control, Item, Tap };
    Kind kind = Kind::Button;
    Answer button = Answer::Ok;
    int control = 0;
    std::string item;
    Point at;
    std::vector<std::pair<int, std::string>> choices;

    static DialogAnswer of(Answer a) { return {Kind::Button, a, 0, {}, {}, {}}; }
    static DialogAnswer ofControl(int id) { return {Kind::Control, Answer::Ok, id, {}, {}, {}}; }
    static DialogAnswer ofItem(std::string text) { return {Kind::Item, Answer::Ok, 0, std::move(text), {}, {}}; }
    static DialogAnswer ofTap(int x, int y) { return {Kind::Tap, Answer::Ok, 0, {}, {x, y}, {}}; }
};

// Reads an answer as scripts write it: "OK", "Cancel", "Yes", "No", a
// control id ("1017"), "at X Y" (a pen-up in the dialog), or the name of an
// item the program's dialogs offer ("Queen", "Rook", "Bishop", "Knight").
// False for anything else.
bool dialogAnswerFromText(std::string_view text, DialogAnswer& out);

// One control of a form dialog, laid out top to bottom in the order given.
struct DialogControl {
    enum class Kind { Text, Field, List, DropDown, Button };
    Kind kind = Kind::Text;
    int id = 0;
    std::string label;              // Text: the text; Button: the caption; else the text before the control
    std::string text;               // Field: its read-only text
    std::vector<std::string> items; // List, DropDown
    int selected = -1;              // List, DropDown: the chosen entry (-1 none), in and out
};

// Results of a form dialog besides its buttons' ids: the platform's OK
// and Cancel (closing the dialog counts as Cancel).
inline constexpr int FormOk = 1;
inline constexpr int FormCancel = 2;

struct FormDialog {
    std::string name;  // the dialog template ("111")
    std::string title;
    std::string helpAnchor;
    std::vector<DialogControl> controls;
    // Choosing an entry of the list ends the dialog (with the list's id).
    bool listChoiceEnds = false;

    DialogControl* control(int id)
    {
        for (DialogControl& c : controls)
            if (c.id == id)
                return &c;
        return nullptr;
    }
    // Chooses the entry with `text` in list or drop-down `id`; false when
    // there is no such control or entry.
    bool choose(int id, std::string_view text);
};

// The content of a dialog the program draws itself (the promotion dialog):
// it paints the client area and takes the pen.
class ICanvasDialogContent {
public:
    virtual ~ICanvasDialogContent() = default;
    virtual void paint(CCanvas& dc) = 0;
    // A pen-up at a client point; true when it ends the dialog.
    virtual bool penUp(Point p) = 0;
    // Where a tap on the item named `item` would go, for scripts; false
    // when the dialog has no such item.
    virtual bool itemPoint(std::string_view item, Point& out) const = 0;
};

struct CanvasDialog {
    std::string name;
    std::string title;
    std::string helpAnchor;
    Point position;   // top-left corner on the handheld screen
    Size clientSize;  // the client area the content paints
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Modal; returns the button that closed it. Closing without a button
    // gives Cancel, or No where there is no Cancel, or OK.
    virtual Answer messageBox(std::string_view text, std::string_view title, Buttons buttons,
                              BoxIcon icon = BoxIcon::None) = 0;
    // A modal dialog of static lines with OK (and Cancel when asked), such as
    // the about box. `name` identifies the dialog template.
    virtual Answer infoDialog(std::string_view name, std::string_view title,
                              const std::vector<std::string>& lines, Buttons buttons = Buttons::Ok) = 0;
    // A modal dialog of controls with the platform's OK and Cancel. Returns
    // the id of the button that ended it, the list's id when a choice ended
    // it, or FormOk / FormCancel; the lists' and drop-downs' `selected`
    // hold what was chosen. An implementation without forms closes it at
    // once (FormCancel).
    virtual int formDialog(FormDialog& form)
    {
        (void)form;
        return FormCancel;
    }
    // A modal dialog drawn by `content`. True when the content ended it (a
    // pen-up), false for OK, Cancel or closing. An implementation without
    // such dialogs closes it at once.
    virtual bool canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content)
    {
        (void)dialog, (void)content;
        return false;
    }
};

// The in-program help window, showing the program's HTML help at an anchor.
class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    // False when the help file is missing.
    virtual bool show(std::string_view anchor) = 0;
};

} // namespace qm
