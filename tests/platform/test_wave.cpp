#include "platform/Wave.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace qm;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

struct Chunk {
    std::string id;
    Bytes body;
    long declared = -1;  // the size written in the header; -1: the body's size
};

// A RIFF/WAVE image of `chunks`, each padded to an even size; `riffDelta` is
// added to the RIFF size written.
Bytes riff(const std::vector<Chunk>& chunks, long riffDelta = 0, const char* form = "WAVE")
{
    Bytes body(form, form + 4);
    for (const Chunk& c : chunks) {
        body.insert(body.end(), c.id.begin(), c.id.end());
        put32(body, static_cast<std::uint32_t>(c.declared >= 0 ? c.declared : static_cast<long>(c.body.size())));
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.body.size() & 1)
            body.push_back(0);
    }
    Bytes out{'R', 'I', 'F', 'F'};
    put32(out, static_cast<std::uint32_t>(static_cast<long>(body.size()) + riffDelta));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes fmt(int format, int channels, int rate, int bits, int blockAlign = -1)
{
    if (blockAlign < 0)
        blockAlign = channels * bits / 8;
    Bytes b;
    put16(b, static_cast<std::uint32_t>(format));
    put16(b, static_cast<std::uint32_t>(channels));
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate * blockAlign));
    put16(b, static_cast<std::uint32_t>(blockAlign));
    put16(b, static_cast<std::uint32_t>(bits));
    return b;
}

// WAVE_FORMAT_EXTENSIBLE with the sub-format GUID of `subFormat`.
Bytes extensible(int channels, int rate, int bits, int subFormat)
{
    Bytes b = fmt(0xFFFE, channels, rate, bits);
    put16(b, 22);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, channels == 2 ? 3 : 4);
    put16(b, static_cast<std::uint32_t>(subFormat));
    for (std::uint8_t x : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        b.push_back(x);
    return b;
}

Bytes samples(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return b;
}

// Parses a copy of exactly the bytes given, so that a read past them is a
// heap overflow the sanitizer reports.
std::optional<CWave> parseExact(const Bytes& bytes, std::string* error = nullptr)
{
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return parseWave({copy.get(), bytes.size()}, error);
}

} // namespace

