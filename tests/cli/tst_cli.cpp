// tallyport-cli as a user runs it: each case starts the real program and
// checks its exit status, what it printed and what it left in files.
#include "cli/CliApp.h"
#include "core/bus/BusLogExport.h"
#include "core/memory/MemoryFiles.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/MemoryKind.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SimulatedAdapter.h"

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

// A memory file as the memory windows save it: address A0, the size's
// usual page, 10 ms.
void saveImage(const QString& path, const tp::MemoryImage& image)
{
    tp::MemSettings s;
    s.addressText = "A0";
    s.pageSize = static_cast<int>(tp::datasheetPageSize(image.size()));
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
    void benchStateFromBeforeReadsAsSevenBit();
    void eepromPageBySize_data();
    void eepromPageBySize();
    void transfer_data();
    void transfer();
    void exportedLogReplaysOnTheBench();
    void chipsWithoutRegistersWordsAndOffsets();
    void dump();
    void getRepeats();

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
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    r = cli(QStringList{"eeprom", "read"} + bench() +
            QStringList{"--size", "256", "--bench-fault", "data-nack,address=50", out});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Data not acknowledged (reading byte 0x0000)"), qPrintable(r.err));
    QCOMPARE(fileBytes(out), QByteArray("previous"));

    // A destination that cannot be written is found before the first transfer.
    r = cli(QStringList{"eeprom", "read"} + bench() +
            QStringList{"--size", "256", "--trace", path("no/such/folder/x.bin")});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains("x.bin: Failed to open or create file (there is no folder "), qPrintable(r.err));
    QVERIFY2(!r.err.contains("A1"), qPrintable(r.err)); // no bus message in the trace
    QVERIFY(!QFile::exists(path("no")));
    QVERIFY(QDir(m_dir->path()).mkdir("folder.bin"));
    r = cli(QStringList{"eeprom", "read"} + bench() + QStringList{"--size", "256", "--trace", path("folder.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("Failed to open or create file (it is a folder)"), qPrintable(r.err));
    QVERIFY2(!r.err.contains("A1"), qPrintable(r.err));
}

// The chip (or the adapter) goes away during a 64 KB write: exit 1 with
// the status text and where it happened; no success on stdout.
void TestCli::chipLostMidWrite_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error");
    // Gone while a page write is polled: from the bus that is a chip that never ends its write cycle.
    QTest::newRow("chip removed") << "chip-removed,address=50,after=300" << "I\u00B2C Time-Out (writing byte 0x";
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
    QVERIFY2(r.err.contains("from " + mem + ": address 0x53, page size 16, write time 7 ms"), qPrintable(r.err));
    QVERIFY2(r.err.contains("W A6 00 10 "), qPrintable(r.err)); // the second page starts at 0x0010
    RUN_OK(r, QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QVERIFY2(r.out.startsWith("0x53  EEPROM 4096  main bus (placed for a window)  starts "), qPrintable(r.out));
    QCOMPARE(r.out.count('\n'), 1);
    // --address wins over the file: the bench places a fresh EEPROM at 0x50.
    r = cli(QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", "4K", "--address", "50", mem});
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
                                  << "01  0x50  Write  00,10,11,12\n02  0x50  Write  00\n03  0x50  Read   10,11,12\n"
                                     "05  0x20  Write  5A\n06  0x20  Read   5A\n"
                                     "07  0x27  Write  01  Address not acknowledged\n"
                                  << "W A0 00 10 11 12\nW A0 00\nSr R A1 10 11 12\nW 40 5A\nR 41 5A\n"
                                     "W 4E  -- Address not acknowledged\ntallyport-cli: message 7: Address not acknowledged\n";
    QTest::newRow("sequence") << QStringList{"--sequence", "06,05,06"} << 0
                              << "06  0x20  Read   FF\n05  0x20  Write  5A\n06  0x20  Read   5A\n"
                              << "R 41 FF\nW 40 5A\nR 41 5A\n";
    QTest::newRow("the file's sequence") << QStringList{"--file-sequence"} << 0
                                         << "05  0x20  Write  5A\n06  0x20  Read   5A\n"
                                         << "W 40 5A\nR 41 5A\n";
    QTest::newRow("repeated") << QStringList{"--sequence", "05", "--repeat", "2"} << 0
                              << "-- pass 1\n05  0x20  Write  5A\n-- pass 2\n05  0x20  Write  5A\n"
                              << "W 40 5A\nW 40 5A\n";
    QTest::newRow("stops at a failure") << QStringList{"--sequence", "05,07,06"} << 1
                                        << "05  0x20  Write  5A\n07  0x27  Write  01  Address not acknowledged\n"
                                        << "W 40 5A\nW 4E  -- Address not acknowledged\n"
                                           "tallyport-cli: message 7: Address not acknowledged\n";
    QTest::newRow("keeps going") << QStringList{"--sequence", "07,05", "--keep-going"} << 1
                                 << "07  0x27  Write  01  Address not acknowledged\n05  0x20  Write  5A\n"
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
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "20"});
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
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "20"});
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
    QVERIFY2(out.startsWith("-- pass 1\n01  0x20  Write  55\n02  0x20  Write  AA\n-- pass 2\n"), out.constData());
    QVERIFY2(QString(p.readAllStandardError()).contains(QRegularExpression("run stopped in pass [3-9]")),
             "no stop notice");
    // The last pass was cut short, but the chip's state was kept.
    RUN_OK(r, QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QVERIFY2(r.out.startsWith("0x20  PCF8574  main bus  latch "), qPrintable(r.out));
    QCOMPARE(r.out.count('\n'), 1);
}

