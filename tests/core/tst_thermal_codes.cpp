#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/Ne1617.h"
#include "core/devices/thermal/Sa56004.h"
#include "core/devices/thermal/Se98.h"
#include "core/devices/thermal/TemperatureTrace.h"

#include <QtTest>

using namespace tp;

namespace {
QString q(const std::string& s)
{
    return QString::fromStdString(s);
}
const QString kDeg = QStringLiteral("\u00B0C");
} // namespace

class TestThermalCodes : public QObject {
    Q_OBJECT
private slots:
    void lm75aTemperature_data();
    void lm75aTemperature();
    void lm75aLimits_data();
    void lm75aLimits();
    void lm75aConfigFieldsKeepOtherBits_data();
    void lm75aConfigFieldsKeepOtherBits();
    void sa56004ElevenBit_data();
    void sa56004ElevenBit();
    void sa56004EightBitLimitsAreTwosComplement_data();
    void sa56004EightBitLimitsAreTwosComplement();
    void sa56004WriteNumbers();
    void ne1617Values();
    void se98Temperature_data();
    void se98Temperature();
    void se98Trips_data();
    void se98Trips();
    void se98EncodersRoundTrip();
    void se98Hysteresis();
    void traceCsv();
    void traceDropsOldestBeyondCapacity();
};

void TestThermalCodes::lm75aTemperature_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("+126.875") << 0x7EE0 << "126.875";
    QTest::newRow("+0.125") << 0x0020 << "0.125";
    QTest::newRow("-54.875") << 0xC920 << "-54.875";
    QTest::newRow("-55") << 0xC900 << "-55.000";
    QTest::newRow("-0.125, low bits set") << 0xFFFF << "-0.125";
    QTest::newRow("25, low bits ignored") << 0x191F << "25.000";
    QTest::newRow("max") << 0x7FFF << "127.875";
    QTest::newRow("min") << 0x8000 << "-128.000";
    QTest::newRow("-25") << 0xE700 << "-25.000";
}

void TestThermalCodes::lm75aTemperature()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QCOMPARE(q(lm75a::temperatureText(std::uint16_t(word))), text + kDeg);
    QCOMPARE(q(lm75a::temperatureText(std::uint16_t(word), ',')), QString(text).replace('.', ',') + kDeg);
}

void TestThermalCodes::lm75aLimits_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("written");
    QTest::newRow("75, low bits dropped") << 0x4B7F << 150 << "75.0" << 0x4B00;
    QTest::newRow("75.5") << 0x4BFF << 151 << "75.5" << 0x4B80;
    QTest::newRow("-0.5") << 0xFF80 << -1 << "-0.5" << 0xFF80;
    QTest::newRow("top") << 0x7F80 << 255 << "127.5" << 0x7F80;
    QTest::newRow("bottom") << 0x8000 << -256 << "-128.0" << 0x8000;
}

void TestThermalCodes::lm75aLimits()
{
    QFETCH(int, word);
    QFETCH(int, count);
    QFETCH(QString, text);
    QFETCH(int, written);
    QCOMPARE(lm75a::limitCount(std::uint16_t(word)), count);
    QCOMPARE(q(lm75a::limitText(count)), text + kDeg);
    QCOMPARE(int(lm75a::limitWord(count)), written);
}

void TestThermalCodes::lm75aConfigFieldsKeepOtherBits_data()
{
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("field"); // 0 shutdown, 1 OS mode, 2 polarity, 3 fault queue
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("result");
    QTest::newRow("interrupt from 00") << 0x00 << 1 << 1 << 0x02;
    QTest::newRow("fault queue 3 keeps 7-5") << 0xE0 << 3 << 3 << 0xF8;
    QTest::newRow("fault queue 0 clears only 4-3") << 0xFF << 3 << 0 << 0xE7;
    QTest::newRow("normal clears bit 0") << 0xA7 << 0 << 0 << 0xA6;
    QTest::newRow("polarity high") << 0x81 << 2 << 1 << 0x85;
}

void TestThermalCodes::lm75aConfigFieldsKeepOtherBits()
{
    QFETCH(int, image);
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(int, result);
    const lm75a::ConfigField fields[] = {lm75a::kShutdown, lm75a::kOsMode, lm75a::kOsPolarity, lm75a::kFaultQueue};
    const std::uint8_t out = lm75a::withField(std::uint8_t(image), fields[field], value);
    QCOMPARE(int(out), result);
    QCOMPARE(lm75a::fieldValue(out, fields[field]), value);
}

