#include "gui/devices/thermal/LM75.h"
#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/ThermalText.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"
#include "gui/common/UpDownButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace tp::lm75a;
using tp::thermal::hexText;

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QList<std::uint8_t> addresses()
{
    QList<std::uint8_t> a;
    for (int i = 0; i < kAddressCount; ++i)
        a.append(std::uint8_t(kBaseAddress + 2 * i));
    return a;
}

QComboBox* list(const QString& name, const QStringList& items, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems(items);
    c->setCurrentIndex(0);
    return c;
}

} // namespace

TfrmLM75A::TfrmLM75A(TfrmMain& main, QWidget* parent)
    : TThermalForm(main, QStringLiteral("TfrmLM75A"), QString::fromLatin1(kChipType), parent),
      m_images(main.state().programData<Lm75aImages>())
{
    setWindowTitle(tr("LM75A Digital Temperature and Thermal Watchdog"));
    // A new window starts from its form values: these are what it shows.
    m_images = Lm75aImages{};

    setPanels({buildRegisters()}, {tr("Temperature")}, [this] { return poll(); });
    showConfig();
    txtThystHex->setText(qs(hexText(limitWord(m_images.thyst), 4)));
    txtThyst->setText(qs(limitText(m_images.thyst, decimalSeparator())));
    txtTOSHex->setText(qs(hexText(limitWord(m_images.tos), 4)));
    txtTOS->setText(qs(limitText(m_images.tos, decimalSeparator())));
    plot()->setLimit(QStringLiteral("Tos"), m_images.tos * kLimitStep);
    plot()->setLimit(QStringLiteral("Thyst"), m_images.thyst * kLimitStep);

    // Reactions connect only now that the form values stand.
    connect(chbAutoWrite, &QCheckBox::clicked, this, guarded(this, &TfrmLM75A::chbAutoWriteClick));
    connect(btnReadTemp, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnReadTempClick));
    connect(btnReadConfig, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnReadConfigClick));
    connect(btnWriteConfig, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnWriteConfigClick));
    connect(cmbShutdown, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmLM75A::cmbShutdownChange));
    connect(cmbOSMode, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmLM75A::cmbOSModeChange));
    connect(cmbPolarity, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmLM75A::cmbPolarityChange));
    connect(cmbOSFault, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmLM75A::cmbOSFaultChange));
    connect(spnThyst, &UpDownButtons::up, this, guarded(this, &TfrmLM75A::spnThystTempUpClick));
    connect(spnThyst, &UpDownButtons::down, this, guarded(this, &TfrmLM75A::spnThystTempDownClick));
    connect(spnTOS, &UpDownButtons::up, this, guarded(this, &TfrmLM75A::spnTOSTempUpClick));
    connect(spnTOS, &UpDownButtons::down, this, guarded(this, &TfrmLM75A::spnTOSTempDownClick));
    connect(btnReadThyst, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnReadThystClick));
    connect(btnWriteThyst, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnWriteThystClick));
    connect(btnReadTOS, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnReadTOSClick));
    connect(btnWriteTOS, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnWriteTOSClick));
    connect(btnReadAll, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnReadAllClick));
    connect(btnWriteAll, &QPushButton::clicked, this, guarded(this, &TfrmLM75A::btnWriteAllClick));
}

