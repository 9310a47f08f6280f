#include "core/devices/rtc/Pcf8563Image.h"
#include "core/common/Bcd.h"
#include "core/common/HexText.h"

#include <algorithm>

namespace tp {

using namespace pcf8563;

namespace {

constexpr std::uint8_t bit7(bool on)
{
    return on ? 0x80 : 0x00;
}

// Bit 7 of month/century for a year of 1900..2099.
constexpr std::uint8_t centuryBit(int year)
{
    return bit7((year / 100) % 2 == 1);
}

// The window's weekday number (1 = SUN .. 7 = SAT) from a register's bits 2..0.
int weekdayNumber(std::uint8_t v)
{
    return std::min((v & 0x07) + 1, 7);
}

// Register value of a weekday number.
std::uint8_t weekdayBits(int number)
{
    return static_cast<std::uint8_t>(std::clamp(number, 1, 7) - 1);
}

struct AlarmTexts {
    const char* disabled;
    const char* enabled;
};

} // namespace

Pcf8563Image::Pcf8563Image(const DateTime& now)
{
    const int year = std::clamp(now.year, 1900, 2099);
    const int weekday = std::clamp(now.weekday, 0, 6) + 1;
    m_values[index(Spin::Hours)] = now.hour;
    m_values[index(Spin::Minutes)] = now.minute;
    m_values[index(Spin::Seconds)] = now.second;
    m_values[index(Spin::Day)] = now.day;
    m_values[index(Spin::Month)] = now.month;
    m_values[index(Spin::Year)] = year;
    m_values[index(Spin::Weekday)] = weekday;
    m_values[index(Spin::AlarmHours)] = 0;
    m_values[index(Spin::AlarmMinutes)] = 0;
    m_values[index(Spin::AlarmDay)] = now.day;
    m_values[index(Spin::AlarmWeekday)] = weekday;

    const char* fixed[] = {"TEST1", "STOP", "TESTC", "TI/TP", "AF", "TF", "AIE", "TIE"};
    for (std::size_t i = 0; i < std::size(fixed); ++i)
        m_captions[i] = fixed[i];
    setChecked(Box::Vl, false, "not guaranteed");
    setChecked(Box::MinuteAlarm, true, "Minute Alarm Disabled");
    setChecked(Box::HourAlarm, true, "Hour Alarm Disabled");
    setChecked(Box::DayAlarm, true, "Day Alarm Disabled");
    setChecked(Box::WeekdayAlarm, true, "Weekday Alm Disabled");
    setChecked(Box::Clkout, true, "CLKOUT active");
    setChecked(Box::Timer, false, "Timer Disabled");

    setCell(ControlStatus1, 0x00);
    setCell(ControlStatus2, 0x00);
    setCell(VlSeconds, bcdEncode(now.second));
    setCell(Minutes, bcdEncode(now.minute));
    setCell(Hours, bcdEncode(now.hour));
    setCell(Days, bcdEncode(now.day));
    setCell(Weekdays, weekdayBits(weekday));
    setCell(CenturyMonths, static_cast<std::uint8_t>(bcdEncode(now.month) | centuryBit(year)));
    setCell(Years, bcdEncode(year % 100));
    setCell(MinuteAlarm, 0x80);
    setCell(HourAlarm, 0x80);
    setCell(DayAlarm, static_cast<std::uint8_t>(bcdEncode(now.day) | 0x80));
    setCell(WeekdayAlarm, static_cast<std::uint8_t>(weekdayBits(weekday) | 0x80));
    setCell(ClkoutControl, 0x80);
    setCell(TimerControl, 0x03);
    setCell(Timer, 0xFF);
}

std::string Pcf8563Image::cellText(int reg) const
{
    return byteText(cell(reg));
}

std::vector<std::uint8_t> Pcf8563Image::cells(Registers r) const
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < r.count; ++i)
        out.push_back(cell((r.first + i) % kRegisterCount));
    return out;
}

Pcf8563Image::Range Pcf8563Image::range(Spin s)
{
    switch (s) {
    case Spin::Hours:
    case Spin::AlarmHours:
        return {0, 23, false};
    case Spin::Minutes:
    case Spin::Seconds:
    case Spin::AlarmMinutes:
        return {0, 59, false};
    case Spin::Day:
    case Spin::AlarmDay:
        return {1, 31, false};
    case Spin::Month:
        return {1, 12, false};
    case Spin::Year:
        return {1900, 2099, false};
    case Spin::Weekday:
    case Spin::AlarmWeekday:
        return {1, 7, true};
    }
    return {0, 0, false};
}

