// Read All, Write All, Verify, Read Byte and Write Byte of serial memories,
// end to end on the simulated bench.
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/MemoryBus.h"
#include "core/memory/MemoryKind.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SerialRamChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Different in every byte of a page and every block, so misplaced data shows.
Bytes pattern(std::size_t size, unsigned seed = 0)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(i * 151u + (i >> 8) * 29u + seed);
    return b;
}

struct Bench {
    SimulatedAdapter sim;
    SerialMemoryChip* chip = nullptr;

    Bench(bool eeprom, std::size_t size, std::uint8_t address = 0xA0, std::size_t chipPage = 0)
    {
        // Timings are checked on the modelled clock; wall time stands still.
        sim.setWallClock([] { return std::uint64_t(0); });
        sim.setBusFrequency(400);
        if (eeprom) {
            EepromChip::Params p = EepromChip::typical(size);
            if (chipPage)
                p.pageSize = chipPage;
            chip = static_cast<SerialMemoryChip*>(&sim.place(address, std::make_unique<EepromChip>(p)));
        } else {
            chip = static_cast<SerialMemoryChip*>(&sim.place(address, std::make_unique<SerialRamChip>(size)));
        }
    }
    EepromChip* eepromChip() const { return dynamic_cast<EepromChip*>(chip); }
    void load(const Bytes& b)
    {
        for (std::size_t i = 0; i < b.size(); ++i)
            chip->setByte(i, b[i]);
    }
    std::vector<BusLogEntry> transfers() const { return sim.log().transfers(); }
};

MemoryDevice device(bool eeprom, std::size_t size, std::uint8_t address = 0xA0, std::size_t page = 8,
                    unsigned writeTimeMs = 10)
{
    MemoryDevice d;
    d.eeprom = eeprom;
    d.size = size;
    d.address = address;
    d.pageSize = page;
    d.writeTimeMs = writeTimeMs;
    return d;
}

bool isPoll(const BusLogEntry& e) { return !e.read && e.bytes.empty(); }

// "W A2 00" for a word-address write, "W A2 00 +16" with 16 data bytes,
// "Sr R A2 [256]" for a read.
QString summary(const BusLogEntry& e, int wordBytes)
{
    QString s = e.repeatedStart ? "Sr " : "";
    s += (e.read ? "R " : "W ") + QString::fromStdString(intToHex(e.address, 2));
    if (e.read)
        return s + QString(" [%1]").arg(e.bytes.size());
    for (std::size_t i = 0; i < e.bytes.size() && int(i) < wordBytes; ++i)
        s += " " + QString::fromStdString(intToHex(e.bytes[i], 2));
    if (e.bytes.size() > std::size_t(wordBytes))
        s += QString(" +%1").arg(e.bytes.size() - wordBytes);
    return s;
}

QStringList summaries(const std::vector<BusLogEntry>& log, int wordBytes)
{
    QStringList out;
    for (const BusLogEntry& e : log)
        if (!isPoll(e))
            out << summary(e, wordBytes);
    return out;
}

// The byte address a write or random read starts at, decoded as the chip does.
std::size_t startAddress(const BusLogEntry& e, std::size_t size, std::uint8_t base)
{
    if (size <= 2048)
        return std::size_t((e.address - base) / 2) * 256 + e.bytes.at(0);
    return std::size_t(e.bytes.at(0)) << 8 | e.bytes.at(1);
}

std::function<bool(std::size_t, std::size_t)> stopAfter(std::size_t n)
{
    return [n](std::size_t done, std::size_t) { return done < n; };
}

} // namespace

class TestMemoryBus : public QObject {
    Q_OBJECT
private slots:
    void addressing_data();
    void addressing();
    void readAll_data();
    void readAll();
    void writeAll_data();
    void writeAll();
    void rangeWritesStopAtPageAndBlockEnds_data();
    void rangeWritesStopAtPageAndBlockEnds();
    void verify_data();
    void verify();
    void singleBytes_data();
    void singleBytes();
    void pollingWaitsForTheWriteCycle_data();
    void pollingWaitsForTheWriteCycle();
    void chipThatStaysBusyFails_data();
    void chipThatStaysBusyFails();
    void faultsLeaveTheBufferAlone_data();
    void faultsLeaveTheBufferAlone();
    void cancel_data();
    void cancel();
    void cancelAfterTheLastTransferChangesNothing();
    void pageSizeBeyondTheChipsShowsInVerify();
    void writeAndVerifyCountsBothPasses();
    void everyStandardChipIsFoundByItsType_data();
    void everyStandardChipIsFoundByItsType();
    void rangesAreChecked();
};

