#include "cli/Numbers.h"
#include "cli/CliTypes.h"
#include "core/common/HexText.h"
#include "core/memory/MemoryKind.h"

namespace tp::cli {

namespace {
std::string_view withoutPrefix(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return text.substr(2);
    if (text.size() > 1 && text[0] == '$')
        return text.substr(1);
    return text;
}
} // namespace

std::uint8_t parseByte(std::string_view text, const char* what)
{
    const std::uint32_t v = hexToInt(withoutPrefix(text));
    if (v > 0xFF)
        throw UsageError("'" + std::string(text) + "' is not " + what + " (hexadecimal 00 to FF)");
    return static_cast<std::uint8_t>(v);
}

std::uint8_t parseAddress(std::string_view text, bool anyAddress)
{
    const std::uint32_t v = hexToInt(withoutPrefix(text));
    const std::string range = anyAddress ? "0x00 to 0x7F" : "0x08 to 0x77";
    if (v > 0x7F) {
        std::string why = "'" + std::string(text) + "' is not a 7-bit address (" + range + ", as i2cdetect shows them)";
        if (v <= 0xFF)
            why += ": the 8-bit address 0x" + intToHex(v, 2) + " is 7-bit 0x" + intToHex(v >> 1, 2);
        throw UsageError(why);
    }
    if (!anyAddress && (v < 0x08 || v > 0x77))
        throw UsageError("'" + std::string(text) + "' is a reserved address: 7-bit addresses are " + range +
                         " (--all-addresses allows 0x00 to 0x7F)");
    return static_cast<std::uint8_t>(v << 1);
}

std::size_t parseMemorySize(std::string_view text)
{
    std::size_t value = 0;
    bool ok = !text.empty();
    std::string_view digits = text;
    std::size_t factor = 1;
    if (!digits.empty() && (digits.back() == 'K' || digits.back() == 'k')) {
        factor = 1024;
        digits.remove_suffix(1);
    }
    if (ok && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        std::uint32_t v = 0;
        ok = factor == 1 && tryHexToInt(digits.substr(2), v);
        value = v;
    } else {
        ok = ok && !digits.empty() && digits.size() <= 6;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                ok = false;
                break;
            }
            value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        value *= factor;
    }
    if (ok)
        for (std::size_t s : memorySizes())
            if (s == value)
                return s;
    std::string sizes;
    for (std::size_t s : memorySizes())
        sizes += (sizes.empty() ? "" : ", ") + sizeText(s);
    throw UsageError("'" + std::string(text) + "' is not a memory size: " + sizes);
}

std::string sizeText(std::size_t size)
{
    return size >= 1024 ? std::to_string(size / 1024) + "K" : std::to_string(size);
}

std::string addressText7(std::uint8_t address)
{
    return "0x" + intToHex(address >> 1, 2);
}

} // namespace tp::cli
