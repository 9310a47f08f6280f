// The remote bus: the frame codec, the board's server, and the desktop's
// adapter against the real tallyport-cli serving the bench through exec:.
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/adapter/remote/RemoteProtocol.h"
#include "core/adapter/remote/RemoteServer.h"
#include "core/memory/MemoryBus.h"
#include "core/sim/SimulatedAdapter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

using namespace tp;
using namespace tp::remote;

Q_DECLARE_METATYPE(tp::remote::Request)
Q_DECLARE_METATYPE(tp::remote::Reply)

namespace {

Request transactionRequest(Kind kind = Kind::Transaction)
{
    Request r;
    r.kind = kind;
    r.writesConfirmed = true;
    r.messages = {I2cMessage::write(0xA0, {0x00, 0x10, 1, 2, 3}), I2cMessage::readBytes(0xA0, 4)};
    if (kind == Kind::TransactionPoll) {
        r.messages.pop_back();
        r.pollAddress = 0xA0;
        r.pollLimitUs = 25000;
        r.pollIntervalUs = 100;
    }
    return r;
}

Reply transactionReply(Kind kind = Kind::Transaction)
{
    Reply r;
    r.kind = std::uint8_t(kind) | kReplyBit;
    r.status = status::DataNack;
    r.refusal = "";
    r.startUs = 123456789012ULL;
    r.endUs = 123456789999ULL;
    r.completed = {3, Reply::kNotReached};
    r.data = {{}, {0xFF, 0xFF, 0xFF, 0xFF}};
    if (kind == Kind::TransactionPoll) {
        r.completed = {5};
        r.data = {{}};
        r.status = 0;
        r.pollStatus = 0;
        r.timedOut = false;
        r.polls = {{1000, 0xA0, false, status::AddressNack, {}}, {1100, 0xA0, true, 0, {0x5A}}};
    }
    return r;
}

std::vector<Request> sampleRequests()
{
    std::vector<Request> all;
    Request hello;
    hello.program = "0.1.0";
    all.push_back(hello);
    all.push_back(transactionRequest());
    all.push_back(transactionRequest(Kind::TransactionPoll));
    Request wait;
    wait.kind = Kind::Wait;
    wait.waitUs = 70000;
    all.push_back(wait);
    for (Kind k : {Kind::Functionality, Kind::Name, Kind::Claimed}) {
        Request q;
        q.kind = k;
        all.push_back(q);
    }
    Request expect;
    expect.kind = Kind::ExpectChip;
    expect.address = 0xA2;
    expect.chipType = "EEPROM 2048";
    all.push_back(expect);
    return all;
}

std::vector<Reply> sampleReplies()
{
    std::vector<Reply> all;
    Reply hello;
    hello.kind = std::uint8_t(Kind::Hello) | kReplyBit;
    hello.program = "0.1.0";
    hello.accepted = false;
    hello.message = "another version";
    all.push_back(hello);
    all.push_back(transactionReply());
    all.push_back(transactionReply(Kind::TransactionPoll));
    Reply facts;
    facts.kind = std::uint8_t(Kind::Functionality) | kReplyBit;
    facts.facts = {8192, false, false, true, true, 0x0EFF0001, 400000};
    all.push_back(facts);
    Reply name;
    name.kind = std::uint8_t(Kind::Name) | kReplyBit;
    name.name = "i2c-1  bcm2835 (i2c@7e804000)";
    name.device = "/dev/i2c-1";
    all.push_back(name);
    Reply claimed;
    claimed.kind = std::uint8_t(Kind::Claimed) | kReplyBit;
    claimed.claimed = {{0x50, "at24"}, {0x68, "rtc-ds1307"}};
    all.push_back(claimed);
    Reply failure;
    failure.kind = kFailure;
    failure.message = "a request that is not one";
    all.push_back(failure);
    return all;
}

std::vector<std::uint8_t> hex(const char* text)
{
    const QByteArray b = QByteArray::fromHex(text);
    return {b.begin(), b.end()};
}

// An `exec:` spec for the real program serving the bench, its chips kept in `state`.
std::string servedBench(const QString& state, const QString& before = QString())
{
    return QStringLiteral("exec:%1%2 serve --adapter bench --bench-state '%3'")
        .arg(before, QStringLiteral(TALLYPORT_CLI), state)
        .toStdString();
}

// A board that says what `frames` hold, whatever it is asked, then waits.
std::string scriptedBoard(const QString& dir, const std::vector<std::vector<std::uint8_t>>& bodies)
{
    const QString path = dir + "/replies.bin";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    for (const auto& b : bodies) {
        const std::vector<std::uint8_t> fr = frame(b);
        f.write(reinterpret_cast<const char*>(fr.data()), static_cast<qint64>(fr.size()));
    }
    f.close();
    return QStringLiteral("exec:cat '%1'; sleep 20").arg(path).toStdString();
}

// The replies a served bench gives while a connection is made.
std::vector<std::vector<std::uint8_t>> greeting(std::uint16_t version = kVersion, std::string program = TALLYPORT_VERSION)
{
    Reply hello;
    hello.kind = std::uint8_t(Kind::Hello) | kReplyBit;
    hello.version = version;
    hello.program = std::move(program);
    Reply facts;
    facts.kind = std::uint8_t(Kind::Functionality) | kReplyBit;
    facts.facts.maxTransferLength = 8192;
    Reply name;
    name.kind = std::uint8_t(Kind::Name) | kReplyBit;
    name.name = "i2c-9  scripted";
    Reply claimed;
    claimed.kind = std::uint8_t(Kind::Claimed) | kReplyBit;
    return {encode(hello), encode(facts), encode(name), encode(claimed)};
}

std::vector<std::uint8_t> pattern(std::size_t n)
{
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) + 1); // never 0xFF, a blank cell
    for (auto& v : b)
        if (v == 0xFF)
            v = 0x11;
    return b;
}

