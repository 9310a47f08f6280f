#include "core/sim/IoExpanderChip.h"
#include "core/devices/ports/RegisterExpander.h"

namespace tp::sim {

namespace {

std::vector<IoExpanderChip::Variant> knownVariants()
{
    using namespace tp::expander;
    using V = IoExpanderChip::Variant;
    return {
        V{kPca9534, 1, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9538, 1, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9554, 1, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9554A, 1, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9536, 1, 4, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9537, 1, 4, 0xFF, 0x00, 0xFF, 0x00},
        // These two power up with the upper four inputs inverted; the
        // PCA9557's IO0 is an open-drain output.
        V{kPca9556, 1, 8, 0x00, 0xF0, 0xFF, 0x00},
        V{kPca9557, 1, 8, 0x00, 0xF0, 0xFF, 0x01},
        V{kPca9535, 2, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9539, 2, 8, 0xFF, 0x00, 0xFF, 0x00},
        V{kPca9555, 2, 8, 0xFF, 0x00, 0xFF, 0x00},
    };
}

} // namespace

std::optional<IoExpanderChip::Variant> IoExpanderChip::variant(std::string_view type)
{
    for (const Variant& v : knownVariants())
        if (v.type == type)
            return v;
    return std::nullopt;
}

std::vector<std::string> IoExpanderChip::types()
{
    std::vector<std::string> out;
    for (const Variant& v : knownVariants())
        out.push_back(v.type);
    return out;
}

IoExpanderChip::IoExpanderChip(const Variant& v)
    : RegisterChip(v.type, static_cast<std::size_t>(4 * v.ports), false), m_variant(v),
      m_external(static_cast<std::size_t>(v.ports), 0xFF)
{
    for (int p = 0; p < v.ports; ++p) {
        setReadOnly(inputReg(p));
        setReg(outputReg(p), v.output);
        setReg(polarityReg(p), v.polarity);
        setReg(configReg(p), v.config);
    }
}

IoExpanderChip::IoExpanderChip(std::string_view type) : IoExpanderChip(variant(type).value()) {}

std::uint8_t IoExpanderChip::pinMask() const
{
    return static_cast<std::uint8_t>((1u << m_variant.pins) - 1u);
}

std::uint8_t IoExpanderChip::pins(int p) const
{
    const std::uint8_t out = reg(outputReg(p));
    const std::uint8_t cfg = reg(configReg(p));
    const std::uint8_t ext = m_external.at(static_cast<std::size_t>(p));
    // Open-drain outputs release a 1, so the outside decides those pins.
    const std::uint8_t driven = static_cast<std::uint8_t>(out & ~m_variant.openDrain) |
                                static_cast<std::uint8_t>(out & ext & m_variant.openDrain);
    return static_cast<std::uint8_t>(((cfg & ext) | (~cfg & driven)) & pinMask());
}

std::uint8_t IoExpanderChip::input(int p) const
{
    const std::uint8_t inverted = static_cast<std::uint8_t>(pins(p) ^ reg(polarityReg(p)));
    return static_cast<std::uint8_t>((inverted & pinMask()) | ~pinMask());
}

std::uint8_t IoExpanderChip::loadRegister(std::size_t i) const
{
    if (i < static_cast<std::size_t>(m_variant.ports))
        return input(static_cast<int>(i));
    // Four-pin chips have no latch behind the upper bits of these two.
    const auto p = static_cast<int>(i) % m_variant.ports;
    if (i == outputReg(p) || i == configReg(p))
        return static_cast<std::uint8_t>(m_regs[i] | ~pinMask());
    return m_regs[i];
}

std::uint8_t IoExpanderChip::nextPointer(std::uint8_t p) const
{
    return m_variant.ports == 2 ? static_cast<std::uint8_t>(p ^ 1u) : p;
}

bool IoExpanderChip::decodePointer(std::uint8_t command, std::uint8_t& pointer) const
{
    pointer = static_cast<std::uint8_t>(command & (m_regs.size() - 1));
    return true;
}

void IoExpanderChip::saveState(ChipState& state) const
{
    RegisterChip::saveState(state);
    state.putBytes("external", m_external);
}

void IoExpanderChip::restoreState(const ChipState& state)
{
    RegisterChip::restoreState(state);
    state.getBytes("external", m_external);
}

} // namespace tp::sim
