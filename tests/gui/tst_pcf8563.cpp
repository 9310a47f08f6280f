#include "core/common/HexText.h"
#include "core/common/LocalTime.h"
#include "core/sim/Pcf8563Chip.h"
#include "gui/common/BackgroundPoll.h"
#include "gui/common/HexField.h"
#include "gui/devices/rtc/ClockFace.h"
#include "gui/devices/rtc/PCF8563.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

using tp::DateTime;
using tp::sim::Fault;
using tp::sim::Pcf8563Chip;

Q_DECLARE_METATYPE(tp::DateTime)

namespace {

const QString kEntry = QStringLiteral("Real Time Clocks/PCF8563");
const DateTime kSunday{2024, 1, 7, 13, 5, 9, 0};         // a Sunday
const DateTime kAugust1999{1999, 8, 20, 10, 0, 0, 5};    // century bit set
const DateTime kLastSecond{1999, 12, 31, 23, 59, 59, 5}; // a Friday

// The window on a bench with a PCF8563 at 0xA2, made at a fixed moment.
struct Rig {
    TestBench bench;
    Pcf8563Chip* chip;
    TfrmPCF8563* w = nullptr;

    explicit Rig(const DateTime& now = kSunday)
    {
        tp::setLocalNowSource([now] { return now; });
        chip = static_cast<Pcf8563Chip*>(&bench.sim->place(0xA2, std::make_unique<Pcf8563Chip>()));
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmPCF8563*>(bench.main->windowReference("TfrmPCF8563"));
        bench.clearLog();
    }
    ~Rig() { tp::setLocalNowSource({}); }

    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QTableWidget* table() { return c<QTableWidget>("stgRegisters"); }
    QString cells()
    {
        QStringList out;
        for (int r = 0; r < 16; ++r)
            out << table()->item(r, 1)->text();
        return out.join(' ');
    }
    int lcd(const QString& name) { return c<QLCDNumber>(name)->intValue(); }
    QString box(const QString& name)
    {
        auto* b = c<QCheckBox>(name);
        return b->text() + (b->isChecked() ? "[x]" : "[ ]");
    }
    void click(const QString& name)
    {
        if (auto* b = w->findChild<QAbstractButton*>(name)) {
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
            return;
        }
        qFatal("no button %s", qPrintable(name));
    }
    void selectRegister(int r)
    {
        QTableWidget* t = table();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->item(r, 0)).center());
    }
    void autoWrite() { click("chbAutoWrite"); }
    // "click X; choose cmbX 3; type edtX 3c"
    void run(const QString& script)
    {
        for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
            const QStringList s = step.simplified().split(' ');
            if (s[0] == "click") {
                click(s[1]);
            } else if (s[0] == "choose") {
                auto* cmb = c<QComboBox>(s[1]);
                cmb->setCurrentIndex(s[2].toInt());
                emit cmb->activated(s[2].toInt());
            } else if (s[0] == "type") {
                auto* f = c<HexField>(s[1]);
                f->selectAll();
                QTest::keyClicks(f, s[2]);
            } else {
                qFatal("bad step %s", qPrintable(step));
            }
        }
    }
};

} // namespace

class TestPcf8563 : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheComputersClock();
    void benchPlacesAClockForTheWindow();
    void readDateShowsMonthBeforeYear();
    void readRegisterShowsByReadRule_data();
    void readRegisterShowsByReadRule();
    void editsWriteWithAutoWriteOnly_data();
    void editsWriteWithAutoWriteOnly();
    void writeRegisterWritesTheActiveCell();
    void writeAllThenTheBenchClockRollsOverTheCentury();
    void alarmOnTheBenchShowsAfAfterARead();
    void failedTransfersChangeNothing();
    void timerFieldTakesHexOnly();
    void reopenStartsAfresh();
    void layoutFitsWideAndTiled();
    void tabOrderFollowsTheLayout();
    void setToPcTimeWritesNowInOneTransfer_data();
    void setToPcTimeWritesNowInOneTransfer();
    void watchFollowsTheChipUntilStopped();
};

