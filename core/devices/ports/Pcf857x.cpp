#include "core/devices/ports/Pcf857x.h"
#include "core/common/HexText.h"

namespace tp::pcf857x {

std::vector<std::string> hSuffixItems(std::uint8_t base)
{
    std::vector<std::string> out;
    for (int i = 0; i < kAddressCount; ++i)
        out.push_back(intToHex(addressOfItem(base, i), 2) + "h");
    return out;
}

std::vector<std::string> hexPrefixItems(std::uint8_t base)
{
    std::vector<std::string> out;
    for (int i = 0; i < kAddressCount; ++i)
        out.push_back(addressText(addressOfItem(base, i)));
    return out;
}

} // namespace tp::pcf857x
