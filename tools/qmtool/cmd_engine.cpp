// qmtool engine list | search | add-uci, and qmtool match: the engine
// plug-ins in the program folder, driven through the plug-in interface.
// qmtool-libs: qm_engine_plugin qm_engine_book qm_rules qm_game
#include "Registry.h"

#include "engine/EngineHost.h"
#include "engine/EngineLoader.h"
#include "engine/OpeningBook.h"
#include "engine/PolyglotBook.h"
#include "game/Game.h"
#include "game/GameNode.h"
#include "rules/GameEnd.h"
#include "rules/Notation.h"
#include "rules/Position.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <unistd.h>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>

namespace qmtool {

namespace {

const char* const SearchUsage = "engine search [--engine NAME] [--depth D | --movetime MS] [FEN]";
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The folder of the running executable: engines are found there.
std::string programFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// Loads the engine a user named (reported name or file name with or
// without ".qme"); the default engine when name is empty. Prints the
// reason and returns nullptr when it cannot.
std::unique_ptr<qm::CEnginePlugin> loadByUserName(qm::IDynamicLoader& loader, const std::string& name)
{
    const std::string folder = programFolder();
    std::vector<qm::CEngineFile> engines = qm::listEngines(loader, folder);
    const qm::CEngineFile* chosen = qm::findEngine(engines, name.empty() ? std::string(qm::DefaultEngineFile) : name);
    if (!chosen) {
        std::fprintf(stderr, "qmtool: no engine '%s' in %s\n", name.c_str(), folder.c_str());
        return nullptr;
    }
    std::unique_ptr<qm::CEnginePlugin> plugin;
    qm::LoadFailure failure;
    switch (qm::loadEnginePlugin(loader, chosen->path, plugin, failure)) {
    case qm::LoadResult::Loaded:
        return plugin;
    case qm::LoadResult::LoadFailed:
        std::fprintf(stderr, "qmtool: %s\n", qm::loadFailureMessage(chosen->path, failure.error).c_str());
        return nullptr;
    case qm::LoadResult::MissingExport:
        break;
    }
    std::fprintf(stderr, "qmtool: %s is not an engine\n", chosen->path.c_str());
    return nullptr;
}

int engineList(const Args& args)
{
    if (!args.empty())
        return usageError("engine list", "unexpected argument '" + args[0] + "'");
    qm::CSystemLoader loader;
    for (const qm::CEngineFile& e : qm::listEngines(loader, programFolder()))
        std::printf("%s\t%s\n", e.fileName.c_str(), e.name.c_str());
    return 0;
}

const char* const AddUciUsage = "engine add-uci NAME [--option NAME=VALUE]... COMMAND...";

// Writes a file through a temporary beside it, so a failure leaves no half file.
bool writeFileAtomically(
    const std::filesystem::path& path, const std::string& content, bool copyFrom, const std::filesystem::path& source)
{
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    std::error_code ec;
    if (copyFrom) {
        std::filesystem::copy_file(source, tmp, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec)
            return false;
    } else {
        std::FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::rename(tmp, path, ec);
    if (ec)
        std::filesystem::remove(tmp, ec);
    return !ec;
}

int engineAddUci(const Args& args)
{
    if (args.empty())
        return usageError(AddUciUsage, "NAME is missing");
    const std::string& name = args[0];
    if (name.empty() || name[0] == '.' || name.find('/') != std::string::npos)
        return usageError(AddUciUsage, "NAME must be a plain file name");
    std::string setup;
    std::size_t i = 1;
    for (; i < args.size() && args[i] == "--option"; i += 2) {
        if (i + 1 >= args.size() || args[i + 1].find('=') == std::string::npos || args[i + 1][0] == '=')
            return usageError(AddUciUsage, "--option needs NAME=VALUE");
        const std::string& o = args[i + 1];
        setup += "setoption name " + o.substr(0, o.find('=')) + " value " + o.substr(o.find('=') + 1) + "\n";
    }
    if (i >= args.size())
        return usageError(AddUciUsage, "COMMAND is missing");
    std::string command;
    for (; i < args.size(); ++i) {
        std::string word;
        for (char c : args[i]) {
            if (c == '"' || c == '\\' || c == ' ' || c == '\t')
                word += '\\';
            if (c == '\n' || c == '\r')
                return usageError(AddUciUsage, "COMMAND must not hold line breaks");
            word += c;
        }
        command += (command.empty() ? "" : " ") + word;
    }

    const std::filesystem::path folder = programFolder();
    const std::filesystem::path library = folder / (name + ".qme");
    const std::filesystem::path config = folder / (name + ".uci");
    const std::filesystem::path bridge = folder / "uci" / "UciBridge.qme";
    std::error_code ec;
    if (!std::filesystem::exists(bridge, ec)) {
        std::fprintf(stderr, "qmtool: the UCI bridge %s is missing\n", bridge.c_str());
        return 1;
    }
    // Only a bridge made here may be replaced; any other engine stays.
    if (std::filesystem::exists(library, ec) && !std::filesystem::exists(config, ec)) {
        std::fprintf(stderr, "qmtool: %s exists and is not a UCI bridge; choose another NAME\n", library.c_str());
        return 1;
    }
    if (!writeFileAtomically(config, command + "\n" + setup, false, {})
        || !writeFileAtomically(library, "", true, bridge)) {
        std::fprintf(stderr, "qmtool: cannot write %s\n", library.c_str());
        return 1;
    }
    qm::CSystemLoader loader;
    std::unique_ptr<qm::CEnginePlugin> plugin;
    qm::LoadFailure failure;
    if (qm::loadEnginePlugin(loader, library.string(), plugin, failure) != qm::LoadResult::Loaded) {
        std::fprintf(stderr, "qmtool: %s does not load\n", library.c_str());
        return 1;
    }
    std::printf("%s\t%s\n", library.filename().c_str(), plugin->engineName().c_str());
    return 0;
}

int engineSearch(const Args& args)
{
    std::string name, fen;
    long long depth = 0, movetime = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--engine" || a == "--depth" || a == "--movetime") {
            if (i + 1 >= args.size())
                return usageError(SearchUsage, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--engine")
                name = v;
            else if (a == "--depth" && !parseInt(v, 1, 99, depth))
                return usageError(SearchUsage, "--depth must be 1..99");
            else if (a == "--movetime" && !parseInt(v, 1, 86400000, movetime))
                return usageError(SearchUsage, "--movetime must be 1..86400000 milliseconds");
        } else if (a.rfind("--", 0) == 0) {
            return usageError(SearchUsage, "unknown option '" + a + "'");
        } else {
            fen += (fen.empty() ? "" : " ") + a;
        }
    }
    if (depth && movetime)
        return usageError(SearchUsage, "give --depth or --movetime, not both");
    if (!depth && !movetime)
        movetime = 1000;

    qm::CSystemLoader loader;
    std::unique_ptr<qm::CEnginePlugin> plugin = loadByUserName(loader, name);
    if (!plugin)
        return 1;
    qm::CEngineHost host(std::move(plugin));
    host.onPv([](int d, int score, const std::string& pv) {
        std::printf("depth %d score %d pv %s\n", d, score, pv.c_str());
        std::fflush(stdout);
    });
    host.start(64 * 1024);
    const qm::CEngineExports& e = host.exports();
    e.setPosition(fen.empty() ? StartFen : fen.c_str());
    e.setBook("", 0);
    e.setTimeControl(1, 0);
    // A move time is measured here, to the millisecond: the level interface
    // counts whole seconds, so the search runs unlimited and is stopped.
    e.setLevel(1, 999999, 0, depth ? int(depth) : 99);

    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread timer;
    if (movetime) {
        timer = std::thread([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!done.wait_for(lock, std::chrono::milliseconds(movetime), [&] { return finished; }))
                host.stop();
        });
    }
    qm::CSearchReport report = host.think(false);
    {
        std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    done.notify_all();
    if (timer.joinable())
        timer.join();
    host.exit();
    std::string best = report.bestMove();
    std::printf("bestmove %s\n", best.empty() ? "(none)" : best.c_str());
    return 0;
}


// ------------------------------------------------------------------ match

const char* const MatchUsage =
    "match --engine A --engine B --games N --tc SECONDS+INCREMENT [--book FILE.obk|.bin] [--pgn OUT]";

struct MatchEngine {
    std::string label;
    std::unique_ptr<qm::CEngineHost> host;
    std::uint64_t nodes = 0;
    long long thinkMs = 0;
};

// The legal move named by coordinate text (case folded), or NoMove.
qm::CMove legalMoveFromText(qm::CPosition& position, std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    qm::CMoveList list;
    position.generateLegalMoves(list);
    for (qm::CMove m : list)
        if (qm::writeCoordinate(m) == text)
            return m;
    return qm::NoMove;
}

// A weighted random walk through a Polyglot or .obk book from the start
// position ("Good move" choices in an .obk book); the same seed gives the
// same opening.
std::vector<std::string> bookOpening(const std::string& path, unsigned seed, int plies)
{
    std::mt19937 random(seed);
    qm::CPosition position;
    position.setStartPosition();
    std::vector<std::string> moves;
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".obk") == 0) {
        qm::COpeningBook book;
        book.setPath(path);
        book.setMode(2);
        book.seed(seed);
        for (int ply = 0; ply < plies; ++ply) {
            qm::CMove m = book.chooseBookMove(position);
            if (m == qm::NoMove || legalMoveFromText(position, qm::writeCoordinate(m)) == qm::NoMove)
                break;
            moves.push_back(qm::writeCoordinate(m));
            position.makeMove(m);
        }
        return moves;
    }
    for (int ply = 0; ply < plies; ++ply) {
        std::vector<std::pair<qm::CMove, int>> legal;
        int total = 0;
        for (const qm::CPolyglotEntry& e : qm::polyglotEntries(path, position.writeFen())) {
            qm::CMove m = legalMoveFromText(position, e.move);
            if (m != qm::NoMove && e.weight > 0) {
                legal.push_back({m, e.weight});
                total += e.weight;
            }
        }
        if (legal.empty())
            break;
        int r = std::uniform_int_distribution<int>(0, total - 1)(random);
        std::size_t i = 0;
        while (r >= legal[i].second)
            r -= legal[i++].second;
        moves.push_back(qm::writeCoordinate(legal[i].first));
        position.makeMove(legal[i].first);
    }
    return moves;
}

