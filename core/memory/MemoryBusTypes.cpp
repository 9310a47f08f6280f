#include "core/memory/MemoryBusTypes.h"

namespace tp {

std::uint8_t MemoryDevice::slaveAddress(std::size_t a) const
{
    if (wordAddressBytes() == 2)
        return address & 0xFE;
    return static_cast<std::uint8_t>((address + 2 * (a >> 8)) & 0xFE);
}

std::vector<std::uint8_t> MemoryDevice::wordAddress(std::size_t a) const
{
    if (wordAddressBytes() == 2)
        return {static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)};
    return {static_cast<std::uint8_t>(a)};
}

std::string MemoryDevice::chipType() const
{
    if (!chipTypeName.empty())
        return chipTypeName;
    return (eeprom ? "EEPROM " : "RAM ") + std::to_string(size);
}

} // namespace tp
