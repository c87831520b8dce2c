#include "platform/qt/QtMainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

namespace qm {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A button image from one cell of the strip, the key colour made transparent.
QIcon iconFromStrip(const CBitmap& strip, int index, int size, int scale)
{
    QImage cell(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Rgb p = strip.pixel(index * size + x, y);
            cell.setPixel(x, y, sameRgb(p, TransparentKey) || p == 0 ? 0u : p);
        }
    return QIcon(QPixmap::fromImage(cell.scaled(size * scale, size * scale, Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation)));
}

// Press-and-hold: the pen stays within this many screen pixels for this long.
constexpr int HoldMs = 500;
constexpr int HoldSlop = 4;

} // namespace

// The client area: shows the canvas scaled and turns mouse input into
// client pixels.
class CClientView final : public QWidget {
public:
    explicit CClientView(CQtMainWindow* owner) : QWidget(owner), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_hold.setSingleShot(true);
        m_hold.setInterval(HoldMs);
        connect(&m_hold, &QTimer::timeout, this, [this] {
            if (!m_down || !m_owner->m_handler)
                return;
            m_held = true;
            m_owner->m_handler->onHold(m_downPoint);
        });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        m_owner->paintPending();
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QImage& img = m_owner->m_canvas->imageRef();
        p.drawImage(QRect(0, 0, img.width() * m_owner->m_scale, img.height() * m_owner->m_scale), img);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        IWindowHandler* h = m_owner->m_handler;
        if (!h)
            return;
        const Point pt = toClient(e);
        if (e->button() == Qt::RightButton) {
            h->onHold(pt);
            return;
        }
        if (e->button() != Qt::LeftButton)
            return;
        m_down = true;
        m_held = false;
        m_downPoint = pt;
        m_downScreen = e->position().toPoint();
        m_hold.start();
        h->onPointerDown(pt);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!m_down || m_held || !m_owner->m_handler)
            return;
        if ((e->position().toPoint() - m_downScreen).manhattanLength() > HoldSlop * m_owner->m_scale)
            m_hold.stop();
        m_owner->m_handler->onPointerMove(toClient(e));
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || !m_down)
            return;
        m_down = false;
        m_hold.stop();
        // After a hold the gesture is over: its release is not a tap.
        if (!m_held && m_owner->m_handler)
            m_owner->m_handler->onPointerUp(toClient(e));
        m_held = false;
    }

private:
    Point toClient(QMouseEvent* e) const
    {
        const QPoint q = e->position().toPoint();
        return {q.x() / m_owner->m_scale, q.y() / m_owner->m_scale};
    }

    CQtMainWindow* m_owner;
    QTimer m_hold;
    bool m_down = false;
    bool m_held = false;
    Point m_downPoint;
    QPoint m_downScreen;
};

// An owner-drawn child button of the client area.
class COwnerDrawButton final : public QAbstractButton {
public:
    COwnerDrawButton(CQtMainWindow* owner, QWidget* parent, int id) : QAbstractButton(parent), m_owner(owner), m_id(id)
    {
        connect(this, &QAbstractButton::clicked, this, [this] {
            if (m_owner->handler())
                m_owner->handler()->onCommand(m_id);
        });
    }
    Rect rect;

protected:
    void paintEvent(QPaintEvent*) override
    {
        CQtCanvas canvas(rect.width(), rect.height());
        if (m_owner->handler())
            m_owner->handler()->onDrawItem(m_id, canvas, isDown());
        QPainter p(this);
        p.drawImage(QRect(0, 0, width(), height()), canvas.imageRef());
    }

private:
    CQtMainWindow* m_owner;
    int m_id;
};

