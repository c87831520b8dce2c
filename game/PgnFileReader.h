#pragma once
// Reading every game of a PGN file, in order, on several threads.

#include "game/Game.h"

#include <any>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace qm {

// Turns a game read at an offset (null for a game that failed) into what the
// caller needs of it. Runs on the reading threads, several games at once; the
// game is destroyed on the thread that read it, so its memory stays local.
using GameDigester = std::function<std::any(std::int64_t offset, CGame* game)>;
// Receives each game's digest with its number (from 1) and offset, in file
// order, on the calling thread.
using DigestVisitor = std::function<void(long long number, std::int64_t offset, std::any& digest)>;

struct PgnFileReadOptions {
    int jobs = 1;             // reading threads; 1 reads on the calling thread only
    int gamesPerBatch = 256;  // games a thread reads in one piece
};

struct PgnFileReadResult {
    bool opened = false;      // false when the file could not be opened
    long long games = 0;
    // Batches read again on the calling thread because a worker's batch did
    // not begin where the one before it ended.
    long long batchesReread = 0;
};

// Reads the file with CPgnReader::readGame, game after game by the reported
// next offset. With several jobs a scan (scanGame) cuts the file into batches
// that worker threads read ahead; whatever the jobs, visit sees exactly what
// reading one game after the other gives.
PgnFileReadResult readPgnFile(const std::filesystem::path& file, const PgnFileReadOptions& options,
                              const GameDigester& digest, const DigestVisitor& visit);

} // namespace qm
