#include "core/common/HexText.h"
#include "core/devices/led/LedPreview.h"
#include "core/sim/LedDriverChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp::led;

Q_DECLARE_METATYPE(std::string)

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

class TestLed : public QObject {
    Q_OBJECT
private slots:
    void dimmerTexts_data();
    void dimmerTexts();
    void blinkerTexts_data();
    void blinkerTexts();
    void decimalSeparator();
    void membersDiffer_data();
    void membersDiffer();
    void selectorMoves_data();
    void selectorMoves();
    void modeTextsAndLabels_data();
    void modeTextsAndLabels();
    void writeAllIsOneAutoIncrementTransfer_data();
    void writeAllIsOneAutoIncrementTransfer();
    void readAllBytesBecomeRegisters();
    void previewLooks_data();
    void previewLooks();
    void previewOfANonPulsingPwmSaysDarkOrLit();
    void previewAnimatesSlowBlinksOnly();
    void benchPowerOnValues_data();
    void benchPowerOnValues();
    void benchAutoIncrementWrapsAndInputsAreReadOnly();
    void benchRefusesBadControlBytes_data();
    void benchRefusesBadControlBytes();
    void benchInputsFollowPinsAndDrivenLeds();
};

void TestLed::dimmerTexts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("duty");
    QTest::newRow("0") << 0 << "0.007 sec" << "152.000 Hz" << "0.00 %";
    QTest::newRow("1") << 1 << "0.013 sec" << "76.000 Hz" << "0.39 %";
    QTest::newRow("8: half away from zero") << 8 << "0.059 sec" << "16.889 Hz" << "3.13 %";
    QTest::newRow("18") << 18 << "0.125 sec" << "8.000 Hz" << "7.03 %";
    QTest::newRow("24") << 24 << "0.164 sec" << "6.080 Hz" << "9.38 %";
    QTest::newRow("75") << 75 << "0.500 sec" << "2.000 Hz" << "29.30 %";
    QTest::newRow("127") << 127 << "0.842 sec" << "1.188 Hz" << "49.61 %";
    QTest::newRow("128") << 128 << "0.849 sec" << "1.178 Hz" << "50.00 %";
    QTest::newRow("151") << 151 << "1.000 sec" << "1.000 Hz" << "58.98 %";
    QTest::newRow("255") << 255 << "1.684 sec" << "0.594 Hz" << "99.61 %";
}

void TestLed::dimmerTexts()
{
    QFETCH(int, position);
    QFETCH(QString, period);
    QFETCH(QString, frequency);
    QFETCH(QString, duty);
    const double steps = member("PCA9532").stepsPerSecond;
    QCOMPARE(q(periodText(steps, position)), period);
    QCOMPARE(q(frequencyText(steps, position, FrequencyFormat{})), frequency);
    QCOMPARE(q(dutyText(DutyRule::Direct, position)), duty);
}

void TestLed::blinkerTexts_data()
{
    // Each chip's own time base: (PSC + 1) / 38 s on the PCA9550 and PCA9551,
    // (PSC + 1) / 44 s on the PCA9552 and PCA9553; duty (256 - PWM) / 256 on
    // all four, so PWM 0 keeps the LED on.
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("duty");
    QTest::newRow("PCA9550 0") << "PCA9550" << 0 << 0 << "0.026 sec" << "38.000 Hz" << "100.00 %";
    QTest::newRow("PCA9550 37: 1 Hz") << "PCA9550" << 0 << 37 << "1.000 sec" << "1.000 Hz" << "85.55 %";
    QTest::newRow("PCA9550 PWM1 9: five decimals") << "PCA9550" << 1 << 9 << "0.263 sec" << "3.80000 Hz"
                                                    << "96.48 %";
    QTest::newRow("PCA9550 PWM1 127") << "PCA9550" << 1 << 127 << "3.368 sec" << "0.29688 Hz" << "50.39 %";
    QTest::newRow("PCA9551 0") << "PCA9551" << 0 << 0 << "0.026 sec" << "38.000 Hz" << "100.00 %";
    QTest::newRow("PCA9551 1") << "PCA9551" << 0 << 1 << "0.053 sec" << "19.000 Hz" << "99.61 %";
    QTest::newRow("PCA9551 37: 1 Hz") << "PCA9551" << 0 << 37 << "1.000 sec" << "1.000 Hz" << "85.55 %";
    QTest::newRow("PCA9551 127: half away") << "PCA9551" << 1 << 127 << "3.368 sec" << "0.297 Hz" << "50.39 %";
    QTest::newRow("PCA9551 255") << "PCA9551" << 0 << 255 << "6.737 sec" << "0.148 Hz" << "0.39 %";
    QTest::newRow("PCA9552 0: PWM 0 is always on") << "PCA9552" << 0 << 0 << "0.023 sec" << "44.000 Hz"
                                                   << "100.00 %";
    QTest::newRow("PCA9552 43: 1 Hz") << "PCA9552" << 0 << 43 << "1.000 sec" << "1.000 Hz" << "83.20 %";
    QTest::newRow("PCA9552 128") << "PCA9552" << 1 << 128 << "2.932 sec" << "0.341 Hz" << "50.00 %";
    QTest::newRow("PCA9552 255") << "PCA9552" << 0 << 255 << "5.818 sec" << "0.172 Hz" << "0.39 %";
    QTest::newRow("PCA9553 10: 4 Hz") << "PCA9553" << 1 << 10 << "0.250 sec" << "4.00000 Hz" << "96.09 %";
    QTest::newRow("PCA9553 43: 1 Hz") << "PCA9553" << 0 << 43 << "1.000 sec" << "1.00000 Hz" << "83.20 %";
    QTest::newRow("PCA9553 255") << "PCA9553" << 1 << 255 << "5.818 sec" << "0.17188 Hz" << "0.39 %";
}

