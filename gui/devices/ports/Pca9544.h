#pragma once
#include "core/devices/ports/Pca954x.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class RadioGroup;

// The multiplexers PCA9540B, PCA9542A and PCA9544A side by side, each with
// its own address, control value and Auto Write. One channel at a time is
// chosen in a radio group; the control register is written and read
// without a register number.
class TfrmPCA954x : public TChildForm {
    Q_OBJECT
public:
    enum Chip { PCA9540 = 0, PCA9542 = 1, PCA9544 = 2 };

    explicit TfrmPCA954x(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link(Chip c) { return m_group[c].link; }

public slots:
    void rdgChannelSelectClick(int chip, int index);
    void btnWriteClick(int chip);
    void btnPCA954xReadClick(int chip);
    void cmbPCA9542AddressChange(int index);
    void cmbPCA9544AddressChange(int index);

private:
    struct Group {
        explicit Group(ChipLink l) : link(l) {}
        ChipLink link;
        QComboBox* cmbAddress = nullptr;
        QLabel* txtAddress = nullptr;
        HexField* edtControl = nullptr;
        RadioGroup* rdg = nullptr;
        BitBoxRow* interrupts = nullptr;
        QPushButton* btnRead = nullptr;
        QPushButton* btnWrite = nullptr;
        AutoWriteToggle* autoWrite = nullptr;
    };

    QGroupBox* buildGroup(Chip chip);
    void showAddressOf(Chip chip);
    static tp::pca954x::Mux muxOf(Chip chip) { return static_cast<tp::pca954x::Mux>(chip); }

    Group m_group[3];
};
