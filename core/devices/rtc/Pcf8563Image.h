#pragma once
#include "core/common/LocalTime.h"
#include "core/devices/rtc/Pcf8563.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tp {

// What the PCF8563 window holds: the value cell of each of the sixteen
// registers and the controls that show them in engineering terms. Every
// edit rebuilds its register's cell and names the registers to write; a
// register read is shown by its read rule without writing anything.
//
// Weekdays are numbered 1 (SUN) to 7 (SAT) on the window; the chip counts
// 0 (Sunday) to 6, so the weekday registers hold the number minus one. The
// century bit (bit 7 of month/century) is 1 for 19xx and 0 for 20xx; the
// year stays within 1900 to 2099, the years the chip can tell apart.
class Pcf8563Image {
public:
    // Values changed with up/down buttons.
    enum class Spin { Hours, Minutes, Seconds, Day, Month, Year, Weekday, AlarmHours, AlarmMinutes, AlarmDay,
                      AlarmWeekday };
    static constexpr int kSpinCount = 11;
    // Two-state boxes.
    enum class Box { Test1, Stop, TestC, TiTp, Af, Tf, Aie, Tie, Vl, MinuteAlarm, HourAlarm, DayAlarm, WeekdayAlarm,
                     Clkout, Timer };
    static constexpr int kBoxCount = 15;

    // Registers whose cells an edit changed, to be written in one transfer.
    struct Registers {
        int first = 0;
        int count = 0;
        bool empty() const { return count == 0; }
        bool operator==(const Registers&) const = default;
    };

    explicit Pcf8563Image(const DateTime& now);

    std::uint8_t cell(int reg) const { return m_cells.at(static_cast<std::size_t>(reg)); }
    std::string cellText(int reg) const;
    // Cells first .. first + count - 1, as a multi-byte write sends them.
    std::vector<std::uint8_t> cells(Registers r) const;

    int value(Spin s) const { return m_values[index(s)]; }
    struct Range {
        int min;
        int max;
        bool wraps;
    };
    static Range range(Spin s);

    bool checked(Box b) const { return m_checked[index(b)]; }
    const std::string& caption(Box b) const { return m_captions[index(b)]; }
    // The two-line hint of a box ("0: ...", line break, "1: ...").
    static std::string hint(Box b);
    // The register a box belongs to and its bit there.
    static int registerOf(Box b);
    static std::uint8_t maskOf(Box b);

    int clkoutIndex() const { return m_clkoutIndex; }
    int timerIndex() const { return m_timerIndex; }
    std::uint8_t timer() const { return m_timer; }
    static const std::vector<std::string>& clkoutItems();
    static const std::vector<std::string>& timerItems();

    // "SUN" .. "SAT" for the window's numbers 1 .. 7.
    static std::string weekdayName(int number);

    // ---- edits: each returns the registers to write (none when nothing changed)
    // One step up (+1) or down (-1). Clock and date values stop at their
    // limits; the weekdays go round.
    Registers step(Spin s, int direction);
    Registers setBox(Box b, bool checked);
    Registers setClkoutIndex(int index);
    Registers setTimerIndex(int index);
    Registers setTimer(std::uint8_t value);
    // The clock and calendar at `now` (weekday and century bit with them):
    // seconds through years, to be written in one transfer.
    Registers setTime(const DateTime& now);

    // ---- reads
    void showRead(int reg, std::uint8_t value);
    // Consecutive registers from `first` (wrapping after 0F), shown in that
    // order, so month/century is in place before the years are read.
    void showRead(int first, std::span<const std::uint8_t> values);

private:
    static std::size_t index(Spin s) { return static_cast<std::size_t>(s); }
    static std::size_t index(Box b) { return static_cast<std::size_t>(b); }
    void setCell(int reg, std::uint8_t v) { m_cells[static_cast<std::size_t>(reg)] = v; }
    void setChecked(Box b, bool on, const std::string& caption);
    std::uint8_t disabledBit(Box b) const;
    Registers rebuild(Spin s);
    Registers rebuildClkout(const char* active, const char* inactive);
    Registers rebuildTimerControl();

    std::array<std::uint8_t, pcf8563::kRegisterCount> m_cells{};
    std::array<int, kSpinCount> m_values{};
    std::array<bool, kBoxCount> m_checked{};
    std::array<std::string, kBoxCount> m_captions;
    int m_clkoutIndex = 0;
    int m_timerIndex = 3;
    std::uint8_t m_timer = 0xFF;
    std::uint8_t m_controlStatus1 = 0; // bits 7, 5, 3
    std::uint8_t m_controlStatus2 = 0; // bits 4..0
};

} // namespace tp
