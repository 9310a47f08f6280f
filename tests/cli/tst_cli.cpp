// tallyport-cli as a user runs it: each case starts the real program and
// checks its exit status, what it printed and what it left in files.
#include "cli/CliApp.h"
#include "core/memory/MemoryFiles.h"
#include "core/memory/MemoryImage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sstream>

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

tp::MemoryImage patternImage(std::size_t size, unsigned seed)
{
    tp::MemoryImage image(size);
    std::vector<std::uint8_t> b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(i * 151u + seed + (i >> 8));
    image.display(0, b);
    return image;
}

tp::MemoryKind kindFor(std::size_t size)
{
    return size > 2048 ? tp::MemoryKind::LargeEeprom : tp::MemoryKind::SmallEeprom;
}

tp::FileType typeOf(const QString& ext)
{
    return ext == "mem" ? tp::FileType::Mem : ext == "hex" ? tp::FileType::Hex : ext == "bin" ? tp::FileType::Bin
                                                                                             : tp::FileType::Csv;
}

// A memory file as the memory windows save it: address A0, page 8, 10 ms.
void saveImage(const QString& path, const tp::MemoryImage& image)
{
    tp::MemSettings s;
    s.addressText = "A0";
    s.pageSize = 8;
    s.writeTimeMs = 10;
    tp::MemoryFiles::save(kindFor(image.size()), typeOf(QFileInfo(path).suffix()), path.toStdString(), image, s);
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void roundTrip_data();
    void roundTrip();
    void refusedFileWritesNothing_data();
    void refusedFileWritesNothing();
    void failedReadLeavesTheFileAlone();
    void chipLostMidWrite_data();
    void chipLostMidWrite();
    void verifyFindsTheDifference();
    void memFileCarriesDeviceSettings();
    void run_data();
    void run();
    void runForeverEndsOnCtrlC();
    void scanShowsTheBenchChips();
    void registers();
    void usageErrors_data();
    void usageErrors();
    void corruptBenchStateIsLeftAlone();
    void benchSaysItForgets();
    void helpEverywhere_data();
    void helpEverywhere();
    void adapters();
    void progressOnlyOnATerminal();

private:
    Result cli(const QStringList& args);
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList bench() const { return {"-a", "bench", "--bench-state", path("bench.txt")}; }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

Result TestCli::cli(const QStringList& args)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(TALLYPORT_CLI), args);
    Result r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

#define RUN_OK(result, ...)                                                                                     \
    do {                                                                                                        \
        result = cli(__VA_ARGS__);                                                                              \
        QVERIFY2(result.code == 0, qPrintable(QString("exit %1: %2").arg(result.code).arg(result.err)));       \
    } while (false)

// Written by one process, read back by the next from the same bench chip,
// in each file format: the file read equals the file written.
void TestCli::roundTrip_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("ext");
    for (int size : {256, 65536})
        for (QString ext : {"mem", "hex", "bin", "csv"})
            QTest::addRow("%d %s", size, qPrintable(ext)) << size << ext;
}

void TestCli::roundTrip()
{
    QFETCH(int, size);
    QFETCH(QString, ext);
    const QString in = path("in." + ext), out = path("out." + ext);
    saveImage(in, patternImage(static_cast<std::size_t>(size), 7));
    const QString sizeArg = size == 65536 ? "64K" : "256";

    Result r;
    RUN_OK(r, QStringList{"eeprom", "write"} + bench() + QStringList{"--size", sizeArg, in});
    QCOMPARE(r.out, QString("Write and Verify Successful\n"));
    QCOMPARE(r.err, QString());
    RUN_OK(r, QStringList{"eeprom", "read"} + bench() + QStringList{"--size", sizeArg, out});
    QCOMPARE(r.out, QString("Transmission successful\n"));
    QCOMPARE(fileBytes(out), fileBytes(in));
    RUN_OK(r, QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", sizeArg, in});
    QCOMPARE(r.out, QString("Verification Successful\n"));
}

// A file the windows would refuse stops the write before the bus: the chip
// still holds what an earlier write put there.
void TestCli::refusedFileWritesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    QTest::newRow("not a hex line") << "bad.hex" << QByteArray(":1000000000\r\njunk\r\n") << "bad.hex: Invalid Hex File";
    QTest::newRow("hex address beyond") << "far.hex" << QByteArray(":01010000AA54\r\n:00000001FF\r\n")
                                        << "far.hex: Invalid Hex File Address";
    QTest::newRow("short bin") << "short.bin" << QByteArray(100, 'x') << "short.bin: Read beyond end of file";
    QTest::newRow("csv value") << "bad.csv" << QByteArray("00,11,ZZ\r\n") << "'$ZZ' is not a valid integer value";
    QTest::newRow("missing file") << "" << QByteArray() << "missing.bin: Failed to open or create file";
    QTest::newRow("unknown extension") << "image.txt" << QByteArray("00") << "image.txt: the extension .txt is not";
    QTest::newRow("short mem") << "short.mem" << QByteArray("TarnwickSmallEE256\xA0\x08\x0A\x00", 22)
                               << "short.mem: Read beyond end of file";
}

