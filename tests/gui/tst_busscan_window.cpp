#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/bus/CatalogueAddresses.h"
#include "core/sim/EepromChip.h"
#include "core/sim/RegisterChip.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/AdapterWatch.h"
#include "gui/bus/TfrmBusScan.h"
#include "gui/common/RadioGroup.h"
#include "gui/memory/MemoryForm.h"
#include "tests/support/FakeI2cKernel.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>

#include <linux/i2c.h>

using namespace tp;
using tp::sim::Fault;
using tp::sim::RegisterChip;

namespace {

// A bench holding exactly the chips a test places, and the scan window.
struct Rig {
    explicit Rig(const WindowFactories& factories = standardFactories()) : b(false, standardCatalogue(), factories) {}
    TestBench b;

    TfrmBusScan* scan()
    {
        b.main->findChild<QAction*>("mnuScanBus")->trigger();
        return qobject_cast<TfrmBusScan*>(b.main->windowReference("TfrmBusScan"));
    }
    void place(std::uint8_t address8) { b.sim->place(address8, std::make_unique<RegisterChip>("R", 8)); }
};

QString cell(TfrmBusScan* w, int address7)
{
    return w->grdScan->item(address7 / 16, address7 % 16)->text();
}

// The eight rows of the grid as the window shows them.
QStringList grid(TfrmBusScan* w)
{
    QStringList rows;
    for (int r = 0; r < 8; ++r) {
        QStringList cells;
        for (int c = 0; c < 16; ++c)
            cells << cell(w, r * 16 + c).leftJustified(2);
        rows << cells.join(' ');
    }
    return rows;
}

// Chooses the list entry whose text starts with `caption` and opens it.
void openFromList(TfrmBusScan* w, const QString& caption)
{
    for (int i = 0; i < w->lstEntries->count(); ++i) {
        if (w->lstEntries->item(i)->text().startsWith(caption + "   (")) {
            w->lstEntries->setCurrentRow(i);
            QVERIFY(w->btnOpen->isEnabled());
            w->btnOpen->click();
            return;
        }
    }
    QFAIL(qPrintable("no entry " + caption));
}

constexpr unsigned long kPiix4Funcs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                      I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_BLOCK_DATA;

} // namespace

class TestBusScanWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();

    void benchChipsInTheGrid();
    void fullRangeAndRescan();
    void entriesForAnAddress();
    void openPresetsTheAddress_data();
    void openPresetsTheAddress();
    void doubleClickOpensTheOnlyWindow();
    void addressTableFollowsTheDeviceMenu();
    void stuckBusStopsWithItsStatus();
    void smbusControllerWarnsOnceAndShowsClaims();
    void layout();
};

void TestBusScanWindow::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quessary", "Tallyprt").clear();
}

void TestBusScanWindow::cleanupTestCase()
{
    init();
}

void TestBusScanWindow::benchChipsInTheGrid()
{
    Rig r;
    r.place(0x40);
    r.place(0x9E);
    r.b.sim->place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::typical(1024))); // 0x50-0x53
    TfrmBusScan* w = r.scan();
    QVERIFY(w);
    QCOMPARE(grid(w), (QStringList{
                          "                        -- -- -- -- -- -- -- --",
                          "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --",
                          "20 -- -- -- -- -- -- -- -- -- -- -- -- -- -- --",
                          "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --",
                          "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- 4F",
                          "50 51 52 53 -- -- -- -- -- -- -- -- -- -- -- --",
                          "-- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --",
                          "-- -- -- -- -- -- -- --                        ",
                      }));
    QCOMPARE(r.b.statusText(), QString("6 devices found"));
    QCOMPARE(r.b.status().background, colour::Green);
    QCOMPARE(w->lblMethod->text(), QString("Probed with quick write at 0x08-0x2F, 0x38-0x4F, 0x60-0x77; "
                                           "one-byte read at 0x30-0x37, 0x50-0x5F."));
    QCOMPARE(w->prgScan->value(), w->prgScan->maximum());
    QCOMPARE(r.b.sim->log().transfers().size(), std::size_t(112));
    QVERIFY(w->grdScan->item(2, 0)->toolTip().contains("PCF8574"));
    // The list starts at the first address that answered.
    QCOMPARE(w->selectedAddress(), 0x20);
}

