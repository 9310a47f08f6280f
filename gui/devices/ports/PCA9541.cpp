#include "gui/devices/ports/PCA9541.h"
#include "core/devices/ports/Pca9541.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/ScrollingContent.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ChipPicture.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/LedDisplay.h"
#include "gui/common/LedToggle.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace tp::pca9541;

namespace {

struct Led {
    const char* name;
    const char* caption;
    std::uint8_t mask;
};

// Highest bit first, as the chip's register tables list them.
const QList<Led> kLeds[3] = {
    {{"chbBusLostMsk", "BUSLOSTMSK", kBusLostMsk},
     {"chbBusOKMsk", "BUSOKMSK", kBusOkMsk},
     {"chbBusInitMsk", "BUSINITMSK", kBusInitMsk},
     {"chbIntMsk", "INTINMSK", kIntInMsk}},
    {{"chbNMyTestOn", "NTESTON", kNTestOn},
     {"chbMyTestOn", "TESTON", kTestOn},
     {"chbBusInit", "BUSINIT", kBusInit},
     {"chbNMyOnOff", "NBUSON", kNBusOn},
     {"chbMyOnOff", "BUSON", kBusOn},
     {"chbNMyGrab", "NMYBUS", kNMyBus},
     {"chbMyGrab", "MYBUS", kMyBus}},
    {{"chbNMyTest", "NMYTEST", kNMyTest},
     {"chbMyTest", "MYTEST", kMyTest},
     {"chbBusLost", "BUSLOST", kBusLost},
     {"chbBusOK", "BUSOK", kBusOk},
     {"chbBusInitReg2", "BUSINIT", kBusInitDone},
     {"chbIntIn", "INTIN", kIntIn}},
};

} // namespace