void TestCli::refusedFileWritesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    const QString good = path("good.bin");
    saveImage(good, patternImage(256, 3));
    Result r;
    RUN_OK(r, QStringList{"eeprom", "write"} + bench() + QStringList{"--size", "256", good});

    const QString file = name.isEmpty() ? path("missing.bin") : path(name);
    if (!name.isEmpty())
        writeFile(file, content);
    r = cli(QStringList{"eeprom", "write"} + bench() + QStringList{"--size", "256", file});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    RUN_OK(r, QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", "256", good});
}

// A read that fails writes no file and leaves an old one as it was.
void TestCli::failedReadLeavesTheFileAlone()
{
    const QString out = path("dump.bin");
    writeFile(out, "previous");
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "A0"});
    r = cli(QStringList{"eeprom", "read"} + bench() +
            QStringList{"--size", "256", "--bench-fault", "data-nack,address=A0", out});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Data not acknowledged (reading byte 0x0000)"), qPrintable(r.err));
    QCOMPARE(fileBytes(out), QByteArray("previous"));

    r = cli(QStringList{"eeprom", "read"} + bench() + QStringList{"--size", "256", path("no/such/folder/x.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("x.bin: "), qPrintable(r.err));
    QVERIFY(!QFile::exists(path("no")));
}

// The chip (or the adapter) goes away during a 64 KB write: exit 1 with
// the status text and where it happened; no success on stdout.
void TestCli::chipLostMidWrite_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error");
    // Gone while a page write is polled: from the bus that is a chip that never ends its write cycle.
    QTest::newRow("chip removed") << "chip-removed,address=A0,after=300" << "I\u00B2C Time-Out (writing byte 0x";
    QTest::newRow("adapter removed") << "adapter-removed,after=300" << "Hardware not detected (writing byte 0x";
    QTest::newRow("bus stuck") << "bus-stuck,after=300" << "SCL/SDA stuck low (writing byte 0x";
}

void TestCli::chipLostMidWrite()
{
    QFETCH(QString, fault);
    QFETCH(QString, error);
    const QString in = path("in.bin");
    saveImage(in, patternImage(65536, 5));
    const Result r = cli(QStringList{"eeprom", "write"} + bench() +
                         QStringList{"--size", "64K", "--page", "128", "--bench-fault", fault, in});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY2(!r.err.contains("(writing byte 0x0000)"), qPrintable(r.err)); // it was mid-write
}

void TestCli::verifyFindsTheDifference()
{
    const QString a = path("a.bin"), b = path("b.bin");
    tp::MemoryImage image = patternImage(256, 1);
    saveImage(a, image);
    image.setCellText(0x42, "00");
    saveImage(b, image);
    Result r;
    RUN_OK(r, QStringList{"eeprom", "write"} + bench() + QStringList{"--size", "256", a});
    r = cli(QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", "256", b});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains("Device failed Verify at Address 0x42"), qPrintable(r.err));
    QVERIFY2(r.err.endsWith("tallyport-cli: Verification Error\n"), qPrintable(r.err));
}

// A .mem file brings the window's address, page size and write time;
// options given on the command line win.
void TestCli::memFileCarriesDeviceSettings()
{
    const QString mem = path("a6.mem");
    tp::MemSettings s;
    s.addressText = "A6";
    s.pageSize = 16;
    s.writeTimeMs = 7;
    tp::MemoryFiles::save(tp::MemoryKind::LargeEeprom, tp::FileType::Mem, mem.toStdString(), patternImage(4096, 2), s);
    Result r;
    RUN_OK(r, QStringList{"eeprom", "write"} + bench() + QStringList{"--size", "4K", "--trace", mem});
    QVERIFY2(r.err.contains("from " + mem + ": address 0xA6, page size 16, write time 7 ms"), qPrintable(r.err));
    QVERIFY2(r.err.contains("W A6 00 10 "), qPrintable(r.err)); // the second page starts at 0x0010
    RUN_OK(r, QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QVERIFY2(r.out.startsWith("0xA6 (7-bit 0x53)  EEPROM 4096  main bus (placed for a window)  starts "),
             qPrintable(r.out));
    QCOMPARE(r.out.count('\n'), 1);
    // --address wins over the file: the bench places a fresh EEPROM at A0.
    r = cli(QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", "4K", "--address", "A0", mem});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("from " + mem + ": page size 16, write time 7 ms\n"), qPrintable(r.err));
    QVERIFY2(r.err.contains("Device failed Verify at Address 0x00 Read value=0xFF"), qPrintable(r.err));
}

// An expert mode data file on a bench with an EEPROM at A0 and a PCF8574
// at 40: what each message printed, the bus log (--trace) and the status.
void TestCli::run_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("trace");

    QTest::newRow("all messages") << QStringList{} << 1
                                  << "01  A0  Write  00,10,11,12\n02  A0  Write  00\n03  A0  Read   10,11,12\n"
                                     "05  40  Write  5A\n06  40  Read   5A\n07  4E  Write  01  Address not acknowledged\n"
                                  << "W A0 00 10 11 12\nW A0 00\nSr R A1 10 11 12\nW 40 5A\nR 41 5A\n"
                                     "W 4E  -- Address not acknowledged\ntallyport-cli: message 7: Address not acknowledged\n";
    QTest::newRow("sequence") << QStringList{"--sequence", "06,05,06"} << 0
                              << "06  40  Read   FF\n05  40  Write  5A\n06  40  Read   5A\n"
                              << "R 41 FF\nW 40 5A\nR 41 5A\n";
    QTest::newRow("the file's sequence") << QStringList{"--file-sequence"} << 0 << "05  40  Write  5A\n06  40  Read   5A\n"
                                         << "W 40 5A\nR 41 5A\n";
    QTest::newRow("repeated") << QStringList{"--sequence", "05", "--repeat", "2"} << 0
                              << "-- pass 1\n05  40  Write  5A\n-- pass 2\n05  40  Write  5A\n"
                              << "W 40 5A\nW 40 5A\n";
    QTest::newRow("stops at a failure") << QStringList{"--sequence", "05,07,06"} << 1
                                        << "05  40  Write  5A\n07  4E  Write  01  Address not acknowledged\n"
                                        << "W 40 5A\nW 4E  -- Address not acknowledged\n"
                                           "tallyport-cli: message 7: Address not acknowledged\n";
    QTest::newRow("keeps going") << QStringList{"--sequence", "07,05", "--keep-going"} << 1
                                 << "07  4E  Write  01  Address not acknowledged\n05  40  Write  5A\n"
                                 << "W 4E  -- Address not acknowledged\nW 40 5A\n"
                                    "tallyport-cli: message 7: Address not acknowledged\n";
}

void TestCli::run()
{
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, trace);

    const QString file = path("messages.txt");
    writeFile(file, "Expert Mode Data File\r\n"
                    "A0,Write,Yes,10,00,10,11,12\r\n"
                    "A0,Write,No,0,00\r\n"
                    "A0,Read,Yes,0,FF,FF,FF,Comments: the three bytes back\r\n"
                    "// a comment line\r\n"
                    ",,,,,Comments: a row without data\r\n"
                    "40,Write,Yes,0,5A\r\n"
                    "40,Read,Yes,0,FF\r\n"
                    "4E,Write,Yes,0,01\r\n"
                    "Sequence:05,06\r\n");
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "A0"});
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "40"});
    r = cli(QStringList{"run"} + bench() + QStringList{"--trace", file} + options);
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, out);
    QCOMPARE(r.err, trace);
}

