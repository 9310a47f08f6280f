#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/sim/EepromChip.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/AdapterWatch.h"
#include "gui/app/CommandLine.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TfrmBitrate.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "tests/support/FakeI2cKernel.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <linux/i2c.h>

using namespace tp;

namespace {

constexpr unsigned long kFullI2c = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
constexpr unsigned long kStubFuncs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                     I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_I2C_BLOCK;
const char* kBridge = "CP2112 SMBus Bridge on hidraw0";

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quessary", "Tallyprt");
}

// A frame on the bench with a fake machine's I²C adapters to choose from:
// add the buses, then enable().
struct Rig {
    FakeSysfs sysfs;
    FakeI2cHost host;
    TestBench b;
    AdapterWatch* watch = nullptr; // the fake udev source, owned by the selection

    // A bus plugged in (again, under a number used before: a new device).
    FakeI2cBus& addBus(int number, const std::string& name, unsigned long funcs, bool pci = false)
    {
        FakeI2cBus& bus = host.bus(sysfs.addBus(number, name, pci));
        bus = FakeI2cBus{};
        bus.funcs = funcs;
        return bus;
    }
    void enable()
    {
        watch = new AdapterWatch;
        selection()->enableHardware(sysfs.environment(host), watch);
    }
    AdapterSelection* selection() const { return b.main->adapterSelection(); }
    QStringList entries() const
    {
        QStringList out;
        for (QAction* a : selection()->actions())
            out << a->text() + (a->isChecked() ? " *" : "") + (a->isEnabled() ? "" : " (off)");
        return out;
    }
    void click(const QString& actionName)
    {
        QAction* a = selection()->action(actionName);
        if (!a)
            qFatal("no entry %s", qPrintable(actionName));
        a->trigger();
    }
    QString panel(int i) const { return QString::fromStdString(b.main->statusLine()->panel(i).text); }
    LinuxI2cAdapter* linux() const { return dynamic_cast<LinuxI2cAdapter*>(&b.state->adapter()); }
};

QString cell(TMemoryForm* w, std::size_t a)
{
    return w->stgMemory->model()->data(w->stgMemory->gridModel()->indexOf(a), Qt::DisplayRole).toString();
}

} // namespace

class TestAdapterChoice : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();

    void optionsListTheAdapters();
    void choiceTakesEffectAtOnce();
    void benchKeepsItsChips();
    void choiceIsRemembered_data();
    void choiceIsRemembered();
    void commandLineStart_data();
    void commandLineStart();
    void permissionDeniedSaysWhatToDo();
    void unplugAndReplug();
    void unplugMidOperation();
    void refusalNamesTheLimit();
    void claimedAddressAsksBeforeWriting();
    void pcSmbusAsksForTheFirstWrite();
    void suppliesAndFrequencyOnRealAdapters_data();
    void suppliesAndFrequencyOnRealAdapters();

    void parseCommandLine_data();
    void parseCommandLine();
    void listAdapters();
};

void TestAdapterChoice::init()
{
    settings().clear();
}

void TestAdapterChoice::cleanupTestCase()
{
    settings().clear();
}

