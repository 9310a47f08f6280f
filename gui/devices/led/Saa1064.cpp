#include "gui/devices/led/Saa1064.h"
#include "core/common/HexText.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/led/LedLamp.h"
#include "gui/devices/led/SevenSegmentDigit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QScopeGuard>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <exception>

using namespace tp::saa1064;

namespace {

const QStringList kFilters{QStringLiteral("Mem files (*.mem)"), QStringLiteral("All files (*.*)")};

tp::StatusMessage plainMessage(const char* text)
{
    tp::StatusMessage m;
    m.text = text;
    return m;
}

} // namespace

TfrmSAA1064::TfrmSAA1064(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmSAA1064"), parent), m_link(*this, QStringLiteral("SAA1064"))
{
    setWindowTitle(tr("SAA1064 LED Driver"));
    setOpensMaximised(true);
    const QString dp = QLocale().decimalPoint();
    m_decimal = dp.size() == 1 && dp[0].unicode() < 128 ? char(dp[0].unicode()) : '.';

    QMenu* file = addFileMenu();
    QAction* first = file->actions().value(0);
    auto* open = new QAction(tr("Open"), file);
    open->setObjectName(QStringLiteral("mnuOpen"));
    auto* saveAs = new QAction(tr("Save As..."), file);
    saveAs->setObjectName(QStringLiteral("mnuSaveAs"));
    file->insertAction(first, open);
    file->insertAction(first, saveAs);
    file->insertSeparator(first);
    connect(open, &QAction::triggered, this, guarded([this] { mnuOpenClick(); }));
    connect(saveAs, &QAction::triggered, this, guarded([this] { mnuSaveAsClick(); }));

    auto* top = new QVBoxLayout(this);
    top->addWidget(buildTop());
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildControl(), 0, Qt::AlignTop);
    middle->addWidget(buildPreview(), 0, Qt::AlignTop);
    middle->addStretch(1);
    top->addLayout(middle);
    auto* digits = new QHBoxLayout;
    for (int d = 1; d <= 4; ++d)
        digits->addWidget(buildDigit(d), 0, Qt::AlignTop);
    digits->addStretch(1);
    top->addLayout(digits);
    top->addStretch(1);

    // Everything starts afresh with each window, the address too.
    m_link.setAddress(kAddresses[0]);
    cmbAddress->setCurrentIndex(0);
    showControl();
    for (int d = 1; d <= 4; ++d)
        showDigit(d);

    connect(cmbAddress, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmSAA1064::cmbAddressChange));
    connect(trbBright, &QSlider::valueChanged, this, guarded(this, &TfrmSAA1064::trbBrightChange));
    for (int bit = 0; bit < 4; ++bit)
        connect(chbControl[bit], &QCheckBox::clicked, this,
                guarded([this, bit](bool checked) { chbControlClick(bit, checked); }));
    for (int d = 1; d <= 4; ++d)
        for (int bit = 0; bit < 8; ++bit)
            connect(chbDigit[d - 1][bit], &LedToggle::clicked, this,
                    guarded([this, d, bit](bool lit) { chbDigitClick(d, bit, lit); }));
    connect(btnWrite, &QPushButton::clicked, this, guarded(this, &TfrmSAA1064::btnWriteClick));
    connect(btnRead, &QPushButton::clicked, this, guarded(this, &TfrmSAA1064::btnReadClick));
}

QWidget* TfrmSAA1064::buildTop()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlTop"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);

    auto* grbAddress = new QGroupBox(tr("Device Address"), bar);
    grbAddress->setObjectName(QStringLiteral("grbAddress"));
    auto* a = new QHBoxLayout(grbAddress);
    cmbAddress = new QComboBox(grbAddress);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    for (std::uint8_t address : kAddresses)
        cmbAddress->addItem(QString::fromStdString(tp::addressText(address)));
    a->addWidget(cmbAddress);
    row->addWidget(grbAddress);

    auto* grbAuto = new QGroupBox(tr("Automatic Write"), bar);
    grbAuto->setObjectName(QStringLiteral("grbAutomaticWrite"));
    auto* w = new QHBoxLayout(grbAuto);
    chbEnabled = new LedToggle(QStringLiteral("chbEnabled"), QString(), grbAuto);
    m_autoWrite = new AutoWriteToggle(chbEnabled);
    m_link.setAutoWrite(m_autoWrite);
    chbEnabled->setMinimumWidth(chbEnabled->sizeHint().width() +
                                chbEnabled->fontMetrics().horizontalAdvance(QStringLiteral("ff")));
    w->addWidget(chbEnabled);
    row->addWidget(grbAuto);

    auto* grbRW = new QGroupBox(tr("Read and Write"), bar);
    grbRW->setObjectName(QStringLiteral("grbReadWrite"));
    auto* rw = new QHBoxLayout(grbRW);
    btnWrite = new QPushButton(tr("&Write All"), grbRW);
    btnWrite->setObjectName(QStringLiteral("btnWrite"));
    btnWrite->setToolTip(tr("Write all registers"));
    btnRead = new QPushButton(tr("&Read Status"), grbRW);
    btnRead->setObjectName(QStringLiteral("btnRead"));
    btnRead->setToolTip(tr("Read the status register (LED on if set)"));
    ledStatus = new LedLamp(QStringLiteral("ledStatus"), grbRW);
    ledStatus->setToolTip(tr("Power reset flag"));
    rw->addWidget(btnWrite);
    rw->addWidget(btnRead);
    rw->addWidget(ledStatus);
    row->addWidget(grbRW);
    row->addStretch(1);
    return bar;
}

