#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/sim/BenchBoard.h"
#include "core/sim/BenchState.h"
#include "core/sim/EepromChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/SerialRamChip.h"
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

std::vector<std::uint8_t> bytes(const QString& hex)
{
    std::vector<std::uint8_t> out;
    for (const QString& b : hex.split(' ', Qt::SkipEmptyParts))
        out.push_back(static_cast<std::uint8_t>(b.toUInt(nullptr, 16)));
    return out;
}

// Runs a script of transactions, one a line: "W 40 01 F0" (a write),
// "R 41 2" (a read of 2 bytes), "WR 40 00 2" (register pointer 00, then a
// read of 2 behind a repeated start), "wait 20000" (microseconds). Returns
// each status and the bytes a successful read got, as text.
QString play(SimulatedAdapter& bench, const QStringList& script)
{
    QStringList out;
    for (const QString& line : script) {
        QStringList f = line.split(' ', Qt::SkipEmptyParts);
        const QString op = f.takeFirst();
        if (op == "wait") {
            bench.elapse(f[0].toULongLong());
            continue;
        }
        const auto address = static_cast<std::uint8_t>(f.takeFirst().toUInt(nullptr, 16));
        std::vector<std::uint8_t> got;
        Status st = 0;
        if (op == "W") {
            st = bench.write(address, bytes(f.join(' ')));
        } else if (op == "R") {
            st = bench.read(address, f[0].toUInt(), got);
        } else {
            const QString count = f.takeLast();
            st = bench.writeRead(address, bytes(f.join(' ')), count.toUInt(), got);
        }
        QString r = QString("%1:").arg(st);
        for (std::uint8_t b : st == 0 ? got : std::vector<std::uint8_t>{})
            r += ' ' + QString::fromStdString(intToHex(b, 2));
        out << r;
    }
    return out.join(" | ");
}

} // namespace

class TestBenchState : public QObject {
    Q_OBJECT
private slots:
    void chipsKeepWhatTheyHold_data();
    void chipsKeepWhatTheyHold();
    void setAsideChipsComeBack();
    void segmentsSurvive();
    void benchPlacedChipsStayMovable();
    void refusedTextsChangeNothing_data();
    void refusedTextsChangeNothing();
    void faultWaitsItsTurn();
    void wholeBenchSurvives();
    void version1FilesStillRead();
};

// For each chip type: after the setup script, the probe script gives the
// same answers on a bench restored from the saved text as on the original,
// and other answers than on a fresh chip (so the state really travelled).
void TestBenchState::chipsKeepWhatTheyHold_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("address");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("probe");

    QTest::newRow("EEPROM 256") << "EEPROM 256" << 0xA0 << QStringList{"W A0 10 11 22 33", "wait 10000"}
                                << QStringList{"WR A0 10 3", "R A0 2"};
    QTest::newRow("EEPROM 2048, block 5") << "EEPROM 2048" << 0xA0 << QStringList{"W AA 80 5A", "wait 10000"}
                                          << QStringList{"WR AA 80 1"};
    QTest::newRow("EEPROM 65536") << "EEPROM 65536" << 0xA0 << QStringList{"W A0 FF FE AB CD", "wait 10000"}
                                  << QStringList{"WR A0 FF FE 2", "R A0 1"};
    // The address counter carries on where the last run left it.
    QTest::newRow("RAM 512 counter") << "RAM 512" << 0xA0 << QStringList{"W A2 20 01 02 03", "WR A2 20 1"}
                                     << QStringList{"R A0 2"};
    QTest::newRow("Register256 pointer") << "Register256" << 0x20 << QStringList{"W 20 05 77 88 99", "WR 20 05 1"}
                                         << QStringList{"R 20 2", "WR 20 05 3"};
    QTest::newRow("PCF8574 latch") << "PCF8574" << 0x40 << QStringList{"W 40 5A"} << QStringList{"R 40 1"};
    QTest::newRow("PCF8575 latch") << "PCF8575" << 0x40 << QStringList{"W 40 12 34"} << QStringList{"R 40 2"};
    QTest::newRow("PCA9555 registers") << "PCA9555" << 0x40 << QStringList{"W 40 02 12 34", "W 40 06 00 0F"}
                                       << QStringList{"WR 40 00 2", "WR 40 06 2"};
    QTest::newRow("PCA9554 pointer") << "PCA9554" << 0x40 << QStringList{"W 40 03 F0", "W 40 01 0F"}
                                     << QStringList{"R 40 1", "WR 40 03 1"};
    QTest::newRow("PCA9548A channels") << "PCA9548A" << 0xE0 << QStringList{"W E0 A5"} << QStringList{"R E0 1"};
    QTest::newRow("PCA9544A channel") << "PCA9544A" << 0xE0 << QStringList{"W E0 06"} << QStringList{"R E0 1"};
    QTest::newRow("PCA9541 control") << "PCA9541" << 0xE2 << QStringList{"W E2 00 0F", "W E2 01 05"}
                                     << QStringList{"WR E2 00 2"};
    QTest::newRow("PCA8550") << "PCA8550" << 0xE0 << QStringList{"W E0 15", "wait 20000"} << QStringList{"R E0 1"};
    QTest::newRow("PCA9561") << "PCA9561" << 0xE0 << QStringList{"W E0 01 2A", "wait 20000", "W E0 02 15", "wait 20000"}
                             << QStringList{"WR E0 01 1", "WR E0 02 1"};
    QTest::newRow("PCA9532 registers") << "PCA9532" << 0xC0 << QStringList{"W C0 12 97 40 20", "W C0 02 33"}
                                       << QStringList{"WR C0 12 3", "R C0 1"};
    QTest::newRow("PCA9551 registers") << "PCA9551" << 0xC0 << QStringList{"W C0 11 20 40 60 AA 55"}
                                       << QStringList{"WR C0 11 5"};
    // The status flag that power-up sets stays cleared once read.
    QTest::newRow("SAA1064") << "SAA1064" << 0x70 << QStringList{"W 70 00 47 3F 06", "R 71 1"}
                             << QStringList{"R 71 1"};
}

