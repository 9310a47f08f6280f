#include "gui/memory/TfrmGoTo.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/memory/MemoryForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
QPointer<TfrmGoTo> g_goto;
}

TfrmGoTo* TfrmGoTo::instance()
{
    return g_goto.data();
}

TfrmGoTo* TfrmGoTo::open(TMemoryForm& window)
{
    if (!g_goto)
        g_goto = new TfrmGoTo(window.window());
    g_goto->aim(window);
    g_goto->show();
    g_goto->raise();
    g_goto->activateWindow();
    return g_goto;
}

TfrmGoTo::TfrmGoTo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGoTo"));
    setWindowTitle(QStringLiteral("Go To Byte..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    edtNote = new QLineEdit(this);
    edtNote->setObjectName(QStringLiteral("edtNote"));
    edtNote->setReadOnly(true);
    edtNote->setFrame(false);
    edtNote->setFocusPolicy(Qt::NoFocus); // a note, not a field
    edtHex = new QLineEdit(this);
    edtHex->setObjectName(QStringLiteral("edtHex"));
    edtHex->setMaxLength(4);
    edtHex->setValidator(new CharValidator(CharValidator::Kind::Hex, edtHex));
    edtDecimal = new QLineEdit(this);
    edtDecimal->setObjectName(QStringLiteral("edtDecimal"));
    edtDecimal->setMaxLength(5);
    edtDecimal->setValidator(new CharValidator(CharValidator::Kind::Decimal, edtDecimal));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* form = new QFormLayout(this);
    form->addRow(edtNote);
    form->addRow(QStringLiteral("Hexadecimal"), edtHex);
    form->addRow(QStringLiteral("Decimal"), edtDecimal);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    form->addRow(buttons);

    connect(edtHex, &QLineEdit::textChanged, this, guarded(this, &TfrmGoTo::edtHexChange));
    connect(edtDecimal, &QLineEdit::textChanged, this, guarded(this, &TfrmGoTo::edtDecimalChange));
    connect(OKBtn, &QPushButton::clicked, this, guarded(this, &TfrmGoTo::OKBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmGoTo::aim(TMemoryForm& window)
{
    m_window = &window;
    m_goto = tp::GoToByte(tp::GoToByte::maximumFor(window.deviceSize()));
    edtNote->setText(QString::fromStdString(m_goto.note()));
}

void TfrmGoTo::showNotice(const tp::GoToUpdate& u)
{
    if (u.notice)
        Dialogs::instance().information(this, QStringLiteral("Tallyport"), QString::fromStdString(u.notice->text));
}

// Each field couples only while the user types into it.
void TfrmGoTo::edtHexChange()
{
    if (!edtHex->hasFocus())
        return;
    tp::GoToUpdate u = m_goto.hexChanged(edtHex->text().toStdString());
    showNotice(u);
    if (u.fieldText) {
        QSignalBlocker b(edtHex);
        edtHex->setText(QString::fromStdString(*u.fieldText));
    }
    QSignalBlocker b(edtDecimal);
    edtDecimal->setText(QString::fromStdString(u.otherText));
}

void TfrmGoTo::edtDecimalChange()
{
    if (!edtDecimal->hasFocus())
        return;
    tp::GoToUpdate u = m_goto.decimalChanged(edtDecimal->text().toStdString());
    showNotice(u);
    if (u.fieldText) {
        QSignalBlocker b(edtDecimal);
        edtDecimal->setText(QString::fromStdString(*u.fieldText));
    }
    QSignalBlocker b(edtHex);
    edtHex->setText(QString::fromStdString(u.otherText));
}

void TfrmGoTo::OKBtnClick()
{
    const std::uint32_t n = m_goto.target(edtDecimal->text().toStdString());
    if (m_window)
        m_window->goToAddress(n);
    close();
}
