#include "core/devices/ports/RegisterExpander.h"
#include "core/sim/IoExpanderChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

using namespace tp;
using namespace tp::sim;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(Bytes)

namespace {

// `n` bytes read from register `reg`: pointer write, repeated start, read.
Bytes readRegs(SimulatedAdapter& bench, std::uint8_t address, std::uint8_t reg, std::size_t n)
{
    Bytes out;
    if (bench.writeRead(address, {reg}, n, out) != status::Success)
        return {};
    return out;
}

struct Rig {
    SimulatedAdapter bench;
    IoExpanderChip* chip;
    explicit Rig(const char* type, std::uint8_t address = 0x40)
    {
        chip = static_cast<IoExpanderChip*>(&bench.place(address, std::make_unique<IoExpanderChip>(type)));
    }
    // Every register read on its own.
    Bytes all(std::uint8_t address = 0x40)
    {
        Bytes out;
        for (int r = 0; r < 4 * chip->ports(); ++r) {
            Bytes one = readRegs(bench, address, std::uint8_t(r), 1);
            out.push_back(one.empty() ? 0xEE : one[0]);
        }
        return out;
    }
};

} // namespace

class TestBenchIoExpanders : public QObject {
    Q_OBJECT
private slots:
    void powerOnValues_data();
    void powerOnValues();
    void inputRegisterIsReadOnly_data();
    void inputRegisterIsReadOnly();
    void inputIsPinLevelXorPolarity_data();
    void inputIsPinLevelXorPolarity();
    void eightBitChipsHaveNoAutoIncrement();
    void sixteenBitPointerTogglesWithinAPair_data();
    void sixteenBitPointerTogglesWithinAPair();
    void sixteenBitInputPairHasTwoPorts();
    void benchKnowsEveryTypeAtItsAddresses();
    void addressLists();
};

void TestBenchIoExpanders::powerOnValues_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<Bytes>("registers");
    // All pins high (pulled up, nothing driving them).
    for (const char* t : {"PCA9534", "PCA9538", "PCA9554", "PCA9554A"})
        QTest::newRow(t) << t << Bytes{0xFF, 0xFF, 0x00, 0xFF};
    // Four pins; the input bits without a pin read 1.
    QTest::newRow("PCA9536") << "PCA9536" << Bytes{0xFF, 0xFF, 0x00, 0xFF};
    QTest::newRow("PCA9537") << "PCA9537" << Bytes{0xFF, 0xFF, 0x00, 0xFF};
    // The upper four inputs power up inverted.
    QTest::newRow("PCA9556") << "PCA9556" << Bytes{0x0F, 0x00, 0xF0, 0xFF};
    QTest::newRow("PCA9557") << "PCA9557" << Bytes{0x0F, 0x00, 0xF0, 0xFF};
    for (const char* t : {"PCA9535", "PCA9539", "PCA9555"})
        QTest::newRow(t) << t << Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
}

void TestBenchIoExpanders::powerOnValues()
{
    QFETCH(QString, type);
    QFETCH(Bytes, registers);
    Rig r(qPrintable(type));
    QCOMPARE(r.all(), registers);
}

void TestBenchIoExpanders::inputRegisterIsReadOnly_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("reg");
    QTest::newRow("PCA9554 input") << "PCA9554" << 0;
    QTest::newRow("PCA9555 input 0") << "PCA9555" << 0;
    QTest::newRow("PCA9555 input 1") << "PCA9555" << 1;
}

void TestBenchIoExpanders::inputRegisterIsReadOnly()
{
    QFETCH(QString, type);
    QFETCH(int, reg);
    Rig r(qPrintable(type));
    const Bytes before = r.all();
    // Acknowledged, and nothing changes.
    QCOMPARE(r.bench.write(0x40, {std::uint8_t(reg), 0x00}), status::Success);
    QCOMPARE(r.all(), before);
}