std::string Pcf8563Image::hint(Box b)
{
    static const char* const hints[kBoxCount][2] = {
        {"0: normal mode", "1: EXT_CLK test mode"},
        {"0: RTC source clock runs", "1: the RTC clock is stopped"},
        {"0: normal operation", "1: Power-on reset override may be enabled"},
        {"0 INT is active when TF is active (subject to the status of TIE)", "1 INT pulses active"},
        {"0 alarm flag inactive", "1 alarm flag active"},
        {"0 timer flag inactive", "1 timer flag active"},
        {"0 alarm interrupt disabled", "1 alarm interrupt enabled"},
        {"0 timer interrupt disabled", "1 timer interrupt enabled"},
        {"0: clock integrity is guaranteed", "1: integrity of the clock information is no longer guaranteed"},
        {"0: minute alarm is enabled", "1: minute alarm is disabled"},
        {"0: hour alarm is enabled", "1: hour alarm is disabled"},
        {"0: day alarm is enabled", "1: day alarm is disabled"},
        {"0: weekday alarm is enabled", "1: weekday alarm is disabled"},
        {"0: the CLKOUT output is inhibited", "1: the CLKOUT output is activated"},
        {"0: timer is disabled", "1: timer is enabled"},
    };
    const auto& h = hints[index(b)];
    return std::string(h[0]) + "\n" + h[1];
}

int Pcf8563Image::registerOf(Box b)
{
    switch (b) {
    case Box::Test1:
    case Box::Stop:
    case Box::TestC:
        return ControlStatus1;
    case Box::TiTp:
    case Box::Af:
    case Box::Tf:
    case Box::Aie:
    case Box::Tie:
        return ControlStatus2;
    case Box::Vl:
        return VlSeconds;
    case Box::MinuteAlarm:
        return MinuteAlarm;
    case Box::HourAlarm:
        return HourAlarm;
    case Box::DayAlarm:
        return DayAlarm;
    case Box::WeekdayAlarm:
        return WeekdayAlarm;
    case Box::Clkout:
        return ClkoutControl;
    case Box::Timer:
        return TimerControl;
    }
    return 0;
}

std::uint8_t Pcf8563Image::maskOf(Box b)
{
    switch (b) {
    case Box::Test1:
        return kTest1;
    case Box::Stop:
        return kStop;
    case Box::TestC:
        return kTestC;
    case Box::TiTp:
        return kTiTp;
    case Box::Af:
        return kAf;
    case Box::Tf:
        return kTf;
    case Box::Aie:
        return kAie;
    case Box::Tie:
        return kTie;
    default:
        return 0x80;
    }
}

const std::vector<std::string>& Pcf8563Image::clkoutItems()
{
    static const std::vector<std::string> items{"32.768 kHz", "1024 Hz", "32 Hz", "1 Hz"};
    return items;
}

const std::vector<std::string>& Pcf8563Image::timerItems()
{
    static const std::vector<std::string> items{"4096 Hz", "64 Hz", "1Hz", "1/60 Hz"};
    return items;
}

std::string Pcf8563Image::weekdayName(int number)
{
    static const char* const names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    return names[std::clamp(number, 1, 7) - 1];
}

void Pcf8563Image::setChecked(Box b, bool on, const std::string& caption)
{
    m_checked[index(b)] = on;
    m_captions[index(b)] = caption;
}

std::uint8_t Pcf8563Image::disabledBit(Box b) const
{
    return bit7(checked(b));
}

// ------------------------------------------------------------------ edits

Pcf8563Image::Registers Pcf8563Image::step(Spin s, int direction)
{
    const Range r = range(s);
    int& v = m_values[index(s)];
    if (r.wraps) {
        v += direction > 0 ? 1 : -1;
        if (v > r.max)
            v = r.min;
        else if (v < r.min)
            v = r.max;
    } else if (direction > 0) {
        if (v >= r.max)
            return {};
        ++v;
    } else {
        if (v <= r.min)
            return {};
        // A value read from outside the range comes back into it.
        v = std::min(v, r.max + 1) - 1;
    }
    return rebuild(s);
}

Pcf8563Image::Registers Pcf8563Image::setTime(const DateTime& now)
{
    m_values[index(Spin::Hours)] = now.hour;
    m_values[index(Spin::Minutes)] = now.minute;
    m_values[index(Spin::Seconds)] = now.second;
    m_values[index(Spin::Day)] = now.day;
    m_values[index(Spin::Month)] = now.month;
    m_values[index(Spin::Year)] = std::clamp(now.year, 1900, 2099);
    m_values[index(Spin::Weekday)] = std::clamp(now.weekday, 0, 6) + 1;
    // Year after month: it sets the century bit the month keeps.
    for (Spin s : {Spin::Seconds, Spin::Minutes, Spin::Hours, Spin::Day, Spin::Weekday, Spin::Month, Spin::Year})
        rebuild(s);
    return {VlSeconds, Years - VlSeconds + 1};
}

