#include "core/bus/BusLogExport.h"
#include "core/bus/BusLogText.h"
#include "core/adapter/AckPolling.h"
#include "core/adapter/Clock.h"
#include "core/common/Errors.h"
#include "core/sim/EepromChip.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tp;
using tp::sim::EepromChip;
using tp::sim::Fault;
using tp::sim::RegisterChip;
using tp::sim::SimulatedAdapter;

namespace {

BusLogEntry message(std::uint64_t t, std::uint64_t txn, std::uint8_t address, bool read,
                    std::vector<std::uint8_t> bytes, Status st = 0, bool rs = false)
{
    BusLogEntry e;
    e.timeUs = e.busUs = t;
    e.transaction = txn;
    e.address = address;
    e.read = read;
    e.repeatedStart = rs;
    e.length = bytes.size();
    e.bytes = std::move(bytes);
    e.status = st;
    return e;
}

// RFC 4180, read strictly: fields separated by commas, records by CR LF,
// quoted fields may hold commas, CR LF and doubled quotes. Returns nothing
// for text that breaks the grammar.
std::optional<QList<QStringList>> parseCsv(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    int i = 0;
    const int n = int(text.size());
    bool fieldStarted = false;
    while (i < n) {
        const QChar c = text[i];
        if (c == '"' && !fieldStarted) {
            ++i;
            for (;;) {
                if (i >= n)
                    return std::nullopt; // unterminated
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            fieldStarted = true;
            if (i < n && text[i] != ',' && text[i] != '\r')
                return std::nullopt; // text after a closing quote
            continue;
        }
        if (c == ',') {
            record << field;
            field.clear();
            fieldStarted = false;
            ++i;
        } else if (c == '\r') {
            if (i + 1 >= n || text[i + 1] != '\n')
                return std::nullopt;
            record << field;
            records << record;
            record.clear();
            field.clear();
            fieldStarted = false;
            i += 2;
        } else if (c == '\n' || c == '"') {
            return std::nullopt; // bare LF, or a quote inside an unquoted field
        } else {
            field += c;
            fieldStarted = true;
            ++i;
        }
    }
    if (!record.isEmpty() || !field.isEmpty())
        return std::nullopt; // the last record has no line end
    return records;
}

QStringList commands(const std::string& script)
{
    QStringList out;
    for (const QString& line : QString::fromStdString(script).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#') && !line.startsWith("set ") && !line.startsWith("BUS="))
            out << line;
    return out;
}

} // namespace

class TestBusLog : public QObject {
    Q_OBJECT
private slots:
    void ringDropsOldestAndCounts();
    void ringKeepsDataBytesBounded();
    void entriesComeBackAsStored();
    void clearKeepsNumbering();
    void pollsFromLooksOnlyAtHeldEntries_data();
    void pollsFromLooksOnlyAtHeldEntries();
    void glanceCoversWhatIsHeld_data();
    void glanceCoversWhatIsHeld();

    void adapterMarksTransactionsAndFailures_data();
    void adapterMarksTransactionsAndFailures();

    void pollsAreMarkedAsPolls();
    void failuresOnlyLeavesOutExpectedPollNacks();
    void timesAreWallClockWithEachMessageAtItsOffset();

    void cellTexts_data();
    void cellTexts();
    void filters_data();
    void filters();

    void csvField_data();
    void csvField();
    void csvParsesBack();

    void scriptWriteThenRepeatedStartRead();
    void scriptPlainWriteAndBusNumber();
    void scriptFailedMessageIsCommentedWithWait();
    void scriptKeepsWhatI2cDevCannotCarryOut();
    void scriptFromBenchLog();

    void exportReplacesFileWhole();
    void exportToMissingFolderFails();
};

void TestBusLog::ringDropsOldestAndCounts()
{
    BusLog log;
    log.setCapacity(5);
    for (int i = 0; i < 8; ++i)
        log.add(message(std::uint64_t(i), std::uint64_t(i + 1), 0x40, false, {std::uint8_t(i)}));
    QCOMPARE(log.size(), std::size_t(5));
    QCOMPARE(log.dropped(), std::uint64_t(3));
    QCOMPARE(log.firstNumber(), std::uint64_t(3));
    QCOMPARE(log.endNumber(), std::uint64_t(8));
    QVERIFY(!log.holds(2));
    QVERIFY(log.holds(7));
    QCOMPARE(log.entry(3).bytes, std::vector<std::uint8_t>{3});
    QCOMPARE(log.at(4).bytes, std::vector<std::uint8_t>{7});
    // Shrinking drops the oldest at once.
    log.setCapacity(2);
    QCOMPARE(log.size(), std::size_t(2));
    QCOMPARE(log.dropped(), std::uint64_t(6));
    QCOMPARE(log.entry(6).bytes, std::vector<std::uint8_t>{6});
}

void TestBusLog::ringKeepsDataBytesBounded()
{
    BusLog log;
    log.setDataCapacity(100);
    for (int i = 0; i < 5; ++i)
        log.add(message(0, 1, 0xA0, true, std::vector<std::uint8_t>(40, std::uint8_t(i))));
    // 40 bytes each: two fit in 100.
    QCOMPARE(log.size(), std::size_t(2));
    QCOMPARE(log.at(0).bytes.front(), std::uint8_t(3));
    QCOMPARE(log.at(1).bytes.front(), std::uint8_t(4));
    // A single message larger than the whole store is still kept whole.
    log.add(message(0, 2, 0xA0, true, std::vector<std::uint8_t>(300, 0x5A)));
    QCOMPARE(log.size(), std::size_t(1));
    QCOMPARE(log.at(0).bytes.size(), std::size_t(300));
    QCOMPARE(log.dropped(), std::uint64_t(5));
}

void TestBusLog::entriesComeBackAsStored()
{
    BusLog log;
    BusLogEntry a = message(1234567, 9, 0xA0, true, {0x10, 0x20}, status::DataNack, true);
    a.length = 8;
    a.failedAt = FailedAt::Transaction;
    log.add(a);
    log.note(42, "bench: placed a simulated PCA9554 at 0x40");
    log.add(message(50, 10, 0x40, false, {}, status::AddressNack));

    const BusLogEntry b = log.at(0);
    QCOMPARE(b.timeUs, a.timeUs);
    QCOMPARE(b.busUs, a.busUs);
    QCOMPARE(b.transaction, a.transaction);
    QCOMPARE(b.address, a.address);
    QVERIFY(b.read && b.repeatedStart);
    QCOMPARE(b.bytes, a.bytes);
    QCOMPARE(b.length, std::size_t(8));
    QCOMPARE(int(b.status), int(status::DataNack));
    QVERIFY(b.failedAt == FailedAt::Transaction);

    const BusLogEntry n = log.at(1);
    QVERIFY(n.isNote());
    QCOMPARE(n.note, std::string("bench: placed a simulated PCA9554 at 0x40"));
    QCOMPARE(n.busUs, std::uint64_t(42));
    QVERIFY(n.bytes.empty());

    QVERIFY(log.at(2).bytes.empty());
    QCOMPARE(log.transfers().size(), std::size_t(2));
    QCOMPARE(log.entries().size(), std::size_t(3));
}

void TestBusLog::clearKeepsNumbering()
{
    BusLog log;
    log.setCapacity(2);
    for (int i = 0; i < 3; ++i)
        log.add(message(0, 1, 0x40, false, {1}));
    log.clear();
    QVERIFY(log.empty());
    QCOMPARE(log.dropped(), std::uint64_t(0));
    QCOMPARE(log.firstNumber(), std::uint64_t(3));
    log.add(message(0, 2, 0x40, false, {2}));
    QCOMPARE(log.firstNumber(), std::uint64_t(3));
    QCOMPARE(log.entry(3).bytes, std::vector<std::uint8_t>{2});
    BusLog other;
    QVERIFY(other.id() != log.id());
}

void TestBusLog::pollsFromLooksOnlyAtHeldEntries_data()
{
    QTest::addColumn<QString>("added"); // m: a message, p: a poll, c: clear
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << "" << 10 << 0 << false;
    QTest::newRow("messages only") << "mmmm" << 10 << 0 << false;
    QTest::newRow("a poll at the number asked") << "mmpm" << 10 << 2 << true;
    QTest::newRow("a poll before the number asked") << "mmpm" << 10 << 3 << false;
    QTest::newRow("a poll in the middle") << "mpmpmm" << 10 << 2 << true;
    QTest::newRow("the poll the ring let go") << "pmmm" << 3 << 0 << false;
    QTest::newRow("the poll cleared") << "mpc" << 10 << 0 << false;
    QTest::newRow("a poll after a clear") << "mpcmp" << 10 << 0 << true;
}

void TestBusLog::pollsFromLooksOnlyAtHeldEntries()
{
    QFETCH(QString, added);
    QFETCH(int, capacity);
    QFETCH(int, from);
    QFETCH(bool, expected);
    BusLog log;
    log.setCapacity(std::size_t(capacity));
    for (const QChar c : added) {
        if (c == 'c') {
            log.clear();
            continue;
        }
        BusLogEntry e = message(0, 1, 0xA0, false, {});
        e.poll = c == 'p';
        log.add(e);
    }
    QCOMPARE(log.pollsFrom(std::uint64_t(from)), expected);
    // The same as looking at each entry held.
    bool seen = false;
    for (std::uint64_t n = std::max<std::uint64_t>(std::uint64_t(from), log.firstNumber()); n < log.endNumber(); ++n)
        seen = seen || log.isPoll(n);
    QCOMPARE(seen, expected);
    // A glance from there sees the same.
    const BusLog::Glance g = log.glance(std::uint64_t(from), log.endNumber());
    QCOMPARE(std::any_of(g.entries.begin(), g.entries.end(), [](const auto& e) { return e.poll; }), expected);
}

void TestBusLog::glanceCoversWhatIsHeld_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("first");    // first number glanced
    QTest::addColumn<QString>("shown"); // address and P for a poll, per entry
    // Ten entries 0..9 to addresses 0x10 + n; every third a poll.
    QTest::newRow("all") << 20 << 0 << 10 << 0 << "10P 11 12 13P 14 15 16P 17 18 19P";
    QTest::newRow("a middle range") << 20 << 3 << 6 << 3 << "13P 14 15";
    QTest::newRow("past the end") << 20 << 8 << 50 << 8 << "18 19P";
    QTest::newRow("from before what the ring holds") << 4 << 0 << 10 << 6 << "16P 17 18 19P";
    QTest::newRow("nothing") << 20 << 10 << 10 << 10 << "";
}

void TestBusLog::glanceCoversWhatIsHeld()
{
    QFETCH(int, capacity);
    QFETCH(int, from);
    QFETCH(int, end);
    QFETCH(int, first);
    QFETCH(QString, shown);
    BusLog log;
    log.setCapacity(std::size_t(capacity));
    for (int n = 0; n < 10; ++n) {
        BusLogEntry e = message(0, std::uint64_t(n + 1), std::uint8_t(0x10 + n), false, {});
        e.poll = n % 3 == 0;
        log.add(e);
    }
    const BusLog::Glance g = log.glance(std::uint64_t(from), std::uint64_t(end));
    QCOMPARE(g.held, log.firstNumber());
    QCOMPARE(g.first, std::uint64_t(first));
    QStringList got;
    for (const auto& e : g.entries)
        got << QString::number(e.address, 16) + (e.poll ? "P" : "");
    QCOMPARE(got.join(' '), shown);
}

void TestBusLog::adapterMarksTransactionsAndFailures_data()
{
    QTest::addColumn<int>("fault"); // -1 none
    QTest::addColumn<int>("byteIndex");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("messages");   // logged
    QTest::addColumn<int>("failedAt");   // on the last logged message
    QTest::addColumn<QString>("nack");
    QTest::newRow("success") << -1 << 0 << 0 << 2 << int(FailedAt::Nowhere) << "";
    QTest::newRow("address") << int(Fault::Kind::AddressNack) << 0 << 1 << 1 << int(FailedAt::Address) << "address";
    QTest::newRow("second byte") << int(Fault::Kind::DataNack) << 1 << 2 << 1 << int(FailedAt::Data) << "byte 2";
    QTest::newRow("time-out") << int(Fault::Kind::TimeOut) << 0 << 8 << 1 << int(FailedAt::Transaction) << "";
}

void TestBusLog::adapterMarksTransactionsAndFailures()
{
    QFETCH(int, fault);
    QFETCH(int, byteIndex);
    QFETCH(int, status);
    QFETCH(int, messages);
    QFETCH(int, failedAt);
    QFETCH(QString, nack);
    SimulatedAdapter bench;
    bench.place(0x40, std::make_unique<RegisterChip>("R", 8));
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.write(0x40, {0, 1})), 0);
    if (fault >= 0) {
        Fault f;
        f.kind = static_cast<Fault::Kind>(fault);
        f.byteIndex = byteIndex;
        bench.inject(f);
    }
    QCOMPARE(int(bench.writeRead(0x40, {3, 4, 5}, 2, got)), status);
    const auto log = bench.log().transfers();
    QCOMPARE(int(log.size()), 1 + messages);
    const BusLogEntry& last = log.back();
    QVERIFY(log[1].transaction != log[0].transaction);
    QCOMPARE(log[1].transaction, last.transaction); // one transaction, one number
    QCOMPARE(int(last.failedAt), failedAt);
    QCOMPARE(QString::fromStdString(buslog::nackText(last)), nack);
    // Lengths are what the messages were to carry, whatever came through.
    QCOMPARE(log[1].length, std::size_t(3));
    if (messages == 2)
        QCOMPARE(last.length, std::size_t(2));
    // Only the message the transaction stopped in carries the mark.
    for (std::size_t i = 0; i + 1 < log.size(); ++i)
        QVERIFY(log[i].failedAt == FailedAt::Nowhere);
}

