#include "engines/uci/UciInfo.h"

#include "engine/EnginePlugin.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace uci {

namespace {

bool toInt(const std::string& s, long long& out)
{
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

bool isMoveText(const std::string& w)
{
    if (w.size() < 4 || w.size() > 5)
        return false;
    auto file = [](char c) { return (c >= 'a' && c <= 'h') || (c >= 'A' && c <= 'H'); };
    auto rank = [](char c) { return c >= '1' && c <= '8'; };
    return file(w[0]) && rank(w[1]) && file(w[2]) && rank(w[3]);
}

} // namespace

int mateScore(int moves)
{
    if (moves > 0)
        return qm::MateScore - (2 * moves - 1);
    return -(qm::MateScore - 2 * -moves);
}

Info parseInfo(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;)
        w.push_back(s);
    Info info;
    long long v;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const std::string& key = w[i];
        const bool more = i + 1 < w.size();
        if (key == "depth" && more && toInt(w[i + 1], v)) {
            info.hasDepth = true, info.depth = int(v), ++i;
        } else if (key == "seldepth" && more && toInt(w[i + 1], v)) {
            info.hasSelDepth = true, info.selDepth = int(v), ++i;
        } else if (key == "nodes" && more && toInt(w[i + 1], v) && v >= 0) {
            info.hasNodes = true, info.nodes = std::uint64_t(v), ++i;
        } else if (key == "currmove" && more) {
            info.hasCurrMove = true, info.currMove = w[++i];
        } else if (key == "currmovenumber" && more && toInt(w[i + 1], v)) {
            info.currMoveNumber = int(v), ++i;
        } else if (key == "score") {
            while (i + 1 < w.size()) {
                const std::string& k = w[i + 1];
                if ((k == "cp" || k == "mate") && i + 2 < w.size() && toInt(w[i + 2], v)) {
                    info.hasScore = true;
                    long long clamped = v < -100000 ? -100000 : v > 100000 ? 100000 : v;
                    if (k == "cp") {
                        info.score = int(clamped < -27999 ? -27999 : clamped > 27999 ? 27999 : clamped);
                    } else {
                        // mate 0 means the side to move is mated now.
                        info.score = clamped == 0 ? -qm::MateScore : mateScore(int(clamped));
                    }
                    i += 2;
                } else if (k == "lowerbound" || k == "upperbound") {
                    info.bound = true;
                    ++i;
                } else {
                    break;
                }
            }
        } else if (key == "pv") {
            std::string pv;
            while (i + 1 < w.size() && isMoveText(w[i + 1])) {
                pv += (pv.empty() ? "" : " ") + w[++i];
            }
            info.hasPv = !pv.empty();
            info.pv = pv;
        } else if (key == "string") {
            break; // the rest of the line is free text
        }
    }
    return info;
}

void parseBestMove(const std::string& line, std::string& move, std::string& ponder)
{
    std::istringstream in(line);
    std::string word, key;
    move.clear();
    ponder.clear();
    in >> word;
    if (word != "bestmove")
        return;
    in >> move;
    if (!isMoveText(move))
        move.clear();
    if (in >> key && key == "ponder" && in >> ponder && !isMoveText(ponder))
        ponder.clear();
}

} // namespace uci
