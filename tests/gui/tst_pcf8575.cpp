#include "core/common/HexText.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "gui/devices/ports/Pcf8575.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

using tp::sim::Fault;
using tp::sim::QuasiBidirectionalPort;

namespace {

const QString kEntry = QStringLiteral("PCF8575    16-bit I/O Expander");

struct Rig {
    TestBench bench{false};
    QuasiBidirectionalPort* chip;
    TfrmPCF8575* w = nullptr;

    Rig()
    {
        chip = static_cast<QuasiBidirectionalPort*>(
            &bench.sim->place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8575", 2)));
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmPCF8575*>(bench.main->windowReference("TfrmPCF8575"));
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    HexField* field(const QString& name) { return c<HexField>(name); }
    // Boxes <prefix>7..<prefix>0 as a byte, checked = 1.
    int boxes(const QString& prefix)
    {
        int v = 0;
        for (int b = 7; b >= 0; --b)
            v |= c<QAbstractButton>(prefix + QString::number(b))->isChecked() ? 1 << b : 0;
        return v;
    }
    void type(const QString& name, const QString& keys)
    {
        field(name)->selectAll();
        QTest::keyClicks(field(name), keys);
    }
    void autoWriteOn() { QTest::mouseClick(c<LedToggle>("chbEnabled"), Qt::LeftButton); }
};

} // namespace

class TestPcf8575 : public QObject {
    Q_OBJECT
private slots:
    void openingSetsAddressOnCreationOnly();
    void formDefaults();
    void writeSendsLowByteFirst();
    void readShowsBothPorts();
    void leavingAField_data();
    void leavingAField();
    void bitBoxClickWritesBothBytesOnce_data();
    void bitBoxClickWritesBothBytesOnce();
    void radioItemChoosesAddress();
    void failedTransfersChangeNothing();
    void sharesItsDefaultAddressWithThePcf8574Window();
    void layoutFitsTheFrame();
};

void TestPcf8575::openingSetsAddressOnCreationOnly()
{
    Rig r;
    QCOMPARE(r.w->link().address(), 0x40);
    QCOMPARE(r.c<RadioGroup>("rdgPCF8575")->itemIndex(), 0);
    const QPoint indicator(6, r.c<RadioGroup>("rdgPCF8575")->item(7)->height() / 2);
    QTest::mouseClick(r.c<RadioGroup>("rdgPCF8575")->item(7), Qt::LeftButton, {}, indicator);
    QCOMPARE(r.w->link().address(), 0x4E);

    // Choosing the entry of the open window presets nothing.
    TfrmPCF8575* first = r.w;
    r.open();
    QCOMPARE(r.w, first);
    QCOMPARE(r.bench.main->childForms().size(), 1);
    QCOMPARE(r.w->link().address(), 0x4E);

    // A new window starts at 0x40 again, with its form defaults.
    r.type("edtWriteL", "12");
    const QPointer<TfrmPCF8575> old = r.w;
    child<QAction>(r.w->childMenus().first(), "mnuClose")->trigger();
    QTRY_VERIFY(!old);
    QCOMPARE(int(r.bench.state->context("TfrmPCF8575").address[0]), 0x4E);
    r.open();
    QCOMPARE(r.w->link().address(), 0x40);
    QCOMPARE(r.field("edtWriteL")->text(), QStringLiteral("FF"));
    QCOMPARE(r.c<RadioGroup>("rdgPCF8575")->itemIndex(), 0);
}

void TestPcf8575::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCF8575 16-bit I/O Expander"));
    for (const char* f : {"edtReadHigh", "edtReadLow", "edtWriteH", "edtWriteL"})
        QCOMPARE(r.field(f)->text(), QStringLiteral("FF"));
    for (const char* p : {"chbPort1", "chbPort0", "chbP1", "chbP0"})
        QCOMPARE(r.boxes(p), 0xFF);
    QCOMPARE(r.c<QCheckBox>("chbP13")->text(), QStringLiteral("P13"));
    QCOMPARE(r.c<QCheckBox>("chbPort05")->text(), QStringLiteral("P05"));
    QVERIFY(r.c<QCheckBox>("chbP00")->font().bold());
    QVERIFY(!r.c<QWidget>("pnlReadHigh")->isEnabled());
    QVERIFY(!r.c<QWidget>("pnlReadLow")->isEnabled());
    QVERIFY(r.c<QWidget>("pnlHigh")->isEnabled());
    QStringList items;
    for (int i = 0; i < 8; ++i)
        items << r.c<RadioGroup>("rdgPCF8575")->item(i)->text();
    QCOMPARE(items, (QStringList{"0x40", "0x42", "0x44", "0x46", "0x48", "0x4A", "0x4C", "0x4E"}));
    QCOMPARE(r.c<RadioGroup>("rdgPCF8575")->toolTip(), QStringLiteral("Click on device I\u00B2C write address"));
    QCOMPARE(r.c<QGroupBox>("grb8575Pins")->title(), QStringLiteral("Read"));
    QCOMPARE(r.c<QGroupBox>("grb8575Pins")->toolTip(), QStringLiteral("Checked=high / Unchecked=low  (Read only)"));
    QCOMPARE(r.c<QGroupBox>("grb8575")->toolTip(), QStringLiteral("Checked=high. Unchecked=low."));
    QCOMPARE(r.c<QLabel>("lblWrite")->text(), QStringLiteral("High            Low"));
    QCOMPARE(r.c<QPushButton>("btnRead")->text(), QStringLiteral("&Read"));
    QCOMPARE(r.c<QPushButton>("btnPCF8575Write")->toolTip(), QStringLiteral("Write two bytes to the PCF8575"));
    QCOMPARE(r.field("edtWriteH")->toolTip(), QStringLiteral("Enter high byte here"));
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write Off"));
    r.autoWriteOn();
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write On"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPcf8575::writeSendsLowByteFirst()
{
    Rig r;
    r.type("edtWriteH", "12");
    r.type("edtWriteL", "34");
    QCOMPARE(r.boxes("chbP1"), 0x12);
    QCOMPARE(r.boxes("chbP0"), 0x34);
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write is off
    QTest::mouseClick(r.c<QPushButton>("btnPCF8575Write"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), QStringList{"W 40 34 12"});
    QCOMPARE(int(r.chip->latch(0)), 0x34);
    QCOMPARE(int(r.chip->latch(1)), 0x12);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));