void TestLed::blinkerTexts()
{
    QFETCH(QString, chip);
    QFETCH(int, channel);
    QFETCH(int, position);
    QFETCH(QString, period);
    QFETCH(QString, frequency);
    QFETCH(QString, duty);
    const Member& m = member(chip.toStdString());
    QCOMPARE(q(periodText(m.stepsPerSecond, position)), period);
    QCOMPARE(q(frequencyText(m.stepsPerSecond, position, m.frequency[std::size_t(channel)])), frequency);
    QCOMPARE(q(dutyText(m.duty, position)), duty);
}

void TestLed::decimalSeparator()
{
    QCOMPARE(q(periodText(member("PCA9532").stepsPerSecond, 18, ',')), QStringLiteral("0,125 sec"));
    QCOMPARE(q(frequencyText(member("PCA9553").stepsPerSecond, 2, FrequencyFormat{5, 6}, ',')),
             QStringLiteral("14,66670 Hz"));
    QCOMPARE(q(dutyText(DutyRule::Inverted, 8, ',')), QStringLiteral("96,88 %"));
}

void TestLed::membersDiffer_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("registers");
    QTest::addColumn<int>("firstPrescaler");
    QTest::addColumn<int>("lastSelector");
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("writeHint");
    QTest::addColumn<QString>("lastCaption");
    const QStringList two{"0xC0", "0xC2"}, four{"0xC4", "0xC6"};
    const QStringList eight{"0xC0", "0xC2", "0xC4", "0xC6", "0xC8", "0xCA", "0xCC", "0xCE"};
    QTest::newRow("PCA9530") << "PCA9530" << 6 << 1 << 5 << 0xC0 << QByteArray("\xF0") << two
                             << "Write registers 1 through 5" << "LED Selector 0-1";
    QTest::newRow("PCA9531") << "PCA9531" << 7 << 1 << 6 << 0xC8 << QByteArray(2, 0) << eight
                             << "Write registers 1 through 6" << "LED Selector 4-7";
    QTest::newRow("PCA9532") << "PCA9532" << 10 << 2 << 9 << 0xC0 << QByteArray(4, 0) << eight
                             << "Write registers 2 through 9" << "LED Selector 12-15";
    QTest::newRow("PCA9533") << "PCA9533" << 6 << 1 << 5 << 0xC4 << QByteArray(1, 0) << four
                             << "Write registers 1 through 5" << "LED Selector 0-3";
    QTest::newRow("PCA9550") << "PCA9550" << 6 << 1 << 5 << 0xC0 << QByteArray("\xF5") << two
                             << "Write registers 1 through 5" << "LED Selector 0-1";
    QTest::newRow("PCA9551") << "PCA9551" << 7 << 1 << 6 << 0xC0 << QByteArray(2, 0x55) << eight
                             << "Write registers 1 through 6" << "LED Selector 4-7";
    QTest::newRow("PCA9552") << "PCA9552" << 10 << 2 << 9 << 0xC0 << QByteArray(4, 0x55) << eight
                             << "Write registers 2 through 9" << "LED Selector 12-15";
    QTest::newRow("PCA9553") << "PCA9553" << 6 << 1 << 5 << 0xC4 << QByteArray(1, 0x55) << four
                             << "Write registers 1 through 5" << "LED Selector 0-3";
}

