#include "core/devices/led/Saa1064.h"
#include "core/common/NumberText.h"

#include <stdexcept>

namespace tp::saa1064 {

int addressIndex(std::uint8_t address)
{
    for (std::size_t i = 0; i < kAddresses.size(); ++i)
        if (kAddresses[i] == address)
            return static_cast<int>(i);
    return -1;
}

std::uint8_t Registers::reg(int subaddress) const
{
    if (subaddress == kControl)
        return control;
    return digits.at(static_cast<std::size_t>(subaddress - 1));
}

std::uint8_t& Registers::reg(int subaddress)
{
    if (subaddress == kControl)
        return control;
    if (subaddress < 1 || subaddress > 4)
        throw std::out_of_range("SAA1064 subaddress");
    return digits[static_cast<std::size_t>(subaddress - 1)];
}

std::string currentText(int position, char sep)
{
    return formatFixed(position * kMaPerStep, 1, sep);
}

DigitLook digitLook(const Registers& r, int digit)
{
    DigitLook look;
    const bool driven = dynamicMode(r.control) || digit <= 2;
    const std::uint8_t pairBit = digit % 2 == 1 ? kDigits13 : kDigits24;
    look.shown = driven && (r.control & pairBit) != 0;
    if (!look.shown)
        return look;
    look.segments = (r.control & kSegmentTest) ? 0xFF : r.digits.at(static_cast<std::size_t>(digit - 1));
    look.brightness = currentPosition(r.control) / double(kMaxCurrentPosition);
    return look;
}

} // namespace tp::saa1064
