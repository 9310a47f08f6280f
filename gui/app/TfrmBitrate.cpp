#include "gui/app/TfrmBitrate.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"

#include <QFrame>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>

namespace {

// 1 to 1000 and nothing beyond: QIntValidator lets "9999" stand as a text
// still being typed, which the field would then show while 1000 applies.
class FrequencyValidator : public QIntValidator {
public:
    using QIntValidator::QIntValidator;
    State validate(QString& input, int& pos) const override
    {
        const State st = QIntValidator::validate(input, pos);
        bool ok = false;
        const int value = input.toInt(&ok);
        return st == Intermediate && ok && value > top() ? Invalid : st;
    }
};

} // namespace

TfrmBitrate::TfrmBitrate(TfrmMain& main)
    : QWidget(&main, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_main(main)
{
    setObjectName(QStringLiteral("frmBitrate"));
    setWindowTitle(QStringLiteral("I\u00B2C Frequency"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlFrequency"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setToolTip(QStringLiteral("Click on up/down arrows to increase/decrease frequency"));
    auto* grid = new QGridLayout(panel);

    edtFrequency = new QLineEdit(panel);
    edtFrequency->setObjectName(QStringLiteral("edtFrequency"));
    edtFrequency->setMaxLength(4);
    edtFrequency->setValidator(new FrequencyValidator(1, 1000, edtFrequency));
    edtFrequency->setMaximumWidth(70);
    grid->addWidget(new QLabel(QStringLiteral("Frequency"), panel), 0, 0);
    grid->addWidget(edtFrequency, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("KHz"), panel), 0, 2);

    auto makeSpin = [&](const char* name, const char* caption, int row) {
        auto* s = new QSpinBox(panel);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(4, 255);
        s->findChild<QLineEdit*>()->setReadOnly(true); // arrows only
        grid->addWidget(new QLabel(QString::fromLatin1(caption), panel), row, 0);
        grid->addWidget(s, row, 1);
        return s;
    };
    spnSCLh = makeSpin("spnSCLh", "SCL High", 1);
    spnSCLl = makeSpin("spnSCLl", "SCL Low", 2);

    lblNote = new QLabel(QStringLiteral("Note: minimum frequency = 15.7 KHz"), this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblKernel = new QLabel(this);
    lblKernel->setObjectName(QStringLiteral("lblKernel"));
    lblKernel->setWordWrap(true);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    connect(btnOK, &QPushButton::clicked, this, guarded(this, &TfrmBitrate::btnOKClick));
    for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        auto* sc = new QShortcut(QKeySequence(key), this);
        connect(sc, &QShortcut::activated, this, guarded(this, &TfrmBitrate::btnOKClick));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(lblNote);
    layout->addWidget(lblKernel);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);

    const tp::BusFrequency& f = m_main.state().busFrequency;
    edtFrequency->setText(QString::number(f.frequency));
    spnSCLh->setValue(f.sclHigh);
    spnSCLl->setValue(f.sclLow);

    // Connected after the start values, and each reaction only counts while
    // its own control has the focus, so values written by another control's
    // reaction run nothing.
    connect(edtFrequency, &QLineEdit::textEdited, this, guarded(this, &TfrmBitrate::edtFrequencyEdited));
    connect(edtFrequency, &QLineEdit::editingFinished, this, guarded(this, &TfrmBitrate::edtFrequencyChange));
    connect(spnSCLh, &QSpinBox::valueChanged, this, guarded(this, &TfrmBitrate::spnSCLChange));
    connect(spnSCLl, &QSpinBox::valueChanged, this, guarded(this, &TfrmBitrate::spnSCLChange));
    showAdapterLimits();
}

void TfrmBitrate::showAdapterLimits()
{
    const bool real = !m_main.state().adapter().isSimulated();
    for (QWidget* w : {static_cast<QWidget*>(edtFrequency), static_cast<QWidget*>(spnSCLh),
                       static_cast<QWidget*>(spnSCLl)})
        w->setEnabled(!real);
    lblNote->setVisible(!real);
    lblKernel->setVisible(real);
    const tp::BusFrequency& f = m_main.state().busFrequency;
    if (!real) {
        edtFrequency->setText(QString::number(f.frequency));
        spnSCLh->setValue(f.sclHigh);
        spnSCLl->setValue(f.sclLow);
    } else {
        const std::optional<unsigned> hz = m_main.adapterSelection()->busFrequencyHz();
        edtFrequency->setText(hz ? QString::number(*hz / 1000.0) : QString());
        const bool board = m_main.adapterSelection()->remoteAdapter() != nullptr;
        if (board)
            lblKernel->setText(hz ? tr("The board's kernel driver runs this bus at %1; i2c-dev on the board "
                                       "cannot change it.")
                                        .arg(m_main.frequencyText())
                                  : tr("The bus frequency is set by the board's kernel; i2c-dev there can neither "
                                       "read nor change it."));
        else
            lblKernel->setText(hz ? tr("The kernel driver runs this bus at %1; i2c-dev cannot change it.")
                                        .arg(m_main.frequencyText())
                                  : tr("The bus frequency is set by the kernel; i2c-dev can neither read nor "
                                       "change it."));
    }
    adjustSize();
}

void TfrmBitrate::edtFrequencyEdited()
{
    // Until committed the typed number is not in force: say which one is.
    lblNote->setText(tr("Enter applies it; %1 KHz in force").arg(m_main.state().busFrequency.frequency));
}

void TfrmBitrate::edtFrequencyChange()
{
    if (!edtFrequency->isEnabled())
        return;
    bool ok = false;
    const int value = edtFrequency->text().toInt(&ok);
    tp::BusFrequency f;
    // The frequency in force, shown again, is no new choice: its counts stay.
    if (ok && value != m_main.state().busFrequency.frequency && tp::BusFrequency::fromFrequency(value, f)) {
        m_main.state().busFrequency = f;
        spnSCLh->setValue(f.sclHigh);
        spnSCLl->setValue(f.sclLow);
        m_main.applyBusFrequency();
    }
    showFrequencyInForce();
}

void TfrmBitrate::showFrequencyInForce()
{
    edtFrequency->setText(QString::number(m_main.state().busFrequency.frequency));
    lblNote->setText(QStringLiteral("Note: minimum frequency = 15.7 KHz"));
}

void TfrmBitrate::spnSCLChange()
{
    if (!spnSCLh->hasFocus() && !spnSCLl->hasFocus())
        return;
    tp::BusFrequency f = tp::BusFrequency::fromCounts(spnSCLh->value(), spnSCLl->value());
    m_main.state().busFrequency = f;
    edtFrequency->setText(QString::number(f.frequency));
    m_main.applyBusFrequency();
}

void TfrmBitrate::btnOKClick()
{
    // Return reaches this shortcut before the field: commit what was typed.
    edtFrequencyChange();
    hide();
}
