#pragma once
#include <cstdint>
#include <vector>

namespace tp {

// One message of a bus transaction. `address` is the 8-bit write address
// (R/W bit 0); `read` picks the direction. A read message asks for
// data.size() bytes and gets them in place.
struct I2cMessage {
    std::uint8_t address = 0;
    bool read = false;
    std::vector<std::uint8_t> data;

    bool operator==(const I2cMessage&) const = default;

    static I2cMessage write(std::uint8_t address, std::vector<std::uint8_t> bytes)
    {
        return {static_cast<std::uint8_t>(address & 0xFE), false, std::move(bytes)};
    }
    static I2cMessage readBytes(std::uint8_t address, std::size_t count)
    {
        return {static_cast<std::uint8_t>(address & 0xFE), true,
                std::vector<std::uint8_t>(count, 0xFF)};
    }
};

} // namespace tp
