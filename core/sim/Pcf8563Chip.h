#pragma once
#include "core/devices/rtc/Pcf8563.h"
#include "core/sim/ChipModel.h"

#include <array>
#include <cstdint>

namespace tp::sim {

// The PCF8563 real-time clock, running on the bench's time.
//  - A write sets the 4-bit word address, then data bytes go to it; reads
//    start there; the address moves on after every byte, 0F wrapping to 00.
//  - Seconds tick once a second unless STOP is set (setting STOP resets the
//    prescaler, so the first tick after clearing it comes a full second
//    later); minutes, hours, days, weekdays (0..6), months and years roll as
//    the datasheet counts (leap years divisible by 4, 00 included); years
//    rolling from 99 to 00 toggle the century bit.
//  - The time registers are frozen while the chip is addressed: one tick
//    that falls due meanwhile is served after the stop.
//  - AF is set when the enabled alarms (AE = 0) first all match; TF when the
//    countdown timer runs out (it reloads from the value written to 0F).
//    Writing 0 to AF or TF clears it, writing 1 leaves it as it is.
//  - Power-on: VL set, 2000-01-01 00:00:00 (a Saturday), TESTC set, alarms
//    disabled, CLKOUT on at 32.768 kHz, timer off at 1/60 Hz.
class Pcf8563Chip : public ChipModel {
public:
    Pcf8563Chip();

    std::string type() const override { return pcf8563::kChipType; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;

    // A register as a read would give it now (for tests; brings the clock up to date first).
    std::uint8_t reg(int r);
    // Sets a register directly, as if written (AF/TF are set as given).
    void setReg(int r, std::uint8_t v);
    std::uint8_t wordAddress() const { return m_pointer; }

private:
    // Brings the clock up to the bench's time; at most `maxTicks` seconds
    // (the frozen registers keep one pending tick).
    void catchUp(std::uint64_t maxTicks);
    void tick();
    bool alarmMatches() const;
    void checkAlarm();
    void store(int r, std::uint8_t v);
    // The timer's source frequency is timerRate() / timerDivisor() ticks per nanosecond.
    std::uint64_t timerRate() const;
    std::uint64_t timerDivisor() const;

    std::array<std::uint8_t, pcf8563::kRegisterCount> m_regs{};
    std::uint8_t m_pointer = 0;
    bool m_expectAddress = false;
    bool m_inAccess = false;
    bool m_alarmWasMatching = false;
    std::uint8_t m_timerReload = 0;
    bool m_haveTime = false;
    std::uint64_t m_lastNs = 0;
    std::uint64_t m_prescalerNs = 0;   // toward the next second
    unsigned __int128 m_timerPhase = 0; // toward the next timer source tick
};

} // namespace tp::sim
