#include "core/devices/ports/NvRegisters.h"
#include "core/sim/DipSwitchChip.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RichTextButton.h"
#include "gui/devices/ports/pca8550.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

using tp::sim::DipSwitchChip;
using tp::sim::Fault;
namespace nv = tp::nvreg;

namespace {

const QString kPca8550 = QStringLiteral("PCA8550  4-bit Multiplexed/1-Bit Latched 5-Bit");
const QString kPca9561 = QStringLiteral("PCA9561  Quad 6-bit Multiplexed");

struct Rig {
    TestBench bench;
    TfrmPCA8550* w = nullptr;

    Rig() { open(kPca8550); }
    void open(const QString& entry)
    {
        bench.main->deviceAction(entry)->trigger();
        w = qobject_cast<TfrmPCA8550*>(bench.main->windowReference("TfrmPCA8550"));
        bench.clearLog();
    }
    DipSwitchChip* place(std::uint8_t address, DipSwitchChip::Params p)
    {
        return static_cast<DipSwitchChip*>(&bench.sim->place(address, std::make_unique<DipSwitchChip>(std::move(p))));
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLineEdit>(name)->text(); }
    void click(const QString& name) { QTest::mouseClick(c<QAbstractButton>(name), Qt::LeftButton); }
    bool checked(const QString& name) { return c<QAbstractButton>(name)->isChecked(); }
    void type(const QString& name, const QString& keys)
    {
        auto* f = c<QLineEdit>(name);
        f->setFocus();
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Backspace);
        QTest::keyClicks(f, keys);
    }
    // The transfers that carry bytes: the acknowledge polls between them left out.
    QStringList carrying() const
    {
        QStringList out;
        for (const QString& t : bench.transfers())
            if (t.split(' ').size() > 2)
                out << t;
        return out;
    }
    int polls(const QString& address) const { return int(bench.transfers().count("W " + address)); }
};

QStringList itemsOf(QComboBox* cmb)
{
    QStringList out;
    for (int i = 0; i < cmb->count(); ++i)
        out << cmb->itemText(i);
    return out;
}

} // namespace

class TestNvRegisters : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void dataBitsWriteTheBareByteAndWaitForTheWriteCycle();
    void writeButtonSendsTheDataByteUnchanged();
    void pca9559AtItsChosenAddress();
    void readDataByteShowsBoxesAndIsTheNextBase();
    void eachEepromChipKeepsItsAddress();
    void muxInReadsByteNumber255();
    void sourceCommandIsOneByte_data();
    void sourceCommandIsOneByte();
    void emptyEepromFieldWritesNothing();
    void writeAllWaitsForEachWriteCycle();
    void writeAllStopsAtTheFirstFailure_data();
    void writeAllStopsAtTheFirstFailure();
    void writeCycleThatNeverEndsIsATimeOut_data();
    void writeCycleThatNeverEndsIsATimeOut();
    void readAllReadsInOrderAndStops();
    void pca9560WriteIsNotOffered();
    void newWindowResetsAddressesAndData();
    void keyFilterKeepsFieldsHex();
    void tabOrderFollowsTheLayout();
    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();
};

