#include "gui/devices/thermal/ne1617.h"
#include "core/common/HexText.h"
#include "core/devices/thermal/Ne1617.h"
#include "core/devices/thermal/ThermalText.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/FlagBoxes.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuardedButtons.h"
#include "gui/common/LedToggle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace tp::ne1617;

namespace {

QString deg()
{
    return QString::fromUtf8(tp::thermal::kDegreesC);
}

QString hex2(int v)
{
    return QString::fromStdString(tp::intToHex(std::uint32_t(v), 2));
}

// The caption a read register's group takes after a read.
QString readCaption(std::uint8_t reg, std::uint8_t value)
{
    static const char* const kCaptions[] = {"RIT Register(0x00)=0x",   "RET Register(0x01) = 0x",
                                            "Status Byte (0x02) = 0x", "RC Register (0x03)=0x",
                                            "RCR Register (0x04)=0x",  "RIHL Register(0x05)=0x",
                                            "RILL Register(0x06)=0x",  "REHL Register(0x07)=0x",
                                            "RELL Register(0x08)=0x"};
    return QString::fromLatin1(kCaptions[reg]) + hex2(value);
}

const char* const kRateItems[kRateCount] = {"0.0625 Hz", "0.1250 Hz", "0.2500 Hz", "0.5000 Hz",
                                            "1.0000 Hz", "2.0000 Hz", "4.0000 Hz", "8.0000 Hz"};
constexpr int kStartRate = 2; // 0.25 Hz, the chip's power-on rate

const FlagBoxes::Style kBlueBold{false, tp::colour::Blue, true};

} // namespace

TfrmNE1617::TfrmNE1617(TfrmMain& main, QWidget* parent)
    : TThermalForm(main, QStringLiteral("TfrmNE1617"), QString::fromLatin1(kChipType), parent)
{
    setWindowTitle(tr("NE1617(A) Temperature Monitor"));
    setPanels(buildRegisters(), {tr("Internal"), tr("External")}, [this] { return poll(); });
    // The limits as the chip has them at power-on, as the form shows them.
    limitKnown(kRIHL, 127);
    limitKnown(kRILL, -55);
    limitKnown(kREHL, 127);
    limitKnown(kRELL, -55);

    connect(chbAutoWrite, &LedToggle::clicked, this, guarded(this, &TfrmNE1617::chbAutoWriteClick));
    connect(m_writeConfig, &FlagBoxes::clicked, this, guarded([this] { chbWCClick(); }));
    connect(cmbWCR, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmNE1617::cmbWCRChange));
    connect(spnWIHL, &QSpinBox::valueChanged, this, guarded([this] { spnWIHLChange(); }));
    connect(spnWILL, &QSpinBox::valueChanged, this, guarded([this] { spnWILLChange(); }));
    connect(spnWEHL, &QSpinBox::valueChanged, this, guarded([this] { spnWEHLChange(); }));
    connect(spnWELL, &QSpinBox::valueChanged, this, guarded([this] { spnWELLChange(); }));
    const QList<QPair<QString, void (TfrmNE1617::*)()>> buttons{
        {"btnReadReg0", &TfrmNE1617::btnReadReg0Click}, {"btnRET", &TfrmNE1617::btnRETClick},
        {"btnReadStatus", &TfrmNE1617::btnReadStatusClick}, {"btnReadRC", &TfrmNE1617::btnReadRCClick},
        {"btnRCR", &TfrmNE1617::btnRCRClick},           {"btnRIHL", &TfrmNE1617::btnRIHLClick},
        {"btnRILL", &TfrmNE1617::btnRILLClick},         {"btnREHL", &TfrmNE1617::btnREHLClick},
        {"btnRELL", &TfrmNE1617::btnRELLClick},         {"btnReadAll", &TfrmNE1617::btnReadAllClick},
        {"btnWriteAll", &TfrmNE1617::btnWriteAllClick}, {"btnOneShot", &TfrmNE1617::btnOneShotClick}};
    connectGuardedButtons(this, buttons);
}

// ---------------------------------------------------------------- layout

QGroupBox* TfrmNE1617::readGroup(const QString& caption, const QString& name, QLabel* text, const QString& button)
{
    QGroupBox* g = makeGroup(caption, name, this);
    auto* row = new QHBoxLayout(g);
    if (text) {
        text->setParent(g);
        row->addWidget(text, 1);
    } else {
        row->addStretch(1);
    }
    row->addWidget(makeButton(tr("Read"), button, g), 0, Qt::AlignBottom);
    return g;
}