QGroupBox* TfrmSAA1064::buildControl()
{
    auto* grb = new QGroupBox(tr("Control Register"), this);
    grb->setObjectName(QStringLiteral("grbControl"));
    auto* grid = new QGridLayout(grb);
    const char* captions[] = {"Dynamic mode", "Digits 1 and 3 on", "Digits 2 and 4 on", "All segments on"};
    for (int bit = 0; bit < 4; ++bit) {
        auto* b = new QCheckBox(tr(captions[bit]), grb);
        b->setObjectName(QStringLiteral("chbControl%1").arg(bit));
        b->setToolTip(tr("Control register bit %1").arg(bit));
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
        chbControl[bit] = b;
        grid->addWidget(b, bit, 0, 1, 3);
    }
    auto* lblCurrent = new QLabel(tr("Current (mA)"), grb);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    trbBright = new QSlider(Qt::Horizontal, grb);
    trbBright->setObjectName(QStringLiteral("trbBright"));
    trbBright->setRange(0, kMaxCurrentPosition);
    trbBright->setSingleStep(1);
    trbBright->setPageStep(1);
    trbBright->setTickPosition(QSlider::TicksBelow);
    trbBright->setTickInterval(1);
    trbBright->setMinimumWidth(120);
    trbBright->setToolTip(tr("Segment output current"));
    lblCurrent->setBuddy(trbBright);
    ledCurrent = new QLCDNumber(3, grb);
    ledCurrent->setObjectName(QStringLiteral("ledCurrent"));
    ledCurrent->setSegmentStyle(QLCDNumber::Flat);
    ledCurrent->setSmallDecimalPoint(true);
    ledCurrent->setMinimumSize(fontMetrics().height() * 4, fontMetrics().height() * 2);
    grid->addWidget(lblCurrent, 4, 0);
    grid->addWidget(trbBright, 4, 1);
    grid->addWidget(ledCurrent, 4, 2);

    auto* lblControl = new QLabel(tr("Control"), grb);
    lblControl->setObjectName(QStringLiteral("lblControl"));
    edtControl = new HexField(QStringLiteral("edtControl"), QStringLiteral("00"), grb);
    edtControl->setDisplayOnly(true);
    auto* reg = new QHBoxLayout;
    reg->addWidget(lblControl);
    reg->addWidget(edtControl);
    reg->addStretch(1);
    grid->addLayout(reg, 5, 0, 1, 3);
    return grb;
}

QGroupBox* TfrmSAA1064::buildDigit(int digit)
{
    auto* grb = new QGroupBox(tr("Digit %1").arg(digit), this);
    grb->setObjectName(QStringLiteral("grbDigit%1").arg(digit));
    grb->setToolTip(tr("Checked=LED On.  Unchecked=LED Off"));
    auto* col = new QVBoxLayout(grb);
    for (int bit = 0; bit < 8; ++bit) {
        auto* t = new LedToggle(QStringLiteral("chbDigit%1%2").arg(digit).arg(bit), tr("Bit %1").arg(bit), grb);
        t->setLitColour(QColor(0xFF, 0x30, 0x20));
        chbDigit[digit - 1][bit] = t;
        col->addWidget(t);
    }
    edtDigit[digit - 1] = new HexField(QStringLiteral("edtDigit%1").arg(digit), QStringLiteral("00"), grb);
    edtDigit[digit - 1]->setDisplayOnly(true);
    col->addWidget(edtDigit[digit - 1], 0, Qt::AlignLeft);
    grbDigit[digit - 1] = grb;
    return grb;
}

QGroupBox* TfrmSAA1064::buildPreview()
{
    auto* grb = new QGroupBox(tr("Display"), this);
    grb->setObjectName(QStringLiteral("grbPreview"));
    grb->setToolTip(tr("The four digits as the registers now light them"));
    auto* row = new QHBoxLayout(grb);
    for (int d = 1; d <= 4; ++d) {
        m_preview[d - 1] = new SevenSegmentDigit(QStringLiteral("pvwDigit%1").arg(d), grb);
        row->addWidget(m_preview[d - 1]);
    }
    return grb;
}

void TfrmSAA1064::chbControlClick(int bit, bool checked)
{
    m_regs.control = withBit(m_regs.control, bit, checked);
    edited(kControl);
}

void TfrmSAA1064::trbBrightChange(int position)
{
    m_regs.control = withCurrent(m_regs.control, position);
    edited(kControl);
}

void TfrmSAA1064::chbDigitClick(int digit, int bit, bool lit)
{
    m_regs.reg(digit) = withBit(m_regs.reg(digit), bit, lit);
    edited(digit);
}

