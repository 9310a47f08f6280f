#include "gui/devices/thermal/SE98.h"
#include "core/common/HexText.h"
#include "core/devices/thermal/Se98.h"
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

using namespace tp::se98;

namespace {

QString deg()
{
    return QString::fromUtf8(tp::thermal::kDegreesC);
}

QString hex4(int v)
{
    return QString::fromStdString(tp::intToHex(std::uint32_t(v), 4));
}

QString registerName(std::uint8_t reg)
{
    switch (reg) {
    case kUpper:
        return QStringLiteral("Upper Trip");
    case kLower:
        return QStringLiteral("Lower Trip");
    case kCritical:
        return QStringLiteral("Critical Trip");
    case kConfig:
        return QStringLiteral("Configuration");
    case kSmbus:
        return QStringLiteral("SMBus");
    default:
        return QStringLiteral("Register 0x") + hex4(reg).right(2);
    }
}

// The bits of a written value the chip must then report; 0: not read back.
std::uint16_t keptBits(std::uint8_t reg)
{
    switch (reg) {
    case kUpper:
    case kLower:
    case kCritical:
        return kTripMask;
    case kConfig:
        return 0x07CF; // ESTAT is the chip's, CEVNT reads 0, 15-11 are reserved
    default:
        return 0;
    }
}

QList<std::uint8_t> addresses()
{
    QList<std::uint8_t> a;
    for (int i = 0; i < kAddressCount; ++i)
        a.append(std::uint8_t(kBaseAddress + 2 * i));
    return a;
}

} // namespace

TfrmSE98::TfrmSE98(TfrmMain& main, QWidget* parent)
    : TThermalForm(main, QStringLiteral("TfrmSE98"), QString::fromLatin1(kChipType), parent),
      m_images(main.state().programData<Se98Images>())
{
    setWindowTitle(tr("SE98 Temperature Sensor"));
    m_upper = {kUpper, nullptr, nullptr, nullptr, "Upper Trip Temperature=", "Upper"};
    m_lower = {kLower, nullptr, nullptr, nullptr, "Lower Trip Temperature=", "Lower"};
    m_critical = {kCritical, nullptr, nullptr, nullptr, "Critical Trip Temperature=", "Critical"};
    setPanels(buildRegisters(), {tr("Temperature")}, [this] { return poll(); });
    for (const Trip* t : {&m_upper, &m_lower, &m_critical})
        plot()->setLimit(tr(t->limit), tripCelsius(tripWord(*t)));

    // A kept image is what the next box click changes: show it. Untouched,
    // the boxes stay grey until the first read or click.
    grbConfig->setTitle(QStringLiteral("Configuration=0x") + hex4(m_images.config));
    if (m_images.configKnown || m_images.config != 0)
        showConfig();
    // Another chip: its locks are not known yet.
    connect(addressList(), &QComboBox::currentIndexChanged, this, guarded([this] { m_chipConfig.reset(); }));

    connect(chbAutoWrite, &QCheckBox::clicked, this, guarded(this, &TfrmSE98::chbAutoWriteClick));
    connect(m_config, &FlagBoxes::clicked, this, guarded(this, &TfrmSE98::chbConClick));
    connect(cmbHEN, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmSE98::cmbHENChange));
    connect(m_smbus, &FlagBoxes::clicked, this, guarded([this] { chbSMBUSClick(); }));
    for (HexSpinBox* s : {m_upper.high, m_upper.low})
        connect(s, &QSpinBox::valueChanged, this, guarded([this] { spnUBTChange(); }));
    for (HexSpinBox* s : {m_lower.high, m_lower.low})
        connect(s, &QSpinBox::valueChanged, this, guarded([this] { spnLBTChange(); }));
    for (HexSpinBox* s : {m_critical.high, m_critical.low})
        connect(s, &QSpinBox::valueChanged, this, guarded([this] { spnCTChange(); }));
    const QList<QPair<QString, void (TfrmSE98::*)()>> buttons{
        {"btnReadLocalTemp", &TfrmSE98::btnReadLocalTempClick},
        {"btnReadCON", &TfrmSE98::btnReadCONClick},
        {"btnWriteCON", &TfrmSE98::btnWriteCONClick},
        {"btnReadUBT", &TfrmSE98::btnReadUBTClick},
        {"btnWriteUBT", &TfrmSE98::btnWriteUBTClick},
        {"btnReadLBT", &TfrmSE98::btnReadLBTClick},
        {"btnWriteLBT", &TfrmSE98::btnWriteLBTClick},
        {"btnReadCAT", &TfrmSE98::btnReadCATClick},
        {"btnWriteCT", &TfrmSE98::btnWriteCTClick},
        {"btnReadSMBus", &TfrmSE98::btnReadSMBusClick},
        {"btnWriteSMBus", &TfrmSE98::btnWriteSMBusClick},
        {"btnCapability", &TfrmSE98::btnCapabilityClick},
        {"btnReadID", &TfrmSE98::btnReadIDClick},
        {"btnDeviceID", &TfrmSE98::btnDeviceIDClick},
        {"btnReadAll", &TfrmSE98::btnReadAllClick},
        {"btnWriteAll", &TfrmSE98::btnWriteAllClick}};
    connectGuardedButtons(this, buttons);
}

