#include "core/sim/LedDriverChip.h"
#include "core/devices/led/LedRegisters.h"
#include "core/devices/led/LedTiming.h"

namespace tp::sim {

LedDriverChip::LedDriverChip(const led::Member& member)
    : m_member(member), m_regs(static_cast<std::size_t>(member.registerCount()), 0)
{
    const bool blinker = member.family == led::Family::Blinker;
    for (int c = 0; c < 2; ++c) {
        setReg(member.prescaler(c), blinker ? 0xFF : 0x00);
        setReg(member.pwm(c), 0x80);
    }
    for (int j = 0; j < member.selectorCount(); ++j)
        setReg(member.selector(j), blinker ? 0x55 : 0x00);
}

bool LedDriverChip::start(std::uint8_t, bool read)
{
    m_expectControl = !read;
    return true;
}

bool LedDriverChip::drivenLow(int led) const
{
    const int code = led::modeInByte(m_regs[static_cast<std::size_t>(m_member.selectorOf(led))], led % 4);
    return led::modeOf(m_member.family, code) == led::Mode::On;
}

std::uint8_t LedDriverChip::reg(int i) const
{
    if (i >= m_member.inputs)
        return m_regs.at(static_cast<std::size_t>(i));
    std::uint8_t v = 0;
    for (int b = 0; b < 8; ++b) {
        const int led = 8 * i + b;
        if (led >= m_member.leds)
            break;
        const bool high = (m_external >> led & 1) && !drivenLow(led);
        v = static_cast<std::uint8_t>(v | (high ? 1 : 0) << b);
    }
    return v;
}

bool LedDriverChip::writeByte(std::uint8_t value)
{
    if (m_expectControl) {
        m_expectControl = false;
        const std::uint8_t allowed = static_cast<std::uint8_t>(m_member.pointerMask | led::kAutoIncrement);
        const int reg = value & m_member.pointerMask;
        if ((value & ~allowed) != 0 || reg >= m_member.registerCount())
            return false;
        m_pointer = static_cast<std::uint8_t>(reg);
        m_autoIncrement = (value & led::kAutoIncrement) != 0;
        return true;
    }
    if (m_pointer >= m_member.inputs)
        m_regs[m_pointer] = value;
    if (m_autoIncrement)
        m_pointer = static_cast<std::uint8_t>((m_pointer + 1) % m_member.registerCount());
    return true;
}

std::uint8_t LedDriverChip::readByte()
{
    const std::uint8_t v = reg(m_pointer);
    if (m_autoIncrement)
        m_pointer = static_cast<std::uint8_t>((m_pointer + 1) % m_member.registerCount());
    return v;
}

} // namespace tp::sim