void TestCli::scanShowsTheBenchChips()
{
    Result r;
    for (auto [type, address] : {std::pair{"PCF8574", "20"}, {"EEPROM 2048", "50"}, {"PCA9548A", "70"}})
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
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCA9555", "0x20"});
    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"--trace", "20", "06", "00", "0F"});
    QCOMPARE(r.out, QString("Transmission successful\n"));
    QCOMPARE(r.err, QString("W 40 06 00 0F\n"));
    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"0x20", "0x02", "0xA5"});
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "20", "06", "--count", "2"});
    QCOMPARE(r.out, QString("00 0F\n"));
    QCOMPARE(r.err, QString("W 40 06\nSr R 41 00 0F\n"));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"20", "0"});
    QCOMPARE(r.out, QString("A5\n")); // port 0 drives what register 2 holds
    r = cli(QStringList{"get"} + bench() + QStringList{"21", "0"});
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
    QTest::newRow("8-bit address") << QStringList{"get", "-a", "bench", "A0", "0"}
                                   << "'A0' is not a 7-bit address (0x08 to 0x77, as i2cdetect shows them): the "
                                      "8-bit address 0xA0 is 7-bit 0x50";
    QTest::newRow("8-bit eeprom address") << QStringList{"eeprom", "read", "-a", "bench", "--size", "256", "--address",
                                                         "A0", "x.bin"}
                                          << "the 8-bit address 0xA0 is 7-bit 0x50";
    QTest::newRow("reserved address") << QStringList{"set", "-a", "bench", "00", "06"}
                                      << "'00' is a reserved address: 7-bit addresses are 0x08 to 0x77 "
                                         "(--all-addresses allows 0x00 to 0x7F)";
    QTest::newRow("unknown adapter") << QStringList{"get", "-a", "i2c-999", "40", "0"}
                                     << "'i2c-999': no such I\u00B2C adapter: give N, i2c-N, /dev/i2c-N or the "
                                        "adapter's name";
    QTest::newRow("unknown adapter number") << QStringList{"get", "-a", "999", "40", "0"}
                                            << "'999': no such I\u00B2C adapter";
    QTest::newRow("frequency") << QStringList{"get", "-a", "bench", "--frequency", "2000", "40", "0"}
                               << "--frequency 2000: 1 to 1000 kHz";
    QTest::newRow("no such message") << QStringList{"run", "-a", "bench", "--sequence", "09", "g.txt"}
                                     << "--sequence 09: the file has no message 09: give two-digit message numbers "
                                        "01 to 02, separated by commas (03,01)";
    QTest::newRow("message 00") << QStringList{"run", "-a", "bench", "--sequence", "01,00", "g.txt"}
                                << "the file has no message 00";
    QTest::newRow("empty sequence") << QStringList{"run", "-a", "bench", "--sequence", "", "g.txt"}
                                    << "--sequence is empty: give two-digit message numbers 01 to 02";
    QTest::newRow("transfer syntax") << QStringList{"transfer", "-a", "bench", "w2@0x50", "0x00"}
                                     << "the last write message has 1 of its 2 data bytes";
    QTest::newRow("transfer 8-bit address") << QStringList{"transfer", "-a", "bench", "r1@0xa0"}
                                            << "the address is 7-bit, 0x08 to 0x77";
    QTest::newRow("script line") << QStringList{"transfer", "-a", "bench", "--from-script", "bad.sh"}
                                 << "bad.sh line 3: 'r1@0x10x': the address is 7-bit";
    QTest::newRow("word with count") << QStringList{"get", "-a", "bench", "50", "00", "--word", "--count", "2"}
                                     << "--word reads one 16-bit word: not with --count";
    QTest::newRow("16-bit offset") << QStringList{"set", "-a", "bench", "50", "10000", "00", "--reg16"}
                                   << "'10000' is not a 16-bit register offset";
    QTest::newRow("times without interval") << QStringList{"get", "-a", "bench", "50", "--times", "3"}
                                            << "--times needs --interval";
    QTest::newRow("dump mode") << QStringList{"dump", "-a", "bench", "50", "q"} << "mode 'q' is one of b (byte)";
    QTest::newRow("dump range") << QStringList{"dump", "-a", "bench", "50", "-r", "20-10"}
                                << "-r '20-10': FIRST-LAST, registers 00 to FF";
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
    writeFile(path("g.txt"), "Expert Mode Data File\r\n40,Write,Yes,0,01\r\n40,Read,Yes,0,FF\r\n");
    writeFile(path("bad.sh"), "#!/bin/sh\ni2ctransfer -y 1 w1@0x50 0x00\ni2ctransfer -y 1 r1@0x10x\n");
    // Traced: a refused command line shows no bus message.
    const bool bus = args.size() > 1 && args.contains("-a");
    const Result r = cli(bus ? args + QStringList{"--trace"} : args);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY2(!r.err.contains(QRegularExpression("^(Sr )?[RW] [0-9A-F]{2}", QRegularExpression::MultilineOption)),
             qPrintable(r.err));
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
                          "set", "transfer", "dump", "bench", "bench list", "bench types", "bench place",
                          "bench remove"})
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

