// The simulated serial memories on their own, driven by raw bus transfers.
#include "core/sim/EepromChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/SerialRamChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

using Bytes = std::vector<std::uint8_t>;

EepromChip& placeEeprom(SimulatedAdapter& bench, std::uint8_t address, std::size_t size, std::size_t page = 0,
                        std::uint64_t cycleUs = 5000)
{
    EepromChip::Params p = EepromChip::typical(size);
    if (page)
        p.pageSize = page;
    p.writeCycleUs = cycleUs;
    return static_cast<EepromChip&>(bench.place(address, std::make_unique<EepromChip>(p)));
}

// A random read: word address, repeated start, `count` bytes.
Status randomRead(SimulatedAdapter& bench, std::uint8_t slave, Bytes wordAddress, std::size_t count, Bytes& out)
{
    return bench.writeRead(slave, std::move(wordAddress), count, out);
}

Bytes cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class TestMemoryChips : public QObject {
    Q_OBJECT
private slots:
    void pageWriteWrapsWithinPage_data();
    void pageWriteWrapsWithinPage();
    void writeCycleRefusesAddress();
    void writeCycleEndsOnEitherClock_data();
    void writeCycleEndsOnEitherClock();
    void onlyAStopWithDataStartsAWrite();
    void sequentialReadRollsOver_data();
    void sequentialReadRollsOver();
    void blockSelectBits();
    void smallestChipIgnoresHighAddressBits();
    void ramWritesAtOnceAndRunsOn();
    void standardTypes_data();
    void standardTypes();
    void pca950xPortAndEeprom_data();
    void pca950xPortAndEeprom();
};

void TestMemoryChips::pageWriteWrapsWithinPage_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("cells"); // where the data bytes land, in order

    QTest::newRow("256 B, 8-byte page, 3 bytes past the end") << 256 << 8 << 0x05 << 6 << QList<int>{5, 6, 7, 0, 1, 2};
    QTest::newRow("256 B, more than a page overwrites") << 256 << 8 << 0x15 << 10
                                                        << QList<int>{0x15, 0x16, 0x17, 0x10, 0x11, 0x12, 0x13, 0x14,
                                                                      0x15, 0x16};
    QTest::newRow("2 KB, last page of block 7") << 2048 << 16 << 0x7FE << 4 << QList<int>{0x7FE, 0x7FF, 0x7F0, 0x7F1};
    QTest::newRow("64 KB, 128-byte page") << 65536 << 128 << 0x1F7E << 4 << QList<int>{0x1F7E, 0x1F7F, 0x1F00, 0x1F01};
    QTest::newRow("16 B, byte writes only") << 16 << 1 << 0x3 << 3 << QList<int>{3, 3, 3};
}

void TestMemoryChips::pageWriteWrapsWithinPage()
{
    QFETCH(int, size);
    QFETCH(int, page);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(QList<int>, cells);

    SimulatedAdapter bench;
    EepromChip& chip = placeEeprom(bench, 0xA0, size, page);
    QCOMPARE(int(chip.params().pageSize), page);

    const std::uint8_t slave = size <= 2048 ? std::uint8_t(0xA0 + 2 * (start >> 8)) : 0xA0;
    Bytes word = size <= 2048 ? Bytes{std::uint8_t(start)} : Bytes{std::uint8_t(start >> 8), std::uint8_t(start)};
    Bytes data;
    for (int i = 0; i < count; ++i)
        data.push_back(std::uint8_t(0x40 + i));
    QCOMPARE(bench.write(slave, cat(word, data)), status::Success);

    Bytes expected(size, 0xFF);
    for (int i = 0; i < count; ++i)
        expected[cells[i]] = data[i];
    QVERIFY(chip.bytes() == expected);
    QCOMPARE(int(chip.writeCycles()), 1);
}