QWidget* TfrmLM75A::buildRegisters()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("pnlColumn"));

    QGroupBox* grbAddress = makeAddressGroup(addresses(), false);
    QGroupBox* grbAuto = makeGroup(tr("Automatic Write"), QStringLiteral("grbAutoWrite"), panel);
    chbAutoWrite = new QCheckBox(grbAuto);
    chbAutoWrite->setObjectName(QStringLiteral("chbAutoWrite"));
    m_autoWrite = new AutoWriteToggle(chbAutoWrite);
    link().setAutoWrite(m_autoWrite);
    (new QHBoxLayout(grbAuto))->addWidget(chbAutoWrite);
    auto* top = new QHBoxLayout;
    top->addWidget(grbAddress);
    top->addWidget(grbAuto);

    QGroupBox* grbTemp = makeGroup(tr("Temperature"), QStringLiteral("grbTemperature"), panel);
    auto* tg = new QGridLayout(grbTemp);
    tg->addWidget(new QLabel(tr("Temp Register"), grbTemp), 0, 0);
    txtTempHex = makeText(QStringLiteral("0x0000"), QStringLiteral("txtTempHex"), grbTemp, true);
    txtTemp = makeText(QStringLiteral("25.000") + tp::thermal::kDegreesC, QStringLiteral("txtTemp"), grbTemp, true);
    btnReadTemp = makeButton(tr("Read"), QStringLiteral("btnReadTemp"), grbTemp);
    tg->addWidget(txtTempHex, 0, 1);
    tg->addWidget(txtTemp, 0, 2);
    tg->addWidget(btnReadTemp, 0, 4);
    tg->setColumnStretch(3, 1);

    QGroupBox* grbAll = makeGroup(tr("Read and Write All Registers"), QStringLiteral("grbAll"), panel);
    btnReadAll = makeButton(tr("Read All"), QStringLiteral("btnReadAll"), grbAll);
    btnWriteAll = makeButton(tr("Write All"), QStringLiteral("btnWriteAll"), grbAll);
    auto* ag = new QHBoxLayout(grbAll);
    ag->addWidget(btnReadAll);
    ag->addWidget(btnWriteAll);
    ag->addStretch(1);

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(top);
    column->addWidget(grbTemp);
    column->addWidget(buildConfiguration(panel));
    column->addWidget(buildLimit(panel, false));
    column->addWidget(buildLimit(panel, true));
    column->addWidget(grbAll);
    column->addStretch(1);
    return panel;
}

QWidget* TfrmLM75A::buildConfiguration(QWidget* parent)
{
    QGroupBox* grb = makeGroup(tr("Configuration Register"), QStringLiteral("grbConfig"), parent);
    auto* g = new QGridLayout(grb);
    g->addWidget(new QLabel(tr("Configuration"), grb), 0, 0);
    txtConfig = makeText(QStringLiteral("0x00"), QStringLiteral("txtConfig"), grb, true);
    g->addWidget(txtConfig, 0, 1);
    cmbShutdown = list(QStringLiteral("cmbShutdown"), {tr("Normal"), tr("Shut-down")}, grb);
    cmbOSMode = list(QStringLiteral("cmbOSMode"), {tr("Comparator"), tr("Interrupt")}, grb);
    cmbPolarity = list(QStringLiteral("cmbPolarity"), {tr("Low"), tr("High")}, grb);
    cmbOSFault = list(QStringLiteral("cmbOSFault"), {tr("1"), tr("2"), tr("4"), tr("6")}, grb);
    cmbOSFault->setToolTip(tr("Consecutive faults before OS changes"));
    const QList<QPair<QString, QComboBox*>> rows{{tr("Shut-down"), cmbShutdown},
                                                 {tr("OS Mode"), cmbOSMode},
                                                 {tr("OS Polarity"), cmbPolarity},
                                                 {tr("OS Fault Queue"), cmbOSFault}};
    for (int i = 0; i < rows.size(); ++i) {
        auto* caption = new QLabel(rows[i].first, grb);
        caption->setBuddy(rows[i].second);
        g->addWidget(caption, 1 + i / 2, (i % 2) * 2);
        g->addWidget(rows[i].second, 1 + i / 2, (i % 2) * 2 + 1);
    }
    btnReadConfig = makeButton(tr("Read"), QStringLiteral("btnReadConfig"), grb);
    btnWriteConfig = makeButton(tr("Write"), QStringLiteral("btnWriteConfig"), grb);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnReadConfig);
    buttons->addWidget(btnWriteConfig);
    g->addLayout(buttons, 3, 0, 1, 4);
    return grb;
}

