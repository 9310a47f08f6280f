#include "core/adapter/linux/LinuxI2cAdapter.h"

#include <QtTest>

#include <cerrno>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

using namespace tp;

namespace {

// What the kernel was asked, message by message.
struct SeenMessage {
    int addr;
    bool read;
    std::vector<std::uint8_t> data;
};

struct FakeBus {
    std::vector<std::vector<SeenMessage>> transactions;
    int failWith = 0; // errno for the next transaction
    std::uint8_t nextRead = 0x40;
    bool closed = false;

    LinuxI2cAdapter::System system()
    {
        LinuxI2cAdapter::System s;
        s.open = [](const char* path) { return std::string(path) == "/dev/i2c-7" ? 7 : (errno = ENOENT, -1); };
        s.close = [this](int fd) { closed = fd == 7; };
        s.rdwr = [this](int fd, void* p) {
            if (fd != 7)
                return errno = EBADF, -1;
            auto* d = static_cast<i2c_rdwr_ioctl_data*>(p);
            std::vector<SeenMessage> t;
            for (__u32 i = 0; i < d->nmsgs; ++i) {
                const i2c_msg& m = d->msgs[i];
                const bool read = m.flags & I2C_M_RD;
                if (read)
                    for (int b = 0; b < m.len; ++b)
                        m.buf[b] = nextRead++;
                t.push_back({m.addr, read, std::vector<std::uint8_t>(m.buf, m.buf + m.len)});
            }
            transactions.push_back(t);
            if (failWith) {
                errno = failWith;
                failWith = 0;
                return -1;
            }
            return int(d->nmsgs);
        };
        return s;
    }
};

} // namespace

class TestLinuxI2c : public QObject {
    Q_OBJECT
private slots:
    void openFailsWithReason();
    void writeThenReadIsOneIoctl();
    void errnoToStatus_data();
    void errnoToStatus();
    void unpluggedAdapterStaysGone();
    void oversizedTransactionsNeverReachTheKernel();
};

void TestLinuxI2c::openFailsWithReason()
{
    FakeBus bus;
    std::string error;
    QVERIFY(!LinuxI2cAdapter::open("/dev/i2c-9", &error, bus.system()));
    QCOMPARE(QString::fromStdString(error), QString("/dev/i2c-9: No such file or directory"));
    {
        auto a = LinuxI2cAdapter::open("/dev/i2c-7", &error, bus.system());
        QVERIFY(a);
        QVERIFY(!a->isSimulated() && a->isPresent());
        QCOMPARE(QString::fromStdString(a->name()), QString("/dev/i2c-7"));
    }
    QVERIFY(bus.closed);
}

void TestLinuxI2c::writeThenReadIsOneIoctl()
{
    FakeBus bus;
    auto a = LinuxI2cAdapter::open("/dev/i2c-7", nullptr, bus.system());
    std::vector<std::uint8_t> got;
    QCOMPARE(int(a->writeRead(0xA2, {0x10}, 3, got)), 0);
    QCOMPARE(bus.transactions.size(), std::size_t(1));
    const auto& t = bus.transactions[0];
    QCOMPARE(t.size(), std::size_t(2));
    QCOMPARE(t[0].addr, 0x51); // the kernel takes 7-bit addresses
    QVERIFY(!t[0].read);
    QCOMPARE(t[0].data, std::vector<std::uint8_t>{0x10});
    QCOMPARE(t[1].addr, 0x51);
    QVERIFY(t[1].read);
    QCOMPARE(got, (std::vector<std::uint8_t>{0x40, 0x41, 0x42}));
    const auto log = a->log().transfers();
    QCOMPARE(log.size(), std::size_t(2));
    QVERIFY(log[1].repeatedStart);
    QCOMPARE(log[1].bytes, got);
}

void TestLinuxI2c::errnoToStatus_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::newRow("ENXIO") << ENXIO << 1;
    QTest::newRow("EREMOTEIO") << EREMOTEIO << 1;
    QTest::newRow("EIO") << EIO << 1;
    QTest::newRow("ETIMEDOUT") << ETIMEDOUT << 8;
    QTest::newRow("EAGAIN") << EAGAIN << 7;
    QTest::newRow("EBUSY") << EBUSY << 4;
    QTest::newRow("EPROTO") << EPROTO << 3;
    QTest::newRow("EOPNOTSUPP") << EOPNOTSUPP << 114;
}

void TestLinuxI2c::errnoToStatus()
{
    QFETCH(int, error);
    QFETCH(int, status);
    FakeBus bus;
    auto a = LinuxI2cAdapter::open("/dev/i2c-7", nullptr, bus.system());
    bus.failWith = error;
    QCOMPARE(int(a->write(0x40, {1, 2})), status);
    QCOMPARE(a->log().transfers().size(), std::size_t(1));
    QCOMPARE(int(a->log().transfers()[0].status), status);
    QVERIFY(a->isPresent());
    QCOMPARE(int(a->write(0x40, {1, 2})), 0); // the next one goes through
}

void TestLinuxI2c::unpluggedAdapterStaysGone()
{
    FakeBus bus;
    auto a = LinuxI2cAdapter::open("/dev/i2c-7", nullptr, bus.system());
    bus.failWith = ENODEV;
    QCOMPARE(int(a->write(0x40, {1})), 255);
    QVERIFY(!a->isPresent());
    QCOMPARE(int(a->write(0x40, {1})), 255);
    QCOMPARE(bus.transactions.size(), std::size_t(1)); // no second ioctl
}

void TestLinuxI2c::oversizedTransactionsNeverReachTheKernel()
{
    FakeBus bus;
    auto a = LinuxI2cAdapter::open("/dev/i2c-7", nullptr, bus.system());
    QCOMPARE(int(a->write(0xA0, std::vector<std::uint8_t>(LinuxI2cAdapter::kMaxMessageLength + 1))), 2);
    std::vector<I2cMessage> many(LinuxI2cAdapter::kMaxMessages + 1, I2cMessage::write(0xA0, {0}));
    QCOMPARE(int(a->transfer(many)), 2);
    QVERIFY(bus.transactions.empty());
    QCOMPARE(int(a->write(0xA0, std::vector<std::uint8_t>(LinuxI2cAdapter::kMaxMessageLength))), 0);
}

QTEST_APPLESS_MAIN(TestLinuxI2c)
#include "tst_linux_i2c.moc"
