#include "core/sim/ChipState.h"
#include "core/common/Errors.h"

namespace tp::sim {

namespace {
int nibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

void ChipState::putBytes(const std::string& name, std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    m_fields[name] = std::move(text);
}

void ChipState::putNumber(const std::string& name, std::uint64_t value)
{
    m_fields[name] = std::to_string(value);
}

void ChipState::getBytes(const std::string& name, std::span<std::uint8_t> out) const
{
    auto it = m_fields.find(name);
    if (it == m_fields.end())
        return;
    const std::string& text = it->second;
    if (text.size() != 2 * out.size())
        throw FileError("field " + name + " holds " + std::to_string(text.size() / 2) + " bytes, the chip " +
                        std::to_string(out.size()));
    std::vector<std::uint8_t> bytes(out.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int hi = nibble(text[2 * i]), lo = nibble(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            throw FileError("field " + name + " is not hexadecimal");
        bytes[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

bool ChipState::number(const std::string& name, std::uint64_t max, std::uint64_t& value) const
{
    auto it = m_fields.find(name);
    if (it == m_fields.end())
        return false;
    const std::string& text = it->second;
    std::uint64_t v = 0;
    bool ok = !text.empty() && text.size() <= 20;
    for (char c : text) {
        if (c < '0' || c > '9' || v > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) {
            ok = false;
            break;
        }
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!ok || v > max)
        throw FileError("field " + name + " holds '" + text + "', not a number up to " + std::to_string(max));
    value = v;
    return true;
}

} // namespace tp::sim