void TestMemoryBus::addressing_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("word");

    QTest::newRow("16 B") << 16 << 0xA0 << 0xF << 0xA0 << "0F";
    QTest::newRow("256 B at AE") << 256 << 0xAE << 0xFF << 0xAE << "FF";
    QTest::newRow("512 B block 1") << 512 << 0xA0 << 0x1A5 << 0xA2 << "A5";
    QTest::newRow("512 B at A4 block 1") << 512 << 0xA4 << 0x1A5 << 0xA6 << "A5";
    QTest::newRow("1 KB at A8 top") << 1024 << 0xA8 << 0x3FF << 0xAE << "FF";
    QTest::newRow("2 KB 0x7FF") << 2048 << 0xA0 << 0x7FF << 0xAE << "FF";
    QTest::newRow("2 KB 0x0FF") << 2048 << 0xA0 << 0x0FF << 0xA0 << "FF";
    QTest::newRow("4 KB two bytes") << 4096 << 0xA0 << 0xABC << 0xA0 << "0A BC";
    QTest::newRow("64 KB at A6") << 65536 << 0xA6 << 0xFEDC << 0xA6 << "FE DC";
}

void TestMemoryBus::addressing()
{
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(int, address);
    QFETCH(int, slave);
    QFETCH(QString, word);

    MemoryDevice d = device(true, size, std::uint8_t(base));
    QCOMPARE(int(d.slaveAddress(address)), slave);
    QStringList w;
    for (std::uint8_t b : d.wordAddress(address))
        w << QString::fromStdString(intToHex(b, 2));
    QCOMPARE(w.join(' '), word);
}

void TestMemoryBus::readAll_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QStringList>("expected");

    const bool E = true, R = false;
    QTest::newRow("EEPROM 16") << E << 16 << 0xA0 << 0 << QStringList{"W A0 00", "Sr R A0 [16]"};
    QTest::newRow("EEPROM 256") << E << 256 << 0xA0 << 0 << QStringList{"W A0 00", "Sr R A0 [256]"};
    QTest::newRow("RAM 512 at A4") << R << 512 << 0xA4 << 0
                                   << QStringList{"W A4 00", "Sr R A4 [256]", "W A6 00", "Sr R A6 [256]"};
    QTest::newRow("EEPROM 512, 200-byte adapter")
        << E << 512 << 0xA0 << 200
        << QStringList{"W A0 00", "Sr R A0 [200]", "W A0 C8", "Sr R A0 [56]",
                       "W A2 00", "Sr R A2 [200]", "W A2 C8", "Sr R A2 [56]"};
    QTest::newRow("EEPROM 2 KB") << E << 2048 << 0xA0 << 0
                                 << QStringList{"W A0 00", "Sr R A0 [256]", "W A2 00", "Sr R A2 [256]",
                                                "W A4 00", "Sr R A4 [256]", "W A6 00", "Sr R A6 [256]",
                                                "W A8 00", "Sr R A8 [256]", "W AA 00", "Sr R AA [256]",
                                                "W AC 00", "Sr R AC [256]", "W AE 00", "Sr R AE [256]"};
    QTest::newRow("EEPROM 4 KB") << E << 4096 << 0xA0 << 0 << QStringList{"W A0 00 00", "Sr R A0 [4096]"};
    QTest::newRow("EEPROM 64 KB") << E << 65536 << 0xA0 << 0 << QStringList{"W A0 00 00", "Sr R A0 [65536]"};
    QTest::newRow("RAM 64 KB at AC, 16 KB adapter")
        << R << 65536 << 0xAC << 16384
        << QStringList{"W AC 00 00", "Sr R AC [16384]", "W AC 40 00", "Sr R AC [16384]",
                       "W AC 80 00", "Sr R AC [16384]", "W AC C0 00", "Sr R AC [16384]"};
}

void TestMemoryBus::readAll()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(int, maxLength);
    QFETCH(QStringList, expected);

    Bench b(eeprom, size, std::uint8_t(base));
    if (maxLength)
        b.sim.setMaxTransferLength(maxLength);
    const Bytes content = pattern(size, 3);
    b.load(content);

    MemoryBus bus(b.sim, device(eeprom, size, std::uint8_t(base)));
    Bytes out;
    std::vector<std::size_t> progress;
    MemoryBusResult r = bus.readAll(out, [&](std::size_t done, std::size_t total) {
        progress.push_back(done);
        return total == std::size_t(size);
    });
    QVERIFY(r.ok());
    QCOMPARE(r.status, status::Success);
    QVERIFY(out == content);
    QCOMPARE(summaries(b.transfers(), size > 2048 ? 2 : 1), expected);
    QCOMPARE(progress.size(), std::size_t(expected.size() / 2));
    QCOMPARE(progress.back(), std::size_t(size));
}

