#include "core/common/Errors.h"
#include "core/memory/CsvFile.h"
#include "core/memory/FileBytes.h"
#include "core/memory/IntelHexFile.h"
#include "core/memory/MemoryFiles.h"
#include "tests/support/MemoryImages.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tp;
using namespace memtest;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QByteArray seq(int n, int first = 0)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(first + i);
    return b;
}

QByteArray lines(const QList<QByteArray>& l, const QByteArray& end = "\r\n")
{
    QByteArray out;
    for (const auto& x : l)
        out += x + end;
    return out;
}

const QByteArray kEnd = ":00000001FF";

} // namespace

class TestMemoryTextFiles : public QObject {
    Q_OBJECT
private slots:
    void init();

    void hexWriterLayout();
    void hexAllFF();
    void hexToolOutput_data();
    void hexToolOutput();
    void hexSegmentAddress();
    void hexRefusals_data();
    void hexRefusals();
    void oversizedFilesRefusedUnread_data();
    void oversizedFilesRefusedUnread();

    void csvWriterLayout();
    void csvSeparator_data();
    void csvSeparator();
    void csvReading_data();
    void csvReading();
    void csvPartialFiles();
    void csvQuotedTexts();

private:
    std::string path(const QString& name) const { return m_dir->filePath(name).toStdString(); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMemoryTextFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// ------------------------------------------------------------------ Intel HEX

void TestMemoryTextFiles::hexWriterLayout()
{
    MemoryImage image(48);
    image.display(0, std::vector<std::uint8_t>(16, 0xFF));
    const QByteArray data = seq(16);
    image.display(16, std::span(reinterpret_cast<const std::uint8_t*>(data.constData()), 16));
    image.setCellText(32, "a");
    image.setCellText(33, "7E");

    // All-FF rows are skipped; every other row is one 16-byte data record.
    const std::string text = IntelHexFile::encode(image, CellRead::Exact);
    QCOMPARE(q(text), QString(":10001000000102030405060708090A0B0C0D0E0F68\r\n"
                              ":100020000A7EFFFFFFFFFFFFFFFFFFFFFFFFFFFF56\r\n"
                              ":00000001FF\r\n"));
    QCOMPARE(hexRecord(0x10, 0, seq(16)), QByteArray(":10001000000102030405060708090A0B0C0D0E0F68"));
}

void TestMemoryTextFiles::hexAllFF()
{
    MemoryFiles::save(MemoryKind::LargeRam, FileType::Hex, path("ff.hex"), MemoryImage(4096), {});
    QCOMPARE(readFile(path("ff.hex")), QByteArray(":00000001FF\r\n"));

    // Reading starts from all FF: whatever the image held is replaced.
    MemoryImage image = sentinel(4096);
    const FileLoad r = MemoryFiles::load(MemoryKind::LargeRam, FileType::Hex, path("ff.hex"), image);
    QVERIFY(r.loaded);
    QCOMPARE(r.changed, (CellRange{0, 4096}));
    QVERIFY(holds(image, QByteArray(4096, char(0xFF))));
}

void TestMemoryTextFiles::hexToolOutput_data()
{
    QTest::addColumn<QByteArray>("file");

    // Output shaped as objcopy and srec_cat write it: an extended linear
    // address record first, start address records, 16 or 32 bytes a line.
    QTest::newRow("linear address first, 16 a line")
        << lines({hexRecord(0, 4, QByteArray(2, 0)), hexRecord(0x10, 0, seq(16, 0x10)),
                  hexRecord(0x100, 0, seq(16, 0x40)), hexRecord(0, 5, QByteArray::fromHex("00000100")), kEnd});
    QTest::newRow("32 a line, segment start record")
        << lines({hexRecord(0x00, 0, QByteArray(16, char(0xFF)) + seq(16, 0x10)), hexRecord(0x100, 0, seq(16, 0x40)),
                  hexRecord(0, 3, QByteArray::fromHex("00001000")), kEnd});
    // python intelhex style: LF line ends, lower-case digits also accepted.
    QTest::newRow("LF and lower case")
        << lines({hexRecord(0, 4, QByteArray(2, 0)).toLower(), hexRecord(0x10, 0, seq(16, 0x10)).toLower(),
                  hexRecord(0x100, 0, seq(16, 0x40)), kEnd},
                 "\n");
    QTest::newRow("no end record, no last line end, blank lines")
        << (lines({"", hexRecord(0x10, 0, seq(16, 0x10)), "  "}) + hexRecord(0x100, 0, seq(16, 0x40)));
    QTest::newRow("anything after the end record is ignored")
        << lines({hexRecord(0x10, 0, seq(16, 0x10)), hexRecord(0x100, 0, seq(16, 0x40)), kEnd, "garbage",
                  hexRecord(0x200, 0, seq(4))});
}

void TestMemoryTextFiles::hexToolOutput()
{
    QFETCH(QByteArray, file);
    writeFile(path("tool.hex"), file);

    MemoryImage image = sentinel(512);
    const FileLoad r = MemoryFiles::load(MemoryKind::SmallRam, FileType::Hex, path("tool.hex"), image);
    QVERIFY(r.loaded);
    QVERIFY(!r.status);
    // The address records' payloads are not data: 0 and 1 stay FF.
    QVERIFY(holds(image, QByteArray(16, char(0xFF)), 0));
    QVERIFY(holds(image, seq(16, 0x10), 0x10));
    QVERIFY(holds(image, QByteArray(0x100 - 0x20, char(0xFF)), 0x20));
    QVERIFY(holds(image, seq(16, 0x40), 0x100));
    QVERIFY(holds(image, QByteArray(512 - 0x110, char(0xFF)), 0x110));
}

void TestMemoryTextFiles::hexSegmentAddress()
{
    // Segment 0100 puts offset 0010 at 0x1010; a linear base 0 sets it
    // back; offsets wrap within a segment but not past a linear base.
    writeFile(path("seg.hex"), lines({hexRecord(0, 2, QByteArray::fromHex("0100")), hexRecord(0x10, 0, seq(4, 1)),
                                      hexRecord(0, 4, QByteArray::fromHex("0000")), hexRecord(0x20, 0, seq(2, 9)),
                                      hexRecord(0, 2, QByteArray::fromHex("0000")), hexRecord(0xFFFF, 0, seq(2, 7)),
                                      kEnd}));
    MemoryImage image(65536);
    FileLoad r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Hex, path("seg.hex"), image);
    QVERIFY(r.loaded);
    QVERIFY(holds(image, seq(4, 1), 0x1010));
    QVERIFY(holds(image, seq(2, 9), 0x20));
    QVERIFY(holds(image, seq(1, 7), 0xFFFF));
    QVERIFY(holds(image, seq(1, 8), 0));
    QCOMPARE(image.value(0x10), std::uint8_t(0xFF));

    writeFile(path("lin.hex"), lines({hexRecord(0, 4, QByteArray::fromHex("0000")), hexRecord(0xFFFF, 0, seq(2, 7))}));
    r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Hex, path("lin.hex"), image);
    QVERIFY(!r.loaded);
    QCOMPARE(q(r.status.value_or(StatusMessage{}).text), QString("  Invalid Hex File Address"));
}