void TestPcf8563::opensFromTheComputersClock()
{
    Rig r;
    QVERIFY(r.w);
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCF8563 Real time clock/calendar"));
    QVERIFY(qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->isMaximized());
    QVERIFY(!r.w->maximiseOnActivate());
    QCOMPARE(int(r.bench.state->context("TfrmPCF8563").address[0]), 0xA2);
    QVERIFY(r.bench.transfers().isEmpty()); // nothing reaches the chip

    // Weekday register 0 for a Sunday; 0C holds it with the alarm off.
    QCOMPARE(r.cells(), QStringLiteral("00 00 09 05 13 07 00 01 24 80 80 87 80 80 03 FF"));
    QStringList names, rows;
    for (int i = 0; i < 16; ++i) {
        names << r.table()->item(i, 0)->text();
        rows << r.table()->verticalHeaderItem(i)->text();
    }
    QCOMPARE(names, (QStringList{"control/status 1", "control/status 2", "seconds", "minutes", "hours", "day",
                                 "weekdays", "month/century", "years", "minute alarm", "hour alarm", "day alarm",
                                 "weekday alarm", "CLKOUT control", "timer control", "timer"}));
    QCOMPARE(rows.first(), QStringLiteral("00"));
    QCOMPARE(rows.last(), QStringLiteral("0F"));
    QCOMPARE(r.table()->horizontalHeaderItem(0)->text(), QStringLiteral("Name"));
    QCOMPARE(r.table()->horizontalHeaderItem(1)->text(), QStringLiteral("Value"));
    QCOMPARE(r.table()->item(2, 1)->textAlignment(), int(Qt::AlignCenter));

    QCOMPARE(r.lcd("LEDhours"), 13);
    QCOMPARE(r.lcd("LEDminutes"), 5);
    QCOMPARE(r.lcd("LEDseconds"), 9);
    QCOMPARE(r.c<ClockFace>("ClockFace")->hours(), 13);
    QCOMPARE(r.lcd("LEDday"), 7);
    QCOMPARE(r.lcd("LEDalarmday"), 7);
    QCOMPARE(r.lcd("LEDmonth"), 1);
    QCOMPARE(r.lcd("LEDyear"), 2024);
    QCOMPARE(r.c<QLabel>("lblWeekday")->text(), QStringLiteral("SUN"));
    QCOMPARE(r.c<QLabel>("lblAlarmWeekday")->text(), QStringLiteral("SUN"));
    QCOMPARE(r.c<QLabel>("lblActive")->text(), QStringLiteral("Active Register = 0x00"));

    QCOMPARE(r.box("chbVL"), QStringLiteral("not guaranteed[ ]"));
    QCOMPARE(r.box("chbMinuteAlarm"), QStringLiteral("Minute Alarm Disabled[x]"));
    QCOMPARE(r.box("chbHourAlarm"), QStringLiteral("Hour Alarm Disabled[x]"));
    QCOMPARE(r.box("chbDayAlarm"), QStringLiteral("Day Alarm Disabled[x]"));
    QCOMPARE(r.box("chbWeekdayAlarm"), QStringLiteral("Weekday Alm Disabled[x]"));
    QCOMPARE(r.box("chbCLKOUT"), QStringLiteral("CLKOUT active[x]"));
    QCOMPARE(r.box("chbTimerDisable"), QStringLiteral("Timer Disabled[ ]"));
    QCOMPARE(r.box("chbAutoWrite"), QStringLiteral("Auto Write[ ]"));
    const QStringList flags{"chbTEST1", "chbSTOP", "chbTESTC", "chbTI", "chbAF", "chbTF", "chbAIE", "chbTIE"};
    const QStringList captions{"TEST1", "STOP", "TESTC", "TI/TP", "AF", "TF", "AIE", "TIE"};
    for (int i = 0; i < flags.size(); ++i)
        QCOMPARE(r.box(flags[i]), captions[i] + "[ ]");
    QVERIFY(r.c<QCheckBox>("chbTEST1")->font().bold());
    QVERIFY(!r.c<QCheckBox>("chbSTOP")->font().bold());
    QCOMPARE(r.c<QCheckBox>("chbSTOP")->toolTip(), QStringLiteral("0: RTC source clock runs\n1: the RTC clock is stopped"));
    QCOMPARE(r.c<QCheckBox>("chbAF")->toolTip(), QStringLiteral("0 alarm flag inactive\n1 alarm flag active"));
    QCOMPARE(r.c<QCheckBox>("chbCLKOUT")->toolTip(),
             QStringLiteral("0: the CLKOUT output is inhibited\n1: the CLKOUT output is activated"));

    auto* clkout = r.c<QComboBox>("cmbCLKOUT");
    QCOMPARE(clkout->currentText(), QStringLiteral("32.768 kHz"));
    QCOMPARE(clkout->itemText(3), QStringLiteral("1 Hz"));
    auto* timer = r.c<QComboBox>("cmbTimer");
    QCOMPARE(timer->currentText(), QStringLiteral("1/60 Hz"));
    QCOMPARE(timer->itemText(2), QStringLiteral("1Hz"));
    QCOMPARE(r.c<HexField>("edtTimer")->text(), QStringLiteral("FF"));

    QStringList groups;
    for (QGroupBox* g : r.w->findChildren<QGroupBox*>())
        groups << g->title();
    for (const char* g : {"Control/Status 1", "Clock Time", "Set Alarm Time", "CLKOUT control", "Timer Control",
                          "Control/Status 2", "Clock Date", "Alarm Date"})
        QVERIFY2(groups.contains(QString::fromUtf8(g)), g);
    QStringList labels;
    for (QLabel* l : r.w->findChildren<QLabel*>())
        labels << l->text();
    for (const char* l : {"Hour  Min.  Sec", "Hour  Min.", "Day", "Month", "Year", "Timer", "Frequency", "Clock integrity"})
        QVERIFY2(labels.contains(QString::fromUtf8(l)), l);
    const QList<QPair<QString, QString>> buttons{{"btnReadTime", "Read Time"},     {"btnReadDate", "Read Date"},
                                                 {"btnReadRegister", "Read Register"}, {"btnWriteRegister", "Write Register"},
                                                 {"btnReadAll", "Read All"},       {"btnWriteAll", "Write All"}};
    for (const auto& [name, caption] : buttons)
        QCOMPARE(r.c<QPushButton>(name)->text(), caption);
    QCOMPARE(r.c<QPushButton>("btnReadRegister")->toolTip(), QStringLiteral("Read active register"));
    QCOMPARE(r.c<QPushButton>("btnWriteAll")->toolTip(), QStringLiteral("Write all clock registers"));
    QVERIFY(r.w->childMenus().isEmpty()); // no File menu of its own
}

