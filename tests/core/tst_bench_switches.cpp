#include "core/adapter/AckPolling.h"
#include "core/devices/ports/NvRegisters.h"
#include "core/devices/ports/Pca9541.h"
#include "core/devices/ports/Pca954x.h"
#include "core/sim/ChannelSwitchChip.h"
#include "core/sim/DipSwitchChip.h"
#include "core/sim/MasterSelectorChip.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;
using pca954x::Mux;
using pca954x::Switch;

namespace {

int readOne(SimulatedAdapter& bench, std::uint8_t address)
{
    std::vector<std::uint8_t> out;
    return bench.read(address, 1, out) == status::Success ? out.at(0) : -1;
}

int readRegister(SimulatedAdapter& bench, std::uint8_t address, std::uint8_t reg)
{
    std::vector<std::uint8_t> out;
    return bench.writeRead(address, {reg}, 1, out) == status::Success ? out.at(0) : -1;
}

// A switch at 0xE0 with a register chip at 0x40 behind `channel`.
struct SwitchRig {
    SimulatedAdapter bench;
    ChannelSwitchChip* sw;
    RegisterChip* behind;
    explicit SwitchRig(int channel, Switch kind = Switch::PCA9548)
    {
        sw = static_cast<ChannelSwitchChip*>(&bench.place(0xE0, std::make_unique<ChannelSwitchChip>(kind)));
        behind = static_cast<RegisterChip*>(
            &bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{sw, channel}));
        behind->setReg(0, 0x5A);
    }
};

} // namespace

class TestBenchSwitches : public QObject {
    Q_OBJECT
private slots:
    void chipBehindChannelAnswersOnlyWhileConnected_data();
    void chipBehindChannelAnswersOnlyWhileConnected();
    void newChannelConnectsAtTheStop();
    void sameAddressOnTwoChannels();
    void segmentsNest();
    void gateOffTheBenchCutsItsSegment();
    void placingAndRemovingKeepToTheSegment();
    void benchPlacesNoChipWhereOneSitsBehindAChannel();
    void controlRegisterHasNoPointer();
    void interruptBitsAreReadOnly();
    void muxChannelItems_data();
    void muxChannelItems();
    void takeControlFollowsTheDatasheetTable();
    void masterSelectorCommandBytes();
    void masterSelectorTakeOver();
    void masterSelectorSegment();
    void dipSwitchWriteCycle();
    void dipSwitchNumbersAndCommands();
    void ackPollingWaitsOutTheWriteCycle();
};

void TestBenchSwitches::chipBehindChannelAnswersOnlyWhileConnected_data()
{
    QTest::addColumn<int>("kind"); // 0 = PCA9548A switch, 1 = PCA9544A mux
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("control");
    QTest::addColumn<bool>("answers");
    QTest::newRow("switch: own channel") << 0 << 2 << 0x04 << true;
    QTest::newRow("switch: with others") << 0 << 2 << 0x85 << true;
    QTest::newRow("switch: another channel") << 0 << 2 << 0x02 << false;
    QTest::newRow("switch: none") << 0 << 2 << 0x00 << false;
    QTest::newRow("mux: channel 2") << 1 << 2 << 0x06 << true;
    QTest::newRow("mux: channel 3") << 1 << 2 << 0x07 << false;
    QTest::newRow("mux: enable bit clear") << 1 << 2 << 0x02 << false;
}

void TestBenchSwitches::chipBehindChannelAnswersOnlyWhileConnected()
{
    QFETCH(int, kind);
    QFETCH(int, channel);
    QFETCH(int, control);
    QFETCH(bool, answers);
    SimulatedAdapter bench;
    ChipModel& gate = kind == 0 ? bench.place(0xE0, std::make_unique<ChannelSwitchChip>(Switch::PCA9548))
                                : bench.place(0xE0, std::make_unique<ChannelSwitchChip>(Mux::PCA9544));
    auto& behind = static_cast<RegisterChip&>(
        bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{&gate, channel}));
    behind.setReg(0, 0x5A);
    QCOMPARE(readRegister(bench, 0x40, 0), -1); // power-up: no channel
    QCOMPARE(bench.write(0xE0, {std::uint8_t(control)}), status::Success);
    QCOMPARE(readRegister(bench, 0x40, 0), answers ? 0x5A : -1);
    QCOMPARE(bench.chipAt(0x40), answers ? static_cast<ChipModel*>(&behind) : nullptr);
}

