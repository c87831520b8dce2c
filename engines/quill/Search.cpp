#include "engines/quill/Search.h"

#include "engines/quill/Eval.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace quill {

namespace {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int g_reduction[64][64];

struct ReductionInit {
    ReductionInit()
    {
        for (int d = 1; d < 64; ++d)
            for (int m = 1; m < 64; ++m)
                g_reduction[d][m] = int(0.75 + std::log(double(d)) * std::log(double(m)) / 2.25);
    }
};
const ReductionInit g_reductionInit;

const int SeeValue[7] = {100, 320, 330, 500, 950, 0, 0};

int scoreToTt(int score, int ply)
{
    if (score >= MateBound)
        return score + ply;
    if (score <= -MateBound)
        return score - ply;
    return score;
}

int scoreFromTt(int score, int ply)
{
    if (score >= MateBound)
        return score - ply;
    if (score <= -MateBound)
        return score + ply;
    return score;
}

} // namespace

// ---------------------------------------------------------------- table

TranspositionTable::~TranspositionTable() { std::free(m_entries); }

std::size_t TranspositionTable::resize(std::size_t wanted)
{
    wanted = std::max<std::size_t>(wanted, 64);
    std::free(m_entries);
    m_entries = nullptr;
    m_count = 0;
    // calloc hands out untouched zero pages, so a large table costs memory
    // only where the search writes.
    for (std::size_t kb = wanted; kb >= 64; kb /= 2) {
        std::size_t count = kb * 1024 / sizeof(Entry);
        m_entries = static_cast<Entry*>(std::calloc(count, sizeof(Entry)));
        if (m_entries) {
            m_count = count;
            break;
        }
    }
    return kilobytes();
}

void TranspositionTable::clear()
{
    if (!m_entries)
        return;
    std::size_t count = m_count;
    std::free(m_entries);
    m_entries = static_cast<Entry*>(std::calloc(count, sizeof(Entry)));
    m_count = m_entries ? count : 0;
}

const TranspositionTable::Entry* TranspositionTable::probe(std::uint64_t key) const
{
    if (!m_count)
        return nullptr;
    const Entry& e = slot(key);
    return e.key == key && e.bound ? &e : nullptr;
}

void TranspositionTable::store(std::uint64_t key, int score, int eval, Move move, int depth, int bound)
{
    if (!m_count)
        return;
    Entry& e = slot(key);
    // Keep a deeper entry of another position unless this one is exact.
    if (e.key != key && e.bound && e.depth > depth + 2 && bound != 3)
        return;
    if (move == NoMove && e.key == key)
        move = e.move;
    e.key = key;
    e.score = std::int16_t(score);
    e.eval = std::int16_t(eval);
    e.move = move;
    e.depth = std::int8_t(std::clamp(depth, -1, 127));
    e.bound = std::uint8_t(bound);
}

// ---------------------------------------------------------------- searcher

Searcher::Searcher()
{
    m_tt.resize(16 * 1024);
    std::memset(m_history, 0, sizeof m_history);
    std::memset(m_counter, 0, sizeof m_counter);
}

std::size_t Searcher::resizeHash(std::size_t kilobytes)
{
    std::lock_guard<std::mutex> lock(m_ttMutex);
    return m_tt.resize(kilobytes);
}

void Searcher::clearHash()
{
    std::unique_lock<std::mutex> lock(m_ttMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        m_clearPending.store(true);
        return;
    }
    m_tt.clear();
    std::memset(m_history, 0, sizeof m_history);
    std::memset(m_counter, 0, sizeof m_counter);
}

void Searcher::ponderHit()
{
    m_startMs.store(nowMs());
    m_pondering.store(false);
}

std::int64_t Searcher::elapsedMs() const { return nowMs() - m_startMs.load(); }

void Searcher::checkTime()
{
    if (m_stop.load(std::memory_order_relaxed)) {
        m_stopped = true;
        return;
    }
    std::int64_t now = nowMs();
    if (m_timed && !m_pondering.load(std::memory_order_relaxed) && now - m_startMs.load() >= m_hardMs)
        m_stopped = true;
    if (now - m_lastReportMs >= 250) {
        m_lastReportMs = now;
        reportNodes();
    }
}

void Searcher::reportNodes()
{
    if (m_callbacks && m_callbacks->nodes)
        m_callbacks->nodes(std::uint32_t(m_nodes), std::uint32_t(m_nodes >> 32));
}

