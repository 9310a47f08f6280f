#include "gui/devices/thermal/SA56004.h"
#include "core/common/HexText.h"
#include "core/devices/thermal/Sa56004.h"
#include "core/devices/thermal/ThermalText.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/FlagBoxes.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuardedButtons.h"
#include "gui/common/HexSpinBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace tp::sa56004;
using tp::thermal::hexText;
using tp::thermal::kDegreesC;

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString deg()
{
    return QString::fromUtf8(kDegreesC);
}

QString hex2(int v)
{
    return qs(tp::intToHex(std::uint32_t(v), 2));
}

QList<std::uint8_t> addresses()
{
    QList<std::uint8_t> a;
    for (int i = 0; i < kAddressCount; ++i)
        a.append(std::uint8_t(kBaseAddress + 2 * i));
    return a;
}

const char* const kRates[kRateCount] = {"0.06 Hz", "0.12 Hz", "0.25 Hz", "0.50 Hz", "1.0 Hz",
                                        "2 Hz",    "4 Hz",    "8 Hz",    "16 Hz",   "32 Hz"};
constexpr int kStartRate = 8; // 16 Hz, the chip's power-on rate

const tp::StatusMessage kNoRate{" No rate chosen: nothing written", tp::colour::Red, std::nullopt,
                                tp::colour::White, tp::Align::Left, false};

} // namespace

TfrmSA56004::TfrmSA56004(TfrmMain& main, QWidget* parent)
    : TThermalForm(main, QStringLiteral("TfrmSA56004"), QString::fromLatin1(kChipType), parent),
      m_images(main.state().programData<Sa56004Images>())
{
    setWindowTitle(tr("SA56004A Temperature Sensor"));
    setPanels(buildRegisters(), {tr("Local"), tr("Remote")}, [this] { return poll(); });
    // The kept image is what the next box click changes: show it.
    showConfig();
    // The chip's power-on limits, as the spin boxes start.
    for (const auto& [reg, spin] : QList<QPair<std::uint8_t, HexSpinBox*>>{
             {kLHS, spnLHS}, {kLLS, spnLLS}, {kRHSHB, spnRHSHB}, {kRHSLB, spnRHSLB}, {kRLSHB, spnRLSHB},
             {kRLSLB, spnRLSLB}, {kRCS, spnRCS}, {kLCS, spnLCS}})
        m_chipBytes.insert(reg, std::uint8_t(spin->value()));
    showLimitTexts();
    // The form's own texts until the first read or change.
    lblTempLocal->setText(QStringLiteral("Local Temperature=70") + deg());
    lblTempRET->setText(QStringLiteral("Remote Temperature=0") + deg());
    lblLHS->setText(QStringLiteral("Local HIGH Setpoint = 70") + deg());
    lblLLS->setText(QStringLiteral("Local LOW Setpoint = 0") + deg());
    lblRHS->setText(QStringLiteral("Remote HIGH Setpoint = 70") + deg());
    lblRLS->setText(QStringLiteral("Remote LOW Setpoint = 0") + deg());
    lblRTO->setText(QStringLiteral("Remote Temp Offset=0") + deg());

    connect(chbAutoWrite, &QCheckBox::clicked, this, guarded(this, &TfrmSA56004::chbAutoWriteClick));
    connect(m_config, &FlagBoxes::clicked, this, guarded(this, &TfrmSA56004::chbConfigClick));
    connect(cmbCR, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmSA56004::cmbCRChange));
    const QList<QPair<HexSpinBox*, void (TfrmSA56004::*)()>> spins{
        {spnLHS, &TfrmSA56004::spnLHSChange},     {spnLLS, &TfrmSA56004::spnLLSChange},
        {spnRHSHB, &TfrmSA56004::spnRHSChange},   {spnRHSLB, &TfrmSA56004::spnRHSChange},
        {spnRLSHB, &TfrmSA56004::spnRLSChange},   {spnRLSLB, &TfrmSA56004::spnRLSChange},
        {spnRTOHB, &TfrmSA56004::spnRTOChange},   {spnRTOLB, &TfrmSA56004::spnRTOChange},
        {spnRCS, &TfrmSA56004::spnRCSChange},     {spnLCS, &TfrmSA56004::spnLCSChange},
        {spnTH, &TfrmSA56004::spnTHChange}};
    for (const auto& [s, slot] : spins)
        connect(s, &QSpinBox::valueChanged, this, guarded([this, slot = slot](int) { (this->*slot)(); }));
    connect(chbAlertMode, &QCheckBox::clicked, this, guarded(this, &TfrmSA56004::chbAlertModeClick));
    const QList<QPair<QString, void (TfrmSA56004::*)()>> buttons{
        {"btnReadLocalTemp", &TfrmSA56004::btnReadLocalTempClick},
        {"btnRemoteTemp", &TfrmSA56004::btnRemoteTempClick},
        {"btnReadStatus", &TfrmSA56004::btnReadStatusClick},
        {"btnReadCON", &TfrmSA56004::btnReadCONClick},
        {"btnWriteCON", &TfrmSA56004::btnWriteCONClick},
        {"btnReadCR", &TfrmSA56004::btnReadCRClick},
        {"btnWriteCR", &TfrmSA56004::btnWriteCRClick},
        {"btnReadLocalLimits", &TfrmSA56004::btnReadLocalLimitsClick},
        {"btnWriteLocalLimits", &TfrmSA56004::btnWriteLocalLimitsClick},
        {"btnReadRemoteTempLimits", &TfrmSA56004::btnReadRemoteTempLimitsClick},
        {"btnWriteRemoteTempLimits", &TfrmSA56004::btnWriteRemoteTempLimitsClick},
        {"btnReadRTO", &TfrmSA56004::btnReadRTOClick},
        {"btnWriteRTO", &TfrmSA56004::btnWriteRTOClick},
        {"btnReadRemoteT_CRIT", &TfrmSA56004::btnReadRemoteT_CRITClick},
        {"btnWriteRemoteTCRIT", &TfrmSA56004::btnWriteRemoteTCRITClick},
        {"btnReadT_CRIT", &TfrmSA56004::btnReadT_CRITClick},
        {"btnWriteLocalTCRIT", &TfrmSA56004::btnWriteLocalTCRITClick},
        {"btnReadTH", &TfrmSA56004::btnReadTHClick},
        {"btnWriteTH", &TfrmSA56004::btnWriteTHClick},
        {"btnReadID", &TfrmSA56004::btnReadIDClick},
        {"btnOneShot", &TfrmSA56004::btnOneShotClick},
        {"btnWriteAll", &TfrmSA56004::btnWriteAllClick}};
    connectGuardedButtons(this, buttons);
}

