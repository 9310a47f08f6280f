#pragma once
#include "core/memory/MemoryBusTypes.h"
#include "core/memory/Pca9500File.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tp::pca9500 {

// The PCA9500 and PCA9501: an 8-bit quasi-bidirectional port without
// registers and a 256-byte EEPROM, behind two slave addresses. The EEPROM's
// page is 4 bytes on the PCA9500 and 16 on the PCA9501.
enum class Variant { Pca9500, Pca9501 };

// "PCA9500" / "PCA9501".
std::string chipName(Variant v);
// The bench's names for the two halves: "PCA9501 port", "PCA9501 EEPROM".
std::string portType(Variant v);
std::string eepromType(Variant v);
std::size_t pageSize(Variant v);

constexpr std::size_t kEepromSize = 256;
// Pages of 4 bytes aligned to 4 never wrap on either chip.
constexpr std::size_t kWritePage = 4;
constexpr std::uint8_t kEepromAddress = 0xB0;
constexpr std::uint8_t kIoAddress = 0x30;
constexpr unsigned kWriteTimeMs = 10;
constexpr unsigned kMaxWriteTimeMs = Pca9500File::MaxWriteTimeMs;

// The EEPROM as the bus transfers see it. Acknowledge polling after each
// page lasts up to the write time, and at least MemoryBus::kMinPollUs.
MemoryDevice eepromDevice(Variant v, std::uint8_t address, unsigned writeTimeMs);

// The word address label: two hex digits, "h", five blanks, decimal, "d" ("1Fh     31d").
std::string wordLabel(std::size_t address);

// The message for an address outside a chip's range, if it is.
std::optional<std::string> ioAddressWarning(std::uint8_t value);
std::optional<std::string> eepromAddressWarning(std::uint8_t value);

} // namespace tp::pca9500
