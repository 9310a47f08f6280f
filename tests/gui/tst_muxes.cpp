#include "core/devices/ports/Pca954x.h"
#include "core/sim/ChannelSwitchChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "gui/devices/ports/PCA9543.h"
#include "gui/devices/ports/Pca9544.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

using tp::sim::ChannelSwitchChip;
using tp::sim::Fault;
using tp::sim::QuasiBidirectionalPort;
using tp::sim::Segment;
namespace mux = tp::pca954x;

namespace {

const QString kPca9544 = QStringLiteral("PCA9544A  4-Channel Multiplexer with Interrupt Logic");
const QString kPca9548 = QStringLiteral("PCA9548A 8-Channel Switch");

// A frame with the standard chip types; tests place what they need.
struct Rig {
    TestBench bench;
    QWidget* w = nullptr;

    QWidget* open(const QString& entry, const QString& windowClass)
    {
        bench.main->deviceAction(entry)->trigger();
        w = bench.main->windowReference(windowClass);
        return w;
    }
    TfrmPCA954x* muxes()
    {
        open(kPca9544, "TfrmPCA954x");
        return qobject_cast<TfrmPCA954x*>(w);
    }
    TfrmPCA9543* switches()
    {
        open(kPca9548, "TfrmPCA9543");
        return qobject_cast<TfrmPCA9543*>(w);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString text(const QString& name) { return c<QLineEdit>(name)->text(); }
    void click(const QString& name) { QTest::mouseClick(c<QAbstractButton>(name), Qt::LeftButton); }
    void choose(const QString& radioGroup, int item)
    {
        QRadioButton* b = c<RadioGroup>(radioGroup)->item(item);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void pick(const QString& combo, int index) { c<QComboBox>(combo)->setCurrentIndex(index); }
    bool lit(const QString& name) { return c<QAbstractButton>(name)->isChecked(); }
    ChannelSwitchChip* place(std::uint8_t address, mux::Mux m)
    {
        return static_cast<ChannelSwitchChip*>(&bench.sim->place(address, std::make_unique<ChannelSwitchChip>(m)));
    }
    ChannelSwitchChip* place(std::uint8_t address, mux::Switch s)
    {
        return static_cast<ChannelSwitchChip*>(&bench.sim->place(address, std::make_unique<ChannelSwitchChip>(s)));
    }
};

QStringList itemsOf(QComboBox* cmb)
{
    QStringList out;
    for (int i = 0; i < cmb->count(); ++i)
        out << cmb->itemText(i);
    return out;
}

} // namespace

class TestMuxes : public QObject {
    Q_OBJECT
private slots:
    void muxFormDefaults();
    void channelSelectWritesTheBareControlByte_data();
    void channelSelectWritesTheBareControlByte();
    void muxReadShowsChannelAndInterrupts_data();
    void muxReadShowsChannelAndInterrupts();
    void eachMuxHasItsOwnAddress();
    void switchFormDefaults();
    void switchClicksBuildOnTheCopy();
    void switchReadBecomesTheCopy();
    void switchReadShowsBoxesAndInterrupts();
    void newWindowStartsFromNothing();
    void menuShowsTheAddressItUses();
    void chipBehindAChannelAnswersOnlyWhileItIsOn();
    void failuresLeaveTheWindowAsItWas();
    void tabOrderFollowsTheLayout();
    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();
};

void TestMuxes::muxFormDefaults()
{
    Rig r;
    r.bench.clearLog();
    r.muxes();
    QVERIFY(r.w);
    QCOMPARE(r.w->windowTitle(), QStringLiteral(" PCA9540 / PCA9542 / PCA9544 I\u00B2C Multiplexers"));
    QCOMPARE(r.c<QLabel>("txtAddress")->text(), QStringLiteral("0xE0"));
    QCOMPARE(r.c<QLabel>("txtAddress")->toolTip(), QStringLiteral(" Device address"));
    const QStringList eight{"0xE0", "0xE2", "0xE4", "0xE6", "0xE8", "0xEA", "0xEC", "0xEE"};
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCA9542Address")), eight);
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCA9544Address")), eight);
    QCOMPARE(r.c<QComboBox>("cmbPCA9542Address")->toolTip(), QStringLiteral(" Select the PCA9542 address"));
    QCOMPARE(r.c<QComboBox>("cmbPCA9544Address")->toolTip(), QStringLiteral(" Choose the PCA9544 address"));
    for (const char* chip : {"PCA9540", "PCA9542", "PCA9544"}) {
        const QString n = QString::fromLatin1(chip);
        QCOMPARE(r.c<QGroupBox>("grb" + n)->title(), n);
        QCOMPARE(r.text("edt" + n + "Control"), QStringLiteral("00"));
        QVERIFY(r.c<QLineEdit>("edt" + n + "Control")->isReadOnly());
        auto* rdg = r.c<RadioGroup>("rdg" + n.mid(3) + "ChannelSelect");
        QCOMPARE(rdg->title(), QStringLiteral("Channel Select"));
        QCOMPARE(rdg->toolTip(), QStringLiteral(" Select the desired channel"));
        QCOMPARE(rdg->itemIndex(), 0);
        QCOMPARE(r.c<QPushButton>("btn" + n + "Read")->toolTip(), "Read " + n + " Control Register");
        QCOMPARE(r.c<QPushButton>("btn" + n + "Write")->toolTip(), "Write " + n + " Control Register");
        QCOMPARE(r.c<LedToggle>("chb" + n + "Auto")->text(), QStringLiteral("Auto Write Off"));
    }
    QStringList items;
    for (int i = 0; i < r.c<RadioGroup>("rdg9544ChannelSelect")->count(); ++i)
        items << r.c<RadioGroup>("rdg9544ChannelSelect")->item(i)->text();
    QCOMPARE(items, (QStringList{"No channel", "Channel 0", "Channel 1", "Channel 2", "Channel 3"}));
    QCOMPARE(r.c<RadioGroup>("rdg9540ChannelSelect")->count(), 3);
    QCOMPARE(r.c<QGroupBox>("grbPCA9542Int")->toolTip(), QStringLiteral(" Interrupt flags are read only"));
    QCOMPARE(r.c<QAbstractButton>("chbPCA9544Int3")->text(), QStringLiteral("Channel 3"));
    QVERIFY(!r.c<QAbstractButton>("chbPCA9542Int1")->isEnabled());
    QVERIFY(!r.w->findChild<QWidget*>("chbPCA9540Int0"));
    QVERIFY(r.bench.transfers().isEmpty());
    r.click("chbPCA9542Auto");
    QCOMPARE(r.c<LedToggle>("chbPCA9542Auto")->text(), QStringLiteral("Auto Write On"));
    QCOMPARE(r.c<LedToggle>("chbPCA9544Auto")->text(), QStringLiteral("Auto Write Off"));
}

void TestMuxes::channelSelectWritesTheBareControlByte_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("shown");
    QTest::newRow("9544 Channel 1") << "9544" << 2 << "05";
    QTest::newRow("9544 Channel 3") << "9544" << 4 << "07";
    QTest::newRow("9544 No channel") << "9544" << 0 << "00";
    QTest::newRow("9540 Channel 0") << "9540" << 1 << "04";
    QTest::newRow("9542 Channel 1") << "9542" << 2 << "05";
}

void TestMuxes::channelSelectWritesTheBareControlByte()
{
    QFETCH(QString, chip);
    QFETCH(int, item);
    QFETCH(QString, shown);
    Rig r;
    r.muxes();
    if (item == 0)
        r.choose("rdg" + chip + "ChannelSelect", 1); // something to come back from
    r.bench.clearLog();

    // Auto Write off: only the display follows.
    r.choose("rdg" + chip + "ChannelSelect", item);
    QCOMPARE(r.text("edtPCA" + chip + "Control"), shown);
    QVERIFY(r.bench.transfers().isEmpty());

    // Auto Write on: exactly the control byte, no pointer before it.
    r.choose("rdg" + chip + "ChannelSelect", item == 0 ? 1 : 0);
    r.click("chbPCA" + chip + "Auto");
    r.choose("rdg" + chip + "ChannelSelect", item);
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 " + shown});
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    auto* model = r.bench.sim->chipAt<ChannelSwitchChip>(0xE0);
    QVERIFY(model);
    QCOMPARE(model->type(), "PCA" + chip.toStdString() + (chip == "9540" ? "B" : "A"));
    QCOMPARE(int(model->control()), shown.toInt(nullptr, 16));

    // Write sends the display's value again.
    r.bench.clearLog();
    r.click("btnPCA" + chip + "Write");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 " + shown});
}

void TestMuxes::muxReadShowsChannelAndInterrupts_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("item");
    QTest::addColumn<QList<bool>>("interrupts");
    QTest::newRow("9544 F4") << "9544" << 0xF4 << 1 << QList<bool>{true, true, true, true};
    QTest::newRow("9544 03") << "9544" << 0x03 << 0 << QList<bool>{false, false, false, false};
    QTest::newRow("9544 07") << "9544" << 0x07 << 4 << QList<bool>{false, false, false, false};
    QTest::newRow("9544 A6") << "9544" << 0xA6 << 3 << QList<bool>{false, true, false, true};
    QTest::newRow("9542 35") << "9542" << 0x35 << 2 << QList<bool>{true, true};
    QTest::newRow("9542 06") << "9542" << 0x06 << 0 << QList<bool>{false, false};
    QTest::newRow("9540 07") << "9540" << 0x07 << 0 << QList<bool>{};
    QTest::newRow("9540 05") << "9540" << 0x05 << 2 << QList<bool>{};
}