void TestBusLog::cellTexts_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("note");
    QTest::newRow("time") << int(buslog::Time) << "12.000305" << "0.000007" << "1.000000";
    QTest::newRow("transaction") << int(buslog::Transaction) << "4" << "4" << "";
    QTest::newRow("start") << int(buslog::Start) << "S" << "Sr" << "";
    QTest::newRow("7-bit") << int(buslog::Address7) << "0x50" << "0x50" << "";
    QTest::newRow("8-bit") << int(buslog::Address8) << "0xA0" << "0xA1" << "";
    QTest::newRow("direction") << int(buslog::Direction) << "W" << "R" << "";
    QTest::newRow("length") << int(buslog::Length) << "3" << "8" << "";
    QTest::newRow("data") << int(buslog::Data) << "00 10 FF" << "0A" << "bench: set aside";
    QTest::newRow("nack") << int(buslog::Nack) << "byte 4" << "" << "";
    QTest::newRow("status") << int(buslog::StatusText) << "Data not acknowledged" << "I\u00B2C Time-Out" << "";
}

void TestBusLog::cellTexts()
{
    QFETCH(int, column);
    QFETCH(QString, write);
    QFETCH(QString, read);
    QFETCH(QString, note);
    BusLogEntry w = message(12000305, 4, 0xA0, false, {0x00, 0x10, 0xFF}, status::DataNack);
    w.failedAt = FailedAt::Data;
    BusLogEntry r = message(7, 4, 0xA0, true, {0x0A}, status::TimeOut, true);
    r.length = 8;
    BusLogEntry n;
    n.timeUs = 1000000;
    n.note = "bench: set aside";
    const auto c = static_cast<buslog::Column>(column);
    QCOMPARE(QString::fromStdString(buslog::cellText(w, c)), write);
    QCOMPARE(QString::fromStdString(buslog::cellText(r, c)), read);
    QCOMPARE(QString::fromStdString(buslog::cellText(n, c)), note);
}

