#include "platform/qt/QtDialogs.h"

#include "platform/qt/QtCanvas.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
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
#include <functional>
#include <map>

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
// dialog has no such button, or the answer is no button).
Answer runDialog(QDialog& dialog, QDialogButtonBox& box, Buttons buttons, const DialogAnswer* queued,
                 bool unattended, const std::string& text)
{
    if (!queued && unattended) {
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
    if (queued) {
        const DialogAnswer a = *queued;
        QTimer::singleShot(0, &dialog, [&dialog, &box, a] {
            QPushButton* b = a.kind == DialogAnswer::Kind::Button ? box.button(standardButton(a.button)) : nullptr;
            if (b)
                b->click();
            else
                dialog.reject();
        });
    }
    dialog.exec();
    return result;
}

// The client area of a dialog the program draws: the content paints a
// canvas of the dialog's own size, shown scaled; a release of the left
// button is the pen-up.
class CCanvasDialogView final : public QWidget {
public:
    CCanvasDialogView(QDialog& dialog, ICanvasDialogContent& content, Size size, int scale, bool& ended)
        : QWidget(&dialog), m_dialog(dialog), m_content(content), m_canvas(size.width, size.height), m_scale(scale),
          m_ended(ended)
    {
        setFixedSize(size.width * scale, size.height * scale);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    // A pen-up at a client point of the dialog, as the pen would give it.
    void penUpAt(Point p)
    {
        const QPointF local(p.x * m_scale + m_scale / 2.0, p.y * m_scale + m_scale / 2.0);
        QMouseEvent release(QEvent::MouseButtonRelease, local, mapToGlobal(local), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(this, &release);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        m_canvas.resetClip();
        m_canvas.fillRect(m_canvas.bounds(), RgbWhite);
        m_content.paint(m_canvas);
        QPainter p(this);
        p.drawImage(QRect(0, 0, width(), height()), m_canvas.imageRef());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || m_ended)
            return;
        const QPoint q = e->position().toPoint();
        if (m_content.penUp({q.x() / m_scale, q.y() / m_scale})) {
            m_ended = true;
            m_dialog.accept();
        }
    }

private:
    QDialog& m_dialog;
    ICanvasDialogContent& m_content;
    CQtCanvas m_canvas;
    int m_scale;
    bool& m_ended;
};

} // namespace

bool CQtDialogs::takeAnswer(DialogAnswer& out)
{
    if (m_answers.empty())
        return false;
    out = std::move(m_answers.front());
    m_answers.pop_front();
    return true;
}

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
    DialogAnswer a;
    const bool queued = takeAnswer(a);
    return runDialog(dialog, box, buttons, queued ? &a : nullptr, m_unattended, std::string(text));
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
    DialogAnswer a;
    const bool queued = takeAnswer(a);
    return runDialog(dialog, box, buttons, queued ? &a : nullptr, m_unattended, joined);
}