void TestBenchState::chipsKeepWhatTheyHold()
{
    QFETCH(QString, type);
    QFETCH(int, address);
    QFETCH(QStringList, setup);
    QFETCH(QStringList, probe);

    auto original = newBench();
    original->expectChip(type.toStdString(), static_cast<std::uint8_t>(address));
    QVERIFY(original->chipAt(static_cast<std::uint8_t>(address)));
    const QString setupResult = play(*original, setup);
    QVERIFY2(!setupResult.contains(QRegularExpression("(^|\\| )[1-9]")), qPrintable(setupResult));
    const std::string text = BenchState::save(*original);

    auto restored = newBench();
    BenchState::restore(*restored, text);
    auto fresh = newBench();
    fresh->expectChip(type.toStdString(), static_cast<std::uint8_t>(address));

    const QString expected = play(*original, probe);
    QCOMPARE(play(*restored, probe), expected);
    QVERIFY2(play(*fresh, probe) != expected, qPrintable(expected));
    // And the restored bench saves the same text again.
    QCOMPARE(BenchState::save(*restored), BenchState::save(*original));
}

void TestBenchState::setAsideChipsComeBack()
{
    auto original = newBench();
    original->expectChip("PCF8574", 0x40);
    QCOMPARE(play(*original, {"W 40 5A"}), QString("0:"));
    original->expectChip("PCA9554", 0x40); // the PCF8574 is set aside
    QCOMPARE(play(*original, {"W 40 01 0F"}), QString("0:"));

    auto restored = newBench();
    BenchState::restore(*restored, BenchState::save(*original));
    QCOMPARE(QString::fromStdString(restored->chipAt(0x40)->type()), QString("PCA9554"));
    QCOMPARE(play(*restored, {"WR 40 01 1"}), QString("0: 0F"));
    restored->expectChip("PCF8574", 0x40);
    QCOMPARE(play(*restored, {"R 40 1"}), QString("0: 5A"));
}

// Chips behind a switch's channels keep their segment: the same address
// answers with one chip or the other by the channel connected.
void TestBenchState::segmentsSurvive()
{
    auto original = newBench();
    ChipModel& sw = original->place(0xE0, original->makeChip("PCA9548A"));
    auto a = std::make_unique<SerialRamChip>(256);
    a->setByte(0, 0x11);
    auto b = std::make_unique<SerialRamChip>(256);
    b->setByte(0, 0x22);
    original->place(0xA0, std::move(a), Segment{&sw, 1});
    original->place(0xA0, std::move(b), Segment{&sw, 6});

    auto restored = newBench();
    BenchState::restore(*restored, BenchState::save(*original));
    const QStringList probe{"WR A0 00 1", "W E0 02", "WR A0 00 1", "W E0 40", "WR A0 00 1"};
    QCOMPARE(play(*restored, probe), QString("1: | 0: | 0: 11 | 0: | 0: 22"));
}

