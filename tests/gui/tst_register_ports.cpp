#include "core/common/HexText.h"
#include "core/sim/IoExpanderChip.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/ports/RegisterPortWindow.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

using tp::sim::Fault;
using tp::sim::IoExpanderChip;

namespace {

// One of the three windows as a Device menu entry opens it.
struct Kind {
    QString entry;
    QString windowClass;
    const char* chip; // the chip type the bench places at the entry's address
    int address;
    int bits;
};

const Kind kPca9554{"PCA9554  8-bit I/O Expander", "TfrmPCA9554", "PCA9554", 0x40, 8};
const Kind kPca9554A{"PCA9554A  8-bit I/O Expander", "TfrmPCA9554", "PCA9554A", 0x70, 8};
const Kind kPca9538{"PCA9538  8-bit I/O Expander", "TfrmPCA9554", "PCA9538", 0xE0, 8};
const Kind kPca9536{"PCA9536 4-bit I/O Expander", "TfrmPCA9536", "PCA9536", 0x82, 4};
const Kind kPca9537{"PCA9537  4-bit I/O Expander", "TfrmPCA9536", "PCA9537", 0x92, 4};
const Kind kPca9557{"PCA9557  8-bit I/O Expander", "TfrmPCA9556", "PCA9557", 0x30, 8};

QString hex(int v)
{
    return QString::fromStdString(tp::intToHex(std::uint64_t(v), 2));
}

// "W 40 01 F0": a register write as the bus log shows it.
QString writeLine(int address, int reg, int value)
{
    return QStringLiteral("W %1 %2 %3").arg(hex(address), hex(reg), hex(value));
}

// The pointer write and the read behind a repeated start.
QStringList readLines(int address, int reg, int value)
{
    return {QStringLiteral("W %1 %2").arg(hex(address), hex(reg)),
            QStringLiteral("Sr R %1 %2").arg(hex(address), hex(value))};
}

const char* const kFields[4] = {"edtRead", "edtOutput", "edtPolarity", "edtConfig"};

// A bench holding the kind's chip at its address, and the window opened through the Device menu.
struct Rig {
    TestBench bench{false};
    Kind kind;
    IoExpanderChip* chip;
    RegisterPortWindow* w = nullptr;