MemoryDevice eeprom(std::size_t size, std::size_t page)
{
    MemoryDevice d;
    d.size = size;
    d.pageSize = page;
    d.writeTimeMs = 5;
    return d;
}

} // namespace

class TestRemote : public QObject {
    Q_OBJECT
private slots:
    void requestsRoundTrip_data();
    void requestsRoundTrip();
    void repliesRoundTrip_data();
    void repliesRoundTrip();
    void cutBodiesAreRefused();
    void garbledBodies_data();
    void garbledBodies();
    void framesOfAStream();
    void repliesThatDoNotFit();
    void targets_data();
    void targets();

    void serverRunsWholeRequests();
    void serverRefusesAnotherVersion();

    void eepromOverExec();
    void connectionCutMidWrite();
    void boardOfAnotherVersion();
    void garbledReplyEndsTheConnection();
    void silentBoardTimesOut();
};

void TestRemote::requestsRoundTrip_data()
{
    QTest::addColumn<Request>("request");
    for (const Request& r : sampleRequests())
        QTest::newRow(std::to_string(int(r.kind)).c_str()) << r;
}

void TestRemote::requestsRoundTrip()
{
    QFETCH(Request, request);
    QCOMPARE(decodeRequest(encode(request)), request);
}

void TestRemote::repliesRoundTrip_data()
{
    QTest::addColumn<Reply>("reply");
    for (const Reply& r : sampleReplies())
        QTest::newRow(std::to_string(int(r.kind)).c_str()) << r;
}

void TestRemote::repliesRoundTrip()
{
    QFETCH(Reply, reply);
    QCOMPARE(decodeReply(encode(reply)), reply);
}

void TestRemote::cutBodiesAreRefused()
{
    // Every body cut short, and every one with a byte too many (a greeting
    // excepted: a later version may say more), is refused, never half-read.
    for (const Request& r : sampleRequests()) {
        const std::vector<std::uint8_t> body = encode(r);
        for (std::size_t n = 0; n < body.size(); ++n)
            QVERIFY_THROWS_EXCEPTION(ProtocolError,
                                     decodeRequest(std::span<const std::uint8_t>(body.data(), n)));
        std::vector<std::uint8_t> longer = body;
        longer.push_back(0);
        if (r.kind != Kind::Hello)
            QVERIFY_THROWS_EXCEPTION(ProtocolError, decodeRequest(longer));
    }
    for (const Reply& r : sampleReplies()) {
        const std::vector<std::uint8_t> body = encode(r);
        for (std::size_t n = 0; n < body.size(); ++n)
            QVERIFY_THROWS_EXCEPTION(ProtocolError, decodeReply(std::span<const std::uint8_t>(body.data(), n)));
        std::vector<std::uint8_t> longer = body;
        longer.push_back(0);
        QVERIFY_THROWS_EXCEPTION(ProtocolError, decodeReply(longer));
    }
}

