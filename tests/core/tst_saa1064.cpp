#include "core/common/Errors.h"
#include "core/devices/led/Saa1064File.h"
#include "core/sim/Saa1064Chip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tp::saa1064;

namespace {

std::vector<std::uint8_t> bytes(const QByteArray& a)
{
    return {a.begin(), a.end()};
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void putFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

} // namespace

class TestSaa1064 : public QObject {
    Q_OBJECT
private slots:
    void controlBits();
    void currentTexts_data();
    void currentTexts();
    void digitLooks_data();
    void digitLooks();
    void fileLayout();
    void fileRoundTripReplacesALongerFile();
    void decodeChecksEverything_data();
    void decodeChecksEverything();
    void benchChip();
};

void TestSaa1064::controlBits()
{
    std::uint8_t c = withBit(0, 0, true);
    QCOMPARE(int(c), 0x01);
    c = withCurrent(c, 5);
    QCOMPARE(int(c), 0x51);
    QCOMPARE(currentPosition(c), 5);
    // Bit 7 (never set by the window, but a file may bring it) goes with the slider.
    QCOMPARE(int(withCurrent(0xF7, 7)), 0x77);
    QCOMPARE(int(withBit(0xF7, 3, true)), 0xFF);
    QCOMPARE(int(withBit(0xF7, 1, false)), 0xF5);
    QCOMPARE(addressIndex(0x74), 2);
    QCOMPARE(addressIndex(0x71), -1);
    QCOMPARE(addressIndex(0x78), -1);
}

void TestSaa1064::currentTexts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "0.0";
    QTest::newRow("5") << 5 << "15.0";
    QTest::newRow("7") << 7 << "21.0";
}

void TestSaa1064::currentTexts()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(currentText(position)), text);
}

void TestSaa1064::digitLooks_data()
{
    QTest::addColumn<int>("control");
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<int>("segmentsOfDigit1");
    QTest::addColumn<double>("brightness");
    // Digits hold 3F 06 5B 4F ("0123").
    QTest::newRow("all off") << 0x00 << QList<bool>{false, false, false, false} << 0 << 0.0;
    QTest::newRow("static, both pairs on") << 0x76 << QList<bool>{true, true, false, false} << 0x3F << 1.0;
    QTest::newRow("static, 1 and 3 only") << 0x72 << QList<bool>{true, false, false, false} << 0x3F << 1.0;
    QTest::newRow("dynamic, all four") << 0x37 << QList<bool>{true, true, true, true} << 0x3F << 3 / 7.0;
    QTest::newRow("dynamic, 2 and 4 only") << 0x75 << QList<bool>{false, true, false, true} << 0 << 0.0;
    QTest::newRow("segment test") << 0x1F << QList<bool>{true, true, true, true} << 0xFF << 1 / 7.0;
    QTest::newRow("lit but no current") << 0x07 << QList<bool>{true, true, true, true} << 0x3F << 0.0;
}

void TestSaa1064::digitLooks()
{
    QFETCH(int, control);
    QFETCH(QList<bool>, shown);
    QFETCH(int, segmentsOfDigit1);
    QFETCH(double, brightness);
    Registers r;
    r.control = std::uint8_t(control);
    r.digits = {0x3F, 0x06, 0x5B, 0x4F};
    for (int d = 1; d <= 4; ++d) {
        const DigitLook look = digitLook(r, d);
        QCOMPARE(look.shown, shown[d - 1]);
        if (!look.shown)
            QCOMPARE(int(look.segments), 0);
    }
    QCOMPARE(int(digitLook(r, 1).segments), segmentsOfDigit1);
    if (digitLook(r, 1).shown)
        QCOMPARE(digitLook(r, 1).brightness, brightness);
}

void TestSaa1064::fileLayout()
{
    Record rec;
    rec.address = 0x72;
    rec.registers.control = 0x51;
    rec.registers.digits = {0x3F, 0x06, 0x5B, 0x4F};
    const std::vector<std::uint8_t> out = DataFile::encode(rec);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size())),
             QByteArray("SAA1064datafile") + QByteArray::fromHex("72513F065B4F"));
    QCOMPARE(DataFile::decode(out), std::optional<Record>(rec));
}

