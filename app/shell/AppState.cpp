#include "app/shell/AppState.h"

#include "app/shell/ScreenLayouts.h"
#include "board/BoardLayout.h"

namespace qm {

CAppState::CAppState(std::unique_ptr<CSettings> settings, Size screenSize)
    : screen(screenSize), m_settings(std::move(settings))
{
    position.setStartPosition();
    editPosition.setStartPosition();
    loadSettings(*m_settings, general);
    loadLevelSettings(*m_settings, level);
    layoutIndex = selectLayoutIndex(general.boardSize, 0, screen.width, screen.height);
    engineName = general.engineName;
    hashSizeAskedKb = general.hashTableSize;
}

CAppState::~CAppState()
{
    if (m_writeAtExit)
        writeSettings();
}

void CAppState::writeSettings()
{
    general.boardSize = layoutIndex;
    saveSettings(*m_settings, general);
}

} // namespace qm