void TestBenchSwitches::newChannelConnectsAtTheStop()
{
    SwitchRig r(2);
    // Control write and a downstream read in one transaction: the channel is not on yet.
    I2cMessage ms[2] = {I2cMessage::write(0xE0, {0x04}), I2cMessage::readBytes(0x40, 1)};
    QCOMPARE(r.bench.transfer(ms), status::AddressNack);
    QCOMPARE(int(r.sw->control()), 0x04); // the stop still came
    QCOMPARE(readOne(r.bench, 0x40), 0x5A);
    // Disconnecting works the same way round.
    I2cMessage off[2] = {I2cMessage::write(0xE0, {0x00}), I2cMessage::readBytes(0x40, 1)};
    QCOMPARE(r.bench.transfer(off), status::Success);
    QCOMPARE(readOne(r.bench, 0x40), -1);
}

void TestBenchSwitches::sameAddressOnTwoChannels()
{
    SimulatedAdapter bench;
    ChipModel& sw = bench.place(0xE0, std::make_unique<ChannelSwitchChip>(Switch::PCA9546));
    auto& a = static_cast<RegisterChip&>(
        bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{&sw, 0}));
    auto& b = static_cast<RegisterChip&>(
        bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{&sw, 3}));
    a.setReg(0, 0xAA);
    b.setReg(0, 0xBB);
    bench.write(0xE0, {0x01});
    QCOMPARE(readOne(bench, 0x40), 0xAA);
    bench.write(0xE0, {0x08});
    QCOMPARE(readOne(bench, 0x40), 0xBB);
    QCOMPARE(int(a.reg(0)), 0xAA); // placing b did not replace a
}

void TestBenchSwitches::segmentsNest()
{
    SimulatedAdapter bench;
    ChipModel& outer = bench.place(0xE0, std::make_unique<ChannelSwitchChip>(Switch::PCA9548));
    ChipModel& inner = bench.place(0xE2, std::make_unique<ChannelSwitchChip>(Mux::PCA9542), Segment{&outer, 7});
    bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{&inner, 1});
    QCOMPARE(bench.write(0xE2, {0x05}), status::AddressNack); // the inner mux is not reachable yet
    bench.write(0xE0, {0x80});
    QCOMPARE(bench.write(0xE2, {0x05}), status::Success);
    QVERIFY(bench.chipAt(0x40));
    bench.write(0xE0, {0x00}); // the inner mux keeps its channel, but its own segment is off
    QVERIFY(!bench.chipAt(0x40));
    QVERIFY(!bench.chipAt(0xE2));
}

void TestBenchSwitches::gateOffTheBenchCutsItsSegment()
{
    SwitchRig r(1);
    r.bench.write(0xE0, {0x02});
    QCOMPARE(readOne(r.bench, 0x40), 0x5A);
    r.bench.place(0xE0, std::make_unique<RegisterChip>("Register256", 256)); // replaces the switch
    QVERIFY(!r.bench.chipAt(0x40));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             r.bench.place(0x50, std::make_unique<RegisterChip>("Register256", 256), Segment{r.sw, 0}));
}

void TestBenchSwitches::placingAndRemovingKeepToTheSegment()
{
    SwitchRig r(0);
    auto& mainBus = static_cast<RegisterChip&>(r.bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256)));
    mainBus.setReg(0, 0x11);
    QCOMPARE(readRegister(r.bench, 0x40, 0), 0x11);
    r.bench.remove(0x40); // the main bus chip only
    QVERIFY(!r.bench.chipAt(0x40));
    r.bench.write(0xE0, {0x01});
    QCOMPARE(readRegister(r.bench, 0x40, 0), 0x5A);
    r.bench.remove(0x40, Segment{r.sw, 0});
    QVERIFY(!r.bench.chipAt(0x40));
}

