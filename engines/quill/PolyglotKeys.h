#pragma once
#include <cstdint>

namespace quill {
extern const std::uint64_t PolyglotRandom[781];
}
