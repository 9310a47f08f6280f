#pragma once
#include "core/common/Status.h"

#include <array>
#include <cstdint>

namespace tp {

// What a window class keeps for as long as the program runs: its current
// slave address(es), the last status and the last data read.
struct BusContext {
    std::array<std::uint8_t, 4> address{}; // one per chip the window serves
    Status status = 0;
    std::array<std::uint8_t, 2> data{};
};

} // namespace tp