void TestAdapterChoice::optionsListTheAdapters()
{
    Rig r;
    QCOMPARE(r.entries(), QStringList({"Simulated bench *"})); // without hardware: the bench alone
    QCOMPARE(r.panel(2), QString(" Simulated Bench"));
    QCOMPARE(r.b.main->statusLine()->panel(2).background, Rgb(colour::Blue));
    r.addBus(0, "SMBus I801 adapter at f040", kStubFuncs, true);
    r.addBus(3, kBridge, kFullI2c);
    r.enable();
    QCOMPARE(r.entries(), QStringList({"Simulated bench *", "i2c-0  SMBus I801 adapter at f040",
                                       "i2c-3  CP2112 SMBus Bridge on hidraw0"}));
    // They follow the separator after the supply entries and the power warning's.
    const QList<QAction*> all = child<QMenu>(r.b.main.get(), "mnuOptions")->actions();
    QVERIFY(all.size() >= 7);
    QCOMPARE(all[4]->text(), QString("Show Power Warning"));
    QVERIFY(all[5]->isSeparator());
    QCOMPARE(all[6]->text(), QString("Simulated bench"));
    auto* options = child<QMenu>(r.b.main.get(), "mnuOptions");
    options->popup(r.b.main->mapToGlobal(QPoint(100, 30)));
    saveShot(options, "options_adapters");
    options->hide();
    // A bridge plugged in appears; one pulled out goes.
    r.addBus(7, "i2c-tiny-usb at bus 001 device 009", kFullI2c);
    emit r.watch->added(QString::fromStdString(r.sysfs.node(7)));
    QVERIFY(r.entries().contains("i2c-7  i2c-tiny-usb at bus 001 device 009"));
    r.sysfs.removeBus(0);
    emit r.watch->removed(QString::fromStdString(r.sysfs.node(0)));
    QCOMPARE(r.entries().size(), 3);
    QVERIFY(!r.entries().join(',').contains("I801"));
}

void TestAdapterChoice::choiceTakesEffectAtOnce()
{
    Rig r;
    FakeI2cBus& bus = r.addBus(3, kBridge, kFullI2c);
    bus.chip(0x20).memory[0x01] = 0x5A;
    r.enable();
    auto* memory = qobject_cast<TMemoryForm*>(r.b.main->openCaption("EEPROM/256 x 8 (2K bit)"));
    QVERIFY(memory);
    r.click("mnuAdapter_i2c-3");
    QVERIFY(r.linux());
    QCOMPARE(r.entries(), QStringList({"Simulated bench", "i2c-3  CP2112 SMBus Bridge on hidraw0 *"}));
    // The memory window is maximised: its caption follows in brackets.
    QCOMPARE(r.b.main->windowTitle(),
             QString("Tallyport - i2c-3  CP2112 SMBus Bridge on hidraw0 - [256 Byte (2048 bit) EEPROM]"));
    QCOMPARE(r.panel(2), QString(" Hardware Detected"));
    QCOMPARE(r.b.main->statusLine()->panel(2).background, Rgb(colour::Green));
    QCOMPARE(settings().value("Adapter").toString(), QString::fromStdString(r.sysfs.node(3)));
    QCOMPARE(settings().value("AdapterName").toString(), QString(kBridge));

    // The frame's operations and an open window both reach the real bus now.
    std::uint8_t buffer[2] = {};
    r.b.main->I2CReadByte(0x40, 0x01, buffer, 1);
    QCOMPARE(int(buffer[0]), 0);
    QCOMPARE(int(buffer[1]), 0x5A);
    bus.chip(0x50).memory[0] = 0x11;
    bus.clearTrace();
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(r.b.statusText(), QString("Transmission successful"));
    QCOMPARE(cell(memory, 0), QString("11"));
    QCOMPARE(bus.trace, std::vector<std::string>({"rdwr W50[00] R50(256)"}));

    r.click("mnuAdapterBench");
    QVERIFY(r.b.state->adapter().isSimulated());
    QCOMPARE(r.b.main->windowTitle(), QString("Tallyport - [256 Byte (2048 bit) EEPROM]"));
    // Choosing the bench again changes nothing: a supply switched on stays on.
    r.b.main->setPower5(true);
    r.click("mnuAdapterBench");
    QVERIFY(r.b.state->power5);
    QCOMPARE(r.panel(2), QString(" Simulated Bench"));
    QCOMPARE(settings().value("Adapter").toString(), QString("bench"));
    bus.clearTrace();
    r.b.main->I2CReadByte(0x40, 0x01, buffer, 1);
    QVERIFY(bus.trace.empty());
}

