// tallyport-cli on a remote bus: the real program at both ends, the board's
// end served through exec:, and the board's end alone on its pipes.
#include "core/adapter/remote/RemoteProtocol.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tp;
using namespace tp::remote;

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
    QByteArray rawOut;
};

Result run(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(TALLYPORT_CLI, args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    Result r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.rawOut = p.readAllStandardOutput();
    r.out = QString::fromLocal8Bit(r.rawOut);
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QByteArray framed(const std::vector<std::uint8_t>& body)
{
    const std::vector<std::uint8_t> f = frame(body);
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

} // namespace

class TestRemoteCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void busCommandsOverExec();
    void connectionCutMidWrite();
    void boardOfAnotherVersion();
    void garbledBoard_data();
    void garbledBoard();
    void serveRefusesAnotherVersion();
    void serveRefusesGarbage();
    void serveDrivesOnlyLocalAdapters();

private:
    QTemporaryDir m_dir;
    QString served(const QString& before = QString()) const
    {
        return QStringLiteral("exec:%1%2 serve --adapter bench --bench-state '%3'")
            .arg(before, QStringLiteral(TALLYPORT_CLI), m_dir.filePath("bench"));
    }
    QString image(std::size_t size) const
    {
        const QString path = m_dir.filePath(QStringLiteral("image-%1.bin").arg(size));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            QByteArray b(static_cast<qsizetype>(size), 0);
            for (std::size_t i = 0; i < size; ++i)
                b[static_cast<qsizetype>(i)] = static_cast<char>((i * 29 + (i >> 8)) % 0xFF);
            f.write(b);
        }
        return path;
    }
};

void TestRemoteCli::init()
{
    QFile::remove(m_dir.filePath("bench"));
}

void TestRemoteCli::busCommandsOverExec()
{
    const QString file = image(4096);
    Result r = run({"eeprom", "write", "-a", served(), "--size", "4K", file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("Write and Verify Successful"), qPrintable(r.out + r.err));
    // Another run, another connection: the chip kept it on the board.
    r = run({"eeprom", "verify", "-a", served(), "--size", "4K", file});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("Verification Successful"));
    r = run({"get", "-a", served(), "50", "00", "-c", "3", "--trace"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.trimmed(), QString("00 1D 3A"));
    QVERIFY2(r.err.contains("W A0 00\nSr R A1 00 1D 3A"), qPrintable(r.err));
    r = run({"scan", "-a", served()});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("50: 50 "), qPrintable(r.out));
    // Nobody at 0x20: the board's status comes back as the exit status and text.
    r = run({"set", "-a", served(), "20", "01", "FF"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Address not acknowledged"), qPrintable(r.err));
}

void TestRemoteCli::connectionCutMidWrite()
{
    const QString file = image(16384);
    Result r = run({"eeprom", "write", "-a", served("dd bs=1 count=20000 status=none | "), "--size", "16K", "--page",
                    "32", file});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Hardware not detected: the connection to the board ended"), qPrintable(r.err));
    QVERIFY(!r.out.contains("Successful"));
    // What the board kept: a verify says where it differs.
    r = run({"eeprom", "verify", "-a", served(), "--size", "16K", file});
    QCOMPARE(r.code, 1);
}

void TestRemoteCli::boardOfAnotherVersion()
{
    Reply hello;
    hello.kind = std::uint8_t(Kind::Hello) | kReplyBit;
    hello.version = kVersion + 1;
    hello.program = "4.2.0";
    QFile f(m_dir.filePath("newer.bin"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(framed(encode(hello)));
    f.close();
    const Result r = run({"get", "-a", "exec:cat '" + f.fileName() + "'; sleep 10", "A0", "00"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("version 4.2.0") && r.err.contains(QString("protocol %1").arg(kVersion + 1)),
             qPrintable(r.err));
}

void TestRemoteCli::garbledBoard_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("text") << QByteArray("Welcome to the board!\n");
    QTest::newRow("huge frame") << QByteArray::fromHex("FFFFFFFF01");
    QTest::newRow("cut greeting") << QByteArray::fromHex("0900000081545052420100");
}

void TestRemoteCli::garbledBoard()
{
    QFETCH(QByteArray, said);
    QFile f(m_dir.filePath("garbled.bin"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(said);
    f.close();
    const Result r = run({"get", "-a", "exec:cat '" + f.fileName() + "'", "50", "00"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("Cannot reach the bus"), qPrintable(r.err));
}

void TestRemoteCli::serveRefusesAnotherVersion()
{
    Request hello;
    hello.version = kVersion + 5;
    hello.program = "9.9.9";
    const Result r = run({"serve", "--adapter", "bench"}, framed(encode(hello)));
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QString("speaks remote protocol %1").arg(kVersion)) && r.err.contains("9.9.9"),
             qPrintable(r.err));
    // Its answer says so too, in a frame the desktop can read.
    FrameReader reader;
    reader.feed(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(r.rawOut.data()),
                                              static_cast<std::size_t>(r.rawOut.size())));
    const auto body = reader.next();
    QVERIFY(body);
    const Reply reply = decodeReply(*body);
    QVERIFY(!reply.accepted);
    QCOMPARE(reply.program, std::string(TALLYPORT_VERSION));
}

void TestRemoteCli::serveRefusesGarbage()
{
    Request hello;
    const Result r = run({"serve", "--adapter", "bench"}, framed(encode(hello)) + framed({0x02, 0x00, 0x01, 0xA1}));
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("a request that is not one"), qPrintable(r.err));
}

void TestRemoteCli::serveDrivesOnlyLocalAdapters()
{
    const Result r = run({"serve", "--adapter", "ssh:elsewhere/bench"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("serve drives an adapter of this machine"), qPrintable(r.err));
    QVERIFY(r.rawOut.isEmpty());
}

QTEST_GUILESS_MAIN(TestRemoteCli)
#include "tst_remote_cli.moc"
