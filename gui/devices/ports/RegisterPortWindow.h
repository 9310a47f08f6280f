#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <array>

namespace tp::expander {
class AddressChoices;
}

class AutoWriteToggle;
class HexField;
class QAbstractButton;
class QComboBox;
class QGroupBox;
class QPushButton;

// The window of the I/O expanders programmed through four registers:
// 0 input port (read only), 1 output port, 2 polarity inversion,
// 3 configuration (a 1 makes the pin an input). One register per transfer,
// the pointer first; reads behind a repeated start. TfrmPCA9554,
// TfrmPCA9536 and TfrmPCA9556 are this window with their own texts, port
// width and address list.
class RegisterPortWindow : public TChildForm {
    Q_OBJECT
public:
    ChipLink& link() { return m_link; }
    void applyPreset(const CatalogueEntry& entry) override;

public slots:
    void btnReg0ReadClick() { readRegister(0); }
    void btnReg1ReadClick() { readRegister(1); }
    void btnReg2ReadClick() { readRegister(2); }
    void btnReg3ReadClick() { readRegister(3); }
    void btnReg1WriteClick() { writeRegister(1); }
    void btnReg2WriteClick() { writeRegister(2); }
    void btnReg3WriteClick() { writeRegister(3); }
    void edtOutputChange() { fieldChange(1); }
    void edtPolarityChange() { fieldChange(2); }
    void edtConfigChange() { fieldChange(3); }
    void edtOutputExit() { fieldExit(1); }
    void edtPolarityExit() { fieldExit(2); }
    void edtConfigExit() { fieldExit(3); }
    void btnReadAllClick();
    void btnWriteAllClick();
    void cmbAddressChange(int index);

public:
    // What tells the three windows apart.
    struct Design {
        QString windowClass;
        QString title;
        int bits = 8; // bit boxes for bits bits-1 .. 0; the fields always hold a byte
        const tp::expander::AddressChoices* addresses = nullptr;
        QString addressList; // object name of the address list
        QString addressListHint;
        bool ledAutoWrite = false; // LED toggle, otherwise a check box
        QString autoWriteHint;
        std::array<QString, 4> groups;
        std::array<QString, 4> initial; // field texts
        bool inputUndefined = false;    // input boxes grey, "Undefined", until the first read
        bool boldCaptions = false;
        // Entries sharing the window name their chip first in the caption
        // ("PCA9556  8-bit I/O Expander"); the window then meets that chip.
        bool chipFromEntry = false;
        QString readAllHint, writeAllHint;
        bool disableAllWhileReading = false; // pnlAll
        bool boxesBusyWhileUpdating = false; // a register's boxes, while a click updates its field
    };

protected:
    RegisterPortWindow(TfrmMain& main, const Design& design, QWidget* parent);

private:
    QWidget* buildTopBar(QWidget* parent);
    QGroupBox* buildRegister(int n, QWidget* parent);
    ChipLink::Register reg(int n) const { return {n, m_fields[static_cast<std::size_t>(n)]}; }
    void setAddress(std::uint8_t address);
    void readRegister(int n);
    void writeRegister(int n);
    void fieldChange(int n);
    void fieldExit(int n);

    Design m_design;
    QString m_entryChip; // with chipFromEntry: the chip of the entry that opened the window
    ChipLink m_link;
    AutoWriteToggle* m_autoWrite = nullptr;
    QComboBox* m_address = nullptr;
    QWidget* pnlAll = nullptr;
    QPushButton* btnReadAll = nullptr;
    QPushButton* btnWriteAll = nullptr;
    std::array<HexField*, 4> m_fields{};
    std::array<QPushButton*, 4> m_read{};
    std::array<QPushButton*, 4> m_write{}; // none for register 0
};
