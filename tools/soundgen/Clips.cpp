#include "Clips.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace soundgen {

namespace {

constexpr std::array<int, 4> Frames = {753, 763, 962, 3573};

// One resonance of the wood: frequency (Hz), amplitude, decay time (s).
struct Mode {
    double freq;
    double amp;
    double decay;
};

// A small deterministic generator for the noise of the contact.
struct Noise {
    std::uint32_t state;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / double(1u << 23) - 1.0;
    }
};

// Adds one knock at `at` seconds: the damped modes plus a short burst of
// low-passed noise for the contact, all scaled by `gain`; `pitch` scales
// every frequency.
void knock(std::vector<double>& out, double at, double gain, double pitch, const std::vector<Mode>& modes,
           std::uint32_t seed)
{
    const int first = static_cast<int>(std::lround(at * ClipRate));
    Noise noise{seed};
    double smooth = 0;
    for (int i = first; i < static_cast<int>(out.size()); ++i) {
        const double t = double(i - first) / ClipRate;
        double v = 0;
        for (const Mode& m : modes)
            // Resonances near half the rate would fold back as false tones.
            if (m.freq * pitch < 0.45 * ClipRate)
                v += m.amp * std::exp(-t / m.decay) * std::sin(2 * std::numbers::pi * m.freq * pitch * t);
        // Contact: 2.5 ms of noise, smoothed so it reads as wood, not hiss.
        if (t < 0.0025) {
            smooth += 0.45 * (noise.next() - smooth);
            v += 0.6 * smooth * (1 - t / 0.0025);
        }
        // A 0.7 ms attack keeps the onset from a hard step.
        v *= std::min(1.0, t / 0.0007);
        out[static_cast<std::size_t>(i)] += gain * v;
    }
}

const std::vector<Mode> LightWood = {{1180, 1.0, 0.0075}, {2350, 0.55, 0.0050}, {3420, 0.30, 0.0032}, {620, 0.35, 0.011}};
const std::vector<Mode> HeavyWood = {{760, 1.0, 0.0120}, {1530, 0.60, 0.0085}, {2610, 0.35, 0.0050}, {410, 0.40, 0.016}};

} // namespace

int clipFrames(int number) { return Frames[static_cast<std::size_t>((number - 1) % 4)]; }

std::string clipName(int number) { return "MOVE" + std::to_string(number); }

qm::CWave makeClip(int number)
{
    const int kind = (number - 1) % 4;
    // The centre of the board sounds a little brighter.
    const double pitch = number > 4 ? 1.12 : 1.0;
    const auto seed = static_cast<std::uint32_t>(number * 7919);
    std::vector<double> v(static_cast<std::size_t>(Frames[static_cast<std::size_t>(kind)]), 0.0);
    double peak = 0.8;
    switch (kind) {
    case 0:
        knock(v, 0, 1.0, pitch, LightWood, seed);
        peak = 0.7;
        break;
    case 1:
        knock(v, 0, 1.0, pitch, HeavyWood, seed);
        peak = 0.8;
        break;
    case 2:
        // The taken piece knocked aside, then the capturer set down.
        knock(v, 0, 0.5, pitch * 1.2, LightWood, seed);
        knock(v, 0.036, 1.0, pitch, LightWood, seed + 1);
        peak = 0.8;
        break;
    default:
        // A heavy clack, then the taken piece rattling to rest.
        knock(v, 0, 1.0, pitch, HeavyWood, seed);
        {
            const std::array<double, 6> at = {0.070, 0.128, 0.175, 0.212, 0.241, 0.262};
            const std::array<double, 6> gain = {0.55, 0.42, 0.32, 0.24, 0.17, 0.11};
            for (std::size_t i = 0; i < at.size(); ++i)
                knock(v, at[i], gain[i], pitch * (1.25 + 0.04 * double(i)), LightWood, seed + 2 + static_cast<std::uint32_t>(i));
        }
        peak = 0.9;
        break;
    }
    // The last 4 ms fade out, so every clip ends on silence.
    const int fade = ClipRate * 4 / 1000;
    for (int i = 0; i < fade; ++i)
        v[v.size() - 1 - static_cast<std::size_t>(i)] *= double(i) / fade;
    double top = 0;
    for (double s : v)
        top = std::max(top, std::abs(s));
    const double scale = top > 0 ? peak / top : 0;

    qm::CWave wave;
    wave.channels = 1;
    wave.sampleRate = ClipRate;
    wave.bitsPerSample = 8;
    wave.samples.reserve(v.size());
    for (double s : v)
        wave.samples.push_back(static_cast<std::uint8_t>(std::clamp(128 + std::lround(s * scale * 127), 0L, 255L)));
    return wave;
}

} // namespace soundgen
