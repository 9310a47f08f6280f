#include "core/memory/ChipVerify.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;

class TestChipVerify : public QObject {
    Q_OBJECT
private slots:
    void readsBlockByBlockAndStopsAtFirstDifference_data();
    void readsBlockByBlockAndStopsAtFirstDifference();
    void failedReadEndsIt();
};

void TestChipVerify::readsBlockByBlockAndStopsAtFirstDifference_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("differsAt"); // -1: no difference
    QTest::addColumn<int>("reads");     // verify blocks read
    QTest::newRow("16 equal") << 16 << -1 << 1;
    QTest::newRow("128 equal") << 128 << -1 << 1;
    QTest::newRow("2K equal: 256-byte blocks") << 2048 << -1 << 8;
    QTest::newRow("2K differs in the third block") << 2048 << 0x234 << 3;
    QTest::newRow("64K differs at the last byte") << 65536 << 0xFFFF << 256;
}

void TestChipVerify::readsBlockByBlockAndStopsAtFirstDifference()
{
    QFETCH(int, size);
    QFETCH(int, differsAt);
    QFETCH(int, reads);
    sim::SimulatedAdapter bench;
    auto chip = std::make_unique<sim::EepromChip>(sim::EepromChip::typical(std::size_t(size)));
    auto* c = chip.get();
    bench.place(0xA0, std::move(chip));
    MemoryImage image{std::size_t(size)};
    if (differsAt >= 0)
        c->setByte(std::size_t(differsAt), 0x12);
    MemoryDevice device;
    device.size = std::size_t(size);
    MemoryBus bus(bench, device);
    ChipVerifyResult r = verifyChip(bus, image);

    int readMessages = 0;
    for (const BusLogEntry& e : bench.log().transfers())
        readMessages += e.read ? 1 : 0;
    QCOMPARE(readMessages, reads);
    if (differsAt < 0) {
        QVERIFY(r.bus.ok());
        QCOMPARE(int(r.bus.status), 65);
        QVERIFY(!r.notice);
    } else {
        QCOMPARE(r.bus.outcome, MemoryOutcome::Mismatch);
        QCOMPARE(int(r.bus.status), 153);
        QCOMPARE(int(r.bus.address), differsAt);
        QVERIFY(r.notice && r.notice->text.find("Read value=0x12") != std::string::npos);
    }
}

void TestChipVerify::failedReadEndsIt()
{
    sim::SimulatedAdapter bench;
    MemoryImage image{256};
    MemoryDevice device;
    MemoryBus bus(bench, device); // nobody at A0
    ChipVerifyResult r = verifyChip(bus, image);
    QCOMPARE(r.bus.outcome, MemoryOutcome::Failed);
    QCOMPARE(int(r.bus.status), 1);
    QVERIFY(!r.notice);
}

QTEST_APPLESS_MAIN(TestChipVerify)
#include "tst_chipverify.moc"
