#include "gui/devices/led/LedDriverForm.h"
#include "core/common/HexText.h"
#include "core/devices/led/LedTiming.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/led/LedLamp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

using namespace tp::led;

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

// A text whose width never changes while its value does.
QLabel* valueText(const QString& name, const QStringList& widest, QWidget* parent)
{
    QLabel* l = label(name, QString(), parent);
    int w = 0;
    for (const QString& s : widest)
        w = std::max(w, l->fontMetrics().horizontalAdvance(s));
    l->setMinimumWidth(w + 4);
    return l;
}

QString ledCaption(int led)
{
    // "LED 0" ... "LED 9", "LED10" ... "LED15".
    return led < 10 ? QStringLiteral("LED %1").arg(led) : QStringLiteral("LED%1").arg(led);
}

const QColor kModeBlue(0x00, 0x00, 0xFF);
const QColor kModeBlack(0x00, 0x00, 0x00);

void setTextColour(QLabel* l, const QColor& c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}

} // namespace

TLedDriverForm::TLedDriverForm(TfrmMain& main, const Member& member, QWidget* parent)
    : TChildForm(main, QString::fromStdString(member.windowClass), parent), m_member(member),
      m_link(*this, qs(member.chip))
{
    setWindowTitle(qs(member.caption));
    addFileMenu();
    if (member.blankCentredOnDestroy)
        setBlankOnDestroy(true, tp::Align::Centre);
    setStartAddress(0, member.startAddress);
    const QString dp = QLocale().decimalPoint();
    m_decimal = dp.size() == 1 && dp[0].unicode() < 128 ? char(dp[0].unicode()) : '.';

    auto* top = new QVBoxLayout(this);
    top->addWidget(buildCommands());
    auto* middle = new QHBoxLayout;
    auto* channels = new QVBoxLayout;
    channels->addWidget(buildChannel(0));
    channels->addWidget(buildChannel(1));
    channels->addStretch(1);
    middle->addLayout(channels);
    middle->addWidget(buildRegisters(), 0, Qt::AlignTop);
    middle->addStretch(1);
    top->addLayout(middle);
    top->addWidget(buildLeds(), 0, Qt::AlignLeft);
    top->addStretch(1);

    // The window shows the address and the selector image its transfers
    // will use: both outlive the window, so a new window starts from them.
    {
        const QSignalBlocker block(cmbAddress);
        cmbAddress->setCurrentIndex(m_member.itemOfAddress(m_link.address()));
    }
    for (int c = 0; c < 2; ++c) {
        trbPeriod[c]->setValue(m_member.periodStart);
        trbDC[c]->setValue(m_member.dutyStart);
        showPeriod(c, m_member.periodStart);
        showDuty(c, m_member.dutyStart);
    }
    for (int j = 0; j < m_member.selectorCount(); ++j)
        showSelector(j);
    for (int led = 0; led < m_member.leds; ++led) {
        vswLED[led]->setValue(registers().mode(led));
        showMode(led);
    }

    m_tick = new QTimer(this);
    m_tick->setInterval(30);
    connect(m_tick, &QTimer::timeout, this, guarded(this, &TLedDriverForm::animate));
    m_clock.start();
    refreshPreview();

    // Change reactions only now that the initial values stand.
    connect(cmbAddress, &QComboBox::currentIndexChanged, this, guarded(this, &TLedDriverForm::cmbAddressChange));
    connect(trbPeriod[0], &QSlider::valueChanged, this, guarded(this, &TLedDriverForm::trbPeriod0Change));
    connect(trbDC[0], &QSlider::valueChanged, this, guarded(this, &TLedDriverForm::trbDC0Change));
    connect(trbPeriod[1], &QSlider::valueChanged, this, guarded(this, &TLedDriverForm::trbPeriod1Change));
    connect(trbDC[1], &QSlider::valueChanged, this, guarded(this, &TLedDriverForm::trbDC1Change));
    for (int led = 0; led < m_member.leds; ++led)
        connect(vswLED[led], &QSlider::valueChanged, this,
                guarded([this, led](int position) { vswLEDChange(led, position); }));
    connect(btnWrite, &QPushButton::clicked, this, guarded(this, &TLedDriverForm::btnWriteClick));
    connect(btnReadInput, &QPushButton::clicked, this, guarded(this, &TLedDriverForm::btnReadInputClick));
    connect(btnRead, &QPushButton::clicked, this, guarded(this, &TLedDriverForm::btnReadClick));
}

