#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/bus/AdapterInfo.h"
#include "core/bus/BusScan.h"
#include "core/bus/CatalogueAddresses.h"
#include "core/sim/EepromChip.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"
#include "tests/support/FakeI2cKernel.h"

#include <QtTest>

#include <linux/i2c.h>

using namespace tp;
using namespace tp::scan;
using tp::sim::Fault;
using tp::sim::RegisterChip;
using tp::sim::SimulatedAdapter;

namespace {

constexpr unsigned long kFullI2c = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
// A PC chipset's SMBus (PIIX4): quick, byte, byte data, word data, block.
constexpr unsigned long kPiix4Funcs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                      I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA;

QString foundList(const Result& r)
{
    QStringList out;
    for (int a = 0; a < 128; ++a)
        if (r.cells[std::size_t(a)].state == Cell::State::Found)
            out << QString::number(a, 16);
    return out.join(' ');
}

struct Machine {
    FakeSysfs sysfs;
    FakeI2cHost host;

    FakeI2cBus& addBus(int number, const std::string& name, unsigned long funcs, bool pci = false)
    {
        FakeI2cBus& b = host.bus(sysfs.addBus(number, name, pci));
        b.funcs = funcs;
        return b;
    }
    std::unique_ptr<LinuxI2cAdapter> open(const std::string& spec)
    {
        std::string error;
        auto a = LinuxI2cAdapter::open(spec, &error, nullptr, sysfs.environment(host));
        if (!a)
            qFatal("cannot open %s: %s", spec.c_str(), error.c_str());
        return a;
    }
};

} // namespace

class TestBusScan : public QObject {
    Q_OBJECT
private slots:
    void probeRule_data();
    void probeRule();

    void benchShowsExactlyItsChips_data();
    void benchShowsExactlyItsChips();
    void eachProbeIsTheRangesMethod();
    void stuckBusEndsTheScan();

    void gridLikeI2cdetect();
    void methodSummary();

    void smbusControllerWithClaimedAddress();
    void adapterRefusingEmptyWritesFallsBackToReads();
    void benchSetup();

    void catalogueMatch_data();
    void catalogueMatch();
    void catalogueAddressesAreWriteAddresses();
};

void TestBusScan::probeRule_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("quick");
    QTest::addColumn<bool>("read");
    QTest::addColumn<int>("probe");
    const int Q = int(Probe::QuickWrite), R = int(Probe::ReadByte), N = int(Probe::None);
    QTest::newRow("0x08") << 0x08 << true << true << Q;
    QTest::newRow("0x2F") << 0x2F << true << true << Q;
    QTest::newRow("0x30 read range") << 0x30 << true << true << R;
    QTest::newRow("0x37 read range") << 0x37 << true << true << R;
    QTest::newRow("0x38") << 0x38 << true << true << Q;
    QTest::newRow("0x4F") << 0x4F << true << true << Q;
    QTest::newRow("0x50 read range") << 0x50 << true << true << R;
    QTest::newRow("0x5F read range") << 0x5F << true << true << R;
    QTest::newRow("0x60") << 0x60 << true << true << Q;
    QTest::newRow("no quick write: read instead") << 0x20 << false << true << R;
    QTest::newRow("no read: quick write stays") << 0x20 << true << false << Q;
    QTest::newRow("no read at 0x50: never a write") << 0x50 << true << false << N;
    QTest::newRow("no read at 0x33: never a write") << 0x33 << true << false << N;
    QTest::newRow("neither") << 0x20 << false << false << N;
}

void TestBusScan::probeRule()
{
    QFETCH(int, address);
    QFETCH(bool, quick);
    QFETCH(bool, read);
    QFETCH(int, probe);
    QCOMPARE(int(probeFor(std::uint8_t(address), {quick, read})), probe);
}

void TestBusScan::benchShowsExactlyItsChips_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("found");
    QTest::addColumn<int>("probes");
    QTest::newRow("0x08-0x77") << false << "20 49 50 51 52 53 54 55 56 57 77" << 112;
    QTest::newRow("0x00-0x7F") << true << "7 20 49 50 51 52 53 54 55 56 57 77 78" << 128;
}

void TestBusScan::benchShowsExactlyItsChips()
{
    QFETCH(bool, full);
    QFETCH(QString, found);
    QFETCH(int, probes);
    SimulatedAdapter bench;
    bench.place(0x40, std::make_unique<RegisterChip>("A", 8));  // 0x20
    bench.place(0x92, std::make_unique<RegisterChip>("B", 4));  // 0x49
    bench.place(0xEE, std::make_unique<RegisterChip>("C", 4));  // 0x77, the last of the usual range
    bench.place(0x0E, std::make_unique<RegisterChip>("D", 4));  // 0x07, reserved
    bench.place(0xF0, std::make_unique<RegisterChip>("E", 4));  // 0x78, reserved
    // A 2 KB EEPROM answers at all eight addresses its block-select bits take.
    bench.place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::typical(2048)));
    Scanner s(bench, setupFor(bench, full ? Range::Full : Range::Normal));
    s.run();
    const Result& r = s.result();
    QCOMPARE(foundList(r), found);
    QCOMPARE(r.probes, probes);
    QCOMPARE(int(r.stopped), 0);
    QCOMPARE(s.progress(), s.total());
    QCOMPARE(QString::fromStdString(r.foundText()), QString("%1 devices found").arg(found.split(' ').size()));
    // Every probe is in the bus log.
    QCOMPARE(int(bench.log().transfers().size()), probes);
}

