#include "core/sim/QuasiBidirectionalPort.h"

namespace tp::sim {

QuasiBidirectionalPort::QuasiBidirectionalPort(std::string type, int ports)
    : m_type(std::move(type)), m_latch(static_cast<std::size_t>(ports), 0xFF),
      m_external(static_cast<std::size_t>(ports), 0xFF)
{
}

bool QuasiBidirectionalPort::start(std::uint8_t, bool)
{
    m_next = 0;
    return true;
}

bool QuasiBidirectionalPort::writeByte(std::uint8_t value)
{
    m_latch[m_next] = value;
    m_next = (m_next + 1) % m_latch.size();
    return true;
}

std::uint8_t QuasiBidirectionalPort::readByte()
{
    std::uint8_t v = pins(static_cast<int>(m_next));
    m_next = (m_next + 1) % m_latch.size();
    return v;
}

void QuasiBidirectionalPort::saveState(ChipState& state) const
{
    state.putBytes("latch", m_latch);
    state.putBytes("external", m_external);
}

void QuasiBidirectionalPort::restoreState(const ChipState& state)
{
    state.getBytes("latch", m_latch);
    state.getBytes("external", m_external);
}

} // namespace tp::sim