void Searcher::reportPv(int depth, int score)
{
    if (!m_callbacks)
        return;
    reportNodes();
    if (m_callbacks->depth)
        m_callbacks->depth(depth, std::max(m_selDepth, depth));
    if (!m_callbacks->pv || m_pvLength[0] == 0)
        return;
    std::string text;
    for (int i = 0; i < m_pvLength[0]; ++i) {
        if (i)
            text += ' ';
        text += Board::moveText(m_pv[0][i]);
    }
    m_callbacks->pv(text.c_str(), score);
}

bool Searcher::isRepetitionOrFifty(const Board& b, int ply) const
{
    if (b.halfMoves >= 100)
        return true;
    const int index = m_rootIndex + ply;
    const int oldest = std::max(0, index - b.halfMoves);
    for (int i = index - 4; i >= oldest; i -= 2)
        if (m_keys[std::size_t(i)] == b.key)
            return true;
    return false;
}

void Searcher::scoreMoves(const Board& b, const MoveList& list, int* scores, Move ttMove, int ply) const
{
    const Move counter = ply > 0 && m_lastMove[ply - 1] != NoMove
                             ? m_counter[moveFrom(m_lastMove[ply - 1])][moveTo(m_lastMove[ply - 1])]
                             : NoMove;
    for (int i = 0; i < list.count; ++i) {
        const Move m = list.moves[i];
        int s;
        if (m == ttMove) {
            s = 1 << 30;
        } else if (b.isCapture(m) || moveKind(m) == Promotion) {
            int victim = moveKind(m) == EnPassant ? Pawn : typeOfPiece(b.pieceOn(moveTo(m)));
            if (b.pieceOn(moveTo(m)) == NoPiece && moveKind(m) != EnPassant)
                victim = NoType; // a quiet promotion
            int mvvLva = SeeValue[victim] * 8 - typeOfPiece(b.pieceOn(moveFrom(m)));
            if (moveKind(m) == Promotion)
                mvvLva += movePromotion(m) == Queen ? 8000 : -8000;
            s = b.seeAtLeast(m, 0) ? (1 << 28) + mvvLva : -(1 << 28) + mvvLva;
        } else if (m == m_killers[ply][0]) {
            s = (1 << 27);
        } else if (m == m_killers[ply][1]) {
            s = (1 << 27) - 1;
        } else if (m == counter) {
            s = (1 << 26);
        } else {
            s = m_history[b.side][moveFrom(m)][moveTo(m)];
        }
        scores[i] = s;
    }
}

void Searcher::updateQuietHistory(const Board& b, Move best, const Move* quiets, int quietCount, int depth, int ply)
{
    const int bonus = std::min(depth * depth * 16, 16000);
    auto update = [&](Move m, int delta) {
        int& h = m_history[b.side][moveFrom(m)][moveTo(m)];
        h += delta - h * std::abs(delta) / 16384;
    };
    update(best, bonus);
    for (int i = 0; i < quietCount; ++i)
        if (quiets[i] != best)
            update(quiets[i], -bonus);
    if (m_killers[ply][0] != best) {
        m_killers[ply][1] = m_killers[ply][0];
        m_killers[ply][0] = best;
    }
    if (ply > 0 && m_lastMove[ply - 1] != NoMove)
        m_counter[moveFrom(m_lastMove[ply - 1])][moveTo(m_lastMove[ply - 1])] = best;
}

