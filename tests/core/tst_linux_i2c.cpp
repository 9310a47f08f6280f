#include "core/adapter/Clock.h"
#include "core/adapter/linux/I2cBuses.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/memory/MemoryBus.h"
#include "tests/support/FakeI2cKernel.h"

#include <QtTest>

#include <cerrno>
#include <linux/i2c.h>

using namespace tp;
using tp::linuxi2c::BusInfo;

namespace {

// What i2c-stub offers: SMBus only, with I2C block transfers.
constexpr unsigned long kStubFuncs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                     I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA |
                                     I2C_FUNC_SMBUS_I2C_BLOCK;
// A PC chipset's SMBus (PIIX4): no I2C block transfers.
constexpr unsigned long kPiix4Funcs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                      I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA;
constexpr unsigned long kFullI2c = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;

// One fake machine: sysfs, /dev and the buses behind them.
struct Machine {
    FakeSysfs sysfs;
    FakeI2cHost host;

    FakeI2cBus& addBus(int number, const std::string& name, unsigned long funcs, bool pci = false)
    {
        FakeI2cBus& b = host.bus(sysfs.addBus(number, name, pci));
        b.funcs = funcs;
        return b;
    }
    linuxi2c::Environment env() { return sysfs.environment(host); }
    std::unique_ptr<LinuxI2cAdapter> open(const std::string& spec)
    {
        std::string error;
        auto a = LinuxI2cAdapter::open(spec, &error, nullptr, env());
        if (!a)
            qFatal("cannot open %s: %s", spec.c_str(), error.c_str());
        return a;
    }
};

// "W 05 A5; R 2": messages of one transaction to 8-bit address 0x40.
std::vector<I2cMessage> parse(const QString& text, std::uint8_t address = 0x40)
{
    std::vector<I2cMessage> out;
    for (const QString& part : text.split(';', Qt::SkipEmptyParts)) {
        QStringList f = part.simplified().split(' ');
        const QString kind = f.takeFirst();
        if (kind == "R") {
            out.push_back(I2cMessage::readBytes(address, f.value(0).toUInt()));
        } else {
            std::vector<std::uint8_t> bytes;
            for (const QString& b : f)
                bytes.push_back(static_cast<std::uint8_t>(b.toUInt(nullptr, 16)));
            out.push_back(I2cMessage::write(address, bytes));
        }
    }
    return out;
}

QString joinTrace(const std::vector<std::string>& trace)
{
    QStringList out;
    for (const std::string& t : trace)
        if (t.rfind("slave", 0) != 0)
            out << QString::fromStdString(t);
    return out.join(" | ");
}

QString hexBytes(const std::vector<std::uint8_t>& v)
{
    QStringList out;
    for (std::uint8_t b : v)
        out << QString::asprintf("%02X", b);
    return out.join(' ');
}

} // namespace

class TestLinuxI2c : public QObject {
    Q_OBJECT
private slots:
    void busListLikeI2cdetect();
    void findBusBySpec_data();
    void findBusBySpec();
    void claimsAndClock();
    void openFailsWithAdvice_data();
    void openFailsWithAdvice();

    void writeThenReadIsOneIoctl();
    void errnoToStatus_data();
    void errnoToStatus();
    void removalIsJudgedFromSysfs();
    void watchedNodeEndsTheAdapterAtOnce();
    void findingABusOpensOnlyThatOne_data();
    void findingABusOpensOnlyThatOne();
    void oversizedTransactionsNeverReachTheKernel();
    void longReadsFallBackToChunks();
    void zeroLengthRefusalIsLearned();

    void smbusMapping_data();
    void smbusMapping();
    void smbusReadsBringTheChipsBytes();
    void smbusSetsTheAddressOncePerChange();

    void writesToClaimedAddressesAsk();
    void pcSmbusAsksOnceForWrites();
    void onlyAPointerAndItsReadCountAsARead_data();
    void onlyAPointerAndItsReadCountAsARead();
    void hardwareLogUsesTheMonotonicClock();
    void reattachTakesTheNewNode();

    void memoryOnSmbusUsesBlockReads();
    void pollingWithoutZeroLengthMessages_data();
    void pollingWithoutZeroLengthMessages();
    void writeTimeZeroOnHardware_data();
    void writeTimeZeroOnHardware();
};

