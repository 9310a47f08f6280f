#pragma once
#include "core/adapter/linux/I2cDevSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tp::linuxi2c {

// One /dev/i2c-N bus as sysfs and the kernel describe it.
struct BusInfo {
    int number = -1;
    std::string devNode;     // "/dev/i2c-3" (under the environment's dev root)
    std::string name;        // the adapter's kernel name: "CP2112 SMBus Bridge on hidraw0"
    std::string kind;        // as i2cdetect -l: "i2c", "smbus", "isa", "dummy" or "unknown" (not openable)
    unsigned long funcs = 0; // I2C_FUNCS bits, when kind is "i2c", "smbus" or "dummy"
    std::string devicePath;  // the adapter's device folder in sysfs, links resolved
    // An SMBus-only controller on a PCI device: a PC chipset's SMBus, where
    // memory modules keep their SPD EEPROMs (0x50-0x57).
    bool pcSmbus = false;

    // "i2c-3  CP2112 SMBus Bridge on hidraw0"
    std::string label() const;
    // One line of `i2cdetect -l`.
    std::string listLine() const;
};

// Every bus in sysfs, by number.
std::vector<BusInfo> listBuses(const Environment& env);

// The bus a user means: "/dev/i2c-3", "i2c-3", "3", or its kernel name.
std::optional<BusInfo> findBus(const Environment& env, const std::string& spec);

// Whether a bus is still there: its device node, its sysfs entry, and the
// same adapter name (a number can be reused by another adapter).
bool busPresent(const Environment& env, int number, const std::string& name);

// A client device the kernel knows at a 7-bit address of a bus.
struct AddressClaim {
    bool device = false; // sysfs has N-00AA
    std::string driver;  // the driver bound to it, empty when none
    bool claimed() const { return !driver.empty(); }
};
AddressClaim addressClaim(const Environment& env, int bus, std::uint8_t address7);

// The bus clock from the firmware's description (device tree
// clock-frequency), when there is one.
std::optional<unsigned> busFrequencyHz(const Environment& env, int bus);

// What the user can do when opening failed with `error` (an errno).
std::string openAdvice(int error);

} // namespace tp::linuxi2c
