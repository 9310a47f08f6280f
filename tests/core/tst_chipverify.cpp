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
    void cancelStopsBetweenBlocks_data();
    void cancelStopsBetweenBlocks();
    void countsRunFromByteZero_data();
    void countsRunFromByteZero();
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

void TestChipVerify::cancelStopsBetweenBlocks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("maxTransfer"); // 0: the bench's own, a block per transfer
    QTest::addColumn<int>("cancelAt");    // progress call that answers "stop", from 1
    QTest::addColumn<int>("reads");
    QTest::addColumn<int>("done");
    QTest::newRow("2K, one transfer per block: after the first") << 2048 << 0 << 1 << 1 << 256;
    QTest::newRow("64K, one transfer per block: after the third") << 65536 << 0 << 3 << 3 << 768;
    QTest::newRow("64K, 32-byte transfers: inside a block") << 65536 << 32 << 3 << 3 << 96;
}

void TestChipVerify::cancelStopsBetweenBlocks()
{
    QFETCH(int, size);
    QFETCH(int, maxTransfer);
    QFETCH(int, cancelAt);
    QFETCH(int, reads);
    QFETCH(int, done);
    sim::SimulatedAdapter bench;
    if (maxTransfer)
        bench.setMaxTransferLength(std::size_t(maxTransfer));
    bench.place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::typical(std::size_t(size))));
    MemoryImage image{std::size_t(size)};
    MemoryDevice device;
    device.size = std::size_t(size);
    MemoryBus bus(bench, device);
    int calls = 0;
    ChipVerifyResult r = verifyChip(bus, image, [&](std::size_t, std::size_t) { return ++calls < cancelAt; });

    QCOMPARE(r.bus.outcome, MemoryOutcome::Cancelled);
    QVERIFY(r.bus.status != status::VerifyOk);
    QCOMPARE(int(r.bus.done), done);
    int readMessages = 0;
    for (const BusLogEntry& e : bench.log().transfers())
        readMessages += e.read ? 1 : 0;
    QCOMPARE(readMessages, reads);

    // A stop asked for during the last block comes too late to skip anything.
    calls = 0;
    MemoryImage small{256};
    device.size = 256;
    sim::SimulatedAdapter bench2;
    bench2.place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::typical(256)));
    MemoryBus bus2(bench2, device);
    r = verifyChip(bus2, small, [](std::size_t, std::size_t) { return false; });
    QVERIFY(r.bus.ok());
    QCOMPARE(int(r.bus.status), 65);
}

void TestChipVerify::countsRunFromByteZero_data()
{
    QTest::addColumn<int>("failAt");    // 8-bit address whose read fails; 0: none
    QTest::addColumn<int>("differsAt"); // -1: none
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("done");
    QTest::newRow("read of the third block fails") << 0xA4 << -1 << int(MemoryOutcome::Failed) << 0x200;
    QTest::newRow("difference in the fourth block") << 0 << 0x345 << int(MemoryOutcome::Mismatch) << 0x345;
    QTest::newRow("all equal") << 0 << -1 << int(MemoryOutcome::Done) << 2048;
}

void TestChipVerify::countsRunFromByteZero()
{
    QFETCH(int, failAt);
    QFETCH(int, differsAt);
    QFETCH(int, outcome);
    QFETCH(int, done);
    sim::SimulatedAdapter bench;
    auto* chip = static_cast<sim::EepromChip*>(
        &bench.place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::typical(2048))));
    if (differsAt >= 0)
        chip->setByte(std::size_t(differsAt), 0x12);
    if (failAt)
        bench.inject({sim::Fault::Kind::AddressNack, std::uint8_t(failAt), 0, 1});
    MemoryImage image{2048};
    MemoryDevice device;
    device.size = 2048;
    MemoryBus bus(bench, device);
    std::size_t lastProgress = 0;
    ChipVerifyResult r = verifyChip(bus, image, [&](std::size_t d, std::size_t) {
        lastProgress = d;
        return true;
    });
    QCOMPARE(int(r.bus.outcome), outcome);
    QCOMPARE(int(r.bus.done), done);
    if (failAt) {
        QCOMPARE(int(r.bus.address), 0x200);
        QCOMPARE(r.bus.done, lastProgress); // counted as the progress did
    }
}

QTEST_APPLESS_MAIN(TestChipVerify)
#include "tst_chipverify.moc"
