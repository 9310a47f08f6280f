#include "core/sim/Lm75aChip.h"
#include "core/sim/RegisterChip.h"
#include "gui/common/UpDownButtons.h"
#include "gui/devices/thermal/LM75.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolButton>

using tp::sim::Fault;
using tp::sim::Lm75aChip;

namespace {

// On the box's indicator: a stretched check box does not take clicks far right of its text.
void clickBox(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

const QString kEntry = QStringLiteral("LM75A  Digital Temperature Sensor");
const QString kDeg = QStringLiteral("\u00B0C");

struct Rig {
    TestBench bench;
    TfrmLM75A* w = nullptr;

    Rig()
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmLM75A*>(bench.main->windowReference("TfrmLM75A"));
    }
    // The bench places a chip when a window first talks to it; tests set it up before.
    Lm75aChip* chip(std::uint8_t address = 0x90)
    {
        bench.sim->expectChip("LM75A", address);
        return bench.sim->chipAt<Lm75aChip>(address);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLabel>(name)->text(); }
    void click(const QString& name) { QTest::mouseClick(c<QPushButton>(name), Qt::LeftButton); }
    void step(const QString& spn, bool up, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(c<QToolButton>(spn + (up ? "Up" : "Down")), Qt::LeftButton);
    }
    void autoWriteOn() { clickBox(c<QCheckBox>("chbAutoWrite")); }
    void choose(const QString& list, int index) { c<QComboBox>(list)->setCurrentIndex(index); }
};

} // namespace

class TestLm75a : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void readTemperature_data();
    void readTemperature();
    void limitSteps_data();
    void limitSteps();
    void limitWritesAndReads();
    void configListsKeepReservedBits();
    void readsNeverWriteBack();
    void failedReadChangesNothing();
    void writeAllStopsAtFirstFailure();
    void addressListChoosesChip();
    void reopeningShowsFormValues();
    void tabOrderFollowsTheLayout();
    void layoutAtFullAndHalfWidth();
};

void TestLm75a::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("LM75A Digital Temperature and Thermal Watchdog"));
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(r.w->link().address(), 0x90);
    QStringList items;
    for (int i = 0; i < r.c<QComboBox>("cmbAddress")->count(); ++i)
        items << r.c<QComboBox>("cmbAddress")->itemText(i);
    QCOMPARE(items, (QStringList{"0x90", "0x92", "0x94", "0x96", "0x98", "0x9A", "0x9C", "0x9E"}));
    QCOMPARE(r.c<QGroupBox>("grbAddress")->title(), QStringLiteral("Device Address"));
    QCOMPARE(r.c<QGroupBox>("grbAutoWrite")->title(), QStringLiteral("Automatic Write"));
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Auto Write Off"));
    r.autoWriteOn();
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Auto Write On"));
    QCOMPARE(r.text("txtTempHex"), QStringLiteral("0x0000"));
    QCOMPARE(r.text("txtTemp"), "25.000" + kDeg);
    QCOMPARE(r.text("txtConfig"), QStringLiteral("0x00"));
    QCOMPARE(r.text("txtThystHex"), QStringLiteral("0x4B00"));
    QCOMPARE(r.text("txtThyst"), "75.0" + kDeg);
    QCOMPARE(r.text("txtTOSHex"), QStringLiteral("0x5000"));
    QCOMPARE(r.text("txtTOS"), "80.0" + kDeg);
    const QList<QPair<QString, QStringList>> lists{{"cmbShutdown", {"Normal", "Shut-down"}},
                                                   {"cmbOSMode", {"Comparator", "Interrupt"}},
                                                   {"cmbPolarity", {"Low", "High"}},
                                                   {"cmbOSFault", {"1", "2", "4", "6"}}};
    for (const auto& [name, texts] : lists) {
        QComboBox* cmb = r.c<QComboBox>(name);
        QCOMPARE(cmb->currentIndex(), 0);
        QStringList got;
        for (int i = 0; i < cmb->count(); ++i)
            got << cmb->itemText(i);
        QCOMPARE(got, texts);
    }
    for (const char* g : {"grbTemperature", "grbConfig", "grbThyst", "grbTOS", "grbAll"})
        QVERIFY(r.c<QGroupBox>(g));
    QCOMPARE(r.c<QGroupBox>("grbAll")->title(), QStringLiteral("Read and Write All Registers"));
    QCOMPARE(r.c<QGroupBox>("grbConfig")->title(), QStringLiteral("Configuration Register"));
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write on writes nothing by itself
    // The plot shows the limits as the window holds them.
    QCOMPARE(*r.w->plot()->limit("Tos"), 80.0);
    QCOMPARE(*r.w->plot()->limit("Thyst"), 75.0);
}

