#include "gui/app/AdapterSelection.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/common/HexText.h"
#include "core/sim/SimulatedAdapter.h"
#include "gui/app/AdapterWatch.h"
#include "gui/app/TfrmAddRemote.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QSettings>

#include <cerrno>

namespace {

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quessary"),
                     QStringLiteral("Tallyprt"));
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

tp::StatusMessage notice(const QString& text, bool problem)
{
    tp::StatusMessage m;
    m.text = (QLatin1Char(' ') + text).toStdString();
    m.background = tp::colour::Yellow;
    if (problem)
        m.gradientTo = tp::colour::Red;
    m.textColour = tp::colour::Black;
    m.align = tp::Align::Centre;
    return m;
}

} // namespace

AdapterSelection::AdapterSelection(TfrmMain& main, QMenu* options)
    : QObject(&main), m_main(main), m_options(options), m_group(new QActionGroup(this))
{
    m_group->setExclusive(true);
    // The adapter entries go before this separator; the remote bus entries follow it.
    m_listEnd = m_options->addSeparator();
    m_addRemote = m_options->addAction(tr("Add remote bus\u2026"), this, guarded([this] { mnuAddRemoteClick(); }));
    m_addRemote->setObjectName(QStringLiteral("mnuAddRemote"));
    m_reconnect = m_options->addAction(tr("Reconnect"), this, guarded([this] { mnuReconnectClick(); }));
    m_reconnect->setObjectName(QStringLiteral("mnuReconnect"));
    m_reconnect->setStatusTip(tr("A new connection to the remote bus in use"));
    connect(m_options, &QMenu::aboutToShow, this, guarded([this] { refreshList(); }));
    rebuild();
}

AdapterSelection::~AdapterSelection() = default;

void AdapterSelection::enableHardware(tp::linuxi2c::Environment env, AdapterWatch* watch)
{
    m_env = std::move(env);
    if (watch) {
        watch->setParent(this);
        m_watch = watch;
        connect(watch, &AdapterWatch::added, this, guarded([this](const QString& n) { adapterAdded(n); }));
        connect(watch, &AdapterWatch::removed, this,
                guarded([this](const QString& n) { adapterRemoved(n); }));
    }
    refreshList();
}

tp::LinuxI2cAdapter* AdapterSelection::linuxAdapter() const
{
    return dynamic_cast<tp::LinuxI2cAdapter*>(&m_main.state().adapter());
}

tp::remote::RemoteAdapter* AdapterSelection::remoteAdapter() const
{
    return dynamic_cast<tp::remote::RemoteAdapter*>(&m_main.state().adapter());
}

QString AdapterSelection::current() const
{
    if (const tp::remote::RemoteAdapter* r = remoteAdapter())
        return q(r->target().spec());
    const tp::LinuxI2cAdapter* a = linuxAdapter();
    return a ? q(a->bus().devNode) : kBench;
}

QStringList AdapterSelection::remoteBuses() const
{
    return settings().value(QStringLiteral("RemoteBuses")).toStringList();
}

std::optional<unsigned> AdapterSelection::busFrequencyHz() const
{
    if (const tp::remote::RemoteAdapter* r = remoteAdapter())
        return r->facts().busFrequencyHz ? std::optional<unsigned>(r->facts().busFrequencyHz) : std::nullopt;
    const tp::LinuxI2cAdapter* a = linuxAdapter();
    if (!a || !m_env)
        return std::nullopt;
    return tp::linuxi2c::busFrequencyHz(*m_env, a->bus().number);
}

QAction* AdapterSelection::action(const QString& objectName) const
{
    for (QAction* a : m_actions)
        if (a->objectName() == objectName)
            return a;
    return nullptr;
}

void AdapterSelection::refreshList()
{
    if (m_env)
        m_buses = tp::linuxi2c::listBuses(*m_env);
    rebuild();
}