void TestLinuxI2c::busListLikeI2cdetect()
{
    Machine m;
    m.addBus(0, "SMBus I801 adapter at f040", kPiix4Funcs, true);
    m.addBus(3, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    m.addBus(12, "i915 gmbus dpb", kFullI2c, true);
    m.sysfs.addBus(5, "locked bus");
    m.host.openErrno[m.sysfs.node(5)] = EACCES;
    const auto buses = linuxi2c::listBuses(m.env());
    QCOMPARE(buses.size(), std::size_t(4));
    QCOMPARE(buses[0].number, 0);
    QCOMPARE(buses[1].number, 3);
    QCOMPARE(buses[2].number, 5);
    QCOMPARE(buses[3].number, 12); // by number, not by name
    QCOMPARE(QString::fromStdString(buses[1].label()), QString("i2c-3  CP2112 SMBus Bridge on hidraw0"));
    QCOMPARE(QString::fromStdString(buses[0].kind), QString("smbus"));
    QCOMPARE(QString::fromStdString(buses[1].kind), QString("i2c"));
    QCOMPARE(QString::fromStdString(buses[2].kind), QString("unknown"));
    QVERIFY(buses[0].pcSmbus);
    QVERIFY(!buses[1].pcSmbus);
    QVERIFY(!buses[3].pcSmbus); // on a PCI device, but a full I2C controller
    QCOMPARE(QString::fromStdString(buses[0].listLine()),
             QString("i2c-0\tsmbus     \tSMBus I801 adapter at f040      \tSMBus adapter"));
    QCOMPARE(QString::fromStdString(buses[2].listLine()),
             QString("i2c-5\tunknown   \tlocked bus                      \tN/A"));
    QVERIFY(m.host.openFds.empty()); // listing leaves nothing open

    FakeSysfs empty;
    FakeI2cHost none;
    QVERIFY(linuxi2c::listBuses(empty.environment(none)).empty());
}

void TestLinuxI2c::findBusBySpec_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<int>("number");
    QTest::newRow("device node") << "/dev/i2c-3" << 3;
    QTest::newRow("bus name") << "i2c-3" << 3;
    QTest::newRow("number") << "3" << 3;
    QTest::newRow("kernel name") << "SMBus stub driver" << 1;
    QTest::newRow("absent number") << "/dev/i2c-9" << -1;
    QTest::newRow("part of a name") << "SMBus" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestLinuxI2c::findBusBySpec()
{
    QFETCH(QString, spec);
    QFETCH(int, number);
    Machine m;
    m.addBus(1, "SMBus stub driver", kStubFuncs);
    m.addBus(3, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    const auto found = linuxi2c::findBus(m.env(), spec.toStdString());
    QCOMPARE(found ? found->number : -1, number);
}

void TestLinuxI2c::claimsAndClock()
{
    Machine m;
    m.addBus(2, "bcm2835 (i2c@7e804000)", kFullI2c);
    m.sysfs.claim(2, 0x50, "at24");
    m.sysfs.addClient(2, 0x68);
    m.sysfs.setClockFrequency(2, 400000);
    const auto env = m.env();
    QCOMPARE(QString::fromStdString(linuxi2c::addressClaim(env, 2, 0x50).driver), QString("at24"));
    QVERIFY(linuxi2c::addressClaim(env, 2, 0x50).claimed());
    QVERIFY(linuxi2c::addressClaim(env, 2, 0x68).device);
    QVERIFY(!linuxi2c::addressClaim(env, 2, 0x68).claimed());
    QVERIFY(!linuxi2c::addressClaim(env, 2, 0x51).device);
    QVERIFY(!linuxi2c::addressClaim(env, 3, 0x50).device); // another bus
    QCOMPARE(linuxi2c::busFrequencyHz(env, 2).value_or(0), 400000u);
    m.addBus(4, "no device tree", kFullI2c);
    QVERIFY(!linuxi2c::busFrequencyHz(m.env(), 4));
}

void TestLinuxI2c::openFailsWithAdvice_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("advice");
    QTest::newRow("EACCES") << EACCES << "group i2c";
    QTest::newRow("EPERM") << EPERM << "60-tallyport-i2c.rules";
    QTest::newRow("ENOENT") << ENOENT << "modprobe i2c-dev";
}

void TestLinuxI2c::openFailsWithAdvice()
{
    QFETCH(int, error);
    QFETCH(QString, advice);
    Machine m;
    m.addBus(3, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    m.host.openErrno[m.sysfs.node(3)] = error;
    std::string text;
    int code = 0;
    QVERIFY(!LinuxI2cAdapter::open("i2c-3", &text, &code, m.env()));
    QCOMPARE(code, error);
    QVERIFY2(QString::fromStdString(text).contains(advice), text.c_str());
    QVERIFY(QString::fromStdString(text).startsWith(QString::fromStdString(m.sysfs.node(3))));
    QVERIFY(!LinuxI2cAdapter::open("i2c-9", &text, &code, m.env()));
    QCOMPARE(code, ENOENT);
    QVERIFY(QString::fromStdString(text).startsWith("i2c-9: no such"));
}

void TestLinuxI2c::writeThenReadIsOneIoctl()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "i2c-tiny-usb", kFullI2c);
    bus.chip(0x51).memory[0x10] = 0x40;
    bus.chip(0x51).memory[0x11] = 0x41;
    auto a = m.open("/dev/i2c-7");
    QVERIFY(a->fullI2c() && !a->isSimulated() && a->isPresent());
    QCOMPARE(QString::fromStdString(a->name()), QString("i2c-7  i2c-tiny-usb"));
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA2, {0x10}, 2, got)), 0);
    QCOMPARE(joinTrace(bus.trace), QString("rdwr W51[10] R51(2)")); // 7-bit addresses for the kernel
    QCOMPARE(got, (std::vector<std::uint8_t>{0x40, 0x41}));
    const auto log = a->log().transfers();
    QCOMPARE(log.size(), std::size_t(2));
    QVERIFY(log[1].repeatedStart);
    QCOMPARE(log[1].bytes, got);
    a.reset();
    QVERIFY(m.host.openFds.empty()); // closed with the adapter
}

