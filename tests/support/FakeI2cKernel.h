#pragma once
#include "core/adapter/linux/I2cDevSystem.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A stand-in for Linux's I2C core behind i2c-dev, one bus per device node:
// chips with an address pointer (as i2c-stub has them, or 24xx memories with
// 16-bit addresses), the functionality bits, adapter quirks (longest read,
// no zero-length messages), and a trace of every ioctl in a readable form:
//   "rdwr W50[00] R50(8)"       one I2C_RDWR: a write and an 8-byte read
//   "smbus w BYTE_DATA 05 [A5]"  one I2C_SMBUS: direction, protocol, command, data
//   "smbus r I2C_BLOCK 40 (16)"  a read of 16 bytes
//   "slave 50"                   I2C_SLAVE_FORCE
struct FakeI2cBus {
    struct Chip {
        std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(256, 0);
        int addressBytes = 1;
        std::size_t pointer = 0;
        int writeCycle = 0; // transactions the chip ignores after each write with data
        int busy = 0;
    };

    unsigned long funcs = 0;       // I2C_FUNCS answer
    int absentErrno = ENXIO;       // i2c-stub answers ENODEV
    std::size_t maxReadLength = 0; // a quirk: longer reads are refused (EOPNOTSUPP); 0: none
    bool noZeroLength = false;     // a quirk: zero-length messages are refused
    int failNext = 0;              // errno for the next transfer
    bool removed = false;          // every call fails with ENODEV
    std::map<int, Chip> chips;     // by 7-bit address
    // Runs before each transfer ioctl, e.g. to pull the adapter out mid-operation.
    std::function<void(FakeI2cBus&)> beforeTransfer;

    std::vector<std::string> trace;
    std::size_t transferIoctls = 0; // I2C_RDWR and I2C_SMBUS calls
    std::size_t allIoctls = 0;
    int slave = -1;

    Chip& chip(int address7) { return chips[address7]; }
    void clearTrace()
    {
        trace.clear();
        transferIoctls = allIoctls = 0;
    }
};

// Buses by device node, as one fake system.
struct FakeI2cHost {
    std::map<std::string, FakeI2cBus> buses;
    std::map<std::string, int> openErrno; // nodes that refuse to open, with the errno
    std::map<int, std::string> openFds;   // fd -> node
    int nextFd = 10;

    tp::linuxi2c::System system();
    FakeI2cBus& bus(const std::string& node) { return buses[node]; }
};

// A temporary sysfs and /dev tree with the entries the backend reads:
// class/i2c-dev/i2c-N/name, the adapter's device folder (on a PCI device or
// not), bus/i2c/devices/N-00AA with a driver link, device tree clock-frequency.
class FakeSysfs {
public:
    FakeSysfs();
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    // Adds i2c-N named `name`; `pciParent` puts it on a PCI device.
    std::string addBus(int number, const std::string& name, bool pciParent = false);
    void removeBus(int number);
    void claim(int bus, int address7, const std::string& driver);
    void addClient(int bus, int address7); // a device without a driver
    void setClockFrequency(int bus, std::uint32_t hz);

    std::string sysfsRoot() const { return (m_root / "sys").string(); }
    std::string devRoot() const { return (m_root / "dev").string(); }
    std::string node(int number) const
    {
        return (m_root / "dev" / ("i2c-" + std::to_string(number))).string();
    }
    tp::linuxi2c::Environment environment(FakeI2cHost& host) const;

private:
    std::filesystem::path m_root;
};