void TestMemoryTextFiles::hexRefusals_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("status");

    const QString invalid = "  Invalid Hex File";
    const QString address = "  Invalid Hex File Address";
    const QByteArray good = hexRecord(0, 0, seq(16));
    QByteArray badSum = hexRecord(0x10, 0, seq(16));
    badSum.chop(1);
    badSum += "0";
    const auto add = [&](const char* name, const QList<QByteArray>& l, const QString& status,
                         MemoryKind k = MemoryKind::SmallRam, int size = 256) {
        QTest::newRow(name) << int(k) << size << lines(l) << status;
    };
    add("second line without colon", {good, "10001000000102030405060708090A0B0C0D0E0F68", kEnd}, invalid);
    add("checksum", {good, badSum, kEnd}, invalid);
    add("count longer than the line", {good, ":10002000000102030405060708090A0B0C0D0EC9", kEnd}, invalid);
    add("count shorter than the line", {good, ":0F001000000102030405060708090A0B0C0D0E0F69", kEnd}, invalid);
    add("odd digit count", {good, hexRecord(0x10, 0, seq(4)) + "0", kEnd}, invalid);
    add("non-hex digit", {good, ":1000100000010203040506070809GA0B0C0D0E0F68", kEnd}, invalid);
    add("record too short", {good, ":00000001", kEnd}, invalid);
    add("unknown record type", {good, hexRecord(0, 6, seq(2)), kEnd}, invalid);
    add("address record of 3 bytes", {good, hexRecord(0, 4, seq(3)), kEnd}, invalid);
    add("address beyond the image", {good, hexRecord(0x100, 0, seq(1)), kEnd}, address);
    add("record running past the end", {good, hexRecord(0xF8, 0, seq(16)), kEnd}, address);
    add("linear base beyond 64K", {hexRecord(0, 4, QByteArray::fromHex("0001")), good, kEnd}, address,
        MemoryKind::LargeRam, 65536);
    add("segment base beyond the image", {hexRecord(0, 2, QByteArray::fromHex("1000")), good, kEnd}, address,
        MemoryKind::LargeEeprom, 4096);
    // The small EEPROM window says so as well.
    add("small EEPROM: junk line", {good, "junk", kEnd}, invalid, MemoryKind::SmallEeprom);
    add("small EEPROM: address", {hexRecord(0x100, 0, seq(1))}, address, MemoryKind::SmallEeprom);
    // Without a single record a file is no image, not an empty one.
    const auto raw = [&](const char* name, const QByteArray& file, MemoryKind k = MemoryKind::LargeRam) {
        QTest::newRow(name) << int(k) << 4096 << file << invalid;
    };
    raw("256 zero bytes", QByteArray(256, '\0'));
    raw("blanks and control characters", QByteArray(" \t\x01\x02\r\n\x1F \x0B\x0C\r\n\x1B"));
    raw("empty file", QByteArray());
    raw("blank lines only", "\r\n\r\n  \r\n");
    raw("small RAM: zero bytes", QByteArray(64, '\0'), MemoryKind::SmallRam);
}

