#include "core/sim/Ne1617Chip.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/thermal/ne1617.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>

using tp::sim::Fault;
using tp::sim::Ne1617Chip;

namespace {

const QString kEntry = QStringLiteral("NE1617(A)  Temperature monitor");
const QString kDeg = QStringLiteral("\u00B0C");

void clickBox(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

struct Rig {
    TestBench bench;
    TfrmNE1617* w = nullptr;

    Rig()
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmNE1617*>(bench.main->windowReference("TfrmNE1617"));
    }
    Ne1617Chip* chip(std::uint8_t address = 0x30)
    {
        bench.sim->expectChip("NE1617", address);
        return bench.sim->chipAt<Ne1617Chip>(address);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLabel>(name)->text(); }
    QString title(const QString& name) { return c<QGroupBox>(name)->title(); }
    void click(const QString& name) { QTest::mouseClick(c<QPushButton>(name), Qt::LeftButton); }
    void autoWriteOn() { QTest::mouseClick(c<LedToggle>("chbAutoWrite"), Qt::LeftButton); }
    bool autoWrite() { return c<LedToggle>("chbAutoWrite")->isChecked(); }
};

} // namespace

class TestNe1617 : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void readRegisters_data();
    void readRegisters();
    void statusAndConfigurationBoxes();
    void configurationBoxesWrite_data();
    void configurationBoxesWrite();
    void limitSpinsWriteTwosComplement_data();
    void limitSpinsWriteTwosComplement();
    void rateListWrites();
    void failedAutomaticWriteSwitchesAutoWriteOff();
    void readAllReadsOnly();
    void writeAll();
    void writeAllStopsAtFailureAndRestoresAutoWrite();
    void oneShotAndAddress();
    void tabOrderFollowsTheLayout();
    void layoutAtFullAndHalfWidth();
};

void TestNe1617::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("NE1617(A) Temperature Monitor"));
    QCOMPARE(r.w->link().address(), 0x30);
    QStringList items;
    for (int i = 0; i < r.c<QComboBox>("cmbAddress")->count(); ++i)
        items << r.c<QComboBox>("cmbAddress")->itemText(i);
    QCOMPARE(items, (QStringList{"0x30", "0x32", "0x34", "0x52", "0x54", "0x56", "0x98", "0x9A", "0x9C"}));
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    const QList<QPair<QString, QString>> titles{
        {"grbRIT", "RIT Register (0x00)=0x00"},   {"grbRET", "RET Register (0x01)=0x00"},
        {"grbStatus", "Status Byte (0x02) = 0x00"}, {"grbRC", "RC Register (0x03)=0x00"},
        {"grbRCR", "RCR Register (0x04)=0x02"},   {"grbRIHL", "RIHL Register (0x05)=0x7F"},
        {"grbRILL", "RILL Register (0x06)=0xC9"}, {"grbREHL", "REHL Register (0x07)=0x7F"},
        {"grbRELL", "RELL Register (0x08)=0xC9"}, {"grbWC", " WC Register (0x09)=0x00"},
        {"grbWCR", " WCR Register (0x0A)"},       {"grbIntLimits", "Set Int Temp Limits (" + kDeg + ")"},
        {"grbExtLimits", "Set Ext Temp Limits (" + kDeg + ")"}};
    for (const auto& [name, title] : titles)
        QCOMPARE(r.title(name), title);
    const QList<QPair<QString, QString>> texts{
        {"lblTempRIT", "Internal Temp = 127" + kDeg},   {"lblTempRET", "External Temp = 0" + kDeg},
        {"lblRCR", "Conversion rate = 0.25 Hz"},        {"lblRIHL", "Int High Temp Limit=127" + kDeg},
        {"lblRILL", "Int Low Temp Limit=-55" + kDeg},   {"lblREHL", "Ext High Temp Limit=127" + kDeg},
        {"lblRELL", "Ext Low Temp Limit = -55" + kDeg}};
    for (const auto& [name, text] : texts)
        QCOMPARE(r.text(name), text);
    QComboBox* wcr = r.c<QComboBox>("cmbWCR");
    QCOMPARE(wcr->count(), 8);
    QCOMPARE(wcr->currentText(), QStringLiteral("0.2500 Hz"));
    QCOMPARE(wcr->itemText(0), QStringLiteral("0.0625 Hz"));
    QCOMPARE(wcr->itemText(7), QStringLiteral("8.0000 Hz"));
    QCOMPARE(r.c<QSpinBox>("spnWIHL")->value(), 127);
    QCOMPARE(r.c<QSpinBox>("spnWILL")->value(), -55);
    QCOMPARE(r.c<QSpinBox>("spnWEHL")->value(), 127);
    QCOMPARE(r.c<QSpinBox>("spnWELL")->value(), -55);
    QCOMPARE(r.c<QSpinBox>("spnWELL")->minimum(), -128);
    QCOMPARE(r.c<QCheckBox>("chbWCM")->text(), QStringLiteral("Alert interrupt enabled"));
    QCOMPARE(r.c<QCheckBox>("chbWCRS")->text(), QStringLiteral("Running mode enabled"));
    QCOMPARE(r.c<QCheckBox>("chbRunStop")->text(), QStringLiteral("Running mode"));
    QCOMPARE(r.c<QCheckBox>("chbBUSY")->text(), QStringLiteral("ADC not busy"));
    // Every box text in blue bold.
    for (const char* b : {"chbWCM", "chbMask", "chbOPEN", "chbIHLF"}) {
        QCOMPARE(r.c<QCheckBox>(b)->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(r.c<QCheckBox>(b)->font().bold());
    }
    QVERIFY(!r.c<QCheckBox>("chbOPEN")->isEnabled());
    QVERIFY(!r.c<QCheckBox>("chbMask")->isEnabled());
    QVERIFY(r.c<QCheckBox>("chbWCM")->isEnabled());
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(*r.w->plot()->limit("Int low"), -55.0);
}

