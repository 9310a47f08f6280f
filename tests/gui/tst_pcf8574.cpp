#include "core/common/HexText.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "gui/devices/ports/Pcf8574.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

using tp::sim::Fault;
using tp::sim::QuasiBidirectionalPort;

namespace {

const QString kEntry = QStringLiteral("PCF8574  8-bit I/O Expander");
const QString kEntryA = QStringLiteral("PCF8574A  8-bit I/O Expander");

// The names of one half of the window.
struct Half {
    QString edtWrite, writeBox, btnWrite, edtRead, readBox, btnRead, chbAuto, chbReadBack, rdg;
    int address;
};

const Half kLeft{"edtWrite", "chb74P", "btnPCF8574Write", "edtRead", "chbPort", "btnPCF8574Read",
                 "chbEnabled", "chbReadBack", "rdgPCF8574", 0x40};
const Half kRight{"edtPCF8574AWrite", "chb74AP", "btnPCF8574AWrite", "edtPCF8574ARead", "chbPort0",
                  "btnPCF8574ARead", "chbPCF8574A", "chbReadBackA", "rdgPCF8574A", 0x70};

// A bench holding exactly the two chips at their default addresses, and the window.
struct Rig {
    TestBench bench{false};
    QuasiBidirectionalPort* pcf;
    QuasiBidirectionalPort* pcfA;
    TfrmPCF8574* w = nullptr;

    Rig()
    {
        pcf = static_cast<QuasiBidirectionalPort*>(
            &bench.sim->place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8574", 1)));
        pcfA = static_cast<QuasiBidirectionalPort*>(
            &bench.sim->place(0x70, std::make_unique<QuasiBidirectionalPort>("PCF8574A", 1)));
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmPCF8574*>(bench.main->windowReference("TfrmPCF8574"));
        bench.clearLog();
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    HexField* field(const QString& name) { return c<HexField>(name); }
    QAbstractButton* box(const QString& prefix, int bit) { return c<QAbstractButton>(prefix + QString::number(bit)); }
    QuasiBidirectionalPort* chip(const Half& h) { return h.address == 0x40 ? pcf : pcfA; }
    // Which of the eight boxes are checked, bit 7 first, as a byte.
    int boxes(const QString& prefix)
    {
        int v = 0;
        for (int b = 7; b >= 0; --b)
            v |= box(prefix, b)->isChecked() ? 1 << b : 0;
        return v;
    }
    void type(const QString& field, const QString& keys)
    {
        HexField* f = this->field(field);
        f->selectAll();
        QTest::keyClicks(f, keys);
    }
};

// A click on item i's button, where its indicator is.
void clickItem(RadioGroup* group, int i)
{
    QRadioButton* b = group->item(i);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

QString hex(int v, int address)
{
    return QStringLiteral("%1 %2").arg(address, 2, 16, QLatin1Char('0')).arg(v, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

Q_DECLARE_METATYPE(Half)

class TestPcf8574 : public QObject {
    Q_OBJECT
private slots:
    void menuEntriesOpenOneWindowAndSetBothAddresses_data();
    void menuEntriesOpenOneWindowAndSetBothAddresses();
    void formDefaults();
    void radioItemSetsOnlyItsChipsAddress();
    void typingWritesOnlyWithAutoWrite_data();
    void typingWritesOnlyWithAutoWrite();
    void bitBoxClick_data();
    void bitBoxClick();
    void readShowsPinLevels_data();
    void readShowsPinLevels();
    void autoReadbackReadsOnlyItsOwnChip_data();
    void autoReadbackReadsOnlyItsOwnChip();
    void leavingOneDigitPadsAndWritesThenReadsBack();
    void leavingEmptyFieldReportsInvalidNumber();
    void failedWriteLeavesWindowAsItWas();
    void failedReadLeavesDisplayAsItWas();
    void writeButtonsIgnoreClicksWhileWriting();
    void keyFilter();
    void closeAndReopenShowsDefaultsKeepsContext();
    void benchPlacesBothChipsForTheWindow();
    void layoutFitsTheFrame();
};

void TestPcf8574::menuEntriesOpenOneWindowAndSetBothAddresses_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("PCF8574 then PCF8574A") << kEntry << kEntryA;
    QTest::newRow("PCF8574A then PCF8574") << kEntryA << kEntry;
}

void TestPcf8574::menuEntriesOpenOneWindowAndSetBothAddresses()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestBench bench(false);
    bench.main->deviceAction(first)->trigger();
    auto* w = qobject_cast<TfrmPCF8574*>(bench.main->windowReference("TfrmPCF8574"));
    QVERIFY(w);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574).address(), 0x40);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574A).address(), 0x70);

