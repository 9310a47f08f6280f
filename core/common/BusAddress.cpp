#include "core/common/BusAddress.h"
#include "core/common/HexText.h"

namespace tp {

namespace {

std::uint8_t address7(std::uint8_t address)
{
    return static_cast<std::uint8_t>(address >> 1);
}

const char* reservedFor(std::uint8_t address)
{
    const std::uint8_t a = address7(address);
    if (a == 0x01)
        return "the CBUS address";
    if (a == 0x02)
        return "kept for a different bus format";
    if (a == 0x03)
        return "kept for future purposes";
    if (a <= 0x07)
        return "a high-speed mode master code";
    if (a <= 0x7B)
        return "the start of a 10-bit address";
    return "kept for the device ID";
}

} // namespace

bool isGeneralCall(std::uint8_t address)
{
    return address7(address) == 0;
}

bool isReservedAddress(std::uint8_t address)
{
    const std::uint8_t a = address7(address);
    return (a >= 0x01 && a <= 0x07) || a >= 0x78;
}

std::string addressWithSevenBit(std::uint8_t address)
{
    const auto a = static_cast<std::uint8_t>(address & 0xFE);
    return "0x" + intToHex(a, 2) + " (7-bit 0x" + intToHex(address7(a), 2) + ")";
}

std::string generalCallRefusal(std::uint8_t address)
{
    return "Not sent: " + addressWithSevenBit(address) +
           " is the general call address, which every chip on the bus may obey. Enter the chip's own address";
}

std::string generalCallQuestion(std::uint8_t address)
{
    return addressWithSevenBit(address) +
           " is the general call address: every chip on the bus may obey these messages (a 06 after it "
           "resets all that support it). Send to it anyway?";
}

std::string reservedAddressQuestion(std::uint8_t address)
{
    return addressWithSevenBit(address) + " is a reserved I\u00B2C address (" + reservedFor(address) +
           "), not an ordinary chip address. Send to it anyway?";
}

} // namespace tp
