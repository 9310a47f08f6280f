#include "core/devices/led/LedMember.h"
#include "core/sim/LedDriverChip.h"
#include "gui/app/StatusLine.h"
#include "gui/common/HexField.h"
#include "gui/devices/led/LedDriverForm.h"
#include "gui/devices/led/LedLamp.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

using tp::sim::Fault;
using tp::sim::LedDriverChip;

namespace {

// Device menu caption of each chip.
QString entryOf(const QString& chip)
{
    static const QMap<QString, QString> entries{
        {"PCA9530", "PCA9530 2-bit LED Dimmer"},   {"PCA9531", "PCA9531 8-bit LED Dimmer"},
        {"PCA9532", "PCA9532 16-bit LED Dimmer"},  {"PCA9533", "PCA9533 4-bit LED Dimmer"},
        {"PCA9550", "PCA9550 2-bit LED Blinker"},  {"PCA9551", "PCA9551 8-bit LED Blinker"},
        {"PCA9552", "PCA9552 16-bit LED Blinker"}, {"PCA9553", "PCA9553 4-bit LED Blinker"},
    };
    return entries.value(chip);
}

struct Rig {
    TestBench bench;
    QString chip;
    TLedDriverForm* w = nullptr;

    explicit Rig(const QString& chipName) : chip(chipName)
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(entryOf(chip))->trigger();
        w = qobject_cast<TLedDriverForm*>(bench.main->windowReference("Tfrm" + chip));
        QVERIFY(w);
    }
    void close()
    {
        const QPointer<TLedDriverForm> old = w;
        child<QAction>(w->childMenus().first(), "mnuClose")->trigger();
        QTRY_VERIFY(!old);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLabel>(name)->text(); }
    QString reg(int i) { return c<HexField>(QStringLiteral("edtReg%1").arg(i))->text(); }
    QSlider* slider(const QString& name) { return c<QSlider>(name); }
    void autoWriteOn() { QTest::mouseClick(c<QAbstractButton>("btnAutoWrite"), Qt::LeftButton); }
    void click(const QString& button) { QTest::mouseClick(c<QPushButton>(button), Qt::LeftButton); }
    // The chip the window talks to (the bench placed it on the first transfer).
    LedDriverChip* chipModel()
    {
        bench.sim->expectChip(chip.toStdString(), w->link().address());
        bench.clearLog();
        return bench.sim->chipAt<LedDriverChip>(w->link().address());
    }
    bool labelBlue(const QString& name)
    {
        return c<QLabel>(name)->palette().color(QPalette::WindowText) == QColor(0, 0, 255);
    }
};

QStringList registerTexts(Rig& r)
{
    QStringList out;
    for (int i = 0; i < r.w->member().registerCount(); ++i)
        out << r.reg(i);
    return out;
}

} // namespace

class TestLedWindows : public QObject {
    Q_OBJECT
private slots:
    void formDefaults_data();
    void formDefaults();
    void captionsAndHints_data();
    void captionsAndHints();
    void slidersShowAndWrite_data();
    void slidersShowAndWrite();
    void switchMovesWriteTheSelectorOnce_data();
    void switchMovesWriteTheSelectorOnce();
    void readAllAtPowerOn_data();
    void readAllAtPowerOn();
    void readAllIsWhatTheNextMoveModifies();
    void readInputReadsEachInputAlone();
    void failedReadsChangeNothing();
    void writeAllIsOneTransfer();
    void writeAllOfASmallChip();
    void addressChoiceSendsNothing();
    void reopenShowsTheKeptAddressAndImage();
    void previewFollowsTheRegisters();
    void previewOfABlinker();
    void previewAnimatesASlowBlink();
    void closingBlanksTheStatusLine();
    void tabOrderFollowsTheLayout_data();
    void tabOrderFollowsTheLayout();
    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();
};

