#pragma once
// Message boxes, simple dialogs and the help window of the real program.
// Answers queued by a script close the next box as that button would.

#include "platform/Dialogs.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <filesystem>

class QTextBrowser;


namespace qm {

class CQtDialogs final : public IDialogs, public IHelpViewer {
public:
    // `parent` centres the boxes; `helpFile` is the HTML help document.
    CQtDialogs(QWidget* parent, std::filesystem::path helpFile);
    ~CQtDialogs() override;

    void pushAnswer(Answer a) { m_answers.push_back(a); }
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
    int listDialog(std::string_view name, std::string_view title, std::string_view prompt,
                   const std::vector<std::string>& items, const std::vector<std::string>& buttons,
                   int& selected) override;

private:
    QPointer<QWidget> m_parent;
    std::filesystem::path m_helpFile;
    std::deque<Answer> m_answers;
    bool m_unattended = false;
    QPointer<QDialog> m_help;
    QTextBrowser* m_browser = nullptr;
    std::string m_anchor;
};

} // namespace qm