void TestNvRegisters::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA8550 / PCA9559 / PCA9560 / PCA9561 Non-volatile Registers"));
    QVERIFY(r.w->childMenus().isEmpty());
    for (const char* g : {"PCA8550", "PCA9559", "PCA9561", "PCA9560"})
        QCOMPARE(r.c<QGroupBox>(QStringLiteral("grb") + g)->title(), QString::fromLatin1(g));
    QCOMPARE(r.text("edtPCA8550Address"), QStringLiteral("9C"));
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("00"));
    QCOMPARE(r.text("edt9559Data"), QStringLiteral("00"));
    const QStringList addresses{"0x98", "0x9A", "0x9C", "0x9E"};
    for (const char* cmb : {"cmbPCA9559Address", "cmbPCA9561Address", "cmbPCA9560Address"}) {
        QCOMPARE(itemsOf(r.c<QComboBox>(cmb)), addresses);
        QCOMPARE(r.c<QComboBox>(cmb)->currentIndex(), 0);
    }
    QCOMPARE(r.c<QComboBox>("cmbPCA9559Address")->toolTip(), QStringLiteral(" I\u00B2C Address"));
    const QStringList a8550{"chbMuxDataA", "chbMuxDataB", "chbMuxDataC", "chbMuxDataD", "chbLatchA"};
    QStringList captions;
    for (const QString& n : a8550) {
        QVERIFY(!r.checked(n));
        captions << r.c<QCheckBox>(n)->text();
    }
    QCOMPARE(captions, (QStringList{"Mux Data A", "Mux Data B", "Mux Data C", "Mux Data D", "Non-muxed data"}));
    QCOMPARE(r.c<QCheckBox>("chbPCA9559_E")->text(), QStringLiteral("Mux Data E"));
    QCOMPARE(r.c<QCheckBox>("chbPCA9559_F")->text(), QStringLiteral("Non-muxed data"));
    QCOMPARE(r.c<QPushButton>("btnPCA8550Write")->toolTip(), QStringLiteral(" Write the data byte to the PCA8550"));
    QCOMPARE(r.c<QPushButton>("btn8550Read")->toolTip(), QStringLiteral(" Read the data byte from the PCA8550"));
    QCOMPARE(r.c<QPushButton>("btnPCA9559Write")->toolTip(), QStringLiteral(" Write the data byte to the PCA9559"));
    QCOMPARE(r.c<QPushButton>("btn9559Read")->toolTip(), QStringLiteral(" Read the data byte from the PCA9559"));
    for (const char* t : {"chb8550AutoWrite", "chb9559AutoWrite"})
        QCOMPARE(r.c<LedToggle>(t)->text(), QStringLiteral("Auto Write Off"));
    for (int n = 0; n < 4; ++n) {
        QCOMPARE(r.text(QStringLiteral("edtEE%1").arg(n)), QStringLiteral("FF"));
        QCOMPARE(r.c<QPushButton>(QStringLiteral("btnEEPROM%1").arg(n))->text(), QStringLiteral("Write EE%1").arg(n));
        QCOMPARE(r.c<QPushButton>(QStringLiteral("btnEEPROM%1").arg(n))->toolTip(),
                 QStringLiteral("Write EEPROM Byte %1").arg(n));
        QCOMPARE(r.c<QPushButton>(QStringLiteral("btnReadEEPROM%1").arg(n))->text(), QStringLiteral("Read EE%1").arg(n));
    }
    QCOMPARE(r.c<QPushButton>("btnEEPROMall")->toolTip(), QStringLiteral("Four EEPROM bytes written sequentially"));
    QCOMPARE(r.c<QPushButton>("btnReadEEPROM")->toolTip(), QStringLiteral("Four EEPROM bytes read sequentially"));
    QCOMPARE(r.c<QPushButton>("btnWritePCA9560")->toolTip(), QStringLiteral("Two EEPROM bytes written sequentially"));
    QCOMPARE(r.c<QPushButton>("btnReadPCA9560")->toolTip(), QStringLiteral("Two EEPROM bytes read sequentially"));
    QCOMPARE(r.c<QPushButton>("btnMuxIn")->toolTip(), QStringLiteral("Read Mux In Value"));
    QCOMPARE(r.c<QPushButton>("btnPCA9560Mux")->text(), QStringLiteral("Read Mux"));
    QCOMPARE(r.c<QPushButton>("btnPCA9561Write")->toolTip(), QStringLiteral(" Write the data byte to the PCA9561"));
    QVERIFY(r.c<QLineEdit>("edtMuxIn")->isReadOnly());
    QVERIFY(r.c<QLineEdit>("edtPCA9560")->isReadOnly());
    QCOMPARE(r.text("edt9560EE0"), QStringLiteral("FF"));
    auto* wee0 = r.c<RichTextButton>("btn9560WEE0");
    QCOMPARE(wee0->text(), QStringLiteral("Write EE0"));
    QVERIFY(wee0->html().startsWith("<b>"));
    QVERIFY(wee0->html().contains("color:#0000FF\">EE0"));
    QCOMPARE(r.c<QPushButton>("btn9560REE1")->text(), QStringLiteral("Read EE1"));
    QStringList sources;
    for (const nv::Source& s : nv::pca9561Sources())
        sources << QString::fromLatin1(s.text);
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbSpecial")), sources);
    QCOMPARE(sources.at(4), QStringLiteral("MUX_SELECT overridden.  MUX_IN"));
    QCOMPARE(r.c<QComboBox>("cmbSpecial")->currentIndex(), 0);
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCa9560Special")),
             (QStringList{"MUX_OUT from EEPROM 0", "MUX_OUT from EEPROM 1", "MUX_OUT from MUX_IN",
                          "MUX_OUT from MUX_SELECT"}));
    bool sourced = false;
    for (QLabel* l : r.w->findChildren<QLabel*>())
        sourced |= l->text() == QStringLiteral("is sourced to MUX_OUT");
    QVERIFY(sourced);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestNvRegisters::dataBitsWriteTheBareByteAndWaitForTheWriteCycle()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x9C, DipSwitchChip::pca8550());
    r.click("chbLatchA");
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("10"));
    QVERIFY(r.bench.transfers().isEmpty());
    r.click("chbLatchA");
    r.click("chb8550AutoWrite");
    r.click("chbLatchA");
    r.click("chbMuxDataA");
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("11"));
    QCOMPARE(r.carrying(), (QStringList{"W 9C 10", "W 9C 11"}));
    // Each write is followed by polls until the chip answers again.
    const QStringList all = r.bench.transfers();
    QCOMPARE(all.first(), QStringLiteral("W 9C 10"));
    QCOMPARE(all.at(1), QStringLiteral("W 9C"));
    QCOMPARE(all.last(), QStringLiteral("W 9C"));
    QVERIFY(r.polls("9C") >= 4);
    QVERIFY(!chip->inWriteCycle());
    QCOMPARE(int(chip->reg(0)), 0x11);
    QCOMPARE(chip->writeCycles(), std::size_t(2));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestNvRegisters::writeButtonSendsTheDataByteUnchanged()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x9C, DipSwitchChip::pca8550());
    r.click("chbMuxDataA");
    r.click("btnPCA8550Write");
    QCOMPARE(r.carrying(), QStringList{"W 9C 01"});
    QCOMPARE(int(chip->reg(0)), 0x01);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestNvRegisters::pca9559AtItsChosenAddress()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x9E, DipSwitchChip::pca9559());
    r.c<QComboBox>("cmbPCA9559Address")->setCurrentIndex(3);
    r.click("chb9559AutoWrite");
    r.click("chbPCA9559_F");
    QCOMPARE(r.carrying(), QStringList{"W 9E 20"});
    QCOMPARE(int(chip->reg(0)), 0x20);
    r.bench.clearLog();
    r.click("chbPCA9559_E");
    r.click("btnPCA9559Write");
    QCOMPARE(r.carrying(), (QStringList{"W 9E 30", "W 9E 30"}));
}

