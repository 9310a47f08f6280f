// The command line's own texts: addresses, i2ctransfer's message syntax
// and script lines, i2cdump's grid.
#include "cli/CliTypes.h"
#include "cli/DumpText.h"
#include "cli/Numbers.h"
#include "cli/TransferSyntax.h"

#include <QtTest>

using namespace tp;
using namespace tp::cli;

namespace {

// "W A0 00 10 | R A1 4": the messages as the bus log writes their address bytes.
QString describe(const std::vector<I2cMessage>& messages)
{
    QStringList out;
    for (const I2cMessage& m : messages) {
        QString s = QString::asprintf("%s %02X", m.read ? "R" : "W", m.read ? m.address | 1 : m.address);
        if (m.read)
            s += QString(" %1").arg(m.data.size());
        else
            for (std::uint8_t b : m.data)
                s += QString::asprintf(" %02X", b);
        out << s;
    }
    return out.join(" | ");
}

std::vector<std::string> toStd(const QStringList& args)
{
    std::vector<std::string> out;
    for (const QString& s : args)
        out.push_back(s.toStdString());
    return out;
}

QString usageError(const std::function<void()>& f)
{
    try {
        f();
    } catch (const UsageError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

} // namespace

class TestCliText : public QObject {
    Q_OBJECT
private slots:
    void addresses_data();
    void addresses();
    void transferSyntax_data();
    void transferSyntax();
    void transferRefusals_data();
    void transferRefusals();
    void transferOutputLikeI2ctransfer();
    void scriptLines_data();
    void scriptLines();
    void dumpGrid();
    void dumpWordGridAndCsv();
};

void TestCliText::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("any");
    QTest::addColumn<int>("bus");      // the 8-bit address the adapter gets; -1 refused
    QTest::addColumn<QString>("error");
    QTest::newRow("plain") << "50" << false << 0xA0 << "";
    QTest::newRow("0x") << "0x50" << false << 0xA0 << "";
    QTest::newRow("lowest") << "08" << false << 0x10 << "";
    QTest::newRow("highest") << "77" << false << 0xEE << "";
    QTest::newRow("8-bit habit") << "A0" << false << -1
                                 << "'A0' is not a 7-bit address (0x08 to 0x77, as i2cdetect shows them): the "
                                    "8-bit address 0xA0 is 7-bit 0x50";
    QTest::newRow("general call") << "00" << false << -1 << "'00' is a reserved address";
    QTest::newRow("reserved high") << "78" << false << -1 << "(--all-addresses allows 0x00 to 0x7F)";
    QTest::newRow("reserved allowed") << "03" << true << 0x06 << "";
    QTest::newRow("7F allowed") << "7F" << true << 0xFE << "";
    QTest::newRow("beyond a byte") << "150" << true << -1 << "'150' is not a 7-bit address (0x00 to 0x7F";
}

void TestCliText::addresses()
{
    QFETCH(QString, text);
    QFETCH(bool, any);
    QFETCH(int, bus);
    QFETCH(QString, error);
    int got = -1;
    const QString e = usageError([&] { got = parseAddress(text.toStdString(), any); });
    QCOMPARE(got, bus);
    QVERIFY2(error.isEmpty() ? e.isEmpty() : e.startsWith(error) || e.contains(error), qPrintable(e));
    if (bus >= 0)
        QCOMPARE(QString::fromStdString(addressText7(std::uint8_t(bus))), "0x" + text.right(2).toUpper());
}

void TestCliText::transferSyntax_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("messages");
    QTest::newRow("pointer and read") << QStringList{"w2@0x50", "0x00", "0x10", "r16"} << "W A0 00 10 | R A1 16";
    QTest::newRow("read alone") << QStringList{"r8@0x20"} << "R 41 8";
    QTest::newRow("mux select") << QStringList{"w1@0x70", "0x04"} << "W E0 04";
    QTest::newRow("address carried on") << QStringList{"w1@0x50", "0x00", "r1", "r2@0x51", "r1"}
                                        << "W A0 00 | R A1 1 | R A3 2 | R A3 1";
    QTest::newRow("decimal and octal") << QStringList{"w2@80", "10", "010"} << "W A0 0A 08";
    QTest::newRow("same value") << QStringList{"w4@0x50", "0x00", "0x5a="} << "W A0 00 5A 5A 5A";
    QTest::newRow("counting up") << QStringList{"w5@0x50", "0x10", "0xfe+"} << "W A0 10 FE FF 00 01";
    QTest::newRow("counting down") << QStringList{"w17@0x50", "0x42", "0xff-"}
                                   << "W A0 42 FF FE FD FC FB FA F9 F8 F7 F6 F5 F4 F3 F2 F1 F0";
    // i2ctransfer's own generator: ((v ^ 27) + 13) rotated left by one.
    QTest::newRow("pseudo-random") << QStringList{"w4@0x50", "0x00", "0x01p"} << "W A0 00 01 4E C4";
    QTest::newRow("suffix on the last byte") << QStringList{"w2@0x50", "0x00", "0x07+"} << "W A0 00 07";
    QTest::newRow("empty write") << QStringList{"w0@0x50"} << "W A0";
}

