#include "gui/app/TAboutBox.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QString programVersion()
{
#ifdef TALLYPORT_VERSION
    return QStringLiteral(TALLYPORT_VERSION);
#else
    return QString();
#endif
}

TAboutBox::TAboutBox(TfrmMain& main) : QDialog(&main), m_main(main)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Tallyport"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QStringLiteral("Tallyport"), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont f = product->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    product->setFont(f);
    layout->addWidget(product);
    auto* what = new QLabel(QStringLiteral("A workbench for the I\u00B2C bus"), this);
    layout->addWidget(what);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(lblVersion);
    lblFirmware = new QLabel(this);
    lblFirmware->setObjectName(QStringLiteral("lblFirmware"));
    layout->addWidget(lblFirmware);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    // Read each time the window is shown.
    guard([this] {
        const QString v = programVersion();
        lblVersion->setText(v.isEmpty() ? QStringLiteral("No version information found")
                                        : QStringLiteral("Software Version:  ") + v);
        tp::Adapter& a = m_main.state().adapter();
        lblFirmware->setText(QStringLiteral("Firmware Version:  ") + QString::fromStdString(a.name()));
    });
    QDialog::showEvent(event);
}
