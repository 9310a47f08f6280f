#include "gui/devices/ports/Pcf8574.h"
#include "core/devices/ports/Pcf857x.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RadioGroup.h"
#include "gui/common/WrapGridLayout.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tp::pcf857x;

namespace {

QStringList names(const QString& prefix, const QStringList& suffixes)
{
    QStringList out;
    for (const QString& s : suffixes)
        out.append(prefix + s);
    return out;
}

const QStringList kDigits{"7", "6", "5", "4", "3", "2", "1", "0"};
const QStringList kPinCaptions{"P 7", "P 6", "P 5", "P 4", "P 3", "P 2", "P 1", "P 0"};

QStringList items(std::uint8_t base)
{
    QStringList out;
    for (const std::string& s : hSuffixItems(base))
        out.append(QString::fromStdString(s));
    return out;
}

} // namespace

// What differs between the two halves: names, texts and the address range.
struct TfrmPCF8574::Names {
    QString chip;
    std::uint8_t base;
    QString rdg, rdgHint;
    QString grbPins, pinsHint, edtRead, readBoxPrefix, readBoxDigits, pnlRead, btnRead;
    QString grbWrite, edtWrite, writeBoxPrefix, pnlWrite, btnWrite;
    QString chbAuto, chbReadBack;
};

TfrmPCF8574::TfrmPCF8574(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCF8574"), parent),
      m_half{Half(ChipLink(*this, kPcf8574, PCF8574)), Half(ChipLink(*this, kPcf8574A, PCF8574A))}
{
    setWindowTitle(tr("PCF8574 / PCF8574A 8-bit I/O Expanders"));
    setStartAddress(PCF8574, kPcf8574Base);
    setStartAddress(PCF8574A, kPcf8574ABase);
    addFileMenu();
    new HexKeyFilter(this);

    const Names left{"PCF8574", kPcf8574Base, "rdgPCF8574", tr("Choose PCF8574 I2C address"),
                     "grb8574Pins", tr("Checked=high, unchecked=low.  Checkboxes are read only."), "edtRead",
                     "chbPort", "", "pnl8574Pins", "btnPCF8574Read",
                     "grb8574", "edtWrite", "chb74P", "pnl8574", "btnPCF8574Write",
                     "chbEnabled", "chbReadBack"};
    const Names right{"PCF8574A", kPcf8574ABase, "rdgPCF8574A", tr("Choose PCF8574A I2C address"),
                      "grb8574APins", tr("Checkboxes are read only"), "edtPCF8574ARead",
                      "chbPort0", "", "pnl8574APins", "btnPCF8574ARead",
                      "grb8574A", "edtPCF8574AWrite", "chb74AP", "pnl8574A", "btnPCF8574AWrite",
                      "chbPCF8574A", "chbReadBackA"};

    // The two chips side by side, one above the other where the window is
    // narrow (tiled beside another).
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    auto* halves = new WrapGridLayout(2, 1);
    halves->setHorizontalSpacing(24);
    halves->setVerticalSpacing(12);
    halves->addWidget(buildHalf(m_half[PCF8574], left));
    halves->addWidget(buildHalf(m_half[PCF8574A], right));
    top->addLayout(halves);
    top->addStretch(1);

    // Reactions last, once the form shows its defaults.
    connect(m_half[PCF8574].rdg, &RadioGroup::itemClicked, this,
            guarded(this, &TfrmPCF8574::rdgPCF8574Click));
    connect(m_half[PCF8574A].rdg, &RadioGroup::itemClicked, this,
            guarded(this, &TfrmPCF8574::rdgPCF8574AClick));
    connect(m_half[PCF8574].edtWrite, &HexField::completed, this,
            guarded(this, &TfrmPCF8574::edtPCF8574WriteChange));
    connect(m_half[PCF8574A].edtWrite, &HexField::completed, this,
            guarded(this, &TfrmPCF8574::edtPCF8574AWriteChange));
    connect(m_half[PCF8574].edtWrite, &HexField::exited, this, guarded(this, &TfrmPCF8574::edtWriteExit));
    connect(m_half[PCF8574A].edtWrite, &HexField::exited, this,
            guarded(this, &TfrmPCF8574::edtPCF8574AWriteExit));
    for (Half& h : m_half) {
        connect(h.btnWrite, &QPushButton::clicked, this, guarded(this, &TfrmPCF8574::btnPCF8574WriteClick));
        connect(h.btnRead, &QPushButton::clicked, this, guarded(this, &TfrmPCF8574::btnPCF8574ReadClick));
    }
}

QWidget* TfrmPCF8574::buildHalf(Half& h, const Names& n)
{
    auto* column = new QWidget(this);
    column->setObjectName(QStringLiteral("pnl") + n.chip);
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);

    h.rdg = new RadioGroup(n.rdg, tr("I\u00B2C Address"), items(n.base), 4, column);
    h.rdg->setToolTip(n.rdgHint);
    h.rdg->setItemIndex(0);
    v->addWidget(h.rdg);

    // Read panel: the byte read and its pins, which only show.
    h.grbPins = new QGroupBox(tr("Read ") + n.chip, column);
    h.grbPins->setObjectName(n.grbPins);
    h.grbPins->setToolTip(n.pinsHint);
    auto* readRow = new QHBoxLayout(h.grbPins);
    h.edtRead = new HexField(n.edtRead, QStringLiteral("FF"), h.grbPins);
    h.edtRead->setDisplayOnly(true);
    readRow->addWidget(h.edtRead);
    auto* pnlRead = new QWidget(h.grbPins);
    pnlRead->setObjectName(n.pnlRead);
    pnlRead->setEnabled(false);
    h.readBoxes = new BitBoxRow(pnlRead, BitBoxRow::fixedBoxes(names(n.readBoxPrefix, kDigits), kPinCaptions),
                                {BitBoxRow::Look::CheckBox, tp::OneIs::Checked, true});
    h.readBoxes->bind(h.edtRead);
    readRow->addWidget(pnlRead);
    h.btnRead = new QPushButton(tr("Read"), h.grbPins);
    h.btnRead->setObjectName(n.btnRead);
    h.btnRead->setToolTip(tr("Read data from ") + n.chip);
    readRow->addWidget(h.btnRead);
    readRow->addStretch(1);
    v->addWidget(h.grbPins);

    // Write panel: the byte to send and one box per pin, checked = high.
    h.grbWrite = new QGroupBox(tr("Write ") + n.chip, column);
    h.grbWrite->setObjectName(n.grbWrite);
    h.grbWrite->setToolTip(tr("Checked=high, unchecked=low.  Click to change state."));
    auto* writeRow = new QHBoxLayout(h.grbWrite);
    h.edtWrite = new HexField(n.edtWrite, QStringLiteral("FF"), h.grbWrite);
    h.edtWrite->setToolTip(tr("Enter data to be sent here"));
    h.edtWrite->setHexKeysOnly();
    writeRow->addWidget(h.edtWrite);
    auto* pnlWrite = new QWidget(h.grbWrite);
    pnlWrite->setObjectName(n.pnlWrite);
    h.writeBoxes = new BitBoxRow(pnlWrite, BitBoxRow::fixedBoxes(names(n.writeBoxPrefix, kDigits), kPinCaptions),
                                 {BitBoxRow::Look::CheckBox, tp::OneIs::Checked, true});
    h.writeBoxes->bind(h.edtWrite);
    h.writeBoxes->setBusyWhileUpdating({h.grbWrite});
    writeRow->addWidget(pnlWrite);
    h.btnWrite = new QPushButton(tr("Write"), h.grbWrite);
    h.btnWrite->setObjectName(n.btnWrite);
    h.btnWrite->setToolTip(tr("Write data to ") + n.chip);
    writeRow->addWidget(h.btnWrite);
    writeRow->addStretch(1);
    v->addWidget(h.grbWrite);

    auto* toggles = new QHBoxLayout;
    auto* chbAuto = new LedToggle(n.chbAuto, QString(), column);
    chbAuto->setToolTip(tr("Enable/disable Auto Write feature"));
    h.autoWrite = new AutoWriteToggle(chbAuto);
    h.link.setAutoWrite(h.autoWrite);
    toggles->addWidget(chbAuto);
    toggles->addSpacing(24);
    auto* chbReadBack = new LedToggle(n.chbReadBack, QString(), column);
    chbReadBack->setToolTip(tr("Enable/disable Auto Readback feature"));
    h.readBack = new ToggleCaption(chbReadBack, QStringLiteral("Auto Readback"));
    toggles->addWidget(chbReadBack);
    toggles->addStretch(1);
    v->addLayout(toggles);
    v->addStretch(1);
    return column;
}

