#include "gui/app/TfrmAddRemote.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "gui/common/Guarded.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAddRemote::TfrmAddRemote(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddRemote"));
    setWindowTitle(tr("Add remote bus"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("A bus of an embedded Linux board, reached with your own ssh keys and settings. "
                                "The board needs tallyport-cli installed."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    edtRemoteHost = new QLineEdit(this);
    edtRemoteHost->setObjectName(QStringLiteral("edtRemoteHost"));
    edtRemoteHost->setPlaceholderText(tr("[user@]host[:port]"));
    btnListAdapters = new QPushButton(tr("&List adapters"), this);
    btnListAdapters->setObjectName(QStringLiteral("btnListAdapters"));
    auto* hostRow = new QHBoxLayout;
    hostRow->addWidget(edtRemoteHost, 1);
    hostRow->addWidget(btnListAdapters);
    form->addRow(tr("&Host:"), hostRow);
    layout->addLayout(form);
    lstRemoteAdapters = new QListWidget(this);
    lstRemoteAdapters->setObjectName(QStringLiteral("lstRemoteAdapters"));
    layout->addWidget(lstRemoteAdapters, 1);
    lblRemoteNote = new QLabel(this);
    lblRemoteNote->setObjectName(QStringLiteral("lblRemoteNote"));
    lblRemoteNote->setWordWrap(true);
    lblRemoteNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblRemoteNote);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnListAdapters, &QPushButton::clicked, this, guarded(this, &TfrmAddRemote::btnListAdaptersClick));
    connect(edtRemoteHost, &QLineEdit::returnPressed, this, guarded(this, &TfrmAddRemote::btnListAdaptersClick));
    connect(lstRemoteAdapters, &QListWidget::currentRowChanged, this, guarded([this] { updateOk(); }));
    connect(edtRemoteHost, &QLineEdit::textChanged, this, guarded([this] { updateOk(); }));
    btnListAdapters->setDefault(true);
    resize(520, 360);
    updateOk();
}

void TfrmAddRemote::btnListAdaptersClick()
{
    lstRemoteAdapters->clear();
    m_listedHost.clear();
    const QString host = edtRemoteHost->text().trimmed();
    std::string why;
    // A spec with a placeholder adapter checks the host part.
    const auto target = tp::remote::RemoteTarget::parse("ssh:" + host.toStdString() + "/bench", &why);
    if (host.isEmpty() || !target) {
        lblRemoteNote->setText(tr("Give the board as host, user@host or user@host:port."));
        updateOk();
        return;
    }
    lblRemoteNote->setText(tr("Asking %1 for its adapters\u2026").arg(host));
    lblRemoteNote->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::string> list = tp::remote::listBoardAdapters(*target, &why);
    QApplication::restoreOverrideCursor();
    if (!list) {
        lblRemoteNote->setText(tr("%1 did not list its adapters: %2").arg(host, QString::fromStdString(why)));
        updateOk();
        return;
    }
    for (const auto& [id, description] : tp::remote::parseAdapterList(*list)) {
        auto* item = new QListWidgetItem(QString::fromStdString(id + "   " + description), lstRemoteAdapters);
        item->setData(Qt::UserRole, QString::fromStdString(id));
    }
    m_listedHost = host;
    lblRemoteNote->setText(lstRemoteAdapters->count() ? tr("Choose the bus to use.")
                                                      : tr("%1 lists no adapters.").arg(host));
    if (lstRemoteAdapters->count())
        lstRemoteAdapters->setCurrentRow(lstRemoteAdapters->count() > 1 ? 1 : 0); // the first real bus
    updateOk();
}

QString TfrmAddRemote::spec() const
{
    const QListWidgetItem* item = lstRemoteAdapters->currentItem();
    if (!item || m_listedHost.isEmpty() || m_listedHost != edtRemoteHost->text().trimmed())
        return QString();
    QString adapter = item->data(Qt::UserRole).toString();
    if (adapter.startsWith(QLatin1String("i2c-")))
        adapter = QStringLiteral("/dev/") + adapter;
    return QStringLiteral("ssh:%1/%2").arg(m_listedHost, adapter.startsWith('/') ? adapter.mid(1) : adapter);
}

void TfrmAddRemote::updateOk()
{
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!spec().isEmpty());
}