    explicit Rig(const Kind& k) : kind(k)
    {
        chip = static_cast<IoExpanderChip*>(
            &bench.sim->place(std::uint8_t(k.address), std::make_unique<IoExpanderChip>(k.chip)));
        open(k.entry);
        bench.clearLog();
    }
    void open(const QString& entry)
    {
        bench.main->deviceAction(entry)->trigger();
        w = qobject_cast<RegisterPortWindow*>(bench.main->windowReference(kind.windowClass));
        QVERIFY(w);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    HexField* field(int reg) { return c<HexField>(kFields[reg]); }
    QAbstractButton* box(int reg, int bit)
    {
        return c<QAbstractButton>(QStringLiteral("chbReg%1%2").arg(reg).arg(bit));
    }
    // The register's boxes as a byte, checked = 1 (bits without a box are 0).
    int boxes(int reg)
    {
        int v = 0;
        for (int b = 0; b < kind.bits; ++b)
            v |= box(reg, b)->isChecked() ? 1 << b : 0;
        return v;
    }
    QStringList captions(int reg)
    {
        QStringList out;
        for (int b = kind.bits - 1; b >= 0; --b)
            out << box(reg, b)->text();
        return out;
    }
    void click(const QString& button) { QTest::mouseClick(c<QPushButton>(button), Qt::LeftButton); }
    void type(int reg, const QString& keys)
    {
        field(reg)->setFocus();
        field(reg)->selectAll();
        QTest::keyClicks(field(reg), keys);
    }
    void autoWriteOn()
    {
        auto* chb = c<QAbstractButton>("chbAuto");
        QTest::mouseClick(chb, Qt::LeftButton, {}, QPoint(6, chb->height() / 2));
        QVERIFY(chb->isChecked());
    }
    bool autoWriteIsOn() { return c<QAbstractButton>("chbAuto")->isChecked(); }
    // Registers 1..3 of the chip.
    void setChip(int output, int polarity, int config)
    {
        chip->setReg(1, std::uint8_t(output));
        chip->setReg(2, std::uint8_t(polarity));
        chip->setReg(3, std::uint8_t(config));
    }
};

// Arms a fault on the data byte of the first write to `reg` that follows.
void nackRegister(Rig& r, int reg)
{
    Fault nack;
    nack.kind = Fault::Kind::DataNack;
    nack.byteIndex = 1;
    r.bench.sim->log().onEntry = [&r, reg, nack, armed = false](const tp::BusLogEntry& e) mutable {
        if (!armed && !e.isNote() && !e.read && e.bytes.size() == 2 && e.bytes[0] == reg - 1) {
            armed = true;
            r.bench.sim->inject(nack);
        }
    };
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestRegisterPorts : public QObject {
    Q_OBJECT
private slots:
    void menuEntriesPresetTheAddress_data();
    void menuEntriesPresetTheAddress();
    void addressListChoosesWithoutTransfers();
    void formDefaults_data();
    void formDefaults();
    void readAllShowsPowerOnValues_data();
    void readAllShowsPowerOnValues();
    void readAllNeverWritesBack_data();
    void readAllNeverWritesBack();
    void readAllStopsAtFirstFailure();
    void writeAllWritesEachRegisterOnce_data();
    void writeAllWritesEachRegisterOnce();
    void writeAllStopsAtFirstFailure_data();
    void writeAllStopsAtFirstFailure();
    void writeAllChecksEveryFieldFirst_data();
    void writeAllChecksEveryFieldFirst();
    void singleReadsShowWithoutWritingBack_data();
    void singleReadsShowWithoutWritingBack();
    void failedReadChangesNothing();
    void autoWriteWritesOneRegister_data();
    void autoWriteWritesOneRegister();
    void writeButtonsWriteTheirRegister();
    void polarityInversionShowsInTheInput_data();
    void polarityInversionShowsInTheInput();
    void inputStaysUndefinedUntilARead();
    void keyFilterAndBadText();
    void layoutFitsFullAndHalfWidth_data();
    void layoutFitsFullAndHalfWidth();
    void tabOrderFollowsTheLayout_data() { layoutFitsFullAndHalfWidth_data(); }
    void tabOrderFollowsTheLayout();
};

void TestRegisterPorts::menuEntriesPresetTheAddress_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("input"); // register 0 at power-on, pins high
    QTest::newRow("PCA9534") << Kind{"PCA9534  8-bit I/O Expander", "TfrmPCA9554", "PCA9554", 0x40, 8}
                             << "cmbAddress" << 0 << 0xFF;
    QTest::newRow("PCA9554") << kPca9554 << "cmbAddress" << 0 << 0xFF;
    QTest::newRow("PCA9554A") << kPca9554A << "cmbAddress" << 8 << 0xFF;
    QTest::newRow("PCA9538") << kPca9538 << "cmbAddress" << 16 << 0xFF;
    QTest::newRow("PCA9536") << kPca9536 << "edtAddress" << 0 << 0xFF;
    QTest::newRow("PCA9537") << kPca9537 << "edtAddress" << 1 << 0xFF;
    QTest::newRow("PCA9556") << Kind{"PCA9556  8-bit I/O Expander", "TfrmPCA9556", "PCA9556", 0x30, 8}
                             << "cmbAddress" << 0 << 0x0F;
    QTest::newRow("PCA9557") << kPca9557 << "cmbAddress" << 0 << 0x0F;
}

void TestRegisterPorts::menuEntriesPresetTheAddress()
{
    QFETCH(Kind, kind);
    QFETCH(QString, list);
    QFETCH(int, index);
    QFETCH(int, input);
    TestBench bench; // the program's chip types: each window meets its chip where it looks
    bench.main->deviceAction(kind.entry)->trigger();
    TChildForm* w = bench.main->windowReference(kind.windowClass);
    QVERIFY(w);
    auto* cmb = child<QComboBox>(w, list);
    QCOMPARE(cmb->currentIndex(), index);
    QCOMPARE(cmb->currentText(), QStringLiteral("0x") + hex(kind.address));
    QVERIFY(bench.transfers().isEmpty());

    QTest::mouseClick(child<QPushButton>(w, "btnReg0Read"), Qt::LeftButton);
    QCOMPARE(bench.transfers(), readLines(kind.address, 0, input));
    QCOMPARE(bench.sim->chipAt(std::uint8_t(kind.address))->type(), std::string(kind.chip));

    // Another choice of the list, then the entry again: the same window, preset again.
    const int other = index == 0 ? cmb->count() - 1 : 0;
    cmb->setCurrentIndex(other);
    emit cmb->activated(other);
    QVERIFY(static_cast<RegisterPortWindow*>(w)->link().address() != kind.address);
    bench.main->deviceAction(kind.entry)->trigger();
    QCOMPARE(bench.main->windowReference(kind.windowClass), w);
    QCOMPARE(bench.main->childForms().size(), 1);
    // The PCA9556 entries preset nothing: the window keeps the address chosen.
    const bool preset = kind.windowClass != "TfrmPCA9556";
    QCOMPARE(cmb->currentIndex(), preset ? index : other);
    QCOMPARE(int(static_cast<RegisterPortWindow*>(w)->link().address()), preset ? kind.address : 0x3E);
}

void TestRegisterPorts::addressListChoosesWithoutTransfers()
{
    // PCA9554A, then the PCA9534 entry while the window is open.
    Rig r(kPca9554A);
    QCOMPARE(int(r.w->link().address()), 0x70);
    auto* cmb = r.c<QComboBox>("cmbAddress");
    QStringList items;
    for (int i = 0; i < cmb->count(); ++i)
        items << cmb->itemText(i);
    QCOMPARE(items.join(' '), QStringLiteral("0x40 0x42 0x44 0x46 0x48 0x4A 0x4C 0x4E 0x70 0x72 0x74 0x76 "
                                             "0x78 0x7A 0x7C 0x7E 0xE0 0xE2 0xE4 0xE6"));
    cmb->setCurrentIndex(17);
    emit cmb->activated(17);
    QCOMPARE(int(r.w->link().address()), 0xE2);
    QVERIFY(r.bench.transfers().isEmpty());
    r.open(QStringLiteral("PCA9534  8-bit I/O Expander"));
    QCOMPARE(cmb->currentText(), QStringLiteral("0x40"));
    QCOMPARE(int(r.w->link().address()), 0x40);
    QCOMPARE(r.w->link().chipType(), QStringLiteral("PCA9554"));
}

void TestRegisterPorts::formDefaults_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("polarityCaptions");
    QTest::addColumn<bool>("led");
    QTest::addColumn<QString>("readAllHint");
    QTest::addColumn<QString>("writeAllHint");
    const QStringList registers{"Register 0", "Register 1", "Register 2", "Register 3"};
    QTest::newRow("TfrmPCA9554") << kPca9554 << "PCA9534/PCA9538/PCA9554/PCA9554A I/O Expanders" << registers
                                 << QStringList{"FF", "FF", "00", "FF"} << QStringList(8, "Not Inverted")
                                 << true << "Read registers 0 through 3"
                                 << "Write registers 1 through 3";
    QTest::newRow("TfrmPCA9536") << kPca9536 << "PCA9536 / PCA9537 I/O Expanders" << registers
                                 << QStringList{"FF", "FF", "00", "FF"} << QStringList(4, "Not Inverted")
                                 << false << "Read registers 0 through 3"
                                 << "Write registers 1 through 3";
    QTest::newRow("TfrmPCA9556") << kPca9557 << "PCA9556 / PCA9557 I/O Expanders"
                                 << QStringList{"Register 0 (Input)", "Register 1 (Output)",
                                                "Register 2 (Polarity)", "Register 3 (Config.)"}
                                 << QStringList{"XX", "00", "F0", "FF"}
                                 << (QStringList(4, "Inverted") + QStringList(4, "Not Inverted")) << false
                                 << "Read registers 0x00 through 0x03"
                                 << "Write registers 0x01 through 0x03";
}

void TestRegisterPorts::formDefaults()
{
    QFETCH(Kind, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, groups);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, polarityCaptions);
    QFETCH(bool, led);
    QFETCH(QString, readAllHint);
    QFETCH(QString, writeAllHint);
    Rig r(kind);
    QCOMPARE(r.w->windowTitle(), title);
    for (int n = 0; n < 4; ++n) {
        QCOMPARE(r.c<QGroupBox>(QStringLiteral("grbReg%1").arg(n))->title(), groups[n]);
        QCOMPARE(r.field(n)->text(), fields[n]);
    }
    QVERIFY(r.field(0)->isReadOnly());
    QVERIFY(!r.c<QWidget>("pnlReg0")->isEnabled());
    QVERIFY(r.c<QWidget>("pnlReg1")->isEnabled());
    // Boxes only for the chip's pins; the polarity boxes as the field's value says.
    QVERIFY(!r.w->findChild<QWidget*>(QStringLiteral("chbReg1%1").arg(kind.bits)));
    QCOMPARE(r.captions(2), polarityCaptions);
    QCOMPARE(r.captions(3), QStringList(kind.bits, "Input"));
    QCOMPARE(r.c<QLabel>(QStringLiteral("lblN%1").arg(kind.bits - 1))->text(),
             QStringLiteral("N%1").arg(kind.bits - 1));
    QCOMPARE(r.box(1, 0)->font().bold(), kind.windowClass == "TfrmPCA9556");

