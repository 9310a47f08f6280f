#include "core/common/HexText.h"
#include "core/sim/IoExpanderChip.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/ports/Pca9555.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

using tp::sim::Fault;
using tp::sim::IoExpanderChip;

namespace {

const QString kPca9555 = QStringLiteral("PCA9555  16-bit I/O Expander");
const QString kPca9535 = QStringLiteral("PCA9535  16-bit I/O Expander");
const QString kPca9539 = QStringLiteral("PCA9539  16-bit I/O Expander");

// Register n's field.
const char* const kFields[8] = {"edtRegister0", "edtRegister1", "edtRegister2", "edtRegister3",
                                "edtPolarity0", "edtPolarity1", "edtConfig0",   "edtConfig1"};

QString hex(int v)
{
    return QString::fromStdString(tp::intToHex(std::uint64_t(v), 2));
}

// A bench with a PCA9555 at 0x40 (pins high) and the window.
struct Rig {
    TestBench bench{false};
    IoExpanderChip* chip;
    TfrmPCA9555* w = nullptr;

    explicit Rig(const QString& entry = kPca9555, const char* type = "PCA9555", std::uint8_t address = 0x40)
    {
        chip =
            static_cast<IoExpanderChip*>(&bench.sim->place(address, std::make_unique<IoExpanderChip>(type)));
        open(entry);
        bench.clearLog();
    }
    void open(const QString& entry)
    {
        bench.main->deviceAction(entry)->trigger();
        w = qobject_cast<TfrmPCA9555*>(bench.main->windowReference("TfrmPCA9555"));
        QVERIFY(w);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    HexField* field(int reg) { return c<HexField>(kFields[reg]); }
    QAbstractButton* box(int reg, int bit)
    {
        return c<QAbstractButton>(QStringLiteral("%1%2%3").arg(reg < 4 ? "chbReg" : "chb").arg(reg).arg(bit));
    }
    // The register's boxes as the bits they stand for (output LEDs: dark = 1).
    int bits(int reg)
    {
        int v = 0;
        for (int b = 0; b < 8; ++b)
            v |= (box(reg, b)->isChecked() != (reg < 4)) ? 1 << b : 0;
        return v;
    }
    void click(const QString& button) { QTest::mouseClick(c<QPushButton>(button), Qt::LeftButton); }
    void type(int reg, const QString& keys)
    {
        field(reg)->selectAll();
        QTest::keyClicks(field(reg), keys);
    }
    void autoWriteOn() { QTest::mouseClick(c<LedToggle>("chbAutoWrite"), Qt::LeftButton); }
    bool autoWriteIsOn() { return c<LedToggle>("chbAutoWrite")->isChecked(); }
    void setChip(const QList<int>& regs2to7)
    {
        for (int i = 0; i < regs2to7.size(); ++i)
            chip->setReg(std::size_t(i + 2), std::uint8_t(regs2to7[i]));
    }
};

QStringList pairRead(int reg, int first, int second, int address = 0x40)
{
    return {QStringLiteral("W %1 %2").arg(hex(address), hex(reg)),
            QStringLiteral("Sr R %1 %2 %3").arg(hex(address), hex(first), hex(second))};
}

} // namespace

class TestPca9555 : public QObject {
    Q_OBJECT
private slots:
    void menuEntriesPresetTheAddress_data();
    void menuEntriesPresetTheAddress();
    void formDefaults();
    void readAllReadsPairsWithoutWritingBack();
    void readAllStopsAtFirstFailure();
    void pairReadsKeepTheByteOrder_data();
    void pairReadsKeepTheByteOrder();
    void pairWritesPutTheEvenRegisterFirst_data();
    void pairWritesPutTheEvenRegisterFirst();
    void writeAllWritesEachPair();
    void writeAllStopsAtFirstFailure();
    void singleRegisters_data();
    void singleRegisters();
    void autoWriteWritesOneRegister_data();
    void autoWriteWritesOneRegister();
    void leavingAFieldPadsIt();
    void polarityInversionShowsInTheInputs();
    void failedReadChangesNothing();
    void layoutFitsFullAndHalfWidth();
    void tabOrderFollowsTheLayout();
};

void TestPca9555::menuEntriesPresetTheAddress_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("chip");
    QTest::newRow("PCA9535") << kPca9535 << 0 << 0x40 << "PCA9555";
    QTest::newRow("PCA9539") << kPca9539 << 8 << 0xE8 << "PCA9539";
    QTest::newRow("PCA9555") << kPca9555 << 0 << 0x40 << "PCA9555";
}