void TestPcf8563::benchPlacesAClockForTheWindow()
{
    tp::setLocalNowSource([] { return kSunday; });
    TestBench bench;
    bench.main->deviceAction(kEntry)->trigger();
    auto* w = bench.main->windowReference("TfrmPCF8563");
    QTest::mouseClick(child<QPushButton>(w, "btnReadAll"), Qt::LeftButton);
    tp::setLocalNowSource({});
    QCOMPARE(bench.transfers(), (QStringList{"W A2 00", "Sr R A2 08 00 80 00 00 01 06 01 00 80 80 80 80 80 03 00"}));
    QVERIFY(bench.sim->chipAt<Pcf8563Chip>(0xA2));
    QCOMPARE(child<QCheckBox>(w, "chbVL")->text(), QStringLiteral("not guaranteed")); // power-on: VL set
    QVERIFY(child<QCheckBox>(w, "chbVL")->isChecked());
}

void TestPcf8563::readDateShowsMonthBeforeYear()
{
    Rig r;
    for (auto [reg, v] : {std::pair{5, 0x31}, {6, 0x06}, {7, 0x92}, {8, 0x99}})
        r.chip->setReg(reg, std::uint8_t(v));
    r.click("btnReadDate");
    QCOMPARE(r.bench.transfers(), (QStringList{"W A2 05", "Sr R A2 31 06 92 99"}));
    QCOMPARE(r.lcd("LEDday"), 31);
    QCOMPARE(r.lcd("LEDmonth"), 12);
    QCOMPARE(r.lcd("LEDyear"), 1999);
    QCOMPARE(r.c<QLabel>("lblWeekday")->text(), QStringLiteral("SAT"));
    QCOMPARE(r.cells(), QStringLiteral("00 00 09 05 13 31 06 92 99 80 80 87 80 80 03 FF"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));

    r.chip->setReg(2, 0xD9);
    r.chip->setReg(3, 0x7F);
    r.chip->setReg(4, 0x3F);
    r.bench.clearLog();
    r.click("btnReadTime");
    QCOMPARE(r.bench.transfers(), (QStringList{"W A2 02", "Sr R A2 D9 7F 3F"}));
    QCOMPARE(r.lcd("LEDseconds"), 59);
    QCOMPARE(r.lcd("LEDminutes"), 79);
    QCOMPARE(r.lcd("LEDhours"), 39);
    QCOMPARE(r.box("chbVL"), QStringLiteral("not guaranteed[x]"));
}

