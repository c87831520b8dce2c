#pragma once
// Message boxes, simple dialogs and the help window of the real program.
// Answers queued by a script close the next box as that button would.

#include "platform/Dialogs.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <filesystem>

class QTextBrowser;


namespace qm {

class CQtDialogs final : public IDialogs, public IHelpViewer {
public:
    // `parent` centres the boxes; `helpFile` is the HTML help document.
    CQtDialogs(QWidget* parent, std::filesystem::path helpFile);
    ~CQtDialogs() override;

    void pushAnswer(Answer a) { m_answers.push_back(DialogAnswer::of(a)); }
    void pushAnswer(DialogAnswer a) { m_answers.push_back(std::move(a)); }
    // The handheld screen's whole-factor scale and its top-left corner
    // (the main window's), where dialogs placed on the screen go.
    void setScreen(int scale) { m_scale = std::max(1, scale); }
    // For runs nobody watches: a box with no queued answer is closed at once
    // as Escape would close it, and its text goes to standard error.
    void setUnattended(bool unattended) { m_unattended = unattended; }
    // The help window, when it has been opened.
    QDialog* helpWindow() const { return m_help; }
    std::string helpAnchor() const { return m_anchor; }

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon icon) override;
    Answer infoDialog(std::string_view name, std::string_view title, const std::vector<std::string>& lines,
                      Buttons buttons) override;
    bool show(std::string_view anchor) override;
    int formDialog(FormDialog& form) override;
    bool canvasDialog(const CanvasDialog& dialog, ICanvasDialogContent& content) override;

private:
    QPointer<QWidget> m_parent;
    std::filesystem::path m_helpFile;
    // Takes the next queued answer, or false when there is none.
    bool takeAnswer(DialogAnswer& out);

    std::deque<DialogAnswer> m_answers;
    int m_scale = 1;
    bool m_unattended = false;
    QPointer<QDialog> m_help;
    QTextBrowser* m_browser = nullptr;
    std::string m_anchor;
};

} // namespace qm