int Searcher::quiesce(Board& b, int alpha, int beta, int ply)
{
    if ((++m_nodes & 1023) == 0)
        checkTime();
    if (m_stopped)
        return 0;
    m_pvLength[ply] = ply;
    if (ply > m_selDepth)
        m_selDepth = ply;
    if (ply >= MaxPly)
        return evaluate(b);
    if (insufficientMaterial(b))
        return 0;

    const bool inCheck = b.inCheck();
    int best = -Mate + ply;
    int standPat = -Infinite;
    if (!inCheck) {
        standPat = evaluate(b);
        if (standPat >= beta)
            return standPat;
        if (standPat > alpha)
            alpha = standPat;
        best = standPat;
    }

    const TranspositionTable::Entry* tte = m_tt.probe(b.key);
    Move ttMove = NoMove;
    if (tte) {
        int s = scoreFromTt(tte->score, ply);
        if ((tte->bound == 3) || (tte->bound == 2 && s >= beta) || (tte->bound == 1 && s <= alpha))
            return s;
        ttMove = tte->move;
    }

    MoveList list;
    b.generate(list, !inCheck);
    int scores[256];
    scoreMoves(b, list, scores, ttMove, ply);
    int legal = 0;
    for (int i = 0; i < list.count; ++i) {
        int bestIndex = i;
        for (int j = i + 1; j < list.count; ++j)
            if (scores[j] > scores[bestIndex])
                bestIndex = j;
        std::swap(list.moves[i], list.moves[bestIndex]);
        std::swap(scores[i], scores[bestIndex]);
        const Move m = list.moves[i];
        if (!inCheck) {
            if (scores[i] < 0 && m != ttMove)
                continue; // loses material by exchange
            if (moveKind(m) != Promotion) {
                int victim = moveKind(m) == EnPassant ? Pawn : typeOfPiece(b.pieceOn(moveTo(m)));
                if (standPat + SeeValue[victim] + 200 < alpha)
                    continue;
            }
        }
        Board next = b;
        if (!next.make(m))
            continue;
        ++legal;
        m_keys[std::size_t(m_rootIndex + ply + 1)] = next.key;
        m_lastMove[ply] = m;
        int score = -quiesce(next, -beta, -alpha, ply + 1);
        if (m_stopped)
            return 0;
        if (score > best) {
            best = score;
            if (score > alpha) {
                alpha = score;
                if (score >= beta)
                    break;
            }
        }
    }
    if (inCheck && legal == 0)
        return -Mate + ply;
    return best;
}

