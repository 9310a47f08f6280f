#pragma once
#include "core/sim/ChipModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tp::sim {

// The PCF8574/PCF8574A (one port) and PCF8575 (two ports): no registers,
// every byte written goes to the output latch of the next port, every byte
// read is the level of the next port's pins. Quasi-bidirectional pins: a
// latch 0 drives the pin low strongly, a latch 1 only holds it high weakly,
// so the pin reads low when the latch drives it low or when something
// outside pulls it low. The latch itself cannot be read back. At power-on
// every latch bit is 1. With two ports, bytes alternate P0, P1, P0, ...
// from the start of each message.
class QuasiBidirectionalPort : public ChipModel {
public:
    QuasiBidirectionalPort(std::string type, int ports);

    std::string type() const override { return m_type; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void saveState(ChipState& state) const override;
    void restoreState(const ChipState& state) override;

    int ports() const { return static_cast<int>(m_latch.size()); }
    // What the master last wrote to port p (for tests; the bus cannot see it).
    std::uint8_t latch(int p = 0) const { return m_latch.at(static_cast<std::size_t>(p)); }
    // Levels the outside world puts on port p's pins: a 0 bit pulls the pin
    // low, a 1 bit leaves it to the chip. All 1 at start.
    void setExternal(int p, std::uint8_t levels) { m_external.at(static_cast<std::size_t>(p)) = levels; }
    std::uint8_t external(int p = 0) const { return m_external.at(static_cast<std::size_t>(p)); }
    // The pins as a read shows them.
    std::uint8_t pins(int p = 0) const { return latch(p) & external(p); }

private:
    std::string m_type;
    std::vector<std::uint8_t> m_latch;
    std::vector<std::uint8_t> m_external;
    std::size_t m_next = 0;
};

} // namespace tp::sim
