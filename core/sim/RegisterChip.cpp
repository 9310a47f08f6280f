#include "core/sim/RegisterChip.h"

namespace tp::sim {

RegisterChip::RegisterChip(std::string type, std::size_t registers, bool autoIncrement)
    : m_regs(registers, 0), m_type(std::move(type)), m_readOnly(registers, false),
      m_autoIncrement(autoIncrement)
{
}

bool RegisterChip::start(std::uint8_t, bool read)
{
    m_expectPointer = !read;
    return true;
}

std::uint8_t RegisterChip::nextPointer(std::uint8_t p) const
{
    if (!m_autoIncrement)
        return p;
    return static_cast<std::uint8_t>((p + 1u) % m_regs.size());
}

bool RegisterChip::decodePointer(std::uint8_t command, std::uint8_t& pointer) const
{
    if (command >= m_regs.size())
        return false;
    pointer = command;
    return true;
}

bool RegisterChip::writeByte(std::uint8_t value)
{
    if (m_expectPointer) {
        m_expectPointer = false;
        return decodePointer(value, m_pointer);
    }
    if (!m_readOnly[m_pointer])
        storeRegister(m_pointer, value);
    m_pointer = nextPointer(m_pointer);
    return true;
}

std::uint8_t RegisterChip::readByte()
{
    std::uint8_t v = loadRegister(m_pointer);
    m_pointer = nextPointer(m_pointer);
    return v;
}

} // namespace tp::sim