// A state file written when the command line took 8-bit addresses keeps
// its chips where they were; they are shown and reached by their 7-bit form.
void TestCli::benchStateFromBeforeReadsAsSevenBit()
{
    writeFile(path("bench.txt"), "Tallyport bench state 1\nchip 40 PCF8574\nchip A0 EEPROM 256\n");
    Result r;
    RUN_OK(r, QStringList{"bench", "list", "--bench-state", path("bench.txt")});
    QCOMPARE(r.out, QString("0x20  PCF8574  main bus  latch FF, pins FF\n0x50  EEPROM 256  main bus  all FF\n"));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "20"});
    QCOMPARE(r.err, QString("R 41 FF\n"));
}

// Without --page a write uses the page its size has in the datasheets,
// as the bench's EEPROM of that size has it: the second page starts there.
void TestCli::eepromPageBySize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("secondPage");
    QTest::newRow("24C02") << 256 << "W A0 08 ";
    QTest::newRow("24C16") << 2048 << "W A0 10 ";
    QTest::newRow("24C64") << 8192 << "W A0 00 20 ";
    QTest::newRow("24C256") << 32768 << "W A0 00 40 ";
    QTest::newRow("24C512") << 65536 << "W A0 00 80 ";
}

void TestCli::eepromPageBySize()
{
    QFETCH(int, size);
    QFETCH(QString, secondPage);
    const QString in = path("in.bin");
    saveImage(in, patternImage(static_cast<std::size_t>(size), 4));
    Result r;
    RUN_OK(r, QStringList{"eeprom", "write"} + bench() +
                  QStringList{"--size", QString::number(size), "--no-verify", "--trace", "--frequency", "400", in});
    QVERIFY2(r.err.contains("\n" + secondPage), qPrintable(r.err.left(300)));
    // A page write never spills over: the bench's chip holds the file.
    RUN_OK(r, QStringList{"eeprom", "verify"} + bench() + QStringList{"--size", QString::number(size), in});
}

