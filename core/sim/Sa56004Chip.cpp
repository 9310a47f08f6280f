#include "core/sim/Sa56004Chip.h"
#include "core/devices/thermal/Sa56004.h"
#include "core/devices/thermal/ThermalText.h"

namespace tp::sim {

using namespace tp::sa56004;

namespace {

// Registers that exist at a read number.
bool readable(std::uint8_t p)
{
    return p <= kRLSHB || (p >= kRTLB && p <= kRLSLB) || p == kRCS || p == kLCS || p == kTH || p == kLTLB ||
           p == kAM || p == kRMID || p == kRDR;
}

// Write numbers and what they store into (read numbers).
int storeOf(std::uint8_t p)
{
    if (p >= 0x09 && p <= 0x0E)
        return p - 6;
    if ((p >= kRTOHB && p <= kRLSLB) || p == kRCS || p == kLCS || p == kTH || p == kAM)
        return p;
    return -1;
}

std::uint8_t bits(std::uint8_t p)
{
    switch (p) {
    case kCON:
        return 0xD5; // bits 5, 3 and 1 read 0
    case kCR:
        return 0x0F;
    case kRHSLB:
    case kRLSLB:
    case kRTOLB:
        return 0xE0;
    case kTH:
        return 0x1F;
    case kAM:
        return 0x01;
    default:
        return 0xFF;
    }
}

constexpr std::uint8_t kLHIGH = 0x40, kLLOW = 0x20, kRHIGH = 0x10, kRLOW = 0x08, kOPEN = 0x04, kRCRIT = 0x02,
                       kLCRIT = 0x01;

} // namespace

Sa56004Chip::Sa56004Chip()
{
    m_regs[kLHS] = 0x46;
    m_regs[kLLS] = 0x00;
    m_regs[kRHSHB] = 0x46;
    m_regs[kRLSHB] = 0x00;
    m_regs[kRCS] = 0x55;
    m_regs[kLCS] = 0x55;
    m_regs[kTH] = 0x0A;
    m_regs[kCR] = 0x08;
    m_regs[kRMID] = 0xA1;
    m_regs[kRDR] = 0x00;
    measure();
}

std::string Sa56004Chip::type() const
{
    return kChipType;
}

void Sa56004Chip::setLocal(double celsius)
{
    m_local.set(celsius);
    convert();
}

void Sa56004Chip::setRemote(double celsius)
{
    m_remote.set(celsius);
    convert();
}

void Sa56004Chip::setDiodeOpen(bool open)
{
    m_open = open;
    convert();
}

std::uint8_t Sa56004Chip::reg(std::uint8_t readNumber) const
{
    return readNumber == kSR ? m_status : m_regs[readNumber];
}

void Sa56004Chip::setReg(std::uint8_t readNumber, std::uint8_t value)
{
    if (readNumber == kSR)
        m_status = value;
    else
        m_regs[readNumber] = value;
}

bool Sa56004Chip::alertActive() const
{
    if (m_regs[kCON] & 0x80)
        return false; // masked
    const std::uint8_t alarms = kLHIGH | kLLOW | kRHIGH | kRLOW | kOPEN;
    // Alert mode 1: comparator, it follows the conditions; 0: interrupt, the latched flags.
    return ((m_regs[kAM] & 1) ? m_conditions : m_status) & alarms;
}

bool Sa56004Chip::validPointer(std::uint8_t p) const
{
    return readable(p) || storeOf(p) >= 0 || p == kOneShot;
}

bool Sa56004Chip::writeData(std::uint8_t p, int index, std::uint8_t value)
{
    if (index != 0)
        return true; // the pointer does not move on
    if (p == kOneShot) {
        pointerOnly(p);
        return true;
    }
    const int store = storeOf(p);
    if (store >= 0)
        m_regs[static_cast<std::size_t>(store)] = value & bits(static_cast<std::uint8_t>(store));
    return true;
}

std::uint8_t Sa56004Chip::readData(std::uint8_t p, int)
{
    if (!readable(p))
        return 0xFF;
    return reg(p);
}

void Sa56004Chip::pointerOnly(std::uint8_t p)
{
    if (p != kOneShot)
        return;
    ++m_oneShots;
    measure(); // also in standby: that is what it is for
}

bool Sa56004Chip::running() const
{
    return (m_regs[kCON] & 0x40) == 0;
}

bool Sa56004Chip::faultQueue(int& count, bool condition) const
{
    const int needed = (m_regs[kCON] & 0x01) ? 3 : 1;
    count = condition ? count + 1 : 0;
    return count >= needed;
}

void Sa56004Chip::measure()
{
    const int local = thermal::quantise(m_local.celsius(), kStep, -1024, 1023);
    m_regs[kLTHB] = static_cast<std::uint8_t>((local * 32) >> 8 & 0xFF);
    m_regs[kLTLB] = static_cast<std::uint8_t>(local * 32 & 0xE0);
    if (!m_open) {
        const int offset = elevenBitCount(m_regs[kRTOHB], m_regs[kRTOLB]);
        const int remote = thermal::quantise(m_remote.celsius() + offset * kStep, kStep, -1024, 1023);
        m_regs[kRTHB] = static_cast<std::uint8_t>((remote * 32) >> 8 & 0xFF);
        m_regs[kRTLB] = static_cast<std::uint8_t>(remote * 32 & 0xE0);
    }
    const double l = elevenBitCount(m_regs[kLTHB], m_regs[kLTLB]) * kStep;
    const double r = elevenBitCount(m_regs[kRTHB], m_regs[kRTLB]) * kStep;
    const double rhs = elevenBitCount(m_regs[kRHSHB], m_regs[kRHSLB]) * kStep;
    const double rls = elevenBitCount(m_regs[kRLSHB], m_regs[kRLSLB]) * kStep;

    std::uint8_t c = 0;
    auto flag = [&](int i, std::uint8_t bit, bool condition) {
        if (faultQueue(m_counts[static_cast<std::size_t>(i)], condition))
            c |= bit;
    };
    flag(0, kLHIGH, l > limitValue(m_regs[kLHS]));
    flag(1, kLLOW, l < limitValue(m_regs[kLLS]));
    flag(2, kRHIGH, !m_open && r > rhs);
    flag(3, kRLOW, !m_open && r < rls);
    if (m_open)
        c |= kOPEN;

    // T_CRIT outputs: on above the limit, off once below limit - hysteresis.
    const int hyst = hysteresisValue(m_regs[kTH]);
    const int lcs = limitValue(m_regs[kLCS]);
    const int rcs = limitValue(m_regs[kRCS]);
    m_localCrit = (m_regs[kCON] & 0x04) == 0 && (m_localCrit ? l >= lcs - hyst : l > lcs);
    m_remoteCrit = (m_regs[kCON] & 0x10) == 0 && !m_open && (m_remoteCrit ? r >= rcs - hyst : r > rcs);
    if (m_localCrit)
        c |= kLCRIT;
    if (m_remoteCrit)
        c |= kRCRIT;
    m_conditions = c;
    m_status |= c;
}

void Sa56004Chip::finished(std::uint8_t p, bool read)
{
    // Reading the status releases the flags whose condition has gone.
    if (read && p == kSR)
        m_status = m_conditions;
}

} // namespace tp::sim
