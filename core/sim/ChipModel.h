#pragma once
#include "core/adapter/Clock.h"
#include "core/sim/ChipState.h"

#include <cstdint>
#include <functional>
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

    // What the chip holds between transactions (registers, memory, pointer,
    // levels outside), so a bench can be kept between runs. Restoring takes
    // the fields the model knows: a missing one keeps the power-on value, one
    // that does not fit throws FileError. What lasts only within a
    // transaction or a write cycle is not kept: between two runs a cycle has
    // long ended.
    virtual void saveState(ChipState& state) const { (void)state; }
    virtual void restoreState(const ChipState& state) { (void)state; }

    void setClock(const SimClock* clock) { m_clock = clock; }

protected:
    const SimClock* clock() const { return m_clock; }

private:
    const SimClock* m_clock = nullptr;
};

// The bench's time. Bus traffic and the program's waits advance the
// modelled clock; chip processes (an EEPROM's write cycle) also end when as
// much wall time has passed, since the user's pause between two clicks is
// time the chip has too.
class SimClock {
public:
    // Monotonic nanoseconds; a test sets its own to control wall time.
    using WallSource = std::function<std::uint64_t()>;

    // A moment some time after now, on both clocks.
    struct Deadline {
        std::uint64_t modelNs = 0;
        std::uint64_t wallNs = 0;
    };

    std::uint64_t ns() const { return m_ns; }
    std::uint64_t us() const { return m_ns / 1000; }
    void advanceNs(std::uint64_t ns) { m_ns += ns; }

    std::uint64_t wallNs() const { return m_wall ? m_wall() : monotonicUs() * 1000; }
    void setWallSource(WallSource source) { m_wall = std::move(source); }

    Deadline after(std::uint64_t ns) const { return {m_ns + ns, wallNs() + ns}; }
    // As soon as either clock gets there.
    bool reached(const Deadline& d) const { return m_ns >= d.modelNs || wallNs() >= d.wallNs; }

private:
    std::uint64_t m_ns = 0;
    WallSource m_wall;
};

} // namespace tp::sim