void TestMemoryTextFiles::hexRefusals()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QByteArray, file);
    QFETCH(QString, status);

    writeFile(path("bad.hex"), file);
    MemoryImage image = sentinel(size);
    const MemoryImage before = image;
    const FileLoad r = MemoryFiles::load(MemoryKind(kind), FileType::Hex, path("bad.hex"), image);
    QVERIFY(!r.loaded);
    QVERIFY(r.changed.empty());
    QVERIFY(sameCells(image, before));
    QCOMPARE(r.status.has_value(), !status.isEmpty());
    if (r.status) {
        QCOMPARE(q(r.status->text), status);
        QCOMPARE(r.status->background, colour::Red);
        QCOMPARE(r.status->textColour, colour::White);
        QCOMPARE(r.status->align, Align::Centre);
    }
}

void TestMemoryTextFiles::oversizedFilesRefusedUnread_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("content"); // a sound file, padded to the size below
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("refused");

    const QByteArray hex = lines({hexRecord(0, 0, seq(16)), kEnd});
    const QByteArray csv = lines({"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F"});
    const qint64 hexMax = qint64(IntelHexFile::kMaxFileSize);
    const qint64 csvMax = qint64(CsvFile::kMaxFileSize);
    QTest::newRow("hex at the limit") << int(FileType::Hex) << hex << hexMax << false;
    QTest::newRow("hex a byte above") << int(FileType::Hex) << hex << hexMax + 1 << true;
    QTest::newRow("csv at the limit") << int(FileType::Csv) << csv << csvMax << false;
    QTest::newRow("csv a byte above") << int(FileType::Csv) << csv << csvMax + 1 << true;
    QTest::newRow("hex of 1 GiB") << int(FileType::Hex) << QByteArray() << (qint64(1) << 30) << true;
    QTest::newRow("csv of 1 GiB") << int(FileType::Csv) << QByteArray() << (qint64(1) << 30) << true;
}