    auto* chbAuto = r.c<QAbstractButton>("chbAuto");
    QCOMPARE(qobject_cast<LedToggle*>(chbAuto) != nullptr, led);
    QCOMPARE(chbAuto->text(), QStringLiteral("Auto Write Off"));
    r.autoWriteOn();
    QCOMPARE(chbAuto->text(), QStringLiteral("Auto Write On"));
    QCOMPARE(r.c<QPushButton>("btnReadAll")->toolTip(), readAllHint);
    QCOMPARE(r.c<QPushButton>("btnWriteAll")->toolTip(), writeAllHint);
    QCOMPARE(r.c<QPushButton>("btnReg2Write")->toolTip(), QStringLiteral("Write Polarity register"));
    QCOMPARE(r.c<QWidget>("pnlReg0")->toolTip(),
             QStringLiteral("Checked=high, unchecked=low.  Checkboxes are read only."));
    QCOMPARE(r.c<QGroupBox>("grbAddress")->title(), QStringLiteral("Device Address"));
    QVERIFY(r.bench.transfers().isEmpty());

    // Closed and opened again: the form defaults, not what the last window showed.
    r.type(2, "5A");
    const QPointer<RegisterPortWindow> old = r.w;
    child<QAction>(r.w->childMenus().first(), "mnuClose")->trigger();
    QTRY_VERIFY(!old);
    r.open(kind.entry);
    QCOMPARE(r.field(2)->text(), fields[2]);
    QCOMPARE(r.c<QAbstractButton>("chbAuto")->text(), QStringLiteral("Auto Write Off"));
}