    child<RadioGroup>(w, "rdgPCF8574")->item(3)->click();
    child<RadioGroup>(w, "rdgPCF8574A")->item(7)->click();
    QCOMPARE(w->link(TfrmPCF8574::PCF8574).address(), 0x46);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574A).address(), 0x7E);

    // Another window comes first; choosing the entry again brings this one
    // forward, resets both addresses and leaves the radio groups alone.
    bench.main->deviceAction(QStringLiteral("PCF8575    16-bit I/O Expander"))->trigger();
    QVERIFY(bench.main->mdiArea()->currentSubWindow()->widget() != w);
    bench.main->deviceAction(second)->trigger();
    QCOMPARE(bench.main->childForms().size(), 2);
    QCOMPARE(bench.main->windowReference("TfrmPCF8574"), w);
    QCOMPARE(bench.main->mdiArea()->currentSubWindow()->widget(), w);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574).address(), 0x40);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574A).address(), 0x70);
    QCOMPARE(child<RadioGroup>(w, "rdgPCF8574")->itemIndex(), 3);
    QCOMPARE(child<RadioGroup>(w, "rdgPCF8574A")->itemIndex(), 7);
}

void TestPcf8574::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCF8574 / PCF8574A 8-bit I/O Expanders"));
    QVERIFY(qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->isMaximized());
    for (const Half& h : {kLeft, kRight}) {
        QCOMPARE(r.field(h.edtWrite)->text(), QStringLiteral("FF"));
        QCOMPARE(r.field(h.edtRead)->text(), QStringLiteral("FF"));
        QVERIFY(r.field(h.edtRead)->isReadOnly());
        QCOMPARE(r.boxes(h.writeBox), 0xFF);
        QCOMPARE(r.boxes(h.readBox), 0xFF);
        for (int b = 7; b >= 0; --b) {
            QCOMPARE(r.box(h.writeBox, b)->text(), QStringLiteral("P %1").arg(b));
            QCOMPARE(r.box(h.readBox, b)->text(), QStringLiteral("P %1").arg(b));
            QVERIFY(r.box(h.writeBox, b)->font().bold());
            QVERIFY(r.box(h.writeBox, b)->isEnabled());
            QVERIFY(!r.box(h.readBox, b)->isEnabled()); // they only show
        }
        auto* autoWrite = r.c<LedToggle>(h.chbAuto);
        QVERIFY(!autoWrite->isChecked());
        QCOMPARE(autoWrite->text(), QStringLiteral("Auto Write Off"));
        QCOMPARE(autoWrite->toolTip(), QStringLiteral("Enable/disable Auto Write feature"));
        QCOMPARE(r.c<LedToggle>(h.chbReadBack)->text(), QStringLiteral("Auto Readback Off"));
        QCOMPARE(r.c<RadioGroup>(h.rdg)->itemIndex(), 0);
        QCOMPARE(r.c<RadioGroup>(h.rdg)->title(), QStringLiteral("I\u00B2C Address"));
        QCOMPARE(r.c<QPushButton>(h.btnWrite)->text(), QStringLiteral("Write"));
        QCOMPARE(r.c<QPushButton>(h.btnRead)->text(), QStringLiteral("Read"));
    }
    QStringList items;
    for (int i = 0; i < 8; ++i)
        items << r.c<RadioGroup>("rdgPCF8574A")->item(i)->text();
    QCOMPARE(items, (QStringList{"70h", "72h", "74h", "76h", "78h", "7Ah", "7Ch", "7Eh"}));
    QCOMPARE(r.c<RadioGroup>("rdgPCF8574")->item(5)->text(), QStringLiteral("4Ah"));
    QCOMPARE(r.c<QGroupBox>("grb8574Pins")->title(), QStringLiteral("Read PCF8574"));
    QCOMPARE(r.c<QGroupBox>("grb8574APins")->toolTip(), QStringLiteral("Checkboxes are read only"));
    QCOMPARE(r.c<QGroupBox>("grb8574A")->title(), QStringLiteral("Write PCF8574A"));
    QCOMPARE(r.c<QGroupBox>("grb8574")->toolTip(), QStringLiteral("Checked=high, unchecked=low.  Click to change state."));
    QCOMPARE(r.c<QPushButton>("btnPCF8574ARead")->toolTip(), QStringLiteral("Read data from PCF8574A"));
    QCOMPARE(r.c<QPushButton>("btnPCF8574Write")->toolTip(), QStringLiteral("Write data to PCF8574"));
    QCOMPARE(r.c<RadioGroup>("rdgPCF8574A")->toolTip(), QStringLiteral("Choose PCF8574A I2C address"));
    QCOMPARE(r.field("edtPCF8574AWrite")->toolTip(), QStringLiteral("Enter data to be sent here"));

    // Toggle captions follow their state.
    auto* readBack = r.c<LedToggle>("chbReadBackA");
    QTest::mouseClick(readBack, Qt::LeftButton);
    QCOMPARE(readBack->text(), QStringLiteral("Auto Readback On"));
    auto* autoA = r.c<LedToggle>("chbPCF8574A");
    QTest::mouseClick(autoA, Qt::LeftButton);
    QCOMPARE(autoA->text(), QStringLiteral("Auto Write On"));
    QTest::mouseClick(autoA, Qt::LeftButton);
    QCOMPARE(autoA->text(), QStringLiteral("Auto Write Off"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPcf8574::radioItemSetsOnlyItsChipsAddress()
{
    Rig r;
    r.bench.sim->place(0x7E, std::make_unique<QuasiBidirectionalPort>("PCF8574A", 1));
    clickItem(r.c<RadioGroup>("rdgPCF8574A"), 7);
    QCOMPARE(r.w->link(TfrmPCF8574::PCF8574A).address(), 0x7E);
    QCOMPARE(r.w->link(TfrmPCF8574::PCF8574).address(), 0x40);
    QVERIFY(r.bench.transfers().isEmpty()); // choosing touches no bus
    QTest::mouseClick(r.c<QPushButton>("btnPCF8574AWrite"), Qt::LeftButton);
    QTest::mouseClick(r.c<QPushButton>("btnPCF8574Write"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), (QStringList{"W 7E FF", "W 40 FF"}));
}

void TestPcf8574::typingWritesOnlyWithAutoWrite_data()
{
    QTest::addColumn<Half>("half");
    QTest::addColumn<bool>("autoWrite");
    QTest::newRow("PCF8574, Auto Write off") << kLeft << false;
    QTest::newRow("PCF8574, Auto Write on") << kLeft << true;
    QTest::newRow("PCF8574A, Auto Write off") << kRight << false;
    QTest::newRow("PCF8574A, Auto Write on") << kRight << true;
}

void TestPcf8574::typingWritesOnlyWithAutoWrite()
{
    QFETCH(Half, half);
    QFETCH(bool, autoWrite);
    Rig r;
    if (autoWrite)
        QTest::mouseClick(r.c<LedToggle>(half.chbAuto), Qt::LeftButton);
    r.type(half.edtWrite, "3");
    QCOMPARE(r.field(half.edtWrite)->text(), QStringLiteral("3"));
    QCOMPARE(r.boxes(half.writeBox), 0xFF); // one digit is no change yet
    QVERIFY(r.bench.transfers().isEmpty());
    QTest::keyClicks(r.field(half.edtWrite), "c");
    QCOMPARE(r.field(half.edtWrite)->text(), QStringLiteral("3C"));
    QCOMPARE(r.boxes(half.writeBox), 0x3C);
    QCOMPARE(r.bench.transfers(), autoWrite ? QStringList{"W " + hex(0x3C, half.address)} : QStringList{});
    QCOMPARE(int(r.chip(half)->latch()), autoWrite ? 0x3C : 0xFF);
    if (autoWrite)
        QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    // The other half took no part.
    const Half& other = half.address == 0x40 ? kRight : kLeft;
    QCOMPARE(r.field(other.edtWrite)->text(), QStringLiteral("FF"));
}

void TestPcf8574::bitBoxClick_data()
{
    QTest::addColumn<Half>("half");
    QTest::addColumn<bool>("autoWrite");
    QTest::newRow("PCF8574, Auto Write on") << kLeft << true;
    QTest::newRow("PCF8574, Auto Write off") << kLeft << false;
    QTest::newRow("PCF8574A, Auto Write on") << kRight << true;
}

void TestPcf8574::bitBoxClick()
{
    QFETCH(Half, half);
    QFETCH(bool, autoWrite);
    Rig r;
    if (autoWrite)
        QTest::mouseClick(r.c<LedToggle>(half.chbAuto), Qt::LeftButton);
    QAbstractButton* p3 = r.box(half.writeBox, 3);
    QTest::mouseClick(p3, Qt::LeftButton);
    QVERIFY(!p3->isChecked());
    QCOMPARE(p3->text(), QStringLiteral("P 3")); // fixed captions
    QCOMPARE(r.field(half.edtWrite)->text(), QStringLiteral("F7"));
    QCOMPARE(r.boxes(half.writeBox), 0xF7);
    QCOMPARE(r.bench.transfers(), autoWrite ? QStringList{"W " + hex(0xF7, half.address)} : QStringList{});
    QVERIFY(r.c<QGroupBox>(half.address == 0x40 ? "grb8574" : "grb8574A")->isEnabled());

    QTest::mouseClick(p3, Qt::LeftButton);
    QCOMPARE(r.field(half.edtWrite)->text(), QStringLiteral("FF"));
    QCOMPARE(r.bench.transfers().size(), autoWrite ? 2 : 0);
}

void TestPcf8574::readShowsPinLevels_data()
{
    QTest::addColumn<Half>("half");
    QTest::addColumn<int>("latch");
    QTest::addColumn<int>("outside");
    QTest::addColumn<int>("shown");
    QTest::newRow("PCF8574 inputs pulled low outside") << kLeft << 0xFF << 0xA5 << 0xA5;
    QTest::newRow("PCF8574A latch and outside") << kRight << 0x0F << 0xF5 << 0x05;
}

void TestPcf8574::readShowsPinLevels()
{
    QFETCH(Half, half);
    QFETCH(int, latch);
    QFETCH(int, outside);
    QFETCH(int, shown);
    Rig r;
    r.bench.sim->write(static_cast<std::uint8_t>(half.address), {static_cast<std::uint8_t>(latch)});
    r.chip(half)->setExternal(0, static_cast<std::uint8_t>(outside));
    r.bench.clearLog();
    QTest::mouseClick(r.c<QPushButton>(half.btnRead), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), QStringList{"R " + hex(shown, half.address)});
    QCOMPARE(r.field(half.edtRead)->text(), QString::fromStdString(tp::byteText(static_cast<std::uint8_t>(shown))));
    QCOMPARE(r.boxes(half.readBox), shown);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.bench.state->context("TfrmPCF8574").data[0]), shown);
    QCOMPARE(r.field(half.edtWrite)->text(), QStringLiteral("FF")); // a read changes no write field
}

