#pragma once
#include "core/sim/ChipModel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tp::sim {

// A non-volatile register chip ("I²C EEPROM DIP switch"): PCA8550 and
// PCA9559 hold one data byte written and read without a number; PCA9560 and
// PCA9561 take a byte number first (0.., or 255 to read the MUX_IN pins) or
// a command byte selecting the output source. The stop that ends a write
// with data starts the write cycle, during which the chip acknowledges no
// address. Writes with write protect on are acknowledged and dropped.
// Registers hold `dataMask` bits and start at 0, as delivered.
class DipSwitchChip : public ChipModel {
public:
    struct Params {
        std::string type;
        bool numbered = false;          // a byte number precedes the data
        int registers = 1;
        std::uint8_t dataMask = 0x3F;
        std::uint8_t muxInMask = 0x3F;  // MUX_IN pins readable with number 255
        std::vector<std::uint8_t> commands; // acknowledged command bytes
        std::uint64_t writeCycleUs = 10000;
    };
    static Params pca8550();
    static Params pca9559();
    static Params pca9560();
    static Params pca9561();

    explicit DipSwitchChip(Params params);

    std::string type() const override { return m_params.type; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;
    void saveState(ChipState& state) const override;
    void restoreState(const ChipState& state) override;

    std::uint8_t reg(int i) const { return m_regs.at(static_cast<std::size_t>(i)); }
    void setReg(int i, std::uint8_t v) { m_regs.at(static_cast<std::size_t>(i)) = v & m_params.dataMask; }
    void setMuxIn(std::uint8_t pins) { m_muxIn = pins; }
    void setWriteProtect(bool on) { m_writeProtect = on; }
    // The last command byte acknowledged (0 before any).
    std::uint8_t command() const { return m_command; }
    std::size_t writeCycles() const { return m_cycles; }
    bool inWriteCycle() const;

private:
    Params m_params;
    std::vector<std::uint8_t> m_regs;
    std::map<int, std::uint8_t> m_pending;
    std::uint8_t m_muxIn = 0;
    bool m_writeProtect = false;
    std::uint8_t m_command = 0;
    bool m_expectNumber = false;
    bool m_commandTaken = false;
    int m_pointer = 0;
    // Ends on either clock: a user's pause between two writes is time the chip has too.
    std::optional<SimClock::Deadline> m_busyUntil;
    std::size_t m_cycles = 0;
};

} // namespace tp::sim
