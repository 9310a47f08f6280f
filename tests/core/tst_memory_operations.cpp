#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/BlockCopy.h"
#include "core/memory/GoToByte.h"
#include "core/memory/GridLabels.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/MemoryKind.h"
#include "core/memory/VerifyCompare.h"
#include "tests/support/MemoryImages.h"

#include <QtTest>

using namespace tp;
using namespace memtest;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }

QStringList texts(const MemoryImage& image, std::size_t first, std::size_t count)
{
    QStringList out;
    for (std::size_t a = first; a < first + count; ++a)
        out << q(image.cellText(a));
    return out;
}

QString asciiRow(const MemoryImage& image, std::size_t first, std::size_t count)
{
    QString out;
    for (std::size_t a = first; a < first + count; ++a)
        out += QChar::fromLatin1(image.asciiCell(a));
    return out;
}

} // namespace

class TestMemoryOperations : public QObject {
    Q_OBJECT
private slots:
    void copyFieldChanges_data();
    void copyFieldChanges();
    void copyFieldExits();
    void copyOverlaps_data();
    void copyOverlaps();
    void copyRefusals_data();
    void copyRefusals();
    void copyOddCells();
    void copyWholeHalfOf64K();

    void goToFields();
    void goToTarget();

    void verify();
    void verifyTextRules();
};

// ------------------------------------------------------------------ copy

void TestMemoryOperations::copyFieldChanges_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("field"); // which field changed
    QTest::addColumn<QStringList>("fields"); // start, end, target
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("fieldText");
    QTest::addColumn<QString>("targetEnd"); // "-": unchanged

    const QStringList copy256{"00", "3F", "80"};
    QTest::newRow("target 80 in 256") << 256 << 3 << "target" << copy256 << "" << "" << "0BF";
    QTest::newRow("target empty counts 0") << 256 << 3 << "target" << QStringList{"10", "1F", ""} << "" << "" << "00F";
    QTest::newRow("target beyond")
        << 256 << 3 << "target" << QStringList{"00", "0F", "100"} << "Maximum address = 0FF" << "0FF" << "10E";
    QTest::newRow("start moved") << 256 << 3 << "start" << QStringList{"10", "3F", "80"} << "" << "" << "0AF";
    QTest::newRow("start beyond")
        << 256 << 3 << "start" << QStringList{"100", "3F", "80"} << "Maximum address = 0FF" << "0" << "0BF";
    QTest::newRow("start empty: nothing") << 256 << 3 << "start" << QStringList{"", "3F", "80"} << "" << "" << "-";
    QTest::newRow("end moved, 64K") << 65536 << 4 << "end" << QStringList{"0000", "7FFF", "8000"} << "" << "" << "FFFF";
    QTest::newRow("end beyond, 4K")
        << 4096 << 4 << "end" << QStringList{"000", "1000", "800"} << "Maximum address = 0FFF" << "0FFF" << "17FF";
    QTest::newRow("end empty: nothing") << 256 << 3 << "end" << QStringList{"00", "", "80"} << "" << "" << "-";
    QTest::newRow("end below start wraps")
        << 256 << 3 << "end" << QStringList{"10", "05", "00"} << "" << "" << "FFFFFFF5";
}

void TestMemoryOperations::copyFieldChanges()
{
    QFETCH(int, size);
    QFETCH(int, digits);
    QFETCH(QString, field);
    QFETCH(QStringList, fields);
    QFETCH(QString, notice);
    QFETCH(QString, fieldText);
    QFETCH(QString, targetEnd);

    const CopyFields f{s(fields[0]), s(fields[1]), s(fields[2]), "?"};
    const CopyFieldUpdate u = field == "start" ? BlockCopy::startChanged(f, size, digits)
                              : field == "end" ? BlockCopy::endChanged(f, size, digits)
                                               : BlockCopy::targetChanged(f, size, digits);
    QCOMPARE(u.notice.has_value(), !notice.isEmpty());
    if (u.notice) {
        QCOMPARE(u.notice->kind, Notice::Kind::Message);
        QCOMPARE(q(u.notice->text), notice);
    }
    QCOMPARE(q(u.fieldText.value_or("")), fieldText);
    QCOMPARE(q(u.targetEndText.value_or("-")), targetEnd);
}

