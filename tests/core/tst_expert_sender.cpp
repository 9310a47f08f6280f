#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"
#include "core/universal/MessageSender.h"
#include "core/universal/MessageTable.h"

#include <QtTest>

using namespace tp::expert;
using T = MessageTable;

namespace {

// Records what a run asks of its window, in order; the bus is a bench with
// a register chip at A0 holding 11 22 33 from register 0.
struct Host : SendHost {
    tp::sim::SimulatedAdapter bench;
    QStringList events;

    Host()
    {
        auto chip = std::make_unique<tp::sim::RegisterChip>("Register256", 256);
        chip->setReg(0, 0x11);
        chip->setReg(1, 0x22);
        chip->setReg(2, 0x33);
        bench.place(0xA0, std::move(chip));
    }
    tp::Status transfer(std::span<tp::I2cMessage> messages) override
    {
        const tp::Status st = bench.transfer(messages);
        QStringList parts;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            QString m = QString(i ? "Sr " : "") + (messages[i].read ? "R " : "W ") +
                        QString::fromStdString(tp::intToHex(messages[i].address, 2));
            for (auto b : messages[i].data)
                m += ' ' + QString::fromStdString(tp::intToHex(b, 2));
            parts << m;
        }
        events << "bus " + parts.join(" | ");
        return st;
    }
    void showStatus(tp::Status st) override { events << QString("status %1").arg(st); }
    void showSending(const std::string& text) override { events << "label " + QString::fromStdString(text); }
    void tableChanged() override { events << "table"; }
    void waitUs(std::uint64_t us) override { events << QString("wait %1").arg(us); }
};

// Rows "address rw data stop delay" from the first row on; the rest stay empty.
MessageTable table(const QStringList& rows)
{
    MessageTable t;
    for (int r = 0; r < rows.size(); ++r) {
        QStringList f = rows[r].split(' ');
        while (f.size() < 5)
            f << "";
        if (f[0] == "-")
            continue;
        t.setRecord(r, {f[0].toStdString(), f[1].toStdString(), f[2].toStdString(), f[3].toStdString(),
                        f[4].toStdString(), ""});
    }
    return t;
}

} // namespace

class TestExpertSender : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void sendAll_data();
    void sendAll();
    void readBytesLandInData();
    void badDelayEndsRunAfterSending_data();
    void badDelayEndsRunAfterSending();
    void sequenceEntryNotANumber();
    void badAddress();
    void sendMessage_data();
    void sendMessage();
    void keepGoing_data();
    void keepGoing();
};

void TestExpertSender::sequences_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("events");

    const QStringList three{"A0 Write 01 Yes 5", "-", "A0 Write 03 Yes 20"};
    QTest::newRow("order and delays") << three << "03,01" << 0
                                      << QStringList{"bus W A0 03", "status 0", "wait 20000", "label Sending Msg # 3",
                                                     "bus W A0 01", "status 0", "wait 5000", "label Sending Msg # 1"};
    QTest::newRow("skipped row still labelled") << three << "02,01" << 0
                                                << QStringList{"label Sending Msg # 2", "bus W A0 01", "status 0",
                                                               "wait 5000", "label Sending Msg # 1"};
    QTest::newRow("numbers naming no row") << three << "00,99" << 0
                                           << QStringList{"label Sending Msg # 0", "label Sending Msg # 99"};
    QTest::newRow("empty sequence") << three << "" << 0 << QStringList{};
    QTest::newRow("failing status ends the run")
        << QStringList{"A0 Write 01 Yes 1", "50 Write 02 Yes 2", "A0 Write 03 Yes 3"} << "01,02,03" << 1
        << QStringList{"bus W A0 01", "status 0", "wait 1000", "label Sending Msg # 1", "bus W 50 02", "status 1"};
    QTest::newRow("no stop: one transaction, delays after it")
        << QStringList{"A0 Write 00 No 3", "A0 Read FF,FF,FF Yes 4"} << "01,02" << 0
        << QStringList{"label Sending Msg # 1", "bus W A0 00 | Sr R A0 11 22 33", "status 0", "table", "wait 3000",
                       "wait 4000", "label Sending Msg # 2"};
    QTest::newRow("skipped rows do not end a transaction")
        << QStringList{"A0 Write 01 No 0", "-", "A0 Read FF Yes 0"} << "01,02,03" << 0
        << QStringList{"label Sending Msg # 1", "label Sending Msg # 2", "bus W A0 01 | Sr R A0 22", "status 0",
                       "table", "wait 0", "wait 0", "label Sending Msg # 3"};
    QTest::newRow("no stop on the last message") << QStringList{"A0 Write 02 No 7"} << "01,01" << 0
                                                 << QStringList{"label Sending Msg # 1", "label Sending Msg # 1",
                                                                "bus W A0 02 | Sr W A0 02", "status 0", "wait 7000",
                                                                "wait 7000"};
    QTest::newRow("empty stop ends a message") << QStringList{"A0 Write 01  0", "A0 Write 02 Yes 0"} << "01,02" << 0
                                               << QStringList{"bus W A0 01", "status 0", "wait 0",
                                                              "label Sending Msg # 1", "bus W A0 02", "status 0",
                                                              "wait 0", "label Sending Msg # 2"};
    QTest::newRow("negative delay waits nothing") << QStringList{"A0 Write 01 Yes -5"} << "01" << 0
                                                  << QStringList{"bus W A0 01", "status 0", "wait 0",
                                                                 "label Sending Msg # 1"};
}