CQtMainWindow::CQtMainWindow(Size screen, int scale, int menuBarHeight, const std::vector<Menu>& menus,
                             const std::vector<BarButton>& buttons, const CBitmap* barIcons, int barIconSize)
    : m_screen(screen), m_scale(std::max(1, scale)), m_bar(menuBarHeight)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    m_canvas = std::make_unique<CQtCanvas>(clientSize().width, clientSize().height);
    m_client = new CClientView(this);
    m_client->setFocusPolicy(Qt::NoFocus);

    m_barWidget = new QWidget(this);
    m_barWidget->setAutoFillBackground(true);
    QPalette barPal = m_barWidget->palette();
    barPal.setColor(QPalette::Window, QColor(214, 214, 214));
    m_barWidget->setPalette(barPal);
    // Tight buttons: the handheld bar holds three menus and eight buttons in 240 pixels.
    m_barWidget->setStyleSheet(QStringLiteral(
        "QToolButton { padding: 1px; margin: 0px; border: 1px solid transparent; }"
        "QToolButton:hover { border: 1px solid #888; }"
        "QToolButton:checked, QToolButton:pressed { background: #b0b0b0; border: 1px solid #666; }"
        "QToolButton:disabled { color: #999; }"
        "QToolButton::menu-indicator { image: none; width: 0px; }"));
    auto* row = new QHBoxLayout(m_barWidget);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    QFont barFont = font();
    barFont.setPixelSize(std::max(8, m_bar * 11 / 26 * m_scale));
    for (const Menu& m : menus) {
        auto* b = new QToolButton(m_barWidget);
        b->setText(qs(m.title));
        b->setToolTip(qs(m.toolTip));
        b->setFont(barFont);
        b->setPopupMode(QToolButton::InstantPopup);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        auto* menu = new QMenu(b);
        menu->setToolTipsVisible(true);
        for (const MenuItem& item : m.items) {
            if (item.isSeparator()) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(qs(item.text));
            const int id = item.id;
            m_menuActions[id] = a;
            connect(a, &QAction::triggered, this, [this, id] {
                if (m_handler)
                    m_handler->onCommand(id);
            });
        }
        b->setMenu(menu);
        m_menus.push_back(menu);
        row->addWidget(b);
    }
    row->addStretch(1);
    for (const BarButton& bb : buttons) {
        auto* b = new QToolButton(m_barWidget);
        b->setToolTip(qs(bb.toolTip));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCheckable(bb.checkable);
        if (barIcons && !barIcons->isNull()) {
            b->setIcon(iconFromStrip(*barIcons, bb.imageIndex, barIconSize, m_scale));
            b->setIconSize(QSize(barIconSize * m_scale, barIconSize * m_scale));
            b->setFixedWidth((barIconSize + 4) * m_scale);
        } else {
            b->setText(QString::number(bb.imageIndex + 1));
            b->setFont(barFont);
        }
        const int id = bb.command;
        connect(b, &QToolButton::clicked, this, [this, id] {
            // The program owns the check state; a click only sends the command.
            auto it = m_buttons.find(id);
            if (it != m_buttons.end())
                it->second->setChecked(m_buttonStates[id].checked);
            if (m_handler)
                m_handler->onCommand(id);
        });
        m_buttons[id] = b;
        m_buttonStates[id] = {};
        row->addWidget(b);
    }
    setWindowTitle(QStringLiteral("Quillmarsh"));
    setMinimumSize(100, 100);
    resize(m_screen.width * m_scale, m_screen.height * m_scale);
    layoutChildren();
}

CQtMainWindow::~CQtMainWindow() = default;

void CQtMainWindow::layoutChildren()
{
    const Size c = clientSize();
    m_client->setGeometry(0, 0, c.width * m_scale, c.height * m_scale);
    m_barWidget->setGeometry(0, c.height * m_scale, m_screen.width * m_scale, m_bar * m_scale);
    for (auto& [id, b] : m_toolButtons)
        b->setGeometry(b->rect.left * m_scale, b->rect.top * m_scale, b->rect.width() * m_scale,
                       b->rect.height() * m_scale);
}

void CQtMainWindow::setScreenSize(Size screen)
{
    if (screen == m_screen)
        return;
    m_screen = screen;
    m_canvas->resize(clientSize().width, clientSize().height);
    if (size() != QSize(screen.width * m_scale, screen.height * m_scale))
        resize(screen.width * m_scale, screen.height * m_scale);
    layoutChildren();
    if (m_handler)
        m_handler->onSize(clientSize());
    invalidateAll(true);
}

void CQtMainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A size set by the desktop turns the device to the matching screen.
    const Size logical{width() / m_scale, height() / m_scale};
    if (logical != m_screen && logical.height > m_bar)
        setScreenSize(logical);
    else
        layoutChildren();
}

void CQtMainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_handler)
        m_handler->onActivate(isActiveWindow());
}

void CQtMainWindow::paintPending()
{
    const Rect dirty = m_invalid.intersected(m_canvas->bounds());
    m_invalid = {};
    if (dirty.isEmpty() || !m_handler)
        return;
    if (m_erase)
        m_canvas->fillRect(dirty, RgbWhite);
    m_erase = false;
    m_canvas->setClip(dirty);
    m_handler->onPaint(*m_canvas, dirty);
    m_canvas->resetClip();
}

QImage CQtMainWindow::grabScreen()
{
    paintPending();
    QImage out(m_screen.width, m_screen.height, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, m_canvas->imageRef());
    for (auto& [id, b] : m_toolButtons) {
        CQtCanvas c(b->rect.width(), b->rect.height());
        if (m_handler)
            m_handler->onDrawItem(id, c, b->isDown());
        p.drawImage(b->rect.left, b->rect.top, c.imageRef());
    }
    const QImage bar = m_barWidget->grab().toImage();
    p.drawImage(QRect(0, clientSize().height, m_screen.width, m_bar), bar);
    return out;
}

QMenu* CQtMainWindow::barMenu(int index) const
{
    return index >= 0 && index < static_cast<int>(m_menus.size()) ? m_menus[static_cast<std::size_t>(index)] : nullptr;
}

QToolButton* CQtMainWindow::barButton(int command) const
{
    auto it = m_buttons.find(command);
    return it == m_buttons.end() ? nullptr : it->second;
}

void CQtMainWindow::invalidate(const Rect& r, bool erase)
{
    const Rect clipped = r.intersected(m_canvas->bounds());
    if (clipped.isEmpty())
        return;
    m_invalid = m_invalid.united(clipped);
    m_erase = m_erase || erase;
    m_client->update(clipped.left * m_scale, clipped.top * m_scale, clipped.width() * m_scale,
                     clipped.height() * m_scale);
}

void CQtMainWindow::invalidateAll(bool erase) { invalidate(m_canvas->bounds(), erase); }

void CQtMainWindow::update()
{
    paintPending();
    m_client->repaint();
}

void CQtMainWindow::drawNow(const std::function<void(CCanvas&)>& draw)
{
    m_canvas->resetClip();
    draw(*m_canvas);
    m_client->repaint();
}

void CQtMainWindow::setTimer(int id, int periodMs)
{
    QTimer*& t = m_timers[id];
    if (!t) {
        t = new QTimer(this);
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, [this, id] {
            if (m_handler)
                m_handler->onTimer(id);
        });
    }
    t->start(std::max(1, periodMs));
}

