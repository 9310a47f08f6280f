#include "core/sim/Sa56004Chip.h"
#include "gui/common/HexSpinBox.h"
#include "gui/devices/thermal/SA56004.h"
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
using tp::sim::Sa56004Chip;

namespace {

const QString kEntry = QStringLiteral("SA56004 1\u00B0C Digital Temperature Sensor");
const QString kDeg = QStringLiteral("\u00B0C");

void clickBox(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

QColor textColour(QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}

struct Rig {
    TestBench bench;
    TfrmSA56004* w = nullptr;

    Rig()
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmSA56004*>(bench.main->windowReference("TfrmSA56004"));
    }
    Sa56004Chip* chip(std::uint8_t address = 0x90)
    {
        bench.sim->expectChip("SA56004", address);
        return bench.sim->chipAt<Sa56004Chip>(address);
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

class TestSa56004 : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void temperatures_data();
    void temperatures();
    void limitTexts_data();
    void limitTexts();
    void spinChangesWriteTheWriteNumbers_data();
    void spinChangesWriteTheWriteNumbers();
    void readsShowValuesWithoutWritingBack();
    void failedLimitReadChangesNoText_data();
    void failedLimitReadChangesNoText();
    void failedAutomaticWriteSwitchesAutoWriteOff();
    void conversionRate();
    void configurationAndStatus();
    void writeAll();
    void writeAllStopsAtFirstFailure();
    void identificationOneShotAndAlertMode();
    void reopeningShowsTheKeptAddressAndImage();
    void tabOrderFollowsTheLayout();
    void layoutAtFullAndHalfWidth();
};

void TestSa56004::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("SA56004A Temperature Sensor"));
    QCOMPARE(r.w->link().address(), 0x90);
    QComboBox* cmb = r.c<QComboBox>("cmbAddress");
    QCOMPARE(cmb->currentText(), QStringLiteral("0x90"));
    QCOMPARE(cmb->count(), 8);
    QCOMPARE(cmb->itemText(7), QStringLiteral("0x9E"));
    QCheckBox* aw = r.c<QCheckBox>("chbAutoWrite");
    QCOMPARE(aw->text(), QStringLiteral("Off"));
    QCOMPARE(textColour(aw), QColor(Qt::red));
    r.autoWriteOn();
    QCOMPARE(aw->text(), QStringLiteral("On"));
    QCOMPARE(textColour(aw), QColor(0x00, 0xA0, 0x00));
    const QList<QPair<QString, QString>> texts{
        {"lblLTHB", "LTHB=0x00"},
        {"lblLTLB", "LTLB=0x00"},
        {"lblTempLocal", "Local Temperature=70" + kDeg},
        {"lblRTHB", "RTHB=0x00"},
        {"lblRTLB", "RTLB=0x00"},
        {"lblTempRET", "Remote Temperature=0" + kDeg},
        {"lblLHS", "Local HIGH Setpoint = 70" + kDeg},
        {"lblLLS", "Local LOW Setpoint = 0" + kDeg},
        {"lblRHS", "Remote HIGH Setpoint = 70" + kDeg},
        {"lblRLS", "Remote LOW Setpoint = 0" + kDeg},
        {"lblRTO", "Remote Temp Offset=0" + kDeg},
        {"lblRCS", "T_CRIT=85" + kDeg},
        {"lblLCS", "T_CRIT=85" + kDeg},
        {"lblTH", "Hysteresis=10" + kDeg},
        {"lblID", "RMID = 0xXX"},
        {"lblRDR", "RDR = 0xXX"},
    };
    for (const auto& [name, text] : texts)
        QCOMPARE(r.text(name), text);
    QCOMPARE(r.title("grbStatus"), QStringLiteral("Status Register=0x00"));
    QCOMPARE(r.title("grbConfiguration"), QStringLiteral("Configuration = 0x00"));
    QCOMPARE(r.c<QComboBox>("cmbCR")->currentText(), QStringLiteral("16 Hz"));
    QCOMPARE(r.c<QComboBox>("cmbCR")->count(), 10);
    QCOMPARE(r.c<QComboBox>("cmbCR")->itemText(0), QStringLiteral("0.06 Hz"));
    QCOMPARE(r.c<QCheckBox>("chbAlertMode")->text(), QStringLiteral("Interrupt Mode"));
    QCOMPARE(r.c<QCheckBox>("chbBUSY")->text(), QStringLiteral("ADC not busy"));
    QCOMPARE(r.c<QCheckBox>("chbLCRIT")->text(), QStringLiteral("Local Not Critical Temp"));
    QCOMPARE(textColour(r.c<QCheckBox>("chbOPEN")), QColor(0x00, 0xA0, 0x00));
    QVERIFY(!r.c<QCheckBox>("chbOPEN")->isEnabled());
    QVERIFY(r.c<QCheckBox>("chbWCM")->isEnabled());
    QCOMPARE(r.c<QCheckBox>("chbFault")->text(), QStringLiteral("Fault Queue: one"));
    const QList<QPair<QString, int>> spins{{"spnLHS", 0x46}, {"spnRHSHB", 0x46}, {"spnRCS", 0x55},
                                           {"spnLCS", 0x55}, {"spnTH", 0x0A},    {"spnLLS", 0},
                                           {"spnRHSLB", 0}};
    for (const auto& [name, value] : spins)
        QCOMPARE(r.spin(name)->value(), value);
    QCOMPARE(r.spin("spnRHSLB")->text(), QStringLiteral("0x00"));
    QCOMPARE(r.spin("spnRHSLB")->maximum(), 0xE0);
    QCOMPARE(r.spin("spnRHSLB")->singleStep(), 0x20);
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestSa56004::temperatures_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<double>("celsius");
    QTest::addColumn<QStringList>("bus");
    QTest::addColumn<QString>("text");
    QTest::newRow("local 25.375") << false << 25.375 << QStringList{"W 90 00", "Sr R 90 19", "W 90 22", "Sr R 90 60"}
                                  << "Local Temperature =25.375";
    QTest::newRow("local -1") << false << -1.0 << QStringList{"W 90 00", "Sr R 90 FF", "W 90 22", "Sr R 90 00"}
                              << "Local Temperature =-1.000";
    QTest::newRow("remote -25") << true << -25.0 << QStringList{"W 90 01", "Sr R 90 E7", "W 90 10", "Sr R 90 00"}
                                << "Remote Temperature=-25.000";
    QTest::newRow("remote 125") << true << 125.0 << QStringList{"W 90 01", "Sr R 90 7D", "W 90 10", "Sr R 90 00"}
                                << "Remote Temperature=125.000";
    QTest::newRow("remote 0.125") << true << 0.125 << QStringList{"W 90 01", "Sr R 90 00", "W 90 10", "Sr R 90 20"}
                                  << "Remote Temperature=0.125";
}