void TestBenchSwitches::benchPlacesNoChipWhereOneSitsBehindAChannel()
{
    SwitchRig r(2);
    r.bench.registerType("Register256", [] { return std::make_unique<RegisterChip>("Register256", 256); });
    // A window expecting a chip at 0x40 meets the one behind channel 2, as on a board.
    r.bench.expectChip("Register256", 0x40);
    QCOMPARE(readOne(r.bench, 0x40), -1);
    r.bench.write(0xE0, {0x04});
    r.bench.expectChip("Register256", 0x40);
    QCOMPARE(r.bench.chipAt(0x40), static_cast<ChipModel*>(r.behind));
}

void TestBenchSwitches::controlRegisterHasNoPointer()
{
    SimulatedAdapter bench;
    auto& mux = static_cast<ChannelSwitchChip&>(bench.place(0xE0, std::make_unique<ChannelSwitchChip>(Mux::PCA9544)));
    QCOMPARE(bench.write(0xE0, {0x00, 0x05}), status::Success); // several bytes: the last counts
    QCOMPARE(int(mux.control()), 0x05);
    QCOMPARE(readOne(bench, 0xE0), 0x05);
    QCOMPARE(int(mux.control()), 0x05); // reading leaves it
}

void TestBenchSwitches::interruptBitsAreReadOnly()
{
    SimulatedAdapter bench;
    auto& sw = static_cast<ChannelSwitchChip&>(bench.place(0xE2, std::make_unique<ChannelSwitchChip>(Switch::PCA9545)));
    bench.write(0xE2, {0xF3});
    QCOMPARE(readOne(bench, 0xE2), 0x03);
    sw.setInterrupt(1, true);
    sw.setInterrupt(3, true);
    QCOMPARE(readOne(bench, 0xE2), 0xA3);
    auto& noInt = static_cast<ChannelSwitchChip&>(bench.place(0xE4, std::make_unique<ChannelSwitchChip>(Switch::PCA9548)));
    noInt.setInterrupt(0, true); // the PCA9548A has no interrupt inputs
    bench.write(0xE4, {0x81});
    QCOMPARE(readOne(bench, 0xE4), 0x81);
}

void TestBenchSwitches::muxChannelItems_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("item");
    QTest::newRow("9544 F4") << int(Mux::PCA9544) << 0xF4 << 1;
    QTest::newRow("9544 03") << int(Mux::PCA9544) << 0x03 << 0;
    QTest::newRow("9544 07") << int(Mux::PCA9544) << 0x07 << 4;
    QTest::newRow("9542 35") << int(Mux::PCA9542) << 0x35 << 2;
    QTest::newRow("9542 06") << int(Mux::PCA9542) << 0x06 << 0;
    QTest::newRow("9540 07") << int(Mux::PCA9540) << 0x07 << 0;
    QTest::newRow("9540 04") << int(Mux::PCA9540) << 0x04 << 1;
}

void TestBenchSwitches::muxChannelItems()
{
    QFETCH(int, chip);
    QFETCH(int, value);
    QFETCH(int, item);
    const Mux m = static_cast<Mux>(chip);
    QCOMPARE(pca954x::itemOfValue(m, std::uint8_t(value)), item);
    // Every item's own value shows that item again.
    for (int i = 0; i <= pca954x::info(m).channels; ++i)
        QCOMPARE(pca954x::itemOfValue(m, pca954x::valueOfItem(m, i)), i);
    QCOMPARE(int(pca954x::valueOfItem(Mux::PCA9544, 2)), 0x05);
}

void TestBenchSwitches::takeControlFollowsTheDatasheetTable()
{
    // Low nibble read -> low nibble to write; -1: no write required.
    const int table[16] = {4, 4, 5, 5, -1, 4, 5, -1, -1, 0, 1, -1, 0, 0, 1, 1};
    for (int read = 0; read < 16; ++read) {
        const auto v = pca9541::takeControlValue(std::uint8_t(0xC0 | read));
        QCOMPARE(v ? int(*v) : -1, table[read]);
        if (v) { // what it writes gives the reader a connected bus it owns
            const std::uint8_t after = std::uint8_t((*v & 0x05) | (read & 0x0A));
            QVERIFY(pca9541::hasControl(after));
            QVERIFY(pca9541::busOn(after));
        }
    }
}

