#include "core/sim/MasterSelectorChip.h"
#include "core/devices/ports/Pca9541.h"

namespace tp::sim {

using namespace tp::pca9541;

std::string MasterSelectorChip::type() const
{
    return kChipType;
}

bool MasterSelectorChip::owns(int master) const
{
    // Master 0 owns the bus when both MYBUS bits agree, master 1 when they
    // differ: each sees the other's bit so that its own MYBUS == NMYBUS.
    const bool same = m_master[0].myBus == m_master[1].myBus;
    return master == 0 ? same : !same;
}

bool MasterSelectorChip::busIsOn() const
{
    return m_master[0].busOn != m_master[1].busOn;
}

std::optional<int> MasterSelectorChip::connectedMaster() const
{
    if (!busIsOn())
        return std::nullopt;
    return owns(0) ? 0 : 1;
}

bool MasterSelectorChip::channelConnected(int channel) const
{
    return channel == 0 && connectedMaster() == 0;
}

std::uint8_t MasterSelectorChip::control(int master) const
{
    const Master& me = m_master[master];
    const Master& other = m_master[1 - master];
    // NMYBUS shows the other master's bit, inverted for master 1.
    const bool nMyBus = master == 0 ? other.myBus : !other.myBus;
    std::uint8_t v = 0;
    v |= me.myBus ? kMyBus : 0;
    v |= nMyBus ? kNMyBus : 0;
    v |= me.busOn ? kBusOn : 0;
    v |= other.busOn ? kNBusOn : 0;
    v |= me.testOn ? kTestOn : 0;
    v |= me.nTestOn ? kNTestOn : 0;
    return v;
}

std::uint8_t MasterSelectorChip::status(int master) const
{
    const Master& me = m_master[master];
    std::uint8_t v = me.latched;
    v |= m_intIn ? kIntIn : 0;
    v |= me.testOn ? kMyTest : 0;
    v |= m_master[1 - master].nTestOn ? kNMyTest : 0;
    return v;
}

void MasterSelectorChip::applyControl(int master, std::uint8_t value)
{
    const std::optional<int> before = connectedMaster();
    Master& me = m_master[master];
    me.myBus = value & kMyBus;
    me.busOn = value & kBusOn;
    me.testOn = value & kTestOn;
    me.nTestOn = value & kNTestOn;
    const std::optional<int> after = connectedMaster();
    // The master that loses the bus through the other's write is told so.
    if (before && before != after && *before != master)
        m_master[*before].latched |= kBusLost;
    // A requested bus initialisation runs when the writer gets the bus;
    // BUSINIT then reads 0 again.
    if ((value & kBusInit) && after == master)
        me.latched |= kBusInitDone;
}

std::uint8_t MasterSelectorChip::read(int master, std::uint8_t reg)
{
    switch (reg & 0x03) {
    case IE:
        return m_master[master].ie;
    case Control:
        return control(master);
    case InterruptStatus: {
        const std::uint8_t v = status(master);
        m_master[master].latched = 0;
        return v;
    }
    default:
        return 0;
    }
}

void MasterSelectorChip::write(int master, std::uint8_t reg, std::uint8_t value)
{
    if ((reg & 0x03) == IE)
        m_master[master].ie = value & kIeWritable;
    else if ((reg & 0x03) == Control)
        applyControl(master, value);
}

bool MasterSelectorChip::start(std::uint8_t, bool read)
{
    m_expectCommand = !read;
    return true;
}

bool MasterSelectorChip::writeByte(std::uint8_t value)
{
    if (m_expectCommand) {
        m_expectCommand = false;
        if (!isValidCommand(value))
            return false;
        m_pointer = value & 0x03;
        m_autoIncrement = value & kAutoIncrement;
        return true;
    }
    if (m_pointer == InterruptStatus)
        return false; // read-only: not acknowledged
    if (m_pointer == IE)
        m_master[0].ie = value & kIeWritable;
    else
        m_pendingControl = value; // switches at the stop
    if (m_autoIncrement)
        ++m_pointer; // a write stops at register 2
    return true;
}

std::uint8_t MasterSelectorChip::readByte()
{
    const std::uint8_t v = read(0, m_pointer);
    if (m_autoIncrement)
        m_pointer = static_cast<std::uint8_t>((m_pointer + 1) % 3);
    return v;
}

void MasterSelectorChip::stop()
{
    if (m_pendingControl)
        applyControl(0, *m_pendingControl);
    m_pendingControl.reset();
}

} // namespace tp::sim