void TestMemoryChips::writeCycleRefusesAddress()
{
    SimulatedAdapter bench;
    bench.setWallClock([] { return std::uint64_t(0); }); // modelled time alone
    bench.setBusFrequency(400);
    EepromChip& chip = placeEeprom(bench, 0xA0, 256, 8, 5000);
    QCOMPARE(bench.write(0xA0, {0x10, 0x11, 0x22}), status::Success);
    const std::uint64_t writeEnd = bench.nowUs();
    QVERIFY(chip.inWriteCycle());

    // Neither a write nor a read is acknowledged while the cycle runs.
    Bytes out;
    QCOMPARE(bench.write(0xA0, {}), status::AddressNack);
    QCOMPARE(bench.read(0xA0, 1, out), status::AddressNack);
    QCOMPARE(bench.write(0xA0, {0x20, 0x99}), status::AddressNack);

    bench.elapse(writeEnd + 5000 - bench.nowUs() - 30); // a poll's address ack comes 25 us after its start
    QCOMPARE(bench.write(0xA0, {}), status::AddressNack);
    bench.elapse(10);
    QCOMPARE(bench.write(0xA0, {}), status::Success);
    QVERIFY(!chip.inWriteCycle());

    QCOMPARE(chip.byte(0x10), std::uint8_t(0x11));
    QCOMPARE(chip.byte(0x11), std::uint8_t(0x22));
    QCOMPARE(chip.byte(0x20), std::uint8_t(0xFF)); // the refused write left nothing
}

void TestMemoryChips::writeCycleEndsOnEitherClock_data()
{
    QTest::addColumn<int>("wallUs");  // wall time passing after the write
    QTest::addColumn<int>("modelUs"); // modelled time passing after the write
    QTest::addColumn<bool>("ready");
    QTest::newRow("the user waits, no bus traffic") << 5000 << 0 << true;
    QTest::newRow("bus time alone") << 0 << 5000 << true;
    QTest::newRow("neither clock long enough") << 4900 << 4000 << false;
    QTest::newRow("both clocks together do not add up") << 3000 << 3000 << false;
}

void TestMemoryChips::writeCycleEndsOnEitherClock()
{
    QFETCH(int, wallUs);
    QFETCH(int, modelUs);
    QFETCH(bool, ready);
    SimulatedAdapter bench;
    std::uint64_t wallNs = 1'000'000'000;
    bench.setWallClock([&wallNs] { return wallNs; });
    bench.setBusFrequency(400);
    EepromChip& chip = placeEeprom(bench, 0xA0, 256, 8, 5000);
    QCOMPARE(bench.write(0xA0, {0x10, 0x5A}), status::Success);
    const std::uint64_t writeEnd = bench.nowUs();

    // Between two operations the user waits; the bench sees no traffic.
    wallNs += std::uint64_t(wallUs) * 1000;
    bench.elapse(std::uint64_t(modelUs));
    QCOMPARE(chip.inWriteCycle(), !ready);
    Bytes out;
    QCOMPARE(randomRead(bench, 0xA0, {0x10}, 1, out), ready ? status::Success : status::AddressNack);
    if (ready)
        QCOMPARE(out, Bytes{0x5A});
    QVERIFY(bench.nowUs() - writeEnd < std::uint64_t(modelUs) + 200); // only the read's own bus time
}

void TestMemoryChips::onlyAStopWithDataStartsAWrite()
{
    SimulatedAdapter bench;
    EepromChip& chip = placeEeprom(bench, 0xA0, 256);

    // Word address alone: sets the counter, no write cycle.
    QCOMPARE(bench.write(0xA0, {0x30}), status::Success);
    QVERIFY(!chip.inWriteCycle());
    QCOMPARE(int(chip.addressCounter()), 0x30);

    // Data followed by a repeated start is dropped, not written.
    I2cMessage ms[2] = {I2cMessage::write(0xA0, {0x30, 0x55}), I2cMessage::readBytes(0xA0, 1)};
    QCOMPARE(bench.transfer(ms), status::Success);
    QVERIFY(!chip.inWriteCycle());
    QCOMPARE(chip.byte(0x30), std::uint8_t(0xFF));
    QCOMPARE(int(chip.writeCycles()), 0);
}

void TestMemoryChips::sequentialReadRollsOver_data()
{
    QTest::addColumn<bool>("ram");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("cells");

    QTest::newRow("EEPROM 256") << false << 256 << 0xFE << QList<int>{0xFE, 0xFF, 0x00, 0x01};
    QTest::newRow("EEPROM 2 KB crosses blocks") << false << 2048 << 0x1FE << QList<int>{0x1FE, 0x1FF, 0x200, 0x201};
    QTest::newRow("EEPROM 2 KB end of memory") << false << 2048 << 0x7FE << QList<int>{0x7FE, 0x7FF, 0x000, 0x001};
    QTest::newRow("EEPROM 4 KB") << false << 4096 << 0xFFF << QList<int>{0xFFF, 0x000};
    QTest::newRow("RAM 64 KB") << true << 65536 << 0xFFFF << QList<int>{0xFFFF, 0x0000, 0x0001};
}

