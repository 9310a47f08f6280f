#include "core/devices/ports/Pcf857x.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

QStringList notes(const SimulatedAdapter& bench)
{
    QStringList out;
    for (const BusLogEntry& e : bench.log().entries())
        if (e.isNote())
            out.append(QString::fromStdString(e.note));
    return out;
}

std::vector<std::uint8_t> readBack(SimulatedAdapter& bench, std::uint8_t address, std::size_t n)
{
    std::vector<std::uint8_t> out;
    if (bench.read(address, n, out) != status::Success)
        return {};
    return out;
}

} // namespace

class TestBenchPorts : public QObject {
    Q_OBJECT
private slots:
    void latchIsNotReadablePinsAre_data();
    void latchIsNotReadablePinsAre();
    void sixteenBitPortsAlternateLowFirst();
    void placesExpectedChipOnFreeAddress();
    void keepsChipOfSameTypeWithItsState();
    void replacesChipPlacedForAnotherWindowAndBringsItBack();
    void neverMovesChipPlacedOnPurpose();
    void unknownTypeChangesNothing();
    void standardChipsKnowThePortExpanders();
};

void TestBenchPorts::latchIsNotReadablePinsAre_data()
{
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("outside"); // 0 bits pull the pin low
    QTest::addColumn<int>("read");
    QTest::newRow("power-on latch, nothing outside") << -1 << 0xFF << 0xFF;
    QTest::newRow("outside pulls released pins low") << 0xFF << 0x5A << 0x5A;
    QTest::newRow("latch drives low") << 0x0F << 0xFF << 0x0F;
    QTest::newRow("either pulls low") << 0x0F << 0xF5 << 0x05;
    QTest::newRow("outside high cannot beat latch low") << 0x00 << 0xFF << 0x00;
}

void TestBenchPorts::latchIsNotReadablePinsAre()
{
    QFETCH(int, written);
    QFETCH(int, outside);
    QFETCH(int, read);
    SimulatedAdapter bench;
    auto& chip = static_cast<QuasiBidirectionalPort&>(
        bench.place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8574", 1)));
    chip.setExternal(0, static_cast<std::uint8_t>(outside));
    if (written >= 0)
        QCOMPARE(bench.write(0x40, {static_cast<std::uint8_t>(written)}), status::Success);
    QCOMPARE(readBack(bench, 0x40, 1), (std::vector<std::uint8_t>{static_cast<std::uint8_t>(read)}));
    QCOMPARE(int(chip.latch()), written >= 0 ? written : 0xFF);
}

void TestBenchPorts::sixteenBitPortsAlternateLowFirst()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<QuasiBidirectionalPort&>(
        bench.place(0x42, std::make_unique<QuasiBidirectionalPort>("PCF8575", 2)));
    QCOMPARE(bench.write(0x42, {0x34, 0x12}), status::Success);
    QCOMPARE(int(chip.latch(0)), 0x34);
    QCOMPARE(int(chip.latch(1)), 0x12);
    // More bytes keep alternating: the last pair wins.
    QCOMPARE(bench.write(0x42, {0x01, 0x02, 0xF0, 0x0F}), status::Success);
    QCOMPARE(int(chip.latch(0)), 0xF0);
    QCOMPARE(int(chip.latch(1)), 0x0F);
    chip.setExternal(0, 0x3F);
    chip.setExternal(1, 0xFE);
    QCOMPARE(readBack(bench, 0x42, 4), (std::vector<std::uint8_t>{0x30, 0x0E, 0x30, 0x0E}));
    // A new message starts at the low port again.
    QCOMPARE(readBack(bench, 0x42, 1), (std::vector<std::uint8_t>{0x30}));
}

void TestBenchPorts::placesExpectedChipOnFreeAddress()
{
    SimulatedAdapter bench;
    registerStandardChips(bench);
    bench.expectChip(pcf857x::kPcf8574, 0x41); // the read address names the same chip
    auto* chip = bench.chipAt<QuasiBidirectionalPort>(0x40);
    QVERIFY(chip);
    QCOMPARE(QString::fromStdString(chip->type()), QStringLiteral("PCF8574"));
    QCOMPARE(notes(bench), QStringList{"bench: placed a simulated PCF8574 at 0x40"});
}

