#pragma once
#include "core/sim/ChipModel.h"

#include <cstdint>

namespace tp::sim {

// A sensor on the bus: a write message starts with a register pointer and
// goes on with data for that register; a read message returns data from
// the register the pointer selects (the pointer stays where it was set).
// The sensor converts once at the start of every transaction, as if one
// conversion period passed between two transactions; tests may also call
// convert().
class SensorChip : public ChipModel {
public:
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;

    std::uint8_t pointer() const { return m_pointer; }
    // One conversion, unless the sensor is stopped.
    void convert()
    {
        if (running())
            measure();
    }
    // Transactions that reached the chip (address acknowledged) so far.
    int transactions() const { return m_transactions; }

protected:
    virtual bool validPointer(std::uint8_t p) const = 0;
    // Data byte `index` (0-based) of a write to register `p`; false: NACK.
    virtual bool writeData(std::uint8_t p, int index, std::uint8_t value) = 0;
    virtual std::uint8_t readData(std::uint8_t p, int index) = 0;
    // A transaction that only set the pointer (a "send byte").
    virtual void pointerOnly(std::uint8_t p) { (void)p; }
    virtual bool running() const { return true; }
    virtual void measure() = 0;
    // End of a transaction that read register `p` (`read`) or wrote it.
    virtual void finished(std::uint8_t p, bool read) { (void)p, (void)read; }

private:
    std::uint8_t m_pointer = 0;
    bool m_inTransaction = false;
    bool m_expectPointer = false;
    bool m_readSome = false;
    int m_writeIndex = -1; // data bytes of the current write message, -1: none yet
    int m_readIndex = 0;
    int m_transactions = 0;
};

} // namespace tp::sim