void TestRegisterPorts::readAllShowsPowerOnValues_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QList<int>>("values"); // registers 0..3 at power-on, pins high
    QTest::addColumn<QStringList>("inputCaptions");
    QTest::newRow("PCA9554") << kPca9554 << QList<int>{0xFF, 0xFF, 0x00, 0xFF} << QStringList(8, "High");
    QTest::newRow("PCA9538") << kPca9538 << QList<int>{0xFF, 0xFF, 0x00, 0xFF} << QStringList(8, "High");
    QTest::newRow("PCA9537") << kPca9537 << QList<int>{0xFF, 0xFF, 0x00, 0xFF} << QStringList(4, "High");
    // The upper four inputs power up inverted.
    QTest::newRow("PCA9557") << kPca9557 << QList<int>{0x0F, 0x00, 0xF0, 0xFF}
                             << (QStringList(4, "Low") + QStringList(4, "High"));
}

void TestRegisterPorts::readAllShowsPowerOnValues()
{
    QFETCH(Kind, kind);
    QFETCH(QList<int>, values);
    QFETCH(QStringList, inputCaptions);
    Rig r(kind);
    r.autoWriteOn();
    r.click("btnReadAll");
    QStringList expected;
    for (int n = 0; n < 4; ++n) {
        expected << readLines(kind.address, n, values[n]);
        QCOMPARE(r.field(n)->text(), hex(values[n]));
    }
    QCOMPARE(r.bench.transfers(), expected);
    QCOMPARE(r.captions(0), inputCaptions);
    QCOMPARE(r.boxes(0), values[0] & ((1 << kind.bits) - 1));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QVERIFY(r.autoWriteIsOn());
    QCOMPARE(int(r.bench.state->context(kind.windowClass.toStdString()).data[0]), values[3]);
}

void TestRegisterPorts::readAllNeverWritesBack_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("panelDisabled"); // pnlAll while reading
    QTest::newRow("TfrmPCA9554") << kPca9554 << true;
    QTest::newRow("TfrmPCA9536") << kPca9536 << true;
    QTest::newRow("TfrmPCA9556") << kPca9557 << false;
}

void TestRegisterPorts::readAllNeverWritesBack()
{
    QFETCH(Kind, kind);
    QFETCH(bool, panelDisabled);
    Rig r(kind);
    r.setChip(0x3C, 0x81, 0x5A); // none of them what the window shows
    r.autoWriteOn();
    bool allWhileReading = true;
    connect(r.field(3), &HexField::completed, r.w,
            [&] { allWhileReading = r.c<QWidget>("pnlAll")->isEnabled(); });
    r.click("btnReadAll");
    for (const QString& line : r.bench.transfers())
        QVERIFY2(line.startsWith("Sr R") || line.split(' ').size() == 3,
                 qPrintable(line)); // pointer writes only
    QCOMPARE(r.bench.transfers().size(), 8);
    // A four-pin chip reads 1 in the upper bits of output and configuration.
    const bool fourPins = kind.bits == 4;
    QCOMPARE(r.field(1)->text(), fourPins ? QStringLiteral("FC") : QStringLiteral("3C"));
    QCOMPARE(r.field(2)->text(), QStringLiteral("81"));
    QCOMPARE(r.field(3)->text(), fourPins ? QStringLiteral("FA") : QStringLiteral("5A"));
    QCOMPARE(r.boxes(1), 0x3C & ((1 << kind.bits) - 1));
    QCOMPARE(r.captions(2).last(), QStringLiteral("Inverted"));
    QCOMPARE(allWhileReading, !panelDisabled);
    QVERIFY(r.c<QWidget>("pnlAll")->isEnabled());
    QVERIFY(r.autoWriteIsOn());

    // With Auto Write still on, the next click writes the value the read showed, changed by that click.
    r.bench.clearLog();
    QTest::mouseClick(r.box(1, 0), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), QStringList{writeLine(kind.address, 1, fourPins ? 0xFD : 0x3D)});
}

