#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp::expander {

// Chip type names, as the bench and the windows call them.
inline constexpr const char* kPca9534 = "PCA9534";
inline constexpr const char* kPca9535 = "PCA9535";
inline constexpr const char* kPca9536 = "PCA9536";
inline constexpr const char* kPca9537 = "PCA9537";
inline constexpr const char* kPca9538 = "PCA9538";
inline constexpr const char* kPca9539 = "PCA9539";
inline constexpr const char* kPca9554 = "PCA9554";
inline constexpr const char* kPca9554A = "PCA9554A";
inline constexpr const char* kPca9555 = "PCA9555";
inline constexpr const char* kPca9556 = "PCA9556";
inline constexpr const char* kPca9557 = "PCA9557";

// The four registers of the 4-bit and 8-bit chips. The 16-bit chips have
// two of each, one per port, at 2n and 2n+1 (input 0/1, output 2/3,
// polarity 4/5, configuration 6/7).
enum Register : std::uint8_t { Input = 0, Output = 1, Polarity = 2, Config = 3 };

// A run of addresses one chip type answers: `count` 8-bit write addresses
// from `first` in steps of 2.
struct AddressRange {
    std::uint8_t first;
    int count;
    const char* chipType;
};

// The address list of a window, item by item in the order shown.
class AddressChoices {
public:
    explicit AddressChoices(std::vector<AddressRange> ranges);

    int count() const;
    // Address of item i (0 .. count()-1).
    std::uint8_t address(int item) const;
    // Item of an address, or -1 when the list does not hold it.
    int itemOf(std::uint8_t address) const;
    // "0x40" style texts, one per item.
    std::vector<std::string> itemTexts() const;
    // The chip type answering at an address; the first range's type for an
    // address the list does not hold.
    std::string chipTypeAt(std::uint8_t address) const;

private:
    std::vector<AddressRange> m_ranges;
};

// PCA9534/PCA9554 40-4E, PCA9554A 70-7E, PCA9538 E0-E6.
const AddressChoices& pca9554Addresses();
// PCA9536 82, PCA9537 92.
const AddressChoices& pca9536Addresses();
// PCA9556/PCA9557 30-3E.
const AddressChoices& pca9556Addresses();
// PCA9535/PCA9555 40-4E, PCA9539 E8-EE.
const AddressChoices& pca9555Addresses();

} // namespace tp::expander
