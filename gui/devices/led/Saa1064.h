#pragma once
#include "core/devices/led/Saa1064File.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <array>

class AutoWriteToggle;
class HexField;
class LedLamp;
class LedToggle;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLCDNumber;
class QPushButton;
class QSlider;
class SevenSegmentDigit;

// The SAA1064 four-digit LED display driver: the control register (display
// mode, blanking, segment test, segment current) and four digit registers
// edited bit by bit, the register last edited written at once while Auto
// Write is on, the whole set saved and loaded with its address as a data
// file, and a preview of the four digits as the registers light them.
class TfrmSAA1064 : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmSAA1064(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link() { return m_link; }
    const tp::saa1064::Registers& registers() const { return m_regs; }
    int lastEdited() const { return m_last; }

public slots:
    void chbControlClick(int bit, bool checked);
    void trbBrightChange(int position);
    void chbDigitClick(int digit, int bit, bool lit);
    void cmbAddressChange(int index);
    void btnWriteClick();
    void btnReadClick();
    void mnuOpenClick();
    void mnuSaveAsClick();

private:
    QWidget* buildTop();
    QGroupBox* buildControl();
    QGroupBox* buildDigit(int digit);
    QGroupBox* buildPreview();

    // Writes the register last edited; a failure switches Auto Write off.
    void registerWrite();
    void edited(int subaddress);
    void showControl();
    void showDigit(int digit);
    // Shows a loaded record everywhere without running a change reaction; false when its address was refused.
    bool apply(const tp::saa1064::Record& record);
    void refreshPreview();

    ChipLink m_link;
    tp::saa1064::Registers m_regs;
    int m_last = tp::saa1064::kControl;
    char m_decimal = '.';

    QComboBox* cmbAddress = nullptr;
    LedToggle* chbEnabled = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnRead = nullptr;
    LedLamp* ledStatus = nullptr;
    std::array<QCheckBox*, 4> chbControl{};
    QSlider* trbBright = nullptr;
    QLCDNumber* ledCurrent = nullptr;
    HexField* edtControl = nullptr;
    std::array<QGroupBox*, 4> grbDigit{};
    std::array<HexField*, 4> edtDigit{};
    std::array<std::array<LedToggle*, 8>, 4> chbDigit{};
    std::array<SevenSegmentDigit*, 4> m_preview{};
};