void TestMuxes::muxReadShowsChannelAndInterrupts()
{
    QFETCH(QString, chip);
    QFETCH(int, value);
    QFETCH(int, item);
    QFETCH(QList<bool>, interrupts);
    Rig r;
    const mux::Mux kind = chip == "9544" ? mux::Mux::PCA9544 : chip == "9542" ? mux::Mux::PCA9542 : mux::Mux::PCA9540;
    ChannelSwitchChip* model = r.place(0xE0, kind);
    // The chip holds the channel bits; its INT inputs give the rest.
    QCOMPARE(r.bench.sim->write(0xE0, {std::uint8_t(value & 0x07)}), tp::status::Success);
    for (int c = 0; c < 4; ++c)
        model->setInterrupt(c, value & (0x10 << c));
    r.muxes();
    r.click("chbPCA" + chip + "Auto"); // reading must not write back even so
    r.bench.clearLog();
    r.click("btnPCA" + chip + "Read");
    QCOMPARE(r.bench.transfers(), QStringList{"R E0 " + QString::number(value, 16).toUpper().rightJustified(2, '0')});
    QCOMPARE(r.text("edtPCA" + chip + "Control"), QString::number(value, 16).toUpper().rightJustified(2, '0'));
    QCOMPARE(r.c<RadioGroup>("rdg" + chip + "ChannelSelect")->itemIndex(), item);
    for (int c = 0; c < interrupts.size(); ++c)
        QCOMPARE(r.lit(QStringLiteral("chbPCA%1Int%2").arg(chip).arg(c)), interrupts[c]);
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.bench.state->context("TfrmPCA954x").data[0]), value);
}