void TestPcf8574::autoReadbackReadsOnlyItsOwnChip_data()
{
    QTest::addColumn<Half>("withReadback");
    QTest::addColumn<Half>("without");
    QTest::newRow("on for PCF8574A only") << kRight << kLeft;
    QTest::newRow("on for PCF8574 only") << kLeft << kRight;
}

void TestPcf8574::autoReadbackReadsOnlyItsOwnChip()
{
    QFETCH(Half, withReadback);
    QFETCH(Half, without);
    Rig r;
    r.chip(withReadback)->setExternal(0, 0x7F);
    QTest::mouseClick(r.c<LedToggle>(withReadback.chbReadBack), Qt::LeftButton);
    r.type(withReadback.edtWrite, "F0");
    r.type(without.edtWrite, "0F");
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write is off: readback alone writes nothing

    QTest::mouseClick(r.c<QPushButton>(withReadback.btnWrite), Qt::LeftButton);
    QTest::mouseClick(r.c<QPushButton>(without.btnWrite), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), (QStringList{"W " + hex(0xF0, withReadback.address),
                                               "R " + hex(0x70, withReadback.address),
                                               "W " + hex(0x0F, without.address)}));
    QCOMPARE(r.field(withReadback.edtRead)->text(), QStringLiteral("70"));
    QCOMPARE(r.boxes(withReadback.readBox), 0x70);
    QCOMPARE(r.field(without.edtRead)->text(), QStringLiteral("FF"));
}

