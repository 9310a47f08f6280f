#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp::scan {

// The addresses the window of one Device menu entry can use, as 8-bit
// write addresses: the chip's own address range, as far as the window's
// address list offers it.
struct EntryAddresses {
    std::string submenu;
    std::string caption; // exactly as the Device menu shows it
    std::string chip;    // short name for lists: "PCA9554A", "EEPROM 2 KB"
    std::vector<std::uint8_t> addresses;

    bool holds(std::uint8_t address8) const;
};

// Every Device menu entry with a chip behind it, in menu order (the
// universal modes, which take any address, are not among them).
const std::vector<EntryAddresses>& catalogueAddresses();

// The entries whose addresses hold a 7-bit address, in menu order.
std::vector<const EntryAddresses*> entriesAt(std::uint8_t address7);

} // namespace tp::scan
