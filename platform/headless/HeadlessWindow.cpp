#include "platform/headless/HeadlessWindow.h"

namespace qm {

CHeadlessWindow::CHeadlessWindow(Size screen, int menuBarHeight, CManualClock& clock)
    : m_screen(screen), m_bar(menuBarHeight), m_clock(clock),
      m_canvas(screen.width, std::max(0, screen.height - menuBarHeight))
{
}

void CHeadlessWindow::tap(Point p)
{
    if (!m_handler)
        return;
    m_handler->onPointerDown(p);
    m_handler->onPointerUp(p);
    paint();
}

void CHeadlessWindow::drag(Point from, Point to)
{
    if (!m_handler)
        return;
    m_handler->onPointerDown(from);
    // Intermediate points, as a real pen sends them.
    for (int i = 1; i <= 4; ++i)
        m_handler->onPointerMove({from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4});
    m_handler->onPointerUp(to);
    paint();
}

void CHeadlessWindow::hold(Point p)
{
    if (!m_handler)
        return;
    m_handler->onHold(p);
    paint();
}

bool CHeadlessWindow::key(Key k)
{
    const bool taken = m_handler && m_handler->onKey(k);
    paint();
    return taken;
}

void CHeadlessWindow::command(int id)
{
    if (m_handler)
        m_handler->onCommand(id);
    paint();
}

void CHeadlessWindow::resizeScreen(Size screen)
{
    m_screen = screen;
    m_canvas.resize(screen.width, std::max(0, screen.height - m_bar));
    if (m_handler)
        m_handler->onSize(clientSize());
    invalidateAll(true);
    paint();
}

bool CHeadlessWindow::paint()
{
    const Rect dirty = m_invalid.intersected(m_canvas.bounds());
    m_invalid = {};
    if (dirty.isEmpty() || !m_handler || m_closed)
        return false;
    if (m_erase)
        m_canvas.fillRect(dirty, RgbWhite);
    m_erase = false;
    m_canvas.setClip(dirty);
    m_handler->onPaint(m_canvas, dirty);
    m_canvas.resetClip();
    ++m_paints;
    return true;
}

void CHeadlessWindow::advance(int ms)
{
    const std::uint64_t end = m_clock.tickMs() + static_cast<std::uint64_t>(std::max(ms, 0));
    for (;;) {
        int id = 0;
        std::uint64_t due = end + 1;
        for (const auto& [tid, t] : m_timers)
            if (t.due < due) {
                due = t.due;
                id = tid;
            }
        if (due > end)
            break;
        m_clock.advance(static_cast<int>(due - m_clock.tickMs()));
        Timer& t = m_timers[id];
        t.due = due + static_cast<std::uint64_t>(std::max(1, t.period));
        if (m_handler)
            m_handler->onTimer(id);
        paint();
        if (m_closed)
            return;
    }
    m_clock.advance(static_cast<int>(end - m_clock.tickMs()));
}

int CHeadlessWindow::timerPeriod(int id) const
{
    const auto it = m_timers.find(id);
    return it == m_timers.end() ? 0 : it->second.period;
}

void CHeadlessWindow::invalidate(const Rect& r, bool erase)
{
    const Rect clipped = r.intersected(m_canvas.bounds());
    if (clipped.isEmpty())
        return;
    m_invalid = m_invalid.united(clipped);
    m_erase = m_erase || erase;
}

void CHeadlessWindow::invalidateAll(bool erase) { invalidate(m_canvas.bounds(), erase); }

void CHeadlessWindow::drawNow(const std::function<void(CCanvas&)>& draw)
{
    m_canvas.resetClip();
    draw(m_canvas);
    ++m_directCount;
    if (m_keepDirect)
        m_directDraws.push_back(m_canvas.snapshot());
}

void CHeadlessWindow::setTimer(int id, int periodMs)
{
    m_timers[id] = {periodMs, m_clock.tickMs() + static_cast<std::uint64_t>(std::max(1, periodMs))};
}

void CHeadlessWindow::killTimer(int id) { m_timers.erase(id); }

void CHeadlessWindow::setMenuChecked(int command, bool checked)
{
    if (checked)
        m_checked.insert(command);
    else
        m_checked.erase(command);
}

ButtonState CHeadlessWindow::buttonState(int command) const
{
    const auto it = m_buttons.find(command);
    return it == m_buttons.end() ? ButtonState{} : it->second;
}

void CHeadlessWindow::createToolButton(int id, const Rect& r, std::string_view windowText)
{
    ToolButtonText t = splitToolButtonText(windowText);
    m_toolButtons[id] = {r, std::string(windowText), std::move(t.label), std::move(t.toolTip)};
}

std::vector<int> CHeadlessWindow::toolButtons() const
{
    std::vector<int> ids;
    for (const auto& [id, b] : m_toolButtons)
        ids.push_back(id);
    return ids;
}

Rect CHeadlessWindow::toolButtonRect(int id) const
{
    const auto it = m_toolButtons.find(id);
    return it == m_toolButtons.end() ? Rect{} : it->second.rect;
}

std::string CHeadlessWindow::toolButtonToolTip(int id) const
{
    const auto it = m_toolButtons.find(id);
    return it == m_toolButtons.end() ? std::string() : it->second.toolTip;
}

std::string CHeadlessWindow::toolButtonLabel(int id) const
{
    const auto it = m_toolButtons.find(id);
    return it == m_toolButtons.end() ? std::string() : it->second.label;
}

std::string CHeadlessWindow::toolButtonWindowText(int id) const
{
    const auto it = m_toolButtons.find(id);
    return it == m_toolButtons.end() ? std::string() : it->second.windowText;
}

CBitmap CHeadlessWindow::drawToolButton(int id, bool pressed)
{
    const Rect r = toolButtonRect(id);
    CMemoryCanvas c(r.width(), r.height());
    if (m_handler && !r.isEmpty())
        m_handler->onDrawItem(id, c, pressed);
    return c.snapshot();
}

} // namespace qm
