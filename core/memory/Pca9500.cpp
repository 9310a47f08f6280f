#include "core/memory/Pca9500.h"
#include "core/common/HexText.h"

namespace tp::pca9500 {

std::string chipName(Variant v)
{
    return v == Variant::Pca9500 ? "PCA9500" : "PCA9501";
}

std::string portType(Variant v)
{
    return chipName(v) + " port";
}

std::string eepromType(Variant v)
{
    return chipName(v) + " EEPROM";
}

std::size_t pageSize(Variant v)
{
    return v == Variant::Pca9500 ? 4 : 16;
}

MemoryDevice eepromDevice(Variant v, std::uint8_t address, unsigned writeTimeMs)
{
    MemoryDevice d;
    d.size = kEepromSize;
    d.address = static_cast<std::uint8_t>(address & 0xFE);
    d.eeprom = true;
    d.pageSize = kWritePage;
    d.writeTimeMs = writeTimeMs; // MemoryBus polls at least its floor
    d.chipTypeName = eepromType(v);
    return d;
}

std::string wordLabel(std::size_t address)
{
    return intToHex(address, 2) + "h     " + std::to_string(address) + "d";
}

std::optional<std::string> ioAddressWarning(std::uint8_t value)
{
    if (value >= 0x80)
        return "Invalid Address Entered for IO Expander";
    return std::nullopt;
}

std::optional<std::string> eepromAddressWarning(std::uint8_t value)
{
    if (value < 0x80)
        return "Invalid Address Entered for EEPROM";
    return std::nullopt;
}

} // namespace tp::pca9500