Pcf8563Image::Registers Pcf8563Image::rebuild(Spin s)
{
    const int v = value(s);
    switch (s) {
    case Spin::Seconds:
        setCell(VlSeconds, static_cast<std::uint8_t>(bcdEncode(v) | disabledBit(Box::Vl)));
        return {VlSeconds, 1};
    case Spin::Minutes:
        setCell(Minutes, bcdEncode(v));
        return {Minutes, 1};
    case Spin::Hours:
        setCell(Hours, bcdEncode(v));
        return {Hours, 1};
    case Spin::Day:
        setCell(Days, bcdEncode(v));
        return {Days, 1};
    case Spin::Month:
        // The century bit stays: a month change must not move the clock by a hundred years.
        setCell(CenturyMonths, static_cast<std::uint8_t>(bcdEncode(v) | (cell(CenturyMonths) & kCentury)));
        return {CenturyMonths, 1};
    case Spin::Year:
        // Month/century and years go out together, or the chip would mix centuries.
        setCell(Years, bcdEncode(v % 100));
        setCell(CenturyMonths, static_cast<std::uint8_t>((cell(CenturyMonths) & 0x7F) | centuryBit(v)));
        return {CenturyMonths, 2};
    case Spin::Weekday:
        setCell(Weekdays, weekdayBits(v));
        return {Weekdays, 1};
    case Spin::AlarmMinutes:
        setCell(MinuteAlarm, static_cast<std::uint8_t>(bcdEncode(v) | disabledBit(Box::MinuteAlarm)));
        return {MinuteAlarm, 1};
    case Spin::AlarmHours:
        setCell(HourAlarm, static_cast<std::uint8_t>(bcdEncode(v) | disabledBit(Box::HourAlarm)));
        return {HourAlarm, 1};
    case Spin::AlarmDay:
        setCell(DayAlarm, static_cast<std::uint8_t>(bcdEncode(v) | disabledBit(Box::DayAlarm)));
        return {DayAlarm, 1};
    case Spin::AlarmWeekday:
        setCell(WeekdayAlarm, static_cast<std::uint8_t>(weekdayBits(v) | disabledBit(Box::WeekdayAlarm)));
        return {WeekdayAlarm, 1};
    }
    return {};
}

Pcf8563Image::Registers Pcf8563Image::setBox(Box b, bool on)
{
    const std::uint8_t mask = maskOf(b);
    switch (b) {
    case Box::Test1:
    case Box::Stop:
    case Box::TestC:
        m_checked[index(b)] = on;
        m_controlStatus1 = static_cast<std::uint8_t>(on ? m_controlStatus1 | mask : m_controlStatus1 & ~mask);
        setCell(ControlStatus1, m_controlStatus1);
        return {ControlStatus1, 1};
    case Box::TiTp:
    case Box::Af:
    case Box::Tf:
    case Box::Aie:
    case Box::Tie:
        m_checked[index(b)] = on;
        m_controlStatus2 =
            static_cast<std::uint8_t>((on ? m_controlStatus2 | mask : m_controlStatus2 & ~mask) & 0x1F);
        setCell(ControlStatus2, m_controlStatus2);
        return {ControlStatus2, 1};
    case Box::Vl:
        setChecked(b, on, on ? "not guaranteed" : "guaranteed");
        return rebuild(Spin::Seconds);
    case Box::MinuteAlarm:
    case Box::HourAlarm:
    case Box::DayAlarm:
    case Box::WeekdayAlarm: {
        static const AlarmTexts texts[] = {{"Minute Alarm Disabled", "Minute Alarm Enabled"},
                                           {"Hour Alarm Disabled", "Hour Alarm Enabled"},
                                           {"Day Alarm Disabled", "Day Alarm Enabled"},
                                           {"Weekday Alm Disabled", "Weekday Alm Enabled"}};
        const AlarmTexts& t = texts[index(b) - index(Box::MinuteAlarm)];
        setChecked(b, on, on ? t.disabled : t.enabled);
        const int reg = registerOf(b);
        setCell(reg, static_cast<std::uint8_t>((cell(reg) & 0x7F) | bit7(on)));
        return {reg, 1};
    }
    case Box::Clkout:
        m_checked[index(b)] = on;
        return rebuildClkout("CLKOUT active", "CLKOUT inactive");
    case Box::Timer:
        m_checked[index(b)] = on;
        return rebuildTimerControl();
    }
    return {};
}

