// The PCF8563 window's register image: creation, edits and read rules.
#include "core/common/HexText.h"
#include "core/devices/rtc/Pcf8563Image.h"

#include <QtTest>

using namespace tp;
using Spin = Pcf8563Image::Spin;
using Box = Pcf8563Image::Box;
using Registers = Pcf8563Image::Registers;

Q_DECLARE_METATYPE(tp::DateTime)

namespace {

// 2024-01-07 13:05:09 was a Sunday.
const DateTime kSunday{2024, 1, 7, 13, 5, 9, 0};
// 1999-08-20 10:00:00, a Friday: the century bit is set.
const DateTime kAugust1999{1999, 8, 20, 10, 0, 0, 5};

QString cellsOf(const Pcf8563Image& img)
{
    QStringList out;
    for (int r = 0; r < 16; ++r)
        out << QString::fromStdString(img.cellText(r));
    return out.join(' ');
}

QString flag(const Pcf8563Image& img, Box b)
{
    return QString::fromStdString(img.caption(b)) + (img.checked(b) ? "[x]" : "[ ]");
}

// What the controls of one register show, in one line.
QString shown(const Pcf8563Image& img, int reg)
{
    const auto v = [&](Spin s) { return QString::number(img.value(s)); };
    const auto day = [&](Spin s) { return QString::fromStdString(Pcf8563Image::weekdayName(img.value(s))); };
    switch (reg) {
    case 0:
        return flag(img, Box::Test1) + " " + flag(img, Box::Stop) + " " + flag(img, Box::TestC);
    case 1:
        return flag(img, Box::TiTp) + " " + flag(img, Box::Af) + " " + flag(img, Box::Tf) + " " + flag(img, Box::Aie) +
               " " + flag(img, Box::Tie);
    case 2:
        return v(Spin::Seconds) + " s, " + flag(img, Box::Vl);
    case 3:
        return v(Spin::Minutes) + " min";
    case 4:
        return v(Spin::Hours) + " h";
    case 5:
        return "day " + v(Spin::Day);
    case 6:
        return v(Spin::Weekday) + " " + day(Spin::Weekday);
    case 7:
        return "month " + v(Spin::Month);
    case 8:
        return "year " + v(Spin::Year);
    case 9:
        return v(Spin::AlarmMinutes) + " min, " + flag(img, Box::MinuteAlarm);
    case 10:
        return v(Spin::AlarmHours) + " h, " + flag(img, Box::HourAlarm);
    case 11:
        return "day " + v(Spin::AlarmDay) + ", " + flag(img, Box::DayAlarm);
    case 12:
        return day(Spin::AlarmWeekday) + ", " + flag(img, Box::WeekdayAlarm);
    case 13:
        return QString::fromStdString(Pcf8563Image::clkoutItems().at(std::size_t(img.clkoutIndex()))) + ", " +
               flag(img, Box::Clkout);
    case 14:
        return QString::fromStdString(Pcf8563Image::timerItems().at(std::size_t(img.timerIndex()))) + ", " +
               flag(img, Box::Timer);
    default:
        return "timer " + QString::fromStdString(byteText(img.timer()));
    }
}

Spin spinNamed(const QString& n)
{
    static const QMap<QString, Spin> m{{"Hours", Spin::Hours},           {"Minutes", Spin::Minutes},
                                       {"Seconds", Spin::Seconds},       {"Day", Spin::Day},
                                       {"Month", Spin::Month},           {"Year", Spin::Year},
                                       {"Weekday", Spin::Weekday},       {"AlarmHours", Spin::AlarmHours},
                                       {"AlarmMinutes", Spin::AlarmMinutes}, {"AlarmDay", Spin::AlarmDay},
                                       {"AlarmWeekday", Spin::AlarmWeekday}};
    if (!m.contains(n))
        qFatal("no spin %s", qPrintable(n));
    return m.value(n);
}

Box boxNamed(const QString& n)
{
    static const QMap<QString, Box> m{{"Test1", Box::Test1}, {"Stop", Box::Stop}, {"TestC", Box::TestC},
                                      {"TiTp", Box::TiTp},   {"Af", Box::Af},     {"Tf", Box::Tf},
                                      {"Aie", Box::Aie},     {"Tie", Box::Tie},   {"Vl", Box::Vl},
                                      {"MinuteAlarm", Box::MinuteAlarm}, {"HourAlarm", Box::HourAlarm},
                                      {"DayAlarm", Box::DayAlarm}, {"WeekdayAlarm", Box::WeekdayAlarm},
                                      {"Clkout", Box::Clkout}, {"Timer", Box::Timer}};
    if (!m.contains(n))
        qFatal("no box %s", qPrintable(n));
    return m.value(n);
}

// Runs "up Seconds; box Vl 1; read 04 3F; clkout 3; timerSource 2; timer 12"
// and gives the registers the last edit named, as "07+2" or "none".
QString run(Pcf8563Image& img, const QString& script)
{
    Registers last;
    for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
        const QStringList w = step.simplified().split(' ');
        if (w[0] == "up" || w[0] == "down")
            last = img.step(spinNamed(w[1]), w[0] == "up" ? 1 : -1);
        else if (w[0] == "box")
            last = img.setBox(boxNamed(w[1]), w[2] == "1");
        else if (w[0] == "clkout")
            last = img.setClkoutIndex(w[1].toInt());
        else if (w[0] == "timerSource")
            last = img.setTimerIndex(w[1].toInt());
        else if (w[0] == "timer")
            last = img.setTimer(std::uint8_t(w[1].toInt(nullptr, 16)));
        else if (w[0] == "read")
            img.showRead(w[1].toInt(nullptr, 16), std::uint8_t(w[2].toInt(nullptr, 16)));
        else
            qFatal("bad step %s", qPrintable(step));
    }
    if (last.empty())
        return "none";
    return QString::fromStdString(byteText(std::uint8_t(last.first))) + "+" + QString::number(last.count);
}

} // namespace