void TestNvRegisters::readDataByteShowsBoxesAndIsTheNextBase()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x9C, DipSwitchChip::pca8550());
    chip->setReg(0, 0x15);
    r.click("chb8550AutoWrite");
    r.click("btn8550Read");
    QCOMPARE(r.bench.transfers(), QStringList{"R 9C 15"}); // no byte number, nothing written back
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("15"));
    const QList<bool> expected{true, false, true, false, true};
    const QStringList boxes{"chbMuxDataA", "chbMuxDataB", "chbMuxDataC", "chbMuxDataD", "chbLatchA"};
    for (int i = 0; i < boxes.size(); ++i)
        QCOMPARE(r.checked(boxes[i]), expected[i]);
    r.click("chbMuxDataA");
    QCOMPARE(r.carrying(), (QStringList{"R 9C 15", "W 9C 14"}));
    QCOMPARE(int(chip->reg(0)), 0x14);

    // A failed read leaves the window as it was.
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::uint8_t(0x9C), 0, 1});
    chip->setReg(0, 0x00);
    r.click("btn8550Read");
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("14"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
}

void TestNvRegisters::eachEepromChipKeepsItsAddress()
{
    Rig r;
    DipSwitchChip* far = r.place(0x9E, DipSwitchChip::pca9561());
    DipSwitchChip* near = r.place(0x98, DipSwitchChip::pca9560());
    r.c<QComboBox>("cmbPCA9561Address")->setCurrentIndex(3);
    r.type("edtEE1", "2A");
    r.click("btnEEPROM1");
    r.click("btnReadEEPROM1");
    r.c<QComboBox>("cmbSpecial")->setCurrentIndex(1);
    r.click("btnPCA9561Write");
    r.type("edt9560EE0", "11");
    r.click("btn9560WEE0");
    QCOMPARE(r.carrying(), (QStringList{"W 9E 01 2A", "W 9E 01", "Sr R 9E 2A", "W 9E F5", "W 98 00 11"}));
    QCOMPARE(int(far->reg(1)), 0x2A);
    QCOMPARE(int(far->command()), 0xF5);
    QCOMPARE(int(near->reg(0)), 0x11);
}

