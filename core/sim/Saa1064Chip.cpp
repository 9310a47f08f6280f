#include "core/sim/Saa1064Chip.h"

namespace tp::sim {

bool Saa1064Chip::start(std::uint8_t, bool read)
{
    m_expectInstruction = !read;
    return true;
}

bool Saa1064Chip::writeByte(std::uint8_t value)
{
    if (m_expectInstruction) {
        m_expectInstruction = false;
        m_sub = value & 7;
        return true;
    }
    if (m_sub <= 4)
        m_regs.reg(m_sub) = value;
    m_sub = (m_sub + 1) & 7;
    return true;
}

std::uint8_t Saa1064Chip::readByte()
{
    const std::uint8_t v = m_status;
    m_status = 0;
    return v;
}

} // namespace tp::sim