void TestLedWindows::formDefaults_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QStringList>("registers");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QStringList>("frequencies");
    QTest::addColumn<QString>("duty");
    QTest::addColumn<int>("switches");
    QTest::addColumn<int>("item");
    QTest::newRow("PCA9530") << "PCA9530" << QStringList{"", "00", "80", "00", "80", "F0"} << "0.007 sec"
                             << QStringList{"152.000 Hz", "152.000 Hz"} << "50.00 %" << 0 << 0;
    // Item 4 shows the start address 0xC8 the window's transfers use.
    QTest::newRow("PCA9531") << "PCA9531" << QStringList{"", "00", "80", "00", "80", "00", "00"} << "0.007 sec"
                             << QStringList{"152.000 Hz", "152.000 Hz"} << "50.00 %" << 0 << 4;
    QTest::newRow("PCA9532") << "PCA9532" << QStringList{"", "", "00", "80", "00", "80", "00", "00", "00", "00"}
                             << "0.007 sec" << QStringList{"152.000 Hz", "152.000 Hz"} << "50.00 %" << 0 << 0;
    QTest::newRow("PCA9533") << "PCA9533" << QStringList{"", "00", "80", "00", "80", "00"} << "0.007 sec"
                             << QStringList{"152.000 Hz", "152.000 Hz"} << "50.00 %" << 0 << 0;
    QTest::newRow("PCA9550") << "PCA9550" << QStringList{"", "FF", "80", "FF", "80", "F5"} << "6.737 sec"
                             << QStringList{"0.148 Hz", "0.14844 Hz"} << "50.00 %" << 1 << 0;
    QTest::newRow("PCA9551") << "PCA9551" << QStringList{"", "FF", "80", "FF", "80", "55", "55"} << "6.737 sec"
                             << QStringList{"0.148 Hz", "0.148 Hz"} << "50.00 %" << 1 << 0;
    QTest::newRow("PCA9552") << "PCA9552" << QStringList{"", "", "FF", "80", "FF", "80", "55", "55", "55", "55"}
                             << "5.818 sec" << QStringList{"0.172 Hz", "0.172 Hz"} << "50.00 %" << 1 << 0;
    QTest::newRow("PCA9553") << "PCA9553" << QStringList{"", "FF", "80", "FF", "80", "55"} << "5.818 sec"
                             << QStringList{"0.17188 Hz", "0.17188 Hz"} << "50.00 %" << 1 << 0;
}

void TestLedWindows::formDefaults()
{
    QFETCH(QString, chip);
    QFETCH(QStringList, registers);
    QFETCH(QString, period);
    QFETCH(QStringList, frequencies);
    QFETCH(QString, duty);
    QFETCH(int, switches);
    QFETCH(int, item);
    Rig r(chip);
    QCOMPARE(registerTexts(r), registers);
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(r.text(QStringLiteral("stcPeriod%1").arg(c)), period);
        QCOMPARE(r.text(QStringLiteral("stcFreq%1").arg(c)), frequencies[c]);
        QCOMPARE(r.text(QStringLiteral("stcDC%1").arg(c)), duty);
    }
    const tp::led::Member& m = r.w->member();
    for (int led = 0; led < m.leds; ++led) {
        QCOMPARE(r.slider(QStringLiteral("vswLED%1").arg(led))->value(), switches);
        // Every LED shows Off.
        if (m.modeLabels) {
            for (int code = 0; code < 4; ++code) {
                const QString name = QString::fromStdString(tp::led::modeLabelName(m, led, code));
                QCOMPARE(r.labelBlue(name), code == switches);
            }
        } else {
            QCOMPARE(r.text(QStringLiteral("lblLED%1").arg(led)), QStringLiteral("OFF"));
        }
        QCOMPARE(r.c<LedLamp>(QStringLiteral("pvwLED%1").arg(led))->brightness(), 0.0);
    }
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentIndex(), item);
    QCOMPARE(r.c<QAbstractButton>("btnAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    QVERIFY(r.bench.transfers().isEmpty());
    // The displays only show.
    QVERIFY(r.c<HexField>("edtReg1")->isReadOnly());
}

void TestLedWindows::captionsAndHints_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("registersGroup");
    QTest::addColumn<QString>("readInput");
    QTest::addColumn<QStringList>("hints"); // Write All, Read Input, Read All
    QTest::addColumn<QString>("autoWriteKind");
    QTest::addColumn<QString>("autoWriteHint");
    QTest::addColumn<QStringList>("addresses");
    const QStringList two{"0xC0", "0xC2"}, four{"0xC4", "0xC6"};
    const QStringList eight{"0xC0", "0xC2", "0xC4", "0xC6", "0xC8", "0xCA", "0xCC", "0xCE"};
    const QString dimmerHint = "Send any changes immediately to device";
    const QString ledHint = "Enable/disable auto write feature";
    QTest::newRow("PCA9530") << "PCA9530" << "PCA9530 2-bit LED Dimmer" << "Registers" << "Read Input"
                             << QStringList{"Write registers 1 through 5", "Read input register",
                                            "Read registers 0 through 5"}
                             << "QCheckBox" << dimmerHint << two;
    QTest::newRow("PCA9531") << "PCA9531" << "PCA9531 8-bit LED Driver / Blinker" << "Registers (hex)"
                             << "Read Input"
                             << QStringList{"Write registers 1 through 6", "Read input register",
                                            "Read registers 0 through 6"}
                             << "QCheckBox" << dimmerHint << eight;
    QTest::newRow("PCA9532") << "PCA9532" << "PCA9532 16-bit LED Driver / Blinker" << "Registers (hex)"
                             << "Read Input"
                             << QStringList{"Write registers 2 through 9", "Read input register",
                                            "Read registers 0 through 9"}
                             << "QCheckBox" << dimmerHint << eight;
    QTest::newRow("PCA9533") << "PCA9533" << "PCA9533 4-bit LED Dimmer" << "Registers (hex)" << "Read Input"
                             << QStringList{"Write registers 1 through 5", "Read input register",
                                            "Read registers 0 through 5"}
                             << "QCheckBox" << dimmerHint << four;
    QTest::newRow("PCA9550") << "PCA9550" << "PCA9550 2-bit LED Driver / Blinker" << "Registers"
                             << "Read Input Reg."
                             << QStringList{"Write registers 1 through 5", "Read input register",
                                            "Read registers 0 through 5"}
                             << "LedToggle" << ledHint << two;
    QTest::newRow("PCA9551") << "PCA9551" << "PCA9551 8-bit LED Driver / Blinker" << "Registers (hex)"
                             << "Read Input"
                             << QStringList{"Write registers 1 through 6", "Read input register",
                                            "Read registers 0 through 6"}
                             << "QCheckBox" << dimmerHint << eight;
    QTest::newRow("PCA9552") << "PCA9552" << "PCA9552 16-bit LED Driver / Blinker" << "Registers (hex)"
                             << "Read Input Reg."
                             << QStringList{"Write registers 2 through 9", "Read input registers",
                                            "Read registers 0 through 9"}
                             << "LedToggle" << ledHint << eight;
    QTest::newRow("PCA9553") << "PCA9553" << "PCA9553 4-bit LED Driver / Blinker" << "Registers (hex)"
                             << "Read Input Reg."
                             << QStringList{"Write registers 1 through 5", "Read input register",
                                            "Read registers 0 through 5"}
                             << "LedToggle" << ledHint << four;
}