void TestRegisterPorts::readAllStopsAtFirstFailure()
{
    Rig r(kPca9554);
    r.setChip(0x11, 0x22, 0xFF);
    // Register 2's read is not acknowledged: armed once register 1 is read.
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    r.bench.sim->log().onEntry = [&, armed = false](const tp::BusLogEntry& e) mutable {
        if (!armed && e.read && e.bytes == std::vector<std::uint8_t>{0x11}) {
            armed = true;
            r.bench.sim->inject(nack);
        }
    };
    r.autoWriteOn();
    r.click("btnReadAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), readLines(0x40, 0, 0xDD) + readLines(0x40, 1, 0x11) + QStringList{"W 40"});
    QCOMPARE(r.field(1)->text(), QStringLiteral("11"));
    QCOMPARE(r.field(2)->text(), QStringLiteral("00")); // as before
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(r.autoWriteIsOn());
    QVERIFY(r.c<QWidget>("pnlAll")->isEnabled());
}

void TestRegisterPorts::writeAllWritesEachRegisterOnce_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("TfrmPCA9554 at 0x70") << kPca9554A;
    QTest::newRow("TfrmPCA9536") << kPca9536;
    QTest::newRow("TfrmPCA9556") << kPca9557;
}

void TestRegisterPorts::writeAllWritesEachRegisterOnce()
{
    QFETCH(Kind, kind);
    Rig r(kind);
    r.type(1, "12");
    r.type(2, "34");
    r.type(3, "56");
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write is off
    r.click("btnWriteAll");
    // One register per transfer: the chips do not auto-increment, a burst would leave 56 in register 1.
    QCOMPARE(r.bench.transfers(),
             (QStringList{writeLine(kind.address, 1, 0x12), writeLine(kind.address, 2, 0x34),
                          writeLine(kind.address, 3, 0x56)}));
    QCOMPARE(int(r.chip->reg(1)), 0x12);
    QCOMPARE(int(r.chip->reg(2)), 0x34);
    QCOMPARE(int(r.chip->reg(3)), 0x56);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestRegisterPorts::writeAllStopsAtFirstFailure_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("TfrmPCA9554") << kPca9554;
    QTest::newRow("TfrmPCA9536") << kPca9537;
    QTest::newRow("TfrmPCA9556") << kPca9557;
}

void TestRegisterPorts::writeAllStopsAtFirstFailure()
{
    QFETCH(Kind, kind);
    Rig r(kind);
    r.type(1, "12");
    r.type(2, "34");
    r.type(3, "56");
    nackRegister(r, 2);
    r.click("btnWriteAll");
    r.bench.sim->log().onEntry = nullptr;
    // Register 2 takes its pointer but not its value; register 3 is never written.
    QCOMPARE(r.bench.transfers(), (QStringList{writeLine(kind.address, 1, 0x12),
                                               QStringLiteral("W %1 02").arg(hex(kind.address))}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
    QCOMPARE(int(r.bench.state->context(kind.windowClass.toStdString()).status), 2);
    QCOMPARE(int(r.chip->reg(3)), 0xFF);
}

void TestRegisterPorts::singleReadsShowWithoutWritingBack_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<QStringList>("captions"); // of the register's boxes afterwards
    QTest::newRow("PCA9554 output") << kPca9554 << 1 << 0x3C << QStringList{"Low",  "Low",  "High", "High",
                                                                            "High", "High", "Low",  "Low"};
    QTest::newRow("PCA9554 polarity")
        << kPca9554 << 2 << 0x07 << (QStringList(5, "Not Inverted") + QStringList(3, "Inverted"));
    QTest::newRow("PCA9536 configuration")
        << kPca9536 << 3 << 0xF5 << QStringList{"Output", "Input", "Output", "Input"};
    QTest::newRow("PCA9557 output") << kPca9557 << 1 << 0x80 << (QStringList{"High"} + QStringList(7, "Low"));
}

void TestRegisterPorts::singleReadsShowWithoutWritingBack()
{
    QFETCH(Kind, kind);
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(QStringList, captions);
    Rig r(kind);
    r.chip->setReg(std::size_t(reg), std::uint8_t(value));
    r.autoWriteOn();
    r.click(QStringLiteral("btnReg%1Read").arg(reg));
    QCOMPARE(r.bench.transfers(), readLines(kind.address, reg, value));
    QCOMPARE(r.field(reg)->text(), hex(value));
    QCOMPARE(r.captions(reg), captions);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.bench.state->context(kind.windowClass.toStdString()).data[0]), value);
    QVERIFY(r.autoWriteIsOn());
}

