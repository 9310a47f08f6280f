#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tp::pca9541 {

// The 2-to-1 master selector. A command byte selects the register (bits
// 1:0) and the auto-increment flag; only these six command bytes are
// acknowledged.
constexpr std::uint8_t kAutoIncrement = 0x10;
enum Register : std::uint8_t { IE = 0, Control = 1, InterruptStatus = 2 };
bool isValidCommand(std::uint8_t command);

inline constexpr const char* kChipType = "PCA9541";

// Register 0: interrupt masks (bits 3:0; bits 7:4 read 0).
constexpr std::uint8_t kBusLostMsk = 0x08, kBusOkMsk = 0x04, kBusInitMsk = 0x02, kIntInMsk = 0x01;
constexpr std::uint8_t kIeWritable = 0x0F;

// Register 1: control. NMYBUS and NBUSON mirror the other master and are
// read-only; bit 5 reads 0.
constexpr std::uint8_t kMyBus = 0x01, kNMyBus = 0x02, kBusOn = 0x04, kNBusOn = 0x08, kBusInit = 0x10,
                       kTestOn = 0x40, kNTestOn = 0x80;
constexpr std::uint8_t kControlWritable = kMyBus | kBusOn | kBusInit | kTestOn | kNTestOn;

// Register 2: interrupt status, read-only; bits 5:4 read 0.
constexpr std::uint8_t kIntIn = 0x01, kBusInitDone = 0x02, kBusOk = 0x04, kBusLost = 0x08, kMyTest = 0x40,
                       kNMyTest = 0x80;

// The master that reads a control value owns the downstream bus when
// MYBUS equals NMYBUS; the bus is connected when BUSON differs from NBUSON.
constexpr bool hasControl(std::uint8_t control)
{
    return bool(control & kMyBus) == bool(control & kNMyBus);
}
constexpr bool busOn(std::uint8_t control)
{
    return bool(control & kBusOn) != bool(control & kNBusOn);
}

// The datasheet's bus control sequence: the low nibble to write after
// reading `control` so that the reading master owns a connected bus;
// none when it already does.
std::optional<std::uint8_t> takeControlValue(std::uint8_t control);

// "0xE0" .. "0xFE": the sixteen addresses.
std::vector<std::uint8_t> addresses();
std::vector<std::string> addressItems();

} // namespace tp::pca9541
