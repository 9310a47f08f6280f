#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/GridLabels.h"
#include "core/memory/MemoryFill.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/MemoryKind.h"
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

} // namespace

class TestMemoryImage : public QObject {
    Q_OBJECT
private slots:
    void sizes_data();
    void sizes();
    void cellTextsAndValues_data();
    void cellTextsAndValues();
    void asciiRule_data();
    void asciiRule();
    void hexCellEditing();
    void asciiTyping();
    void displayStaysInsideImage();

    void fill_data();
    void fill();
    void fillWithBadTextChangesNothing();
    void fillValueKeptAsTyped();
    void checkerboard_data();
    void checkerboard();

    void layouts_data();
    void layouts();
    void gridLabels();
};

// ------------------------------------------------------------------ image

void TestMemoryImage::sizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("valid");
    QTest::newRow("16") << 16 << true;
    QTest::newRow("48, odd row count") << 48 << true;
    QTest::newRow("65536") << 65536 << true;
    QTest::newRow("0") << 0 << false;
    QTest::newRow("8") << 8 << false;
    QTest::newRow("100, not whole rows") << 100 << false;
    QTest::newRow("65552") << 65552 << false;
}

void TestMemoryImage::sizes()
{
    QFETCH(int, size);
    QFETCH(bool, valid);
    QCOMPARE(MemoryImage::isValidSize(size), valid);
    if (!valid) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MemoryImage{static_cast<std::size_t>(size)});
        return;
    }
    MemoryImage image(size);
    QCOMPARE(image.rows(), std::size_t(size / 16));
    for (std::size_t a : {std::size_t(0), std::size_t(size - 1)}) {
        QCOMPARE(q(image.cellText(a)), QString("FF"));
        QCOMPARE(image.asciiCell(a), '.');
        QCOMPARE(image.value(a), std::uint8_t(0xFF));
    }
}

void TestMemoryImage::cellTextsAndValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<int>("exact");       // -1: throws
    QTest::addColumn<int>("trimmed");     // -1: throws
    QTest::addColumn<QString>("message"); // of the exact read
    QTest::newRow("plain") << "41" << true << 0x41 << 0x41 << "";
    QTest::newRow("lower case") << "a5" << false << 0xA5 << 0xA5 << "";
    QTest::newRow("one digit") << "5" << false << 5 << 5 << "";
    QTest::newRow("wide keeps low byte") << "1FF" << false << 0xFF << 0xFF << "";
    QTest::newRow("pasted junk") << "ZZ" << false << -1 << -1 << "'$ZZ' is not a valid integer value";
    QTest::newRow("empty") << "" << false << -1 << -1 << "'$' is not a valid integer value";
    QTest::newRow("blank") << " 5" << false << -1 << 5 << "'$ 5' is not a valid integer value";
}

void TestMemoryImage::cellTextsAndValues()
{
    QFETCH(QString, text);
    QFETCH(bool, plain);
    QFETCH(int, exact);
    QFETCH(int, trimmed);
    QFETCH(QString, message);

    MemoryImage image(256);
    image.setCellText(0x42, s(text));
    QCOMPARE(q(image.cellText(0x42)), text);
    QCOMPARE(image.isPlain(0x42), plain);
    QCOMPARE(image.oddCellCount(), std::size_t(plain ? 0 : 1));
    QCOMPARE(q(image.cellText(0x41)), QString("FF"));
    QCOMPARE(q(image.cellText(0x43)), QString("FF"));

    if (exact >= 0)
        QCOMPARE(int(image.value(0x42)), exact);
    QCOMPARE(errorOf([&] { image.value(0x42); }), message);
    if (trimmed >= 0)
        QCOMPARE(int(image.value(0x42, CellRead::TrimBlanks)), trimmed);
    else
        QVERIFY(!errorOf([&] { image.value(0x42, CellRead::TrimBlanks); }).isEmpty());

    // A bulk read fails as a whole on the same cell.
    std::vector<std::uint8_t> out(256);
    QCOMPARE(errorOf([&] { image.readValues(0, out); }), message);

    // Writing a plain text back drops the odd one.
    image.setCellText(0x42, "0A");
    QCOMPARE(image.oddCellCount(), std::size_t(0));
    QCOMPARE(image.value(0x42), std::uint8_t(0x0A));
}

void TestMemoryImage::asciiRule_data()
{
    QTest::addColumn<uint>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("control") << 0x1Fu << ".";
    QTest::newRow("blank") << 0x20u << " ";
    QTest::newRow("A") << 0x41u << "A";
    QTest::newRow("dot itself") << 0x2Eu << ".";
    QTest::newRow("tilde") << 0x7Eu << "~";
    QTest::newRow("DEL") << 0x7Fu << ".";
    QTest::newRow("high") << 0xFFu << ".";
    QTest::newRow("above a byte") << 0x141u << ".";
}

