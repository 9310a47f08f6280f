#pragma once
#include "core/universal/RecentFiles.h"
#include "core/universal/UserDevice.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <QList>
#include <QPointer>

class HexField;
class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class RegisterGridModel;
class RegisterGridView;
class TRegisterControl;
class TfrmDefine;
class TfrmEditCell;

// The user definable device: a register map the user describes (name,
// address, MaxRegister + 1 registers with values and names), edited in a
// 16-column grid, transferred over the bus, kept in definition files, with
// a recent-file list, a text export, a printed report, and small editors
// for single registers.
class TfrmLongI2C : public TChildForm {
    Q_OBJECT
public:
    static constexpr const char* kWindowClass = "TfrmLongI2C";
    // The bench model that answers at the device's address.
    static constexpr const char* kChipType = "Register256";

    explicit TfrmLongI2C(TfrmMain& main);
    ~TfrmLongI2C() override;

    tp::userdev::UserDevice& device() { return m_device; }
    RegisterGridModel* gridModel() const { return m_model; }
    // The register of the selected cell (may be above MaxRegister).
    int currentRegister() const;
    void selectRegister(int reg);
    // Caption and device name.
    void setCaption(const QString& caption);
    // The address field, the device's address byte and the bus context.
    void setAddress(std::uint8_t address);
    const tp::RecentFiles& recentFiles() const { return m_recent; }

    TfrmDefine* definitionWindow() const;
    TfrmEditCell* editCellDialog() const;
    QList<TRegisterControl*> registerControls() const;

    // A live control changed register `reg` to `value`: the cell shows it,
    // with `autoWrite` the chip gets it, and the device counts as modified.
    void registerControlChanged(int reg, std::uint8_t value, bool autoWrite);
    // The value dialog's OK for register `reg`.
    void editCellAccepted(int reg, const QString& value, const QString& name);
    // The definition window's OK.
    void definitionAccepted(const tp::userdev::Definition& definition, const QString& addressText,
                            bool newDevice);
    // The definition window or the value dialog opened or closed.
    void editorWindowsChanged();

public slots:
    void mnuDefineNewClick();
    void mnuOpenClick();
    void mnuSaveClick();
    void mnuSaveAsClick();
    void mnuSaveTextClick();
    void mnuPrintClick();
    void mnuCurrentDeviceClick();
    void mnuCurrentRegisterClick();
    void mnuResetGridClick();
    void btnWriteOneClick();
    void btnReadOneClick();
    // Read All and Write All show a progress dialog with Cancel after this long.
    void setProgressDelayMs(int ms) { m_progressDelayMs = ms; }
    void btnWriteClick();
    void btnReadClick();
    void btnSliderClick();
    void btnSpinClick();
    void btnBitsClick();
    void stgMemorySelectCell();
    void openRecent(const QString& path);

protected:
    void FormActivate() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildControls();
    void buildGrid();
    void edtAddressChange(quint8 value);
    void edtAddressExit();
    void showRegisterPanel();
    void fitGridHeight();

    // Files.
    bool save();
    bool saveAs();
    // "Save changes?" when modified; false when a wanted save did not happen.
    bool settleChanges();
    void loadFile(const QString& path);
    void addRecent(const QString& path);
    void storeRecent();
    void refreshRecentMenu();

    // Editors.
    template <class Control> void openControl();
    bool refuseUndefined(int reg);
    void closeAllEditors();
    // After MaxRegister or the values changed as a whole.
    void editorsFollowDevice();

    // The address field's mark and tip for the device's address.
    void showAddressState();
    // Before a transfer: false (status line says why) for the general call
    // address, or a reserved one the user did not confirm; each reserved
    // address is asked about once per window.
    bool addressCleared();
    // After a file or the definition window set the address.
    void explainAddress(const QString& source, bool named);

    // Bus.
    tp::Status writeRegister(int reg);
    tp::Status readRegister(int reg);
    void checkDefinedValues() const;
    // The status line after Read All or Write All.
    void reportAll(tp::Status st, bool cancelled, std::size_t done, std::size_t total);

    tp::userdev::UserDevice m_device;
    tp::RecentFiles m_recent;
    ChipLink m_link;
    RegisterGridModel* m_model = nullptr;
    int m_progressDelayMs = 500;
    QPointer<TfrmDefine> m_define;
    QPointer<TfrmEditCell> m_editCell;
    QList<QPointer<TRegisterControl>> m_controls;
    QList<std::uint8_t> m_confirmedReserved;

    HexField* edtAddress = nullptr;
    QPushButton* btnWriteOne = nullptr;
    QPushButton* btnReadOne = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnRead = nullptr;
    QCheckBox* chbOneAtATime = nullptr;
    QPushButton* btnSlider = nullptr;
    QPushButton* btnSpin = nullptr;
    QPushButton* btnBits = nullptr;
    QLabel* pnlRegister = nullptr;
    RegisterGridView* stgMemory = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuRecentSeparator = nullptr;
    QList<QAction*> mnuRecent;
    QList<QAction*> m_lockedWhileEditing;
};
