#pragma once
#include "core/adapter/linux/I2cBuses.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;
class TfrmMain;
class AdapterWatch;

namespace tp {
class Adapter;
class LinuxI2cAdapter;
namespace remote {
class RemoteAdapter;
}
} // namespace tp

// The adapter choice: the simulated bench and every Linux I²C adapter, as
// radio entries of the Options menu. A choice takes effect at once for every
// window (they all reach the bus through the program's one adapter) and is
// remembered in the settings. Hot-plug events take the chosen adapter away
// and give it back; the bench keeps its chips while another adapter is used.
class AdapterSelection : public QObject {
    Q_OBJECT
public:
    static inline const QString kBench = QStringLiteral("bench");

    // The entries go at the end of `options`, then Add remote bus… and Reconnect.
    AdapterSelection(TfrmMain& main, QMenu* options);
    ~AdapterSelection() override;

    // Lists the real adapters found under `env`, watching `watch` (taken
    // over) for hot-plug. Without this only the bench is offered.
    void enableHardware(tp::linuxi2c::Environment env, AdapterWatch* watch);
    bool hardwareEnabled() const { return m_env.has_value(); }

    // At start: the adapter named on the command line (for this run only:
    // the remembered one stays remembered), or with an empty spec the
    // remembered one. One that is missing or cannot be opened leaves the
    // bench in use and says so in the window. False, with `error`, when the
    // command line names one that cannot be used.
    bool start(const QString& commandLineSpec, QString* error = nullptr);

    // "bench", or a bus as "/dev/i2c-3", "i2c-3", "3" or its kernel name.
    // On failure the status line and a message box say why and what to do.
    bool choose(const QString& spec);

    // "bench", the chosen adapter's device node, or a remote bus's spec.
    QString current() const;
    tp::LinuxI2cAdapter* linuxAdapter() const;
    tp::remote::RemoteAdapter* remoteAdapter() const;

    // A board's bus, ssh:[user@]host[:port]/ADAPTER or exec:COMMAND:
    // connects, remembers it among the remote buses and chooses it. Quiet:
    // no message box, `error` says why it failed.
    bool chooseRemote(const QString& spec, bool quiet, QString* error = nullptr);
    // The remote buses added so far, as specs.
    QStringList remoteBuses() const;
    // Options > Add remote bus…: asks for the host, lists its adapters.
    void mnuAddRemoteClick();
    // Options > Reconnect: a new connection to the chosen remote bus.
    bool mnuReconnectClick();
    // The bus clock of the chosen real adapter, when the firmware tells it.
    std::optional<unsigned> busFrequencyHz() const;

    QList<QAction*> actions() const { return m_actions; }
    QAction* action(const QString& objectName) const;
    // Lists the adapters again (also each time the Options menu opens).
    void refreshList();

    // Hot-plug, as the watch reports it.
    void adapterAdded(const QString& devNode);
    void adapterRemoved(const QString& devNode);

private:
    bool chooseBench();
    bool startFor(const QString& commandLineSpec, QString* error);
    bool chooseBus(const tp::linuxi2c::BusInfo& bus, bool quiet, QString* error);
    void install(std::unique_ptr<tp::Adapter> adapter);
    // Installs it, remembers the choice and shows it.
    void use(std::unique_ptr<tp::Adapter> adapter);
    void approveWrites(tp::LinuxI2cAdapter& adapter);
    void approveWrites(tp::remote::RemoteAdapter& adapter);
    bool askWrite(const QString& driver, bool pcSmbus, std::uint8_t address, const QString& busLabel);
    void remember() const;
    void rebuild();
    void announce();
    std::optional<tp::linuxi2c::BusInfo> rememberedBus(QString* name, QString* node) const;

    TfrmMain& m_main;
    QMenu* m_options;
    QActionGroup* m_group;
    QList<QAction*> m_actions;
    QAction* m_listEnd;
    QAction* m_addRemote;
    QAction* m_reconnect;
    std::optional<tp::linuxi2c::Environment> m_env;
    QPointer<AdapterWatch> m_watch;
    std::vector<tp::linuxi2c::BusInfo> m_buses;
    std::unique_ptr<tp::Adapter> m_bench;   // kept while a real adapter is in use
    std::unique_ptr<tp::Adapter> m_retired; // the real adapter before the current one
    bool m_remember = true;                 // off while a command-line choice is made
};
