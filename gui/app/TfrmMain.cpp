#include "gui/app/TfrmMain.h"
#include "core/adapter/BusWorker.h"
#include "core/adapter/Clock.h"
#include "core/adapter/CommandFrame.h"
#include "core/common/BusAddress.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/Settings.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TAboutBox.h"
#include "gui/app/TfrmBitrate.h"
#include "gui/app/TfrmPowerWarning.h"
#include "gui/app/TfrmSplash.h"
#include "gui/bus/TfrmBench.h"
#include "gui/bus/TfrmBusLog.h"
#include "gui/bus/TfrmBusScan.h"
#include "gui/common/ChildForm.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/InputSafety.h"
#include "gui/common/GuiBusRunner.h"
#include "gui/common/Placement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSet>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const char* kStatusHint = "Double-click 3.3V to turn on/off 3.3V power\n"
                          "Double-click 5V to turn on/off 5V power\n"
                          "Double-click the frequency panel to change frequency";
}

TfrmMain::TfrmMain(tp::AppState& state, const Catalogue& catalogue, const WindowFactories& factories,
                   QWidget* parent)
    : QMainWindow(parent), m_state(state), m_busRunner(std::make_unique<GuiBusRunner>()), m_catalogue(catalogue),
      m_factories(factories)
{
    setObjectName(QStringLiteral("frmMain"));
    GetRegistryData();
    setWindowTitle(QStringLiteral("Tallyport"));

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, guarded(this, &TfrmMain::subWindowActivated));

    pnlStatusBar = new TStatusLine(this);
    pnlStatusBar->setToolTip(QString::fromLatin1(kStatusHint));
    setStatusBar(pnlStatusBar);
    connect(pnlStatusBar, &TStatusLine::panelDoubleClicked, this,
            guarded(this, &TfrmMain::panelDoubleClicked));
    pnlStatusBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pnlStatusBar, &QWidget::customContextMenuRequested, this,
            guarded(this, &TfrmMain::showStatusContextMenu));

    buildMenus();
    resize(1280, 800);

    applyBusFrequency();
    DeviceAttachMessage(m_state.adapter().isPresent());
    qApp->installEventFilter(this);
    new InputSafety(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The area reports activations while its sub-windows go; nobody listens now.
    disconnect(m_mdi, nullptr, this, nullptr);
    // Closed ones still waiting for deletion are no longer in the list, but
    // their windows must go while the frame they report to is whole.
    for (QMdiSubWindow* sub : m_mdi->findChildren<QMdiSubWindow*>())
        delete sub;
    writeSettings();
}

// ------------------------------------------------------------------ menus