void TestRegisterPorts::failedReadChangesNothing()
{
    Rig r(kPca9557);
    r.chip->setReg(2, 0x0F);
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.count = 2;
    r.bench.sim->inject(nack);
    r.click("btnReg2Read");
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.field(2)->text(), QStringLiteral("F0"));
    QCOMPARE(r.boxes(2), 0xF0);
    r.click("btnReg0Read");
    QCOMPARE(r.field(0)->text(), QStringLiteral("XX"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30", "W 30"}));
    QCOMPARE(int(r.bench.state->context("TfrmPCA9556").status), 1);
}

void TestRegisterPorts::autoWriteWritesOneRegister_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("autoWrite");
    QTest::addColumn<int>("reg");
    QTest::addColumn<QString>("action");  // "type:XY", "exit:X" (typed, then the field left) or "click:<bit>"
    QTest::addColumn<QString>("text");    // the field afterwards
    QTest::addColumn<QString>("caption"); // of the box of the lowest changed bit
    QTest::addColumn<int>("captionBit");
    QTest::newRow("PCA9554 box O3 with Auto Write") << kPca9554 << true << 1 << "click:3"
                                                    << "F7"
                                                    << "Low" << 3;
    QTest::newRow("PCA9554 box O3 without") << kPca9554 << false << 1 << "click:3"
                                            << "F7"
                                            << "Low" << 3;
    QTest::newRow("PCA9554 typed polarity") << kPca9554 << true << 2 << "type:3c"
                                            << "3C"
                                            << "Inverted" << 2;
    QTest::newRow("PCA9554 polarity 7, then left") << kPca9554 << true << 2 << "exit:7"
                                                   << "07"
                                                   << "Inverted" << 0;
    QTest::newRow("PCA9554 empty, then left") << kPca9554 << true << 3 << "exit:"
                                              << "00"
                                              << "Output" << 0;
    QTest::newRow("PCA9536 F5 beyond its boxes") << kPca9536 << true << 1 << "type:F5"
                                                 << "F5"
                                                 << "High" << 0;
    QTest::newRow("PCA9536 box C1") << kPca9536 << true << 3 << "click:1"
                                    << "FD"
                                    << "Output" << 1;
    QTest::newRow("PCA9557 box N4") << kPca9557 << true << 2 << "click:4"
                                    << "E0"
                                    << "Not Inverted" << 4;
    QTest::newRow("PCA9557 typed output") << kPca9557 << true << 1 << "type:a5"
                                          << "A5"
                                          << "High" << 0;
    QTest::newRow("PCA9557 without") << kPca9557 << false << 1 << "type:a5"
                                     << "A5"
                                     << "High" << 0;
}

void TestRegisterPorts::autoWriteWritesOneRegister()
{
    QFETCH(Kind, kind);
    QFETCH(bool, autoWrite);
    QFETCH(int, reg);
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(int, captionBit);
    Rig r(kind);
    if (autoWrite)
        r.autoWriteOn();
    const QString how = action.section(':', 0, 0), what = action.section(':', 1);
    bool panelBusy = false;
    connect(r.field(reg), &HexField::completed, r.w,
            [&] { panelBusy = !r.c<QWidget>(QStringLiteral("pnlReg%1").arg(reg))->isEnabled(); });
    if (how == "click") {
        QTest::mouseClick(r.box(reg, what.toInt()), Qt::LeftButton);
    } else {
        r.bench.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r.bench.main.get()));
        r.field(reg)->setFocus();
        r.field(reg)->clear();
        QTest::keyClicks(r.field(reg), what);
        if (how == "exit") {
            QCOMPARE(r.field(reg)->text(), what); // nothing happens on one digit
            QVERIFY(r.bench.transfers().isEmpty());
            QTest::keyClick(r.field(reg), Qt::Key_Tab);
            QVERIFY(!r.field(reg)->hasFocus());
        }
    }
    QCOMPARE(r.field(reg)->text(), text);
    const int value = int(tp::hexToInt(text.toStdString()));
    QCOMPARE(r.boxes(reg), value & ((1 << kind.bits) - 1));
    QCOMPARE(r.box(reg, captionBit)->text(), caption);
    QCOMPARE(r.bench.transfers(),
             autoWrite ? QStringList{writeLine(kind.address, reg, value)} : QStringList{});
    QCOMPARE(int(r.chip->reg(std::size_t(reg))), autoWrite ? value : int(IoExpanderChip(kind.chip).reg(reg)));
    // The PCA9556 window holds a register's boxes still while a click updates the field.
    if (how == "click")
        QCOMPARE(panelBusy, kind.windowClass == "TfrmPCA9556");
}