QSpinBox* TfrmNE1617::limitSpin(const QString& name, int start)
{
    auto* s = new QSpinBox(this);
    s->setObjectName(name);
    s->setRange(-128, 127);
    s->setValue(start);
    return s;
}

QList<QWidget*> TfrmNE1617::buildRegisters()
{
    QGroupBox* grbAddress = makeAddressGroup({std::begin(kAddresses), std::end(kAddresses)}, false);
    QGroupBox* grbAuto = makeGroup(tr("Automatic Write"), QStringLiteral("grbAutoWrite"), this);
    chbAutoWrite = new LedToggle(QStringLiteral("chbAutoWrite"), QString(), grbAuto);
    m_autoWrite = new AutoWriteToggle(chbAutoWrite);
    link().setAutoWrite(m_autoWrite);
    (new QHBoxLayout(grbAuto))->addWidget(chbAutoWrite);
    auto* top = new QWidget(this);
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->addWidget(grbAddress);
    topRow->addWidget(grbAuto);

    lblTempRIT = makeText(QStringLiteral("Internal Temp = 127") + deg(), QStringLiteral("lblTempRIT"), this);
    lblTempRET = makeText(QStringLiteral("External Temp = 0") + deg(), QStringLiteral("lblTempRET"), this);
    lblRCR = makeText(QStringLiteral("Conversion rate = 0.25 Hz"), QStringLiteral("lblRCR"), this);
    lblRIHL = makeText(QStringLiteral("Int High Temp Limit=127") + deg(), QStringLiteral("lblRIHL"), this);
    lblRILL = makeText(QStringLiteral("Int Low Temp Limit=-55") + deg(), QStringLiteral("lblRILL"), this);
    lblREHL = makeText(QStringLiteral("Ext High Temp Limit=127") + deg(), QStringLiteral("lblREHL"), this);
    lblRELL = makeText(QStringLiteral("Ext Low Temp Limit = -55") + deg(), QStringLiteral("lblRELL"), this);
    m_groups[kRIT] = readGroup("RIT Register (0x00)=0x00", "grbRIT", lblTempRIT, "btnReadReg0");
    m_groups[kRET] = readGroup("RET Register (0x01)=0x00", "grbRET", lblTempRET, "btnRET");
    m_groups[kRCR] = readGroup("RCR Register (0x04)=0x02", "grbRCR", lblRCR, "btnRCR");
    m_groups[kRIHL] = readGroup("RIHL Register (0x05)=0x7F", "grbRIHL", lblRIHL, "btnRIHL");
    m_groups[kRILL] = readGroup("RILL Register (0x06)=0xC9", "grbRILL", lblRILL, "btnRILL");
    m_groups[kREHL] = readGroup("REHL Register (0x07)=0x7F", "grbREHL", lblREHL, "btnREHL");
    m_groups[kRELL] = readGroup("RELL Register (0x08)=0xC9", "grbRELL", lblRELL, "btnRELL");

    // Status and configuration as read: boxes that only show.
    auto flagGroup = [this](const QString& caption, const QString& name, const tp::FlagTable& flags,
                            const QString& button, FlagBoxes*& boxes) {
        QGroupBox* g = makeGroup(caption, name, this);
        auto* column = new QVBoxLayout(g);
        auto* panel = new QWidget(g);
        panel->setObjectName(QStringLiteral("pnl") + name.mid(3));
        auto* inner = new QVBoxLayout(panel);
        inner->setContentsMargins(0, 0, 0, 0);
        inner->setSpacing(2);
        boxes = new FlagBoxes(panel, flags, kBlueBold);
        panel->setEnabled(false);
        column->addWidget(panel);
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addWidget(makeButton(tr("Read"), button, g));
        column->addLayout(row);
        return g;
    };
    m_groups[kRS] = flagGroup("Status Byte (0x02) = 0x00", "grbStatus", statusFlags(), "btnReadStatus", m_status);
    m_groups[kRC] = flagGroup("RC Register (0x03)=0x00", "grbRC", readConfigFlags(), "btnReadRC", m_readConfig);

    grbWC = makeGroup(QStringLiteral(" WC Register (0x09)=0x00"), QStringLiteral("grbWC"), this);
    auto* wcColumn = new QVBoxLayout(grbWC);
    wcColumn->setSpacing(2);
    m_writeConfig = new FlagBoxes(grbWC, writeConfigFlags(), kBlueBold);

    grbWCR = makeGroup(QStringLiteral(" WCR Register (0x0A)"), QStringLiteral("grbWCR"), this);
    cmbWCR = new QComboBox(grbWCR);
    cmbWCR->setObjectName(QStringLiteral("cmbWCR"));
    for (const char* item : kRateItems)
        cmbWCR->addItem(QString::fromLatin1(item));
    cmbWCR->setCurrentIndex(kStartRate);
    auto* wcrRow = new QHBoxLayout(grbWCR);
    wcrRow->addWidget(cmbWCR);
    wcrRow->addStretch(1);

    spnWIHL = limitSpin(QStringLiteral("spnWIHL"), 127);
    spnWILL = limitSpin(QStringLiteral("spnWILL"), -55);
    spnWEHL = limitSpin(QStringLiteral("spnWEHL"), 127);
    spnWELL = limitSpin(QStringLiteral("spnWELL"), -55);
    auto spinGroup = [this](const QString& title, const QString& name, QSpinBox* high, const QString& highName,
                            QSpinBox* low, const QString& lowName) {
        QGroupBox* g = makeGroup(title, name, this);
        auto* grid = new QGridLayout(g);
        auto* hl = new QLabel(highName, g);
        auto* ll = new QLabel(lowName, g);
        hl->setBuddy(high);
        ll->setBuddy(low);
        high->setParent(g);
        low->setParent(g);
        grid->addWidget(hl, 0, 0);
        grid->addWidget(high, 0, 1);
        grid->addWidget(ll, 1, 0);
        grid->addWidget(low, 1, 1);
        grid->setColumnStretch(2, 1);
        return g;
    };
    const QString c = QStringLiteral(" (") + deg() + ")";
    QGroupBox* grbInt = spinGroup(tr("Set Int Temp Limits") + c, QStringLiteral("grbIntLimits"), spnWIHL,
                                  QStringLiteral(" WIHL (0x0B)"), spnWILL, QStringLiteral(" WILL (0x0C)"));
    QGroupBox* grbExt = spinGroup(tr("Set Ext Temp Limits") + c, QStringLiteral("grbExtLimits"), spnWEHL,
                                  QStringLiteral(" WEHL (0x0D)"), spnWELL, QStringLiteral(" WELL (0x0E)"));

    auto* actions = new QWidget(this);
    auto* actionGrid = new QGridLayout(actions);
    actionGrid->setContentsMargins(0, 0, 0, 0);
    actionGrid->addWidget(makeButton(tr("Read All"), QStringLiteral("btnReadAll"), actions), 0, 0);
    actionGrid->addWidget(makeButton(tr("Write All"), QStringLiteral("btnWriteAll"), actions), 0, 1);
    actionGrid->addWidget(makeButton(tr("One Shot"), QStringLiteral("btnOneShot"), actions), 1, 1);

    return {column({top, m_groups[kRIT], m_groups[kRET], m_groups[kRS], m_groups[kRC]}),
            column({m_groups[kRCR], m_groups[kRIHL], m_groups[kRILL], m_groups[kREHL], m_groups[kRELL]}),
            column({grbWC, grbWCR, grbInt, grbExt, actions})};
}

