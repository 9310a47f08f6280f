#pragma once
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <array>

class AutoWriteToggle;
class BitColumn;
class HexField;
class QComboBox;
class QGroupBox;
class QPushButton;

// The 16-bit expanders PCA9535, PCA9539 and PCA9555: eight registers in
// pairs, one per port (input 0/1, output 2/3, polarity 4/5, configuration
// 6/7). Each register is read and written alone, and each pair in one
// transfer: the pointer names the even register, whose byte comes first,
// and the chip moves to the other register of the pair for the second.
class TfrmPCA9555 : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmPCA9555(TfrmMain& main, QWidget* parent = nullptr);

    ChipLink& link() { return m_link; }
    void applyPreset(const CatalogueEntry& entry) override;

public slots:
    void edtRegister2Change() { fieldChange(2); }
    void edtRegister3Change() { fieldChange(3); }
    void edtPolarity0Change() { fieldChange(4); }
    void edtPolarity1Change() { fieldChange(5); }
    void edtConfig0Change() { fieldChange(6); }
    void edtConfig1Change() { fieldChange(7); }
    void edtExit();
    void btnRead2Click() { readRegister(2); }
    void btnRead3Click() { readRegister(3); }
    void btnRead4Click() { readRegister(4); }
    void btnRead5Click() { readRegister(5); }
    void btnRead6Click() { readRegister(6); }
    void btnRead7Click() { readRegister(7); }
    void btnWrite2Click() { writeRegister(2); }
    void btnWrite3Click() { writeRegister(3); }
    void btnWrite4Click() { writeRegister(4); }
    void btnWrite5Click() { writeRegister(5); }
    void btnWrite6Click() { writeRegister(6); }
    void btnWrite7Click() { writeRegister(7); }
    void btnReadInputClick() { readPairClick(0); }
    void btnRead23Click() { readPairClick(2); }
    void btnRead45Click() { readPairClick(4); }
    void btnRead67Click() { readPairClick(6); }
    void btnWrite23Click() { writePairClick(2); }
    void btnWrite45Click() { writePairClick(4); }
    void btnWrite67Click() { writePairClick(6); }
    void btnReadAllClick();
    void btnWriteAllClick();
    void cmbAddressChange(int index);

private:
    QWidget* buildTopBar(QWidget* parent);
    QGroupBox* buildInputs(QWidget* parent);
    QGroupBox* buildPair(int n, QWidget* parent);
    void setAddress(std::uint8_t address);
    void fieldChange(int n);
    void readRegister(int n);
    void writeRegister(int n);
    // Pair n, n+1 in one transfer; neither shows its status.
    tp::Status readPair(int n);
    tp::Status writePair(int n);
    void readPairClick(int n);
    void writePairClick(int n);
    std::size_t at(int n) const { return static_cast<std::size_t>(n); }

    ChipLink m_link;
    AutoWriteToggle* m_autoWrite = nullptr;
    QComboBox* cmbAddress = nullptr;
    QWidget* pnlAll = nullptr;
    QPushButton* btnReadAll = nullptr;
    QPushButton* btnWriteAll = nullptr;
    std::array<HexField*, 8> m_fields{};
    std::array<BitColumn*, 8> m_bits{};        // none for 0 and 1
    std::array<QPushButton*, 8> m_read{};      // single registers 2..7
    std::array<QPushButton*, 8> m_write{};     // single registers 2..7
    std::array<QPushButton*, 8> m_readPair{};  // at the pair's even register
    std::array<QPushButton*, 8> m_writePair{}; // 2, 4, 6
};