int Searcher::alphaBeta(Board& b, int depth, int alpha, int beta, int ply, bool nullAllowed)
{
    const bool pvNode = beta - alpha > 1;
    const bool root = ply == 0;
    m_pvLength[ply] = ply;
    if (depth <= 0)
        return quiesce(b, alpha, beta, ply);
    if ((++m_nodes & 1023) == 0)
        checkTime();
    if (m_stopped)
        return 0;
    if (ply > m_selDepth)
        m_selDepth = ply;

    if (!root) {
        if (isRepetitionOrFifty(b, ply) || insufficientMaterial(b))
            return 0;
        if (ply >= MaxPly)
            return evaluate(b);
        alpha = std::max(alpha, -Mate + ply);
        beta = std::min(beta, Mate - ply - 1);
        if (alpha >= beta)
            return alpha;
    }

    const bool inCheck = b.inCheck();
    const TranspositionTable::Entry* tte = m_tt.probe(b.key);
    Move ttMove = NoMove;
    int staticEval;
    if (tte) {
        ttMove = b.isPseudoLegal(tte->move) ? tte->move : NoMove;
        int s = scoreFromTt(tte->score, ply);
        if (!pvNode && tte->depth >= depth &&
            ((tte->bound == 3) || (tte->bound == 2 && s >= beta) || (tte->bound == 1 && s <= alpha))) {
            if (s >= beta && ttMove != NoMove && !b.isCapture(ttMove)) {
                if (m_killers[ply][0] != ttMove) {
                    m_killers[ply][1] = m_killers[ply][0];
                    m_killers[ply][0] = ttMove;
                }
            }
            return s;
        }
        staticEval = inCheck ? -Infinite : tte->eval;
    } else {
        staticEval = inCheck ? -Infinite : evaluate(b);
    }

    if (!inCheck && !pvNode) {
        // Reverse futility: far above beta with little depth left.
        if (depth <= 6 && staticEval - 85 * depth >= beta && std::abs(beta) < MateBound)
            return staticEval;
        // Null move: give the opponent a free move; still above beta means
        // this node would fail high anyway.
        if (nullAllowed && depth >= 3 && staticEval >= beta && b.hasNonPawnMaterial(b.side)) {
            int r = 3 + depth / 4 + std::min(3, (staticEval - beta) / 200);
            Board next = b;
            next.makeNull();
            m_keys[std::size_t(m_rootIndex + ply + 1)] = next.key;
            m_lastMove[ply] = NoMove;
            int score = -alphaBeta(next, depth - 1 - r, -beta, -beta + 1, ply + 1, false);
            if (m_stopped)
                return 0;
            if (score >= beta)
                return score >= MateBound ? beta : score;
        }
        // Razoring: hopeless positions drop into the quiescence search.
        if (depth <= 2 && staticEval + 250 * depth < alpha) {
            int score = quiesce(b, alpha, beta, ply);
            if (score < alpha)
                return score;
        }
    }
    // Without a hash move a deep node is searched a little less.
    if (ttMove == NoMove && depth >= 5)
        --depth;

    MoveList list;
    b.generate(list, false);
    int scores[256];
    scoreMoves(b, list, scores, ttMove, ply);

    Move quiets[256];
    int quietCount = 0;
    int legal = 0;
    int best = -Infinite;
    Move bestMove = NoMove;
    const int originalAlpha = alpha;
    const bool improving = !inCheck; // kept simple: eval history is not tracked

    for (int i = 0; i < list.count; ++i) {
        int bestIndex = i;
        for (int j = i + 1; j < list.count; ++j)
            if (scores[j] > scores[bestIndex])
                bestIndex = j;
        std::swap(list.moves[i], list.moves[bestIndex]);
        std::swap(scores[i], scores[bestIndex]);
        const Move m = list.moves[i];
        const bool quiet = !b.isCapture(m) && moveKind(m) != Promotion;

        Board next = b;
        if (!next.make(m))
            continue;
        ++legal;
        const bool givesCheck = next.inCheck();

        if (!root && !inCheck && best > -MateBound && legal > 1) {
            if (quiet && !givesCheck) {
                // Late-move pruning and futility pruning of quiet moves.
                if (depth <= 4 && quietCount > 3 + depth * depth * (improving ? 2 : 1))
                    continue;
                if (depth <= 3 && staticEval + 90 + 110 * depth <= alpha)
                    continue;
                if (depth <= 3 && m_history[b.side][moveFrom(m)][moveTo(m)] < -4000 * depth)
                    continue;
            } else if (!quiet && depth <= 4 && scores[i] < 0 && !b.seeAtLeast(m, -100 * depth)) {
                continue;
            }
        }

        if (root) {
            ++m_rootMoveNumber;
            if (m_callbacks && m_callbacks->currentMove)
                m_callbacks->currentMove(Board::moveText(m).c_str(), m_rootMoveNumber, m_rootMoveCount);
        }
        if (quiet)
            quiets[quietCount++] = m;
        m_keys[std::size_t(m_rootIndex + ply + 1)] = next.key;
        m_lastMove[ply] = m;
        const int newDepth = depth - 1 + (givesCheck ? 1 : 0);

        int score;
        if (legal == 1) {
            score = -alphaBeta(next, newDepth, -beta, -alpha, ply + 1, true);
        } else {
            int r = 0;
            if (depth >= 3 && quiet && legal > (pvNode ? 3 : 2)) {
                r = g_reduction[std::min(depth, 63)][std::min(legal, 63)];
                if (pvNode)
                    --r;
                if (m == m_killers[ply][0] || m == m_killers[ply][1])
                    --r;
                if (givesCheck || inCheck)
                    --r;
                r -= m_history[b.side][moveFrom(m)][moveTo(m)] / 6000;
                r = std::clamp(r, 0, newDepth - 1);
            }
            score = -alphaBeta(next, newDepth - r, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && r > 0)
                score = -alphaBeta(next, newDepth, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && score < beta)
                score = -alphaBeta(next, newDepth, -beta, -alpha, ply + 1, true);
        }
        if (m_stopped)
            return 0;

        if (score > best) {
            best = score;
            bestMove = m;
            if (score > alpha) {
                alpha = score;
                m_pv[ply][ply] = m;
                for (int j = ply + 1; j < m_pvLength[ply + 1]; ++j)
                    m_pv[ply][j] = m_pv[ply + 1][j];
                m_pvLength[ply] = std::max(m_pvLength[ply + 1], ply + 1);
                if (root) {
                    m_rootBest = m;
                    m_rootScore = score;
                    m_rootPonder = m_pvLength[0] > 1 ? m_pv[0][1] : NoMove;
                }
                if (score >= beta) {
                    if (quiet)
                        updateQuietHistory(b, m, quiets, quietCount, depth, ply);
                    break;
                }
            }
        }
    }

    if (legal == 0)
        return inCheck ? -Mate + ply : 0;

    int bound = best >= beta ? 2 : best > originalAlpha ? 3 : 1;
    m_tt.store(b.key, scoreToTt(best, ply), inCheck ? 0 : staticEval, bestMove, depth, bound);
    return best;
}

