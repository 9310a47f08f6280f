#pragma once
#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Options > Add remote bus…: the board's ssh address, then one of the
// adapters its tallyport-cli lists. The result is an ssh: adapter spec.
class TfrmAddRemote : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddRemote(QWidget* parent);

    // "ssh:host/ADAPTER" for the host and adapter chosen; empty before.
    QString spec() const;

    void btnListAdaptersClick();

    QLineEdit* edtRemoteHost;
    QPushButton* btnListAdapters;
    QListWidget* lstRemoteAdapters;
    QLabel* lblRemoteNote;
    QDialogButtonBox* buttons;

private:
    void updateOk();
    QString m_listedHost;
};