void TestMemoryBus::writeAll_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("page");      // the "Page Size" item
    QTest::addColumn<int>("maxLength"); // 0: the bench's own
    QTest::addColumn<int>("transfers"); // data writes expected

    const bool E = true, R = false;
    QTest::newRow("EEPROM 16, byte writes") << E << 16 << 0xA0 << 1 << 0 << 16;
    QTest::newRow("EEPROM 16, page size 0 counts as 1") << E << 16 << 0xA0 << 0 << 0 << 16;
    QTest::newRow("EEPROM 256") << E << 256 << 0xA0 << 8 << 0 << 32;
    QTest::newRow("EEPROM 512 at AC") << E << 512 << 0xAC << 16 << 0 << 32;
    QTest::newRow("EEPROM 2 KB") << E << 2048 << 0xA0 << 16 << 0 << 128;
    QTest::newRow("EEPROM 2 KB, 8-byte pages") << E << 2048 << 0xA0 << 8 << 0 << 256;
    QTest::newRow("EEPROM 4 KB, 8-byte pages") << E << 4096 << 0xA0 << 8 << 0 << 512;
    QTest::newRow("EEPROM 64 KB") << E << 65536 << 0xA0 << 128 << 0 << 512;
    // 62 data bytes fit behind the two address bytes: 62 + 62 + 4 per page.
    QTest::newRow("EEPROM 64 KB, 64-byte adapter") << E << 65536 << 0xA0 << 128 << 64 << 1536;
    QTest::newRow("RAM 256") << R << 256 << 0xA0 << 8 << 0 << 1;
    QTest::newRow("RAM 2 KB: one per block") << R << 2048 << 0xA0 << 8 << 0 << 8;
    QTest::newRow("RAM 64 KB") << R << 65536 << 0xA0 << 8 << 0 << 1;
    QTest::newRow("RAM 64 KB, 494-byte adapter") << R << 65536 << 0xA0 << 8 << 494 << 134;
}

void TestMemoryBus::writeAll()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(int, page);
    QFETCH(int, maxLength);
    QFETCH(int, transfers);

    Bench b(eeprom, size, std::uint8_t(base));
    if (maxLength)
        b.sim.setMaxTransferLength(maxLength);
    const Bytes content = pattern(size, 7);
    MemoryBus bus(b.sim, device(eeprom, size, std::uint8_t(base), std::size_t(page)));
    MemoryBusResult r = bus.writeAll(content);
    QVERIFY(r.ok());
    QCOMPARE(r.status, status::Success);
    QVERIFY(b.chip->bytes() == content);

    const std::size_t wordBytes = size > 2048 ? 2 : 1;
    const std::size_t chunk = std::max(1, page);
    std::size_t next = 0;
    int writes = 0;
    const std::vector<BusLogEntry> log = b.transfers();
    for (std::size_t i = 0; i < log.size(); ++i) {
        const BusLogEntry& e = log[i];
        QVERIFY(!e.read);
        if (isPoll(e))
            continue;
        ++writes;
        QCOMPARE(e.status, status::Success);
        const std::size_t start = startAddress(e, size, std::uint8_t(base));
        const std::size_t n = e.bytes.size() - wordBytes;
        QCOMPARE(start, next); // in order, nothing skipped or repeated
        QVERIFY(std::equal(e.bytes.begin() + wordBytes, e.bytes.end(), content.begin() + start));
        if (eeprom) {
            QVERIFY2(start / chunk == (start + n - 1) / chunk,
                     qPrintable(QString("write at %1 of %2 bytes crosses a page").arg(start).arg(n)));
            // Acknowledge polling follows until the chip answers.
            QVERIFY(i + 1 < log.size() && isPoll(log[i + 1]));
            std::size_t j = i + 1;
            while (j + 1 < log.size() && isPoll(log[j + 1]))
                ++j;
            QCOMPARE(log[j].status, status::Success);
            QCOMPARE(log[j].address, e.address);
        } else {
            QVERIFY(i + 1 == log.size() || !isPoll(log[i + 1]));
        }
        next = start + n;
    }
    QCOMPARE(next, std::size_t(size));
    QCOMPARE(writes, transfers);
}

