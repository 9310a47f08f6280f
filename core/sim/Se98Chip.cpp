#include "core/sim/Se98Chip.h"
#include "core/devices/thermal/Se98.h"

namespace tp::sim {

using namespace tp::se98;

namespace {
constexpr std::uint16_t kCapabilityValue = 0x0037; // alarm/critical, negative range, accuracy, 0.125 °C
constexpr std::uint16_t kManufacturer = 0x1131;
constexpr std::uint16_t kDevice = 0xA100;
} // namespace

Se98Chip::Se98Chip()
{
    measure();
}

std::string Se98Chip::type() const
{
    return kChipType;
}

void Se98Chip::setTemperature(double celsius)
{
    m_source.set(celsius);
    convert();
}

std::uint16_t Se98Chip::word(std::uint8_t p) const
{
    switch (p) {
    case kCapability:
        return kCapabilityValue;
    case kConfig:
        return static_cast<std::uint16_t>((m_config & ~kESTAT) | (eventAsserted() ? kESTAT : 0));
    case kUpper:
        return m_upper;
    case kLower:
        return m_lower;
    case kCritical:
        return m_critical;
    case kTemperature:
        return static_cast<std::uint16_t>(m_temp | (m_act ? kACT : 0) | (m_aaw ? kAAW : 0) | (m_baw ? kBAW : 0));
    case kManufacturerId:
        return kManufacturer;
    case kDeviceId:
        return kDevice;
    case kSmbus:
        return m_smbus;
    default:
        return 0;
    }
}

void Se98Chip::setWord(std::uint8_t p, std::uint16_t value)
{
    switch (p) {
    case kConfig:
        m_config = value & 0x07CF;
        break;
    case kUpper:
        m_upper = value & kTripMask;
        break;
    case kLower:
        m_lower = value & kTripMask;
        break;
    case kCritical:
        m_critical = value & kTripMask;
        break;
    case kSmbus:
        m_smbus = value & (kSTMOUT | kSALRT);
        break;
    default:
        break;
    }
    convert();
}

bool Se98Chip::eventAsserted() const
{
    if (!(m_config & kEOCTL))
        return false;
    if (m_config & kCVO)
        return m_act;
    if (m_config & kEMD)
        return m_act || m_interruptEvent;
    return m_act || m_aaw || m_baw;
}

bool Se98Chip::eventPinHigh() const
{
    return eventAsserted() == ((m_config & kEP) != 0);
}

bool Se98Chip::validPointer(std::uint8_t p) const
{
    return p <= kDeviceId || p == kSmbus;
}

bool Se98Chip::writeData(std::uint8_t p, int index, std::uint8_t value)
{
    if (index == 0)
        m_pendingHigh = value;
    else if (index == 1)
        writeWord(p, static_cast<std::uint16_t>(m_pendingHigh << 8 | value));
    return true;
}

std::uint8_t Se98Chip::readData(std::uint8_t p, int index)
{
    const std::uint16_t w = word(p);
    return static_cast<std::uint8_t>(index % 2 == 0 ? w >> 8 : w & 0xFF);
}

void Se98Chip::writeWord(std::uint8_t p, std::uint16_t value)
{
    switch (p) {
    case kConfig:
        writeConfig(value);
        break;
    case kUpper:
    case kLower:
        if (!(m_config & kAWLB))
            (p == kUpper ? m_upper : m_lower) = value & kTripMask;
        break;
    case kCritical:
        if (!(m_config & kCTLB))
            m_critical = value & kTripMask;
        break;
    case kSmbus:
        m_smbus = value & (kSTMOUT | kSALRT);
        break;
    default:
        break; // read-only registers
    }
}

void Se98Chip::writeConfig(std::uint16_t value)
{
    const bool locked = (m_config & (kCTLB | kAWLB)) != 0;
    // Bits 15-11 are reserved; ESTAT is the chip's; CEVNT acts and reads 0.
    std::uint16_t next = value & 0x07CF;
    // Lock bits stay set until power is removed; while either is set the
    // event mode and shut-down cannot change.
    next |= m_config & (kCTLB | kAWLB);
    if (locked)
        next = static_cast<std::uint16_t>((next & ~(kEMD | kSHMD)) | (m_config & (kEMD | kSHMD)));
    if (value & kCEVNT)
        m_interruptEvent = false;
    if ((next ^ m_config) & kEMD)
        m_interruptEvent = false;
    m_config = next;
}

bool Se98Chip::running() const
{
    return !(m_config & kSHMD);
}

void Se98Chip::measure()
{
    m_temp = temperatureWord(m_source.celsius());
    const double t = temperatureCelsius(m_temp);
    const double hyst = hysteresisCelsius(hysteresisIndex(m_config));
    const double upper = tripCelsius(m_upper), lower = tripCelsius(m_lower), crit = tripCelsius(m_critical);
    const bool wasOutside = m_aaw || m_baw;
    // Each flag sets on crossing its limit and clears once back past the hysteresis.
    m_aaw = m_aaw ? t > upper - hyst : t > upper;
    m_baw = m_baw ? t < lower + hyst : t < lower;
    m_act = m_act ? t >= crit - hyst : t >= crit;
    // Interrupt mode: entering or leaving the window is an event, until cleared.
    if ((m_config & kEMD) && wasOutside != (m_aaw || m_baw))
        m_interruptEvent = true;
}

} // namespace tp::sim