class TestRtcImage : public QObject {
    Q_OBJECT
private slots:
    void creation_data();
    void creation();
    void readRules_data();
    void readRules();
    void readOfYearsUsesCenturyBitShown();
    void edits_data();
    void edits();
    void hintsAndItems();
};

void TestRtcImage::creation_data()
{
    QTest::addColumn<DateTime>("now");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<QString>("weekday");
    QTest::newRow("Sunday 2024-01-07 13:05:09: weekday 0")
        << kSunday << "00 00 09 05 13 07 00 01 24 80 80 87 80 80 03 FF" << "1 SUN";
    QTest::newRow("Friday 1999-12-31 23:59:59: century bit")
        << DateTime{1999, 12, 31, 23, 59, 59, 5} << "00 00 59 59 23 31 05 92 99 80 80 B1 85 80 03 FF" << "6 FRI";
    QTest::newRow("Saturday 2000-01-01") << DateTime{2000, 1, 1, 0, 0, 0, 6}
                                         << "00 00 00 00 00 01 06 01 00 80 80 81 86 80 03 FF" << "7 SAT";
}

void TestRtcImage::creation()
{
    QFETCH(DateTime, now);
    QFETCH(QString, cells);
    QFETCH(QString, weekday);
    const Pcf8563Image img(now);
    QCOMPARE(cellsOf(img), cells);
    QCOMPARE(shown(img, 6), weekday);
    QCOMPARE(img.value(Spin::Hours), now.hour);
    QCOMPARE(img.value(Spin::Minutes), now.minute);
    QCOMPARE(img.value(Spin::Seconds), now.second);
    QCOMPARE(img.value(Spin::Day), now.day);
    QCOMPARE(img.value(Spin::AlarmDay), now.day);
    QCOMPARE(img.value(Spin::Month), now.month);
    QCOMPARE(img.value(Spin::Year), now.year);
    QCOMPARE(img.value(Spin::AlarmWeekday), img.value(Spin::Weekday));
    QCOMPARE(shown(img, 2), QString("%1 s, not guaranteed[ ]").arg(now.second));
    QCOMPARE(shown(img, 9), QString("0 min, Minute Alarm Disabled[x]"));
    QCOMPARE(flag(img, Box::HourAlarm), QString("Hour Alarm Disabled[x]"));
    QCOMPARE(flag(img, Box::DayAlarm), QString("Day Alarm Disabled[x]"));
    QCOMPARE(flag(img, Box::WeekdayAlarm), QString("Weekday Alm Disabled[x]"));
    QCOMPARE(shown(img, 13), QString("32.768 kHz, CLKOUT active[x]"));
    QCOMPARE(shown(img, 14), QString("1/60 Hz, Timer Disabled[ ]"));
    QCOMPARE(shown(img, 15), QString("timer FF"));
    QCOMPARE(shown(img, 0), QString("TEST1[ ] STOP[ ] TESTC[ ]"));
    QCOMPARE(shown(img, 1), QString("TI/TP[ ] AF[ ] TF[ ] AIE[ ] TIE[ ]"));
}

