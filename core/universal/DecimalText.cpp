#include "core/universal/DecimalText.h"
#include "core/common/Errors.h"

#include <charconv>
#include <string>

namespace tp::expert {

int decimalToInt(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1); // from_chars takes "-" but not "+"
    int value = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || ec != std::errc() || ptr != end)
        throw InvalidNumber(std::string(text));
    return value;
}

} // namespace tp::expert