void TestLinuxI2c::errnoToStatus_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("ENXIO") << ENXIO << 1 << "";
    QTest::newRow("EREMOTEIO") << EREMOTEIO << 1 << "";
    QTest::newRow("EIO") << EIO << 1 << "";
    QTest::newRow("ENODEV, adapter still there") << ENODEV << 1 << "";
    QTest::newRow("ETIMEDOUT") << ETIMEDOUT << 8 << "";
    QTest::newRow("EAGAIN") << EAGAIN << 7 << "";
    QTest::newRow("EBUSY") << EBUSY << 4 << "";
    QTest::newRow("EPROTO") << EPROTO << 3 << "";
    QTest::newRow("EOPNOTSUPP") << EOPNOTSUPP << 116 << "refused this transaction (Operation not supported)";
    QTest::newRow("EACCES") << EACCES << 116 << "Permission denied";
    QTest::newRow("ENOMEM") << ENOMEM << 114 << "";
}

void TestLinuxI2c::errnoToStatus()
{
    QFETCH(int, error);
    QFETCH(int, status);
    QFETCH(QString, refusal);
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "i2c-tiny-usb", kFullI2c);
    bus.chip(0x20);
    auto a = m.open("i2c-7");
    bus.failNext = error;
    QCOMPARE(int(a->write(0x40, {1, 2})), status);
    QCOMPARE(a->log().transfers().size(), std::size_t(1));
    QCOMPARE(int(a->log().transfers()[0].status), status);
    QVERIFY(QString::fromStdString(a->refusal()).contains(refusal));
    QVERIFY(a->isPresent());
    QCOMPARE(int(a->write(0x40, {1, 2})), 0); // the next one goes through
    QVERIFY(a->refusal().empty());
}

void TestLinuxI2c::removalIsJudgedFromSysfs()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    bus.chip(0x20);
    auto a = m.open("i2c-7");
    // Another adapter under the same number is not this one.
    m.sysfs.removeBus(7);
    m.sysfs.addBus(7, "some other adapter");
    bus.failNext = ENODEV;
    QCOMPARE(int(a->write(0x40, {1})), 255);
    QVERIFY(!a->isPresent());
    const std::size_t ioctls = bus.allIoctls;
    QCOMPARE(int(a->write(0x40, {1})), 255);
    QCOMPARE(bus.allIoctls, ioctls); // nothing more reaches the kernel
    QVERIFY(m.host.openFds.empty()); // and the device was let go
}

// The kernel keeps a removed adapter working while its node is open, so
// without a udev watch only the node's absence tells.
void TestLinuxI2c::watchedNodeEndsTheAdapterAtOnce()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    bus.chip(0x20);
    auto a = m.open("i2c-7");
    a->setWatchNode(true);
    QCOMPARE(int(a->write(0x40, {1})), 0);
    m.sysfs.removeBus(7); // the transfers themselves still succeed
    const std::size_t ioctls = bus.allIoctls;
    QCOMPARE(int(a->write(0x40, {1})), 255);
    QVERIFY(!a->isPresent());
    QCOMPARE(bus.allIoctls, ioctls);
    QVERIFY(m.host.openFds.empty()); // closed, so the kernel can finish the removal

    // Unwatched (the GUI, which has udev), the same transfer goes on.
    Machine m2;
    m2.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c).chip(0x20);
    auto b = m2.open("i2c-7");
    m2.sysfs.removeBus(7);
    QCOMPARE(int(b->write(0x40, {1})), 0);
}

void TestLinuxI2c::findingABusOpensOnlyThatOne_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<int>("number");
    QTest::newRow("device node") << "/dev/i2c-3" << 3;
    QTest::newRow("number") << "3" << 3;
    QTest::newRow("name") << "CP2112 SMBus Bridge on hidraw0" << 3;
    QTest::newRow("absent") << "i2c-9" << -1;
}

// Asking an adapter for its functionality can take a slow bridge's time;
// naming one bus must not touch the others.
void TestLinuxI2c::findingABusOpensOnlyThatOne()
{
    QFETCH(QString, spec);
    QFETCH(int, number);
    Machine m;
    m.addBus(0, "SMBus I801 adapter at f040", kPiix4Funcs, true);
    m.addBus(3, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    m.addBus(12, "i915 gmbus dpb", kFullI2c, true);
    linuxi2c::Environment env = m.env();
    QStringList opened;
    const auto open = env.system.open;
    env.system.open = [&](const char* path) {
        opened << QString::fromUtf8(path);
        return open(path);
    };
    const auto found = linuxi2c::findBus(env, spec.toStdString());
    QCOMPARE(found ? found->number : -1, number);
    QCOMPARE(opened, number < 0 ? QStringList{} : QStringList{QString::fromStdString(m.sysfs.node(number))});
}

void TestLinuxI2c::oversizedTransactionsNeverReachTheKernel()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "i2c-tiny-usb", kFullI2c);
    bus.chip(0x50).memory.resize(65536);
    bus.chip(0x50).addressBytes = 2;
    auto a = m.open("i2c-7");
    QCOMPARE(int(a->write(0xA0, std::vector<std::uint8_t>(LinuxI2cAdapter::kMaxMessageLength + 1))), 116);
    QVERIFY(QString::fromStdString(a->refusal()).contains("at most 8192 bytes"));
    std::vector<I2cMessage> many(LinuxI2cAdapter::kMaxMessages + 1, I2cMessage::write(0xA0, {0, 0}));
    QCOMPARE(int(a->transfer(many)), 116);
    QVERIFY(QString::fromStdString(a->refusal()).contains("at most 42 messages"));
    QVERIFY(bus.trace.empty());
    QCOMPARE(int(a->write(0xA0, std::vector<std::uint8_t>(LinuxI2cAdapter::kMaxMessageLength))), 0);
}

