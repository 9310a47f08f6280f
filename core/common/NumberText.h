#pragma once
#include <string>

namespace tp {

// Fixed-notation text of an engineering value: first taken to 18
// significant digits, then rounded half away from zero at `decimals`
// decimals, or earlier where `maxSignificant` (> 0) cuts sooner; padded
// with zeros to `decimals`. No thousands separator.
std::string formatFixed(double value, int decimals, char decimalSeparator = '.',
                        int maxSignificant = 0);

} // namespace tp