void TestLed::membersDiffer()
{
    QFETCH(QString, chip);
    QFETCH(int, registers);
    QFETCH(int, firstPrescaler);
    QFETCH(int, lastSelector);
    QFETCH(int, start);
    QFETCH(QByteArray, image);
    QFETCH(QStringList, addresses);
    QFETCH(QString, writeHint);
    QFETCH(QString, lastCaption);
    const Member& m = member(chip.toStdString());
    QCOMPARE(m.registerCount(), registers);
    QCOMPARE(m.prescaler(0), firstPrescaler);
    QCOMPARE(m.selector(m.selectorCount() - 1), lastSelector);
    QCOMPARE(int(m.startAddress), start);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(m.startImage.data()), int(m.startImage.size())), image);
    QStringList items;
    for (int i = 0; i < m.addressCount; ++i)
        items << q(tp::addressText(m.addressOfItem(i)));
    QCOMPARE(items, addresses);
    QVERIFY(m.itemOfAddress(m.startAddress) >= 0);
    QCOMPARE(q(m.writeHint), writeHint);
    QCOMPARE(q(m.registerCaptions().back()), lastCaption);
    QCOMPARE(int(m.registerCaptions().size()), registers);
}

void TestLed::selectorMoves_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("led");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("selector"); // index of the byte that changed
    QTest::addColumn<int>("after");
    QTest::newRow("PCA9532 LED 5 to PWM0") << "PCA9532" << QByteArray(4, 0) << 5 << 2 << 1 << 0x08;
    QTest::newRow("PCA9532 LED 15 to PWM1") << "PCA9532" << QByteArray(4, 0) << 15 << 3 << 3 << 0xC0;
    QTest::newRow("PCA9530 LED 0 on, high bits kept") << "PCA9530" << QByteArray("\xF0") << 0 << 1 << 0 << 0xF1;
    QTest::newRow("PCA9530 then LED 1 to PWM1") << "PCA9530" << QByteArray("\xF1") << 1 << 3 << 0 << 0xFD;
    QTest::newRow("PCA9551 LED 2 on") << "PCA9551" << QByteArray(2, 0x55) << 2 << 0 << 0 << 0x45;
    QTest::newRow("PCA9550 LED 0 to PWM1") << "PCA9550" << QByteArray("\xF5") << 0 << 3 << 0 << 0xF7;
    QTest::newRow("PCA9552 LED 15 on") << "PCA9552" << QByteArray(4, 0x55) << 15 << 0 << 3 << 0x15;
    QTest::newRow("back to the same mode") << "PCA9553" << QByteArray(1, 0x55) << 3 << 1 << 0 << 0x55;
}

void TestLed::selectorMoves()
{
    QFETCH(QString, chip);
    QFETCH(QByteArray, before);
    QFETCH(int, led);
    QFETCH(int, mode);
    QFETCH(int, selector);
    QFETCH(int, after);
    LedRegisters r;
    r.selector.assign(before.begin(), before.end());
    const std::vector<std::uint8_t> old = r.selector;
    QCOMPARE(r.setMode(led, mode), selector);
    QCOMPARE(int(r.selector[std::size_t(selector)]), after);
    QCOMPARE(r.mode(led), mode);
    for (std::size_t j = 0; j < old.size(); ++j)
        if (int(j) != selector)
            QCOMPARE(r.selector[j], old[j]);
    QCOMPARE(member(chip.toStdString()).selectorOf(led), member(chip.toStdString()).selector(selector));
}