void TestExpertSender::sequences()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, sequence);
    QFETCH(int, status);
    QFETCH(QStringList, events);

    Host host;
    MessageTable t = table(rows);
    MessageSender sender(t, host);
    QCOMPARE(int(sender.sendSequence(sequence.toStdString())), status);
    QCOMPARE(host.events, events);
    int messages = 0;
    for (const QString& e : host.events)
        if (e.startsWith("bus "))
            messages += int(e.count(" | ")) + 1;
    QCOMPARE(sender.sentInLastRun(), messages);
}

void TestExpertSender::sendAll_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("rows in order, empty ones skipped")
        << QStringList{"A0 Write 01 Yes 2", "-", "A0 Write 03 Yes 4"} << 0
        << QStringList{"label Sending Msg# 1", "bus W A0 01", "status 0", "wait 2000",
                       "label Sending Msg# 3", "bus W A0 03", "status 0", "wait 4000", "label Done"};
    QTest::newRow("no data anywhere") << QStringList{"A0 Write  Yes 2", "A0 Read  Yes x"} << 0
                                      << QStringList{"label Done"};
    QTest::newRow("failure keeps the label") << QStringList{"A0 Write 01 Yes 0", "52 Write 02 Yes 0", "A0 Write 03 Yes 0"}
                                             << 1
                                             << QStringList{"label Sending Msg# 1", "bus W A0 01", "status 0", "wait 0",
                                                            "label Sending Msg# 2", "bus W 52 02", "status 1"};
    QTest::newRow("write then read without stop")
        << QStringList{"A0 Write 01 No 1", "A0 Read FF,FF Yes 2"} << 0
        << QStringList{"label Sending Msg# 1", "label Sending Msg# 2", "bus W A0 01 | Sr R A0 22 33", "status 0",
                       "table", "wait 1000", "wait 2000", "label Done"};
}

void TestExpertSender::sendAll()
{
    QFETCH(QStringList, rows);
    QFETCH(int, status);
    QFETCH(QStringList, events);

    Host host;
    MessageTable t = table(rows);
    MessageSender sender(t, host);
    QCOMPARE(int(sender.sendAll()), status);
    QCOMPARE(host.events, events);
}

void TestExpertSender::readBytesLandInData()
{
    Host host;
    MessageTable t = table({"A0 Write 01 No 0", "A0 Read FF,FF,FF Yes 0", "50 Write 00 No 0", "50 Read FF Yes 0"});
    MessageSender sender(t, host);
    QCOMPARE(int(sender.sendSequence("01,02")), 0);
    QCOMPARE(t.cell(1, T::Data), std::string("22,33,00"));
    QVERIFY(!t.modified()); // bytes read are not an edit

    // A failed read leaves the table as it was.
    QCOMPARE(int(sender.sendSequence("03,04")), 1);
    QCOMPARE(t.cell(3, T::Data), std::string("FF"));
}

void TestExpertSender::badDelayEndsRunAfterSending_data()
{
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << "'' is not a valid integer value";
    QTest::newRow("hex") << "$10" << "'$10' is not a valid integer value";
    QTest::newRow("blank") << "1 0" << "'1 0' is not a valid integer value";
}

void TestExpertSender::badDelayEndsRunAfterSending()
{
    QFETCH(QString, delay);
    QFETCH(QString, message);
    Host host;
    MessageTable t = table({"A0 Write 01 Yes 0", "A0 Write 02 Yes 0"});
    t.setCell(0, T::Delay, delay.toStdString());
    MessageSender sender(t, host);
    try {
        sender.sendAll();
        QFAIL("no error");
    } catch (const tp::InvalidNumber& e) {
        QCOMPARE(QString(e.what()), message);
    }
    QCOMPARE(host.events, (QStringList{"label Sending Msg# 1", "bus W A0 01", "status 0"}));

    // The next run starts clean.
    host.events.clear();
    t.setCell(0, T::Delay, "0");
    QCOMPARE(int(sender.sendSequence("02")), 0);
    QCOMPARE(host.events.first(), QString("bus W A0 02"));
}

void TestExpertSender::sequenceEntryNotANumber()
{
    Host host;
    MessageTable t = table({"A0 Write 01 Yes 0"});
    MessageSender sender(t, host);
    QVERIFY_THROWS_EXCEPTION(tp::InvalidNumber, sender.sendSequence("01,0x"));
    QCOMPARE(host.events, (QStringList{"bus W A0 01", "status 0", "wait 0", "label Sending Msg # 1"}));
}

