#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tp {

// One flag of a register shown as a box that names the bit's state
// ("ADC busy" / "ADC not busy"). Masks are 16 bits wide so that word
// registers use the same table.
struct FlagBit {
    std::string name; // the box's object name
    std::uint16_t mask;
    std::string setText;
    std::string clearText;

    const std::string& textFor(bool set) const { return set ? setText : clearText; }
};

using FlagTable = std::vector<FlagBit>;

// The value the flags of `table` give when `isSet` says which are set.
template <class IsSet> std::uint16_t flagValue(const FlagTable& table, IsSet isSet)
{
    std::uint16_t v = 0;
    for (const FlagBit& f : table)
        if (isSet(f))
            v = static_cast<std::uint16_t>(v | f.mask);
    return v;
}

} // namespace tp