void TestRemote::garbledBodies_data()
{
    QTest::addColumn<bool>("isReply");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("unknown request") << false << QByteArray::fromHex("09");
    QTest::newRow("request zero") << false << QByteArray::fromHex("00");
    QTest::newRow("not our greeting") << false << QByteArray::fromHex("01585858580100");
    QTest::newRow("read bit in an address") << false << QByteArray::fromHex("020001A10104000000");
    QTest::newRow("direction byte 2") << false << QByteArray::fromHex("020001A00204000000");
    QTest::newRow("unknown flags") << false << QByteArray::fromHex("020400");
    QTest::newRow("65 messages") << false << QByteArray::fromHex("020041");
    QTest::newRow("read longer than a frame") << false << QByteArray::fromHex("020001A001FFFFFFFF");
    QTest::newRow("write data longer than the body") << false << QByteArray::fromHex("020001A000FFFFFF7F00");
    QTest::newRow("request for a reply") << true << QByteArray::fromHex("02");
    QTest::newRow("unknown reply") << true << QByteArray::fromHex("8A");
    QTest::newRow("8-bit address claimed") << true << QByteArray::fromHex("870180" "00000000");
    QTest::newRow("polls beyond the frame")
        << true << QByteArray::fromHex("8300" "00000000" "0000000000000000" "0000000000000000" "00" "00" "00"
                                       "FFFFFF0F");
    QTest::newRow("yes/no byte 7") << true << QByteArray::fromHex("85" "00200000" "07000100" "00000000" "00000000");
}

void TestRemote::garbledBodies()
{
    QFETCH(bool, isReply);
    QFETCH(QByteArray, body);
    const std::vector<std::uint8_t> b(body.begin(), body.end());
    if (isReply)
        QVERIFY_THROWS_EXCEPTION(ProtocolError, decodeReply(b));
    else
        QVERIFY_THROWS_EXCEPTION(ProtocolError, decodeRequest(b));
}

void TestRemote::framesOfAStream()
{
    std::vector<std::uint8_t> stream;
    for (const Request& r : sampleRequests()) {
        const auto f = frame(encode(r));
        stream.insert(stream.end(), f.begin(), f.end());
    }
    FrameReader reader;
    std::vector<Request> got;
    for (std::uint8_t byte : stream) { // as slowly as a serial line gives it
        reader.feed(std::span<const std::uint8_t>(&byte, 1));
        while (auto body = reader.next())
            got.push_back(decodeRequest(*body));
    }
    QVERIFY(!reader.midFrame());
    QVERIFY(got == sampleRequests());

    for (const char* length : {"00000000", "01001000"}) { // empty, and beyond the largest frame
        FrameReader bad;
        bad.feed(hex(length));
        QVERIFY_THROWS_EXCEPTION(ProtocolError, bad.next());
    }
}

void TestRemote::repliesThatDoNotFit()
{
    const Request asked = transactionRequest();
    QCOMPARE(mismatch(asked, transactionReply()), std::string());
    Reply fewer = transactionReply();
    fewer.completed.pop_back();
    fewer.data.pop_back();
    QVERIFY(!mismatch(asked, fewer).empty());
    Reply shortRead = transactionReply();
    shortRead.data[1].pop_back();
    QVERIFY(!mismatch(asked, shortRead).empty());
    Reply tooMuch = transactionReply();
    tooMuch.completed[0] = 6;
    QVERIFY(!mismatch(asked, tooMuch).empty());
    Reply other = transactionReply(Kind::TransactionPoll);
    QVERIFY(!mismatch(asked, other).empty());
}