    // With Auto Write, typing either byte writes both.
    r.bench.clearLog();
    r.autoWriteOn();
    r.type("edtWriteH", "A5");
    QCOMPARE(r.bench.transfers(), QStringList{"W 40 34 A5"});
}

void TestPcf8575::readShowsBothPorts()
{
    Rig r;
    r.chip->setExternal(0, 0x0F); // P07..P00
    r.chip->setExternal(1, 0xC3); // P17..P10
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), QStringList{"R 40 0F C3"});
    QCOMPARE(r.field("edtReadLow")->text(), QStringLiteral("0F"));
    QCOMPARE(r.field("edtReadHigh")->text(), QStringLiteral("C3"));
    QCOMPARE(r.boxes("chbPort0"), 0x0F);
    QCOMPARE(r.boxes("chbPort1"), 0xC3);
    const tp::BusContext& ctx = r.bench.state->context("TfrmPCF8575");
    QCOMPARE(int(ctx.data[0]), 0x0F);
    QCOMPARE(int(ctx.data[1]), 0xC3);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPcf8575::leavingAField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("low, one digit") << "edtWriteL" << "chbP0" << "5" << "FF" << QStringList{"W 40 FF FF"};
    QTest::newRow("high, empty") << "edtWriteH" << "chbP1" << "" << "FF" << QStringList{"W 40 FF FF"};
    QTest::newRow("low, two digits") << "edtWriteL" << "chbP0" << "0a" << "0A" << QStringList{"W 40 0A FF"};
}

void TestPcf8575::leavingAField()
{
    QFETCH(QString, field);
    QFETCH(QString, boxes);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(QStringList, writes);
    Rig r;
    r.autoWriteOn();
    r.field(field)->setText(QStringLiteral("00")); // boxes cleared; the write it makes is not the point
    r.bench.clearLog();
    r.field(field)->clear();
    QTest::keyClicks(r.field(field), typed);
    if (typed.size() == 2)
        r.bench.clearLog(); // the second digit already wrote; leaving adds nothing
    if (field == QLatin1String("edtWriteL"))
        r.w->edtWriteLExit();
    else
        r.w->edtWriteHExit();
    QCOMPARE(r.field(field)->text(), after);
    QCOMPARE(r.boxes(boxes), int(tp::hexToInt(after.toStdString())));
    QCOMPARE(r.bench.transfers(), typed.size() == 2 ? QStringList{} : writes);
}

void TestPcf8575::bitBoxClickWritesBothBytesOnce_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("lowText");
    QTest::addColumn<QString>("highText");
    QTest::addColumn<QString>("write");
    QTest::newRow("low byte P03") << "chbP03" << "F7" << "FF" << "W 40 F7 FF";
    QTest::newRow("high byte P17") << "chbP17" << "FF" << "7F" << "W 40 FF 7F";
}