// One transaction, repeated starts between its messages, on a bench with an
// EEPROM at 0x50 that holds 10 11 12 13 from 0 on and a PCF8574 at 0x20.
void TestCli::transfer_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("trace");
    QTest::newRow("pointer, then read") << QStringList{"w1@0x50", "0x00", "r4"} << 0 << "0x10 0x11 0x12 0x13\n"
                                        << "W A0 00\nSr R A1 10 11 12 13\n";
    QTest::newRow("reads of two chips") << QStringList{"w1@0x50", "0x01", "r2", "r1@0x20"} << 0 << "0x11 0x12\n0xff\n"
                                        << "W A0 01\nSr R A1 11 12\nSr R 41 FF\n";
    QTest::newRow("port write") << QStringList{"w1@0x20", "0x5a"} << 0 << "" << "W 40 5A\n";
    QTest::newRow("filled write") << QStringList{"w5@0x50", "0x20", "0xfe+"} << 0 << "" << "W A0 20 FE FF 00 01\n";
    QTest::newRow("nobody there") << QStringList{"r1@0x33"} << 1 << ""
                                  << "R 67  -- Address not acknowledged\ntallyport-cli: Address not acknowledged\n";
}

void TestCli::transfer()
{
    QFETCH(QStringList, messages);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, trace);
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "20"});
    RUN_OK(r, QStringList{"transfer"} + bench() + QStringList{"w5@0x50", "0x00", "0x10+"});
    QTest::qWait(20); // the EEPROM's write cycle
    r = cli(QStringList{"transfer"} + bench() + QStringList{"--trace"} + messages);
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, out);
    QCOMPARE(r.err, trace);
}

// A bus log exported as an i2ctransfer script (as the bus log window saves
// it) replays on a fresh bench with the same successful messages.
void TestCli::exportedLogReplaysOnTheBench()
{
    tp::sim::SimulatedAdapter recorded;
    tp::sim::registerStandardChips(recorded);
    recorded.place(0xA0, std::make_unique<tp::sim::EepromChip>(tp::sim::EepromChip::typical(256)));
    QCOMPARE(int(recorded.write(0xA0, {0x08, 'T', 'a', 'l', 'l', 'y', 'p', 'o', 'r'})), 0);
    int polls = 0;
    while (recorded.write(0xA0, {}) != 0 && ++polls < 100) // acknowledge polling, as the windows do
        recorded.elapse(1000);
    QVERIFY(polls > 0); // the script must carry a busy chip
    std::vector<std::uint8_t> got;
    QCOMPARE(int(recorded.writeRead(0xA0, {0x08}, 8, got)), 0);
    QCOMPARE(int(recorded.read(0xA0, 2, got)), 0);

    QString expected;
    for (const tp::BusLogEntry& e : recorded.log().entries()) {
        if (e.isNote() || e.status != 0)
            continue;
        expected += QString(e.repeatedStart ? "Sr " : "") + (e.read ? "R " : "W ") +
                    QString::asprintf("%02X", e.read ? e.address | 1 : e.address);
        for (std::uint8_t b : e.bytes)
            expected += QString::asprintf(" %02X", b);
        expected += '\n';
    }
    const std::string script = tp::buslog::toI2cTransferScript(recorded.log().entries(), std::nullopt, recorded.name());
    QVERIFY(QString::fromStdString(script).contains("\nsleep 0.0"));
    writeFile(path("replay.sh"), QByteArray::fromStdString(script));

    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    RUN_OK(r, QStringList{"transfer"} + bench() + QStringList{"--trace", "--from-script", path("replay.sh")});
    QCOMPARE(r.err, expected);
    QCOMPARE(r.out, QString("0x54 0x61 0x6c 0x6c 0x79 0x70 0x6f 0x72\n0xff 0xff\n"));
}

// A port expander without registers, a register read as a word, and a
// memory with two-byte offsets.
void TestCli::chipsWithoutRegistersWordsAndOffsets()
{
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "20"});
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 65536", "51"});

    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"--trace", "20", "5A"}); // send byte
    QCOMPARE(r.err, QString("W 40 5A\n"));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "20"}); // receive byte
    QCOMPARE(r.out, QString("5A\n"));
    QCOMPARE(r.err, QString("R 41 5A\n"));

    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"--trace", "50", "10", "BEEF", "--word"});
    QCOMPARE(r.err, QString("W A0 10 EF BE\n")); // low byte first
    QTest::qWait(20);
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "50", "10", "-w"});
    QCOMPARE(r.out, QString("BEEF\n"));
    QCOMPARE(r.err, QString("W A0 10\nSr R A1 EF BE\n"));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "50", "--count", "2"}); // where the pointer stands
    QCOMPARE(r.out, QString("FF FF\n"));
    QCOMPARE(r.err, QString("R A1 FF FF\n"));

    RUN_OK(r, QStringList{"set"} + bench() + QStringList{"--trace", "51", "1234", "AA", "BB", "--reg16"});
    QCOMPARE(r.err, QString("W A2 12 34 AA BB\n"));
    QTest::qWait(20);
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"--trace", "51", "1233", "--reg16", "--count", "3"});
    QCOMPARE(r.out, QString("FF AA BB\n"));
    QCOMPARE(r.err, QString("W A2 12 33\nSr R A3 FF AA BB\n"));
}