void TestPcf8563::readRegisterShowsByReadRule_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shows");
    QTest::newRow("02 D9: VL set, 59 s") << 2 << 0xD9 << "D9" << "chbVL" << "not guaranteed[x]";
    QTest::newRow("0D 01") << 13 << 0x01 << "01" << "chbCLKOUT" << "CLKOUT Inactive[ ] 1024 Hz";
    QTest::newRow("0D 83") << 13 << 0x83 << "83" << "chbCLKOUT" << "CLKOUT Active[x] 1 Hz";
    QTest::newRow("0E 82") << 14 << 0x82 << "82" << "chbTimerDisable" << "Timer Enabled[x] 1Hz";
    QTest::newRow("0A BF") << 10 << 0xBF << "BF" << "chbHourAlarm" << "Hour Alarm Disabled[x] 23";
    QTest::newRow("0B 00") << 11 << 0x00 << "00" << "chbDayAlarm" << "Day Alarm Enabled[ ] 1";
    QTest::newRow("0C 02") << 12 << 0x02 << "02" << "chbWeekdayAlarm" << "Weekday Alarm Enabled[ ] TUE";
    QTest::newRow("00 FF") << 0 << 0xFF << "A8" << "chbSTOP" << "STOP[x]";
    QTest::newRow("01 0C") << 1 << 0x0C << "0C" << "chbTF" << "TF[x]";
    QTest::newRow("0F 7F") << 15 << 0x7F << "7F" << "edtTimer" << "7F";
}

void TestPcf8563::readRegisterShowsByReadRule()
{
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(QString, cell);
    QFETCH(QString, control);
    QFETCH(QString, shows);
    Rig r;
    r.chip->setReg(reg, std::uint8_t(value));
    r.autoWrite(); // a read shows, it never writes back
    r.selectRegister(reg);
    QCOMPARE(r.c<QLabel>("lblActive")->text(),
             QStringLiteral("Active Register = 0x") + QString::fromStdString(tp::byteText(std::uint8_t(reg))));
    r.click("btnReadRegister");
    const QString rr = QString::fromStdString(tp::byteText(std::uint8_t(reg)));
    QCOMPARE(r.bench.transfers(), (QStringList{"W A2 " + rr, "Sr R A2 " + cell}));
    QCOMPARE(r.table()->item(reg, 1)->text(), cell);
    QString shown;
    if (control == "edtTimer") {
        shown = r.c<HexField>(control)->text();
    } else {
        shown = r.box(control);
        if (reg == 13)
            shown += " " + r.c<QComboBox>("cmbCLKOUT")->currentText();
        if (reg == 14)
            shown += " " + r.c<QComboBox>("cmbTimer")->currentText();
        if (reg == 10)
            shown += " " + QString::number(r.lcd("LEDalarmHours"));
        if (reg == 11)
            shown += " " + QString::number(r.lcd("LEDalarmday"));
        if (reg == 12)
            shown += " " + r.c<QLabel>("lblAlarmWeekday")->text();
    }
    QCOMPARE(shown, shows);
}