// ---------------------------------------------------------------- transfers and displays

void TfrmNE1617::display(std::uint8_t reg, std::uint8_t value)
{
    m_groups[reg]->setTitle(readCaption(reg, value));
    const QString v = QString::number(signedValue(value)) + deg();
    switch (reg) {
    case kRIT:
        lblTempRIT->setText(QStringLiteral("Internal Temp=") + v);
        m_internal = signedValue(value);
        break;
    case kRET:
        lblTempRET->setText(QStringLiteral("External Tempe = ") + v);
        m_external = signedValue(value);
        break;
    case kRS:
        m_status->setValue(value);
        break;
    case kRC:
        m_readConfig->setValue(value);
        break;
    case kRCR:
        if (const auto rate = rateText(value))
            lblRCR->setText(QStringLiteral("Conversion rate=") + QString::fromStdString(*rate) + " Hz");
        break;
    case kRIHL:
        lblRIHL->setText(QStringLiteral("Int High Temp Limit=") + v);
        limitKnown(reg, signedValue(value));
        break;
    case kRILL:
        lblRILL->setText(QStringLiteral("Int Low Temp Limit=") + v);
        limitKnown(reg, signedValue(value));
        break;
    case kREHL:
        lblREHL->setText(QStringLiteral("Ext High Temp Limit=") + v);
        limitKnown(reg, signedValue(value));
        break;
    case kRELL:
        lblRELL->setText(QStringLiteral("Ext Low Temp Limit=") + v);
        limitKnown(reg, signedValue(value));
        break;
    default:
        break;
    }
}