void TestMemoryOperations::copyFieldExits()
{
    QCOMPARE(q(BlockCopy::startExit("5", 3)), QString("005"));
    QCOMPARE(q(BlockCopy::startExit("5", 4)), QString("0005"));
    QCOMPARE(q(BlockCopy::startExit("12345", 4)), QString("12345"));
    QCOMPARE(errorOf([] { BlockCopy::startExit("", 3); }), QString("'$' is not a valid integer value"));

    // End below start: warning, start + 1 with three digits in both families.
    CopyFieldExit e = BlockCopy::endExit({"10", "05", "0", "0"});
    QVERIFY(e.notice.has_value());
    QCOMPARE(e.notice->kind, Notice::Kind::Warning);
    QCOMPARE(q(e.notice->text), QString("End of Block must be greater than beginning of block"));
    QCOMPARE(q(e.text), QString("011"));

    e = BlockCopy::endExit({"10", "7FF", "0", "0"});
    QVERIFY(!e.notice);
    QCOMPARE(q(e.text), QString("7FF"));
    e = BlockCopy::endExit({"10", "10", "0", "0"});
    QVERIFY(!e.notice);
    QCOMPARE(q(e.text), QString("010"));
}

void TestMemoryOperations::copyOverlaps_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("s");
    QTest::addColumn<int>("e");
    QTest::addColumn<int>("t");
    QTest::newRow("forward overlap 00..07 to 04") << 16 << 0 << 7 << 4;
    QTest::newRow("backward overlap 04..0B to 00") << 16 << 4 << 0xB << 0;
    QTest::newRow("onto itself") << 256 << 0x10 << 0x8F << 0x10;
    QTest::newRow("one byte") << 256 << 0xFF << 0xFF << 0;
    QTest::newRow("forward by one in 64K") << 65536 << 0 << 0xFFFE << 1;
    QTest::newRow("backward by one in 64K") << 65536 << 1 << 0xFFFF << 0;
}

void TestMemoryOperations::copyOverlaps()
{
    QFETCH(int, size);
    QFETCH(int, s);
    QFETCH(int, e);
    QFETCH(int, t);

    MemoryImage image = patterned(size);
    const MemoryImage before = image;
    const int te = e + t - s;
    const CopyResult r = BlockCopy::copy(
        image, {intToHex(s, 3), intToHex(e, 3), intToHex(t, 3), intToHex(te, 3)});
    QVERIFY(!r.notice);
    QCOMPARE(r.changed, (CellRange{std::size_t(t), std::size_t(te + 1)}));
    for (int a = 0; a < size; ++a) {
        const int from = (a >= t && a <= te) ? s + (a - t) : a;
        QCOMPARE(image.cellText(a), before.cellText(from));
        QCOMPARE(image.asciiCell(a), MemoryImage::asciiFor(before.value(from)));
    }
}

void TestMemoryOperations::copyRefusals_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QStringList>("fields"); // start, end, target, target end
    QTest::addColumn<QString>("warning");

    const QString beyond256 =
        "Copied block extends beyond the maximum EEPROM address.\rEnding address must be less than 0x0FF";
    QTest::newRow("end below start")
        << 256 << QStringList{"10", "05", "80", "75"}
        << "Copy From \"Starting Address\" must be less than Copy From \"Ending Address\"";
    QTest::newRow("target end beyond") << 256 << QStringList{"00", "7F", "81", "100"} << beyond256;
    QTest::newRow("target end field stale") << 256 << QStringList{"00", "7F", "81", "0FF"} << beyond256;
    QTest::newRow("source beyond") << 256 << QStringList{"F0", "10F", "00", "1F"} << beyond256;
    QTest::newRow("64K") << 65536 << QStringList{"0000", "8000", "8000", "10000"}
                         << "Copied block extends beyond the maximum EEPROM address.\r"
                            "Ending address must be less than 0xFFFF";
}

