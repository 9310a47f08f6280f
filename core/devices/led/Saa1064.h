#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tp::saa1064 {

// The chip's addresses: 0111 A1 A0, chosen by the level on its ADR pin.
constexpr std::array<std::uint8_t, 4> kAddresses{0x70, 0x72, 0x74, 0x76};
// Index of `address` in kAddresses, or -1.
int addressIndex(std::uint8_t address);

// Subaddresses: 0 control, 1..4 the digits.
constexpr int kControl = 0;

// Control register bits.
constexpr std::uint8_t kDynamic = 0x01;   // 0: static, digits 1 and 2 only
constexpr std::uint8_t kDigits13 = 0x02;  // digits 1 and 3 not blanked
constexpr std::uint8_t kDigits24 = 0x04;  // digits 2 and 4 not blanked
constexpr std::uint8_t kSegmentTest = 0x08;
constexpr int kCurrentShift = 4;          // bits 6..4: +3, +6, +12 mA
constexpr int kMaxCurrentPosition = 7;
constexpr double kMaPerStep = 3.0;
// The status byte's power-reset flag: set by a power failure, cleared by reading it.
constexpr std::uint8_t kPowerReset = 0x80;

// The five registers.
struct Registers {
    std::uint8_t control = 0;
    std::array<std::uint8_t, 4> digits{}; // digit 1 .. digit 4

    // Register by subaddress (0 control, 1..4 digits).
    std::uint8_t reg(int subaddress) const;
    std::uint8_t& reg(int subaddress);
    bool operator==(const Registers&) const = default;
};

constexpr std::uint8_t withBit(std::uint8_t v, int bit, bool on)
{
    return static_cast<std::uint8_t>(on ? v | 1u << bit : v & ~(1u << bit));
}
// Segment current position p (0..7) in bits 6..4; the low bits stay, bit 7 becomes 0.
constexpr std::uint8_t withCurrent(std::uint8_t control, int position)
{
    return static_cast<std::uint8_t>((control & 0x0F) | (position & 7) << kCurrentShift);
}
constexpr int currentPosition(std::uint8_t control)
{
    return control >> kCurrentShift & 7;
}
constexpr bool dynamicMode(std::uint8_t control)
{
    return (control & kDynamic) != 0;
}
// Position x 3 mA with one decimal: "15.0".
std::string currentText(int position, char decimalSeparator = '.');

// How digit d (1..4) looks on the display: whether it lights at all
// (static mode drives digits 1 and 2 only; the blanking bits switch digit
// pairs off), which segments (bit 0 = a .. bit 6 = g, bit 7 = dp; the
// segment test lights all) and how bright (the segment current of 0..21 mA).
struct DigitLook {
    bool shown = false;
    std::uint8_t segments = 0;
    double brightness = 0; // 0..1
    bool operator==(const DigitLook&) const = default;
};
DigitLook digitLook(const Registers& r, int digit);

} // namespace tp::saa1064