void TestRegisterPorts::writeButtonsWriteTheirRegister()
{
    Rig r(kPca9538);
    r.type(1, "A1");
    r.type(2, "B2");
    r.type(3, "C3");
    r.click("btnReg3Write");
    r.click("btnReg1Write");
    r.click("btnReg2Write");
    QCOMPARE(r.bench.transfers(), (QStringList{"W E0 03 C3", "W E0 01 A1", "W E0 02 B2"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.chip->reg(3)), 0xC3);
}

void TestRegisterPorts::polarityInversionShowsInTheInput_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("pins");
    QTest::addColumn<QString>("polarity");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("PCA9554, 0F inverts the low pins")
        << kPca9554 << 0xFF << "0F"
        << "F0" << (QStringList(4, "High") + QStringList(4, "Low"));
    QTest::newRow("PCA9554, pins 5A, none inverted")
        << kPca9554 << 0x5A << "00"
        << "5A" << QStringList{"Low", "High", "Low", "High", "High", "Low", "High", "Low"};
    QTest::newRow("PCA9536, pins low") << kPca9536 << 0x00 << "00"
                                       << "F0" << QStringList(4, "Low");
    QTest::newRow("PCA9557, pins low, power-on polarity")
        << kPca9557 << 0x00 << "F0"
        << "F0" << (QStringList(4, "High") + QStringList(4, "Low"));
}

void TestRegisterPorts::polarityInversionShowsInTheInput()
{
    QFETCH(Kind, kind);
    QFETCH(int, pins);
    QFETCH(QString, polarity);
    QFETCH(QString, input);
    QFETCH(QStringList, captions);
    Rig r(kind);
    r.chip->setExternal(0, std::uint8_t(pins));
    r.type(2, polarity);
    r.click("btnReg2Write");
    r.click("btnReg0Read");
    QCOMPARE(r.field(0)->text(), input);
    QCOMPARE(r.captions(0), captions);
    QCOMPARE(r.bench.transfers().last(), QStringLiteral("Sr R %1 %2").arg(hex(kind.address), input));
}

void TestRegisterPorts::inputStaysUndefinedUntilARead()
{
    Rig r(kPca9557);
    for (int b = 0; b < 8; ++b) {
        auto* box = static_cast<QCheckBox*>(r.box(0, b));
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QCOMPARE(box->text(), QStringLiteral("Undefined"));
        QVERIFY(box->font().bold());
    }
    r.chip->setExternal(0, 0x0F);
    r.click("btnReg0Read");
    QCOMPARE(r.field(0)->text(), QStringLiteral("FF")); // 0F with the upper four inverted
    for (int b = 0; b < 8; ++b) {
        QCOMPARE(static_cast<QCheckBox*>(r.box(0, b))->checkState(), Qt::Checked);
        QCOMPARE(r.box(0, b)->text(), QStringLiteral("High"));
    }
}

void TestRegisterPorts::keyFilterAndBadText()
{
    Rig r(kPca9554);
    r.autoWriteOn();
    r.field(1)->setFocus();
    r.field(1)->selectAll();
    QTest::keyClicks(r.field(1), "G");
    QCOMPARE(r.field(1)->text(), QStringLiteral("FF"));
    r.box(2, 0)->setFocus();
    QTest::keyClick(r.box(2, 0), Qt::Key_Space);
    QVERIFY(!r.box(2, 0)->isChecked());
    QVERIFY(r.bench.transfers().isEmpty());

    // Text that is no number (a paste) fails with the invalid-number error and writes nothing.
    r.field(3)->setText(QStringLiteral("Z1"));
    QCOMPARE(r.bench.dialogs.of("error").size(), 1);
    r.click("btnReg3Write");
    QCOMPARE(r.bench.dialogs.of("error").size(), 2);
    QVERIFY(r.bench.dialogs.of("error").last().text.startsWith("'$Z1' is not a valid integer value"));
    // Write All looks at every field first: none written, the field named.
    r.click("btnWriteAll");
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(r.bench.dialogs.of("error").size(), 2);
    QVERIFY(r.bench.statusText().contains("Register 3"));
}