void TestCli::dump()
{
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "EEPROM 256", "50"});
    RUN_OK(r, QStringList{"transfer"} + bench() +
                  QStringList{"w9@0x50", "0x08", "0x54", "0x61", "0x6c", "0x6c", "0x79", "0x0a", "0x00", "0x7f"});
    QTest::qWait(20);
    const QString header = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    RUN_OK(r, QStringList{"dump"} + bench() + QStringList{"50", "-r", "04-13", "--trace"});
    QCOMPARE(r.out, header + "00:             ff ff ff ff 54 61 6c 6c 79 0a 00 7f        ....Tally?.?\n"
                             "10: ff ff ff ff                                        ....            \n");
    QVERIFY2(r.err.startsWith("W A0 04\nSr R A1 FF\nW A0 05\n"), qPrintable(r.err.left(200))); // a read per register

    // A read that fails shows XX and the dump goes on.
    RUN_OK(r, QStringList{"dump"} + bench() +
                  QStringList{"50", "-r", "08-0B", "--bench-fault", "data-nack,address=50,after=1,count=1"});
    const QString blank(3, ' ');
    QCOMPARE(r.out, header + "00: " + blank.repeated(8) + "54 XX 6c 6c " + blank.repeated(4) + "   " + "        TXll    \n");
    QCOMPARE(r.err, QString("tallyport-cli: Data not acknowledged (reading register 0x09)\n"));

    RUN_OK(r, QStringList{"dump"} + bench() + QStringList{"50", "w", "-r", "08-0B"});
    QCOMPARE(r.out, QString("     0,8  1,9  2,a  3,b  4,c  5,d  6,e  7,f\n"
                            "08: 6154 6c61 6c6c 796c                     \n"));
    RUN_OK(r, QStringList{"dump"} + bench() + QStringList{"50", "i", "-r", "08-0B", "--format", "csv", "--trace"});
    QCOMPARE(r.out, QString("register,value\n0x08,0x54\n0x09,0x61\n0x0a,0x6c\n0x0b,0x6c\n"));
    QCOMPARE(r.err, QString("W A0 08\nSr R A1 54 61 6C 6C\n")); // one block read
    RUN_OK(r, QStringList{"dump"} + bench() + QStringList{"50", "c", "-r", "08-09", "--trace"});
    QCOMPARE(r.err, QString("W A0 08\nR A1 54\nR A1 61\n")); // the pointer once, then byte after byte

    // Nobody there: every read fails, and that is a failure.
    r = cli(QStringList{"dump"} + bench() + QStringList{"33", "-r", "00-03"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, header + "00: XX XX XX XX                                        XXXX            \n");
    QCOMPARE(r.err, QString("tallyport-cli: Address not acknowledged (reading register 0x00); 4 reads failed\n"));
}

void TestCli::getRepeats()
{
    Result r;
    RUN_OK(r, QStringList{"bench", "place", "--bench-state", path("bench.txt"), "PCF8574", "20"});
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"20", "--interval", "10", "--times", "3", "--format", "csv"});
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    for (const QString& l : lines)
        QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3},FF$").match(l).hasMatch(),
                 qPrintable(l));
    RUN_OK(r, QStringList{"get"} + bench() + QStringList{"20", "--interval", "5", "--times", "2"});
    QVERIFY2(QRegularExpression("^\\S+ \\S+  FF\\n\\S+ \\S+  FF\\n$").match(r.out).hasMatch(), qPrintable(r.out));

    // Until Ctrl-C, which ends it as the way to stop.
    QProcess p;
    p.start(QStringLiteral(TALLYPORT_CLI), QStringList{"get"} + bench() + QStringList{"20", "--interval", "10"});
    QByteArray out;
    while (out.count('\n') < 3 && p.waitForReadyRead(10000))
        out += p.readAllStandardOutput();
    QVERIFY(out.count('\n') >= 3);
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
