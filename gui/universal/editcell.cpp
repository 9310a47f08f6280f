#include "gui/universal/editcell.h"
#include "core/common/HexExit.h"
#include "core/common/HexText.h"
#include "gui/common/CharValidator.h"
#include "gui/common/CodePageValidator.h"
#include "gui/common/ExitFilter.h"
#include "gui/common/Guarded.h"
#include "gui/common/TypingLimit.h"
#include "gui/universal/Longi2c.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmEditCell::TfrmEditCell(TfrmLongI2C& device, int reg) : QDialog(&device), m_device(&device), m_reg(reg)
{
    setObjectName(QStringLiteral("TfrmEditCell"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Edit Register"));

    lblRegister = new QLabel(QStringLiteral("Register 0x") +
                             QString::fromStdString(tp::intToHex(std::uint64_t(reg), 2)));
    lblRegister->setObjectName(QStringLiteral("lblRegister"));
    QFont bold = lblRegister->font();
    bold.setBold(true);
    lblRegister->setFont(bold);

    edtDefault = new QLineEdit(QString::fromStdString(device.device().valueText(reg)));
    edtDefault->setObjectName(QStringLiteral("edtDefault"));
    edtDefault->setMaxLength(2);
    edtDefault->setValidator(new CharValidator(CharValidator::Kind::Hex, edtDefault));
    edtDefault->setFixedWidth(edtDefault->fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 16);
    onExit(edtDefault, [this] { edtDefaultExit(); });

    edtDescription = new QLineEdit(QString::fromStdString(device.device().registerName(reg)));
    edtDescription->setObjectName(QStringLiteral("edtDescription"));
    // The limit is for typing: a longer name from a file stays whole.
    limitTyping(edtDescription, 40);
    edtDescription->setValidator(new CodePageValidator(edtDescription));
    edtDescription->setMinimumWidth(
        edtDescription->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('n'))));

    auto* form = new QFormLayout;
    form->addRow(tr("Initial Value (hex):"), edtDefault);
    form->addRow(tr("Description"), edtDescription);

    btnOK = new QPushButton(tr("OK"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Cancel"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblRegister);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, guarded(this, &TfrmEditCell::btnOKClick));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEditCell::edtDefaultExit()
{
    const QString t = QString::fromStdString(
        tp::normaliseHexExit(tp::HexExit::LeadingZero, edtDefault->text().toStdString()));
    if (t != edtDefault->text())
        edtDefault->setText(t);
}

void TfrmEditCell::btnOKClick()
{
    edtDefaultExit();
    if (m_device)
        m_device->editCellAccepted(m_reg, edtDefault->text(), edtDescription->text());
    accept();
}