void TfrmMain::buildMenus()
{
    QMenuBar* bar = menuBar();

    mnuFile = new QMenu(tr("&File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* exit = mnuFile->addAction(tr("E&xit"), this, guarded(this, &TfrmMain::mnuExitClick));
    exit->setObjectName(QStringLiteral("mnuExit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuFileAction = bar->addMenu(mnuFile);

    mnuDevice = new QMenu(tr("&Device"), this);
    mnuDevice->setObjectName(QStringLiteral("mnuDevice"));
    buildDeviceMenu();
    mnuDeviceAction = bar->addMenu(mnuDevice);
    showHintWhileOpen(mnuDevice, tr("Choose device from this menu"));

    mnuOptions = new QMenu(tr("Options"), this);
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    QAction* freq =
        mnuOptions->addAction(tr("I\u00B2C Frequency"), this, guarded(this, &TfrmMain::mnuFrequencyClick));
    freq->setObjectName(QStringLiteral("mnuFrequency"));
    mnuOptions->addSeparator();
    mnu3VPower = mnuOptions->addAction(tr("Enable 3.3V Output Power"), this,
                                       guarded(this, &TfrmMain::mnu3VPowerClick));
    mnu3VPower->setObjectName(QStringLiteral("mnu3VPower"));
    mnu3VPower->setCheckable(true);
    mnu5VPower =
        mnuOptions->addAction(tr("Enable 5V Output Power"), this, guarded(this, &TfrmMain::mnu5VPowerClick));
    mnu5VPower->setObjectName(QStringLiteral("mnu5VPower"));
    mnu5VPower->setCheckable(true);
    // Once switched off in the warning itself, this is the way back.
    mnuShowWarning = mnuOptions->addAction(tr("Show Power Warning"), this,
                                           guarded(this, &TfrmMain::mnuShowWarningClick));
    mnuShowWarning->setObjectName(QStringLiteral("mnuShowWarning"));
    mnuShowWarning->setCheckable(true);
    mnuShowWarning->setChecked(ShowWarning);
    connect(mnuOptions, &QMenu::aboutToShow, this, guarded([this] { mnuShowWarning->setChecked(ShowWarning); }));
    mnuOptions->addSeparator();
    m_adapters = new AdapterSelection(*this, mnuOptions);
    bar->addMenu(mnuOptions);
    showHintWhileOpen(mnuOptions, tr("Change device, I\u00B2C speed"));

    mnuWindow = new QMenu(tr("Wi&ndow"), this);
    mnuWindow->setObjectName(QStringLiteral("mnuWindow"));
    QAction* cascade = mnuWindow->addAction(tr("Cascade"), this, guarded(this, &TfrmMain::mnuCascadeClick));
    cascade->setObjectName(QStringLiteral("mnuCascade"));
    cascade->setStatusTip(tr("Arrange windows to overlap"));
    cascade->setToolTip(cascade->statusTip());
    QAction* tile = mnuWindow->addAction(tr("Tile"), this, guarded(this, &TfrmMain::mnuTileClick));
    tile->setObjectName(QStringLiteral("mnuTile"));
    tile->setStatusTip(tr("Arrange windows without overlap"));
    tile->setToolTip(tile->statusTip());
    QAction* minimize =
        mnuWindow->addAction(tr("Minimize All"), this, guarded(this, &TfrmMain::mnuMinimizeAllClick));
    minimize->setObjectName(QStringLiteral("mnuMinimizeAll"));
    minimize->setStatusTip(tr("Minimize all windows"));
    minimize->setToolTip(minimize->statusTip());
    mnuWindow->addSeparator();
    QAction* busLog = mnuWindow->addAction(tr("&Bus Log"), this, guarded(this, &TfrmMain::mnuBusLogClick));
    busLog->setObjectName(QStringLiteral("mnuBusLog"));
    busLog->setStatusTip(tr("Show every message on the bus"));
    busLog->setToolTip(busLog->statusTip());
    QAction* benchAction =
        mnuWindow->addAction(tr("Simulated Ben&ch"), this, guarded(this, &TfrmMain::mnuBenchClick));
    benchAction->setObjectName(QStringLiteral("mnuBench"));
    benchAction->setStatusTip(tr("See and arrange the chips of the simulated bench"));
    benchAction->setToolTip(benchAction->statusTip());
    QAction* scanBus = mnuWindow->addAction(tr("&Scan Bus\u2026"), this, guarded(this, &TfrmMain::mnuScanBusClick));
    scanBus->setObjectName(QStringLiteral("mnuScanBus"));
    scanBus->setStatusTip(tr("Find the addresses that answer on the bus"));
    scanBus->setToolTip(scanBus->statusTip());
    mnuWindow->setToolTipsVisible(true);
    connect(mnuWindow, &QMenu::aboutToShow, this, guarded(this, &TfrmMain::listWindows));
    bar->addMenu(mnuWindow);

    mnuHelp = new QMenu(tr("Help"), this);
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* update =
        mnuHelp->addAction(tr("Update Tallyport"), this, guarded(this, &TfrmMain::mnuUpdateClick));
    update->setObjectName(QStringLiteral("mnuUpdate"));
    mnuHelp->addSeparator();
    QAction* about = mnuHelp->addAction(tr("&About"), this, guarded(this, &TfrmMain::mnuAboutClick));
    about->setObjectName(QStringLiteral("mnuAbout"));
    bar->addMenu(mnuHelp);

    mnuPopUpOptions = new QMenu(this);
    mnuPopUpOptions->setObjectName(QStringLiteral("mnuPopUpOptions"));
    QAction* pf = mnuPopUpOptions->addAction(tr("I\u00B2C Frequency"), this,
                                             guarded(this, &TfrmMain::mnuFrequencyClick));
    pf->setObjectName(QStringLiteral("mnuPopupFrequency"));
    mnuPopUpOptions->addSeparator();
    mnuPopup3V = mnuPopUpOptions->addAction(tr("Enable 3.3V Output Power"), this,
                                            guarded(this, &TfrmMain::mnu3VPowerClick));
    mnuPopup3V->setObjectName(QStringLiteral("mnuPopup3VPower"));
    mnuPopup3V->setCheckable(true);
    mnuPopup5V = mnuPopUpOptions->addAction(tr("Enable 5V Output Power"), this,
                                            guarded(this, &TfrmMain::mnu5VPowerClick));
    mnuPopup5V->setObjectName(QStringLiteral("mnuPopup5VPower"));
    mnuPopup5V->setCheckable(true);
    const auto syncPopup = [this] {
        mnuPopup3V->setChecked(mnu3VPower->isChecked());
        mnuPopup5V->setChecked(mnu5VPower->isChecked());
    };
    connect(mnuPopUpOptions, &QMenu::aboutToShow, this, guarded(syncPopup));
}

void TfrmMain::showHintWhileOpen(QMenu* menu, const QString& hint)
{
    // The hint stands in the status bar while the menu is open; entries
    // without a hint of their own keep it there as the mouse moves over them.
    menu->menuAction()->setStatusTip(hint);
    const auto fill = [hint](QMenu* m, const auto& self) -> void {
        for (QAction* a : m->actions()) {
            if (a->isSeparator())
                continue;
            if (a->statusTip().isEmpty())
                a->setStatusTip(hint);
            if (a->menu())
                self(a->menu(), self);
        }
    };
    connect(menu, &QMenu::aboutToShow, this, guarded([this, menu, hint, fill] {
                fill(menu, fill); // entries added since are covered too
                statusBar()->showMessage(hint);
            }));
    connect(menu, &QMenu::aboutToHide, this, guarded([this] { statusBar()->clearMessage(); }));
}

void TfrmMain::listWindows()
{
    // The open child windows below the arrangement entries; the active one checked.
    for (QAction* a : std::as_const(m_windowList))
        delete a;
    m_windowList.clear();
    const QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    m_windowList.append(mnuWindow->addSeparator());
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        ++n;
        QString title = sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&")); // a file name's '&' is no shortcut
        QString text = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : QStringLiteral("%1 %2").arg(n).arg(title);
        QAction* a = mnuWindow->addAction(text);
        a->setObjectName(QStringLiteral("mnuWindow%1").arg(n));
        a->setCheckable(true);
        a->setChecked(sub == m_mdi->activeSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, guarded([this, target] {
                    if (!target)
                        return;
                    if (target->isMinimized())
                        target->showNormal();
                    m_mdi->setActiveSubWindow(target);
                }));
        m_windowList.append(a);
    }
}

void TfrmMain::mnuShowWarningClick()
{
    ShowWarning = mnuShowWarning->isChecked();
    if (m_powerWarning)
        m_powerWarning->chbShow->setChecked(ShowWarning);
}

void TfrmMain::buildDeviceMenu()
{
    QMap<QString, QMenu*> submenus;
    for (const CatalogueEntry& entry : m_catalogue) {
        QMenu*& sub = submenus[entry.submenu];
        if (!sub) {
            sub = mnuDevice->addMenu(entry.submenu);
            sub->setObjectName(QStringLiteral("mnuDevice_") + entry.submenu);
        }
        // Captions keep their double blanks; no "&" stands in them.
        QAction* a = sub->addAction(entry.caption);
        a->setObjectName(entry.actionName());
        a->setEnabled(m_factories.contains(entry.windowClass));
        const CatalogueEntry copy = entry;
        connect(a, &QAction::triggered, this, guarded([this, copy] { openEntry(copy); }));
        m_deviceActions.insert(entry.submenu + QLatin1Char('/') + entry.caption, a);
    }
}

QAction* TfrmMain::deviceAction(const QString& caption) const
{
    for (auto it = m_deviceActions.begin(); it != m_deviceActions.end(); ++it)
        if (it.key() == caption || it.key().endsWith(QLatin1Char('/') + caption))
            return it.value();
    return nullptr;
}

// ------------------------------------------------------------------ children

TChildForm* TfrmMain::openEntry(const CatalogueEntry& entry, std::optional<std::uint8_t> address)
{
    auto factory = m_factories.find(entry.windowClass);
    if (factory == m_factories.end())
        return nullptr;
    TChildForm* w = entry.newWindow ? nullptr : m_references.value(entry.windowClass).data();
    QMdiSubWindow* sub = nullptr;
    if (!w) {
        w = (*factory)(*this, entry);
        if (!w)
            return nullptr;
        scrollWithin(w);
        sub = m_mdi->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        sub->setWindowIcon(QIcon(blank));
        m_references[entry.windowClass] = w;
    } else {
        sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    }
    // The quick start must not hide the window just asked for.
    if (m_splash)
        m_splash->close();
    if (sub) {
        if (w->maximiseOnActivate() || w->opensMaximised())
            sub->showMaximized();
        else
            sub->show();
        m_mdi->setActiveSubWindow(sub);
        sub->raise();
    }
    if (!entry.newWindow)
        w->applyPreset(entry);
    if (address)
        w->selectAddress(*address, entry);
    w->placeChips();
    return w;
}

void TfrmMain::mnuBusLogClick()
{
    if (!m_busLog) {
        m_busLog = new TfrmBusLog(*this);
        addDockWidget(Qt::BottomDockWidgetArea, m_busLog);
    }
    m_busLog->show();
    m_busLog->raise();
}

void TfrmMain::mnuScanBusClick()
{
    CatalogueEntry scan;
    scan.caption = tr("Scan Bus");
    scan.handler = QStringLiteral("mnuScanBusClick");
    scan.windowClass = QStringLiteral("TfrmBusScan");
    // Not in the Device menu, so not in the factories the frame was given.
    if (!m_factories.contains(scan.windowClass))
        m_factories.insert(scan.windowClass, [](TfrmMain& m, const CatalogueEntry&) { return new TfrmBusScan(m); });
    // Choosing the entry scans, also when the window is open already.
    if (auto* w = qobject_cast<TfrmBusScan*>(openEntry(scan)))
        w->btnScanClick();
}

void TfrmMain::mnuBenchClick()
{
    if (!m_benchWindow) {
        m_benchWindow = new TfrmBench(*this);
        addDockWidget(Qt::BottomDockWidgetArea, m_benchWindow);
    }
    m_benchWindow->show();
    m_benchWindow->raise();
}

TfrmBench* TfrmMain::benchWindow() const
{
    return m_benchWindow.data();
}

TfrmBusLog* TfrmMain::busLogWindow() const
{
    return m_busLog.data();
}

TChildForm* TfrmMain::openCaption(const QString& caption)
{
    for (const CatalogueEntry& e : m_catalogue)
        if (e.caption == caption || e.submenu + QLatin1Char('/') + e.caption == caption)
            return openEntry(e);
    return nullptr;
}

TChildForm* TfrmMain::windowReference(const QString& windowClass) const
{
    return m_references.value(windowClass).data();
}

QList<TChildForm*> TfrmMain::childForms() const
{
    QList<TChildForm*> out;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = qobject_cast<TChildForm*>(sub->widget()))
            out.append(c);
    return out;
}

void TfrmMain::subWindowActivated(QMdiSubWindow* sub)
{
    // Trust the area's current state; the signal also fires for windows on their way out.
    sub = m_mdi->currentSubWindow();
    auto* child = sub ? qobject_cast<TChildForm*>(sub->widget()) : nullptr;
    mergeMenus(child);
    if (child && !m_arranging)
        child->FormActivate();
}

void TfrmMain::mergeMenus(TChildForm* child)
{
    if (child == m_mergedFrom && (child || m_mergedMenus.isEmpty()))
        return;
    for (const QPointer<QAction>& a : std::as_const(m_mergedMenus))
        if (a)
            menuBar()->removeAction(a);
    m_mergedMenus.clear();
    m_mergedFrom = child;
    bool hasFile = false;
    if (child) {
        for (QMenu* m : child->childMenus()) {
            menuBar()->insertAction(mnuDeviceAction, m->menuAction());
            m_mergedMenus.append(m->menuAction());
            hasFile = hasFile || m->objectName() == QLatin1String("mnuFile");
        }
    }
    mnuFileAction->setVisible(!hasFile);
}

void TfrmMain::closeAllChildren()
{
    QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
        QPointer<TChildForm> child = qobject_cast<TChildForm*>((*it)->widget());
        // The caller writes the status line once they are all gone.
        if ((*it)->close() && child)
            child->keepStatusOnDestroy();
    }
}

void TfrmMain::exitApplication()
{
    closeAllChildren();
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->isVisible())
            return; // a window kept itself open (unsaved content)
    close();
    QCoreApplication::quit();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    guard([this] { closeAllChildren(); });
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
        if (sub->isVisible()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TfrmMain::mnuExitClick()
{
    exitApplication();
}

QList<QMdiSubWindow*> TfrmMain::arrangeable() const
{
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            out.append(sub);
    return out;
}

void TfrmMain::mnuCascadeClick()
{
    const QList<QMdiSubWindow*> subs = arrangeable();
    if (subs.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = static_cast<int>(subs.size());
    // Each step uncovers a title bar; with many windows the steps shrink so
    // that the last still lies wholly inside, at least half the frame large.
    int step = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, subs.first()), 8) + 4;
    if (n > 1)
        step = std::min(step, std::min(area.width(), area.height()) / 2 / (n - 1));
    const int w = area.width() - step * (n - 1);
    const int h = area.height() - step * (n - 1);
    m_arranging = true;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = subs[i];
        sub->showNormal();
        sub->setGeometry(area.left() + i * step, area.top() + i * step, w, h);
        sub->raise();
    }
    m_mdi->setActiveSubWindow(subs.last());
    m_arranging = false;
}

