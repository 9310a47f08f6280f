#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/Se98.h"
#include "core/sim/Lm75aChip.h"
#include "core/sim/Ne1617Chip.h"
#include "core/sim/Sa56004Chip.h"
#include "core/sim/Se98Chip.h"
#include "core/sim/SimulatedAdapter.h"
#include "core/sim/ThermalChips.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

// A bench with one chip of type T at `address`.
template <class T> struct Rig {
    SimulatedAdapter bench;
    T* chip;
    std::uint8_t address;

    explicit Rig(std::uint8_t a) : address(a)
    {
        chip = static_cast<T*>(&bench.place(a, std::make_unique<T>()));
    }
    Status write(std::vector<std::uint8_t> bytes) { return bench.write(address, std::move(bytes)); }
    std::vector<std::uint8_t> read(std::uint8_t reg, std::size_t n)
    {
        std::vector<std::uint8_t> out;
        if (bench.writeRead(address, {reg}, n, out) != status::Success)
            return {};
        return out;
    }
    int byte(std::uint8_t reg) { return read(reg, 1).at(0); }
    int word(std::uint8_t reg)
    {
        const auto b = read(reg, 2);
        return b.at(0) << 8 | b.at(1);
    }
};

} // namespace

class TestBenchThermal : public QObject {
    Q_OBJECT
private slots:
    void lm75aRegisters();
    void lm75aPointerPersistsAndMustBeValid();
    void lm75aComparatorWithFaultQueue_data();
    void lm75aComparatorWithFaultQueue();
    void lm75aInterruptModeIsReleasedByAnyRead();
    void lm75aShutdownStopsConversions();
    void sa56004TemperaturesAndWriteNumbers();
    void sa56004FlagsLatchUntilRead();
    void sa56004AlertModesAndMask();
    void sa56004CriticalOutputHasHysteresis();
    void sa56004StandbyConvertsOnlyOnOneShot();
    void ne1617RegistersAndFlags();
    void se98WordsAndFlags();
    void se98LocksHoldTripsAndThemselves();
    void se98EventOutput();
    void se98ReservedBitsReadZero();
    void standardBenchMakesEachSensor();
    void driftMovesTheReadingSlowly();
};

void TestBenchThermal::lm75aRegisters()
{
    Rig<Lm75aChip> r(0x90);
    QCOMPARE(r.word(lm75a::kThyst), 0x4B00);
    QCOMPARE(r.word(lm75a::kTos), 0x5000);
    r.chip->setTemperature(126.875);
    QCOMPARE(r.word(lm75a::kTemp), 0x7EE0);
    r.chip->setTemperature(-54.875);
    QCOMPARE(r.word(lm75a::kTemp), 0xC920);
    r.chip->setTemperature(-0.125);
    QCOMPARE(r.word(lm75a::kTemp), 0xFFE0);
    // Limits keep bits 15-7 only; configuration bits 7-5 read 0.
    QCOMPARE(r.write({lm75a::kTos, 0x55, 0xFF}), status::Success);
    QCOMPARE(r.word(lm75a::kTos), 0x5580);
    QCOMPARE(r.write({lm75a::kConf, 0xFF}), status::Success);
    QCOMPARE(r.byte(lm75a::kConf), 0x1F);
    // The temperature register ignores writes.
    QCOMPARE(r.write({lm75a::kTemp, 0x12, 0x34}), status::Success);
    QCOMPARE(int(r.chip->temperatureWord()), 0xFFE0);
}

void TestBenchThermal::lm75aPointerPersistsAndMustBeValid()
{
    Rig<Lm75aChip> r(0x90);
    r.write({lm75a::kThyst});
    std::vector<std::uint8_t> out;
    QCOMPARE(r.bench.read(0x90, 4, out), status::Success);
    QCOMPARE(out, (std::vector<std::uint8_t>{0x4B, 0x00, 0x4B, 0x00}));
    QCOMPARE(r.write({0x04}), status::DataNack);
    QCOMPARE(int(r.chip->pointer()), int(lm75a::kThyst));
}

