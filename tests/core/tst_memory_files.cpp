#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/BinFile.h"
#include "core/memory/MemFile.h"
#include "core/memory/MemoryFileTypes.h"
#include "core/memory/MemoryFiles.h"
#include "core/memory/Pca9500File.h"
#include "tests/support/MemoryImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tp;
using namespace memtest;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QByteArray le16(int v)
{
    return QByteArray(1, static_cast<char>(v & 0xFF)) + QByteArray(1, static_cast<char>(v >> 8 & 0xFF));
}

QByteArray smallRecord(int count, const QByteArray& data)
{
    return QByteArray("TarnwickSmallEE256") + char(0xA4) + char(16) + le16(25) + le16(count) + data;
}

QByteArray largeStream(int count, const QByteArray& data)
{
    return QByteArray(18, 'x') + le16(0xA6) + le16(7) + le16(count) + le16(64) + data;
}

QByteArray pattern(int n, int seed = 1)
{
    QByteArray b(n, 0);
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(i * 13 + seed);
    return b;
}

MemSettings eepromSettings(bool large) { return {"A2", large ? 64 : 16, 12}; }
MemSettings ramSettings() { return {"A4", 0, 0}; }

} // namespace

class TestMemoryFiles : public QObject {
    Q_OBJECT
private slots:
    void init();

    void roundTrip_data();
    void roundTrip();

    void smallRecordLayout_data();
    void smallRecordLayout();
    void smallRecordSettings();
    void smallRecordOtherSizes();
    void largeStreamLayout();
    void largeStreamCounts();
    void largeStreamRamIntoEeprom();

    void rawReading();
    void emptyRawFileChangesNothing_data();
    void emptyRawFileChangesNothing();
    void cellsTrimmedOnlyInLargeWindows();

    void malformed_data();
    void malformed();

    void writersReplaceLongerFiles();
    void failedWritesKeepThePreviousFile_data();
    void failedWritesKeepThePreviousFile();
    void writesFollowLinksAndKeepPermissions();

    void pca9500Layout();
    void pca9500Refusals();

