#pragma once
#include "core/sim/SensorChip.h"
#include "core/sim/TemperatureSource.h"

#include <cstdint>
#include <string>

namespace tp::sim {

// LM75A digital temperature sensor and thermal watchdog: 11-bit
// temperature, Thyst/Tos limits, and the OS output in comparator or
// interrupt mode with its fault queue and polarity.
class Lm75aChip : public SensorChip {
public:
    Lm75aChip();

    std::string type() const override;

    TemperatureSource& source() { return m_source; }
    // Sets the measured temperature and converts at once.
    void setTemperature(double celsius);

    std::uint16_t temperatureWord() const { return m_temp; }
    std::uint8_t conf() const { return m_conf; }
    std::uint16_t thystWord() const { return m_thyst; }
    std::uint16_t tosWord() const { return m_tos; }
    // OS output: asserted, and the pin level that gives with the polarity.
    bool osActive() const { return m_os; }
    bool osPinHigh() const;

protected:
    bool validPointer(std::uint8_t p) const override { return p <= 3; }
    bool writeData(std::uint8_t p, int index, std::uint8_t value) override;
    std::uint8_t readData(std::uint8_t p, int index) override;
    bool running() const override;
    void measure() override;
    void finished(std::uint8_t p, bool read) override;

private:
    std::uint16_t word(std::uint8_t p) const;
    void setWordByte(std::uint16_t& w, int index, std::uint8_t value, std::uint16_t keep);

    TemperatureSource m_source;
    std::uint16_t m_temp = 0;
    std::uint8_t m_conf = 0;
    std::uint16_t m_thyst = 0x4B00; // 75 °C
    std::uint16_t m_tos = 0x5000;   // 80 °C
    bool m_os = false;
    // Interrupt mode: which crossing the next event is (above Tos first).
    bool m_awaitBelow = false;
    int m_faults = 0;
};

} // namespace tp::sim