void TestLm75a::readTemperature_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");
    QTest::newRow("126.875") << 126.875 << "7EE0" << "126.875";
    QTest::newRow("-54.875") << -54.875 << "C920" << "-54.875";
    QTest::newRow("-0.125") << -0.125 << "FFE0" << "-0.125";
    QTest::newRow("25") << 25.0 << "1900" << "25.000";
    QTest::newRow("-25") << -25.0 << "E700" << "-25.000";
}

void TestLm75a::readTemperature()
{
    QFETCH(double, celsius);
    QFETCH(QString, hex);
    QFETCH(QString, text);
    Rig r;
    r.chip()->setTemperature(celsius);
    r.click("btnReadTemp");
    // The pointer goes first every time: another window may have moved it.
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 00", "Sr R 90 " + hex.left(2) + " " + hex.right(2)}));
    QCOMPARE(r.text("txtTempHex"), "0x" + hex);
    QCOMPARE(r.text("txtTemp"), text + kDeg);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    const tp::BusContext& ctx = r.bench.state->context("TfrmLM75A");
    QCOMPARE(int(ctx.data[0]) << 8 | ctx.data[1], hex.toInt(nullptr, 16));
}

void TestLm75a::limitSteps_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QStringList>("writes"); // with Auto Write on, the last click's writes
    // TOS starts at 160 (80.0): 95 up reach 255, a 96th does nothing.
    QTest::newRow("TOS to the top") << "TOS" << true << 95 << "127.5" << "0x7F80" << QStringList{"W 90 03 7F 80"};
    QTest::newRow("TOS past the top") << "TOS" << true << 96 << "127.5" << "0x7F80" << QStringList{};
    QTest::newRow("Thyst one up") << "Thyst" << true << 1 << "75.5" << "0x4B80" << QStringList{"W 90 02 4B 80"};
    // Thyst starts at 150: 406 down reach -256 (-128.0, 0x8000), 407 change nothing more.
    QTest::newRow("Thyst to the bottom") << "Thyst" << false << 406 << "-128.0" << "0x8000"
                                         << QStringList{"W 90 02 80 00"};
    QTest::newRow("Thyst past the bottom") << "Thyst" << false << 407 << "-128.0" << "0x8000" << QStringList{};
    QTest::newRow("TOS to -0.5") << "TOS" << false << 161 << "-0.5" << "0xFF80" << QStringList{"W 90 03 FF 80"};
}

void TestLm75a::limitSteps()
{
    QFETCH(QString, limit);
    QFETCH(bool, up);
    QFETCH(int, clicks);
    QFETCH(QString, text);
    QFETCH(QString, hex);
    QFETCH(QStringList, writes);
    Rig r;
    r.step("spn" + limit, up, clicks - 1);
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write off
    r.autoWriteOn();
    r.step("spn" + limit, up);
    QCOMPARE(r.bench.transfers(), writes);
    QCOMPARE(r.text("txt" + limit), text + kDeg);
    QCOMPARE(r.text("txt" + limit + "Hex"), hex);
    // The line shows what the chip holds: what the last click wrote, or its start value.
    const QString line = limit == "TOS" ? "Tos" : "Thyst";
    if (writes.isEmpty()) {
        QCOMPARE(*r.w->plot()->limit(line), limit == "TOS" ? 80.0 : 75.0);
        QCOMPARE(*r.w->plot()->limit(TemperaturePlot::editedName(line)), text.toDouble());
    } else {
        QCOMPARE(*r.w->plot()->limit(line), text.toDouble());
    }
}