// ---------------------------------------------------------------- layout

HexSpinBox* TfrmSA56004::spin(const QString& name, int start, const QString& hint, int maximum, int step)
{
    auto* s = new HexSpinBox(name, 0, maximum, step);
    s->setValueQuietly(start);
    s->setToolTip(hint);
    return s;
}

QGroupBox* TfrmSA56004::buildTemperature(bool remote, QWidget* parent)
{
    QGroupBox* grb = makeGroup(remote ? QStringLiteral("Remote Temperature (") + deg() + ")"
                                      : QStringLiteral("Local Temperature (") + deg() + ")",
                               remote ? QStringLiteral("grbRemoteTemp") : QStringLiteral("grbLocalTemp"), parent);
    auto* g = new QGridLayout(grb);
    QLabel* hb = makeText(remote ? "RTHB=0x00" : "LTHB=0x00", remote ? "lblRTHB" : "lblLTHB", grb);
    QLabel* lb = makeText(remote ? "RTLB=0x00" : "LTLB=0x00", remote ? "lblRTLB" : "lblLTLB", grb);
    QLabel* t = makeText(QString(), remote ? "lblTempRET" : "lblTempLocal", grb);
    QPushButton* read = makeButton(tr("Read"), remote ? "btnRemoteTemp" : "btnReadLocalTemp", grb);
    g->addWidget(hb, 0, 0);
    g->addWidget(lb, 0, 1);
    g->addWidget(read, 0, 3);
    g->addWidget(t, 1, 0, 1, 3);
    g->setColumnStretch(2, 1);
    (remote ? lblRTHB : lblLTHB) = hb;
    (remote ? lblRTLB : lblLTLB) = lb;
    (remote ? lblTempRET : lblTempLocal) = t;
    return grb;
}

