#include "core/sim/DipSwitchChip.h"
#include "core/devices/ports/NvRegisters.h"

#include <algorithm>

namespace tp::sim {

using namespace tp::nvreg;

namespace {
constexpr int kMuxIn = kMuxInNumber;
}

DipSwitchChip::Params DipSwitchChip::pca8550()
{
    return {kPca8550, false, 1, kPca8550DataMask, 0, {}, 10000};
}

DipSwitchChip::Params DipSwitchChip::pca9559()
{
    return {kPca9559, false, 1, kPca9559DataMask, 0, {}, 10000};
}

DipSwitchChip::Params DipSwitchChip::pca9560()
{
    return {kPca9560, true, kPca9560Bytes, 0x3F, 0x1F, {}, 10000};
}

DipSwitchChip::Params DipSwitchChip::pca9561()
{
    std::vector<std::uint8_t> commands;
    for (const Source& s : pca9561Sources())
        commands.push_back(s.command);
    return {kPca9561, true, kPca9561Bytes, 0x3F, 0x3F, commands, 10000};
}

DipSwitchChip::DipSwitchChip(Params params)
    : m_params(std::move(params)), m_regs(static_cast<std::size_t>(std::max(1, m_params.registers)), 0)
{
}

bool DipSwitchChip::inWriteCycle() const
{
    return clock() && m_busyUntil && !clock()->reached(*m_busyUntil);
}

bool DipSwitchChip::start(std::uint8_t, bool read)
{
    if (inWriteCycle())
        return false;
    m_expectNumber = m_params.numbered && !read;
    if (!read)
        m_commandTaken = false;
    return true;
}

bool DipSwitchChip::writeByte(std::uint8_t value)
{
    if (m_expectNumber) {
        m_expectNumber = false;
        if (value < m_params.registers || value == kMuxIn) {
            m_pointer = value;
            return true;
        }
        if (std::find(m_params.commands.begin(), m_params.commands.end(), value) != m_params.commands.end()) {
            m_command = value;
            m_commandTaken = true;
            return true;
        }
        return false;
    }
    if (m_commandTaken || m_pointer == kMuxIn)
        return false; // nothing to write to
    // Without auto-increment the last byte counts.
    m_pending[m_params.numbered ? m_pointer : 0] = value & m_params.dataMask;
    return true;
}

std::uint8_t DipSwitchChip::readByte()
{
    if (m_params.numbered && m_pointer == kMuxIn)
        return m_muxIn & m_params.muxInMask;
    return m_regs[static_cast<std::size_t>(m_params.numbered ? m_pointer : 0)];
}

void DipSwitchChip::stop()
{
    if (m_pending.empty())
        return;
    if (!m_writeProtect)
        for (auto [i, v] : m_pending)
            m_regs[static_cast<std::size_t>(i)] = v;
    m_pending.clear();
    ++m_cycles;
    if (clock())
        m_busyUntil = clock()->after(m_params.writeCycleUs * 1000);
}

void DipSwitchChip::saveState(ChipState& state) const
{
    state.putBytes("registers", m_regs);
    state.putNumber("mux-in", m_muxIn);
    state.putNumber("write-protect", m_writeProtect);
    state.putNumber("command", m_command);
    state.putNumber("pointer", static_cast<std::uint64_t>(m_pointer));
}

void DipSwitchChip::restoreState(const ChipState& state)
{
    state.getBytes("registers", m_regs);
    for (std::uint8_t& r : m_regs)
        r &= m_params.dataMask;
    state.getNumber("mux-in", m_muxIn);
    state.getNumber("write-protect", m_writeProtect);
    state.getNumber("command", m_command);
    std::uint8_t pointer = static_cast<std::uint8_t>(m_pointer);
    state.getNumber("pointer", pointer);
    m_pointer = pointer < m_params.registers || pointer == kMuxIn ? pointer : 0;
}

} // namespace tp::sim
