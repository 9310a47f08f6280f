#include "gui/devices/ports/Pca9544.h"
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
#include "gui/common/RadioGroup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace tp::pca954x;

namespace {

QStringList qt(const std::vector<std::string>& items)
{
    QStringList out;
    for (const std::string& s : items)
        out.append(QString::fromStdString(s));
    return out;
}

} // namespace

TfrmPCA954x::TfrmPCA954x(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCA954x"), parent),
      m_group{Group(ChipLink(*this, info(Mux::PCA9540).chipType, PCA9540)),
              Group(ChipLink(*this, info(Mux::PCA9542).chipType, PCA9542)),
              Group(ChipLink(*this, info(Mux::PCA9544).chipType, PCA9544))}
{
    setWindowTitle(tr(" PCA9540 / PCA9542 / PCA9544 I\u00B2C Multiplexers"));
    addFileMenu();
    setStartAddress(PCA9542, 0xE0);
    setStartAddress(PCA9544, 0xE0);
    m_group[PCA9540].link.setAddress(0xE0); // the PCA9540B has one address

    FlowLayout* top = addFlowingContent(this);
    for (Chip c : {PCA9540, PCA9542, PCA9544})
        top->addWidget(buildGroup(c));
    // The lists show the addresses the window will use.
    showAddressOf(PCA9542);
    showAddressOf(PCA9544);

    for (Chip c : {PCA9540, PCA9542, PCA9544}) {
        Group& g = m_group[c];
        connect(g.rdg, &RadioGroup::itemClicked, this,
                guarded([this, c](int index) { rdgChannelSelectClick(c, index); }));
        connect(g.btnWrite, &QPushButton::clicked, this, guarded([this, c] { btnWriteClick(c); }));
        connect(g.btnRead, &QPushButton::clicked, this, guarded([this, c] { btnPCA954xReadClick(c); }));
    }
    connect(m_group[PCA9542].cmbAddress, &QComboBox::currentIndexChanged, this,
            guarded(this, &TfrmPCA954x::cmbPCA9542AddressChange));
    connect(m_group[PCA9544].cmbAddress, &QComboBox::currentIndexChanged, this,
            guarded(this, &TfrmPCA954x::cmbPCA9544AddressChange));
}

QGroupBox* TfrmPCA954x::buildGroup(Chip chip)
{
    const MuxInfo& mux = info(muxOf(chip));
    const QString name = QString::fromLatin1(mux.group);
    Group& g = m_group[chip];

    auto* grb = new QGroupBox(name, this);
    grb->setObjectName(QStringLiteral("grb") + name);
    auto* v = new QVBoxLayout(grb);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    if (chip == PCA9540) {
        g.txtAddress = new QLabel(QStringLiteral("0xE0"), grb);
        g.txtAddress->setObjectName(QStringLiteral("txtAddress"));
        g.txtAddress->setToolTip(tr(" Device address"));
        g.txtAddress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        g.txtAddress->setMargin(3);
        form->addRow(tr("Device Address"), g.txtAddress);
    } else {
        g.cmbAddress = new QComboBox(grb);
        g.cmbAddress->setObjectName(QStringLiteral("cmb") + name + QStringLiteral("Address"));
        g.cmbAddress->addItems(qt(addressItems(mux.addressCount)));
        g.cmbAddress->setToolTip(chip == PCA9542 ? tr(" Select the PCA9542 address")
                                                 : tr(" Choose the PCA9544 address"));
        form->addRow(tr("Device Address"), g.cmbAddress);
    }
    g.edtControl = new HexField(QStringLiteral("edt") + name + QStringLiteral("Control"), QStringLiteral("00"), grb);
    showAsLedDisplay(g.edtControl);
    form->addRow(tr("Control Register"), g.edtControl);
    v->addLayout(form);

    g.rdg = new RadioGroup(QStringLiteral("rdg") + name.mid(3) + QStringLiteral("ChannelSelect"), tr("Channel Select"),
                           qt(channelItems(muxOf(chip))), 1, grb);
    g.rdg->setToolTip(tr(" Select the desired channel"));
    g.rdg->setItemIndex(0);
    v->addWidget(g.rdg);

    if (mux.intMask)
        g.interrupts = addInterruptIndicators(grb, v, name, QStringLiteral("chb") + name, mux.channels);
    const ControlButtons parts = addControlButtons(grb, v, name, Qt::Horizontal, g.link);
    g.btnRead = parts.btnRead;
    g.btnWrite = parts.btnWrite;
    g.autoWrite = parts.autoWrite;
    v->addStretch(1);
    return grb;
}

void TfrmPCA954x::showAddressOf(Chip chip)
{
    QComboBox* cmb = m_group[chip].cmbAddress;
    const int index = cmb->findText(QString::fromStdString(tp::addressText(m_group[chip].link.address())));
    if (index < 0) { // a byte no list item shows: the list's first item is what the window uses
        m_group[chip].link.setAddress(0xE0);
    }
    const QSignalBlocker block(cmb);
    cmb->setCurrentIndex(index < 0 ? 0 : index);
}

void TfrmPCA954x::rdgChannelSelectClick(int chip, int index)
{
    Group& g = m_group[chip];
    const std::uint8_t value = valueOfItem(muxOf(Chip(chip)), index);
    g.edtControl->setValue(value);
    if (g.autoWrite->isOn())
        g.link.showStatus(g.link.write({value}));
}

void TfrmPCA954x::btnWriteClick(int chip)
{
    Group& g = m_group[chip];
    g.link.showStatus(g.link.write({g.edtControl->value()}));
}

void TfrmPCA954x::btnPCA954xReadClick(int chip)
{
    Group& g = m_group[chip];
    std::vector<std::uint8_t> data;
    const tp::Status st = g.link.read(1, data);
    if (st == tp::status::Success && !data.empty()) {
        // Showing what the chip holds selects its channel; nothing is written.
        const std::uint8_t v = data[0];
        g.edtControl->setValue(v);
        g.rdg->setItemIndex(itemOfValue(muxOf(Chip(chip)), v));
        if (g.interrupts)
            g.interrupts->setValue(v);
    }
    g.link.showStatus(st);
}

void TfrmPCA954x::cmbPCA9542AddressChange(int index)
{
    m_group[PCA9542].link.setAddress(addresses(info(Mux::PCA9542).addressCount).at(std::size_t(index)));
}

void TfrmPCA954x::cmbPCA9544AddressChange(int index)
{
    m_group[PCA9544].link.setAddress(addresses(info(Mux::PCA9544).addressCount).at(std::size_t(index)));
}
