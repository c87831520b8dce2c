#pragma once
// Keeps the screen saver off by reporting user activity to the desktop
// (`xdg-screensaver reset`); nothing happens where that tool is missing.

#include "platform/System.h"

#include <QString>

namespace qm {

class CQtKeepAlive final : public IKeepAlive {
public:
    CQtKeepAlive();
    void poke() override;
    bool available() const { return !m_tool.isEmpty(); }

private:
    QString m_tool;
};

} // namespace qm