void TfrmSAA1064::edited(int subaddress)
{
    m_last = subaddress;
    if (subaddress == kControl)
        showControl();
    else
        showDigit(subaddress);
    if (m_autoWrite->isOn())
        registerWrite();
}

void TfrmSAA1064::registerWrite()
{
    const HexField* display = m_last == kControl ? edtControl : edtDigit[m_last - 1];
    const tp::Status st = m_link.writeRegister(static_cast<std::uint8_t>(m_last), {display->value()});
    m_link.showStatus(st);
    if (st != tp::status::Success)
        m_autoWrite->setOn(false);
}

void TfrmSAA1064::cmbAddressChange(int index)
{
    if (index >= 0 && index < static_cast<int>(kAddresses.size()))
        m_link.setAddress(kAddresses[static_cast<std::size_t>(index)]);
}

void TfrmSAA1064::btnWriteClick()
{
    const ClickGuard guard{btnWrite, btnRead};
    // Control and the four digits in one transfer: the chip moves on by itself.
    std::vector<std::uint8_t> bytes{m_regs.control};
    bytes.insert(bytes.end(), m_regs.digits.begin(), m_regs.digits.end());
    m_link.showStatus(m_link.writeRegister(kControl, std::move(bytes)));
}

void TfrmSAA1064::btnReadClick()
{
    const ClickGuard guard{btnWrite, btnRead};
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.read(1, data);
    if (st == tp::status::Success && !data.empty())
        ledStatus->setBrightness((data[0] & kPowerReset) != 0 ? 1.0 : 0.0);
    m_link.showStatus(st);
}

void TfrmSAA1064::showControl()
{
    edtControl->setValue(m_regs.control);
    for (int bit = 0; bit < 4; ++bit)
        chbControl[bit]->setChecked(m_regs.control >> bit & 1);
    {
        const QSignalBlocker block(trbBright);
        trbBright->setValue(currentPosition(m_regs.control));
    }
    // A segment display has a point and no comma: the figure takes the
    // point, the tool tip the locale's own separator.
    ledCurrent->display(QString::fromStdString(currentText(currentPosition(m_regs.control), '.')));
    ledCurrent->setToolTip(QString::fromStdString(currentText(currentPosition(m_regs.control), m_decimal)) +
                           QStringLiteral(" mA"));
    const bool dynamic = dynamicMode(m_regs.control);
    grbDigit[2]->setVisible(dynamic);
    grbDigit[3]->setVisible(dynamic);
    refreshPreview();
}

void TfrmSAA1064::showDigit(int digit)
{
    const std::uint8_t v = m_regs.reg(digit);
    edtDigit[digit - 1]->setValue(v);
    for (int bit = 0; bit < 8; ++bit)
        chbDigit[digit - 1][bit]->setChecked(v >> bit & 1);
    refreshPreview();
}

void TfrmSAA1064::refreshPreview()
{
    for (int d = 1; d <= 4; ++d)
        if (m_preview[d - 1])
            m_preview[d - 1]->setLook(digitLook(m_regs, d));
}

bool TfrmSAA1064::apply(const Record& record)
{
    const int item = addressIndex(record.address);
    if (item >= 0) {
        const QSignalBlocker block(cmbAddress);
        cmbAddress->setCurrentIndex(item);
        m_link.setAddress(record.address);
    } else {
        main().showStatus(plainMessage("  Invalid address in datafile"));
    }
    btnWrite->setFocus();
    m_regs = record.registers;
    showControl();
    for (int d = 1; d <= 4; ++d)
        showDigit(d);
    return item >= 0;
}

void TfrmSAA1064::mnuOpenClick()
{
    bool writeAll = false;
    {
        // Auto Write comes back when the open ends, but not after a file
        // that could not be read: the error ends it with Auto Write off.
        AutoWriteToggle::Suspension suspended(m_autoWrite);
        const auto keepOff = qScopeGuard([&] {
            if (std::uncaught_exceptions() > 0)
                suspended.keepOff();
        });
        main().ResetWarning();
        Dialogs::FileRequest request;
        request.title = tr("Open SAA1064 Data File");
        request.filters = kFilters;
        request.defaultSuffix = QStringLiteral("mem");
        if (!Dialogs::instance().openFile(this, request))
            return;
        // The whole record is read and checked before anything changes.
        const std::optional<Record> record = DataFile::read(request.fileName.toStdString());
        if (!record) {
            main().showStatus(plainMessage("  Invalid Data File"));
            return;
        }
        setWindowTitle(QFileInfo(request.fileName).fileName());
        // A refused address must not send the loaded registers to the old one.
        writeAll = apply(*record);
    }
    if (writeAll && m_autoWrite->isOn())
        btnWriteClick();
}

void TfrmSAA1064::mnuSaveAsClick()
{
    Dialogs::FileRequest request;
    request.title = tr("Save SAA1064 Data As");
    request.filters = kFilters;
    request.defaultSuffix = QStringLiteral("mem");
    if (!Dialogs::instance().saveFile(this, request))
        return;
    DataFile::write(request.fileName.toStdString(), Record{m_link.address(), m_regs});
}
