#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tp::cli {

// Bus addresses, registers and data bytes are hexadecimal as in the
// windows ("A0", "F0"), with an optional "0x" or "$" in front. A text that
// is not hex throws InvalidNumber with the windows' text ("'$XY' is not a
// valid integer value"); one above FF throws UsageError.
std::uint8_t parseByte(std::string_view text, const char* what);
// An 8-bit write address (bit 0 must be clear).
std::uint8_t parseAddress(std::string_view text);

// A memory size: "256", "2K", "64K", "65536" or "0x10000"; only the
// catalogue's sizes (16 to 64K). Throws UsageError otherwise.
std::size_t parseMemorySize(std::string_view text);
// "64K" for 65536, "256" for 256.
std::string sizeText(std::size_t size);

// "0xA0 (7-bit 0x50)".
std::string addressWithSevenBit(std::uint8_t address);

} // namespace tp::cli
