#pragma once
#include <QDialog>
#include <QPointer>

class DefinitionGridModel;
class QLineEdit;
class QPushButton;
class QTableView;
class TfrmLongI2C;
class UpDownButtons;

// The definition window of the user definable device: the device's name,
// address and number of registers, and a name and value per register. It
// stays over the frame while open; OK hands the definition to the device
// window, Cancel or closing forgets it.
class TfrmDefine : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDefine(TfrmLongI2C& device);
    ~TfrmDefine() override;

    // "Define New Device": a blank definition.
    void showNew();
    // "Edit Current Device": the device window's definition.
    void showEdit();
    bool definesNewDevice() const { return m_new; }
    DefinitionGridModel* gridModel() const { return m_model; }

public slots:
    void btnOKClick();
    void edtAddressChange(const QString& text);
    void edtAddressExit();
    void edtSpinExit();
    void spnRegistersChange(int count);
    void edtFillChange(const QString& text);
    void edtFillExit();

private:
    void showWith(const QString& caption);
    void showRows(int count);

    QPointer<TfrmLongI2C> m_device;
    DefinitionGridModel* m_model;
    bool m_new = true;

    QLineEdit* edtName;
    QLineEdit* edtAddress;
    QLineEdit* edtSpin;
    UpDownButtons* spnRegisters;
    QLineEdit* edtFill;
    QTableView* stgDefinition;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