// ---------------------------------------------------------------- layout

QGroupBox* TfrmSE98::buildTrip(Trip& t, const QString& title, const QString& name, const QString& read,
                               const QString& write)
{
    QGroupBox* g = makeGroup(title, name, this);
    const QString stem = name.mid(3); // "UBT", "LBT", "CT"
    t.high = new HexSpinBox(QStringLiteral("spn%1H").arg(stem), 0x00, 0x1F, 1, g);
    t.low = new HexSpinBox(QStringLiteral("spn%1L").arg(stem), 0x00, 0xFC, 4, g);
    t.high->setToolTip(tr("High byte: sign, then 128 \u2026 16 \u00B0C"));
    t.low->setToolTip(tr("Low byte: 8 \u2026 0.25 \u00B0C"));
    t.text = makeText(QString::fromLatin1(t.caption) + "0" + deg(), QStringLiteral("lbl") + stem, g);
    auto* grid = new QGridLayout(g);
    grid->addWidget(t.high, 0, 0);
    grid->addWidget(t.low, 0, 1);
    grid->addWidget(makeButton(tr("Read"), read, g), 0, 3);
    grid->addWidget(makeButton(tr("Write"), write, g), 0, 4);
    grid->addWidget(t.text, 1, 0, 1, 5);
    grid->setColumnStretch(2, 1);
    return g;
}