void AdapterSelection::rebuild()
{
    // An entry may be the one whose click is being handled: let it go later.
    for (QAction* a : std::as_const(m_actions)) {
        m_group->removeAction(a);
        m_options->removeAction(a);
        a->deleteLater();
    }
    m_actions.clear();
    const QString chosen = current();
    const auto add = [&](const QString& text, const QString& name, const QString& spec) {
        auto* a = new QAction(text, m_options);
        a->setObjectName(name);
        a->setCheckable(true);
        a->setChecked(spec == chosen);
        a->setActionGroup(m_group);
        m_options->insertAction(m_listEnd, a);
        connect(a, &QAction::triggered, this, guarded([this, spec] { choose(spec); }));
        m_actions.append(a);
        return a;
    };
    add(tr("Simulated bench"), QStringLiteral("mnuAdapterBench"), kBench);
    bool chosenListed = chosen == kBench;
    for (const tp::linuxi2c::BusInfo& b : m_buses) {
        add(q(b.label()), QStringLiteral("mnuAdapter_i2c-%1").arg(b.number), q(b.devNode));
        chosenListed = chosenListed || q(b.devNode) == chosen;
    }
    const QStringList remotes = remoteBuses();
    for (int i = 0; i < remotes.size(); ++i) {
        std::string why;
        const auto t = tp::remote::RemoteTarget::parse(remotes[i].toStdString(), &why);
        if (!t)
            continue;
        QString text = t->ssh ? tr("Remote %1: %2").arg(q(t->hostText()), q(t->adapter))
                              : tr("Remote exec: %1").arg(q(t->command));
        const tp::remote::RemoteAdapter* r = remoteAdapter();
        if (remotes[i] == chosen && r && !r->isPresent())
            text += tr("  (disconnected)");
        add(text, QStringLiteral("mnuAdapterRemote_%1").arg(i), remotes[i]);
        chosenListed = chosenListed || remotes[i] == chosen;
    }
    m_reconnect->setEnabled(remoteAdapter() != nullptr);
    if (!chosenListed && remoteAdapter())
        chosenListed = true;
    if (!chosenListed) { // unplugged, and kept chosen until it is back
        const tp::LinuxI2cAdapter* a = linuxAdapter();
        QAction* gone = add(q(a->bus().label()) + tr("  (unplugged)"),
                            QStringLiteral("mnuAdapter_i2c-%1").arg(a->bus().number), chosen);
        gone->setEnabled(false);
    }
}

bool AdapterSelection::choose(const QString& spec)
{
    if (spec == kBench)
        return chooseBench();
    if (tp::remote::RemoteTarget::isRemote(spec.toStdString())) {
        const tp::remote::RemoteAdapter* r = remoteAdapter();
        if (r && r->isPresent() && q(r->target().spec()) == spec)
            return true;
        if (r && q(r->target().spec()) == spec) // the one in use, lost: the user asks again
            return mnuReconnectClick();
        return chooseRemote(spec, false, nullptr);
    }
    const auto bus = m_env ? tp::linuxi2c::findBus(*m_env, spec.toStdString()) : std::nullopt;
    if (!bus) {
        m_main.showStatus(notice(tr("%1: no such I\u00B2C adapter").arg(spec), true));
        rebuild();
        return false;
    }
    const tp::LinuxI2cAdapter* a = linuxAdapter();
    if (a && a->isPresent() && a->bus().devNode == bus->devNode && a->bus().name == bus->name)
        return true;
    return chooseBus(*bus, false, nullptr);
}

bool AdapterSelection::chooseBench()
{
    if (m_main.state().adapter().isSimulated()) { // already: nothing changes, not even the supplies
        remember();
        return true;
    }
    if (!m_bench) {
        auto bench = std::make_unique<tp::sim::SimulatedAdapter>();
        tp::sim::registerStandardChips(*bench);
        m_bench = std::move(bench);
    }
    use(std::move(m_bench));
    return true;
}

bool AdapterSelection::chooseBus(const tp::linuxi2c::BusInfo& bus, bool quiet, QString* error)
{
    std::string why;
    int code = 0;
    auto adapter = tp::LinuxI2cAdapter::open(bus, &why, &code, *m_env);
    if (!adapter) {
        if (error)
            *error = q(why);
        if (!quiet) {
            const QString shortWhy = code == EACCES || code == EPERM
                                         ? tr("%1: no permission (join the group i2c, see the README)")
                                         : tr("%1: cannot open it");
            m_main.showStatus(notice(shortWhy.arg(q(bus.devNode)), true));
            Dialogs::instance().warning(&m_main, tr("Tallyport"), q(why));
        }
        rebuild();
        return false;
    }
    approveWrites(*adapter);
    use(std::move(adapter));
    return true;
}