TEST(Wave, ReadsGoodFiles)
{
    struct Case {
        const char* what;
        Bytes file;
        int channels, rate, bits;
        std::size_t dataBytes;
    };
    const std::vector<Case> cases = {
        {"8-bit mono", riff({{"fmt ", fmt(1, 1, 11025, 8)}, {"data", samples(753)}}), 1, 11025, 8, 753},
        {"16-bit stereo", riff({{"fmt ", fmt(1, 2, 44100, 16)}, {"data", samples(400)}}), 2, 44100, 16, 400},
        {"8-bit stereo, odd rate", riff({{"fmt ", fmt(1, 2, 7999, 8)}, {"data", samples(10)}}), 2, 7999, 8, 10},
        {"16-bit mono, no samples", riff({{"fmt ", fmt(1, 1, 22050, 16)}, {"data", {}}}), 1, 22050, 16, 0},
        {"other chunks around, odd sizes padded",
         riff({{"LIST", samples(5)}, {"fmt ", fmt(1, 1, 8000, 8)}, {"fact", samples(4)}, {"data", samples(9)},
               {"id3 ", samples(3)}}),
         1, 8000, 8, 9},
        {"format chunk longer than 16 bytes",
         riff({{"fmt ", [] { Bytes b = fmt(1, 1, 11025, 8); put16(b, 0); return b; }()}, {"data", samples(6)}}), 1,
         11025, 8, 6},
        {"extensible PCM", riff({{"fmt ", extensible(2, 48000, 16, 1)}, {"data", samples(64)}}), 2, 48000, 16, 64},
        {"trailing bytes after the RIFF chunk",
         [] { Bytes b = riff({{"fmt ", fmt(1, 1, 11025, 8)}, {"data", samples(4)}}); b.insert(b.end(), 7, 0xEE); return b; }(),
         1, 11025, 8, 4},
        {"last pad byte missing",
         [] { Bytes b = riff({{"fmt ", fmt(1, 1, 11025, 8)}, {"data", samples(5)}}, -1); b.pop_back(); return b; }(),
         1, 11025, 8, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const std::optional<CWave> w = parseExact(c.file, &error);
        ASSERT_TRUE(w) << error;
        EXPECT_EQ(w->channels, c.channels);
        EXPECT_EQ(w->sampleRate, c.rate);
        EXPECT_EQ(w->bitsPerSample, c.bits);
        ASSERT_EQ(w->samples.size(), c.dataBytes);
        // The samples are the data chunk's bytes, untouched.
        const Bytes expected = samples(c.dataBytes);
        EXPECT_EQ(w->samples, expected);
    }
}

TEST(Wave, RefusesBrokenFiles)
{
    const Bytes good8 = fmt(1, 1, 11025, 8);
    struct Case {
        const char* what;
        Bytes file;
        const char* reason;  // a word of the error
    };
    const std::vector<Case> cases = {
        {"empty", {}, "not a RIFF/WAVE"},
        {"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0}, "not a RIFF/WAVE"},
        {"big-endian RIFX", [] { Bytes b = riff({}); b[3] = 'X'; return b; }(), "not a RIFF/WAVE"},
        {"not WAVE", riff({{"fmt ", fmt(1, 1, 11025, 8)}}, 0, "AVI "), "not a RIFF/WAVE"},
        {"RIFF size past the end", riff({{"fmt ", good8}, {"data", samples(8)}}, 100), "truncated"},
        {"data chunk past the end", riff({{"fmt ", good8}, {"data", samples(8), 9000}}, 0), "truncated"},
        {"data size near 4 GiB", riff({{"fmt ", good8}, {"data", samples(8), 0xFFFFFFF0L}}, 0), "truncated"},
        {"format chunk too short", riff({{"fmt ", Bytes(good8.begin(), good8.begin() + 14)}, {"data", samples(2)}}),
         "too short"},
        {"float samples", riff({{"fmt ", fmt(3, 1, 11025, 32)}, {"data", samples(8)}}), "not PCM"},
        {"compressed", riff({{"fmt ", fmt(0x55, 1, 11025, 0, 1)}, {"data", samples(8)}}), "not PCM"},
        {"extensible float", riff({{"fmt ", extensible(1, 11025, 32, 3)}, {"data", samples(8)}}), "not PCM"},
        {"extensible, short",
         riff({{"fmt ", [] { Bytes b = extensible(1, 11025, 16, 1); b.resize(30); return b; }()}, {"data", samples(8)}}),
         "too short"},
        {"extensible, foreign GUID",
         riff({{"fmt ", [] { Bytes b = extensible(1, 11025, 16, 1); b[30] ^= 1; return b; }()}, {"data", samples(8)}}),
         "sub-format"},
        {"no channels", riff({{"fmt ", fmt(1, 0, 11025, 8, 1)}, {"data", samples(8)}}), "channels"},
        {"three channels", riff({{"fmt ", fmt(1, 3, 11025, 8)}, {"data", samples(9)}}), "channels"},
        {"24-bit", riff({{"fmt ", fmt(1, 1, 11025, 24)}, {"data", samples(9)}}), "24-bit"},
        {"12-bit", riff({{"fmt ", fmt(1, 1, 11025, 12, 2)}, {"data", samples(8)}}), "12-bit"},
        {"rate 0", riff({{"fmt ", fmt(1, 1, 0, 8)}, {"data", samples(8)}}), "sample rate"},
        {"absurd rate", riff({{"fmt ", fmt(1, 1, 100000000, 8)}, {"data", samples(8)}}), "sample rate"},
        {"block alignment off", riff({{"fmt ", fmt(1, 2, 11025, 16, 2)}, {"data", samples(8)}}), "block alignment"},
        {"data before format", riff({{"data", samples(8)}, {"fmt ", good8}}), "before the format"},
        {"no data chunk", riff({{"fmt ", good8}, {"LIST", samples(4)}}), "no data chunk"},
        {"no format chunk", riff({{"LIST", samples(4)}}), "no format chunk"},
        {"data ends inside a frame", riff({{"fmt ", fmt(1, 2, 11025, 16)}, {"data", samples(7)}}), "inside a sample frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(parseExact(c.file, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(Wave, EveryTruncationOfAGoodFileIsRefused)
{
    const Bytes good = riff({{"LIST", samples(7)}, {"fmt ", fmt(1, 2, 22050, 16)}, {"data", samples(40)}});
    ASSERT_TRUE(parseExact(good));
    for (std::size_t n = 0; n < good.size(); ++n) {
        std::string error;
        EXPECT_FALSE(parseExact(Bytes(good.begin(), good.begin() + static_cast<long>(n)), &error)) << n;
        EXPECT_FALSE(error.empty());
    }
}

TEST(Wave, WritesWhatItReads)
{
    for (const auto& [channels, bits, n] : std::vector<std::tuple<int, int, std::size_t>>{{1, 8, 753}, {2, 16, 64}}) {
        CWave w;
        w.channels = channels;
        w.bitsPerSample = bits;
        w.sampleRate = 16000;
        w.samples = samples(n);
        const Bytes image = encodeWave(w);
        EXPECT_EQ(image.size(), 44 + n + (n & 1));
        const std::optional<CWave> back = parseExact(image);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->channels, channels);
        EXPECT_EQ(back->bitsPerSample, bits);
        EXPECT_EQ(back->sampleRate, 16000);
        EXPECT_EQ(back->samples, w.samples);
    }
}

TEST(Wave, Files)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qm_wave_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    CWave w;
    w.samples = samples(1103);
    std::string error;
    ASSERT_TRUE(writeWaveFile(dir / "a.wav", w, &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir / "a.wav.part"));
    const std::optional<CWave> back = readWaveFile(dir / "a.wav", &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->samples, w.samples);
    EXPECT_EQ(back->durationMs(), 101);

    EXPECT_FALSE(readWaveFile(dir / "missing.wav", &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    {
        std::ofstream(dir / "text.wav") << "hello";
    }
    EXPECT_FALSE(readWaveFile(dir / "text.wav", &error));
    EXPECT_NE(error.find("text.wav: not a RIFF/WAVE"), std::string::npos) << error;
    // A folder cannot be read as a sound, nor written over.
    EXPECT_FALSE(readWaveFile(dir, &error));
    EXPECT_FALSE(writeWaveFile(dir / "no" / "such" / "folder.wav", w, &error));
    std::filesystem::remove_all(dir);
}
