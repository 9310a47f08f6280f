#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp::nvreg {

// The non-volatile register chips ("I²C DIP switches").
inline constexpr const char* kPca8550 = "PCA8550";
inline constexpr const char* kPca9559 = "PCA9559";
inline constexpr const char* kPca9560 = "PCA9560";
inline constexpr const char* kPca9561 = "PCA9561";

// The PCA8550 answers at one address; the others at 0x98 + 2 × (A1 A0).
constexpr std::uint8_t kPca8550Address = 0x9C;
constexpr std::uint8_t kBase = 0x98;
constexpr int kAddressCount = 4;
std::uint8_t addressOfItem(int item);
int itemOfAddress(std::uint8_t address); // -1 for an address not in the list
std::vector<std::string> addressItems();

// The PCA8550 and PCA9559 hold one data byte, written and read without a
// byte number: five and six bits.
constexpr std::uint8_t kPca8550DataMask = 0x1F;
constexpr std::uint8_t kPca9559DataMask = 0x3F;

// The PCA9560 and PCA9561 address their EEPROM bytes by number, and read
// their MUX_IN pins with the number 255.
constexpr int kPca9560Bytes = 2;
constexpr int kPca9561Bytes = 4;
constexpr std::uint8_t kMuxInNumber = 0xFF;

// Output sources of the PCA9561, each selected by one command byte.
struct Source {
    const char* text;
    std::uint8_t command;
};
const std::vector<Source>& pca9561Sources();
// Output sources of the PCA9560, as the list shows them; their command
// bytes are not known.
const std::vector<std::string>& pca9560Sources();

// A non-volatile write ends with the chip's write cycle, during which it
// acknowledges nothing; poll this long at most, this often.
constexpr std::uint64_t kWriteCycleLimitUs = 25000;
constexpr std::uint64_t kPollIntervalUs = 1000;

} // namespace tp::nvreg