void TestBusScanWindow::fullRangeAndRescan()
{
    Rig r;
    r.place(0x0E); // 0x07
    TfrmBusScan* w = r.scan();
    QCOMPARE(cell(w, 0x07), QString());
    QCOMPARE(r.b.statusText(), QString("No devices found"));
    w->chbAllAddresses->setChecked(true);
    r.b.clearLog();
    w->btnScan->click();
    QCOMPARE(cell(w, 0x07), QString("07"));
    QCOMPARE(cell(w, 0x7F), QString("--"));
    QCOMPARE(r.b.sim->log().transfers().size(), std::size_t(128));
    QCOMPARE(r.b.statusText(), QString("1 device found"));
    // Choosing the menu entry again scans again, in the same window.
    r.b.clearLog();
    QCOMPARE(r.scan(), w);
    QCOMPARE(r.b.sim->log().transfers().size(), std::size_t(128));
}

void TestBusScanWindow::entriesForAnAddress()
{
    WindowFactories f = standardFactories();
    f.remove("TfrmPTN3500");
    Rig r(f);
    r.place(0x40);
    TfrmBusScan* w = r.scan();
    QStringList entries;
    for (int i = 0; i < w->lstEntries->count(); ++i)
        entries << w->lstEntries->item(i)->text().section("   (", 0, 0);
    QCOMPARE(entries, (QStringList{"PCA9500  8-bit I/O Port with 2K EE", "PCA9501  8-bit I/O Port with 2K EE",
                                   "PCA9534  8-bit I/O Expander", "PCA9535  16-bit I/O Expander",
                                   "PCA9554  8-bit I/O Expander", "PCA9555  16-bit I/O Expander",
                                   "PCF8574  8-bit I/O Expander", "PCF8575    16-bit I/O Expander"}));
    QCOMPARE(w->lblEntries->text(), QString("Device &menu entries at 0x20 (write address 0x40):"));
    // Entries without a window yet stand there disabled; the first one that opens is chosen.
    QVERIFY(!(w->lstEntries->item(0)->flags() & Qt::ItemIsEnabled));
    QCOMPARE(w->lstEntries->currentRow(), 2);
    // An address that did not answer lists nothing.
    w->grdScan->setCurrentCell(2, 1);
    QCOMPARE(w->lstEntries->count(), 0);
    QVERIFY(!w->btnOpen->isEnabled());
}

void TestBusScanWindow::openPresetsTheAddress_data()
{
    QTest::addColumn<int>("address");     // 8-bit, where the chip is
    QTest::addColumn<QString>("caption"); // the list entry
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("shown");
    QTest::newRow("PCA9554 list") << 0x42 << "PCA9554  8-bit I/O Expander" << "TfrmPCA9554" << "cmbAddress" << "0x42";
    QTest::newRow("PCF8574A radio group")
        << 0x74 << "PCF8574A  8-bit I/O Expander" << "TfrmPCF8574" << "rdgPCF8574A" << "74h";
    QTest::newRow("PCA9531") << 0xC6 << "PCA9531 8-bit LED Dimmer" << "TfrmPCA9531" << "cmbAddress" << "0xC6";
    QTest::newRow("PCA9545A among four lists")
        << 0xE2 << "PCA9545A  4-Channel Switch with Interrupt Logic" << "TfrmPCA9543" << "cmbPCA9545Address"
        << "0xE2";
    QTest::newRow("memory window") << 0xA4 << "256 x 8 (2K bit)" << "TfrmSmallEE" << "cmbAddress" << "A4";
    QTest::newRow("PCA9500 port field")
        << 0x44 << "PCA9500  8-bit I/O Port with 2K EE" << "TfrmPTN3500" << "edtIOAddress" << "44";
    QTest::newRow("PCA9501 EEPROM field")
        << 0x8A << "PCA9501  8-bit I/O Port with 2K EE" << "TfrmPTN3500" << "edtAddress" << "8A";
}