void TestAdapterChoice::benchKeepsItsChips()
{
    Rig r;
    r.addBus(3, kBridge, kFullI2c);
    r.enable();
    auto chip = std::make_unique<sim::EepromChip>(sim::EepromChip::typical(256));
    sim::EepromChip* eeprom = chip.get();
    r.b.sim->place(0xA0, std::move(chip));
    eeprom->setByte(5, 0x77);
    r.click("mnuAdapter_i2c-3");
    r.click("mnuAdapterBench");
    QCOMPARE(&r.b.state->adapter(), static_cast<Adapter*>(r.b.sim)); // the same bench, not a new one
    QCOMPARE(r.b.sim->chipAt<sim::EepromChip>(0xA0), eeprom);
    QCOMPARE(eeprom->byte(5), std::uint8_t(0x77));
}

void TestAdapterChoice::choiceIsRemembered_data()
{
    QTest::addColumn<int>("storedNumber");
    QTest::addColumn<int>("presentNumber"); // -1: not plugged in
    QTest::addColumn<bool>("onBridge");
    QTest::addColumn<QString>("status");
    QTest::newRow("same bus") << 3 << 3 << true << "";
    QTest::newRow("plugged in again under another number") << 3 << 6 << true << "";
    QTest::newRow("absent: the bench, and the status line says so")
        << 3 << -1 << false
        << " CP2112 SMBus Bridge on hidraw0 (%1) is not there: the simulated bench is in use";
}

void TestAdapterChoice::choiceIsRemembered()
{
    QFETCH(int, storedNumber);
    QFETCH(int, presentNumber);
    QFETCH(bool, onBridge);
    QFETCH(QString, status);
    Rig r;
    const QString storedNode =
        QString::fromStdString(r.sysfs.devRoot()) + "/i2c-" + QString::number(storedNumber);
    settings().setValue("Adapter", storedNode);
    settings().setValue("AdapterName", kBridge);
    r.addBus(1, "SMBus stub driver", kStubFuncs);
    if (presentNumber >= 0)
        r.addBus(presentNumber, kBridge, kFullI2c);
    r.enable();
    QVERIFY(r.selection()->start(QString()));
    QCOMPARE(r.linux() != nullptr, onBridge);
    if (onBridge)
        QCOMPARE(r.linux()->bus().number, presentNumber);
    if (!status.isEmpty()) {
        QCOMPARE(r.b.statusText(), status.arg(storedNode));
        QCOMPARE(settings().value("Adapter").toString(), storedNode); // kept for when it is back
    }
}

void TestAdapterChoice::commandLineStart_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("chosen"); // "bench", or the bus
    QTest::newRow("bench") << "bench" << true << "bench";
    QTest::newRow("device node") << "/dev/i2c-3" << true << "i2c-3";
    QTest::newRow("number") << "3" << true << "i2c-3";
    QTest::newRow("kernel name") << "SMBus stub driver" << true << "i2c-1";
    QTest::newRow("absent") << "/dev/i2c-9" << false << "bench";
}

