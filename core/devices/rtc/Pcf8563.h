#pragma once
#include <cstdint>
#include <string>

namespace tp::pcf8563 {

// The bench's name for the chip and its fixed 8-bit write address.
inline const std::string kChipType = "PCF8563";
constexpr std::uint8_t kAddress = 0xA2;

constexpr int kRegisterCount = 16;
// Word addresses; the chip moves on to the next after every byte, 0F wrapping to 00.
enum Register : int {
    ControlStatus1 = 0x00,
    ControlStatus2 = 0x01,
    VlSeconds = 0x02,
    Minutes = 0x03,
    Hours = 0x04,
    Days = 0x05,
    Weekdays = 0x06,
    CenturyMonths = 0x07,
    Years = 0x08,
    MinuteAlarm = 0x09,
    HourAlarm = 0x0A,
    DayAlarm = 0x0B,
    WeekdayAlarm = 0x0C,
    ClkoutControl = 0x0D,
    TimerControl = 0x0E,
    Timer = 0x0F,
};

// Control/status 1
constexpr std::uint8_t kTest1 = 0x80;
constexpr std::uint8_t kStop = 0x20;
constexpr std::uint8_t kTestC = 0x08;
// Control/status 2
constexpr std::uint8_t kTiTp = 0x10;
constexpr std::uint8_t kAf = 0x08;
constexpr std::uint8_t kTf = 0x04;
constexpr std::uint8_t kAie = 0x02;
constexpr std::uint8_t kTie = 0x01;
// Bit 7 of seconds, month and the alarm, CLKOUT and timer control registers.
constexpr std::uint8_t kVl = 0x80;
constexpr std::uint8_t kCentury = 0x80;
constexpr std::uint8_t kAlarmDisabled = 0x80;
constexpr std::uint8_t kClkoutActive = 0x80;
constexpr std::uint8_t kTimerEnabled = 0x80;

// "control/status 1", "seconds", ... as the register table names them.
std::string registerName(int reg);

// The bits a register holds; the others read 0.
std::uint8_t implementedBits(int reg);

// Days in a month as the chip counts them: every year divisible by 4 is a
// leap year, 00 included. `year` is the two-digit register year.
int daysInMonth(int month, int year);

} // namespace tp::pcf8563
