#include "app/shell/FileTypes.h"
#include "ShellFixture.h"

#include <fstream>
#include <iterator>

using namespace qm;

namespace {

std::string readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileTypes : public testing::Test {
protected:
    std::filesystem::path dir = qm::test::freshFolder("file-types");
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(FileTypes, WritesDesktopEntryAndMimeTypes)
{
    ASSERT_TRUE(registerFileTypes(dir, "/opt/quill marsh/bin/quillmarsh"));
    const std::string entry = readAll(dir / "applications" / "quillmarsh.desktop");
    EXPECT_NE(entry.find("Exec=\"/opt/quill marsh/bin/quillmarsh\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("MimeType=application/x-chess-pgn;application/x-quillmarsh-openingbook;"
                         "application/x-quillmarsh-chessengine;\n"),
              std::string::npos);
    const std::string mime = readAll(dir / "mime" / "packages" / "quillmarsh.xml");
    for (const char* s : {"<glob pattern=\"*.pgn\"/>", "<glob pattern=\"*.obk\"/>", "<glob pattern=\"*.qme\"/>",
                          "Portable Game Notation file", "Quillmarsh Openingbook", "Quillmarsh Chessengine"})
        EXPECT_NE(mime.find(s), std::string::npos) << s;
}

TEST_F(FileTypes, QuotesAwkwardProgramPaths)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b", "Exec=\"/a/b\" %f"},
        {"/a b/$x", "Exec=\"/a b/\\\\$x\" %f"},
        {"/a\"b", "Exec=\"/a\\\\\"b\" %f"},
        {"/100%/q", "Exec=\"/100%%/q\" %f"},
        {"/back\\slash", "Exec=\"/back\\\\\\\\slash\" %f"},
        {"/line\nbreak", "Exec=\"/line break\" %f"},
    };
    for (const auto& [path, exec] : cases)
        EXPECT_NE(desktopEntryText(path).find(std::string(exec) + "\n"), std::string::npos)
            << path << "\n" << desktopEntryText(path);
}

TEST_F(FileTypes, RegistrationIsIdempotentAndReplacesChangedFiles)
{
    ASSERT_TRUE(registerFileTypes(dir, "/p/quillmarsh"));
    const auto entry = dir / "applications" / "quillmarsh.desktop";
    const auto firstTime = std::filesystem::last_write_time(entry);
    std::filesystem::last_write_time(entry, firstTime - std::chrono::hours(1));
    const auto aged = std::filesystem::last_write_time(entry);
    ASSERT_TRUE(registerFileTypes(dir, "/p/quillmarsh"));
    EXPECT_EQ(std::filesystem::last_write_time(entry), aged);
    ASSERT_TRUE(registerFileTypes(dir, "/moved/quillmarsh"));
    EXPECT_NE(readAll(entry).find("/moved/quillmarsh"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "applications" / "quillmarsh.desktop.tmp"));
}

TEST_F(FileTypes, FailsQuietlyWhereNothingCanBeWritten)
{
    // A file where the folder should be.
    std::ofstream(dir / "blocked") << "x";
    EXPECT_FALSE(registerFileTypes(dir / "blocked", "/p/quillmarsh"));
    EXPECT_FALSE(registerFileTypes({}, "/p/quillmarsh"));
    EXPECT_FALSE(registerFileTypes(dir, {}));
}

} // namespace
