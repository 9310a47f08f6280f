#pragma once
#include "core/common/Status.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tp {

// The array-write command frame: packet count, 0, length high, length low,
// address, subaddress, data. The buffer is 500 bytes, so at most 494 data.
constexpr std::size_t kCommandFrameSize = 500;
constexpr std::size_t kMaxArrayWrite = kCommandFrameSize - 6;

struct CommandFrame {
    std::array<std::uint8_t, kCommandFrameSize> bytes{};
    std::size_t size = 0; // bytes in use: 6 + length
};

// Nothing when `data` is longer than the frame can hold.
std::optional<CommandFrame> buildCommandFrame(std::uint8_t address, std::uint8_t subaddress,
                                              std::span<const std::uint8_t> data);

} // namespace tp
