#pragma once
#include "core/memory/BlockCopy.h"
#include "core/memory/MemFile.h"
#include "core/memory/MemoryFileTypes.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/MemoryKind.h"
#include "core/memory/Notice.h"
#include "gui/common/ChildForm.h"

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class HexKeyFilter;
class MemoryGridModel;
class MemoryGridView;

namespace tp {
class MemoryBus;
struct MemoryDevice;
struct MemoryBusResult;
} // namespace tp

// What the four memory windows share: the image in a hex and an ASCII grid,
// the "Device Setup" items, fill and copy, the file formats and the bus
// transfers. The subclasses name the window class and its few differences.
class TMemoryForm : public TChildForm {
    Q_OBJECT
public:
    TMemoryForm(TfrmMain& main, const QString& windowClass, tp::MemoryKind kind, std::size_t size);

    tp::MemoryKind kind() const { return m_kind; }
    std::size_t deviceSize() const { return m_image.size(); }
    tp::MemoryImage& image() { return m_image; }

    // Controls, by their object names.
    MemoryGridView* stgMemory = nullptr;
    MemoryGridView* stgText = nullptr;
    QLabel* lblDeviceSize = nullptr;
    QComboBox* cmbAddress = nullptr;
    QComboBox* cmbPageSize = nullptr; // EEPROM windows only
    QSpinBox* spnWriteTime = nullptr; // EEPROM windows only
    QLabel* lblWordAddress = nullptr;
    QPushButton* btnReadOne = nullptr;
    QPushButton* btnRead = nullptr;
    QPushButton* btnWriteOne = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnVerify = nullptr;
    QPushButton* btnFill = nullptr;
    QPushButton* btnCopy = nullptr;
    QLineEdit* edtFillFrom = nullptr;   // small: edtFrom
    QLineEdit* edtFillTo = nullptr;     // small: edtTo
    QLineEdit* edtFillWith = nullptr;   // small: edtPreset
    QLineEdit* edtCopyStart = nullptr;  // small: edtStart
    QLineEdit* edtCopyEnd = nullptr;    // small: edtEnding
    QLineEdit* edtTargetStart = nullptr; // small: edtTarget
    QLineEdit* edtTargetEnd = nullptr;  // small: edtEndTarget

    void FormActivate() override;

    // Bytes read from a chip or a file, shown from data row `firstRow` (from 1).
    void DisplayData(std::size_t firstRow, std::span<const std::uint8_t> bytes);

    // How long a transfer runs before its progress dialog shows.
    void setProgressDelayMs(int ms) { m_progressDelayMs = ms; }

    // Moves the hex grid's current cell to an address and gives it the focus.
    void goToAddress(std::size_t address);

public slots:
    void btnReadOneClick();
    void btnReadClick();
    void btnWriteOneClick();
    void btnWriteClick();
    void btnVerifyClick();
    void btnFillClick();
    void btnCopyClick();
    void mnuOpenClick();
    void mnuSaveAsClick();
    void mnuCheckerBoardClick();
    void mnuInvCheckerBoardClick();
    void mnuGotoClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool isLarge() const { return tp::isLarge(m_kind); }
    bool isEeprom() const { return tp::isEeprom(m_kind); }
    // The window's own status line messages ("Close All", activation, destruction).
    tp::Align blankAlign() const;

private:
    void buildControls();
    void buildMenus();
    void applyLayout();
    void connectCopyFields();
    void refresh(tp::CellRange range);
    void show(const std::optional<tp::Notice>& notice);
    void setFieldQuietly(QLineEdit* field, const std::string& text);
    tp::MemSettings settings() const;
    // The 1-based type a file dialog preselects, and that type's extension.
    int preselectedType(qsizetype listLength) const;
    static QString suffixOf(int filterIndex);
    tp::MemoryDevice device() const;
    void placeChips() override;
    // Runs a long bus job with a progress dialog that appears after half a
    // second; the job gets the progress callback.
    tp::MemoryBusResult withProgress(const QString& label,
                                     const std::function<tp::MemoryBusResult(const std::function<bool(std::size_t, std::size_t)>&)>& job);
    void reportOutcome(const tp::MemoryBusResult& result);

    void edtStartChange();
    void edtEndingChange();
    void edtTargetChange();
    void edtStartExit();
    void edtEndingExit();
    void edtTargetExit();
    void edtPresetExit();
    tp::CopyFields copyFields() const;
    void mnuCloseAllOwn();

    tp::MemoryKind m_kind;
    tp::MemoryImage m_image;
    MemoryGridModel* m_hexModel = nullptr;
    MemoryGridModel* m_asciiModel = nullptr;
    HexKeyFilter* m_keys = nullptr;
    tp::FileDialogState m_files;
    QString m_saveName;
    int m_progressDelayMs = 500;
};
