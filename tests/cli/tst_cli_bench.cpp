#include "tests/support/CliRun.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

// tallyport-cli's bench commands, run in-process against one state file.
namespace {

CliRun cli(const QStringList& args)
{
    return runCliInProcess(args);
}

} // namespace

class TestCliBench : public QObject {
    Q_OBJECT
private slots:
    void init();
    void boardFromTheShell();
    void refusals_data();
    void refusals();
    void faultsOfARunAreNotKept();

private:
    QStringList with(QStringList args) const { return args << "--bench-state" << m_file; }
    QTemporaryDir m_dir;
    QString m_file;
};

void TestCliBench::init()
{
    m_file = m_dir.filePath(QString("b%1.bench").arg(QDateTime::currentMSecsSinceEpoch()));
    QFile::remove(m_file);
}

void TestCliBench::boardFromTheShell()
{
    QCOMPARE(cli(with({"bench", "place", "PCA9548A", "70"})).code, 0);
    QCOMPARE(cli(with({"bench", "place", "EEPROM 256", "50", "--behind", "70:2"})).code, 0);
    QCOMPARE(cli(with({"bench", "place", "PCF8574", "20", "--behind", "70:5"})).code, 0);
    // A chip behind a channel that is off still takes its outside levels.
    QCOMPARE(cli(with({"bench", "set", "20", "pin", "3", "low"})).code, 0);
    QCOMPARE(cli(with({"bench", "place", "SA56004", "4C"})).code, 0);
    QCOMPARE(cli(with({"bench", "set", "4C", "temperature", "1", "-12.5"})).code, 0);
    const CliRun r = cli(with({"bench", "list"}));
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts),
             (QStringList{"0x70  PCA9548A  main bus  no channel on",
                          "0x50  EEPROM 256  channel 2 of the PCA9548A at 0x70  all FF",
                          "0x20  PCF8574  channel 5 of the PCA9548A at 0x70  latch FF, pins F7",
                          "0x4C  SA56004  main bus  local 25.000 \u00B0C, remote -12.500 \u00B0C"}));
    // The EEPROM answers once channel 2 is on.
    QCOMPARE(cli(with({"get", "-a", "bench", "50", "00"})).code, 1);
    QCOMPARE(cli(with({"set", "-a", "bench", "70", "04", "04"})).code, 0); // control byte, then once more
    const CliRun got = cli(with({"get", "-a", "bench", "50", "00"}));
    QCOMPARE(got.code, 0);
    QVERIFY2(got.out.contains("FF"), qPrintable(got.out));
}

void TestCliBench::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("behind nothing") << QStringList{"bench", "place", "PCF8574", "20", "--behind", "71:0"}
                                    << "bench place --behind: no chip answers at 0xE2 (7-bit 0x71)";
    QTest::newRow("behind a port") << QStringList{"bench", "place", "PCF8574", "21", "--behind", "20:0"}
                                   << "has no channels to sit behind";
    QTest::newRow("channel beyond") << QStringList{"bench", "place", "PCF8574", "21", "--behind", "70:8"}
                                    << "the PCA9548A has channels 0 to 7";
    QTest::newRow("no colon") << QStringList{"bench", "place", "PCF8574", "21", "--behind", "70"}
                              << "takes MUX_ADDRESS:CHANNEL";
    QTest::newRow("pin beyond") << QStringList{"bench", "set", "20", "pin", "8", "low"} << "PCF8574 has pins 0 to 7";
    QTest::newRow("pin level") << QStringList{"bench", "set", "20", "pin", "1", "half"}
                               << "takes 'pin N high|low' or 'temperature [N] DEGREES|wander'";
    QTest::newRow("port temperature") << QStringList{"bench", "set", "20", "temperature", "20"}
                                      << "PCF8574 measures no temperature";
    QTest::newRow("not degrees") << QStringList{"bench", "set", "48", "temperature", "warm"}
                                 << "'warm' is not degrees Celsius";
    QTest::newRow("too hot") << QStringList{"bench", "set", "48", "temperature", "900"}
                             << "a temperature from -55 to 150";
    QTest::newRow("nobody there") << QStringList{"bench", "set", "22", "pin", "1", "low"} << "no chip answers at 0x22";
}

void TestCliBench::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QCOMPARE(cli(with({"bench", "place", "PCA9548A", "70"})).code, 0);
    QCOMPARE(cli(with({"bench", "place", "PCF8574", "20"})).code, 0);
    QCOMPARE(cli(with({"bench", "place", "LM75A", "48"})).code, 0);
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const CliRun r = cli(with(args));
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

// A --bench-fault rehearses one run; the state file keeps the board, not the rehearsal.
void TestCliBench::faultsOfARunAreNotKept()
{
    QCOMPARE(cli(with({"bench", "place", "PCF8574", "20"})).code, 0);
    const CliRun r = cli(with({"get", "-a", "bench", "20", "00", "--bench-fault", "time-out,address=21,count=3"}));
    QCOMPARE(r.code, 0);
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().contains("fault"));
    QVERIFY(!cli(with({"bench", "list"})).out.contains("armed"));
}

QTEST_GUILESS_MAIN(TestCliBench)
#include "tst_cli_bench.moc"
