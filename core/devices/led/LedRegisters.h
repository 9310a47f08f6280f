#pragma once
#include "core/devices/led/LedMember.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tp::led {

// LED `k` (0..3) of a selector byte: bits 2k+1 and 2k hold its mode code.
constexpr int modeInByte(std::uint8_t byte, int k)
{
    return byte >> (2 * k) & 3;
}
constexpr std::uint8_t withModeInByte(std::uint8_t byte, int k, int code)
{
    const int shift = 2 * k;
    return static_cast<std::uint8_t>((byte & ~(3 << shift)) | (code & 3) << shift);
}

// The writable registers of an LED dimmer or blinker as a window holds
// them: both channels and the LED selector image (one byte per selector
// register; bits of LEDs the chip lacks ride along unchanged).
struct LedRegisters {
    std::array<std::uint8_t, 2> prescaler{};
    std::array<std::uint8_t, 2> pwm{};
    std::vector<std::uint8_t> selector;

    // Mode code of LED `led`.
    int mode(int led) const;
    // Sets LED `led`'s mode code; returns the index of the selector byte that changed.
    int setMode(int led, int code);

    bool operator==(const LedRegisters&) const = default;
};

// Every chip type's LED selector image, kept for as long as the program
// runs: the windows come and go, the image stays.
struct SelectorImages {
    // The image of `m`, at its start values on first use.
    std::vector<std::uint8_t>& of(const Member& m);

private:
    std::map<std::string, std::vector<std::uint8_t>> m_byChip;
};

// Write All as one transfer: the control byte (auto-increment from the
// first prescaler), then prescaler 0, PWM 0, prescaler 1, PWM 1 and every
// selector byte.
std::vector<std::uint8_t> writeAllBytes(const Member& m, const LedRegisters& r);
// Bytes read with auto-increment from the first prescaler, as many as
// readAllCount() says, into registers.
int readAllCount(const Member& m);
LedRegisters fromReadAll(const Member& m, const std::vector<std::uint8_t>& bytes);

} // namespace tp::led
