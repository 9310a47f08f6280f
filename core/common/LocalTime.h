#pragma once
#include <functional>

namespace tp {

// A calendar moment of the computer's local clock.
struct DateTime {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 6; // 0 = Sunday .. 6 = Saturday
};

// The computer's local date and time, or what the source set below gives.
DateTime localNow();
// Replaces the computer's clock (tests run against a fixed moment); an
// empty source brings the computer's clock back.
void setLocalNowSource(std::function<DateTime()> source);

} // namespace tp
