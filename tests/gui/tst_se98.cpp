#include "core/sim/Se98Chip.h"
#include "gui/common/HexSpinBox.h"
#include "gui/devices/thermal/SE98.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>

using tp::sim::Fault;
using tp::sim::Se98Chip;

namespace {

const QString kEntry = QStringLiteral("SE98 SO-DIMM Temperature Sensor");
const QString kDeg = QStringLiteral("\u00B0C");

void clickBox(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

struct Rig {
    TestBench bench;
    TfrmSE98* w = nullptr;

    Rig()
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmSE98*>(bench.main->windowReference("TfrmSE98"));
    }
    Se98Chip* chip(std::uint8_t address = 0x30)
    {
        bench.sim->expectChip("SE98", address);
        return bench.sim->chipAt<Se98Chip>(address);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLabel>(name)->text(); }
    QString title(const QString& name) { return c<QGroupBox>(name)->title(); }
    void click(const QString& name) { QTest::mouseClick(c<QPushButton>(name), Qt::LeftButton); }
    HexSpinBox* spin(const QString& name) { return c<HexSpinBox>(name); }
    void autoWriteOn() { clickBox(c<QCheckBox>("chbAutoWrite")); }
    bool autoWrite() { return c<QCheckBox>("chbAutoWrite")->isChecked(); }
};

} // namespace

class TestSe98 : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void temperature_data();
    void temperature();
    void tripTexts_data();
    void tripTexts();
    void tripSpinsWriteWithAutoWrite();
    void readingTripsNeverWritesBack();
    void configurationBoxesAndHysteresis();
    void smbusBoxes();
    void readAll();
    void writeAllWritesTripsBeforeTheLocks();
    void writeAllStopsAtFirstFailure();
    void unknownRegistersAreNotWritten_data();
    void unknownRegistersAreNotWritten();
    void lockedRegistersAreRefusedBeforeSending_data();
    void lockedRegistersAreRefusedBeforeSending();
    void aValueTheChipKeptIsReported_data();
    void aValueTheChipKeptIsReported();
    void reopeningShowsTheKeptAddressAndImage();
    void tabOrderFollowsTheLayout();
    void layoutAtFullAndHalfWidth();
};