void TestBenchIoExpanders::inputIsPinLevelXorPolarity_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("outside"); // levels the outside world gives the pins
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("polarity");
    QTest::addColumn<int>("config");
    QTest::addColumn<int>("input");
    QTest::newRow("inputs follow the outside") << "PCA9554" << 0x5A << 0xFF << 0x00 << 0xFF << 0x5A;
    QTest::newRow("polarity inverts") << "PCA9554" << 0xFF << 0xFF << 0x0F << 0xFF << 0xF0;
    QTest::newRow("outputs drive their pins") << "PCA9554" << 0xFF << 0x3C << 0x00 << 0x00 << 0x3C;
    QTest::newRow("outputs, then inverted") << "PCA9554" << 0xFF << 0x3C << 0x81 << 0x00 << 0xBD;
    QTest::newRow("half outputs") << "PCA9554" << 0x00 << 0x0F << 0x00 << 0xF0 << 0x0F;
    QTest::newRow("4-bit, pins low") << "PCA9536" << 0x00 << 0xFF << 0x00 << 0xFF << 0xF0;
    QTest::newRow("4-bit, inverted") << "PCA9537" << 0xFF << 0xFF << 0xFF << 0xFF << 0xF0;
    QTest::newRow("PCA9557 IO0 open drain released") << "PCA9557" << 0xFE << 0xFF << 0x00 << 0x00 << 0xFE;
    QTest::newRow("PCA9557 IO0 open drain pulls low") << "PCA9557" << 0xFF << 0xFE << 0x00 << 0x00 << 0xFE;
    QTest::newRow("PCA9556 IO0 push-pull") << "PCA9556" << 0xFE << 0xFF << 0x00 << 0x00 << 0xFF;
}

void TestBenchIoExpanders::inputIsPinLevelXorPolarity()
{
    QFETCH(QString, type);
    QFETCH(int, outside);
    QFETCH(int, output);
    QFETCH(int, polarity);
    QFETCH(int, config);
    QFETCH(int, input);
    Rig r(qPrintable(type));
    r.chip->setExternal(0, std::uint8_t(outside));
    for (auto [reg, v] : {std::pair{1, output}, {2, polarity}, {3, config}})
        QCOMPARE(r.bench.write(0x40, {std::uint8_t(reg), std::uint8_t(v)}), status::Success);
    QCOMPARE(readRegs(r.bench, 0x40, 0, 1), Bytes{std::uint8_t(input)});
}

void TestBenchIoExpanders::eightBitChipsHaveNoAutoIncrement()
{
    Rig r("PCA9554");
    // A burst stays in one register: the last byte is kept.
    QCOMPARE(r.bench.write(0x40, {0x01, 0x12, 0x34, 0x56}), status::Success);
    QCOMPARE(r.all(), (Bytes{0xFF, 0x56, 0x00, 0xFF}));
    // A long read repeats the register, and so does a read without a pointer.
    QCOMPARE(readRegs(r.bench, 0x40, 0x02, 3), (Bytes{0x00, 0x00, 0x00}));
    Bytes again;
    QCOMPARE(r.bench.read(0x40, 2, again), status::Success);
    QCOMPARE(again, (Bytes{0x00, 0x00}));
}

void TestBenchIoExpanders::sixteenBitPointerTogglesWithinAPair_data()
{
    QTest::addColumn<Bytes>("written");
    QTest::addColumn<Bytes>("registers"); // 0..7 afterwards
    QTest::addColumn<int>("readFrom");
    QTest::addColumn<Bytes>("read");
    const Bytes powerOn{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
    // The datasheet's own example: the byte after register 3 goes to register 2.
    QTest::newRow("from the odd register")
        << Bytes{0x03, 0xAA, 0xBB} << Bytes{0xFF, 0xFF, 0xBB, 0xAA, 0x00, 0x00, 0xFF, 0xFF} << 2
        << Bytes{0xBB, 0xAA, 0xBB};
    QTest::newRow("a pair, low register first")
        << Bytes{0x06, 0xAA, 0x55} << Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xAA, 0x55} << 7
        << Bytes{0x55, 0xAA};
    QTest::newRow("more bytes stay in the pair")
        << Bytes{0x04, 0x01, 0x02, 0x03} << Bytes{0xFC, 0xFD, 0xFF, 0xFF, 0x03, 0x02, 0xFF, 0xFF} << 4
        << Bytes{0x03, 0x02, 0x03, 0x02};
    QTest::newRow("pointer only") << Bytes{0x05} << powerOn << 0 << Bytes{0xFF, 0xFF};
}