void TestBusLog::filters_data()
{
    QTest::addColumn<int>("address"); // -1 none
    QTest::addColumn<bool>("failures");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // rows passing, by index
    // Rows: 0 write 0x40 ok, 1 read 0x50 ok, 2 write 0x50 address nack, 3 note.
    QTest::newRow("none") << -1 << false << "" << "0123";
    QTest::newRow("address 0x50") << 0x50 << false << "" << "12";
    QTest::newRow("failures") << -1 << true << "" << "2";
    QTest::newRow("failures at 0x40") << 0x40 << true << "" << "";
    QTest::newRow("text in data") << -1 << false << "c3" << "1";
    QTest::newRow("text in status, any case") << -1 << false << "NOT ACK" << "2";
    QTest::newRow("text in note") << -1 << false << "placed" << "3";
    QTest::newRow("text and address") << 0x40 << false << "0x" << "0";
}

void TestBusLog::filters()
{
    QFETCH(int, address);
    QFETCH(bool, failures);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    BusLog log;
    log.add(message(0, 1, 0x80, false, {0x01, 0xF0}));
    log.add(message(0, 2, 0xA0, true, {0xC3}));
    BusLogEntry nack = message(0, 3, 0xA0, false, {}, status::AddressNack);
    nack.failedAt = FailedAt::Address;
    log.add(nack);
    log.note(0, "bench: placed a simulated LM75A at 0x90");
    buslog::Filter f;
    if (address >= 0)
        f.address7 = std::uint8_t(address);
    f.failuresOnly = failures;
    f.text = text.toStdString();
    QString got;
    for (std::uint64_t i = log.firstNumber(); i < log.endNumber(); ++i) {
        const bool quick = f.matchesQuickly(log, i);
        const bool full = f.matches(log.entry(i));
        QVERIFY(quick || !full); // the quick look never hides a match
        if (full)
            got += QString::number(i);
    }
    QCOMPARE(got, expected);
}

