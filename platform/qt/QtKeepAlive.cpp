#include "platform/qt/QtKeepAlive.h"

#include <QProcess>
#include <QStandardPaths>

namespace qm {

CQtKeepAlive::CQtKeepAlive() : m_tool(QStandardPaths::findExecutable(QStringLiteral("xdg-screensaver"))) {}

void CQtKeepAlive::poke()
{
    if (!m_tool.isEmpty())
        QProcess::startDetached(m_tool, {QStringLiteral("reset")});
}

} // namespace qm