void TestMemoryOperations::copyRefusals()
{
    QFETCH(int, size);
    QFETCH(QStringList, fields);
    QFETCH(QString, warning);

    MemoryImage image = patterned(size);
    const MemoryImage before = image;
    const CopyResult r = BlockCopy::copy(image, {s(fields[0]), s(fields[1]), s(fields[2]), s(fields[3])});
    QVERIFY(r.notice.has_value());
    QCOMPARE(r.notice->kind, Notice::Kind::Warning);
    QCOMPARE(q(r.notice->text), warning);
    QVERIFY(r.changed.empty());
    QVERIFY(sameCells(image, before));
}

void TestMemoryOperations::copyOddCells()
{
    // The first two characters of each text are staged as they stand.
    MemoryImage image = patterned(16);
    image.setCellText(0, "5");
    image.setCellText(1, "ABC");
    image.setCellText(2, "41");
    BlockCopy::copy(image, {"0", "2", "8", "A"});
    QCOMPARE(texts(image, 8, 3), (QStringList{"5", "AB", "41"}));
    QCOMPARE(asciiRow(image, 8, 3), QString("..A"));
    QCOMPARE(image.value(8), std::uint8_t(5));

    // A text that is not a number stops the copy before any cell changes.
    image.setCellText(1, "Q7");
    const MemoryImage before = image;
    QCOMPARE(errorOf([&] { BlockCopy::copy(image, {"0", "2", "1", "3"}); }),
             QString("'$Q7' is not a valid integer value"));
    QVERIFY(sameCells(image, before));
}

void TestMemoryOperations::copyWholeHalfOf64K()
{
    MemoryImage image = patterned(65536);
    const auto& l = memoryLayout(65536);
    const CopyResult r = BlockCopy::copy(image, {l.copyStart, l.copyEnd, l.targetStart, l.targetEnd});
    QVERIFY(!r.notice);
    QCOMPARE(r.changed, (CellRange{0x8000, 0x10000}));
    for (std::size_t a = 0; a < 0x8000; ++a)
        QCOMPARE(image.value(a + 0x8000), image.value(a));
}

// ------------------------------------------------------------------ go to

void TestMemoryOperations::goToFields()
{
    QCOMPARE(GoToByte::maximumFor(16384), 16383u);
    QCOMPARE(q(GoToByte(16383).note()), QString("Note: maximum address = 0x3FFF"));
    QCOMPARE(q(GoToByte(4095).note()), QString("Note: maximum address = 0x0FFF"));

    const GoToByte g(4095);
    GoToUpdate u = g.hexChanged("12C");
    QVERIFY(!u.notice && !u.fieldText);
    QCOMPARE(q(u.otherText), QString("300"));

    u = g.hexChanged("1000");
    QVERIFY(u.notice.has_value());
    QCOMPARE(u.notice->kind, Notice::Kind::Message);
    QCOMPARE(q(u.notice->text), QString("Maximum address = 0FFF"));
    QCOMPARE(q(u.fieldText.value_or("")), QString("0FFF"));
    QCOMPARE(q(u.otherText), QString("4095"));

    QCOMPARE(q(g.hexChanged("").otherText), QString("0"));
    QCOMPARE(errorOf([&] { g.hexChanged("G"); }), QString("'$G' is not a valid integer value"));

    u = g.decimalChanged("300");
    QVERIFY(!u.notice);
    QCOMPARE(q(u.otherText), QString("012C"));

    u = g.decimalChanged("5000");
    QCOMPARE(q(u.notice.value_or(Notice{}).text), QString("Maximum address = 4095"));
    QCOMPARE(q(u.fieldText.value_or("")), QString("4095"));
    QCOMPARE(q(u.otherText), QString("0FFF"));

    u = g.decimalChanged("");
    QVERIFY(!u.notice && !u.fieldText);
    QCOMPARE(q(u.otherText), QString(""));
    QCOMPARE(errorOf([&] { g.decimalChanged("12a"); }), QString("'12a' is not a valid integer value"));
}

