#include "core/devices/ports/NvRegisters.h"
#include "core/common/HexText.h"

namespace tp::nvreg {

std::uint8_t addressOfItem(int item)
{
    if (item < 0 || item >= kAddressCount)
        item = 0;
    return static_cast<std::uint8_t>(kBase + 2 * item);
}

int itemOfAddress(std::uint8_t address)
{
    for (int i = 0; i < kAddressCount; ++i)
        if (addressOfItem(i) == (address & 0xFE))
            return i;
    return -1;
}

std::vector<std::string> addressItems()
{
    std::vector<std::string> out;
    for (int i = 0; i < kAddressCount; ++i)
        out.push_back(addressText(addressOfItem(i)));
    return out;
}

const std::vector<Source>& pca9561Sources()
{
    static const std::vector<Source> s{
        {"MUX_IN or non-volatile Register 0", 0xF1}, {"MUX_IN or non-volatile Register 1", 0xF5},
        {"MUX_IN or non-volatile Register 2", 0xF9}, {"MUX_IN or non-volatile Register 3", 0xFD},
        {"MUX_SELECT overridden.  MUX_IN", 0xF2},    {"MUX_SELECT overridden. Register 0", 0xF0},
        {"MUX_SELECT overridden. Register 1", 0xF4}, {"MUX_SELECT overridden. Register 2", 0xF8},
        {"MUX_SELECT overridden. Register 3", 0xFC},
    };
    return s;
}

const std::vector<std::string>& pca9560Sources()
{
    static const std::vector<std::string> s{"MUX_OUT from EEPROM 0", "MUX_OUT from EEPROM 1", "MUX_OUT from MUX_IN",
                                            "MUX_OUT from MUX_SELECT"};
    return s;
}

} // namespace tp::nvreg
