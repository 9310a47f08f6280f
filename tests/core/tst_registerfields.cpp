#include "core/common/BitBoxes.h"
#include "core/common/Errors.h"
#include "core/common/HexExit.h"
#include "core/common/ToggleCaption.h"
#include "core/devices/ports/Pcf857x.h"

#include <QtTest>

using namespace tp;

Q_DECLARE_METATYPE(tp::HexExit)
Q_DECLARE_METATYPE(tp::AutoWriteCaption)

class TestRegisterFields : public QObject {
    Q_OBJECT
private slots:
    void exitNormalises_data();
    void exitNormalises();
    void exitRejectsWhatIsNoNumber_data();
    void exitRejectsWhatIsNoNumber();
    void bitBoxClicks_data();
    void bitBoxClicks();
    void masks();
    void autoWriteCaptions_data();
    void autoWriteCaptions();
    void pcf857xAddressItems();
    void pcf8575ByteOrder();
};

void TestRegisterFields::exitNormalises_data()
{
    QTest::addColumn<tp::HexExit>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("leading zero: empty") << HexExit::LeadingZero << "" << "00";
    QTest::newRow("leading zero: one digit") << HexExit::LeadingZero << "7" << "07";
    QTest::newRow("leading zero: lower digit") << HexExit::LeadingZero << "b" << "0B";
    QTest::newRow("leading zero: two stay") << HexExit::LeadingZero << "A5" << "A5";
    QTest::newRow("reformat: one digit") << HexExit::Reformat << "F" << "0F";
    QTest::newRow("reformat: two") << HexExit::Reformat << "3c" << "3C";
    QTest::newRow("reformat: zero") << HexExit::Reformat << "0" << "00";
    QTest::newRow("or FF: two reformatted") << HexExit::ReformatOrFF << "0a" << "0A";
    QTest::newRow("or FF: one digit") << HexExit::ReformatOrFF << "5" << "FF";
    QTest::newRow("or FF: empty") << HexExit::ReformatOrFF << "" << "FF";
}

void TestRegisterFields::exitNormalises()
{
    QFETCH(tp::HexExit, rule);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(QString::fromStdString(normaliseHexExit(rule, text.toStdString())), result);
}

void TestRegisterFields::exitRejectsWhatIsNoNumber_data()
{
    QTest::addColumn<tp::HexExit>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("reformat: empty") << HexExit::Reformat << "" << "'$' is not a valid integer value";
    QTest::newRow("reformat: pasted") << HexExit::Reformat << "G1" << "'$G1' is not a valid integer value";
    QTest::newRow("or FF: pasted two") << HexExit::ReformatOrFF << "ZZ" << "'$ZZ' is not a valid integer value";
}

void TestRegisterFields::exitRejectsWhatIsNoNumber()
{
    QFETCH(tp::HexExit, rule);
    QFETCH(QString, text);
    QFETCH(QString, message);
    try {
        normaliseHexExit(rule, text.toStdString());
        QFAIL("no error");
    } catch (const InvalidNumber& e) {
        QCOMPARE(QString::fromLatin1(e.what()), message);
    }
}

void TestRegisterFields::bitBoxClicks_data()
{
    // A click leaves the box in a new state; which state means 1 differs per row.
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("checkedIsOne");
    QTest::addColumn<bool>("checkedAfterClick");
    QTest::addColumn<int>("result");
    QTest::newRow("check box cleared") << 0xFF << 0x08 << true << false << 0xF7;
    QTest::newRow("check box set") << 0x00 << 0x80 << true << true << 0x80;
    QTest::newRow("lit LED means 0") << 0xFF << 0x08 << false << true << 0xF7;
    QTest::newRow("dark LED means 1") << 0xF7 << 0x08 << false << false << 0xFF;
    QTest::newRow("upper bits without boxes kept") << 0xF5 << 0x02 << true << true << 0xF7;
}

