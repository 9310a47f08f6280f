#pragma once
#include "core/devices/led/LedMember.h"
#include "core/sim/ChipModel.h"

#include <cstdint>
#include <vector>

namespace tp::sim {

// An LED dimmer (PCA9530/31/32/33) or blinker (PCA9550/51/52/53). The first
// byte of a write is the control byte: the register number in its low bits
// (three, four on the 16-LED chips) and the auto-increment flag 0x10; any
// other bit set, or a register the chip lacks, is not acknowledged. With
// auto-increment the pointer moves on after every byte read or written and
// wraps from the last register to 0; without it, it stays. The input
// registers are read-only (writes are acknowledged and dropped) and report
// the pins: a pin reads low where the chip drives its LED on, otherwise the
// level the outside world puts there (high unless a test says otherwise; a
// pin in a PWM mode reads that level too). Power-on values: dimmers
// prescalers 00, PWM 80, selectors 00 (every LED off); blinkers prescalers
// FF, PWM 80, selectors 55 (every LED off).
class LedDriverChip : public ChipModel {
public:
    explicit LedDriverChip(const led::Member& member);

    std::string type() const override { return m_member.chip; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void saveState(ChipState& state) const override;
    void restoreState(const ChipState& state) override;

    const led::Member& member() const { return m_member; }
    // Register i as a read would return it (inputs from the pins).
    std::uint8_t reg(int i) const;
    void setReg(int i, std::uint8_t v) { m_regs.at(static_cast<std::size_t>(i)) = v; }
    std::uint8_t pointer() const { return m_pointer; }
    bool autoIncrement() const { return m_autoIncrement; }
    // Levels outside on the LED pins, bit n for LED n: a 0 pulls the pin low.
    void setExternal(std::uint16_t levels) { m_external = levels; }
    std::uint16_t external() const { return m_external; }

private:
    bool drivenLow(int led) const;

    led::Member m_member;
    std::vector<std::uint8_t> m_regs;
    std::uint16_t m_external = 0xFFFF;
    std::uint8_t m_pointer = 0;
    bool m_autoIncrement = false;
    bool m_expectControl = false;
};

} // namespace tp::sim