void TestRtcImage::readRules_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("controls");

    QTest::newRow("00 FF") << 0x00 << 0xFF << "A8" << "TEST1[x] STOP[x] TESTC[x]";
    QTest::newRow("00 20") << 0x00 << 0x20 << "20" << "TEST1[ ] STOP[x] TESTC[ ]";
    QTest::newRow("01 FF") << 0x01 << 0xFF << "1F" << "TI/TP[x] AF[x] TF[x] AIE[x] TIE[x]";
    QTest::newRow("01 0A") << 0x01 << 0x0A << "0A" << "TI/TP[ ] AF[x] TF[ ] AIE[x] TIE[ ]";
    QTest::newRow("02 D9: 59 s, VL set") << 0x02 << 0xD9 << "D9" << "59 s, not guaranteed[x]";
    QTest::newRow("02 45") << 0x02 << 0x45 << "45" << "45 s, guaranteed[ ]";
    QTest::newRow("02 3F: nibble above 9") << 0x02 << 0x3F << "3F" << "39 s, guaranteed[ ]";
    QTest::newRow("03 FF") << 0x03 << 0xFF << "7F" << "79 min";
    QTest::newRow("04 3F: no range check") << 0x04 << 0x3F << "3F" << "39 h";
    QTest::newRow("04 E3") << 0x04 << 0xE3 << "23" << "23 h";
    QTest::newRow("05 31") << 0x05 << 0x31 << "31" << "day 31";
    QTest::newRow("06 00: Sunday") << 0x06 << 0x00 << "00" << "1 SUN";
    QTest::newRow("06 01: Monday") << 0x06 << 0x01 << "01" << "2 MON";
    QTest::newRow("06 06: Saturday") << 0x06 << 0x06 << "06" << "7 SAT";
    QTest::newRow("06 0F: 7 shown as Saturday") << 0x06 << 0x0F << "07" << "7 SAT";
    QTest::newRow("07 92") << 0x07 << 0x92 << "92" << "month 12";
    QTest::newRow("07 15: above 12") << 0x07 << 0x15 << "15" << "month 12";
    QTest::newRow("07 E9") << 0x07 << 0xE9 << "89" << "month 9";
    QTest::newRow("08 24, century bit clear") << 0x08 << 0x24 << "24" << "year 2024";
    QTest::newRow("09 80") << 0x09 << 0x80 << "80" << "0 min, Minute Alarm Disabled[x]";
    QTest::newRow("09 45") << 0x09 << 0x45 << "45" << "45 min, Minute Alarm Enabled[ ]";
    QTest::newRow("0A BF: above 23") << 0x0A << 0xBF << "BF" << "23 h, Hour Alarm Disabled[x]";
    QTest::newRow("0A 12") << 0x0A << 0x12 << "12" << "12 h, Hour Alarm Enabled[ ]";
    QTest::newRow("0B 00: 0 as 1") << 0x0B << 0x00 << "00" << "day 1, Day Alarm Enabled[ ]";
    QTest::newRow("0B FF: above 31") << 0x0B << 0xFF << "BF" << "day 31, Day Alarm Disabled[x]";
    QTest::newRow("0C 87") << 0x0C << 0x87 << "87" << "SAT, Weekday Alarm Disabled[x]";
    QTest::newRow("0C 00") << 0x0C << 0x00 << "00" << "SUN, Weekday Alarm Enabled[ ]";
    QTest::newRow("0C 03") << 0x0C << 0x03 << "03" << "WED, Weekday Alarm Enabled[ ]";
    QTest::newRow("0D 01") << 0x0D << 0x01 << "01" << "1024 Hz, CLKOUT Inactive[ ]";
    QTest::newRow("0D 83") << 0x0D << 0x83 << "83" << "1 Hz, CLKOUT Active[x]";
    QTest::newRow("0D FE") << 0x0D << 0xFE << "82" << "32 Hz, CLKOUT Active[x]";
    QTest::newRow("0E 82") << 0x0E << 0x82 << "82" << "1Hz, Timer Enabled[x]";
    QTest::newRow("0E 80") << 0x0E << 0x80 << "80" << "4096 Hz, Timer Enabled[x]";
    QTest::newRow("0E 01") << 0x0E << 0x01 << "01" << "64 Hz, Timer Disabled[ ]";
    QTest::newRow("0F 7F") << 0x0F << 0x7F << "7F" << "timer 7F";
}