void TestMuxes::eachMuxHasItsOwnAddress()
{
    Rig r;
    r.muxes();
    r.pick("cmbPCA9542Address", 5);
    r.choose("rdg9542ChannelSelect", 1);
    r.choose("rdg9540ChannelSelect", 2);
    r.bench.clearLog();
    r.click("btnPCA9542Write");
    r.click("btnPCA9540Write");
    r.click("btnPCA9544Write");
    QCOMPARE(r.bench.transfers(), (QStringList{"W EA 04", "W E0 05", "W E0 00"}));
}

void TestMuxes::switchFormDefaults()
{
    Rig r;
    r.bench.clearLog();
    r.switches();
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA9543 / PCA9545 / PCA9546 / PCA9548 I\u00B2C Switches"));
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCA9543Address")), (QStringList{"0xE0", "0xE2", "0xE4", "0xE6"}));
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCA9545Address")).size(), 4);
    QCOMPARE(itemsOf(r.c<QComboBox>("cmbPCA9548Address")).last(), QStringLiteral("0xEE"));
    QCOMPARE(r.c<QComboBox>("cmbPCA9543Address")->currentText(), QStringLiteral("0xE2"));
    QCOMPARE(r.c<QComboBox>("cmbPCA9546Address")->currentText(), QStringLiteral("0xE0"));
    for (const char* chip : {"9543", "9545", "9546", "9548"}) {
        const QString n = QStringLiteral("PCA") + chip;
        QCOMPARE(r.c<QComboBox>("cmb" + n + "Address")->toolTip(), " Select the " + n + " address");
        QCOMPARE(r.text("edt" + n + "Control"), QStringLiteral("00"));
        QCOMPARE(r.c<QGroupBox>("grb" + n + "Channels")->title(), QStringLiteral("Channel Select"));
        QCOMPARE(r.c<QGroupBox>("grb" + n + "Channels")->toolTip(), QStringLiteral("Checked = channel active"));
        QCOMPARE(r.c<QPushButton>("btn" + n + "Read")->toolTip(), "Read " + n + " Control Register");
        QCOMPARE(r.c<QPushButton>("btn" + n + "Write")->toolTip(), "Write " + n + " Control Register");
        QCOMPARE(r.c<LedToggle>("chb" + n + "Auto")->text(), QStringLiteral("Auto Write Off"));
        QVERIFY(!r.c<QCheckBox>(QStringLiteral("chb%1ch0").arg(chip))->isChecked());
    }
    QCOMPARE(r.c<QCheckBox>("chb9548ch7")->text(), QStringLiteral("Channel 7"));
    QVERIFY(!r.w->findChild<QWidget*>("chb9546ch4"));
    QVERIFY(!r.c<QAbstractButton>("chb9545Int3")->isEnabled());
    QVERIFY(!r.w->findChild<QWidget*>("chb9548Int0"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestMuxes::switchClicksBuildOnTheCopy()
{
    Rig r;
    r.switches();
    r.click("chb9548ch7");
    r.click("chb9548ch0");
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("81"));
    QVERIFY(r.bench.transfers().isEmpty());
    r.click("chb9548ch7");
    r.click("chb9548ch0");
    r.click("chbPCA9548Auto");
    r.click("chb9548ch7");
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("80"));
    r.click("chb9548ch0");
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("81"));
    QCOMPARE(r.bench.transfers(), (QStringList{"W E0 80", "W E0 81"}));
    // The PCA9543 starts at 0xE2, as its list shows.
    r.bench.clearLog();
    r.click("chbPCA9543Auto");
    r.click("chb9543ch1");
    QCOMPARE(r.bench.transfers(), QStringList{"W E2 02"});
}