void TestBusLog::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "00 10 FF" << "00 10 FF";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "two\nlines" << "\"two\nlines\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
    QTest::newRow("blanks kept") << " x " << " x ";
}

void TestBusLog::csvField()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(QString::fromStdString(buslog::csvField(text.toStdString())), field);
}

void TestBusLog::csvParsesBack()
{
    std::vector<BusLogEntry> entries;
    entries.push_back(message(100, 1, 0xA0, false, {0x00, 0x10}));
    BusLogEntry r = message(100, 1, 0xA0, true, {0xDE, 0xAD}, 0, true);
    r.length = 2;
    entries.push_back(r);
    BusLogEntry n;
    n.timeUs = 200;
    n.note = "odd, \"quoted\"\r\nnote";
    entries.push_back(n);
    BusLogEntry t = message(300, 2, 0x90, false, {0x01}, status::TimeOut);
    t.failedAt = FailedAt::Transaction;
    entries.push_back(t);

    const std::string csv = buslog::toCsv(entries);
    const auto parsed = parseCsv(QByteArray::fromStdString(csv));
    QVERIFY2(parsed.has_value(), csv.c_str());
    const QList<QStringList>& rows = *parsed;
    QCOMPARE(rows.size(), 5);
    QStringList header;
    for (int c = 0; c < buslog::ColumnCount; ++c)
        header << buslog::columnTitle(static_cast<buslog::Column>(c));
    header << "Note";
    QCOMPARE(rows[0], header);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(rows[i + 1].size(), header.size());
        for (int c = 0; c < buslog::ColumnCount; ++c) {
            const auto column = static_cast<buslog::Column>(c);
            const std::string want = entries[std::size_t(i)].isNote() && column == buslog::Data
                                         ? std::string()
                                         : buslog::cellText(entries[std::size_t(i)], column);
            QCOMPARE(rows[i + 1][c], QString::fromStdString(want));
        }
    }
    QCOMPARE(rows[2][buslog::Data], QString("DE AD"));
    QCOMPARE(rows[2][buslog::Start], QString("Sr"));
    QCOMPARE(rows[3].last(), QString::fromStdString(n.note));
    QCOMPARE(rows[4][buslog::StatusText], QString("I\u00B2C Time-Out"));
}