void TestPcf8574::leavingOneDigitPadsAndWritesThenReadsBack()
{
    Rig r;
    QTest::mouseClick(r.c<LedToggle>("chbEnabled"), Qt::LeftButton);
    QTest::mouseClick(r.c<LedToggle>("chbReadBack"), Qt::LeftButton);
    r.type("edtWrite", "7");
    QVERIFY(r.bench.transfers().isEmpty());
    r.w->edtWriteExit();
    QCOMPARE(r.field("edtWrite")->text(), QStringLiteral("07"));
    QCOMPARE(r.boxes("chb74P"), 0x07); // P 7..P 3 unchecked, P 2..P 0 checked
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40 07", "R 40 07"}));
    QCOMPARE(r.field("edtRead")->text(), QStringLiteral("07"));

    // Leaving a field that already holds two digits is no change.
    r.bench.clearLog();
    r.w->edtWriteExit();
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPcf8574::leavingEmptyFieldReportsInvalidNumber()
{
    Rig r;
    QTest::mouseClick(r.c<LedToggle>("chbEnabled"), Qt::LeftButton);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.bench.main.get()));
    HexField* edt = r.field("edtWrite");
    edt->setFocus();
    QTRY_VERIFY(edt->hasFocus());
    QTest::keyClick(edt, Qt::Key_Backspace);
    QTest::keyClick(edt, Qt::Key_Backspace);
    QCOMPARE(edt->text(), QString());
    QTest::keyClick(edt, Qt::Key_Tab); // leaves the field
    QVERIFY(!edt->hasFocus());
    QCOMPARE(r.bench.dialogs.texts("error"), QStringList{"'$' is not a valid integer value."});
    QCOMPARE(r.bench.dialogs.of("error").first().caption, QStringLiteral("Tallyport"));
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(edt->text(), QString());
    QCOMPARE(r.boxes("chb74P"), 0xFF);

    // Typing into the field again and leaving it works as before.
    edt->setFocus();
    QTRY_VERIFY(edt->hasFocus());
    QTest::keyClicks(edt, "a");
    QTest::keyClick(edt, Qt::Key_Tab);
    QCOMPARE(edt->text(), QStringLiteral("0A"));
    QCOMPARE(r.bench.transfers(), QStringList{"W 40 0A"});
}