void TestBenchSwitches::masterSelectorCommandBytes()
{
    SimulatedAdapter bench;
    auto& sel = static_cast<MasterSelectorChip&>(bench.place(0xE0, std::make_unique<MasterSelectorChip>()));
    for (std::uint8_t bad : {0x03, 0x13, 0x20, 0x81})
        QCOMPARE(bench.write(0xE0, {bad}), status::DataNack);
    QCOMPARE(bench.write(0xE0, {0x00, 0xFF}), status::Success);
    QCOMPARE(readRegister(bench, 0xE0, 0x00), 0x0F); // bits 7:4 read 0
    QCOMPARE(bench.write(0xE0, {0x02, 0x00}), status::DataNack); // status is read-only
    sel.write(1, pca9541::Control, 0x80); // the other master raises our NMYTEST
    std::vector<std::uint8_t> three;
    QCOMPARE(bench.writeRead(0xE0, {0x10}, 4, three), status::Success); // auto-increment rolls over after 2
    QCOMPARE(three, (std::vector<std::uint8_t>{0x0F, 0x00, 0x80, 0x0F}));
}

void TestBenchSwitches::masterSelectorTakeOver()
{
    SimulatedAdapter bench;
    auto& sel = static_cast<MasterSelectorChip&>(bench.place(0xE0, std::make_unique<MasterSelectorChip>()));
    // The other master takes the bus by the table: it reads 2, writes 5.
    QCOMPARE(int(sel.read(1, pca9541::Control)), 0x02);
    sel.write(1, pca9541::Control, *pca9541::takeControlValue(0x02));
    QCOMPARE(sel.connectedMaster(), std::optional<int>(1));
    QCOMPARE(readRegister(bench, 0xE0, 0x01), 0x0A); // bus on, no control

    // Master 0 takes over: the switch happens at the stop.
    const std::uint8_t take = *pca9541::takeControlValue(0x0A);
    QCOMPARE(int(take), 0x01);
    QCOMPARE(bench.write(0xE0, {0x01, take}), status::Success);
    QCOMPARE(sel.connectedMaster(), std::optional<int>(0));
    QCOMPARE(readRegister(bench, 0xE0, 0x01), 0x0B); // bus on, has control
    QCOMPARE(int(sel.read(1, pca9541::Control)) & 0x0F, 0x07 ^ 0x02); // 5: bus on, no control
    QCOMPARE(int(sel.read(1, pca9541::InterruptStatus)), int(pca9541::kBusLost));
    QCOMPARE(int(sel.read(1, pca9541::InterruptStatus)), 0); // read clears it
    QCOMPARE(readRegister(bench, 0xE0, 0x02), 0); // master 0 lost nothing
}

void TestBenchSwitches::masterSelectorSegment()
{
    SimulatedAdapter bench;
    auto& sel = static_cast<MasterSelectorChip&>(bench.place(0xE0, std::make_unique<MasterSelectorChip>()));
    bench.place(0x40, std::make_unique<RegisterChip>("Register256", 256), Segment{&sel, 0});
    QVERIFY(!bench.chipAt(0x40)); // power-up: bus off
    bench.write(0xE0, {0x01, 0x04});
    QVERIFY(bench.chipAt(0x40));
    sel.write(1, pca9541::Control, 0x05); // the other master takes it
    QVERIFY(!bench.chipAt(0x40));
    // Asking for the bus initialisation reports it done to the new owner.
    const std::uint8_t take = *pca9541::takeControlValue(std::uint8_t(readRegister(bench, 0xE0, 1)));
    bench.write(0xE0, {0x01, std::uint8_t(pca9541::kBusInit | take)});
    QVERIFY(bench.chipAt(0x40));
    // Losing the bus to the other master was latched too.
    QCOMPARE(readRegister(bench, 0xE0, 0x02), int(pca9541::kBusLost | pca9541::kBusInitDone));
}