QList<QWidget*> TfrmSE98::buildRegisters()
{
    QGroupBox* grbAddress = makeAddressGroup(addresses(), true);
    QGroupBox* grbAuto = makeGroup(tr("Automatic Write"), QStringLiteral("grbAutoWrite"), this);
    chbAutoWrite = new QCheckBox(grbAuto);
    chbAutoWrite->setObjectName(QStringLiteral("chbAutoWrite"));
    m_autoWrite = new AutoWriteToggle(chbAutoWrite, tp::AutoWriteCaption::GreenRed);
    link().setAutoWrite(m_autoWrite);
    (new QHBoxLayout(grbAuto))->addWidget(chbAutoWrite);
    auto* top = new QWidget(this);
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->addWidget(grbAddress);
    topRow->addWidget(grbAuto);

    QGroupBox* grbTemp = makeGroup(tr("Temperature Register"), QStringLiteral("grbTemperature"), this);
    lblTemp = makeText(QStringLiteral("Temperature Register=0x0000"), QStringLiteral("lblTemp"), grbTemp);
    lblTempLocal = makeText(QStringLiteral("Temperature=20.00") + deg(), QStringLiteral("lblTempLocal"), grbTemp);
    auto* pnlFlags = new QWidget(grbTemp);
    pnlFlags->setObjectName(QStringLiteral("pnlTempFlags"));
    auto* flagRow = new QHBoxLayout(pnlFlags);
    flagRow->setContentsMargins(0, 0, 0, 0);
    auto flag = [&](const QString& name, const QString& text, const QString& hint) {
        auto* b = new QCheckBox(text, pnlFlags);
        b->setObjectName(name);
        b->setToolTip(hint);
        flagRow->addWidget(b);
        return b;
    };
    chbACT = flag(QStringLiteral("chbACT"), QStringLiteral("ACT"),
                  QStringLiteral("Above Critical Temp\n"
                                 "0 - temperature is below the Critical Alarm Trip Register setting\n"
                                 "1 - temperature is equal to or above the Critical Alarm Trip Register setting"));
    chbAAW = flag(QStringLiteral("chbAAW"), QStringLiteral("AAW"), QStringLiteral("Above Alarm Window"));
    chbBAW = flag(QStringLiteral("chbBAW"), QStringLiteral("BAW"), QStringLiteral("Below Alarm Window"));
    flagRow->addStretch(1);
    pnlFlags->setEnabled(false);
    auto* tg = new QGridLayout(grbTemp);
    tg->addWidget(lblTemp, 0, 0);
    tg->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadLocalTemp"), grbTemp), 0, 2);
    tg->addWidget(lblTempLocal, 1, 0);
    tg->addWidget(pnlFlags, 2, 0, 1, 3);
    tg->setColumnStretch(1, 1);

    grbConfig = makeGroup(QString(), QStringLiteral("grbConfig"), this);
    cmbHEN = new QComboBox(grbConfig);
    cmbHEN->setObjectName(QStringLiteral("cmbHEN"));
    cmbHEN->addItems({QStringLiteral("Disable hysteresis"), QStringLiteral("Enable hysteresis at 1.5") + deg(),
                      QStringLiteral("Enable hysteresis at 3") + deg(), QStringLiteral("Enable hysteresis at 6") + deg()});
    {
        const QSignalBlocker block(cmbHEN);
        cmbHEN->setCurrentIndex(hysteresisIndex(m_images.config));
    }
    auto* cg = new QVBoxLayout(grbConfig);
    cg->addWidget(cmbHEN);
    auto* pnlConfig = new QWidget(grbConfig);
    pnlConfig->setObjectName(QStringLiteral("pnlConfig"));
    auto* configColumn = new QVBoxLayout(pnlConfig);
    configColumn->setContentsMargins(0, 0, 0, 0);
    configColumn->setSpacing(2);
    m_config = new FlagBoxes(pnlConfig, configFlags(), FlagBoxes::Style{});
    m_config->setUnknown();
    m_config->boxForMask(kESTAT)->setEnabled(false); // the chip's own
    cg->addWidget(pnlConfig);
    auto* configButtons = new QHBoxLayout;
    configButtons->addStretch(1);
    configButtons->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadCON"), grbConfig));
    configButtons->addWidget(makeButton(tr("Write"), QStringLiteral("btnWriteCON"), grbConfig));
    cg->addLayout(configButtons);

    const QString c = QStringLiteral(" (") + deg() + ")";
    QGroupBox* grbUBT = buildTrip(m_upper, tr("Upper Boundary Alarm Trip") + c, QStringLiteral("grbUBT"),
                                  QStringLiteral("btnReadUBT"), QStringLiteral("btnWriteUBT"));
    QGroupBox* grbLBT = buildTrip(m_lower, tr("Lower Boundary Alarm Trip") + c, QStringLiteral("grbLBT"),
                                  QStringLiteral("btnReadLBT"), QStringLiteral("btnWriteLBT"));
    QGroupBox* grbCT = buildTrip(m_critical, tr("Critical Alarm Trip") + c, QStringLiteral("grbCT"),
                                 QStringLiteral("btnReadCAT"), QStringLiteral("btnWriteCT"));

    grbSMBus = makeGroup(QStringLiteral("SMBus Register"), QStringLiteral("grbSMBus"), this);
    auto* sg = new QVBoxLayout(grbSMBus);
    auto* pnlSMBus = new QWidget(grbSMBus);
    pnlSMBus->setObjectName(QStringLiteral("pnlSMBus"));
    auto* smbusColumn = new QVBoxLayout(pnlSMBus);
    smbusColumn->setContentsMargins(0, 0, 0, 0);
    smbusColumn->setSpacing(2);
    m_smbus = new FlagBoxes(pnlSMBus, smbusFlags(), FlagBoxes::Style{});
    m_smbus->setUnknown();
    sg->addWidget(pnlSMBus);
    auto* smbusButtons = new QHBoxLayout;
    smbusButtons->addStretch(1);
    smbusButtons->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadSMBus"), grbSMBus));
    smbusButtons->addWidget(makeButton(tr("Write"), QStringLiteral("btnWriteSMBus"), grbSMBus));
    sg->addLayout(smbusButtons);

    QGroupBox* grbID = makeGroup(tr("Identification"), QStringLiteral("grbID"), this);
    lblCapability = makeText(QStringLiteral("Capability=0xXXXX"), QStringLiteral("lblCapability"), grbID);
    lblID = makeText(QStringLiteral("Manufacturer ID=0xXXXX"), QStringLiteral("lblID"), grbID);
    lblDeviceID = makeText(QStringLiteral("Device ID=0xXXXX"), QStringLiteral("lblDeviceID"), grbID);
    auto* ig = new QGridLayout(grbID);
    ig->addWidget(lblCapability, 0, 0);
    ig->addWidget(makeButton(tr("Read"), QStringLiteral("btnCapability"), grbID), 0, 2);
    ig->addWidget(lblID, 1, 0);
    ig->addWidget(makeButton(tr("Read"), QStringLiteral("btnReadID"), grbID), 1, 2);
    ig->addWidget(lblDeviceID, 2, 0);
    ig->addWidget(makeButton(tr("Read"), QStringLiteral("btnDeviceID"), grbID), 2, 2);
    ig->setColumnStretch(1, 1);

    auto* actions = new QWidget(this);
    auto* actionRow = new QHBoxLayout(actions);
    actionRow->setContentsMargins(0, 0, 0, 0);
    actionRow->addStretch(1);
    actionRow->addWidget(makeButton(tr("Read All"), QStringLiteral("btnReadAll"), actions));
    actionRow->addWidget(makeButton(tr("Write All"), QStringLiteral("btnWriteAll"), actions));

    return {column({top, grbTemp, grbConfig}), column({grbUBT, grbLBT, grbCT, grbSMBus, grbID, actions})};
}