QWidget* TfrmLM75A::buildLimit(QWidget* parent, bool tos)
{
    const QString n = tos ? QStringLiteral("TOS") : QStringLiteral("Thyst");
    QGroupBox* grb = makeGroup(n, QStringLiteral("grb") + n, parent);
    auto* g = new QGridLayout(grb);
    auto* caption = new QLabel(n + tr(" Register"), grb);
    // Both limit rows line up, whichever name is longer.
    caption->setMinimumWidth(caption->fontMetrics().horizontalAdvance(tr("Thyst Register")));
    g->addWidget(caption, 0, 0);
    QLabel* hex = makeText(QString(), QStringLiteral("txt%1Hex").arg(n), grb, true);
    QLabel* temp = makeText(QString(), QStringLiteral("txt") + n, grb, true);
    auto* spn = new UpDownButtons(QStringLiteral("spn") + n, grb);
    spn->setToolTip(tr("Raise or lower the limit by 0.5\u00B0C"));
    QPushButton* read = makeButton(tr("Read"), QStringLiteral("btnRead") + n, grb);
    QPushButton* write = makeButton(tr("Write"), QStringLiteral("btnWrite") + n, grb);
    g->addWidget(hex, 0, 1);
    g->addWidget(temp, 0, 2);
    g->addWidget(spn, 0, 3);
    g->setColumnStretch(4, 1);
    g->addWidget(read, 0, 5);
    g->addWidget(write, 0, 6);
    (tos ? txtTOSHex : txtThystHex) = hex;
    (tos ? txtTOS : txtThyst) = temp;
    (tos ? spnTOS : spnThyst) = spn;
    (tos ? btnReadTOS : btnReadThyst) = read;
    (tos ? btnWriteTOS : btnWriteThyst) = write;
    return grb;
}

void TfrmLM75A::chbAutoWriteClick()
{
    // The caption follows the state by itself; nothing is written now.
}

// ---------------------------------------------------------------- displays

void TfrmLM75A::showTemperature(std::uint16_t word)
{
    txtTempHex->setText(qs(hexText(word, 4)));
    txtTemp->setText(qs(temperatureText(word, decimalSeparator())));
}

void TfrmLM75A::showConfig()
{
    txtConfig->setText(qs(hexText(m_images.config, 2)));
    // Set by program: the lists' change handling must not run.
    const QList<QPair<QComboBox*, ConfigField>> fields{
        {cmbShutdown, kShutdown}, {cmbOSMode, kOsMode}, {cmbPolarity, kOsPolarity}, {cmbOSFault, kFaultQueue}};
    for (const auto& [cmb, field] : fields) {
        const QSignalBlocker block(cmb);
        cmb->setCurrentIndex(fieldValue(m_images.config, field));
    }
}

void TfrmLM75A::showLimit(bool tos, std::uint16_t word)
{
    const int image = tos ? m_images.tos : m_images.thyst;
    (tos ? txtTOSHex : txtThystHex)->setText(qs(hexText(word, 4)));
    (tos ? txtTOS : txtThyst)->setText(qs(limitText(image, decimalSeparator())));
    plot()->setEditedLimit(limitName(tos), image * kLimitStep);
}

QString TfrmLM75A::limitName(bool tos)
{
    return tos ? QStringLiteral("Tos") : QStringLiteral("Thyst");
}

// ---------------------------------------------------------------- transfers

tp::Status TfrmLM75A::readTemperature()
{
    std::uint16_t word = 0;
    const tp::Status st = readWord(kTemp, word);
    if (st == tp::status::Success)
        showTemperature(word);
    showStatus(st);
    return st;
}

tp::Status TfrmLM75A::readConfig()
{
    std::uint8_t v = 0;
    const tp::Status st = readByte(kConf, v);
    if (st == tp::status::Success) {
        m_images.config = v;
        showConfig();
    }
    showStatus(st);
    return st;
}