void TestNe1617::readRegisters_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("RIT 25") << "btnReadReg0" << 0 << 0x19 << "grbRIT" << "RIT Register(0x00)=0x19" << "lblTempRIT"
                            << "Internal Temp=25" + kDeg;
    QTest::newRow("RIT -1") << "btnReadReg0" << 0 << 0xFF << "grbRIT" << "RIT Register(0x00)=0xFF" << "lblTempRIT"
                            << "Internal Temp=-1" + kDeg;
    QTest::newRow("RIT -128") << "btnReadReg0" << 0 << 0x80 << "grbRIT" << "RIT Register(0x00)=0x80"
                              << "lblTempRIT" << "Internal Temp=-128" + kDeg;
    QTest::newRow("RET -25") << "btnRET" << 1 << 0xE7 << "grbRET" << "RET Register(0x01) = 0xE7" << "lblTempRET"
                             << "External Tempe = -25" + kDeg;
    QTest::newRow("RCR 8 Hz") << "btnRCR" << 4 << 0x07 << "grbRCR" << "RCR Register (0x04)=0x07" << "lblRCR"
                              << "Conversion rate=8 Hz";
    QTest::newRow("RCR 0.0625") << "btnRCR" << 4 << 0x00 << "grbRCR" << "RCR Register (0x04)=0x00" << "lblRCR"
                                << "Conversion rate=0.0625 Hz";
    QTest::newRow("RCR reserved") << "btnRCR" << 4 << 0x09 << "grbRCR" << "RCR Register (0x04)=0x09" << "lblRCR"
                                  << "Conversion rate = 0.25 Hz";
    QTest::newRow("RIHL") << "btnRIHL" << 5 << 0x50 << "grbRIHL" << "RIHL Register(0x05)=0x50" << "lblRIHL"
                          << "Int High Temp Limit=80" + kDeg;
    QTest::newRow("RILL") << "btnRILL" << 6 << 0xC9 << "grbRILL" << "RILL Register(0x06)=0xC9" << "lblRILL"
                          << "Int Low Temp Limit=-55" + kDeg;
    QTest::newRow("REHL") << "btnREHL" << 7 << 0x64 << "grbREHL" << "REHL Register(0x07)=0x64" << "lblREHL"
                          << "Ext High Temp Limit=100" + kDeg;
    QTest::newRow("RELL") << "btnRELL" << 8 << 0xF6 << "grbRELL" << "RELL Register(0x08)=0xF6" << "lblRELL"
                          << "Ext Low Temp Limit=-10" + kDeg;
}

void TestNe1617::readRegisters()
{
    QFETCH(QString, button);
    QFETCH(int, reg);
    QFETCH(int, value);
    QFETCH(QString, group);
    QFETCH(QString, caption);
    QFETCH(QString, label);
    QFETCH(QString, text);
    Rig r;
    // Temperatures come from what the sensors measure, the rest from the registers.
    if (reg == 0)
        r.chip()->setInternal(std::int8_t(value));
    else if (reg == 1)
        r.chip()->setExternal(std::int8_t(value));
    else
        r.chip()->setReg(std::uint8_t(reg), std::uint8_t(value));
    r.autoWriteOn();
    r.click(button);
    const QString hex = QString::number(value, 16).toUpper().rightJustified(2, '0');
    const QString ptr = QString::number(reg, 16).toUpper().rightJustified(2, '0');
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 " + ptr, "Sr R 30 " + hex}));
    QCOMPARE(r.title(group), caption);
    QCOMPARE(r.text(label), text);
    QCOMPARE(int(r.bench.state->context("TfrmNE1617").data[0]), value);
}