void TestBenchThermal::lm75aComparatorWithFaultQueue_data()
{
    QTest::addColumn<int>("queue"); // field value 0..3: 1, 2, 4, 6 faults
    QTest::addColumn<int>("faults");
    QTest::newRow("1 fault") << 0 << 1;
    QTest::newRow("2 faults") << 1 << 2;
    QTest::newRow("4 faults") << 2 << 4;
    QTest::newRow("6 faults") << 3 << 6;
}

void TestBenchThermal::lm75aComparatorWithFaultQueue()
{
    QFETCH(int, queue);
    QFETCH(int, faults);
    Rig<Lm75aChip> r(0x90);
    r.write({lm75a::kConf, std::uint8_t(queue << 3)}); // comparator, active low
    r.chip->setTemperature(80.5);                       // above Tos 80: first fault
    for (int i = 1; i < faults; ++i) {
        QVERIFY2(!r.chip->osActive(), qPrintable(QString("after %1 faults").arg(i)));
        r.chip->convert();
    }
    QVERIFY(r.chip->osActive());
    QVERIFY(!r.chip->osPinHigh());
    // Between Thyst and Tos it holds; below Thyst (after the queue) it lets go.
    r.chip->setTemperature(76.0);
    QVERIFY(r.chip->osActive());
    r.chip->setTemperature(74.5);
    for (int i = 1; i < faults; ++i)
        r.chip->convert();
    QVERIFY(!r.chip->osActive());
    QVERIFY(r.chip->osPinHigh());
}

void TestBenchThermal::lm75aInterruptModeIsReleasedByAnyRead()
{
    Rig<Lm75aChip> r(0x90);
    r.write({lm75a::kConf, 0x06}); // interrupt, active high
    r.chip->setTemperature(90);
    QVERIFY(r.chip->osActive());
    QVERIFY(r.chip->osPinHigh());
    r.write({lm75a::kTos, 0x50, 0x00}); // a write does not release it
    QVERIFY(r.chip->osActive());
    r.byte(lm75a::kConf);
    QVERIFY(!r.chip->osActive());
    // Still hot: no new event until it falls below Thyst.
    r.word(lm75a::kTemp);
    QVERIFY(!r.chip->osActive());
    r.chip->setTemperature(70);
    QVERIFY(r.chip->osActive());
    r.word(lm75a::kTemp);
    QVERIFY(!r.chip->osActive());
}

void TestBenchThermal::lm75aShutdownStopsConversions()
{
    Rig<Lm75aChip> r(0x90);
    r.chip->setTemperature(30);
    r.write({lm75a::kConf, 0x01});
    r.chip->setTemperature(40);
    QCOMPARE(r.word(lm75a::kTemp), 0x1E00);
    r.write({lm75a::kConf, 0x00});
    QCOMPARE(r.word(lm75a::kTemp), 0x2800);
}

void TestBenchThermal::sa56004TemperaturesAndWriteNumbers()
{
    Rig<Sa56004Chip> r(0x98);
    r.chip->setLocal(25.375);
    r.chip->setRemote(-25.0);
    QCOMPARE(r.byte(0x00), 0x19);
    QCOMPARE(r.byte(0x22), 0x60);
    QCOMPARE(r.byte(0x01), 0xE7);
    QCOMPARE(r.byte(0x10), 0x00);
    // Power-on values.
    QCOMPARE(r.byte(0x05), 0x46);
    QCOMPARE(r.byte(0x07), 0x46);
    QCOMPARE(r.byte(0x04), 0x08);
    QCOMPARE(r.byte(0x19), 0x55);
    QCOMPARE(r.byte(0x21), 0x0A);
    QCOMPARE(r.byte(0xFE), 0xA1);
    // Registers 0x03-0x08 are written at +6; their read numbers ignore writes.
    r.write({0x0B, 0xC9});
    QCOMPARE(r.byte(0x05), 0xC9);
    r.write({0x05, 0x12});
    QCOMPARE(r.byte(0x05), 0xC9);
    r.write({0x09, 0xFF});
    QCOMPARE(r.byte(0x03), 0xD5);
    r.write({0x09, 0x00});
    r.write({0x13, 0xFF});
    QCOMPARE(r.byte(0x13), 0xE0);
    // The offset moves the remote reading.
    r.write({0x11, 0x01});
    r.write({0x12, 0x20});
    QCOMPARE(r.byte(0x01), 0xE8); // -25 + 1.125 = -23.875
    QCOMPARE(r.byte(0x10), 0x20);
    QCOMPARE(r.write({0x30}), status::DataNack);
}

