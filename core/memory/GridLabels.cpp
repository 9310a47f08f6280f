#include "core/memory/GridLabels.h"
#include "core/common/HexText.h"

namespace tp {

std::string GridLabels::rowLabel(std::size_t row)
{
    return intToHex(row - 1, 1);
}

std::string GridLabels::columnLabel(std::size_t position)
{
    return intToHex(position, 1);
}

std::string GridLabels::addressLabel(std::size_t address, int digits)
{
    return intToHex(address, digits);
}

} // namespace tp