QWidget* TLedDriverForm::buildCommands()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlCommands"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);

    cmbAddress = new QComboBox(bar);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    for (int i = 0; i < m_member.addressCount; ++i)
        cmbAddress->addItem(qs(tp::addressText(m_member.addressOfItem(i))));
    if (!m_member.addressHint.empty())
        cmbAddress->setToolTip(qs(m_member.addressHint));
    QLabel* lblAddress = label(QStringLiteral("lblAddress"), tr("I\u00B2C Address"), bar);
    lblAddress->setBuddy(cmbAddress);
    row->addWidget(lblAddress);
    row->addWidget(cmbAddress);
    row->addSpacing(12);

    QAbstractButton* toggle = nullptr;
    if (m_member.autoWriteLook == AutoWriteLook::LedToggle)
        toggle = new LedToggle(QStringLiteral("btnAutoWrite"), QString(), bar);
    else {
        toggle = new QCheckBox(bar);
        toggle->setObjectName(QStringLiteral("btnAutoWrite"));
    }
    toggle->setToolTip(qs(m_member.autoWriteHint));
    m_autoWrite = new AutoWriteToggle(toggle);
    m_link.setAutoWrite(m_autoWrite);
    // Room for the longer caption, so the row does not move when it changes.
    toggle->setMinimumWidth(toggle->sizeHint().width() +
                            toggle->fontMetrics().horizontalAdvance(QStringLiteral("ff")));
    row->addWidget(toggle);
    row->addSpacing(12);

    auto button = [bar, row](const QString& name, const QString& text, const std::string& hint) {
        auto* b = new QPushButton(text, bar);
        b->setObjectName(name);
        b->setToolTip(qs(hint));
        row->addWidget(b);
        return b;
    };
    btnWrite = button(QStringLiteral("btnWrite"), tr("Write All"), m_member.writeHint);
    btnReadInput = button(QStringLiteral("btnReadInput"), qs(m_member.readInputCaption), m_member.readInputHint);
    btnRead = button(QStringLiteral("btnRead"), tr("Read All"), m_member.readHint);
    row->addStretch(1);
    return bar;
}

QGroupBox* TLedDriverForm::buildChannel(int c)
{
    auto* grb = new QGroupBox(QStringLiteral("PWM %1").arg(c), this);
    grb->setObjectName(QStringLiteral("grbPWM%1").arg(c));
    auto* grid = new QGridLayout(grb);
    const QString n = QString::number(c);

    grid->addWidget(label(QStringLiteral("lblPeriod") + n, tr("Period"), grb), 0, 0);
    trbPeriod[c] = new QSlider(Qt::Horizontal, grb);
    trbPeriod[c]->setObjectName(QStringLiteral("trbPeriod") + n);
    trbPeriod[c]->setToolTip(tr("Change the period (frequency) of PWM%1").arg(c));
    grid->addWidget(trbPeriod[c], 0, 1);
    stcPeriod[c] = valueText(QStringLiteral("stcPeriod") + n, {QStringLiteral("0.000 sec")}, grb);
    grid->addWidget(stcPeriod[c], 0, 2);
    // Both channels as wide as the wider format, so their sliders line up.
    stcFreq[c] = valueText(QStringLiteral("stcFreq") + n,
                           {QStringLiteral("000.000 Hz"), QStringLiteral("00.00000 Hz")}, grb);
    grid->addWidget(stcFreq[c], 0, 3);

    grid->addWidget(label(QStringLiteral("lblDutyCycle") + n, tr("Duty Cycle"), grb), 1, 0);
    trbDC[c] = new QSlider(Qt::Horizontal, grb);
    trbDC[c]->setObjectName(QStringLiteral("trbDC") + n);
    trbDC[c]->setToolTip(tr("Change the Duty Cyle of PWM%1").arg(c));
    grid->addWidget(trbDC[c], 1, 1);
    stcDC[c] = valueText(QStringLiteral("stcDC") + n, {QStringLiteral("000.00 %")}, grb);
    grid->addWidget(stcDC[c], 1, 2);

    for (QSlider* s : {trbPeriod[c], trbDC[c]}) {
        s->setRange(0, 255);
        s->setSingleStep(1);
        s->setPageStep(16);
        s->setMinimumWidth(120); // leaves room for a window tiled beside it
    }
    grid->setColumnStretch(1, 1);
    return grb;
}

