#include "cli/CliTypes.h"

#include <csignal>

namespace tp::cli {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}
} // namespace

std::string statusText(Status status)
{
    auto m = statusMessage(status);
    return m ? messageText(*m) : "status " + std::to_string(status);
}

std::string messageText(const StatusMessage& message)
{
    const std::size_t first = message.text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : message.text.substr(first);
}

bool interrupted()
{
    return g_interrupted != 0;
}

void installInterruptHandler()
{
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sa.sa_flags = SA_RESETHAND; // a second Ctrl-C ends the program at once
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

void resetInterrupt()
{
    g_interrupted = 0;
}

} // namespace tp::cli
