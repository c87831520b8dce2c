#pragma once
// The real main window: the handheld screen as a Qt widget, its client area
// drawn through a CQtCanvas and shown scaled by a whole factor, with the
// menu bar of three menus and eight buttons along the bottom.

#include "platform/Window.h"
#include "platform/qt/QtCanvas.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>

class QMenu;
class QTimer;
class QToolButton;
class QAction;
class QAbstractButton;

namespace qm {

class CClientView;
class COwnerDrawButton;

class CQtMainWindow final : public QWidget, public IWindowHost {
    Q_OBJECT
public:
    // `menus` and `buttons` build the menu bar; `barIcons` is the strip of
    // button images (eight cells of barIconSize), or null for text labels.
    CQtMainWindow(Size screen, int scale, int menuBarHeight, const std::vector<Menu>& menus,
                  const std::vector<BarButton>& buttons, const CBitmap* barIcons, int barIconSize);
    ~CQtMainWindow() override;

    void setHandler(IWindowHandler* handler) { m_handler = handler; }
    IWindowHandler* handler() const { return m_handler; }
    int scale() const { return m_scale; }
    // Changes the handheld screen (turning the device) through the size handler.
    void setScreenSize(Size screen);
    // The whole handheld screen at its own size (client area and menu bar).
    QImage grabScreen();
    // The client area's pixels.
    const CQtCanvas& canvas() const { return *m_canvas; }
    // Opens the menu-bar menu at index as a user would (tests and scripts).
    QMenu* barMenu(int index) const;
    QToolButton* barButton(int command) const;
    // The last popup menu shown, as the program gave it, and its menu while
    // it is open (null otherwise).
    const Menu& lastPopup() const { return m_lastPopup; }
    QMenu* openPopup() const;
    void closePopup();
    // A tool button's widget, or null.
    QAbstractButton* toolButton(int id) const;

    // IWindowHost
    Size screenSize() const override { return m_screen; }
    Size clientSize() const override { return {m_screen.width, m_screen.height - m_bar}; }
    int menuBarHeight() const override { return m_bar; }
    void invalidate(const Rect& r, bool erase) override;
    void invalidateAll(bool erase) override;
    void update() override;
    void drawNow(const std::function<void(CCanvas&)>& draw) override;
    void setTimer(int id, int periodMs) override;
    void killTimer(int id) override;
    bool timerRunning(int id) const override;
    void setTitle(std::string_view title) override;
    std::string title() const override;
    void setMenuChecked(int command, bool checked) override;
    bool menuChecked(int command) const override;
    void setButtonState(int command, ButtonState state) override;
    ButtonState buttonState(int command) const override;
    void showPopupMenu(const Menu& menu, Point at) override;
    void createToolButton(int id, const Rect& r, std::string_view toolTip) override;
    void destroyToolButtons() override;
    void invalidateToolButton(int id) override;
    std::vector<int> toolButtons() const override;
    void bringToFront() override;
    void close() override;

    // Paints the invalid part of the client area into the canvas (called by
    // the client view before it shows the canvas).
    void paintPending();

signals:
    // The window has closed for good (the program's own close).
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CClientView;
    void layoutChildren();

    Size m_screen;
    int m_scale;
    int m_bar;
    IWindowHandler* m_handler = nullptr;
    std::unique_ptr<CQtCanvas> m_canvas;
    CClientView* m_client = nullptr;
    QWidget* m_barWidget = nullptr;
    std::vector<QMenu*> m_menus;
    std::map<int, QAction*> m_menuActions;
    std::map<int, QToolButton*> m_buttons;
    std::map<int, ButtonState> m_buttonStates;
    std::map<int, QTimer*> m_timers;
    std::map<int, COwnerDrawButton*> m_toolButtons;
    Menu m_lastPopup;
    QPointer<QMenu> m_popup;
    Rect m_invalid;
    bool m_erase = false;
    bool m_closing = false;
};

} // namespace qm
