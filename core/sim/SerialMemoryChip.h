#pragma once
#include "core/sim/ChipModel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tp::sim {

// Addressing shared by serial EEPROMs and RAM/FRAM of the 24xx kind:
//  - up to 256 bytes: one word-address byte (bits above the size ignored);
//  - 512 to 2048 bytes: one word-address byte, address bits 10..8 taken from
//    the block-select bits (bits 3..1) of the slave address, so the chip
//    answers size/256 consecutive 8-bit addresses;
//  - 4 KB and up: two word-address bytes, high byte first.
// The address counter runs over the whole memory: a sequential read rolls
// over from the last byte to byte 0. What a data byte written does is the
// subclass's business.
class SerialMemoryChip : public ChipModel {
public:
    // The sizes of the memory chips the bench makes ("EEPROM n", "RAM n").
    static constexpr std::size_t kSizes[] = {16, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};

    SerialMemoryChip(std::string type, std::size_t size, std::uint8_t fill);

    std::string type() const override { return m_type; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;
    int addressSpan() const override;
    void saveState(ChipState& state) const override;
    void restoreState(const ChipState& state) override;

    std::size_t size() const { return m_mem.size(); }
    int wordAddressBytes() const { return m_mem.size() > 2048 ? 2 : 1; }
    std::uint8_t byte(std::size_t address) const { return m_mem.at(address); }
    void setByte(std::size_t address, std::uint8_t v) { m_mem.at(address) = v; }
    const std::vector<std::uint8_t>& bytes() const { return m_mem; }
    std::size_t addressCounter() const { return m_counter; }

protected:
    // The chip does not acknowledge its address (an EEPROM's write cycle).
    virtual bool busy() const { return false; }
    // A data byte for the cell the counter points at; returns the counter's
    // next value.
    virtual std::size_t storeData(std::size_t address, std::uint8_t value) = 0;
    // A new start (repeated or after a stop) or a stop ends a write message.
    virtual void endWrite(bool byStop) { (void)byStop; }

    std::vector<std::uint8_t> m_mem;

private:
    std::string m_type;
    std::size_t m_counter = 0;
    std::size_t m_block = 0;       // block-select bits of the last write address
    int m_addressBytesExpected = 0; // word-address bytes still to come
    bool m_writing = false;
};

} // namespace tp::sim