void TestMemoryChips::sequentialReadRollsOver()
{
    QFETCH(bool, ram);
    QFETCH(int, size);
    QFETCH(int, start);
    QFETCH(QList<int>, cells);

    SimulatedAdapter bench;
    SerialMemoryChip* chip = ram ? static_cast<SerialMemoryChip*>(&bench.place(0xA0, std::make_unique<SerialRamChip>(size)))
                                 : &placeEeprom(bench, 0xA0, size);
    for (int a = 0; a < size; ++a)
        chip->setByte(a, std::uint8_t(a * 7 + (a >> 8)));

    const std::uint8_t slave = size <= 2048 ? std::uint8_t(0xA0 + 2 * (start >> 8)) : 0xA0;
    Bytes word = size <= 2048 ? Bytes{std::uint8_t(start)} : Bytes{std::uint8_t(start >> 8), std::uint8_t(start)};
    Bytes out;
    QCOMPARE(randomRead(bench, slave, word, cells.size(), out), status::Success);
    for (int i = 0; i < cells.size(); ++i)
        QCOMPARE(out[i], chip->byte(cells[i]));
}

void TestMemoryChips::blockSelectBits()
{
    SimulatedAdapter bench;
    EepromChip& big = placeEeprom(bench, 0xA0, 2048);
    EepromChip& small = placeEeprom(bench, 0xB4, 512);
    QCOMPARE(big.addressSpan(), 8);
    QCOMPARE(small.addressSpan(), 2);
    QCOMPARE(bench.chipAt(0xAE), &big);
    QCOMPARE(bench.chipAt(0xB0), nullptr);
    QCOMPARE(bench.chipAt(0xB6), &small);

    QCOMPARE(bench.write(0xAE, {0xFF, 0x5A}), status::Success);
    QCOMPARE(big.byte(0x7FF), std::uint8_t(0x5A));
    bench.elapse(6000);
    QCOMPARE(bench.write(0xA6, {0x01, 0x77}), status::Success);
    QCOMPARE(big.byte(0x301), std::uint8_t(0x77));

    QCOMPARE(bench.write(0xB6, {0x10, 0x33}), status::Success);
    QCOMPARE(small.byte(0x110), std::uint8_t(0x33));
    QCOMPARE(small.byte(0x010), std::uint8_t(0xFF));

    // The write cycle blocks every block address of the chip.
    QCOMPARE(bench.write(0xB4, {}), status::AddressNack);
}

void TestMemoryChips::smallestChipIgnoresHighAddressBits()
{
    SimulatedAdapter bench;
    EepromChip& chip = placeEeprom(bench, 0xA0, 16);
    QCOMPARE(chip.params().pageSize, std::size_t(1));
    QCOMPARE(bench.write(0xA0, {0x13, 0x42}), status::Success);
    QCOMPARE(chip.byte(3), std::uint8_t(0x42));
}

void TestMemoryChips::ramWritesAtOnceAndRunsOn()
{
    SimulatedAdapter bench;
    auto& ram = static_cast<SerialRamChip&>(bench.place(0xA2, std::make_unique<SerialRamChip>(256)));
    QCOMPARE(ram.byte(0), std::uint8_t(0x00));

    Bytes data{0xF8};
    for (int i = 0; i < 20; ++i)
        data.push_back(std::uint8_t(0x80 + i));
    QCOMPARE(bench.write(0xA2, data), status::Success);
    // No write cycle: addressed again at once.
    QCOMPARE(bench.write(0xA2, {}), status::Success);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(ram.byte((0xF8 + i) % 256), std::uint8_t(0x80 + i));

    // Bytes a repeated start interrupts are kept.
    I2cMessage ms[2] = {I2cMessage::write(0xA2, {0x40, 0x11}), I2cMessage::readBytes(0xA2, 1)};
    QCOMPARE(bench.transfer(ms), status::Success);
    QCOMPARE(ram.byte(0x40), std::uint8_t(0x11));
    QCOMPARE(ms[1].data[0], std::uint8_t(0x00)); // cell 0x41
}

