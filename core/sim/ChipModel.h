#pragma once
#include <cstdint>
#include <string>

namespace tp::sim {

class SimClock;

// A chip on the virtual bus. The bus calls start() when a message addresses
// the chip (again after a repeated start), then writeByte() or readByte()
// per data byte, and stop() at the end of the transaction.
class ChipModel {
public:
    virtual ~ChipModel() = default;
    virtual std::string type() const = 0;

    // Acknowledge of the address byte; `address` is the 8-bit write address
    // the master sent (chips answering several addresses decode bits from it).
    virtual bool start(std::uint8_t address, bool read)
    {
        (void)address;
        (void)read;
        return true;
    }
    // Acknowledge of a data byte written by the master.
    virtual bool writeByte(std::uint8_t value) = 0;
    virtual std::uint8_t readByte() = 0;
    virtual void stop() {}

    // How many consecutive 8-bit addresses (step 2) the chip answers,
    // starting at its placed address: 8 for a 2 KB EEPROM's block bits.
    virtual int addressSpan() const { return 1; }

    // Chips that connect downstream bus segments (multiplexers, switches,
    // master selectors): whether channel `channel` is connected now. Chips
    // placed behind a channel answer only while it is.
    virtual bool channelConnected(int channel) const
    {
        (void)channel;
        return false;
    }

    void setClock(const SimClock* clock) { m_clock = clock; }

protected:
    const SimClock* clock() const { return m_clock; }

private:
    const SimClock* m_clock = nullptr;
};

class SimClock {
public:
    std::uint64_t ns() const { return m_ns; }
    std::uint64_t us() const { return m_ns / 1000; }
    void advanceNs(std::uint64_t ns) { m_ns += ns; }

private:
    std::uint64_t m_ns = 0;
};

} // namespace tp::sim