void TestExpertSender::badAddress()
{
    Host host;
    MessageTable t = table({"G0 Write 01 Yes 0", "1A0 Write 01 Yes 0"});
    MessageSender sender(t, host);
    try {
        sender.sendAll();
        QFAIL("no error");
    } catch (const tp::Error& e) {
        QCOMPARE(QString(e.what()), QString("'$G0' is not a valid integer value"));
    }
    try {
        sender.sendSequence("02");
        QFAIL("no error");
    } catch (const tp::Error& e) {
        QCOMPARE(QString(e.what()), QString("'1A0' is not a valid slave address"));
    }
    QVERIFY(host.events.filter("bus").isEmpty());
}

void TestExpertSender::sendMessage_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("status"); // -1: nothing sent
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("data");

    QTest::newRow("write") << "A0 Write 00,05 Yes 100" << 0 << QStringList{"bus W A0 00 05", "status 0"} << "00,05";
    QTest::newRow("read shows the bytes") << "A1 Read FF,FF Yes 0" << 0
                                          << QStringList{"bus R A0 11 22", "status 0", "table"} << "11,22";
    QTest::newRow("no stop is its own transaction") << "A0 Write 01 No 0" << 0
                                                    << QStringList{"bus W A0 01", "status 0"} << "01";
    QTest::newRow("empty data probes the address") << "A0 Write  Yes 0" << 0 << QStringList{"bus W A0", "status 0"} << "";
    QTest::newRow("failed read changes nothing") << "52 Read FF Yes 0" << 1 << QStringList{"bus R 52 FF", "status 1"} << "FF";
    QTest::newRow("empty address sends nothing") << " Write 01 Yes 0" << -1 << QStringList{} << "01";
}

void TestExpertSender::sendMessage()
{
    QFETCH(QString, row);
    QFETCH(int, status);
    QFETCH(QStringList, events);
    QFETCH(QString, data);

    Host host;
    MessageTable t = table({"A0 Write 00 Yes 0", row});
    MessageSender sender(t, host);
    const auto st = sender.sendMessage(1);
    QCOMPARE(st.has_value(), status >= 0);
    if (st)
        QCOMPARE(int(*st), status);
    QCOMPARE(host.events, events);
    QCOMPARE(QString::fromStdString(t.cell(1, T::Data)), data);
}

// Each message a run reports, with its row, its bytes and its transaction's
// status; a failure ends the run unless keep-going is on, and the run's
// status is then the first failure.
void TestExpertSender::keepGoing_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("sequence"); // "all": Send All
    QTest::addColumn<bool>("keepGoing");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("sent");

    const QStringList rows{"A0 Write 01 Yes 0", "52 Write 02 Yes 0", "A0 Write 00 No 0", "A0 Read FF Yes 0",
                           "54 Read FF Yes 0"};
    QTest::newRow("all, stops") << rows << "all" << false << 1 << QStringList{"1 W 01 st 0", "2 W 02 st 1"};
    QTest::newRow("all, keeps going")
        << rows << "all" << true << 1
        << QStringList{"1 W 01 st 0", "2 W 02 st 1", "3 W 00 st 0", "4 R 11 st 0", "5 R FF st 1"};
    QTest::newRow("sequence, keeps going")
        << rows << "05,03,04,01" << true << 1
        << QStringList{"5 R FF st 1", "3 W 00 st 0", "4 R 11 st 0", "1 W 01 st 0"};
    QTest::newRow("sequence, stops") << rows << "05,01" << false << 1 << QStringList{"5 R FF st 1"};
    QTest::newRow("keeps going, nothing fails") << rows << "03,04" << true << 0
                                                 << QStringList{"3 W 00 st 0", "4 R 11 st 0"};
}

void TestExpertSender::keepGoing()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, sequence);
    QFETCH(bool, keepGoing);
    QFETCH(int, status);
    QFETCH(QStringList, sent);

    struct Reporting : Host {
        QStringList sent;
        void messageSent(int row, const tp::I2cMessage& m, tp::Status st) override
        {
            QString line = QString::number(row + 1) + (m.read ? " R" : " W");
            for (auto b : m.data)
                line += ' ' + QString::fromStdString(tp::intToHex(b, 2));
            sent << line + QString(" st %1").arg(st);
        }
    } host;
    MessageTable t = table(rows);
    MessageSender sender(t, host);
    sender.setKeepGoing(keepGoing);
    const tp::Status st = sequence == "all" ? sender.sendAll() : sender.sendSequence(sequence.toStdString());
    QCOMPARE(int(st), status);
    QCOMPARE(host.sent, sent);
}

QTEST_APPLESS_MAIN(TestExpertSender)
#include "tst_expert_sender.moc"