bool AdapterSelection::chooseRemote(const QString& spec, bool quiet, QString* error)
{
    std::string why;
    const auto target = tp::remote::RemoteTarget::parse(spec.toStdString(), &why);
    std::unique_ptr<tp::remote::RemoteAdapter> adapter;
    if (target) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        adapter = tp::remote::RemoteAdapter::open(*target, &why);
        QApplication::restoreOverrideCursor();
    }
    if (!adapter) {
        if (error)
            *error = q(why);
        if (!quiet) {
            m_main.showStatus(notice(tr("%1: cannot reach it").arg(spec), true));
            Dialogs::instance().warning(&m_main, tr("Tallyport"), q(why));
        }
        rebuild();
        return false;
    }
    const QString canonical = q(target->spec());
    QStringList remotes = remoteBuses();
    if (!remotes.contains(canonical)) {
        remotes << canonical;
        QSettings s = settings();
        s.setValue(QStringLiteral("RemoteBuses"), remotes);
    }
    approveWrites(*adapter);
    use(std::move(adapter));
    return true;
}

bool AdapterSelection::mnuReconnectClick()
{
    tp::remote::RemoteAdapter* r = remoteAdapter();
    if (!r)
        return false;
    std::string why;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = r->reconnect(&why);
    QApplication::restoreOverrideCursor();
    rebuild();
    announce();
    if (!ok) {
        m_main.showStatus(notice(tr("%1: cannot reach it").arg(q(r->target().spec())), true));
        Dialogs::instance().warning(&m_main, tr("Tallyport"), q(why));
        return false;
    }
    m_main.showStatus(notice(tr("Connected again to %1").arg(q(r->name())), false));
    return true;
}

void AdapterSelection::mnuAddRemoteClick()
{
    TfrmAddRemote dialog(&m_main);
    if (dialog.exec() != QDialog::Accepted || dialog.spec().isEmpty())
        return;
    chooseRemote(dialog.spec(), false, nullptr);
}

void AdapterSelection::use(std::unique_ptr<tp::Adapter> adapter)
{
    install(std::move(adapter));
    remember();
    rebuild();
    announce();
}

void AdapterSelection::install(std::unique_ptr<tp::Adapter> adapter)
{
    std::unique_ptr<tp::Adapter> previous = m_main.state().exchangeAdapter(std::move(adapter));
    if (previous && previous->isSimulated())
        m_bench = std::move(previous);
    else
        m_retired = std::move(previous); // a transfer may still be on its way out of it
}

void AdapterSelection::approveWrites(tp::LinuxI2cAdapter& adapter)
{
    adapter.setWriteApproval([this](const tp::LinuxI2cAdapter::WriteCheck& c) {
        return askWrite(q(c.driver), c.pcSmbus, c.address, q(c.busLabel));
    });
}

void AdapterSelection::approveWrites(tp::remote::RemoteAdapter& adapter)
{
    adapter.setWriteApproval([this](const tp::LinuxI2cAdapter::WriteCheck& c) {
        return askWrite(q(c.driver), c.pcSmbus, c.address, q(c.busLabel));
    });
}