void TestPcf8574::failedWriteLeavesWindowAsItWas()
{
    Rig r;
    QTest::mouseClick(r.c<LedToggle>("chbReadBack"), Qt::LeftButton);
    r.type("edtWrite", "12");
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.address = 0x40;
    r.bench.sim->inject(nack);
    QTest::mouseClick(r.c<QPushButton>("btnPCF8574Write"), Qt::LeftButton);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.bench.status().background, tp::colour::Red);
    QCOMPARE(r.bench.transfers(), QStringList{"W 40"}); // no read-back after a failure
    QCOMPARE(int(r.bench.state->context("TfrmPCF8574").status), 1);
    QCOMPARE(r.field("edtWrite")->text(), QStringLiteral("12"));
    QCOMPARE(r.boxes("chb74P"), 0x12);
    QCOMPARE(r.field("edtRead")->text(), QStringLiteral("FF"));
    QCOMPARE(r.boxes("chbPort"), 0xFF);
    QCOMPARE(int(r.pcf->latch()), 0xFF);
    QVERIFY(r.c<QPushButton>("btnPCF8574Write")->isEnabled());
    QVERIFY(!r.c<QPushButton>("btnPCF8574Write")->signalsBlocked());
    QVERIFY(!r.c<QPushButton>("btnPCF8574AWrite")->signalsBlocked());
}

