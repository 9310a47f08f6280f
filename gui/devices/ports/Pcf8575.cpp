#include "gui/devices/ports/Pcf8575.h"
#include "core/devices/ports/Pcf857x.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "gui/common/WrapGridLayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tp::pcf857x;

namespace {

// Eight boxes P<port>7 .. P<port>0 named <prefix>7 .. <prefix>0, bold and fixed.
QList<BitBoxRow::Box> pins(const QString& prefix, int port)
{
    QStringList names, captions;
    for (int b = 7; b >= 0; --b) {
        names.append(prefix + QString::number(b));
        captions.append(QStringLiteral("P%1%2").arg(port).arg(b));
    }
    return BitBoxRow::fixedBoxes(names, captions);
}

const BitBoxRow::Style kPinStyle{BitBoxRow::Look::CheckBox, tp::OneIs::Checked, true};

QWidget* panel(const QString& name, QWidget* parent)
{
    auto* p = new QWidget(parent);
    p->setObjectName(name);
    return p;
}

// The high and low pins side by side, or the high above the low where the
// window is narrow.
WrapGridLayout* pinRows(QWidget* high, QWidget* low)
{
    auto* rows = new WrapGridLayout(2, 1);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setHorizontalSpacing(16);
    rows->setVerticalSpacing(0);
    rows->addWidget(high);
    rows->addWidget(low);
    return rows;
}

QLabel* highLowLabel(const QString& name, QWidget* parent)
{
    auto* l = new QLabel(QStringLiteral("High            Low"), parent);
    l->setObjectName(name);
    return l;
}

} // namespace