bool AdapterSelection::askWrite(const QString& driver, bool pcSmbus, std::uint8_t address8, const QString& busLabel)
{
    const QString address = QStringLiteral("0x%1 (7-bit 0x%2)")
                                .arg(q(tp::intToHex(address8, 2)), q(tp::intToHex(address8 >> 1, 2)));
    QStringList text;
    if (!driver.isEmpty())
        text << tr("The kernel driver %1 has claimed address %2 on %3. A write behind the driver's back "
                   "can corrupt what it keeps there.")
                    .arg(driver, address, busLabel);
    if (pcSmbus)
        text << tr("%1 is the PC's own SMBus: the memory modules keep their configuration EEPROMs (SPD) "
                   "at 0xA0 to 0xAE (7-bit 0x50 to 0x57), and a wrong write there can leave the PC unable "
                   "to start. You are asked once while this adapter is in use.")
                    .arg(busLabel);
    text << tr("Write to %1 anyway?").arg(address);
    // Asked from the bus worker; answered where the dialogs are.
    bool yes = false;
    GuiBusRunner::onInterfaceThread([&] {
        yes = Dialogs::instance().confirm(&m_main, tr("Tallyport"), text.join(QStringLiteral("\n\n")),
                                          Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
    });
    return yes;
}

void AdapterSelection::remember() const
{
    if (!m_remember)
        return;
    QSettings s = settings();
    if (const tp::remote::RemoteAdapter* r = remoteAdapter()) {
        s.setValue(QStringLiteral("Adapter"), q(r->target().spec()));
        s.setValue(QStringLiteral("AdapterName"), QString());
        s.sync();
        return;
    }
    const tp::LinuxI2cAdapter* a = linuxAdapter();
    s.setValue(QStringLiteral("Adapter"), a ? q(a->bus().devNode) : kBench);
    s.setValue(QStringLiteral("AdapterName"), a ? q(a->bus().name) : QString());
    s.sync();
}

std::optional<tp::linuxi2c::BusInfo> AdapterSelection::rememberedBus(QString* name, QString* node) const
{
    QSettings s = settings();
    *node = s.value(QStringLiteral("Adapter")).toString();
    *name = s.value(QStringLiteral("AdapterName")).toString();
    // Bus numbers of USB bridges change between plug-ins; the name does not.
    const tp::linuxi2c::BusInfo* sameName = nullptr;
    for (const tp::linuxi2c::BusInfo& b : m_buses) {
        const bool nameMatches = name->isEmpty() || q(b.name) == *name;
        if (nameMatches && q(b.devNode) == *node)
            return b;
        if (!name->isEmpty() && nameMatches && !sameName)
            sameName = &b;
    }
    if (sameName)
        return *sameName;
    return std::nullopt;
}

bool AdapterSelection::start(const QString& commandLineSpec, QString* error)
{
    if (!commandLineSpec.isEmpty()) {
        m_remember = false;
        const bool ok = startFor(commandLineSpec, error);
        m_remember = true;
        return ok;
    }
    QString name, node;
    const auto bus = rememberedBus(&name, &node);
    if (tp::remote::RemoteTarget::isRemote(node.toStdString())) {
        QString why;
        if (!chooseRemote(node, true, &why))
            m_main.showStatus(notice(tr("%1 cannot be reached: the simulated bench is in use").arg(node), false));
        return true;
    }
    if (!m_env || node.isEmpty() || node == kBench)
        return true;
    if (!bus) {
        const QString what = name.isEmpty() ? node : QStringLiteral("%1 (%2)").arg(name, node);
        m_main.showStatus(notice(tr("%1 is not there: the simulated bench is in use").arg(what), false));
        return true;
    }
    chooseBus(*bus, false, nullptr);
    return true;
}

bool AdapterSelection::startFor(const QString& spec, QString* error)
{
    if (spec == kBench)
        return chooseBench();
    if (tp::remote::RemoteTarget::isRemote(spec.toStdString())) {
        if (chooseRemote(spec, true, error))
            return true;
        m_main.showStatus(notice(tr("%1 cannot be reached: the simulated bench is in use").arg(spec), false));
        return false;
    }
    const auto bus = m_env ? tp::linuxi2c::findBus(*m_env, spec.toStdString()) : std::nullopt;
    if (!bus) {
        if (error)
            *error = tr("%1: no such I\u00B2C adapter. ").arg(spec) + q(tp::linuxi2c::openAdvice(ENOENT));
        // Started from a launcher nobody reads stderr: the window says it.
        m_main.showStatus(notice(tr("%1 is not there: the simulated bench is in use").arg(spec), false));
        rebuild();
        return false;
    }
    return chooseBus(*bus, false, error);
}

void AdapterSelection::adapterRemoved(const QString& devNode)
{
    refreshList();
    tp::LinuxI2cAdapter* a = linuxAdapter();
    if (a && a->isPresent() && q(a->bus().devNode) == devNode &&
        !tp::linuxi2c::busPresent(*m_env, a->bus().number, a->bus().name)) {
        a->markRemoved();
        rebuild();
        announce();
    }
}

void AdapterSelection::adapterAdded(const QString& devNode)
{
    refreshList();
    tp::LinuxI2cAdapter* a = linuxAdapter();
    if (!a || a->isPresent())
        return;
    // The same adapter back: the same name, under the number it had if it got it again.
    const tp::linuxi2c::BusInfo* back = nullptr;
    for (const tp::linuxi2c::BusInfo& b : m_buses) {
        if (b.name != a->bus().name)
            continue;
        if (b.devNode == a->bus().devNode || (!back && q(b.devNode) == devNode))
            back = &b;
    }
    std::string why;
    if (back && a->reattach(*back, &why)) {
        remember();
        rebuild();
        announce();
    }
}

void AdapterSelection::announce()
{
    m_main.adapterChanged();
}
