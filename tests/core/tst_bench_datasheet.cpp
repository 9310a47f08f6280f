#include "core/sim/DipSwitchChip.h"
#include "core/sim/IoExpanderChip.h"
#include "core/sim/Lm75aChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

// Bench models against their datasheets, where a window's test first met a difference.
class TestBenchDatasheet : public QObject {
    Q_OBJECT
private slots:
    void nvWriteCycleEndsOnWallTime();
    void fourBitExpanderUpperBitsReadOne_data();
    void fourBitExpanderUpperBitsReadOne();
    void pca9556DrivesEveryPin();
    void lm75aComparesNineBits_data();
    void lm75aComparesNineBits();
    void lm75aShutdownAndOs_data();
    void lm75aShutdownAndOs();
};

// Written without polling (expert mode), a PCA9560 answers again once the
// write time has passed on the wall, even with no bus traffic in between.
void TestBenchDatasheet::nvWriteCycleEndsOnWallTime()
{
    SimulatedAdapter bench;
    std::uint64_t wallNs = 1'000'000'000;
    bench.setWallClock([&] { return wallNs; });
    bench.place(0x40, std::make_unique<DipSwitchChip>(DipSwitchChip::pca9560()));
    QCOMPARE(bench.write(0x40, {0x00, 0x15}), Status(0));
    std::vector<std::uint8_t> got;
    QCOMPARE(bench.read(0x40, 1, got), Status(1)); // in its write cycle
    wallNs += 9'000'000;
    QCOMPARE(bench.read(0x40, 1, got), Status(1));
    wallNs += 2'000'000;
    QCOMPARE(bench.writeRead(0x40, {0x00}, 1, got), Status(0));
    QCOMPARE(got[0], std::uint8_t(0x15));
}

void TestBenchDatasheet::fourBitExpanderUpperBitsReadOne_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("read");
    QTest::newRow("PCA9536 output") << "PCA9536" << 1 << 0x05 << 0xF5;
    QTest::newRow("PCA9536 configuration") << "PCA9536" << 3 << 0x0A << 0xFA;
    QTest::newRow("PCA9536 polarity as written") << "PCA9536" << 2 << 0x05 << 0x05;
    QTest::newRow("PCA9554 output all eight") << "PCA9554" << 1 << 0x05 << 0x05;
}

void TestBenchDatasheet::fourBitExpanderUpperBitsReadOne()
{
    QFETCH(QString, type);
    QFETCH(int, reg);
    QFETCH(int, written);
    QFETCH(int, read);
    SimulatedAdapter bench;
    bench.place(0x82, std::make_unique<IoExpanderChip>(type.toStdString()));
    QCOMPARE(bench.write(0x82, {std::uint8_t(reg), std::uint8_t(written)}), Status(0));
    std::vector<std::uint8_t> got;
    QCOMPARE(bench.writeRead(0x82, {std::uint8_t(reg)}, 1, got), Status(0));
    QCOMPARE(int(got[0]), read);
}

// The PCA9556 has push-pull outputs on every pin; the PCA9557's IO0 is open-drain.
void TestBenchDatasheet::pca9556DrivesEveryPin()
{
    for (const char* type : {"PCA9556", "PCA9557"}) {
        IoExpanderChip chip{std::string(type)};
        chip.setReg(chip.configReg(0), 0x00); // all outputs
        chip.setReg(chip.outputReg(0), 0x01);
        chip.setExternal(0, 0xFE); // something outside pulls IO0 low
        QCOMPARE(int(chip.pins() & 1), std::string(type) == "PCA9556" ? 1 : 0);
    }
    SimulatedAdapter bench;
    registerStandardChips(bench);
    bench.expectChip("PCA9556", 0x30);
    QCOMPARE(QString::fromStdString(bench.chipAt(0x30)->type()), QString("PCA9556"));
}

// The limits have 9 bits (0.5 °C): the temperature's lower bits take no part.
void TestBenchDatasheet::lm75aComparesNineBits_data()
{
    QTest::addColumn<double>("rise");
    QTest::addColumn<bool>("active");
    QTest::addColumn<double>("fall");
    QTest::addColumn<bool>("stillActive");
    // Tos 80 °C, Thyst 75 °C (power-on).
    QTest::newRow("80.25 is 80 to the comparator") << 80.25 << false << 0.0 << false;
    QTest::newRow("80.5 is above") << 80.5 << true << 75.25 << true;
    QTest::newRow("74.875 is 74.5, below Thyst") << 81.0 << true << 74.875 << false;
}

void TestBenchDatasheet::lm75aComparesNineBits()
{
    QFETCH(double, rise);
    QFETCH(bool, active);
    QFETCH(double, fall);
    QFETCH(bool, stillActive);
    Lm75aChip chip;
    chip.setTemperature(rise);
    QCOMPARE(chip.osActive(), active);
    if (active) {
        chip.setTemperature(fall);
        QCOMPARE(chip.osActive(), stillActive);
    }
}

void TestBenchDatasheet::lm75aShutdownAndOs_data()
{
    QTest::addColumn<std::uint8_t>("mode"); // configuration without the shutdown bit
    QTest::addColumn<bool>("activeAfterShutdown");
    QTest::newRow("comparator keeps OS") << std::uint8_t(0x00) << true;
    QTest::newRow("interrupt releases OS") << std::uint8_t(0x02) << false;
}

void TestBenchDatasheet::lm75aShutdownAndOs()
{
    QFETCH(std::uint8_t, mode);
    QFETCH(bool, activeAfterShutdown);
    SimulatedAdapter bench;
    auto& chip = static_cast<Lm75aChip&>(bench.place(0x90, std::make_unique<Lm75aChip>()));
    QCOMPARE(bench.write(0x90, {0x01, mode}), Status(0));
    chip.setTemperature(90);
    QVERIFY(chip.osActive());
    QCOMPARE(bench.write(0x90, {0x01, std::uint8_t(mode | 0x01)}), Status(0));
    QCOMPARE(chip.osActive(), activeAfterShutdown);
    // Shut down, the chip measures nothing: OS stays as it is whatever happens outside.
    chip.setTemperature(20);
    QCOMPARE(chip.osActive(), activeAfterShutdown);
}

QTEST_APPLESS_MAIN(TestBenchDatasheet)
#include "tst_bench_datasheet.moc"