void TestAdapterChoice::commandLineStart()
{
    QFETCH(QString, spec);
    QFETCH(bool, ok);
    QFETCH(QString, chosen);
    Rig r;
    settings().setValue("Adapter", "/dev/i2c-1"); // the command line wins over this
    settings().setValue("AdapterName", "SMBus stub driver");
    r.addBus(1, "SMBus stub driver", kStubFuncs);
    r.addBus(3, kBridge, kFullI2c);
    r.enable();
    QString error;
    QCOMPARE(r.selection()->start(spec, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (!ok) {
        QVERIFY(error.startsWith(spec + QString::fromUtf8(": no such I²C adapter")));
        // Started from a launcher, stderr goes unread: the window says it.
        QCOMPARE(r.b.statusText(), QString(" %1 is not there: the simulated bench is in use").arg(spec));
    }
    QCOMPARE(r.linux() ? QString("i2c-%1").arg(r.linux()->bus().number) : QString("bench"), chosen);
    // For this run only: the next plain start finds the remembered adapter.
    QCOMPARE(settings().value("Adapter").toString(), QString("/dev/i2c-1"));
    QCOMPARE(settings().value("AdapterName").toString(), QString("SMBus stub driver"));
    // A choice in the menu afterwards is remembered again.
    r.click("mnuAdapterBench");
    QCOMPARE(settings().value("Adapter").toString(), QString("bench"));
}

void TestAdapterChoice::permissionDeniedSaysWhatToDo()
{
    Rig r;
    r.addBus(3, kBridge, kFullI2c);
    r.enable();
    r.host.openErrno[r.sysfs.node(3)] = EACCES;
    r.click("mnuAdapter_i2c-3");
    QVERIFY(r.b.state->adapter().isSimulated());
    QCOMPARE(r.entries().first(), QString("Simulated bench *"));
    QVERIFY2(r.b.statusText().contains("no permission (join the group i2c"), qPrintable(r.b.statusText()));
    const QStringList warnings = r.b.dialogs.texts("warning");
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings[0].contains("Permission denied"));
    QVERIFY(warnings[0].contains("usermod -aG i2c"));
    QVERIFY(warnings[0].contains("60-tallyport-i2c.rules"));
    QCOMPARE(settings().value("Adapter").toString(), QString()); // nothing remembered
}

void TestAdapterChoice::unplugAndReplug()
{
    Rig r;
    FakeI2cBus& bus = r.addBus(3, kBridge, kFullI2c);
    bus.chip(0x50).memory[0] = 0x42;
    r.enable();
    r.click("mnuAdapter_i2c-3");
    auto* memory = qobject_cast<TMemoryForm*>(r.b.main->openCaption("EEPROM/256 x 8 (2K bit)"));
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(cell(memory, 0), QString("42"));

    // Pulled out: the node and the sysfs entry go, then udev tells.
    bus.removed = true;
    r.sysfs.removeBus(3);
    emit r.watch->removed(QString::fromStdString(r.sysfs.node(3)));
    QCOMPARE(r.panel(2), QString(" Hardware Not Detected"));
    QVERIFY(!r.b.state->adapter().isPresent());
    QCOMPARE(r.entries(),
             QStringList({"Simulated bench", "i2c-3  CP2112 SMBus Bridge on hidraw0  (unplugged) * (off)"}));
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(r.b.statusText(), QString("  Hardware not detected"));
    QCOMPARE(cell(memory, 0), QString("42"));

    // Another adapter plugged in is not taken for it.
    r.addBus(4, "some other bridge", kFullI2c);
    emit r.watch->added(QString::fromStdString(r.sysfs.node(4)));
    QVERIFY(!r.b.state->adapter().isPresent());

    // The same bridge back, under the next free number.
    FakeI2cBus& again = r.addBus(5, kBridge, kFullI2c);
    again.chip(0x50).memory[0] = 0x43;
    emit r.watch->added(QString::fromStdString(r.sysfs.node(5)));
    QCOMPARE(r.panel(2), QString(" Hardware Detected"));
    QVERIFY(r.b.state->adapter().isPresent());
    QVERIFY(r.b.main->windowTitle().startsWith("Tallyport - i2c-5  CP2112 SMBus Bridge on hidraw0 - ["));
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(r.b.statusText(), QString("Transmission successful"));
    QCOMPARE(cell(memory, 0), QString("43"));
    QCOMPARE(settings().value("Adapter").toString(), QString::fromStdString(r.sysfs.node(5)));
}

void TestAdapterChoice::unplugMidOperation()
{
    Rig r;
    FakeI2cBus& bus = r.addBus(3, kBridge, kFullI2c);
    for (int chip = 0x50; chip < 0x58; ++chip)
        bus.chip(chip).memory.assign(256, static_cast<std::uint8_t>(chip));
    r.enable();
    r.click("mnuAdapter_i2c-3");
    auto* memory = qobject_cast<TMemoryForm*>(r.b.main->openCaption("EEPROM/2K x 8 (16K bit)"));
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(cell(memory, 0x7FF), QString("57"));
    for (int chip = 0x50; chip < 0x58; ++chip)
        bus.chip(chip).memory.assign(256, 0xEE);
    // The fourth 256-byte block finds the bridge gone.
    bus.beforeTransfer = [&, n = 0](FakeI2cBus& b) mutable {
        if (++n == 4) {
            b.removed = true;
            r.sysfs.removeBus(3);
        }
    };
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(r.b.statusText(), QString("  Hardware not detected"));
    QCOMPARE(r.panel(2), QString(" Hardware Not Detected"));
    QCOMPARE(cell(memory, 0), QString("50")); // a failed read leaves the grid as it was
    QCOMPARE(cell(memory, 0x7FF), QString("57"));
    emit r.watch->removed(QString::fromStdString(r.sysfs.node(3))); // udev tells later: nothing more happens
    QCOMPARE(r.panel(2), QString(" Hardware Not Detected"));

    FakeI2cBus& again = r.addBus(3, kBridge, kFullI2c);
    for (int chip = 0x50; chip < 0x58; ++chip)
        again.chip(chip).memory.assign(256, 0xEE);
    emit r.watch->added(QString::fromStdString(r.sysfs.node(3)));
    QCOMPARE(r.panel(2), QString(" Hardware Detected"));
    QTest::mouseClick(memory->btnRead, Qt::LeftButton);
    QCOMPARE(r.b.statusText(), QString("Transmission successful"));
    QCOMPARE(cell(memory, 0x400), QString("EE"));
}

void TestAdapterChoice::refusalNamesTheLimit()
{
    Rig r;
    r.addBus(1, "SMBus stub driver", kStubFuncs).chip(0x20);
    r.enable();
    r.click("mnuAdapter_i2c-1");
    const std::vector<std::uint8_t> data(40, 0x11);
    const Status st = r.b.main->I2CWriteArray(0x40, 0x00, 40, data.data());
    QCOMPARE(int(st), 116);
    r.b.main->ErrorMessage(st);
    QCOMPARE(r.b.statusText(), QString(" SMBus stub driver (SMBus only): no SMBus form for a 41-byte write; "
                                       "the adapter writes at most 33 bytes (I2C block write)"));
    QVERIFY(r.b.status().gradientTo.has_value());
    QVERIFY(!r.b.statusText().contains("Device Driver not running"));
}

void TestAdapterChoice::claimedAddressAsksBeforeWriting()
{
    Rig r;
    FakeI2cBus& bus = r.addBus(2, "bcm2835 (i2c@7e804000)", kFullI2c);
    bus.chip(0x50).memory[0x10] = 0x33;
    r.sysfs.claim(2, 0x50, "at24");
    r.enable();
    r.click("mnuAdapter_i2c-2");
    std::uint8_t buffer[2] = {};
    r.b.main->I2CReadByte(0xA0, 0x10, buffer, 0); // pointer, stop, read: still a read
    r.b.main->I2CReadByte(0xA0, 0x10, buffer, 1);
    QCOMPARE(int(buffer[1]), 0x33);
    QVERIFY(r.b.dialogs.of("confirm").isEmpty());

    r.b.dialogs.answers = {Dialogs::Answer::No};
    std::uint8_t status = 0;
    bus.clearTrace();
    r.b.main->I2CWriteByte(0xA0, 0x10, 0x44, status, 1);
    QCOMPARE(int(status), 116);
    QVERIFY(bus.trace.empty());
    QCOMPARE(r.b.statusText(),
             QString(" Not sent: the kernel driver at24 has claimed 0xA0 (7-bit 0x50) on i2c-2"));
    const auto asked = r.b.dialogs.of("confirm");
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].text.contains("The kernel driver at24 has claimed address 0xA0 (7-bit 0x50) on i2c-2"));
    QVERIFY(asked[0].text.endsWith("Write to 0xA0 (7-bit 0x50) anyway?"));

    r.b.dialogs.answers = {Dialogs::Answer::Yes};
    r.b.main->I2CWriteByte(0xA0, 0x10, 0x44, status, 1);
    r.b.main->I2CWriteByte(0xA0, 0x11, 0x45, status, 1);
    QCOMPARE(int(status), 0);
    QCOMPARE(r.b.dialogs.of("confirm").size(), 2); // once per address
    QCOMPARE(bus.chip(0x50).memory[0x10], std::uint8_t(0x44));
}

