#include "gui/devices/ports/ChannelGroupParts.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ChipLink.h"
#include "gui/common/LedToggle.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QPushButton>

#include <vector>

BitBoxRow* addInterruptIndicators(QGroupBox* grb, QVBoxLayout* v, const QString& name, const QString& boxPrefix,
                                  int channels)
{
    auto* grbInt = new QGroupBox(QObject::tr("Interrupts"), grb);
    grbInt->setObjectName(QStringLiteral("grb") + name + QStringLiteral("Int"));
    grbInt->setToolTip(QObject::tr(" Interrupt flags are read only"));
    auto* inner = new QVBoxLayout(grbInt);
    auto* pnl = new QWidget(grbInt);
    pnl->setObjectName(QStringLiteral("pnl") + name + QStringLiteral("Int"));
    pnl->setEnabled(false);
    QStringList names, captions;
    std::vector<std::uint8_t> masks;
    for (int c = 0; c < channels; ++c) {
        names.append(boxPrefix + QStringLiteral("Int") + QString::number(c));
        captions.append(QObject::tr("Channel %1").arg(c));
        masks.push_back(static_cast<std::uint8_t>(0x10u << c));
    }
    auto* row = new BitBoxRow(pnl, BitBoxRow::fixedBoxes(names, captions, masks),
                              {BitBoxRow::Look::Led, tp::OneIs::Checked, false, Qt::Vertical});
    row->setValue(0);
    for (QAbstractButton* b : row->buttons())
        static_cast<LedToggle*>(b)->setLitColour(QColor(0xFF, 0x30, 0x30));
    inner->addWidget(pnl);
    v->addWidget(grbInt);
    return row;
}

ControlButtons addControlButtons(QGroupBox* grb, QVBoxLayout* v, const QString& name, Qt::Orientation direction,
                                 ChipLink& link)
{
    auto* buttons =
        new QBoxLayout(direction == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    auto* btnRead = new QPushButton(QObject::tr("Read"), grb);
    btnRead->setObjectName(QStringLiteral("btn") + name + QStringLiteral("Read"));
    btnRead->setToolTip(QObject::tr("Read %1 Control Register").arg(name));
    auto* btnWrite = new QPushButton(QObject::tr("Write"), grb);
    btnWrite->setObjectName(QStringLiteral("btn") + name + QStringLiteral("Write"));
    btnWrite->setToolTip(QObject::tr("Write %1 Control Register").arg(name));
    buttons->addWidget(btnRead);
    buttons->addWidget(btnWrite);
    v->addLayout(buttons);

    auto* chbAuto = new LedToggle(QStringLiteral("chb") + name + QStringLiteral("Auto"), QString(), grb);
    auto* autoWrite = new AutoWriteToggle(chbAuto);
    link.setAutoWrite(autoWrite);
    v->addWidget(chbAuto);
    return {btnRead, btnWrite, autoWrite};
}
