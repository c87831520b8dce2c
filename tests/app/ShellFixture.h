#pragma once
// A main frame on the headless platform, in a temporary settings folder.

#include "app/settings/RegistrySettings.h"
#include "app/shell/AppState.h"
#include "app/shell/MainFrame.h"
#include "app/shell/ShellTables.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/headless/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace qm::test {

inline std::filesystem::path freshFolder(const std::string& name)
{
    const auto dir = std::filesystem::path(QM_BINARY_DIR) / "test-homes" /
                     (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

class ShellTest : public testing::Test {
protected:
    std::filesystem::path home;
    CManualClock clock;
    CScriptedDialogs dialogs;
    CCountingKeepAlive keepAlive;
    std::unique_ptr<CAppState> app;
    std::unique_ptr<CHeadlessWindow> window;
    std::unique_ptr<CMainFrame> frame;

    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        home = freshFolder(std::string(info->test_suite_name()) + "." + info->name());
    }
    void TearDown() override
    {
        frame.reset();
        window.reset();
        app.reset();
        std::filesystem::remove_all(home);
    }

    std::unique_ptr<CSettings> settingsStore()
    {
        return std::make_unique<CRegistrySettings>(home / "config", CRegistrySettings::SettingsKey);
    }
    // Builds the state and frame; `prepare` may wire hooks before start-up.
    void makeFrame(Size screen = {240, 320})
    {
        app = std::make_unique<CAppState>(settingsStore(), screen);
        frame = std::make_unique<CMainFrame>(*app, CShellServices{dialogs, dialogs, keepAlive, clock});
        m_screen = screen;
    }
    bool start(const std::string& document = "")
    {
        CMainFrame::StartOptions o;
        o.programFolder = home / "program";
        o.programPath = home / "program" / "quillmarsh";
        o.dataFolder = home / "data";
        o.document = document;
        std::filesystem::create_directories(o.programFolder);
        return frame->startUp(
            o,
            [&]() -> IWindowHost* {
                window = std::make_unique<CHeadlessWindow>(m_screen, menuBarHeightFor(m_screen.width), clock);
                window->setHandler(frame.get());
                return window.get();
            },
            [&] { frame->onSize(window->clientSize()); });
    }

private:
    Size m_screen;
};

} // namespace qm::test