void TestBusScan::eachProbeIsTheRangesMethod()
{
    SimulatedAdapter bench;
    Scanner s(bench, setupFor(bench));
    s.run();
    const auto log = bench.log().transfers();
    QCOMPARE(int(log.size()), 112);
    for (const BusLogEntry& e : log) {
        const int a = e.address >> 1;
        const bool readRange = (a >= 0x30 && a <= 0x37) || (a >= 0x50 && a <= 0x5F);
        QVERIFY2(e.read == readRange, qPrintable(QString::number(a, 16)));
        QCOMPARE(e.length, std::size_t(readRange ? 1 : 0));
        QCOMPARE(int(s.result().cells[std::size_t(a)].probe), int(readRange ? Probe::ReadByte : Probe::QuickWrite));
    }
    QCOMPARE(QString::fromStdString(s.result().foundText()), QString("No devices found"));
}

void TestBusScan::stuckBusEndsTheScan()
{
    SimulatedAdapter bench;
    bench.place(0x40, std::make_unique<RegisterChip>("A", 8));
    bench.place(0x80, std::make_unique<RegisterChip>("B", 8));
    Fault f;
    f.kind = Fault::Kind::BusStuck;
    f.address = 0x60; // 0x30
    bench.inject(f);
    Scanner s(bench, setupFor(bench));
    s.run();
    const Result& r = s.result();
    QCOMPARE(int(r.stopped), int(status::BusStuckLow));
    QCOMPARE(int(r.stoppedAt), 0x30);
    QCOMPARE(r.probes, 0x30 - 0x08 + 1);
    QCOMPARE(foundList(r), QString("20")); // 0x40 lies beyond where it stopped
    QVERIFY(r.cells[0x40].state == Cell::State::NotScanned);
    QVERIFY(s.done());
    QVERIFY(!s.step());
}

void TestBusScan::gridLikeI2cdetect()
{
    Result r;
    for (int a = 0x08; a <= 0x77; ++a)
        r.cells[std::size_t(a)].state = Cell::State::NoAnswer;
    r.cells[0x1A].state = Cell::State::Found;
    r.cells[0x50].state = Cell::State::Claimed;
    r.cells[0x51].state = Cell::State::NotProbed;
    const QStringList lines = QString::fromStdString(gridText(r)).split('\n');
    QCOMPARE(lines.size(), 10); // header, eight rows, and the end of the last line
    QCOMPARE(lines[0], QString("     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f"));
    QCOMPARE(lines[1], QString("00:                         -- -- -- -- -- -- -- -- "));
    QCOMPARE(lines[2], QString("10: -- -- -- -- -- -- -- -- -- -- 1a -- -- -- -- -- "));
    QCOMPARE(lines[6], QString("50: UU    -- -- -- -- -- -- -- -- -- -- -- -- -- -- "));
    QCOMPARE(lines[8], QString("70: -- -- -- -- -- -- -- --                         "));
    QCOMPARE(QString::fromStdString(cellText(r, 0x1A)), QString("1A"));
}

void TestBusScan::methodSummary()
{
    SimulatedAdapter bench;
    Scanner s(bench, setupFor(bench));
    s.run();
    QCOMPARE(QString::fromStdString(scan::methodSummary(s.result())),
             QString("quick write at 0x08-0x2F, 0x38-0x4F, 0x60-0x77; one-byte read at 0x30-0x37, 0x50-0x5F"));
    Result none;
    QCOMPARE(QString::fromStdString(scan::methodSummary(none)), QString("nothing probed"));
}

