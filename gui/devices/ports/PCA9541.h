#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class QComboBox;
class QGroupBox;
class QPushButton;

// The PCA9541 2-to-1 master selector: interrupt masks (register 0) and
// control (register 1) as LEDs that toggle their bits, the interrupt status
// (register 2) as LEDs that only show. Each display holds the value the
// next LED click builds on; a read replaces it.
class TfrmPCA9541 : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmPCA9541(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link() { return m_link; }

public slots:
    void chbReg0Change();
    void chbReg1Change();
    void btnWriteReg0Click();
    void btnWriteReg1Click();
    void btnReadReg0Click();
    void btnReadReg1Click();
    void btnReadReg2Click();
    void cmbAddressChange(int index);

private:
    QGroupBox* buildRegister(int reg);
    QGroupBox* buildDevice();
    ChipLink::Register reg(int n) const;

    ChipLink m_link;
    HexField* edtReg[3] = {};
    BitBoxRow* m_bits[3] = {};
    QPushButton* btnWrite[2] = {};
    QPushButton* btnRead[3] = {};
    QComboBox* cmbAddress = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
};