TfrmPCF8575::TfrmPCF8575(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCF8575"), parent), m_link(*this, kPcf8575)
{
    setWindowTitle(tr("PCF8575 16-bit I/O Expander"));
    addFileMenu();
    new HexKeyFilter(this);

    QStringList items;
    for (const std::string& s : hexPrefixItems(kPcf8575Base))
        items.append(QString::fromStdString(s));
    rdgPCF8575 = new RadioGroup(QStringLiteral("rdgPCF8575"), tr("I\u00B2C Address"), items, 8, this);
    rdgPCF8575->setToolTip(tr("Click on device I\u00B2C write address"));
    rdgPCF8575->setItemIndex(0);
    m_link.setAddress(kPcf8575Base);

    QGroupBox* grbRead = buildRead();
    QGroupBox* grbWrite = buildWrite();
    // Made after the panels it is drawn below, so Tab reaches it last.
    auto* chbEnabled = new LedToggle(QStringLiteral("chbEnabled"), QString(), this);
    chbEnabled->setToolTip(tr("Enable/disable Auto Write feature"));
    m_autoWrite = new AutoWriteToggle(chbEnabled);
    m_link.setAutoWrite(m_autoWrite);

    auto* column = new QVBoxLayout;
    column->addWidget(rdgPCF8575);
    column->addWidget(grbRead);
    column->addWidget(grbWrite);
    column->addWidget(chbEnabled);
    column->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    top->addLayout(column);
    top->addStretch(1);

    connect(rdgPCF8575, &RadioGroup::itemClicked, this, guarded(this, &TfrmPCF8575::rdgPCF8575Click));
    connect(edtWriteL, &HexField::completed, this, guarded(this, &TfrmPCF8575::edtWriteLowChange));
    connect(edtWriteH, &HexField::completed, this, guarded(this, &TfrmPCF8575::edtWriteHighChange));
    connect(edtWriteL, &HexField::exited, this, guarded(this, &TfrmPCF8575::edtWriteLExit));
    connect(edtWriteH, &HexField::exited, this, guarded(this, &TfrmPCF8575::edtWriteHExit));
    connect(btnPCF8575Write, &QPushButton::clicked, this, guarded(this, &TfrmPCF8575::btnPCF8575WriteClick));
    connect(btnRead, &QPushButton::clicked, this, guarded(this, &TfrmPCF8575::btnReadClick));
}

QGroupBox* TfrmPCF8575::buildRead()
{
    auto* grb = new QGroupBox(tr("Read"), this);
    grb->setObjectName(QStringLiteral("grb8575Pins"));
    grb->setToolTip(tr("Checked=high / Unchecked=low  (Read only)"));
    auto* grid = new QGridLayout(grb);
    grid->addWidget(highLowLabel(QStringLiteral("lblRead"), grb), 0, 0, 1, 2);
    edtReadHigh = new HexField(QStringLiteral("edtReadHigh"), QStringLiteral("FF"), grb);
    edtReadLow = new HexField(QStringLiteral("edtReadLow"), QStringLiteral("FF"), grb);
    edtReadHigh->setDisplayOnly(true);
    edtReadLow->setDisplayOnly(true);
    grid->addWidget(edtReadHigh, 1, 0);
    grid->addWidget(edtReadLow, 1, 1);
    btnRead = new QPushButton(tr("&Read"), grb);
    btnRead->setObjectName(QStringLiteral("btnRead"));
    btnRead->setToolTip(tr("Read two bytes from the PCF8575"));
    grid->addWidget(btnRead, 1, 3);
    grid->setColumnStretch(2, 1);
    QWidget* pnlReadHigh = panel(QStringLiteral("pnlReadHigh"), grb);
    QWidget* pnlReadLow = panel(QStringLiteral("pnlReadLow"), grb);
    pnlReadHigh->setEnabled(false);
    pnlReadLow->setEnabled(false);
    (new BitBoxRow(pnlReadHigh, pins(QStringLiteral("chbPort1"), 1), kPinStyle))->bind(edtReadHigh);
    (new BitBoxRow(pnlReadLow, pins(QStringLiteral("chbPort0"), 0), kPinStyle))->bind(edtReadLow);
    grid->addLayout(pinRows(pnlReadHigh, pnlReadLow), 2, 0, 1, 4);
    return grb;
}

QGroupBox* TfrmPCF8575::buildWrite()
{
    auto* grb = new QGroupBox(tr("Write"), this);
    grb->setObjectName(QStringLiteral("grb8575"));
    grb->setToolTip(tr("Checked=high. Unchecked=low."));
    auto* grid = new QGridLayout(grb);
    grid->addWidget(highLowLabel(QStringLiteral("lblWrite"), grb), 0, 0, 1, 2);
    edtWriteH = new HexField(QStringLiteral("edtWriteH"), QStringLiteral("FF"), grb);
    edtWriteL = new HexField(QStringLiteral("edtWriteL"), QStringLiteral("FF"), grb);
    edtWriteH->setToolTip(tr("Enter high byte here"));
    edtWriteL->setToolTip(tr("Enter low byte here"));
    grid->addWidget(edtWriteH, 1, 0);
    grid->addWidget(edtWriteL, 1, 1);
    QWidget* pnlHigh = panel(QStringLiteral("pnlHigh"), grb);
    QWidget* pnlLow = panel(QStringLiteral("pnlLow"), grb);
    auto* upper = new BitBoxRow(pnlHigh, pins(QStringLiteral("chbP1"), 1), kPinStyle);
    auto* lower = new BitBoxRow(pnlLow, pins(QStringLiteral("chbP0"), 0), kPinStyle);
    upper->bind(edtWriteH);
    lower->bind(edtWriteL);
    upper->setBusyWhileUpdating({pnlHigh, pnlLow});
    lower->setBusyWhileUpdating({pnlHigh, pnlLow});
    grid->addLayout(pinRows(pnlHigh, pnlLow), 2, 0, 1, 4);
    btnPCF8575Write = new QPushButton(tr("&Write"), grb);
    btnPCF8575Write->setObjectName(QStringLiteral("btnPCF8575Write"));
    btnPCF8575Write->setToolTip(tr("Write two bytes to the PCF8575"));
    grid->addWidget(btnPCF8575Write, 1, 3);
    grid->setColumnStretch(2, 1);
    return grb;
}

void TfrmPCF8575::rdgPCF8575Click(int index)
{
    m_link.setAddress(addressOfItem(kPcf8575Base, index));
}

void TfrmPCF8575::edtWriteLowChange()
{
    if (m_autoWrite->isOn())
        btnPCF8575WriteClick();
}

void TfrmPCF8575::edtWriteHighChange()
{
    if (m_autoWrite->isOn())
        btnPCF8575WriteClick();
}

void TfrmPCF8575::edtWriteLExit()
{
    edtWriteL->applyExit(tp::HexExit::ReformatOrFF);
}

void TfrmPCF8575::edtWriteHExit()
{
    edtWriteH->applyExit(tp::HexExit::ReformatOrFF);
}

void TfrmPCF8575::btnPCF8575WriteClick()
{
    const PortPair ports{edtWriteL->value(), edtWriteH->value()};
    m_link.showStatus(m_link.write(ports.busBytes()));
}

void TfrmPCF8575::btnReadClick()
{
    std::vector<std::uint8_t> bytes;
    const tp::Status st = m_link.read(2, bytes);
    if (st == tp::status::Success) {
        const PortPair ports = PortPair::fromBus(bytes);
        edtReadLow->setValue(ports.low);
        edtReadHigh->setValue(ports.high);
    }
    m_link.showStatus(st);
}
