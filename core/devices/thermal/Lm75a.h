#pragma once
#include <cstdint>
#include <string>

namespace tp::lm75a {

// Chip type name, as the bench and the window call it.
inline constexpr const char* kChipType = "LM75A";

// Eight 8-bit write addresses from 0x90 in steps of 2.
constexpr std::uint8_t kBaseAddress = 0x90;
constexpr int kAddressCount = 8;

// Register pointer values.
constexpr std::uint8_t kTemp = 0;
constexpr std::uint8_t kConf = 1;
constexpr std::uint8_t kThyst = 2;
constexpr std::uint8_t kTos = 3;

// Temperature: bits 15-5 of the word, a signed count of 0.125 °C steps.
int temperatureCount(std::uint16_t word);
constexpr double kTemperatureStep = 0.125;
// The word for a count (low 5 bits zero).
std::uint16_t temperatureWord(int count);

// Thyst and Tos: bits 15-7, a signed count of 0.5 °C steps.
constexpr int kLimitMin = -256;
constexpr int kLimitMax = 255;
constexpr double kLimitStep = 0.5;
int limitCount(std::uint16_t word);
// The word the chip is sent for a count: count × 128 as unsigned 16 bits.
std::uint16_t limitWord(int count);

// Texts: the measured temperature with 3 decimals, limits with 1, then "°C".
std::string temperatureText(std::uint16_t word, char decimalSeparator = '.');
std::string limitText(int count, char decimalSeparator = '.');

// Fields of the configuration register; bits 7-5 belong to none.
struct ConfigField {
    int shift;
    int width;
};
constexpr ConfigField kShutdown{0, 1};
constexpr ConfigField kOsMode{1, 1};     // 1: interrupt
constexpr ConfigField kOsPolarity{2, 1}; // 1: active high
constexpr ConfigField kFaultQueue{3, 2}; // 1, 2, 4, 6 faults

int fieldValue(std::uint8_t image, ConfigField field);
// The image with the field replaced; the other bits stay.
std::uint8_t withField(std::uint8_t image, ConfigField field, int value);

// Consecutive faults the queue setting asks for.
int faultsNeeded(std::uint8_t conf);

} // namespace tp::lm75a