void TestNvRegisters::muxInReadsByteNumber255()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x98, DipSwitchChip::pca9560());
    chip->setMuxIn(0x1A);
    r.click("btnPCA9560Mux");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 98 FF", "Sr R 98 1A"}));
    QCOMPARE(r.text("edtPCA9560"), QStringLiteral("1A"));
    QCOMPARE(r.text("edtMuxIn"), QStringLiteral("00"));
    r.bench.clearLog();
    r.c<QComboBox>("cmbPCA9561Address")->setCurrentIndex(1);
    DipSwitchChip* quad = r.place(0x9A, DipSwitchChip::pca9561());
    quad->setMuxIn(0x3F);
    r.click("btnMuxIn");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 9A FF", "Sr R 9A 3F"}));
    QCOMPARE(r.text("edtMuxIn"), QStringLiteral("3F"));
}

void TestNvRegisters::sourceCommandIsOneByte_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("sent");
    QTest::newRow("Register 0") << 0 << "W 98 F1";
    QTest::newRow("Register 3") << 3 << "W 98 FD";
    QTest::newRow("overridden, MUX_IN") << 4 << "W 98 F2";
    QTest::newRow("overridden, Register 2") << 7 << "W 98 F8";
    QTest::newRow("overridden, Register 3") << 8 << "W 98 FC";
}

void TestNvRegisters::sourceCommandIsOneByte()
{
    QFETCH(int, item);
    QFETCH(QString, sent);
    Rig r;
    DipSwitchChip* chip = r.place(0x98, DipSwitchChip::pca9561());
    r.c<QComboBox>("cmbSpecial")->setCurrentIndex(item);
    r.click("btnPCA9561Write");
    QCOMPARE(r.bench.transfers(), QStringList{sent});
    QCOMPARE(int(chip->command()), sent.right(2).toInt(nullptr, 16));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestNvRegisters::emptyEepromFieldWritesNothing()
{
    Rig r;
    r.place(0x98, DipSwitchChip::pca9561());
    r.type("edtEE2", "");
    r.click("btnEEPROM2");
    QCOMPARE(r.bench.dialogs.texts("error"), QStringList{"'$' is not a valid integer value."});
    r.click("btnEEPROMall"); // Write All checks every field before it writes one
    QCOMPARE(r.bench.dialogs.texts("error").size(), 1);
    QVERIFY(r.bench.statusText().contains("PCA9561 EEPROM Byte 2"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestNvRegisters::writeAllWaitsForEachWriteCycle()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x98, DipSwitchChip::pca9561());
    const QStringList values{"01", "12", "23", "3F"};
    for (int n = 0; n < 4; ++n)
        r.type(QStringLiteral("edtEE%1").arg(n), values[n]);
    r.click("btnEEPROMall");
    QCOMPARE(r.carrying(), (QStringList{"W 98 00 01", "W 98 01 12", "W 98 02 23", "W 98 03 3F"}));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(int(chip->reg(n)), values[n].toInt(nullptr, 16));
    QCOMPARE(chip->writeCycles(), std::size_t(4));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));

    // The PCA9560's two bytes the same way.
    DipSwitchChip* dual = r.place(0x9A, DipSwitchChip::pca9560());
    r.c<QComboBox>("cmbPCA9560Address")->setCurrentIndex(1);
    r.type("edt9560EE0", "0A");
    r.type("edt9560EE1", "1B");
    r.bench.clearLog();
    r.click("btnWritePCA9560");
    QCOMPARE(r.carrying(), (QStringList{"W 9A 00 0A", "W 9A 01 1B"}));
    QCOMPARE(int(dual->reg(1)), 0x1B);
}

void TestNvRegisters::writeAllStopsAtTheFirstFailure_data()
{
    QTest::addColumn<int>("registers");       // bytes the chip has
    QTest::addColumn<int>("writeCycleMs");    // how long it stays busy
    QTest::addColumn<QStringList>("carrying");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("lastOnTheBus"); // the failing transfer's own status
    QTest::newRow("byte 2 refused") << 2 << 10 << QStringList{"W 98 00 01", "W 98 01 12"} << 2 << 2;
    // Polling ran out: the last poll was not acknowledged, yet that is a time-out.
    QTest::newRow("write cycle never ends") << 4 << 100000 << QStringList{"W 98 00 01"} << 8 << 1;
}

