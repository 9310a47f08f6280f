#pragma once
#include "core/sim/SimulatedAdapter.h"

#include <QDockWidget>

#include <vector>

class BenchTableModel;
class HexField;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTableView;
class QTimer;
class TfrmMain;

// The simulated bench as a board the user can see and arrange: its chips
// and where they sit, the world outside them, armed faults, and bench
// files shared with the command line. A dock of the frame, like the bus log.
class TfrmBench : public QDockWidget {
    Q_OBJECT
public:
    explicit TfrmBench(TfrmMain& main);
    ~TfrmBench() override;

    // The bench in use, or none while another adapter is.
    tp::sim::SimulatedAdapter* bench() const;
    // Takes in what changed on the bench (windows place chips, transfers
    // change states); the window does it on a timer.
    void refresh();
    // The chip of the selected row, or none.
    tp::sim::ChipModel* selectedChip() const;
    void selectChip(const tp::sim::ChipModel* chip);

    QCheckBox* chbPlaceForWindows = nullptr;
    QPushButton* btnOpenBench = nullptr;
    QPushButton* btnSaveBench = nullptr;
    QLabel* lblNotBench = nullptr;
    QTableView* grdChips = nullptr;
    QTabWidget* tabBench = nullptr;
    // Chips
    QComboBox* cmbType = nullptr;
    HexField* edtAddress = nullptr;
    QComboBox* cmbSegment = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnMove = nullptr;
    QPushButton* btnRemove = nullptr;
    // Outside
    QLabel* lblOutsideChip = nullptr;
    QSpinBox* spnPin = nullptr;
    QPushButton* btnPinHigh = nullptr;
    QPushButton* btnPinLow = nullptr;
    QComboBox* cmbSensor = nullptr;
    QLineEdit* edtTemperature = nullptr;
    QPushButton* btnSetTemperature = nullptr;
    QPushButton* btnWander = nullptr;
    QPushButton* btnTakeBus = nullptr;
    QPushButton* btnReleaseBus = nullptr;
    QDateTimeEdit* dteClock = nullptr;
    QPushButton* btnClockNow = nullptr;
    QPushButton* btnClockSet = nullptr;
    QPushButton* btnLoadContents = nullptr;
    // Faults
    QComboBox* cmbFaultKind = nullptr;
    QLineEdit* edtFaultAddress = nullptr;
    QSpinBox* spnFaultByte = nullptr;
    QComboBox* cmbFaultRepeat = nullptr;
    QSpinBox* spnFaultCount = nullptr;
    QSpinBox* spnFaultAfter = nullptr;
    QLineEdit* edtFault = nullptr;
    QPushButton* btnArm = nullptr;
    QListWidget* lstFaults = nullptr;
    QPushButton* btnClearFault = nullptr;
    QPushButton* btnClearFaults = nullptr;

    void chbPlaceForWindowsClick(bool on);
    void btnOpenBenchClick();
    void btnSaveBenchClick();
    void btnAddClick();
    void btnMoveClick();
    void btnRemoveClick();
    void btnPinClick(bool high);
    void btnSetTemperatureClick();
    void btnWanderClick();
    void btnOtherMasterClick(bool take);
    void btnClockNowClick();
    void btnClockSetClick();
    void btnLoadContentsClick();
    void faultFormChange();
    void btnArmClick();
    void btnClearFaultClick();
    void btnClearFaultsClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildChipsPage();
    QWidget* buildOutsidePage();
    QWidget* buildFaultsPage();
    tp::sim::SimulatedAdapter& requireBench() const;
    tp::sim::ChipModel& requireChip() const;
    std::uint8_t addressOf(const QString& text) const;
    tp::sim::Segment chosenSegment() const;
    void showOutside();
    void changed(const tp::sim::ChipModel* select = nullptr);

    TfrmMain& m_main;
    BenchTableModel* m_model;
    QSplitter* m_split = nullptr;
    QTimer* m_tick;
    std::vector<tp::sim::Segment> m_segments; // cmbSegment's items
    const tp::sim::ChipModel* m_outsideOf = nullptr;
};