void TestBusLog::scriptWriteThenRepeatedStartRead()
{
    std::vector<BusLogEntry> entries;
    entries.push_back(message(10, 1, 0xA0, false, {0x00, 0x10}));
    BusLogEntry r = message(10, 1, 0xA0, true, {1, 2, 3, 4, 5, 6, 7, 0xAB}, 0, true);
    entries.push_back(r);
    const std::string script = buslog::toI2cTransferScript(entries, 3, "i2c-3  CP2112");
    QCOMPARE(commands(script), QStringList{"i2ctransfer -y \"$BUS\" w2@0x50 0x00 0x10 r8@0x50"});
    QVERIFY(script.rfind("#!/bin/sh\n", 0) == 0);
    QVERIFY(QString::fromStdString(script).contains(
        "i2ctransfer -y \"$BUS\" w2@0x50 0x00 0x10 r8@0x50\n# read 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0xab\n"));
    QVERIFY(QString::fromStdString(script).contains("\nBUS=${1:-3}\n"));
    QVERIFY(QString::fromStdString(script).contains("# Recorded on i2c-3  CP2112.\n"));
}

void TestBusLog::scriptPlainWriteAndBusNumber()
{
    std::vector<BusLogEntry> entries;
    entries.push_back(message(10, 1, 0x40, false, {0x01, 0xF0}));
    entries.push_back(message(20, 2, 0x40, false, {0x03, 0x00}));
    BusLogEntry n;
    n.note = "bench: placed\na chip";
    entries.push_back(n);
    const std::string script = buslog::toI2cTransferScript(entries, std::nullopt, "Simulated bench");
    // Two stops, two commands; the note stays a comment on one line.
    QCOMPARE(commands(script), (QStringList{"i2ctransfer -y \"$BUS\" w2@0x20 0x01 0xf0",
                                            "i2ctransfer -y \"$BUS\" w2@0x20 0x03 0x00"}));
    QVERIFY(QString::fromStdString(script).contains("\n# bench: placed a chip\n"));
    // On the bench there is no bus number: the script wants one.
    QVERIFY(QString::fromStdString(script).contains("\nBUS=${1:?"));
    QVERIFY(!QString::fromStdString(script).contains("sleep"));
}