QGroupBox* TLedDriverForm::buildRegisters()
{
    auto* grb = new QGroupBox(qs(m_member.registersGroup), this);
    grb->setObjectName(QStringLiteral("grbRegisters"));
    auto* grid = new QGridLayout(grb);
    const std::vector<std::string> captions = m_member.registerCaptions();
    for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
        grid->addWidget(label(QStringLiteral("lblReg%1").arg(i), qs(captions[i]), grb), i, 0);
        auto* f = new HexField(QStringLiteral("edtReg%1").arg(i), QString(), grb);
        f->setDisplayOnly(true);
        edtReg.append(f);
        grid->addWidget(f, i, 1);
    }
    return grb;
}

QGroupBox* TLedDriverForm::buildLeds()
{
    auto* grb = new QGroupBox(tr("LED Mode Select"), this);
    grb->setObjectName(QStringLiteral("grbLEDs"));
    auto* grid = new QGridLayout(grb);
    const int perRow = 8;
    for (int led = 0; led < m_member.leds; ++led)
        grid->addWidget(buildLedColumn(led, grb), led / perRow, led % perRow);
    grid->setColumnStretch(std::min(m_member.leds, perRow), 1);
    return grb;
}

QWidget* TLedDriverForm::buildLedColumn(int led, QWidget* parent)
{
    auto* col = new QWidget(parent);
    col->setObjectName(QStringLiteral("pnlLED%1").arg(led));
    auto* grid = new QGridLayout(col);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setVerticalSpacing(2);

    auto* caption = label(QStringLiteral("lblCaptionLED%1").arg(led), ledCaption(led), col);
    caption->setAlignment(Qt::AlignHCenter);
    grid->addWidget(caption, 0, 0, Qt::AlignHCenter);
    auto* lamp = new LedLamp(QStringLiteral("pvwLED%1").arg(led), col);
    m_lamps.append(lamp);
    grid->addWidget(lamp, 1, 0, Qt::AlignHCenter);

    auto* sw = new QSlider(Qt::Vertical, col);
    sw->setObjectName(QStringLiteral("vswLED%1").arg(led));
    sw->setRange(0, 3);
    sw->setSingleStep(1);
    sw->setPageStep(1);
    sw->setTickPosition(QSlider::TicksBothSides);
    sw->setTickInterval(1);
    // Position 0 at the top, and the up key moves towards it.
    sw->setInvertedAppearance(true);
    sw->setInvertedControls(true);
    sw->setFixedHeight(fontMetrics().height() * 4 + 8);
    vswLED.append(sw);

    if (m_member.modeLabels) {
        auto* labels = new QVBoxLayout;
        labels->setSpacing(0);
        std::array<QLabel*, 4> byCode{};
        // Top to bottom as the switch positions 0..3.
        for (int code = 0; code < 4; ++code) {
            byCode[code] = label(qs(modeLabelName(m_member, led, code)), qs(modeLabel(m_member.family, code)), col);
            labels->addWidget(byCode[code], 1);
        }
        m_labels.append(byCode);
        auto* row = new QHBoxLayout;
        row->addWidget(sw);
        row->addLayout(labels);
        QWidget* holder = new QWidget(col);
        holder->setFixedHeight(sw->height());
        holder->setLayout(row);
        row->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(holder, 2, 0, Qt::AlignHCenter);
    } else {
        grid->addWidget(sw, 2, 0, Qt::AlignHCenter);
        auto* text = valueText(QStringLiteral("lblLED%1").arg(led), {QStringLiteral("PWM0")}, col);
        text->setAlignment(Qt::AlignHCenter);
        lblLED.append(text);
        grid->addWidget(text, 3, 0, Qt::AlignHCenter);
    }
    return col;
}

