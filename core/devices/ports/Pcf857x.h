#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tp::pcf857x {

// Chip type names, as the bench and the windows call them.
inline constexpr const char* kPcf8574 = "PCF8574";
inline constexpr const char* kPcf8574A = "PCF8574A";
inline constexpr const char* kPcf8575 = "PCF8575";

// First 8-bit write address of each range; eight addresses in steps of 2.
constexpr std::uint8_t kPcf8574Base = 0x40;
constexpr std::uint8_t kPcf8574ABase = 0x70;
constexpr std::uint8_t kPcf8575Base = 0x40;
constexpr int kAddressCount = 8;

// Address of selector item i (0..7).
constexpr std::uint8_t addressOfItem(std::uint8_t base, int item)
{
    return static_cast<std::uint8_t>(base + 2 * item);
}

// Item texts: "40h" style for the 8-bit chips' radio groups.
std::vector<std::string> hSuffixItems(std::uint8_t base);
// "0x40" style for the 16-bit chip's radio group.
std::vector<std::string> hexPrefixItems(std::uint8_t base);

// The 16-bit chip's two port bytes: P07..P00 travel first, then P17..P10,
// in writes and in reads alike.
struct PortPair {
    std::uint8_t low = 0xFF;  // P07..P00
    std::uint8_t high = 0xFF; // P17..P10

    std::vector<std::uint8_t> busBytes() const { return {low, high}; }
    static PortPair fromBus(const std::vector<std::uint8_t>& bytes)
    {
        return {bytes.size() > 0 ? bytes[0] : std::uint8_t(0xFF), bytes.size() > 1 ? bytes[1] : std::uint8_t(0xFF)};
    }
};

} // namespace tp::pcf857x
