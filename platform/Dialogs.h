#pragma once
// Message boxes, simple modal dialogs and the help viewer.

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
    // A modal list of `items` under `prompt`, with a row of `buttons`.
    // Returns the index of the button pressed, or -1 when the dialog was
    // closed without one; `selected` receives the selected row (-1 for
    // none) and gives the row selected at the start. An implementation
    // without lists closes it at once (-1).
    virtual int listDialog(std::string_view name, std::string_view title, std::string_view prompt,
                           const std::vector<std::string>& items, const std::vector<std::string>& buttons,
                           int& selected)
    {
        (void)name, (void)title, (void)prompt, (void)items, (void)buttons;
        selected = -1;
        return -1;
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