void TestPcf8563::editsWriteWithAutoWriteOnly_data()
{
    QTest::addColumn<DateTime>("now");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("cells");

    QTest::newRow("seconds up from 9") << kSunday << "click spnSecondsUp" << QStringList{"W A2 02 10"}
                                       << "00 00 10 05 13 07 00 01 24 80 80 87 80 80 03 FF";
    QTest::newRow("VL, then seconds up") << kSunday << "click chbVL; click spnSecondsUp"
                                         << QStringList{"W A2 02 89", "W A2 02 90"}
                                         << "00 00 90 05 13 07 00 01 24 80 80 87 80 80 03 FF";
    QTest::newRow("year 1999 up: month/century and years in one transfer")
        << kAugust1999 << "click spnYearUp" << QStringList{"W A2 07 08 00"}
        << "00 00 00 00 10 20 05 08 00 80 80 A0 85 80 03 FF";
    QTest::newRow("month up keeps the century bit") << kAugust1999 << "click spnMonthUp" << QStringList{"W A2 07 89"}
                                                    << "00 00 00 00 10 20 05 89 99 80 80 A0 85 80 03 FF";
    QTest::newRow("weekday down from SUN") << kSunday << "click spnWeekdayDown" << QStringList{"W A2 06 06"}
                                           << "00 00 09 05 13 07 06 01 24 80 80 87 80 80 03 FF";
    QTest::newRow("1 Hz, then CLKOUT off") << kSunday << "choose cmbCLKOUT 3; click chbCLKOUT"
                                           << QStringList{"W A2 0D 83", "W A2 0D 03"}
                                           << "00 00 09 05 13 07 00 01 24 80 80 87 80 03 03 FF";
    QTest::newRow("timer on at 1Hz") << kSunday << "choose cmbTimer 2; click chbTimerDisable"
                                     << QStringList{"W A2 0E 02", "W A2 0E 82"}
                                     << "00 00 09 05 13 07 00 01 24 80 80 87 80 80 82 FF";
    QTest::newRow("timer value typed") << kSunday << "type edtTimer 3c" << QStringList{"W A2 0F 3C"}
                                       << "00 00 09 05 13 07 00 01 24 80 80 87 80 80 03 3C";
    QTest::newRow("AF and TIE") << kSunday << "click chbAF; click chbTIE" << QStringList{"W A2 01 08", "W A2 01 09"}
                                << "00 09 09 05 13 07 00 01 24 80 80 87 80 80 03 FF";
    QTest::newRow("STOP") << kSunday << "click chbSTOP" << QStringList{"W A2 00 20"}
                          << "20 00 09 05 13 07 00 01 24 80 80 87 80 80 03 FF";
    QTest::newRow("minute alarm on, alarm minutes up") << kSunday << "click chbMinuteAlarm; click spnAlarmMinutesUp"
                                                       << QStringList{"W A2 09 00", "W A2 09 01"}
                                                       << "00 00 09 05 13 07 00 01 24 01 80 87 80 80 03 FF";
    QTest::newRow("alarm weekday down, alarm day up") << kSunday << "click spnAlarmWeekdayDown; click spnAlarmDayUp"
                                                      << QStringList{"W A2 0C 86", "W A2 0B 88"}
                                                      << "00 00 09 05 13 07 00 01 24 80 80 88 86 80 03 FF";
    QTest::newRow("seconds up at 59 writes nothing") << kLastSecond << "click spnSecondsUp" << QStringList{}
                                                     << "00 00 59 59 23 31 05 92 99 80 80 B1 85 80 03 FF";
}

void TestPcf8563::editsWriteWithAutoWriteOnly()
{
    QFETCH(DateTime, now);
    QFETCH(QString, script);
    QFETCH(QStringList, written);
    QFETCH(QString, cells);
    for (bool autoWrite : {false, true}) {
        Rig r(now);
        if (autoWrite)
            r.autoWrite();
        r.run(script);
        QCOMPARE(r.cells(), cells);
        QCOMPARE(r.bench.transfers(), autoWrite ? written : QStringList{});
        if (autoWrite && !written.isEmpty()) {
            QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
            // The chip holds what the cells say.
            const QStringList cell = cells.split(' ');
            const QString last = written.last();
            const int reg = last.section(' ', 2, 2).toInt(nullptr, 16);
            if (reg >= 2 && reg != 15) // 00/01 and the timer count change on their own
                QCOMPARE(QString::fromStdString(tp::byteText(r.chip->reg(reg))), cell[reg]);
        }
    }
}