void TestBenchThermal::sa56004FlagsLatchUntilRead()
{
    Rig<Sa56004Chip> r(0x98);
    r.chip->setLocal(71); // above LHS 70
    QCOMPARE(r.byte(0x02), 0x40);
    QCOMPARE(r.byte(0x02), 0x40); // condition still there
    r.chip->setLocal(69);
    QCOMPARE(r.byte(0x02), 0x40); // latched until this read
    QCOMPARE(r.byte(0x02), 0x00);
    // Fault queue: three conversions out of limit before the flag sets.
    r.write({0x09, 0x01});
    r.chip->setRemote(-1); // below RLS 0
    QCOMPARE(r.chip->reg(0x02) & 0x08, 0);
    r.chip->convert();
    QCOMPARE(r.chip->reg(0x02) & 0x08, 0);
    r.chip->convert();
    QCOMPARE(r.chip->reg(0x02) & 0x08, 0x08);
    r.chip->setDiodeOpen(true);
    QCOMPARE(r.byte(0x02) & 0x04, 0x04);
}

void TestBenchThermal::sa56004AlertModesAndMask()
{
    Rig<Sa56004Chip> r(0x98);
    r.chip->setLocal(80);
    QVERIFY(r.chip->alertActive()); // interrupt mode: the latched flag
    r.chip->setLocal(60);
    QVERIFY(r.chip->alertActive());
    r.byte(0x02);
    QVERIFY(!r.chip->alertActive());
    r.write({0xBF, 0x01}); // comparator mode
    r.chip->setLocal(80);
    QVERIFY(r.chip->alertActive());
    r.chip->setLocal(60);
    QVERIFY(!r.chip->alertActive()); // follows the condition, no read needed
    r.write({0x09, 0x80});           // masked
    r.chip->setLocal(80);
    QVERIFY(!r.chip->alertActive());
}

void TestBenchThermal::sa56004CriticalOutputHasHysteresis()
{
    Rig<Sa56004Chip> r(0x98);
    r.chip->setLocal(86); // LCS 85
    QVERIFY(r.chip->tcritActive());
    QCOMPARE(r.byte(0x02) & 0x01, 0x01);
    r.chip->setLocal(76); // above 85 - 10
    QVERIFY(r.chip->tcritActive());
    r.chip->setLocal(74);
    QVERIFY(!r.chip->tcritActive());
    r.write({0x09, 0x04}); // local T_CRIT masked
    r.chip->setLocal(100);
    QVERIFY(!r.chip->tcritActive());
}

void TestBenchThermal::sa56004StandbyConvertsOnlyOnOneShot()
{
    Rig<Sa56004Chip> r(0x98);
    r.chip->setLocal(20);
    r.write({0x09, 0x40});
    r.chip->setLocal(30);
    QCOMPARE(r.byte(0x00), 20);
    r.write({0x0F, 0x00});
    QCOMPARE(r.byte(0x00), 30);
    r.chip->setLocal(31);
    r.write({0x0F}); // a send byte does it too
    QCOMPARE(r.byte(0x00), 31);
    QCOMPARE(r.chip->oneShots(), 2);
}

