#include "game/PgnFileReader.h"

#include "game/PgnReader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {

namespace {

constexpr std::int64_t NoLimit = std::numeric_limits<std::int64_t>::max();

struct OpenFile {
    std::vector<char> buffer = std::vector<char>(std::size_t(1) << 16);
    std::ifstream stream;

    explicit OpenFile(const std::filesystem::path& path)
    {
        stream.rdbuf()->pubsetbuf(buffer.data(), std::streamsize(buffer.size()));
        stream.open(path, std::ios::binary);
    }
    bool ok() const { return bool(stream); }
};

// Reads the games that start at offset and after it, before limit, one after
// the other, handing each digest to take(offset, digest). Returns where the next game
// starts; sets endOfInput when the input ended first.
template <typename Take>
std::int64_t readRun(CPgnReader& reader, std::istream& in, std::int64_t offset, std::int64_t limit,
                     const GameDigester& digest, Take&& take, bool& endOfInput)
{
    while (offset < limit) {
        std::unique_ptr<CGame> game;
        std::int64_t next = offset;
        const bool ok = reader.readGame(in, offset, next, game);
        if (!ok && reader.endOfInput()) {
            endOfInput = true;
            break;
        }
        std::any d = digest(offset, game.get());
        game.reset();
        take(offset, d);
        offset = next;
    }
    return offset;
}

struct Batch {
    std::int64_t start = 0;
    std::int64_t limit = NoLimit; // where the scan put the next batch's start
    // Filled by the worker that reads it.
    std::vector<std::pair<std::int64_t, std::any>> games;
    std::int64_t end = 0;
    bool endOfInput = false;
    bool done = false;
};

// Batches in file order between the scanner, the workers and the caller.
class CBatchQueue {
public:
    CBatchQueue(const std::filesystem::path& file, const PgnFileReadOptions& options, const GameDigester& digest)
        : m_file(file), m_digest(digest), m_perBatch(std::max(1, options.gamesPerBatch)), m_ahead(2 * options.jobs + 2)
    {
    }

    void scan()
    {
        OpenFile f(m_file);
        CPgnReader reader;
        std::unique_ptr<CGame> tags;
        std::int64_t offset = 0, next = 0, batchStart = 0;
        int inBatch = 0;
        while (f.ok() && !stopping() && reader.scanGame(f.stream, offset, next, tags)) {
            if (inBatch == m_perBatch) {
                push(batchStart, offset);
                batchStart = offset;
                inBatch = 0;
            }
            ++inBatch;
            offset = next;
        }
        // The last batch reads on to the end, wherever the scan stopped.
        push(batchStart, NoLimit);
        std::lock_guard guard(m_lock);
        m_scanDone = true;
        m_changed.notify_all();
    }

    void work()
    {
        OpenFile f(m_file);
        CPgnReader reader;
        for (;;) {
            Batch* b = nullptr;
            {
                std::unique_lock lock(m_lock);
                m_changed.wait(lock, [&] {
                    return m_stop || (m_nextToRead < m_first + std::ssize(m_queue) && m_nextToRead < m_first + m_ahead)
                        || (m_scanDone && m_nextToRead >= m_first + std::ssize(m_queue));
                });
                if (m_stop || m_nextToRead >= m_first + std::ssize(m_queue))
                    return;
                b = m_queue[std::size_t(m_nextToRead - m_first)].get();
                ++m_nextToRead;
            }
            if (f.ok())
                b->end = readRun(
                    reader, f.stream, b->start, b->limit, m_digest,
                    [&](std::int64_t at, std::any& d) { b->games.emplace_back(at, std::move(d)); }, b->endOfInput);
            else
                b->endOfInput = true;
            std::lock_guard guard(m_lock);
            b->done = true;
            m_changed.notify_all();
        }
    }

    // The next batch in file order once it is read; null after the last.
    std::unique_ptr<Batch> take()
    {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [&] { return (!m_queue.empty() && m_queue.front()->done) || (m_scanDone && m_queue.empty()); });
        if (m_queue.empty())
            return nullptr;
        std::unique_ptr<Batch> b = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_first;
        m_changed.notify_all();
        return b;
    }

    void stop()
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
        m_changed.notify_all();
    }

private:
    bool stopping()
    {
        std::lock_guard guard(m_lock);
        return m_stop;
    }

    void push(std::int64_t start, std::int64_t limit)
    {
        auto b = std::make_unique<Batch>();
        b->start = start;
        b->limit = limit;
        std::lock_guard guard(m_lock);
        m_queue.push_back(std::move(b));
        m_changed.notify_all();
    }

    const std::filesystem::path m_file;
    const GameDigester& m_digest;
    const int m_perBatch;
    const long long m_ahead;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_queue;
    long long m_first = 0;      // the index of the queue's front batch
    long long m_nextToRead = 0; // the index of the next batch a worker takes
    bool m_scanDone = false;
    bool m_stop = false;
};

} // namespace

PgnFileReadResult readPgnFile(const std::filesystem::path& file, const PgnFileReadOptions& options,
                              const GameDigester& digest, const DigestVisitor& visit)
{
    PgnFileReadResult result;
    OpenFile own(file);
    if (!own.ok())
        return result;
    result.opened = true;
    CPgnReader reader;
    auto deliver = [&](std::int64_t offset, std::any& d) { visit(++result.games, offset, d); };
    bool endOfInput = false;
    if (options.jobs <= 1) {
        readRun(reader, own.stream, 0, NoLimit, digest, deliver, endOfInput);
        return result;
    }

    CBatchQueue queue(file, options, digest);
    std::vector<std::thread> threads;
    // Whatever happens on this thread, the others are stopped and joined.
    struct Joiner {
        CBatchQueue& queue;
        std::vector<std::thread>& threads;
        ~Joiner()
        {
            queue.stop();
            for (auto& t : threads)
                t.join();
        }
    } joiner{queue, threads};
    threads.emplace_back([&] { queue.scan(); });
    for (int i = 0; i < options.jobs; ++i)
        threads.emplace_back([&] { queue.work(); });

    // Where reading one game after the other would be now.
    std::int64_t expected = 0;
    while (!endOfInput) {
        std::unique_ptr<Batch> b = queue.take();
        if (!b)
            break;
        if (b->start == expected) {
            for (auto& [offset, d] : b->games)
                deliver(offset, d);
            expected = b->end;
            endOfInput = b->endOfInput;
        } else {
            // The batch began elsewhere than the true next game: read on
            // from there up to where the next batch begins.
            ++result.batchesReread;
            if (expected < b->limit)
                expected = readRun(reader, own.stream, expected, b->limit, digest, deliver, endOfInput);
        }
    }
    return result;
}

} // namespace qm