void TestBusLog::scriptFailedMessageIsCommentedWithWait()
{
    // A page write, acknowledge polls the chip refuses during its write
    // cycle, the poll it answers, the next write.
    std::vector<BusLogEntry> entries;
    entries.push_back(message(1000, 1, 0xA0, false, {0x00, 0x11, 0x22}));
    for (int i = 0; i < 3; ++i) {
        BusLogEntry poll = message(1400 + std::uint64_t(i) * 1500, std::uint64_t(2 + i), 0xA0, false, {},
                                   status::AddressNack);
        poll.failedAt = FailedAt::Address;
        entries.push_back(poll);
    }
    entries.push_back(message(6200, 5, 0xA0, false, {}));
    entries.push_back(message(6300, 6, 0xA0, false, {0x02, 0x33}));
    const std::string script = buslog::toI2cTransferScript(entries, 1, {});
    QCOMPARE(commands(script), (QStringList{"i2ctransfer -y \"$BUS\" w3@0x50 0x00 0x11 0x22", "sleep 0.006",
                                            "i2ctransfer -y \"$BUS\" w0@0x50",
                                            "i2ctransfer -y \"$BUS\" w2@0x50 0x02 0x33"}));
    QVERIFY(QString::fromStdString(script).contains(
        "# failed (Address not acknowledged at the address of w0@0x50), not replayed:\n"
        "#   i2ctransfer -y \"$BUS\" w0@0x50\n"));

    // A data byte refused inside a repeated-start transaction.
    std::vector<BusLogEntry> failed;
    BusLogEntry w = message(10, 7, 0x40, false, {0x01}, status::DataNack);
    w.length = 3;
    w.failedAt = FailedAt::Data;
    failed.push_back(w);
    const std::string s2 = buslog::toI2cTransferScript(failed, 1, {});
    QVERIFY(commands(s2).isEmpty());
    QVERIFY(QString::fromStdString(s2).contains("# failed (Data not acknowledged at the byte 2 of w3@0x20), not replayed:\n"
                                                    "#   i2ctransfer -y \"$BUS\" w3@0x20 0x01 ...\n"));
}