void CQtMainWindow::killTimer(int id)
{
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

bool CQtMainWindow::timerRunning(int id) const
{
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

void CQtMainWindow::setTitle(std::string_view title) { setWindowTitle(qs(title)); }

std::string CQtMainWindow::title() const { return windowTitle().toStdString(); }

void CQtMainWindow::setMenuChecked(int command, bool checked)
{
    auto it = m_menuActions.find(command);
    if (it == m_menuActions.end())
        return;
    it->second->setCheckable(true);
    it->second->setChecked(checked);
}

bool CQtMainWindow::menuChecked(int command) const
{
    auto it = m_menuActions.find(command);
    return it != m_menuActions.end() && it->second->isChecked();
}

void CQtMainWindow::setButtonState(int command, ButtonState state)
{
    auto it = m_buttons.find(command);
    if (it == m_buttons.end())
        return;
    m_buttonStates[command] = state;
    if (it->second->isCheckable())
        it->second->setChecked(state.checked);
    it->second->setEnabled(state.enabled);
}

ButtonState CQtMainWindow::buttonState(int command) const
{
    auto it = m_buttonStates.find(command);
    return it == m_buttonStates.end() ? ButtonState{} : it->second;
}

void CQtMainWindow::showPopupMenu(const Menu& menu, Point at)
{
    // Not modal: the menu stays open until an item is chosen or the pen
    // goes elsewhere, and the program goes on meanwhile.
    closePopup();
    auto* popup = new QMenu(this);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuItem& item : menu.items) {
        if (item.isSeparator()) {
            popup->addSeparator();
            continue;
        }
        QAction* a = popup->addAction(qs(item.text));
        a->setData(item.id);
        if (item.checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
    connect(popup, &QMenu::triggered, this, [this](QAction* a) {
        if (m_handler)
            m_handler->onCommand(a->data().toInt());
    });
    m_lastPopup = menu;
    m_popup = popup;
    popup->popup(m_client->mapToGlobal(QPoint(at.x * m_scale, at.y * m_scale)));
}

void CQtMainWindow::closePopup()
{
    if (m_popup)
        m_popup->close();
}

QMenu* CQtMainWindow::openPopup() const { return m_popup && m_popup->isVisible() ? m_popup.data() : nullptr; }

QAbstractButton* CQtMainWindow::toolButton(int id) const
{
    auto it = m_toolButtons.find(id);
    return it == m_toolButtons.end() ? nullptr : it->second;
}

void CQtMainWindow::createToolButton(int id, const Rect& r, std::string_view windowText)
{
    auto it = m_toolButtons.find(id);
    if (it != m_toolButtons.end())
        delete it->second;
    auto* b = new COwnerDrawButton(this, m_client, id);
    b->rect = r;
    // The label is kept as the button's text (read by accessibility tools);
    // the program draws the button, so it never shows.
    const ToolButtonText text = splitToolButtonText(windowText);
    b->setText(qs(text.label));
    b->setToolTip(qs(text.toolTip));
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(r.left * m_scale, r.top * m_scale, r.width() * m_scale, r.height() * m_scale);
    b->show();
    m_toolButtons[id] = b;
}

void CQtMainWindow::destroyToolButtons()
{
    for (auto& [id, b] : m_toolButtons)
        delete b;
    m_toolButtons.clear();
}

void CQtMainWindow::invalidateToolButton(int id)
{
    auto it = m_toolButtons.find(id);
    if (it != m_toolButtons.end())
        it->second->update();
}

std::vector<int> CQtMainWindow::toolButtons() const
{
    std::vector<int> ids;
    for (const auto& [id, b] : m_toolButtons)
        ids.push_back(id);
    return ids;
}

void CQtMainWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void CQtMainWindow::close()
{
    m_closing = true;
    for (auto& [id, t] : m_timers)
        t->stop();
    QWidget::close();
}

void CQtMainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        emit closed();
        return;
    }
    // The desktop's close button: the program exits in its own order.
    event->ignore();
    if (m_handler)
        m_handler->onCloseRequest();
}

void CQtMainWindow::keyPressEvent(QKeyEvent* event)
{
    Key k;
    bool known = true;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left: k = {Key::Left}; break;
    case Qt::Key_Right: k = {Key::Right}; break;
    case Qt::Key_Up: k = {Key::Up}; break;
    case Qt::Key_Down: k = {Key::Down}; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: k = {Key::Enter}; break;
    default:
        if (ctrl && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
            k = {Key::Letter, static_cast<char>('A' + (event->key() - Qt::Key_A)), true};
        else
            known = false;
    }
    if (known && !ctrl && k.code == Key::Letter)
        known = false;
    if (known && k.code != Key::Letter)
        k.ctrl = ctrl;
    if (known && m_handler && m_handler->onKey(k))
        return;
    QWidget::keyPressEvent(event);
}

} // namespace qm