// ---------------------------------------------------------------- transfers and displays

tp::Status TfrmSE98::readRegister(std::uint8_t reg)
{
    std::uint16_t word = 0;
    const tp::Status st = readWord(reg, word);
    m_failure = st == tp::status::Success ? 0 : 1;
    if (st == tp::status::Success)
        display(reg, word);
    showStatus(st);
    return st;
}

const TfrmSE98::Trip* TfrmSE98::trip(std::uint8_t reg) const
{
    for (const Trip* t : {&m_upper, &m_lower, &m_critical})
        if (t->reg == reg)
            return t;
    return nullptr;
}

QString TfrmSE98::refusal(std::uint8_t reg) const
{
    const std::uint16_t locks = m_chipConfig.value_or(0);
    switch (reg) {
    case kConfig:
        if (m_config->unknown())
            return tr("Configuration not written: unknown until read or set");
        break;
    case kSmbus:
        if (m_smbus->unknown())
            return tr("SMBus not written: unknown until read or set");
        break;
    case kUpper:
    case kLower:
        if (locks & kAWLB)
            return tr("%1 not written: the alarm window lock (AWLB) is set, until power-on reset")
                .arg(registerName(reg));
        break;
    case kCritical:
        if (locks & kCTLB)
            return tr("Critical Trip not written: the critical trip lock (CTLB) is set, until power-on reset");
        break;
    default:
        break;
    }
    return {};
}