    void dialogTypes();
    void defaultExtension();
    void savedNameFollowsTheType_data();
    void savedNameFollowsTheType();
    void typeNotExtensionPicksTheFormat();
    void failedLoadNamesTheTypeTheExtensionSays_data();
    void failedLoadNamesTheTypeTheExtensionSays();

private:
    std::string path(const QString& name) const { return m_dir->filePath(name).toStdString(); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMemoryFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// ------------------------------------------------------------------ round trips

void TestMemoryFiles::roundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("fileSize"); // -1: not fixed
    const auto add = [](const char* name, MemoryKind k, FileType t, int size, int fileSize) {
        QTest::newRow(name) << int(k) << int(t) << size << fileSize;
    };
    add("small EE mem 16", MemoryKind::SmallEeprom, FileType::Mem, 16, 40);
    add("small EE mem 2048", MemoryKind::SmallEeprom, FileType::Mem, 2048, 2072);
    add("small RAM mem 128", MemoryKind::SmallRam, FileType::Mem, 128, 152);
    add("small EE hex 16", MemoryKind::SmallEeprom, FileType::Hex, 16, 45 + 13);
    add("small EE hex 256", MemoryKind::SmallEeprom, FileType::Hex, 256, -1);
    add("small EE bin 256", MemoryKind::SmallEeprom, FileType::Bin, 256, 256);
    add("small EE csv 16", MemoryKind::SmallEeprom, FileType::Csv, 16, 49);
    add("small EE csv 1024", MemoryKind::SmallEeprom, FileType::Csv, 1024, 64 * 49);
    add("large EE mem 4K", MemoryKind::LargeEeprom, FileType::Mem, 4096, 4122);
    add("large RAM mem 8K", MemoryKind::LargeRam, FileType::Mem, 8192, 8218);
    add("large EE mem 64K", MemoryKind::LargeEeprom, FileType::Mem, 65536, 65562);
    add("large EE hex 4K", MemoryKind::LargeEeprom, FileType::Hex, 4096, -1);
    add("large RAM hex 64K", MemoryKind::LargeRam, FileType::Hex, 65536, -1);
    add("large EE bin 64K", MemoryKind::LargeEeprom, FileType::Bin, 65536, 65536);
    add("large RAM csv 32K", MemoryKind::LargeRam, FileType::Csv, 32768, 2048 * 49);
    add("large EE csv 64K", MemoryKind::LargeEeprom, FileType::Csv, 65536, 4096 * 49);
}

void TestMemoryFiles::roundTrip()
{
    QFETCH(int, kind);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(int, fileSize);
    const auto k = MemoryKind(kind);
    const auto t = FileType(type);
    const MemSettings settings = isEeprom(k) ? eepromSettings(isLarge(k)) : ramSettings();
    const std::string file = path("image." + q(MemoryFileTypes::extension(t)));

    const MemoryImage original = patterned(size);
    MemoryFiles::save(k, t, file, original, settings);
    if (fileSize >= 0)
        QCOMPARE(QFileInfo(QString::fromStdString(file)).size(), qint64(fileSize));

    MemoryImage loaded = sentinel(size);
    const FileLoad r = MemoryFiles::load(k, t, file, loaded);
    QVERIFY(r.loaded);
    QVERIFY(!r.notice);
    QVERIFY(!r.status);
    QCOMPARE(r.changed, (CellRange{0, std::size_t(size)}));
    QVERIFY(holds(loaded, bytesOf(original)));
    QCOMPARE(loaded.oddCellCount(), std::size_t(0));

    QCOMPARE(r.header.has_value(), t == FileType::Mem);
    if (r.header) {
        QCOMPARE(r.header->address, std::uint16_t(hexToInt(settings.addressText)));
        QCOMPARE(r.header->writeTimeMs, std::uint16_t(settings.writeTimeMs));
        // A small record's page size 0 reads back as 8.
        const int page = !isLarge(k) && settings.pageSize == 0 ? 8 : settings.pageSize;
        QCOMPARE(int(r.header->pageSize), page);
        QCOMPARE(r.header->count, std::uint32_t(size));
    }
}

// ------------------------------------------------------------------ .mem

void TestMemoryFiles::smallRecordLayout_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("16") << 16 << QByteArray("TarnwickSmallEE016");
    QTest::newRow("128") << 128 << QByteArray("TarnwickSmallEE128");
    QTest::newRow("256") << 256 << QByteArray("TarnwickSmallEE256");
    QTest::newRow("512") << 512 << QByteArray("TarnwickSmallEE512");
    QTest::newRow("1024") << 1024 << QByteArray("TarnwickSmallEE1KB");
    QTest::newRow("2048") << 2048 << QByteArray("TarnwickSmallEE2KB");
}

void TestMemoryFiles::smallRecordLayout()
{
    QFETCH(int, size);
    QFETCH(QByteArray, magic);
    const MemoryImage image = patterned(size);
    MemoryFiles::save(MemoryKind::SmallEeprom, FileType::Mem, path("a.mem"), image, {"A0", 8, 10});
    const QByteArray file = readFile(path("a.mem"));
    QCOMPARE(file.size(), 24 + size);
    QCOMPARE(file.left(18), magic);
    QCOMPARE(file.mid(18, 6), QByteArray("\xA0\x08\x0A\x00", 4) + le16(size));
    QCOMPARE(file.mid(24), bytesOf(image));
}