void TestLedWindows::captionsAndHints()
{
    QFETCH(QString, chip);
    QFETCH(QString, caption);
    QFETCH(QString, registersGroup);
    QFETCH(QString, readInput);
    QFETCH(QStringList, hints);
    QFETCH(QString, autoWriteKind);
    QFETCH(QString, autoWriteHint);
    QFETCH(QStringList, addresses);
    Rig r(chip);
    QCOMPARE(r.w->windowTitle(), caption);
    QCOMPARE(r.c<QGroupBox>("grbRegisters")->title(), registersGroup);
    QCOMPARE(r.c<QGroupBox>("grbPWM0")->title(), QStringLiteral("PWM 0"));
    QCOMPARE(r.c<QGroupBox>("grbPWM1")->title(), QStringLiteral("PWM 1"));
    QCOMPARE(r.c<QGroupBox>("grbLEDs")->title(), QStringLiteral("LED Mode Select"));
    QCOMPARE(r.text("lblPeriod1"), QStringLiteral("Period"));
    QCOMPARE(r.text("lblDutyCycle0"), QStringLiteral("Duty Cycle"));
    QCOMPARE(r.text("lblAddress"), QStringLiteral("I\u00B2C Address"));
    QCOMPARE(r.c<QPushButton>("btnWrite")->text(), QStringLiteral("Write All"));
    QCOMPARE(r.c<QPushButton>("btnReadInput")->text(), readInput);
    QCOMPARE(r.c<QPushButton>("btnRead")->text(), QStringLiteral("Read All"));
    QCOMPARE((QStringList{r.c<QPushButton>("btnWrite")->toolTip(), r.c<QPushButton>("btnReadInput")->toolTip(),
                          r.c<QPushButton>("btnRead")->toolTip()}),
             hints);
    QCOMPARE(r.slider("trbPeriod0")->toolTip(), QStringLiteral("Change the period (frequency) of PWM0"));
    QCOMPARE(r.slider("trbDC1")->toolTip(), QStringLiteral("Change the Duty Cyle of PWM1"));
    QAbstractButton* aw = r.c<QAbstractButton>("btnAutoWrite");
    QCOMPARE(QString(aw->metaObject()->className()), autoWriteKind);
    QCOMPARE(aw->toolTip(), autoWriteHint);
    r.autoWriteOn();
    QCOMPARE(aw->text(), QStringLiteral("Auto Write On"));
    QStringList items;
    for (int i = 0; i < r.c<QComboBox>("cmbAddress")->count(); ++i)
        items << r.c<QComboBox>("cmbAddress")->itemText(i);
    QCOMPARE(items, addresses);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->toolTip(),
             chip == "PCA9550" ? QStringLiteral("Select device address") : QString());

    const tp::led::Member& m = r.w->member();
    const std::vector<std::string> captions = m.registerCaptions();
    for (int i = 0; i < m.registerCount(); ++i)
        QCOMPARE(r.text(QStringLiteral("lblReg%1").arg(i)), QString::fromStdString(captions[std::size_t(i)]));
    QCOMPARE(r.text("lblCaptionLED0"), QStringLiteral("LED 0"));
    if (m.leds == 16) {
        QCOMPARE(r.text("lblCaptionLED9"), QStringLiteral("LED 9"));
        QCOMPARE(r.text("lblCaptionLED15"), QStringLiteral("LED15"));
    }
    if (chip == "PCA9530") {
        QCOMPARE((QStringList{r.text("lblOff"), r.text("lblOn"), r.text("lblPWM0Rate"), r.text("lblPWM1Rate")}),
                 (QStringList{"Off", "On", "PWM0 Rate", "PWM1 Rate"}));
        QCOMPARE(r.text("lblLED1PWM1"), QStringLiteral("PWM1 Rate"));
    }
    // The File menu of the register windows.
    QStringList entries;
    for (QAction* a : r.w->childMenus().first()->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Close", "Close All", "E&xit"}));
}