void TestRemote::targets_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("adapter");
    QTest::addColumn<QString>("command"); // "!" for a spec that is refused
    QTest::newRow("host and bus") << "ssh:board/dev/i2c-1" << "" << "board" << 0 << "/dev/i2c-1" << "";
    QTest::newRow("user, port") << "ssh:pi@10.0.0.7:2222/i2c-3" << "pi" << "10.0.0.7" << 2222 << "i2c-3" << "";
    QTest::newRow("bench") << "ssh:127.0.0.1:40022/bench" << "" << "127.0.0.1" << 40022 << "bench" << "";
    QTest::newRow("IPv6") << "ssh:[fe80::1]:22/dev/i2c-0" << "" << "fe80::1" << 22 << "/dev/i2c-0" << "";
    QTest::newRow("exec") << "exec:socat - /dev/ttyUSB0,raw" << "" << "" << 0 << "" << "socat - /dev/ttyUSB0,raw";
    QTest::newRow("no adapter") << "ssh:board" << "" << "" << 0 << "" << "!";
    QTest::newRow("empty adapter") << "ssh:board/" << "" << "" << 0 << "" << "!";
    QTest::newRow("port 0") << "ssh:board:0/bench" << "" << "" << 0 << "" << "!";
    QTest::newRow("port not a number") << "ssh:board:ssh/bench" << "" << "" << 0 << "" << "!";
    QTest::newRow("host like an option") << "ssh:-oProxyCommand=x/bench" << "" << "" << 0 << "" << "!";
    QTest::newRow("user like an option") << "ssh:-x@board/bench" << "" << "" << 0 << "" << "!";
    QTest::newRow("empty command") << "exec: " << "" << "" << 0 << "" << "!";
}

void TestRemote::targets()
{
    QFETCH(QString, spec);
    QFETCH(QString, user);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, adapter);
    QFETCH(QString, command);
    std::string error;
    const auto t = RemoteTarget::parse(spec.toStdString(), &error);
    QVERIFY(RemoteTarget::isRemote(spec.toStdString()));
    if (command == "!") {
        QVERIFY(!t);
        QVERIFY(!error.empty());
        return;
    }
    QVERIFY2(t, error.c_str());
    QCOMPARE(QString::fromStdString(t->user), user);
    QCOMPARE(QString::fromStdString(t->host), host);
    QCOMPARE(t->port, port);
    QCOMPARE(QString::fromStdString(t->adapter), adapter);
    QCOMPARE(QString::fromStdString(t->command), command);
    QCOMPARE(QString::fromStdString(t->spec()), spec);
    const std::vector<std::string> argv = t->serveCommand();
    if (t->ssh) {
        // Never a prompt it cannot show; the board's adapter as one quoted word.
        QVERIFY(std::find(argv.begin(), argv.end(), "BatchMode=yes") != argv.end());
        QCOMPARE(QString::fromStdString(argv.back()), "tallyport-cli serve --adapter '" + adapter + "'");
        QCOMPARE(argv[argv.size() - 3], std::string("--"));
    } else {
        QCOMPARE(argv, (std::vector<std::string>{"/bin/sh", "-c", command.toStdString()}));
    }
}

void TestRemote::serverRunsWholeRequests()
{
    sim::SimulatedAdapter bench;
    sim::registerStandardChips(bench);
    RemoteServer server(bench);
    Request expect;
    expect.kind = Kind::ExpectChip;
    expect.address = 0xA0;
    expect.chipType = "EEPROM 2048";
    server.answer(expect);

    // A page write and its polling: the polls that met the busy chip, then the one it answered.
    Request write = transactionRequest(Kind::TransactionPoll);
    write.messages = {I2cMessage::write(0xA0, {0x10, 1, 2, 3, 4})};
    const Reply written = server.answer(write);
    QCOMPARE(written.status, status::Success);
    QCOMPARE(written.completed, std::vector<std::uint32_t>{5});
    QCOMPARE(written.pollStatus, status::Success);
    QVERIFY(!written.timedOut);
    QVERIFY(written.polls.size() >= 2);
    QCOMPARE(written.polls.front().status, status::AddressNack);
    QCOMPARE(written.polls.back().status, status::Success);
    QVERIFY(written.startUs <= written.polls.front().timeUs && written.polls.back().timeUs <= written.endUs);

    Request read;
    read.kind = Kind::Transaction;
    read.messages = {I2cMessage::write(0xA0, {0x10}), I2cMessage::readBytes(0xA0, 4)};
    const Reply got = server.answer(read);
    QCOMPARE(got.status, status::Success);
    QCOMPARE(got.data[1], (std::vector<std::uint8_t>{1, 2, 3, 4}));
    QCOMPARE(mismatch(read, got), std::string());

    // Nobody at 0x40: the address is not acknowledged, nothing went through.
    read.messages = {I2cMessage::write(0x40, {0x00}), I2cMessage::readBytes(0x40, 1)};
    const Reply nobody = server.answer(read);
    QCOMPARE(nobody.status, status::AddressNack);
    QCOMPARE(nobody.completed, (std::vector<std::uint32_t>{0, Reply::kNotReached}));

    Request q;
    q.kind = Kind::Functionality;
    const Reply facts = server.answer(q);
    QVERIFY(facts.facts.simulated);
    QCOMPARE(facts.facts.maxTransferLength, std::uint32_t(bench.maxTransferLength()));
}