void TestMemoryBus::rangeWritesStopAtPageAndBlockEnds_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("expected");

    const bool E = true, R = false;
    QTest::newRow("EEPROM 256 from mid-page") << E << 256 << 8 << 0x05 << 20
                                              << QStringList{"W A0 05 +3", "W A0 08 +8", "W A0 10 +8", "W A0 18 +1"};
    QTest::newRow("EEPROM 2 KB across a block") << E << 2048 << 16 << 0xFA << 12
                                                << QStringList{"W A0 FA +6", "W A2 00 +6"};
    QTest::newRow("EEPROM 64 KB across a page") << E << 65536 << 128 << 0x7FF0 << 32
                                                << QStringList{"W A0 7F F0 +16", "W A0 80 00 +16"};
    QTest::newRow("RAM 2 KB across a block") << R << 2048 << 8 << 0xF0 << 32
                                             << QStringList{"W A0 F0 +16", "W A2 00 +16"};
    QTest::newRow("RAM 64 KB ignores pages") << R << 65536 << 8 << 0x7FF0 << 32 << QStringList{"W A0 7F F0 +32"};
}

void TestMemoryBus::rangeWritesStopAtPageAndBlockEnds()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(int, page);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(QStringList, expected);

    Bench b(eeprom, size);
    const Bytes before = b.chip->bytes();
    const Bytes data = pattern(count, 13);
    MemoryBus bus(b.sim, device(eeprom, size, 0xA0, std::size_t(page)));
    QVERIFY(bus.write(std::size_t(start), data).ok());
    QCOMPARE(summaries(b.transfers(), size > 2048 ? 2 : 1), expected);

    Bytes after = before;
    std::copy(data.begin(), data.end(), after.begin() + start);
    QVERIFY(b.chip->bytes() == after);
}

void TestMemoryBus::verify_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<int>("differs"); // -1: nothing differs
    QTest::addColumn<int>("readsUpTo"); // one past the last byte read

    const bool E = true, R = false;
    QTest::newRow("16 B, equal") << E << 16 << 0 << -1 << 16;
    QTest::newRow("16 B at 5") << E << 16 << 0 << 5 << 16;
    QTest::newRow("2 KB at 0x100") << E << 2048 << 0 << 0x100 << 0x200;
    QTest::newRow("2 KB at 0x7FF") << E << 2048 << 0 << 0x7FF << 0x800;
    QTest::newRow("64 KB, equal") << R << 65536 << 0 << -1 << 65536;
    QTest::newRow("64 KB at 0x8000 in 494-byte reads") << R << 65536 << 494 << 0x8000 << 67 * 494;
    QTest::newRow("64 KB at 0") << E << 65536 << 0 << 0 << 65536;
}

void TestMemoryBus::verify()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(int, maxLength);
    QFETCH(int, differs);
    QFETCH(int, readsUpTo);

    Bench b(eeprom, size);
    if (maxLength)
        b.sim.setMaxTransferLength(maxLength);
    const Bytes image = pattern(size, 11);
    b.load(image);
    if (differs >= 0) {
        b.chip->setByte(differs, std::uint8_t(image[differs] ^ 0x21));
        if (differs < size - 1) // a later difference goes unreported
            b.chip->setByte(size - 1, std::uint8_t(image[size - 1] ^ 0xFF));
    }

    MemoryBus bus(b.sim, device(eeprom, size));
    MemoryBusResult r = bus.verify(image);
    std::size_t read = 0;
    for (const BusLogEntry& e : b.transfers())
        if (e.read)
            read += e.bytes.size();
    QCOMPARE(read, std::size_t(readsUpTo));

    if (differs < 0) {
        QVERIFY(r.ok());
        QCOMPARE(r.status, status::VerifyOk);
        return;
    }
    QCOMPARE(r.outcome, MemoryOutcome::Mismatch);
    QCOMPARE(r.status, status::VerifyError);
    QCOMPARE(r.address, std::size_t(differs));
    QCOMPARE(r.readValue, std::uint8_t(image[differs] ^ 0x21));
    QCOMPARE(r.expectedValue, image[differs]);
}