// A chip the bench placed for a window gives way to the next window's type;
// one placed on purpose does not, also after a restore.
void TestBenchState::benchPlacedChipsStayMovable()
{
    auto original = newBench();
    original->expectChip("PCF8574", 0x40);
    original->place(0x42, original->makeChip("PCF8574"));

    auto restored = newBench();
    BenchState::restore(*restored, BenchState::save(*original));
    restored->expectChip("PCA9554", 0x40);
    restored->expectChip("PCA9554", 0x42);
    QCOMPARE(QString::fromStdString(restored->chipAt(0x40)->type()), QString("PCA9554"));
    QCOMPARE(QString::fromStdString(restored->chipAt(0x42)->type()), QString("PCF8574"));
}

void TestBenchState::refusedTextsChangeNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    const QString h = "Tallyport bench state 1\n";
    QTest::newRow("no header") << "chip A0 EEPROM 256\n" << "line 1: the first line must be";
    QTest::newRow("empty") << "" << "line 1:";
    QTest::newRow("unknown type") << h + "chip A0 EEPROM 300\n" << "line 2: the bench has no chip type \"EEPROM 300\"";
    QTest::newRow("bad address") << h + "chip G0 PCF8574\n" << "line 2: \"G0\" is not an 8-bit address";
    QTest::newRow("field before chip") << h + "field latch FF\n" << "line 2: \"field\" before the first chip";
    QTest::newRow("unknown entry") << h + "chip 40 PCF8574\nlatch FF\n" << "line 3: unknown entry \"latch\"";
    QTest::newRow("short memory") << h + "chip A0 EEPROM 16\nfield memory 0011\n"
                                  << "line 2: EEPROM 16: field memory holds 2 bytes, the chip 16";
    QTest::newRow("not hex") << h + "chip 40 PCF8574\nfield latch XY\n" << "field latch is not hexadecimal";
    QTest::newRow("number too big") << h + "chip 20 Register256\nfield pointer 256\n"
                                    << "field pointer holds '256', not a number up to 255";
    QTest::newRow("counter beyond") << h + "chip A0 RAM 256\nfield counter 256\n" << "beyond the memory";
    QTest::newRow("gate of its own") << h + "chip E0 PCA9548A\nbehind 0 1\n" << "line 2: \"behind\" names no other chip";
    QTest::newRow("gate missing") << h + "chip A0 RAM 256\nbehind 5 1\n" << "\"behind\" names no other chip";
    QTest::newRow("behind without channel") << h + "chip E0 PCA9548A\nchip A0 RAM 256\nbehind 0\n"
                                            << "\"behind\" takes a chip number and a channel";
    // Version 2 entries: version 1 files never held them.
    const QString h2 = "Tallyport bench state 2\n";
    QTest::newRow("fault in version 1") << h + "fault time-out\n" << "line 2: \"fault\" before the first chip";
    QTest::newRow("unknown fault") << h2 + "fault melt-down\n" << "line 2: fault 'melt-down'";
    QTest::newRow("fault at read address") << h2 + "fault address-nack,address=A1\n"
                                           << "line 2: fault 'A1' is not an 8-bit write address";
    QTest::newRow("windows what") << h2 + "windows maybe\n" << "line 2: \"windows\" takes \"place\" or \"fixed\"";
    QTest::newRow("temperature text") << h2 + "chip 90 LM75A\ntemperature 0 warm\n"
                                      << "line 3: \"temperature\" takes a sensor number";
    QTest::newRow("temperature too hot") << h2 + "chip 90 LM75A\ntemperature 0 400\n" << "line 3:";
    QTest::newRow("temperature of a port") << h2 + "chip 40 PCF8574\ntemperature 0 20\n"
                                           << "line 2: PCF8574 has no temperature 0";
    QTest::newRow("second sensor of one") << h2 + "chip 90 LM75A\ntemperature 1 20\n"
                                          << "LM75A has no temperature 1";
}

