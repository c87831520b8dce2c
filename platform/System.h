#pragma once
// Where the program lives, and the desktop services it pokes.

#include <filesystem>

namespace qm {

// The folder of the running executable, with a trailing separator dropped;
// the current folder when /proc/self/exe cannot be read.
std::filesystem::path programFolder();
// The running executable's full path ("" when it cannot be read).
std::filesystem::path programPath();

// Keeps the desktop awake: called every 15 s while "Keep alive" is on.
class IKeepAlive {
public:
    virtual ~IKeepAlive() = default;
    virtual void poke() = 0;
};

class CCountingKeepAlive final : public IKeepAlive {
public:
    void poke() override { ++m_pokes; }
    int pokes() const { return m_pokes; }

private:
    int m_pokes = 0;
};

} // namespace qm