void TestMuxes::switchReadBecomesTheCopy()
{
    Rig r;
    ChannelSwitchChip* sw = r.place(0xE0, mux::Switch::PCA9545);
    r.bench.sim->write(0xE0, {0x0F});
    r.switches();
    r.click("chbPCA9545Auto");
    r.bench.clearLog();
    r.click("btnPCA9545Read");
    QCOMPARE(r.text("edtPCA9545Control"), QStringLiteral("0F"));
    for (int c = 0; c < 4; ++c)
        QVERIFY(r.c<QCheckBox>(QStringLiteral("chb9545ch%1").arg(c))->isChecked());
    // Unchecking channel 0 keeps the channels the window shows on.
    r.click("chb9545ch0");
    QCOMPARE(r.bench.transfers(), (QStringList{"R E0 0F", "W E0 0E"}));
    QCOMPARE(r.text("edtPCA9545Control"), QStringLiteral("0E"));
    QCOMPARE(int(sw->control()), 0x0E);

    // Interrupt bits read are shown, never written back by a click.
    sw->setInterrupt(2, true);
    r.click("btnPCA9545Read");
    QCOMPARE(r.text("edtPCA9545Control"), QStringLiteral("4E"));
    r.bench.clearLog();
    r.click("chb9545ch0");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 0F"});
    QVERIFY(r.lit("chb9545Int2")); // shown until the next read
    QCOMPARE(qobject_cast<TfrmPCA9543*>(r.w)->copy(TfrmPCA9543::PCA9545), 0x0F);
}

void TestMuxes::switchReadShowsBoxesAndInterrupts()
{
    Rig r;
    ChannelSwitchChip* sw = r.place(0xE0, mux::Switch::PCA9545);
    r.bench.sim->write(0xE0, {0x03});
    sw->setInterrupt(1, true);
    sw->setInterrupt(3, true);
    ChannelSwitchChip* wide = r.place(0xEE, mux::Switch::PCA9548);
    r.bench.sim->write(0xEE, {0x81});
    r.switches();
    r.click("btnPCA9545Read");
    QCOMPARE(r.text("edtPCA9545Control"), QStringLiteral("A3"));
    const QList<bool> boxes{true, true, false, false}, ints{false, true, false, true};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(r.c<QCheckBox>(QStringLiteral("chb9545ch%1").arg(c))->isChecked(), boxes[c]);
        QCOMPARE(r.lit(QStringLiteral("chb9545Int%1").arg(c)), ints[c]);
    }
    r.pick("cmbPCA9548Address", 7);
    r.click("btnPCA9548Read");
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("81"));
    for (int c = 0; c < 8; ++c)
        QCOMPARE(r.c<QCheckBox>(QStringLiteral("chb9548ch%1").arg(c))->isChecked(), c == 0 || c == 7);
    QCOMPARE(int(wide->control()), 0x81);
}

