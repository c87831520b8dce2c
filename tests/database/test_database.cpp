#include "database/Database.h"

#include "game/Game.h"
#include "game/PgnReader.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace qm;

namespace {

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeBytes(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// A small game with tags that tell it apart.
std::string gameText(int i, const std::string& event = "Club ch")
{
    return "[Event \"" + event + "\"]\r\n[Site \"Here\"]\r\n[Date \"199" + std::to_string(i % 10)
           + ".01.01\"]\r\n[Round \"" + std::to_string(i + 1) + "\"]\r\n[White \"Player " + std::to_string(i)
           + "\"]\r\n[Black \"Other\"]\r\n[Result \"1-0\"]\r\n[ECO \"C20\"]\r\n\r\n1. e4 e5 2. Nf3 Nc6 1-0\r\n\r\n";
}

std::string databaseText(int games)
{
    std::string text;
    for (int i = 0; i < games; ++i)
        text += gameText(i);
    return text;
}

std::unique_ptr<CGame> parse(const std::string& text)
{
    CPgnReader reader;
    std::istringstream in(text);
    std::int64_t next = 0;
    std::unique_ptr<CGame> game;
    EXPECT_TRUE(reader.readGame(in, 0, next, game)) << text;
    if (game)
        game->setOutputOptions(DatabaseOutputOptions);
    return game;
}

// Every game of the file, as the White names in file order.
std::vector<std::string> whites(CDatabase& db)
{
    std::vector<std::string> names;
    for (const auto& e : db.entries())
        names.emplace_back(e.white());
    return names;
}

std::vector<std::string> playerNames(int games)
{
    std::vector<std::string> names;
    for (int i = 0; i < games; ++i)
        names.push_back("Player " + std::to_string(i));
    return names;
}

class Database : public ::testing::Test {
protected:
    std::string error(CDatabase& db)
    {
        std::int32_t code = 0;
        std::string text;
        db.getError(code, text);
        return std::to_string(code) + " " + text;
    }

    test::CTempDir temp{"qm-db"};
    const fs::path dir = temp.path();
    const std::string file = (dir / "games.pgn").string();
    CPgnReader reader;
};

} // namespace

TEST_F(Database, MissingFileFailsAndKeepsTheName)
{
    CDatabase db(reader);
    EXPECT_FALSE(db.open(file));
    EXPECT_EQ(error(db), "1 File not found " + file);
    EXPECT_EQ(db.fileName(), file);
    EXPECT_TRUE(db.entries().empty());
    EXPECT_EQ(db.game(0), nullptr);
    EXPECT_FALSE(db.deleteGame(0));
    EXPECT_FALSE(fs::exists(file + ".tmp"));
    // A folder is not a database either.
    EXPECT_FALSE(db.open(dir.string()));
    EXPECT_EQ(error(db), "1 File not found " + dir.string());
}

TEST_F(Database, EmptyFileHasNoGames)
{
    writeBytes(file, "");
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    EXPECT_TRUE(db.entries().empty());
    EXPECT_EQ(db.game(0), nullptr);
    EXPECT_EQ(db.nextGame(), nullptr);
    EXPECT_EQ(db.previousGame(), nullptr);
    EXPECT_FALSE(db.deleteCurrentGame());
}

TEST_F(Database, IndexRangesTileTheFile)
{
    const std::string text = "; a comment line before the games\r\n\r\n" + databaseText(5);
    writeBytes(file, text);
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    ASSERT_EQ(db.entries().size(), 5u);
    EXPECT_EQ(whites(db), playerNames(5));
    std::uint32_t expectedStart = 0;
    for (const auto& e : db.entries()) {
        EXPECT_EQ(e.start, expectedStart);
        EXPECT_EQ(e.number, std::int32_t(&e - db.entries().data()));
        if (e.number > 0) {
            EXPECT_EQ(text[e.start], '[');
        }
        expectedStart = std::uint32_t(e.end);
    }
    EXPECT_EQ(db.entries().back().end, std::int32_t(text.size()));
    const auto& e = db.entries()[3];
    EXPECT_EQ(e.black(), "Other");
    EXPECT_EQ(e.date(), "1993.01.01");
    EXPECT_EQ(e.event(), "Club ch");
    EXPECT_EQ(e.eco(), "C20");
    EXPECT_EQ(e.site(), "Here");
    EXPECT_EQ(e.result(), "1-0");
}

TEST_F(Database, ReadingAndStepping)
{
    writeBytes(file, databaseText(3));
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    auto g = db.game(1);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->white(), "Player 1");
    EXPECT_EQ(db.currentIndex(), 1u);
    EXPECT_EQ(db.game(3), nullptr);
    EXPECT_EQ(db.game(-1), nullptr);
    EXPECT_EQ(db.currentIndex(), 1u);
    EXPECT_EQ(db.nextGame()->white(), "Player 2");
    EXPECT_EQ(db.nextGame()->white(), "Player 0"); // wraps
    EXPECT_EQ(db.previousGame()->white(), "Player 2");
    EXPECT_EQ(db.previousGame()->white(), "Player 1");
    // readGameHere reads at the position left by the last read.
    EXPECT_EQ(db.readGameHere()->white(), "Player 1");
}