void TestSe98::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("SE98 Temperature Sensor"));
    QCOMPARE(r.w->link().address(), 0x30);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->itemText(7), QStringLiteral("0x3E"));
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Off"));
    const QList<QPair<QString, QString>> texts{{"lblTemp", "Temperature Register=0x0000"},
                                               {"lblTempLocal", "Temperature=20.00" + kDeg},
                                               {"lblUBT", "Upper Trip Temperature=0" + kDeg},
                                               {"lblLBT", "Lower Trip Temperature=0" + kDeg},
                                               {"lblCT", "Critical Trip Temperature=0" + kDeg},
                                               {"lblID", "Manufacturer ID=0xXXXX"},
                                               {"lblDeviceID", "Device ID=0xXXXX"},
                                               {"lblCapability", "Capability=0xXXXX"}};
    for (const auto& [name, text] : texts)
        QCOMPARE(r.text(name), text);
    QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x0000"));
    QCOMPARE(r.title("grbSMBus"), QStringLiteral("SMBus Register"));
    QCOMPARE(r.title("grbUBT"), "Upper Boundary Alarm Trip (" + kDeg + ")");
    QCOMPARE(r.c<QComboBox>("cmbHEN")->currentText(), QStringLiteral("Disable hysteresis"));
    QCOMPARE(r.c<QComboBox>("cmbHEN")->itemText(2), "Enable hysteresis at 3" + kDeg);
    // Grey until the first read or click, with the clear-state texts.
    for (const char* b : {"chbSHMD", "chbCTLB", "chbEMD", "chEP", "chbSTMOUT", "chbSALRT"})
        QCOMPARE(r.c<QCheckBox>(b)->checkState(), Qt::PartiallyChecked);
    QCOMPARE(r.c<QCheckBox>("chbCTLB")->text(), QStringLiteral("Crit. trip register not locked"));
    QCOMPARE(r.c<QCheckBox>("chbSALRT")->text(), QStringLiteral("SMBus alert enabled"));
    QCOMPARE(r.c<QCheckBox>("chbCEVNT")->text(), QStringLiteral("no effect"));
    QVERIFY(!r.c<QCheckBox>("chbESTAT")->isEnabled());
    QVERIFY(!r.c<QCheckBox>("chbACT")->isEnabled());
    QCOMPARE(r.c<QCheckBox>("chbACT")->toolTip(),
             QStringLiteral("Above Critical Temp\n0 - temperature is below the Critical Alarm Trip Register setting\n"
                            "1 - temperature is equal to or above the Critical Alarm Trip Register setting"));
    QCOMPARE(r.c<QCheckBox>("chbAAW")->toolTip(), QStringLiteral("Above Alarm Window"));
    QCOMPARE(r.c<QCheckBox>("chbBAW")->toolTip(), QStringLiteral("Below Alarm Window"));
    QCOMPARE(r.spin("spnUBTH")->maximum(), 0x1F);
    QCOMPARE(r.spin("spnCTL")->maximum(), 0xFC);
    QCOMPARE(r.spin("spnCTL")->singleStep(), 4);
    QCOMPARE(r.spin("spnLBTL")->text(), QStringLiteral("0x00"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestSe98::temperature_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<bool>("flags"); // trips set so that ACT, AAW and BAW all hold
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("+25") << 25.0 << false << "0190" << "25.000";
    QTest::newRow("-25") << -25.0 << false << "1E70" << "-25.000";
    QTest::newRow("-25 with the flags") << -25.0 << true << "FE70" << "-25.000";
    QTest::newRow("-0.125") << -0.125 << false << "1FFE" << "-0.125";
    QTest::newRow("+125") << 125.0 << false << "07D0" << "125.000";
    QTest::newRow("+25.75") << 25.75 << false << "019C" << "25.750";
}

void TestSe98::temperature()
{
    QFETCH(double, celsius);
    QFETCH(bool, flags);
    QFETCH(QString, word);
    QFETCH(QString, text);
    Rig r;
    Se98Chip* chip = r.chip();
    chip->setWord(0x04, flags ? 0x1E20 : 0x0FFC); // critical -30 or +255.75
    chip->setWord(0x02, flags ? 0x1E20 : 0x0FFC); // upper -30 or +255.75
    chip->setWord(0x03, flags ? 0x1EC0 : 0x1000); // lower -20 or -256
    chip->setTemperature(celsius);
    r.click("btnReadLocalTemp");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 05", "Sr R 30 " + word.left(2) + " " + word.right(2)}));
    QCOMPARE(r.text("lblTemp"), "Temperature Register=0x" + word);
    QCOMPARE(r.text("lblTempLocal"), "Temperature=" + text + kDeg);
    for (const char* f : {"chbACT", "chbAAW", "chbBAW"})
        QCOMPARE(r.c<QCheckBox>(f)->isChecked(), flags);
}

void TestSe98::tripTexts_data()
{
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<QString>("text");
    QTest::newRow("85") << 0x05 << 0x50 << "85.00";
    QTest::newRow("-20") << 0x1E << 0xC0 << "-20.00";
    QTest::newRow("-0.25") << 0x1F << 0xFC << "-0.25";
    QTest::newRow("-1.25") << 0x1F << 0xEC << "-1.25";
    QTest::newRow("sign bit with 0x50") << 0x15 << 0x50 << "-171.00";
}

void TestSe98::tripTexts()
{
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(QString, text);
    Rig r;
    r.spin("spnUBTH")->setValue(high);
    r.spin("spnUBTL")->setValue(low);
    QCOMPARE(r.text("lblUBT"), "Upper Trip Temperature=" + text + kDeg);
    // Not written: the plot shows it apart from the chip's limit.
    QCOMPARE(*r.w->plot()->limit(TemperaturePlot::editedName("Upper")), text.toDouble());
    QCOMPARE(*r.w->plot()->limit("Upper"), 0.0);
    r.spin("spnCTH")->setValue(high);
    r.spin("spnCTL")->setValue(low);
    QCOMPARE(r.text("lblCT"), "Critical Trip Temperature=" + text + kDeg);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestSe98::tripSpinsWriteWithAutoWrite()
{
    Rig r;
    r.autoWriteOn();
    r.spin("spnUBTH")->setValue(0x05);
    r.spin("spnUBTL")->setValue(0x50);
    // Each write is read back: a lock would make the chip ignore it.
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 02 05 00", "W 30 02", "Sr R 30 05 00", "W 30 02 05 50",
                                               "W 30 02", "Sr R 30 05 50"}));
    QCOMPARE(int(r.chip()->word(0x02)), 0x0550);
    // A failed automatic trip write switches Auto Write off.
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.spin("spnLBTL")->stepUp();
    QVERIFY(!r.autoWrite());
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Off"));
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->palette().color(QPalette::WindowText), QColor(Qt::red));
    r.bench.clearLog();
    r.spin("spnLBTL")->stepUp();
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestSe98::readingTripsNeverWritesBack()
{
    Rig r;
    r.chip()->setWord(0x02, 0x0550);
    r.chip()->setWord(0x04, 0x1EC0);
    r.autoWriteOn();
    r.click("btnReadUBT");
    r.click("btnReadCAT");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 02", "Sr R 30 05 50", "W 30 04", "Sr R 30 1E C0"}));
    QCOMPARE(r.spin("spnUBTH")->text(), QStringLiteral("0x05"));
    QCOMPARE(r.spin("spnUBTL")->text(), QStringLiteral("0x50"));
    QCOMPARE(r.text("lblUBT"), "Upper Trip Temperature=85.00" + kDeg);
    QCOMPARE(r.text("lblCT"), "Critical Trip Temperature=-20.00" + kDeg);
    QCOMPARE(*r.w->plot()->limit("Critical"), -20.0);
    QVERIFY(r.autoWrite());
}