tp::Status TfrmLM75A::readLimit(bool tos)
{
    std::uint16_t word = 0;
    const tp::Status st = readWord(tos ? kTos : kThyst, word);
    if (st == tp::status::Success) {
        (tos ? m_images.tos : m_images.thyst) = limitCount(word);
        plot()->setLimit(limitName(tos), limitCount(word) * kLimitStep);
        showLimit(tos, word);
    }
    showStatus(st);
    return st;
}

tp::Status TfrmLM75A::writeConfig()
{
    const tp::Status st = writeByte(kConf, m_images.config);
    showStatus(st);
    return st;
}

tp::Status TfrmLM75A::writeLimit(bool tos)
{
    const int image = tos ? m_images.tos : m_images.thyst;
    const tp::Status st = writeWord(tos ? kTos : kThyst, limitWord(image));
    if (st == tp::status::Success)
        plot()->setLimit(limitName(tos), image * kLimitStep);
    showStatus(st);
    return st;
}

TemperaturePlot::Reading TfrmLM75A::poll()
{
    std::uint16_t word = 0;
    const tp::Status st = readWord(kTemp, word);
    if (st != tp::status::Success) {
        showStatus(st);
        return {st, {}};
    }
    showTemperature(word);
    return {st, {temperatureCount(word) * kTemperatureStep}};
}

// ---------------------------------------------------------------- handlers

void TfrmLM75A::btnReadTempClick()
{
    readTemperature();
}

void TfrmLM75A::btnReadConfigClick()
{
    readConfig();
}

void TfrmLM75A::btnWriteConfigClick()
{
    writeConfig();
}

void TfrmLM75A::configListChanged(int shift, int width, int index)
{
    if (index < 0)
        return;
    m_images.config = withField(m_images.config, ConfigField{shift, width}, index);
    txtConfig->setText(qs(hexText(m_images.config, 2)));
    if (m_autoWrite->isOn())
        writeConfig();
}

void TfrmLM75A::cmbShutdownChange(int index)
{
    configListChanged(kShutdown.shift, kShutdown.width, index);
}

void TfrmLM75A::cmbOSModeChange(int index)
{
    configListChanged(kOsMode.shift, kOsMode.width, index);
}

void TfrmLM75A::cmbPolarityChange(int index)
{
    configListChanged(kOsPolarity.shift, kOsPolarity.width, index);
}

void TfrmLM75A::cmbOSFaultChange(int index)
{
    configListChanged(kFaultQueue.shift, kFaultQueue.width, index);
}

void TfrmLM75A::stepLimit(bool tos, int step)
{
    int& image = tos ? m_images.tos : m_images.thyst;
    const int next = image + step;
    if (next < kLimitMin || next > kLimitMax)
        return; // the ends of the 9-bit range: nothing happens
    image = next;
    showLimit(tos, limitWord(image));
    if (m_autoWrite->isOn())
        writeLimit(tos);
}

void TfrmLM75A::spnThystTempUpClick()
{
    stepLimit(false, +1);
}

void TfrmLM75A::spnThystTempDownClick()
{
    stepLimit(false, -1);
}

void TfrmLM75A::spnTOSTempUpClick()
{
    stepLimit(true, +1);
}

void TfrmLM75A::spnTOSTempDownClick()
{
    stepLimit(true, -1);
}

void TfrmLM75A::btnReadThystClick()
{
    readLimit(false);
}

void TfrmLM75A::btnWriteThystClick()
{
    writeLimit(false);
}

void TfrmLM75A::btnReadTOSClick()
{
    readLimit(true);
}

void TfrmLM75A::btnWriteTOSClick()
{
    writeLimit(true);
}

void TfrmLM75A::btnReadAllClick()
{
    const ClickGuard busy{btnReadAll, btnWriteAll};
    if (readTemperature() == tp::status::Success && readConfig() == tp::status::Success &&
        readLimit(false) == tp::status::Success)
        readLimit(true);
}

void TfrmLM75A::btnWriteAllClick()
{
    const ClickGuard busy{btnReadAll, btnWriteAll};
    if (writeConfig() == tp::status::Success && writeLimit(false) == tp::status::Success)
        writeLimit(true);
}