void TestAdapterChoice::pcSmbusAsksForTheFirstWrite()
{
    Rig r;
    FakeI2cBus& bus = r.addBus(0, "SMBus I801 adapter at f040", kStubFuncs, true);
    bus.chip(0x50);
    bus.chip(0x18);
    r.enable();
    r.click("mnuAdapter_i2c-0");
    std::uint8_t buffer[2] = {};
    r.b.main->I2CReadByte(0xA0, 0x00, buffer, 1);
    QVERIFY(r.b.dialogs.of("confirm").isEmpty());
    std::uint8_t status = 0;
    r.b.main->I2CWriteByte(0x30, 0x01, 0x02, status, 1); // answered Yes (the empty queue's answer)
    r.b.main->I2CWriteByte(0xA0, 0x01, 0x02, status, 1);
    QCOMPARE(int(status), 0);
    const auto asked = r.b.dialogs.of("confirm");
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].text.contains("i2c-0  SMBus I801 adapter at f040 is the PC's own SMBus"));
    QVERIFY(asked[0].text.contains("0x50 to 0x57"));
}

void TestAdapterChoice::suppliesAndFrequencyOnRealAdapters_data()
{
    QTest::addColumn<int>("clockHz"); // 0: the firmware does not tell
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("field");
    QTest::newRow("device tree says 400 kHz") << 400000 << "400 kHz"
                                              << "400";
    QTest::newRow("nothing tells") << 0 << "set by the kernel"
                                   << "";
}