// --forever runs until Ctrl-C; stopping it so is how it ends, not a failure.
void TestCli::runForeverEndsOnCtrlC()
{
    const QString file = path("toggle.txt");
    writeFile(file, "Expert Mode Data File\r\n40,Write,Yes,1,55\r\n40,Write,Yes,1,AA\r\n");
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "40"});
    QProcess p;
    p.start(QStringLiteral(TALLYPORT_CLI), QStringList{"run"} + bench() + QStringList{file, "--forever"});
    QByteArray out;
    while (!out.contains("-- pass 3\n") && p.waitForReadyRead(10000))
        out += p.readAllStandardOutput();
    QVERIFY2(out.contains("-- pass 3\n"), out.constData());
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    out += p.readAllStandardOutput();
    QVERIFY2(out.startsWith("-- pass 1\n01  40  Write  55\n02  40  Write  AA\n-- pass 2\n"), out.constData());
    QVERIFY2(QString(p.readAllStandardError()).contains(QRegularExpression("run stopped in pass [3-9]")),
             "no stop notice");
    // The last pass was cut short, but the chip's state was kept.
    RUN_OK(r, QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QVERIFY2(r.out.startsWith("0x40 (7-bit 0x20)  PCF8574  main bus  latch "),
             qPrintable(r.out));
    QCOMPARE(r.out.count('\n'), 1);
}