void TestRegisterPorts::layoutFitsFullAndHalfWidth_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("pca9554") << kPca9554;
    QTest::newRow("pca9536") << kPca9536;
    QTest::newRow("pca9556") << kPca9557;
}

void TestRegisterPorts::layoutFitsFullAndHalfWidth()
{
    QFETCH(Kind, kind);
    Rig r(kind);
    r.bench.main->resize(1280, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    // Everything in view without scrolling.
    auto* content = r.c<QWidget>("pnlContent");
    QVERIFY(!r.c<QScrollArea>("scrContent")->verticalScrollBar()->isVisible());
    saveShot(r.bench.main.get(), QString::fromLatin1(QTest::currentDataTag()));

    // Tiled beside another window, at half the width.
    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    const QSize area = r.bench.main->mdiArea()->viewport()->size();
    sub->showNormal();
    sub->setGeometry(0, 0, area.width() / 2, area.height());
    QCoreApplication::processEvents();
    QCOMPARE(sub->width(), area.width() / 2);
    // What does not fit scrolls down, never sideways.
    QCOMPARE(clippedControls(content), QStringList());
    QVERIFY(!r.c<QScrollArea>("scrContent")->horizontalScrollBar()->isVisible());
    saveShot(r.bench.main.get(), QString::fromLatin1(QTest::currentDataTag()) + "-half");
}

void TestRegisterPorts::tabOrderFollowsTheLayout()
{
    QFETCH(Kind, kind);
    Rig r(kind);
    // Left to right along the top, then register by register: its field,
    // its buttons, its boxes from the highest bit down.
    QStringList expected{kind.windowClass == "TfrmPCA9536" ? "edtAddress" : "cmbAddress", "chbAuto", "btnWriteAll",
                         "btnReadAll", "btnReg0Read"};
    for (int reg = 1; reg < 4; ++reg) {
        expected << kFields[reg] << QStringLiteral("btnReg%1Write").arg(reg) << QStringLiteral("btnReg%1Read").arg(reg);
        for (int b = kind.bits - 1; b >= 0; --b)
            expected << QStringLiteral("chbReg%1%2").arg(reg).arg(b);
    }
    QCOMPARE(tabChain(r.w), expected);
}

// A pasted "G1" in a later field: nothing is written, not even the
// registers before it, and the status line says which field it is.
void TestRegisterPorts::writeAllChecksEveryFieldFirst_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("named");
    QTest::newRow("PCA9554, last register") << kPca9554.entry << "edtConfig" << "btnWriteAll" << "Register 3";
    QTest::newRow("PCA9557, middle register") << kPca9557.entry << "edtPolarity" << "btnWriteAll" << "Register 2 (Polarity)";
    QTest::newRow("PCA9555, last byte") << "PCA9555  16-bit I/O Expander" << "edtConfig1" << "btnWriteAll"
                                        << "Configuration (Registers 7 and 6)";
    QTest::newRow("PCA9555, first byte") << "PCA9555  16-bit I/O Expander" << "edtRegister2" << "btnWriteAll"
                                         << "Output (Registers 3 and 2)";
    QTest::newRow("PCA9561 EEPROM") << "PCA9561  Quad 6-bit Multiplexed" << "edtEE3" << "btnEEPROMall"
                                    << "PCA9561 EEPROM Byte 3";
}

void TestRegisterPorts::writeAllChecksEveryFieldFirst()
{
    QFETCH(QString, entry);
    QFETCH(QString, field);
    QFETCH(QString, button);
    QFETCH(QString, named);
    TestBench b;
    TChildForm* w = b.main->openCaption(entry);
    QVERIFY(w);
    child<HexField>(w, field)->setText("G1"); // pasted: the field's own check complains once
    b.clearLog();
    const int boxes = b.dialogs.calls.size();
    child<QPushButton>(w, button)->click();
    QCOMPARE(b.transfers(), QStringList());
    QCOMPARE(b.dialogs.calls.size(), boxes); // no error box: the status line says it
    const QString status = b.statusText();
    QVERIFY2(status.contains(named) && status.contains("\"G1\"") && status.contains("Nothing written"),
             qPrintable(status));
}

TALLYPORT_TEST_MAIN(TestRegisterPorts)
#include "tst_register_ports.moc"