void TfrmMain::mnuTileClick()
{
    const QList<QMdiSubWindow*> subs = arrangeable();
    if (subs.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = static_cast<int>(subs.size());
    // A grid as square as the count allows; a short last row shares its width.
    int columns = 1;
    while (columns * columns < n)
        ++columns;
    const int rows = (n + columns - 1) / columns;
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    m_arranging = true;
    for (int i = 0; i < n; ++i) {
        const int row = i / columns;
        const int inRow = row == rows - 1 ? n - row * columns : columns;
        const int col = i % columns;
        const int x0 = area.left() + area.width() * col / inRow;
        const int x1 = area.left() + area.width() * (col + 1) / inRow;
        const int y0 = area.top() + area.height() * row / rows;
        const int y1 = area.top() + area.height() * (row + 1) / rows;
        subs[i]->showNormal();
        subs[i]->setGeometry(x0, y0, x1 - x0, y1 - y0);
    }
    if (active)
        m_mdi->setActiveSubWindow(active);
    m_arranging = false;
}

void TfrmMain::scrollWithin(TChildForm* w)
{
    // A window that is given less room than its controls (tiled with many
    // others) scrolls inside itself; windows that already do are left alone.
    if (w->findChild<QScrollArea*>(QStringLiteral("scrContent"), Qt::FindDirectChildrenOnly))
        return;
    QLayout* layout = w->layout();
    if (!layout)
        return;
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("pnlContent"));
    content->setLayout(layout); // takes the layout and the controls in it
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("scrContent"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(w);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

void TfrmMain::numberTitle(TChildForm* w)
{
    // As editors do: a second window of the same title reads "<title>: 2".
    const QString base = w->baseTitle();
    if (base.isEmpty())
        return;
    QSet<int> used;
    for (TChildForm* other : childForms())
        if (other != w && other->baseTitle() == base)
            used.insert(other->titleNumber());
    if (used.isEmpty())
        return;
    int n = 1;
    while (used.contains(n))
        ++n;
    if (n != w->titleNumber())
        w->setTitleNumber(n);
}

void TfrmMain::mnuMinimizeAllClick()
{
    QList<QMdiSubWindow*> subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    m_arranging = true;
    for (auto it = subs.rbegin(); it != subs.rend(); ++it)
        (*it)->showMinimized();
    m_arranging = false;
}

void TfrmMain::mnuUpdateClick()
{
    Dialogs::instance().information(this, tr("Update Tallyport"),
                                    tr("Tallyport is updated through your system's package manager."));
}

void TfrmMain::mnuAboutClick()
{
    if (!m_about)
        m_about = new TAboutBox(*this);
    m_about->exec();
}

// ------------------------------------------------------------------ status line

TfrmMain::BackgroundWork::BackgroundWork(TfrmMain& main, QWidget* owner) : m_main(main), m_previous(main.m_background)
{
    m_main.m_background = owner;
}

TfrmMain::BackgroundWork::~BackgroundWork()
{
    m_main.m_background = m_previous;
}

bool TfrmMain::statusBelongsElsewhere() const
{
    if (!m_background)
        return false;
    const QMdiSubWindow* current = m_mdi->currentSubWindow();
    return !current || current->widget() != m_background;
}

void TfrmMain::ErrorMessage(tp::Status code)
{
    if (statusBelongsElsewhere()) {
        if (m_shownAttached != m_state.adapter().isPresent())
            DeviceAttachMessage(m_state.adapter().isPresent());
        return;
    }
    if (auto m = tp::statusMessage(code)) {
        // A refusal names the adapter's limit, or what the user declined.
        if (code == tp::status::Refused && !m_state.adapter().refusal().empty())
            m->text = " " + m_state.adapter().refusal();
        // A lost remote bus: what became of the connection.
        const auto* board = dynamic_cast<const tp::remote::RemoteAdapter*>(&m_state.adapter());
        if (code == tp::status::HardwareNotDetected && board && !board->problem().empty())
            m->text += ": " + board->problem() + " (Options > Reconnect)";
        pnlStatusBar->setPanel(0, *m);
    }
    if (m_shownAttached != m_state.adapter().isPresent())
        DeviceAttachMessage(m_state.adapter().isPresent());
    pnlStatusBar->repaintNow();
}

void TfrmMain::ResetWarning()
{
    showStatus(tp::blankMessage());
}

void TfrmMain::showStatus(const tp::StatusMessage& message)
{
    if (statusBelongsElsewhere())
        return;
    pnlStatusBar->setPanel(0, message);
    pnlStatusBar->repaintNow();
}

void TfrmMain::DeviceAttachMessage(bool attached)
{
    // Simulated chips answering is no detected hardware.
    const bool bench = m_state.adapter().isSimulated();
    m_shownAttached = attached;
    tp::StatusMessage presence;
    const auto* board = dynamic_cast<const tp::remote::RemoteAdapter*>(&m_state.adapter());
    presence.text = !attached ? " Hardware Not Detected"
                    : bench   ? " Simulated Bench"
                    : board   ? " Remote " + (board->target().ssh ? board->target().host : std::string("exec"))
                              : " Hardware Detected";
    presence.background = !attached ? tp::colour::Red : bench ? tp::colour::Blue : tp::colour::Green;
    presence.textColour = tp::colour::White;
    presence.align = tp::Align::Centre;
    pnlStatusBar->setPanel(2, presence);
    pnlStatusBar->panelWidget(2)->setToolTip(QString::fromStdString(m_state.adapter().name()));

    tp::StatusMessage freq;
    freq.text = frequencyText().toStdString();
    freq.textColour = attached ? tp::colour::Blue : tp::colour::Grey;
    freq.align = tp::Align::Centre;
    freq.bold = true;
    pnlStatusBar->setPanel(5, freq);
    QFont bold = pnlStatusBar->panelWidget(5)->font();
    bold.setBold(true);
    pnlStatusBar->panelWidget(5)->setFixedWidth(
        std::max(90, QFontMetrics(bold).horizontalAdvance(frequencyText()) + 16));
}

QString TfrmMain::frequencyText() const
{
    if (m_state.adapter().isSimulated())
        return QStringLiteral("%1 kHz").arg(m_state.busFrequency.frequency);
    const std::optional<unsigned> hz = m_adapters ? m_adapters->busFrequencyHz() : std::nullopt;
    return hz ? QStringLiteral("%1 kHz").arg(QString::number(*hz / 1000.0)) : tr("set by the kernel");
}

void TfrmMain::adapterChanged()
{
    const bool real = !m_state.adapter().isSimulated();
    setWindowTitle(real ? QStringLiteral("Tallyport - ") + QString::fromStdString(m_state.adapter().name())
                        : QStringLiteral("Tallyport"));
    // i2c-dev has no call to switch target supplies: on a real adapter the
    // entries say who decides instead of pretending.
    m_state.power33 = m_state.power5 = false;
    const QString fixed = tr(": fixed by the kernel driver");
    const QString tip =
        real ? tr("i2c-dev cannot switch target supplies: the board and its kernel driver fix them")
             : QString();
    for (QAction* a : {mnu3VPower, mnuPopup3V})
        a->setText(tr("Enable 3.3V Output Power") + (real ? fixed : QString()));
    for (QAction* a : {mnu5VPower, mnuPopup5V})
        a->setText(tr("Enable 5V Output Power") + (real ? fixed : QString()));
    for (QAction* a : {mnu3VPower, mnu5VPower, mnuPopup3V, mnuPopup5V}) {
        a->setChecked(false);
        a->setEnabled(!real);
        a->setStatusTip(tip);
    }
    tp::StatusMessage supply;
    supply.textColour = tp::colour::Grey;
    supply.align = tp::Align::Centre;
    supply.bold = true;
    supply.text = real ? "3.3V n/a" : "3.3V Off";
    pnlStatusBar->setPanel(3, supply);
    pnlStatusBar->panelWidget(3)->setToolTip(tip);
    supply.text = real ? "5.0V n/a" : "5.0V Off";
    pnlStatusBar->setPanel(4, supply);
    pnlStatusBar->panelWidget(4)->setToolTip(tip);
    if (!real)
        m_state.adapter().setPower(false, false);
    applyBusFrequency();
    DeviceAttachMessage(m_state.adapter().isPresent());
    if (m_bitrate)
        m_bitrate->showAdapterLimits();
    emit adapterStateChanged();
}

bool TfrmMain::refuseSupplySwitch()
{
    if (m_state.adapter().isSimulated())
        return false;
    tp::StatusMessage m;
    m.text = " i2c-dev cannot switch target supplies: the board and its kernel driver fix them";
    m.background = tp::colour::Yellow;
    m.textColour = tp::colour::Black;
    m.align = tp::Align::Centre;
    showStatus(m);
    mnu3VPower->setChecked(false);
    mnu5VPower->setChecked(false);
    return true;
}

void TfrmMain::UpdateControls()
{
    m_state.power33 = m_state.power5 = false;
    mnu3VPower->setChecked(false);
    mnu5VPower->setChecked(false);
    m_state.adapter().setPower(false, false);
    tp::StatusMessage off;
    off.textColour = tp::colour::Grey;
    off.align = tp::Align::Centre;
    off.bold = true;
    off.text = "3.3V Off";
    pnlStatusBar->setPanel(3, off);
    off.text = "5.0V Off";
    pnlStatusBar->setPanel(4, off);
    m_state.busFrequency = tp::BusFrequency{};
    applyBusFrequency();
}

void TfrmMain::panelDoubleClicked(int index)
{
    switch (index) {
    case 3:
        mnu3VPowerClick();
        break;
    case 4:
        mnu5VPowerClick();
        break;
    case 5:
        mnuFrequencyClick();
        break;
    default:
        break;
    }
}

void TfrmMain::showStatusContextMenu(const QPoint& pos)
{
    mnuPopUpOptions->popup(pnlStatusBar->mapToGlobal(pos));
}

// ------------------------------------------------------------------ power, frequency

namespace {
tp::StatusMessage supplyMessage(const char* name, bool on)
{
    tp::StatusMessage m;
    m.text = std::string(name) + (on ? " On" : " Off");
    m.background = on ? tp::colour::Green : tp::colour::ButtonFace;
    m.textColour = on ? tp::colour::White : tp::colour::Grey;
    m.align = tp::Align::Centre;
    m.bold = true;
    return m;
}
} // namespace

void TfrmMain::setPower33(bool on)
{
    if (refuseSupplySwitch())
        return;
    m_state.power33 = on;
    mnu3VPower->setChecked(on);
    pnlStatusBar->setPanel(3, supplyMessage("3.3V", on));
    m_state.adapter().setPower(m_state.power33, m_state.power5);
    if (on)
        showPowerWarning();
}

void TfrmMain::setPower5(bool on)
{
    if (refuseSupplySwitch())
        return;
    m_state.power5 = on;
    mnu5VPower->setChecked(on);
    pnlStatusBar->setPanel(4, supplyMessage("5.0V", on));
    m_state.adapter().setPower(m_state.power33, m_state.power5);
    if (on)
        showPowerWarning();
}

void TfrmMain::mnu3VPowerClick()
{
    setPower33(!m_state.power33);
}

void TfrmMain::mnu5VPowerClick()
{
    setPower5(!m_state.power5);
}

void TfrmMain::showPowerWarning()
{
    if (!ShowWarning)
        return;
    if (!m_powerWarning) {
        m_powerWarning = new TfrmPowerWarning(*this);
        centreOnFirstShow(m_powerWarning, this);
    }
    m_powerWarning->show();
    m_powerWarning->raise();
}

void TfrmMain::mnuFrequencyClick()
{
    if (!m_bitrate) {
        m_bitrate = new TfrmBitrate(*this);
        centreOnFirstShow(m_bitrate, this);
    }
    m_bitrate->show();
    m_bitrate->raise();
    m_bitrate->activateWindow();
}

void TfrmMain::applyBusFrequency()
{
    m_state.adapter().setBusFrequency(static_cast<unsigned>(m_state.busFrequency.frequency));
    if (pnlStatusBar) {
        tp::StatusMessage freq = pnlStatusBar->panel(5);
        if (!freq.text.empty()) {
            freq.text = frequencyText().toStdString();
            pnlStatusBar->setPanel(5, freq);
        }
    }
}

// ------------------------------------------------------------------ settings, splash

void TfrmMain::GetRegistryData()
{
    StoredChoices c = readStoredChoices();
    ShowSplash = c.showSplash;
    ShowWarning = c.showWarning;
}

void TfrmMain::writeSettings()
{
    if (m_settingsWritten)
        return;
    m_settingsWritten = true;
    writeStoredChoices({ShowSplash, ShowWarning});
}

void TfrmMain::showSplash()
{
    auto* splash = splashWindow();
    if (!splash) {
        splash = new TfrmSplash(*this);
        m_splash = splash;
    }
    splash->showCentred();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The quick-start window goes as soon as the user clicks anywhere else.
    if (m_splash && event->type() == QEvent::MouseButtonPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w != m_splash && !m_splash->isAncestorOf(w))
            guard([this] { m_splash->close(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------------ adapter operations

void TfrmMain::I2CReadByte(std::uint8_t address, std::uint8_t reg, std::uint8_t* buffer, std::uint8_t mode)
{
    tp::Adapter& a = m_state.adapter();
    std::vector<std::uint8_t> data;
    tp::Status st;
    if (tp::isGeneralCall(address)) {
        st = a.decline(tp::generalCallRefusal(address));
    } else if (mode == 0) {
        // Pointer write and read as two transactions, for chips that want a stop between.
        tp::Adapter::ReadingOnly reading(a);
        st = a.write(address, {reg});
        if (st == 0)
            st = a.read(address, 1, data);
    } else {
        st = a.writeRead(address, {reg}, 1, data);
    }
    buffer[0] = st;
    if (st == 0 && !data.empty())
        buffer[1] = data[0];
    ErrorMessage(st);
}

void TfrmMain::I2CWriteByte(std::uint8_t address, std::uint8_t reg, std::uint8_t value, std::uint8_t& status,
                            std::uint8_t)
{
    tp::Adapter& a = m_state.adapter();
    status = tp::isGeneralCall(address) ? a.decline(tp::generalCallRefusal(address)) : a.write(address, {reg, value});
    ErrorMessage(status);
}

tp::Status TfrmMain::I2CWriteArray(std::uint8_t address, std::uint8_t subaddress, std::uint16_t length,
                                   const std::uint8_t* data)
{
    if (tp::isGeneralCall(address))
        return m_state.adapter().decline(tp::generalCallRefusal(address));
    auto frame = tp::buildCommandFrame(address, subaddress, std::span<const std::uint8_t>(data, length));
    if (!frame) {
        // Refused before the bus: a bus status would blame the chip.
        auto m = *tp::statusMessage(tp::status::Refused);
        m.text = " An array write carries at most " + std::to_string(tp::kMaxArrayWrite) + " data bytes, not " +
                 std::to_string(length);
        showStatus(m);
        return tp::status::Refused;
    }
    // The frame from the subaddress on is what goes on the bus.
    std::vector<std::uint8_t> bytes(frame->bytes.begin() + 5, frame->bytes.begin() + static_cast<long>(frame->size));
    return m_state.adapter().write(frame->bytes[4], std::move(bytes));
}

void TfrmMain::uSeconds(std::uint64_t n)
{
    tp::Adapter& a = m_state.adapter();
    tp::onBus([&] {
        tp::busyWaitUs(n);
        a.elapse(n);
    });
}

TfrmBitrate* TfrmMain::bitrateWindow() const
{
    return m_bitrate.data();
}

TfrmSplash* TfrmMain::splashWindow() const
{
    return qobject_cast<TfrmSplash*>(m_splash.data());
}

TfrmPowerWarning* TfrmMain::powerWarning() const
{
    return m_powerWarning.data();
}
