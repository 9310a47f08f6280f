#include "core/memory/GoToByte.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"

#include <algorithm>

namespace tp {

std::string GoToByte::note() const
{
    return "Note: maximum address = 0x" + intToHex(m_max, 4);
}

GoToUpdate GoToByte::hexChanged(std::string_view hexText) const
{
    GoToUpdate u;
    if (hexText.empty()) {
        u.otherText = std::string(1, '0');
        return u;
    }
    std::uint32_t n = hexToInt(hexText);
    if (n > m_max) {
        std::string text = "Maximum address = ";
        text += intToHex(m_max, 4);
        u.notice = Notice{Notice::Kind::Message, text};
        u.fieldText = intToHex(m_max, 4);
        n = m_max;
    }
    u.otherText = std::to_string(n);
    return u;
}

GoToUpdate GoToByte::decimalChanged(std::string_view decimalText) const
{
    GoToUpdate u;
    if (decimalText.empty())
        return u; // the hex field becomes empty
    std::uint32_t n = decimalValue(decimalText);
    if (n > m_max) {
        u.notice = Notice{Notice::Kind::Message, "Maximum address = " + std::to_string(m_max)};
        u.fieldText = std::to_string(m_max);
        n = m_max;
    }
    u.otherText = intToHex(n, 4);
    return u;
}

std::uint32_t GoToByte::target(std::string_view decimalText) const
{
    return std::min(decimalValue(decimalText), m_max);
}

std::uint32_t GoToByte::decimalValue(std::string_view text)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        throw InvalidNumber(std::string(text));
    std::uint32_t v = 0;
    for (char c : text)
        v = v * 10 + static_cast<std::uint32_t>(c - '0');
    return v;
}

} // namespace tp
