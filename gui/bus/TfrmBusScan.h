#pragma once
#include "core/bus/BusScan.h"
#include "gui/common/ChildForm.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace tp::scan {
struct EntryAddresses;
}

// Finds the chips on the bus: every address probed as i2cdetect does it,
// shown in its 8 x 16 grid; an address that answered lists the Device menu
// entries whose chips live there, and opens their windows on it.
class TfrmBusScan : public TChildForm {
    Q_OBJECT
public:
    explicit TfrmBusScan(TfrmMain& main);

    const tp::scan::Result& result() const { return m_result; }
    // The address whose entries the list shows, if any.
    int selectedAddress() const { return m_selected; }
    void selectAddress7(int address7);

    QPushButton* btnScan = nullptr;
    QPushButton* btnStop = nullptr; // live while a scan runs
    QCheckBox* chbAllAddresses = nullptr;
    QProgressBar* prgScan = nullptr;
    QLabel* lblAdapter = nullptr;
    QTableWidget* grdScan = nullptr;
    QLabel* lblMethod = nullptr;
    QLabel* lblEntries = nullptr;
    QListWidget* lstEntries = nullptr;
    QPushButton* btnOpen = nullptr;

    void btnScanClick();
    // The scan ends after the probe in flight.
    void btnStopClick();
    void btnOpenClick();
    void grdScanDblClick(int row, int column);
    void grdScanContextMenu(const QPoint& pos);
    void lstEntriesDblClick();

private:
    void showCell(std::uint8_t address7);
    void showEntries();
    void open(const tp::scan::EntryAddresses& entry, std::uint8_t address7);
    bool openable(const tp::scan::EntryAddresses& entry) const;
    const CatalogueEntry* catalogueEntry(const tp::scan::EntryAddresses& entry) const;
    // The user agreed to probe this PC SMBus controller in this run.
    bool confirmedSmbus();

    tp::scan::Result m_result;
    int m_selected = -1;
    bool m_stopAsked = false;
};