void TestSa56004::temperatures()
{
    QFETCH(bool, remote);
    QFETCH(double, celsius);
    QFETCH(QStringList, bus);
    QFETCH(QString, text);
    Rig r;
    if (remote)
        r.chip()->setRemote(celsius);
    else
        r.chip()->setLocal(celsius);
    r.click(remote ? "btnRemoteTemp" : "btnReadLocalTemp");
    QCOMPARE(r.bench.transfers(), bus);
    QCOMPARE(r.text(remote ? "lblTempRET" : "lblTempLocal"), text + kDeg);
    const QString hb = bus[1].right(2), lb = bus[3].right(2);
    QCOMPARE(r.text(remote ? "lblRTHB" : "lblLTHB"), (remote ? "RTHB=0x" : "LTHB=0x") + hb);
    QCOMPARE(r.text(remote ? "lblRTLB" : "lblLTLB"), (remote ? "RTLB=0x" : "LTLB=0x") + lb);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestSa56004::limitTexts_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plotLimit");
    QTest::addColumn<double>("plotValue");
    // 8-bit limits are two's complement.
    QTest::newRow("LHS 0xC9") << "spnLHS" << 0xC9 << "lblLHS" << "Local HIGH Setpoint=-55" << "Local high" << -55.0;
    QTest::newRow("LHS 0x80") << "spnLHS" << 0x80 << "lblLHS" << "Local HIGH Setpoint=-128" << "Local high" << -128.0;
    QTest::newRow("LHS 0xFF") << "spnLHS" << 0xFF << "lblLHS" << "Local HIGH Setpoint=-1" << "Local high" << -1.0;
    QTest::newRow("LLS 0x7F") << "spnLLS" << 0x7F << "lblLLS" << "Local LOW Setpoint=127" << "Local low" << 127.0;
    QTest::newRow("LCS 0x81") << "spnLCS" << 0x81 << "lblLCS" << "T_CRIT=-127" << "Local T_CRIT" << -127.0;
    QTest::newRow("RCS 0x55") << "spnRCS" << 0x55 << "lblRCS" << "T_CRIT=85" << "Remote T_CRIT" << 85.0;
    QTest::newRow("RHSLB 0xE0") << "spnRHSLB" << 0xE0 << "lblRHS" << "Remote HIGH Setpoint=70.875" << "Remote high"
                                << 70.875;
    QTest::newRow("RLSHB 0xE7") << "spnRLSHB" << 0xE7 << "lblRLS" << "Remote LOW Setpoint=-25.000" << "Remote low"
                                << -25.0;
    QTest::newRow("TH 0x2A") << "spnTH" << 0x2A << "lblTH" << "Hysteresis=10" << "" << 0.0;
    QTest::newRow("TH 0x1F") << "spnTH" << 0x1F << "lblTH" << "Hysteresis=31" << "" << 0.0;
}

