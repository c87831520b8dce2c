// The WAVE reader on any bytes: it refuses or returns a sound that fits its
// own format, and a sound it returns reads back the same once written.
// fuzz-libs: qm_platform
#include "platform/Wave.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const std::optional<qm::CWave> wave = qm::parseWave({data, size}, &error);
    if (!wave) {
        if (error.empty())
            std::abort();
        return 0;
    }
    if ((wave->channels != 1 && wave->channels != 2) || (wave->bitsPerSample != 8 && wave->bitsPerSample != 16) ||
        wave->sampleRate <= 0 || wave->samples.size() % static_cast<std::size_t>(wave->bytesPerFrame()) != 0 ||
        wave->samples.size() > size)
        std::abort();
    const std::vector<std::uint8_t> image = qm::encodeWave(*wave);
    const std::optional<qm::CWave> back = qm::parseWave(image);
    if (!back || back->samples != wave->samples || back->channels != wave->channels ||
        back->sampleRate != wave->sampleRate || back->bitsPerSample != wave->bitsPerSample)
        std::abort();
    return 0;
}
