#include "core/sim/Lm75aChip.h"
#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/ThermalText.h"

namespace tp::sim {

using namespace tp::lm75a;

Lm75aChip::Lm75aChip()
{
    measure();
}

std::string Lm75aChip::type() const
{
    return kChipType;
}

void Lm75aChip::setTemperature(double celsius)
{
    m_source.set(celsius);
    convert();
}

bool Lm75aChip::osPinHigh() const
{
    const bool activeHigh = fieldValue(m_conf, kOsPolarity) == 1;
    return m_os == activeHigh;
}

bool Lm75aChip::running() const
{
    return fieldValue(m_conf, kShutdown) == 0;
}

std::uint16_t Lm75aChip::word(std::uint8_t p) const
{
    switch (p) {
    case kTemp:
        return m_temp;
    case kThyst:
        return m_thyst;
    case kTos:
        return m_tos;
    default:
        return static_cast<std::uint16_t>(m_conf << 8 | m_conf);
    }
}

void Lm75aChip::setWordByte(std::uint16_t& w, int index, std::uint8_t value, std::uint16_t keep)
{
    if (index == 0)
        w = static_cast<std::uint16_t>((value << 8 | (w & 0xFF)) & keep);
    else if (index == 1)
        w = static_cast<std::uint16_t>((w & 0xFF00) | (value & keep & 0xFF));
}

bool Lm75aChip::writeData(std::uint8_t p, int index, std::uint8_t value)
{
    switch (p) {
    case kConf:
        if (index == 0) {
            const bool wasInterrupt = fieldValue(m_conf, kOsMode) == 1;
            m_conf = static_cast<std::uint8_t>(value & 0x1F); // bits 7-5 are reserved, read 0
            const bool interrupt = fieldValue(m_conf, kOsMode) == 1;
            if (interrupt != wasInterrupt) {
                // A new mode starts the OS logic afresh; a new interrupt mode with OS released.
                if (interrupt)
                    m_os = false;
                m_awaitBelow = false;
                m_faults = 0;
            }
            if (!running()) {
                // Shutdown releases OS in interrupt mode; a comparator keeps its state.
                if (interrupt) {
                    m_os = false;
                    m_awaitBelow = false;
                }
                m_faults = 0;
            }
        }
        break;
    case kThyst:
        setWordByte(m_thyst, index, value, 0xFF80);
        break;
    case kTos:
        setWordByte(m_tos, index, value, 0xFF80);
        break;
    default:
        break; // the temperature register is read-only
    }
    return true;
}

std::uint8_t Lm75aChip::readData(std::uint8_t p, int index)
{
    if (p == kConf)
        return m_conf;
    const std::uint16_t w = word(p);
    return static_cast<std::uint8_t>(index % 2 == 0 ? w >> 8 : w & 0xFF);
}

void Lm75aChip::measure()
{
    const int count = thermal::quantise(m_source.celsius(), kTemperatureStep, -1024, 1023);
    m_temp = lm75a::temperatureWord(count);
    // The limits have 9 bits, so the comparison takes the temperature's 9 MSBs.
    const int t = count >> 2;
    const int tos = limitCount(m_tos);
    const int thyst = limitCount(m_thyst);
    const bool interrupt = fieldValue(m_conf, kOsMode) == 1;

    // The condition that moves the output next, counted over consecutive conversions.
    const bool lookBelow = interrupt ? m_awaitBelow : m_os;
    const bool fault = lookBelow ? t < thyst : t > tos;
    m_faults = fault ? m_faults + 1 : 0;
    if (m_faults < faultsNeeded(m_conf))
        return;
    m_faults = 0;
    if (interrupt) {
        m_os = true;
        m_awaitBelow = !m_awaitBelow;
    } else {
        m_os = !m_os;
    }
}

void Lm75aChip::finished(std::uint8_t, bool read)
{
    // In interrupt mode reading any register releases the output.
    if (read && fieldValue(m_conf, kOsMode) == 1)
        m_os = false;
}

} // namespace tp::sim
