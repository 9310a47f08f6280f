// The simulated PCF8563 on the bench, driven by raw bus transfers.
#include "core/common/HexText.h"
#include "core/sim/Pcf8563Chip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kSecondUs = 1000000;

struct Rig {
    SimulatedAdapter bench;
    Pcf8563Chip* rtc;
    Rig() { rtc = static_cast<Pcf8563Chip*>(&bench.place(0xA2, std::make_unique<Pcf8563Chip>())); }

    // Registers from `first` in one read, as "59 59 23".
    QString read(int first, int count)
    {
        Bytes out;
        if (bench.writeRead(0xA2, {std::uint8_t(first)}, std::size_t(count), out) != status::Success)
            return "failed";
        QStringList s;
        for (std::uint8_t b : out)
            s << QString::fromStdString(byteText(b));
        return s.join(' ');
    }
    Status write(int first, const QString& bytes)
    {
        Bytes b{std::uint8_t(first)};
        for (const QString& t : bytes.split(' ', Qt::SkipEmptyParts))
            b.push_back(std::uint8_t(t.toInt(nullptr, 16)));
        return bench.write(0xA2, b);
    }
    // Bench time moves on by `us` (the chip sees it at its next access).
    void wait(std::uint64_t us) { bench.elapse(us); }
};

} // namespace

class TestRtcChip : public QObject {
    Q_OBJECT
private slots:
    void powerOn();
    void calendarRolls_data();
    void calendarRolls();
    void ticksOnlyWhenASecondHasPassed();
    void stopHoldsTheClockAndResetsThePrescaler();
    void wordAddressAutoIncrementsAndWraps();
    void unusedBitsReadZero();
    void alarmSetsAfOnceWhenEnabledFieldsMatch();
    void flagsClearOnlyByWritingZero();
    void timerCountsDownSetsTfAndReloads();
};

void TestRtcChip::powerOn()
{
    Rig r;
    QCOMPARE(r.read(0, 16), QString("08 00 80 00 00 01 06 01 00 80 80 80 80 80 03 00"));
    QCOMPARE(r.rtc->type(), std::string("PCF8563"));
}

void TestRtcChip::calendarRolls_data()
{
    QTest::addColumn<QString>("start"); // registers 02..08
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("after");

    QTest::newRow("23:59:59 31 Dec 1999 -> 00:00:00 1 Jan 2000, century toggled")
        << "59 59 23 31 05 92 99" << 1 << "00 00 00 01 06 01 00";
    QTest::newRow("2099 -> 2100 sets the century bit") << "59 59 23 31 04 12 99" << 1 << "00 00 00 01 05 81 00";
    QTest::newRow("28 Feb 2000 is followed by 29 Feb (00 is a leap year)")
        << "59 59 23 28 01 02 00" << 1 << "00 00 00 29 02 02 00";
    QTest::newRow("29 Feb 2024 -> 1 Mar") << "59 59 23 29 04 02 24" << 1 << "00 00 00 01 05 03 24";
    QTest::newRow("28 Feb 2001 -> 1 Mar") << "59 59 23 28 03 02 01" << 1 << "00 00 00 01 04 03 01";
    QTest::newRow("30 Apr -> 1 May") << "59 59 23 30 02 04 24" << 1 << "00 00 00 01 03 05 24";
    QTest::newRow("31 Jan -> 1 Feb") << "59 59 23 31 03 01 24" << 1 << "00 00 00 01 04 02 24";
    QTest::newRow("VL stays through a minute roll") << "D9 09 12 15 01 06 24" << 1 << "80 10 12 15 01 06 24";
    QTest::newRow("an hour and a second") << "30 59 09 15 01 06 24" << 3601 << "31 59 10 15 01 06 24";
    QTest::newRow("three days from Saturday") << "00 00 00 29 06 06 24" << 3 * 86400 << "00 00 00 02 02 07 24";
}

void TestRtcChip::calendarRolls()
{
    QFETCH(QString, start);
    QFETCH(int, seconds);
    QFETCH(QString, after);
    Rig r;
    QCOMPARE(r.write(2, start), status::Success);
    r.wait(std::uint64_t(seconds) * kSecondUs);
    QCOMPARE(r.read(2, 7), after);
}

void TestRtcChip::ticksOnlyWhenASecondHasPassed()
{
    Rig r;
    r.write(2, "10 00 00");
    r.wait(kSecondUs - 2000); // the write and reads take bus time too
    QCOMPARE(r.read(2, 1), QString("10"));
    r.wait(2000);
    QCOMPARE(r.read(2, 1), QString("11"));
    r.wait(58 * kSecondUs);
    QCOMPARE(r.read(2, 2), QString("09 01"));
}