void TestLedWindows::slidersShowAndWrite_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("textName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("display");
    QTest::addColumn<QString>("write");
    QTest::newRow("dimmer period 18") << "PCA9532" << "trbPeriod0" << 18 << "stcFreq0" << "8.000 Hz" << 2
                                      << "W C0 02 12";
    QTest::newRow("dimmer period 18, seconds") << "PCA9531" << "trbPeriod1" << 18 << "stcPeriod1" << "0.125 sec"
                                               << 3 << "W C8 03 12";
    QTest::newRow("dimmer duty 8") << "PCA9533" << "trbDC0" << 8 << "stcDC0" << "3.13 %" << 2 << "W C4 02 08";
    QTest::newRow("blinker period 127") << "PCA9551" << "trbPeriod0" << 127 << "stcPeriod0" << "3.368 sec" << 1
                                        << "W C0 01 7F";
    QTest::newRow("blinker frequency 127") << "PCA9552" << "trbPeriod1" << 127 << "stcFreq1" << "0.344 Hz" << 4
                                           << "W C0 04 7F";
    QTest::newRow("PCA9550 PWM 0: three decimals") << "PCA9550" << "trbPeriod0" << 2 << "stcFreq0" << "12.667 Hz"
                                                   << 1 << "W C0 01 02";
    QTest::newRow("PCA9550 PWM 1: five") << "PCA9550" << "trbPeriod1" << 2 << "stcFreq1" << "12.66670 Hz" << 3
                                         << "W C0 03 02";
    QTest::newRow("PCA9553 five decimals") << "PCA9553" << "trbPeriod0" << 100 << "stcFreq0" << "0.43564 Hz" << 1
                                           << "W C4 01 64";
    QTest::newRow("PCA9553 PSC 43 is 1 Hz") << "PCA9553" << "trbPeriod1" << 43 << "stcFreq1" << "1.00000 Hz" << 3
                                            << "W C4 03 2B";
    QTest::newRow("PCA9552 duty 0: always on") << "PCA9552" << "trbDC1" << 0 << "stcDC1" << "100.00 %" << 5
                                               << "W C0 05 00";
    QTest::newRow("PCA9552 duty 64") << "PCA9552" << "trbDC0" << 64 << "stcDC0" << "75.00 %" << 3 << "W C0 03 40";
    QTest::newRow("PCA9551 duty 0") << "PCA9551" << "trbDC1" << 0 << "stcDC1" << "100.00 %" << 4 << "W C0 04 00";
    QTest::newRow("PCA9550 duty 0") << "PCA9550" << "trbDC0" << 0 << "stcDC0" << "100.00 %" << 2 << "W C0 02 00";
}