void TestMuxes::newWindowStartsFromNothing()
{
    Rig r;
    r.switches();
    r.click("chbPCA9548Auto");
    r.click("chb9548ch7");
    r.pick("cmbPCA9546Address", 3);
    QPointer<QWidget> old = r.w;
    child<QAction>(qobject_cast<TChildForm*>(r.w)->childMenus().first(), "mnuClose")->trigger();
    QTRY_VERIFY(!old);
    r.bench.clearLog();
    // Opened without the menu's presets, the new window shows the address byte the class kept.
    TfrmPCA9543 bare(*r.bench.main);
    QCOMPARE(bare.findChild<QComboBox*>("cmbPCA9546Address")->currentText(), QStringLiteral("0xE6"));
    QCOMPARE(bare.link(TfrmPCA9543::PCA9546).address(), 0xE6);
    // Through the menu: displays "00", boxes clear, and clicks build on nothing.
    r.switches();
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("00"));
    QVERIFY(!r.c<QCheckBox>("chb9548ch7")->isChecked());
    r.click("chbPCA9548Auto");
    r.click("chb9548ch0");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 01"});
}

void TestMuxes::menuShowsTheAddressItUses()
{
    Rig r;
    r.muxes();
    r.pick("cmbPCA9544Address", 3);
    r.choose("rdg9544ChannelSelect", 1);
    r.bench.clearLog();
    r.click("btnPCA9544Write");
    QCOMPARE(r.bench.transfers(), QStringList{"W E6 04"});
    // The menu again: the list goes back to 0xE0, and so does the address used.
    QWidget* first = r.w;
    r.muxes();
    QCOMPARE(r.w, first);
    QCOMPARE(r.bench.main->childForms().size(), 1);
    QCOMPARE(r.c<QComboBox>("cmbPCA9544Address")->currentText(), QStringLiteral("0xE0"));
    QCOMPARE(r.text("edtPCA9544Control"), QStringLiteral("04")); // other controls keep their state
    r.bench.clearLog();
    r.click("btnPCA9544Write");
    QCOMPARE(r.bench.transfers(), QStringList{"W E0 04"});

    r.switches();
    r.pick("cmbPCA9543Address", 3);
    r.switches();
    QCOMPARE(r.c<QComboBox>("cmbPCA9543Address")->currentText(), QStringLiteral("0xE2"));
    QCOMPARE(qobject_cast<TfrmPCA9543*>(r.w)->link(TfrmPCA9543::PCA9543).address(), 0xE2);
}

void TestMuxes::chipBehindAChannelAnswersOnlyWhileItIsOn()
{
    Rig r;
    ChannelSwitchChip* sw = r.place(0xE0, mux::Switch::PCA9548);
    auto* port = static_cast<QuasiBidirectionalPort*>(
        &r.bench.sim->place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8574", 1), Segment{sw, 2}));
    port->setExternal(0, 0x3C);

    r.bench.main->deviceAction(QStringLiteral("PCF8574  8-bit I/O Expander"))->trigger();
    QWidget* pcf = r.bench.main->windowReference("TfrmPCF8574");
    QVERIFY(pcf);
    auto readPort = [&] {
        QTest::mouseClick(child<QPushButton>(pcf, "btnPCF8574Read"), Qt::LeftButton);
        return child<QLineEdit>(pcf, "edtRead")->text();
    };
    QCOMPARE(readPort(), QStringLiteral("FF")); // unchanged: nothing answered
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));

    r.switches();
    r.click("chbPCA9548Auto");
    r.click("chb9548ch2");
    QCOMPARE(readPort(), QStringLiteral("3C"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));

    r.switches();
    r.click("chb9548ch5"); // another channel as well: channel 2 stays on
    QCOMPARE(readPort(), QStringLiteral("3C"));
    r.switches();
    r.click("chb9548ch2");
    port->setExternal(0, 0x00);
    QCOMPARE(readPort(), QStringLiteral("3C"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
}

void TestMuxes::failuresLeaveTheWindowAsItWas()
{
    Rig r;
    r.muxes();
    r.choose("rdg9544ChannelSelect", 3);
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::uint8_t(0xE0), 0, -1});
    r.click("btnPCA9544Read");
    QCOMPARE(r.text("edtPCA9544Control"), QStringLiteral("06"));
    QCOMPARE(r.c<RadioGroup>("rdg9544ChannelSelect")->itemIndex(), 3);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    r.click("chbPCA9544Auto");
    r.choose("rdg9544ChannelSelect", 1);
    QCOMPARE(r.text("edtPCA9544Control"), QStringLiteral("04")); // the user's choice stays
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));

    r.switches();
    r.click("chb9548ch3");
    r.click("btnPCA9548Read");
    QVERIFY(r.c<QCheckBox>("chb9548ch3")->isChecked());
    QCOMPARE(r.text("edtPCA9548Control"), QStringLiteral("08"));
    r.bench.sim->clearFaults();
}