void TestThermalCodes::sa56004ElevenBit_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("text");
    QTest::newRow("125") << 0x7D << 0x00 << "125.000";
    QTest::newRow("0.125") << 0x00 << 0x20 << "0.125";
    QTest::newRow("-1") << 0xFF << 0x00 << "-1.000";
    QTest::newRow("-55") << 0xC9 << 0x00 << "-55.000";
    QTest::newRow("25, bits 4-0 ignored") << 0x19 << 0x1F << "25.000";
    QTest::newRow("25.375") << 0x19 << 0x60 << "25.375";
    QTest::newRow("-25") << 0xE7 << 0x00 << "-25.000";
    QTest::newRow("-0.125") << 0xFF << 0xE0 << "-0.125";
    QTest::newRow("70.875") << 0x46 << 0xE0 << "70.875";
}

void TestThermalCodes::sa56004ElevenBit()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, text);
    QCOMPARE(q(sa56004::elevenBitText(std::uint8_t(high), std::uint8_t(low))), text);
}

void TestThermalCodes::sa56004EightBitLimitsAreTwosComplement_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");
    QTest::newRow("70") << 0x46 << 70;
    QTest::newRow("85") << 0x55 << 85;
    QTest::newRow("127") << 0x7F << 127;
    QTest::newRow("-128") << 0x80 << -128;
    QTest::newRow("-127") << 0x81 << -127;
    QTest::newRow("-55") << 0xC9 << -55;
    QTest::newRow("-1") << 0xFF << -1;
}

void TestThermalCodes::sa56004EightBitLimitsAreTwosComplement()
{
    QFETCH(int, byte);
    QFETCH(int, value);
    QCOMPARE(sa56004::limitValue(std::uint8_t(byte)), value);
}

void TestThermalCodes::sa56004WriteNumbers()
{
    const QList<QPair<int, int>> pairs{{0x03, 0x09}, {0x04, 0x0A}, {0x05, 0x0B}, {0x06, 0x0C}, {0x07, 0x0D},
                                       {0x08, 0x0E}, {0x13, 0x13}, {0x11, 0x11}, {0x19, 0x19}, {0x21, 0x21}};
    for (const auto& [read, write] : pairs)
        QCOMPARE(int(sa56004::writeNumber(std::uint8_t(read))), write);
    QCOMPARE(sa56004::hysteresisValue(0x2A), 10);
}

void TestThermalCodes::ne1617Values()
{
    QCOMPARE(ne1617::signedValue(0x19), 25);
    QCOMPARE(ne1617::signedValue(0xC9), -55);
    QCOMPARE(ne1617::signedValue(0x80), -128);
    QCOMPARE(int(ne1617::byteOf(-55)), 0xC9);
    QCOMPARE(int(ne1617::byteOf(-128)), 0x80);
    QCOMPARE(int(ne1617::wcValue(true, true)), 0xC0);
    QCOMPARE(int(ne1617::wcValue(false, true)), 0x40);
    QCOMPARE(q(*ne1617::rateText(0)), QStringLiteral("0.0625"));
    QCOMPARE(q(*ne1617::rateText(2)), QStringLiteral("0.25"));
    QCOMPARE(q(*ne1617::rateText(7)), QStringLiteral("8"));
    QVERIFY(!ne1617::rateText(8));
}

void TestThermalCodes::se98Temperature_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("act");
    QTest::addColumn<bool>("aaw");
    QTest::addColumn<bool>("baw");
    QTest::newRow("+25") << 0x0190 << "25.000" << false << false << false;
    QTest::newRow("+25.75") << 0x019C << "25.750" << false << false << false;
    QTest::newRow("-25") << 0x1E70 << "-25.000" << false << false << false;
    QTest::newRow("-25 with the flags") << 0xFE70 << "-25.000" << true << true << true;
    QTest::newRow("-25.75") << 0x1E64 << "-25.750" << false << false << false;
    QTest::newRow("-0.125") << 0x1FFE << "-0.125" << false << false << false;
    QTest::newRow("-1") << 0x1FF0 << "-1.000" << false << false << false;
    QTest::newRow("-55") << 0x1C90 << "-55.000" << false << false << false;
    QTest::newRow("+125") << 0x07D0 << "125.000" << false << false << false;
    QTest::newRow("+25 with ACT") << 0x8190 << "25.000" << true << false << false;
    QTest::newRow("bit 0 ignored") << 0x0191 << "25.000" << false << false << false;
}