void TestPcf8563::writeRegisterWritesTheActiveCell()
{
    Rig r;
    r.selectRegister(0x0B);
    QCOMPARE(r.c<QLabel>("lblActive")->text(), QStringLiteral("Active Register = 0x0B"));
    QCOMPARE(r.w->activeRegister(), 0x0B);
    r.click("btnWriteRegister");
    QCOMPARE(r.bench.transfers(), QStringList{"W A2 0B 87"});
    QCOMPARE(int(r.chip->reg(0x0B)), 0x87);

    // The keyboard moves the active register too.
    QTest::keyClick(r.table(), Qt::Key_Down);
    QCOMPARE(r.c<QLabel>("lblActive")->text(), QStringLiteral("Active Register = 0x0C"));
}

void TestPcf8563::writeAllThenTheBenchClockRollsOverTheCentury()
{
    Rig r(kLastSecond);
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(),
             QStringList{"W A2 00 00 00 59 59 23 31 05 92 99 80 80 B1 85 80 03 FF"});
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));

    r.bench.sim->elapse(1000000);
    r.bench.clearLog();
    r.click("btnReadAll");
    QCOMPARE(r.bench.transfers(),
             (QStringList{"W A2 00", "Sr R A2 00 00 00 00 00 01 06 01 00 80 80 B1 85 80 03 FF"}));
    QCOMPARE(r.cells(), QStringLiteral("00 00 00 00 00 01 06 01 00 80 80 B1 85 80 03 FF"));
    QCOMPARE(r.lcd("LEDhours"), 0);
    QCOMPARE(r.lcd("LEDseconds"), 0);
    QCOMPARE(r.lcd("LEDday"), 1);
    QCOMPARE(r.lcd("LEDmonth"), 1);
    QCOMPARE(r.lcd("LEDyear"), 2000);
    QCOMPARE(r.c<QLabel>("lblWeekday")->text(), QStringLiteral("SAT"));
    QCOMPARE(r.box("chbVL"), QStringLiteral("guaranteed[ ]"));
}

void TestPcf8563::alarmOnTheBenchShowsAfAfterARead()
{
    Rig r; // 13:05:09
    for (int i = 0; i < 6; ++i)
        r.click("spnAlarmMinutesUp");
    r.click("chbMinuteAlarm"); // enabled, at minute 06
    QCOMPARE(r.table()->item(9, 1)->text(), QStringLiteral("06"));
    r.click("btnWriteAll");
    r.bench.sim->elapse(50 * 1000000ull);
    r.selectRegister(1);
    r.click("btnReadRegister");
    QCOMPARE(r.box("chbAF"), QStringLiteral("AF[ ]"));
    r.bench.sim->elapse(1000000);
    r.bench.clearLog();
    r.click("btnReadRegister");
    QCOMPARE(r.bench.transfers(), (QStringList{"W A2 01", "Sr R A2 08"}));
    QCOMPARE(r.box("chbAF"), QStringLiteral("AF[x]"));
    QCOMPARE(r.table()->item(1, 1)->text(), QStringLiteral("08"));

    // Clearing the box writes 0 to AF, which clears the flag on the chip.
    r.autoWrite();
    r.bench.clearLog();
    r.click("chbAF");
    QCOMPARE(r.bench.transfers(), QStringList{"W A2 01 00"});
    QCOMPARE(int(r.chip->reg(1)), 0x00);
}

void TestPcf8563::failedTransfersChangeNothing()
{
    Rig r;
    for (int reg = 0; reg < 16; ++reg)
        r.chip->setReg(reg, 0x11);
    const QString before = r.cells();
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.address = 0xA2;
    r.bench.sim->inject(nack);
    r.click("btnReadAll");
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.cells(), before);
    QCOMPARE(r.lcd("LEDhours"), 13);

    Fault data;
    data.kind = Fault::Kind::DataNack;
    data.address = 0xA2;
    data.byteIndex = 3;
    r.bench.sim->inject(data);
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers().size(), 2);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
    QCOMPARE(r.cells(), before); // the window keeps the user's values
}

