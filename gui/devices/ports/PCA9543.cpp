#include "gui/devices/ports/PCA9543.h"
#include "core/common/HexText.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/ScrollingContent.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/Guarded.h"
#include "gui/devices/ports/ChannelGroupParts.h"
#include "gui/common/HexField.h"
#include "gui/common/LedDisplay.h"
#include "gui/common/LedToggle.h"

#include <QComboBox>
#include <algorithm>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace tp::pca954x;

TfrmPCA9543::TfrmPCA9543(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCA9543"), parent),
      m_group{Group(ChipLink(*this, info(Switch::PCA9543).chipType, PCA9543)),
              Group(ChipLink(*this, info(Switch::PCA9545).chipType, PCA9545)),
              Group(ChipLink(*this, info(Switch::PCA9546).chipType, PCA9546)),
              Group(ChipLink(*this, info(Switch::PCA9548).chipType, PCA9548))}
{
    setWindowTitle(tr("PCA9543 / PCA9545 / PCA9546 / PCA9548 I\u00B2C Switches"));
    addFileMenu();
    setStartAddress(PCA9543, 0xE2);
    setStartAddress(PCA9545, 0xE0);
    setStartAddress(PCA9546, 0xE0);
    setStartAddress(PCA9548, 0xE0);

    FlowLayout* top = addFlowingContent(this);
    for (Chip c : {PCA9543, PCA9545, PCA9546, PCA9548})
        top->addWidget(buildGroup(c));

    for (Chip c : {PCA9543, PCA9545, PCA9546, PCA9548}) {
        Group& g = m_group[c];
        // The lists show the addresses the window will use.
        const std::vector<std::uint8_t> list = addresses(info(switchOf(c)).addressCount);
        const auto at = std::find(list.begin(), list.end(), g.link.address());
        if (at == list.end())
            g.link.setAddress(list.front());
        g.cmbAddress->setCurrentIndex(at == list.end() ? 0 : int(at - list.begin()));

        connect(g.btnWrite, &QPushButton::clicked, this, guarded([this, c] { btnPCA9543WriteClick(c); }));
        connect(g.btnRead, &QPushButton::clicked, this, guarded([this, c] { btnPCA954xReadClick(c); }));
        connect(g.cmbAddress, &QComboBox::currentIndexChanged, this,
                guarded([this, c](int index) { addressChange(c, index); }));
    }
    connect(m_group[PCA9543].channels, &BitBoxRow::bitClicked, this, guarded(this, &TfrmPCA9543::chb9543Click));
    connect(m_group[PCA9545].channels, &BitBoxRow::bitClicked, this, guarded(this, &TfrmPCA9543::chb9545Click));
    connect(m_group[PCA9546].channels, &BitBoxRow::bitClicked, this, guarded(this, &TfrmPCA9543::chb9546Click));
    connect(m_group[PCA9548].channels, &BitBoxRow::bitClicked, this, guarded(this, &TfrmPCA9543::chb9548Click));
}

QGroupBox* TfrmPCA9543::buildGroup(Chip chip)
{
    const SwitchInfo& sw = info(switchOf(chip));
    const QString name = QString::fromLatin1(sw.group);
    const QString digits = name.mid(3); // "9543"
    Group& g = m_group[chip];

    auto* grb = new QGroupBox(name, this);
    grb->setObjectName(QStringLiteral("grb") + name);
    auto* v = new QVBoxLayout(grb);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    g.cmbAddress = new QComboBox(grb);
    g.cmbAddress->setObjectName(QStringLiteral("cmb") + name + QStringLiteral("Address"));
    for (const std::string& item : addressItems(sw.addressCount))
        g.cmbAddress->addItem(QString::fromStdString(item));
    g.cmbAddress->setToolTip(tr(" Select the %1 address").arg(name));
    form->addRow(tr("Device Address"), g.cmbAddress);
    g.edtControl = new HexField(QStringLiteral("edt") + name + QStringLiteral("Control"), QStringLiteral("00"), grb);
    showAsLedDisplay(g.edtControl);
    form->addRow(tr("Control Register"), g.edtControl);
    v->addLayout(form);

    auto* grbChannels = new QGroupBox(tr("Channel Select"), grb);
    grbChannels->setObjectName(QStringLiteral("grb") + name + QStringLiteral("Channels"));
    grbChannels->setToolTip(tr("Checked = channel active"));
    QStringList names, captions;
    std::vector<std::uint8_t> masks;
    for (int c = 0; c < sw.channels; ++c) {
        names.append(QStringLiteral("chb") + digits + QStringLiteral("ch") + QString::number(c));
        captions.append(tr("Channel %1").arg(c));
        masks.push_back(static_cast<std::uint8_t>(1u << c));
    }
    g.channels = new BitBoxRow(grbChannels, BitBoxRow::fixedBoxes(names, captions, masks),
                               {BitBoxRow::Look::CheckBox, tp::OneIs::Checked, false, Qt::Vertical});
    g.channels->setValue(0);
    v->addWidget(grbChannels);

    if (sw.intMask)
        g.interrupts = addInterruptIndicators(grb, v, name, QStringLiteral("chb") + digits, sw.channels);

    // One above the other, so that four groups fit beside each other in half a screen.
    const ControlButtons parts = addControlButtons(grb, v, name, Qt::Vertical, g.link);
    g.btnRead = parts.btnRead;
    g.btnWrite = parts.btnWrite;
    g.autoWrite = parts.autoWrite;
    v->addStretch(1);
    return grb;
}

void TfrmPCA9543::channelClick(Chip chip, std::uint8_t mask, bool on)
{
    Group& g = m_group[chip];
    g.copy = tp::withBit(g.copy, mask, on);
    g.edtControl->setValue(g.copy);
    if (g.autoWrite->isOn())
        g.link.showStatus(g.link.write({g.copy}));
}

void TfrmPCA9543::chb9543Click(quint8 mask, bool on)
{
    channelClick(PCA9543, mask, on);
}

void TfrmPCA9543::chb9545Click(quint8 mask, bool on)
{
    channelClick(PCA9545, mask, on);
}

void TfrmPCA9543::chb9546Click(quint8 mask, bool on)
{
    channelClick(PCA9546, mask, on);
}

void TfrmPCA9543::chb9548Click(quint8 mask, bool on)
{
    channelClick(PCA9548, mask, on);
}

void TfrmPCA9543::btnPCA9543WriteClick(int chip)
{
    Group& g = m_group[chip];
    g.link.showStatus(g.link.write({g.edtControl->value()}));
}

void TfrmPCA9543::SetCheckBoxes(Chip chip, std::uint8_t value)
{
    Group& g = m_group[chip];
    g.channels->setValue(value);
    if (g.interrupts)
        g.interrupts->setValue(value);
}

void TfrmPCA9543::btnPCA954xReadClick(int chip)
{
    Group& g = m_group[chip];
    std::vector<std::uint8_t> data;
    const tp::Status st = g.link.read(1, data);
    if (st == tp::status::Success && !data.empty()) {
        // The next click builds on what the chip holds; nothing is written now.
        const std::uint8_t v = data[0];
        g.edtControl->setValue(v);
        SetCheckBoxes(Chip(chip), v);
        g.copy = v & channelMask(info(switchOf(Chip(chip))).channels);
    }
    g.link.showStatus(st);
}

void TfrmPCA9543::addressChange(Chip chip, int index)
{
    switch (chip) {
    case PCA9543:
        cmbPCA9543AddressChange(index);
        break;
    case PCA9545:
        cmbPCA9545AddressChange(index);
        break;
    case PCA9546:
        cmbPCA9546AddressChange(index);
        break;
    case PCA9548:
        cmbPCA9548AddressChange(index);
        break;
    }
}

void TfrmPCA9543::cmbPCA9543AddressChange(int index)
{
    m_group[PCA9543].link.setAddress(addresses(info(Switch::PCA9543).addressCount).at(std::size_t(index)));
}

void TfrmPCA9543::cmbPCA9545AddressChange(int index)
{
    m_group[PCA9545].link.setAddress(addresses(info(Switch::PCA9545).addressCount).at(std::size_t(index)));
}

void TfrmPCA9543::cmbPCA9546AddressChange(int index)
{
    m_group[PCA9546].link.setAddress(addresses(info(Switch::PCA9546).addressCount).at(std::size_t(index)));
}

void TfrmPCA9543::cmbPCA9548AddressChange(int index)
{
    m_group[PCA9548].link.setAddress(addresses(info(Switch::PCA9548).addressCount).at(std::size_t(index)));
}