void TestBusScan::smbusControllerWithClaimedAddress()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(0, "SMBus PIIX4 adapter port 0 at 0b00", kPiix4Funcs, true);
    bus.chip(0x50);
    bus.chip(0x2E);
    bus.chip(0x52); // a memory module's SPD, held by a driver
    m.sysfs.claim(0, 0x52, "ee1004");
    auto a = m.open("0");
    const Setup setup = setupFor(*a);
    QVERIFY(setup.pcSmbus);
    QVERIFY(setup.abilities.quickWrite && setup.abilities.readByte);
    bus.clearTrace();
    Scanner s(*a, setup);
    s.run();
    const Result& r = s.result();
    QCOMPARE(foundList(r), QString("2e 50"));
    QVERIFY(r.cells[0x52].state == Cell::State::Claimed);
    QCOMPARE(QString::fromStdString(r.cells[0x52].driver), QString("ee1004"));
    QCOMPARE(QString::fromStdString(cellText(r, 0x52)), QString("UU"));
    QCOMPARE(r.probes, 111); // the claimed address is not probed
    // SMBus forms: quick write and receive byte, never at 0x52.
    int quick = 0, receive = 0;
    for (const std::string& t : bus.trace) {
        quick += t.rfind("smbus w QUICK", 0) == 0;
        receive += t.rfind("smbus r BYTE", 0) == 0;
        QVERIFY2(t != "slave 52", t.c_str());
    }
    QCOMPARE(quick, 112 - 8 - 16);
    QCOMPARE(receive, 8 + 16 - 1);
}

void TestBusScan::adapterRefusingEmptyWritesFallsBackToReads()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(3, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    bus.noZeroLength = true;
    bus.chip(0x20);
    bus.chip(0x68);
    auto a = m.open("3");
    Scanner s(*a, setupFor(*a)); // the refusal is only learnt by trying
    s.run();
    const Result& r = s.result();
    QCOMPARE(foundList(r), QString("20 68"));
    QCOMPARE(int(r.stopped), 0);
    QCOMPARE(r.probes, 113); // one empty write refused, then reads
    QCOMPARE(QString::fromStdString(scan::methodSummary(r)), QString("one-byte read at 0x08-0x77"));
    // Known from the start, the scan never tries.
    Scanner again(*a, setupFor(*a));
    again.run();
    QCOMPARE(again.result().probes, 112);
}

void TestBusScan::benchSetup()
{
    SimulatedAdapter bench;
    const Setup s = setupFor(bench, Range::Full);
    QVERIFY(s.abilities.quickWrite && s.abilities.readByte);
    QVERIFY(!s.claimedBy);
    QVERIFY(!s.pcSmbus);
    QVERIFY(s.range == Range::Full);
    QVERIFY(!linuxBusNumber(bench));
    Machine m;
    m.addBus(7, "i2c-tiny-usb", kFullI2c);
    QCOMPARE(linuxBusNumber(*m.open("7")), std::optional<int>(7));
}

void TestBusScan::catalogueMatch_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("chips");
    QTest::newRow("0x20") << 0x20 << "PCA9500|PCA9501|PCA9534|PCA9535|PCA9554|PCA9555|PCF8574|PCF8575";
    QTest::newRow("0x38") << 0x38 << "PCA9501|PCA9554A|PCF8574A|SAA1064";
    QTest::newRow("0x41") << 0x41 << "PCA9501|PCA9536";
    QTest::newRow("0x4E") << 0x4E << "PCA9501|PCA8550|PCA9559|PCA9560|PCA9561|LM75A|NE1617A|SA56004";
    // Memories with block-select bits (512 B to 2 KB) take 0x50 only as their first address.
    QTest::newRow("0x51") << 0x51
                          << "EEPROM 16 B|EEPROM 128 B|EEPROM 256 B|EEPROM 4 KB|EEPROM 8 KB|EEPROM 16 KB|EEPROM 32 KB|"
                             "EEPROM 64 KB|PCA9500|PCA9501|RAM 16 B|RAM 128 B|RAM 256 B|RAM 8 KB|RAM 4 KB|RAM 16 KB|"
                             "RAM 32 KB|RAM 64 KB|PCF8563";
    QTest::newRow("0x62") << 0x62 << "PCA9501|PCA9531|PCA9532|PCA9533|PCA9551|PCA9552|PCA9553";
    QTest::newRow("0x70") << 0x70
                          << "PCA9501|PCA9538|PCA9541|PCA9540B|PCA9542A|PCA9543A|PCA9544A|PCA9545A|PCA9546A|PCA9548A";
    QTest::newRow("0x77") << 0x77 << "PCA9501|PCA9539|PCA9541|PCA9542A|PCA9544A|PCA9546A|PCA9548A";
    QTest::newRow("0x08: only the PCA9501 reaches down there") << 0x08 << "PCA9501";
}

void TestBusScan::catalogueMatch()
{
    QFETCH(int, address);
    QFETCH(QString, chips);
    QStringList got;
    for (const EntryAddresses* e : entriesAt(std::uint8_t(address)))
        got << QString::fromStdString(e->chip);
    QCOMPARE(got.join('|'), chips);
}

void TestBusScan::catalogueAddressesAreWriteAddresses()
{
    for (const EntryAddresses& e : catalogueAddresses()) {
        QVERIFY2(!e.addresses.empty(), e.caption.c_str());
        for (std::uint8_t a : e.addresses)
            QVERIFY2((a & 1) == 0, e.caption.c_str());
    }
}

QTEST_APPLESS_MAIN(TestBusScan)
#include "tst_busscan.moc"