void TestBusLog::scriptKeepsWhatI2cDevCannotCarryOut()
{
    std::vector<BusLogEntry> entries;
    BusLogEntry big = message(0, 1, 0xA0, true, std::vector<std::uint8_t>(65536, 0xFF));
    entries.push_back(big);
    const std::string script = buslog::toI2cTransferScript(entries, 0, {});
    QVERIFY(commands(script).isEmpty());
    QVERIFY(QString::fromStdString(script).contains("# i2c-dev cannot carry a message longer than 8192 bytes"));
    QVERIFY(QString::fromStdString(script).contains("#   i2ctransfer -y \"$BUS\" r65536@0x50"));
}

void TestBusLog::scriptFromBenchLog()
{
    // What the adapter records comes out as the commands that replay it.
    SimulatedAdapter bench;
    auto& chip = static_cast<RegisterChip&>(bench.place(0x90, std::make_unique<RegisterChip>("R", 4)));
    chip.setReg(2, 0x4B);
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.write(0x90, {0x01, 0x18})), 0);
    QCOMPARE(int(bench.writeRead(0x90, {0x02}, 1, got)), 0);
    QCOMPARE(int(bench.write(0x92, {0x00})), int(status::AddressNack));
    const std::string script = buslog::toI2cTransferScript(bench.log().entries(), std::nullopt, bench.name());
    QCOMPARE(commands(script), (QStringList{"i2ctransfer -y \"$BUS\" w2@0x48 0x01 0x18",
                                            "i2ctransfer -y \"$BUS\" w1@0x48 0x02 r1@0x48"}));
    QVERIFY(QString::fromStdString(script).contains("r1@0x48\n# read 0x4b\n"));
    QVERIFY(QString::fromStdString(script).contains("#   i2ctransfer -y \"$BUS\" w1@0x49 ...\n"));
}

void TestBusLog::pollsAreMarkedAsPolls()
{
    SimulatedAdapter bench;
    bench.setBusFrequency(400);
    bench.place(0xA0, std::make_unique<EepromChip>(EepromChip::Params{256, 8, 2000, {}}));
    QCOMPARE(int(bench.write(0xA0, {0x10, 0x55})), 0);
    // The chip is busy for 2 ms: the first polls go unanswered, the last is answered.
    QCOMPARE(int(awaitAcknowledge(bench, 0xA0, 10000, 250)), 0);
    // A write repeated until the chip takes it: only the refused tries are polls.
    QCOMPARE(int(bench.write(0xA0, {0x11, 0x66})), 0);
    QCOMPARE(int(untilAcknowledged(bench, bench.nowUs() + 10000, 250,
                                   [&] { return bench.write(0xA0, {0x12, 0x77}); })),
             0);
    waitUs(bench, 3000);
    QCOMPARE(int(bench.write(0xA0, {0x00})), 0);

    QStringList kinds;
    for (const BusLogEntry& e : bench.log().transfers())
        kinds << QString("%1%2%3")
                     .arg(e.poll ? "poll" : "msg")
                     .arg(e.bytes.empty() ? "" : " " + QString::number(e.bytes.size()))
                     .arg(e.status == 0 ? "" : " nack");
    QVERIFY2(kinds.size() > 6, qPrintable(kinds.join(", ")));
    const int firstAck = int(kinds.indexOf("poll"));
    QVERIFY2(firstAck > 1, qPrintable(kinds.join(", ")));
    QCOMPARE(kinds.mid(0, 2), (QStringList{"msg 2", "poll nack"}));
    for (int i = 1; i < firstAck; ++i)
        QCOMPARE(kinds[i], QString("poll nack"));
    QCOMPARE(kinds[firstAck + 1], QString("msg 2"));
    QCOMPARE(kinds[firstAck + 2], QString("poll nack")); // the write refused while busy
    QCOMPARE(kinds.mid(kinds.size() - 2), (QStringList{"msg 2", "msg 1"}));
    QCOMPARE(kinds.count("msg 2 nack"), 0);
}

