#pragma once
// Message boxes and dialogs for tests: answered from a queue, recorded.

#include "platform/Bitmap.h"
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

    // The next message box or dialog closes with this answer. A dialog the
    // program draws takes answers until one ends it.
    void pushAnswer(Answer a) { m_answers.push_back(DialogAnswer::of(a)); }
    void pushAnswer(DialogAnswer a) { m_answers.push_back(std::move(a)); }
    const std::vector<Shown>& shown() const { return m_shown; }
    void clearShown() { m_shown.clear(); }
    // Every form dialog as it was when it opened.
    const std::vector<FormDialog>& formsShown() const { return m_forms; }
    // The client area of the last dialog the program drew, as it painted it.
    const CBitmap& lastCanvas() const { return m_canvas; }
    const std::vector<CMemoryCanvas::TextRun>& lastCanvasText() const { return m_canvasText; }
    const CanvasDialog& lastCanvasDialog() const { return m_canvasDialog; }
    // Called while a box is open (to check the modal state, for example).
    void setOnShow(std::function<void()> f) { m_onShow = std::move(f); }

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon icon) override;
    Answer infoDialog(std::string_view name, std::string_view title, const std::vector<std::string>& lines,
                      Buttons buttons) override;
    bool show(std::string_view anchor) override;
    int formDialog(FormDialog& form) override;
    bool canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content) override;

private:
    Answer next(Buttons buttons);

    std::deque<DialogAnswer> m_answers;
    std::vector<Shown> m_shown;
    std::vector<FormDialog> m_forms;
    CBitmap m_canvas;
    std::vector<CMemoryCanvas::TextRun> m_canvasText;
    CanvasDialog m_canvasDialog;
    std::function<void()> m_onShow;
};

// The answer a box gives when closed without a button.
Answer escapeAnswer(Buttons buttons);

} // namespace qm