void TestMemoryTextFiles::oversizedFilesRefusedUnread()
{
    QFETCH(int, type);
    QFETCH(QByteArray, content);
    QFETCH(qint64, size);
    QFETCH(bool, refused);

    // Blank lines after the last record are skipped by both readers; the
    // 1 GiB files are sparse, so they take no room on the disk.
    QFile f(QString::fromStdString(path("big")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (!content.isEmpty()) {
        f.write(content);
        f.write(QByteArray(size - content.size(), '\n'));
    } else {
        QVERIFY(f.resize(size));
    }
    f.close();
    QCOMPARE(f.size(), size);

    MemoryImage image = sentinel(4096);
    const MemoryImage before = image;
    FileLoad r;
    const QString error =
        errorOf([&] { r = MemoryFiles::load(MemoryKind::LargeRam, FileType(type), path("big"), image); });
    if (refused) {
        QCOMPARE(error, QString(FileBytes::kTooLarge));
        QVERIFY(sameCells(image, before));
    } else {
        QCOMPARE(error, QString());
        QVERIFY(r.loaded);
        QCOMPARE(texts(image, 0, 2), (QStringList{"00", "01"}));
    }
}

// ------------------------------------------------------------------ CSV

void TestMemoryTextFiles::csvWriterLayout()
{
    MemoryImage image(16);
    image.display(0, std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    MemoryFiles::save(MemoryKind::SmallEeprom, FileType::Csv, path("a.csv"), image, {});
    QCOMPARE(readFile(path("a.csv")), QByteArray("00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F\r\n"));

    // Cell texts are written as they stand.
    image.setCellText(1, "5");
    QCOMPARE(q(CsvFile::encode(image)).left(9), QString("00,5,02,0"));
}

void TestMemoryTextFiles::csvSeparator_data()
{
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<QString>("separator");
    QTest::newRow("comma") << "00,01,02" << "03,04,05" << ",";
    QTest::newRow("semicolon") << "00;01;02" << "03;04;05" << ";";
    QTest::newRow("tab") << "00\t01" << "02\t03" << "\t";
    QTest::newRow("more frequent wins") << "00;01,02;03" << "04;05,06;07" << ";";
    QTest::newRow("tie goes to the earlier") << "00,01;02" << "03,04;05" << ",";
    QTest::newRow("unequal counts skipped") << "00,01,02|03" << "04,05|06" << "|";
    QTest::newRow("one line compares with itself") << "00;01;02" << "00;01;02" << ";";
    QTest::newRow("none: comma") << "00" << "01" << ",";
}

void TestMemoryTextFiles::csvSeparator()
{
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    QFETCH(QString, separator);
    QCOMPARE(QString(QChar(CsvFile::separator(line1.toStdString(), line2.toStdString()))), separator);
}

void TestMemoryTextFiles::csvReading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("row0");
    QTest::addColumn<QString>("error");
    QTest::newRow("plain") << lines({"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F"}) << seq(16) << "";
    QTest::newRow("semicolons, LF")
        << lines({"10;11;12;13;14;15;16;17;18;19;1A;1B;1C;1D;1E;1F", "0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0"}, "\n") << seq(16, 0x10) << "";
    QTest::newRow("quoted, blanks, lower case, one digit")
        << lines({"\"41\", 42 ,\"4\",a,b,c,d,e,f,ff,0,1,2,3,4,5"})
        << QByteArray::fromHex("4142040A0B0C0D0E0FFF000102030405") << "";
    QTest::newRow("trailing blank lines")
        << lines({"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F", "", ""}) << seq(16) << "";
    QTest::newRow("doubled quote inside a value")
        << lines({"\"4\"\"\",00"}) << QByteArray() << "'$4\"' is not a valid integer value";
    QTest::newRow("bad value in the last row")
        << lines({"00,01", "02,03", "04,-5"}) << QByteArray() << "'$-5' is not a valid integer value";
}

void TestMemoryTextFiles::csvReading()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, row0);
    QFETCH(QString, error);
    writeFile(path("r.csv"), file);
    MemoryImage image = sentinel(48);
    const MemoryImage before = image;
    CellRange r;
    QCOMPARE(errorOf([&] { r = CsvFile::read(path("r.csv"), image); }), error);
    if (!error.isEmpty()) {
        QVERIFY(sameCells(image, before));
        return;
    }
    QCOMPARE(r, (CellRange{0, 48}));
    QVERIFY(holds(image, row0));
    // Values are stored as two upper-case digits.
    QCOMPARE(image.oddCellCount(), std::size_t(0));
}

void TestMemoryTextFiles::csvPartialFiles()
{
    // Fewer lines and values than the image: the rest keeps its text, and
    // every ASCII cell follows its hex cell afterwards.
    MemoryImage image = sentinel(64);
    image.setCellText(40, "41"); // ASCII cell still "Z"
    image.setCellText(41, "ZZ");
    writeFile(path("p.csv"), lines({"00,01,02", "10,11,12,13,14,15,16,17,18,19,1A,1B,1C,1D,1E,1F,20,21"}));
    CsvFile::read(path("p.csv"), image);
    QVERIFY(holds(image, seq(3), 0));
    QVERIFY(holds(image, QByteArray(13, 0x5A), 3));
    QVERIFY(holds(image, seq(16, 0x10), 16));
    QCOMPARE(image.asciiCell(40), 'A');
    QCOMPARE(q(image.cellText(41)), QString("ZZ"));
    QVERIFY(holds(image, QByteArray(16, 0x5A), 48));

    // More lines than rows: the extra lines are ignored.
    QList<QByteArray> many;
    for (int r = 0; r < 5; ++r)
        many << QByteArray("AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA,AA");
    writeFile(path("m.csv"), lines(many));
    MemoryImage small = sentinel(32);
    QCOMPARE(CsvFile::read(path("m.csv"), small), (CellRange{0, 32}));
    QVERIFY(holds(small, QByteArray(32, char(0xAA))));

    // A file that is not there changes nothing.
    const MemoryImage before = small;
    QVERIFY(CsvFile::read(path("missing.csv"), small).empty());
    QVERIFY(sameCells(small, before));
}

void TestMemoryTextFiles::csvQuotedTexts()
{
    // Texts holding a comma or a quote are quoted on writing and read back
    // whole by the splitter.
    MemoryImage image(16);
    image.setCellText(0, "A,B");
    image.setCellText(1, "x\"y");
    const std::string text = CsvFile::encode(image);
    QVERIFY(q(text).startsWith("\"A,B\",\"x\"\"y\",FF,"));
    const auto values = CsvFile::splitLine(std::string_view(text).substr(0, text.find('\r')), ',');
    QCOMPARE(values.size(), std::size_t(16));
    QCOMPARE(q(values[0]), QString("A,B"));
    QCOMPARE(q(values[1]), QString("x\"y"));
    QCOMPARE(q(values[2]), QString("FF"));
}

QTEST_APPLESS_MAIN(TestMemoryTextFiles)
#include "tst_memory_text_files.moc"
