#include "platform/qt/QtDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>

namespace qm {
namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QDialogButtonBox::StandardButtons standardButtons(Buttons b)
{
    switch (b) {
    case Buttons::Ok: return QDialogButtonBox::Ok;
    case Buttons::OkCancel: return QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
    case Buttons::YesNo: return QDialogButtonBox::Yes | QDialogButtonBox::No;
    case Buttons::YesNoCancel: return QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel;
    }
    return QDialogButtonBox::Ok;
}

QDialogButtonBox::StandardButton standardButton(Answer a)
{
    switch (a) {
    case Answer::Ok: return QDialogButtonBox::Ok;
    case Answer::Cancel: return QDialogButtonBox::Cancel;
    case Answer::Yes: return QDialogButtonBox::Yes;
    case Answer::No: return QDialogButtonBox::No;
    }
    return QDialogButtonBox::Cancel;
}

Answer escapeOf(Buttons b)
{
    switch (b) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

// Runs a dialog built of a body and a button box; a queued answer clicks its
// button as soon as the dialog is up (or closes it as Escape when the
// dialog has no such button).
Answer runDialog(QDialog& dialog, QDialogButtonBox& box, Buttons buttons, std::deque<Answer>& queue,
                 bool unattended, const std::string& text)
{
    if (queue.empty() && unattended) {
        std::fprintf(stderr, "quillmarsh: %s: %s (closed unanswered)\n", dialog.windowTitle().toUtf8().constData(),
                     text.c_str());
        return escapeOf(buttons);
    }
    Answer result = escapeOf(buttons);
    QObject::connect(&box, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton* b) {
        switch (box.standardButton(b)) {
        case QDialogButtonBox::Ok: result = Answer::Ok; break;
        case QDialogButtonBox::Yes: result = Answer::Yes; break;
        case QDialogButtonBox::No: result = Answer::No; break;
        default: result = Answer::Cancel; break;
        }
        dialog.done(0);
    });
    if (!queue.empty()) {
        const Answer a = queue.front();
        queue.pop_front();
        QTimer::singleShot(0, &dialog, [&dialog, &box, a] {
            if (QPushButton* b = box.button(standardButton(a)))
                b->click();
            else
                dialog.reject();
        });
    }
    dialog.exec();
    return result;
}

} // namespace

CQtDialogs::CQtDialogs(QWidget* parent, std::filesystem::path helpFile)
    : m_parent(parent), m_helpFile(std::move(helpFile))
{
}

CQtDialogs::~CQtDialogs() { delete m_help.data(); }

Answer CQtDialogs::messageBox(std::string_view text, std::string_view title, Buttons buttons, BoxIcon icon)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(qs(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    QStyle::StandardPixmap sp = QStyle::SP_CustomBase;
    switch (icon) {
    case BoxIcon::Information: sp = QStyle::SP_MessageBoxInformation; break;
    case BoxIcon::Question: sp = QStyle::SP_MessageBoxQuestion; break;
    case BoxIcon::Warning: sp = QStyle::SP_MessageBoxWarning; break;
    case BoxIcon::Error: sp = QStyle::SP_MessageBoxCritical; break;
    case BoxIcon::None: break;
    }
    if (sp != QStyle::SP_CustomBase) {
        auto* iconLabel = new QLabel(&dialog);
        iconLabel->setPixmap(dialog.style()->standardIcon(sp).pixmap(32, 32));
        row->addWidget(iconLabel, 0, Qt::AlignTop);
    }
    auto* label = new QLabel(qs(text), &dialog);
    label->setWordWrap(true);
    row->addWidget(label, 1);
    layout->addLayout(row);
    QDialogButtonBox box(standardButtons(buttons));
    layout->addWidget(&box);
    return runDialog(dialog, box, buttons, m_answers, m_unattended, std::string(text));
}

Answer CQtDialogs::infoDialog(std::string_view name, std::string_view title, const std::vector<std::string>& lines,
                              Buttons buttons)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(qs(name));
    dialog.setWindowTitle(qs(title));
    auto* layout = new QVBoxLayout(&dialog);
    for (const std::string& l : lines)
        layout->addWidget(new QLabel(qs(l), &dialog));
    QDialogButtonBox box(standardButtons(buttons));
    layout->addWidget(&box);
    std::string joined;
    for (const std::string& l : lines)
        joined += (joined.empty() ? "" : " / ") + l;
    return runDialog(dialog, box, buttons, m_answers, m_unattended, joined);
}

int CQtDialogs::listDialog(std::string_view name, std::string_view title, std::string_view prompt,
                           const std::vector<std::string>& items, const std::vector<std::string>& buttons,
                           int& selected)
{
    // A queued OK presses the first button, any other answer closes the dialog.
    if (!m_answers.empty() || m_unattended) {
        const bool ok = !m_answers.empty() && m_answers.front() == Answer::Ok;
        if (!m_answers.empty())
            m_answers.pop_front();
        else
            std::fprintf(stderr, "quillmarsh: %s (closed unanswered)\n", std::string(prompt).c_str());
        return ok && !buttons.empty() ? 0 : -1;
    }
    QDialog dialog(m_parent);
    dialog.setObjectName(qs(name));
    dialog.setWindowTitle(qs(title));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(qs(prompt), &dialog));
    auto* list = new QListWidget(&dialog);
    for (const std::string& i : items)
        list->addItem(qs(i));
    if (selected >= 0 && selected < list->count())
        list->setCurrentRow(selected);
    layout->addWidget(list);
    auto* row = new QHBoxLayout;
    int pressed = -1;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto* b = new QPushButton(qs(buttons[i]), &dialog);
        QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, &pressed, i] {
            pressed = static_cast<int>(i);
            dialog.accept();
        });
        row->addWidget(b);
    }
    layout->addLayout(row);
    dialog.exec();
    selected = list->currentRow();
    return pressed;
}

bool CQtDialogs::show(std::string_view anchor)
{
    std::error_code ec;
    if (!std::filesystem::exists(m_helpFile, ec))
        return false;
    if (!m_help) {
        m_help = new QDialog(m_parent, Qt::Window);
        m_help->setWindowTitle(QStringLiteral("Quillmarsh Help"));
        auto* layout = new QVBoxLayout(m_help);
        layout->setContentsMargins(0, 0, 0, 0);
        m_browser = new QTextBrowser(m_help);
        m_browser->setOpenExternalLinks(true);
        layout->addWidget(m_browser);
        if (m_parent)
            m_help->resize(m_parent->size());
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(m_helpFile.string()));
    url.setFragment(qs(anchor));
    m_browser->setSource(url);
    m_browser->scrollToAnchor(qs(anchor));
    m_anchor = anchor;
    m_help->show();
    m_help->raise();
    return true;
}

} // namespace qm
