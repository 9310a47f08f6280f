#include "core/adapter/remote/BoardProcess.h"
#include "core/adapter/Clock.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tp::remote {

namespace {

int msLeft(std::uint64_t deadlineUs)
{
    const std::uint64_t now = monotonicUs();
    if (now >= deadlineUs)
        return 0;
    const std::uint64_t ms = (deadlineUs - now + 999) / 1000;
    return ms > 1000000 ? 1000000 : static_cast<int>(ms);
}

} // namespace

BoardProcess::~BoardProcess()
{
    stop();
}

bool BoardProcess::start(const std::vector<std::string>& argv, std::string* error)
{
    stop();
    m_errors.clear();
    int sv[2];
    int errPipe[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        *error = std::string("cannot make a socket: ") + std::strerror(errno);
        return false;
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        ::close(sv[0]);
        ::close(sv[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 0);
    posix_spawn_file_actions_adddup2(&actions, sv[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    // Its own process group: a Ctrl-C meant for us does not cut the board off mid-request.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(sv[1]);
    ::close(errPipe[1]);
    if (rc != 0) {
        *error = "cannot run " + argv[0] + ": " + std::strerror(rc);
        ::close(sv[0]);
        ::close(errPipe[0]);
        return false;
    }
    m_pid = pid;
    m_exit = -1;
    m_fd = sv[0];
    m_errFd = errPipe[0];
    ::fcntl(m_errFd, F_SETFL, O_NONBLOCK);
    return true;
}

bool BoardProcess::send(const std::vector<std::uint8_t>& bytes, std::uint64_t deadlineUs)
{
    if (m_fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        pollfd p{m_fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, msLeft(deadlineUs));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<std::uint8_t> BoardProcess::receive(std::uint64_t deadlineUs, bool* timedOut)
{
    *timedOut = false;
    if (m_fd < 0)
        return {};
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, msLeft(deadlineUs));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            *timedOut = true;
            return {};
        }
        if (ready < 0)
            return {};
        std::vector<std::uint8_t> buffer(65536);
        const ssize_t n = ::recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return {};
        buffer.resize(static_cast<std::size_t>(n));
        return buffer;
    }
}

void BoardProcess::drainErrors(int waitMs)
{
    if (m_errFd < 0)
        return;
    char buffer[4096];
    for (;;) {
        pollfd p{m_errFd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            return;
        const ssize_t n = ::read(m_errFd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        m_errors.append(buffer, static_cast<std::size_t>(n));
        if (m_errors.size() > 16384)
            m_errors.erase(0, m_errors.size() - 16384);
    }
}

std::string BoardProcess::errorText()
{
    drainErrors(0);
    std::string lines = m_errors;
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == '\r' || lines.back() == ' '))
        lines.pop_back();
    if (lines.empty())
        return lines;
    // The last few lines say why; ssh's banners before them do not.
    std::size_t start = lines.size();
    for (int i = 0; i < 3 && start != std::string::npos && start > 0; ++i)
        start = lines.rfind('\n', start - 1);
    lines = lines.substr(start == std::string::npos ? 0 : start + 1);
    for (char& c : lines)
        if (c == '\n' || c == '\r')
            c = ' ';
    return lines;
}

void BoardProcess::stop()
{
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_RDWR); // the serving end sees its input end
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_pid > 0) {
        int st = 0;
        bool gone = false;
        for (int i = 0; i < 50 && !gone; ++i) { // half a second to leave by itself
            gone = ::waitpid(m_pid, &st, WNOHANG) == m_pid;
            if (!gone)
                ::usleep(10000);
        }
        if (!gone) {
            ::kill(-m_pid, SIGTERM);
            ::kill(m_pid, SIGTERM);
            for (int i = 0; i < 100 && !gone; ++i) {
                gone = ::waitpid(m_pid, &st, WNOHANG) == m_pid;
                if (!gone)
                    ::usleep(10000);
            }
        }
        if (!gone) {
            ::kill(-m_pid, SIGKILL);
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &st, 0);
        }
        m_exit = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        // What the command left behind in its group (a reader put in the background) goes with it.
        ::kill(-m_pid, SIGTERM);
        m_pid = -1;
    }
    drainErrors(0);
    if (m_errFd >= 0) {
        ::close(m_errFd);
        m_errFd = -1;
    }
}

bool runToEnd(const std::vector<std::string>& argv, int timeoutMs, std::string* output, std::string* error)
{
    BoardProcess p;
    if (!p.start(argv, error))
        return false;
    const std::uint64_t deadline = monotonicUs() + std::uint64_t(timeoutMs) * 1000;
    std::string out;
    for (;;) {
        bool timedOut = false;
        const std::vector<std::uint8_t> b = p.receive(deadline, &timedOut);
        if (timedOut) {
            p.stop();
            *error = argv[0] + " did not finish within " + std::to_string(timeoutMs / 1000) + " s";
            return false;
        }
        if (b.empty())
            break;
        out.append(b.begin(), b.end());
    }
    const std::string errors = p.errorText();
    p.stop();
    if (p.exitStatus() != 0) {
        *error = errors.empty() ? argv[0] + " ended with exit status " + std::to_string(p.exitStatus()) : errors;
        return false;
    }
    *output = out;
    return true;
}

} // namespace tp::remote