void TestBenchPorts::keepsChipOfSameTypeWithItsState()
{
    SimulatedAdapter bench;
    registerStandardChips(bench);
    bench.expectChip(pcf857x::kPcf8575, 0x40);
    QCOMPARE(bench.write(0x40, {0x11, 0x22}), status::Success);
    ChipModel* first = bench.chipAt(0x40);
    bench.log().clear();
    bench.expectChip(pcf857x::kPcf8575, 0x40);
    QCOMPARE(bench.chipAt(0x40), first);
    QVERIFY(notes(bench).isEmpty());
    QCOMPARE(int(bench.chipAt<QuasiBidirectionalPort>(0x40)->latch(1)), 0x22);
}

void TestBenchPorts::replacesChipPlacedForAnotherWindowAndBringsItBack()
{
    // Several window types default to 0x40; each must find its own chip there.
    SimulatedAdapter bench;
    registerStandardChips(bench);
    bench.expectChip(pcf857x::kPcf8574, 0x40);
    QCOMPARE(bench.write(0x40, {0x5A}), status::Success);
    bench.log().clear();

    bench.expectChip(pcf857x::kPcf8575, 0x40);
    QCOMPARE(QString::fromStdString(bench.chipAt(0x40)->type()), QStringLiteral("PCF8575"));
    QCOMPARE(notes(bench), (QStringList{"bench: set aside the simulated PCF8574 at 0x40",
                                        "bench: placed a simulated PCF8575 at 0x40"}));
    QCOMPARE(bench.write(0x40, {0x01, 0x02}), status::Success);
    bench.log().clear();

    // Back to the first window: the chip it met comes back with what it held.
    bench.expectChip(pcf857x::kPcf8574, 0x40);
    auto* again = bench.chipAt<QuasiBidirectionalPort>(0x40);
    QCOMPARE(QString::fromStdString(again->type()), QStringLiteral("PCF8574"));
    QCOMPARE(int(again->latch()), 0x5A);
    QCOMPARE(notes(bench), (QStringList{"bench: set aside the simulated PCF8575 at 0x40",
                                        "bench: put back the simulated PCF8574 met at 0x40 before"}));
    bench.expectChip(pcf857x::kPcf8575, 0x40);
    QCOMPARE(int(bench.chipAt<QuasiBidirectionalPort>(0x40)->latch(1)), 0x02);
}

void TestBenchPorts::neverMovesChipPlacedOnPurpose()
{
    SimulatedAdapter bench;
    registerStandardChips(bench);
    ChipModel& mine = bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256));
    bench.expectChip(pcf857x::kPcf8574, 0x40);
    QCOMPARE(bench.chipAt(0x40), &mine);
    QVERIFY(notes(bench).isEmpty());

    // A chip placed on purpose also ends what the bench set aside there.
    bench.expectChip(pcf857x::kPcf8574, 0x42);
    QCOMPARE(bench.write(0x42, {0x00}), status::Success);
    bench.expectChip(pcf857x::kPcf8575, 0x42); // sets the PCF8574 aside
    bench.place(0x42, std::make_unique<RegisterChip>("Register256", 256));
    bench.remove(0x42);
    bench.log().clear();
    bench.expectChip(pcf857x::kPcf8574, 0x42);
    QCOMPARE(notes(bench), QStringList{"bench: placed a simulated PCF8574 at 0x42"});
    QCOMPARE(int(bench.chipAt<QuasiBidirectionalPort>(0x42)->latch()), 0xFF);
}

void TestBenchPorts::unknownTypeChangesNothing()
{
    SimulatedAdapter bench; // no types registered
    bench.expectChip(pcf857x::kPcf8574, 0x40);
    QVERIFY(!bench.chipAt(0x40));
    QVERIFY(notes(bench).isEmpty());
    std::vector<std::uint8_t> out;
    QCOMPARE(bench.read(0x40, 1, out), status::AddressNack);
}

void TestBenchPorts::standardChipsKnowThePortExpanders()
{
    SimulatedAdapter bench;
    registerStandardChips(bench);
    for (const char* t : {pcf857x::kPcf8574, pcf857x::kPcf8574A, pcf857x::kPcf8575})
        QVERIFY2(bench.knowsType(t), t);
    bench.expectChip(pcf857x::kPcf8575, 0x4E);
    QCOMPARE(bench.chipAt<QuasiBidirectionalPort>(0x4E)->ports(), 2);
    bench.expectChip(pcf857x::kPcf8574A, 0x70);
    QCOMPARE(bench.chipAt<QuasiBidirectionalPort>(0x70)->ports(), 1);
}

QTEST_APPLESS_MAIN(TestBenchPorts)
#include "tst_bench_ports.moc"