void TestPcf8575::bitBoxClickWritesBothBytesOnce()
{
    QFETCH(QString, box);
    QFETCH(QString, lowText);
    QFETCH(QString, highText);
    QFETCH(QString, write);
    Rig r;
    r.autoWriteOn();
    bool panelsBusy = false;
    connect(r.field(box.startsWith("chbP0") ? "edtWriteL" : "edtWriteH"), &HexField::completed, r.w, [&] {
        panelsBusy = !r.c<QWidget>("pnlHigh")->isEnabled() && !r.c<QWidget>("pnlLow")->isEnabled();
    });
    QTest::mouseClick(r.c<QCheckBox>(box), Qt::LeftButton);
    QCOMPARE(r.field("edtWriteL")->text(), lowText);
    QCOMPARE(r.field("edtWriteH")->text(), highText);
    QCOMPARE(r.bench.transfers(), QStringList{write});
    QVERIFY(panelsBusy);
    QVERIFY(r.c<QWidget>("pnlHigh")->isEnabled() && r.c<QWidget>("pnlLow")->isEnabled());
}

void TestPcf8575::radioItemChoosesAddress()
{
    Rig r;
    r.bench.sim->place(0x48, std::make_unique<QuasiBidirectionalPort>("PCF8575", 2));
    const QPoint indicator(6, r.c<RadioGroup>("rdgPCF8575")->item(4)->height() / 2);
    QTest::mouseClick(r.c<RadioGroup>("rdgPCF8575")->item(4), Qt::LeftButton, {}, indicator);
    QVERIFY(r.bench.transfers().isEmpty());
    QTest::mouseClick(r.c<QPushButton>("btnPCF8575Write"), Qt::LeftButton);
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), (QStringList{"W 48 FF FF", "R 48 FF FF"}));
}

void TestPcf8575::failedTransfersChangeNothing()
{
    Rig r;
    r.chip->setExternal(0, 0x00);
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.count = 2;
    r.bench.sim->inject(nack);
    r.type("edtWriteL", "55");
    QTest::mouseClick(r.c<QPushButton>("btnPCF8575Write"), Qt::LeftButton);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(int(r.chip->latch(0)), 0xFF);
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.field("edtReadLow")->text(), QStringLiteral("FF"));
    QCOMPARE(r.boxes("chbPort0"), 0xFF);
    QCOMPARE(r.field("edtWriteL")->text(), QStringLiteral("55"));
    QCOMPARE(int(r.bench.state->context("TfrmPCF8575").status), 1);
}

void TestPcf8575::sharesItsDefaultAddressWithThePcf8574Window()
{
    // Both windows start at 0x40; on the program's bench each meets its own chip there.
    TestBench bench;
    bench.main->deviceAction(QStringLiteral("PCF8574  8-bit I/O Expander"))->trigger();
    QWidget* w8574 = bench.main->windowReference("TfrmPCF8574");
    child<HexField>(w8574, "edtWrite")->setText("5A");
    QTest::mouseClick(child<QPushButton>(w8574, "btnPCF8574Write"), Qt::LeftButton);

    bench.main->deviceAction(kEntry)->trigger();
    QWidget* w8575 = bench.main->windowReference("TfrmPCF8575");
    QTest::mouseClick(child<QPushButton>(w8575, "btnRead"), Qt::LeftButton);
    QCOMPARE(child<HexField>(w8575, "edtReadLow")->text(), QStringLiteral("FF"));
    QCOMPARE(bench.sim->chipAt(0x40)->type(), std::string("PCF8575"));

    bench.main->deviceAction(QStringLiteral("PCF8574  8-bit I/O Expander"))->trigger();
    QTest::mouseClick(child<QPushButton>(w8574, "btnPCF8574Read"), Qt::LeftButton);
    QCOMPARE(child<HexField>(w8574, "edtRead")->text(), QStringLiteral("5A")); // the chip it wrote before
    QCOMPARE(bench.transfers(), (QStringList{"W 40 5A", "R 40 FF FF", "R 40 5A"}));
    QStringList notes;
    for (const tp::BusLogEntry& e : bench.sim->log().entries())
        if (e.isNote())
            notes << QString::fromStdString(e.note);
    // Each window's chips are placed as it opens: the PCF8574 window has two.
    QCOMPARE(notes, (QStringList{"bench: placed a simulated PCF8574 at 0x40",
                                 "bench: placed a simulated PCF8574A at 0x70",
                                 "bench: set aside the simulated PCF8574 at 0x40",
                                 "bench: placed a simulated PCF8575 at 0x40",
                                 "bench: set aside the simulated PCF8575 at 0x40",
                                 "bench: put back the simulated PCF8574 met at 0x40 before"}));
    QCOMPARE(bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestPcf8575::layoutFitsTheFrame()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
    saveShot(r.bench.main.get(), "pcf8575");
}

TALLYPORT_TEST_MAIN(TestPcf8575)
#include "tst_pcf8575.moc"
