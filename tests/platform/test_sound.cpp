// The move clips as committed, and real playback through ALSA's "null"
// device, which exists on every machine with the ALSA library.
#include "Clips.h"
#include "platform/Wave.h"
#include "platform/alsa/AlsaSoundSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>

using namespace qm;
using namespace std::chrono_literals;

namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

const std::filesystem::path CommittedClips = std::filesystem::path(QM_TEST_SOURCE_DIR) / ".." / ".." / "resources" / "sounds";
const std::filesystem::path InstalledClips = std::filesystem::path(QM_BINARY_DIR) / "bin" / "sounds";

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A tone of `ms` milliseconds in the given format.
CWave tone(int ms, int rate, int channels, int bits)
{
    CWave w;
    w.sampleRate = rate;
    w.channels = channels;
    w.bitsPerSample = bits;
    const int frames = rate * ms / 1000;
    for (int i = 0; i < frames; ++i) {
        const double v = 0.3 * std::sin(2 * 3.14159265358979 * 440 * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                w.samples.push_back(static_cast<std::uint8_t>(128 + std::lround(v * 127)));
            } else {
                const auto s = static_cast<std::int16_t>(std::lround(v * 32767));
                w.samples.push_back(static_cast<std::uint8_t>(s & 0xFF));
                w.samples.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
            }
        }
    }
    return w;
}

class SoundPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("qm_sound_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(writeWaveFile(dir / "LONG.wav", tone(3000, 11025, 1, 8)));
        ASSERT_TRUE(writeWaveFile(dir / "MEDIUM.wav", tone(400, 22050, 2, 16)));
        ASSERT_TRUE(writeWaveFile(dir / "SHORT.wav", tone(60, 11025, 1, 8)));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    static void waitForStarts(CAlsaSoundSink& sink, int n)
    {
        const auto deadline = SteadyClock::now() + 2s;
        while (sink.counts().started < n && SteadyClock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_GE(sink.counts().started, n);
    }
    static Ms since(SteadyClock::time_point t)
    {
        return std::chrono::duration_cast<Ms>(SteadyClock::now() - t);
    }

    std::filesystem::path dir;
};

} // namespace

TEST(MoveClips, HaveTheirFixedFormatAndLengths)
{
    const int frames[] = {753, 763, 962, 3573, 753, 763, 962, 3573};
    for (int n = 1; n <= 8; ++n) {
        const std::string name = "MOVE" + std::to_string(n);
        SCOPED_TRACE(name);
        std::string error;
        const std::optional<CWave> w = readWaveFile(CommittedClips / (name + ".wav"), &error);
        ASSERT_TRUE(w) << error;
        EXPECT_EQ(w->channels, 1);
        EXPECT_EQ(w->bitsPerSample, 8);
        EXPECT_EQ(w->sampleRate, 11025);
        EXPECT_EQ(w->frameCount(), static_cast<std::size_t>(frames[n - 1]));
        // Audible, and ending on silence so it never clicks when cut.
        int peak = 0;
        for (std::uint8_t s : w->samples)
            peak = std::max(peak, std::abs(int(s) - 128));
        EXPECT_GT(peak, 60);
        EXPECT_EQ(w->samples.back(), 128);
        // The committed file is what the generator makes, and what the
        // program finds beside itself.
        EXPECT_EQ(fileBytes(CommittedClips / (name + ".wav")), encodeWave(soundgen::makeClip(n)))
            << "resources/sounds is stale: regenerate it with soundgen";
        EXPECT_EQ(fileBytes(InstalledClips / (name + ".wav")), fileBytes(CommittedClips / (name + ".wav")));
    }
    // The centre variants differ from their plain kinds.
    for (int n = 1; n <= 4; ++n)
        EXPECT_NE(soundgen::makeClip(n).samples, soundgen::makeClip(n + 4).samples) << n;
}