void TestBenchThermal::ne1617RegistersAndFlags()
{
    Rig<Ne1617Chip> r(0x30);
    QCOMPARE(r.byte(0x05), 0x7F);
    QCOMPARE(r.byte(0x06), 0xC9);
    QCOMPARE(r.byte(0x04), 0x02);
    r.chip->setInternal(-1.4);
    r.chip->setExternal(25);
    QCOMPARE(r.byte(0x00), 0xFF);
    QCOMPARE(r.byte(0x01), 0x19);
    r.write({0x0B, 0x14}); // internal high 20
    r.write({0x0E, 0x1E}); // external low 30
    QCOMPARE(r.byte(0x05), 0x14);
    QCOMPARE(r.byte(0x08), 0x1E);
    r.write({0x05, 0x00}); // read number: ignored
    QCOMPARE(r.byte(0x05), 0x14);
    r.chip->setInternal(21);
    QCOMPARE(r.byte(0x02), 0x48); // internal high, external low
    QVERIFY(r.chip->alertActive());
    r.write({0x09, 0xC0});
    QCOMPARE(r.byte(0x03), 0xC0);
    QVERIFY(!r.chip->alertActive()); // masked
    // Standby: only a one-shot converts.
    r.chip->setInternal(30);
    QCOMPARE(r.byte(0x00), 21);
    r.write({0x0F, 0x00});
    QCOMPARE(r.byte(0x00), 30);
}

void TestBenchThermal::se98WordsAndFlags()
{
    Rig<Se98Chip> r(0x30);
    QCOMPARE(r.word(se98::kManufacturerId), 0x1131);
    QCOMPARE(r.word(se98::kDeviceId) & 0xFF00, 0xA100);
    r.chip->setTemperature(25);
    QCOMPARE(r.word(se98::kTemperature), 0xC190); // trips at 0 °C: ACT and AAW
    r.write({se98::kCritical, 0x1E, 0x20}); // -30
    r.write({se98::kUpper, 0x1E, 0x20});    // -30
    r.write({se98::kLower, 0x1E, 0xC0});    // -20
    r.chip->setTemperature(-25);
    QCOMPARE(r.word(se98::kTemperature), 0xFE70);
    r.write({se98::kUpper, 0x05, 0x50});
    r.write({se98::kCritical, 0x05, 0x80});
    r.write({se98::kLower, 0x1C, 0x90});
    r.chip->setTemperature(25.75);
    QCOMPARE(r.word(se98::kTemperature), 0x019C);
    QCOMPARE(r.word(se98::kUpper), 0x0550);
    QCOMPARE(r.word(se98::kLower), 0x1C90);
}

void TestBenchThermal::se98LocksHoldTripsAndThemselves()
{
    Rig<Se98Chip> r(0x30);
    r.write({se98::kCritical, 0x05, 0x50});
    r.write({se98::kConfig, 0x00, 0x80}); // CTLB
    r.write({se98::kCritical, 0x06, 0x40});
    QCOMPARE(r.word(se98::kCritical), 0x0550);
    r.write({se98::kUpper, 0x04, 0x00}); // the window trips are not locked yet
    QCOMPARE(r.word(se98::kUpper), 0x0400);
    r.write({se98::kConfig, 0x00, 0x41}); // AWLB, and try to clear CTLB, set EMD
    QCOMPARE(r.word(se98::kConfig), 0x00C0);
    r.write({se98::kUpper, 0x05, 0x00});
    QCOMPARE(r.word(se98::kUpper), 0x0400);
}