void TestBenchState::refusedTextsChangeNothing()
{
    QFETCH(QString, text);
    QFETCH(QString, error);

    auto bench = newBench();
    bench->expectChip("PCF8574", 0x40);
    QCOMPARE(play(*bench, {"W 40 5A"}), QString("0:"));
    // Faults and the window placing are the bench's too: a refused text keeps them.
    Fault f;
    f.kind = Fault::Kind::TimeOut;
    bench->inject(f);
    bench->setPlaceForWindows(false);
    const std::string before = BenchState::save(*bench);
    try {
        BenchState::restore(*bench, text.toStdString());
        QFAIL("the text was taken");
    } catch (const FileError& e) {
        QVERIFY2(QString(e.what()).contains(error), e.what());
    }
    QCOMPARE(BenchState::save(*bench), before);
}

// What a board prepared in the window holds comes back whole: chips behind
// channels, outside levels, temperatures, armed faults, window placing.
void TestBenchState::wholeBenchSurvives()
{
    auto bench = newBench();
    BenchBoard board(*bench);
    ChipModel& mux = board.place("PCA9548A", 0xE0);
    board.place("EEPROM 256", 0xA0, board.segmentBehind(0xE0, 2));
    ChipModel& port = board.place("PCF8574", 0x40);
    board.setPin(port, 3, false);
    ChipModel& sensor = board.place("SA56004", 0x98);
    board.setTemperature(sensor, 0, 41.5);
    board.setTemperature(sensor, 1, std::nullopt);
    Fault f;
    f.kind = Fault::Kind::DataNack;
    f.address = 0xA0;
    f.byteIndex = 5;
    board.arm(f);
    board.setPlaceForWindows(false);
    QCOMPARE(play(*bench, {"W E0 04", "W A0 00 11 22"}), QString("0: | 0:"));
    (void)mux;

    const std::string text = BenchState::save(*bench);
    QVERIFY(text.rfind(BenchState::kHeader, 0) == 0);
    auto restored = newBench();
    BenchState::restore(*restored, text);
    QCOMPARE(BenchState::save(*restored), text);
    QVERIFY(!restored->placeForWindows());
    QCOMPARE(restored->armedFaults().size(), std::size_t(1));
    QCOMPARE(restored->armedFaults()[0].byteIndex, 5);
    auto* p = restored->chipAt<QuasiBidirectionalPort>(0x40);
    QVERIFY(p);
    QCOMPARE(p->pins(), std::uint8_t(0xF7));
    ChipModel* s = restored->chipAt(0x98);
    QVERIFY(s);
    QCOMPARE(BenchBoard::temperature(*s, 0).value_or(0), 41.5);
    QVERIFY(!BenchBoard::temperature(*s, 1)); // still wanders
    // The EEPROM answers behind channel 2, with its data, and the fault fires there.
    QCOMPARE(play(*restored, {"WR A0 00 2", "W E0 00", "R A0 1"}), QString("0: 11 22 | 0: | 1:"));
    QCOMPARE(play(*restored, {"W E0 04", "W A0 00 01 02 03 04 05 06"}), QString("0: | 2:"));
}

// Files written before faults, temperatures and window placing were kept still read.
void TestBenchState::version1FilesStillRead()
{
    auto bench = newBench();
    BenchState::restore(*bench, "Tallyport bench state 1\n\nchip E0 PCA9548A\nfield control 4\n\n"
                                "chip A0 EEPROM 16\nbehind 0 2\nfield memory 00112233445566778899AABBCCDDEEFF\n");
    QVERIFY(bench->placeForWindows());
    QVERIFY(bench->armedFaults().empty());
    QCOMPARE(play(*bench, {"WR A0 01 2"}), QString("0: 11 22"));
}

// A fault set to hit after some transactions lets those through.
void TestBenchState::faultWaitsItsTurn()
{
    auto bench = newBench();
    bench->expectChip("PCF8574", 0x40);
    Fault f;
    f.kind = Fault::Kind::AddressNack;
    f.address = 0x40;
    f.after = 2;
    f.count = -1;
    bench->inject(f);
    QCOMPARE(play(*bench, {"W 40 01", "W 42 01", "R 40 1", "W 40 02", "R 40 1"}),
             QString("0: | 1: | 0: 01 | 1: | 1:"));
}

QTEST_APPLESS_MAIN(TestBenchState)
#include "tst_bench_state.moc"
