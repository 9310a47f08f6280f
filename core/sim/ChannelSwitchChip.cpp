#include "core/sim/ChannelSwitchChip.h"

namespace tp::sim {

using namespace tp::pca954x;

ChannelSwitchChip::ChannelSwitchChip(Mux chip)
    : m_type(info(chip).chipType), m_mux(chip), m_channels(info(chip).channels), m_writable(0x07),
      m_intMask(info(chip).intMask)
{
}

ChannelSwitchChip::ChannelSwitchChip(Switch chip)
    : m_type(info(chip).chipType), m_channels(info(chip).channels), m_writable(channelMask(info(chip).channels)),
      m_intMask(info(chip).intMask)
{
}

bool ChannelSwitchChip::writeByte(std::uint8_t value)
{
    m_pending = value & m_writable;
    return true;
}

std::uint8_t ChannelSwitchChip::readByte()
{
    return static_cast<std::uint8_t>(m_pending | (m_interrupts & m_intMask));
}

void ChannelSwitchChip::stop()
{
    m_active = m_pending;
}

bool ChannelSwitchChip::channelConnected(int channel) const
{
    if (channel < 0 || channel >= m_channels)
        return false;
    if (m_mux)
        return muxConnects(*m_mux, m_active, channel);
    return (m_active >> channel) & 1;
}

void ChannelSwitchChip::setInterrupt(int channel, bool active)
{
    if (channel < 0 || channel >= 4)
        return;
    const std::uint8_t bit = static_cast<std::uint8_t>(0x10u << channel);
    m_interrupts = static_cast<std::uint8_t>(active ? m_interrupts | bit : m_interrupts & ~bit);
}

} // namespace tp::sim
