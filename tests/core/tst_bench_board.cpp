#include "core/common/HexText.h"
#include "core/devices/ports/Pca9541.h"
#include "core/sim/BenchBoard.h"
#include "core/sim/DipSwitchChip.h"
#include "core/sim/FaultText.h"
#include "core/sim/IoExpanderChip.h"
#include "core/sim/Lm75aChip.h"
#include "core/sim/MasterSelectorChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;

namespace {

std::unique_ptr<SimulatedAdapter> newBench()
{
    auto b = std::make_unique<SimulatedAdapter>();
    registerStandardChips(*b);
    return b;
}

std::uint8_t hexAddress(std::string_view t)
{
    std::uint32_t v = 0;
    if (!tryHexToInt(t, v) || v > 0xFF)
        throw std::invalid_argument("bad address");
    return static_cast<std::uint8_t>(v);
}

std::string hexText(std::uint8_t a)
{
    return intToHex(a, 2);
}

QStringList notes(const SimulatedAdapter& bench)
{
    QStringList out;
    for (std::size_t i = 0; i < bench.log().size(); ++i)
        if (bench.log().at(i).isNote())
            out << QString::fromStdString(bench.log().at(i).note);
    return out;
}

Status writeBytes(SimulatedAdapter& bench, std::uint8_t address, std::vector<std::uint8_t> bytes)
{
    return bench.write(address, std::move(bytes));
}

} // namespace

class TestBenchBoard : public QObject {
    Q_OBJECT
private slots:
    void faultTexts_data();
    void faultTexts();
    void refusedFaultTexts_data();
    void refusedFaultTexts();
    void dataNackWaitsForAWriteThatReachesIt();
    void rowsTellWhereChipsSit();
    void segmentBehindNeedsAGateChannel_data();
    void segmentBehindNeedsAGateChannel();
    void movedChipKeepsStateAndFollowers();
    void fixedBoardPlacesNothingForWindows();
    void userActionsAndFiredFaultsAreNoted();
    void pinsReachTheReads_data();
    void pinsReachTheReads();
    void otherMasterCutsTheBenchOff();
    void memoryAndClockFromOutside();
};

// The grammar reads what it writes, and the address form is the caller's.
void TestBenchBoard::faultTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address"); // -1: any
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("written");

    using K = Fault::Kind;
    QTest::newRow("data NACK") << "data-nack,address=A0,byte=5" << int(K::DataNack) << 0xA0 << 5 << 1 << 0
                               << "data-nack,address=A0,byte=5";
    QTest::newRow("any address, twice") << "time-out,count=2" << int(K::TimeOut) << -1 << 0 << 2 << 0
                                        << "time-out,count=2";
    QTest::newRow("until cleared, after") << "bus-stuck,until-cleared,after=3" << int(K::BusStuck) << -1 << 0 << -1
                                          << 3 << "bus-stuck,after=3,until-cleared";
    QTest::newRow("chip removed") << "chip-removed,address=40" << int(K::AddressNack) << 0x40 << 0 << -1 << 0
                                  << "chip-removed,address=40";
    QTest::newRow("arbitration") << "arbitration-lost" << int(K::ArbitrationLost) << -1 << 0 << 1 << 0
                                 << "arbitration-lost";
}

void TestBenchBoard::faultTexts()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(int, byte);
    QFETCH(int, count);
    QFETCH(int, after);
    QFETCH(QString, written);
    const Fault f = FaultText::parse(text.toStdString(), hexAddress);
    QCOMPARE(int(f.kind), kind);
    QCOMPARE(f.address ? int(*f.address) : -1, address);
    QCOMPARE(f.byteIndex, byte);
    QCOMPARE(f.count, count);
    QCOMPARE(f.after, after);
    QCOMPARE(QString::fromStdString(FaultText::format(f, hexText)), written);
    const Fault again = FaultText::parse(FaultText::format(f, hexText), hexAddress);
    QCOMPARE(FaultText::format(again, hexText), FaultText::format(f, hexText));
}

