#include "core/devices/led/LedRegisters.h"

#include <stdexcept>

namespace tp::led {

int LedRegisters::mode(int led) const
{
    return modeInByte(selector.at(static_cast<std::size_t>(led / 4)), led % 4);
}

int LedRegisters::setMode(int led, int code)
{
    const int j = led / 4;
    std::uint8_t& byte = selector.at(static_cast<std::size_t>(j));
    byte = withModeInByte(byte, led % 4, code);
    return j;
}

std::vector<std::uint8_t>& SelectorImages::of(const Member& m)
{
    auto it = m_byChip.find(m.chip);
    if (it == m_byChip.end())
        it = m_byChip.emplace(m.chip, m.startImage).first;
    return it->second;
}

std::vector<std::uint8_t> writeAllBytes(const Member& m, const LedRegisters& r)
{
    std::vector<std::uint8_t> out{controlByte(m.prescaler(0), true), r.prescaler[0], r.pwm[0], r.prescaler[1],
                                  r.pwm[1]};
    for (int j = 0; j < m.selectorCount(); ++j)
        out.push_back(r.selector.at(static_cast<std::size_t>(j)));
    return out;
}

int readAllCount(const Member& m)
{
    return 4 + m.selectorCount();
}

LedRegisters fromReadAll(const Member& m, const std::vector<std::uint8_t>& bytes)
{
    if (static_cast<int>(bytes.size()) < readAllCount(m))
        throw std::invalid_argument("short register read");
    LedRegisters r;
    r.prescaler = {bytes[0], bytes[2]};
    r.pwm = {bytes[1], bytes[3]};
    r.selector.assign(bytes.begin() + 4, bytes.begin() + readAllCount(m));
    return r;
}

} // namespace tp::led
