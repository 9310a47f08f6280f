#include "core/devices/thermal/ThermalText.h"
#include "core/common/HexText.h"
#include "core/common/NumberText.h"

#include <algorithm>
#include <cmath>

namespace tp::thermal {

std::string hexText(std::uint32_t value, int digits)
{
    return "0x" + intToHex(value, digits);
}

std::string celsiusText(double value, int decimals, char decimalSeparator, int maxSignificant)
{
    return formatFixed(value, decimals, decimalSeparator, maxSignificant) + kDegreesC;
}

int quantise(double celsius, double step, int lowest, int highest)
{
    const double steps = std::round(celsius / step);
    return static_cast<int>(std::clamp(steps, double(lowest), double(highest)));
}

} // namespace tp::thermal