void TestBenchBoard::refusedFaultTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown kind") << "melt" << "'melt': KIND";
    QTest::newRow("unknown item") << "time-out,soon" << "'time-out,soon': KIND";
    QTest::newRow("count not a number") << "time-out,count=x" << "count=x: a number is needed";
    QTest::newRow("count zero") << "time-out,count=0" << "count=0";
    QTest::newRow("bad address") << "address-nack,address=XYZ" << "bad address";
}

void TestBenchBoard::refusedFaultTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    try {
        FaultText::parse(text.toStdString(), hexAddress);
        QFAIL("taken");
    } catch (const std::invalid_argument& e) {
        QVERIFY2(QString(e.what()).contains(error), e.what());
    }
}

// "Data NACK at byte 5 of the next write": reads and short writes pass it by.
void TestBenchBoard::dataNackWaitsForAWriteThatReachesIt()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    board.place("RAM 256", 0xA0);
    board.arm(FaultText::parse("data-nack,address=A0,byte=5", hexAddress));
    std::vector<std::uint8_t> got;
    QCOMPARE(bench->read(0xA0, 8, got), Status(0));
    QCOMPARE(writeBytes(*bench, 0xA0, {0x00, 1, 2, 3}), Status(0));
    QCOMPARE(bench->armedFaults().size(), std::size_t(1));
    QCOMPARE(writeBytes(*bench, 0xA0, {0x10, 1, 2, 3, 4, 5, 6, 7}), Status(2));
    QVERIFY(bench->armedFaults().empty());
    // Bytes before the refused one reached the chip; it and the rest did not.
    QCOMPARE(bench->writeRead(0xA0, {0x10}, 8, got), Status(0));
    QCOMPARE(got, (std::vector<std::uint8_t>{1, 2, 3, 4, 0, 0, 0, 0}));
}

void TestBenchBoard::rowsTellWhereChipsSit()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    board.place("PCA9548A", 0xE0);
    board.place("EEPROM 256", 0xA0, board.segmentBehind(0xE0, 2));
    bench->expectChip("PCF8574", 0x40); // a window's
    board.arm(FaultText::parse("address-nack,address=A0,until-cleared", hexAddress));

    const auto rows = board.rows();
    QCOMPARE(rows.size(), std::size_t(3));
    QCOMPARE(QString::fromStdString(rows[0].where), QString("main bus"));
    QCOMPARE(QString::fromStdString(rows[0].state), QString("no channel on"));
    QCOMPARE(QString::fromStdString(rows[1].where), QString("channel 2 of the PCA9548A at 0xE0"));
    QCOMPARE(QString::fromStdString(rows[1].state), QString("all FF"));
    QCOMPARE(QString::fromStdString(rows[1].faults), QString("chip removed at 0xA0")); // the same fault
    QVERIFY(!rows[1].placedByBench);
    QCOMPARE(QString::fromStdString(rows[2].type), QString("PCF8574"));
    QVERIFY(rows[2].placedByBench);
    QCOMPARE(QString::fromStdString(rows[2].state), QString("latch FF, pins FF"));
    QVERIFY(rows[2].faults.empty());

    // The states follow the bus.
    bench->clearFaults();
    QCOMPARE(writeBytes(*bench, 0xE0, {0x04}), Status(0));
    QCOMPARE(writeBytes(*bench, 0xA0, {0x00, 0x12, 0x34}), Status(0));
    QCOMPARE(QString::fromStdString(board.rows()[0].state), QString("channel 2 on"));
    QCOMPARE(QString::fromStdString(board.rows()[1].state), QString("starts 12 34 FF FF, write cycle busy"));
}

void TestBenchBoard::segmentBehindNeedsAGateChannel_data()
{
    QTest::addColumn<int>("gate");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing there") << 0xE2 << 0 << "no chip answers at 0xE2 (7-bit 0x71)";
    QTest::newRow("not a gate") << 0x40 << 0 << "the PCF8574 at 0x40 (7-bit 0x20) has no channels to sit behind";
    QTest::newRow("channel beyond") << 0xE0 << 8 << "the PCA9548A has channels 0 to 7";
    QTest::newRow("selector's second") << 0xE4 << 1 << "the PCA9541 has channels 0 to 0";
}

