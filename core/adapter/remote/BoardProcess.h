#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tp::remote {

// A command whose standard input and output are one socket to us (a socket,
// not a pipe: a write to a command that died is an error, not SIGPIPE), and
// whose error stream we keep for the messages it ends with.
class BoardProcess {
public:
    BoardProcess() = default;
    ~BoardProcess();
    BoardProcess(const BoardProcess&) = delete;
    BoardProcess& operator=(const BoardProcess&) = delete;

    bool start(const std::vector<std::string>& argv, std::string* error);
    bool running() const { return m_pid > 0; }

    // Both give up at `deadlineUs` on the monotonic clock. receive() returns
    // what arrived (empty: end of stream or time-out; `timedOut` tells).
    bool send(const std::vector<std::uint8_t>& bytes, std::uint64_t deadlineUs);
    std::vector<std::uint8_t> receive(std::uint64_t deadlineUs, bool* timedOut);

    // Ends the command (hang-up, then kill) and collects it.
    void stop();
    // The last lines the command wrote to its error stream, on one line.
    std::string errorText();
    // How the command ended, after stop(): its exit status, 128 + a signal,
    // -1 when it was not started.
    int exitStatus() const { return m_exit; }

private:
    void drainErrors(int waitMs);

    pid_t m_pid = -1;
    int m_fd = -1;
    int m_errFd = -1;
    std::string m_errors;
    int m_exit = -1;
};

// Runs a command to its end, at most `timeoutMs`; its output, or nothing with
// `error` saying why (exit status and error stream).
bool runToEnd(const std::vector<std::string>& argv, int timeoutMs, std::string* output, std::string* error);

} // namespace tp::remote