void TestPcf8574::failedReadLeavesDisplayAsItWas()
{
    Rig r;
    r.pcfA->setExternal(0, 0x00);
    Fault stuck;
    stuck.kind = Fault::Kind::TimeOut;
    r.bench.sim->inject(stuck);
    QTest::mouseClick(r.c<QPushButton>("btnPCF8574ARead"), Qt::LeftButton);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  I\u00B2C Time-Out"));
    QCOMPARE(r.field("edtPCF8574ARead")->text(), QStringLiteral("FF"));
    QCOMPARE(r.boxes("chbPort0"), 0xFF);
    QTest::mouseClick(r.c<QPushButton>("btnPCF8574ARead"), Qt::LeftButton);
    QCOMPARE(r.field("edtPCF8574ARead")->text(), QStringLiteral("00"));
}

void TestPcf8574::writeButtonsIgnoreClicksWhileWriting()
{
    Rig r;
    auto* left = r.c<QPushButton>("btnPCF8574Write");
    auto* right = r.c<QPushButton>("btnPCF8574AWrite");
    bool guarded = false;
    bool arrived = false;
    // Clicks that arrive while the transfer runs start nothing: the buttons'
    // signals are blocked, and the user's clicks are held.
    r.bench.sim->setTransferDelayUs(300000);
    QTimer::singleShot(50, left, [&] {
        arrived = true;
        guarded = left->signalsBlocked() && right->signalsBlocked();
        left->click();
        right->click();
        QTest::mouseClick(right, Qt::LeftButton);
        QTest::mouseClick(left, Qt::LeftButton);
    });
    QTest::mouseClick(left, Qt::LeftButton);
    r.bench.sim->setTransferDelayUs(0);
    QVERIFY(arrived);
    QVERIFY(guarded);
    QCOMPARE(r.bench.transfers(), QStringList{"W 40 FF"});
    QVERIFY(!left->signalsBlocked() && !right->signalsBlocked());
    QTest::mouseClick(right, Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), (QStringList{"W 40 FF", "W 70 FF"}));
}