void TestLed::modeTextsAndLabels_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("led");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("labelName");
    QTest::newRow("dimmer 0") << "PCA9530" << 0 << 0 << "OFF" << "Off" << "lblOff";
    QTest::newRow("dimmer 1") << "PCA9530" << 0 << 1 << "ON" << "On" << "lblOn";
    QTest::newRow("PCA9530 LED 0 PWM0") << "PCA9530" << 0 << 2 << "PWM0" << "PWM0 Rate" << "lblPWM0Rate";
    QTest::newRow("PCA9530 LED 1 PWM1") << "PCA9530" << 1 << 3 << "PWM1" << "PWM1 Rate" << "lblLED1PWM1";
    QTest::newRow("PCA9533 LED 3 off") << "PCA9533" << 3 << 0 << "OFF" << "Off" << "lblLED3Off";
    QTest::newRow("blinker 0 is on") << "PCA9553" << 2 << 0 << "ON" << "On" << "lblLED2On";
    QTest::newRow("blinker 1 is off") << "PCA9553" << 0 << 1 << "OFF" << "Off" << "lblLED0Off";
}

void TestLed::modeTextsAndLabels()
{
    QFETCH(QString, chip);
    QFETCH(int, led);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(QString, labelName);
    const Member& m = member(chip.toStdString());
    QCOMPARE(q(modeText(m.family, code)), text);
    QCOMPARE(q(modeLabel(m.family, code)), label);
    QCOMPARE(q(modeLabelName(m, led, code)), labelName);
}

void TestLed::writeAllIsOneAutoIncrementTransfer_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("PCA9531") << "PCA9531" << QByteArray::fromHex("112580090A0102");
    QTest::newRow("PCA9532") << "PCA9532" << QByteArray::fromHex("122580090A01020304");
    QTest::newRow("PCA9550") << "PCA9550" << QByteArray::fromHex("112580090A01");
}

void TestLed::writeAllIsOneAutoIncrementTransfer()
{
    QFETCH(QString, chip);
    QFETCH(QByteArray, expected);
    const Member& m = member(chip.toStdString());
    LedRegisters r;
    r.prescaler = {0x25, 0x09};
    r.pwm = {0x80, 0x0A};
    for (int j = 0; j < m.selectorCount(); ++j)
        r.selector.push_back(std::uint8_t(j + 1));
    const std::vector<std::uint8_t> bytes = writeAllBytes(m, r);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())), expected);
}

void TestLed::readAllBytesBecomeRegisters()
{
    const Member& m = member("PCA9531");
    QCOMPARE(readAllCount(m), 6);
    const LedRegisters r = fromReadAll(m, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
    QCOMPARE(int(r.prescaler[0]), 0x11);
    QCOMPARE(int(r.pwm[0]), 0x22);
    QCOMPARE(int(r.prescaler[1]), 0x33);
    QCOMPARE(int(r.pwm[1]), 0x44);
    QCOMPARE(r.selector, (std::vector<std::uint8_t>{0x55, 0x66}));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, fromReadAll(m, {1, 2, 3}));
}

void TestLed::previewLooks_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("period");
    QTest::addColumn<double>("onFraction");
    QTest::addColumn<QString>("described");
    // Registers: PSC0 75, PWM0 64, PSC1 1, PWM1 192.
    QTest::newRow("dimmer off") << "PCA9532" << 0 << int(Mode::Off) << 0.0 << 0.0 << "Off";
    QTest::newRow("dimmer on") << "PCA9532" << 1 << int(Mode::On) << 0.0 << 1.0 << "On";
    QTest::newRow("dimmer PWM0 blinks") << "PCA9532" << 2 << int(Mode::Pwm0) << 0.5 << 0.25
                                        << "PWM0: blinks at 2.000 Hz, lit 25.00 %";
    QTest::newRow("dimmer PWM1 too fast: a brightness")
        << "PCA9532" << 3 << int(Mode::Pwm1) << 2 / 152.0 << 0.75 << "PWM1: dimmed, pulsing at 76.000 Hz, lit 75.00 %";
    QTest::newRow("blinker 0 is on") << "PCA9551" << 0 << int(Mode::On) << 0.0 << 1.0 << "On";
    QTest::newRow("blinker 1 is off") << "PCA9551" << 1 << int(Mode::Off) << 0.0 << 0.0 << "Off";
    QTest::newRow("PCA9551 blinks at 38 steps, lit 100 - p/256")
        << "PCA9551" << 2 << int(Mode::Pwm0) << 76 / 38.0 << 0.75 << "PWM0: blinks at 0.500 Hz, lit 75.00 %";
    QTest::newRow("PCA9552 blinks at 44 steps, lit 100 - p/256")
        << "PCA9552" << 2 << int(Mode::Pwm0) << 76 / 44.0 << 0.75 << "PWM0: blinks at 0.579 Hz, lit 75.00 %";
    QTest::newRow("PCA9553 five decimals") << "PCA9553" << 3 << int(Mode::Pwm1) << 2 / 44.0 << 0.25
                                           << "PWM1: dimmed, pulsing at 22.00000 Hz, lit 25.00 %";
}

