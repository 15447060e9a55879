#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace aql::test {

// Everything read from `fd` until its writer closes it or `seconds` pass without an end; closes it.
inline std::string drain(int fd, int seconds = 20) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char piece[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd wait{fd, POLLIN, 0};
        const int ready = left > 0 ? ::poll(&wait, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        const ssize_t n = ready > 0 ? ::read(fd, piece, sizeof piece) : 0;
        if (n <= 0 && (n == 0 || (errno != EAGAIN && errno != EINTR))) {
            break;
        }
        bytes.append(piece, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    ::close(fd);
    return bytes;
}

// A program of the tests in a process of its own, its standard output in a pipe; killed with
// SIGKILL (no destructor, no flush, no unlock) when the test ends however it ends.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> args) {
        int ends[2];
        if (::pipe(ends) != 0) {
            throw std::runtime_error("no pipe");
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(ends[1], 1);
            ::close(ends[0]);
            ::close(ends[1]);
            std::vector<char *> argv;
            for (auto &a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(ends[1]);
        m_out = ends[0];
    }
    ~ChildProcess() {
        kill();
        if (m_out >= 0) {
            ::close(m_out);
        }
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return m_pid; }

    // Reads what it says until a line equals `line`; false after 20 s or when it falls silent.
    bool waitFor(const std::string &line) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            for (std::size_t end; (end = m_said.find('\n')) != std::string::npos;) {
                const bool found = m_said.compare(0, end, line) == 0 && end == line.size();
                m_said.erase(0, end + 1);
                if (found) {
                    return true;
                }
            }
            pollfd wait{m_out, POLLIN, 0};
            char piece[4096];
            if (::poll(&wait, 1, 1000) > 0) {
                const ssize_t n = ::read(m_out, piece, sizeof piece);
                if (n <= 0) {
                    return false;
                }
                m_said.append(piece, static_cast<std::size_t>(n));
            }
        }
        return false;
    }

    // Kills it; true when SIGKILL is what ended it.
    bool kill() {
        int status = 0;
        const bool killed = m_pid > 0 && ::kill(m_pid, SIGKILL) == 0 &&
                            ::waitpid(m_pid, &status, 0) == m_pid && WIFSIGNALED(status) &&
                            WTERMSIG(status) == SIGKILL;
        m_pid = 0;
        return killed;
    }

private:
    pid_t m_pid = 0;
    int m_out = -1;
    std::string m_said;
};

} // namespace aql::test
