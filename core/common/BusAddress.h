#pragma once
#include <cstdint>
#include <string>

namespace tp {

// 8-bit addresses (the R/W bit is ignored).

// The general call: every chip on the bus may obey what is sent there
// (a 06 after it resets all that support it).
bool isGeneralCall(std::uint8_t address);

// The other addresses the bus keeps for itself: 02-0F (CBUS, other bus
// formats, future use, high-speed master codes) and F0-FF (10-bit
// addressing, device ID). A chip may still answer there, so they are only
// confirmed, never refused.
bool isReservedAddress(std::uint8_t address);

// "0x00" with its 7-bit form, as messages name an address.
std::string addressWithSevenBit(std::uint8_t address);

// Why nothing goes to the general call address.
std::string generalCallRefusal(std::uint8_t address);
// The question before raw messages go to the general call address.
std::string generalCallQuestion(std::uint8_t address);
// The question before the first transfer to a reserved address.
std::string reservedAddressQuestion(std::uint8_t address);

} // namespace tp