void TfrmPCF8574::rdgPCF8574Click(int index)
{
    m_half[PCF8574].link.setAddress(addressOfItem(kPcf8574Base, index));
}

void TfrmPCF8574::rdgPCF8574AClick(int index)
{
    m_half[PCF8574A].link.setAddress(addressOfItem(kPcf8574ABase, index));
}

void TfrmPCF8574::edtPCF8574WriteChange()
{
    if (m_half[PCF8574].autoWrite->isOn())
        writeChip(PCF8574);
}

void TfrmPCF8574::edtPCF8574AWriteChange()
{
    if (m_half[PCF8574A].autoWrite->isOn())
        writeChip(PCF8574A);
}

void TfrmPCF8574::edtWriteExit()
{
    m_half[PCF8574].edtWrite->applyExit(tp::HexExit::Reformat);
}

void TfrmPCF8574::edtPCF8574AWriteExit()
{
    m_half[PCF8574A].edtWrite->applyExit(tp::HexExit::Reformat);
}

TfrmPCF8574::Chip TfrmPCF8574::chipOf(QObject* button) const
{
    return button == m_half[PCF8574A].btnWrite || button == m_half[PCF8574A].btnRead ? PCF8574A : PCF8574;
}

void TfrmPCF8574::btnPCF8574WriteClick()
{
    writeChip(chipOf(sender()));
}

void TfrmPCF8574::btnPCF8574ReadClick()
{
    readChip(chipOf(sender()));
}

void TfrmPCF8574::writeChip(Chip c)
{
    const ClickGuard guard{m_half[PCF8574].btnWrite, m_half[PCF8574A].btnWrite};
    Half& h = m_half[c];
    const tp::Status st = h.link.write({h.edtWrite->value()});
    h.link.showStatus(st);
    if (st == tp::status::Success && h.readBack->isOn())
        readChip(c);
}

void TfrmPCF8574::readChip(Chip c)
{
    Half& h = m_half[c];
    h.link.readOne({ChipLink::kNoRegister, h.edtRead});
}