TEST_F(SoundPlayback, SynchronousFilesLastAsLongAsTheirSound)
{
    CAlsaSoundSink sink(CommittedClips, "null");
    ASSERT_TRUE(writeWaveFile(dir / "word8.wav", tone(250, 11025, 1, 8)));
    for (const char* file : {"word8.wav", "MEDIUM.wav"}) {
        SCOPED_TRACE(file);
        const int ms = std::string(file) == "MEDIUM.wav" ? 400 : 250;
        const auto t = SteadyClock::now();
        EXPECT_TRUE(sink.playFileSync(dir / file));
        EXPECT_GE(since(t), Ms(ms - 10));
        EXPECT_LT(since(t), Ms(ms + 1500));
    }
    EXPECT_EQ(sink.counts().completed, 2);
    // Missing and broken files are refused at once.
    {
        std::ofstream(dir / "broken.wav") << "RIFF\x10\0\0\0WAVEfmt ";
    }
    EXPECT_FALSE(sink.playFileSync(dir / "missing.wav"));
    EXPECT_FALSE(sink.playFileSync(dir / "broken.wav"));
    EXPECT_EQ(sink.counts().started, 2);
}

TEST_F(SoundPlayback, ClipsAndTheAlertPlayByName)
{
    CAlsaSoundSink sink(InstalledClips, "null");
    for (const char* name : {"MOVE1", "MOVE4", "MOVE8"}) {
        sink.playClip(name);
        ASSERT_TRUE(sink.waitIdle(2s)) << name;
    }
    sink.playDefault();
    ASSERT_TRUE(sink.waitIdle(2s));
    EXPECT_EQ(sink.counts().started, 4);
    EXPECT_EQ(sink.counts().completed, 4);
    // Unknown clips and names that are not plain words play nothing.
    for (const char* name : {"MOVE9", "", "../sounds/MOVE1", "MOVE1.wav", "/etc/passwd"})
        sink.playClip(name);
    ASSERT_TRUE(sink.waitIdle(2s));
    EXPECT_EQ(sink.counts().started, 4);
}

TEST_F(SoundPlayback, ANewerClipReplacesOnePlaying)
{
    CAlsaSoundSink sink(dir, "null");
    const auto t = SteadyClock::now();
    sink.playClip("LONG");
    waitForStarts(sink, 1);
    std::this_thread::sleep_for(50ms);
    sink.playClip("SHORT");
    ASSERT_TRUE(sink.waitIdle(2s));
    EXPECT_LT(since(t), Ms(1500));
    const CAlsaSoundSink::Counts c = sink.counts();
    EXPECT_EQ(c.started, 2);
    EXPECT_EQ(c.interrupted, 1);
    EXPECT_EQ(c.completed, 1);
}

TEST_F(SoundPlayback, ASynchronousFileWaitsForTheClipBeforeIt)
{
    CAlsaSoundSink sink(dir, "null");
    const auto t = SteadyClock::now();
    sink.playClip("MEDIUM");
    EXPECT_TRUE(sink.playFileSync(dir / "SHORT.wav"));
    EXPECT_GE(since(t), Ms(400 + 60 - 10));
    const CAlsaSoundSink::Counts c = sink.counts();
    EXPECT_EQ(c.completed, 2);
    EXPECT_EQ(c.interrupted, 0);
}

TEST_F(SoundPlayback, ShutdownStopsWhatPlays)
{
    auto sink = std::make_unique<CAlsaSoundSink>(dir, "null");
    sink->playClip("LONG");
    waitForStarts(*sink, 1);
    const auto t = SteadyClock::now();
    sink.reset();
    EXPECT_LT(since(t), Ms(500));
}

TEST_F(SoundPlayback, NoDeviceIsSilentAndQuick)
{
    testing::internal::CaptureStderr();
    {
        CAlsaSoundSink sink(dir, "quillmarsh_no_such_device");
        const auto t = SteadyClock::now();
        sink.playClip("SHORT");
        sink.playDefault();
        EXPECT_FALSE(sink.playFileSync(dir / "MEDIUM.wav"));
        ASSERT_TRUE(sink.waitIdle(2s));
        EXPECT_LT(since(t), Ms(1000));
        EXPECT_EQ(sink.counts().started, 0);
        EXPECT_GE(sink.counts().deviceFailures, 2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