void TestLedWindows::slidersShowAndWrite()
{
    QFETCH(QString, chip);
    QFETCH(QString, slider);
    QFETCH(int, position);
    QFETCH(QString, textName);
    QFETCH(QString, text);
    QFETCH(int, display);
    QFETCH(QString, write);
    // Auto Write off: texts and displays follow, nothing goes on the bus.
    {
        Rig r(chip);
        r.slider(slider)->setValue(position);
        QCOMPARE(r.text(textName), text);
        QCOMPARE(r.reg(display), QString::asprintf("%02X", position));
        QVERIFY(r.bench.transfers().isEmpty());
    }
    // Auto Write on: one write of that register.
    Rig r(chip);
    r.autoWriteOn();
    r.slider(slider)->setFocus();
    r.slider(slider)->setValue(position + 1);
    r.bench.clearLog();
    QTest::keyClick(r.slider(slider), Qt::Key_Left); // one step per key press
    QCOMPARE(r.slider(slider)->value(), position);
    QCOMPARE(r.text(textName), text);
    QCOMPARE(r.bench.transfers(), QStringList{write});
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestLedWindows::switchMovesWriteTheSelectorOnce_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("led");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("display");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("mode"); // mode text, or the name of the label now blue
    QTest::newRow("PCA9532 LED 5 to PWM0") << "PCA9532" << 5 << 2 << 7 << "08" << "W C0 07 08" << "PWM0";
    QTest::newRow("PCA9532 LED 15 to PWM1") << "PCA9532" << 15 << 3 << 9 << "C0" << "W C0 09 C0" << "PWM1";
    QTest::newRow("PCA9530 LED 0 on") << "PCA9530" << 0 << 1 << 5 << "F1" << "W C0 05 F1" << "lblOn";
    QTest::newRow("PCA9533 LED 3 PWM1") << "PCA9533" << 3 << 3 << 5 << "C0" << "W C4 05 C0" << "lblLED3PWM1";
    QTest::newRow("PCA9551 LED 2 on") << "PCA9551" << 2 << 0 << 5 << "45" << "W C0 05 45" << "ON";
    QTest::newRow("PCA9551 LED 6 PWM1") << "PCA9551" << 6 << 3 << 6 << "75" << "W C0 06 75" << "PWM1";
    QTest::newRow("PCA9550 LED 0 PWM1") << "PCA9550" << 0 << 3 << 5 << "F7" << "W C0 05 F7" << "PWM1";
    QTest::newRow("PCA9552 LED 15 on") << "PCA9552" << 15 << 0 << 9 << "15" << "W C0 09 15" << "ON";
    QTest::newRow("PCA9553 LED 1 on") << "PCA9553" << 1 << 0 << 5 << "51" << "W C4 05 51" << "lblLED1On";
}

void TestLedWindows::switchMovesWriteTheSelectorOnce()
{
    QFETCH(QString, chip);
    QFETCH(int, led);
    QFETCH(int, position);
    QFETCH(int, display);
    QFETCH(QString, shown);
    QFETCH(QString, write);
    QFETCH(QString, mode);
    Rig r(chip);
    QSlider* sw = r.slider(QStringLiteral("vswLED%1").arg(led));
    sw->setValue(position);
    QCOMPARE(r.reg(display), shown);
    QVERIFY(r.bench.transfers().isEmpty());
    sw->setValue(r.w->member().family == tp::led::Family::Dimmer ? 0 : 1);

    r.autoWriteOn();
    r.bench.clearLog();
    sw->setValue(position);
    QCOMPARE(r.reg(display), shown);
    QCOMPARE(r.bench.transfers(), QStringList{write});
    if (mode.startsWith("lbl")) {
        QVERIFY(r.labelBlue(mode));
        const tp::led::Member& m = r.w->member();
        for (int code = 0; code < 4; ++code)
            if (code != position)
                QVERIFY(!r.labelBlue(QString::fromStdString(tp::led::modeLabelName(m, led, code))));
    } else {
        QCOMPARE(r.text(QStringLiteral("lblLED%1").arg(led)), mode);
    }
    // The chip now holds the byte the window shows.
    QCOMPARE(QString::asprintf("%02X", r.chipModel()->reg(display)), shown);
}

