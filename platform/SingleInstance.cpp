#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qm {
namespace {

bool makeAddress(const std::filesystem::path& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::string s = path.string();
    if (s.empty() || s.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, s.c_str(), s.size() + 1);
    return true;
}

// Connects and sends the message; false when nobody listens.
bool sendTo(const sockaddr_un& addr, const std::string& message)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    if (ok) {
        std::string line = message + "\n";
        const char* p = line.data();
        std::size_t left = line.size();
        while (left > 0) {
            const ssize_t n = ::send(fd, p, left, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

CSingleInstance::~CSingleInstance()
{
    if (m_listen >= 0) {
        ::close(m_listen);
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
}

std::filesystem::path CSingleInstance::defaultSocketPath()
{
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return std::filesystem::path(run) / "quillmarsh.sock";
    return std::filesystem::path("/tmp") / ("quillmarsh-" + std::to_string(::getuid()) + ".sock");
}

CSingleInstance::Role CSingleInstance::claim(const std::filesystem::path& socket, const std::string& message)
{
    sockaddr_un addr;
    if (m_listen >= 0 || !makeAddress(socket, addr))
        return Role::Alone;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return Role::Alone;
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 && ::listen(fd, 8) == 0) {
            m_listen = fd;
            m_path = socket;
            return Role::First;
        }
        const int err = errno;
        ::close(fd);
        if (err != EADDRINUSE)
            return Role::Alone;
        if (sendTo(addr, message))
            return Role::Second;
        // Nobody answers on the file: a crashed instance left it behind.
        std::error_code ec;
        std::filesystem::remove(socket, ec);
    }
    return Role::Alone;
}

std::vector<std::string> CSingleInstance::takeMessages()
{
    std::vector<std::string> out;
    if (m_listen < 0)
        return out;
    for (;;) {
        const int peer = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            break;
        std::string text;
        char buf[512];
        // A peer writes one short line and closes; give it a moment, no more.
        pollfd pfd{peer, POLLIN, 0};
        while (text.size() < 8192 && ::poll(&pfd, 1, 200) > 0) {
            const ssize_t n = ::read(peer, buf, sizeof buf);
            if (n <= 0)
                break;
            text.append(buf, static_cast<std::size_t>(n));
            if (text.find('\n') != std::string::npos)
                break;
        }
        ::close(peer);
        if (const auto nl = text.find('\n'); nl != std::string::npos)
            text.resize(nl);
        out.push_back(text);
    }
    return out;
}

} // namespace qm