Pcf8563Image::Registers Pcf8563Image::rebuildClkout(const char* active, const char* inactive)
{
    const bool on = checked(Box::Clkout);
    m_captions[index(Box::Clkout)] = on ? active : inactive;
    setCell(ClkoutControl, static_cast<std::uint8_t>(m_clkoutIndex | bit7(on)));
    return {ClkoutControl, 1};
}

Pcf8563Image::Registers Pcf8563Image::rebuildTimerControl()
{
    const bool on = checked(Box::Timer);
    m_captions[index(Box::Timer)] = on ? "Timer Enabled" : "Timer Disabled";
    setCell(TimerControl, static_cast<std::uint8_t>(m_timerIndex | bit7(on)));
    return {TimerControl, 1};
}

Pcf8563Image::Registers Pcf8563Image::setClkoutIndex(int i)
{
    m_clkoutIndex = std::clamp(i, 0, 3);
    return rebuildClkout("CLKOUT active", "CLKOUT inactive");
}

Pcf8563Image::Registers Pcf8563Image::setTimerIndex(int i)
{
    m_timerIndex = std::clamp(i, 0, 3);
    return rebuildTimerControl();
}

Pcf8563Image::Registers Pcf8563Image::setTimer(std::uint8_t value)
{
    m_timer = value;
    setCell(Timer, value);
    return {Timer, 1};
}

// ------------------------------------------------------------------ reads

void Pcf8563Image::showRead(int reg, std::uint8_t v)
{
    reg &= 0x0F;
    setCell(reg, static_cast<std::uint8_t>(v & implementedBits(reg)));
    const bool b7 = (v & 0x80) != 0;
    switch (reg) {
    case ControlStatus1:
        m_controlStatus1 = cell(reg);
        for (Box b : {Box::Test1, Box::Stop, Box::TestC})
            m_checked[index(b)] = (v & maskOf(b)) != 0;
        break;
    case ControlStatus2:
        m_controlStatus2 = cell(reg);
        for (Box b : {Box::TiTp, Box::Af, Box::Tf, Box::Aie, Box::Tie})
            m_checked[index(b)] = (v & maskOf(b)) != 0;
        break;
    case VlSeconds:
        m_values[index(Spin::Seconds)] = bcdDecode(v & 0x7F);
        setChecked(Box::Vl, b7, b7 ? "not guaranteed" : "guaranteed");
        break;
    case Minutes:
        m_values[index(Spin::Minutes)] = bcdDecode(v & 0x7F);
        break;
    case Hours:
        m_values[index(Spin::Hours)] = bcdDecode(v & 0x3F);
        break;
    case Days:
        m_values[index(Spin::Day)] = bcdDecode(v & 0x3F);
        break;
    case Weekdays:
        m_values[index(Spin::Weekday)] = weekdayNumber(v);
        break;
    case CenturyMonths:
        m_values[index(Spin::Month)] = std::min(bcdDecode(v & 0x1F), 12);
        break;
    case Years:
        m_values[index(Spin::Year)] = bcdDecode(v) + ((cell(CenturyMonths) & kCentury) ? 1900 : 2000);
        break;
    case MinuteAlarm:
        m_values[index(Spin::AlarmMinutes)] = bcdDecode(v & 0x7F);
        setChecked(Box::MinuteAlarm, b7, b7 ? "Minute Alarm Disabled" : "Minute Alarm Enabled");
        break;
    case HourAlarm:
        m_values[index(Spin::AlarmHours)] = std::min(bcdDecode(v & 0x3F), 23);
        setChecked(Box::HourAlarm, b7, b7 ? "Hour Alarm Disabled" : "Hour Alarm Enabled");
        break;
    case DayAlarm:
        m_values[index(Spin::AlarmDay)] = std::clamp(bcdDecode(v & 0x3F), 1, 31);
        setChecked(Box::DayAlarm, b7, b7 ? "Day Alarm Disabled" : "Day Alarm Enabled");
        break;
    case WeekdayAlarm:
        m_values[index(Spin::AlarmWeekday)] = weekdayNumber(v);
        setChecked(Box::WeekdayAlarm, b7, b7 ? "Weekday Alarm Disabled" : "Weekday Alarm Enabled");
        break;
    case ClkoutControl:
        m_clkoutIndex = v & 0x03;
        setChecked(Box::Clkout, b7, b7 ? "CLKOUT Active" : "CLKOUT Inactive");
        break;
    case TimerControl:
        m_timerIndex = v & 0x03;
        setChecked(Box::Timer, b7, b7 ? "Timer Enabled" : "Timer Disabled");
        break;
    case Timer:
        m_timer = v;
        break;
    }
}

void Pcf8563Image::showRead(int first, std::span<const std::uint8_t> values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        showRead((first + static_cast<int>(i)) % kRegisterCount, values[i]);
}

} // namespace tp
