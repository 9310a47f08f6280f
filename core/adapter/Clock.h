#pragma once
#include <cstdint>

namespace tp {

// Monotonic microseconds since the program started.
std::uint64_t monotonicUs();

// Spins on the monotonic clock until `us` microseconds have passed; sleeping
// overshoots by a tenth of a millisecond, spinning does not.
void busyWaitUs(std::uint64_t us);

} // namespace tp
