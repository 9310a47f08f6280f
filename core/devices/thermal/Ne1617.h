#pragma once
#include "core/common/FlagBits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tp::ne1617 {

inline constexpr const char* kChipType = "NE1617";

// The nine 8-bit write addresses the chip can take, in list order.
constexpr std::array<std::uint8_t, 9> kAddresses{0x30, 0x32, 0x34, 0x52, 0x54, 0x56, 0x98, 0x9A, 0x9C};

// Read registers.
constexpr std::uint8_t kRIT = 0x00;
constexpr std::uint8_t kRET = 0x01;
constexpr std::uint8_t kRS = 0x02;
constexpr std::uint8_t kRC = 0x03;
constexpr std::uint8_t kRCR = 0x04;
constexpr std::uint8_t kRIHL = 0x05;
constexpr std::uint8_t kRILL = 0x06;
constexpr std::uint8_t kREHL = 0x07;
constexpr std::uint8_t kRELL = 0x08;
// Write registers.
constexpr std::uint8_t kWC = 0x09;
constexpr std::uint8_t kWCR = 0x0A;
constexpr std::uint8_t kWIHL = 0x0B;
constexpr std::uint8_t kWILL = 0x0C;
constexpr std::uint8_t kWEHL = 0x0D;
constexpr std::uint8_t kWELL = 0x0E;
constexpr std::uint8_t kOneShot = 0x0F;

// Temperatures and limits: two's-complement whole degrees.
constexpr int signedValue(std::uint8_t v) { return static_cast<std::int8_t>(v); }
constexpr std::uint8_t byteOf(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// WC: 0x80 for the alert mask, 0x40 for standby; other bits 0.
constexpr std::uint8_t kWcMask = 0x80;
constexpr std::uint8_t kWcStandby = 0x40;
constexpr std::uint8_t wcValue(bool alertMasked, bool standby)
{
    return static_cast<std::uint8_t>((alertMasked ? kWcMask : 0) | (standby ? kWcStandby : 0));
}

// Conversion rates 0-7: "0.0625" ... "8" (Hz, shortest form).
constexpr int kRateCount = 8;
std::optional<std::string> rateText(std::uint8_t value);

const FlagTable& statusFlags();
const FlagTable& readConfigFlags();
const FlagTable& writeConfigFlags();

} // namespace tp::ne1617