TfrmPCA9541::TfrmPCA9541(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCA9541"), parent), m_link(*this, kChipType)
{
    setWindowTitle(tr("PCA9541 2-to-1 Master Selector"));
    setStartAddress(0, 0xE0);

    FlowLayout* top = addFlowingContent(this);
    top->addWidget(buildRegister(0));
    top->addWidget(buildRegister(1));
    top->addWidget(buildRegister(2));
    top->addWidget(buildDevice());
    top->addWidget(new ChipPicture(QStringLiteral("PCA9541"), 8, this));

    connect(m_bits[0], &BitBoxRow::bitClicked, this, guarded([this] { chbReg0Change(); }));
    connect(m_bits[1], &BitBoxRow::bitClicked, this, guarded([this] { chbReg1Change(); }));
    connect(btnWrite[0], &QPushButton::clicked, this, guarded(this, &TfrmPCA9541::btnWriteReg0Click));
    connect(btnWrite[1], &QPushButton::clicked, this, guarded(this, &TfrmPCA9541::btnWriteReg1Click));
    connect(btnRead[0], &QPushButton::clicked, this, guarded(this, &TfrmPCA9541::btnReadReg0Click));
    connect(btnRead[1], &QPushButton::clicked, this, guarded(this, &TfrmPCA9541::btnReadReg1Click));
    connect(btnRead[2], &QPushButton::clicked, this, guarded(this, &TfrmPCA9541::btnReadReg2Click));
    connect(cmbAddress, &QComboBox::currentIndexChanged, this, guarded(this, &TfrmPCA9541::cmbAddressChange));
}

QGroupBox* TfrmPCA9541::buildRegister(int r)
{
    static const char* titles[3] = {"Register 0: IE", "Register 1:  Control", "Register 2:  Interrupt Status"};
    auto* grb = new QGroupBox(tr(titles[r]), this);
    grb->setObjectName(QStringLiteral("grbReg%1").arg(r));
    if (r == 2)
        grb->setToolTip(tr("Read-only register"));
    auto* v = new QVBoxLayout(grb);
    edtReg[r] = new HexField(QStringLiteral("edtReg%1").arg(r), QStringLiteral("00"), grb);
    showAsLedDisplay(edtReg[r]);
    v->addWidget(edtReg[r], 0, Qt::AlignLeft);

    auto* pnl = new QWidget(grb);
    pnl->setObjectName(QStringLiteral("pnlReg%1").arg(r));
    QStringList names, captions;
    std::vector<std::uint8_t> masks;
    for (const Led& led : kLeds[r]) {
        names.append(QString::fromLatin1(led.name));
        captions.append(QString::fromLatin1(led.caption));
        masks.push_back(led.mask);
    }
    m_bits[r] = new BitBoxRow(pnl, BitBoxRow::fixedBoxes(names, captions, masks),
                              {BitBoxRow::Look::Led, tp::OneIs::Checked, false, Qt::Vertical});
    m_bits[r]->bind(edtReg[r]);
    if (r == 1)
        m_bits[1]->setIndicators(kNMyBus | kNBusOn,
                                 tr("Shows the other master's bit; the chip ignores it when written"));
    if (r == 2) {
        pnl->setEnabled(false);
        pnl->setToolTip(tr("Read only register"));
    }
    v->addWidget(pnl);

    auto* buttons = new QHBoxLayout;
    if (r < 2) {
        btnWrite[r] = new QPushButton(tr("Write"), grb);
        btnWrite[r]->setObjectName(QStringLiteral("btnWriteReg%1").arg(r));
        btnWrite[r]->setToolTip(tr("Write register %1").arg(r));
        buttons->addWidget(btnWrite[r]);
    }
    btnRead[r] = new QPushButton(tr("Read"), grb);
    btnRead[r]->setObjectName(QStringLiteral("btnReadReg%1").arg(r));
    btnRead[r]->setToolTip(tr("Read Register %1").arg(r));
    buttons->addWidget(btnRead[r]);
    v->addLayout(buttons);
    v->addStretch(1);
    return grb;
}

QGroupBox* TfrmPCA9541::buildDevice()
{
    auto* grb = new QGroupBox(tr("Device"), this);
    grb->setObjectName(QStringLiteral("grbDevice"));
    auto* v = new QVBoxLayout(grb);
    auto* chbAutoWrite = new LedToggle(QStringLiteral("chbAutoWrite"), QString(), grb);
    m_autoWrite = new AutoWriteToggle(chbAutoWrite);
    m_link.setAutoWrite(m_autoWrite);
    v->addWidget(chbAutoWrite);
    cmbAddress = new QComboBox(grb);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    cmbAddress->setToolTip(tr("I\u00B2C Address Selection"));
    for (const std::string& item : addressItems())
        cmbAddress->addItem(QString::fromStdString(item));
    // The list shows the address the window will use.
    const std::vector<std::uint8_t> list = addresses();
    const auto at = std::find(list.begin(), list.end(), m_link.address());
    if (at == list.end())
        m_link.setAddress(list.front());
    cmbAddress->setCurrentIndex(at == list.end() ? 0 : int(at - list.begin()));
    v->addWidget(cmbAddress);
    return grb;
}

ChipLink::Register TfrmPCA9541::reg(int n) const
{
    return {n, edtReg[n]};
}

void TfrmPCA9541::chbReg0Change()
{
    if (m_autoWrite->isOn())
        m_link.writeOne(reg(0));
}

void TfrmPCA9541::chbReg1Change()
{
    if (m_autoWrite->isOn())
        m_link.writeOne(reg(1));
}

void TfrmPCA9541::btnWriteReg0Click()
{
    m_link.writeOne(reg(0));
}

void TfrmPCA9541::btnWriteReg1Click()
{
    m_link.writeOne(reg(1));
}

// A read shows the value and its LEDs; the next click builds on it.
void TfrmPCA9541::btnReadReg0Click()
{
    m_link.readOne(reg(0));
}

void TfrmPCA9541::btnReadReg1Click()
{
    m_link.readOne(reg(1));
}

void TfrmPCA9541::btnReadReg2Click()
{
    m_link.readOne(reg(2));
}

void TfrmPCA9541::cmbAddressChange(int index)
{
    m_link.setAddress(addresses().at(std::size_t(index)));
}