void TestLedWindows::readAllAtPowerOn_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<QStringList>("registers");
    QTest::newRow("PCA9552") << "PCA9552"
                             << QStringList{"W C0 00", "Sr R C0 FF", "W C0 01", "Sr R C0 FF", "W C0 12",
                                            "Sr R C0 FF 80 FF 80 55 55 55 55"}
                             << QStringList{"FF", "FF", "FF", "80", "FF", "80", "55", "55", "55", "55"};
    QTest::newRow("PCA9531") << "PCA9531"
                             << QStringList{"W C8 00", "Sr R C8 FF", "W C8 11", "Sr R C8 00 80 00 80 00 00"}
                             << QStringList{"FF", "00", "80", "00", "80", "00", "00"};
    QTest::newRow("PCA9530: the chip's selector") << "PCA9530"
                                                  << QStringList{"W C0 00", "Sr R C0 03", "W C0 11",
                                                                 "Sr R C0 00 80 00 80 00"}
                                                  << QStringList{"03", "00", "80", "00", "80", "00"};
}

void TestLedWindows::readAllAtPowerOn()
{
    QFETCH(QString, chip);
    QFETCH(QStringList, bus);
    QFETCH(QStringList, registers);
    Rig r(chip);
    r.autoWriteOn();
    // Something else in the window first, so that the read has to change it back.
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, -1});
    r.slider("trbPeriod0")->setValue(37);
    r.slider("vswLED1")->setValue(2);
    r.bench.sim->clearFaults();
    r.bench.clearLog();

    r.click("btnRead");
    // The input alone, then auto-increment from the first prescaler: never from register 0.
    const QStringList transfers = r.bench.transfers();
    QCOMPARE(transfers.mid(transfers.size() - bus.size()), bus);
    for (const QString& line : transfers)
        QVERIFY2(!line.contains(QRegularExpression("^W C. 10$")), qPrintable(line));
    QCOMPARE(registerTexts(r), registers);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    // Showing what was read wrote nothing back, and Auto Write is still on.
    for (const QString& line : transfers)
        QVERIFY2(!line.startsWith("W") || line.split(' ').size() == 3, qPrintable(line));
    QCOMPARE(r.c<QAbstractButton>("btnAutoWrite")->text(), QStringLiteral("Auto Write On"));
    // Sliders, texts and switches follow the chip.
    const tp::led::Member& m = r.w->member();
    const bool blinker = m.family == tp::led::Family::Blinker;
    QCOMPARE(r.slider("trbPeriod0")->value(), blinker ? 255 : 0);
    const QMap<QString, QString> slowest{{"PCA9550", "6.737 sec"}, {"PCA9551", "6.737 sec"},
                                         {"PCA9552", "5.818 sec"}, {"PCA9553", "5.818 sec"}};
    QCOMPARE(r.text("stcPeriod0"), blinker ? slowest.value(r.chip) : QStringLiteral("0.007 sec"));
    QCOMPARE(r.slider("vswLED1")->value(), blinker ? 1 : 0);
    if (!m.modeLabels)
        QCOMPARE(r.text("lblLED1"), QStringLiteral("OFF"));
}

void TestLedWindows::readAllIsWhatTheNextMoveModifies()
{
    Rig r("PCA9532");
    LedDriverChip* chip = r.chipModel();
    chip->setReg(6, 0xE4); // LEDs 0..3: off, on, PWM0, PWM1
    chip->setReg(3, 0x40);
    r.autoWriteOn();
    r.click("btnRead");
    QCOMPARE(r.reg(6), QStringLiteral("E4"));
    QCOMPARE(r.slider("vswLED2")->value(), 2);
    QCOMPARE(r.text("lblLED3"), QStringLiteral("PWM1"));
    QCOMPARE(r.slider("trbDC0")->value(), 0x40);
    QCOMPARE(r.text("stcDC0"), QStringLiteral("25.00 %"));
    // LED 0 on: the other three LEDs keep what the chip had.
    r.bench.clearLog();
    r.slider("vswLED0")->setValue(1);
    QCOMPARE(r.bench.transfers(), QStringList{"W C0 06 E5"});
    QCOMPARE(int(chip->reg(6)), 0xE5);
}

