#pragma once
#include <cstdint>

namespace tp {

constexpr std::uint8_t bcdEncode(int v)
{
    return static_cast<std::uint8_t>((v / 10) * 16 + (v % 10));
}

// A nibble above 9 counts as 9, as the clock chips' invalid codes read.
constexpr int bcdDecode(std::uint8_t b)
{
    int hi = b >> 4, lo = b & 0xF;
    return (hi > 9 ? 9 : hi) * 10 + (lo > 9 ? 9 : lo);
}

} // namespace tp