void TestMemoryFiles::smallRecordSettings()
{
    const MemoryImage image(256);
    const auto header = [&](MemoryKind k, const MemSettings& s) {
        MemoryFiles::save(k, FileType::Mem, path("s.mem"), image, s);
        return readFile(path("s.mem")).mid(18, 6);
    };
    QCOMPARE(header(MemoryKind::SmallRam, {"A4", 0, 0}), QByteArray("\xA4\x00\x00\x00\x00\x01", 6));
    // An address item that is not hex is stored as A0; a wide one by its low byte.
    QCOMPARE(header(MemoryKind::SmallEeprom, {"ZZ", 32, 300}), QByteArray("\xA0\x20\x2C\x01\x00\x01", 6));
    QCOMPARE(header(MemoryKind::SmallEeprom, {"1A3", 1, 5}), QByteArray("\xA3\x01\x05\x00\x00\x01", 6));

    // Reading: a stored page size 0 gives 8.
    writeFile(path("p.mem"), QByteArray("TarnwickSmallEE256") + char(0xAE) + char(0) + le16(7) + le16(256) +
                                 pattern(256));
    MemoryImage loaded(256);
    const FileLoad r = MemoryFiles::load(MemoryKind::SmallEeprom, FileType::Mem, path("p.mem"), loaded);
    QCOMPARE(*r.header, (MemHeader{0xAE, 8, 7, 256}));
    QVERIFY(holds(loaded, pattern(256)));
}

void TestMemoryFiles::smallRecordOtherSizes()
{
    // The magic is not examined and the window keeps its size: a 128-byte
    // record fills the first 128 bytes of a 256-byte window, a 2 KB record
    // gives it its first 256 bytes.
    const QByteArray small = QByteArray("TarnwickSmallEE128") + char(0xA0) + char(8) + le16(10) + le16(128) + pattern(128);
    writeFile(path("128.mem"), small);
    MemoryImage image = sentinel(256);
    FileLoad r = MemoryFiles::load(MemoryKind::SmallEeprom, FileType::Mem, path("128.mem"), image);
    QCOMPARE(r.changed, (CellRange{0, 128}));
    QVERIFY(holds(image, pattern(128)));
    QVERIFY(holds(image, QByteArray(128, 0x5A), 128));

    const QByteArray big = QByteArray("TarnwickSmallEE2KB") + char(0xA0) + char(8) + le16(10) + le16(2048) + pattern(2048);
    writeFile(path("2k.mem"), big);
    r = MemoryFiles::load(MemoryKind::SmallEeprom, FileType::Mem, path("2k.mem"), image);
    QVERIFY(!r.notice);
    QVERIFY(holds(image, pattern(256)));
}

void TestMemoryFiles::largeStreamLayout()
{
    const MemoryImage image = patterned(65536);
    MemoryFiles::save(MemoryKind::LargeEeprom, FileType::Mem, path("64k.mem"), image, {"A1", 128, 10});
    const QByteArray file = readFile(path("64k.mem"));
    QCOMPARE(file.size(), 26 + 65536);
    // Address with bit 0 cleared, write time, size modulo 64K, page size.
    QCOMPARE(file.mid(18, 8), QByteArray("\xA0\x00\x0A\x00\x00\x00\x80\x00", 8));
    QCOMPARE(file.mid(26), bytesOf(image));

    MemoryFiles::save(MemoryKind::LargeRam, FileType::Mem, path("4k.mem"), MemoryImage(4096), {"AE", 0, 0});
    QCOMPARE(readFile(path("4k.mem")).mid(18, 8), QByteArray("\xAE\x00\x00\x00\x00\x10\x00\x00", 8));

    // The large stream stores the address as read: non-hex text stops the save.
    QCOMPARE(errorOf([&] {
                 MemoryFiles::save(MemoryKind::LargeEeprom, FileType::Mem, path("bad.mem"), image, {"ZZ", 8, 10});
             }),
             QString("'$ZZ' is not a valid integer value"));
    QVERIFY(!QFile::exists(QString::fromStdString(path("bad.mem"))));
}