void TestLinuxI2c::longReadsFallBackToChunks()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    bus.maxReadLength = 64;
    auto& chip = bus.chip(0x50);
    for (int i = 0; i < 256; ++i)
        chip.memory[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    auto a = m.open("i2c-7");
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA0, {0x00}, 256, got)), 0);
    QCOMPARE(got, chip.memory);
    QCOMPARE(joinTrace(bus.trace),
             QString("rdwr W50[00] R50(256) | rdwr W50[00] R50(128) | rdwr W50[00] R50(64) | "
                     "rdwr R50(64) | rdwr R50(64) | rdwr R50(64)"));
    QCOMPARE(a->readLimit(), std::size_t(64));
    QCOMPARE(a->maxTransferLength(), std::size_t(64));
    // The size that worked is kept: the next long read goes straight to it.
    bus.clearTrace();
    QCOMPARE(int(a->writeRead(0xA0, {0x80}, 128, got)), 0);
    QCOMPARE(joinTrace(bus.trace), QString("rdwr W50[80] R50(64) | rdwr R50(64)"));
    QCOMPARE(got, std::vector<std::uint8_t>(chip.memory.begin() + 128, chip.memory.end()));
    // The bus log shows the transaction the caller asked for.
    QCOMPARE(a->log().transfers().back().bytes.size(), std::size_t(128));

    // A refusal that no piece size cures is reported as one.
    bus.clearTrace();
    bus.maxReadLength = 0;
    bus.failNext = EOPNOTSUPP;
    QCOMPARE(int(a->write(0xA0, {0x00, 0x01})), 116);
    QCOMPARE(bus.transferIoctls, std::size_t(1));
}

void TestLinuxI2c::zeroLengthRefusalIsLearned()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    bus.noZeroLength = true;
    bus.chip(0x50);
    auto a = m.open("i2c-7");
    QVERIFY(a->acceptsZeroLength());
    QCOMPARE(int(a->write(0xA0, {})), 116);
    QVERIFY(QString::fromStdString(a->refusal()).contains("no message without data"));
    QVERIFY(!a->acceptsZeroLength());
    QCOMPARE(int(a->write(0xA0, {})), 116);
    QCOMPARE(bus.transferIoctls, std::size_t(1)); // asked the kernel once
    QCOMPARE(int(a->write(0xA0, {0x00, 0x11})), 0);
}

void TestLinuxI2c::smbusMapping_data()
{
    QTest::addColumn<qulonglong>("funcs");
    QTest::addColumn<QString>("transaction");
    QTest::addColumn<QString>("ioctls");  // the I2C_SMBUS calls, or empty for a refusal
    QTest::addColumn<QString>("refusal"); // part of the refusal's text

    const qulonglong stub = kStubFuncs;
    const qulonglong piix4 = kPiix4Funcs;
    QTest::newRow("quick write") << stub << "W"
                                 << "smbus w QUICK"
                                 << "";
    QTest::newRow("quick read") << stub << "R 0"
                                << "smbus r QUICK"
                                << "";
    QTest::newRow("send byte") << stub << "W 07"
                               << "smbus w BYTE 07"
                               << "";
    QTest::newRow("receive byte") << stub << "R 1"
                                  << "smbus r BYTE"
                                  << "";
    QTest::newRow("write byte data") << stub << "W 05 A5"
                                     << "smbus w BYTE_DATA 05 [A5]"
                                     << "";
    QTest::newRow("write word data, low byte first") << stub << "W 10 34 12"
                                                     << "smbus w WORD_DATA 10 [34 12]"
                                                     << "";
    QTest::newRow("I2C block write") << stub << "W 40 01 02 03 04"
                                     << "smbus w I2C_BLOCK 40 [01 02 03 04]"
                                     << "";
    QTest::newRow("read byte data") << stub << "W 05; R 1"
                                    << "smbus r BYTE_DATA 05"
                                    << "";
    QTest::newRow("read word data") << stub << "W 10; R 2"
                                    << "smbus r WORD_DATA 10"
                                    << "";
    QTest::newRow("I2C block read") << stub << "W 40; R 16"
                                    << "smbus r I2C_BLOCK 40 (16)"
                                    << "";
    QTest::newRow("I2C block read, 32 bytes") << stub << "W 00; R 32"
                                              << "smbus r I2C_BLOCK 00 (32)"
                                              << "";
    QTest::newRow("16-bit pointer, then receive bytes")
        << stub << "W 01 02; R 3"
        << "smbus w BYTE_DATA 01 [02] | smbus r BYTE | smbus r BYTE | smbus r BYTE"
        << "";
    QTest::newRow("process call") << stub + I2C_FUNC_SMBUS_PROC_CALL << "W 10 34 12; R 2"
                                  << "smbus w PROC_CALL 10 [34 12]"
                                  << "";
    QTest::newRow("2-byte write without byte data") << qulonglong(I2C_FUNC_SMBUS_I2C_BLOCK) << "W 05 A5"
                                                    << "smbus w I2C_BLOCK 05 [A5]"
                                                    << "";
    QTest::newRow("PC SMBus: 16-bit pointer and data byte") << piix4 << "W 01 02 AA"
                                                            << "smbus w WORD_DATA 01 [02 AA]"
                                                            << "";

    QTest::newRow("plain 2-byte read")
        << stub << "R 2"
        << ""
        << "(SMBus only): no SMBus form for a 2-byte read without a register byte";
    QTest::newRow("34-byte write")
        << stub << "W 40 " + QString("00 ").repeated(33) << ""
        << "no SMBus form for a 34-byte write; the adapter writes at most 33 bytes";
    QTest::newRow("33-byte read") << stub << "W 00; R 33"
                                  << ""
                                  << "the adapter reads at most 32 bytes after a register byte";
    QTest::newRow("PC SMBus: 4-byte write") << piix4 << "W 40 01 02 03"
                                            << ""
                                            << "writes at most 3 bytes";
    QTest::newRow("PC SMBus: 4-byte read") << piix4 << "W 40; R 4"
                                           << ""
                                           << "reads at most 2 bytes";
    QTest::newRow("3-byte pointer") << stub << "W 01 02 03; R 1"
                                    << ""
                                    << "no SMBus form for a 3-byte write followed by a 1-byte read";
    QTest::newRow("three messages") << stub << "W 01; W 02; R 1"
                                    << ""
                                    << "transaction of 3 messages";
    QTest::newRow("no quick command") << qulonglong(I2C_FUNC_SMBUS_BYTE_DATA) << "W"
                                      << ""
                                      << "no quick command";
}