void TestSe98::configurationBoxesAndHysteresis()
{
    Rig r;
    r.autoWriteOn();
    clickBox(r.c<QCheckBox>("chbEMD")); // a grey box: the click sets it
    QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x0001"));
    QCOMPARE(r.c<QCheckBox>("chbEMD")->text(), QStringLiteral("Interrupt Mode"));
    QCOMPARE(r.c<QCheckBox>("chbSHMD")->checkState(), Qt::Unchecked); // no longer grey
    r.c<QComboBox>("cmbHEN")->setCurrentIndex(2);
    QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x0401"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 01 00 01", "W 30 01", "Sr R 30 00 01", "W 30 01 04 01",
                                               "W 30 01", "Sr R 30 04 01"}));
    // A read shows every bit, the list without running its handling. The
    // chip adds ESTAT: with the critical trip at 0 °C its EVENT output is on.
    r.chip()->setWord(0x01, 0x064C);
    r.bench.clearLog();
    r.click("btnReadCON");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 01", "Sr R 30 06 5C"}));
    QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x065C"));
    QCOMPARE(r.c<QCheckBox>("chbESTAT")->text(), QStringLiteral("EVENT asserted"));
    QCOMPARE(r.c<QComboBox>("cmbHEN")->currentIndex(), 3);
    QCOMPARE(r.c<QCheckBox>("chbAWLB")->text(), QStringLiteral("Trip register locked"));
    QCOMPARE(r.c<QCheckBox>("chbAWLB")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(r.c<QCheckBox>("chbCVO")->text(), QStringLiteral("Critical Event Only"));
    QCOMPARE(r.c<QCheckBox>("chbEOCTL")->text(), QStringLiteral("EVENT output enabled"));
    QCOMPARE(r.c<QCheckBox>("chbEMD")->text(), QStringLiteral("Comparator Mode"));
    QCOMPARE(r.c<QCheckBox>("chEP")->text(), QStringLiteral("Event Active LOW"));
}

