#include "core/sim/Pcf8563Chip.h"
#include "core/common/Bcd.h"

#include <algorithm>
#include <limits>

namespace tp::sim {

using namespace pcf8563;

namespace {
constexpr std::uint64_t kSecondNs = 1000000000ull;
constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
} // namespace

Pcf8563Chip::Pcf8563Chip()
{
    m_regs[ControlStatus1] = kTestC;
    m_regs[VlSeconds] = kVl;
    m_regs[Days] = 0x01;
    m_regs[Weekdays] = 6; // 1 January 2000 was a Saturday
    m_regs[CenturyMonths] = 0x01;
    m_regs[MinuteAlarm] = kAlarmDisabled;
    m_regs[HourAlarm] = kAlarmDisabled;
    m_regs[DayAlarm] = kAlarmDisabled;
    m_regs[WeekdayAlarm] = kAlarmDisabled;
    m_regs[ClkoutControl] = kClkoutActive;
    m_regs[TimerControl] = 0x03;
}

bool Pcf8563Chip::start(std::uint8_t, bool read)
{
    if (!m_inAccess) {
        catchUp(kNoLimit);
        m_inAccess = true;
    }
    m_expectAddress = !read;
    return true;
}

bool Pcf8563Chip::writeByte(std::uint8_t value)
{
    if (m_expectAddress) {
        m_pointer = value & 0x0F;
        m_expectAddress = false;
        return true;
    }
    store(m_pointer, value);
    m_pointer = (m_pointer + 1) & 0x0F;
    return true;
}

std::uint8_t Pcf8563Chip::readByte()
{
    const std::uint8_t v = m_regs[m_pointer];
    m_pointer = (m_pointer + 1) & 0x0F;
    return v;
}

void Pcf8563Chip::stop()
{
    m_inAccess = false;
    m_expectAddress = false;
    catchUp(1); // the one tick the frozen registers kept waiting
    checkAlarm();
}

std::uint8_t Pcf8563Chip::reg(int r)
{
    if (!m_inAccess)
        catchUp(kNoLimit);
    return m_regs.at(static_cast<std::size_t>(r));
}

void Pcf8563Chip::setReg(int r, std::uint8_t v)
{
    if (!m_inAccess)
        catchUp(kNoLimit);
    r &= 0x0F;
    if (r == Timer) {
        store(r, v);
        return;
    }
    m_regs[static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(v & implementedBits(r));
    if (r == ControlStatus1 && (v & kStop))
        m_prescalerNs = 0;
    m_alarmWasMatching = alarmMatches();
}

void Pcf8563Chip::store(int r, std::uint8_t v)
{
    std::uint8_t& cell = m_regs[static_cast<std::size_t>(r)];
    switch (r) {
    case ControlStatus1:
        if (v & kStop)
            m_prescalerNs = 0; // held in reset while STOP is set
        cell = v & implementedBits(r);
        break;
    case ControlStatus2: {
        // The flags can only be cleared: a 1 written leaves them as they are.
        const std::uint8_t flags = static_cast<std::uint8_t>(cell & v & (kAf | kTf));
        cell = static_cast<std::uint8_t>((v & (kTiTp | kAie | kTie)) | flags);
        break;
    }
    case TimerControl:
        if ((v & 0x03) != (cell & 0x03))
            m_timerPhase = 0;
        cell = v & implementedBits(r);
        break;
    case Timer:
        m_timerReload = v;
        cell = v;
        m_timerPhase = 0;
        break;
    default:
        cell = v & implementedBits(r);
        break;
    }
}

// Source frequency of the timer as rate / divisor ticks per nanosecond.
std::uint64_t Pcf8563Chip::timerRate() const
{
    switch (m_regs[TimerControl] & 0x03) {
    case 0:
        return 4096;
    case 1:
        return 64;
    default:
        return 1;
    }
}

std::uint64_t Pcf8563Chip::timerDivisor() const
{
    return (m_regs[TimerControl] & 0x03) == 3 ? 60 * kSecondNs : kSecondNs;
}

void Pcf8563Chip::catchUp(std::uint64_t maxTicks)
{
    if (!clock())
        return;
    const std::uint64_t now = clock()->ns();
    if (!m_haveTime) {
        m_haveTime = true;
        m_lastNs = now;
        return;
    }
    const std::uint64_t elapsed = now - m_lastNs;
    m_lastNs = now;
    const bool stopped = (m_regs[ControlStatus1] & kStop) != 0;

    // The countdown timer; the 1 Hz and 1/60 Hz sources stop with the clock.
    const bool slowSource = (m_regs[TimerControl] & 0x03) >= 2;
    if ((m_regs[TimerControl] & kTimerEnabled) && !(stopped && slowSource) && m_timerReload != 0) {
        m_timerPhase += static_cast<unsigned __int128>(elapsed) * timerRate();
        const auto ticks = static_cast<std::uint64_t>(m_timerPhase / timerDivisor());
        m_timerPhase %= timerDivisor();
        std::uint64_t count = m_regs[Timer] ? m_regs[Timer] : m_timerReload;
        if (ticks >= count) {
            m_regs[ControlStatus2] |= kTf;
            const std::uint64_t past = (ticks - count) % m_timerReload;
            count = m_timerReload - past;
        } else {
            count -= ticks;
        }
        m_regs[Timer] = static_cast<std::uint8_t>(count);
    }

    if (stopped)
        return;
    m_prescalerNs += elapsed;
    std::uint64_t ticks = m_prescalerNs / kSecondNs;
    m_prescalerNs %= kSecondNs;
    ticks = std::min(ticks, maxTicks);
    for (std::uint64_t i = 0; i < ticks; ++i)
        tick();
}

void Pcf8563Chip::tick()
{
    auto& r = m_regs;
    const int second = bcdDecode(r[VlSeconds] & 0x7F) + 1;
    if (second < 60) {
        r[VlSeconds] = static_cast<std::uint8_t>((r[VlSeconds] & kVl) | bcdEncode(second));
        return;
    }
    r[VlSeconds] &= kVl;
    const int minute = bcdDecode(r[Minutes] & 0x7F) + 1;
    if (minute < 60) {
        r[Minutes] = bcdEncode(minute);
        checkAlarm();
        return;
    }
    r[Minutes] = 0;
    const int hour = bcdDecode(r[Hours] & 0x3F) + 1;
    if (hour < 24) {
        r[Hours] = bcdEncode(hour);
        checkAlarm();
        return;
    }
    r[Hours] = 0;
    r[Weekdays] = static_cast<std::uint8_t>(((r[Weekdays] & 0x07) + 1) % 7);
    const int year = bcdDecode(r[Years]);
    int month = bcdDecode(r[CenturyMonths] & 0x1F);
    const int day = bcdDecode(r[Days] & 0x3F) + 1;
    if (day <= daysInMonth(month, year)) {
        r[Days] = bcdEncode(day);
        checkAlarm();
        return;
    }
    r[Days] = 0x01;
    if (++month <= 12) {
        r[CenturyMonths] = static_cast<std::uint8_t>((r[CenturyMonths] & kCentury) | bcdEncode(month));
        checkAlarm();
        return;
    }
    r[CenturyMonths] = static_cast<std::uint8_t>((r[CenturyMonths] & kCentury) | 0x01);
    if (year < 99) {
        r[Years] = bcdEncode(year + 1);
    } else {
        r[Years] = 0x00;
        r[CenturyMonths] ^= kCentury;
    }
    checkAlarm();
}

bool Pcf8563Chip::alarmMatches() const
{
    struct Pair {
        int alarm, now;
        std::uint8_t bits;
    };
    const Pair pairs[] = {{MinuteAlarm, Minutes, 0x7F}, {HourAlarm, Hours, 0x3F}, {DayAlarm, Days, 0x3F},
                          {WeekdayAlarm, Weekdays, 0x07}};
    bool any = false;
    for (const Pair& p : pairs) {
        const std::uint8_t a = m_regs[static_cast<std::size_t>(p.alarm)];
        if (a & kAlarmDisabled)
            continue;
        any = true;
        if ((a & p.bits) != (m_regs[static_cast<std::size_t>(p.now)] & p.bits))
            return false;
    }
    return any;
}

void Pcf8563Chip::checkAlarm()
{
    const bool matching = alarmMatches();
    if (matching && !m_alarmWasMatching)
        m_regs[ControlStatus2] |= kAf;
    m_alarmWasMatching = matching;
}

} // namespace tp::sim
