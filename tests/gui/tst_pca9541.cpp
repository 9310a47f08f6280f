#include "core/common/HexText.h"
#include "core/devices/ports/Pca9541.h"
#include "core/sim/MasterSelectorChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/ports/PCA9541.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>

using tp::sim::Fault;
using tp::sim::MasterSelectorChip;
using tp::sim::QuasiBidirectionalPort;
using tp::sim::Segment;
namespace sel = tp::pca9541;

namespace {

const QString kEntry = QStringLiteral("PCA9541");

struct Rig {
    TestBench bench;
    MasterSelectorChip* chip;
    TfrmPCA9541* w = nullptr;

    explicit Rig(std::uint8_t at = 0xE0)
    {
        chip = static_cast<MasterSelectorChip*>(&bench.sim->place(at, std::make_unique<MasterSelectorChip>()));
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmPCA9541*>(bench.main->windowReference("TfrmPCA9541"));
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLineEdit>(name)->text(); }
    void click(const QString& name) { QTest::mouseClick(c<QAbstractButton>(name), Qt::LeftButton); }
    bool lit(const QString& name) { return c<QAbstractButton>(name)->isChecked(); }
    // The other master takes the bus as the datasheet's table says.
    void otherMasterTakesTheBus(std::uint8_t extra = 0)
    {
        const std::uint8_t read = chip->read(1, sel::Control);
        chip->write(1, sel::Control, std::uint8_t(sel::takeControlValue(read).value_or(read & 0x05) | extra));
    }
};

const QStringList kReg0{"chbBusLostMsk", "chbBusOKMsk", "chbBusInitMsk", "chbIntMsk"};
const QStringList kReg1{"chbNMyTestOn", "chbMyTestOn", "chbBusInit", "chbNMyOnOff", "chbMyOnOff", "chbNMyGrab",
                        "chbMyGrab"};
const QStringList kReg2{"chbNMyTest", "chbMyTest", "chbBusLost", "chbBusOK", "chbBusInitReg2", "chbIntIn"};

} // namespace

class TestPca9541 : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void ledClicksBuildTheRegister_data();
    void ledClicksBuildTheRegister();
    void readingStatusLightsItsBitsAndWritesNothing();
    void aReadIsWhatTheNextClickBuildsOn();
    void otherMastersBitsAreIndicators_data();
    void otherMastersBitsAreIndicators();
    void takeOverAgainstTheArbitrationTable();
    void addressFromTheList();
    void failedReadChangesNothing();
    void newWindowStartsAtItsDefaults();
    void tabOrderFollowsTheLayout();
    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();
};