void TestSa56004::limitTexts()
{
    QFETCH(QString, spin);
    QFETCH(int, value);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, plotLimit);
    QFETCH(double, plotValue);
    Rig r;
    r.spin(spin)->setValue(value);
    QCOMPARE(r.text(label), text + kDeg);
    // Not written: the plot shows the value apart from the chip's limit.
    if (!plotLimit.isEmpty()) {
        const auto edited = r.w->plot()->limit(TemperaturePlot::editedName(plotLimit));
        QCOMPARE(edited ? *edited : *r.w->plot()->limit(plotLimit), plotValue); // none: the chip's own
    }
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write off
}

void TestSa56004::spinChangesWriteTheWriteNumbers_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("value");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("LHS") << "spnLHS" << 0xC9 << QStringList{"W 90 0B C9"};
    QTest::newRow("LLS") << "spnLLS" << 0x05 << QStringList{"W 90 0C 05"};
    QTest::newRow("RHSHB") << "spnRHSHB" << 0x50 << QStringList{"W 90 0D 50", "W 90 13 00"};
    QTest::newRow("RHSLB") << "spnRHSLB" << 0x60 << QStringList{"W 90 0D 46", "W 90 13 60"};
    QTest::newRow("RLSLB") << "spnRLSLB" << 0x20 << QStringList{"W 90 0E 00", "W 90 14 20"};
    QTest::newRow("RTOHB") << "spnRTOHB" << 0x01 << QStringList{"W 90 11 01", "W 90 12 00"};
    QTest::newRow("RCS") << "spnRCS" << 0x64 << QStringList{"W 90 19 64"};
    QTest::newRow("LCS") << "spnLCS" << 0x5A << QStringList{"W 90 20 5A"};
    QTest::newRow("TH") << "spnTH" << 0x05 << QStringList{"W 90 21 05"};
}

void TestSa56004::spinChangesWriteTheWriteNumbers()
{
    QFETCH(QString, spin);
    QFETCH(int, value);
    QFETCH(QStringList, writes);
    Rig r;
    r.autoWriteOn();
    r.spin(spin)->setValue(value);
    QCOMPARE(r.bench.transfers(), writes);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    // The chip holds it at its read number.
    const int write = writes.first().mid(5, 2).toInt(nullptr, 16);
    const int read = write >= 0x09 && write <= 0x0E ? write - 6 : write;
    QCOMPARE(int(r.chip()->reg(std::uint8_t(read))), writes.first().right(2).toInt(nullptr, 16));
}

