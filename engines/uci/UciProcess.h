#pragma once
// A UCI engine process: started from a command line, spoken to line by
// line over a socket pair (so that writing to a dead engine gives an error
// instead of SIGPIPE), read by a thread of its own.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace uci {

// Splits a command line into words; double quotes group words, a backslash
// escapes the next character.
std::vector<std::string> splitCommandLine(const std::string& line);

class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts the program (looked up on PATH when the first word has no
    // slash); false when it cannot be started.
    bool start(const std::vector<std::string>& argv);
    bool running() const { return m_pid > 0; }

    // Sends one line; false when the engine is gone. Safe from any thread.
    bool send(const std::string& line);

    enum class Read { Line, Timeout, Closed };
    // The next line the engine wrote, waiting until the deadline.
    Read readLine(std::string& line, std::chrono::steady_clock::time_point deadline);

    // Sends "quit", waits up to the grace time for the process to end, then
    // kills it; always reaps it and joins the reader.
    void stop(std::chrono::milliseconds grace);
    // Kills at once.
    void kill();

private:
    void readerLoop();
    void reap(std::chrono::milliseconds grace);

    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_reader;
    std::mutex m_mutex;       // the line queue and the closed flag
    std::mutex m_writeMutex;  // one writer at a time
    std::condition_variable m_ready;
    std::deque<std::string> m_lines;
    bool m_closed = false;
};

} // namespace uci