void TestMemoryBus::singleBytes_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("address");
    QTest::addColumn<QStringList>("readLines");
    QTest::addColumn<QString>("writeLine");

    const bool E = true, R = false;
    QTest::newRow("EEPROM 16 at 0xF") << E << 16 << 0xA0 << 0xF << QStringList{"W A0 0F", "Sr R A0 [1]"} << "W A0 0F +1";
    QTest::newRow("EEPROM 2 KB at 0x7FF") << E << 2048 << 0xA0 << 0x7FF << QStringList{"W AE FF", "Sr R AE [1]"}
                                          << "W AE FF +1";
    QTest::newRow("EEPROM 2 KB at 0x0FF") << E << 2048 << 0xA0 << 0x0FF << QStringList{"W A0 FF", "Sr R A0 [1]"}
                                          << "W A0 FF +1";
    QTest::newRow("RAM 512 at A4, 0x1A5") << R << 512 << 0xA4 << 0x1A5 << QStringList{"W A6 A5", "Sr R A6 [1]"}
                                          << "W A6 A5 +1";
    QTest::newRow("EEPROM 64 KB at 0xFEDC") << E << 65536 << 0xA0 << 0xFEDC
                                            << QStringList{"W A0 FE DC", "Sr R A0 [1]"} << "W A0 FE DC +1";
    QTest::newRow("RAM 8 KB at AA, 0x1234") << R << 8192 << 0xAA << 0x1234
                                            << QStringList{"W AA 12 34", "Sr R AA [1]"} << "W AA 12 34 +1";
}

void TestMemoryBus::singleBytes()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(int, address);
    QFETCH(QStringList, readLines);
    QFETCH(QString, writeLine);

    Bench b(eeprom, size, std::uint8_t(base));
    b.load(pattern(size, 5));
    MemoryBus bus(b.sim, device(eeprom, size, std::uint8_t(base)));
    const int wordBytes = size > 2048 ? 2 : 1;

    std::uint8_t value = 0;
    QVERIFY(bus.readByte(address, value).ok());
    QCOMPARE(value, b.chip->byte(address));
    QCOMPARE(summaries(b.transfers(), wordBytes), readLines);

    b.sim.log().clear();
    const std::uint8_t written = std::uint8_t(~value);
    MemoryBusResult r = bus.writeByte(address, written);
    QVERIFY(r.ok());
    QCOMPARE(b.chip->byte(address), written);
    const std::vector<BusLogEntry> log = b.transfers();
    QCOMPARE(summary(log.front(), wordBytes), writeLine);
    QCOMPARE(log.front().bytes.back(), written);
    if (eeprom) {
        // Polled until the write cycle was over: the chip answers again.
        QVERIFY(log.size() >= 2);
        QVERIFY(isPoll(log.back()));
        QCOMPARE(log.back().status, status::Success);
        QVERIFY(!b.eepromChip()->inWriteCycle());
    } else {
        QCOMPARE(log.size(), std::size_t(1));
    }
}

void TestMemoryBus::pollingWaitsForTheWriteCycle_data()
{
    QTest::addColumn<int>("cycleUs");
    QTest::addColumn<int>("intervalUs");
    QTest::addColumn<int>("writeTimeMs");
    QTest::newRow("5 ms, polled every 100 us") << 5000 << 100 << 10;
    QTest::newRow("2 ms, polled every 100 us") << 2000 << 100 << 10;
    QTest::newRow("5 ms, polled every 1000 us") << 5000 << 1000 << 10;
    QTest::newRow("9.9 ms, within a 10 ms write time") << 9900 << 100 << 10;
    QTest::newRow("5 ms with Write Time 0") << 5000 << 100 << 0;
    QTest::newRow("20 ms with Write Time 10") << 20000 << 100 << 10;
}

void TestMemoryBus::pollingWaitsForTheWriteCycle()
{
    QFETCH(int, cycleUs);
    QFETCH(int, intervalUs);
    QFETCH(int, writeTimeMs);

    Bench b(true, 256);
    b.eepromChip()->setWriteCycleUs(cycleUs);
    MemoryBus bus(b.sim, device(true, 256, 0xA0, 8, unsigned(writeTimeMs)));
    bus.setPollIntervalUs(intervalUs);

    MemoryBusResult r = bus.writeByte(0x42, 0x99);
    QVERIFY(r.ok());
    const std::vector<BusLogEntry> log = b.transfers();
    const std::uint64_t writeEnd = log[1].busUs; // the first poll follows the write at once
    const std::uint64_t ready = log.back().busUs;
    const std::uint64_t pollUs = 11 * 1000 / 400 + 1; // start, address byte, stop at 400 kHz
    QVERIFY2(ready + pollUs >= writeEnd + cycleUs, "polled through before the cycle ended");
    QVERIFY2(ready <= writeEnd + cycleUs + intervalUs + pollUs, "waited longer than the poll interval");
    QCOMPARE(b.chip->byte(0x42), std::uint8_t(0x99));
}

