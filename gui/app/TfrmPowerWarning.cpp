#include "gui/app/TfrmPowerWarning.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmPowerWarning::TfrmPowerWarning(TfrmMain& main)
    : QWidget(&main, Qt::Dialog), m_main(main)
{
    setObjectName(QStringLiteral("frmPowerWarning"));
    setWindowTitle(QStringLiteral("Warning !"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    const QStringList lines = {
        QStringLiteral("Important note:"),
        QString(),
        QStringLiteral("The total current used by the Tallyport hardware "),
        QStringLiteral("and your target system cannot exceed 100mA."),
        QStringLiteral("The Tallyport hardware uses approximately "),
        QStringLiteral("50mA, therefore, you can use up to 50mA for your "),
        QStringLiteral("target application."),
        QStringLiteral("It is up to you to ensure that the current limits are "),
        QStringLiteral("not exceeded."),
    };
    auto* text = new QLabel(lines.join(QLatin1Char('\n')), this);
    text->setObjectName(QStringLiteral("lblWarning"));
    layout->addWidget(text);
    // The box and the stored choice are one: clearing it keeps the warning away.
    chbShow = new QCheckBox(QStringLiteral("Open each time Power is enabled"), this);
    chbShow->setObjectName(QStringLiteral("chbShow"));
    chbShow->setChecked(m_main.ShowWarning);
    connect(chbShow, &QCheckBox::clicked, this, guarded([this](bool on) { m_main.ShowWarning = on; }));
    layout->addWidget(chbShow);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(btnClose, 0, Qt::AlignHCenter);
}
