#include "gui/bus/TfrmBusScan.h"
#include "core/bus/AdapterInfo.h"
#include "core/bus/BusLogText.h"
#include "core/bus/CatalogueAddresses.h"
#include "core/common/HexText.h"
#include "gui/app/Catalogue.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Dialogs.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>
#include <string>

using namespace tp;
using namespace tp::scan;

namespace {

QString hex7(int address7)
{
    return QStringLiteral("0x") + QString::fromStdString(intToHex(static_cast<std::uint64_t>(address7), 2));
}

// Adapters whose SMBus the user agreed to probe, for the rest of the run.
struct ConfirmedSmbus {
    std::set<std::string> names;
};

} // namespace

TfrmBusScan::TfrmBusScan(TfrmMain& main) : TChildForm(main, QStringLiteral("TfrmBusScan"))
{
    setWindowTitle(tr("Bus Scan"));
    setMaximiseOnActivate(false);
    addFileMenu();

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(6);

    auto* bar = new QWidget(this);
    auto* flow = new FlowLayout(bar, 10);
    flow->setContentsMargins(0, 0, 0, 0);
    btnScan = new QPushButton(tr("&Scan"), bar);
    btnScan->setObjectName(QStringLiteral("btnScan"));
    btnScan->setToolTip(tr("Probe every address again"));
    flow->addWidget(btnScan);
    btnStop = new QPushButton(tr("S&top"), bar);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setToolTip(tr("End the scan after the address being probed"));
    btnStop->setEnabled(false);
    GuiBusRunner::keepLive(btnStop);
    flow->addWidget(btnStop);
    chbAllAddresses = new QCheckBox(tr("&All addresses (0x00-0x7F)"), bar);
    chbAllAddresses->setObjectName(QStringLiteral("chbAllAddresses"));
    chbAllAddresses->setToolTip(tr("Also probe the reserved addresses 0x00-0x07 and 0x78-0x7F"));
    flow->addWidget(chbAllAddresses);
    prgScan = new QProgressBar(bar);
    prgScan->setObjectName(QStringLiteral("prgScan"));
    prgScan->setFixedWidth(160);
    prgScan->setValue(0);
    flow->addWidget(prgScan);
    lblAdapter = new QLabel(bar);
    lblAdapter->setObjectName(QStringLiteral("lblAdapter"));
    flow->addWidget(lblAdapter);
    v->addWidget(bar);

    grdScan = new QTableWidget(8, 16, this);
    grdScan->setObjectName(QStringLiteral("grdScan"));
    grdScan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdScan->setSelectionMode(QAbstractItemView::SingleSelection);
    grdScan->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    grdScan->setContextMenuPolicy(Qt::CustomContextMenu);
    grdScan->setToolTip(tr("Double-click an address that answered to open a window on it"));
    const QFontMetrics fm(grdScan->font());
    const int cell = fm.horizontalAdvance(QStringLiteral("WW")) + 12;
    QStringList columns, rows;
    for (int i = 0; i < 16; ++i)
        columns << QString::number(i, 16).toUpper();
    for (int i = 0; i < 8; ++i)
        rows << QString::number(i * 16, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    grdScan->setHorizontalHeaderLabels(columns);
    grdScan->setVerticalHeaderLabels(rows);
    grdScan->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdScan->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdScan->horizontalHeader()->setDefaultSectionSize(cell);
    grdScan->verticalHeader()->setDefaultSectionSize(fm.height() + 10);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 16; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            grdScan->setItem(r, c, item);
        }
    }
    grdScan->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    grdScan->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdScan->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->addWidget(grdScan, 0, Qt::AlignLeft);

    lblMethod = new QLabel(this);
    lblMethod->setObjectName(QStringLiteral("lblMethod"));
    lblMethod->setWordWrap(true);
    v->addWidget(lblMethod);

    lblEntries = new QLabel(tr("Choose an address that answered."), this);
    lblEntries->setObjectName(QStringLiteral("lblEntries"));
    v->addWidget(lblEntries);
    lstEntries = new QListWidget(this);
    lstEntries->setObjectName(QStringLiteral("lstEntries"));
    lstEntries->setToolTip(tr("Device menu entries whose chips can answer at this address"));
    lblEntries->setBuddy(lstEntries);
    v->addWidget(lstEntries, 1);
    btnOpen = new QPushButton(tr("&Open"), this);
    btnOpen->setObjectName(QStringLiteral("btnOpen"));
    btnOpen->setToolTip(tr("Open the chosen entry's window on this address"));
    btnOpen->setEnabled(false);
    v->addWidget(btnOpen, 0, Qt::AlignLeft);

    connect(btnScan, &QPushButton::clicked, this, guarded(this, &TfrmBusScan::btnScanClick));
    connect(btnStop, &QPushButton::clicked, this, guarded(this, &TfrmBusScan::btnStopClick));
    connect(btnOpen, &QPushButton::clicked, this, guarded(this, &TfrmBusScan::btnOpenClick));
    connect(grdScan, &QTableWidget::cellDoubleClicked, this, guarded(this, &TfrmBusScan::grdScanDblClick));
    connect(grdScan, &QWidget::customContextMenuRequested, this, guarded(this, &TfrmBusScan::grdScanContextMenu));
    connect(grdScan, &QTableWidget::currentCellChanged, this,
            guarded([this](int row, int column) { selectAddress7(row < 0 ? -1 : row * 16 + column); }));
    connect(lstEntries, &QListWidget::itemDoubleClicked, this, guarded(this, &TfrmBusScan::lstEntriesDblClick));
    connect(lstEntries, &QListWidget::currentRowChanged, this, guarded([this](int row) {
                const QListWidgetItem* item = lstEntries->item(row);
                btnOpen->setEnabled(item && (item->flags() & Qt::ItemIsEnabled));
            }));

    for (int a = 0; a < 128; ++a)
        showCell(static_cast<std::uint8_t>(a));
}