TEST_F(Database, GamesTheReaderCannotParseAreStillIndexed)
{
    std::string broken = "[Event \"Broken\"]\r\n[White \"Illegal\"]\r\n\r\n1. e4 e5 2. Ke3 Qh4 3. Nxz9 *\r\n\r\n";
    writeBytes(file, gameText(0) + broken + gameText(2));
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    ASSERT_EQ(db.entries().size(), 3u);
    EXPECT_EQ(db.entries()[1].white(), "Illegal");
    EXPECT_EQ(db.game(1), nullptr);
    EXPECT_EQ(error(db), "6 Error while parsing");
    ASSERT_NE(db.game(2), nullptr);
    EXPECT_EQ(db.game(2)->white(), "Player 2");
}

TEST_F(Database, ErrorCodesAndTexts)
{
    CDatabase db(reader);
    EXPECT_EQ(error(db), "0 ");
    struct Case {
        std::int32_t code;
        const char* argument;
        const char* expected;
    } cases[] = {
        {0, "", "0 "},
        {1, "a.pgn", "1 File not found a.pgn"},
        {2, "a.pgn.tmp", "2 Could not open for writing a.pgn.tmp"},
        {3, "b.pgn", "3 Could not open for appending b.pgn"},
        {4, "", "4 Error while reading"},
        {5, "", "5 Error while writing"},
        {6, "", "6 Error while parsing"},
        {7, "", "7 Seek failed"},
        {8, "", "8 Out of memory"},
        {9, "x", "9 Unknown error"},
        {12, "x", "12 Unknown error"},
        {-3, "x", "-3 Unknown error"},
        {1, "100% %s", "1 File not found 100% %s"},
    };
    for (const auto& c : cases) {
        db.setError(c.code, c.argument);
        EXPECT_EQ(error(db), c.expected);
    }
    EXPECT_EQ(db.toString(), "CDatabase::toString() not yet implemented");
    std::ostringstream out;
    db.toFile(out);
    EXPECT_EQ(out.str(), "CDatabase::toFile() not yet implemented");
}

TEST_F(Database, DeleteKeepsEveryOtherByte)
{
    const std::string text = databaseText(4);
    struct Case {
        int game;
        std::vector<std::string> left;
        std::uint32_t current;
    } cases[] = {
        {0, {"Player 1", "Player 2", "Player 3"}, 0},
        {2, {"Player 0", "Player 1", "Player 3"}, 2},
        {3, {"Player 0", "Player 1", "Player 2"}, 3}, // past the end: the new count
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.game);
        writeBytes(file, text);
        CDatabase db(reader);
        ASSERT_TRUE(db.open(file));
        const auto range = db.entries()[std::size_t(c.game)];
        ASSERT_NE(db.game(c.game), nullptr);
        ASSERT_TRUE(db.deleteCurrentGame()) << error(db);
        EXPECT_EQ(readBytes(file), text.substr(0, range.start) + text.substr(std::size_t(range.end)));
        EXPECT_EQ(whites(db), c.left);
        EXPECT_EQ(db.currentIndex(), c.current);
        EXPECT_FALSE(fs::exists(file + ".tmp"));
        EXPECT_FALSE(fs::exists(file + ".bak"));
    }
}