SearchResult Searcher::search(const Board& rootBoard, const std::vector<std::uint64_t>& history, const Limits& limits,
                              bool ponder)
{
    std::lock_guard<std::mutex> lock(m_ttMutex);
    if (m_clearPending.exchange(false)) {
        m_tt.clear();
        std::memset(m_history, 0, sizeof m_history);
        std::memset(m_counter, 0, sizeof m_counter);
    }
    m_startMs.store(nowMs());
    m_lastReportMs = m_startMs.load();
    m_pondering.store(ponder);
    m_stopped = false;
    m_nodes = 0;
    m_selDepth = 0;
    m_rootBest = m_rootPonder = NoMove;
    m_rootScore = 0;
    std::memset(m_killers, 0, sizeof m_killers);
    std::memset(m_lastMove, 0, sizeof m_lastMove);
    for (auto& side : m_history)
        for (auto& from : side)
            for (int& h : from)
                h /= 4;

    // Time: "seconds" is what is left for movesToGo moves (0 = all the rest).
    const bool unlimited = limits.seconds >= 999999;
    m_timed = !unlimited;
    const std::int64_t left = std::max<std::int64_t>(std::int64_t(limits.seconds) * 1000, 0);
    const std::int64_t inc = std::max(limits.increment, 0) * 1000LL;
    const std::int64_t reserve = std::min<std::int64_t>(50, left / 10);
    if (limits.movesToGo == 1) {
        m_hardMs = m_softMs = std::max<std::int64_t>(left - reserve, 10);
    } else {
        // Less than a second may be all that is left of an unknown fraction:
        // play at once rather than lose on time.
        std::int64_t usable = left > 0 ? left - reserve : 300;
        int moves = limits.movesToGo > 1 ? std::min(limits.movesToGo, 40) + 1 : 26;
        std::int64_t optimum = usable / moves + inc * 3 / 4;
        m_softMs = std::max<std::int64_t>(optimum * 7 / 10, 5);
        m_hardMs = std::max<std::int64_t>(std::min(optimum * 4, usable / 3 + inc / 2), 10);
    }
    const int maxDepth = std::clamp(limits.depth >= 99 ? MaxPly - 4 : limits.depth, 1, MaxPly - 4);

    m_keys.assign(history.begin(), history.end());
    m_rootIndex = int(m_keys.size());
    m_keys.resize(m_keys.size() + MaxPly + 4);
    m_keys[std::size_t(m_rootIndex)] = rootBoard.key;

    SearchResult result;
    MoveList rootMoves;
    rootBoard.generate(rootMoves, false);
    m_rootMoveCount = 0;
    Move onlyMove = NoMove;
    for (int i = 0; i < rootMoves.count; ++i)
        if (rootBoard.isLegal(rootMoves.moves[i])) {
            ++m_rootMoveCount;
            onlyMove = rootMoves.moves[i];
        }
    if (m_rootMoveCount == 0)
        return result;

    Board root = rootBoard;
    int score = 0;
    for (int depth = 1; depth <= maxDepth; ++depth) {
        if (m_callbacks && m_callbacks->depth)
            m_callbacks->depth(depth, std::max(m_selDepth, depth));
        int delta = 20;
        int alpha = -Infinite, beta = Infinite;
        if (depth >= 5 && std::abs(score) < MateBound) {
            alpha = score - delta;
            beta = score + delta;
        }
        for (;;) {
            m_rootMoveNumber = 0;
            int s = alphaBeta(root, depth, alpha, beta, 0, false);
            if (m_stopped)
                break;
            if (s <= alpha) {
                beta = (alpha + beta) / 2;
                alpha = std::max(s - delta, -Infinite);
            } else if (s >= beta) {
                beta = std::min(s + delta, int(Infinite));
            } else {
                score = s;
                break;
            }
            delta += delta / 2 + 10;
        }
        if (m_stopped && result.best != NoMove) {
            // A move that beat the previous best in the unfinished iteration counts.
            if (m_rootBest != NoMove && m_rootBest != result.best && m_rootScore > result.score) {
                result.best = m_rootBest;
                result.ponder = m_rootPonder;
                result.score = m_rootScore;
            }
            break;
        }
        if (m_rootBest == NoMove)
            break;
        result.best = m_rootBest;
        result.ponder = m_rootPonder;
        result.score = score;
        result.depth = depth;
        reportPv(depth, score);
        if (m_stopped)
            break;
        if (!m_pondering.load() && m_timed) {
            if (elapsedMs() >= m_softMs && limits.movesToGo != 1)
                break;
            if (m_rootMoveCount == 1 && depth >= 4)
                break;
            if (std::abs(score) >= MateBound && depth > 2 * (Mate - std::abs(score)) + 4)
                break;
        }
    }
    if (result.best == NoMove) {
        result.best = m_rootBest != NoMove ? m_rootBest : onlyMove;
        m_pv[0][0] = result.best;
        m_pvLength[0] = 1;
        reportPv(1, m_rootScore);
    }
    result.nodes = m_nodes;
    reportNodes();
    m_stop.store(false);
    return result;
}

} // namespace quill