void TestMemoryImage::asciiRule()
{
    QFETCH(uint, value);
    QFETCH(QString, shown);
    QCOMPARE(QString(QChar::fromLatin1(MemoryImage::asciiFor(value))), shown);
    if (value <= 0xFF) {
        MemoryImage image(16);
        const std::uint8_t b = static_cast<std::uint8_t>(value);
        QCOMPARE(image.display(7, std::span(&b, 1)), (CellRange{7, 8}));
        QCOMPARE(QString(QChar::fromLatin1(image.asciiCell(7))), shown);
        QCOMPARE(q(image.cellText(7)), q(intToHex(value, 2)));
    }
}

void TestMemoryImage::hexCellEditing()
{
    MemoryImage image(16);
    image.setAsciiCell(3, 'q');

    // Typing 4 and leaving: "04", the ASCII cell keeps its old character.
    image.followEdit(3, "4");
    QCOMPARE(image.asciiCell(3), 'q');
    QCOMPARE(q(image.commitEdit(3, "4")), QString("04"));
    QCOMPARE(q(image.cellText(3)), QString("04"));
    QCOMPARE(image.asciiCell(3), 'q');

    // Typing 41 shows A at once.
    image.followEdit(3, "41");
    QCOMPARE(image.asciiCell(3), 'A');
    image.commitEdit(3, "41");
    QCOMPARE(image.value(3), std::uint8_t(0x41));

    // Clearing gives FF; blanks are trimmed.
    QCOMPARE(q(image.commitEdit(3, "")), QString("FF"));
    QCOMPARE(q(image.commitEdit(3, "  ")), QString("FF"));
    QCOMPARE(q(image.commitEdit(3, " 7 ")), QString("07"));
    QVERIFY(image.isPlain(3));

    // Pasted non-hex text fails when it is read.
    QCOMPARE(errorOf([&] { image.followEdit(3, "G1"); }), QString("'$G1' is not a valid integer value"));
    QCOMPARE(q(image.commitEdit(3, "G1")), QString("G1"));
    QCOMPARE(q(image.cellText(3)), QString("G1"));
}

void TestMemoryImage::asciiTyping()
{
    MemoryImage image(16);
    QVERIFY(image.typeAscii(2, 'z'));
    QCOMPARE(q(image.cellText(2)), QString("7A"));
    QCOMPARE(image.asciiCell(2), 'z');

    // Outside 32..126 the code still goes into the hex cell.
    QVERIFY(image.typeAscii(4, 0xE9));
    QCOMPARE(q(image.cellText(4)), QString("E9"));

    // Backspace, tab and return change no cell; an odd cell is replaced.
    image.setCellText(5, "ZZ");
    for (std::uint8_t code : {8, 9, 13})
        QVERIFY(!image.typeAscii(5, code));
    QCOMPARE(q(image.cellText(5)), QString("ZZ"));
    QVERIFY(image.typeAscii(5, ' '));
    QCOMPARE(q(image.cellText(5)), QString("20"));
    QCOMPARE(image.oddCellCount(), std::size_t(0));
}

void TestMemoryImage::displayStaysInsideImage()
{
    MemoryImage image(16);
    const std::vector<std::uint8_t> two{1, 2};
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, image.display(15, two));
    QCOMPARE(q(image.cellText(15)), QString("FF"));
    QCOMPARE(image.display(14, two), (CellRange{14, 16}));
}

// ------------------------------------------------------------------ fill

void TestMemoryImage::fill_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("fillTo"); // correction of the Fill to field
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last"); // one past; first == last: nothing filled

    QTest::newRow("row 2 of 256") << 256 << "10" << "1F" << "41" << "" << "" << 0x10 << 0x20;
    QTest::newRow("one byte") << 256 << "20" << "20" << "00" << "" << "" << 0x20 << 0x21;
    QTest::newRow("whole 64K") << 65536 << "0" << "FFFF" << "A5" << "" << "" << 0 << 65536;
    QTest::newRow("to beyond 256")
        << 256 << "00" << "100" << "41" << "The \"To hex address\" must be less than\r256  (0x0FF)" << "0FF" << 0 << 0;
    QTest::newRow("to beyond 16")
        << 16 << "0" << "10" << "41" << "The \"To hex address\" must be less than\r16  (0x00F)" << "00F" << 0 << 0;
    QTest::newRow("to beyond 4K")
        << 4096 << "0" << "1000" << "41" << "The \"To hex address\" must be less than\r4096  (0xFFF)" << "FFF" << 0 << 0;
    QTest::newRow("to below from")
        << 256 << "20" << "1F" << "41" << "The \"From Address\"\rmust be less than\r\"To Address\"" << "" << 0 << 0;
}

