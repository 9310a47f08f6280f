#pragma once
#include "core/sim/SensorChip.h"
#include "core/sim/TemperatureSource.h"

#include <array>
#include <cstdint>
#include <string>

namespace tp::sim {

// SA56004 local and remote (diode) temperature sensor. Registers are read
// at one number and, for 0x03-0x08, written at that number + 6. Status
// flags latch until the status register is read; ALERT follows them in
// interrupt mode, the conditions in comparator mode; the two T_CRIT
// outputs switch with their hysteresis.
class Sa56004Chip : public SensorChip {
public:
    Sa56004Chip();

    std::string type() const override;

    TemperatureSource& local() { return m_local; }
    TemperatureSource& remote() { return m_remote; }
    // Set what the sensors measure and convert at once.
    void setLocal(double celsius);
    void setRemote(double celsius);
    void setDiodeOpen(bool open);

    // The register as a read returns it.
    std::uint8_t reg(std::uint8_t readNumber) const;
    // Sets a register as the chip holds it (bench set-up, read numbers).
    void setReg(std::uint8_t readNumber, std::uint8_t value);
    bool alertActive() const;
    bool tcritActive() const { return m_localCrit || m_remoteCrit; }
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
    bool faultQueue(int& count, bool condition) const;

    TemperatureSource m_local{25.0};
    TemperatureSource m_remote{35.0};
    bool m_open = false;
    std::array<std::uint8_t, 256> m_regs{};
    std::uint8_t m_status = 0;
    std::uint8_t m_conditions = 0; // status bits as the last conversion found them
    std::array<int, 8> m_counts{};
    bool m_localCrit = false;
    bool m_remoteCrit = false;
    int m_oneShots = 0;
};

} // namespace tp::sim