void TestCliText::transferSyntax()
{
    QFETCH(QStringList, args);
    QFETCH(QString, messages);
    QCOMPARE(describe(parseTransfer(toStd(args), false)), messages);
}

void TestCliText::transferRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << "no message given: a message is {r|w}LENGTH[@ADDRESS]";
    QTest::newRow("no first address") << QStringList{"r8"} << "'r8': the first message needs an address";
    QTest::newRow("8-bit address") << QStringList{"r1@0xa0"} << "'r1@0xa0': the address is 7-bit, 0x08 to 0x77";
    QTest::newRow("reserved") << QStringList{"r1@0x03"} << "the address is 7-bit, 0x08 to 0x77";
    QTest::newRow("no direction") << QStringList{"x1@0x50"} << "a message must start with r or w";
    QTest::newRow("flags") << QStringList{"pw1@0x50", "0"} << "message flags (i, n, p, s, t) are not supported";
    QTest::newRow("variable length") << QStringList{"r?@0x50"} << "variable length (r?) is not supported";
    QTest::newRow("length too long") << QStringList{"r65536@0x50"} << "LENGTH is 0 to 65535";
    QTest::newRow("separator") << QStringList{"r1#0x50"} << "'@' must follow LENGTH";
    QTest::newRow("byte too big") << QStringList{"w1@0x50", "0x100"} << "'0x100': not a data byte";
    QTest::newRow("bad suffix") << QStringList{"w2@0x50", "0x01*"} << "a data byte's suffix is one of = + - p";
    QTest::newRow("missing data") << QStringList{"w3@0x50", "0x00"} << "the last write message has 1 of its 3 data bytes";
    QTest::newRow("address with junk") << QStringList{"r1@0x50x"} << "the address is 7-bit";
    QStringList many;
    for (int i = 0; i < 43; ++i)
        many << "r1@0x50";
    QTest::newRow("43 messages") << many << "at most 42 messages in one transfer";
}

void TestCliText::transferRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    const QString e = usageError([&] { parseTransfer(toStd(args), false); });
    QVERIFY2(e.contains(error), qPrintable(e));
}

void TestCliText::transferOutputLikeI2ctransfer()
{
    std::vector<I2cMessage> m{I2cMessage::write(0xA0, {0x00}), I2cMessage::readBytes(0xA0, 3),
                              I2cMessage::readBytes(0x40, 0), I2cMessage::readBytes(0x40, 1)};
    m[1].data = {0x0A, 0xFF, 0x00};
    m[3].data = {0x7e};
    QCOMPARE(QString::fromStdString(transferOutput(m)), QString("0x0a 0xff 0x00\n0x7e\n"));
}