void TestLinuxI2c::smbusMapping()
{
    QFETCH(qulonglong, funcs);
    QFETCH(QString, transaction);
    QFETCH(QString, ioctls);
    QFETCH(QString, refusal);
    Machine m;
    FakeI2cBus& bus = m.addBus(1, "SMBus stub driver", funcs);
    bus.chip(0x20);
    auto a = m.open("SMBus stub driver");
    QVERIFY(!a->fullI2c());
    const std::size_t ioctlsAtOpen = bus.allIoctls;
    std::vector<I2cMessage> msgs = parse(transaction);
    const Status st = a->transfer(msgs);
    QCOMPARE(joinTrace(bus.trace), ioctls);
    if (refusal.isEmpty()) {
        QCOMPARE(int(st), 0);
        QVERIFY(a->refusal().empty());
    } else {
        QCOMPARE(int(st), 116);
        QVERIFY2(QString::fromStdString(a->refusal()).contains(refusal), a->refusal().c_str());
        QVERIFY(QString::fromStdString(a->refusal()).startsWith("SMBus stub driver"));
        QCOMPARE(bus.allIoctls, ioctlsAtOpen); // nothing reached the kernel
    }
    QCOMPARE(a->log().transfers().size(), refusal.isEmpty() ? msgs.size() : std::size_t(1));
}

void TestLinuxI2c::smbusReadsBringTheChipsBytes()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(1, "SMBus stub driver", kStubFuncs | I2C_FUNC_SMBUS_PROC_CALL);
    auto& chip = bus.chip(0x20);
    for (int i = 0; i < 256; ++i)
        chip.memory[i] = static_cast<std::uint8_t>(255 - i);
    auto& memory = bus.chip(0x50); // a 24C32: two address bytes
    memory.addressBytes = 2;
    memory.memory.resize(4096);
    for (int i = 0; i < 4096; ++i)
        memory.memory[i] = static_cast<std::uint8_t>((i >> 4) ^ i);
    auto a = m.open("i2c-1");
    struct Case {
        std::uint8_t address;
        const char* transaction;
        const char* bytes;
    };
    for (const Case& c : {Case{0x40, "W 05; R 1", "FA"}, Case{0x40, "W 10; R 2", "EF EE"},
                          Case{0x40, "W 40; R 4", "BF BE BD BC"}, Case{0x40, "R 1", "BB"},
                          Case{0xA0, "W 02 10; R 3", "31 30 33"}}) {
        std::vector<I2cMessage> msgs = parse(c.transaction, c.address);
        QCOMPARE(int(a->transfer(msgs)), 0);
        QCOMPARE(hexBytes(msgs.back().data), QString(c.bytes));
    }
    // Writes land where the message says, word data low byte first.
    std::vector<I2cMessage> w = parse("W 30 34 12");
    QCOMPARE(int(a->transfer(w)), 0);
    QCOMPARE(chip.memory[0x30], std::uint8_t(0x34));
    QCOMPARE(chip.memory[0x31], std::uint8_t(0x12));
    w = parse("W 60 01 02 03 04 05");
    QCOMPARE(int(a->transfer(w)), 0);
    QCOMPARE(hexBytes({chip.memory.begin() + 0x60, chip.memory.begin() + 0x65}), QString("01 02 03 04 05"));
    // An absent address: i2c-stub answers ENODEV, which is a NACK while the bus is there.
    bus.absentErrno = ENODEV;
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0x60, {0x00}, 1, got)), 1);
    QVERIFY(a->isPresent());
}

