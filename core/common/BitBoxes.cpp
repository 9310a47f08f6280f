#include "core/common/BitBoxes.h"

namespace tp {

std::vector<std::uint8_t> masksHighToLow(int bits)
{
    std::vector<std::uint8_t> out;
    for (int b = bits - 1; b >= 0; --b)
        out.push_back(static_cast<std::uint8_t>(1u << b));
    return out;
}

} // namespace tp
