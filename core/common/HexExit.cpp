#include "core/common/HexExit.h"
#include "core/common/HexText.h"

namespace tp {

std::string normaliseHexExit(HexExit rule, std::string_view text)
{
    switch (rule) {
    case HexExit::LeadingZero:
        if (text.size() >= 2)
            return std::string(text);
        return std::string(2 - text.size(), '0') + upperCaseText(text);
    case HexExit::Reformat:
        return intToHex(hexToInt(text), 2);
    case HexExit::ReformatOrFF:
        return text.size() == 2 ? intToHex(hexToInt(text), 2) : std::string("FF");
    }
    return std::string(text);
}

std::string upperCaseText(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace tp