void TestMemoryImage::fill()
{
    QFETCH(int, size);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, value);
    QFETCH(QString, warning);
    QFETCH(QString, fillTo);
    QFETCH(int, first);
    QFETCH(int, last);

    MemoryImage image = patterned(size);
    const MemoryImage before = image;
    const FillResult r = MemoryFill::fill(image, s(from), s(to), s(value));

    QCOMPARE(r.notice.has_value(), !warning.isEmpty());
    if (r.notice) {
        QCOMPARE(r.notice->kind, Notice::Kind::Warning);
        QCOMPARE(q(r.notice->text), warning);
    }
    QCOMPARE(q(r.fillToText.value_or("")), fillTo);
    QCOMPARE(r.changed, (CellRange{std::size_t(first), std::size_t(last)}));

    const char ascii = MemoryImage::asciiFor(hexToInt(s(value)));
    for (int a = 0; a < size; ++a) {
        if (a >= first && a < last) {
            QCOMPARE(q(image.cellText(a)), value);
            QCOMPARE(image.asciiCell(a), ascii);
        } else {
            QCOMPARE(image.cellText(a), before.cellText(a));
            QCOMPARE(image.asciiCell(a), before.asciiCell(a));
        }
    }
}

void TestMemoryImage::fillWithBadTextChangesNothing()
{
    MemoryImage image = patterned(256);
    const MemoryImage before = image;
    QCOMPARE(errorOf([&] { MemoryFill::fill(image, "10", "1F", "Z1"); }), QString("'$Z1' is not a valid integer value"));
    QCOMPARE(errorOf([&] { MemoryFill::fill(image, "", "1F", "41"); }), QString("'$' is not a valid integer value"));
    QCOMPARE(errorOf([&] { MemoryFill::fill(image, "10", "", "41"); }), QString("'$' is not a valid integer value"));
    QVERIFY(sameCells(image, before));
}

void TestMemoryImage::fillValueKeptAsTyped()
{
    // The fill value goes into the cells unaltered; its exit rule pads it.
    MemoryImage image(16);
    MemoryFill::fill(image, "2", "3", "5");
    QCOMPARE(texts(image, 1, 4), (QStringList{"FF", "5", "5", "FF"}));
    QCOMPARE(image.value(2), std::uint8_t(5));
    QCOMPARE(image.oddCellCount(), std::size_t(2));
    MemoryFill::fill(image, "0", "F", "41");
    QCOMPARE(image.oddCellCount(), std::size_t(0));

    QCOMPARE(q(MemoryFill::fillValueExit("5")), QString("05"));
    QCOMPARE(q(MemoryFill::fillValueExit("")), QString("FF"));
    QCOMPARE(q(MemoryFill::fillValueExit(" A ")), QString("0A"));
    QCOMPARE(q(MemoryFill::fillValueExit("3C")), QString("3C"));
}

void TestMemoryImage::checkerboard_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<bool>("setAscii");
    QTest::newRow("16: one row, unchanged") << 16 << false << true;
    QTest::newRow("48: last row unpaired") << 48 << false << true;
    QTest::newRow("128 small") << 128 << false << true;
    QTest::newRow("128 inverted") << 128 << true << true;
    QTest::newRow("4K large, ASCII stale") << 4096 << false << false;
    QTest::newRow("64K large inverted") << 65536 << true << false;
}

void TestMemoryImage::checkerboard()
{
    QFETCH(int, size);
    QFETCH(bool, inverted);
    QFETCH(bool, setAscii);

    MemoryImage image = patterned(size);
    image.setCellText(0, "ZZ");
    const MemoryImage before = image;
    const CellRange r = MemoryFill::checkerboard(image, inverted, setAscii);

    const int paired = size / 32 * 32;
    QCOMPARE(r, (CellRange{0, std::size_t(paired)}));
    for (int a = 0; a < size; ++a) {
        if (a >= paired) {
            QCOMPARE(image.cellText(a), before.cellText(a));
            continue;
        }
        const bool firstOfPair = (a / 16) % 2 == 0;
        const QString expected = (firstOfPair != inverted) ? "55" : "AA";
        QCOMPARE(q(image.cellText(a)), expected);
        if (setAscii)
            QCOMPARE(image.asciiCell(a), expected == "55" ? 'U' : '.');
        else
            QCOMPARE(image.asciiCell(a), before.asciiCell(a));
    }
    QCOMPARE(image.oddCellCount(), std::size_t(paired ? 0 : 1));
}

// ------------------------------------------------------------------ layout

