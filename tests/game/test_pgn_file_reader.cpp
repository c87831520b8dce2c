// Reading a whole file on several threads gives game for game what reading
// one game after the other gives, whatever the batch size.
#include "ReadHelpers.h"

#include "game/PgnFileReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace qm;
using namespace qm::test;

namespace {

struct CGameSeen {
    long long number;
    std::int64_t offset;
    std::uint64_t tree; // a signature of the game's tree; 0 for a game that did not read
    bool operator==(const CGameSeen&) const = default;
};

// Every node's move, place and text folded into one number.
std::uint64_t signature(const CGame* game)
{
    if (!game)
        return 0;
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    std::vector<const CGameNode*> stack{game->root()};
    while (!stack.empty()) {
        const CGameNode* n = stack.back();
        stack.pop_back();
        mix(n->move.from | n->move.to << 8 | n->move.piece << 16 | std::uint64_t(n->move.flags) << 24);
        mix(std::uint64_t(n->depth) << 32 | n->nag | std::uint64_t(n->childCount()) << 8);
        mix(std::hash<std::string>()(n->san) ^ std::hash<std::string>()(n->comment));
        for (int i = n->childCount(); i-- > 0;)
            stack.push_back(n->child(i));
    }
    return h;
}

// One game after the other by the reported next offset.
std::vector<CGameSeen> readSequentially(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<CGameSeen> seen;
    forEachGameIn(in, [&](std::int64_t offset, std::int64_t, CGame* game) {
        seen.push_back({(long long)seen.size() + 1, offset, signature(game)});
        return true;
    });
    return seen;
}

std::vector<CGameSeen> readWith(const std::filesystem::path& file, int jobs, int perBatch, long long* reread = nullptr)
{
    std::vector<CGameSeen> seen;
    PgnFileReadOptions options;
    options.jobs = jobs;
    options.gamesPerBatch = perBatch;
    const PgnFileReadResult r = readPgnFile(
        file, options,
        [](std::int64_t, CGame* game) -> std::any { return signature(game); },
        [&](long long number, std::int64_t offset, std::any& d) {
            seen.push_back({number, offset, std::any_cast<std::uint64_t>(d)});
        });
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.games, (long long)seen.size());
    if (reread)
        *reread = r.batchesReread;
    return seen;
}

std::vector<std::filesystem::path> fixtureFiles()
{
    std::vector<std::filesystem::path> files;
    for (const char* dir : {QM_TEST_SOURCE_DIR "/game/fixtures", QM_SHARED_DATA "/pgn-fixtures"}) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec))
            // The small files: every kind of broken game, at a cost that
            // suits a sanitized build.
            if (e.path().extension() == ".pgn" && e.file_size() < 40000)
                files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(PgnFileReader, ThreadsAndBatchesGiveWhatSequentialReadingGives)
{
    const auto files = fixtureFiles();
    ASSERT_FALSE(files.empty());
    // All fixtures in one file too: broken games then fall inside batches
    // and on their edges.
    const auto joined = std::filesystem::path(QM_BINARY_DIR) / "pgn-file-reader-joined.pgn";
    {
        std::ofstream out(joined, std::ios::binary);
        for (const auto& f : files)
            out << std::ifstream(f, std::ios::binary).rdbuf() << "\n";
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        EXPECT_EQ(readWith(file, 3, 1), readSequentially(file));
    }
    const auto expected = readSequentially(joined);
    EXPECT_EQ(readWith(joined, 1, 256), expected);
    for (auto [jobs, perBatch] : {std::pair{2, 7}, std::pair{3, 1}, std::pair{3, 64}}) {
        long long reread = -1;
        EXPECT_EQ(readWith(joined, jobs, perBatch, &reread), expected) << jobs << " jobs, " << perBatch << " per batch";
        // The scan and the full reader agree on where games start.
        EXPECT_EQ(reread, 0);
    }
    std::filesystem::remove(joined);
}

TEST(PgnFileReader, MissingAndEmptyFiles)
{
    PgnFileReadOptions options;
    options.jobs = 2;
    long long visits = 0;
    auto digest = [](std::int64_t, CGame*) -> std::any { return 0; };
    auto visit = [&](long long, std::int64_t, std::any&) { ++visits; };
    EXPECT_FALSE(readPgnFile(std::filesystem::path(QM_BINARY_DIR) / "no-such-file.pgn", options, digest, visit).opened);

    const auto empty = std::filesystem::path(QM_BINARY_DIR) / "pgn-file-reader-empty.pgn";
    std::ofstream(empty, std::ios::binary) << "  \n\n";
    const PgnFileReadResult r = readPgnFile(empty, options, digest, visit);
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.games, 0);
    EXPECT_EQ(visits, 0);
    std::filesystem::remove(empty);
}