void TestLed::previewLooks()
{
    QFETCH(QString, chip);
    QFETCH(int, code);
    QFETCH(int, mode);
    QFETCH(double, period);
    QFETCH(double, onFraction);
    QFETCH(QString, described);
    const Member& m = member(chip.toStdString());
    LedRegisters r;
    r.prescaler = {75, 1};
    r.pwm = {64, 192};
    r.selector.assign(std::size_t(m.selectorCount()), 0);
    r.setMode(m.leds - 1, code);
    const LedLook look = lookOf(m, r, m.leds - 1);
    QCOMPARE(int(look.mode), mode);
    QCOMPARE(look.periodSeconds, period);
    QCOMPARE(look.onFraction, onFraction);
    QCOMPARE(q(describe(m, r, m.leds - 1)), described);
}

void TestLed::previewOfANonPulsingPwmSaysDarkOrLit()
{
    // A duty cycle of 0 leaves the LED dark, one of 100 % lit: no pulsing.
    // PWM0 = 0 is 0 % on a dimmer and 100 % on a blinker.
    const auto withPwm0AtZero = [](const Member& m) {
        LedRegisters r;
        r.prescaler = {0, 0};
        r.pwm = {0, 0};
        r.selector.assign(std::size_t(m.selectorCount()), 0);
        r.setMode(0, 2);
        return r;
    };
    const Member& dimmer = member("PCA9532");
    const LedRegisters dark = withPwm0AtZero(dimmer);
    QCOMPARE(lookOf(dimmer, dark, 0).onFraction, 0.0);
    QCOMPARE(q(describe(dimmer, dark, 0, ',')), QString("PWM0: dark, duty cycle 0,00 %"));
    const Member& blinker = member("PCA9551");
    const LedRegisters lit = withPwm0AtZero(blinker);
    QCOMPARE(lookOf(blinker, lit, 0).onFraction, 1.0);
    QCOMPARE(q(describe(blinker, lit, 0)), QString("PWM0: fully lit, duty cycle 100.00 %"));
}

void TestLed::previewAnimatesSlowBlinksOnly()
{
    // 2 Hz, lit for the first quarter of each half second.
    LedLook slow{Mode::Pwm0, 0.5, 0.25};
    QVERIFY(slow.animated());
    QCOMPARE(slow.brightnessAt(0.0), 1.0);
    QCOMPARE(slow.brightnessAt(0.1), 1.0);
    QCOMPARE(slow.brightnessAt(0.2), 0.0);
    QCOMPARE(slow.brightnessAt(0.49), 0.0);
    QCOMPARE(slow.brightnessAt(0.51), 1.0);
    QCOMPARE(slow.brightnessAt(10.3), 0.0);

    // 76 Hz: too fast to follow, shown as a steady brightness.
    LedLook fast{Mode::Pwm1, 2 / 152.0, 0.75};
    QVERIFY(!fast.animated());
    QCOMPARE(fast.brightnessAt(0.0), 0.75);
    QCOMPARE(fast.brightnessAt(0.004), 0.75);

    // Steady states and a duty of 0 never move.
    QVERIFY(!LedLook({Mode::On, 0, 1}).animated());
    QCOMPARE(LedLook({Mode::On, 0, 1}).brightnessAt(3.0), 1.0);
    QCOMPARE(LedLook({Mode::Off, 0, 0}).brightnessAt(3.0), 0.0);
    LedLook dark{Mode::Pwm0, 1.0, 0.0};
    QVERIFY(!dark.animated());
    QCOMPARE(dark.brightnessAt(0.0), 0.0);
}

void TestLed::benchPowerOnValues_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QByteArray>("registers"); // from the first prescaler on
    QTest::newRow("PCA9530") << "PCA9530" << QByteArray::fromHex("0080008000");
    QTest::newRow("PCA9532") << "PCA9532" << QByteArray::fromHex("0080008000000000");
    QTest::newRow("PCA9551") << "PCA9551" << QByteArray::fromHex("FF80FF805555");
    QTest::newRow("PCA9552") << "PCA9552" << QByteArray::fromHex("FF80FF8055555555");
}

