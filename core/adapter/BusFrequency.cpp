#include "core/adapter/BusFrequency.h"

#include <algorithm>

namespace tp {

int divideRoundHalfEven(int a, int b)
{
    int q = a / b;
    int r = a % b;
    if (2 * r > b || (2 * r == b && (q % 2) != 0))
        ++q;
    return q;
}

BusFrequency BusFrequency::fromCounts(int high, int low)
{
    BusFrequency f;
    f.sclHigh = std::clamp(high, kMinCount, kMaxCount);
    f.sclLow = std::clamp(low, kMinCount, kMaxCount);
    f.frequency = divideRoundHalfEven(8000, f.sclHigh + f.sclLow);
    return f;
}

bool BusFrequency::fromFrequency(int kHz, BusFrequency& out)
{
    if (kHz <= 11)
        return false;
    int t = divideRoundHalfEven(8000, kHz);
    int high = t / 2;
    int low = t - high;
    high = std::clamp(high, kMinCount, kMaxCount);
    low = std::clamp(low, kMinCount, kMaxCount);
    out.sclHigh = high;
    out.sclLow = low;
    out.frequency = 8000 / (high + low);
    return true;
}

} // namespace tp
