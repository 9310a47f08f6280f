#pragma once
#include "core/sim/SensorChip.h"
#include "core/sim/TemperatureSource.h"

#include <array>
#include <cstdint>
#include <string>

namespace tp::sim {

// NE1617 (MAX1617-type) temperature monitor: internal and external
// temperatures in whole degrees, read registers 0x00-0x08 and their write
// twins 0x09-0x0E, one-shot at 0x0F. Status flags latch until the status
// is read; ALERT is asserted while a flag is set, unless masked.
class Ne1617Chip : public SensorChip {
public:
    Ne1617Chip();

    std::string type() const override;

    TemperatureSource& internal() { return m_internal; }
    TemperatureSource& external() { return m_external; }
    void setInternal(double celsius);
    void setExternal(double celsius);
    void setDiodeOpen(bool open);

    std::uint8_t reg(std::uint8_t readNumber) const;
    void setReg(std::uint8_t readNumber, std::uint8_t value);
    bool alertActive() const;
    int oneShots() const { return m_oneShots; }

protected:
    bool validPointer(std::uint8_t p) const override;
    bool writeData(std::uint8_t p, int index, std::uint8_t value) override;
    std::uint8_t readData(std::uint8_t p, int index) override;
    void pointerOnly(std::uint8_t p) override;
    bool running() const override;
    void measure() override;
    void finished(std::uint8_t p, bool read) override;

private:
    TemperatureSource m_internal{25.0};
    TemperatureSource m_external{40.0};
    bool m_open = false;
    std::array<std::uint8_t, 9> m_regs{};
    std::uint8_t m_conditions = 0;
    int m_oneShots = 0;
};

} // namespace tp::sim
