#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tp {

// Upper-case hex of value with at least `digits` digits, widened as needed.
std::string intToHex(std::uint64_t value, int digits);

// Reads text as a hexadecimal number the way "$" + text converts: the whole
// text must be 1 to 8 hex digits. Throws InvalidNumber("'$" + text + "'...").
std::uint32_t hexToInt(std::string_view text);

// Same rule, but returns false instead of throwing.
bool tryHexToInt(std::string_view text, std::uint32_t& value);

// Two upper-case hex digits: the register value text.
inline std::string byteText(std::uint8_t v) { return intToHex(v, 2); }

// "0x" + two upper-case digits, as address selectors show an 8-bit address.
std::string addressText(std::uint8_t address);

bool isHexDigit(char c);

// The hex key filter: backspace, tab, return and hex digits pass.
bool hexKeyAllowed(char c);

} // namespace tp