void TestLinuxI2c::smbusSetsTheAddressOncePerChange()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(1, "SMBus stub driver", kStubFuncs);
    bus.chip(0x20);
    bus.chip(0x50);
    auto a = m.open("i2c-1");
    QCOMPARE(int(a->write(0x40, {1, 2})), 0);
    QCOMPARE(int(a->write(0x40, {3, 4})), 0);
    QCOMPARE(int(a->write(0xA0, {3, 4})), 0);
    QCOMPARE(int(a->write(0x40, {5, 6})), 0);
    QStringList slaves;
    for (const std::string& t : bus.trace)
        if (t.rfind("slave", 0) == 0)
            slaves << QString::fromStdString(t);
    QCOMPARE(slaves, QStringList({"slave 20", "slave 50", "slave 20"}));
}

void TestLinuxI2c::writesToClaimedAddressesAsk()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(2, "bcm2835 (i2c@7e804000)", kFullI2c);
    bus.chip(0x50);
    bus.chip(0x20);
    m.sysfs.claim(2, 0x50, "at24");
    auto a = m.open("i2c-2");
    std::vector<LinuxI2cAdapter::WriteCheck> asked;
    bool answer = false;
    a->setWriteApproval([&](const LinuxI2cAdapter::WriteCheck& c) {
        asked.push_back(c);
        return answer;
    });
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA0, {0x00}, 4, got)), 0); // reads never ask
    {
        Adapter::ReadingOnly reading(*a);
        QCOMPARE(int(a->write(0xA0, {0x00})), 0); // the pointer half of a split read
    }
    QCOMPARE(int(a->write(0x40, {0x01, 0x02})), 0); // unclaimed
    QVERIFY(asked.empty());

    bus.clearTrace();
    QCOMPARE(int(a->write(0xA0, {0x00, 0x11})), 116);
    QVERIFY(bus.trace.empty());
    QCOMPARE(asked.size(), std::size_t(1));
    QCOMPARE(int(asked[0].address), 0xA0);
    QCOMPARE(QString::fromStdString(asked[0].driver), QString("at24"));
    QVERIFY(!asked[0].pcSmbus);
    QCOMPARE(QString::fromStdString(a->refusal()),
             QString("Not sent: the kernel driver at24 has claimed 0xA0 (7-bit 0x50) on i2c-2"));

    answer = true;
    QCOMPARE(int(a->write(0xA0, {0x00, 0x11})), 0);
    QCOMPARE(int(a->write(0xA0, {0x01, 0x22})), 0); // a yes holds for that address
    QCOMPARE(asked.size(), std::size_t(2));
    QCOMPARE(bus.chip(0x50).memory[1], std::uint8_t(0x22));
}

namespace {

// "W A0 00 11|R A0 4": a write of two bytes, then a read of four behind a repeated start.
std::vector<I2cMessage> transaction(const QString& text)
{
    std::vector<I2cMessage> out;
    for (const QString& part : text.split('|')) {
        const QStringList t = part.split(' ');
        const auto address = std::uint8_t(t[1].toUInt(nullptr, 16));
        if (t[0] == "R") {
            out.push_back(I2cMessage::readBytes(address, t[2].toUInt()));
            continue;
        }
        std::vector<std::uint8_t> bytes;
        for (int i = 2; i < t.size(); ++i)
            bytes.push_back(std::uint8_t(t[i].toUInt(nullptr, 16)));
        out.push_back(I2cMessage::write(address, bytes));
    }
    return out;
}

} // namespace

void TestLinuxI2c::onlyAPointerAndItsReadCountAsARead_data()
{
    QTest::addColumn<bool>("pcSmbus");   // else a driver has claimed A0
    QTest::addColumn<int>("pointer");    // ReadingOnly's pointer length; 0: no ReadingOnly
    QTest::addColumn<QString>("messages");
    QTest::addColumn<bool>("asks");
    for (bool pc : {false, true}) {
        const char* bus = pc ? "PC SMBus: " : "claimed: ";
        auto row = [&](const char* name) -> QTestData& { return QTest::newRow(qPrintable(QString(bus) + name)) << pc; };
        row("read alone") << 0 << "R A0 4" << false;
        row("pointer, then read") << 0 << "W A0 00|R A0 4" << false;
        row("data, then read (Stop? No)") << 0 << "W A0 00 11|R A0 1" << true;
        row("two-byte pointer, then read") << 0 << "W A0 00 10|R A0 2" << true;
        row("two-byte pointer of a large memory") << 2 << "W A0 00 10|R A0 2" << false;
        row("pointer, then another chip's read") << 0 << "W A0 00|R 40 1" << true;
        row("pointer, read, write") << 0 << "W A0 00|R A0 1|W A0 00 11" << true;
        row("lone pointer of a split read") << 1 << "W A0 00" << false;
        row("data while reading only") << 1 << "W A0 00 11" << true;
        row("data, then read while reading only") << 1 << "W A0 00 11|R A0 1" << true;
        row("lone pointer") << 0 << "W A0 00" << true;
    }
}