void TestPcf8563::timerFieldTakesHexOnly()
{
    Rig r;
    r.autoWrite();
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.bench.main.get()));
    auto* edt = r.c<HexField>("edtTimer");
    edt->setFocus();
    QTRY_VERIFY(edt->hasFocus());
    edt->selectAll();
    QTest::keyClicks(edt, "g 5");
    QCOMPARE(edt->text(), QStringLiteral("5"));
    QVERIFY(r.bench.transfers().isEmpty());
    QTest::keyClick(edt, Qt::Key_Tab); // leaving reformats: "05" is a change
    QCOMPARE(edt->text(), QStringLiteral("05"));
    QCOMPARE(r.bench.transfers(), QStringList{"W A2 0F 05"});

    edt->setFocus();
    QTRY_VERIFY(edt->hasFocus());
    edt->clear();
    QTest::keyClick(edt, Qt::Key_Tab);
    QCOMPARE(r.bench.dialogs.texts("error"), QStringList{"'$' is not a valid integer value."});
    QCOMPARE(r.bench.transfers().size(), 1);

    // Elsewhere in the window the keys are not filtered: space toggles a box.
    auto* stop = r.c<QCheckBox>("chbSTOP");
    stop->setFocus();
    QTRY_VERIFY(stop->hasFocus());
    QTest::keyClick(stop, Qt::Key_Space);
    QVERIFY(stop->isChecked());
    QCOMPARE(r.bench.transfers().last(), QStringLiteral("W A2 00 20"));
}

void TestPcf8563::reopenStartsAfresh()
{
    Rig r;
    r.click("spnHoursUp");
    r.selectRegister(5);
    r.autoWrite();
    const QPointer<TfrmPCF8563> closed(r.w);
    r.w->parentWidget()->close();
    QTRY_VERIFY(!r.bench.main->windowReference("TfrmPCF8563"));
    QTRY_VERIFY(!closed);
    QCOMPARE(r.bench.statusText(), QString());
    tp::setLocalNowSource([] { return kLastSecond; });
    r.bench.main->deviceAction(kEntry)->trigger();
    auto* w = qobject_cast<TfrmPCF8563*>(r.bench.main->windowReference("TfrmPCF8563"));
    QVERIFY(w); // a new window (it may take the closed one's memory)
    r.w = w;
    QCOMPARE(r.cells(), QStringLiteral("00 00 59 59 23 31 05 92 99 80 80 B1 85 80 03 FF"));
    QCOMPARE(r.box("chbAutoWrite"), QStringLiteral("Auto Write[ ]"));
    QCOMPARE(r.c<QLabel>("lblActive")->text(), QStringLiteral("Active Register = 0x00"));
}

void TestPcf8563::layoutFitsWideAndTiled()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    auto* controls = r.c<QWidget>("pnlControls");
    auto* registers = r.c<QWidget>("pnlRegisters");
    QVERIFY(registers->x() > controls->x() + controls->width() - 1); // registers beside the controls
    QCOMPARE(registers->y(), controls->y());
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    saveShot(r.bench.main.get(), "pcf8563");

    // Half the frame, as two windows side by side: the panels stack and every control still fits.
    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    sub->showNormal();
    const QSize area = r.bench.main->mdiArea()->viewport()->size();
    sub->setGeometry(0, 0, area.width() / 2, area.height());
    QCoreApplication::processEvents();
    QVERIFY(r.w->width() < 640);
    QVERIFY(registers->y() > controls->y() + controls->height() - 1); // now below them
    // Lower controls are reached by scrolling down; nothing needs scrolling sideways.
    const QStringList clipped = clippedControls(r.w).filter(QRegularExpression("^(?!.*beyond qt_scrollarea_viewport)"));
    QCOMPARE(clipped, QStringList());
    auto* scroll = r.c<QScrollArea>("scrContent");
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(scroll->verticalScrollBar()->isVisible());
    QVERIFY(r.w->minimumSizeHint().width() <= r.w->width());
    saveShot(r.bench.main.get(), "pcf8563-tiled");
}