std::vector<std::uint8_t>& TLedDriverForm::image() const
{
    return main().state().programData<SelectorImages>().of(m_member);
}

LedRegisters TLedDriverForm::registers() const
{
    LedRegisters r;
    for (int c = 0; c < 2; ++c) {
        r.prescaler[c] = static_cast<std::uint8_t>(trbPeriod[c]->value());
        r.pwm[c] = static_cast<std::uint8_t>(trbDC[c]->value());
    }
    r.selector = image();
    return r;
}

LedLook TLedDriverForm::look(int led) const
{
    return lookOf(m_member, registers(), led);
}

void TLedDriverForm::WriteByte(int reg, int value)
{
    m_link.showStatus(m_link.writeRegister(static_cast<std::uint8_t>(reg), {static_cast<std::uint8_t>(value)}));
}

void TLedDriverForm::btnWriteClick()
{
    const ClickGuard guard{btnWrite, btnReadInput, btnRead};
    // One transfer from the first prescaler on: the chip moves its pointer itself.
    std::vector<std::uint8_t> bytes = writeAllBytes(m_member, registers());
    const std::uint8_t control = bytes.front();
    bytes.erase(bytes.begin());
    m_link.showStatus(m_link.writeRegister(control, std::move(bytes)));
}

tp::Status TLedDriverForm::readInputs()
{
    // Each input register alone: an auto-increment read must not start at register 0.
    tp::Status st = tp::status::Success;
    for (int i = 0; i < m_member.inputs && st == tp::status::Success; ++i) {
        std::vector<std::uint8_t> data;
        st = m_link.readRegister(controlByte(i, false), 1, data);
        if (st == tp::status::Success && !data.empty())
            edtReg[i]->setValue(data[0]);
    }
    return st;
}

void TLedDriverForm::btnReadInputClick()
{
    const ClickGuard guard{btnWrite, btnReadInput, btnRead};
    m_link.showStatus(readInputs());
}

void TLedDriverForm::btnReadClick()
{
    const ClickGuard guard{btnWrite, btnReadInput, btnRead};
    tp::Status st = readInputs();
    if (st == tp::status::Success) {
        std::vector<std::uint8_t> data;
        st = m_link.readRegister(controlByte(m_member.prescaler(0), true),
                                 static_cast<std::size_t>(readAllCount(m_member)), data);
        if (st == tp::status::Success)
            showRead(fromReadAll(m_member, data));
    }
    m_link.showStatus(st);
}

void TLedDriverForm::showRead(const LedRegisters& r)
{
    // What the chip holds becomes what the next move modifies; showing it
    // runs no change reaction, so nothing is written back.
    image() = r.selector;
    for (int c = 0; c < 2; ++c) {
        {
            const QSignalBlocker a(trbPeriod[c]), b(trbDC[c]);
            trbPeriod[c]->setValue(r.prescaler[c]);
            trbDC[c]->setValue(r.pwm[c]);
        }
        showPeriod(c, r.prescaler[c]);
        showDuty(c, r.pwm[c]);
    }
    for (int j = 0; j < m_member.selectorCount(); ++j)
        showSelector(j);
    for (int led = 0; led < m_member.leds; ++led) {
        {
            const QSignalBlocker block(vswLED[led]);
            vswLED[led]->setValue(r.mode(led));
        }
        showMode(led);
    }
    refreshPreview();
}