void TestMemoryOperations::goToTarget()
{
    const GoToByte g(4095);
    const std::uint32_t n = g.target("300");
    QCOMPARE(n, 0x12Cu);
    QCOMPARE(GridLabels::hexGridRow(n), std::size_t(19));
    QCOMPARE(GridLabels::hexGridColumn(n), std::size_t(13));
    QCOMPARE(g.target("99999"), 4095u);
    QCOMPARE(errorOf([&] { g.target(""); }), QString("'' is not a valid integer value"));
}

// ------------------------------------------------------------------ verify

void TestMemoryOperations::verify()
{
    QCOMPARE(VerifyCompare::blockLength(16), std::size_t(16));
    QCOMPARE(VerifyCompare::blockLength(128), std::size_t(128));
    QCOMPARE(VerifyCompare::blockLength(256), std::size_t(256));
    QCOMPARE(VerifyCompare::blockLength(2048), std::size_t(256));
    QCOMPARE(VerifyCompare::blockLength(65536), std::size_t(256));

    MemoryImage image = patterned(16);
    std::vector<std::uint8_t> chip = image.values();
    VerifyResult r = VerifyCompare::compare(image, 0, chip);
    QCOMPARE(r.status, Status(0));
    QVERIFY(!r.notice);

    chip[5] = 0x00;
    chip[9] = 0x00;
    r = VerifyCompare::compare(image, 0, chip);
    QCOMPARE(r.status, Status(153));
    QCOMPARE(r.address, std::size_t(5));
    QVERIFY(r.notice.has_value());
    QCOMPARE(r.notice->kind, Notice::Kind::Error);
    QCOMPARE(q(r.notice->text), QString("Device failed Verify at Address 0x05\rRead value=0x00\rCorrect value=0x26"));

    // A later block of a large image names the full address.
    MemoryImage large = patterned(4096);
    std::vector<std::uint8_t> block(256);
    large.readValues(0x100, block);
    block[0x11] ^= 0xFF;
    r = VerifyCompare::compare(large, 0x100, block);
    QCOMPARE(r.address, std::size_t(0x111));
    QVERIFY(q(r.notice->text).startsWith("Device failed Verify at Address 0x111\r"));

    // A block reaching past the image compares what lies inside it.
    std::vector<std::uint8_t> tail(32, 0);
    large.readValues(4096 - 16, std::span(tail).first(16));
    QCOMPARE(VerifyCompare::compare(large, 4096 - 16, tail).status, Status(0));
}

void TestMemoryOperations::verifyTextRules()
{
    // Cells are compared as text with two upper-case digits.
    MemoryImage image(16);
    image.setCellText(0, "5");
    image.setCellText(1, "ff");
    std::vector<std::uint8_t> chip(16, 0xFF);
    chip[0] = 0x05;
    VerifyResult r = VerifyCompare::compare(image, 0, chip);
    QCOMPARE(r.address, std::size_t(0));
    QCOMPARE(q(r.notice->text), QString("Device failed Verify at Address 0x00\rRead value=0x05\rCorrect value=0x5"));
    image.setCellText(0, "05");
    r = VerifyCompare::compare(image, 0, chip);
    QCOMPARE(r.address, std::size_t(1));
    QVERIFY(q(r.notice->text).endsWith("Correct value=0xff"));
}

QTEST_APPLESS_MAIN(TestMemoryOperations)
#include "tst_memory_operations.moc"
