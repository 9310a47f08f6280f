#include "core/adapter/BusFrequency.h"
#include "core/adapter/CommandFrame.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using tp::sim::Fault;
using tp::sim::RegisterChip;
using tp::sim::SimulatedAdapter;

class TestAdapter : public QObject {
    Q_OBJECT
private slots:
    void commandFrame_data();
    void commandFrame();
    void commandFrameRefusesTooLong();

    void writeThenReadBack();
    void repeatedStartReadIsOneTransaction();
    void nobodyAtAddress();
    void faults_data();
    void faults();
    void faultAtDataByteStopsThere();
    void faultWaitsForItsTransaction();
    void adapterRemovedStaysRemoved();
    void busTimeFollowsFrequency_data();
    void busTimeFollowsFrequency();
    void expectChipPlacesOnlyOnFreeAddress();

    void frequencyFromCounts_data();
    void frequencyFromCounts();
    void frequencyFromTyped_data();
    void frequencyFromTyped();
};

void TestAdapter::commandFrame_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("packets");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("58 fits one packet") << 58 << 1;
    QTest::newRow("59 needs two") << 59 << 2;
    QTest::newRow("300") << 300 << 5;
    QTest::newRow("494 largest") << 494 << 8;
}

void TestAdapter::commandFrame()
{
    QFETCH(int, length);
    QFETCH(int, packets);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
    auto f = buildCommandFrame(0xA2, 0x10, data);
    QVERIFY(f.has_value());
    QCOMPARE(int(f->bytes[0]), packets);
    QCOMPARE(int(f->bytes[1]), 0);
    QCOMPARE(int(f->bytes[2]), length >> 8);
    QCOMPARE(int(f->bytes[3]), length & 0xFF);
    QCOMPARE(int(f->bytes[4]), 0xA2);
    QCOMPARE(int(f->bytes[5]), 0x10);
    QCOMPARE(f->size, std::size_t(6 + length));
    for (int i = 0; i < length; ++i)
        QCOMPARE(f->bytes[6 + static_cast<std::size_t>(i)], data[static_cast<std::size_t>(i)]);
}

void TestAdapter::commandFrameRefusesTooLong()
{
    std::vector<std::uint8_t> data(495, 0x55);
    QVERIFY(!buildCommandFrame(0xA0, 0, data).has_value());
    data.resize(65535);
    QVERIFY(!buildCommandFrame(0xA0, 0, data).has_value());
}

void TestAdapter::writeThenReadBack()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x40, std::make_unique<RegisterChip>("R", 8)));
    QCOMPARE(int(bench.write(0x40, {0x02, 0x11, 0x22})), 0);
    QCOMPARE(int(chip.reg(2)), 0x11);
    QCOMPARE(int(chip.reg(3)), 0x22);

    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.write(0x40, {0x02})), 0);
    QCOMPARE(int(bench.read(0x40, 2, got)), 0);
    QCOMPARE(got, (std::vector<std::uint8_t>{0x11, 0x22}));
    // Auto-increment wraps at the end of the register file.
    chip.setReg(7, 0x77);
    chip.setReg(0, 0x99);
    QCOMPARE(int(bench.writeRead(0x40, {0x07}, 2, got)), 0);
    QCOMPARE(got, (std::vector<std::uint8_t>{0x77, 0x99}));
}

void TestAdapter::repeatedStartReadIsOneTransaction()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x90, std::make_unique<RegisterChip>("R", 4)));
    chip.setReg(1, 0xAB);
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.writeRead(0x90, {0x01}, 1, got)), 0);
    const auto log = bench.log().transfers();
    QCOMPARE(log.size(), std::size_t(2));
    QVERIFY(!log[0].read && !log[0].repeatedStart);
    QVERIFY(log[1].read && log[1].repeatedStart);
    QCOMPARE(log[1].bytes, (std::vector<std::uint8_t>{0xAB}));
    QVERIFY(log[0].timeUs <= log[1].timeUs);
}

void TestAdapter::nobodyAtAddress()
{
    SimulatedAdapter bench;
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.write(0x40, {1, 2})), int(status::AddressNack));
    QCOMPARE(int(bench.writeRead(0x40, {1}, 1, got)), int(status::AddressNack));
    // The read never reached the bus, so the log holds the failed write only.
    const auto log = bench.log().transfers();
    QCOMPARE(log.size(), std::size_t(2));
    QVERIFY(log[0].bytes.empty());
    QVERIFY(!log[1].read);
}

void TestAdapter::faults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("address nack") << int(Fault::Kind::AddressNack) << 1;
    QTest::newRow("time-out") << int(Fault::Kind::TimeOut) << 8;
    QTest::newRow("arbitration") << int(Fault::Kind::ArbitrationLost) << 7;
    QTest::newRow("bus stuck") << int(Fault::Kind::BusStuck) << 4;
    QTest::newRow("removed") << int(Fault::Kind::AdapterRemoved) << 255;
}

void TestAdapter::faults()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x40, std::make_unique<RegisterChip>("R", 4)));
    Fault f;
    f.kind = static_cast<Fault::Kind>(kind);
    f.address = 0x40;
    bench.inject(f);
    QCOMPARE(int(bench.write(0x42, {0, 9})), int(status::AddressNack)); // other address: fault waits
    QCOMPARE(int(bench.write(0x40, {0, 9})), status);
    QCOMPARE(int(chip.reg(0)), 0); // nothing written
    if (f.kind != Fault::Kind::AdapterRemoved)
        QCOMPARE(int(bench.write(0x40, {0, 9})), 0); // one transaction only
}

