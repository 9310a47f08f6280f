#include "core/sim/Ne1617Chip.h"
#include "core/devices/thermal/Ne1617.h"
#include "core/devices/thermal/ThermalText.h"

namespace tp::sim {

using namespace tp::ne1617;

namespace {
constexpr std::uint8_t kIHLF = 0x40, kILLF = 0x20, kEHLF = 0x10, kELLF = 0x08, kOPEN = 0x04;
constexpr std::uint8_t kManufacturerId = 0xFE, kRevision = 0xFF;
} // namespace

Ne1617Chip::Ne1617Chip()
{
    m_regs[kRIHL] = 0x7F;
    m_regs[kRILL] = 0xC9;
    m_regs[kREHL] = 0x7F;
    m_regs[kRELL] = 0xC9;
    m_regs[kRCR] = 0x02;
    measure();
}

std::string Ne1617Chip::type() const
{
    return kChipType;
}

void Ne1617Chip::setInternal(double celsius)
{
    m_internal.set(celsius);
    convert();
}

void Ne1617Chip::setExternal(double celsius)
{
    m_external.set(celsius);
    convert();
}

void Ne1617Chip::setDiodeOpen(bool open)
{
    m_open = open;
    convert();
}

std::uint8_t Ne1617Chip::reg(std::uint8_t readNumber) const
{
    return m_regs.at(readNumber);
}

void Ne1617Chip::setReg(std::uint8_t readNumber, std::uint8_t value)
{
    m_regs.at(readNumber) = value;
}

bool Ne1617Chip::alertActive() const
{
    return (m_regs[kRC] & 0x80) == 0 && (m_regs[kRS] & (kIHLF | kILLF | kEHLF | kELLF | kOPEN)) != 0;
}

bool Ne1617Chip::validPointer(std::uint8_t p) const
{
    return p <= kOneShot || p == kManufacturerId || p == kRevision;
}

bool Ne1617Chip::writeData(std::uint8_t p, int index, std::uint8_t value)
{
    if (index != 0)
        return true;
    if (p == kOneShot) {
        pointerOnly(p);
    } else if (p >= kWC && p <= kWELL) {
        const std::uint8_t r = static_cast<std::uint8_t>(p - 6);
        m_regs[r] = r == kRC ? (value & 0xC0) : value;
    }
    return true; // read registers ignore writes
}

std::uint8_t Ne1617Chip::readData(std::uint8_t p, int)
{
    if (p <= kRELL)
        return m_regs[p];
    if (p == kManufacturerId)
        return 0xA1;
    if (p == kRevision)
        return 0x00;
    return 0xFF; // write-only registers
}

void Ne1617Chip::pointerOnly(std::uint8_t p)
{
    if (p != kOneShot)
        return;
    ++m_oneShots;
    measure();
}

bool Ne1617Chip::running() const
{
    return (m_regs[kRC] & 0x40) == 0;
}

void Ne1617Chip::measure()
{
    const int internal = thermal::quantise(m_internal.celsius(), 1.0, -128, 127);
    m_regs[kRIT] = byteOf(internal);
    if (!m_open)
        m_regs[kRET] = byteOf(thermal::quantise(m_external.celsius(), 1.0, -128, 127));
    const int ext = signedValue(m_regs[kRET]);
    std::uint8_t c = 0;
    if (internal > signedValue(m_regs[kRIHL]))
        c |= kIHLF;
    if (internal < signedValue(m_regs[kRILL]))
        c |= kILLF;
    if (m_open) {
        c |= kOPEN;
    } else {
        if (ext > signedValue(m_regs[kREHL]))
            c |= kEHLF;
        if (ext < signedValue(m_regs[kRELL]))
            c |= kELLF;
    }
    m_conditions = c;
    m_regs[kRS] |= c;
}

void Ne1617Chip::finished(std::uint8_t p, bool read)
{
    if (read && p == kRS)
        m_regs[kRS] = m_conditions;
}

} // namespace tp::sim