void TestRtcImage::readRules()
{
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(QString, cell);
    QFETCH(QString, controls);
    Pcf8563Image img(kSunday);
    const QString before = cellsOf(img);
    img.showRead(reg, std::uint8_t(value));
    QCOMPARE(QString::fromStdString(img.cellText(reg)), cell);
    QCOMPARE(shown(img, reg), controls);
    // No other cell moves.
    QStringList b = before.split(' '), a = cellsOf(img).split(' ');
    b.removeAt(reg);
    a.removeAt(reg);
    QCOMPARE(a, b);
}

void TestRtcImage::readOfYearsUsesCenturyBitShown()
{
    // A date read in one go: month/century is shown before the years.
    Pcf8563Image img(kSunday);
    const std::uint8_t date[] = {0x31, 0x06, 0x92, 0x99};
    img.showRead(0x05, date);
    QCOMPARE(shown(img, 5), QString("day 31"));
    QCOMPARE(shown(img, 6), QString("7 SAT"));
    QCOMPARE(shown(img, 7), QString("month 12"));
    QCOMPARE(shown(img, 8), QString("year 1999"));

    // Register 08 alone goes by the century bit the cell shows.
    img.showRead(0x08, 0x24);
    QCOMPARE(shown(img, 8), QString("year 1924"));
    img.showRead(0x07, 0x12);
    img.showRead(0x08, 0x24);
    QCOMPARE(shown(img, 8), QString("year 2024"));

    // A read running past 0F wraps to 00.
    const std::uint8_t wrap[] = {0x10, 0x08};
    img.showRead(0x0F, wrap);
    QCOMPARE(shown(img, 15), QString("timer 10"));
    QCOMPARE(QString::fromStdString(img.cellText(0)), QString("08"));
}

