#pragma once
#include <string_view>

namespace tp::expert {

// A decimal integer: an optional sign and digits, nothing else. Throws
// InvalidNumber(text) otherwise.
int decimalToInt(std::string_view text);

} // namespace tp::expert
