#pragma once
#include "core/devices/rtc/Pcf8563Image.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <array>

class AutoWriteToggle;
class BackgroundPoll;
class ClockFace;
class HexField;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLCDNumber;
class QPushButton;
class QTableWidget;
class UpDown;

// The PCF8563 real-time clock/calendar at its fixed address 0xA2: the
// sixteen registers in a table and, beside it, the clock, the date, the
// alarms, CLKOUT, the timer and the flag bits. Every edit rebuilds its
// register's value cell and, with Auto Write on, writes it at once; every
// read is shown through the register's read rule without writing anything.
// The window starts from the computer's date and time.
class TfrmPCF8563 : public TChildForm {
    Q_OBJECT
public:
    using Spin = tp::Pcf8563Image::Spin;
    using Box = tp::Pcf8563Image::Box;
    using Registers = tp::Pcf8563Image::Registers;

    explicit TfrmPCF8563(TfrmMain& main, QWidget* parent = nullptr);

    const tp::Pcf8563Image& image() const { return m_image; }
    int activeRegister() const { return m_active; }
    ChipLink& link() { return m_link; }

public slots:
    void spnSecondsUpClick() { spinClick(Spin::Seconds, +1); }
    void spnSecondsDownClick() { spinClick(Spin::Seconds, -1); }
    void spnMinutesUpClick() { spinClick(Spin::Minutes, +1); }
    void spnMinutesDownClick() { spinClick(Spin::Minutes, -1); }
    void spnHoursUpClick() { spinClick(Spin::Hours, +1); }
    void spnHoursDownClick() { spinClick(Spin::Hours, -1); }
    void spnDayUpClick() { spinClick(Spin::Day, +1); }
    void spnDayDownClick() { spinClick(Spin::Day, -1); }
    void spnMonthUpClick() { spinClick(Spin::Month, +1); }
    void spnMonthDownClick() { spinClick(Spin::Month, -1); }
    void spnYearUpClick() { spinClick(Spin::Year, +1); }
    void spnYearDownClick() { spinClick(Spin::Year, -1); }
    void spnWeekdayUpClick() { spinClick(Spin::Weekday, +1); }
    void spnWeekdayDownClick() { spinClick(Spin::Weekday, -1); }
    void spnAlarmMinutesUpClick() { spinClick(Spin::AlarmMinutes, +1); }
    void spnAlarmMinutesDownClick() { spinClick(Spin::AlarmMinutes, -1); }
    void spnAlarmHoursUpClick() { spinClick(Spin::AlarmHours, +1); }
    void spnAlarmHoursDownClick() { spinClick(Spin::AlarmHours, -1); }
    void spnAlarmDayUpClick() { spinClick(Spin::AlarmDay, +1); }
    void spnAlarmDayDownClick() { spinClick(Spin::AlarmDay, -1); }
    void spnAlarmWeekdayUpClick() { spinClick(Spin::AlarmWeekday, +1); }
    void spnAlarmWeekdayDownClick() { spinClick(Spin::AlarmWeekday, -1); }

    void chbRegister0Click(Box box);
    void chbRegister1Click(Box box);
    void chbVLClick();
    void chbMinuteAlarmClick() { alarmBoxClick(Box::MinuteAlarm); }
    void chbHourAlarmClick() { alarmBoxClick(Box::HourAlarm); }
    void chbDayAlarmClick() { alarmBoxClick(Box::DayAlarm); }
    void chbWeekdayAlarmClick() { alarmBoxClick(Box::WeekdayAlarm); }
    void cmbCLKOUTChange();
    void cmbTimerChange();
    void edtTimerChange();
    void edtTimerExit();
    void stgRegistersSelectCell(int row);

    void btnReadTimeClick();
    void btnReadDateClick();
    void btnReadRegisterClick();
    void btnWriteRegisterClick();
    void btnReadAllClick();
    void btnWriteAllClick();
    void btnSetPCTimeClick();
    void btnWatchClick(bool on);

private:
    QWidget* buildControls();
    QWidget* buildRegisterPanel();
    QGroupBox* group(const QString& title, const QString& name);
    QCheckBox* box(Box b, const QString& name, QWidget* parent);
    UpDown* spin(Spin s, const QString& name, QWidget* parent, void (TfrmPCF8563::*up)(),
                 void (TfrmPCF8563::*down)());
    QLCDNumber* display(const QString& name, int digits, QWidget* parent);
    QPushButton* button(const QString& name, const QString& caption, const QString& hint, QWidget* parent);

    void spinClick(Spin s, int direction);
    void alarmBoxClick(Box b);
    // Shows the image in every control but the timer field, then writes the
    // registers an edit changed while Auto Write is on.
    void edited(Registers r);
    void refresh();
    void writeRegisters(Registers r);
    tp::Status readRegisters(int first, int count);

    tp::Pcf8563Image m_image;
    ChipLink m_link;
    int m_active = 0;

    std::array<QCheckBox*, tp::Pcf8563Image::kBoxCount> m_boxes{};
    std::array<QLCDNumber*, tp::Pcf8563Image::kSpinCount> m_displays{};
    ClockFace* m_clock = nullptr;
    ClockFace* m_alarmClock = nullptr;
    QLabel* lblWeekday = nullptr;
    QLabel* lblAlarmWeekday = nullptr;
    QComboBox* cmbCLKOUT = nullptr;
    QComboBox* cmbTimer = nullptr;
    HexField* edtTimer = nullptr;
    QTableWidget* stgRegisters = nullptr;
    QLabel* lblActive = nullptr;
    QPushButton* btnReadTime = nullptr;
    QPushButton* btnReadDate = nullptr;
    QPushButton* btnReadRegister = nullptr;
    QPushButton* btnWriteRegister = nullptr;
    QPushButton* btnReadAll = nullptr;
    QPushButton* btnWriteAll = nullptr;
    QPushButton* btnSetPCTime = nullptr;
    QPushButton* btnWatch = nullptr;
    BackgroundPoll* m_watch = nullptr;
    QCheckBox* chbAutoWrite = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
};
