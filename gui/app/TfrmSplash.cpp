#include "gui/app/TfrmSplash.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TfrmSplash::TfrmSplash(TfrmMain& main) : QWidget(&main, Qt::Widget), m_main(main)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Tallyport Quick Start"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* layout = new QVBoxLayout(frame);
    auto* title = new QLabel(QStringLiteral("Tallyport Quick Start"), frame);
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSize(tf.pointSize() + 2);
    title->setFont(tf);
    layout->addWidget(title);

    m_text = new QPlainTextEdit(frame);
    m_text->setObjectName(QStringLiteral("memText"));
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QStringList lines = {
        QStringLiteral("Step 1: Read the README that comes with Tallyport: its first"),
        QStringLiteral("section shows what to do in the first five minutes."),
        QString(),
        QStringLiteral("Step 2: Choose the adapter in the Options Menu.  The"),
        QStringLiteral("simulated bench answers without any hardware."),
        QString(),
        QStringLiteral("Step 3:  If necessary, adjust the I\u00B2C operating frequency in "),
        QStringLiteral("the Options Menu.  Default frequency is 100 kHz."),
        QString(),
        QStringLiteral("Step 4:  Select a device, or create your own I\u00B2C device"),
        QStringLiteral("using the Expert or User Defined  selections, from the "),
        QStringLiteral("Device Menu."),
    };
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    QFontMetrics fm(m_text->font());
    m_text->setMinimumSize(fm.horizontalAdvance(QString(64, QLatin1Char('M'))),
                           fm.lineSpacing() * (static_cast<int>(lines.size()) + 2));
    layout->addWidget(m_text);

    chbShow = new QCheckBox(QStringLiteral("Open each time Tallyport starts"), frame);
    chbShow->setObjectName(QStringLiteral("chbShow"));
    chbShow->setChecked(true);
    connect(chbShow, &QCheckBox::clicked, this, guarded(this, &TfrmSplash::chbShowClick));
    layout->addWidget(chbShow);
    adjustSize();
}

void TfrmSplash::showCentred()
{
    adjustSize();
    QRect area = m_main.rect();
    move(area.center() - rect().center());
    show();
    raise();
    chbShow->setFocus();
}

void TfrmSplash::chbShowClick()
{
    m_main.ShowSplash = chbShow->isChecked();
}
