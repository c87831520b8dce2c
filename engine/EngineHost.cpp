#include "engine/EngineHost.h"

#include <atomic>
#include <stdexcept>

namespace qm {

namespace {

std::atomic<CEngineHost*> g_hosts[CEngineHost::MaxHosts];

template <int N>
struct Trampolines {
    static void nodes(std::uint32_t low, std::uint32_t high)
    {
        if (CEngineHost* h = g_hosts[N].load())
            h->receiveNodes(std::uint64_t(high) << 32 | low);
    }
    static void depth(int d, int s)
    {
        if (CEngineHost* h = g_hosts[N].load())
            h->receiveDepth(d, s);
    }
    static void currentMove(const char* m, int i, int n)
    {
        if (CEngineHost* h = g_hosts[N].load())
            h->receiveCurrentMove(m, i, n);
    }
    static void pv(const char* text, int score)
    {
        if (CEngineHost* h = g_hosts[N].load())
            h->receivePv(text, score);
    }
    static int identity(int v) { return v; }
    static QmEngineCallbacks record() { return {0, nodes, depth, currentMove, pv, identity}; }
};

QmEngineCallbacks recordFor(int slot)
{
    switch (slot) {
    case 0: return Trampolines<0>::record();
    case 1: return Trampolines<1>::record();
    case 2: return Trampolines<2>::record();
    default: return Trampolines<3>::record();
    }
}

std::string word(const std::string& text, int n)
{
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos)
            end = text.size();
        if (pos >= end)
            return "";
        if (n-- == 0)
            return text.substr(pos, end - pos);
        pos = end;
    }
}

} // namespace

std::string CSearchReport::bestMove() const { return word(pv, 0); }
std::string CSearchReport::ponderMove() const { return word(pv, 1); }

CEngineHost::CEngineHost(std::unique_ptr<CEnginePlugin> plugin) : m_plugin(std::move(plugin))
{
    for (int i = 0; i < MaxHosts; ++i) {
        CEngineHost* expected = nullptr;
        if (g_hosts[i].compare_exchange_strong(expected, this)) {
            m_slot = i;
            break;
        }
    }
    if (m_slot < 0)
        throw std::runtime_error("too many engines at once");
    m_callbacks = recordFor(m_slot);
}

CEngineHost::~CEngineHost()
{
    exit();
    g_hosts[m_slot].store(nullptr);
}

void CEngineHost::start(int hashKilobytes)
{
    if (m_started)
        return;
    exports().startEngine(hashKilobytes, &m_callbacks);
    m_started = true;
}

void CEngineHost::exit()
{
    if (!m_started)
        return;
    exports().exitEngine();
    m_started = false;
}

CSearchReport CEngineHost::think(bool ponder)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_report = CSearchReport{};
    }
    exports().startAnalyse(ponder ? 1 : 0);
    return report();
}

CSearchReport CEngineHost::report() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_report;
}

void CEngineHost::receiveNodes(std::uint64_t nodes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.nodes = nodes;
}

void CEngineHost::receiveDepth(int depth, int selectiveDepth)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.depth = depth;
    m_report.selectiveDepth = selectiveDepth;
}

void CEngineHost::receiveCurrentMove(const char* move, int index, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.currentMove = move ? move : "";
    m_report.currentIndex = index;
    m_report.rootMoves = count;
}

void CEngineHost::receivePv(const char* pv, int score)
{
    int depth;
    std::string text = pv ? pv : "";
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_report.pv = text;
        m_report.score = score;
        depth = m_report.depth;
    }
    if (m_pvListener)
        m_pvListener(depth, score, text);
}

} // namespace qm
