#pragma once
#include "core/common/AppState.h"
#include "core/common/Status.h"
#include "gui/app/Catalogue.h"
#include "gui/app/WindowFactories.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <memory>
#include <optional>

class AdapterSelection;
class GuiBusRunner;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TChildForm;
class TStatusLine;
class TfrmBitrate;
class TfrmBench;
class TfrmBusLog;
class TfrmSplash;
class TAboutBox;
class TfrmPowerWarning;

// The frame: menu bar, Device catalogue, child windows, status line, bus
// settings, and the adapter operations every window uses.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(tp::AppState& state, const Catalogue& catalogue = standardCatalogue(),
             const WindowFactories& factories = standardFactories(), QWidget* parent = nullptr);
    ~TfrmMain() override;

    tp::AppState& state() { return m_state; }
    QMdiArea* mdiArea() const { return m_mdi; }
    TStatusLine* statusLine() const { return pnlStatusBar; }

    // Status line.
    void ErrorMessage(tp::Status code);
    void ResetWarning();
    void DeviceAttachMessage(bool attached);
    void showStatus(const tp::StatusMessage& message); // a window's own message in panel 0
    // Work a window does in the background (a sensor poll, a clock watch):
    // while one lives, what its window sends to the status line shows only
    // while that window is the active one, never over another's status.
    class BackgroundWork {
    public:
        BackgroundWork(TfrmMain& main, QWidget* owner);
        ~BackgroundWork();
        BackgroundWork(const BackgroundWork&) = delete;
        BackgroundWork& operator=(const BackgroundWork&) = delete;

    private:
        TfrmMain& m_main;
        QPointer<QWidget> m_previous;
    };
    void UpdateControls();
    void GetRegistryData();

    // Adapter operations. None sends to the general call address: Refused.
    void I2CReadByte(std::uint8_t address, std::uint8_t reg, std::uint8_t* buffer, std::uint8_t mode);
    void I2CWriteByte(std::uint8_t address, std::uint8_t reg, std::uint8_t value, std::uint8_t& status,
                      std::uint8_t mode);
    // More than kMaxArrayWrite (494) bytes never reach the bus: status::Refused,
    // with the limit on the status line.
    tp::Status I2CWriteArray(std::uint8_t address, std::uint8_t subaddress, std::uint16_t length,
                             const std::uint8_t* data);
    void uSeconds(std::uint64_t n);

    // Catalogue.
    // With `address`, the window then chooses that 8-bit address in its list
    // (a window opened on a chip found by the bus scan).
    TChildForm* openEntry(const CatalogueEntry& entry, std::optional<std::uint8_t> address = std::nullopt);
    const Catalogue& catalogue() const { return m_catalogue; }
    TChildForm* openCaption(const QString& caption); // first entry of that caption
    TChildForm* windowReference(const QString& windowClass) const;
    QList<TChildForm*> childForms() const; // in the frame's child order
    QAction* deviceAction(const QString& caption) const;

    // Asks every child to close, last first; windows with unsaved work may refuse.
    void closeAllChildren();
    // Gives `w` the lowest title number no other open window of its title
    // has: none for the first, ": 2" for the second.
    void numberTitle(TChildForm* w);
    void exitApplication();

    // Power and frequency options.
    void setPower33(bool on);
    void setPower5(bool on);
    bool ShowSplash = true;
    bool ShowWarning = true;

    TfrmBitrate* bitrateWindow() const;
    TfrmSplash* splashWindow() const;
    TfrmPowerWarning* powerWarning() const;
    TfrmBusLog* busLogWindow() const;
    TfrmBench* benchWindow() const;

    // Applies the bus frequency to the adapter (the frequency window calls it).
    void applyBusFrequency();

    // The adapter choice in the Options menu.
    AdapterSelection* adapterSelection() const { return m_adapters; }
    // The adapter changed, went away or came back: presence, caption, and
    // what the supply and frequency options can do with it.
    void adapterChanged();
    // The bus frequency as panel 5 shows it: the set one on the bench, what
    // the kernel says on a real adapter.
    QString frequencyText() const;
    void showSplash();

signals:
    // Sent by adapterChanged(): work that talks to chips on its own (a
    // polling plot) stops, since its chip may not be on this bus.
    void adapterStateChanged();

public slots:
    void mnuFrequencyClick();
    void mnu3VPowerClick();
    void mnu5VPowerClick();
    void mnuShowWarningClick();
    void mnuCascadeClick();
    void mnuTileClick();
    void mnuMinimizeAllClick();
    void mnuUpdateClick();
    void mnuAboutClick();
    void mnuExitClick();
    void mnuBusLogClick();
    void mnuBenchClick();
    void mnuScanBusClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildDeviceMenu();
    void subWindowActivated(QMdiSubWindow* sub);
    void mergeMenus(TChildForm* child);
    void showHintWhileOpen(QMenu* menu, const QString& hint);
    void listWindows();
    void panelDoubleClicked(int index);
    void showStatusContextMenu(const QPoint& pos);
    void showPowerWarning();
    bool refuseSupplySwitch();
    void writeSettings();
    QList<QMdiSubWindow*> arrangeable() const;
    static void scrollWithin(TChildForm* w);

    tp::AppState& m_state;
    // Bus work of every window runs on its worker; windows still wait for it.
    std::unique_ptr<GuiBusRunner> m_busRunner;
    Catalogue m_catalogue;
    WindowFactories m_factories;
    QMdiArea* m_mdi = nullptr;
    QPointer<QWidget> m_background; // owner of the background work under way
    bool statusBelongsElsewhere() const;
    TStatusLine* pnlStatusBar = nullptr;
    QMap<QString, QPointer<TChildForm>> m_references;
    QList<QPointer<QAction>> m_mergedMenus;
    QPointer<TChildForm> m_mergedFrom;

    QMenu* mnuFile = nullptr;
    QMenu* mnuDevice = nullptr;
    QMenu* mnuOptions = nullptr;
    QMenu* mnuWindow = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuPopUpOptions = nullptr;
    QAction* mnuFileAction = nullptr;
    QAction* mnuDeviceAction = nullptr;
    QAction* mnu3VPower = nullptr;
    QAction* mnu5VPower = nullptr;
    QAction* mnuShowWarning = nullptr;
    QList<QAction*> m_windowList; // Window menu: the open windows
    QAction* mnuPopup3V = nullptr;
    QAction* mnuPopup5V = nullptr;
    QMap<QString, QAction*> m_deviceActions;

    QPointer<TfrmBitrate> m_bitrate;
    // Held as a plain widget: events reach the filter while it is being destroyed.
    QPointer<QWidget> m_splash;
    QPointer<TAboutBox> m_about;
    QPointer<TfrmPowerWarning> m_powerWarning;
    QPointer<TfrmBusLog> m_busLog;
    QPointer<TfrmBench> m_benchWindow;
    AdapterSelection* m_adapters = nullptr;
    bool m_shownAttached = true;
    bool m_settingsWritten = false;
    bool m_arranging = false; // Minimize All under way: activations must not maximise
};