void TestRtcChip::stopHoldsTheClockAndResetsThePrescaler()
{
    Rig r;
    r.write(0, "20");
    r.write(2, "00 00 12");
    r.wait(5 * kSecondUs);
    QCOMPARE(r.read(2, 3), QString("00 00 12"));
    r.write(0, "00");
    r.wait(kSecondUs / 2);
    QCOMPARE(r.read(2, 1), QString("00"));
    r.wait(kSecondUs / 2);
    QCOMPARE(r.read(2, 1), QString("01"));
}

void TestRtcChip::wordAddressAutoIncrementsAndWraps()
{
    Rig r;
    QCOMPARE(r.write(0x0E, "82 05 00"), status::Success); // 0E, 0F, then 00
    QCOMPARE(r.read(0x0F, 3), QString("05 00 00")); // 00 took the third byte
    QCOMPARE(r.read(0x0D, 1), QString("80"));
    QCOMPARE(int(r.rtc->wordAddress()), 0x0E);
    // A read without a word address goes on from where the last one ended.
    Bytes out;
    QCOMPARE(r.bench.read(0xA2, 2, out), status::Success);
    QCOMPARE(out, (Bytes{0x82, 0x05}));
}

void TestRtcChip::unusedBitsReadZero()
{
    Rig r;
    r.write(0, "FF 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    QCOMPARE(r.read(0, 16), QString("A8 00 FF 7F 3F 3F 07 9F FF FF BF BF 87 83 83 FF"));
}

void TestRtcChip::alarmSetsAfOnceWhenEnabledFieldsMatch()
{
    Rig r;
    r.write(2, "58 00 07 15 01 06 24");
    r.write(9, "01 80 80 80"); // minute alarm at xx:01, the others off
    r.wait(kSecondUs);
    QCOMPARE(r.read(1, 1), QString("00"));
    r.wait(kSecondUs);
    QCOMPARE(r.read(1, 2), QString("08 00"));
    r.write(1, "00");
    r.wait(59 * kSecondUs); // still minute 01: no second alarm
    QCOMPARE(r.read(1, 3), QString("00 59 01"));
    r.wait(3600 * kSecondUs); // the next hour's minute 01
    QCOMPARE(r.read(1, 1), QString("08"));

    // Hour and weekday together: only where both match.
    r.write(1, "00");
    r.write(2, "59 59 08 15 01 06 24"); // Monday 08:59:59
    r.write(9, "80 09 80 02");           // 09:xx on Tuesday
    r.wait(kSecondUs);
    QCOMPARE(r.read(1, 1), QString("00"));
    r.wait((24 * 3600 - 1) * kSecondUs); // Tuesday 08:59:59
    QCOMPARE(r.read(1, 1), QString("00"));
    r.wait(kSecondUs);
    QCOMPARE(r.read(1, 1), QString("08"));
    QCOMPARE(r.read(4, 3), QString("09 16 02"));
}

void TestRtcChip::flagsClearOnlyByWritingZero()
{
    Rig r;
    r.rtc->setReg(1, 0x0C); // AF and TF pending
    QCOMPARE(r.write(1, "1F"), status::Success);
    QCOMPARE(r.read(1, 1), QString("1F")); // a 1 leaves them, the other bits take the write
    r.write(1, "17");
    QCOMPARE(r.read(1, 1), QString("17")); // AF cleared
    r.write(1, "0B");
    QCOMPARE(r.read(1, 1), QString("03")); // TF cleared; a 1 cannot set AF again
}

void TestRtcChip::timerCountsDownSetsTfAndReloads()
{
    Rig r;
    r.write(0x0E, "82 03"); // enabled, 1 Hz, count 3
    r.wait(2 * kSecondUs);
    QCOMPARE(r.read(1, 1), QString("00"));
    QCOMPARE(r.read(0x0F, 1), QString("01"));
    r.wait(kSecondUs);
    QCOMPARE(r.read(1, 1), QString("04"));
    QCOMPARE(r.read(0x0F, 1), QString("03")); // reloaded

    // Disabled, it holds its count.
    r.write(0x0E, "02");
    r.wait(10 * kSecondUs);
    QCOMPARE(r.read(0x0F, 1), QString("03"));

    // 64 Hz: 10 ticks in 156.25 ms.
    r.write(1, "00");
    r.write(0x0E, "81 0A");
    r.wait(150000);
    QCOMPARE(r.read(1, 1), QString("00"));
    r.wait(7000);
    QCOMPARE(r.read(1, 1), QString("04"));
}

QTEST_APPLESS_MAIN(TestRtcChip)
#include "tst_rtc_chip.moc"