void TestRtcImage::edits_data()
{
    QTest::addColumn<DateTime>("now");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("reg");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("controls");

    const DateTime nine{2024, 1, 7, 13, 5, 9, 0};
    const DateTime lastSecond{2024, 1, 7, 13, 5, 59, 0};
    QTest::newRow("seconds up from 9") << nine << "up Seconds" << "02+1" << 2 << "10" << "10 s, not guaranteed[ ]";
    QTest::newRow("seconds up from 9, VL checked")
        << nine << "box Vl 1; up Seconds" << "02+1" << 2 << "90" << "10 s, not guaranteed[x]";
    QTest::newRow("VL unchecked") << nine << "box Vl 1; box Vl 0" << "02+1" << 2 << "09" << "9 s, guaranteed[ ]";
    QTest::newRow("seconds up at 59: nothing") << lastSecond << "up Seconds" << "none" << 2 << "59"
                                               << "59 s, not guaranteed[ ]";
    QTest::newRow("hours down at 0: nothing") << DateTime{2024, 1, 7, 0, 0, 0, 0} << "down Hours" << "none" << 4
                                              << "00" << "0 h";
    QTest::newRow("hours read 39, down comes back to 23")
        << kSunday << "read 04 3F; down Hours" << "04+1" << 4 << "23" << "23 h";
    QTest::newRow("hours read 39, up: nothing") << kSunday << "read 04 3F; up Hours" << "none" << 4 << "3F" << "39 h";
    QTest::newRow("day up at 31: nothing") << DateTime{2024, 1, 31, 0, 0, 0, 3} << "up Day" << "none" << 5 << "31"
                                           << "day 31";
    QTest::newRow("day up on 30 Feb allowed") << DateTime{2024, 2, 29, 0, 0, 0, 4} << "up Day" << "05+1" << 5
                                              << "30" << "day 30";
    QTest::newRow("month up keeps the century bit")
        << kAugust1999 << "up Month" << "07+1" << 7 << "89" << "month 9";
    QTest::newRow("month up at 12: nothing") << DateTime{2024, 12, 1, 0, 0, 0, 0} << "up Month" << "none" << 7
                                             << "12" << "month 12";
    QTest::newRow("year 1999 up: month and year together")
        << kAugust1999 << "up Year" << "07+2" << 8 << "00" << "year 2000";
    QTest::newRow("year 2000 down sets the century bit")
        << DateTime{2000, 3, 1, 0, 0, 0, 3} << "down Year" << "07+2" << 7 << "83" << "month 3";
    QTest::newRow("year stops at 2099") << DateTime{2099, 1, 1, 0, 0, 0, 4} << "up Year" << "none" << 8 << "99"
                                        << "year 2099";
    QTest::newRow("year stops at 1900") << DateTime{1900, 1, 1, 0, 0, 0, 1} << "down Year" << "none" << 7 << "81"
                                        << "month 1";
    QTest::newRow("weekday down from SUN gives SAT") << kSunday << "down Weekday" << "06+1" << 6 << "06" << "7 SAT";
    QTest::newRow("weekday up from SAT gives SUN")
        << DateTime{2024, 1, 6, 0, 0, 0, 6} << "up Weekday" << "06+1" << 6 << "00" << "1 SUN";
    QTest::newRow("weekday up from SUN gives MON") << kSunday << "up Weekday" << "06+1" << 6 << "01" << "2 MON";
    QTest::newRow("alarm minutes up, disabled") << kSunday << "up AlarmMinutes" << "09+1" << 9 << "81"
                                                << "1 min, Minute Alarm Disabled[x]";
    QTest::newRow("minute alarm enabled") << kSunday << "up AlarmMinutes; box MinuteAlarm 0" << "09+1" << 9 << "01"
                                          << "1 min, Minute Alarm Enabled[ ]";
    QTest::newRow("hour alarm enabled, hours down at 0") << kSunday << "box HourAlarm 0; down AlarmHours" << "none"
                                                         << 10 << "00" << "0 h, Hour Alarm Enabled[ ]";
    QTest::newRow("alarm hours up to 23 and no further")
        << kSunday << "read 0A 22; up AlarmHours; up AlarmHours" << "none" << 10 << "23"
        << "23 h, Hour Alarm Enabled[ ]";
    QTest::newRow("alarm day down, disabled") << kSunday << "down AlarmDay" << "0B+1" << 11 << "86"
                                              << "day 6, Day Alarm Disabled[x]";
    QTest::newRow("alarm weekday down from SUN") << kSunday << "down AlarmWeekday" << "0C+1" << 12 << "86"
                                                 << "SAT, Weekday Alm Disabled[x]";
    QTest::newRow("weekday alarm enabled") << kSunday << "box WeekdayAlarm 0" << "0C+1" << 12 << "00"
                                           << "SUN, Weekday Alm Enabled[ ]";
    QTest::newRow("CLKOUT off with 1 Hz") << kSunday << "clkout 3; box Clkout 0" << "0D+1" << 13 << "03"
                                          << "1 Hz, CLKOUT inactive[ ]";
    QTest::newRow("CLKOUT list after a read") << kSunday << "read 0D 83; clkout 1" << "0D+1" << 13 << "81"
                                              << "1024 Hz, CLKOUT active[x]";
    QTest::newRow("timer enabled at 1Hz") << kSunday << "timerSource 2; box Timer 1" << "0E+1" << 14 << "82"
                                          << "1Hz, Timer Enabled[x]";
    QTest::newRow("timer source while disabled") << kSunday << "timerSource 0" << "0E+1" << 14 << "00"
                                                 << "4096 Hz, Timer Disabled[ ]";
    QTest::newRow("timer value") << kSunday << "timer 3C" << "0F+1" << 15 << "3C" << "timer 3C";
    QTest::newRow("STOP") << kSunday << "box Stop 1" << "00+1" << 0 << "20" << "TEST1[ ] STOP[x] TESTC[ ]";
    QTest::newRow("TEST1 and TESTC, then STOP off")
        << kSunday << "box Test1 1; box TestC 1; box Stop 1; box Stop 0" << "00+1" << 0 << "88"
        << "TEST1[x] STOP[ ] TESTC[x]";
    QTest::newRow("AF then TIE") << kSunday << "box Af 1; box Tie 1" << "01+1" << 1 << "09"
                                 << "TI/TP[ ] AF[x] TF[ ] AIE[ ] TIE[x]";
    QTest::newRow("a read sets the copy the boxes change")
        << kSunday << "read 01 FF; box Af 0" << "01+1" << 1 << "17" << "TI/TP[x] AF[ ] TF[x] AIE[x] TIE[x]";
    QTest::newRow("a read of 00 sets its copy") << kSunday << "read 00 FF; box TestC 0" << "00+1" << 0 << "A0"
                                                << "TEST1[x] STOP[x] TESTC[ ]";
    QTest::newRow("VL from a read seconds value") << kSunday << "read 02 D9; box Vl 0" << "02+1" << 2 << "59"
                                                  << "59 s, guaranteed[ ]";
}