void TestRemote::serverRefusesAnotherVersion()
{
    sim::SimulatedAdapter bench;
    RemoteServer server(bench);
    int toServer[2], fromServer[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, toServer), 0);
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, fromServer), 0);
    Request hello;
    hello.version = kVersion + 1;
    hello.program = "9.0.0";
    const auto f = frame(encode(hello));
    QCOMPARE(::write(toServer[0], f.data(), f.size()), ssize_t(f.size()));
    std::ostringstream err;
    QCOMPARE(server.run(toServer[1], fromServer[1], err), 2);
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fromServer[0], buffer, sizeof buffer);
    QVERIFY(n > 4);
    FrameReader reader;
    reader.feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
    const Reply reply = decodeReply(*reader.next());
    QVERIFY(!reply.accepted);
    QVERIFY(QString::fromStdString(reply.message).contains("9.0.0"));
    QVERIFY(QString::fromStdString(err.str()).contains(QString("protocol %1").arg(kVersion)));
    for (int fd : {toServer[0], toServer[1], fromServer[0], fromServer[1]})
        ::close(fd);
}

void TestRemote::eepromOverExec()
{
    QTemporaryDir dir;
    std::string error;
    auto target = RemoteTarget::parse(servedBench(dir.filePath("bench")), &error);
    auto board = RemoteAdapter::open(*target, &error);
    QVERIFY2(board, error.c_str());
    QVERIFY(board->facts().simulated);
    QCOMPARE(QString::fromStdString(board->boardDevice()), "bench");

    const MemoryDevice device = eeprom(32768, 64);
    MemoryBus bus(*board, device);
    const std::vector<std::uint8_t> data = pattern(device.size);
    std::uint64_t before = board->requests();
    QVERIFY(bus.writeAll(data).ok());
    // One round trip per page, its polling included (and one to place the chip).
    QCOMPARE(board->requests() - before, device.size / device.pageSize + 1);

    before = board->requests();
    std::vector<std::uint8_t> back;
    QVERIFY(bus.readAll(back).ok());
    QCOMPARE(back, data);
    const std::uint64_t reads = (device.size + board->maxTransferLength() - 1) / board->maxTransferLength();
    QCOMPARE(board->requests() - before, reads + 1);

    // The board's polls are in the log: a busy chip, then its acknowledge.
    const std::vector<BusLogEntry> log = board->log().transfers();
    const auto firstPoll = std::find_if(log.begin(), log.end(), [](const BusLogEntry& e) {
        return !e.read && e.bytes.empty() && e.status == status::AddressNack;
    });
    QVERIFY(firstPoll != log.end());
    QCOMPARE(firstPoll->failedAt, FailedAt::Address);
    QVERIFY(std::any_of(firstPoll, log.end(),
                        [](const BusLogEntry& e) { return !e.read && e.bytes.empty() && e.status == 0; }));
}