void TestThermalCodes::se98Temperature()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QFETCH(bool, act);
    QFETCH(bool, aaw);
    QFETCH(bool, baw);
    QCOMPARE(q(se98::temperatureText(std::uint16_t(word))), text);
    QCOMPARE(bool(word & se98::kACT), act);
    QCOMPARE(bool(word & se98::kAAW), aaw);
    QCOMPARE(bool(word & se98::kBAW), baw);
}

void TestThermalCodes::se98Trips_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("85") << 0x0550 << "85.00";
    QTest::newRow("-20") << 0x1EC0 << "-20.00";
    QTest::newRow("-0.25") << 0x1FFC << "-0.25";
    QTest::newRow("-1.25") << 0x1FEC << "-1.25";
    QTest::newRow("bits 1-0 ignored") << 0x0553 << "85.00";
    QTest::newRow("0") << 0x0000 << "0.00";
    QTest::newRow("-12 (not -20)") << 0x1F40 << "-12.00";
}

void TestThermalCodes::se98Trips()
{
    QFETCH(int, word);
    QFETCH(QString, text);
    QCOMPARE(q(se98::tripText(std::uint16_t(word))), text);
}

void TestThermalCodes::se98EncodersRoundTrip()
{
    QCOMPARE(int(se98::temperatureWord(-25.0)), 0x1E70);
    QCOMPARE(int(se98::temperatureWord(-0.125)), 0x1FFE);
    QCOMPARE(int(se98::temperatureWord(125.0)), 0x07D0);
    QCOMPARE(int(se98::tripWord(-20.0)), 0x1EC0);
    QCOMPARE(int(se98::tripWord(85.0)), 0x0550);
    for (double c = -60; c <= 130; c += 0.25)
        QCOMPARE(se98::tripCelsius(se98::tripWord(c)), c);
}

void TestThermalCodes::se98Hysteresis()
{
    QCOMPARE(int(se98::withHysteresis(0x0001, 2)), 0x0401);
    QCOMPARE(int(se98::withHysteresis(0xF9FF, 3)), 0x07FF); // bits 15-11 cleared
    QCOMPARE(se98::hysteresisIndex(0x0401), 2);
}

void TestThermalCodes::traceCsv()
{
    thermal::TemperatureTrace trace({"Local", "Remote"});
    trace.add(0.0, 1714564800000, {25.125, -3.5});
    trace.addFailure(1.5, 1714564801500, "Read failed: Address not acknowledged");
    trace.add(2.0, 1714564802000, {25.25, -3.0});
    QCOMPARE(q(trace.csv()), QStringLiteral("Time (UTC),Seconds,Local (\u00B0C),Remote (\u00B0C),Note\r\n"
                                            "2024-05-01T12:00:00.000Z,0.000,25.125,-3.500,\r\n"
                                            "2024-05-01T12:00:01.500Z,1.500,,,Read failed: Address not acknowledged\r\n"
                                            "2024-05-01T12:00:02.000Z,2.000,25.250,-3.000,\r\n"));
    thermal::TemperatureTrace quoted({"A"});
    quoted.addFailure(0, 0, "say \"no\", twice");
    QVERIFY(quoted.csv().ends_with(",\"say \"\"no\"\", twice\"\r\n"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, trace.add(3, 0, {1.0}));
}

void TestThermalCodes::traceDropsOldestBeyondCapacity()
{
    thermal::TemperatureTrace trace({"T"}, 3);
    for (int i = 0; i < 5; ++i)
        trace.add(i, i * 1000, {double(i)});
    QCOMPARE(int(trace.samples().size()), 3);
    QCOMPARE(trace.samples().front().seconds, 2.0);
    trace.clear();
    QVERIFY(trace.empty());
}

QTEST_APPLESS_MAIN(TestThermalCodes)
#include "tst_thermal_codes.moc"
