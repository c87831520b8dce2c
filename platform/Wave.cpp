#include "platform/Wave.h"

#include <array>
#include <cstring>
#include <fstream>

namespace qm {

namespace {

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;
constexpr std::size_t MaxFileBytes = 64u << 20;
constexpr int MaxSampleRate = 768000;
// The GUID tail shared by every KSDATAFORMAT_SUBTYPE_*; its first two bytes
// are the plain format code.
constexpr std::array<std::uint8_t, 14> SubtypeTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::nullopt_t fail(std::string* error, std::string why)
{
    if (error)
        *error = std::move(why);
    return std::nullopt;
}

} // namespace

std::int64_t CWave::durationMs() const
{
    if (sampleRate <= 0)
        return 0;
    const auto frames = static_cast<std::int64_t>(frameCount());
    return (frames * 1000 + sampleRate - 1) / sampleRate;
}

std::optional<CWave> parseWave(std::span<const std::uint8_t> bytes, std::string* error)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return fail(error, "not a RIFF/WAVE file");
    const std::size_t riffEnd = std::size_t{8} + le32(bytes.data() + 4);
    if (riffEnd > bytes.size())
        return fail(error, "truncated: the RIFF chunk runs past the end of the file");
    if (riffEnd < 12)
        return fail(error, "malformed RIFF size");

    CWave wave;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (riffEnd - pos >= 8) {
        const std::uint8_t* head = bytes.data() + pos;
        const std::size_t size = le32(head + 4);
        pos += 8;
        if (size > riffEnd - pos)
            return fail(error, "truncated: chunk '" + std::string(reinterpret_cast<const char*>(head), 4) +
                                   "' runs past the end of the file");
        const std::uint8_t* body = bytes.data() + pos;
        if (std::memcmp(head, "fmt ", 4) == 0 && !haveFormat) {
            if (size < 16)
                return fail(error, "format chunk too short");
            std::uint16_t format = le16(body);
            const int channels = le16(body + 2);
            const std::uint32_t rate = le32(body + 4);
            const int blockAlign = le16(body + 12);
            const int bits = le16(body + 14);
            if (format == FormatExtensible) {
                if (size < 40)
                    return fail(error, "extensible format chunk too short");
                if (std::memcmp(body + 26, SubtypeTail.data(), SubtypeTail.size()) != 0)
                    return fail(error, "unknown extensible sub-format");
                format = le16(body + 24);
            }
            if (format != FormatPcm)
                return fail(error, "not PCM (format " + std::to_string(format) + ")");
            if (channels != 1 && channels != 2)
                return fail(error, std::to_string(channels) + " channels (only mono and stereo are played)");
            if (bits != 8 && bits != 16)
                return fail(error, std::to_string(bits) + "-bit samples (only 8 and 16 bits are played)");
            if (rate == 0 || rate > MaxSampleRate)
                return fail(error, "sample rate " + std::to_string(rate) + " out of range");
            if (blockAlign != channels * bits / 8)
                return fail(error, "block alignment " + std::to_string(blockAlign) + " does not fit the format");
            wave.channels = channels;
            wave.sampleRate = static_cast<int>(rate);
            wave.bitsPerSample = bits;
            haveFormat = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            if (!haveFormat)
                return fail(error, "data chunk before the format chunk");
            if (size % static_cast<std::size_t>(wave.bytesPerFrame()) != 0)
                return fail(error, "truncated: the data chunk ends inside a sample frame");
            wave.samples.assign(body, body + size);
            return wave;
        }
        // Chunks are padded to an even size; a missing last pad byte is tolerated.
        pos += size + (size & 1);
        if (pos > riffEnd)
            break;
    }
    return fail(error, haveFormat ? "no data chunk" : "no format chunk");
}

std::optional<CWave> readWaveFile(const std::filesystem::path& file, std::string* error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return fail(error, "cannot open " + file.string());
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return fail(error, "cannot read " + file.string());
    if (static_cast<std::uint64_t>(size) > MaxFileBytes)
        return fail(error, file.string() + " is too large for a sound");
    in.seekg(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return fail(error, "cannot read " + file.string());
    std::string why;
    auto wave = parseWave(bytes, &why);
    if (!wave)
        return fail(error, file.string() + ": " + why);
    return wave;
}

std::vector<std::uint8_t> encodeWave(const CWave& wave)
{
    const auto dataSize = static_cast<std::uint32_t>(wave.samples.size());
    std::vector<std::uint8_t> out;
    out.reserve(44 + wave.samples.size() + 1);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, 36 + dataSize + (dataSize & 1));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, FormatPcm);
    put16(out, static_cast<std::uint32_t>(wave.channels));
    put32(out, static_cast<std::uint32_t>(wave.sampleRate));
    put32(out, static_cast<std::uint32_t>(wave.sampleRate * wave.bytesPerFrame()));
    put16(out, static_cast<std::uint32_t>(wave.bytesPerFrame()));
    put16(out, static_cast<std::uint32_t>(wave.bitsPerSample));
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, dataSize);
    out.insert(out.end(), wave.samples.begin(), wave.samples.end());
    if (dataSize & 1)
        out.push_back(0);
    return out;
}

bool writeWaveFile(const std::filesystem::path& file, const CWave& wave, std::string* error)
{
    const std::vector<std::uint8_t> bytes = encodeWave(wave);
    std::filesystem::path tmp = file;
    tmp += ".part";
    std::error_code ec;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(tmp, ec);
            if (error)
                *error = "cannot write " + file.string();
            return false;
        }
    }
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        if (error)
            *error = "cannot write " + file.string();
        return false;
    }
    return true;
}

} // namespace qm