void TestNvRegisters::writeAllStopsAtTheFirstFailure()
{
    QFETCH(int, registers);
    QFETCH(int, writeCycleMs);
    QFETCH(QStringList, carrying);
    QFETCH(int, status);
    QFETCH(int, lastOnTheBus);
    Rig r;
    DipSwitchChip::Params p = DipSwitchChip::pca9561();
    p.registers = registers;
    p.writeCycleUs = std::uint64_t(writeCycleMs) * 1000;
    r.place(0x98, p);
    const QStringList values{"01", "12", "23", "3F"};
    for (int n = 0; n < 4; ++n)
        r.type(QStringLiteral("edtEE%1").arg(n), values[n]);
    r.click("btnEEPROMall");
    QCOMPARE(r.carrying(), carrying);
    // The failing transfer is the last one: nothing after it.
    const tp::BusLogEntry last = r.bench.sim->log().entries().back();
    QCOMPARE(int(last.status), lastOnTheBus);
    QVERIFY(last.bytes.empty());
    QCOMPARE(r.bench.status(), *tp::statusMessage(tp::Status(status)));
}

void TestNvRegisters::writeCycleThatNeverEndsIsATimeOut_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("button");
    QTest::newRow("PCA8550 data") << "PCA8550" << 0x9C << "btnPCA8550Write";
    QTest::newRow("PCA9559 data") << "PCA9559" << 0x98 << "btnPCA9559Write";
    QTest::newRow("PCA9561 one byte") << "PCA9561" << 0x98 << "btnEEPROM2";
    QTest::newRow("PCA9561 all bytes") << "PCA9561" << 0x98 << "btnEEPROMall";
    QTest::newRow("PCA9560 one byte") << "PCA9560" << 0x98 << "btn9560WEE1";
    QTest::newRow("PCA9560 both bytes") << "PCA9560" << 0x98 << "btnWritePCA9560";
}

void TestNvRegisters::writeCycleThatNeverEndsIsATimeOut()
{
    QFETCH(QString, chip);
    QFETCH(int, address);
    QFETCH(QString, button);
    Rig r;
    DipSwitchChip::Params p = chip == "PCA8550"   ? DipSwitchChip::pca8550()
                              : chip == "PCA9559" ? DipSwitchChip::pca9559()
                              : chip == "PCA9560" ? DipSwitchChip::pca9560()
                                                  : DipSwitchChip::pca9561();
    p.writeCycleUs = 100000000; // far beyond the window's polling limit
    r.place(std::uint8_t(address), p);
    r.click(button);
    const auto entries = r.bench.sim->log().entries();
    QVERIFY(entries.size() > 2); // the write, then polls
    QCOMPARE(int(entries.front().status), 0);
    QCOMPARE(int(entries.back().status), 1);
    QVERIFY(entries.back().bytes.empty());
    QCOMPARE(r.bench.statusText(), QStringLiteral("  I\u00B2C Time-Out"));
    QCOMPARE(r.bench.status(), *tp::statusMessage(tp::status::TimeOut));
}

void TestNvRegisters::readAllReadsInOrderAndStops()
{
    Rig r;
    DipSwitchChip* chip = r.place(0x98, DipSwitchChip::pca9561());
    for (int n = 0; n < 4; ++n)
        chip->setReg(n, std::uint8_t(0x10 + n));
    r.click("btnReadEEPROM");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 98 00", "Sr R 98 10", "W 98 01", "Sr R 98 11", "W 98 02",
                                               "Sr R 98 12", "W 98 03", "Sr R 98 13"}));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(r.text(QStringLiteral("edtEE%1").arg(n)), QStringLiteral("1%1").arg(n));

    // A chip with two bytes: the read of byte 2 fails and byte 3 keeps its field.
    DipSwitchChip::Params p = DipSwitchChip::pca9561();
    p.registers = 2;
    DipSwitchChip* small = r.place(0x98, p);
    small->setReg(0, 0x2F);
    r.type("edtEE3", "AA");
    r.bench.clearLog();
    r.click("btnReadEEPROM");
    QCOMPARE(r.text("edtEE0"), QStringLiteral("2F"));
    QCOMPARE(r.text("edtEE2"), QStringLiteral("12"));
    QCOMPARE(r.text("edtEE3"), QStringLiteral("AA"));
    QCOMPARE(r.bench.transfers().size(), 5);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));

    r.place(0x98, DipSwitchChip::pca9560())->setReg(1, 0x05);
    r.bench.clearLog();
    r.click("btnReadPCA9560");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 98 00", "Sr R 98 00", "W 98 01", "Sr R 98 05"}));
    QCOMPARE(r.text("edt9560EE1"), QStringLiteral("05"));
}

