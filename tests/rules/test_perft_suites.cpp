// Perft against the published suites in the shared data folder, at the
// depths that stay cheap; deeper counts are for the benchmark script.
#include "rules/Perft.h"
#include "rules/Position.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace qm;

namespace {

struct PerftCase {
    std::string fen;
    int depth;
    std::uint64_t nodes;
};

std::filesystem::path dataFile(const char* name)
{
    return std::filesystem::path(QM_SHARED_DATA) / "perft" / name;
}

// "FEN ;D1 20 ;D2 400 ..." lines; keeps the deepest depth within the budget.
std::vector<PerftCase> readEpd(const std::filesystem::path& path, std::uint64_t budget)
{
    std::vector<PerftCase> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::stringstream fields(line);
        std::string fen, part;
        std::getline(fields, fen, ';');
        PerftCase best{fen, 0, 0};
        while (std::getline(fields, part, ';')) {
            int depth = 0;
            unsigned long long nodes = 0;
            if (std::sscanf(part.c_str(), " D%d %llu", &depth, &nodes) == 2 && nodes <= budget && depth > best.depth)
                best = {fen, depth, nodes};
        }
        if (best.depth > 0)
            out.push_back(best);
    }
    return out;
}

// "id NAME", "epd FEN" and "perft D N" lines. Positions read the Chess960
// way are left out: ids starting with "xfen", and the one whose black king
// on h8 keeps a long castling right (FEN reading drops a right whose king
// is not on its home square).
std::vector<PerftCase> readPerftFile(const std::filesystem::path& path, std::uint64_t budget)
{
    std::vector<PerftCase> out;
    std::ifstream in(path);
    std::string line;
    PerftCase current{"", 0, 0};
    auto flush = [&] {
        if (current.depth > 0)
            out.push_back(current);
        current = {"", 0, 0};
    };
    bool chess960 = false;
    while (std::getline(in, line)) {
        if (line.rfind("id ", 0) == 0) {
            chess960 = line.rfind("id xfen", 0) == 0 || line == "id asymmetrical-and-king-on-h";
        } else if (line.rfind("epd ", 0) == 0) {
            flush();
            if (!chess960)
                current.fen = line.substr(4);
        } else if (line.rfind("perft ", 0) == 0 && !current.fen.empty()) {
            int depth = 0;
            unsigned long long nodes = 0;
            if (std::sscanf(line.c_str(), "perft %d %llu", &depth, &nodes) == 2 && nodes <= budget
                && depth > current.depth) {
                current.depth = depth;
                current.nodes = nodes;
            }
        }
    }
    flush();
    return out;
}

void runSuite(const std::vector<PerftCase>& cases, size_t stride = 1)
{
    ASSERT_FALSE(cases.empty());
    for (size_t i = 0; i < cases.size(); i += stride) {
        CPosition p;
        p.setFromFen(cases[i].fen);
        ASSERT_EQ(perft(p, cases[i].depth), cases[i].nodes) << cases[i].fen << " depth " << cases[i].depth;
    }
}

} // namespace

class PerftSuite : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(dataFile("pychess-perftsuite.epd")))
            GTEST_SKIP() << "shared perft data not found";
    }
};

TEST_F(PerftSuite, PychessSuite)
{
    runSuite(readEpd(dataFile("pychess-perftsuite.epd"), 300000));
}
TEST_F(PerftSuite, SedlakSuite)
{
    runSuite(readEpd(dataFile("pychess-perftsuite2.epd"), 1200000));
}
TEST_F(PerftSuite, TrickyPositions)
{
    runSuite(readPerftFile(dataFile("pythonchess-tricky.perft"), 300000));
}
// Thousands of random positions: every third, at a shallow depth.
TEST_F(PerftSuite, RandomPositions)
{
    runSuite(readPerftFile(dataFile("pythonchess-random.perft"), 20000), 3);
}
