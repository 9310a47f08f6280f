#include "core/common/HexText.h"
#include "core/common/Errors.h"

namespace tp {

std::string intToHex(std::uint64_t value, int digits)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), hex[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < digits)
        out.insert(out.begin(), static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool hexKeyAllowed(char c)
{
    return c == 8 || c == 9 || c == 13 || isHexDigit(c);
}

bool tryHexToInt(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 8)
        return false;
    std::uint32_t v = 0;
    for (char c : text) {
        if (!isHexDigit(c))
            return false;
        int d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    value = v;
    return true;
}

std::uint32_t hexToInt(std::string_view text)
{
    std::uint32_t v = 0;
    if (!tryHexToInt(text, v))
        throw InvalidNumber("$" + std::string(text));
    return v;
}

std::string addressText(std::uint8_t address)
{
    return "0x" + intToHex(address, 2);
}

} // namespace tp