void TestBenchBoard::segmentBehindNeedsAGateChannel()
{
    QFETCH(int, gate);
    QFETCH(int, channel);
    QFETCH(QString, error);
    auto bench = newBench();
    BenchBoard board(*bench);
    board.place("PCA9548A", 0xE0);
    board.place("PCA9541", 0xE4);
    board.place("PCF8574", 0x40);
    try {
        board.segmentBehind(static_cast<std::uint8_t>(gate), channel);
        QFAIL("taken");
    } catch (const std::invalid_argument& e) {
        QCOMPARE(QString(e.what()), error);
    }
}

void TestBenchBoard::movedChipKeepsStateAndFollowers()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& mux = board.place("PCA9548A", 0xE0);
    ChipModel& ram = board.place("RAM 256", 0xA0, board.segmentBehind(0xE0, 1));
    QCOMPARE(writeBytes(*bench, 0xE0, {0x02}), Status(0));
    QCOMPARE(writeBytes(*bench, 0xA0, {0x00, 0x5A}), Status(0));

    // The mux moves with its segment; the RAM is still behind it.
    board.move(mux, 0xE6);
    QVERIFY(!bench->chipAt(0xE0));
    QCOMPARE(bench->chipAt(0xA0), &ram);
    // The RAM moves to the main bus at another address, with its contents.
    board.move(ram, 0xA2);
    QCOMPARE(writeBytes(*bench, 0xE6, {0x00}), Status(0));
    std::vector<std::uint8_t> got;
    QCOMPARE(bench->writeRead(0xA2, {0x00}, 1, got), Status(0));
    QCOMPARE(got, std::vector<std::uint8_t>{0x5A});
    // A gate cannot go behind itself, nor behind a chip behind it.
    board.move(ram, 0xA2, board.segmentBehind(0xE6, 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, board.move(mux, 0xE6, Segment{&mux, 0}));
    board.remove(ram);
    QCOMPARE(board.rows().size(), std::size_t(1));
}

void TestBenchBoard::fixedBoardPlacesNothingForWindows()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    board.setPlaceForWindows(false);
    bench->expectChip("PCF8574", 0x40);
    QVERIFY(!bench->chipAt(0x40));
    std::vector<std::uint8_t> got;
    QCOMPARE(bench->read(0x40, 1, got), Status(1));
    board.setPlaceForWindows(true);
    bench->expectChip("PCF8574", 0x40);
    QVERIFY(bench->chipAt(0x40));
}

// The log tells what the user did to the bench beside what the bench did.
void TestBenchBoard::userActionsAndFiredFaultsAreNoted()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& mux = board.place("PCA9548A", 0xE0);
    ChipModel& port = board.place("PCF8574", 0x40, board.segmentBehind(0xE0, 3));
    board.setPin(port, 2, false);
    board.arm(FaultText::parse("time-out,address=E0", hexAddress));
    QCOMPARE(writeBytes(*bench, 0xE0, {0x08}), Status(8));
    board.remove(mux);
    QCOMPARE(notes(*bench), (QStringList{
                                "bench: you placed the PCA9548A at 0xE0",
                                "bench: you placed the PCF8574 at 0x40 behind channel 3 of the PCA9548A at 0xE0",
                                "bench: pin 2 of the PCF8574 at 0x40 low",
                                "bench: fault armed: time-out, once at 0xE0",
                                "bench: fault fired: time-out, once at 0xE0",
                                "bench: you removed the PCA9548A at 0xE0",
                            }));
}

void TestBenchBoard::pinsReachTheReads_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("read"); // register pointer first, or none
    QTest::addColumn<int>("pin");
    QTest::addColumn<int>("expected");
    QTest::newRow("PCF8574") << "PCF8574" << 0x40 << QByteArray() << 6 << 0xBF;
    QTest::newRow("PCF8575 port 1") << "PCF8575" << 0x40 << QByteArray() << 9 << 0xFD; // second byte read
    QTest::newRow("PCA9554 input") << "PCA9554" << 0x40 << QByteArray("\x00", 1) << 0 << 0xFE;
    QTest::newRow("PCA9536 upper bits stay 1") << "PCA9536" << 0x82 << QByteArray("\x00", 1) << 3 << 0xF7;
    QTest::newRow("PCA9532 LED pin") << "PCA9532" << 0xC0 << QByteArray("\x00", 1) << 1 << 0xFD;
}