void TestPca9555::menuEntriesPresetTheAddress()
{
    QFETCH(QString, entry);
    QFETCH(int, index);
    QFETCH(int, address);
    QFETCH(QString, chip);
    TestBench bench;
    bench.main->deviceAction(entry)->trigger();
    auto* w = qobject_cast<TfrmPCA9555*>(bench.main->windowReference("TfrmPCA9555"));
    QVERIFY(w);
    auto* cmb = child<QComboBox>(w, "cmbAddress");
    QCOMPARE(cmb->currentIndex(), index);
    QCOMPARE(int(w->link().address()), address);
    QTest::mouseClick(child<QPushButton>(w, "btnInputRead"), Qt::LeftButton);
    QCOMPARE(bench.transfers(), pairRead(0, 0xFF, 0xFF, address));
    QCOMPARE(QString::fromStdString(bench.sim->chipAt(std::uint8_t(address))->type()), chip);

    // "0xEA" chooses 0xEA, without a transfer; the entry again chooses its own.
    bench.clearLog();
    cmb->setCurrentIndex(9);
    emit cmb->activated(9);
    QCOMPARE(int(w->link().address()), 0xEA);
    QVERIFY(bench.transfers().isEmpty());
    bench.main->deviceAction(entry)->trigger();
    QCOMPARE(bench.main->windowReference("TfrmPCA9555"), w);
    QCOMPARE(cmb->currentIndex(), index);
    QCOMPARE(int(w->link().address()), address);
}

void TestPca9555::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA9535/PCA9555 16-bit I/O Expander"));
    QStringList texts;
    for (int n = 0; n < 8; ++n)
        texts << r.field(n)->text();
    QCOMPARE(texts, (QStringList{"FF", "FF", "FF", "FF", "00", "00", "FF", "FF"}));
    QVERIFY(r.field(0)->isReadOnly() && r.field(1)->isReadOnly());
    QStringList items;
    auto* cmb = r.c<QComboBox>("cmbAddress");
    for (int i = 0; i < cmb->count(); ++i)
        items << cmb->itemText(i);
    QCOMPARE(items.join(' '), QStringLiteral("0x40 0x42 0x44 0x46 0x48 0x4A 0x4C 0x4E 0xE8 0xEA 0xEC 0xEE"));
    // Output LEDs dark for 1 ("High"), polarity and configuration boxes checked for 1.
    QVERIFY(qobject_cast<LedToggle*>(r.box(3, 7)));
    QVERIFY(!r.box(3, 7)->isChecked());
    QCOMPARE(r.box(3, 7)->text(), QStringLiteral("High"));
    QCOMPARE(r.box(5, 0)->text(), QStringLiteral("Not Inverted"));
    QCOMPARE(r.box(7, 4)->text(), QStringLiteral("Input"));
    QCOMPARE(r.bits(6), 0xFF);
    QCOMPARE(r.c<QGroupBox>("grbOutput")->title(), QStringLiteral("Output (Registers 3 and 2)"));
    QCOMPARE(r.c<QPushButton>("btnRead45")->text(), QStringLiteral("Read Reg 4+5"));
    QCOMPARE(r.c<QPushButton>("btnWrite67")->toolTip(), QStringLiteral("Write registers 0x06 & 0x07"));
    QCOMPARE(r.c<QPushButton>("btnRead7")->toolTip(), QStringLiteral("Read register 0x07"));
    QCOMPARE(r.c<QPushButton>("btnWriteAll")->toolTip(), QStringLiteral("Write registers 0x02 through 0x07"));
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    r.autoWriteOn();
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write On"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPca9555::readAllReadsPairsWithoutWritingBack()
{
    Rig r;
    r.chip->setExternal(0, 0x12);
    r.chip->setExternal(1, 0x34);
    r.setChip({0x3C, 0xC3, 0x0F, 0xF0, 0xA5, 0x5A}); // registers 2..7, none what the window shows
    r.autoWriteOn();
    r.click("btnReadAll");
    // One transfer per pair.
    const int in0 = r.chip->input(0), in1 = r.chip->input(1);
    QCOMPARE(r.bench.transfers(), pairRead(0, in0, in1) + pairRead(2, 0x3C, 0xC3) + pairRead(4, 0x0F, 0xF0) +
                                      pairRead(6, 0xA5, 0x5A));
    QStringList texts;
    for (int n = 0; n < 8; ++n)
        texts << r.field(n)->text();
    QCOMPARE(texts, (QStringList{hex(in0), hex(in1), "3C", "C3", "0F", "F0", "A5", "5A"}));
    QCOMPARE(r.bits(2), 0x3C);
    QCOMPARE(r.box(2, 0)->text(), QStringLiteral("Low"));
    QCOMPARE(r.bits(7), 0x5A);
    QVERIFY(r.autoWriteIsOn());
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    const tp::BusContext& ctx = r.bench.state->context("TfrmPCA9555");
    QCOMPARE(int(ctx.data[0]), 0xA5);
    QCOMPARE(int(ctx.data[1]), 0x5A);
}

