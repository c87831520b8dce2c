// soundgen OUTDIR: synthesises the move clips MOVE1.wav..MOVE8.wav into
// OUTDIR (normally resources/sounds). The same code writes the same bytes.
#include "Clips.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "soundgen: cannot create %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    for (int n = 1; n <= soundgen::ClipCount; ++n) {
        std::string error;
        if (!qm::writeWaveFile(dir / (soundgen::clipName(n) + ".wav"), soundgen::makeClip(n), &error)) {
            std::fprintf(stderr, "soundgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