void TestBenchBoard::pinsReachTheReads()
{
    QFETCH(QString, type);
    QFETCH(int, address);
    QFETCH(QByteArray, read);
    QFETCH(int, pin);
    QFETCH(int, expected);
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& chip = board.place(type.toStdString(), static_cast<std::uint8_t>(address));
    QVERIFY(BenchBoard::pinLevel(chip, pin));
    board.setPin(chip, pin, false);
    QVERIFY(!BenchBoard::pinLevel(chip, pin));
    std::vector<std::uint8_t> got;
    const auto a = static_cast<std::uint8_t>(address);
    const Status st = read.isEmpty() ? bench->read(a, 2, got)
                                     : bench->writeRead(a, {static_cast<std::uint8_t>(read[0])}, 1, got);
    QCOMPARE(st, Status(0));
    QCOMPARE(int(got[pin >= 8 ? 1 : 0]), expected);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, board.setPin(chip, BenchBoard::pinCount(chip), true));
}

// The other master takes the bus behind the selector: the bench's chip there goes quiet.
void TestBenchBoard::otherMasterCutsTheBenchOff()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& selector = board.place("PCA9541", 0xE0);
    board.place("PCF8574", 0x40, board.segmentBehind(0xE0, 0));
    auto* ms = dynamic_cast<MasterSelectorChip*>(&selector);
    // The bench takes the bus as the datasheet says.
    std::vector<std::uint8_t> got;
    QCOMPARE(bench->writeRead(0xE0, {pca9541::Control}, 1, got), Status(0));
    const auto take = pca9541::takeControlValue(got[0]);
    QVERIFY(take);
    QCOMPARE(writeBytes(*bench, 0xE0, {pca9541::Control, *take}), Status(0));
    QCOMPARE(bench->read(0x40, 1, got), Status(0));

    board.otherMasterTakesBus(selector, true);
    QCOMPARE(ms->connectedMaster(), std::optional<int>(1));
    QCOMPARE(bench->read(0x40, 1, got), Status(1));
    QCOMPARE(QString::fromStdString(BenchBoard::stateLine(selector)), QString("bus on, the other master's"));
    board.otherMasterTakesBus(selector, false);
    QCOMPARE(ms->connectedMaster(), std::optional<int>(0));
    QCOMPARE(bench->read(0x40, 1, got), Status(0));
}

void TestBenchBoard::memoryAndClockFromOutside()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& ee = board.place("EEPROM 16", 0xA0);
    board.loadMemory(ee, std::vector<std::uint8_t>{1, 2, 3});
    std::vector<std::uint8_t> got;
    QCOMPARE(bench->writeRead(0xA0, {0x00}, 4, got), Status(0));
    QCOMPARE(got, (std::vector<std::uint8_t>{1, 2, 3, 0xFF}));

    ChipModel& rtc = board.place("PCF8563", 0xA2);
    DateTime t;
    t.year = 2031;
    t.month = 7;
    t.day = 14;
    t.hour = 9;
    t.minute = 41;
    t.second = 5;
    t.weekday = 1;
    board.setClockTime(rtc, t);
    QCOMPARE(bench->writeRead(0xA2, {0x02}, 7, got), Status(0));
    QCOMPARE(got[1], std::uint8_t(0x41));
    QCOMPARE(got[2], std::uint8_t(0x09));
    QCOMPARE(got[3], std::uint8_t(0x14));
    QCOMPARE(got[5] & 0x1F, 0x07);
    QCOMPARE(got[6], std::uint8_t(0x31));
    QVERIFY(QString::fromStdString(BenchBoard::stateLine(rtc)).startsWith("2031-07-14 09:41:0"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, board.setClockTime(ee, t));
}

QTEST_APPLESS_MAIN(TestBenchBoard)
#include "tst_bench_board.moc"