void TestLinuxI2c::onlyAPointerAndItsReadCountAsARead()
{
    QFETCH(bool, pcSmbus);
    QFETCH(int, pointer);
    QFETCH(QString, messages);
    QFETCH(bool, asks);
    Machine m;
    FakeI2cBus& bus = pcSmbus ? m.addBus(0, "SMBus PIIX4 adapter at 0b00", kPiix4Funcs, true)
                              : m.addBus(2, "bcm2835 (i2c@7e804000)", kFullI2c);
    bus.chip(0x50);
    bus.chip(0x20);
    if (!pcSmbus)
        m.sysfs.claim(2, 0x50, "at24");
    auto a = m.open(pcSmbus ? "i2c-0" : "i2c-2");
    QCOMPARE(a->bus().pcSmbus, pcSmbus);
    int asked = 0;
    a->setWriteApproval([&](const LinuxI2cAdapter::WriteCheck&) {
        ++asked;
        return false;
    });
    std::vector<I2cMessage> ms = transaction(messages);
    Status st = 0;
    if (pointer > 0) {
        const Adapter::ReadingOnly reading(*a, std::size_t(pointer));
        st = a->transfer(ms);
    } else {
        st = a->transfer(ms);
    }
    QCOMPARE(asked, asks ? 1 : 0);
    if (asks) {
        QCOMPARE(int(st), int(status::Refused));
        QVERIFY(QString::fromStdString(a->refusal()).startsWith("Not sent"));
    } else if (!pcSmbus) {
        QCOMPARE(int(st), 0); // an SMBus may refuse some of these shapes on its own
    }
}

void TestLinuxI2c::pcSmbusAsksOnceForWrites()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(0, "SMBus PIIX4 adapter at 0b00", kPiix4Funcs, true);
    bus.chip(0x50);
    bus.chip(0x18);
    auto a = m.open("i2c-0");
    QVERIFY(a->bus().pcSmbus);
    int asked = 0;
    bool lastPc = false;
    a->setWriteApproval([&](const LinuxI2cAdapter::WriteCheck& c) {
        ++asked;
        lastPc = c.pcSmbus;
        return asked > 1; // no, then yes
    });
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA0, {0x00}, 1, got)), 0);
    QCOMPARE(asked, 0);
    QCOMPARE(int(a->write(0x30, {0x01, 0x02})), 116);
    QVERIFY(QString::fromStdString(a->refusal()).contains("PC's SMBus"));
    QCOMPARE(int(a->write(0x30, {0x01, 0x02})), 0);
    QCOMPARE(int(a->write(0xA0, {0x01, 0x02})), 0);
    QCOMPARE(asked, 2);
    QVERIFY(lastPc);
}

void TestLinuxI2c::hardwareLogUsesTheMonotonicClock()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(1, "SMBus stub driver", kStubFuncs);
    bus.chip(0x50);
    auto a = m.open("i2c-1");
    const std::uint64_t before = monotonicUs();
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA0, {0x00, 0x10}, 2, got)), 0);
    QCOMPARE(int(a->write(0x30, {0x00})), 1);
    const std::uint64_t after = monotonicUs();
    const auto log = a->log().transfers();
    QCOMPARE(log.size(), std::size_t(3));
    for (const BusLogEntry& e : log)
        QVERIFY(e.busUs >= before && e.busUs <= after);
    QCOMPARE(int(log[0].address), 0xA0);
    QCOMPARE(log[0].bytes, (std::vector<std::uint8_t>{0x00, 0x10}));
    QVERIFY(log[1].read && log[1].repeatedStart);
    QCOMPARE(int(log[2].status), 1);
}

