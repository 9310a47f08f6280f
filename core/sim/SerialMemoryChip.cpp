#include "core/sim/SerialMemoryChip.h"
#include "core/common/Errors.h"

#include <stdexcept>

namespace tp::sim {

SerialMemoryChip::SerialMemoryChip(std::string type, std::size_t size, std::uint8_t fill)
    : m_mem(size, fill), m_type(std::move(type))
{
    // Address bits decode by masking, as on the chips.
    if (size < 16 || size > 65536 || (size & (size - 1)) != 0)
        throw std::invalid_argument("serial memory size must be a power of two from 16 to 65536");
}

int SerialMemoryChip::addressSpan() const
{
    return m_mem.size() > 256 && m_mem.size() <= 2048 ? static_cast<int>(m_mem.size() / 256) : 1;
}

bool SerialMemoryChip::start(std::uint8_t address, bool read)
{
    if (m_writing) {
        m_writing = false;
        endWrite(false);
    }
    if (busy())
        return false;
    m_addressBytesExpected = 0;
    if (!read) {
        // The block bits count only with the word address that follows.
        m_block = (address >> 1) & static_cast<unsigned>(addressSpan() - 1);
        m_addressBytesExpected = wordAddressBytes();
        m_writing = true;
    }
    return true;
}

bool SerialMemoryChip::writeByte(std::uint8_t value)
{
    const std::size_t mask = m_mem.size() - 1;
    if (m_addressBytesExpected == 2) {
        m_counter = (static_cast<std::size_t>(value) << 8) & mask;
        --m_addressBytesExpected;
        return true;
    }
    if (m_addressBytesExpected == 1) {
        if (wordAddressBytes() == 2)
            m_counter = (m_counter & 0xFF00) | value;
        else
            m_counter = ((m_block << 8) | value) & mask;
        --m_addressBytesExpected;
        return true;
    }
    m_counter = storeData(m_counter, value) % m_mem.size();
    return true;
}

std::uint8_t SerialMemoryChip::readByte()
{
    std::uint8_t v = m_mem[m_counter];
    m_counter = (m_counter + 1) % m_mem.size();
    return v;
}

void SerialMemoryChip::stop()
{
    if (m_writing) {
        m_writing = false;
        endWrite(true);
    }
}

void SerialMemoryChip::saveState(ChipState& state) const
{
    state.putBytes("memory", m_mem);
    state.putNumber("counter", m_counter);
    state.putNumber("block", m_block);
}

void SerialMemoryChip::restoreState(const ChipState& state)
{
    state.getBytes("memory", m_mem);
    std::size_t counter = m_counter, block = m_block;
    state.getNumber("counter", counter);
    state.getNumber("block", block);
    if (counter >= m_mem.size() || block >= static_cast<std::size_t>(addressSpan()))
        throw FileError("fields counter and block are beyond the memory");
    m_counter = counter;
    m_block = block;
}

} // namespace tp::sim
