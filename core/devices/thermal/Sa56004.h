#pragma once
#include "core/common/FlagBits.h"

#include <cstdint>
#include <string>

namespace tp::sa56004 {

inline constexpr const char* kChipType = "SA56004";

constexpr std::uint8_t kBaseAddress = 0x90;
constexpr int kAddressCount = 8;

// Register numbers as the chip reads them.
constexpr std::uint8_t kLTHB = 0x00;
constexpr std::uint8_t kRTHB = 0x01;
constexpr std::uint8_t kSR = 0x02;
constexpr std::uint8_t kCON = 0x03;
constexpr std::uint8_t kCR = 0x04;
constexpr std::uint8_t kLHS = 0x05;
constexpr std::uint8_t kLLS = 0x06;
constexpr std::uint8_t kRHSHB = 0x07;
constexpr std::uint8_t kRLSHB = 0x08;
constexpr std::uint8_t kOneShot = 0x0F;
constexpr std::uint8_t kRTLB = 0x10;
constexpr std::uint8_t kRTOHB = 0x11;
constexpr std::uint8_t kRTOLB = 0x12;
constexpr std::uint8_t kRHSLB = 0x13;
constexpr std::uint8_t kRLSLB = 0x14;
constexpr std::uint8_t kRCS = 0x19;
constexpr std::uint8_t kLCS = 0x20;
constexpr std::uint8_t kTH = 0x21;
constexpr std::uint8_t kLTLB = 0x22;
constexpr std::uint8_t kAM = 0xBF;
constexpr std::uint8_t kRMID = 0xFE;
constexpr std::uint8_t kRDR = 0xFF;

// The chip writes registers 0x03-0x08 at their read number + 6; every
// other register at its own number.
constexpr std::uint8_t writeNumber(std::uint8_t readNumber)
{
    return readNumber >= kCON && readNumber <= kRLSHB ? static_cast<std::uint8_t>(readNumber + 6) : readNumber;
}

// 11-bit temperature: high byte and the top 3 bits of the low byte, two's
// complement, a count of 0.125 °C steps.
int elevenBitCount(std::uint8_t high, std::uint8_t low);
constexpr double kStep = 0.125;
// "25.375": 3 decimals, at most 6 significant digits, no unit.
std::string elevenBitText(std::uint8_t high, std::uint8_t low, char decimalSeparator = '.');

// 8-bit limits (local setpoints, T_CRIT) are two's-complement whole degrees.
constexpr int limitValue(std::uint8_t v) { return static_cast<std::int8_t>(v); }
// T_CRIT hysteresis: the low 5 bits, whole degrees.
constexpr int hysteresisValue(std::uint8_t v) { return v & 0x1F; }

// Conversion rate: register values 0-9 stand for a list item each; the
// other values have none.
constexpr int kRateCount = 10;
constexpr bool isRate(int value) { return value >= 0 && value < kRateCount; }

const FlagTable& statusFlags();
const FlagTable& configFlags();

} // namespace tp::sa56004
