#pragma once
// PCM wave data and the RIFF/WAVE files that carry it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// Interleaved PCM samples as a WAVE file stores them: 8-bit samples are
// unsigned (silence 128), 16-bit samples signed little-endian.
struct CWave {
    int channels = 1;          // 1 or 2
    int sampleRate = 11025;    // frames per second
    int bitsPerSample = 8;     // 8 or 16
    std::vector<std::uint8_t> samples;

    int bytesPerFrame() const { return channels * (bitsPerSample / 8); }
    std::size_t frameCount() const { return bytesPerFrame() > 0 ? samples.size() / bytesPerFrame() : 0; }
    // Length in milliseconds, rounded up.
    std::int64_t durationMs() const;
};

// Reads a RIFF/WAVE image: PCM (plain or extensible), 8 or 16 bits, mono or
// stereo, any rate. Chunks other than "fmt " and "data" are skipped. Anything
// malformed or truncated gives nothing and a one-line reason in `error`; no
// byte outside `bytes` is ever read.
std::optional<CWave> parseWave(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
// The same for a file; files above 64 MiB are refused.
std::optional<CWave> readWaveFile(const std::filesystem::path& file, std::string* error = nullptr);

// A canonical 44-byte-header RIFF/WAVE image of `wave`.
std::vector<std::uint8_t> encodeWave(const CWave& wave);
// Writes `encodeWave(wave)` through a temporary file, so a failed write leaves
// no half file under the name; false (with `error`) on failure.
bool writeWaveFile(const std::filesystem::path& file, const CWave& wave, std::string* error = nullptr);

} // namespace qm