void TestCliText::scriptLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("detail"); // the arguments, the microseconds or the error
    using K = ScriptLine::Kind;
    QTest::newRow("exported") << "i2ctransfer -y \"$BUS\" w1@0x50 0x00 r2" << int(K::Transfer) << "w1@0x50 0x00 r2";
    QTest::newRow("full path, bus number") << "/usr/sbin/i2ctransfer -y -f 3 r1@0x20" << int(K::Transfer)
                                           << "r1@0x20 force";
    QTest::newRow("sleep") << "sleep 0.005" << int(K::Sleep) << "5000";
    QTest::newRow("whole seconds") << "sleep 2" << int(K::Sleep) << "2000000";
    QTest::newRow("comment") << "# read 0x01 0x02" << int(K::Comment) << "";
    QTest::newRow("shebang") << "#!/bin/sh" << int(K::Comment) << "";
    QTest::newRow("set -e") << "set -e" << int(K::Shell) << "";
    QTest::newRow("bus variable") << "BUS=${1:-3}" << int(K::Shell) << "";
    QTest::newRow("blank with CR") << "  \r" << int(K::Blank) << "";
    QTest::newRow("other command") << "i2cset -y 3 0x20 0x00" << -1 << "not an i2ctransfer command";
    QTest::newRow("bad sleep") << "sleep 1m" << -1 << "sleep '1m': seconds";
    QTest::newRow("unknown option") << "i2ctransfer -b 3 r1@0x20" << -1 << "option -b is not supported";
    QTest::newRow("no bus") << "i2ctransfer -y" << -1 << "without its bus";
}

void TestCliText::scriptLines()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(QString, detail);
    ScriptLine s;
    const QString e = usageError([&] { s = parseScriptLine(line.toStdString()); });
    if (kind < 0) {
        QVERIFY2(e.contains(detail), qPrintable(e));
        return;
    }
    QCOMPARE(e, QString());
    QCOMPARE(int(s.kind), kind);
    if (s.kind == ScriptLine::Kind::Transfer) {
        QStringList args;
        for (const std::string& a : s.args)
            args << QString::fromStdString(a);
        if (s.force)
            args << "force";
        QCOMPARE(args.join(' '), detail);
    } else if (s.kind == ScriptLine::Kind::Sleep) {
        QCOMPARE(QString::number(s.sleepUs), detail);
    }
}

// i2cdump's layout: registers outside the range blank, XX and X for a
// failed read, "." for 00 and FF, "?" for the unprintable.
void TestCliText::dumpGrid()
{
    DumpValues d;
    d.first = 0x0E;
    d.last = 0x13;
    d.value.fill(-1);
    const int v[] = {0x41, 0x00, 0x7A, -1, 0x0A, 0xFF};
    for (int k = 0; k < 6; ++k)
        d.value[0x0E + k] = v[k];
    QCOMPARE(QString::fromStdString(cli::dumpGrid(d)),
             QString("     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n"
                     "00:                                           41 00                  A.\n"
                     "10: 7a XX 0a ff                                        zX?.            \n"));
}

void TestCliText::dumpWordGridAndCsv()
{
    DumpValues d;
    d.mode = DumpMode::Word;
    d.first = 0x06;
    d.last = 0x09;
    d.value.fill(-1);
    d.value[6] = 0x1234;
    d.value[8] = 0x00FF;
    d.value[9] = 0xABCD;
    QCOMPARE(QString::fromStdString(cli::dumpGrid(d)), QString("     0,8  1,9  2,a  3,b  4,c  5,d  6,e  7,f\n"
                                                               "00:                               1234 XXXX \n"
                                                               "08: 00ff abcd                               \n"));
    QCOMPARE(QString::fromStdString(dumpCsv(d)),
             QString("register,value\n0x06,0x1234\n0x07,\n0x08,0x00ff\n0x09,0xabcd\n"));
}

QTEST_GUILESS_MAIN(TestCliText)
#include "tst_cli_text.moc"