QGroupBox* TfrmSA56004::buildSpinGroup(const QString& title, const QString& name, QWidget* parent,
                                       const QList<SpinRow>& rows, const QString& readName, const QString& writeName)
{
    QGroupBox* grb = makeGroup(title, name, parent);
    auto* g = new QGridLayout(grb);
    for (int r = 0; r < rows.size(); ++r) {
        auto* spins = new QHBoxLayout;
        for (HexSpinBox* s : rows[r].first) {
            s->setParent(grb);
            spins->addWidget(s);
        }
        spins->addStretch(1);
        g->addLayout(spins, r, 0);
        rows[r].second->setParent(grb);
        g->addWidget(rows[r].second, r, 1);
    }
    // Buttons beside a single row, stacked beside two.
    QBoxLayout* buttons = rows.size() > 1 ? static_cast<QBoxLayout*>(new QVBoxLayout) : new QHBoxLayout;
    buttons->addWidget(makeButton(tr("Read"), readName, grb));
    buttons->addWidget(makeButton(tr("Write"), writeName, grb));
    g->addLayout(buttons, 0, 2, std::max<int>(1, rows.size()), 1, Qt::AlignTop);
    g->setColumnStretch(1, 1);
    return grb;
}

QList<QWidget*> TfrmSA56004::buildRegisters()
{
    auto* panel = this; // the columns take the controls over

    QGroupBox* grbAddress = makeAddressGroup(addresses(), true);
    QGroupBox* grbAuto = makeGroup(tr("Automatic Write"), QStringLiteral("grbAutoWrite"), panel);
    chbAutoWrite = new QCheckBox(grbAuto);
    chbAutoWrite->setObjectName(QStringLiteral("chbAutoWrite"));
    m_autoWrite = new AutoWriteToggle(chbAutoWrite, tp::AutoWriteCaption::GreenRed);
    link().setAutoWrite(m_autoWrite);
    (new QHBoxLayout(grbAuto))->addWidget(chbAutoWrite);

    // Status: boxes that only show.
    grbStatus = makeGroup(QStringLiteral("Status Register=0x00"), QStringLiteral("grbStatus"), panel);
    auto* sg = new QVBoxLayout(grbStatus);
    auto* pnlStatus = new QWidget(grbStatus);
    pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    auto* statusColumn = new QVBoxLayout(pnlStatus);
    statusColumn->setContentsMargins(0, 0, 0, 0);
    statusColumn->setSpacing(2);
    m_status = new FlagBoxes(pnlStatus, statusFlags(), FlagBoxes::Style{});
    pnlStatus->setEnabled(false);
    sg->addWidget(pnlStatus);
    auto* statusRead = new QHBoxLayout;
    statusRead->addStretch(1);
    statusRead->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadStatus"), grbStatus));
    sg->addLayout(statusRead);

    grbConfiguration = makeGroup(QString(), QStringLiteral("grbConfiguration"), panel);
    auto* cg = new QVBoxLayout(grbConfiguration);
    auto* pnlConfig = new QWidget(grbConfiguration);
    pnlConfig->setObjectName(QStringLiteral("pnlConfiguration"));
    auto* configColumn = new QVBoxLayout(pnlConfig);
    configColumn->setContentsMargins(0, 0, 0, 0);
    configColumn->setSpacing(2);
    m_config = new FlagBoxes(pnlConfig, configFlags(), FlagBoxes::Style{});
    cg->addWidget(pnlConfig);
    auto* configButtons = new QHBoxLayout;
    configButtons->addStretch(1);
    configButtons->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadCON"), grbConfiguration));
    configButtons->addWidget(makeButton(tr("Write"), QStringLiteral("btnWriteCON"), grbConfiguration));
    cg->addLayout(configButtons);

    QGroupBox* grbCR = makeGroup(tr("Conversion Rate (CR)"), QStringLiteral("grbCR"), panel);
    cmbCR = new QComboBox(grbCR);
    cmbCR->setObjectName(QStringLiteral("cmbCR"));
    for (const char* r : kRates)
        cmbCR->addItem(QString::fromLatin1(r));
    cmbCR->setCurrentIndex(kStartRate);
    auto* crRow = new QHBoxLayout(grbCR);
    crRow->addWidget(cmbCR);
    crRow->addStretch(1);
    crRow->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadCR"), grbCR));
    crRow->addWidget(makeButton(tr("Write"), QStringLiteral("btnWriteCR"), grbCR));

    spnLHS = spin(QStringLiteral("spnLHS"), 0x46, tr("LHS: local high setpoint (written at 0x0B)"));
    spnLLS = spin(QStringLiteral("spnLLS"), 0x00, tr("LLS: local low setpoint (written at 0x0C)"));
    spnRHSHB = spin(QStringLiteral("spnRHSHB"), 0x46, tr("RHSHB: remote high setpoint, high byte (0x0D)"));
    spnRHSLB = spin(QStringLiteral("spnRHSLB"), 0x00, tr("RHSLB: remote high setpoint, low byte (0x13)"), 0xE0, 0x20);
    spnRLSHB = spin(QStringLiteral("spnRLSHB"), 0x00, tr("RLSHB: remote low setpoint, high byte (0x0E)"));
    spnRLSLB = spin(QStringLiteral("spnRLSLB"), 0x00, tr("RLSLB: remote low setpoint, low byte (0x14)"), 0xE0, 0x20);
    spnRTOHB = spin(QStringLiteral("spnRTOHB"), 0x00, tr("RTOHB: remote offset, high byte (0x11)"));
    spnRTOLB = spin(QStringLiteral("spnRTOLB"), 0x00, tr("RTOLB: remote offset, low byte (0x12)"), 0xE0, 0x20);
    spnRCS = spin(QStringLiteral("spnRCS"), 0x55, tr("RCS: remote T_CRIT (0x19)"));
    spnLCS = spin(QStringLiteral("spnLCS"), 0x55, tr("LCS: local T_CRIT (0x20)"));
    spnTH = spin(QStringLiteral("spnTH"), 0x0A, tr("TH: T_CRIT hysteresis (0x21)"));
    lblLHS = makeText(QString(), QStringLiteral("lblLHS"), panel);
    lblLLS = makeText(QString(), QStringLiteral("lblLLS"), panel);
    lblRHS = makeText(QString(), QStringLiteral("lblRHS"), panel);
    lblRLS = makeText(QString(), QStringLiteral("lblRLS"), panel);
    lblRTO = makeText(QString(), QStringLiteral("lblRTO"), panel);
    lblRCS = makeText(QString(), QStringLiteral("lblRCS"), panel);
    lblLCS = makeText(QString(), QStringLiteral("lblLCS"), panel);
    lblTH = makeText(QString(), QStringLiteral("lblTH"), panel);
    const QString c = QStringLiteral(" (") + deg() + ")";
    QGroupBox* grbLocalLimits =
        buildSpinGroup(tr("Local Temp Limits") + c, QStringLiteral("grbLocalLimits"), panel,
                       {{{spnLHS}, lblLHS}, {{spnLLS}, lblLLS}}, "btnReadLocalLimits", "btnWriteLocalLimits");
    QGroupBox* grbRemoteLimits = buildSpinGroup(tr("Remote Temp Limits") + c, QStringLiteral("grbRemoteLimits"),
                                                panel, {{{spnRHSHB, spnRHSLB}, lblRHS}, {{spnRLSHB, spnRLSLB}, lblRLS}},
                                                "btnReadRemoteTempLimits", "btnWriteRemoteTempLimits");
    QGroupBox* grbRTO = buildSpinGroup(tr("Remote Temperature Offset") + c, QStringLiteral("grbRTO"), panel,
                                       {{{spnRTOHB, spnRTOLB}, lblRTO}}, "btnReadRTO", "btnWriteRTO");
    QGroupBox* grbRCS = buildSpinGroup(tr("Remote T_CRIT") + c, QStringLiteral("grbRCS"), panel, {{{spnRCS}, lblRCS}},
                                       "btnReadRemoteT_CRIT", "btnWriteRemoteTCRIT");
    QGroupBox* grbLCS = buildSpinGroup(tr("Local T_CRIT") + c, QStringLiteral("grbLCS"), panel, {{{spnLCS}, lblLCS}},
                                       "btnReadT_CRIT", "btnWriteLocalTCRIT");
    QGroupBox* grbTH = buildSpinGroup(tr("T_CRIT Hysteresis"), QStringLiteral("grbTH"), panel, {{{spnTH}, lblTH}},
                                      "btnReadTH", "btnWriteTH");
    lblTH->setText(QStringLiteral("Hysteresis=10") + deg());

    QGroupBox* grbAlert = makeGroup(tr("Alert Mode"), QStringLiteral("grbAlertMode"), panel);
    chbAlertMode = new QCheckBox(tr("Interrupt Mode"), grbAlert);
    chbAlertMode->setObjectName(QStringLiteral("chbAlertMode"));
    chbAlertMode->setToolTip(tr("Written at 0xBF while Auto Write is on"));
    (new QHBoxLayout(grbAlert))->addWidget(chbAlertMode);

    QGroupBox* grbID = makeGroup(tr("Identification"), QStringLiteral("grbID"), panel);
    lblID = makeText(QStringLiteral("RMID = 0xXX"), QStringLiteral("lblID"), grbID);
    lblRDR = makeText(QStringLiteral("RDR = 0xXX"), QStringLiteral("lblRDR"), grbID);
    auto* idRow = new QHBoxLayout(grbID);
    idRow->addWidget(lblID);
    idRow->addWidget(lblRDR);
    idRow->addStretch(1);
    idRow->addWidget(makeButton(tr("Read ID"), QStringLiteral("btnReadID"), grbID));

    auto* top = new QWidget;
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->addWidget(grbAddress);
    topRow->addWidget(grbAuto);
    auto* modeAndId = new QWidget;
    auto* modeRow = new QHBoxLayout(modeAndId);
    modeRow->setContentsMargins(0, 0, 0, 0);
    modeRow->addWidget(grbAlert);
    modeRow->addWidget(grbID, 1);
    auto* actions = new QWidget;
    auto* actionRow = new QHBoxLayout(actions);
    actionRow->setContentsMargins(0, 0, 0, 0);
    actionRow->addStretch(1);
    actionRow->addWidget(makeButton(tr("One Shot"), QStringLiteral("btnOneShot"), actions));
    actionRow->addWidget(makeButton(tr("Write All"), QStringLiteral("btnWriteAll"), actions));
    return {column({top, buildTemperature(false, panel), buildTemperature(true, panel), grbStatus, grbConfiguration}),
            column({grbCR, grbLocalLimits, grbRemoteLimits, grbRTO, grbRCS, grbLCS, grbTH, modeAndId, actions})};
}