void TestMemoryFiles::largeStreamCounts()
{
    // An 8 KB file into a 4 KB window: the notice, then its first 4096 bytes.
    writeFile(path("8k.mem"), largeStream(8192, pattern(8192)));
    MemoryImage image = sentinel(4096);
    FileLoad r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Mem, path("8k.mem"), image);
    QVERIFY(r.notice.has_value());
    QCOMPARE(r.notice->kind, Notice::Kind::Message);
    QCOMPARE(q(r.notice->text), QString("Data file too large"));
    QVERIFY(holds(image, pattern(4096)));
    QCOMPARE(*r.header, (MemHeader{0xA6, 64, 7, 8192}));

    // 64 KB stores 0: no notice in a 64 KB window ...
    writeFile(path("64k.mem"), largeStream(0, pattern(65536)));
    MemoryImage big = sentinel(65536);
    r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Mem, path("64k.mem"), big);
    QVERIFY(!r.notice);
    QVERIFY(holds(big, pattern(65536)));
    // ... but a 4 KB window is told the file is larger.
    r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Mem, path("64k.mem"), image);
    QCOMPARE(q(r.notice.value_or(Notice{}).text), QString("Data file too large"));

    // A 4 KB file into an 8 KB window fills what it holds; the rest stays.
    writeFile(path("4k.mem"), largeStream(4096, pattern(4096, 9)));
    MemoryImage eight = sentinel(8192);
    r = MemoryFiles::load(MemoryKind::LargeRam, FileType::Mem, path("4k.mem"), eight);
    QVERIFY(!r.notice);
    QCOMPARE(r.changed, (CellRange{0, 4096}));
    QVERIFY(holds(eight, pattern(4096, 9)));
    QVERIFY(holds(eight, QByteArray(4096, 0x5A), 4096));
}

void TestMemoryFiles::largeStreamRamIntoEeprom()
{
    MemoryFiles::save(MemoryKind::LargeRam, FileType::Mem, path("ram.mem"), patterned(4096), {"A2", 0, 0});
    MemoryImage image(4096);
    const FileLoad r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Mem, path("ram.mem"), image);
    // Page size and write time 0 come back as 0 in the large stream.
    QCOMPARE(*r.header, (MemHeader{0xA2, 0, 0, 4096}));
}

// ------------------------------------------------------------------ .bin

void TestMemoryFiles::rawReading()
{
    // Large windows read what the file holds; the rest keeps its cells.
    writeFile(path("short.bin"), pattern(1000));
    MemoryImage large = sentinel(4096);
    FileLoad r = MemoryFiles::load(MemoryKind::LargeEeprom, FileType::Bin, path("short.bin"), large);
    QCOMPARE(r.changed, (CellRange{0, 1000}));
    QVERIFY(holds(large, pattern(1000)));
    QVERIFY(holds(large, QByteArray(4096 - 1000, 0x5A), 1000));

    // Bytes after the first S are ignored.
    writeFile(path("long.bin"), pattern(300));
    MemoryImage small = sentinel(256);
    r = MemoryFiles::load(MemoryKind::SmallRam, FileType::Bin, path("long.bin"), small);
    QVERIFY(holds(small, pattern(256)));
}

void TestMemoryFiles::emptyRawFileChangesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("size");
    QTest::newRow("4 KB EEPROM") << int(MemoryKind::LargeEeprom) << 4096;
    QTest::newRow("64 KB RAM") << int(MemoryKind::LargeRam) << 65536;
}

void TestMemoryFiles::emptyRawFileChangesNothing()
{
    // Large windows read up to the end of the file, here at once.
    QFETCH(int, kind);
    QFETCH(int, size);
    writeFile(path("empty.bin"), QByteArray());
    MemoryImage image = sentinel(size);
    const MemoryImage before = image;
    const FileLoad r = MemoryFiles::load(MemoryKind(kind), FileType::Bin, path("empty.bin"), image);
    QVERIFY(r.changed.empty());
    QVERIFY(sameCells(image, before));
}

void TestMemoryFiles::cellsTrimmedOnlyInLargeWindows()
{
    MemoryImage image(4096);
    image.setCellText(3, " 5");
    MemoryFiles::save(MemoryKind::LargeEeprom, FileType::Bin, path("t.bin"), image, {});
    QCOMPARE(readFile(path("t.bin")).at(3), char(5));

    MemoryImage small(256);
    small.setCellText(3, " 5");
    QCOMPARE(errorOf([&] { MemoryFiles::save(MemoryKind::SmallEeprom, FileType::Bin, path("u.bin"), small, {}); }),
             QString("'$ 5' is not a valid integer value"));
}

// ------------------------------------------------------------------ malformed