void TestMemoryChips::standardTypes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("page");
    QTest::newRow("24C00") << 16 << 1;
    QTest::newRow("24C01") << 128 << 8;
    QTest::newRow("24C02") << 256 << 8;
    QTest::newRow("24C04") << 512 << 16;
    QTest::newRow("24C08") << 1024 << 16;
    QTest::newRow("24C16") << 2048 << 16;
    QTest::newRow("24C32") << 4096 << 32;
    QTest::newRow("24C64") << 8192 << 32;
    QTest::newRow("24C128") << 16384 << 64;
    QTest::newRow("24C256") << 32768 << 64;
    QTest::newRow("24C512") << 65536 << 128;
}

void TestMemoryChips::standardTypes()
{
    QFETCH(int, size);
    QFETCH(int, page);

    SimulatedAdapter bench;
    registerStandardChips(bench);
    const std::string eeprom = "EEPROM " + std::to_string(size);
    const std::string ram = "RAM " + std::to_string(size);
    bench.expectChip(eeprom, 0xA0);
    bench.expectChip(ram, 0xB0);

    auto* e = bench.chipAt<EepromChip>(0xA0);
    QVERIFY(e);
    QCOMPARE(e->type(), eeprom);
    QCOMPARE(int(e->size()), size);
    QCOMPARE(int(e->params().pageSize), page);
    QCOMPARE(e->params().writeCycleUs, std::uint64_t(5000));
    QCOMPARE(e->byte(size - 1), std::uint8_t(0xFF));

    auto* r = bench.chipAt<SerialRamChip>(0xB0);
    QVERIFY(r);
    QCOMPARE(r->type(), ram);
    QCOMPARE(int(r->size()), size);
}

void TestMemoryChips::pca950xPortAndEeprom_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("page");
    QTest::newRow("PCA9500") << "PCA9500" << 4;
    QTest::newRow("PCA9501") << "PCA9501" << 16;
}

void TestMemoryChips::pca950xPortAndEeprom()
{
    QFETCH(QString, chip);
    QFETCH(int, page);
    SimulatedAdapter bench;
    registerStandardChips(bench);
    bench.expectChip(chip.toStdString() + " port", 0x30);
    bench.expectChip(chip.toStdString() + " EEPROM", 0xB0);
    auto* port = bench.chipAt<QuasiBidirectionalPort>(0x30);
    auto* ee = bench.chipAt<EepromChip>(0xB0);
    QVERIFY(port && ee);
    QCOMPARE(int(ee->size()), 256);
    QCOMPARE(int(ee->params().pageSize), page);
    QCOMPARE(ee->type(), chip.toStdString() + " EEPROM");

    // Eight bytes from 0x0A wrap within the chip's page.
    Bytes data{0, 1, 2, 3, 4, 5, 6, 7};
    QCOMPARE(bench.write(0xB0, cat({0x0A}, data)), status::Success);
    QVERIFY(ee->inWriteCycle());
    // The port answers while the EEPROM is busy; no pointer byte.
    QCOMPARE(bench.write(0x30, {0xF7}), status::Success);
    QCOMPARE(int(port->latch()), 0xF7);
    port->setExternal(0, 0xFE);
    Bytes in;
    QCOMPARE(bench.read(0x30, 1, in), status::Success);
    QCOMPARE(in, Bytes{0xF6});
    QCOMPARE(bench.write(0xB0, {}), status::AddressNack);
    bench.elapse(5000);

    Bytes expected(256, 0xFF);
    for (int i = 0; i < 8; ++i) {
        const int a = 0x0A - 0x0A % page + (0x0A % page + i) % page;
        expected[std::size_t(a)] = data[std::size_t(i)];
    }
    QVERIFY(ee->bytes() == expected);
    QCOMPARE(ee->byte(page == 4 ? 0x0B : 0x01), std::uint8_t(page == 4 ? 5 : 7)); // the last byte in
}

QTEST_APPLESS_MAIN(TestMemoryChips)
#include "tst_memorychips.moc"
