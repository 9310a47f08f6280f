#include "core/adapter/Clock.h"

#include <chrono>

namespace tp {

namespace {
// The bus log shows times since the program started, on the bench and on hardware alike.
const std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();
} // namespace

std::uint64_t monotonicUs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<microseconds>(steady_clock::now() - g_start).count());
}

void busyWaitUs(std::uint64_t us)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + microseconds(us);
    while (steady_clock::now() < end) {
    }
}

} // namespace tp
