#pragma once
#include "core/devices/ports/Pca954x.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class QComboBox;
class QGroupBox;
class QPushButton;

// The switches PCA9543A, PCA9545A, PCA9546A and PCA9548A side by side, each
// with its own address, control value and Auto Write. Any set of channels
// is switched on by check boxes; the control register is written and read
// without a register number.
class TfrmPCA9543 : public TChildForm {
    Q_OBJECT
public:
    enum Chip { PCA9543 = 0, PCA9545 = 1, PCA9546 = 2, PCA9548 = 3 };

    explicit TfrmPCA9543(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link(Chip c) { return m_group[c].link; }
    // The control value the chip's channel clicks build on.
    std::uint8_t copy(Chip c) const { return m_group[c].copy; }

public slots:
    void chb9543Click(quint8 mask, bool on);
    void chb9545Click(quint8 mask, bool on);
    void chb9546Click(quint8 mask, bool on);
    void chb9548Click(quint8 mask, bool on);
    void btnPCA9543WriteClick(int chip);
    void btnPCA954xReadClick(int chip);
    void cmbPCA9543AddressChange(int index);
    void cmbPCA9545AddressChange(int index);
    void cmbPCA9546AddressChange(int index);
    void cmbPCA9548AddressChange(int index);

private:
    struct Group {
        explicit Group(ChipLink l) : link(l) {}
        ChipLink link;
        std::uint8_t copy = 0;
        QComboBox* cmbAddress = nullptr;
        HexField* edtControl = nullptr;
        BitBoxRow* channels = nullptr;
        BitBoxRow* interrupts = nullptr;
        QPushButton* btnRead = nullptr;
        QPushButton* btnWrite = nullptr;
        AutoWriteToggle* autoWrite = nullptr;
    };

    QGroupBox* buildGroup(Chip chip);
    void channelClick(Chip chip, std::uint8_t mask, bool on);
    void addressChange(Chip chip, int index);
    // Boxes and indicators from a value the chip reported, without running
    // their click handling.
    void SetCheckBoxes(Chip chip, std::uint8_t value);
    static tp::pca954x::Switch switchOf(Chip chip) { return static_cast<tp::pca954x::Switch>(chip); }

    Group m_group[4];
};
