#include "platform/alsa/AlsaSoundSink.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;

// ALSA reports every failed open on stderr; a machine without sound is normal here.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Two short tones, 16-bit mono at 22050 Hz, with soft edges so they do not click.
std::shared_ptr<const CWave> makeAlert()
{
    auto wave = std::make_shared<CWave>();
    wave->sampleRate = 22050;
    wave->bitsPerSample = 16;
    const int toneFrames = wave->sampleRate * 70 / 1000;
    const int gapFrames = wave->sampleRate * 30 / 1000;
    const int edge = wave->sampleRate * 5 / 1000;
    for (double freq : {880.0, 1320.0}) {
        for (int i = 0; i < toneFrames; ++i) {
            const double env = std::min({1.0, double(i) / edge, double(toneFrames - 1 - i) / edge});
            const double v = 0.35 * env * std::sin(2 * std::numbers::pi * freq * i / wave->sampleRate);
            const auto s = static_cast<std::int16_t>(std::lround(v * 32767));
            wave->samples.push_back(static_cast<std::uint8_t>(s & 0xFF));
            wave->samples.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
        wave->samples.insert(wave->samples.end(), static_cast<std::size_t>(gapFrames) * 2, 0);
    }
    return wave;
}

bool isPlainName(std::string_view name)
{
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

// Closes the PCM on every way out of a playback.
struct PcmHandle {
    snd_pcm_t* pcm = nullptr;
    ~PcmHandle()
    {
        if (pcm) {
            snd_pcm_drop(pcm);
            snd_pcm_close(pcm);
        }
    }
};

} // namespace

CAlsaSoundSink::CAlsaSoundSink(std::filesystem::path clipFolder, std::string device)
    : m_clipFolder(std::move(clipFolder)), m_device(std::move(device)), m_alert(makeAlert())
{
    snd_lib_error_set_handler(quietAlsa);
    m_worker = std::thread([this] { run(); });
}

CAlsaSoundSink::~CAlsaSoundSink()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_stopCurrent = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void CAlsaSoundSink::playClip(std::string_view name)
{
    if (!isPlainName(name))
        return;
    std::unique_lock lock(m_mutex);
    auto it = m_clips.find(name);
    if (it == m_clips.end()) {
        // Read outside the lock: the worker must not wait on a disk.
        lock.unlock();
        std::optional<CWave> wave = readWaveFile(m_clipFolder / (std::string(name) + ".wav"));
        std::shared_ptr<const CWave> clip = wave ? std::make_shared<const CWave>(std::move(*wave)) : nullptr;
        lock.lock();
        it = m_clips.emplace(std::string(name), std::move(clip)).first;
    }
    if (it->second)
        enqueueLocked(it->second, false);
}

void CAlsaSoundSink::playDefault()
{
    std::lock_guard lock(m_mutex);
    enqueueLocked(m_alert, false);
}

bool CAlsaSoundSink::playFileSync(const std::filesystem::path& file)
{
    std::optional<CWave> wave = readWaveFile(file);
    if (!wave)
        return false;
    std::unique_lock lock(m_mutex);
    if (m_quit)
        return false;
    const std::uint64_t id = enqueueLocked(std::make_shared<const CWave>(std::move(*wave)), true);
    m_done.wait(lock, [&] { return m_results.count(id) > 0; });
    const bool played = m_results[id];
    m_results.erase(id);
    return played;
}

std::uint64_t CAlsaSoundSink::enqueueLocked(std::shared_ptr<const CWave> wave, bool sync)
{
    if (!sync) {
        for (const Job& job : m_queue)
            finishLocked(job, false);
        m_queue.clear();
        m_stopCurrent = true;
        m_done.notify_all();
    }
    const std::uint64_t id = m_nextId++;
    m_queue.push_back({std::move(wave), id, sync});
    m_wake.notify_one();
    return id;
}

void CAlsaSoundSink::finishLocked(const Job& job, bool played)
{
    if (job.sync)
        m_results[job.id] = played;
}

CAlsaSoundSink::Counts CAlsaSoundSink::counts() const
{
    std::lock_guard lock(m_mutex);
    return m_counts;
}

bool CAlsaSoundSink::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, timeout, [&] { return m_queue.empty() && !m_playing; });
}