void TestSaa1064::fileRoundTripReplacesALongerFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("display.mem"));
    putFile(path, QByteArray(64, 'x'));
    Record rec;
    rec.address = 0x76;
    rec.registers.control = 0xF7;
    rec.registers.digits = {1, 2, 3, 0x80};
    DataFile::write(path.toStdString(), rec);
    // Exactly the record: nothing of the old file after it.
    QCOMPARE(fileBytes(path).size(), 21);
    QCOMPARE(DataFile::read(path.toStdString()), std::optional<Record>(rec));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"display.mem"});

    // A file the old program overwrote in place, with bytes after the record, still reads.
    putFile(path, QByteArray("SAA1064datafile") + QByteArray::fromHex("70010203040500000000"));
    QCOMPARE(DataFile::read(path.toStdString())->registers.digits[3], std::uint8_t(0x05));

    QVERIFY_THROWS_EXCEPTION(tp::FileError, DataFile::read(dir.filePath("missing.mem").toStdString()));
}

void TestSaa1064::decodeChecksEverything_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("outcome"); // "ok", "not a data file", or the error text
    const QByteArray magic("SAA1064datafile");
    QTest::newRow("21 bytes") << magic + QByteArray::fromHex("7001020304FF") << "ok";
    QTest::newRow("address kept as it stands") << magic + QByteArray::fromHex("7101020304FF") << "ok";
    QTest::newRow("20 bytes") << magic + QByteArray::fromHex("7001020304") << "Read beyond end of file";
    QTest::newRow("18 bytes") << magic + QByteArray::fromHex("7001FF") << "Read beyond end of file";
    QTest::newRow("17 bytes") << magic + QByteArray::fromHex("7001") << "Read beyond end of file";
    QTest::newRow("empty") << QByteArray() << "Read beyond end of file";
    QTest::newRow("other magic") << QByteArray("SAA1065datafile") + QByteArray::fromHex("700102030405")
                                 << "not a data file";
    QTest::newRow("lower case magic") << QByteArray("saa1064datafile") + QByteArray::fromHex("700102030405")
                                      << "not a data file";
    QTest::newRow("a memory image") << QByteArray(284, char(0xB0)) << "not a data file";
}

void TestSaa1064::decodeChecksEverything()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, outcome);
    try {
        const std::optional<Record> r = DataFile::decode(bytes(file));
        QCOMPARE(r ? QStringLiteral("ok") : QStringLiteral("not a data file"), outcome);
        if (r) {
            QCOMPARE(int(r->address), int(std::uint8_t(file[15])));
            QCOMPARE(int(r->registers.control), int(std::uint8_t(file[16])));
            QCOMPARE(int(r->registers.digits[3]), int(std::uint8_t(file[20])));
        }
    } catch (const tp::FileError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), outcome);
    }
}

void TestSaa1064::benchChip()
{
    tp::sim::SimulatedAdapter bench;
    tp::sim::registerStandardChips(bench);
    bench.expectChip("SAA1064", 0x70);
    auto* chip = bench.chipAt<tp::sim::Saa1064Chip>(0x70);
    QVERIFY(chip);

    // Subaddress, then data moving on by itself.
    QCOMPARE(int(bench.write(0x70, {0x00, 0x47, 0x3F, 0x06, 0x5B, 0x4F})), 0);
    QCOMPARE(chip->registers(), (Registers{0x47, {0x3F, 0x06, 0x5B, 0x4F}}));
    // Wrapping from 7 to 0 over the reserved subaddresses, which keep nothing.
    QCOMPARE(int(bench.write(0x70, {0x04, 0x11, 0xAA, 0xBB, 0xCC, 0x22})), 0);
    QCOMPARE(chip->registers(), (Registers{0x22, {0x3F, 0x06, 0x5B, 0x11}}));
    QCOMPARE(int(chip->subaddress()), 1);

    // The power-reset flag: set at power-on, cleared by reading it.
    std::vector<std::uint8_t> out;
    QCOMPARE(int(bench.read(0x70, 1, out)), 0);
    QCOMPARE(int(out[0]), 0x80);
    QCOMPARE(int(bench.read(0x70, 1, out)), 0);
    QCOMPARE(int(out[0]), 0x00);
    chip->powerFailure();
    QCOMPARE(int(bench.read(0x70, 1, out)), 0);
    QCOMPARE(int(out[0]), 0x80);
}

QTEST_APPLESS_MAIN(TestSaa1064)
#include "tst_saa1064.moc"