void TestBusScanWindow::openPresetsTheAddress()
{
    QFETCH(int, address);
    QFETCH(QString, caption);
    QFETCH(QString, windowClass);
    QFETCH(QString, selector);
    QFETCH(QString, shown);
    Rig r;
    if (windowClass == "TfrmSmallEE")
        r.b.sim->place(std::uint8_t(address), std::make_unique<sim::EepromChip>(sim::EepromChip::typical(256)));
    else
        r.place(std::uint8_t(address));
    TfrmBusScan* w = r.scan();
    QCOMPARE(w->selectedAddress(), address >> 1);
    openFromList(w, caption);
    TChildForm* opened = r.b.main->windowReference(windowClass);
    QVERIFY(opened);
    QCOMPARE(qobject_cast<TChildForm*>(r.b.main->mdiArea()->activeSubWindow()->widget()), opened);
    if (auto* cmb = opened->findChild<QComboBox*>(selector)) {
        QCOMPARE(cmb->currentText(), shown);
    } else if (auto* edt = opened->findChild<QLineEdit*>(selector)) {
        QCOMPARE(edt->text(), shown);
    } else {
        auto* rdg = child<RadioGroup>(opened, selector);
        QCOMPARE(rdg->item(rdg->itemIndex())->text(), shown);
    }
    if (windowClass == "TfrmSmallEE") {
        // The memory window reads where the chip answered.
        r.b.clearLog();
        qobject_cast<TMemoryForm*>(opened)->btnRead->click();
        const auto log = r.b.sim->log().transfers();
        QVERIFY(!log.empty());
        for (const BusLogEntry& e : log)
            QCOMPARE(int(e.address), address);
    } else {
        // The window's transfers go to the address it shows.
        const auto& a = opened->context().address;
        QVERIFY(std::find(a.begin(), a.end(), std::uint8_t(address)) != a.end());
    }
}