void TestRemote::connectionCutMidWrite()
{
    // The board's input ends after some pages (dd passes on each byte as it comes):
    // the request in flight never runs.
    QTemporaryDir dir;
    const QString state = dir.filePath("bench");
    std::string error;
    auto board = RemoteAdapter::open(*RemoteTarget::parse(servedBench(state, "dd bs=1 count=20000 status=none | "), &error), &error);
    QVERIFY2(board, error.c_str());
    const MemoryDevice device = eeprom(16384, 32); // 512 page writes: more than 20000 bytes of requests
    MemoryBus bus(*board, device);
    const std::vector<std::uint8_t> data = pattern(device.size);
    const MemoryBusResult r = bus.writeAll(data);
    QCOMPARE(r.outcome, MemoryOutcome::Failed);
    QCOMPARE(r.status, status::HardwareNotDetected);
    QVERIFY(r.done > 0 && r.done < device.size);
    QCOMPARE(r.done % device.pageSize, std::size_t(0));
    QVERIFY(!board->isPresent());
    QVERIFY(QString::fromStdString(board->problem()).contains("connection"));
    // Every later transfer too, without a word to the board.
    const std::uint64_t asked = board->requests();
    std::vector<std::uint8_t> out;
    QCOMPARE(board->read(0xA0, 1, out), status::HardwareNotDetected);
    QCOMPARE(board->requests(), asked);
    QCOMPARE(board->log().transfers().back().status, status::HardwareNotDetected);

    // Reconnected (the same command, whose input is cut again later): what was
    // reported written is on the chip, the page in flight is not.
    QVERIFY2(board->reconnect(&error), error.c_str());
    QVERIFY(board->isPresent());
    MemoryBus again(*board, device);
    std::vector<std::uint8_t> chip;
    QVERIFY(again.read(0, r.done + device.pageSize, chip).ok());
    QVERIFY(std::equal(data.begin(), data.begin() + static_cast<long>(r.done), chip.begin()));
    QCOMPARE(std::vector<std::uint8_t>(chip.begin() + static_cast<long>(r.done), chip.end()),
             std::vector<std::uint8_t>(device.pageSize, 0xFF));
}

void TestRemote::boardOfAnotherVersion()
{
    QTemporaryDir dir;
    std::string error;
    const auto target = RemoteTarget::parse(scriptedBoard(dir.path(), greeting(kVersion + 1, "7.3.1")), &error);
    QVERIFY(!RemoteAdapter::open(*target, &error));
    QVERIFY2(QString::fromStdString(error).contains("7.3.1"), error.c_str());
    QVERIFY2(QString::fromStdString(error).contains(QString("protocol %1").arg(kVersion + 1)), error.c_str());
    QVERIFY2(QString::fromStdString(error).contains(TALLYPORT_VERSION), error.c_str());
}

void TestRemote::garbledReplyEndsTheConnection()
{
    QTemporaryDir dir;
    auto bodies = greeting();
    bodies.push_back(hex("8200")); // a transaction reply that stops after its status
    std::string error;
    auto board = RemoteAdapter::open(*RemoteTarget::parse(scriptedBoard(dir.path(), bodies), &error), &error);
    QVERIFY2(board, error.c_str());
    std::vector<std::uint8_t> out;
    QCOMPARE(board->read(0xA0, 4, out), status::HardwareNotDetected);
    QCOMPARE(out, std::vector<std::uint8_t>(4, 0xFF)); // nothing of the garbled frame taken for data
    QVERIFY2(QString::fromStdString(board->problem()).contains("garbled"), board->problem().c_str());
    QCOMPARE(board->write(0xA0, {0}), status::HardwareNotDetected);
}

void TestRemote::silentBoardTimesOut()
{
    QTemporaryDir dir;
    std::string error;
    auto board = RemoteAdapter::open(*RemoteTarget::parse(scriptedBoard(dir.path(), greeting()), &error), &error);
    QVERIFY2(board, error.c_str());
    qputenv("TALLYPORT_REMOTE_TIMEOUT", "0.5");
    QElapsedTimer t;
    t.start();
    const Status st = board->write(0xA0, {0, 1});
    qunsetenv("TALLYPORT_REMOTE_TIMEOUT");
    QCOMPARE(st, status::HardwareNotDetected);
    QVERIFY2(QString::fromStdString(board->problem()).contains("did not answer within 1 s"), board->problem().c_str());
    QVERIFY(!board->isPresent());
}

QTEST_GUILESS_MAIN(TestRemote)
#include "tst_remote.moc"