void TestNvRegisters::pca9560WriteIsNotOffered()
{
    Rig r;
    auto* b = r.c<QPushButton>("btnPCA9560Write");
    QVERIFY(!b->isEnabled());
    QVERIFY(b->toolTip().contains(QStringLiteral("not confirmed")));
    // The list stays readable, and choosing from it sends nothing either.
    auto* list = r.c<QComboBox>("cmbPCa9560Special");
    QVERIFY(list->isEnabled());
    list->setCurrentIndex(list->count() - 1);
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestNvRegisters::newWindowResetsAddressesAndData()
{
    Rig r;
    r.c<QComboBox>("cmbPCA9561Address")->setCurrentIndex(2);
    r.click("chbMuxDataC");
    QPointer<TfrmPCA8550> old = r.w;
    r.w->close();
    QTRY_VERIFY(!old);
    r.open(kPca9561);
    QCOMPARE(r.c<QComboBox>("cmbPCA9561Address")->currentText(), QStringLiteral("0x98"));
    QCOMPARE(r.w->link(TfrmPCA8550::PCA9561).address(), 0x98);
    QCOMPARE(r.w->link(TfrmPCA8550::PCA8550).address(), 0x9C);
    QCOMPARE(r.text("edt8550Data"), QStringLiteral("00"));
    QVERIFY(!r.checked("chbMuxDataC"));
    // The other entries find the same window.
    TfrmPCA8550* w = r.w;
    r.open(QStringLiteral("PCA9559  5-bit Multiplexed/1-Bit Latched 6-Bit"));
    r.open(QStringLiteral("PCA9560  Dual 5-bit Multiplexed 1-Bit Latched"));
    QCOMPARE(r.w, w);
    QCOMPARE(r.bench.main->childForms().size(), 1);
}

void TestNvRegisters::keyFilterKeepsFieldsHex()
{
    Rig r;
    r.type("edtEE0", "G1z");
    QCOMPARE(r.text("edtEE0"), QStringLiteral("1"));
    r.c<QCheckBox>("chbMuxDataA")->setFocus();
    QTest::keyClick(r.c<QCheckBox>("chbMuxDataA"), Qt::Key_Space);
    QVERIFY(!r.checked("chbMuxDataA"));
}

void TestNvRegisters::tabOrderFollowsTheLayout()
{
    Rig r;
    QStringList expected{"chbMuxDataA", "chbMuxDataB", "chbMuxDataC", "chbMuxDataD", "chbLatchA",
                         "btnPCA8550Write", "btn8550Read", "chb8550AutoWrite", "cmbPCA9559Address"};
    for (const char* b : {"A", "B", "C", "D", "E", "F"})
        expected << QStringLiteral("chbPCA9559_") + b;
    expected << "btnPCA9559Write" << "btn9559Read" << "chb9559AutoWrite" << "cmbPCA9561Address";
    for (int n = 0; n < 4; ++n)
        expected << QStringLiteral("edtEE%1").arg(n) << QStringLiteral("btnEEPROM%1").arg(n)
                 << QStringLiteral("btnReadEEPROM%1").arg(n);
    expected << "btnEEPROMall" << "btnReadEEPROM" << "btnMuxIn" << "cmbSpecial" << "btnPCA9561Write"
             << "cmbPCA9560Address";
    for (int n = 0; n < 2; ++n)
        expected << QStringLiteral("edt9560EE%1").arg(n) << QStringLiteral("btn9560WEE%1").arg(n)
                 << QStringLiteral("btn9560REE%1").arg(n);
    expected << "btnWritePCA9560" << "btnReadPCA9560" << "btnPCA9560Mux";
    expected << "cmbPCa9560Special"; // readable, though its write is withheld
    QCOMPARE(tabChain(r.w), expected);
}

void TestNvRegisters::layoutFitsTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("full") << 1280;
    QTest::newRow("half") << 640;
}

void TestNvRegisters::layoutFitsTheFrame()
{
    QFETCH(int, width);
    Rig r;
    r.bench.main->resize(width, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    r.click("chbLatchA");
    r.click("chb9559AutoWrite");
    QCoreApplication::processEvents();
    // At half width the chips flow under each other and the window scrolls
    // up and down, never sideways.
    QCOMPARE(clippedSideways(r.w), QStringList());
    saveShot(r.bench.main.get(), QStringLiteral("pca8550-%1").arg(width));
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
}

TALLYPORT_TEST_MAIN(TestNvRegisters)
#include "tst_nvregisters.moc"