void TestAdapter::faultAtDataByteStopsThere()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x40, std::make_unique<RegisterChip>("R", 8)));
    Fault f;
    f.kind = Fault::Kind::DataNack;
    f.byteIndex = 2; // third byte written: the second data byte after the pointer
    bench.inject(f);
    QCOMPARE(int(bench.write(0x40, {0, 1, 2, 3})), int(status::DataNack));
    QCOMPARE(int(chip.reg(0)), 1);
    QCOMPARE(int(chip.reg(1)), 0);
    QCOMPARE(int(chip.reg(2)), 0);
    QCOMPARE(bench.log().transfers().back().bytes, (std::vector<std::uint8_t>{0, 1}));
}

void TestAdapter::faultWaitsForItsTransaction()
{
    // A fault keyed to the bytes a transaction starts with lets the ones
    // before it through, reads included.
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x40, std::make_unique<RegisterChip>("R", 8)));
    Fault f;
    f.kind = Fault::Kind::DataNack;
    f.byteIndex = 1;
    bench.inject(f, {4});
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.read(0x40, 2, got)), 0);
    QCOMPARE(int(bench.write(0x40, {0, 7})), 0);
    QCOMPARE(int(bench.write(0x40, {4, 7})), int(status::DataNack));
    QCOMPARE(int(chip.reg(4)), 0);
    QCOMPARE(int(bench.write(0x40, {4, 7})), 0); // once only
    QCOMPARE(int(chip.reg(4)), 7);
}

void TestAdapter::adapterRemovedStaysRemoved()
{
    SimulatedAdapter bench;
    bench.place(0x40, std::make_unique<RegisterChip>("R", 4));
    bench.inject({Fault::Kind::AdapterRemoved, std::nullopt, 0, 1});
    QCOMPARE(int(bench.write(0x40, {0})), 255);
    QVERIFY(!bench.isPresent());
    QCOMPARE(int(bench.write(0x40, {0})), 255);
    bench.clearFaults();
    QVERIFY(bench.isPresent());
    QCOMPARE(int(bench.write(0x40, {0})), 0);
}

void TestAdapter::busTimeFollowsFrequency_data()
{
    QTest::addColumn<unsigned>("kHz");
    QTest::newRow("100") << 100u;
    QTest::newRow("400") << 400u;
    QTest::newRow("1000") << 1000u;
}

void TestAdapter::busTimeFollowsFrequency()
{
    QFETCH(unsigned, kHz);
    SimulatedAdapter bench;
    bench.setBusFrequency(kHz);
    bench.place(0xA0, std::make_unique<RegisterChip>("R", 256));
    const std::uint64_t t0 = bench.clock().ns();
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.read(0xA0, 100, got)), 0);
    // start + address + 100 bytes + stop, 9 bits per byte.
    const std::uint64_t bits = 1 + 9 + 9 * 100 + 1;
    QCOMPARE(bench.clock().ns() - t0, bits * (1000000ull / kHz));
}

void TestAdapter::expectChipPlacesOnlyOnFreeAddress()
{
    SimulatedAdapter bench;
    bench.registerType("Reg", [] { return std::make_unique<RegisterChip>("Reg", 4); });
    bench.expectChip("Reg", 0x40);
    QVERIFY(bench.chipAt(0x40));
    QCOMPARE(QString::fromStdString(bench.chipAt(0x40)->type()), QString("Reg"));
    QCOMPARE(bench.log().size(), std::size_t(1));
    QVERIFY(bench.log().entries()[0].isNote());

    auto* first = bench.chipAt(0x40);
    bench.expectChip("Reg", 0x40);
    QCOMPARE(bench.chipAt(0x40), first); // kept, with its state
    bench.expectChip("Unknown", 0x50);
    QVERIFY(!bench.chipAt(0x50));
}

void TestAdapter::frequencyFromCounts_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("kHz");
    QTest::newRow("default") << 40 << 40 << 100;
    QTest::newRow("fastest") << 4 << 4 << 1000;
    QTest::newRow("slowest") << 255 << 255 << 16;
    QTest::newRow("half goes to even") << 64 << 64 << 62;
    QTest::newRow("uneven") << 10 << 11 << 381;
}

void TestAdapter::frequencyFromCounts()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, kHz);
    BusFrequency f = BusFrequency::fromCounts(high, low);
    QCOMPARE(f.frequency, kHz);
    QCOMPARE(f.sclHigh, high);
    QCOMPARE(f.sclLow, low);
}

void TestAdapter::frequencyFromTyped_data()
{
    QTest::addColumn<int>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("stored");
    QTest::newRow("400") << 400 << true << 10 << 10 << 400;
    QTest::newRow("300") << 300 << true << 13 << 14 << 296;
    QTest::newRow("100") << 100 << true << 40 << 40 << 100;
    QTest::newRow("1000") << 1000 << true << 4 << 4 << 1000;
    QTest::newRow("16") << 16 << true << 250 << 250 << 16;
    QTest::newRow("11 ignored") << 11 << false << 0 << 0 << 0;
    QTest::newRow("1 ignored") << 1 << false << 0 << 0 << 0;
    // 8000/12 = 667 counts would overflow the byte-wide counts: clamped.
    QTest::newRow("12 clamped") << 12 << true << 255 << 255 << 15;
    QTest::newRow("15 clamped") << 15 << true << 255 << 255 << 15;
}

void TestAdapter::frequencyFromTyped()
{
    QFETCH(int, typed);
    QFETCH(bool, accepted);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, stored);
    BusFrequency f;
    QCOMPARE(BusFrequency::fromFrequency(typed, f), accepted);
    if (!accepted)
        return;
    QCOMPARE(f.sclHigh, high);
    QCOMPARE(f.sclLow, low);
    QCOMPARE(f.frequency, stored);
}

QTEST_APPLESS_MAIN(TestAdapter)
#include "tst_adapter.moc"
