#pragma once
// One running program per user: the first start listens on a local socket;
// a later start hands its command line to it and ends.

#include <filesystem>
#include <string>
#include <vector>

namespace qm {

class CSingleInstance {
public:
    enum class Role { First, Second, Alone };

    CSingleInstance() = default;
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // $XDG_RUNTIME_DIR/quillmarsh.sock, else /tmp/quillmarsh-<uid>.sock.
    static std::filesystem::path defaultSocketPath();

    // First: this process now listens. Second: another instance answered and
    // was sent `message` (one line). Alone: no socket could be had (the
    // program runs on without the single-instance guarantee). A socket file
    // left by a crashed instance is replaced.
    Role claim(const std::filesystem::path& socket, const std::string& message);

    // The listening descriptor (First only, else -1), to watch for input.
    int fd() const { return m_listen; }
    // Messages of later starts that have arrived; never blocks on a waiting
    // peer for more than a short time.
    std::vector<std::string> takeMessages();

private:
    int m_listen = -1;
    std::filesystem::path m_path;
};

} // namespace qm