void TestPcf8574::keyFilter()
{
    Rig r;
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.bench.main.get()));
    QAbstractButton* p0 = r.box("chb74P", 0);
    p0->setFocus();
    QTRY_VERIFY(p0->hasFocus());
    QTest::keyClick(p0, Qt::Key_Space);
    QVERIFY(p0->isChecked());
    QCOMPARE(r.field("edtWrite")->text(), QStringLiteral("FF"));

    HexField* edt = r.field("edtPCF8574AWrite");
    edt->setFocus();
    QTRY_VERIFY(edt->hasFocus());
    edt->selectAll();
    QTest::keyClicks(edt, "G");
    QCOMPARE(edt->text(), QStringLiteral("FF")); // discarded, the selection stands
    QTest::keyClicks(edt, "x b-e");
    QCOMPARE(edt->text(), QStringLiteral("BE")); // letters forced to upper case
    QCOMPARE(r.boxes("chb74AP"), 0xBE);
    QTest::keyClicks(edt, "1");
    QCOMPARE(edt->text(), QStringLiteral("BE")); // two characters at most
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPcf8574::closeAndReopenShowsDefaultsKeepsContext()
{
    Rig r;
    r.pcf->setExternal(0, 0x3C);
    QTest::mouseClick(r.c<LedToggle>("chbEnabled"), Qt::LeftButton);
    QTest::mouseClick(r.c<LedToggle>("chbReadBack"), Qt::LeftButton);
    r.type("edtWrite", "5A");
    clickItem(r.c<RadioGroup>("rdgPCF8574A"), 2);
    QCOMPARE(r.field("edtRead")->text(), QStringLiteral("18"));

    const QPointer<TfrmPCF8574> old = r.w;
    child<QAction>(r.w->childMenus().first(), "mnuClose")->trigger();
    QTRY_VERIFY(!old); // destroyed, not hidden
    QVERIFY(!r.bench.main->windowReference("TfrmPCF8574"));
    QVERIFY(r.bench.main->childForms().isEmpty());
    QCOMPARE(r.bench.statusText(), QString());
    const tp::BusContext& ctx = r.bench.state->context("TfrmPCF8574");
    QCOMPARE(int(ctx.address[1]), 0x74);
    QCOMPARE(int(ctx.data[0]), 0x18);
    QCOMPARE(int(ctx.status), 0);

    r.bench.main->deviceAction(kEntryA)->trigger();
    auto* w = qobject_cast<TfrmPCF8574*>(r.bench.main->windowReference("TfrmPCF8574"));
    QVERIFY(w);
    r.w = w;
    QCOMPARE(r.field("edtWrite")->text(), QStringLiteral("FF"));
    QCOMPARE(r.field("edtRead")->text(), QStringLiteral("FF"));
    QCOMPARE(r.boxes("chb74P"), 0xFF);
    QVERIFY(!r.c<LedToggle>("chbEnabled")->isChecked());
    QVERIFY(!r.c<LedToggle>("chbReadBack")->isChecked());
    QCOMPARE(r.c<RadioGroup>("rdgPCF8574A")->itemIndex(), 0);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574).address(), 0x40);
    QCOMPARE(w->link(TfrmPCF8574::PCF8574A).address(), 0x70);
    QCOMPARE(int(ctx.data[0]), 0x18); // the bytes outlive the window
}

void TestPcf8574::benchPlacesBothChipsForTheWindow()
{
    TestBench bench; // the program's own chip types, no chip yet
    bench.main->deviceAction(kEntry)->trigger();
    QWidget* w = bench.main->windowReference("TfrmPCF8574");
    QTest::mouseClick(child<QPushButton>(w, "btnPCF8574Write"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnPCF8574ARead"), Qt::LeftButton);
    QCOMPARE(bench.transfers(), (QStringList{"W 40 FF", "R 70 FF"}));
    QCOMPARE(bench.statusText(), QStringLiteral("Transmission successful"));
    QStringList notes;
    for (const tp::BusLogEntry& e : bench.sim->log().entries())
        if (e.isNote())
            notes << QString::fromStdString(e.note);
    QCOMPARE(notes, (QStringList{"bench: placed a simulated PCF8574 at 0x40",
                                 "bench: placed a simulated PCF8574A at 0x70"}));
}

void TestPcf8574::layoutFitsTheFrame()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
    saveShot(r.bench.main.get(), "pcf8574");

    // Lit toggles and changed boxes take no more room.
    QTest::mouseClick(r.c<LedToggle>("chbEnabled"), Qt::LeftButton);
    QTest::mouseClick(r.c<LedToggle>("chbReadBackA"), Qt::LeftButton);
    QTest::mouseClick(r.box("chb74AP", 6), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    saveShot(r.bench.main.get(), "pcf8574-on");
}

TALLYPORT_TEST_MAIN(TestPcf8574)
#include "tst_pcf8574.moc"
