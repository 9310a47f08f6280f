#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class LedToggle;
class QGroupBox;
class QPushButton;
class RadioGroup;
class ToggleCaption;

// Two 8-bit port expanders side by side, the PCF8574 (left) and the
// PCF8574A (right). Neither has registers: a write sends the port byte, a
// read returns the pins. Each half has its own address, Auto Write and
// Auto Readback; the halves share the status byte.
class TfrmPCF8574 : public TChildForm {
    Q_OBJECT
public:
    enum Chip { PCF8574 = 0, PCF8574A = 1 };

    explicit TfrmPCF8574(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link(Chip c) { return m_half[c].link; }

public slots:
    void rdgPCF8574Click(int index);
    void rdgPCF8574AClick(int index);
    void edtPCF8574WriteChange();
    void edtPCF8574AWriteChange();
    void edtWriteExit();
    void edtPCF8574AWriteExit();
    void btnPCF8574WriteClick();
    void btnPCF8574ReadClick();

private:
    struct Half {
        explicit Half(ChipLink l) : link(l) {}
        ChipLink link;
        RadioGroup* rdg = nullptr;
        QGroupBox* grbPins = nullptr;
        HexField* edtRead = nullptr;
        BitBoxRow* readBoxes = nullptr;
        QPushButton* btnRead = nullptr;
        QGroupBox* grbWrite = nullptr;
        HexField* edtWrite = nullptr;
        BitBoxRow* writeBoxes = nullptr;
        QPushButton* btnWrite = nullptr;
        AutoWriteToggle* autoWrite = nullptr;
        ToggleCaption* readBack = nullptr;
    };
    struct Names;

    QWidget* buildHalf(Half& h, const Names& n);
    void writeChip(Chip c);
    void readChip(Chip c);
    Chip chipOf(QObject* button) const;

    Half m_half[2];
};