void TestCli::scanShowsTheBenchChips()
{
    Result r;
    for (auto [type, address] : {std::pair{"PCF8574", "40"}, {"EEPROM 2048", "A0"}, {"PCA9548A", "E0"}})
        RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), type, address});
    RUN_OK(r, QStringList{"scan", "--bench-state", path("bench.txt")});
    QCOMPARE(r.out, QString("     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n"
                            "00:                         -- -- -- -- -- -- -- -- \n"
                            "10: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                            "20: 20 -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                            "30: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                            "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                            "50: 50 51 52 53 54 55 56 57 -- -- -- -- -- -- -- -- \n"
                            "60: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- \n"
                            "70: 70 -- -- -- -- -- -- --                         \n"));
    QCOMPARE(r.err, QString("Probed with quick write at 0x08-0x2F, 0x38-0x4F, 0x60-0x77; one-byte read at "
                            "0x30-0x37, 0x50-0x5F; 10 devices found\n"));
    // The probes as the bus log shows them: a quick write at 20, a read at 50.
    RUN_OK(r, QStringList{"scan", "--bench-state", path("bench.txt"), "--trace"});
    QVERIFY2(r.err.contains("\nW 40\n"), qPrintable(r.err));
    QVERIFY2(r.err.contains("\nR A1 "), qPrintable(r.err));
    QVERIFY2(r.err.contains("\nW 42  -- Address not acknowledged\n"), qPrintable(r.err));
    // A bus stuck low ends the scan: exit 1 with the status text.
    r = cli(QStringList{"scan", "--bench-state", path("bench.txt"), "--bench-fault", "bus-stuck,after=20"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QString("tallyport-cli: SCL/SDA stuck low (probing 0x1C)\n"));
}

// Register writes and reads as the windows make them: pointer and bytes in
// one write; pointer, then a read behind a repeated start.
void TestCli::registers()
{
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCA9555", "0x40"});
    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"--trace", "40", "06", "00", "0F"});
    QCOMPARE(r.out, QString("Transmission successful\n"));
    QCOMPARE(r.err, QString("W 40 06 00 0F\n"));
    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"0x40", "0x02", "0xA5"});
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "40", "06", "--count", "2"});
    QCOMPARE(r.out, QString("00 0F\n"));
    QCOMPARE(r.err, QString("W 40 06\nSr R 41 00 0F\n"));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"40", "0"});
    QCOMPARE(r.out, QString("A5\n")); // port 0 drives what register 2 holds
    r = cli(QStringList{"get"} + bench() + QStringList{"42", "0"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QString("tallyport-cli: Address not acknowledged\n"));
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");

    QTest::newRow("no command") << QStringList{} << "A subcommand is required";
    QTest::newRow("unknown command") << QStringList{"erase"} << "unknown command 'erase'";
    QTest::newRow("bad number") << QStringList{"get", "-a", "bench", "4G", "0"} << "'$4G' is not a valid integer value";
    QTest::newRow("not a byte") << QStringList{"set", "-a", "bench", "40", "0", "1FF"}
                                << "'1FF' is not a byte (hexadecimal 00 to FF)";
    QTest::newRow("read address") << QStringList{"get", "-a", "bench", "41", "0"}
                                  << "'41' is a read address: give the 8-bit write address 0x40";
    QTest::newRow("unknown adapter") << QStringList{"get", "-a", "i2c-999", "40", "0"}
                                     << "'i2c-999': no such I\u00B2C adapter";
    QTest::newRow("no adapter") << QStringList{"get", "40", "0"} << "--adapter is required";
    QTest::newRow("bad size") << QStringList{"eeprom", "read", "-a", "bench", "--size", "3000", "x.bin"}
                              << "'3000' is not a memory size: 16, 128, 256, 512, 1K, 2K, 4K, 8K, 16K, 32K, 64K";
    QTest::newRow("bad page") << QStringList{"eeprom", "read", "-a", "bench", "--size", "256", "--page", "64", "x.bin"}
                              << "--page 64: the page size of this memory is one of 1, 8, 16, 32";
    QTest::newRow("bad format") << QStringList{"eeprom", "read", "-a", "bench", "--size", "256", "--format", "s19", "x"}
                                << "--format s19 is not a memory file format";
    QTest::newRow("bad fault") << QStringList{"get", "-a", "bench", "--bench-fault", "gremlins", "40", "0"}
                               << "--bench-fault 'gremlins': KIND";
    QTest::newRow("sequence entry") << QStringList{"run", "-a", "bench", "--sequence", "0x", "m.txt"}
                                    << "'0x' is not a valid integer value";
    QTest::newRow("not a data file") << QStringList{"run", "-a", "bench", "plain.txt"}
                                     << "plain.txt: Invalid Text File";
    QTest::newRow("bad row") << QStringList{"run", "-a", "bench", "m.txt"}
                             << "message 2: '$Z1' is not a valid integer value";
    QTest::newRow("both sequences") << QStringList{"run", "-a", "bench", "--sequence", "01", "--file-sequence", "m.txt"}
                                    << "excludes";
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    writeFile(path("plain.txt"), "just some text\r\n");
    writeFile(path("m.txt"), "Expert Mode Data File\r\n40,Write,Yes,0,01\r\n40,Write,Yes,0,Z1\r\n");
    const Result r = cli(args);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY(!QFile::exists(path("x.bin")));
}