struct GameOutcome {
    int whitePoints2 = 1; // 2 win, 1 draw, 0 loss, for White
    std::string result = "1/2-1/2";
    std::string reason;
};

const char* const StatusReason[] = {"", "checkmate", "stalemate", "threefold repetition", "fifty-move rule",
                                    "insufficient material"};

GameOutcome playGame(MatchEngine& white, MatchEngine& black, const std::vector<std::string>& opening,
                     long long baseMs, long long incMs, qm::CGame& record)
{
    qm::CPosition position;
    position.setStartPosition();
    std::vector<std::string> moves;
    if (!record.root())
        record.setRoot(std::make_unique<qm::CGameNode>(qm::NoMove, "root", qm::rootPly(1, 0)));
    qm::CGameNode* node = record.root();
    int ply = 0;
    auto addMove = [&](qm::CMove m) {
        std::string san = qm::writeSan(position, m);
        auto child = std::make_unique<qm::CGameNode>(m, san, ply);
        qm::CGameNode* next = child.get();
        qm::addChild(*node, std::move(child));
        node = next;
        position.makeMove(m);
        moves.push_back(qm::writeCoordinate(m));
        ++ply;
    };
    for (const std::string& text : opening) {
        qm::CMove m = legalMoveFromText(position, text);
        if (m == qm::NoMove)
            break;
        addMove(m);
    }

    long long left[2] = {baseMs, baseMs};
    GameOutcome outcome;
    for (;;) {
        qm::CGameState state = qm::getGameState(position);
        if (state.over) {
            outcome.reason = StatusReason[state.status];
            if (state.status == qm::GameCheckmate) {
                bool whiteMated = position.sideToMove == 0;
                outcome.whitePoints2 = whiteMated ? 0 : 2;
                outcome.result = whiteMated ? "0-1" : "1-0";
            }
            return outcome;
        }
        if (ply >= 600) {
            outcome.reason = "move limit";
            return outcome;
        }
        const int side = position.sideToMove;
        MatchEngine& mover = side == 0 ? white : black;
        const qm::CEngineExports& e = mover.host->exports();
        e.setPosition(std::string(qm::StartFen).c_str());
        for (const std::string& m : moves)
            e.enterMove(m.c_str());
        e.setBook("", 0);
        e.setTimeControl(0, 0);
        // The level counts whole seconds; the clock here counts milliseconds.
        e.setLevel(0, int(std::max(0LL, left[side]) / 1000), int(incMs / 1000), 99);

        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        // A hanging engine is stopped well after its time is gone.
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!done.wait_for(lock, std::chrono::milliseconds(left[side] + 2000), [&] { return finished; }))
                mover.host->stop();
        });
        auto start = std::chrono::steady_clock::now();
        qm::CSearchReport report = mover.host->think(false);
        long long used =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        done.notify_all();
        watchdog.join();
        mover.nodes += report.nodes;
        mover.thinkMs += used;

        left[side] -= used;
        qm::CMove m = legalMoveFromText(position, report.bestMove());
        if (left[side] < 0 || m == qm::NoMove) {
            outcome.reason = left[side] < 0 ? "time forfeit" : "illegal or no move '" + report.bestMove() + "'";
            outcome.whitePoints2 = side == 0 ? 0 : 2;
            outcome.result = side == 0 ? "0-1" : "1-0";
            return outcome;
        }
        left[side] += incMs;
        addMove(m);
        node->time = used;
    }
}

