#pragma once
#include "core/devices/led/Saa1064.h"
#include "core/sim/ChipModel.h"

#include <array>
#include <cstdint>

namespace tp::sim {

// The SAA1064 four-digit LED driver. A write is the instruction byte (its
// bits 2..0 the subaddress), then data from that subaddress on, moving on
// after every byte and wrapping from 7 to 0; subaddresses 5 to 7 are
// reserved and keep nothing. A read has no subaddress: every byte is the
// status, whose power-reset flag (bit 7) is set at power-on and cleared
// once it has been read.
class Saa1064Chip : public ChipModel {
public:
    std::string type() const override { return "SAA1064"; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;

    const saa1064::Registers& registers() const { return m_regs; }
    std::uint8_t subaddress() const { return m_sub; }
    // A dip in the supply: the flag is set again.
    void powerFailure() { m_status |= saa1064::kPowerReset; }

private:
    saa1064::Registers m_regs;
    std::uint8_t m_status = saa1064::kPowerReset;
    std::uint8_t m_sub = 0;
    bool m_expectInstruction = false;
};

} // namespace tp::sim