void TestNe1617::statusAndConfigurationBoxes()
{
    Rig r;
    r.chip()->setReg(0x02, 0x7C);
    r.chip()->setReg(0x03, 0xC0);
    r.click("btnReadStatus");
    QCOMPARE(r.title("grbStatus"), QStringLiteral("Status Byte (0x02) = 0x7C"));
    QVERIFY(!r.c<QCheckBox>("chbBUSY")->isChecked());
    const QList<QPair<QString, QString>> set{{"chbIHLF", "Int high temp tripped"},
                                             {"chbILLF", "Int low temp tripped"},
                                             {"chbEHLF", "Ext high temp tripped"},
                                             {"chbELLF", "Ext low temp tripped"},
                                             {"chbOPEN", "External diode open"}};
    for (const auto& [box, text] : set) {
        QVERIFY(r.c<QCheckBox>(box)->isChecked());
        QCOMPARE(r.c<QCheckBox>(box)->text(), text);
    }
    r.click("btnReadRC");
    QCOMPARE(r.title("grbRC"), QStringLiteral("RC Register (0x03)=0xC0"));
    QCOMPARE(r.c<QCheckBox>("chbMask")->text(), QStringLiteral("Alert interrupt disabled"));
    QCOMPARE(r.c<QCheckBox>("chbRunStop")->text(), QStringLiteral("Standby mode"));
    // The read configuration never moves the boxes that write it.
    QVERIFY(!r.c<QCheckBox>("chbWCM")->isChecked());
}

void TestNe1617::configurationBoxesWrite_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("standby alone") << QStringList{"chbWCRS"} << " WC Register (0x09)=0x40"
                                   << QStringList{"W 30 09 40"};
    QTest::newRow("both") << QStringList{"chbWCM", "chbWCRS"} << " WC Register (0x09)=0xC0"
                          << QStringList{"W 30 09 80", "W 30 09 C0"};
    QTest::newRow("on and off") << QStringList{"chbWCM", "chbWCM"} << " WC Register (0x09)=0x00"
                                << QStringList{"W 30 09 80", "W 30 09 00"};
}

void TestNe1617::configurationBoxesWrite()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, caption);
    QFETCH(QStringList, writes);
    Rig r;
    r.autoWriteOn();
    for (const QString& b : boxes)
        clickBox(r.c<QCheckBox>(b));
    QCOMPARE(r.title("grbWC"), caption);
    QCOMPARE(r.bench.transfers(), writes);
    if (r.c<QCheckBox>("chbWCRS")->isChecked())
        QCOMPARE(r.c<QCheckBox>("chbWCRS")->text(), QStringLiteral("Standby mode enabled"));
    QCOMPARE(int(r.chip()->reg(0x03)), writes.last().right(2).toInt(nullptr, 16) & 0xC0);
}

void TestNe1617::limitSpinsWriteTwosComplement_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("write");
    QTest::newRow("WILL -55") << "spnWILL" << -55 << "W 30 0C C9";
    QTest::newRow("WIHL -128") << "spnWIHL" << -128 << "W 30 0B 80";
    QTest::newRow("WEHL 100") << "spnWEHL" << 100 << "W 30 0D 64";
    QTest::newRow("WELL -1") << "spnWELL" << -1 << "W 30 0E FF";
}

void TestNe1617::limitSpinsWriteTwosComplement()
{
    QFETCH(QString, spin);
    QFETCH(int, value);
    QFETCH(QString, write);
    Rig r;
    r.c<QSpinBox>(spin)->setValue(value);
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write off
    r.c<QSpinBox>(spin)->setValue(0);
    r.autoWriteOn();
    r.c<QSpinBox>(spin)->setValue(value);
    QCOMPARE(r.bench.transfers(), QStringList{write});
    // The plot knows the chip's limit now.
    const QString names[] = {"Int high", "Int low", "Ext high", "Ext low"};
    QCOMPARE(*r.w->plot()->limit(names[write.mid(5, 2).toInt(nullptr, 16) - 0x0B]), double(value));
}

