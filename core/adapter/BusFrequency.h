#pragma once
#include <cstdint>

namespace tp {

// Bus clock as two counts of 1/8000 ms: Frequency = 8000 / (high + low) kHz.
struct BusFrequency {
    static constexpr int kMinCount = 4;
    static constexpr int kMaxCount = 255;

    int frequency = 100; // kHz
    int sclHigh = 40;
    int sclLow = 40;

    bool operator==(const BusFrequency&) const = default;

    // From the two counts: 8000 / sum, halves to the even neighbour.
    static BusFrequency fromCounts(int high, int low);
    // From a typed frequency; nothing for values of 11 or less. Counts above
    // the byte range are clamped to 255 (the frequency then follows them).
    static bool fromFrequency(int kHz, BusFrequency& out);
};

// a / b to the nearest integer, halves to even; b > 0, a >= 0.
int divideRoundHalfEven(int a, int b);

} // namespace tp
