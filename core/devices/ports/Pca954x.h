#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp::pca954x {

// The multiplexers and switches: one control register, written and read
// without a register number (a leading pointer byte would itself be a
// control write). Bits 7:4 report the channels' interrupt inputs on the
// chips that have them; they are read-only.

// 8-bit write addresses from 0xE0 in steps of 2: `count` of them.
std::vector<std::uint8_t> addresses(int count);
// "0xE0" style items of those addresses.
std::vector<std::string> addressItems(int count);

// Multiplexers: one channel at a time, chosen by a value with the enable
// bit 2 set and the channel number in the bits below it.
enum class Mux { PCA9540, PCA9542, PCA9544 };

struct MuxInfo {
    const char* group;     // "PCA9540"
    const char* chipType;  // the bench's name, "PCA9540B"
    int channels;          // 2 or 4
    std::uint8_t intMask;  // interrupt bits (0 for none)
    int addressCount;      // 1 (fixed 0xE0) or 8
};
const MuxInfo& info(Mux chip);

// Channel Select items: "No channel", "Channel 0", ...
std::vector<std::string> channelItems(Mux chip);
// The control value item i stands for: 0x00, then 0x04 + channel.
std::uint8_t valueOfItem(Mux chip, int item);
// The item that shows a control value: the channel the low three bits
// select, "No channel" (0) when the enable bit is clear or the channel
// does not exist.
int itemOfValue(Mux chip, std::uint8_t value);
// Whether the value connects downstream channel `channel` (bench and window alike).
bool muxConnects(Mux chip, std::uint8_t value, int channel);

// Switches: any set of channels, bit n for channel n.
enum class Switch { PCA9543, PCA9545, PCA9546, PCA9548 };

struct SwitchInfo {
    const char* group;    // "PCA9543"
    const char* chipType; // "PCA9543A"
    int channels;         // 2, 4 or 8
    std::uint8_t intMask; // interrupt bits (0 for none)
    int addressCount;     // 4 or 8
    int menuIndex;        // address item the Device menu selects
};
const SwitchInfo& info(Switch chip);

constexpr std::uint8_t channelMask(int channels)
{
    return static_cast<std::uint8_t>((1u << channels) - 1u);
}

} // namespace tp::pca954x