void TestPca9555::readAllStopsAtFirstFailure()
{
    Rig r;
    r.setChip({0x3C, 0xC3, 0x0F, 0xF0, 0xA5, 0x5A});
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    r.bench.sim->log().onEntry = [&, armed = false](const tp::BusLogEntry& e) mutable {
        if (!armed && e.read && e.bytes == std::vector<std::uint8_t>{0x3C, 0xC3}) {
            armed = true;
            r.bench.sim->inject(nack);
        }
    };
    r.autoWriteOn();
    r.click("btnReadAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(),
             pairRead(0, r.chip->input(0), r.chip->input(1)) + pairRead(2, 0x3C, 0xC3) + QStringList{"W 40"});
    QCOMPARE(r.field(3)->text(), QStringLiteral("C3"));
    QCOMPARE(r.field(4)->text(), QStringLiteral("00"));
    QCOMPARE(r.field(7)->text(), QStringLiteral("FF"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(r.autoWriteIsOn());
}

void TestPca9555::pairReadsKeepTheByteOrder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("Read Reg 6+7") << "btnRead67" << 6 << 0xAA << 0x55;
    QTest::newRow("Read Reg 4+5") << "btnRead45" << 4 << 0x0F << 0xF0;
    QTest::newRow("Read Reg 2+3") << "btnRead23" << 2 << 0x01 << 0x80;
}

void TestPca9555::pairReadsKeepTheByteOrder()
{
    QFETCH(QString, button);
    QFETCH(int, reg);
    QFETCH(int, first);
    QFETCH(int, second);
    Rig r;
    r.chip->setReg(std::size_t(reg), std::uint8_t(first));
    r.chip->setReg(std::size_t(reg + 1), std::uint8_t(second));
    r.autoWriteOn();
    r.click(button);
    QCOMPARE(r.bench.transfers(), pairRead(reg, first, second));
    QCOMPARE(r.field(reg)->text(), hex(first));
    QCOMPARE(r.field(reg + 1)->text(), hex(second));
    QCOMPARE(r.bits(reg), first);
    QCOMPARE(r.bits(reg + 1), second);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPca9555::pairWritesPutTheEvenRegisterFirst_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reg");
    QTest::newRow("Write Reg 2+3") << "btnWrite23" << 2;
    QTest::newRow("Write Reg 4+5") << "btnWrite45" << 4;
    QTest::newRow("Write Reg 6+7") << "btnWrite67" << 6;
}

void TestPca9555::pairWritesPutTheEvenRegisterFirst()
{
    QFETCH(QString, button);
    QFETCH(int, reg);
    Rig r;
    r.type(reg, "12");
    r.type(reg + 1, "34");
    QVERIFY(r.bench.transfers().isEmpty());
    r.click(button);
    QCOMPARE(r.bench.transfers(), QStringList{QStringLiteral("W 40 %1 12 34").arg(hex(reg))});
    QCOMPARE(int(r.chip->reg(std::size_t(reg))), 0x12);
    QCOMPARE(int(r.chip->reg(std::size_t(reg + 1))), 0x34);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPca9555::writeAllWritesEachPair()
{
    Rig r;
    const QStringList values{"12", "34", "56", "78", "9A", "BC"};
    for (int n = 2; n < 8; ++n)
        r.type(n, values[n - 2]);
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40 02 12 34", "W 40 04 56 78", "W 40 06 9A BC"}));
    for (int n = 2; n < 8; ++n)
        QCOMPARE(hex(r.chip->reg(std::size_t(n))), values[n - 2]);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPca9555::writeAllStopsAtFirstFailure()
{
    Rig r;
    const QStringList values{"12", "34", "56", "78", "9A", "BC"};
    for (int n = 2; n < 8; ++n)
        r.type(n, values[n - 2]);
    // Register 4's byte is not acknowledged: armed once the first pair is written.
    Fault nack;
    nack.kind = Fault::Kind::DataNack;
    nack.byteIndex = 1;
    r.bench.sim->log().onEntry = [&, armed = false](const tp::BusLogEntry& e) mutable {
        if (!armed && !e.read && !e.bytes.empty() && e.bytes[0] == 2) {
            armed = true;
            r.bench.sim->inject(nack);
        }
    };
    r.click("btnWriteAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40 02 12 34", "W 40 04"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
    QCOMPARE(int(r.chip->reg(4)), 0x00);
    QCOMPARE(int(r.chip->reg(6)), 0xFF);
    QCOMPARE(int(r.chip->reg(7)), 0xFF);
}

void TestPca9555::singleRegisters_data()
{
    QTest::addColumn<int>("reg");
    for (int n = 2; n < 8; ++n)
        QTest::addRow("register %d", n) << n;
}

void TestPca9555::singleRegisters()
{
    QFETCH(int, reg);
    Rig r;
    // Write, then read back a value put there by someone else.
    r.type(reg, "C5");
    r.click(QStringLiteral("btnWrite%1").arg(reg));
    QCOMPARE(int(r.chip->reg(std::size_t(reg))), 0xC5);
    r.chip->setReg(std::size_t(reg), 0x3A);
    r.autoWriteOn();
    r.click(QStringLiteral("btnRead%1").arg(reg));
    QCOMPARE(r.bench.transfers(),
             (QStringList{QStringLiteral("W 40 %1 C5").arg(hex(reg)), QStringLiteral("W 40 %1").arg(hex(reg)),
                          QStringLiteral("Sr R 40 3A")}));
    QCOMPARE(r.field(reg)->text(), QStringLiteral("3A"));
    QCOMPARE(r.bits(reg), 0x3A);
    // The other register of the pair is left alone.
    QCOMPARE(r.field(reg ^ 1)->text(), QString(reg == 4 || reg == 5 ? "00" : "FF"));
    QCOMPARE(int(r.bench.state->context("TfrmPCA9555").data[0]), 0x3A);
}

void TestPca9555::autoWriteWritesOneRegister_data()
{
    QTest::addColumn<bool>("autoWrite");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("reg");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("panelBusy");
    QTest::newRow("dark LED 2.3 lights: Low") << true << "chbReg23" << 2 << "F7"
                                              << "Low" << false;
    QTest::newRow("dark LED 3.0 without Auto Write") << false << "chbReg30" << 3 << "FE"
                                                     << "Low" << false;
    QTest::newRow("polarity 5.7") << true << "chb57" << 5 << "80"
                                  << "Inverted" << true;
    QTest::newRow("configuration 6.1") << true << "chb61" << 6 << "FD"
                                       << "Output" << true;
}

void TestPca9555::autoWriteWritesOneRegister()
{
    QFETCH(bool, autoWrite);
    QFETCH(QString, box);
    QFETCH(int, reg);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(bool, panelBusy);
    Rig r;
    if (autoWrite)
        r.autoWriteOn();
    bool busy = false;
    connect(r.field(reg), &HexField::completed, r.w,
            [&] { busy = !r.c<QWidget>(QStringLiteral("pnlReg%1").arg(reg))->isEnabled(); });
    QTest::mouseClick(r.c<QAbstractButton>(box), Qt::LeftButton);
    QCOMPARE(r.field(reg)->text(), text);
    QCOMPARE(r.c<QAbstractButton>(box)->text(), caption);
    QCOMPARE(r.bits(reg), int(tp::hexToInt(text.toStdString())));
    QCOMPARE(r.bench.transfers(),
             autoWrite ? QStringList{QStringLiteral("W 40 %1 %2").arg(hex(reg), text)} : QStringList{});
    QCOMPARE(busy, panelBusy);
    QVERIFY(r.c<QWidget>(QStringLiteral("pnlReg%1").arg(reg))->isEnabled());

    // Typing both digits writes once more; one digit alone does nothing.
    r.bench.clearLog();
    r.type(reg, "3");
    QVERIFY(r.bench.transfers().isEmpty());
    QTest::keyClicks(r.field(reg), "c");
    QCOMPARE(r.bench.transfers(),
             autoWrite ? QStringList{QStringLiteral("W 40 %1 3C").arg(hex(reg))} : QStringList{});
}

void TestPca9555::leavingAFieldPadsIt()
{
    Rig r;
    r.autoWriteOn();
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.bench.main.get()));
    r.field(5)->setFocus();
    r.field(5)->clear();
    QTest::keyClicks(r.field(5), "7");
    QTest::keyClick(r.field(5), Qt::Key_Tab); // to the next field
    QCOMPARE(r.field(5)->text(), QStringLiteral("07"));
    r.field(4)->setFocus();
    r.field(4)->clear();
    QTest::keyClick(r.field(4), Qt::Key_Tab);
    QCOMPARE(r.field(4)->text(), QStringLiteral("00"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40 05 07", "W 40 04 00"}));
    QCOMPARE(r.box(5, 2)->text(), QStringLiteral("Inverted"));
    QCOMPARE(r.box(5, 3)->text(), QStringLiteral("Not Inverted"));
}

void TestPca9555::polarityInversionShowsInTheInputs()
{
    Rig r;
    r.type(4, "FF");
    r.click("btnWrite45");
    r.click("btnInputRead");
    QCOMPARE(r.field(0)->text(), QStringLiteral("00"));
    QCOMPARE(r.field(1)->text(), QStringLiteral("FF"));
    QCOMPARE(r.bench.transfers(), QStringList{"W 40 04 FF 00"} + pairRead(0, 0x00, 0xFF));
}

void TestPca9555::failedReadChangesNothing()
{
    Rig r;
    r.setChip({0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00});
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.count = 3;
    r.bench.sim->inject(nack);
    r.click("btnRead45");
    r.click("btnRead2");
    r.click("btnInputRead");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40", "W 40", "W 40"}));
    QCOMPARE(r.field(4)->text(), QStringLiteral("00"));
    QCOMPARE(r.field(2)->text(), QStringLiteral("FF"));
    QCOMPARE(r.bits(2), 0xFF);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
}

void TestPca9555::layoutFitsFullAndHalfWidth()
{
    Rig r(kPca9539, "PCA9539", 0xE8);
    r.bench.main->resize(1280, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    auto* content = r.c<QWidget>("pnlContent");
    QVERIFY(!r.c<QScrollArea>("scrContent")->verticalScrollBar()->isVisible()); // all in view
    saveShot(r.bench.main.get(), "pca9555");

    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    const QSize area = r.bench.main->mdiArea()->viewport()->size();
    sub->showNormal();
    sub->setGeometry(0, 0, area.width() / 2, area.height());
    QCoreApplication::processEvents();
    // What does not fit scrolls down, never sideways.
    QCOMPARE(clippedControls(content), QStringList());
    QVERIFY(!r.c<QScrollArea>("scrContent")->horizontalScrollBar()->isVisible());
    saveShot(r.bench.main.get(), "pca9555-half");
}

void TestPca9555::tabOrderFollowsTheLayout()
{
    Rig r;
    // Group by group; in a group each register's column (field, buttons,
    // boxes from the highest bit down), then the pair's buttons.
    QStringList expected{"cmbAddress", "chbAutoWrite", "btnWriteAll", "btnReadAll", "btnInputRead"};
    const struct {
        const char* field[2];
        const char* boxes;
        int high;
    } groups[] = {{{"edtRegister3", "edtRegister2"}, "chbReg", 3},
                  {{"edtPolarity1", "edtPolarity0"}, "chb", 5},
                  {{"edtConfig1", "edtConfig0"}, "chb", 7}};
    for (const auto& g : groups) {
        for (int i = 0; i < 2; ++i) {
            const int reg = g.high - i;
            expected << g.field[i] << QStringLiteral("btnRead%1").arg(reg) << QStringLiteral("btnWrite%1").arg(reg);
            for (int b = 7; b >= 0; --b)
                expected << QStringLiteral("%1%2%3").arg(g.boxes).arg(reg).arg(b);
        }
        expected << QStringLiteral("btnRead%1%2").arg(g.high - 1).arg(g.high)
                 << QStringLiteral("btnWrite%1%2").arg(g.high - 1).arg(g.high);
    }
    QCOMPARE(tabChain(r.w), expected);
}

TALLYPORT_TEST_MAIN(TestPca9555)
#include "tst_pca9555.moc"