void TestMemoryImage::layouts_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("eeCaption");
    QTest::addColumn<QString>("ramCaption");
    QTest::addColumn<QStringList>("fields"); // fill from/to, copy start/end, target start/end
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("copyEndDigits");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QStringList>("addresses");

    QTest::newRow("16") << 16 << "16 Byte (128 bit) EEPROM" << "16 Byte (128 bit) RAM / FRAM"
                        << QStringList{"0", "F", "0", "7", "8", "F"} << 1 << 1 << "000" << 1 << QStringList{};
    QTest::newRow("512") << 512 << "512 Byte (4096 bit) EEPROM" << "512 Byte (4096 bit) RAM / FRAM"
                         << QStringList{"000", "1FF", "000", "0FF", "100", "1FF"} << 3 << 3 << "000" << 8
                         << QStringList{"A0", "A4", "A8", "AC"};
    QTest::newRow("4096") << 4096 << "4096 Byte (32768 bit) EEPROM" << "4096 Byte (32768 bit) RAM / FRAM"
                          << QStringList{"0", "FFF", "000", "7FF", "800", "FFF"} << 3 << 4 << "000" << 8
                          << QStringList{};
    QTest::newRow("8192") << 8192 << "8192 Byte (64K bit) EEPROM" << "8192 Byte (64K bit) RAM / FRAM"
                          << QStringList{"0", "1FFF", "0000", "FFF", "1000", "1FFF"} << 4 << 4 << "0000" << 8
                          << QStringList{};
    QTest::newRow("65536") << 65536 << "65536 Byte (512K bit) EEPROM" << "65536 Byte (512K bit) RAM / FRAM"
                           << QStringList{"0", "FFFF", "0000", "7FFF", "8000", "FFFF"} << 4 << 4 << "000" << 8
                           << QStringList{};
}

void TestMemoryImage::layouts()
{
    QFETCH(int, size);
    QFETCH(QString, eeCaption);
    QFETCH(QString, ramCaption);
    QFETCH(QStringList, fields);
    QFETCH(int, digits);
    QFETCH(int, copyEndDigits);
    QFETCH(QString, label);
    QFETCH(int, pageSize);
    QFETCH(QStringList, addresses);

    const MemoryKind ee = size >= 4096 ? MemoryKind::LargeEeprom : MemoryKind::SmallEeprom;
    const MemoryKind ram = size >= 4096 ? MemoryKind::LargeRam : MemoryKind::SmallRam;
    QCOMPARE(q(memoryCaption(size, ee)), eeCaption);
    QCOMPARE(q(memoryCaption(size, ram)), ramCaption);
    const MemoryLayout& l = memoryLayout(size);
    QCOMPARE((QStringList{q(l.fillFrom), q(l.fillTo), q(l.copyStart), q(l.copyEnd), q(l.targetStart),
                          q(l.targetEnd)}),
             fields);
    QCOMPARE(l.digits, digits);
    QCOMPARE(l.copyEndDigits, copyEndDigits);
    QCOMPARE(q(l.addressLabel), label);
    QCOMPARE(l.eepromPageSize, pageSize);
    QStringList choices;
    for (const auto& a : l.addressChoices)
        choices << q(a);
    QCOMPARE(choices, addresses);
    QCOMPARE(isLargeSize(size), size >= 4096);

    // Every catalogue size's preset copy fields are self-consistent.
    for (std::size_t sz : memorySizes()) {
        const auto& m = memoryLayout(sz);
        QCOMPARE(hexToInt(m.copyEnd) + hexToInt(m.targetStart) - hexToInt(m.copyStart), hexToInt(m.targetEnd));
        QCOMPARE(std::size_t(hexToInt(m.fillTo)), sz - 1);
    }
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, memoryLayout(48));
}

void TestMemoryImage::gridLabels()
{
    QCOMPARE(q(GridLabels::rowLabel(1)), QString("0"));
    QCOMPARE(q(GridLabels::rowLabel(17)), QString("10"));
    QCOMPARE(q(GridLabels::rowLabel(128)), QString("7F"));
    QCOMPARE(q(GridLabels::rowLabel(4096)), QString("FFF"));
    QCOMPARE(q(GridLabels::columnLabel(15)), QString("F"));

    // The hex grid's byte columns start at 1, the ASCII grid's at 0.
    QCOMPARE(GridLabels::hexGridAddress(2, 1), std::size_t(16));
    QCOMPARE(GridLabels::textGridAddress(2, 0), std::size_t(16));
    QCOMPARE(GridLabels::hexGridAddress(27, 6), std::size_t(0x1A5));
    QCOMPARE(q(GridLabels::addressLabel(0x1A5, addressDigits(MemoryKind::SmallEeprom))), QString("1A5"));
    QCOMPARE(q(GridLabels::addressLabel(5, addressDigits(MemoryKind::SmallRam))), QString("005"));
    QCOMPARE(q(GridLabels::addressLabel(5, addressDigits(MemoryKind::LargeRam))), QString("0005"));
    QCOMPARE(q(GridLabels::addressLabel(0xFFFF, 4)), QString("FFFF"));
}

QTEST_APPLESS_MAIN(TestMemoryImage)
#include "tst_memory_image.moc"