void TfrmNE1617::limitKnown(std::uint8_t readReg, int celsius)
{
    // The plot shows the limits the chip holds as far as the window knows:
    // read, or written successfully.
    static const char* const kNames[] = {"Int high", "Int low", "Ext high", "Ext low"};
    plot()->setLimit(tr(kNames[readReg - kRIHL]), celsius, readReg >= kREHL ? 1 : 0);
}

tp::Status TfrmNE1617::readRegister(std::uint8_t reg, bool show)
{
    std::uint8_t v = 0;
    const tp::Status st = readByte(reg, v);
    if (st == tp::status::Success)
        display(reg, v);
    if (show || st != tp::status::Success)
        showStatus(st);
    return st;
}

void TfrmNE1617::autoWrite(std::uint8_t reg, std::uint8_t value)
{
    if (!m_autoWrite->isOn())
        return;
    const tp::Status st = writeByte(reg, value);
    showStatus(st);
    if (st != tp::status::Success)
        m_autoWrite->setOn(false); // its caption follows
    else if (reg >= kWIHL && reg <= kWELL)
        limitKnown(std::uint8_t(reg - 6), signedValue(value));
}

TemperaturePlot::Reading TfrmNE1617::poll()
{
    tp::Status st = readRegister(kRIT, false);
    if (st == tp::status::Success)
        st = readRegister(kRET, false);
    if (st != tp::status::Success)
        return {st, {}};
    return {st, {m_internal, m_external}};
}

// ---------------------------------------------------------------- handlers

void TfrmNE1617::chbAutoWriteClick()
{
    // The caption follows the state by itself.
}

void TfrmNE1617::btnReadReg0Click()
{
    readRegister(kRIT);
}

void TfrmNE1617::btnRETClick()
{
    readRegister(kRET);
}

void TfrmNE1617::btnReadStatusClick()
{
    readRegister(kRS);
}

void TfrmNE1617::btnReadRCClick()
{
    readRegister(kRC);
}

void TfrmNE1617::btnRCRClick()
{
    readRegister(kRCR);
}

void TfrmNE1617::btnRIHLClick()
{
    readRegister(kRIHL);
}

void TfrmNE1617::btnRILLClick()
{
    readRegister(kRILL);
}

void TfrmNE1617::btnREHLClick()
{
    readRegister(kREHL);
}

void TfrmNE1617::btnRELLClick()
{
    readRegister(kRELL);
}

void TfrmNE1617::chbWCClick()
{
    const std::uint8_t v = static_cast<std::uint8_t>(m_writeConfig->value());
    grbWC->setTitle(QStringLiteral(" WC Register (0x09)=0x") + hex2(v));
    autoWrite(kWC, v);
}

void TfrmNE1617::cmbWCRChange(int index)
{
    if (index < 0)
        return;
    grbWCR->setTitle(QStringLiteral(" WCR Register (0x0A)=0x") + hex2(index));
    autoWrite(kWCR, std::uint8_t(index));
}

void TfrmNE1617::spnWIHLChange()
{
    autoWrite(kWIHL, byteOf(spnWIHL->value()));
}

void TfrmNE1617::spnWILLChange()
{
    autoWrite(kWILL, byteOf(spnWILL->value()));
}

void TfrmNE1617::spnWEHLChange()
{
    autoWrite(kWEHL, byteOf(spnWEHL->value()));
}

void TfrmNE1617::spnWELLChange()
{
    autoWrite(kWELL, byteOf(spnWELL->value()));
}

void TfrmNE1617::btnReadAllClick()
{
    // Reads never touch the write controls: nothing is written back.
    for (std::uint8_t reg = kRIT; reg <= kRELL; ++reg)
        if (readRegister(reg) != tp::status::Success)
            break;
}

void TfrmNE1617::btnWriteAllClick()
{
    const bool wasOn = m_autoWrite->isOn();
    m_autoWrite->setOn(true);
    // A failing write switches Auto Write off, so the handlings after it write nothing.
    chbWCClick();
    cmbWCRChange(cmbWCR->currentIndex());
    spnWIHLChange();
    spnWILLChange();
    spnWEHLChange();
    spnWELLChange();
    m_autoWrite->setOn(wasOn);
}

void TfrmNE1617::btnOneShotClick()
{
    showStatus(writeByte(kOneShot, 0x00));
}