// ---------------------------------------------------------------- transfers

tp::Status TfrmSA56004::readReg(std::uint8_t readNumber, std::uint8_t& value)
{
    const tp::Status st = readByte(readNumber, value);
    if (st == tp::status::Success && m_chipBytes.contains(readNumber))
        m_chipBytes.insert(readNumber, value);
    return st;
}

tp::Status TfrmSA56004::writeReg(std::uint8_t readNumber, std::uint8_t value)
{
    const tp::Status st = writeByte(writeNumber(readNumber), value);
    if (st == tp::status::Success && m_chipBytes.contains(readNumber))
        m_chipBytes.insert(readNumber, value);
    return st;
}

tp::Status TfrmSA56004::writeRegs(const QList<QPair<std::uint8_t, std::uint8_t>>& writes)
{
    tp::Status st = tp::status::Success;
    for (const auto& [reg, value] : writes) {
        st = writeReg(reg, value);
        if (st != tp::status::Success)
            break;
    }
    showPlotLimits();
    showStatus(st);
    return st;
}

void TfrmSA56004::autoWrite(const QList<QPair<std::uint8_t, std::uint8_t>>& writes)
{
    if (!m_autoWrite->isOn())
        return;
    m_autoStatus = writeRegs(writes);
    if (m_autoStatus != tp::status::Success)
        m_autoWrite->setOn(false); // shows "Off" in red
}