void TestSa56004::readsShowValuesWithoutWritingBack()
{
    Rig r;
    Sa56004Chip* chip = r.chip();
    chip->setReg(0x05, 0xC9);
    chip->setReg(0x06, 0x81);
    chip->setReg(0x07, 0x55);
    chip->setReg(0x13, 0x80);
    chip->setReg(0x08, 0xFF);
    chip->setReg(0x14, 0xE0);
    chip->setReg(0x11, 0xFF);
    chip->setReg(0x12, 0xE0);
    chip->setReg(0x19, 0x64);
    chip->setReg(0x20, 0x5A);
    chip->setReg(0x21, 0x1F);
    chip->setReg(0x03, 0x41);
    r.autoWriteOn();
    for (const char* b : {"btnReadLocalLimits", "btnReadRemoteTempLimits", "btnReadRTO", "btnReadRemoteT_CRIT",
                          "btnReadT_CRIT", "btnReadTH", "btnReadCON", "btnReadCR"})
        r.click(b);
    for (const QString& t : r.bench.transfers())
        QVERIFY2(t.startsWith("Sr R") || t.split(' ').size() == 3, qPrintable(t)); // pointers and reads only
    QCOMPARE(r.spin("spnLHS")->value(), 0xC9);
    QCOMPARE(r.text("lblLHS"), "Local HIGH Setpoint=-55" + kDeg);
    QCOMPARE(r.text("lblLLS"), "Local LOW Setpoint=-127" + kDeg);
    QCOMPARE(r.text("lblRHS"), "Remote HIGH Setpoint=85.500" + kDeg);
    QCOMPARE(r.text("lblRLS"), "Remote LOW Setpoint=-0.125" + kDeg);
    QCOMPARE(r.text("lblRTO"), "Remote Temp Offset=-0.125" + kDeg);
    QCOMPARE(r.text("lblRCS"), "T_CRIT=100" + kDeg);
    QCOMPARE(r.text("lblLCS"), "T_CRIT=90" + kDeg);
    QCOMPARE(r.text("lblTH"), "Hysteresis=31" + kDeg);
    QCOMPARE(r.title("grbConfiguration"), QStringLiteral("Configuration = 0x41"));
    QVERIFY(r.c<QCheckBox>("chbWCRS")->isChecked());
    QCOMPARE(r.c<QCheckBox>("chbWCRS")->text(), QStringLiteral("Standby mode"));
    QCOMPARE(textColour(r.c<QCheckBox>("chbWCRS")), QColor(Qt::red));
    QCOMPARE(r.c<QCheckBox>("chbFault")->text(), QStringLiteral("Fault Queue: three"));
    QVERIFY(r.autoWrite());
    QCOMPARE(r.bench.transfers().size(), 2 * 13);
}

void TestSa56004::failedLimitReadChangesNoText_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("after"); // reads that succeed before the failing one
    QTest::newRow("local, first read") << "btnReadLocalLimits" << 0;
    QTest::newRow("local, second read") << "btnReadLocalLimits" << 1;
    QTest::newRow("remote, second byte") << "btnReadRemoteTempLimits" << 1;
    QTest::newRow("remote, last byte") << "btnReadRemoteTempLimits" << 3;
}

void TestSa56004::failedLimitReadChangesNoText()
{
    QFETCH(QString, button);
    QFETCH(int, after);
    Rig r;
    Sa56004Chip* chip = r.chip();
    for (int reg : {0x05, 0x06, 0x07, 0x13, 0x08, 0x14})
        chip->setReg(std::uint8_t(reg), 0x81);
    const QStringList labels{"lblLHS", "lblLLS", "lblRHS", "lblRLS", "lblRTO"};
    const QStringList spins{"spnLHS", "spnLLS", "spnRHSHB", "spnRHSLB", "spnRLSHB", "spnRLSLB"};
    QStringList before;
    for (const QString& l : labels)
        before << r.text(l);
    for (const QString& s : spins)
        before << QString::number(r.spin(s)->value());
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1, after});
    r.click(button);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QStringList now;
    for (const QString& l : labels)
        now << r.text(l);
    for (const QString& s : spins)
        now << QString::number(r.spin(s)->value());
    QCOMPARE(now, before);
}

void TestSa56004::failedAutomaticWriteSwitchesAutoWriteOff()
{
    Rig r;
    r.autoWriteOn();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.spin("spnLCS")->stepUp();
    QCOMPARE(r.spin("spnLCS")->value(), 0x56); // keeps the new value
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(!r.autoWrite());
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Off"));
    r.bench.clearLog();
    r.spin("spnLCS")->stepUp();
    QVERIFY(r.bench.transfers().isEmpty());
    // A failing second write of a pair stops there too.
    r.autoWriteOn();
    r.bench.sim->inject(Fault{Fault::Kind::DataNack, std::nullopt, 0, 1});
    r.bench.clearLog();
    r.bench.sim->clearFaults();
    r.bench.sim->inject(Fault{Fault::Kind::DataNack, std::nullopt, 1, 1});
    r.spin("spnRTOHB")->stepUp();
    QCOMPARE(r.bench.transfers(), QStringList{"W 90 11"});
    QVERIFY(!r.autoWrite());
}

