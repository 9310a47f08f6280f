#include "core/adapter/CommandFrame.h"

namespace tp {

std::optional<CommandFrame> buildCommandFrame(std::uint8_t address, std::uint8_t subaddress,
                                              std::span<const std::uint8_t> data)
{
    if (data.size() > kMaxArrayWrite)
        return std::nullopt;
    const std::size_t length = data.size();
    CommandFrame f;
    f.bytes[0] = static_cast<std::uint8_t>((length + 69) / 64);
    f.bytes[1] = 0;
    f.bytes[2] = static_cast<std::uint8_t>(length >> 8);
    f.bytes[3] = static_cast<std::uint8_t>(length & 0xFF);
    f.bytes[4] = address;
    f.bytes[5] = subaddress;
    for (std::size_t i = 0; i < length; ++i)
        f.bytes[6 + i] = data[i];
    f.size = 6 + length;
    return f;
}

} // namespace tp