void TestBenchThermal::se98EventOutput()
{
    Rig<Se98Chip> r(0x30);
    r.write({se98::kUpper, 0x02, 0x80}); // 40
    r.write({se98::kLower, 0x00, 0xA0}); // 10
    r.write({se98::kCritical, 0x05, 0x00}); // 80
    r.write({se98::kConfig, 0x00, 0x08});   // output on, comparator, active low
    r.chip->setTemperature(45);
    QVERIFY(r.chip->eventAsserted());
    QVERIFY(!r.chip->eventPinHigh());
    QCOMPARE(r.word(se98::kConfig) & se98::kESTAT, int(se98::kESTAT));
    r.chip->setTemperature(30);
    QVERIFY(!r.chip->eventAsserted());
    // Critical only.
    r.write({se98::kConfig, 0x00, 0x0C});
    r.chip->setTemperature(45);
    QVERIFY(!r.chip->eventAsserted());
    r.chip->setTemperature(81);
    QVERIFY(r.chip->eventAsserted());
    // Interrupt mode: leaving the window is an event until CEVNT clears it.
    r.chip->setTemperature(30);
    r.write({se98::kConfig, 0x00, 0x09});
    r.chip->setTemperature(45);
    QVERIFY(r.chip->eventAsserted());
    r.chip->setTemperature(30); // back inside: another crossing, still asserted
    QVERIFY(r.chip->eventAsserted());
    r.write({se98::kConfig, 0x00, 0x29});
    QVERIFY(!r.chip->eventAsserted());
    QCOMPARE(r.word(se98::kConfig), 0x0009); // CEVNT reads 0
    // Output disabled: nothing asserted.
    r.write({se98::kConfig, 0x00, 0x00});
    r.chip->setTemperature(90);
    QVERIFY(!r.chip->eventAsserted());
}

void TestBenchThermal::se98ReservedBitsReadZero()
{
    Rig<Se98Chip> r(0x30);
    r.write({se98::kConfig, 0xFF, 0x31}); // reserved, HEN 3, SHMD, CEVNT, ESTAT, EMD
    QCOMPARE(r.word(se98::kConfig), 0x0701);
    r.write({se98::kSmbus, 0xFF, 0xFF});
    QCOMPARE(r.word(se98::kSmbus), 0x0081);
    r.write({se98::kCapability, 0x12, 0x34});
    QCOMPARE(r.word(se98::kCapability), 0x0037);
    QCOMPARE(r.write({0x08}), status::DataNack);
}

void TestBenchThermal::standardBenchMakesEachSensor()
{
    SimulatedAdapter bench;
    registerStandardChips(bench);
    const QList<QPair<QString, int>> sensors{{"LM75A", 0x90}, {"SA56004", 0x98}, {"NE1617", 0x52}, {"SE98", 0x30}};
    for (const auto& [type, address] : sensors) {
        bench.expectChip(type.toStdString(), std::uint8_t(address));
        QVERIFY(bench.chipAt(std::uint8_t(address)));
        QCOMPARE(QString::fromStdString(bench.chipAt(std::uint8_t(address))->type()), type);
    }
    // Without drift the temperature holds still.
    auto* lm = bench.chipAt<Lm75aChip>(0x90);
    const auto before = lm->temperatureWord();
    lm->convert();
    QCOMPARE(lm->temperatureWord(), before);
}

void TestBenchThermal::driftMovesTheReadingSlowly()
{
    double now = 0;
    TemperatureSource s(25.0);
    s.drift(4.0, 240, 0.0, [&] { return now; });
    QCOMPARE(s.celsius(), 25.0);
    double lo = 25, hi = 25, largestStep = 0, last = 25;
    for (now = 1; now <= 600; now += 1) {
        const double c = s.celsius();
        lo = std::min(lo, c);
        hi = std::max(hi, c);
        largestStep = std::max(largestStep, std::abs(c - last));
        last = c;
    }
    QVERIFY(hi - lo > 4.0);  // a user sees it move
    QVERIFY(hi < 29.1 && lo > 20.9);
    QVERIFY(largestStep < 0.25); // and move smoothly, second by second
    s.set(30.0);
    now += 100;
    QCOMPARE(s.celsius(), 30.0);
}

QTEST_APPLESS_MAIN(TestBenchThermal)
#include "tst_bench_thermal.moc"
