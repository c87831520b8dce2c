#pragma once
// The program's sound output on ALSA.

#include "platform/Sound.h"
#include "platform/Wave.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qm {

// Plays waves on one worker thread, one at a time, through an ALSA PCM
// device opened anew for each sound (each may have its own format). A clip
// or the alert replaces whatever is playing or waiting; a synchronous file
// waits for the sound before it to end. Without a usable device every call
// is silent and returns at once: nothing is printed, nothing waits.
//
// Sounds are paced at their own rate even on devices that take data faster
// (ALSA's "null" and file devices), so a synchronous file lasts as long as
// its sound everywhere.
class CAlsaSoundSink final : public ISoundSink {
public:
    // Clip "NAME" is the file `clipFolder`/NAME.wav, read on first use.
    // `device` is an ALSA PCM name ("default", "null", "hw:0", ...).
    explicit CAlsaSoundSink(std::filesystem::path clipFolder, std::string device = "default");
    // Stops what is playing and joins the worker.
    ~CAlsaSoundSink() override;
    CAlsaSoundSink(const CAlsaSoundSink&) = delete;
    CAlsaSoundSink& operator=(const CAlsaSoundSink&) = delete;

    // A missing or unreadable clip, or a name that is not a plain word, plays nothing.
    void playClip(std::string_view name) override;
    // False when the file cannot be read, no device takes it, or a newer
    // sound cut it short.
    bool playFileSync(const std::filesystem::path& file) override;
    // A short two-tone alert, played like a clip.
    void playDefault() override;

    struct Counts {
        int started = 0;         // sounds the device was opened for
        int completed = 0;       // played to their end
        int interrupted = 0;     // cut short by a newer sound or by shutdown
        int deviceFailures = 0;  // the device could not be opened or set up
    };
    Counts counts() const;
    // Waits until nothing plays or waits to play; false after `timeout`.
    bool waitIdle(std::chrono::milliseconds timeout);

private:
    struct Job {
        std::shared_ptr<const CWave> wave;
        std::uint64_t id = 0;
        bool sync = false;  // a caller waits for its result
    };
    enum class Outcome { Completed, Interrupted, Failed };

    // Queues a sound (under m_mutex). A clip first drops every sound waiting
    // and stops the one playing.
    std::uint64_t enqueueLocked(std::shared_ptr<const CWave> wave, bool sync);
    void finishLocked(const Job& job, bool played);
    void run();
    Outcome play(const CWave& wave);

    const std::filesystem::path m_clipFolder;
    const std::string m_device;
    const std::shared_ptr<const CWave> m_alert;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // the worker: a job or the end
    std::condition_variable m_done;  // callers: a job finished
    std::map<std::string, std::shared_ptr<const CWave>, std::less<>> m_clips;  // null: no such clip
    std::deque<Job> m_queue;
    bool m_playing = false;
    bool m_quit = false;
    std::uint64_t m_nextId = 1;
    std::map<std::uint64_t, bool> m_results;  // synchronous jobs finished, not yet collected
    Counts m_counts;
    // Set to end the sound playing now; read by the worker between writes.
    std::atomic<bool> m_stopCurrent{false};
    std::thread m_worker;
};

} // namespace qm