TEST_F(Database, ReplaceKeepsTheNumber)
{
    const std::string text = databaseText(3);
    writeBytes(file, text);
    writeBytes(file + ".bak", "left over from an earlier run");
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    const auto range = db.entries()[1];
    auto replacement = parse(gameText(7, "Replaced"));
    ASSERT_TRUE(db.replaceGame(1, *replacement)) << error(db);
    EXPECT_EQ(readBytes(file), text.substr(0, range.start) + replacement->toText() + text.substr(std::size_t(range.end)));
    ASSERT_EQ(db.entries().size(), 3u);
    EXPECT_EQ(db.entries()[1].white(), "Player 7");
    EXPECT_EQ(db.entries()[1].event(), "Replaced");
    EXPECT_EQ(db.entries()[1].number, 1);
    EXPECT_FALSE(fs::exists(file + ".bak"));
    // The current game names the replaced one after replaceCurrentGame.
    ASSERT_NE(db.game(2), nullptr);
    auto again = parse(gameText(8));
    ASSERT_TRUE(db.replaceCurrentGame(*again));
    EXPECT_EQ(db.currentIndex(), 2u);
    EXPECT_EQ(db.game(2)->white(), "Player 8");
}

TEST_F(Database, RealFailuresLeaveTheFileAsItWas)
{
    const std::string text = databaseText(3);
    writeBytes(file, text);
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    db.setError(0, "");

    // The temporary file cannot be created.
    fs::create_directory(file + ".tmp");
    EXPECT_FALSE(db.deleteGame(1));
    EXPECT_EQ(error(db), "2 Could not open for writing " + file + ".tmp");
    EXPECT_EQ(readBytes(file), text);
    EXPECT_EQ(whites(db), playerNames(3));
    fs::remove(file + ".tmp");

    // The database file cannot take its backup name: no error of its own,
    // the file is indexed again and the temporary file stays.
    db.setError(0, "");
    fs::create_directories(file + ".bak/keep");
    EXPECT_FALSE(db.deleteGame(1));
    EXPECT_EQ(error(db), "0 ");
    EXPECT_EQ(readBytes(file), text);
    EXPECT_EQ(whites(db), playerNames(3));
    EXPECT_TRUE(db.isOpen());
    EXPECT_TRUE(fs::exists(file + ".tmp"));
    // The next rewrite empties and reuses it.
    fs::remove_all(file + ".bak");
    EXPECT_TRUE(db.deleteGame(1));
    EXPECT_EQ(whites(db), (std::vector<std::string>{"Player 0", "Player 2"}));
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}

namespace {

class FailingDatabase : public CDatabase {
public:
    FailingDatabase(CPgnReader& reader, RewriteStep step) : CDatabase(reader), m_step(step) {}
    bool reached = false;

protected:
    bool injectFailure(RewriteStep step) override
    {
        if (step != m_step)
            return false;
        reached = true;
        return true;
    }

private:
    RewriteStep m_step;
};

} // namespace

