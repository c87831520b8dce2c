#include "app/shell/CommandLine.h"
#include "app/shell/ScreenLayouts.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

namespace {

TEST(CommandLine, ParsesOptionsAndOneDocument)
{
    const struct {
        std::vector<std::string> args;
        bool ok;
        std::optional<Size> screen;
        std::string script, screenshot, document;
    } cases[] = {
        {{}, true, std::nullopt, "", "", ""},
        {{"--screen", "320x240"}, true, Size{320, 240}, "", "", ""},
        {{"--script", "a.txt", "--screen", "480x640"}, true, Size{480, 640}, "a.txt", "", ""},
        {{"--screenshot", "s.png", "games.pgn"}, true, std::nullopt, "", "s.png", "games.pgn"},
        {{"\"/tmp/my book.obk\""}, true, std::nullopt, "", "", "\"/tmp/my book.obk\""},
        {{"--screen"}, false, std::nullopt, "", "", ""},
        {{"--screen", "320"}, false, std::nullopt, "", "", ""},
        {{"--screen", "x240"}, false, std::nullopt, "", "", ""},
        {{"--screen", "99999x240"}, false, std::nullopt, "", "", ""},
        {{"--screen", "-240x320"}, false, std::nullopt, "", "", ""},
        {{"--script"}, false, std::nullopt, "", "", ""},
        {{"--script", ""}, false, std::nullopt, "", "", ""},
        {{"--bogus"}, false, std::nullopt, "", "", ""},
        {{"a.pgn", "b.pgn"}, false, std::nullopt, "", "", ""},
        {{"--script", "a", "--screenshot", "b"}, false, std::nullopt, "", "", ""},
    };
    for (const auto& k : cases) {
        std::string joined;
        for (const auto& a : k.args)
            joined += a + " ";
        const CCommandLine line = CCommandLine::parse(k.args);
        EXPECT_EQ(line.error.empty(), k.ok) << joined << ": " << line.error;
        if (!k.ok)
            continue;
        EXPECT_EQ(line.screen, k.screen) << joined;
        EXPECT_EQ(line.scriptFile, k.script) << joined;
        EXPECT_EQ(line.screenshotFile, k.screenshot) << joined;
        EXPECT_EQ(line.document, k.document) << joined;
    }
    EXPECT_TRUE(CCommandLine::parse({"--help"}).help);
}

TEST(CommandLine, ClassifiesDocuments)
{
    const std::string cwd = std::filesystem::current_path().string();
    const struct {
        std::string argument;
        DocumentKind kind;
        std::string path;
    } cases[] = {
        {"\"/books/main.obk\"", DocumentKind::Book, "/books/main.obk"},
        {"/books/main.obk", DocumentKind::Book, "/books/main.obk"},
        {"/books/MAIN.OBK", DocumentKind::Book, "/books/MAIN.OBK"},
        {"book.obk", DocumentKind::Book, cwd + "/book.obk"},
        {"/g/games.pgn", DocumentKind::Pgn, "/g/games.pgn"},
        // The handheld's rule took any last character after ".obk" as the
        // closing quote; here such a name is no book.
        {"/books/main.obkx", DocumentKind::Other, "/books/main.obkx"},
        {"\"\"", DocumentKind::None, ""},
        {"", DocumentKind::None, ""},
        {"\"", DocumentKind::Other, cwd + "/\""},
    };
    for (const auto& k : cases) {
        std::string path;
        EXPECT_EQ(classifyDocument(k.argument, path), k.kind) << k.argument;
        EXPECT_EQ(path, k.path) << k.argument;
    }
}

TEST(Screens, DefaultScaleAndParsing)
{
    const std::pair<Size, Size> defaults[] = {
        {{1920, 1080}, {480, 640}}, {{800, 600}, {240, 320}}, {{480, 640}, {480, 640}},
        {{479, 640}, {240, 320}},   {{200, 200}, {240, 320}},
    };
    for (const auto& [desktop, screen] : defaults)
        EXPECT_EQ(defaultScreen(desktop), screen) << desktop.width << "x" << desktop.height;
    EXPECT_EQ(scaleFactorFor({240, 320}, {1920, 1080}), 3);
    EXPECT_EQ(scaleFactorFor({480, 640}, {1920, 1080}), 1);
    EXPECT_EQ(scaleFactorFor({480, 640}, {100, 100}), 1);
    EXPECT_EQ(parseScreenSize("240x240"), (Size{240, 240}));
    for (const char* bad : {"", "x", "240x", "240X320", "240x320x1", " 240x320", "99x320", "240x4097"})
        EXPECT_FALSE(parseScreenSize(bad)) << bad;
}

} // namespace