void CAlsaSoundSink::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_quit || !m_queue.empty(); });
        if (m_quit)
            break;
        const Job job = std::move(m_queue.front());
        m_queue.pop_front();
        // A stop asked before this job was taken was meant for an older sound.
        m_stopCurrent = false;
        m_playing = true;
        lock.unlock();
        const Outcome outcome = play(*job.wave);
        lock.lock();
        m_playing = false;
        switch (outcome) {
        case Outcome::Completed: ++m_counts.completed; break;
        case Outcome::Interrupted: ++m_counts.interrupted; break;
        case Outcome::Failed: ++m_counts.deviceFailures; break;
        }
        finishLocked(job, outcome == Outcome::Completed);
        m_done.notify_all();
    }
    for (const Job& job : m_queue)
        finishLocked(job, false);
    m_queue.clear();
    m_done.notify_all();
}

CAlsaSoundSink::Outcome CAlsaSoundSink::play(const CWave& wave)
{
    // Non-blocking open, so a device held by another program fails at once
    // instead of waiting for it.
    PcmHandle h;
    if (snd_pcm_open(&h.pcm, m_device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        h.pcm = nullptr;
        return Outcome::Failed;
    }
    const snd_pcm_format_t format = wave.bitsPerSample == 16 ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_U8;
    if (snd_pcm_set_params(h.pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(wave.channels),
                           static_cast<unsigned>(wave.sampleRate), 1, 100000) < 0)
        return Outcome::Failed;
    {
        std::lock_guard lock(m_mutex);
        ++m_counts.started;
    }

    const auto total = static_cast<snd_pcm_sframes_t>(wave.frameCount());
    const std::size_t frameBytes = static_cast<std::size_t>(wave.bytesPerFrame());
    const snd_pcm_sframes_t chunk = std::max(1, wave.sampleRate / 50);
    const snd_pcm_sframes_t lead = std::max(1, wave.sampleRate / 10);
    const Clock::time_point start = Clock::now();
    auto framesDue = [&] {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        return static_cast<snd_pcm_sframes_t>(us * wave.sampleRate / 1000000);
    };
    auto nap = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };

    snd_pcm_sframes_t written = 0;
    while (written < total) {
        if (m_stopCurrent)
            return Outcome::Interrupted;
        if (written > framesDue() + lead) {
            nap();
            continue;
        }
        const snd_pcm_sframes_t n = std::min(chunk, total - written);
        snd_pcm_sframes_t r = snd_pcm_writei(h.pcm, wave.samples.data() + static_cast<std::size_t>(written) * frameBytes,
                                             static_cast<snd_pcm_uframes_t>(n));
        if (r == -EAGAIN) {
            snd_pcm_wait(h.pcm, 10);
            continue;
        }
        if (r < 0) {
            // An underrun or a suspended device; anything else ends the sound.
            if (snd_pcm_recover(h.pcm, static_cast<int>(r), 1) < 0)
                return Outcome::Failed;
            continue;
        }
        written += r;
    }
    // A sound shorter than the start threshold has not started by itself.
    if (snd_pcm_state(h.pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(h.pcm);

    // Until both the device has played out and the sound's time has passed;
    // a device that never drains is given up a second after the sound's end.
    const Clock::time_point end = start + std::chrono::microseconds(std::int64_t{total} * 1000000 / wave.sampleRate);
    const Clock::time_point giveUp = end + std::chrono::seconds(1);
    for (;;) {
        if (m_stopCurrent)
            return Outcome::Interrupted;
        const Clock::time_point now = Clock::now();
        snd_pcm_sframes_t delay = 0;
        const bool deviceBusy = snd_pcm_state(h.pcm) == SND_PCM_STATE_RUNNING && snd_pcm_delay(h.pcm, &delay) == 0 &&
                                delay > 0;
        if ((!deviceBusy && now >= end) || now >= giveUp)
            break;
        nap();
    }
    return Outcome::Completed;
}

} // namespace qm