TEST_F(Database, InjectedFailureAtEveryStepLosesNothing)
{
    using Step = CDatabase::RewriteStep;
    const std::string text = databaseText(4);
    struct Case {
        const char* what;
        Step step;
        const char* error; // what getError reports afterwards
        bool tempStays;
    } cases[] = {
        {"create temporary", Step::CreateTemporary, "2 Could not open for writing ", false},
        {"copy before", Step::CopyBefore, "4 Error while reading", false},
        {"write game", Step::WriteGame, "5 Error while writing", false},
        {"copy after", Step::CopyAfter, "4 Error while reading", false},
        {"sync temporary", Step::SyncTemporary, "5 Error while writing", false},
        {"rename to backup", Step::RenameToBackup, "0 ", true},
        {"rename to database", Step::RenameToDatabase, "0 ", true},
    };
    for (bool replace : {false, true}) {
        for (const auto& c : cases) {
            if (c.step == Step::WriteGame && !replace)
                continue; // a delete writes no game
            SCOPED_TRACE(std::string(c.what) + (replace ? " (replace)" : " (delete)"));
            writeBytes(file, text);
            fs::remove(file + ".tmp");
            FailingDatabase db(reader, c.step);
            ASSERT_TRUE(db.open(file));
            auto replacement = parse(gameText(9));
            ASSERT_NE(db.game(2), nullptr);
            EXPECT_FALSE(replace ? db.replaceCurrentGame(*replacement) : db.deleteCurrentGame());
            EXPECT_TRUE(db.reached);
            std::string expected = c.error;
            if (c.step == Step::CreateTemporary)
                expected += file + ".tmp";
            EXPECT_EQ(error(db), expected);
            EXPECT_EQ(readBytes(file), text);
            EXPECT_EQ(whites(db), playerNames(4));
            EXPECT_EQ(db.currentIndex(), 2u);
            EXPECT_EQ(db.readGameHere()->white(), "Player 2");
            EXPECT_FALSE(fs::exists(file + ".bak"));
            EXPECT_EQ(fs::exists(file + ".tmp"), c.tempStays);
        }
    }
}

TEST_F(Database, OpenRestoresTheBackupLeftBetweenTheRenames)
{
    const std::string text = databaseText(3);
    writeBytes(file + ".bak", text);
    writeBytes(file + ".tmp", databaseText(2)); // half-way state: never used
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    EXPECT_EQ(whites(db), playerNames(3));
    EXPECT_EQ(readBytes(file), text);
    EXPECT_FALSE(fs::exists(file + ".bak"));
}

TEST_F(Database, KilledInTheMiddleOfRewritesLosesNoGame)
{
    constexpr int Games = 6;
    writeBytes(file, databaseText(Games));
    bool rewritten = false; // some round got far enough to change the file
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Rewrites without end: each game in turn is replaced by a version
            // with the same White and another event, or deleted and appended.
            CPgnReader childReader;
            CDatabase db(childReader);
            for (int k = 0;; ++k) {
                if (!db.open(file))
                    ::_exit(3);
                int n = k % Games;
                auto g = parse(gameText(n, "Version " + std::to_string(k)));
                std::size_t i = 0;
                while (i < db.entries().size() && db.entries()[i].white() != "Player " + std::to_string(n))
                    ++i;
                if (k % 3 == 0) {
                    if (!db.appendGame(file, *g) || !db.open(file))
                        ::_exit(4);
                    if (!db.deleteGame(std::int64_t(i)))
                        ::_exit(5);
                } else if (!db.replaceGame(std::int64_t(i), *g)) {
                    ::_exit(6);
                }
            }
        }
        ::usleep(useconds_t(2000 + round * 3100));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child ended with " << WEXITSTATUS(status);
        CDatabase db(reader);
        ASSERT_TRUE(db.open(file));
        std::vector<std::string> names = whites(db);
        // An append that was cut off before its delete leaves one game twice;
        // none may be missing.
        for (const auto& name : playerNames(Games))
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        for (std::size_t i = 0; i < db.entries().size(); ++i)
            EXPECT_NE(db.game(std::int64_t(i)), nullptr) << i;
        rewritten = rewritten || readBytes(file) != databaseText(Games);
        // Start the next round from a clean file.
        writeBytes(file, databaseText(Games));
        fs::remove(file + ".tmp");
        fs::remove(file + ".bak");
    }
    EXPECT_TRUE(rewritten);
}