void TestMemoryFiles::malformed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // thrown message, "" for a refusal without one
    QTest::addColumn<QString>("status"); // status line text of the refusal

    const QString eof = "Read beyond end of file";
    const auto add = [](const char* name, MemoryKind k, FileType t, int size, const QByteArray& c,
                        const QString& error, const QString& status = {}) {
        QTest::newRow(name) << int(k) << int(t) << size << c << error << status;
    };
    add("mem small: header cut", MemoryKind::SmallEeprom, FileType::Mem, 256, smallRecord(256, {}).left(20), eof);
    add("mem small: data shorter than count", MemoryKind::SmallRam, FileType::Mem, 256, smallRecord(256, pattern(100)), eof);
    add("mem large: header cut", MemoryKind::LargeEeprom, FileType::Mem, 4096, largeStream(4096, {}).left(25), eof);
    add("mem large: data shorter than count", MemoryKind::LargeRam, FileType::Mem, 4096, largeStream(4096, pattern(4095)), eof);
    add("mem large: empty", MemoryKind::LargeRam, FileType::Mem, 4096, QByteArray(), eof);
    add("bin small: shorter than image", MemoryKind::SmallEeprom, FileType::Bin, 256, pattern(255), eof);
    add("csv: not hex", MemoryKind::SmallEeprom, FileType::Csv, 16, "00,01,ZZ,03\r\n", "'$ZZ' is not a valid integer value");
    add("csv: above a byte", MemoryKind::LargeEeprom, FileType::Csv, 4096, "00,01\r\n1FF,03\r\n", "'$1FF' is not a valid integer value");
    add("csv: empty value", MemoryKind::SmallRam, FileType::Csv, 256, "00,,02\r\n03,04,05\r\n", "'$' is not a valid integer value");
}

void TestMemoryFiles::malformed()
{
    QFETCH(int, kind);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QFETCH(QString, status);

    writeFile(path("bad"), content);
    MemoryImage image = sentinel(size);
    const MemoryImage before = image;
    FileLoad r;
    QCOMPARE(errorOf([&] { r = MemoryFiles::load(MemoryKind(kind), FileType(type), path("bad"), image); }), error);
    QCOMPARE(q(r.status.value_or(StatusMessage{}).text), status);
    QVERIFY(sameCells(image, before));
}

// ------------------------------------------------------------------ writing safely

void TestMemoryFiles::writersReplaceLongerFiles()
{
    const auto sizeAfter = [&](MemoryKind k, FileType t, int first, int second) {
        const std::string file = path("over");
        MemoryFiles::save(k, t, file, patterned(first), {"A0", 8, 10});
        MemoryFiles::save(k, t, file, patterned(second), {"A0", 8, 10});
        return readFile(file);
    };
    QCOMPARE(sizeAfter(MemoryKind::LargeEeprom, FileType::Bin, 65536, 4096), bytesOf(patterned(4096)));
    QCOMPARE(sizeAfter(MemoryKind::SmallEeprom, FileType::Mem, 2048, 16).size(), 40);
    QCOMPARE(sizeAfter(MemoryKind::LargeRam, FileType::Mem, 65536, 4096).size(), 4122);

    writeFile(path("pca"), QByteArray(1000, 'x'));
    Pca9500File::write(path("pca"), Pca9500Record{});
    QCOMPARE(readFile(path("pca")).size(), 284);
}

void TestMemoryFiles::failedWritesKeepThePreviousFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::newRow("small mem") << int(MemoryKind::SmallEeprom) << int(FileType::Mem);
    QTest::newRow("large mem") << int(MemoryKind::LargeEeprom) << int(FileType::Mem);
    QTest::newRow("hex") << int(MemoryKind::SmallRam) << int(FileType::Hex);
    QTest::newRow("bin") << int(MemoryKind::LargeRam) << int(FileType::Bin);
}