void TestLed::benchPowerOnValues()
{
    QFETCH(QString, chip);
    QFETCH(QByteArray, registers);
    tp::sim::SimulatedAdapter bench;
    tp::sim::registerStandardChips(bench);
    bench.expectChip(chip.toStdString(), 0xC0);
    const Member& m = member(chip.toStdString());
    std::vector<std::uint8_t> out;
    QCOMPARE(int(bench.writeRead(0xC0, {controlByte(m.prescaler(0), true)}, std::size_t(registers.size()), out)), 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size())), registers);
    // Every LED off: the pins float high.
    for (int i = 0; i < m.inputs; ++i) {
        QCOMPARE(int(bench.writeRead(0xC0, {controlByte(i, false)}, 1, out)), 0);
        QCOMPARE(int(out[0]), m.leds >= 8 ? 0xFF : (1 << m.leds) - 1);
    }
}

void TestLed::benchAutoIncrementWrapsAndInputsAreReadOnly()
{
    tp::sim::LedDriverChip chip(member("PCA9532"));
    // A write to an input register is acknowledged and dropped.
    QVERIFY(chip.start(0xC0, false));
    QVERIFY(chip.writeByte(0x00));
    QVERIFY(chip.writeByte(0x12));
    QCOMPARE(int(chip.reg(0)), 0xFF);
    // Auto-increment from the last selector wraps to register 0.
    QVERIFY(chip.start(0xC0, false));
    QVERIFY(chip.writeByte(0x19));
    QVERIFY(chip.writeByte(0xAA));
    QCOMPARE(int(chip.pointer()), 0);
    QCOMPARE(int(chip.reg(9)), 0xAA);
    // Without auto-increment the pointer stays: two bytes land in one register.
    QVERIFY(chip.start(0xC0, false));
    QVERIFY(chip.writeByte(0x03));
    QVERIFY(chip.writeByte(0x11));
    QVERIFY(chip.writeByte(0x22));
    QCOMPARE(int(chip.reg(3)), 0x22);
    QCOMPARE(int(chip.reg(4)), 0x00);
    QVERIFY(chip.start(0xC0, true));
    QCOMPARE(int(chip.readByte()), 0x22);
    QCOMPARE(int(chip.readByte()), 0x22);
}

void TestLed::benchRefusesBadControlBytes_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("control");
    QTest::addColumn<bool>("ack");
    QTest::newRow("PCA9530 register 5") << "PCA9530" << 0x05 << true;
    QTest::newRow("PCA9530 register 6 is missing") << "PCA9530" << 0x06 << false;
    QTest::newRow("PCA9531 register 6") << "PCA9531" << 0x16 << true;
    QTest::newRow("3-bit pointer: bit 3 set") << "PCA9531" << 0x08 << false;
    QTest::newRow("PCA9532 register 9") << "PCA9532" << 0x19 << true;
    QTest::newRow("PCA9532 register 10 is missing") << "PCA9532" << 0x0A << false;
    QTest::newRow("unused high bit") << "PCA9552" << 0x82 << false;
}

void TestLed::benchRefusesBadControlBytes()
{
    QFETCH(QString, chip);
    QFETCH(int, control);
    QFETCH(bool, ack);
    tp::sim::LedDriverChip c(member(chip.toStdString()));
    QVERIFY(c.start(0xC0, false));
    QCOMPARE(c.writeByte(std::uint8_t(control)), ack);
}

void TestLed::benchInputsFollowPinsAndDrivenLeds()
{
    // Dimmer: code 1 drives the LED pin low.
    tp::sim::LedDriverChip dim(member("PCA9533"));
    dim.setReg(5, 0x01 | 0x02 << 2); // LED 0 on, LED 1 PWM0
    QCOMPARE(int(dim.reg(0)), 0x0E);
    dim.setExternal(0xFFFB); // something outside pulls LED 2's pin low
    QCOMPARE(int(dim.reg(0)), 0x0A);

    // Blinker: code 0 drives the pin low; the second input register holds LEDs 8-15.
    tp::sim::LedDriverChip blink(member("PCA9552"));
    blink.setReg(9, 0x54); // LED 12 on
    QCOMPARE(int(blink.reg(0)), 0xFF);
    QCOMPARE(int(blink.reg(1)), 0xEF);
}

QTEST_APPLESS_MAIN(TestLed)
#include "tst_led.moc"