void TestBusLog::failuresOnlyLeavesOutExpectedPollNacks()
{
    // Rows: 0 an unanswered poll, 1 an answered poll, 2 a write not
    // acknowledged, 3 a poll ending in a time-out (no chip's doing).
    BusLog log;
    BusLogEntry unanswered = message(1, 1, 0xA0, false, {}, status::AddressNack);
    unanswered.failedAt = FailedAt::Address;
    unanswered.poll = true;
    BusLogEntry answered = message(2, 2, 0xA0, false, {});
    answered.poll = true;
    BusLogEntry refused = message(3, 3, 0xA0, false, {0x00}, status::AddressNack);
    refused.failedAt = FailedAt::Address;
    BusLogEntry stuck = message(4, 4, 0xA0, false, {}, status::TimeOut);
    stuck.failedAt = FailedAt::Transaction;
    stuck.poll = true;
    for (const BusLogEntry& e : {unanswered, answered, refused, stuck})
        log.add(e);
    buslog::Filter failures;
    failures.failuresOnly = true;
    QString quick, full;
    for (std::uint64_t n = 0; n < 4; ++n) {
        if (failures.matchesQuickly(log, n))
            quick += QString::number(n);
        if (failures.matches(log.entry(n)))
            full += QString::number(n);
    }
    QCOMPARE(quick, QString("23"));
    QCOMPARE(full, QString("23"));
    QCOMPARE(QString::fromStdString(buslog::cellText(log.entry(0), buslog::Nack)), QString("address (poll)"));
    QCOMPARE(QString::fromStdString(buslog::cellText(log.entry(1), buslog::Nack)), QString("poll"));
    QCOMPARE(QString::fromStdString(buslog::cellText(log.entry(2), buslog::Nack)), QString("address"));
}

void TestBusLog::timesAreWallClockWithEachMessageAtItsOffset()
{
    SimulatedAdapter bench;
    bench.setBusFrequency(100); // 10 us a bit
    auto& chip = static_cast<RegisterChip&>(bench.place(0x90, std::make_unique<RegisterChip>("R", 4)));
    chip.setReg(1, 0x42);
    std::vector<std::uint8_t> got;
    QCOMPARE(int(bench.writeRead(0x90, {0x01}, 1, got)), 0);
    // Time passes at the desk, not on the bus.
    QTest::qSleep(30);
    QCOMPARE(int(bench.write(0x90, {0x01, 0x00})), 0);
    const auto log = bench.log().transfers();
    QCOMPARE(log.size(), std::size_t(3));
    // The read behind the repeated start follows its pointer write: a start
    // condition and two bytes of nine clocks.
    QCOMPARE(log[1].timeUs - log[0].timeUs, std::uint64_t((1 + 9 * 2) * 10));
    QCOMPARE(log[1].busUs, log[0].busUs);
    QVERIFY2(log[2].timeUs - log[0].timeUs >= 30000, qPrintable(QString::number(log[2].timeUs - log[0].timeUs)));
    QVERIFY(log[2].busUs - log[0].busUs < 30000);
    QVERIFY(log[2].timeUs <= monotonicUs());
}

void TestBusLog::exportReplacesFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.sh");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    buslog::writeExport(path.toStdString(), "#!/bin/sh\necho hi\n", true);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("#!/bin/sh\necho hi\n"));
    QVERIFY(QFileInfo(path).isExecutable());
    // Nothing left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"log.sh"});

    const QString csv = dir.filePath("log.csv");
    buslog::writeExport(csv.toStdString(), "a,b\r\n", false);
    QVERIFY(!QFileInfo(csv).isExecutable());
}

void TestBusLog::exportToMissingFolderFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/folder/log.csv");
    QVERIFY_THROWS_EXCEPTION(FileError, buslog::writeExport(path.toStdString(), "x", false));
}

QTEST_APPLESS_MAIN(TestBusLog)
#include "tst_buslog.moc"
