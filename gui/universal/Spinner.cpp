#include "gui/universal/Spinner.h"
#include "core/common/HexText.h"
#include "gui/common/Guarded.h"
#include "gui/common/UpDownButtons.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>

TfrmSpin::TfrmSpin(TfrmLongI2C& device, int reg)
    : TRegisterControl(device, reg, QStringLiteral("chbUpdate"),
                       tr("Send I\u00B2C message when value changed"))
{
    setObjectName(QStringLiteral("TfrmSpin"));
    spnRegister = new UpDownButtons(QStringLiteral("spnRegister"), 0, 255, this);
    spnRegister->setToolTip(tr("Click on up/down arrows to inc./dec. value"));
    spnRegister->setFixedSize(28, 44);
    lblSpin = new QLabel(QStringLiteral("0x00"), this);
    lblSpin->setObjectName(QStringLiteral("lblSpin"));
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(f.pointSizeF() * 1.8);
    f.setBold(true);
    lblSpin->setFont(f);
    lblSpin->setMinimumWidth(QFontMetrics(f).horizontalAdvance(QStringLiteral("0xWW")));

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblRegName, 0, 0, 1, 2);
    layout->addWidget(lblSpin, 1, 0, Qt::AlignVCenter | Qt::AlignRight);
    layout->addWidget(spnRegister, 1, 1, Qt::AlignVCenter | Qt::AlignLeft);
    layout->addWidget(autoWriteBox(), 2, 0, 1, 2);

    reload();
    connect(spnRegister, &UpDownButtons::valueChanged, this, guarded(this, &TfrmSpin::spnRegisterChange));
}

void TfrmSpin::loadValue(std::uint8_t v)
{
    spnRegister->setValueQuietly(v);
    lblSpin->setText(QStringLiteral("0x") + QString::fromStdString(tp::byteText(v)));
}

void TfrmSpin::spnRegisterChange(int value)
{
    lblSpin->setText(QStringLiteral("0x") +
                     QString::fromStdString(tp::byteText(static_cast<std::uint8_t>(value))));
    valueChange(static_cast<std::uint8_t>(value));
}