void TestNe1617::rateListWrites()
{
    Rig r;
    r.c<QComboBox>("cmbWCR")->setCurrentIndex(7);
    QCOMPARE(r.title("grbWCR"), QStringLiteral(" WCR Register (0x0A)=0x07"));
    QVERIFY(r.bench.transfers().isEmpty());
    r.autoWriteOn();
    r.c<QComboBox>("cmbWCR")->setCurrentIndex(4);
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 0A 04"});
    QCOMPARE(int(r.chip()->reg(0x04)), 4);
}

void TestNe1617::failedAutomaticWriteSwitchesAutoWriteOff()
{
    Rig r;
    r.autoWriteOn();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.c<QSpinBox>("spnWEHL")->setValue(90);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(!r.autoWrite());
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    QCOMPARE(r.c<QSpinBox>("spnWEHL")->value(), 90);
    QCOMPARE(*r.w->plot()->limit("Ext high"), 127.0); // not written: the chip keeps its limit
    r.bench.clearLog();
    r.c<QSpinBox>("spnWEHL")->setValue(91);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestNe1617::readAllReadsOnly()
{
    Rig r;
    r.chip()->setInternal(30);
    r.autoWriteOn();
    r.click("btnReadAll");
    const QStringList t = r.bench.transfers();
    QCOMPARE(t.size(), 18);
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(t[2 * i], QStringLiteral("W 30 0%1").arg(i));
        QVERIFY(t[2 * i + 1].startsWith("Sr R 30 "));
    }
    QCOMPARE(r.text("lblTempRIT"), "Internal Temp=30" + kDeg);
    QVERIFY(r.autoWrite());
    // A failure stops it.
    r.bench.clearLog();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.click("btnReadAll");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30"});
}

void TestNe1617::writeAll()
{
    Rig r;
    clickBox(r.c<QCheckBox>("chbWCM"));
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 09 80", "W 30 0A 02", "W 30 0B 7F", "W 30 0C C9", "W 30 0D 7F",
                                               "W 30 0E C9"}));
    QVERIFY(!r.autoWrite());
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    r.autoWriteOn();
    r.bench.clearLog();
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers().size(), 6);
    QVERIFY(r.autoWrite());
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestNe1617::writeAllStopsAtFailureAndRestoresAutoWrite()
{
    Rig r;
    r.chip();
    int seen = 0;
    r.bench.sim->log().onEntry = [&](const tp::BusLogEntry& e) {
        if (!e.isNote() && ++seen == 2)
            r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    };
    r.click("btnWriteAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 09 00", "W 30 0A 02", "W 30"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(!r.autoWrite()); // back to its state before Write All
}

void TestNe1617::oneShotAndAddress()
{
    Rig r;
    r.chip()->setReg(0x03, 0x40); // standby
    r.chip()->setInternal(42);
    r.click("btnOneShot");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 0F 00"});
    QCOMPARE(r.chip()->oneShots(), 1);
    QCOMPARE(int(r.chip()->reg(0x00)), 42);
    r.bench.sim->place(0x9A, std::make_unique<Ne1617Chip>());
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(7);
    r.w->cmbAddressChange(7);
    r.bench.clearLog();
    r.click("btnReadReg0");
    QCOMPARE(r.bench.transfers().first(), QStringLiteral("W 9A 00"));
    // A new window starts at 0x30 again.
    const QPointer<TfrmNE1617> old = r.w;
    qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->close();
    QTRY_VERIFY(!old);
    r.open();
    QCOMPARE(r.w->link().address(), 0x30);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentIndex(), 0);
}

void TestNe1617::tabOrderFollowsTheLayout()
{
    Rig r;
    QCOMPARE(tabChain(r.w),
             (QStringList{"cmbAddress", "chbAutoWrite", "btnReadReg0", "btnRET", "btnReadStatus", "btnReadRC",
                          "btnRCR", "btnRIHL", "btnRILL", "btnREHL", "btnRELL", "chbWCM", "chbWCRS", "cmbWCR",
                          "spnWIHL", "spnWILL", "spnWEHL", "spnWELL", "btnReadAll", "btnWriteAll", "btnOneShot",
                          "btnPlotStart", "cmbPlotInterval", "btnPlotClear", "chbPlotLimits"}));
}

void TestNe1617::layoutAtFullAndHalfWidth()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "ne1617");
    const QStringList clipped = clippedControls(r.w);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    r.bench.main->resize(640, 800);
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "ne1617-half");
    QStringList small;
    for (const QString& s : clippedControls(r.w))
        if (!s.contains(QLatin1String("beyond")))
            small << s;
    QVERIFY2(small.isEmpty(), qPrintable(small.join('\n')));
}

TALLYPORT_TEST_MAIN(TestNe1617)
#include "tst_ne1617.moc"
