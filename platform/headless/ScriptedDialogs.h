#pragma once
// Message boxes and dialogs for tests: answered from a queue, recorded.

#include "platform/Dialogs.h"

#include <deque>
#include <functional>

namespace qm {

class CScriptedDialogs final : public IDialogs, public IHelpViewer {
public:
    struct Shown {
        std::string kind;  // "message", a dialog name, or "help"
        std::string title;
        std::string text;  // message text, dialog lines joined by '\n', or the anchor
        Buttons buttons = Buttons::Ok;
        Answer answer = Answer::Ok;
    };

    // The next message box or dialog closes with this answer.
    void pushAnswer(Answer a) { m_answers.push_back(a); }
    // The next list dialog closes with this button index and selected row.
    void pushListChoice(int button, int row) { m_listChoices.push_back({button, row}); }
    const std::vector<Shown>& shown() const { return m_shown; }
    void clearShown() { m_shown.clear(); }
    // Called while a box is open (to check the modal state, for example).
    void setOnShow(std::function<void()> f) { m_onShow = std::move(f); }

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon icon) override;
    Answer infoDialog(std::string_view name, std::string_view title, const std::vector<std::string>& lines,
                      Buttons buttons) override;
    bool show(std::string_view anchor) override;
    int listDialog(std::string_view name, std::string_view title, std::string_view prompt,
                   const std::vector<std::string>& items, const std::vector<std::string>& buttons,
                   int& selected) override;

private:
    Answer next(Buttons buttons);

    std::deque<Answer> m_answers;
    std::deque<std::pair<int, int>> m_listChoices;
    std::vector<Shown> m_shown;
    std::function<void()> m_onShow;
};

// The answer a box gives when closed without a button.
Answer escapeAnswer(Buttons buttons);

} // namespace qm
