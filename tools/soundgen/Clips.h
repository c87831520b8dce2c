#pragma once
// The eight move clips, synthesised: a piece set down on a wooden board.

#include "platform/Wave.h"

#include <string>

namespace soundgen {

// Clips are numbered 1..8 ("MOVE1".."MOVE8"): quiet move of a light piece, of
// a heavy piece, light capture, heavy capture; 5..8 the same four for a move
// that ends in the centre. Each is PCM mono 8-bit 11025 Hz of its fixed length.
constexpr int ClipCount = 8;
constexpr int ClipRate = 11025;
int clipFrames(int number);
std::string clipName(int number);
// The same clip for the same number on every run: no clock, no random seed.
qm::CWave makeClip(int number);

} // namespace soundgen
