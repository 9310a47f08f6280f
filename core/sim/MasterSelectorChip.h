#pragma once
#include "core/sim/ChipModel.h"

#include <array>
#include <optional>

namespace tp::sim {

// The PCA9541 2-to-1 master selector. The bench's adapter is master 0;
// tests play master 1 through read() and write(). Each master has its own
// registers: interrupt masks, control (its own MYBUS/BUSON; NMYBUS/NBUSON
// show the other master's) and interrupt status. Master 0 owns the
// downstream bus when its MYBUS equals its NMYBUS, and the bus is on when
// BUSON differs from NBUSON; a control write takes effect at the stop that
// ends it. Chips placed behind channel 0 answer the bench only while
// master 0 owns a connected bus.
class MasterSelectorChip : public ChipModel {
public:
    MasterSelectorChip() = default;

    std::string type() const override;
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;
    bool channelConnected(int channel) const override;

    // A complete register access by `master` (0 or 1), as over its own bus.
    // Reading the interrupt status clears its latched bits.
    std::uint8_t read(int master, std::uint8_t reg);
    void write(int master, std::uint8_t reg, std::uint8_t value);

    // Which master the downstream bus is connected to, if any.
    std::optional<int> connectedMaster() const;
    void setIntIn(bool low) { m_intIn = low; }

private:
    struct Master {
        std::uint8_t ie = 0;
        bool myBus = false;
        bool busOn = false;
        bool testOn = false;
        bool nTestOn = false;
        std::uint8_t latched = 0; // BUSLOST, BUSOK, BUSINIT of the interrupt status
    };
    std::uint8_t control(int master) const;
    std::uint8_t status(int master) const;
    void applyControl(int master, std::uint8_t value);
    bool owns(int master) const;
    bool busIsOn() const;

    std::array<Master, 2> m_master{};
    bool m_intIn = false;
    // Master 0's bus transaction.
    bool m_expectCommand = false;
    std::uint8_t m_pointer = 0;
    bool m_autoIncrement = false;
    std::optional<std::uint8_t> m_pendingControl;
};

} // namespace tp::sim