void TestAdapterChoice::suppliesAndFrequencyOnRealAdapters()
{
    QFETCH(int, clockHz);
    QFETCH(QString, panel);
    QFETCH(QString, field);
    Rig r;
    r.addBus(2, "bcm2835 (i2c@7e804000)", kFullI2c);
    if (clockHz)
        r.sysfs.setClockFrequency(2, static_cast<std::uint32_t>(clockHz));
    r.enable();
    r.b.main->setPower33(true); // on the bench, before the switch
    r.b.main->mnuFrequencyClick();
    TfrmBitrate* freq = r.b.main->bitrateWindow();
    r.click("mnuAdapter_i2c-2");

    QCOMPARE(r.panel(5), panel);
    QCOMPARE(r.panel(3), QString("3.3V n/a"));
    QCOMPARE(r.panel(4), QString("5.0V n/a"));
    auto* p33 = child<QAction>(r.b.main.get(), "mnu3VPower");
    QVERIFY(!p33->isEnabled() && !p33->isChecked());
    QCOMPARE(p33->text(), QString("Enable 3.3V Output Power: fixed by the kernel driver"));
    QCOMPARE(child<QAction>(r.b.main.get(), "mnuPopup5VPower")->text(),
             QString("Enable 5V Output Power: fixed by the kernel driver"));
    QTest::mouseDClick(r.b.main->statusLine()->panelWidget(3), Qt::LeftButton);
    QVERIFY(!r.b.state->power33);
    QCOMPARE(r.panel(3), QString("3.3V n/a"));
    QVERIFY(r.b.statusText().contains("i2c-dev cannot switch target supplies"));
    // The frequency window, open meanwhile, says who sets the clock.
    QVERIFY(!freq->edtFrequency->isEnabled() && !freq->spnSCLh->isEnabled() && !freq->spnSCLl->isEnabled());
    QCOMPARE(freq->edtFrequency->text(), field);
    QVERIFY(freq->lblKernel->isVisibleTo(freq));
    QVERIFY(freq->lblKernel->text().contains(clockHz ? "The kernel driver runs this bus at 400 kHz"
                                                     : "set by the kernel"));
    QVERIFY2(clippedControls(freq).isEmpty(), qPrintable(clippedControls(freq).join(", ")));
    saveShot(freq, clockHz ? "bitrate_kernel_400" : "bitrate_kernel_unknown");
    QApplication::processEvents();
    saveShot(r.b.main.get(), clockHz ? "frame_real_400" : "frame_real_unknown");

    r.click("mnuAdapterBench");
    QCOMPARE(r.panel(5), QString("100 kHz"));
    QCOMPARE(r.panel(3), QString("3.3V Off"));
    QVERIFY(p33->isEnabled());
    QCOMPARE(p33->text(), QString("Enable 3.3V Output Power"));
    QVERIFY(freq->edtFrequency->isEnabled());
    QCOMPARE(freq->edtFrequency->text(), QString("100"));
    QVERIFY(!freq->lblKernel->isVisibleTo(freq));
}