void TestPca9541::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA9541 2-to-1 Master Selector"));
    QVERIFY(r.w->childMenus().isEmpty()); // no File menu
    QCOMPARE(r.c<QGroupBox>("grbReg0")->title(), QStringLiteral("Register 0: IE"));
    QCOMPARE(r.c<QGroupBox>("grbReg1")->title(), QStringLiteral("Register 1:  Control"));
    QCOMPARE(r.c<QGroupBox>("grbReg2")->title(), QStringLiteral("Register 2:  Interrupt Status"));
    QCOMPARE(r.c<QGroupBox>("grbReg2")->toolTip(), QStringLiteral("Read-only register"));
    QCOMPARE(r.c<QWidget>("pnlReg2")->toolTip(), QStringLiteral("Read only register"));
    QVERIFY(!r.c<QWidget>("pnlReg2")->isEnabled());
    QVERIFY(r.c<QWidget>("pnlReg1")->isEnabled());
    for (int n = 0; n < 3; ++n)
        QCOMPARE(r.text(QStringLiteral("edtReg%1").arg(n)), QStringLiteral("00"));
    QStringList captions;
    for (const QStringList& reg : {kReg0, kReg1, kReg2})
        for (const QString& name : reg) {
            QVERIFY(!r.lit(name));
            captions << r.c<LedToggle>(name)->text();
        }
    QCOMPARE(captions, (QStringList{"BUSLOSTMSK", "BUSOKMSK", "BUSINITMSK", "INTINMSK", "NTESTON", "TESTON", "BUSINIT",
                                    "NBUSON", "BUSON", "NMYBUS", "MYBUS", "NMYTEST", "MYTEST", "BUSLOST", "BUSOK",
                                    "BUSINIT", "INTIN"}));
    QCOMPARE(r.c<QPushButton>("btnWriteReg0")->toolTip(), QStringLiteral("Write register 0"));
    QCOMPARE(r.c<QPushButton>("btnReadReg0")->toolTip(), QStringLiteral("Read Register 0"));
    QCOMPARE(r.c<QPushButton>("btnWriteReg1")->toolTip(), QStringLiteral("Write register 1"));
    QCOMPARE(r.c<QPushButton>("btnReadReg2")->text(), QStringLiteral("Read"));
    QVERIFY(!r.w->findChild<QPushButton*>("btnWriteReg2"));
    QCOMPARE(r.c<QGroupBox>("grbDevice")->title(), QStringLiteral("Device"));
    auto* cmb = r.c<QComboBox>("cmbAddress");
    QCOMPARE(cmb->toolTip(), QStringLiteral("I\u00B2C Address Selection"));
    QCOMPARE(cmb->count(), 16);
    QCOMPARE(cmb->itemText(0), QStringLiteral("0xE0"));
    QCOMPARE(cmb->itemText(15), QStringLiteral("0xFE"));
    QCOMPARE(cmb->currentIndex(), 0);
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    r.click("chbAutoWrite");
    QCOMPARE(r.c<LedToggle>("chbAutoWrite")->text(), QStringLiteral("Auto Write On"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPca9541::ledClicksBuildTheRegister_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("BUSON then MYBUS") << 1 << QStringList{"chbMyOnOff", "chbMyGrab"} << QStringList{"04", "05"};
    QTest::newRow("NTESTON, BUSINIT") << 1 << QStringList{"chbNMyTestOn", "chbBusInit"} << QStringList{"80", "90"};
    QTest::newRow("masks on and off") << 0 << QStringList{"chbBusLostMsk", "chbIntMsk", "chbBusLostMsk"}
                                      << QStringList{"08", "09", "01"};
}

void TestPca9541::ledClicksBuildTheRegister()
{
    QFETCH(int, reg);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, shown);
    const QString display = QStringLiteral("edtReg%1").arg(reg);
    {
        Rig r; // Auto Write off: only the display and the LEDs
        for (int i = 0; i < clicks.size(); ++i) {
            r.click(clicks[i]);
            QCOMPARE(r.text(display), shown[i]);
        }
        QVERIFY(r.bench.transfers().isEmpty());
        r.click(QStringLiteral("btnWriteReg%1").arg(reg));
        QCOMPARE(r.bench.transfers(), QStringList{QStringLiteral("W E0 %1 %2").arg(reg, 2, 10, QLatin1Char('0')).arg(shown.last())});
    }
    Rig r;
    r.click("chbAutoWrite");
    QStringList expected;
    for (int i = 0; i < clicks.size(); ++i) {
        r.click(clicks[i]);
        expected << QStringLiteral("W E0 0%1 %2").arg(reg).arg(shown[i]);
    }
    QCOMPARE(r.bench.transfers(), expected);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPca9541::readingStatusLightsItsBitsAndWritesNothing()
{
    Rig r;
    r.chip->write(0, sel::Control, sel::kTestOn | sel::kBusOn); // we own a connected bus, test interrupt on
    r.otherMasterTakesTheBus(sel::kNTestOn);                     // BUSLOST for us, and NMYTEST
    r.chip->setIntIn(true);
    r.click("chbAutoWrite");
    r.click("btnReadReg2");
    QCOMPARE(r.bench.transfers(), (QStringList{"W E0 02", "Sr R E0 C9"}));
    QCOMPARE(r.text("edtReg2"), QStringLiteral("C9"));
    const QList<bool> expected{true, true, true, false, false, true};
    for (int i = 0; i < kReg2.size(); ++i)
        QCOMPARE(r.lit(kReg2[i]), expected[i]);
    QCOMPARE(int(r.bench.state->context("TfrmPCA9541").data[0]), 0xC9);
}

void TestPca9541::aReadIsWhatTheNextClickBuildsOn()
{
    Rig r;
    QCOMPARE(r.bench.sim->write(0xE0, {0x00, 0x0F}), tp::status::Success);
    r.click("chbAutoWrite");
    r.bench.clearLog();
    r.click("btnReadReg0");
    QCOMPARE(r.text("edtReg0"), QStringLiteral("0F"));
    for (const QString& name : kReg0)
        QVERIFY(r.lit(name));
    r.click("chbBusOKMsk");
    QCOMPARE(r.text("edtReg0"), QStringLiteral("0B"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W E0 00", "Sr R E0 0F", "W E0 00 0B"}));
    QCOMPARE(int(r.chip->read(0, sel::IE)), 0x0B);
}

void TestPca9541::otherMastersBitsAreIndicators_data()
{
    QTest::addColumn<QString>("led");
    QTest::addColumn<int>("mask");
    QTest::newRow("NMYBUS") << "chbNMyGrab" << int(sel::kNMyBus);
    QTest::newRow("NBUSON") << "chbNMyOnOff" << int(sel::kNBusOn);
}

void TestPca9541::otherMastersBitsAreIndicators()
{
    QFETCH(QString, led);
    QFETCH(int, mask);
    Rig r;
    r.click("chbAutoWrite");
    auto* box = r.c<LedToggle>(led);
    QVERIFY(!box->toolTip().isEmpty());
    // Neither the mouse nor the keyboard changes it, so nothing is written.
    r.click(led);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!box->hasFocus());
    QVERIFY(!r.lit(led));
    QCOMPARE(r.text("edtReg1"), QStringLiteral("00"));
    QVERIFY(r.bench.transfers().isEmpty());

    // It still shows what the chip reports.
    r.otherMasterTakesTheBus();
    r.click("btnReadReg1");
    QVERIFY(r.lit(led));
    QVERIFY(tp::hexToInt(r.text("edtReg1").toStdString()) & mask);
    r.bench.clearLog();
    r.click(led);
    QVERIFY(r.lit(led));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPca9541::takeOverAgainstTheArbitrationTable()
{
    Rig r;
    auto* port = static_cast<QuasiBidirectionalPort*>(
        &r.bench.sim->place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8574", 1), Segment{r.chip, 0}));
    port->setExternal(0, 0xA5);
    r.otherMasterTakesTheBus();
    QCOMPARE(r.chip->connectedMaster(), std::optional<int>(1));

    r.click("chbAutoWrite");
    r.click("btnReadReg1");
    QCOMPARE(r.text("edtReg1"), QStringLiteral("0A")); // bus on, no control
    QVERIFY(r.lit("chbNMyOnOff"));
    QVERIFY(r.lit("chbNMyGrab"));
    QVERIFY(!sel::hasControl(0x0A));
    // The table asks for x0x1 after reading A: lighting MYBUS writes 0B.
    QCOMPARE(int(*sel::takeControlValue(0x0A)) & 0x05, 0x01);
    r.bench.clearLog();
    r.click("chbMyGrab");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 01 0B"});
    QCOMPARE(r.chip->connectedMaster(), std::optional<int>(0));
    r.click("btnReadReg1");
    QCOMPARE(r.text("edtReg1"), QStringLiteral("0B")); // bus on, has control

    // The chip behind the selector now answers this master.
    std::vector<std::uint8_t> pins;
    QCOMPARE(r.bench.sim->read(0x40, 1, pins), tp::status::Success);
    QCOMPARE(int(pins.at(0)), 0xA5);
    // The other master takes it back; our next read of the status shows the loss.
    r.otherMasterTakesTheBus();
    QCOMPARE(r.bench.sim->read(0x40, 1, pins), tp::status::AddressNack);
    r.click("btnReadReg2");
    QVERIFY(r.lit("chbBusLost"));
}

void TestPca9541::addressFromTheList()
{
    Rig r(0xF6);
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(11);
    r.click("btnWriteReg1");
    QCOMPARE(r.bench.transfers(), QStringList{"W F6 01 00"});
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    // The menu again: first address, in the list and on the bus.
    r.open();
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0xE0"));
    r.bench.clearLog();
    r.click("btnWriteReg1");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 01 00"});
}

void TestPca9541::failedReadChangesNothing()
{
    Rig r;
    r.click("chbMyOnOff");
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::uint8_t(0xE0), 0, 1});
    r.click("btnReadReg1");
    QCOMPARE(r.text("edtReg1"), QStringLiteral("04"));
    QVERIFY(r.lit("chbMyOnOff"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    // Register 2 does not take writes: the chip refuses the data byte.
    QCOMPARE(r.bench.sim->write(0xE0, {0x02, 0x00}), tp::status::DataNack);
}

void TestPca9541::newWindowStartsAtItsDefaults()
{
    Rig r;
    r.click("chbMyOnOff");
    r.click("chbIntMsk");
    QPointer<TfrmPCA9541> old = r.w;
    r.w->close();
    QTRY_VERIFY(!old);
    r.open();
    QCOMPARE(r.text("edtReg1"), QStringLiteral("00"));
    QVERIFY(!r.lit("chbMyOnOff"));
    r.click("chbAutoWrite");
    r.bench.clearLog();
    r.click("chbMyGrab");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 01 01"}); // not 05: the old copy is gone
}

void TestPca9541::tabOrderFollowsTheLayout()
{
    Rig r;
    // The other master's bits are indicators, out of the chain.
    QStringList reg1 = kReg1;
    reg1.removeAll("chbNMyOnOff");
    reg1.removeAll("chbNMyGrab");
    const QStringList expected = QStringList(kReg0) << "btnWriteReg0" << "btnReadReg0" << reg1 << "btnWriteReg1"
                                                    << "btnReadReg1" << "btnReadReg2" << "chbAutoWrite" << "cmbAddress";
    QCOMPARE(tabChain(r.w), expected);
}

void TestPca9541::layoutFitsTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("full") << 1280;
    QTest::newRow("half") << 640;
}

void TestPca9541::layoutFitsTheFrame()
{
    QFETCH(int, width);
    Rig r;
    r.bench.main->resize(width, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    r.chip->setIntIn(true);
    r.click("btnReadReg2");
    r.click("chbMyOnOff");
    r.click("chbAutoWrite");
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    saveShot(r.bench.main.get(), QStringLiteral("pca9541-%1").arg(width));
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
}

TALLYPORT_TEST_MAIN(TestPca9541)
#include "tst_pca9541.moc"