void TestLinuxI2c::reattachTakesTheNewNode()
{
    Machine m;
    FakeI2cBus& first = m.addBus(7, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    first.chip(0x20);
    auto a = m.open("i2c-7");
    a->markRemoved();
    QVERIFY(!a->isPresent());
    QVERIFY(m.host.openFds.empty());
    QCOMPARE(int(a->write(0x40, {1})), 255);
    // Plugged in again, under the next number.
    m.sysfs.removeBus(7);
    FakeI2cBus& second = m.addBus(8, "CP2112 SMBus Bridge on hidraw0", kFullI2c);
    second.chip(0x20);
    const auto bus = linuxi2c::findBus(m.env(), "i2c-8");
    QVERIFY(bus);
    QVERIFY(a->reattach(*bus));
    QVERIFY(a->isPresent());
    QCOMPARE(int(a->write(0x40, {1, 0x5A})), 0);
    QCOMPARE(second.chip(0x20).memory[1], std::uint8_t(0x5A));
    QCOMPARE(QString::fromStdString(a->name()), QString("i2c-8  CP2112 SMBus Bridge on hidraw0"));
}

void TestLinuxI2c::memoryOnSmbusUsesBlockReads()
{
    Machine m;
    FakeI2cBus& bus = m.addBus(1, "SMBus stub driver", kStubFuncs);
    bus.chip(0x50);
    auto a = m.open("i2c-1");
    MemoryDevice d;
    d.size = 256;
    d.pageSize = 16;
    d.writeTimeMs = 0;
    MemoryBus mb(*a, d);
    std::vector<std::uint8_t> image(256);
    for (int i = 0; i < 256; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    QVERIFY(mb.writeAll(image).ok());
    QCOMPARE(bus.chip(0x50).memory, image);
    bus.clearTrace();
    std::vector<std::uint8_t> back;
    QVERIFY(mb.readAll(back).ok());
    QCOMPARE(back, image);
    QCOMPARE(bus.transferIoctls, std::size_t(8)); // 32-byte I2C block reads
    QVERIFY(bus.trace.back().find("smbus r I2C_BLOCK E0 (32)") != std::string::npos);
}

void TestLinuxI2c::pollingWithoutZeroLengthMessages_data()
{
    QTest::addColumn<bool>("smbus");
    QTest::addColumn<int>("zeroLengthTries");
    QTest::addColumn<int>("pageWrites");
    // The I2C adapter learns at the first poll that it sends no zero-length
    // message, and polls that write cycle with reads; from then on the next
    // page write is the poll. Each write is tried until the busy chip takes it.
    QTest::newRow("I2C adapter refusing zero-length messages") << false << 1 << 2 + 14 * 4;
    QTest::newRow("SMBus adapter without quick command") << true << 0 << 1 + 15 * 4;
}

void TestLinuxI2c::pollingWithoutZeroLengthMessages()
{
    QFETCH(bool, smbus);
    QFETCH(int, zeroLengthTries);
    QFETCH(int, pageWrites);
    Machine m;
    FakeI2cBus& bus =
        m.addBus(3, "CP2112 SMBus Bridge on hidraw0", smbus ? kStubFuncs & ~I2C_FUNC_SMBUS_QUICK : kFullI2c);
    bus.noZeroLength = true;
    auto& chip = bus.chip(0x50);
    chip.writeCycle = 3; // ignores three transactions after each write
    auto a = m.open("i2c-3");
    MemoryDevice d;
    d.size = 128;
    d.pageSize = 8;
    d.writeTimeMs = 50;
    MemoryBus mb(*a, d);
    mb.setPollIntervalUs(10);
    std::vector<std::uint8_t> image(128);
    for (int i = 0; i < 128; ++i)
        image[i] = static_cast<std::uint8_t>(0x80 + i);
    const MemoryBusResult r = mb.writeAll(image);
    QVERIFY2(r.ok(), qPrintable(QString::number(r.status) + " " + QString::fromStdString(a->refusal())));
    QCOMPARE(std::vector<std::uint8_t>(chip.memory.begin(), chip.memory.begin() + 128), image);
    // The chip was ready when the write ended: a read goes through at once.
    std::vector<std::uint8_t> back;
    QVERIFY(mb.readAll(back).ok());
    QCOMPARE(back, image);
    int zeroLength = 0;
    for (const std::string& t : bus.trace)
        zeroLength += t.find("QUICK") != std::string::npos || t.find("W50[]") != std::string::npos;
    QCOMPARE(zeroLength, zeroLengthTries);
    int writes = 0;
    for (const std::string& t : bus.trace)
        writes += t.rfind("smbus w I2C_BLOCK", 0) == 0 || (t.rfind("rdwr W50[", 0) == 0 && t.size() > 30);
    QCOMPARE(writes, pageWrites);
}

void TestLinuxI2c::writeTimeZeroOnHardware_data()
{
    QTest::addColumn<bool>("zeroLength"); // the adapter sends zero-length polls
    QTest::addColumn<int>("busyFor");     // transactions the chip ignores after a write
    QTest::addColumn<int>("status");
    QTest::newRow("zero-length polls, chip busy a while") << true << 3 << int(status::Success);
    QTest::newRow("next write as the poll, chip busy a while") << false << 3 << int(status::Success);
    QTest::newRow("zero-length polls, chip never done") << true << 1'000'000'000 << int(status::TimeOut);
    QTest::newRow("next write as the poll, chip never done") << false << 1'000'000'000 << int(status::TimeOut);
}

void TestLinuxI2c::writeTimeZeroOnHardware()
{
    // A Write Time of 0 (a RAM image's .mem file) still gives the part time
    // for its write cycle; a part that never ends it is a time-out.
    QFETCH(bool, zeroLength);
    QFETCH(int, busyFor);
    QFETCH(int, status);
    Machine m;
    FakeI2cBus& bus = m.addBus(3, "i915 gmbus dpb", kFullI2c);
    bus.noZeroLength = !zeroLength;
    auto& chip = bus.chip(0x50);
    chip.writeCycle = busyFor;
    auto a = m.open("i2c-3");
    MemoryDevice d;
    d.size = 128;
    d.pageSize = 8;
    d.writeTimeMs = 0;
    MemoryBus mb(*a, d);
    mb.setPollIntervalUs(100);
    std::vector<std::uint8_t> image(128, 0x5A);
    const std::uint64_t start = a->nowUs();
    const MemoryBusResult r = mb.writeAll(image);
    QCOMPARE(int(r.status), status);
    if (status == int(tp::status::Success)) {
        QCOMPARE(std::vector<std::uint8_t>(chip.memory.begin(), chip.memory.begin() + 128), image);
    } else {
        QVERIFY(r.writeCycleTimedOut);
        QVERIFY(a->nowUs() - start >= MemoryBus::kMinPollUs);
    }
}

QTEST_APPLESS_MAIN(TestLinuxI2c)
#include "tst_linux_i2c.moc"