// ---------------------------------------------------------------- displays

void TfrmSA56004::showConfig()
{
    grbConfiguration->setTitle(QStringLiteral("Configuration = 0x") + hex2(m_images.config));
    m_config->setValue(m_images.config);
}

void TfrmSA56004::showLimitTexts()
{
    const char sep = decimalSeparator();
    auto limit = [](HexSpinBox* s) { return QString::number(limitValue(std::uint8_t(s->value()))); };
    auto eleven = [sep](HexSpinBox* hb, HexSpinBox* lb) {
        return qs(elevenBitText(std::uint8_t(hb->value()), std::uint8_t(lb->value()), sep));
    };
    lblLHS->setText(QStringLiteral("Local HIGH Setpoint=") + limit(spnLHS) + deg());
    lblLLS->setText(QStringLiteral("Local LOW Setpoint=") + limit(spnLLS) + deg());
    lblRHS->setText(QStringLiteral("Remote HIGH Setpoint=") + eleven(spnRHSHB, spnRHSLB) + deg());
    lblRLS->setText(QStringLiteral("Remote LOW Setpoint=") + eleven(spnRLSHB, spnRLSLB) + deg());
    lblRTO->setText(QStringLiteral("Remote Temp Offset=") + eleven(spnRTOHB, spnRTOLB) + deg());
    lblRCS->setText(QStringLiteral("T_CRIT=") + limit(spnRCS) + deg());
    lblLCS->setText(QStringLiteral("T_CRIT=") + limit(spnLCS) + deg());
    lblTH->setText(QStringLiteral("Hysteresis=") + QString::number(hysteresisValue(std::uint8_t(spnTH->value()))) +
                   deg());

    showPlotLimits();
}