void TestMemoryFiles::failedWritesKeepThePreviousFile()
{
    QFETCH(int, kind);
    QFETCH(int, type);
    const auto k = MemoryKind(kind);
    MemoryImage image = patterned(isLarge(k) ? 4096 : 256);
    image.setCellText(image.size() - 1, "Q");

    writeFile(path("keep"), "previous content");
    QCOMPARE(errorOf([&] { MemoryFiles::save(k, FileType(type), path("keep"), image, {"A0", 8, 10}); }),
             QString("'$Q' is not a valid integer value"));
    QCOMPARE(readFile(path("keep")), QByteArray("previous content"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep"});

    // A folder that does not exist: the file error, nothing left behind.
    image.setCellText(image.size() - 1, "00");
    QCOMPARE(errorOf([&] { MemoryFiles::save(k, FileType(type), path("no/such/x"), image, {"A0", 8, 10}); }),
             QString("Failed to open or create file"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{"keep"});
}

void TestMemoryFiles::writesFollowLinksAndKeepPermissions()
{
    const QString real = m_dir->filePath("real.bin");
    writeFile(real.toStdString(), "old");
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(QFile::link(real, m_dir->filePath("link.bin")));

    MemoryFiles::save(MemoryKind::SmallRam, FileType::Bin, path("link.bin"), patterned(16), {});
    QVERIFY(QFileInfo(m_dir->filePath("link.bin")).isSymLink());
    QCOMPARE(readFile(real.toStdString()), bytesOf(patterned(16)));
    QCOMPARE(QFile::permissions(real) & 0x0FFF, QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
}

// ------------------------------------------------------------------ PCA9500

void TestMemoryFiles::pca9500Layout()
{
    Pca9500Record rec;
    rec.eepromAddress = 0xB3;
    rec.writeTimeMs = 200;
    for (int i = 0; i < 256; ++i)
        rec.eeprom[i] = static_cast<std::uint8_t>(255 - i);
    rec.ioAddress = 0x31;
    rec.port = 0x5A;
    Pca9500File::write(path("pca.mem"), rec);

    const QByteArray file = readFile(path("pca.mem"));
    QCOMPARE(file.size(), 284);
    QCOMPARE(file.left(18), QByteArray("\xB0" "PTN3500" "\xB1" "datafile3"));
    QCOMPARE(file.mid(18, 6), QByteArray("\xB2\x00\xC8\x00\x00\x01", 6));
    QCOMPARE(static_cast<std::uint8_t>(file.at(24)), std::uint8_t(255));
    QCOMPARE(static_cast<std::uint8_t>(file.at(279)), std::uint8_t(0));
    QCOMPARE(file.mid(280, 4), QByteArray("\x30\x00\x5A\x00", 4));

    const auto back = Pca9500File::read(path("pca.mem"));
    QVERIFY(back.has_value());
    rec.eepromAddress = 0xB2;
    rec.ioAddress = 0x30;
    QVERIFY(*back == rec);
}

void TestMemoryFiles::pca9500Refusals()
{
    // A small memory record is not a PCA9500 record.
    MemoryFiles::save(MemoryKind::SmallEeprom, FileType::Mem, path("small.mem"), MemoryImage(256), {"A0", 8, 10});
    QVERIFY(!Pca9500File::read(path("small.mem")).has_value());

    const auto encoded = Pca9500File::encode(Pca9500Record{});
    const QByteArray good(reinterpret_cast<const char*>(encoded.data()), qsizetype(encoded.size()));
    QByteArray wrongSize = good;
    wrongSize[23] = 2; // 512
    writeFile(path("size.mem"), wrongSize);
    QVERIFY(!Pca9500File::read(path("size.mem")).has_value());

    // A cut record is no record, however sound its header.
    for (int length : {0, 23, 24, 100, 283}) {
        writeFile(path("cut.mem"), good.left(length));
        QVERIFY2(!Pca9500File::read(path("cut.mem")).has_value(), qPrintable(QString::number(length)));
    }
    // Trailing bytes (an older, longer file written over) are ignored.
    writeFile(path("long.mem"), good + QByteArray(16, '\x55'));
    QVERIFY(Pca9500File::read(path("long.mem")).has_value());

    // Header values the window cannot show.
    struct Field {
        int offset;
        char low, high;
    };
    for (const Field& f : {Field{18, 0x00, 0x01}, Field{20, char(201), 0x00}, Field{20, 0x00, 0x01},
                           Field{280, 0x00, 0x01}, Field{282, 0x00, 0x01}}) {
        QByteArray bad = good;
        bad[f.offset] = f.low;
        bad[f.offset + 1] = f.high;
        writeFile(path("range.mem"), bad);
        QVERIFY2(!Pca9500File::read(path("range.mem")).has_value(), qPrintable(QString::number(f.offset)));
    }
    QByteArray edge = good;
    edge[18] = char(0xFE);
    edge[20] = char(200);
    edge[280] = char(0xFE);
    edge[282] = char(0xFF);
    writeFile(path("edge.mem"), edge);
    const auto e = Pca9500File::read(path("edge.mem"));
    QVERIFY(e.has_value());
    QCOMPARE(int(e->writeTimeMs), 200);
    QCOMPARE(int(e->port), 0xFF);

    const StatusMessage m = Pca9500File::invalidFileMessage();
    QCOMPARE(q(m.text), QString(" Invalid Data File"));
    QCOMPARE(m.background, colour::Red);
    QCOMPARE(m.textColour, colour::White);
}

// ------------------------------------------------------------------ dialogs

void TestMemoryFiles::dialogTypes()
{
    const QStringList four{"mem files (*.mem)", "hex files (*.hex)", "bin files (*.bin)", "csv files (*.csv)"};
    const auto list = [](const std::vector<std::string>& v) {
        QStringList out;
        for (const auto& s : v)
            out << q(s);
        return out;
    };
    for (MemoryKind k : {MemoryKind::SmallEeprom, MemoryKind::LargeEeprom, MemoryKind::LargeRam})
        QCOMPARE(list(MemoryFileTypes::saveFilters(k)), four);
    QCOMPARE(list(MemoryFileTypes::saveFilters(MemoryKind::SmallRam)), four.mid(0, 3));
    QCOMPARE(list(MemoryFileTypes::openFilters(MemoryKind::SmallRam)), four);

    QCOMPARE(q(MemoryFileTypes::saveTitle(MemoryKind::SmallRam)), QString("Save EEPROM Data As"));
    QCOMPARE(q(MemoryFileTypes::openTitle(MemoryKind::SmallEeprom)), QString("Open EEPROM File"));
    QCOMPARE(q(MemoryFileTypes::openTitle(MemoryKind::LargeEeprom)), QString("Open EEPROM File"));
    QCOMPARE(q(MemoryFileTypes::openTitle(MemoryKind::SmallRam)), QString("Open Data File"));
    QCOMPARE(q(MemoryFileTypes::openTitle(MemoryKind::LargeRam)), QString("Open Data File"));

    QCOMPARE(MemoryFileTypes::typeAt(2), std::optional(FileType::Hex));
    QCOMPARE(MemoryFileTypes::typeAt(4, 3), std::optional<FileType>());
    QCOMPARE(MemoryFileTypes::typeAt(0), std::optional<FileType>());

    QCOMPARE(q(MemoryFileTypes::withExtension("/a.b/data", "hex")), QString("/a.b/data.hex"));
    QCOMPARE(q(MemoryFileTypes::withExtension("/a/data.bin", "hex")), QString("/a/data.bin"));
}

void TestMemoryFiles::defaultExtension()
{
    // The default (the type the next dialog preselects) follows the type last used.
    FileDialogState small(MemoryKind::SmallEeprom);
    QCOMPARE(q(small.defaultExtension()), QString("mem"));
    // A name without extension takes the chosen type's, never a stale default:
    // a file named .mem holding Intel HEX would be misread later.
    QCOMPARE(q(small.accept(FileType::Hex, "/d/a")), QString("/d/a.hex"));
    QCOMPARE(q(small.defaultExtension()), QString("hex"));
    QCOMPARE(q(small.accept(FileType::Csv, "/d/b")), QString("/d/b.csv"));
    QCOMPARE(q(small.accept(FileType::Bin, "/d/c.dat")), QString("/d/c.dat"));
    QCOMPARE(q(small.defaultExtension()), QString("bin"));

    // Large windows: choosing mem or hex in the dialog sets it at once.
    FileDialogState large(MemoryKind::LargeRam);
    QCOMPARE(q(large.accept(FileType::Hex, "/d/a")), QString("/d/a.hex"));
    QCOMPARE(q(large.accept(FileType::Csv, "/d/b")), QString("/d/b.csv"));
    QCOMPARE(q(large.defaultExtensionFor(FileType::Bin)), QString("csv"));
    QCOMPARE(q(large.defaultExtensionFor(FileType::Hex)), QString("hex"));
    QCOMPARE(q(large.accept(FileType::Mem, "/d/c")), QString("/d/c.mem"));
}

void TestMemoryFiles::savedNameFollowsTheType_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "/d/a" << int(FileType::Mem) << "/d/a.mem";
    QTest::newRow("another type's extension") << "/d/a.csv" << int(FileType::Mem) << "/d/a.mem";
    QTest::newRow("upper case") << "/d/A.BIN" << int(FileType::Hex) << "/d/A.hex";
    QTest::newRow("its own") << "/d/a.hex" << int(FileType::Hex) << "/d/a.hex";
    QTest::newRow("an extension of the user's") << "/d/a.eep" << int(FileType::Bin) << "/d/a.eep";
    QTest::newRow("dot in a folder") << "/d.csv/a" << int(FileType::Csv) << "/d.csv/a.csv";
    QTest::newRow("two extensions") << "/d/a.csv.bin" << int(FileType::Csv) << "/d/a.csv.csv";
}

void TestMemoryFiles::savedNameFollowsTheType()
{
    QFETCH(QString, typed);
    QFETCH(int, type);
    QFETCH(QString, saved);
    FileDialogState state(MemoryKind::SmallRam);
    QCOMPARE(q(state.acceptSave(FileType(type), typed.toStdString())), saved);
    QCOMPARE(q(state.defaultExtension()), q(MemoryFileTypes::extension(FileType(type))));
}

void TestMemoryFiles::typeNotExtensionPicksTheFormat()
{
    MemoryFiles::save(MemoryKind::SmallEeprom, FileType::Hex, path("x.bin"), patterned(16), {});
    QVERIFY(readFile(path("x.bin")).startsWith(":10000000"));
    MemoryImage image = sentinel(16);
    QCOMPARE(errorOf([&] { MemoryFiles::load(MemoryKind::SmallEeprom, FileType::Hex, path("x.bin"), image); }),
             QString());
    QVERIFY(holds(image, bytesOf(patterned(16))));
}

void TestMemoryFiles::failedLoadNamesTheTypeTheExtensionSays_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("hint");
    QTest::newRow("hex chosen as mem") << "dir.v2/image.HEX" << int(FileType::Mem)
                                       << "; this looks like an Intel HEX file: choose that type";
    QTest::newRow("bin chosen as hex") << "image.bin" << int(FileType::Hex)
                                       << "; this looks like a binary file: choose that type";
    QTest::newRow("csv chosen as bin") << "a.csv" << int(FileType::Bin) << "; this looks like a CSV file: choose that type";
    QTest::newRow("mem chosen as csv") << "a.mem" << int(FileType::Csv)
                                       << "; this looks like a mem data file: choose that type";
    QTest::newRow("extension of the type chosen") << "a.hex" << int(FileType::Hex) << "";
    QTest::newRow("other extension") << "a.txt" << int(FileType::Hex) << "";
    QTest::newRow("none, dot in the folder") << "dir.hex/image" << int(FileType::Mem) << "";
}

void TestMemoryFiles::failedLoadNamesTheTypeTheExtensionSays()
{
    QFETCH(QString, file);
    QFETCH(int, chosen);
    QFETCH(QString, hint);
    QCOMPARE(q(MemoryFileTypes::otherTypeHint(file.toStdString(), FileType(chosen))), hint);
}

QTEST_APPLESS_MAIN(TestMemoryFiles)
#include "tst_memory_files.moc"
