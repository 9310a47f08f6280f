#pragma once
#include "core/adapter/Adapter.h"
#include "core/memory/MemoryBusTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tp {

// Bus transfers of a serial memory (24xx EEPROM, RAM, FRAM) on plain byte
// buffers:
//  - reads are random reads (word address, repeated start, sequential read)
//    as long as the adapter allows, a new one per 256-byte block where the
//    block-select bits change;
//  - EEPROM writes are page writes that never cross a page boundary, each
//    followed by acknowledge polling until the chip answers again, for at
//    most the write time on the adapter's clock, and never less than
//    kMinPollUs (a Write Time of 0 or too short still gives a real part its
//    write cycle), on adapters that send no zero-length message the next page
//    write retried, a one-byte read last; a chip still silent then is a
//    time-out (status 8);
//  - RAM writes go in as few transfers as the adapter allows, without waits.
// Each operation runs whole on the bus worker where there is one (progress
// is then called there). Long operations call the progress callback after
// every transfer; a false answer stops them (MemoryOutcome::Cancelled). Reads hand their data over
// only when complete, so a failure or cancel leaves the caller's buffer as it
// was. Every operation first tells the adapter which chip it expects
// (Adapter::expectChip with MemoryDevice::chipType()).
class MemoryBus {
public:
    MemoryBus(Adapter& adapter, MemoryDevice device);

    // The shortest acknowledge polling after a write: 24xx parts finish
    // their write cycle within it (Linux's at24 driver waits as long).
    static constexpr std::uint64_t kMinPollUs = 25000;

    const MemoryDevice& device() const { return m_device; }
    // Pause between two acknowledge polls of a busy EEPROM.
    void setPollIntervalUs(std::uint64_t us) { m_pollIntervalUs = us; }
    std::uint64_t pollIntervalUs() const { return m_pollIntervalUs; }

    // The whole memory into `out` (resized to the device size) on success.
    MemoryBusResult readAll(std::vector<std::uint8_t>& out, const MemoryProgress& progress = {});
    MemoryBusResult read(std::size_t start, std::size_t count, std::vector<std::uint8_t>& out,
                         const MemoryProgress& progress = {});
    // `data` must hold exactly the device size.
    MemoryBusResult writeAll(std::span<const std::uint8_t> data, const MemoryProgress& progress = {});
    MemoryBusResult write(std::size_t start, std::span<const std::uint8_t> data, const MemoryProgress& progress = {});
    // Reads the chip and compares it with `expected` (the device size); stops
    // at the first difference. Success gives status 65.
    MemoryBusResult verify(std::span<const std::uint8_t> expected, const MemoryProgress& progress = {});
    // writeAll, then verify; success gives status 64. Progress counts both
    // passes (total = twice the size).
    MemoryBusResult writeAndVerify(std::span<const std::uint8_t> data, const MemoryProgress& progress = {});

    MemoryBusResult readByte(std::size_t address, std::uint8_t& value);
    // On an EEPROM, also waits for the write cycle to end.
    MemoryBusResult writeByte(std::size_t address, std::uint8_t value);

private:
    MemoryBusResult readRange(std::size_t start, std::size_t count, const MemoryProgress& progress,
                              const std::function<bool(std::size_t, std::span<const std::uint8_t>)>& sink);
    Status readChunk(std::size_t a, std::span<std::uint8_t> dst);
    // With `thenAwait`, the write cycle is waited for by acknowledge polling
    // in the same request (one round trip on a remote bus).
    Status writeChunk(std::size_t a, std::span<const std::uint8_t> data, bool thenAwait = false,
                      bool* timedOut = nullptr);
    Status awaitWriteCycle(std::uint8_t slave, bool& timedOut);
    // How long a write cycle is waited for.
    std::uint64_t pollLimitUs() const;
    void checkRange(std::size_t start, std::size_t count) const;
    void announce();

    Adapter& m_adapter;
    MemoryDevice m_device;
    std::uint64_t m_pollIntervalUs = 100;
};

} // namespace tp