int CQtDialogs::formDialog(FormDialog& form)
{
    DialogAnswer queued;
    const bool haveAnswer = takeAnswer(queued);
    if (!haveAnswer && m_unattended) {
        std::fprintf(stderr, "quillmarsh: %s (closed unanswered)\n", form.title.c_str());
        return FormCancel;
    }
    QDialog dialog(m_parent);
    dialog.setObjectName(qs(form.name));
    dialog.setWindowTitle(qs(form.title));
    // Full-screen on the handheld: the dialog covers the main window.
    if (m_parent)
        dialog.setGeometry(m_parent->geometry());
    auto* layout = new QVBoxLayout(&dialog);
    int result = FormCancel;
    std::map<int, QListWidget*> lists;
    std::map<int, QComboBox*> drops;
    std::map<int, QPushButton*> buttons;
    QGridLayout* grid = nullptr;
    int inGrid = 0;
    for (DialogControl& c : form.controls) {
        const QString name = QString::number(c.id);
        if (c.kind != DialogControl::Kind::Button)
            grid = nullptr;
        switch (c.kind) {
        case DialogControl::Kind::Text:
            layout->addWidget(new QLabel(qs(c.label), &dialog));
            break;
        case DialogControl::Kind::Field: {
            auto* row = new QHBoxLayout;
            row->addWidget(new QLabel(qs(c.label), &dialog));
            auto* field = new QLineEdit(qs(c.text), &dialog);
            field->setObjectName(name);
            field->setReadOnly(true);
            row->addWidget(field, 1);
            layout->addLayout(row);
            break;
        }
        case DialogControl::Kind::List: {
            layout->addWidget(new QLabel(qs(c.label), &dialog));
            auto* list = new QListWidget(&dialog);
            list->setObjectName(name);
            for (const std::string& i : c.items)
                list->addItem(qs(i));
            if (c.selected >= 0 && c.selected < list->count())
                list->setCurrentRow(c.selected);
            if (form.listChoiceEnds)
                QObject::connect(list, &QListWidget::itemClicked, &dialog, [&dialog, &result, id = c.id] {
                    result = id;
                    dialog.accept();
                });
            layout->addWidget(list, 1);
            lists[c.id] = list;
            break;
        }
        case DialogControl::Kind::DropDown: {
            auto* row = new QHBoxLayout;
            row->addWidget(new QLabel(qs(c.label), &dialog));
            auto* drop = new QComboBox(&dialog);
            drop->setObjectName(name);
            for (const std::string& i : c.items)
                drop->addItem(qs(i));
            drop->setCurrentIndex(c.selected);
            row->addWidget(drop, 1);
            layout->addLayout(row);
            drops[c.id] = drop;
            break;
        }
        case DialogControl::Kind::Button: {
            // Runs of buttons stand two to a row, as on the narrow screen.
            if (!grid) {
                grid = new QGridLayout;
                layout->addLayout(grid);
                inGrid = 0;
            }
            auto* b = new QPushButton(qs(c.label), &dialog);
            b->setObjectName(name);
            b->setAutoDefault(false);
            QObject::connect(b, &QPushButton::clicked, &dialog, [&dialog, &result, id = c.id] {
                result = id;
                dialog.accept();
            });
            grid->addWidget(b, inGrid / 2, inGrid % 2);
            ++inGrid;
            buttons[c.id] = b;
            break;
        }
        }
    }
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(&box, &QDialogButtonBox::accepted, &dialog, [&dialog, &result] {
        result = FormOk;
        dialog.accept();
    });
    QObject::connect(&box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(&box);
    if (!form.helpAnchor.empty()) {
        auto* help = new QShortcut(QKeySequence::HelpContents, &dialog);
        QObject::connect(help, &QShortcut::activated, &dialog, [this, anchor = form.helpAnchor] { show(anchor); });
    }
    if (haveAnswer)
        QTimer::singleShot(0, &dialog, [&] {
            for (const auto& [id, text] : queued.choices) {
                const auto entry = [&](auto* w) {
                    for (int i = 0; i < w->count(); ++i)
                        if (w->itemText(i) == qs(text))
                            return i;
                    return -1;
                };
                int at = -1;
                if (auto l = lists.find(id); l != lists.end()) {
                    for (int i = 0; i < l->second->count() && at < 0; ++i)
                        if (l->second->item(i)->text() == qs(text))
                            at = i;
                    if (at >= 0)
                        l->second->setCurrentRow(at);
                } else if (auto d = drops.find(id); d != drops.end()) {
                    at = entry(d->second);
                    if (at >= 0)
                        d->second->setCurrentIndex(at);
                }
                if (at < 0)
                    std::fprintf(stderr, "quillmarsh: %s: no entry \"%s\" in control %d\n", form.title.c_str(),
                                 text.c_str(), id);
            }
            switch (queued.kind) {
            case DialogAnswer::Kind::Button:
                if (queued.button == Answer::Ok || queued.button == Answer::Yes)
                    box.button(QDialogButtonBox::Ok)->click();
                else
                    dialog.reject();
                return;
            case DialogAnswer::Kind::Control:
                if (auto b = buttons.find(queued.control); b != buttons.end()) {
                    b->second->click();
                } else if (auto l = lists.find(queued.control);
                           form.listChoiceEnds && l != lists.end() && l->second->currentItem()) {
                    emit l->second->itemClicked(l->second->currentItem());
                } else {
                    dialog.reject();
                }
                return;
            case DialogAnswer::Kind::Item:
                if (form.listChoiceEnds)
                    for (auto& [id, list] : lists)
                        for (int i = 0; i < list->count(); ++i)
                            if (list->item(i)->text() == qs(queued.item)) {
                                list->setCurrentRow(i);
                                emit list->itemClicked(list->item(i));
                                return;
                            }
                dialog.reject();
                return;
            case DialogAnswer::Kind::Tap:
                dialog.reject();
                return;
            }
        });
    dialog.exec();
    // The list's current row may only be where the focus went: what counts
    // is the entry selected.
    for (auto& [id, list] : lists) {
        const QList<QListWidgetItem*> chosen = list->selectedItems();
        form.control(id)->selected = chosen.isEmpty() ? -1 : list->row(chosen.front());
    }
    for (auto& [id, drop] : drops)
        form.control(id)->selected = drop->currentIndex();
    return result;
}

bool CQtDialogs::canvasDialog(const CanvasDialog& info, ICanvasDialogContent& content)
{
    if (m_answers.empty() && m_unattended) {
        std::fprintf(stderr, "quillmarsh: %s (closed unanswered)\n", info.title.c_str());
        return false;
    }
    QDialog dialog(m_parent);
    dialog.setObjectName(qs(info.name));
    dialog.setWindowTitle(qs(info.title));
    bool ended = false;
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new CCanvasDialogView(dialog, content, info.clientSize, m_scale, ended);
    layout->addWidget(view);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(&box, &QDialogButtonBox::accepted, &dialog, &QDialog::reject);
    QObject::connect(&box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(&box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (!info.helpAnchor.empty()) {
        auto* help = new QShortcut(QKeySequence::HelpContents, &dialog);
        QObject::connect(help, &QShortcut::activated, &dialog, [this, anchor = info.helpAnchor] { show(anchor); });
    }
    // Placed on the handheld screen, whose top-left corner is the main window's.
    const QPoint origin = m_parent ? m_parent->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0);
    dialog.move(origin + QPoint(info.position.x * m_scale, info.position.y * m_scale));
    // Queued answers are given one after another until one ends the dialog.
    std::function<void()> next = [&] {
        if (ended || !dialog.isVisible())
            return;
        DialogAnswer a;
        if (!takeAnswer(a)) {
            if (m_unattended) {
                std::fprintf(stderr, "quillmarsh: %s (closed without a choice)\n", info.title.c_str());
                dialog.reject();
            }
            return;
        }
        Point p;
        if (a.kind == DialogAnswer::Kind::Tap)
            view->penUpAt(a.at);
        else if (a.kind == DialogAnswer::Kind::Item && content.itemPoint(a.item, p))
            view->penUpAt(p);
        else {
            dialog.reject();
            return;
        }
        QTimer::singleShot(0, &dialog, next);
    };
    QTimer::singleShot(0, &dialog, next);
    dialog.exec();
    return ended;
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
