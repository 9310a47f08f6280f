#pragma once
#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class TfrmLongI2C;

// The value dialog of one register of the user definable device: its
// value and its name. It stays bound to the register it was opened for.
class TfrmEditCell : public QDialog {
    Q_OBJECT
public:
    TfrmEditCell(TfrmLongI2C& device, int reg);
    int registerIndex() const { return m_reg; }

public slots:
    void btnOKClick();
    void edtDefaultExit();

private:
    QPointer<TfrmLongI2C> m_device;
    int m_reg;
    QLabel* lblRegister;
    QLineEdit* edtDefault;
    QLineEdit* edtDescription;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