void TestBenchSwitches::dipSwitchWriteCycle()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<DipSwitchChip&>(bench.place(0x9C, std::make_unique<DipSwitchChip>(DipSwitchChip::pca8550())));
    QCOMPARE(bench.write(0x9C, {0xFF, 0x11}), status::Success); // no byte number: the last byte counts
    QCOMPARE(bench.write(0x9C, {0x00}), status::AddressNack);   // busy with the write cycle
    QCOMPARE(readOne(bench, 0x9C), -1);
    bench.elapse(10000);
    QCOMPARE(readOne(bench, 0x9C), 0x11);
    QCOMPARE(chip.writeCycles(), std::size_t(1));
    QCOMPARE(bench.write(0x9C, {0xFF}), status::Success);
    bench.elapse(10000);
    QCOMPARE(readOne(bench, 0x9C), 0x1F); // five bits
    chip.setWriteProtect(true);
    QCOMPARE(bench.write(0x9C, {0x00}), status::Success);
    bench.elapse(10000);
    QCOMPARE(readOne(bench, 0x9C), 0x1F);
}

void TestBenchSwitches::dipSwitchNumbersAndCommands()
{
    SimulatedAdapter bench;
    auto& chip = static_cast<DipSwitchChip&>(bench.place(0x98, std::make_unique<DipSwitchChip>(DipSwitchChip::pca9561())));
    chip.setMuxIn(0xEA);
    QCOMPARE(readRegister(bench, 0x98, 0xFF), 0x2A);
    QCOMPARE(bench.write(0x98, {0x02, 0x15}), status::Success);
    bench.elapse(10000);
    QCOMPARE(readRegister(bench, 0x98, 0x02), 0x15);
    QCOMPARE(bench.write(0x98, {0xF8}), status::Success);
    QCOMPARE(int(chip.command()), 0xF8);
    QCOMPARE(chip.writeCycles(), std::size_t(1)); // a command is no write cycle
    QCOMPARE(bench.write(0x98, {0xF8, 0x00}), status::DataNack);
    QCOMPARE(bench.write(0x98, {0x04}), status::DataNack);       // no such byte
    QCOMPARE(bench.write(0x98, {0xFF, 0x00}), status::DataNack); // MUX_IN is read-only
    auto& two = static_cast<DipSwitchChip&>(bench.place(0x9A, std::make_unique<DipSwitchChip>(DipSwitchChip::pca9560())));
    QCOMPARE(bench.write(0x9A, {0xF0}), status::DataNack); // no command bytes known
    QCOMPARE(bench.write(0x9A, {0x02, 0x00}), status::DataNack);
    QCOMPARE(two.writeCycles(), std::size_t(0));
}

void TestBenchSwitches::ackPollingWaitsOutTheWriteCycle()
{
    SimulatedAdapter bench;
    bench.setWallClock([] { return std::uint64_t(0); }); // a slow machine must not end the cycle early
    bench.place(0x98, std::make_unique<DipSwitchChip>(DipSwitchChip::pca9560()));
    QCOMPARE(bench.write(0x98, {0x01, 0x2A}), status::Success);
    const std::uint64_t t0 = bench.nowUs();
    bool timedOut = true;
    QCOMPARE(awaitAcknowledge(bench, 0x98, nvreg::kWriteCycleLimitUs, nvreg::kPollIntervalUs, &timedOut),
             status::Success);
    QVERIFY(!timedOut);
    QVERIFY(bench.nowUs() - t0 >= 10000);
    QVERIFY(bench.nowUs() - t0 < 10000 + 2 * nvreg::kPollIntervalUs);
    // A chip that never comes back: the limit ends the wait.
    bench.remove(0x98);
    QCOMPARE(awaitAcknowledge(bench, 0x98, 2000, 500, &timedOut), status::TimeOut);
    QVERIFY(timedOut);
}

QTEST_APPLESS_MAIN(TestBenchSwitches)
#include "tst_bench_switches.moc"
