#pragma once
#include <cstdint>
#include <string>

namespace tp::thermal {

// "°C" in UTF-8; it follows a temperature without a blank.
inline constexpr const char* kDegreesC = "\xC2\xB0" "C";

// "0x" and `digits` upper-case hex digits.
std::string hexText(std::uint32_t value, int digits);

// A temperature in fixed notation with `decimals` decimals (at most
// `maxSignificant` significant digits when > 0), then "°C".
std::string celsiusText(double value, int decimals, char decimalSeparator = '.', int maxSignificant = 0);

// The low `bits` bits of `value` as a two's-complement number.
constexpr int signExtend(std::uint32_t value, int bits)
{
    const std::uint32_t mask = (1u << bits) - 1u;
    const std::uint32_t v = value & mask;
    const std::uint32_t sign = 1u << (bits - 1);
    return (v & sign) ? static_cast<int>(v) - static_cast<int>(1u << bits) : static_cast<int>(v);
}

// The nearest whole number of `step`-sized steps to `celsius`, kept to
// [lowest, highest] steps: how a sensor quantises what it measures.
int quantise(double celsius, double step, int lowest, int highest);

} // namespace tp::thermal