void TLedDriverForm::cmbAddressChange(int index)
{
    if (index >= 0 && index < m_member.addressCount)
        m_link.setAddress(m_member.addressOfItem(index));
}

void TLedDriverForm::trbPeriod0Change(int position)
{
    periodChange(0, position);
}

void TLedDriverForm::trbDC0Change(int position)
{
    dutyChange(0, position);
}

void TLedDriverForm::trbPeriod1Change(int position)
{
    periodChange(1, position);
}

void TLedDriverForm::trbDC1Change(int position)
{
    dutyChange(1, position);
}

void TLedDriverForm::periodChange(int c, int position)
{
    showPeriod(c, position);
    refreshPreview();
    if (m_autoWrite->isOn())
        WriteByte(m_member.prescaler(c), position);
}

void TLedDriverForm::dutyChange(int c, int position)
{
    showDuty(c, position);
    refreshPreview();
    if (m_autoWrite->isOn())
        WriteByte(m_member.pwm(c), position);
}

void TLedDriverForm::vswLEDChange(int led, int position)
{
    LedRegisters r;
    r.selector = image();
    const int j = r.setMode(led, position);
    image() = r.selector;
    showSelector(j);
    showMode(led);
    refreshPreview();
    if (m_autoWrite->isOn())
        WriteByte(m_member.selector(j), image()[static_cast<std::size_t>(j)]);
}

void TLedDriverForm::showPeriod(int c, int position)
{
    edtReg[m_member.prescaler(c)]->setValue(static_cast<std::uint8_t>(position));
    stcPeriod[c]->setText(qs(periodText(m_member.stepsPerSecond, position, m_decimal)));
    stcFreq[c]->setText(qs(frequencyText(m_member.stepsPerSecond, position, m_member.frequency[c], m_decimal)));
}

void TLedDriverForm::showDuty(int c, int position)
{
    edtReg[m_member.pwm(c)]->setValue(static_cast<std::uint8_t>(position));
    stcDC[c]->setText(qs(dutyText(m_member.duty, position, m_decimal)));
}

void TLedDriverForm::showSelector(int j)
{
    edtReg[m_member.selector(j)]->setValue(image()[static_cast<std::size_t>(j)]);
}

void TLedDriverForm::showMode(int led)
{
    const int code = vswLED[led]->value();
    if (m_member.modeLabels) {
        for (int c = 0; c < 4; ++c)
            setTextColour(m_labels[led][c], c == code ? kModeBlue : kModeBlack);
    } else {
        lblLED[led]->setText(qs(modeText(m_member.family, code)));
    }
}

void TLedDriverForm::refreshPreview()
{
    const LedRegisters r = registers();
    const double t = m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0.0;
    bool moving = false;
    for (int led = 0; led < m_member.leds; ++led) {
        const LedLook l = lookOf(m_member, r, led);
        m_lamps[led]->setBrightness(l.brightnessAt(t));
        m_lamps[led]->setToolTip(qs(describe(m_member, r, led, m_decimal)));
        moving = moving || l.animated();
    }
    if (!m_tick)
        return;
    if (moving && isVisible())
        m_tick->start();
    else
        m_tick->stop();
}

void TLedDriverForm::animate()
{
    const LedRegisters r = registers();
    const double t = m_clock.elapsed() / 1000.0;
    for (int led = 0; led < m_member.leds; ++led)
        m_lamps[led]->setBrightness(lookOf(m_member, r, led).brightnessAt(t));
}

void TLedDriverForm::showEvent(QShowEvent* event)
{
    TChildForm::showEvent(event);
    guard([this] { refreshPreview(); });
}

void TLedDriverForm::hideEvent(QHideEvent* event)
{
    TChildForm::hideEvent(event);
    if (m_tick)
        m_tick->stop();
}