TfrmSE98::Write TfrmSE98::writeRegister(std::uint8_t reg, std::uint16_t value)
{
    if (const QString why = refusal(reg); !why.isEmpty()) {
        link().showRefusal(why);
        return Write::Refused;
    }
    tp::Status st = writeWord(reg, value);
    m_failure = st;
    if (st == tp::status::Success && keptBits(reg) != 0) {
        // Locks make the chip acknowledge and ignore: only a read tells.
        std::uint16_t back = 0;
        st = readWord(reg, back);
        m_failure = st;
        if (st == tp::status::Success) {
            if (reg == kConfig)
                m_chipConfig = back;
            if (const Trip* t = trip(reg); t && !((back ^ value) & keptBits(reg)))
                plot()->setLimit(tr(t->limit), tripCelsius(back));
            if ((back ^ value) & keptBits(reg)) {
                display(reg, back);
                link().showRefusal(tr("The chip kept its old value: %1 reads 0x%2 after 0x%3 was written")
                                       .arg(registerName(reg), hex4(back), hex4(value)));
                return Write::NotTaken;
            }
        }
    }
    showStatus(st);
    return st == tp::status::Success ? Write::Done : Write::Failed;
}

void TfrmSE98::display(std::uint8_t reg, std::uint16_t word)
{
    switch (reg) {
    case kTemperature:
        lblTemp->setText(QStringLiteral("Temperature Register=0x") + hex4(word));
        lblTempLocal->setText(QStringLiteral("Temperature=") +
                              QString::fromStdString(temperatureText(word, decimalSeparator())) + deg());
        chbACT->setChecked(word & kACT);
        chbAAW->setChecked(word & kAAW);
        chbBAW->setChecked(word & kBAW);
        m_temperature = temperatureCelsius(word);
        break;
    case kConfig:
        m_images.config = word;
        m_images.configKnown = true;
        m_chipConfig = word;
        showConfig();
        break;
    case kUpper:
    case kLower:
    case kCritical: {
        // Showing what was read writes nothing back, also with Auto Write on.
        const Trip& t = reg == kUpper ? m_upper : reg == kLower ? m_lower : m_critical;
        t.high->setValueQuietly(word >> 8 & 0x1F);
        t.low->setValueQuietly(word & 0xFC);
        plot()->setLimit(tr(t.limit), tripCelsius(tripWord(t)));
        showTrip(t);
        break;
    }
    case kSmbus:
        showSmbus(word, true);
        break;
    case kCapability:
        lblCapability->setText(QStringLiteral("Capability=0x") + hex4(word));
        break;
    case kManufacturerId:
        lblID->setText(QStringLiteral("Manufacturer ID=0x") + hex4(word));
        break;
    case kDeviceId:
        lblDeviceID->setText(QStringLiteral("Device ID=0x") + hex4(word));
        break;
    default:
        break;
    }
}

void TfrmSE98::showConfig()
{
    grbConfig->setTitle(QStringLiteral("Configuration=0x") + hex4(m_images.config));
    {
        const QSignalBlocker block(cmbHEN);
        cmbHEN->setCurrentIndex(hysteresisIndex(m_images.config));
    }
    m_config->setValue(m_images.config);
}

std::uint16_t TfrmSE98::tripWord(const Trip& t) const
{
    return static_cast<std::uint16_t>(t.high->value() << 8 | t.low->value());
}

void TfrmSE98::showTrip(const Trip& t)
{
    const std::uint16_t w = tripWord(t);
    t.text->setText(QString::fromLatin1(t.caption) + QString::fromStdString(tripText(w, decimalSeparator())) + deg());
    plot()->setEditedLimit(tr(t.limit), tripCelsius(w));
}

std::uint16_t TfrmSE98::smbusValue() const
{
    return m_smbus->value();
}

void TfrmSE98::showSmbus(std::uint16_t value, bool caption)
{
    m_smbus->setValue(value & (kSTMOUT | kSALRT));
    if (caption)
        grbSMBus->setTitle(QStringLiteral("SMBus Register=0x") + hex4(value));
}

TemperaturePlot::Reading TfrmSE98::poll()
{
    std::uint16_t word = 0;
    const tp::Status st = readWord(kTemperature, word);
    if (st != tp::status::Success) {
        showStatus(st);
        return {st, {}};
    }
    display(kTemperature, word);
    return {st, {m_temperature}};
}

// ---------------------------------------------------------------- handlers

void TfrmSE98::chbAutoWriteClick()
{
    // The caption and its colour follow the state by themselves.
}

