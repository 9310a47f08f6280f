#include "core/devices/rtc/Pcf8563.h"

#include <array>

namespace tp::pcf8563 {

std::string registerName(int reg)
{
    static const std::array<const char*, kRegisterCount> names = {
        "control/status 1", "control/status 2", "seconds",      "minutes",       "hours",          "day",
        "weekdays",         "month/century",    "years",        "minute alarm",  "hour alarm",     "day alarm",
        "weekday alarm",    "CLKOUT control",   "timer control", "timer"};
    return reg >= 0 && reg < kRegisterCount ? names[static_cast<std::size_t>(reg)] : std::string();
}

std::uint8_t implementedBits(int reg)
{
    static const std::array<std::uint8_t, kRegisterCount> bits = {0xA8, 0x1F, 0xFF, 0x7F, 0x3F, 0x3F, 0x07, 0x9F,
                                                                  0xFF, 0xFF, 0xBF, 0xBF, 0x87, 0x83, 0x83, 0xFF};
    return bits[static_cast<std::size_t>(reg & 0x0F)];
}

int daysInMonth(int month, int year)
{
    switch (month) {
    case 2:
        return year % 4 == 0 ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

} // namespace tp::pcf8563
