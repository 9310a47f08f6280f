#pragma once
#include "core/adapter/I2cMessage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tp::linuxi2c {

// One I2C_SMBUS call: the protocol (I2C_SMBUS_QUICK ... I2C_SMBUS_I2C_BLOCK_DATA),
// direction, command byte and the bytes written; for reads, how many bytes
// come back and where they go (read message `target`, from `offset`).
struct SmbusCall {
    int size = 0;
    bool read = false;
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data; // written bytes after the command (byte, word low/high, block)
    std::size_t readCount = 0;
    std::size_t target = 0;
    std::size_t offset = 0;
};

// How a transaction goes out on an SMBus-only adapter, the way i2cget and
// i2cset do it: each transaction with an SMBus form becomes one call; a
// two-byte pointer followed by a read (16-bit memories) becomes a write byte
// data and a receive byte per byte read. Anything else gets `refusal`, a
// sentence naming what the adapter cannot do.
struct SmbusPlan {
    std::vector<SmbusCall> calls;
    std::string refusal;
    bool ok() const { return refusal.empty(); }
};

SmbusPlan planSmbus(std::span<const I2cMessage> messages, unsigned long funcs);

// The longest data block one message can carry with these bits: 32 with I2C
// block transfers, 2 with word data, else 1.
std::size_t smbusMaxTransfer(unsigned long funcs);

} // namespace tp::linuxi2c