void TestMemoryBus::chipThatStaysBusyFails_data()
{
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("writeTimeMs");
    QTest::addColumn<int>("pollMs"); // how long polling goes on
    QTest::newRow("Write Byte, 10 ms: polled for 25") << false << 10 << 25;
    QTest::newRow("Write All, 10 ms: polled for 25") << true << 10 << 25;
    QTest::newRow("Write All, 25 ms") << true << 25 << 25;
    QTest::newRow("Write All, 40 ms") << true << 40 << 40;
    QTest::newRow("Write Byte, 0 ms: polled for 25") << false << 0 << 25;
}

void TestMemoryBus::chipThatStaysBusyFails()
{
    QFETCH(bool, whole);
    QFETCH(int, writeTimeMs);
    QFETCH(int, pollMs);

    Bench b(true, 2048);
    b.eepromChip()->setWriteCycleUs(3600ull * 1000 * 1000);
    MemoryBus bus(b.sim, device(true, 2048, 0xA0, 16, unsigned(writeTimeMs)));
    const Bytes image = pattern(2048);
    const std::size_t at = whole ? 0 : 0x345;

    MemoryBusResult r = whole ? bus.writeAll(image) : bus.writeByte(at, 0x12);
    QCOMPARE(r.outcome, MemoryOutcome::Failed);
    QCOMPARE(r.status, status::TimeOut); // not an address fault: the chip stayed in its write cycle
    QVERIFY(r.writeCycleTimedOut);
    QCOMPARE(r.address, at);
    QCOMPARE(r.done, std::size_t(0));

    const std::vector<BusLogEntry> log = b.transfers();
    QCOMPARE(int(std::count_if(log.begin(), log.end(), [](const BusLogEntry& e) { return !isPoll(e); })), 1);
    const std::uint64_t writeEnd = log[1].busUs;
    const std::uint64_t lastPoll = log.back().busUs;
    QVERIFY(lastPoll >= writeEnd + std::uint64_t(pollMs) * 1000);
    QVERIFY(lastPoll <= writeEnd + std::uint64_t(pollMs) * 1000 + bus.pollIntervalUs() + 30);
}

void TestMemoryBus::faultsLeaveTheBufferAlone_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<int>("fault"); // Fault::Kind
    QTest::addColumn<int>("byteIndex");
    QTest::addColumn<int>("after"); // bytes done when the fault is armed
    QTest::addColumn<int>("status");

    using K = Fault::Kind;
    const bool E = true, R = false;
    QTest::newRow("read 2 KB, address nack in block 3") << E << 2048 << "read" << 0 << int(K::AddressNack) << 0
                                                        << 0x300 << 1;
    QTest::newRow("read 64 KB, data nack on the word address") << E << 65536 << "read" << 0 << int(K::DataNack)
                                                               << 1 << 0 << 2;
    QTest::newRow("read 64 KB in 4 KB transfers, time-out") << R << 65536 << "read" << 4096 << int(K::TimeOut) << 0
                                                            << 0x6000 << 8;
    QTest::newRow("verify 256, arbitration lost") << E << 256 << "verify" << 0 << int(K::ArbitrationLost) << 0 << 0
                                                  << 7;
    QTest::newRow("verify 2 KB, bus stuck in block 7") << E << 2048 << "verify" << 0 << int(K::BusStuck) << 0
                                                       << 0x700 << 4;
    QTest::newRow("write RAM 256, data nack at byte 100") << R << 256 << "write" << 0 << int(K::DataNack) << 100
                                                          << 0 << 2;
    QTest::newRow("write EEPROM 2 KB, data nack in page 5") << E << 2048 << "write" << 0 << int(K::DataNack) << 5
                                                            << 0x40 << 2;
    QTest::newRow("write EEPROM 64 KB, adapter removed") << E << 65536 << "write" << 0 << int(K::AdapterRemoved)
                                                         << 0 << 0x80 << 255;
}

