#pragma once

#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace aql::test {

// Everything read from `fd` until its writer closes it or `seconds` pass in silence; closes it.
inline std::string drain(int fd, int seconds = 20) {
    std::string bytes;
    char piece[65536];
    pollfd wait{fd, POLLIN, 0};
    for (ssize_t n = 0;
         ::poll(&wait, 1, seconds * 1000) > 0 && (n = ::read(fd, piece, sizeof piece)) > 0;) {
        bytes.append(piece, static_cast<std::size_t>(n));
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
        ::close(m_out);
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return m_pid; }

    // Reads what it says until a line equals `line`; false after 20 s of silence or at its end.
    bool waitFor(const std::string &line) {
        pollfd wait{m_out, POLLIN, 0};
        char piece[4096];
        std::size_t at;
        while ((at = m_said.find("\n" + line + "\n")) == std::string::npos) {
            const ssize_t n = ::poll(&wait, 1, 20000) > 0 ? ::read(m_out, piece, sizeof piece) : 0;
            if (n <= 0) {
                return false;
            }
            m_said.append(piece, static_cast<std::size_t>(n));
        }
        m_said.erase(0, at + line.size() + 1);
        return true;
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
    std::string m_said = "\n"; // every line said starts after a line end
};

} // namespace aql::test
