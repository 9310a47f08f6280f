#include "core/devices/ports/Pca9541.h"
#include "core/common/HexText.h"

namespace tp::pca9541 {

bool isValidCommand(std::uint8_t command)
{
    return (command & ~kAutoIncrement) <= InterruptStatus;
}

std::optional<std::uint8_t> takeControlValue(std::uint8_t control)
{
    if (hasControl(control) && busOn(control))
        return std::nullopt;
    // Keep the bus state as the other master sees it, then match NMYBUS
    // (ownership) and set BUSON opposite to NBUSON (connected).
    const std::uint8_t myBus = (control & kNMyBus) ? kMyBus : 0;
    const std::uint8_t busOnBit = (control & kNBusOn) ? 0 : kBusOn;
    return static_cast<std::uint8_t>(myBus | busOnBit);
}

std::vector<std::uint8_t> addresses()
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 16; ++i)
        out.push_back(static_cast<std::uint8_t>(0xE0 + 2 * i));
    return out;
}

std::vector<std::string> addressItems()
{
    std::vector<std::string> out;
    for (std::uint8_t a : addresses())
        out.push_back(addressText(a));
    return out;
}

} // namespace tp::pca9541
