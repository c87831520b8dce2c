#pragma once
// Tick count and sleep behind an interface, so tests run time by hand.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace qm {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::uint64_t tickMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

class CSystemClock final : public IClock {
public:
    std::uint64_t tickMs() override;
    void sleepMs(int ms) override;
};

// Time moves only when told to; sleeping moves it by the time slept. Safe to
// read from several threads.
class CManualClock final : public IClock {
public:
    std::uint64_t tickMs() override { return m_now.load(); }
    void sleepMs(int ms) override { advance(ms); }
    void advance(int ms)
    {
        if (ms > 0)
            m_now += static_cast<std::uint64_t>(ms);
    }

private:
    std::atomic<std::uint64_t> m_now{0};
};

} // namespace qm