void TestBenchIoExpanders::sixteenBitPointerTogglesWithinAPair()
{
    QFETCH(Bytes, written);
    QFETCH(Bytes, registers);
    QFETCH(int, readFrom);
    QFETCH(Bytes, read);
    Rig r("PCA9555");
    QCOMPARE(r.bench.write(0x40, written), status::Success);
    QCOMPARE(r.all(), registers);
    QCOMPARE(readRegs(r.bench, 0x40, std::uint8_t(readFrom), read.size()), read);
}

void TestBenchIoExpanders::sixteenBitInputPairHasTwoPorts()
{
    Rig r("PCA9555");
    r.chip->setExternal(0, 0x12);
    r.chip->setExternal(1, 0x34);
    QCOMPARE(readRegs(r.bench, 0x40, 0, 2), (Bytes{0x12, 0x34}));
    QCOMPARE(readRegs(r.bench, 0x40, 1, 2), (Bytes{0x34, 0x12}));
    // Port 1's registers act on port 1's pins only.
    QCOMPARE(r.bench.write(0x40, {0x05, 0xFF}), status::Success); // polarity 1
    QCOMPARE(r.bench.write(0x40, {0x03, 0x0F}), status::Success); // output 1
    QCOMPARE(r.bench.write(0x40, {0x07, 0x00}), status::Success); // port 1 all outputs
    QCOMPARE(readRegs(r.bench, 0x40, 0, 2), (Bytes{0x12, 0xF0}));
}

void TestBenchIoExpanders::benchKnowsEveryTypeAtItsAddresses()
{
    using namespace tp::expander;
    SimulatedAdapter bench;
    registerStandardChips(bench);
    for (const AddressChoices* list :
         {&pca9554Addresses(), &pca9536Addresses(), &pca9556Addresses(), &pca9555Addresses()}) {
        for (int i = 0; i < list->count(); ++i) {
            const std::uint8_t a = list->address(i);
            const std::string type = list->chipTypeAt(a);
            bench.expectChip(type, a);
            auto* chip = bench.chipAt<IoExpanderChip>(a);
            QVERIFY2(chip, type.c_str());
            QCOMPARE(chip->type(), type);
        }
    }
    for (const std::string& t : IoExpanderChip::types())
        QVERIFY2(bench.knowsType(t), t.c_str());
    QCOMPARE(IoExpanderChip::types().size(), std::size_t(11));
}

void TestBenchIoExpanders::addressLists()
{
    using namespace tp::expander;
    auto texts = [](const AddressChoices& c) {
        QStringList out;
        for (const std::string& s : c.itemTexts())
            out << QString::fromStdString(s);
        return out.join(' ');
    };
    QCOMPARE(texts(pca9554Addresses()), QStringLiteral("0x40 0x42 0x44 0x46 0x48 0x4A 0x4C 0x4E "
                                                       "0x70 0x72 0x74 0x76 0x78 0x7A 0x7C 0x7E "
                                                       "0xE0 0xE2 0xE4 0xE6"));
    QCOMPARE(texts(pca9536Addresses()), QStringLiteral("0x82 0x92"));
    QCOMPARE(texts(pca9556Addresses()), QStringLiteral("0x30 0x32 0x34 0x36 0x38 0x3A 0x3C 0x3E"));
    QCOMPARE(texts(pca9555Addresses()),
             QStringLiteral("0x40 0x42 0x44 0x46 0x48 0x4A 0x4C 0x4E 0xE8 0xEA 0xEC 0xEE"));
    QCOMPARE(pca9554Addresses().itemOf(0x70), 8);
    QCOMPARE(pca9554Addresses().itemOf(0x71), -1);
    QCOMPARE(pca9554Addresses().chipTypeAt(0x7E), std::string(kPca9554A));
    QCOMPARE(pca9554Addresses().chipTypeAt(0xE6), std::string(kPca9538));
    QCOMPARE(pca9555Addresses().chipTypeAt(0xEA), std::string(kPca9539));
    QCOMPARE(pca9536Addresses().chipTypeAt(0x92), std::string(kPca9537));
}

QTEST_APPLESS_MAIN(TestBenchIoExpanders)
#include "tst_bench_ioexpanders.moc"