void TestLm75a::limitWritesAndReads()
{
    Rig r;
    r.click("btnWriteTOS");
    r.click("btnWriteThyst");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 03 50 00", "W 90 02 4B 00"}));
    r.step("spnTOS", false, 3); // 78.5
    r.click("btnWriteTOS");
    QCOMPARE(int(r.chip()->tosWord()), 0x4E80);
    r.step("spnTOS", true, 10);
    // The arrow keys step a focused pair as its buttons do.
    r.c<UpDownButtons>("spnTOS")->setFocus();
    QTest::keyClick(r.c<UpDownButtons>("spnTOS"), Qt::Key_Down);
    QCOMPARE(r.text("txtTOS"), "83.0" + kDeg);
    r.bench.clearLog();
    r.click("btnReadTOS"); // the chip's value replaces the image
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 03", "Sr R 90 4E 80"}));
    QCOMPARE(r.text("txtTOS"), "78.5" + kDeg);
    QCOMPARE(r.w->images().tos, 157);
    QCOMPARE(*r.w->plot()->limit("Tos"), 78.5);
}

void TestLm75a::configListsKeepReservedBits()
{
    // A chip that reports bits 7-5 set: the lists never change them.
    TestBench bench;
    auto& chip = static_cast<tp::sim::RegisterChip&>(
        bench.sim->place(0x90, std::make_unique<tp::sim::RegisterChip>("LM75A", 4, false)));
    chip.setReg(1, 0xE0);
    bench.main->deviceAction(kEntry)->trigger();
    QWidget* w = bench.main->windowReference("TfrmLM75A");
    QTest::mouseClick(child<QPushButton>(w, "btnReadConfig"), Qt::LeftButton);
    QCOMPARE(child<QLabel>(w, "txtConfig")->text(), QStringLiteral("0xE0"));
    clickBox(child<QCheckBox>(w, "chbAutoWrite"));
    bench.clearLog();
    child<QComboBox>(w, "cmbOSFault")->setCurrentIndex(3);
    QCOMPARE(child<QLabel>(w, "txtConfig")->text(), QStringLiteral("0xF8"));
    child<QComboBox>(w, "cmbOSMode")->setCurrentIndex(1);
    QCOMPARE(child<QLabel>(w, "txtConfig")->text(), QStringLiteral("0xFA"));
    QCOMPARE(bench.transfers(), (QStringList{"W 90 01 F8", "W 90 01 FA"}));
    QCOMPARE(int(chip.reg(1)), 0xFA);

    // From a fresh image: Interrupt gives 0x02.
    Rig r;
    r.autoWriteOn();
    r.choose("cmbOSMode", 1);
    QCOMPARE(r.text("txtConfig"), QStringLiteral("0x02"));
    QCOMPARE(r.bench.transfers(), QStringList{"W 90 01 02"});
    QCOMPARE(int(r.chip()->conf()), 0x02);
}

void TestLm75a::readsNeverWriteBack()
{
    Rig r;
    r.chip()->setTemperature(30.5);
    r.bench.sim->write(0x90, {0x01, 0x1A}); // fault queue 4, polarity high, shut-down
    r.bench.sim->write(0x90, {0x02, 0x3C, 0x00});
    r.bench.clearLog();
    r.autoWriteOn();
    r.click("btnReadAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 00", "Sr R 90 1E 80", "W 90 01", "Sr R 90 1A", "W 90 02",
                                               "Sr R 90 3C 00", "W 90 03", "Sr R 90 50 00"}));
    QCOMPARE(r.text("txtConfig"), QStringLiteral("0x1A"));
    QCOMPARE(r.c<QComboBox>("cmbOSFault")->currentIndex(), 3);
    QCOMPARE(r.c<QComboBox>("cmbPolarity")->currentIndex(), 0);
    QCOMPARE(r.c<QComboBox>("cmbOSMode")->currentIndex(), 1);
    QCOMPARE(r.c<QComboBox>("cmbShutdown")->currentIndex(), 0);
    QCOMPARE(r.text("txtThyst"), "60.0" + kDeg);
    QVERIFY(r.c<QCheckBox>("chbAutoWrite")->isChecked());
    // Single reads with Auto Write on do not write back either.
    r.bench.clearLog();
    r.click("btnReadConfig");
    r.click("btnReadThyst");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 01", "Sr R 90 1A", "W 90 02", "Sr R 90 3C 00"}));
}

