#pragma once
#include <QDockWidget>

class BusLogModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class TfrmMain;

// The bus monitor: every message of every window, live, as a dock of the
// frame (it can float). The log itself lives with the adapter and keeps
// recording whether this window is open, paused or closed.
class TfrmBusLog : public QDockWidget {
    Q_OBJECT
public:
    explicit TfrmBusLog(TfrmMain& main);
    ~TfrmBusLog() override;

    BusLogModel* model() const { return m_model; }

    // Takes in what the log gained since the last look; the window does it
    // on a timer, so a long transfer is never slowed down by the view.
    void refresh();
    // Milliseconds until the next look: longer while painting is costly.
    int refreshInterval() const;

    QLineEdit* edtAddress = nullptr;
    QCheckBox* chbFailures = nullptr;
    QCheckBox* chbFoldPolls = nullptr;
    QLineEdit* edtSearch = nullptr;
    QPushButton* btnPause = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnExportCsv = nullptr;
    QPushButton* btnExportScript = nullptr;
    QLabel* lblAddress = nullptr; // the form the address filter was taken in
    QLabel* lblCount = nullptr;
    QTableView* grdLog = nullptr;

    void filterChange();
    void btnPauseClick();
    void btnClearClick();
    void btnExportCsvClick();
    void btnExportScriptClick();

private:
    void showCount();

    TfrmMain& m_main;
    BusLogModel* m_model;
    QTimer* m_tick;
    QTimer* m_searchDelay;
};