bool parseTimeControl(const std::string& text, long long& baseMs, long long& incMs)
{
    std::size_t plus = text.find('+');
    std::string base = text.substr(0, plus), inc = plus == std::string::npos ? "0" : text.substr(plus + 1);
    auto toMs = [](const std::string& s, long long& out) {
        if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789.") != std::string::npos ||
            std::count(s.begin(), s.end(), '.') > 1 || s == ".")
            return false;
        out = (long long)(std::stod(s) * 1000.0 + 0.5);
        return true;
    };
    return toMs(base, baseMs) && toMs(inc, incMs) && baseMs > 0;
}

int match(const Args& args)
{
    std::vector<std::string> names;
    std::string book, pgn, tc;
    long long games = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size())
            return usageError(MatchUsage, a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected '" + a + "'");
        const std::string& v = args[++i];
        if (a == "--engine")
            names.push_back(v);
        else if (a == "--games") {
            if (!parseInt(v, 1, 100000, games))
                return usageError(MatchUsage, "--games must be 1..100000");
        } else if (a == "--tc")
            tc = v;
        else if (a == "--book")
            book = v;
        else if (a == "--pgn")
            pgn = v;
        else
            return usageError(MatchUsage, "unknown option '" + a + "'");
    }
    long long baseMs = 0, incMs = 0;
    if (names.size() != 2)
        return usageError(MatchUsage, "give --engine twice");
    if (!games)
        return usageError(MatchUsage, "--games is missing");
    if (tc.empty() || !parseTimeControl(tc, baseMs, incMs))
        return usageError(MatchUsage, "--tc must be SECONDS+INCREMENT, e.g. 10+0.1");
    auto endsWith = [](const std::string& s, const char* suffix) {
        std::size_t n = std::strlen(suffix);
        return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
    };
    if (!book.empty()) {
        if (!endsWith(book, ".bin") && !endsWith(book, ".obk"))
            return usageError(MatchUsage, "--book must be a .bin or .obk book");
        if (!std::filesystem::exists(book)) {
            std::fprintf(stderr, "qmtool: cannot read book %s\n", book.c_str());
            return 1;
        }
    }
    std::ofstream pgnOut;
    if (!pgn.empty()) {
        pgnOut.open(pgn, std::ios::binary | std::ios::app);
        if (!pgnOut) {
            std::fprintf(stderr, "qmtool: cannot write %s\n", pgn.c_str());
            return 1;
        }
    }

    // Two instances of one library would share its globals: the second
    // engine then runs from a private copy.
    qm::CSystemLoader loader;
    MatchEngine engines[2];
    std::filesystem::path copy;
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<qm::CEnginePlugin> plugin = loadByUserName(loader, names[std::size_t(i)]);
        if (!plugin)
            return 1;
        if (i == 1 && plugin->path() == engines[0].host->plugin().path()) {
            copy = std::filesystem::temp_directory_path() / ("qmtool-match-" + std::to_string(::getpid()) + "-" +
                                                            plugin->fileName());
            std::error_code ec;
            std::filesystem::copy_file(plugin->path(), copy, std::filesystem::copy_options::overwrite_existing, ec);
            qm::LoadFailure failure;
            if (ec || qm::loadEnginePlugin(loader, copy.string(), plugin, failure) != qm::LoadResult::Loaded) {
                std::fprintf(stderr, "qmtool: cannot load a second copy of %s\n", names[1].c_str());
                return 1;
            }
        }
        engines[i].label = plugin->engineName();
        engines[i].host = std::make_unique<qm::CEngineHost>(std::move(plugin));
        engines[i].host->start(32 * 1024);
    }
    if (engines[0].label == engines[1].label) {
        engines[0].label += " (A)";
        engines[1].label += " (B)";
    }

    int wins = 0, draws = 0, losses = 0;
    std::vector<std::string> opening;
    for (long long g = 0; g < games; ++g) {
        // Each opening is played twice, with colours swapped.
        if (g % 2 == 0 && !book.empty())
            opening = bookOpening(book, unsigned(g / 2 + 1), 8);
        MatchEngine& white = engines[g % 2];
        MatchEngine& black = engines[1 - g % 2];
        for (MatchEngine& m : engines)
            m.host->exports().clearHashtables();
        qm::CGame record;
        GameOutcome outcome = playGame(white, black, opening, baseMs, incMs, record);
        int pointsA2 = g % 2 == 0 ? outcome.whitePoints2 : 2 - outcome.whitePoints2;
        (pointsA2 == 2 ? wins : pointsA2 == 1 ? draws : losses)++;
        std::printf("game %lld: %s - %s %s (%s)\n", g + 1, white.label.c_str(), black.label.c_str(),
                    outcome.result.c_str(), outcome.reason.c_str());
        std::fflush(stdout);
        if (pgnOut.is_open()) {
            record.setEvent("qmtool match");
            record.setSite("?");
            record.setDate("????.??.??");
            record.setRound(std::to_string(g + 1));
            record.setWhite(white.label);
            record.setBlack(black.label);
            record.setResult(outcome.result);
            record.setTag("TimeControl", tc);
            record.setTag("Termination", outcome.reason);
            record.writeTo(pgnOut);
            pgnOut << "\r\n";
            pgnOut.flush();
        }
    }
    for (MatchEngine& m : engines) {
        m.host->exit();
        std::printf("%s: %llu nodes in %lld ms, %llu nodes per second\n", m.label.c_str(),
                    (unsigned long long)m.nodes, m.thinkMs,
                    (unsigned long long)(m.thinkMs > 0 ? m.nodes * 1000 / std::uint64_t(m.thinkMs) : 0));
    }
    for (MatchEngine& m : engines)
        m.host.reset();
    if (!copy.empty()) {
        std::error_code ec;
        std::filesystem::remove(copy, ec);
    }
    std::printf("%s wins %d, draws %d, losses %d, score %.1f/%lld (%.1f %%)\n", engines[0].label.c_str(), wins, draws,
                losses, wins + draws / 2.0, games, 100.0 * (wins + draws / 2.0) / double(games));
    return 0;
}

} // namespace

void registerCommands_engine(Registry& r)
{
    r.add({"engine", "list"}, "", engineList);
    r.add({"engine", "add-uci"}, "NAME [--option NAME=VALUE]... COMMAND...", engineAddUci);
    r.add({"engine", "search"}, "[--engine NAME] [--depth D | --movetime MS] [FEN]", engineSearch);
    r.add({"match"}, "--engine A --engine B --games N --tc SECONDS+INCREMENT [--book FILE.obk|.bin] [--pgn OUT]", match);
}

} // namespace qmtool