void TestSa56004::conversionRate()
{
    Rig r;
    r.autoWriteOn();
    r.chip()->setReg(0x04, 0x05);
    r.click("btnReadCR");
    QCOMPARE(r.c<QComboBox>("cmbCR")->currentText(), QStringLiteral("2 Hz"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 04", "Sr R 90 05"})); // no write back
    r.bench.clearLog();
    r.c<QComboBox>("cmbCR")->setCurrentIndex(9);
    QCOMPARE(r.bench.transfers(), QStringList{"W 90 0A 09"});
    // A reserved value selects nothing; Write then sends nothing instead of 0xFF.
    r.chip()->setReg(0x04, 0x0A);
    r.click("btnReadCR");
    QCOMPARE(r.c<QComboBox>("cmbCR")->currentIndex(), -1);
    r.bench.clearLog();
    r.click("btnWriteCR");
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(r.bench.statusText(), QStringLiteral(" No rate chosen: nothing written"));
    r.click("btnWriteAll");
    for (const QString& t : r.bench.transfers())
        QVERIFY2(!t.startsWith("W 90 0A"), qPrintable(t));
    QCOMPARE(r.bench.transfers().size(), 12);
    QCOMPARE(int(r.chip()->reg(0x04)), 0x0A);
}

void TestSa56004::configurationAndStatus()
{
    Rig r;
    r.autoWriteOn();
    clickBox(r.c<QCheckBox>("chbWCRS"));
    QCOMPARE(r.title("grbConfiguration"), QStringLiteral("Configuration = 0x40"));
    QCOMPARE(r.c<QCheckBox>("chbWCRS")->text(), QStringLiteral("Standby mode"));
    clickBox(r.c<QCheckBox>("chbFault"));
    QCOMPARE(r.title("grbConfiguration"), QStringLiteral("Configuration = 0x41"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 09 40", "W 90 09 41"}));
    r.click("btnWriteCON");
    QCOMPARE(r.bench.transfers().last(), QStringLiteral("W 90 09 41"));
    QCOMPARE(int(r.chip()->reg(0x03)), 0x41);

    // Status: set flags check their box in red, with the set text.
    r.click("btnWriteCON");
    Sa56004Chip* chip = r.chip();
    chip->setReg(0x03, 0x00);
    chip->setLocal(90);   // above LHS 70 and LCS 85
    chip->setRemote(-10); // below RLS 0
    r.bench.clearLog();
    r.click("btnReadStatus");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 02", "Sr R 90 49"}));
    QCOMPARE(r.title("grbStatus"), QStringLiteral("Status Byte (0x02) = 0x49"));
    QVERIFY(r.c<QCheckBox>("chbIHLF")->isChecked());
    QCOMPARE(r.c<QCheckBox>("chbIHLF")->text(), QStringLiteral("Int high temp tripped"));
    QCOMPARE(textColour(r.c<QCheckBox>("chbIHLF")), QColor(Qt::red));
    QCOMPARE(r.c<QCheckBox>("chbELLF")->text(), QStringLiteral("Ext low temp tripped"));
    QCOMPARE(r.c<QCheckBox>("chbLCRIT")->text(), QStringLiteral("Local Critical Temp"));
    QVERIFY(!r.c<QCheckBox>("chbEHLF")->isChecked());
    QCOMPARE(r.c<QCheckBox>("chbEHLF")->text(), QStringLiteral("Ext high temp not tripped"));
}

void TestSa56004::writeAll()
{
    Rig r;
    clickBox(r.c<QCheckBox>("chbWCM"));
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 09 80", "W 90 0A 08", "W 90 0B 46", "W 90 0C 00", "W 90 0D 46",
                                               "W 90 0E 00", "W 90 11 00", "W 90 12 00", "W 90 13 00", "W 90 14 00",
                                               "W 90 19 55", "W 90 20 55", "W 90 21 0A"}));
    QVERIFY(!r.autoWrite());
    QCOMPARE(r.c<QCheckBox>("chbAutoWrite")->text(), QStringLiteral("Off"));
    r.autoWriteOn();
    r.bench.clearLog();
    r.click("btnWriteAll");
    QCOMPARE(r.bench.transfers().size(), 13);
    QVERIFY(r.autoWrite());
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestSa56004::writeAllStopsAtFirstFailure()
{
    Rig r;
    r.autoWriteOn();
    r.chip();
    // The third write (0x0B) is not acknowledged: the chip's address byte count tells it.
    int writes = 0;
    r.bench.sim->log().onEntry = [&](const tp::BusLogEntry& e) {
        if (!e.isNote() && ++writes == 2)
            r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    };
    r.click("btnWriteAll");
    r.bench.sim->log().onEntry = nullptr;
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 09 00", "W 90 0A 08", "W 90"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QVERIFY(!r.autoWrite()); // stays off after a failure
}

void TestSa56004::identificationOneShotAndAlertMode()
{
    Rig r;
    r.click("btnReadID");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 FE", "Sr R 90 A1", "W 90 FF", "Sr R 90 00"}));
    QCOMPARE(r.text("lblID"), QStringLiteral("RMID=0xA1"));
    QCOMPARE(r.text("lblRDR"), QStringLiteral("RDR=0x00"));
    r.bench.clearLog();
    r.click("btnOneShot");
    QCOMPARE(r.bench.transfers(), QStringList{"W 90 0F 00"});
    QCOMPARE(r.chip()->oneShots(), 1);
    r.bench.clearLog();
    clickBox(r.c<QCheckBox>("chbAlertMode"));
    QCOMPARE(r.c<QCheckBox>("chbAlertMode")->text(), QStringLiteral("Comparator Mode"));
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write off
    r.autoWriteOn();
    clickBox(r.c<QCheckBox>("chbAlertMode"));
    clickBox(r.c<QCheckBox>("chbAlertMode"));
    QCOMPARE(r.c<QCheckBox>("chbAlertMode")->text(), QStringLiteral("Comparator Mode"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W 90 BF 00", "W 90 BF 01"}));
}

void TestSa56004::reopeningShowsTheKeptAddressAndImage()
{
    Rig r;
    QComboBox* cmb = r.c<QComboBox>("cmbAddress");
    cmb->setCurrentIndex(2);
    r.w->cmbAddressChange(2);
    clickBox(r.c<QCheckBox>("chbWCRS"));
    const QPointer<TfrmSA56004> old = r.w;
    qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->close();
    QTRY_VERIFY(!old);
    r.open();
    // The window shows what its next transfer will use.
    QCOMPARE(r.w->link().address(), 0x94);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0x94"));
    QCOMPARE(r.title("grbConfiguration"), QStringLiteral("Configuration = 0x40"));
    QVERIFY(r.c<QCheckBox>("chbWCRS")->isChecked());
    r.bench.clearLog();
    r.click("btnWriteCON");
    QCOMPARE(r.bench.transfers(), QStringList{"W 94 09 40"});
}

void TestSa56004::tabOrderFollowsTheLayout()
{
    Rig r;
    const QStringList chain = tabChain(r.w);
    // Down the first column, then down the second, then the plot.
    const QStringList expected{
        "cmbAddress", "chbAutoWrite", "btnReadLocalTemp", "btnRemoteTemp", "btnReadStatus", "chbWCM", "chbWCRS",
        "chbRTCRIT", "chbLTCRIT", "chbFault", "btnReadCON", "btnWriteCON", "cmbCR", "btnReadCR", "btnWriteCR",
        "spnLHS", "spnLLS", "btnReadLocalLimits", "btnWriteLocalLimits", "spnRHSHB", "spnRHSLB", "spnRLSHB",
        "spnRLSLB", "btnReadRemoteTempLimits", "btnWriteRemoteTempLimits", "spnRTOHB", "spnRTOLB", "btnReadRTO",
        "btnWriteRTO", "spnRCS", "btnReadRemoteT_CRIT", "btnWriteRemoteTCRIT", "spnLCS", "btnReadT_CRIT",
        "btnWriteLocalTCRIT", "spnTH", "btnReadTH", "btnWriteTH", "chbAlertMode", "btnReadID", "btnOneShot",
        "btnWriteAll", "btnPlotStart", "cmbPlotInterval", "btnPlotClear", "chbPlotLimits"};
    QCOMPARE(chain, expected);
}

void TestSa56004::layoutAtFullAndHalfWidth()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "sa56004");
    const QStringList clipped = clippedControls(r.w);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    r.bench.main->resize(640, 800);
    QCoreApplication::processEvents();
    saveShot(r.bench.main.get(), "sa56004-half");
    QStringList small;
    for (const QString& s : clippedControls(r.w))
        if (!s.contains(QLatin1String("beyond")))
            small << s;
    QVERIFY2(small.isEmpty(), qPrintable(small.join('\n')));
}

TALLYPORT_TEST_MAIN(TestSa56004)
#include "tst_sa56004.moc"