void TestPcf8563::tabOrderFollowsTheLayout()
{
    Rig r;
    QStringList order;
    QWidget* first = r.c<QWidget>("spnHours");
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(r.w) && r.w->isAncestorOf(w) && !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    QCOMPARE(order, (QStringList{"spnHours", "spnMinutes", "spnSeconds", "chbVL", "btnReadTime", "spnDay", "spnMonth",
                                 "spnYear", "spnWeekday", "btnReadDate", "spnAlarmHours", "spnAlarmMinutes",
                                 "chbMinuteAlarm", "chbHourAlarm", "spnAlarmDay", "spnAlarmWeekday", "chbDayAlarm",
                                 "chbWeekdayAlarm", "chbTEST1", "chbSTOP", "chbTESTC", "chbTI", "chbAF", "chbTF",
                                 "chbAIE", "chbTIE", "chbCLKOUT", "cmbCLKOUT", "chbTimerDisable", "cmbTimer",
                                 "edtTimer", "stgRegisters", "btnReadRegister", "btnWriteRegister", "btnReadAll",
                                 "btnWriteAll", "btnSetPCTime", "btnWatch", "chbAutoWrite"}));
}

void TestPcf8563::setToPcTimeWritesNowInOneTransfer_data()
{
    QTest::addColumn<DateTime>("opened");
    QTest::addColumn<DateTime>("now");
    QTest::addColumn<QString>("write");
    QTest::newRow("1999: century bit set") << kSunday << kAugust1999 << "W A2 02 00 00 10 20 05 88 99";
    QTest::newRow("last second of 1999") << kSunday << kLastSecond << "W A2 02 59 59 23 31 05 92 99";
    QTest::newRow("2024, a Sunday") << kAugust1999 << kSunday << "W A2 02 09 05 13 07 00 01 24";
}

void TestPcf8563::setToPcTimeWritesNowInOneTransfer()
{
    QFETCH(DateTime, opened);
    QFETCH(DateTime, now);
    QFETCH(QString, write);
    Rig r(opened);
    // The computer's clock has moved on since the window opened.
    tp::setLocalNowSource([now] { return now; });
    r.click("btnSetPCTime");
    QCOMPARE(r.bench.transfers(), QStringList{write});
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(r.lcd("LEDhours"), now.hour);
    QCOMPARE(r.lcd("LEDseconds"), now.second);
    QCOMPARE(r.lcd("LEDyear"), now.year);
    QCOMPARE(int(r.chip->reg(8)), write.right(2).toInt(nullptr, 16));
}

void TestPcf8563::watchFollowsTheChipUntilStopped()
{
    Rig r(kAugust1999);
    r.chip->setReg(2, 0x30);
    r.chip->setReg(3, 0x15);
    r.chip->setReg(4, 0x08);
    auto* watch = r.c<QPushButton>("btnWatch");
    QVERIFY(watch->isCheckable());
    watch->click();
    QVERIFY(watch->isChecked());
    // At once: time and date in one read.
    QCOMPARE(r.bench.transfers().size(), 2);
    QCOMPARE(r.bench.transfers().first(), QStringLiteral("W A2 02"));
    QVERIFY(r.bench.transfers().last().startsWith("Sr R A2 "));
    QCOMPARE(r.bench.transfers().last().split(QLatin1Char(' ')).size(), 3 + 7);
    QCOMPARE(r.lcd("LEDhours"), 8);
    QCOMPARE(r.lcd("LEDminutes"), 15);
    // Then from the event loop, without a click.
    r.bench.clearLog();
    QTRY_VERIFY_WITH_TIMEOUT(r.bench.transfers().size() >= 2, 5000);
    QVERIFY(r.bench.transfers().first() == QStringLiteral("W A2 02"));

    // A failed read stops it, and the window says why.
    BackgroundPoll* poll = r.w->findChild<BackgroundPoll*>();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    poll->tickNow();
    QVERIFY(!watch->isChecked());
    QVERIFY(!poll->isRunning());
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));

    // So does an adapter change; unchecking stops it too.
    watch->click();
    QVERIFY(poll->isRunning());
    r.bench.main->adapterChanged();
    QVERIFY(!watch->isChecked());
    QVERIFY(!poll->isRunning());
    watch->click();
    watch->click();
    QVERIFY(!poll->isRunning());
}

TALLYPORT_TEST_MAIN(TestPcf8563)
#include "tst_pcf8563.moc"
