#include "engines/uci/UciProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace uci {

std::vector<std::string> splitCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c != '\r' && c != '\n') {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

Process::~Process() { stop(std::chrono::milliseconds(500)); }

bool Process::start(const std::vector<std::string>& argv)
{
    if (argv.empty() || running())
        return false;
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sv[1]);
    if (rc != 0) {
        ::close(sv[0]);
        return false;
    }
    m_pid = pid;
    m_fd = sv[0];
    m_closed = false;
    m_lines.clear();
    m_reader = std::thread(&Process::readerLoop, this);
    return true;
}

void Process::readerLoop()
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                if (!pending.empty() && pending.back() == '\r')
                    pending.pop_back();
                m_lines.push_back(std::move(pending));
                pending.clear();
            } else if (pending.size() < 65536) {
                pending += buffer[i];
            }
        }
        m_ready.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_ready.notify_all();
}

bool Process::send(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (m_fd < 0)
        return false;
    std::string data = line + "\n";
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(m_fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

Process::Read Process::readLine(std::string& line, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_ready.wait_until(lock, deadline, [this] { return !m_lines.empty() || m_closed; }))
        return Read::Timeout;
    if (m_lines.empty())
        return Read::Closed;
    line = std::move(m_lines.front());
    m_lines.pop_front();
    return Read::Line;
}

void Process::reap(std::chrono::milliseconds grace)
{
    if (m_pid <= 0)
        return;
    auto deadline = std::chrono::steady_clock::now() + grace;
    for (;;) {
        int status;
        pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid || (r < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
}

void Process::stop(std::chrono::milliseconds grace)
{
    if (m_pid > 0)
        send("quit");
    reap(grace);
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_RDWR);
    }
    if (m_reader.joinable())
        m_reader.join();
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void Process::kill() { stop(std::chrono::milliseconds(0)); }

} // namespace uci
