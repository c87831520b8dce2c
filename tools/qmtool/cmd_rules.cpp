// qmtool perft, moves, san, fen: the rules core from the command line.
// qmtool-libs: qm_rules
#include "Registry.h"

#include "rules/Notation.h"
#include "rules/Perft.h"
#include "rules/Position.h"

#include <cstdio>

namespace qmtool {

namespace {

int perftCommand(const Args& args)
{
    static const char* usage = "perft DEPTH [FEN] [--divide]";
    bool divide = false;
    std::vector<std::string> rest;
    for (const auto& a : args) {
        if (a == "--divide")
            divide = true;
        else
            rest.push_back(a);
    }
    if (rest.empty() || rest.size() > 2)
        return usageError(usage, rest.empty() ? "missing DEPTH" : "too many arguments");
    long long depth = 0;
    if (!parseInt(rest[0], 0, 20, depth))
        return usageError(usage, "DEPTH must be a whole number from 0 to 20");
    qm::CPosition position;
    if (rest.size() == 2)
        position.setFromFen(rest[1]);
    std::uint64_t total = 0;
    if (divide && depth > 0) {
        qm::CMoveList moves;
        position.generateLegalMoves(moves);
        for (const qm::CMove& m : moves) {
            position.makeMove(m);
            std::uint64_t n = qm::perft(position, int(depth) - 1);
            position.unmakeMove();
            std::printf("%s %llu\n", qm::writeCoordinate(m).c_str(), static_cast<unsigned long long>(n));
            total += n;
        }
    } else {
        total = qm::perft(position, int(depth));
    }
    std::printf("nodes %llu\n", static_cast<unsigned long long>(total));
    return 0;
}

int movesCommand(const Args& args)
{
    if (args.size() > 1)
        return usageError("moves [FEN]", "too many arguments");
    qm::CPosition position;
    if (!args.empty())
        position.setFromFen(args[0]);
    qm::CMoveList moves;
    position.generateLegalMoves(moves);
    for (const qm::CMove& m : moves)
        std::printf("%s %s\n", qm::writeSan(position, m, true).c_str(), qm::writeCoordinate(m).c_str());
    return 0;
}

int sanCommand(const Args& args)
{
    if (args.size() != 2)
        return usageError("san FEN TEXT", args.size() < 2 ? "missing argument" : "too many arguments");
    qm::CPosition position;
    position.setFromFen(args[0]);
    qm::CMove m = qm::readSan(position, args[1]);
    std::printf("%s\n", m == qm::NoMove ? "NoMove" : qm::writeCoordinate(m).c_str());
    return 0;
}

int fenCommand(const Args& args)
{
    if (args.size() != 1)
        return usageError("fen FEN", args.empty() ? "missing FEN" : "too many arguments");
    qm::CPosition position;
    position.setFromFen(args[0]);
    std::printf("%s\n%s\n", position.writeFen().c_str(), position.isValidSetup() ? "valid setup" : "invalid setup");
    return 0;
}

} // namespace

void registerCommands_rules(Registry& r)
{
    r.add({"perft"}, "DEPTH [FEN] [--divide]", perftCommand);
    r.add({"moves"}, "[FEN]", movesCommand);
    r.add({"san"}, "FEN TEXT", sanCommand);
    r.add({"fen"}, "FEN", fenCommand);
}

} // namespace qmtool
