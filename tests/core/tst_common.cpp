#include "core/common/Bcd.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/common/NumberText.h"
#include "core/common/Status.h"

#include <QtTest>

using namespace tp;

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void intToHex_data();
    void intToHex();
    void hexToInt_data();
    void hexToInt();
    void hexToIntRejects_data();
    void hexToIntRejects();
    void formatFixed_data();
    void formatFixed();
    void bcd_data();
    void bcd();
    void statusTable_data();
    void statusTable();
    void unknownCodesHaveNoMessage();
};

void TestCommon::intToHex_data()
{
    QTest::addColumn<qulonglong>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::newRow("pad") << 10ull << 2 << "0A";
    QTest::newRow("exact") << 255ull << 2 << "FF";
    QTest::newRow("widened") << 0x1FFull << 2 << "1FF";
    QTest::newRow("zero one digit") << 0ull << 1 << "0";
    QTest::newRow("zero no digits") << 0ull << 0 << "0";
    QTest::newRow("four") << 0xABCull << 4 << "0ABC";
}

void TestCommon::intToHex()
{
    QFETCH(qulonglong, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(tp::intToHex(value, digits)), text);
}

void TestCommon::hexToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("value");
    QTest::newRow("upper") << "FF" << 255u;
    QTest::newRow("lower") << "a0" << 160u;
    QTest::newRow("one digit") << "7" << 7u;
    QTest::newRow("leading zeros") << "0001" << 1u;
    QTest::newRow("eight digits") << "FFFFFFFF" << 0xFFFFFFFFu;
}

void TestCommon::hexToInt()
{
    QFETCH(QString, text);
    QFETCH(uint, value);
    QCOMPARE(tp::hexToInt(text.toStdString()), value);
}

void TestCommon::hexToIntRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("letter") << "G1" << "'$G1' is not a valid integer value";
    QTest::newRow("empty") << "" << "'$' is not a valid integer value";
    QTest::newRow("blank") << " 1" << "'$ 1' is not a valid integer value";
    QTest::newRow("too long") << "123456789" << "'$123456789' is not a valid integer value";
    QTest::newRow("sign") << "-1" << "'$-1' is not a valid integer value";
}

void TestCommon::hexToIntRejects()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        tp::hexToInt(text.toStdString());
        QFAIL("no error");
    } catch (const InvalidNumber& e) {
        QCOMPARE(QString::fromStdString(e.what()), message);
    }
}

void TestCommon::formatFixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("significant");
    QTest::addColumn<QString>("text");
    QTest::newRow("half away from zero") << 3.125 << 2 << 0 << "3.13";
    QTest::newRow("negative half") << -3.125 << 2 << 0 << "-3.13";
    QTest::newRow("stored just below the half") << 1.005 << 2 << 0 << "1.00";
    QTest::newRow("padding") << 2.5 << 3 << 0 << "2.500";
    QTest::newRow("no decimals") << 2.5 << 0 << 0 << "3";
    QTest::newRow("small") << 0.0042 << 3 << 0 << "0.004";
    QTest::newRow("carry into integer") << 9.999 << 2 << 0 << "10.00";
    QTest::newRow("negative to zero") << -0.001 << 2 << 0 << "0.00";
    QTest::newRow("significant limit first") << 123.456 << 3 << 4 << "123.500";
    QTest::newRow("significant limit later") << 1.23456 << 2 << 6 << "1.23";
    QTest::newRow("leading fraction zeros") << 0.0625 << 4 << 0 << "0.0625";
    QTest::newRow("large") << 1000000.0 << 1 << 0 << "1000000.0";
    QTest::newRow("zero") << 0.0 << 2 << 0 << "0.00";
}

void TestCommon::formatFixed()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(int, significant);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(tp::formatFixed(value, decimals, '.', significant)), text);
    QCOMPARE(QString::fromStdString(tp::formatFixed(value, decimals, ',', significant)),
             QString(text).replace('.', ','));
}

void TestCommon::bcd_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("0") << 0 << 0x00;
    QTest::newRow("9") << 9 << 0x09;
    QTest::newRow("10") << 10 << 0x10;
    QTest::newRow("59") << 59 << 0x59;
    QTest::newRow("99") << 99 << 0x99;
}

void TestCommon::bcd()
{
    QFETCH(int, value);
    QFETCH(int, code);
    QCOMPARE(int(bcdEncode(value)), code);
    QCOMPARE(bcdDecode(static_cast<std::uint8_t>(code)), value);
    // Nibbles above 9 read as 9.
    QCOMPARE(bcdDecode(0xAF), 99);
    QCOMPARE(bcdDecode(0x3C), 39);
}

void TestCommon::statusTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("background");
    QTest::addColumn<bool>("gradient");
    QTest::addColumn<uint>("textColour");
    QTest::addColumn<bool>("centred");
    QTest::newRow("0") << 0 << "Transmission successful" << 0x00A000u << false << 0xFFFFFFu << true;
    QTest::newRow("1") << 1 << "  Address not acknowledged" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("2") << 2 << "  Data not acknowledged" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("3") << 3 << "  Read acknowledge corrupted" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("4") << 4 << "  SCL/SDA stuck low" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("7") << 7 << "  Arbitration Lost" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("8") << 8 << QString::fromUtf8("  I\u00B2C Time-Out") << 0xFF0000u << false << 0xFFFFFFu << false;
    QTest::newRow("64") << 64 << " Write and Verify Successful" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("65") << 65 << " Verification Successful" << 0x00A000u << false << 0xFFFFFFu << true;
    QTest::newRow("72") << 72 << " Invalid Text File" << 0xFFFF00u << true << 0x000000u << true;
    QTest::newRow("114") << 114 << " Device Driver not running" << 0xFFFF00u << true << 0x000000u << true;
    QTest::newRow("116") << 116 << " Transfer refused by the adapter" << 0xFFFF00u << true << 0x000000u
                         << true;
    QTest::newRow("117") << 117 << " System Registry Error" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("128") << 128 << " SCL stuck low" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("153") << 153 << "  Verification Error" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("170") << 170 << " No Hardware Connected" << 0xFF0000u << false << 0xFFFFFFu << true;
    QTest::newRow("255") << 255 << "  Hardware not detected" << 0xFF0000u << false << 0xFFFFFFu << true;
}

void TestCommon::statusTable()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(uint, background);
    QFETCH(bool, gradient);
    QFETCH(uint, textColour);
    QFETCH(bool, centred);
    auto m = statusMessage(static_cast<Status>(code));
    QVERIFY(m.has_value());
    QCOMPARE(QString::fromStdString(m->text), text);
    QCOMPARE(m->background, background);
    QCOMPARE(m->gradientTo.has_value(), gradient);
    if (gradient)
        QCOMPARE(*m->gradientTo, Rgb(colour::Red));
    QCOMPARE(m->textColour, textColour);
    QCOMPARE(m->align == Align::Centre, centred);
    QVERIFY(!m->bold);
}

void TestCommon::unknownCodesHaveNoMessage()
{
    for (int code : {5, 6, 9, 63, 66, 200, 254})
        QVERIFY2(!statusMessage(static_cast<Status>(code)), qPrintable(QString::number(code)));
}

QTEST_APPLESS_MAIN(TestCommon)
#include "tst_common.moc"
