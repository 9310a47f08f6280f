#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class QComboBox;
class QGroupBox;
class QPushButton;

// The non-volatile register chips in one window: the PCA8550 and PCA9559
// data bytes (no byte number; bit boxes build the byte, a read replaces
// it), the PCA9561's four and the PCA9560's two EEPROM bytes (by number,
// 255 reads MUX_IN) and the PCA9561's output source command. Every
// non-volatile write waits for the chip's write cycle by acknowledge
// polling before the next transfer.
class TfrmPCA8550 : public TChildForm {
    Q_OBJECT
public:
    // Address slot of each chip in the bus context; also the address lists' Tags.
    enum Chip { PCA8550 = 0, PCA9559 = 1, PCA9561 = 2, PCA9560 = 3 };

    explicit TfrmPCA8550(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link(Chip c) { return m_link[c]; }

public slots:
    void chb8550DataClick();
    void chbPCA9559Click();
    void btnPCA8550WriteClick(int tag);
    void btn8550ReadClick(int tag);
    void cmbAddressChange(int tag, int index);
    // "Write EEn" / "Read EEn" of the PCA9561 and the PCA9560.
    void btnWriteEEClick(int chip, int number);
    void btnReadEEClick(int chip, int number);
    void btnWriteAllClick(int chip);
    void btnReadAllClick(int chip);
    void btnMuxInClick(int chip);
    void btnPCA9561WriteClick();

private:
    QGroupBox* buildDataChip(Chip chip);
    QGroupBox* buildEepromChip(Chip chip);
    void dataAutoWrite(Chip chip);
    tp::Status writeData(Chip chip);
    tp::Status writeEeprom(Chip chip, int number, std::uint8_t value);

    ChipLink m_link[4];
    // Data chips.
    HexField* m_data[2] = {};
    BitBoxRow* m_dataBits[2] = {};
    AutoWriteToggle* m_autoWrite[2] = {};
    QPushButton* m_dataWrite[2] = {};
    QPushButton* m_dataRead[2] = {};
    // EEPROM chips, by Chip.
    QComboBox* m_address[4] = {};
    QList<HexField*> m_eeprom[4];
    QList<QPushButton*> m_eeWrite[4];
    QList<QPushButton*> m_eeRead[4];
    HexField* m_muxIn[4] = {};
    QPushButton* m_muxRead[4] = {};
    QPushButton* m_writeAll[4] = {};
    QPushButton* m_readAll[4] = {};
    QComboBox* m_source[4] = {};
    QPushButton* m_sourceWrite[4] = {};
};
