#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp {

// Which state of a bit box stands for a 1 bit: checked in most rows, a dark
// LED in some LED rows where a lit LED means "Low".
enum class OneIs { Checked, Unchecked };

constexpr bool bitOf(std::uint8_t value, std::uint8_t mask) { return (value & mask) != 0; }

constexpr std::uint8_t withBit(std::uint8_t value, std::uint8_t mask, bool set)
{
    return static_cast<std::uint8_t>(set ? value | mask : value & ~mask);
}

constexpr bool boxCheckedFor(bool bit, OneIs one) { return bit == (one == OneIs::Checked); }
constexpr bool bitOfBox(bool checked, OneIs one) { return checked == (one == OneIs::Checked); }

// The masks of the `bits` lowest bits, highest first: 8 -> 128 .. 1.
std::vector<std::uint8_t> masksHighToLow(int bits);

// A bit box's caption: fixed, or naming what the bit means in its state
// ("High" / "Low", "Inverted" / "Not Inverted", "Input" / "Output").
struct BitCaption {
    std::string one;
    std::string zero;

    static BitCaption fixed(std::string text) { return {text, text}; }
    const std::string& forBit(bool bit) const { return bit ? one : zero; }
    bool isFixed() const { return one == zero; }
};

} // namespace tp
