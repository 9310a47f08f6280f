#pragma once
#include "core/common/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tp {

// A serial memory as a memory window's "Device Setup" describes it.
struct MemoryDevice {
    std::size_t size = 256;     // bytes, 16 to 65536
    std::uint8_t address = 0xA0; // 8-bit write address with the block-select bits 0
    bool eeprom = true;         // false: RAM or FRAM, no pages and no write cycle
    std::size_t pageSize = 8;   // EEPROM: bytes one write may take; 0 counts as 1
    unsigned writeTimeMs = 10;  // EEPROM: longest write cycle
    std::string chipTypeName;   // the bench's name for the chip, when not the plain memory's

    // Word-address bytes on the bus: one up to 2 KB, two (high first) from 4 KB.
    int wordAddressBytes() const { return size > 2048 ? 2 : 1; }
    // The slave address that reaches byte `a`: with one word-address byte,
    // address bits 10..8 go into the block-select bits 3..1.
    std::uint8_t slaveAddress(std::size_t a) const;
    std::vector<std::uint8_t> wordAddress(std::size_t a) const;
    // Bytes one transfer may cover without a new slave address.
    std::size_t blockSize() const { return wordAddressBytes() == 1 ? 256 : size; }
    std::size_t effectivePageSize() const { return pageSize ? pageSize : 1; }
    // The bench's name for the chip: chipTypeName, or for a plain memory of
    // this kind and size "EEPROM 2048", "RAM 256".
    std::string chipType() const;
};

// Called between transfers with the bytes done so far; false cancels.
using MemoryProgress = std::function<bool(std::size_t done, std::size_t total)>;

enum class MemoryOutcome {
    Done,      // everything went through
    Failed,    // a transfer failed: `status` says why, `address` where
    Mismatch,  // verify found a difference at `address` (status 153)
    Cancelled, // the progress callback said stop; `done` bytes went through
};

struct MemoryBusResult {
    MemoryOutcome outcome = MemoryOutcome::Done;
    // Done: 0, or 65 from verify and 64 from writeAndVerify. Failed: the bus
    // status. Mismatch: 153. Cancelled: 0 (the bus did nothing wrong; the
    // outcome, not the status, tells that the job is incomplete).
    Status status = status::Success;
    std::size_t address = 0;          // Failed: first byte of the failed transfer; Mismatch: first difference
    std::uint8_t readValue = 0;       // Mismatch: what the chip holds
    std::uint8_t expectedValue = 0;   // Mismatch: what it should hold
    std::size_t done = 0;             // bytes transferred (or compared) before the end, as the progress counts
    bool writeCycleTimedOut = false;  // Failed (status 8): the chip stayed busy longer than polling waits

    bool ok() const { return outcome == MemoryOutcome::Done; }
};

} // namespace tp
