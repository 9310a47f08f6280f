#pragma once
#include "core/memory/MemoryImage.h"
#include "core/memory/Pca9500.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

class AutoWriteToggle;
class BitBoxRow;
class HexField;
class HexKeyFilter;
class LedToggle;
class MemoryGridModel;
class MemoryGridView;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tp {
struct MemoryBusResult;
class MemoryBus;
} // namespace tp

// What the window keeps for as long as the program runs, beside the two
// addresses in its bus context.
struct Ptn3500Settings {
    unsigned writeTimeUs = tp::pca9500::kWriteTimeMs * 1000;
    bool modified = false;
};

// The PCA9500 and PCA9501: the 8-bit port (LED bit boxes, a hex field,
// Auto Write) above the 256-byte EEPROM in a 16 x 16 hex grid, with the
// window's own data file holding the image and the settings. The port has
// no register pointer: a write is the address and the byte, a read the
// address and the byte back. The EEPROM is written in 4-byte pages (within
// a page on both chips), each followed by acknowledge polling.
class TfrmPTN3500 : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmPTN3500(TfrmMain& main, QWidget* parent = nullptr);

    void applyPreset(const CatalogueEntry& entry) override;
    // The EEPROM's address has the top bit set, the port's has not.
    bool selectAddress(std::uint8_t address, const CatalogueEntry& entry) override;

    tp::pca9500::Variant variant() const { return m_variant; }
    tp::MemoryImage& image() { return m_image; }
    bool modified() const;
    std::size_t wordAddress() const { return m_wordAddress; }
    std::uint8_t eepromAddress() const;
    std::uint8_t ioAddress() const;
    unsigned writeTimeUs() const;
    ChipLink& port() { return m_port; }

    // Bytes read from the chip or a file, shown from data row `firstRow` (from 1).
    void DisplayData(std::size_t firstRow, std::span<const std::uint8_t> bytes);

public slots:
    void stgMemoryClick(const QModelIndex& index);
    void btnReadOneClick();
    void btnReadAllClick();
    void btnWriteOneClick();
    void btnWriteAllClick();
    void btnVerifyClick();
    void btnSetClick();
    void edtPresetExit();
    void edtIOChange();
    void btnIOWriteClick();
    void btnIOReadClick();
    void edtIOAddressChange(quint8 value);
    void edtAddressChange(quint8 value);
    void spnCycleTimeChange(int value);
    void mnuOpenClick();
    void mnuSaveClick();
    void mnuSaveAsClick();
    void mnuCloseAllClick();
    void ExitClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPort();
    QWidget* buildEepromControls();
    void buildMenu();
    QPushButton* button(const char* name, const char* caption, const char* hint, QWidget* parent);
    void addressFieldExit(HexField* field, std::uint8_t inUse);
    Ptn3500Settings& settings() const;
    void markModified();
    tp::MemoryBus bus() const;
    void report(const tp::MemoryBusResult& result);
    void refresh(tp::CellRange range);
    // Tab in the grid: the cell last clicked gets two digits (" 5" and "5 " give "05").
    void stgMemoryKeyDown();

    void OpenMemFile(const QString& fileName);
    void MemFileSave(const QString& fileName);
    // Save or Save As; false when the user cancelled.
    bool save(bool askForName);

    tp::pca9500::Variant m_variant = tp::pca9500::Variant::Pca9501;
    tp::MemoryImage m_image;
    ChipLink m_port;
    std::size_t m_wordAddress = 0;
    QString m_saveName;  // the save dialog's file name
    QString m_saveTitle; // the save dialog's title
    bool m_loading = false;

    QGroupBox* grbIO = nullptr;
    HexField* edtIOAddress = nullptr;
    HexField* edtIO = nullptr;
    BitBoxRow* m_pins = nullptr;
    LedToggle* chbAuto = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
    QPushButton* btnIOWrite = nullptr;
    QPushButton* btnIORead = nullptr;
    HexField* edtAddress = nullptr;
    QLabel* lblWord = nullptr;
    QSpinBox* spnCycleTime = nullptr;
    QPushButton* btnReadOne = nullptr;
    QPushButton* btnRead = nullptr;
    QPushButton* btnWriteOne = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnVerify = nullptr;
    QLineEdit* edtPreset = nullptr;
    QPushButton* btnSet = nullptr;
    MemoryGridModel* m_hexModel = nullptr;
    MemoryGridModel* m_asciiModel = nullptr; // kept in step, not shown
    MemoryGridView* stgMemory = nullptr;
    HexKeyFilter* m_keys = nullptr;
};
