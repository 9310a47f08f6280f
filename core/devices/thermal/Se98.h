#pragma once
#include "core/common/FlagBits.h"

#include <cstdint>
#include <string>

namespace tp::se98 {

inline constexpr const char* kChipType = "SE98";

constexpr std::uint8_t kBaseAddress = 0x30;
constexpr int kAddressCount = 8;

// 16-bit registers, most significant byte first on the bus.
constexpr std::uint8_t kCapability = 0x00;
constexpr std::uint8_t kConfig = 0x01;
constexpr std::uint8_t kUpper = 0x02;
constexpr std::uint8_t kLower = 0x03;
constexpr std::uint8_t kCritical = 0x04;
constexpr std::uint8_t kTemperature = 0x05;
constexpr std::uint8_t kManufacturerId = 0x06;
constexpr std::uint8_t kDeviceId = 0x07;
constexpr std::uint8_t kSmbus = 0x22;

// Temperature register: bits 12-0 two's complement in 0.0625 °C (bit 0
// always 0, so 0.125 °C resolution); bits 15-13 the alarm flags.
constexpr std::uint16_t kACT = 0x8000; // at or above the critical trip
constexpr std::uint16_t kAAW = 0x4000; // above the alarm window
constexpr std::uint16_t kBAW = 0x2000; // below the alarm window
constexpr double kLsb = 0.0625;
double temperatureCelsius(std::uint16_t word);
std::string temperatureText(std::uint16_t word, char decimalSeparator = '.'); // "−25.000"
std::uint16_t temperatureWord(double celsius); // flags clear

// Trip registers: bits 12-2 two's complement in 0.25 °C steps.
double tripCelsius(std::uint16_t word);
std::string tripText(std::uint16_t word, char decimalSeparator = '.'); // "85.00"
std::uint16_t tripWord(double celsius);
constexpr std::uint16_t kTripMask = 0x1FFC;

// Configuration.
constexpr std::uint16_t kHysteresisMask = 0x0600;
constexpr std::uint16_t kSHMD = 0x0100;
constexpr std::uint16_t kCTLB = 0x0080;
constexpr std::uint16_t kAWLB = 0x0040;
constexpr std::uint16_t kCEVNT = 0x0020;
constexpr std::uint16_t kESTAT = 0x0010;
constexpr std::uint16_t kEOCTL = 0x0008;
constexpr std::uint16_t kCVO = 0x0004;
constexpr std::uint16_t kEP = 0x0002;
constexpr std::uint16_t kEMD = 0x0001;
constexpr int hysteresisIndex(std::uint16_t config) { return (config >> 9) & 3; }
// The list's rule: index into bits 10-9, bits 8-0 kept, bits 15-11 cleared.
constexpr std::uint16_t withHysteresis(std::uint16_t config, int index)
{
    return static_cast<std::uint16_t>(((index & 3) << 9) | (config & 0x01FF));
}
// Hysteresis in °C of a list index: 0, 1.5, 3, 6.
double hysteresisCelsius(int index);

// SMBus register.
constexpr std::uint16_t kSTMOUT = 0x0080;
constexpr std::uint16_t kSALRT = 0x0001;

const FlagTable& configFlags(); // the boxes, bits 8-0
const FlagTable& smbusFlags();

} // namespace tp::se98
