#include "core/sim/SensorChip.h"

namespace tp::sim {

bool SensorChip::start(std::uint8_t, bool read)
{
    if (!m_inTransaction) {
        m_inTransaction = true;
        m_readSome = false;
        ++m_transactions;
        convert();
    }
    m_expectPointer = !read;
    m_writeIndex = read ? -1 : 0;
    m_readIndex = 0;
    return true;
}

bool SensorChip::writeByte(std::uint8_t value)
{
    if (m_expectPointer) {
        m_expectPointer = false;
        if (!validPointer(value))
            return false;
        m_pointer = value;
        return true;
    }
    return writeData(m_pointer, m_writeIndex++, value);
}

std::uint8_t SensorChip::readByte()
{
    m_readSome = true;
    return readData(m_pointer, m_readIndex++);
}

void SensorChip::stop()
{
    if (m_writeIndex == 0 && !m_expectPointer)
        pointerOnly(m_pointer);
    const bool wrote = m_writeIndex > 0;
    m_inTransaction = false;
    m_expectPointer = false;
    m_writeIndex = -1;
    if (m_readSome || wrote)
        finished(m_pointer, m_readSome);
}

} // namespace tp::sim
