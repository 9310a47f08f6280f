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
// A 7-bit address as i2cdetect shows it ("50", "0x50"), returned as the
// 8-bit write address the adapters take (0xA0). 0x08 to 0x77 unless
// `anyAddress`, which allows 0x00 to 0x7F. An 8-bit form is refused with
// the 7-bit address it stands for, so the habit of the windows cannot
// reach another chip.
std::uint8_t parseAddress(std::string_view text, bool anyAddress = false);

// A memory size: "256", "2K", "64K", "65536" or "0x10000"; only the
// catalogue's sizes (16 to 64K). Throws UsageError otherwise.
std::size_t parseMemorySize(std::string_view text);
// "64K" for 65536, "256" for 256.
std::string sizeText(std::size_t size);

// The 7-bit form of an 8-bit address: "0x50" for 0xA0.
std::string addressText7(std::uint8_t address);

} // namespace tp::cli
