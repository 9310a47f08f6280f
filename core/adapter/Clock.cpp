#include "core/adapter/Clock.h"

#include <chrono>

namespace tp {

std::uint64_t monotonicUs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void busyWaitUs(std::uint64_t us)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + microseconds(us);
    while (steady_clock::now() < end) {
    }
}

} // namespace tp