void TestSe98::smbusBoxes()
{
    Rig r;
    clickBox(r.c<QCheckBox>("chbSALRT"));
    QCOMPARE(r.title("grbSMBus"), QStringLiteral("SMBus Register=0x0001"));
    QCOMPARE(r.c<QCheckBox>("chbSALRT")->text(), QStringLiteral("SMBus alert disabled"));
    QCOMPARE(r.c<QCheckBox>("chbSTMOUT")->text(), QStringLiteral("SMBus time-out enabled"));
    QVERIFY(r.bench.transfers().isEmpty());
    r.autoWriteOn();
    clickBox(r.c<QCheckBox>("chbSTMOUT"));
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 22 00 81"});
    r.click("btnWriteSMBus");
    QCOMPARE(r.bench.transfers().last(), QStringLiteral("W 30 22 00 81"));
    r.chip()->setWord(0x22, 0x0080);
    r.click("btnReadSMBus");
    QCOMPARE(r.title("grbSMBus"), QStringLiteral("SMBus Register=0x0080"));
    QVERIFY(!r.c<QCheckBox>("chbSALRT")->isChecked());
}

void TestSe98::readAll()
{
    Rig r;
    r.autoWriteOn();
    r.click("btnReadAll");
    QStringList pointers;
    for (const QString& t : r.bench.transfers())
        if (!t.startsWith("Sr"))
            pointers << t;
    QCOMPARE(pointers, (QStringList{"W 30 01", "W 30 05", "W 30 02", "W 30 03", "W 30 04", "W 30 22", "W 30 00",
                                    "W 30 06", "W 30 07"}));
    QCOMPARE(r.text("lblID"), QStringLiteral("Manufacturer ID=0x1131"));
    QCOMPARE(r.text("lblDeviceID"), QStringLiteral("Device ID=0xA100"));
    QCOMPARE(r.text("lblCapability"), QStringLiteral("Capability=0x0037"));
    r.bench.clearLog();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.click("btnReadAll");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30"});
}

void TestSe98::writeAllWritesTripsBeforeTheLocks()
{
    Rig r;
    r.spin("spnCTH")->setValue(0x05);
    r.spin("spnCTL")->setValue(0x50);
    r.spin("spnUBTH")->setValue(0x04);
    clickBox(r.c<QCheckBox>("chbCTLB"));
    clickBox(r.c<QCheckBox>("chbAWLB"));
    r.click("btnWriteAll");
    // The SMBus register was never read or set: it is left out, and said so.
    QStringList writes;
    for (const QString& t : r.bench.transfers())
        if (t.startsWith("W ") && t.split(' ').size() == 5)
            writes << t;
    QCOMPARE(writes, (QStringList{"W 30 02 04 00", "W 30 03 00 00", "W 30 04 05 50", "W 30 01 00 C0"}));
    Se98Chip* chip = r.chip();
    QCOMPARE(int(chip->word(0x04)), 0x0550); // written before the lock took hold
    QCOMPARE(int(chip->word(0x02)), 0x0400);
    QCOMPARE(int(chip->word(0x01)) & 0x07CF, 0x00C0);
    QCOMPARE(r.bench.statusText(), QStringLiteral(" SMBus not written: unknown until read or set"));
}