void TfrmSA56004::showPlotLimits()
{
    struct Line {
        const char* name;
        std::uint8_t reg, low; // low: the remote limits' low byte, or 0
        HexSpinBox *spin, *lowSpin;
        int channel;
    };
    const Line lines[] = {{"Local high", kLHS, 0, spnLHS, nullptr, 0},
                          {"Local low", kLLS, 0, spnLLS, nullptr, 0},
                          {"Remote high", kRHSHB, kRHSLB, spnRHSHB, spnRHSLB, 1},
                          {"Remote low", kRLSHB, kRLSLB, spnRLSHB, spnRLSLB, 1},
                          {"Local T_CRIT", kLCS, 0, spnLCS, nullptr, 0},
                          {"Remote T_CRIT", kRCS, 0, spnRCS, nullptr, 1}};
    // A limit with a low byte (the remote ones) has eleven bits, the others eight.
    auto celsius = [](const Line& l, std::uint8_t high, std::uint8_t low) {
        return l.lowSpin ? elevenBitCount(high, low) * kStep : double(limitValue(high));
    };
    for (const Line& l : lines) {
        const std::uint8_t chipLow = l.lowSpin ? std::uint8_t(m_chipBytes.value(l.low) & 0xE0) : 0;
        const std::uint8_t shownLow = l.lowSpin ? std::uint8_t(l.lowSpin->value()) : 0;
        plot()->setLimit(tr(l.name), celsius(l, m_chipBytes.value(l.reg), chipLow), l.channel);
        plot()->setEditedLimit(tr(l.name), celsius(l, std::uint8_t(l.spin->value()), shownLow));
    }
}

tp::Status TfrmSA56004::readTemperature(bool remote, bool show)
{
    std::uint8_t high = 0, low = 0;
    tp::Status st = readReg(remote ? kRTHB : kLTHB, high);
    if (st == tp::status::Success)
        st = readReg(remote ? kRTLB : kLTLB, low);
    if (st == tp::status::Success) {
        const QString t = qs(elevenBitText(high, low, decimalSeparator())) + deg();
        if (remote) {
            lblRTHB->setText(QStringLiteral("RTHB=0x") + hex2(high));
            lblRTLB->setText(QStringLiteral("RTLB=0x") + hex2(low));
            lblTempRET->setText(QStringLiteral("Remote Temperature=") + t);
            m_remote = elevenBitCount(high, low) * kStep;
        } else {
            lblLTHB->setText(QStringLiteral("LTHB=0x") + hex2(high));
            lblLTLB->setText(QStringLiteral("LTLB=0x") + hex2(low));
            lblTempLocal->setText(QStringLiteral("Local Temperature =") + t);
            m_local = elevenBitCount(high, low) * kStep;
        }
    }
    if (show || st != tp::status::Success)
        showStatus(st);
    return st;
}

TemperaturePlot::Reading TfrmSA56004::poll()
{
    tp::Status st = readTemperature(false, false);
    if (st == tp::status::Success)
        st = readTemperature(true, false);
    if (st != tp::status::Success)
        return {st, {}};
    return {st, {m_local, m_remote}};
}

// ---------------------------------------------------------------- handlers

void TfrmSA56004::chbAutoWriteClick()
{
    // The caption and its colour follow the state by themselves.
}

void TfrmSA56004::btnReadLocalTempClick()
{
    readTemperature(false, true);
}

void TfrmSA56004::btnRemoteTempClick()
{
    readTemperature(true, true);
}

void TfrmSA56004::btnReadStatusClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kSR, v);
    if (st == tp::status::Success) {
        grbStatus->setTitle(QStringLiteral("Status Byte (0x02) = 0x") + hex2(v));
        m_status->setValue(v);
    }
    showStatus(st);
}