void TestLedWindows::readInputReadsEachInputAlone()
{
    Rig r("PCA9532");
    LedDriverChip* chip = r.chipModel();
    chip->setExternal(0x7FFE); // LED 0 and LED 15 pulled low outside
    r.click("btnReadInput");
    QCOMPARE(r.bench.transfers(), (QStringList{"W C0 00", "Sr R C0 FE", "W C0 01", "Sr R C0 7F"}));
    QCOMPARE(r.reg(0), QStringLiteral("FE"));
    QCOMPARE(r.reg(1), QStringLiteral("7F"));
    QCOMPARE(r.reg(2), QStringLiteral("00")); // the rest stays
}

void TestLedWindows::failedReadsChangeNothing()
{
    Rig r("PCA9552");
    r.slider("trbPeriod0")->setValue(10);
    const QStringList before = registerTexts(r);
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, -1});
    r.click("btnRead");
    // The first failing read ends it.
    QCOMPARE(r.bench.transfers().size(), 1);
    QCOMPARE(registerTexts(r), before);
    QCOMPARE(r.slider("trbPeriod0")->value(), 10);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    r.click("btnReadInput");
    QCOMPARE(r.reg(0), QString());
    QCOMPARE(r.reg(1), QString());
}

void TestLedWindows::writeAllIsOneTransfer()
{
    Rig r("PCA9552");
    r.slider("trbPeriod0")->setValue(0x25);
    r.slider("trbDC0")->setValue(0x80);
    r.slider("trbPeriod1")->setValue(0x09);
    r.slider("trbDC1")->setValue(0xC0);
    r.slider("vswLED0")->setValue(0);
    r.slider("vswLED15")->setValue(2);
    r.click("btnWrite");
    QCOMPARE(r.bench.transfers(), QStringList{"W C0 12 25 80 09 C0 54 55 55 95"});
    LedDriverChip* chip = r.chipModel();
    QCOMPARE(int(chip->reg(2)), 0x25);
    QCOMPARE(int(chip->reg(5)), 0xC0);
    QCOMPARE(int(chip->reg(9)), 0x95);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestLedWindows::writeAllOfASmallChip()
{
    Rig r("PCA9533");
    r.click("btnWrite");
    QCOMPARE(r.bench.transfers(), QStringList{"W C4 11 00 80 00 80 00"});
}

void TestLedWindows::addressChoiceSendsNothing()
{
    Rig r("PCA9531");
    QCOMPARE(r.w->link().address(), 0xC8);
    QTest::keyClick(r.c<QComboBox>("cmbAddress"), Qt::Key_Down);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0xCA"));
    QCOMPARE(r.w->link().address(), 0xCA);
    QVERIFY(r.bench.transfers().isEmpty());
    r.click("btnWrite");
    QVERIFY(r.bench.transfers().last().startsWith("W CA 11"));
}

void TestLedWindows::reopenShowsTheKeptAddressAndImage()
{
    Rig r("PCA9530");
    r.slider("vswLED1")->setValue(3);
    QCOMPARE(r.reg(5), QStringLiteral("FC"));
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(1);
    QCOMPARE(r.w->link().address(), 0xC2);
    r.close();

    // The new window shows the address and the image its transfers will use.
    r.open();
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0xC2"));
    QCOMPARE(r.reg(5), QStringLiteral("FC"));
    QCOMPARE(r.slider("vswLED1")->value(), 3);
    QVERIFY(r.labelBlue("lblLED1PWM1"));
    QVERIFY(!r.labelBlue("lblLED1Off"));
    QVERIFY(r.labelBlue("lblOff"));
    r.autoWriteOn();
    r.bench.clearLog();
    r.slider("vswLED0")->setValue(1);
    QCOMPARE(r.bench.transfers(), QStringList{"W C2 05 FD"});
    // The sliders start afresh.
    QCOMPARE(r.reg(1), QStringLiteral("00"));

    // Choosing the entry of the open window presets nothing.
    r.open();
    QCOMPARE(r.w->link().address(), 0xC2);
    QCOMPARE(r.bench.main->childForms().size(), 1);
}

void TestLedWindows::previewFollowsTheRegisters()
{
    using tp::led::LedLook;
    using tp::led::Mode;
    Rig r("PCA9532");
    r.slider("trbPeriod0")->setValue(75); // 2 Hz
    r.slider("trbDC0")->setValue(64);     // 25 %
    r.slider("trbPeriod1")->setValue(1);  // 76 Hz: a brightness
    r.slider("trbDC1")->setValue(192);
    r.slider("vswLED0")->setValue(1);
    r.slider("vswLED1")->setValue(2);
    r.slider("vswLED2")->setValue(3);
    QCOMPARE(r.w->look(0), (LedLook{Mode::On, 0, 1}));
    QCOMPARE(r.w->look(1), (LedLook{Mode::Pwm0, 0.5, 0.25}));
    QCOMPARE(r.w->look(2), (LedLook{Mode::Pwm1, 2 / 152.0, 0.75}));
    QCOMPARE(r.w->look(3), (LedLook{Mode::Off, 0, 0}));
    QCOMPARE(r.c<LedLamp>("pvwLED0")->brightness(), 1.0);
    QCOMPARE(r.c<LedLamp>("pvwLED2")->brightness(), 0.75);
    QCOMPARE(r.c<LedLamp>("pvwLED3")->brightness(), 0.0);
    QCOMPARE(r.c<LedLamp>("pvwLED1")->toolTip(), QStringLiteral("PWM0: blinks at 2.000 Hz, lit 25.00 %"));
}

void TestLedWindows::previewOfABlinker()
{
    using tp::led::LedLook;
    using tp::led::Mode;
    // A blinker's code 0 is on, and its duty counts down.
    Rig b("PCA9551");
    b.slider("trbDC1")->setValue(192);
    b.slider("vswLED7")->setValue(0);
    b.slider("vswLED6")->setValue(3);
    QCOMPARE(b.w->look(7), (LedLook{Mode::On, 0, 1}));
    QCOMPARE(b.w->look(6), (LedLook{Mode::Pwm1, 256 / 38.0, 0.25})); // PSC 255 at 38 steps a second
    QCOMPARE(b.w->look(5), (LedLook{Mode::Off, 0, 0}));
}

void TestLedWindows::previewAnimatesASlowBlink()
{
    Rig r("PCA9533");
    r.slider("trbPeriod0")->setValue(37); // 0.25 s
    r.slider("vswLED0")->setValue(2);     // PWM0 at 50 %
    LedLamp* lamp = r.c<LedLamp>("pvwLED0");
    QTRY_COMPARE(lamp->brightness(), 0.0);
    QTRY_COMPARE(lamp->brightness(), 1.0);
    QTRY_COMPARE(lamp->brightness(), 0.0);
}

void TestLedWindows::closingBlanksTheStatusLine()
{
    for (const char* chip : {"PCA9551", "PCA9552"}) {
        Rig r(chip);
        r.click("btnWrite");
        QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
        r.close();
        QCOMPARE(r.bench.statusText(), QString());
        QCOMPARE(int(r.bench.status().align), int(QString(chip) == "PCA9551" ? tp::Align::Centre : tp::Align::Left));
    }
}

void TestLedWindows::tabOrderFollowsTheLayout_data()
{
    QTest::addColumn<QString>("chip");
    QTest::newRow("PCA9533") << "PCA9533";
    QTest::newRow("PCA9552") << "PCA9552";
}

void TestLedWindows::tabOrderFollowsTheLayout()
{
    QFETCH(QString, chip);
    Rig r(chip);
    QStringList expected{"cmbAddress", "btnAutoWrite", "btnWrite", "btnReadInput", "btnRead",
                         "trbPeriod0",  "trbDC0",       "trbPeriod1", "trbDC1"};
    for (int led = 0; led < r.w->member().leds; ++led)
        expected << QStringLiteral("vswLED%1").arg(led);
    QCOMPARE(tabChain(r.w), expected);
}

void TestLedWindows::layoutFitsTheFrame_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("width");
    for (const char* c : {"PCA9530", "PCA9531", "PCA9532", "PCA9533", "PCA9550", "PCA9551", "PCA9552", "PCA9553"}) {
        QTest::addRow("%s full", c) << c << 1280;
        QTest::addRow("%s half", c) << c << 640;
    }
}

void TestLedWindows::layoutFitsTheFrame()
{
    QFETCH(QString, chip);
    QFETCH(int, width);
    Rig r(chip);
    r.bench.main->resize(width, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
    r.slider("vswLED1")->setValue(2);
    saveShot(r.bench.main.get(), chip.toLower() + (width < 1280 ? "-half" : ""));
}

TALLYPORT_TEST_MAIN(TestLedWindows)
#include "tst_led_windows.moc"