bool TfrmBusScan::confirmedSmbus()
{
    auto& confirmed = main().state().programData<ConfirmedSmbus>();
    const std::string name = adapter().name();
    if (confirmed.names.count(name))
        return true;
    const Range range = chbAllAddresses->isChecked() ? Range::Full : Range::Normal;
    const QString text =
        tr("WARNING! Probing can confuse your I\u00B2C bus, cause data loss and worse!\n\n"
           "%1 is a PC's SMBus controller, where the memory modules and the hardware monitors are. "
           "Tallyport will probe the addresses %2 to %3 on it.\n\nContinue?")
            .arg(QString::fromStdString(name), hex7(firstAddress(range)), hex7(lastAddress(range)));
    if (Dialogs::instance().confirm(this, tr("Bus Scan"), text, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    confirmed.names.insert(name);
    return true;
}

void TfrmBusScan::btnScanClick()
{
    const ClickGuard busy{btnScan};
    Adapter& a = adapter();
    const Setup setup = setupFor(a, chbAllAddresses->isChecked() ? Range::Full : Range::Normal);
    lblAdapter->setText(tr("on %1").arg(QString::fromStdString(a.name())));
    if (setup.pcSmbus && !confirmedSmbus())
        return;
    Scanner scanner(a, setup);
    m_result = Result{};
    m_result.range = setup.range;
    for (int i = 0; i < 128; ++i)
        showCell(static_cast<std::uint8_t>(i));
    prgScan->setRange(0, scanner.total());
    prgScan->setValue(0);
    int shownRow = -1;
    m_stopAsked = false;
    btnStop->setEnabled(true);
    struct Idle {
        QPushButton* b;
        ~Idle() { b->setEnabled(false); }
    } idle{btnStop};
    while (!m_stopAsked && scanner.step()) {
        m_result = scanner.result();
        const int done = scanner.progress();
        const int address = firstAddress(setup.range) + done - 1;
        showCell(static_cast<std::uint8_t>(address));
        // One row at a time on screen, painted at once, as a slow bus moves on.
        if (address / 16 != shownRow || scanner.done()) {
            shownRow = address / 16;
            prgScan->setValue(done);
            prgScan->repaint();
            grdScan->viewport()->repaint();
        }
    }
    m_result = scanner.result();
    prgScan->setValue(scanner.progress());
    for (int i = 0; i < 128; ++i)
        showCell(static_cast<std::uint8_t>(i));

    QString method = tr("Probed with %1.").arg(QString::fromStdString(methodSummary(m_result)));
    if (m_stopAsked && !scanner.done()) {
        const QString far = tr("Stopped by the user after %1 of %2 addresses.").arg(scanner.progress()).arg(scanner.total());
        method += QLatin1Char(' ') + far;
        StatusMessage m;
        m.text = " " + far.toStdString();
        m.background = colour::Yellow;
        m.textColour = colour::Black;
        m.align = Align::Centre;
        main().showStatus(m);
    } else if (m_result.stopped) {
        method += QLatin1Char(' ') + tr("Stopped at %1: %2.")
                                         .arg(hex7(m_result.stoppedAt),
                                              QString::fromStdString(buslog::statusText(m_result.stopped)));
        main().ErrorMessage(m_result.stopped);
    } else {
        StatusMessage m;
        m.text = m_result.foundText();
        m.background = colour::Green;
        m.textColour = colour::White;
        m.align = Align::Centre;
        main().showStatus(m);
    }
    lblMethod->setText(method);

    // The first address that answered is the one the list starts with.
    int first = -1;
    for (int i = 0; i < 128 && first < 0; ++i)
        if (m_result.cells[std::size_t(i)].state == Cell::State::Found)
            first = i;
    if (first >= 0)
        grdScan->setCurrentCell(first / 16, first % 16);
    selectAddress7(first);
}

void TfrmBusScan::btnStopClick()
{
    m_stopAsked = true;
}

void TfrmBusScan::showCell(std::uint8_t address7)
{
    QTableWidgetItem* item = grdScan->item(address7 / 16, address7 % 16);
    const Cell& c = m_result.cells[address7];
    item->setText(QString::fromStdString(cellText(m_result, address7)));
    QFont f = grdScan->font();
    f.setBold(c.state == Cell::State::Found);
    item->setFont(f);
    QString tip;
    switch (c.state) {
    case Cell::State::Found: {
        item->setBackground(QColor(196, 236, 196));
        item->setForeground(QColor(0, 90, 0));
        QStringList chips;
        for (const EntryAddresses* e : entriesAt(address7))
            if (!chips.contains(QString::fromStdString(e->chip)))
                chips << QString::fromStdString(e->chip);
        tip = tr("%1 answered (%2)").arg(hex7(address7), QString::fromLatin1(probeName(c.probe)));
        if (!chips.isEmpty())
            tip += QLatin1Char('\n') + chips.join(QStringLiteral(", "));
        break;
    }
    case Cell::State::Claimed:
        item->setBackground(QColor(240, 232, 190));
        item->setForeground(QColor(90, 70, 0));
        tip = tr("%1 is held by the kernel driver %2; not probed")
                  .arg(hex7(address7), QString::fromStdString(c.driver));
        break;
    case Cell::State::NoAnswer:
        item->setBackground(QBrush());
        item->setForeground(QColor(128, 128, 128));
        tip = tr("%1: no answer (%2)").arg(hex7(address7), QString::fromLatin1(probeName(c.probe)));
        break;
    case Cell::State::NotProbed:
        item->setBackground(QColor(235, 235, 235));
        item->setForeground(QBrush());
        tip = tr("%1 not probed: the adapter cannot read a byte, and a write could harm a memory here")
                  .arg(hex7(address7));
        break;
    default:
        item->setBackground(QBrush());
        item->setForeground(QBrush());
        break;
    }
    item->setToolTip(tip);
}

void TfrmBusScan::selectAddress7(int address7)
{
    m_selected = -1;
    if (address7 >= 0 && address7 < 128 && m_result.cells[std::size_t(address7)].state == Cell::State::Found)
        m_selected = address7;
    showEntries();
}

const CatalogueEntry* TfrmBusScan::catalogueEntry(const EntryAddresses& entry) const
{
    const QString submenu = QString::fromStdString(entry.submenu);
    const QString caption = QString::fromStdString(entry.caption);
    for (const CatalogueEntry& e : main().catalogue())
        if (e.submenu == submenu && e.caption == caption)
            return &e;
    return nullptr;
}

bool TfrmBusScan::openable(const EntryAddresses& entry) const
{
    const CatalogueEntry* e = catalogueEntry(entry);
    if (!e)
        return false;
    const QAction* a = main().deviceAction(e->submenu + QLatin1Char('/') + e->caption);
    return a && a->isEnabled();
}

void TfrmBusScan::showEntries()
{
    lstEntries->clear();
    btnOpen->setEnabled(false);
    if (m_selected < 0) {
        lblEntries->setText(tr("Choose an address that answered."));
        return;
    }
    const auto entries = entriesAt(static_cast<std::uint8_t>(m_selected));
    lblEntries->setText(entries.empty() ? tr("No Device menu entry has a chip at %1 (write address %2).")
                                              .arg(hex7(m_selected), hex7(m_selected << 1))
                                        : tr("Device &menu entries at %1 (write address %2):")
                                              .arg(hex7(m_selected), hex7(m_selected << 1)));
    for (const EntryAddresses* e : entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(e->caption) + QStringLiteral("   (") +
                                             QString::fromStdString(e->submenu) + QLatin1Char(')'),
                                         lstEntries);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(e - catalogueAddresses().data())));
        if (!openable(*e)) {
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            item->setToolTip(tr("This window is not available yet"));
        }
    }
    for (int i = 0; i < lstEntries->count(); ++i) {
        if (lstEntries->item(i)->flags() & Qt::ItemIsEnabled) {
            lstEntries->setCurrentRow(i);
            break;
        }
    }
}