void TestRegisterFields::bitBoxClicks()
{
    QFETCH(int, value);
    QFETCH(int, mask);
    QFETCH(bool, checkedIsOne);
    QFETCH(bool, checkedAfterClick);
    QFETCH(int, result);
    const OneIs one = checkedIsOne ? OneIs::Checked : OneIs::Unchecked;
    const bool bit = bitOfBox(checkedAfterClick, one);
    const std::uint8_t v = withBit(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(mask), bit);
    QCOMPARE(int(v), result);
    // Showing the result puts the box back where the click left it.
    QCOMPARE(boxCheckedFor(bitOf(v, static_cast<std::uint8_t>(mask)), one), checkedAfterClick);
}

void TestRegisterFields::masks()
{
    QCOMPARE(masksHighToLow(8), (std::vector<std::uint8_t>{128, 64, 32, 16, 8, 4, 2, 1}));
    QCOMPARE(masksHighToLow(4), (std::vector<std::uint8_t>{8, 4, 2, 1}));
    const BitCaption pair{"High", "Low"};
    QCOMPARE(QString::fromStdString(pair.forBit(true)), QStringLiteral("High"));
    QCOMPARE(QString::fromStdString(pair.forBit(false)), QStringLiteral("Low"));
    QVERIFY(BitCaption::fixed("P 7").isFixed());
    QCOMPARE(QString::fromStdString(BitCaption::fixed("P 7").forBit(false)), QStringLiteral("P 7"));
}

void TestRegisterFields::autoWriteCaptions_data()
{
    QTest::addColumn<tp::AutoWriteCaption>("style");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour"); // -1: the control's own
    QTest::newRow("on") << AutoWriteCaption::OnOff << true << "Auto Write On" << -1;
    QTest::newRow("off") << AutoWriteCaption::OnOff << false << "Auto Write Off" << -1;
    QTest::newRow("fixed on") << AutoWriteCaption::Fixed << true << "Auto Write" << -1;
    QTest::newRow("fixed off") << AutoWriteCaption::Fixed << false << "Auto Write" << -1;
    QTest::newRow("green on") << AutoWriteCaption::GreenRed << true << "On" << int(colour::Green);
    QTest::newRow("red off") << AutoWriteCaption::GreenRed << false << "Off" << int(colour::Red);
}

void TestRegisterFields::autoWriteCaptions()
{
    QFETCH(tp::AutoWriteCaption, style);
    QFETCH(bool, on);
    QFETCH(QString, text);
    QFETCH(int, colour);
    const ToggleText t = autoWriteText(style, on);
    QCOMPARE(QString::fromStdString(t.text), text);
    QCOMPARE(t.colour ? int(*t.colour) : -1, colour);
}

void TestRegisterFields::pcf857xAddressItems()
{
    const auto h = pcf857x::hSuffixItems(pcf857x::kPcf8574ABase);
    QCOMPARE(h.size(), std::size_t(8));
    QCOMPARE(QString::fromStdString(h.front()), QStringLiteral("70h"));
    QCOMPARE(QString::fromStdString(h.back()), QStringLiteral("7Eh"));
    const auto x = pcf857x::hexPrefixItems(pcf857x::kPcf8575Base);
    QCOMPARE(QString::fromStdString(x[5]), QStringLiteral("0x4A"));
    QCOMPARE(int(pcf857x::addressOfItem(pcf857x::kPcf8574Base, 7)), 0x4E);
}

void TestRegisterFields::pcf8575ByteOrder()
{
    const pcf857x::PortPair p{0x34, 0x12};
    QCOMPARE(p.busBytes(), (std::vector<std::uint8_t>{0x34, 0x12}));
    const auto back = pcf857x::PortPair::fromBus({0xA5, 0x5A});
    QCOMPARE(int(back.low), 0xA5);
    QCOMPARE(int(back.high), 0x5A);
}

QTEST_APPLESS_MAIN(TestRegisterFields)
#include "tst_registerfields.moc"