void TestAdapterChoice::parseCommandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("adapter");
    QTest::addColumn<bool>("list");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList() << "" << false << "";
    QTest::newRow("--adapter path") << QStringList{"--adapter", "/dev/i2c-3"} << "/dev/i2c-3" << false << "";
    QTest::newRow("--adapter=bench") << QStringList{"--adapter=bench"} << "bench" << false << "";
    QTest::newRow("name with blanks") << QStringList{"--adapter", kBridge} << kBridge << false << "";
    QTest::newRow("--list-adapters") << QStringList{"--list-adapters"} << "" << true << "";
    QTest::newRow("Qt's own options pass") << QStringList{"-platform", "offscreen"} << "" << false << "";
    QTest::newRow("--adapter without value") << QStringList{"--adapter"} << "" << false << "--adapter needs";
    QTest::newRow("--adapter= empty") << QStringList{"--adapter="} << "" << false << "--adapter needs";
    QTest::newRow("unknown") << QStringList{"--adaptor", "x"} << "" << false << "unknown option --adaptor";
}

void TestAdapterChoice::parseCommandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, adapter);
    QFETCH(bool, list);
    QFETCH(QString, error);
    std::vector<std::string> text{"tallyport"};
    for (const QString& a : args)
        text.push_back(a.toStdString());
    std::vector<const char*> argv;
    for (const std::string& t : text)
        argv.push_back(t.c_str());
    const CommandLine c = ::parseCommandLine(static_cast<int>(argv.size()), argv.data());
    QCOMPARE(QString::fromStdString(c.adapter), adapter);
    QCOMPARE(c.listAdapters, list);
    QVERIFY2(QString::fromStdString(c.error).startsWith(error), c.error.c_str());
    QCOMPARE(c.error.empty(), error.isEmpty());
}

void TestAdapterChoice::listAdapters()
{
    FakeSysfs sysfs;
    FakeI2cHost host;
    host.bus(sysfs.addBus(3, kBridge)).funcs = kFullI2c;
    host.bus(sysfs.addBus(0, "SMBus I801 adapter at f040", true)).funcs = kStubFuncs;
    QCOMPARE(QString::fromStdString(adapterListText(sysfs.environment(host))),
             QString("bench\tsimulated \tSimulated bench                 \tTallyport's virtual bus\n"
                     "i2c-0\tsmbus     \tSMBus I801 adapter at f040      \tSMBus adapter\n"
                     "i2c-3\ti2c       \tCP2112 SMBus Bridge on hidraw0  \tI2C adapter\n"));
}

TALLYPORT_TEST_MAIN(TestAdapterChoice)
#include "tst_adapter_choice.moc"