TEST_F(Database, FileThatVanishesOrChangesFailsTheNextOperation)
{
    const std::string text = databaseText(3);
    struct Case {
        const char* what;
        void (*damage)(const std::string& file);
        const char* error;
    } cases[] = {
        {"vanished", [](const std::string& f) { fs::remove(f); }, "1 File not found "},
        {"replaced", [](const std::string& f) { fs::rename(f + ".other", f); }, "4 Error while reading"},
        {"grown", [](const std::string& f) { std::ofstream(f, std::ios::app | std::ios::binary) << "[Event \"x\"]\n"; },
         "4 Error while reading"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(file, text);
        writeBytes(file + ".other", databaseText(1));
        CDatabase db(reader);
        ASSERT_TRUE(db.open(file));
        c.damage(file);
        const bool present = fs::exists(file);
        const std::string before = present ? readBytes(file) : "";
        std::string expected = c.error;
        if (!present)
            expected += file;
        auto replacement = parse(gameText(5));
        EXPECT_EQ(db.game(0), nullptr);
        EXPECT_EQ(error(db), expected);
        db.setError(0, "");
        // Every later operation fails too, recording nothing new and touching
        // no file.
        EXPECT_EQ(db.nextGame(), nullptr);
        EXPECT_EQ(db.readGameHere(), nullptr);
        EXPECT_FALSE(db.replaceGame(0, *replacement));
        EXPECT_FALSE(db.deleteGame(1));
        EXPECT_EQ(error(db), "0 ");
        EXPECT_EQ(fs::exists(file), present);
        if (present) {
            EXPECT_EQ(readBytes(file), before);
        }
        EXPECT_FALSE(fs::exists(file + ".tmp"));
        EXPECT_FALSE(fs::exists(file + ".bak"));
        fs::remove(file + ".other");
        // Opening again starts afresh.
        if (present) {
            ASSERT_TRUE(db.open(file));
            EXPECT_NE(db.game(0), nullptr);
        }
    }
}

TEST_F(Database, AppendGame)
{
    writeBytes(file, databaseText(2));
    CDatabase db(reader);
    ASSERT_TRUE(db.open(file));
    auto g = parse(gameText(5));
    ASSERT_TRUE(db.appendGame(file, *g));
    EXPECT_EQ(db.entries().size(), 2u); // the index is not touched
    EXPECT_NE(db.game(1), nullptr);     // and the database stays usable
    ASSERT_TRUE(db.open(file));
    EXPECT_EQ(whites(db), (std::vector<std::string>{"Player 0", "Player 1", "Player 5"}));

    const std::string other = (dir / "new.pgn").string();
    ASSERT_TRUE(db.appendGame(other, *g));
    EXPECT_EQ(readBytes(other), g->toText());

    // A write that fails (a full disk) is a failure, not a success.
    if (fs::exists("/dev/full")) {
        EXPECT_FALSE(db.appendGame("/dev/full", *g));
        EXPECT_EQ(error(db), "5 Error while writing");
    }

    const std::string bad = (dir / "no-such-folder" / "x.pgn").string();
    EXPECT_FALSE(db.appendGame(bad, *g));
    EXPECT_EQ(error(db), "3 Could not open for appending " + bad);
}

TEST_F(Database, SharedFixturesIndexWithoutGaps)
{
    const fs::path fixtures = fs::path(QM_SHARED_DATA) / "pgn-fixtures";
    if (!fs::is_directory(fixtures))
        GTEST_SKIP() << "no shared data";
    int files = 0;
    for (const auto& item : fs::directory_iterator(fixtures)) {
        if (item.path().extension() != ".pgn")
            continue;
        SCOPED_TRACE(item.path().filename().string());
        ++files;
        CDatabase db(reader);
        ASSERT_TRUE(db.open(item.path().string()));
        std::uint32_t start = 0;
        for (const auto& e : db.entries()) {
            EXPECT_EQ(e.start, start);
            EXPECT_GT(std::int64_t(e.end), std::int64_t(e.start));
            start = std::uint32_t(e.end);
            db.game(e.number); // parses or fails, never crashes
        }
    }
    EXPECT_GT(files, 0);
}