void TestLm75a::failedReadChangesNothing()
{
    Rig r;
    r.chip()->setTemperature(40);
    Fault f;
    f.kind = Fault::Kind::AddressNack;
    f.count = 3;
    r.bench.sim->inject(f);
    r.click("btnReadTemp");
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.text("txtTemp"), "25.000" + kDeg);
    r.click("btnReadTOS");
    QCOMPARE(r.text("txtTOSHex"), QStringLiteral("0x5000"));
    r.click("btnReadConfig");
    QCOMPARE(r.text("txtConfig"), QStringLiteral("0x00"));
    QCOMPARE(int(r.bench.state->context("TfrmLM75A").status), 1);
    // Read All stops at the first failure.
    r.bench.sim->inject(f);
    r.bench.clearLog();
    r.click("btnReadAll");
    QCOMPARE(r.bench.transfers(), QStringList{"W 90"});
}

void TestLm75a::writeAllStopsAtFirstFailure()
{
    Rig r;
    r.bench.sim->inject(Fault{Fault::Kind::DataNack, std::nullopt, 1, 1});
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), QStringList{"W 90 01"});
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
    r.bench.clearLog();
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 01 00", "W 90 02 4B 00", "W 90 03 50 00"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestLm75a::addressListChoosesChip()
{
    Rig r;
    r.bench.sim->place(0x9A, std::make_unique<Lm75aChip>());
    r.chip(0x9A)->setTemperature(-10);
    QComboBox* cmb = r.c<QComboBox>("cmbAddress");
    cmb->setFocus();
    cmb->setCurrentIndex(0);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(cmb, Qt::Key_Down);
    QCOMPARE(cmb->currentText(), QStringLiteral("0x9A"));
    QCOMPARE(r.w->link().address(), 0x9A);
    QVERIFY(r.bench.transfers().isEmpty());
    r.click("btnReadTemp");
    QCOMPARE(r.text("txtTemp"), "-10.000" + kDeg);
}

void TestLm75a::reopeningShowsFormValues()
{
    Rig r;
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(2);
    r.w->cmbAddressChange(2);
    r.step("spnTOS", true, 4);
    r.choose("cmbOSMode", 1);
    const QPointer<TfrmLM75A> old = r.w;
    qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->close();
    QTRY_VERIFY(!old);
    r.open();
    QCOMPARE(r.w->link().address(), 0x90);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentIndex(), 0);
    QCOMPARE(r.text("txtTOS"), "80.0" + kDeg);
    QCOMPARE(r.text("txtConfig"), QStringLiteral("0x00"));
    QCOMPARE(r.w->images().config, 0);
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 01 00", "W 90 02 4B 00", "W 90 03 50 00"}));
}

void TestLm75a::tabOrderFollowsTheLayout()
{
    Rig r;
    QCOMPARE(tabChain(r.w),
             (QStringList{"cmbAddress",   "chbAutoWrite",    "btnReadTemp",   "cmbShutdown",    "cmbOSMode",
                          "cmbPolarity",  "cmbOSFault",      "btnReadConfig", "btnWriteConfig", "spnThyst",
                          "btnReadThyst", "btnWriteThyst",   "spnTOS",        "btnReadTOS",     "btnWriteTOS",
                          "btnReadAll",   "btnWriteAll",     "btnPlotStart",  "cmbPlotInterval", "btnPlotClear",
                          "chbPlotLimits"}));
}

void TestLm75a::layoutAtFullAndHalfWidth()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "lm75a");
    const QStringList clipped = clippedControls(r.w);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    r.bench.main->resize(640, 800);
    QCoreApplication::processEvents();
    QStringList small;
    for (const QString& s : clippedControls(r.w))
        if (!s.contains(QLatin1String("beyond"))) // the register panel scrolls
            small << s;
    QVERIFY2(small.isEmpty(), qPrintable(small.join('\n')));
    saveShot(r.bench.main.get(), "lm75a-half");
}

TALLYPORT_TEST_MAIN(TestLm75a)
#include "tst_lm75a.moc"