void TestSe98::writeAllStopsAtFirstFailure()
{
    Rig r;
    r.chip();
    int seen = 0;
    r.bench.sim->log().onEntry = [&](const tp::BusLogEntry& e) {
        if (!e.isNote() && ++seen == 6)
            r.bench.sim->inject(Fault{Fault::Kind::DataNack, std::nullopt, 1, 1});
    };
    r.click("btnWriteAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 02 00 00", "W 30 02", "Sr R 30 00 00", "W 30 03 00 00",
                                               "W 30 03", "Sr R 30 00 00", "W 30 04"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
}

void TestSe98::reopeningShowsTheKeptAddressAndImage()
{
    Rig r;
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(2);
    r.w->cmbAddressChange(2);
    clickBox(r.c<QCheckBox>("chbAWLB"));
    const QPointer<TfrmSE98> old = r.w;
    qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->close();
    QTRY_VERIFY(!old);
    r.open();
    QCOMPARE(r.w->link().address(), 0x34);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0x34"));
    QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x0040"));
    QCOMPARE(r.c<QCheckBox>("chbAWLB")->checkState(), Qt::Checked);
    QCOMPARE(r.c<QCheckBox>("chbCTLB")->checkState(), Qt::Unchecked);
    r.bench.clearLog();
    clickBox(r.c<QCheckBox>("chbEMD"));
    r.click("btnWriteCON");
    QCOMPARE(r.bench.transfers().first(), QStringLiteral("W 34 01 00 41"));
}

void TestSe98::unknownRegistersAreNotWritten_data()
{
    QTest::addColumn<QString>("action"); // a button, or "hysteresis" with Auto Write on
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("write"); // the first transfer once the register is known
    QTest::newRow("SMBus Write") << "btnWriteSMBus" << " SMBus not written: unknown until read or set"
                                 << "btnReadSMBus"
                                 << "W 30 22 00 00";
    QTest::newRow("Configuration Write") << "btnWriteCON"
                                         << " Configuration not written: unknown until read or set"
                                         << "btnReadCON"
                                         << "W 30 01 00 00";
    QTest::newRow("hysteresis list, Auto Write") << "hysteresis"
                                                 << " Configuration not written: unknown until read or set"
                                                 << "btnReadCON"
                                                 << "W 30 01 04 00";
}

void TestSe98::unknownRegistersAreNotWritten()
{
    QFETCH(QString, action);
    QFETCH(QString, status);
    QFETCH(QString, read);
    QFETCH(QString, write);
    Rig r;
    r.chip();
    r.bench.clearLog();
    auto act = [&](int hysteresis) {
        if (action != "hysteresis") {
            r.click(action);
            return;
        }
        if (!r.autoWrite())
            r.autoWriteOn();
        r.c<QComboBox>("cmbHEN")->setCurrentIndex(hysteresis);
    };
    act(1);
    QCOMPARE(r.bench.transfers(), QStringList{});
    QCOMPARE(r.bench.statusText(), status);
    // Once read, the register is what the window shows, and it is written.
    r.click(read);
    r.bench.clearLog();
    act(2);
    QVERIFY(!r.bench.transfers().isEmpty());
    QCOMPARE(r.bench.transfers().first(), write);
}

void TestSe98::lockedRegistersAreRefusedBeforeSending_data()
{
    QTest::addColumn<int>("config");
    QTest::addColumn<QString>("action"); // a button, or a trip spin stepped with Auto Write on
    QTest::addColumn<QString>("status");
    const QString window = " %1 not written: the alarm window lock (AWLB) is set, until power-on reset";
    const QString critical =
        " Critical Trip not written: the critical trip lock (CTLB) is set, until power-on reset";
    QTest::newRow("AWLB, Upper Write") << 0x0040 << "btnWriteUBT" << window.arg("Upper Trip");
    QTest::newRow("AWLB, Lower Write") << 0x0040 << "btnWriteLBT" << window.arg("Lower Trip");
    QTest::newRow("AWLB, upper spin") << 0x0040 << "spnUBTH" << window.arg("Upper Trip");
    QTest::newRow("CTLB, Critical Write") << 0x0080 << "btnWriteCT" << critical;
    QTest::newRow("CTLB, critical spin") << 0x0080 << "spnCTL" << critical;
}

void TestSe98::lockedRegistersAreRefusedBeforeSending()
{
    QFETCH(int, config);
    QFETCH(QString, action);
    QFETCH(QString, status);
    Rig r;
    r.chip()->setWord(0x01, std::uint16_t(config));
    r.click("btnReadCON");
    r.bench.clearLog();
    if (action.startsWith("spn")) {
        r.autoWriteOn();
        r.spin(action)->stepUp();
        QVERIFY(r.autoWrite()); // a refusal is no bus failure
    } else {
        r.click(action);
    }
    QCOMPARE(r.bench.transfers(), QStringList{});
    QCOMPARE(r.bench.statusText(), status);
    // Write All leaves the locked registers out and names them.
    clickBox(r.c<QCheckBox>("chbSALRT"));
    r.bench.clearLog();
    r.click("btnWriteAll");
    for (const QString& t : r.bench.transfers())
        QVERIFY2(!t.startsWith(config == 0x0040 ? "W 30 02 " : "W 30 04 ") || t.split(' ').size() == 3,
                 qPrintable(t));
    QVERIFY2(r.bench.statusText().contains(status.mid(1)), qPrintable(r.bench.statusText()));
}

void TestSe98::aValueTheChipKeptIsReported_data()
{
    QTest::addColumn<int>("config"); // as the chip holds it, unknown to the window
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("status");
    QTest::newRow("critical trip under CTLB") << 0x0080 << "btnWriteCT"
                                              << " The chip kept its old value: Critical Trip reads 0x0000 after "
                                                 "0x0550 was written";
    QTest::newRow("upper trip under AWLB") << 0x0040 << "btnWriteUBT"
                                           << " The chip kept its old value: Upper Trip reads 0x0000 after "
                                              "0x0550 was written";
    QTest::newRow("event mode under a lock") << 0x00C0 << "chbEMD"
                                             << " The chip kept its old value: Configuration reads 0x00C0 after "
                                                "0x00C1 was written";
}

void TestSe98::aValueTheChipKeptIsReported()
{
    QFETCH(int, config);
    QFETCH(QString, action);
    QFETCH(QString, status);
    Rig r;
    r.chip()->setWord(0x01, std::uint16_t(config));
    for (const char* spin : {"spnCTH", "spnUBTH"})
        r.spin(spin)->setValue(0x05);
    for (const char* spin : {"spnCTL", "spnUBTL"})
        r.spin(spin)->setValue(0x50);
    if (action == "chbEMD") {
        clickBox(r.c<QCheckBox>("chbCTLB"));
        clickBox(r.c<QCheckBox>("chbAWLB"));
        r.autoWriteOn();
        r.bench.clearLog();
        clickBox(r.c<QCheckBox>("chbEMD"));
        QCOMPARE(r.title("grbConfig"), QStringLiteral("Configuration=0x00C0")); // the chip's, shown
    } else {
        r.bench.clearLog();
        r.click(action);
        // The spin boxes show what the chip holds.
        QCOMPARE(r.spin(action == "btnWriteCT" ? "spnCTH" : "spnUBTH")->value(), 0);
        QCOMPARE(*r.w->plot()->limit(action == "btnWriteCT" ? "Critical" : "Upper"), 0.0);
    }
    QCOMPARE(r.bench.transfers().size(), 3); // the write, then its read-back
    QCOMPARE(r.bench.statusText(), status);
}


void TestSe98::tabOrderFollowsTheLayout()
{
    Rig r;
    QCOMPARE(tabChain(r.w),
             (QStringList{"cmbAddress",    "chbAutoWrite", "btnReadLocalTemp", "cmbHEN",        "chbSHMD",
                          "chbCTLB",       "chbAWLB",      "chbCEVNT",         "chbEOCTL",      "chbCVO",
                          "chEP",          "chbEMD",       "btnReadCON",       "btnWriteCON",   "spnUBTH",
                          "spnUBTL",       "btnReadUBT",   "btnWriteUBT",      "spnLBTH",       "spnLBTL",
                          "btnReadLBT",    "btnWriteLBT",  "spnCTH",           "spnCTL",        "btnReadCAT",
                          "btnWriteCT",    "chbSTMOUT",    "chbSALRT",         "btnReadSMBus",  "btnWriteSMBus",
                          "btnCapability", "btnReadID",    "btnDeviceID",      "btnReadAll",    "btnWriteAll",
                          "btnPlotStart",  "cmbPlotInterval", "btnPlotClear",  "chbPlotLimits"}));
}

void TestSe98::layoutAtFullAndHalfWidth()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "se98");
    const QStringList clipped = clippedControls(r.w);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    r.bench.main->resize(640, 800);
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "se98-half");
    QStringList small;
    for (const QString& s : clippedControls(r.w))
        if (!s.contains(QLatin1String("beyond")))
            small << s;
    QVERIFY2(small.isEmpty(), qPrintable(small.join('\n')));
}

TALLYPORT_TEST_MAIN(TestSe98)
#include "tst_se98.moc"