// A state file that is not one stops the command and stays as it was.
void TestCli::corruptBenchStateIsLeftAlone()
{
    const QByteArray text = "Tallyport bench state 1\nchip A0 EEPROM 99\n";
    writeFile(path("bench.txt"), text);
    const Result r = cli(QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("bench.txt: not a bench state: line 2: the bench has no chip type \"EEPROM 99\""),
             qPrintable(r.err));
    QCOMPARE(fileBytes(path("bench.txt")), text);
}

void TestCli::benchSaysItForgets()
{
    Result r;
    RUN_OK(r, (QStringList{"scan"}));
    QVERIFY2(r.err.contains("the simulated bench starts empty and forgets its chips when the command ends; "
                            "--bench-state FILE keeps them"),
             qPrintable(r.err));
    // With a state file the notice goes: only the scan's own summary is left.
    RUN_OK(r, (QStringList{"scan", "--bench-state", path("bench.txt")}));
    QVERIFY2(r.err.startsWith("Probed with "), qPrintable(r.err));
    QCOMPARE(r.err.count('\n'), 1);
}

void TestCli::helpEverywhere_data()
{
    QTest::addColumn<QStringList>("command");
    for (const char* c : {"", "adapters", "scan", "eeprom", "eeprom read", "eeprom write", "eeprom verify", "run", "get",
                          "set", "bench", "bench list", "bench types", "bench place", "bench remove"})
        QTest::newRow(*c ? c : "tool") << QString(c).split(' ', Qt::SkipEmptyParts);
}

void TestCli::helpEverywhere()
{
    QFETCH(QStringList, command);
    const Result r = cli(command + QStringList{"--help"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QString("Usage: tallyport-cli %1").arg(command.join(' ')).trimmed()), qPrintable(r.out));
    QVERIFY2(r.out.contains("Exit status: 0 success; 1 bus failure"), qPrintable(r.out));
    QVERIFY2(r.out.contains("2 usage or file\nerror"), qPrintable(r.out));
}

void TestCli::adapters()
{
    Result r;
    RUN_OK(r, (QStringList{"adapters"}));
    QVERIFY2(r.out.startsWith("bench\tsimulated \tSimulated bench"), qPrintable(r.out));
}

// A pipe gets no progress (the round trips check an empty error stream);
// a terminal gets one line, redrawn in place per percent and cleared at the
// end so the result line stands alone.
void TestCli::progressOnlyOnATerminal()
{
    const QString in = path("in.bin");
    saveImage(in, patternImage(4096, 9));
    const QByteArray file = in.toLocal8Bit(), state = path("bench.txt").toLocal8Bit();
    const char* const argv[] = {"tallyport-cli", "eeprom", "write", "-a", "bench", "--bench-state",
                                state.constData(), "--size", "4K", file.constData()};
    std::ostringstream out, err;
    tp::cli::Console console{out, err, true, false};
    QCOMPARE(tp::cli::runCli(int(std::size(argv)), argv, console), 0);
    QCOMPARE(QString::fromStdString(out.str()), QString("Write and Verify Successful\n"));

    const QString e = QString::fromStdString(err.str());
    QVERIFY2(!e.contains('\n'), qPrintable(e)); // one line, never scrolled
    QVERIFY2(e.startsWith("\rWriting   0 %\rWriting   1 %"), qPrintable(e));
    for (const char* step : {"\rWriting 100 %\r\033[K\rVerifying ", "\rVerifying 100 %\r\033[K"})
        QVERIFY2(e.contains(step), qPrintable(e));
    QVERIFY2(e.endsWith("\r\033[K"), qPrintable(e));
    QCOMPARE(e.count("\rWriting "), 101); // each percent drawn once
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