void TfrmSE98::btnReadLocalTempClick()
{
    readRegister(kTemperature);
}

void TfrmSE98::btnReadCONClick()
{
    readRegister(kConfig);
}

void TfrmSE98::btnWriteCONClick()
{
    writeRegister(kConfig, m_images.config);
}

void TfrmSE98::chbConClick(quint16 mask, bool set)
{
    m_images.config = static_cast<std::uint16_t>(set ? m_images.config | mask : m_images.config & ~mask);
    m_images.configKnown = true;
    showConfig();
    if (m_autoWrite->isOn())
        writeRegister(kConfig, m_images.config);
}

void TfrmSE98::cmbHENChange(int index)
{
    if (index < 0)
        return;
    m_images.config = withHysteresis(m_images.config, index);
    grbConfig->setTitle(QStringLiteral("Configuration=0x") + hex4(m_images.config));
    if (m_autoWrite->isOn())
        writeRegister(kConfig, m_images.config);
}

void TfrmSE98::tripChanged(const Trip& t)
{
    showTrip(t);
    if (!m_autoWrite->isOn())
        return;
    if (writeRegister(t.reg, tripWord(t)) == Write::Failed)
        m_autoWrite->setOn(false); // "Off" in red
}

void TfrmSE98::spnUBTChange()
{
    tripChanged(m_upper);
}

void TfrmSE98::spnLBTChange()
{
    tripChanged(m_lower);
}

void TfrmSE98::spnCTChange()
{
    tripChanged(m_critical);
}

void TfrmSE98::btnReadUBTClick()
{
    readRegister(kUpper);
}

void TfrmSE98::btnWriteUBTClick()
{
    writeRegister(kUpper, tripWord(m_upper));
}

void TfrmSE98::btnReadLBTClick()
{
    readRegister(kLower);
}

void TfrmSE98::btnWriteLBTClick()
{
    writeRegister(kLower, tripWord(m_lower));
}

void TfrmSE98::btnReadCATClick()
{
    readRegister(kCritical);
}

void TfrmSE98::btnWriteCTClick()
{
    writeRegister(kCritical, tripWord(m_critical));
}

void TfrmSE98::btnReadSMBusClick()
{
    readRegister(kSmbus);
}

void TfrmSE98::btnWriteSMBusClick()
{
    writeRegister(kSmbus, smbusValue());
}

void TfrmSE98::chbSMBUSClick()
{
    const std::uint16_t v = smbusValue();
    showSmbus(v, true);
    if (m_autoWrite->isOn())
        writeRegister(kSmbus, v);
}

void TfrmSE98::btnCapabilityClick()
{
    readRegister(kCapability);
}

void TfrmSE98::btnReadIDClick()
{
    readRegister(kManufacturerId);
}

void TfrmSE98::btnDeviceIDClick()
{
    readRegister(kDeviceId);
}

void TfrmSE98::btnReadAllClick()
{
    for (std::uint8_t reg : {kConfig, kTemperature, kUpper, kLower, kCritical, kSmbus, kCapability, kManufacturerId,
                             kDeviceId})
        if (readRegister(reg) != tp::status::Success)
            break;
}

void TfrmSE98::btnWriteAllClick()
{
    // Trip points before the configuration: a lock bit it sets would make
    // the chip ignore them while every write reports success.
    const QList<QPair<std::uint8_t, std::uint16_t>> writes{{kUpper, tripWord(m_upper)},
                                                          {kLower, tripWord(m_lower)},
                                                          {kCritical, tripWord(m_critical)},
                                                          {kConfig, m_images.config},
                                                          {kSmbus, smbusValue()}};
    // What must not be written is left out and named at the end; a failed
    // transfer, or a value the chip did not take, stops with its message.
    QStringList skipped;
    for (const auto& [reg, value] : writes) {
        if (const QString why = refusal(reg); !why.isEmpty()) {
            skipped << why;
            continue;
        }
        if (writeRegister(reg, value) != Write::Done)
            return;
    }
    if (!skipped.isEmpty())
        link().showRefusal(skipped.join(QStringLiteral("; ")));
}