void TestRtcImage::edits()
{
    QFETCH(DateTime, now);
    QFETCH(QString, script);
    QFETCH(QString, written);
    QFETCH(int, reg);
    QFETCH(QString, cell);
    QFETCH(QString, controls);
    Pcf8563Image img(now);
    QCOMPARE(run(img, script), written);
    QCOMPARE(QString::fromStdString(img.cellText(reg)), cell);
    QCOMPARE(shown(img, reg), controls);
}

void TestRtcImage::hintsAndItems()
{
    QCOMPARE(QString::fromStdString(Pcf8563Image::hint(Box::Vl)),
             QString("0: clock integrity is guaranteed\n1: integrity of the clock information is no longer guaranteed"));
    QCOMPARE(QString::fromStdString(Pcf8563Image::hint(Box::TiTp)),
             QString("0 INT is active when TF is active (subject to the status of TIE)\n1 INT pulses active"));
    QCOMPARE(QString::fromStdString(Pcf8563Image::hint(Box::Timer)),
             QString("0: timer is disabled\n1: timer is enabled"));
    QCOMPARE(Pcf8563Image::registerOf(Box::WeekdayAlarm), 0x0C);
    QCOMPARE(int(Pcf8563Image::maskOf(Box::Tf)), 0x04);
    Pcf8563Image img(kSunday);
    QCOMPARE(img.cells({0x07, 2}), (std::vector<std::uint8_t>{0x01, 0x24}));
    QCOMPARE(img.cells({0x0F, 2}), (std::vector<std::uint8_t>{0xFF, 0x00}));
}

QTEST_APPLESS_MAIN(TestRtcImage)
#include "tst_rtc_image.moc"
