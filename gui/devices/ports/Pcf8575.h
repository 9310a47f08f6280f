#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class QGroupBox;
class QPushButton;
class RadioGroup;

// One 16-bit port expander without registers: a write sends both port
// bytes, a read returns both ports' pins.
class TfrmPCF8575 : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmPCF8575(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link() { return m_link; }

public slots:
    void rdgPCF8575Click(int index);
    void edtWriteLowChange();
    void edtWriteHighChange();
    void edtWriteLExit();
    void edtWriteHExit();
    void btnPCF8575WriteClick();
    void btnReadClick();

private:
    QGroupBox* buildRead();
    QGroupBox* buildWrite();

    ChipLink m_link;
    RadioGroup* rdgPCF8575 = nullptr;
    HexField* edtReadHigh = nullptr;
    HexField* edtReadLow = nullptr;
    HexField* edtWriteH = nullptr;
    HexField* edtWriteL = nullptr;
    QPushButton* btnRead = nullptr;
    QPushButton* btnPCF8575Write = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
};
