// The help document has a section for every anchor the program opens, and
// its links inside the document lead somewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

namespace {

TEST(HelpDocument, HasEveryAnchorAndNoDeadLinks)
{
    const auto file = std::filesystem::path(QM_TEST_SOURCE_DIR) / ".." / ".." / "docs" / "help" / "Quillmarsh.htm";
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    const std::regex name(R"re(<a name="([A-Za-z_]+)" id="\1">)re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), name); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    for (const char* anchor :
         {"Main_Contents", "GameDetails", "GameMoves", "CommentMove", "NewLine", "SelectLine", "SaveGame",
          "DatabaseGamesList", "DatabaseGameInformation", "DatabaseGameMoves", "DatabaseFilter", "LevelTournament",
          "LevelBlitz", "LevelDepth", "SelectBook", "Promotion", "SetupBoard", "OptionsBoard", "OptionsPlaying",
          "OptionsEngine"})
        EXPECT_TRUE(names.count(anchor)) << anchor;
    const std::regex link(R"re(href="#([A-Za-z_]+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(names.count((*it)[1])) << "dead link #" << (*it)[1];
}

} // namespace