void TestMemoryBus::faultsLeaveTheBufferAlone()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(QString, op);
    QFETCH(int, maxLength);
    QFETCH(int, fault);
    QFETCH(int, byteIndex);
    QFETCH(int, after);
    QFETCH(int, status);

    Bench b(eeprom, size);
    if (maxLength)
        b.sim.setMaxTransferLength(maxLength);
    const Bytes onChip = pattern(size, 1);
    b.load(onChip);
    MemoryBus bus(b.sim, device(eeprom, size, 0xA0, eeprom ? 16 : 8));

    Fault f;
    f.kind = Fault::Kind(fault);
    f.byteIndex = byteIndex;
    auto arm = [&](std::size_t done, std::size_t) {
        if (done == std::size_t(after))
            b.sim.inject(f);
        return true;
    };
    if (after == 0)
        b.sim.inject(f);

    const Bytes before{1, 2, 3};
    Bytes buffer = before;
    const Bytes image = pattern(size, 2);
    MemoryBusResult r;
    if (op == "read")
        r = bus.readAll(buffer, arm);
    else if (op == "verify")
        r = bus.verify(onChip, arm);
    else
        r = bus.writeAll(image, arm);

    QCOMPARE(r.outcome, MemoryOutcome::Failed);
    QCOMPARE(int(r.status), status);
    QCOMPARE(r.address, std::size_t(after));
    QCOMPARE(r.done, std::size_t(after));
    QVERIFY(!r.writeCycleTimedOut);
    QVERIFY(buffer == before);
    // Nothing after the failed transfer (which the log may not show when it
    // failed before the address), and a write left the rest of the chip alone.
    for (const BusLogEntry& e : b.transfers())
        if (!e.read && !isPoll(e) && e.status == status::Success)
            QVERIFY(startAddress(e, size, 0xA0) < std::size_t(after));
    if (op == "write")
        QVERIFY(std::equal(onChip.begin() + after + 256, onChip.end(), b.chip->bytes().begin() + after + 256));
}

void TestMemoryBus::cancel_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<int>("stopAt");
    QTest::addColumn<int>("dataTransfers"); // reads and data writes up to the cancel

    const bool E = true, R = false;
    QTest::newRow("read 2 KB after two blocks") << E << 2048 << "read" << 0 << 512 << 2;
    QTest::newRow("verify 64 KB after two 4 KB reads") << R << 65536 << "verify" << 4096 << 8192 << 2;
    QTest::newRow("write EEPROM 2 KB after three pages") << E << 2048 << "write" << 0 << 48 << 3;
    QTest::newRow("write RAM 2 KB after one block") << R << 2048 << "write" << 0 << 256 << 1;
}

void TestMemoryBus::cancel()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);
    QFETCH(QString, op);
    QFETCH(int, maxLength);
    QFETCH(int, stopAt);
    QFETCH(int, dataTransfers);

    Bench b(eeprom, size);
    if (maxLength)
        b.sim.setMaxTransferLength(maxLength);
    const Bytes onChip = pattern(size, 4);
    b.load(onChip);
    MemoryBus bus(b.sim, device(eeprom, size, 0xA0, 16));

    const Bytes before(size, 0x5A);
    Bytes buffer = before;
    const Bytes image = pattern(size, 9);
    MemoryBusResult r;
    if (op == "read")
        r = bus.readAll(buffer, stopAfter(stopAt));
    else if (op == "verify")
        r = bus.verify(onChip, stopAfter(stopAt));
    else
        r = bus.writeAll(image, stopAfter(stopAt));

    QCOMPARE(r.outcome, MemoryOutcome::Cancelled);
    QCOMPARE(r.status, status::Success);
    QCOMPARE(r.done, std::size_t(stopAt));
    QVERIFY(!r.ok());
    QVERIFY(buffer == before);
    const std::vector<BusLogEntry> log = b.transfers();
    QCOMPARE(int(std::count_if(log.begin(), log.end(), [](const BusLogEntry& e) { return !isPoll(e); })),
             dataTransfers * (op == "write" ? 1 : 2));
    if (op == "write") {
        QVERIFY(std::equal(image.begin(), image.begin() + stopAt, b.chip->bytes().begin()));
        QVERIFY(std::equal(onChip.begin() + stopAt, onChip.end(), b.chip->bytes().begin() + stopAt));
        if (b.eepromChip())
            QVERIFY(!b.eepromChip()->inWriteCycle()); // the chip is ready for whatever comes next
    }
}

void TestMemoryBus::cancelAfterTheLastTransferChangesNothing()
{
    Bench b(false, 256);
    b.load(pattern(256));
    MemoryBus bus(b.sim, device(false, 256));
    Bytes out;
    MemoryBusResult r = bus.readAll(out, [](std::size_t, std::size_t) { return false; });
    QVERIFY(r.ok());
    QVERIFY(out == pattern(256));
}

void TestMemoryBus::pageSizeBeyondTheChipsShowsInVerify()
{
    // "Page Size" 16 on a chip with 8-byte pages: the second half of every
    // write wraps onto the first.
    Bench b(true, 256, 0xA0, 8);
    MemoryBus bus(b.sim, device(true, 256, 0xA0, 16));
    const Bytes image = pattern(256, 6);
    QVERIFY(bus.writeAll(image).ok());
    MemoryBusResult r = bus.verify(image);
    QCOMPARE(r.outcome, MemoryOutcome::Mismatch);
    QCOMPARE(r.status, status::VerifyError);
    QCOMPARE(r.address, std::size_t(0));
    QCOMPARE(r.readValue, image[8]);
    QCOMPARE(r.expectedValue, image[0]);
}