void TfrmSA56004::btnReadCONClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kCON, v);
    if (st == tp::status::Success) {
        m_images.config = v;
        showConfig();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteCONClick()
{
    writeRegs({{kCON, m_images.config}});
}

void TfrmSA56004::chbConfigClick(quint16 mask, bool set)
{
    m_images.config = static_cast<std::uint8_t>(set ? m_images.config | mask : m_images.config & ~mask);
    showConfig();
    autoWrite({{kCON, m_images.config}});
}

void TfrmSA56004::btnReadCRClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kCR, v);
    if (st == tp::status::Success) {
        const int rate = v & 0x0F;
        const QSignalBlocker block(cmbCR); // showing a value read writes nothing
        cmbCR->setCurrentIndex(isRate(rate) ? rate : -1);
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteCRClick()
{
    if (cmbCR->currentIndex() < 0) {
        main().showStatus(kNoRate);
        return;
    }
    writeRegs({{kCR, std::uint8_t(cmbCR->currentIndex())}});
}

void TfrmSA56004::cmbCRChange(int index)
{
    if (index >= 0)
        autoWrite({{kCR, std::uint8_t(index)}});
}

void TfrmSA56004::spnLHSChange()
{
    showLimitTexts();
    autoWrite({{kLHS, std::uint8_t(spnLHS->value())}});
}

void TfrmSA56004::spnLLSChange()
{
    showLimitTexts();
    autoWrite({{kLLS, std::uint8_t(spnLLS->value())}});
}

void TfrmSA56004::spnRHSChange()
{
    showLimitTexts();
    autoWrite({{kRHSHB, std::uint8_t(spnRHSHB->value())}, {kRHSLB, std::uint8_t(spnRHSLB->value())}});
}

void TfrmSA56004::spnRLSChange()
{
    showLimitTexts();
    autoWrite({{kRLSHB, std::uint8_t(spnRLSHB->value())}, {kRLSLB, std::uint8_t(spnRLSLB->value())}});
}

void TfrmSA56004::spnRTOChange()
{
    showLimitTexts();
    autoWrite({{kRTOHB, std::uint8_t(spnRTOHB->value())}, {kRTOLB, std::uint8_t(spnRTOLB->value())}});
}

void TfrmSA56004::spnRCSChange()
{
    showLimitTexts();
    autoWrite({{kRCS, std::uint8_t(spnRCS->value())}});
}

void TfrmSA56004::spnLCSChange()
{
    showLimitTexts();
    autoWrite({{kLCS, std::uint8_t(spnLCS->value())}});
}

void TfrmSA56004::spnTHChange()
{
    showLimitTexts();
    autoWrite({{kTH, std::uint8_t(spnTH->value())}});
}

void TfrmSA56004::btnReadLocalLimitsClick()
{
    // Both limits arrive before either is shown; a failed read changes no text.
    std::uint8_t high = 0, low = 0;
    tp::Status st = readReg(kLHS, high);
    if (st == tp::status::Success)
        st = readReg(kLLS, low);
    if (st == tp::status::Success) {
        spnLHS->setValueQuietly(high);
        spnLLS->setValueQuietly(low);
        showLimitTexts();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteLocalLimitsClick()
{
    writeRegs({{kLHS, std::uint8_t(spnLHS->value())}, {kLLS, std::uint8_t(spnLLS->value())}});
}

void TfrmSA56004::btnReadRemoteTempLimitsClick()
{
    // All four bytes arrive before any is shown; a failed read changes no text.
    std::uint8_t highHb = 0, highLb = 0, lowHb = 0, lowLb = 0;
    tp::Status st = readReg(kRHSHB, highHb);
    if (st == tp::status::Success)
        st = readReg(kRHSLB, highLb);
    if (st == tp::status::Success)
        st = readReg(kRLSHB, lowHb);
    if (st == tp::status::Success)
        st = readReg(kRLSLB, lowLb);
    if (st == tp::status::Success) {
        spnRHSHB->setValueQuietly(highHb);
        spnRHSLB->setValueQuietly(highLb & 0xE0);
        spnRLSHB->setValueQuietly(lowHb);
        spnRLSLB->setValueQuietly(lowLb & 0xE0);
        showLimitTexts();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteRemoteTempLimitsClick()
{
    writeRegs({{kRHSHB, std::uint8_t(spnRHSHB->value())},
               {kRLSHB, std::uint8_t(spnRLSHB->value())},
               {kRHSLB, std::uint8_t(spnRHSLB->value())},
               {kRLSLB, std::uint8_t(spnRLSLB->value())}});
}

void TfrmSA56004::btnReadRTOClick()
{
    std::uint8_t v = 0;
    tp::Status st = readReg(kRTOHB, v);
    if (st == tp::status::Success) {
        spnRTOHB->setValueQuietly(v);
        st = readReg(kRTOLB, v);
        if (st == tp::status::Success)
            spnRTOLB->setValueQuietly(v & 0xE0);
    }
    showLimitTexts();
    showStatus(st);
}

void TfrmSA56004::btnWriteRTOClick()
{
    m_autoStatus = writeRegs({{kRTOHB, std::uint8_t(spnRTOHB->value())}, {kRTOLB, std::uint8_t(spnRTOLB->value())}});
}

void TfrmSA56004::btnReadRemoteT_CRITClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kRCS, v);
    if (st == tp::status::Success) {
        spnRCS->setValueQuietly(v);
        showLimitTexts();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteRemoteTCRITClick()
{
    writeRegs({{kRCS, std::uint8_t(spnRCS->value())}});
}

void TfrmSA56004::btnReadT_CRITClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kLCS, v);
    if (st == tp::status::Success) {
        spnLCS->setValueQuietly(v);
        showLimitTexts();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteLocalTCRITClick()
{
    writeRegs({{kLCS, std::uint8_t(spnLCS->value())}});
}

void TfrmSA56004::btnReadTHClick()
{
    std::uint8_t v = 0;
    const tp::Status st = readReg(kTH, v);
    if (st == tp::status::Success) {
        spnTH->setValueQuietly(v);
        showLimitTexts();
    }
    showStatus(st);
}

void TfrmSA56004::btnWriteTHClick()
{
    writeRegs({{kTH, std::uint8_t(spnTH->value())}});
}

void TfrmSA56004::chbAlertModeClick()
{
    const bool comparator = chbAlertMode->isChecked();
    chbAlertMode->setText(comparator ? tr("Comparator Mode") : tr("Interrupt Mode"));
    autoWrite({{kAM, std::uint8_t(comparator ? 1 : 0)}});
}

void TfrmSA56004::btnReadIDClick()
{
    std::uint8_t v = 0;
    tp::Status st = readReg(kRMID, v);
    if (st == tp::status::Success) {
        lblID->setText(QStringLiteral("RMID=0x") + hex2(v));
        st = readReg(kRDR, v);
        if (st == tp::status::Success)
            lblRDR->setText(QStringLiteral("RDR=0x") + hex2(v));
    }
    showStatus(st);
}

void TfrmSA56004::btnOneShotClick()
{
    // Any data byte starts the conversion.
    showStatus(writeReg(kOneShot, 0x00));
}

void TfrmSA56004::btnWriteAllClick()
{
    const bool wasOn = m_autoWrite->isOn();
    QList<QPair<std::uint8_t, std::uint8_t>> writes{{kCON, m_images.config}};
    // With no rate chosen (a reserved value was read) the rate is left as the chip has it.
    if (cmbCR->currentIndex() >= 0)
        writes.append({kCR, std::uint8_t(cmbCR->currentIndex())});
    writes.append({{kLHS, std::uint8_t(spnLHS->value())},
                   {kLLS, std::uint8_t(spnLLS->value())},
                   {kRHSHB, std::uint8_t(spnRHSHB->value())},
                   {kRLSHB, std::uint8_t(spnRLSHB->value())},
                   {kRTOHB, std::uint8_t(spnRTOHB->value())},
                   {kRTOLB, std::uint8_t(spnRTOLB->value())},
                   {kRHSLB, std::uint8_t(spnRHSLB->value())},
                   {kRLSLB, std::uint8_t(spnRLSLB->value())},
                   {kRCS, std::uint8_t(spnRCS->value())},
                   {kLCS, std::uint8_t(spnLCS->value())}});
    tp::Status st = tp::status::Success;
    for (const auto& [reg, value] : writes) {
        st = m_autoStatus = writeReg(reg, value);
        if (st != tp::status::Success)
            break;
    }
    if (st != tp::status::Success) {
        showStatus(st);
        m_autoWrite->setOn(false); // stays off after a failure
        return;
    }
    st = m_autoStatus = writeReg(kTH, std::uint8_t(spnTH->value()));
    showStatus(st);
    m_autoWrite->setOn(wasOn);
}