void TestBusScanWindow::doubleClickOpensTheOnlyWindow()
{
    // Of the chips at 0x49 only the PCA9537 has a window here.
    WindowFactories f;
    f.insert("TfrmPCA9536", standardFactories().value("TfrmPCA9536"));
    Rig r(f);
    r.place(0x92);
    TfrmBusScan* w = r.scan();
    const QRect rect = w->grdScan->visualItemRect(w->grdScan->item(4, 9));
    QTest::mouseClick(w->grdScan->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(w->grdScan->viewport(), Qt::LeftButton, {}, rect.center());
    TChildForm* opened = r.b.main->windowReference("TfrmPCA9536");
    QVERIFY(opened);
    QCOMPARE(child<QComboBox>(opened, "edtAddress")->currentText(), QString("0x92"));
    // A cell without an answer opens nothing.
    const QRect empty = w->grdScan->visualItemRect(w->grdScan->item(4, 8));
    const int windows = r.b.main->childForms().size();
    QTest::mouseClick(w->grdScan->viewport(), Qt::LeftButton, {}, empty.center());
    QTest::mouseDClick(w->grdScan->viewport(), Qt::LeftButton, {}, empty.center());
    QCOMPARE(r.b.main->childForms().size(), windows);
}

void TestBusScanWindow::addressTableFollowsTheDeviceMenu()
{
    // The scan's table of addresses lives in the core; the Device menu and
    // the windows' address lists must agree with it, or an entry would be
    // listed and never open, or open on another address.
    Rig r;
    QStringList inTable;
    for (const scan::EntryAddresses& e : scan::catalogueAddresses()) {
        const QString name = QString::fromStdString(e.submenu + "/" + e.caption);
        inTable << name;
        const CatalogueEntry* entry = nullptr;
        for (const CatalogueEntry& c : standardCatalogue())
            if (c.submenu + '/' + c.caption == name)
                entry = &c;
        QVERIFY2(entry, qPrintable("not in the Device menu: " + name));
        if (e.addresses.size() < 2 || !standardFactories().contains(entry->windowClass))
            continue;
        TChildForm* w = r.b.main->openEntry(*entry);
        QVERIFY2(w, qPrintable(name));
        for (std::uint8_t a : e.addresses)
            QVERIFY2(w->selectAddress(a, *entry), qPrintable(name + QString(" has no 0x%1").arg(a, 2, 16, QChar('0'))));
    }
    for (const CatalogueEntry& c : standardCatalogue())
        if (c.submenu != "Universal Modes")
            QVERIFY2(inTable.contains(c.submenu + '/' + c.caption), qPrintable("not in the table: " + c.caption));
}

void TestBusScanWindow::stuckBusStopsWithItsStatus()
{
    Rig r;
    r.place(0x40);
    r.place(0xC0);
    Fault f;
    f.kind = Fault::Kind::BusStuck;
    f.address = 0x80; // 0x40
    r.b.sim->inject(f);
    TfrmBusScan* w = r.scan();
    QCOMPARE(r.b.statusText(), QString("  SCL/SDA stuck low"));
    QVERIFY(w->lblMethod->text().endsWith("Stopped at 0x40: SCL/SDA stuck low."));
    QCOMPARE(cell(w, 0x20), QString("20"));
    QCOMPARE(cell(w, 0x40), QString());
    QCOMPARE(cell(w, 0x60), QString()); // never probed
}

void TestBusScanWindow::smbusControllerWarnsOnceAndShowsClaims()
{
    FakeSysfs sysfs;
    FakeI2cHost host;
    FakeI2cBus& bus = host.bus(sysfs.addBus(0, "SMBus PIIX4 adapter port 0 at 0b00", true));
    bus.funcs = kPiix4Funcs;
    bus.chip(0x2E);
    bus.chip(0x50);
    bus.chip(0x52);
    sysfs.claim(0, 0x52, "ee1004");
    Rig r;
    r.b.main->adapterSelection()->enableHardware(sysfs.environment(host), new AdapterWatch);
    r.b.main->adapterSelection()->action("mnuAdapter_i2c-0")->trigger();
    QVERIFY(dynamic_cast<LinuxI2cAdapter*>(&r.b.state->adapter()));
    bus.clearTrace();

    r.b.dialogs.answers << Dialogs::Answer::No;
    TfrmBusScan* w = r.scan();
    QCOMPARE(r.b.dialogs.of("confirm").size(), 1);
    QVERIFY(r.b.dialogs.of("confirm")[0].text.startsWith("WARNING! Probing can confuse your I\u00B2C bus"));
    QVERIFY(r.b.dialogs.of("confirm")[0].text.contains("0x08 to 0x77"));
    QCOMPARE(bus.transferIoctls, std::size_t(0)); // declined: nothing probed
    QCOMPARE(cell(w, 0x2E), QString());

    w->btnScan->click(); // the empty answer queue says Yes
    QCOMPARE(r.b.dialogs.of("confirm").size(), 2);
    QCOMPARE(cell(w, 0x2E), QString("2E"));
    QCOMPARE(cell(w, 0x50), QString("50"));
    QCOMPARE(cell(w, 0x52), QString("UU"));
    QVERIFY(w->grdScan->item(5, 2)->toolTip().contains("ee1004"));
    QCOMPARE(r.b.statusText(), QString("2 devices found"));
    QVERIFY(w->lblAdapter->text().contains("i2c-0"));
    for (const std::string& t : bus.trace)
        QVERIFY2(t != "slave 52", t.c_str());

    w->btnScan->click(); // agreed once for this adapter
    QCOMPARE(r.b.dialogs.of("confirm").size(), 2);
    r.b.main->adapterSelection()->action("mnuAdapterBench")->trigger();
}

void TestBusScanWindow::layout()
{
    Rig r;
    r.place(0x40);
    r.place(0xA0);
    TfrmBusScan* w = r.scan();
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    sub->resize(1200, 700);
    QTest::qWait(50);
    QCOMPARE(clippedControls(w), QStringList());
    saveShot(w, "busscan_full");
    sub->resize(620, 700);
    QTest::qWait(50);
    QCOMPARE(clippedControls(w), QStringList());
    saveShot(w, "busscan_half");
    QCOMPARE(tabChain(w), (QStringList{"btnScan", "chbAllAddresses", "grdScan", "lstEntries", "btnOpen"}));
}

TALLYPORT_TEST_MAIN(TestBusScanWindow)
#include "tst_busscan_window.moc"