void TestMemoryBus::writeAndVerifyCountsBothPasses()
{
    Bench b(true, 2048);
    MemoryBus bus(b.sim, device(true, 2048, 0xA0, 16));
    const Bytes image = pattern(2048, 8);
    std::vector<std::pair<std::size_t, std::size_t>> calls;
    MemoryBusResult r = bus.writeAndVerify(image, [&](std::size_t done, std::size_t total) {
        calls.emplace_back(done, total);
        return true;
    });
    QVERIFY(r.ok());
    QCOMPARE(r.status, status::WriteVerifyOk);
    QCOMPARE(r.done, std::size_t(4096));
    QCOMPARE(calls.size(), std::size_t(128 + 8)); // pages, then blocks
    QCOMPARE(calls[127], std::make_pair(std::size_t(2048), std::size_t(4096)));
    QCOMPARE(calls.back(), std::make_pair(std::size_t(4096), std::size_t(4096)));
    QVERIFY(std::is_sorted(calls.begin(), calls.end()));

    // A stop during the write pass ends before the verify pass.
    b.sim.log().clear();
    r = bus.writeAndVerify(image, stopAfter(2048));
    QCOMPARE(r.outcome, MemoryOutcome::Cancelled);
    const std::vector<BusLogEntry> log = b.transfers();
    QVERIFY(std::none_of(log.begin(), log.end(), [](const BusLogEntry& e) { return e.read; }));
}

void TestMemoryBus::everyStandardChipIsFoundByItsType_data()
{
    QTest::addColumn<bool>("eeprom");
    QTest::addColumn<int>("size");
    // Every size the Device menu offers.
    for (std::size_t s : memorySizes()) {
        const int size = int(s);
        QTest::addRow("EEPROM %d", size) << true << size;
        QTest::addRow("RAM %d", size) << false << size;
    }
}

void TestMemoryBus::everyStandardChipIsFoundByItsType()
{
    QFETCH(bool, eeprom);
    QFETCH(int, size);

    // The program's bench: empty until a window talks to an address.
    SimulatedAdapter sim;
    registerStandardChips(sim);
    sim.setBusFrequency(400);
    const int page = eeprom ? int(EepromChip::typical(size).pageSize) : 0;
    // A 2 KB chip takes all eight block addresses from A0.
    const std::uint8_t at = size == 2048 ? 0xA0 : 0xA8;
    MemoryBus bus(sim, device(eeprom, size, at, std::size_t(page)));

    Bytes out;
    QVERIFY(bus.readAll(out).ok());
    QVERIFY(out == Bytes(size, eeprom ? 0xFF : 0x00));
    const std::string type = (eeprom ? "EEPROM " : "RAM ") + std::to_string(size);
    QCOMPARE(sim.chipAt(at)->type(), type);
    QCOMPARE(sim.log().entries().front().note, "bench: placed a simulated " + type + " at " + addressText(at));

    const Bytes image = pattern(size, 12);
    QVERIFY(bus.writeAll(image).ok());
    QCOMPARE(bus.verify(image).status, status::VerifyOk);
    QVERIFY(static_cast<SerialMemoryChip*>(sim.chipAt(at))->bytes() == image);
}

void TestMemoryBus::rangesAreChecked()
{
    Bench b(true, 256);
    MemoryBus bus(b.sim, device(true, 256));
    std::uint8_t v = 0;
    Bytes out;
    QVERIFY_THROWS_EXCEPTION(tp::Error, bus.writeAll(Bytes(255)));
    QVERIFY_THROWS_EXCEPTION(tp::Error, bus.verify(Bytes(512)));
    QVERIFY_THROWS_EXCEPTION(tp::Error, bus.readByte(256, v));
    QVERIFY_THROWS_EXCEPTION(tp::Error, bus.writeByte(256, 0));
    QVERIFY_THROWS_EXCEPTION(tp::Error, bus.read(200, 57, out));
    QVERIFY(b.transfers().empty());
    QVERIFY(bus.read(200, 56, out).ok());
    QCOMPARE(out.size(), std::size_t(56));
}

QTEST_APPLESS_MAIN(TestMemoryBus)
#include "tst_memorybus.moc"