void TfrmBusScan::open(const EntryAddresses& entry, std::uint8_t address7)
{
    const CatalogueEntry* e = catalogueEntry(entry);
    if (!e || !openable(entry))
        return;
    // An entry with one address opens as the Device menu opens it; with a
    // choice, on the address that answered.
    if (entry.addresses.size() > 1)
        main().openEntry(*e, static_cast<std::uint8_t>(address7 << 1));
    else
        main().openEntry(*e);
}

void TfrmBusScan::btnOpenClick()
{
    const QListWidgetItem* item = lstEntries->currentItem();
    if (!item || m_selected < 0 || !(item->flags() & Qt::ItemIsEnabled))
        return;
    open(catalogueAddresses()[item->data(Qt::UserRole).toULongLong()], static_cast<std::uint8_t>(m_selected));
}

void TfrmBusScan::lstEntriesDblClick()
{
    btnOpenClick();
}

void TfrmBusScan::grdScanDblClick(int row, int column)
{
    selectAddress7(row * 16 + column);
    if (m_selected < 0)
        return;
    std::vector<const EntryAddresses*> choices;
    for (const EntryAddresses* e : entriesAt(static_cast<std::uint8_t>(m_selected)))
        if (openable(*e))
            choices.push_back(e);
    if (choices.size() == 1)
        open(*choices.front(), static_cast<std::uint8_t>(m_selected));
    else if (choices.size() > 1)
        grdScanContextMenu(grdScan->visualItemRect(grdScan->item(row, column)).center());
}

void TfrmBusScan::grdScanContextMenu(const QPoint& pos)
{
    const QModelIndex index = grdScan->indexAt(pos);
    if (!index.isValid())
        return;
    const int address = index.row() * 16 + index.column();
    selectAddress7(address);
    if (m_selected < 0)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuScanEntries"));
    for (const EntryAddresses* e : entriesAt(static_cast<std::uint8_t>(address))) {
        QAction* act = menu.addAction(tr("Open %1").arg(QString::fromStdString(e->caption)));
        act->setEnabled(openable(*e));
        connect(act, &QAction::triggered, this, guarded([this, e, address] { open(*e, static_cast<std::uint8_t>(address)); }));
    }
    if (menu.isEmpty())
        return;
    menu.exec(grdScan->viewport()->mapToGlobal(pos));
}