void TestMuxes::tabOrderFollowsTheLayout()
{
    Rig r;
    r.muxes();
    QStringList expected;
    for (const auto& [chip, items] : {std::pair{"9540", 3}, std::pair{"9542", 3}, std::pair{"9544", 5}}) {
        if (QString(chip) != "9540")
            expected << QStringLiteral("cmbPCA%1Address").arg(chip);
        for (int i = 0; i < items; ++i)
            expected << QStringLiteral("rdg%1ChannelSelect_%2").arg(chip).arg(i);
        expected << QStringLiteral("btnPCA%1Read").arg(chip) << QStringLiteral("btnPCA%1Write").arg(chip)
                 << QStringLiteral("chbPCA%1Auto").arg(chip);
    }
    // Once a button of an exclusive radio group has had the focus, Qt keeps
    // Tab for that one and leaves the others to the arrow keys; whether the
    // window's activation focused one first is up to the platform.
    const auto tabbable = [&](QStringList names) {
        names.removeIf([&](const QString& n) {
            auto* radio = r.w->findChild<QRadioButton*>(n);
            return radio && !(radio->focusPolicy() & Qt::TabFocus);
        });
        return names;
    };
    expected = tabbable(expected);
    QCOMPARE(tabChain(r.w), expected);

    r.switches();
    expected.clear();
    for (const auto& [chip, channels] :
         {std::pair{"9543", 2}, std::pair{"9545", 4}, std::pair{"9546", 4}, std::pair{"9548", 8}}) {
        expected << QStringLiteral("cmbPCA%1Address").arg(chip);
        for (int c = 0; c < channels; ++c)
            expected << QStringLiteral("chb%1ch%2").arg(chip).arg(c);
        expected << QStringLiteral("btnPCA%1Read").arg(chip) << QStringLiteral("btnPCA%1Write").arg(chip)
                 << QStringLiteral("chbPCA%1Auto").arg(chip);
    }
    QCOMPARE(tabChain(r.w), expected);
}

void TestMuxes::layoutFitsTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("full") << 1280;
    QTest::newRow("half") << 640;
}

void TestMuxes::layoutFitsTheFrame()
{
    QFETCH(int, width);
    Rig r;
    r.bench.main->resize(width, 800);
    r.bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    ChannelSwitchChip* withInterrupts = r.place(0xE0, mux::Mux::PCA9544);
    withInterrupts->setInterrupt(1, true);
    for (const QString& entry : {kPca9544, kPca9548}) {
        r.bench.main->deviceAction(entry)->trigger();
        QCoreApplication::processEvents();
        QWidget* w = r.bench.main->childForms().last();
        r.w = w;
        if (entry == kPca9544)
            r.click("btnPCA9544Read"); // a lit interrupt indicator
        if (entry == kPca9548) { // lit indicators and a checked box take no more room
            r.click("chb9548ch7");
            r.click("chbPCA9543Auto");
        }
        QCoreApplication::processEvents();
        // At half width the groups flow under each other: up and down only.
        QCOMPARE(clippedSideways(w), QStringList());
        QVERIFY(w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
        QVERIFY(w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
        saveShot(r.bench.main.get(), QStringLiteral("%1-%2").arg(w->objectName()).arg(width));
    }
}

TALLYPORT_TEST_MAIN(TestMuxes)
#include "tst_muxes.moc"
