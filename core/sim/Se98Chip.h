#pragma once
#include "core/sim/SensorChip.h"
#include "core/sim/TemperatureSource.h"

#include <cstdint>
#include <string>

namespace tp::sim {

// SE98 (JC-42.4) DIMM temperature sensor: 16-bit registers sent most
// significant byte first; temperature with the ACT/AAW/BAW flags; alarm
// window and critical trip points; the EVENT output in comparator or
// interrupt mode; lock bits that, once set, hold the trip registers (and
// themselves) until power is removed.
class Se98Chip : public SensorChip {
public:
    Se98Chip();

    std::string type() const override;

    TemperatureSource& source() { return m_source; }
    void setTemperature(double celsius);

    // Registers as a read returns them.
    std::uint16_t word(std::uint8_t p) const;
    // Bench set-up: a register as the chip holds it, bypassing the locks.
    void setWord(std::uint8_t p, std::uint16_t value);
    bool eventAsserted() const;
    bool eventPinHigh() const;

protected:
    bool validPointer(std::uint8_t p) const override;
    bool writeData(std::uint8_t p, int index, std::uint8_t value) override;
    std::uint8_t readData(std::uint8_t p, int index) override;
    bool running() const override;
    void measure() override;

private:
    void writeWord(std::uint8_t p, std::uint16_t value);
    void writeConfig(std::uint16_t value);

    TemperatureSource m_source{30.0};
    std::uint16_t m_temp = 0; // bits 12-0
    std::uint16_t m_config = 0;
    std::uint16_t m_upper = 0;
    std::uint16_t m_lower = 0;
    std::uint16_t m_critical = 0;
    std::uint16_t m_smbus = 0;
    std::uint8_t m_pendingHigh = 0;
    bool m_aaw = false, m_baw = false, m_act = false;
    bool m_interruptEvent = false; // latched window event in interrupt mode
};

} // namespace tp::sim
