#include "gui/bus/TfrmBench.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/common/LocalTime.h"
#include "core/memory/FileBytes.h"
#include "core/memory/MemoryFileTypes.h"
#include "core/memory/MemoryFiles.h"
#include "core/sim/BenchBoard.h"
#include "core/sim/BenchState.h"
#include "core/sim/FaultText.h"
#include "gui/app/TfrmMain.h"
#include "gui/bus/BenchTableModel.h"
#include "gui/common/Dialogs.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

using namespace tp;
using tp::sim::BenchBoard;

namespace {

constexpr int kRefreshMs = 500;
constexpr int kNarrow = 900; // below this width the tabs go under the table

const char* const kBenchFilter = QT_TRANSLATE_NOOP("TfrmBench", "Bench files (*.bench)");
const char* const kAllFilter = QT_TRANSLATE_NOOP("TfrmBench", "All files (*)");

QPushButton* button(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* box = new QWidget(parent);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    for (QWidget* w : widgets)
        h->addWidget(w);
    h->addStretch(1);
    return box;
}

QWidget* scrolling(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(content);
    return area;
}

} // namespace

TfrmBench::TfrmBench(TfrmMain& main)
    : QDockWidget(tr("Simulated Bench"), &main), m_main(main), m_model(new BenchTableModel(this)),
      m_tick(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBench"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* body = new QWidget(this);
    auto* v = new QVBoxLayout(body);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);

    auto* bar = new QWidget(body);
    auto* flow = new FlowLayout(bar, 8);
    flow->setContentsMargins(0, 0, 0, 0);
    chbPlaceForWindows = new QCheckBox(tr("&Place chips for windows"), bar);
    chbPlaceForWindows->setObjectName(QStringLiteral("chbPlaceForWindows"));
    chbPlaceForWindows->setToolTip(tr("On: a window's chip is placed when the window opens, so a scan finds it.\n"
                                      "Off: a fixed board; a window at an address without a chip meets a NACK."));
    flow->addWidget(chbPlaceForWindows);
    btnOpenBench = button(QStringLiteral("btnOpenBench"), tr("&Open Bench\u2026"),
                          tr("Replace the bench by one saved in a file (also tallyport-cli's --bench-state)"), bar);
    flow->addWidget(btnOpenBench);
    btnSaveBench = button(QStringLiteral("btnSaveBench"), tr("Sa&ve Bench\u2026"),
                          tr("Save the chips, where they sit, their states and armed faults"), bar);
    flow->addWidget(btnSaveBench);
    lblNotBench = new QLabel(tr("Another adapter is in use: choose the simulated bench in Options to arrange it."),
                             bar);
    lblNotBench->setObjectName(QStringLiteral("lblNotBench"));
    lblNotBench->setWordWrap(true);
    flow->addWidget(lblNotBench);
    v->addWidget(bar);

    m_split = new QSplitter(Qt::Horizontal, body);
    m_split->setChildrenCollapsible(false);
    grdChips = new QTableView(m_split);
    grdChips->setObjectName(QStringLiteral("grdChips"));
    grdChips->setModel(m_model);
    grdChips->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdChips->setSelectionMode(QAbstractItemView::SingleSelection);
    grdChips->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdChips->setWordWrap(false);
    grdChips->verticalHeader()->hide();
    const QFontMetrics fm(grdChips->font());
    grdChips->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    QHeaderView* h = grdChips->horizontalHeader();
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->resizeSection(BenchTableModel::Address8, fm.horizontalAdvance(QStringLiteral("Address")) + 20);
    h->resizeSection(BenchTableModel::Address7, fm.horizontalAdvance(QStringLiteral("0x00")) + 24);
    h->resizeSection(BenchTableModel::Chip, fm.horizontalAdvance(QStringLiteral("EEPROM 65536 (for a window)")) + 12);
    h->resizeSection(BenchTableModel::Where, fm.horizontalAdvance(QStringLiteral("channel 0 of the PCA9548A at 0xE0")) + 12);
    h->resizeSection(BenchTableModel::State, fm.horizontalAdvance(QStringLiteral("out FF, config FF, pins FF")) + 12);
    h->setStretchLastSection(true);

    tabBench = new QTabWidget(m_split);
    tabBench->setObjectName(QStringLiteral("tabBench"));
    tabBench->addTab(buildChipsPage(), tr("C&hips"));
    tabBench->addTab(buildOutsidePage(), tr("Ou&tside"));
    tabBench->addTab(buildFaultsPage(), tr("&Faults"));
    m_split->setStretchFactor(0, 3);
    m_split->setStretchFactor(1, 2);
    v->addWidget(m_split, 1);
    setWidget(body);

    connect(chbPlaceForWindows, &QCheckBox::clicked, this, guarded(this, &TfrmBench::chbPlaceForWindowsClick));
    connect(btnOpenBench, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnOpenBenchClick));
    connect(btnSaveBench, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnSaveBenchClick));
    connect(grdChips->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            guarded([this] { showOutside(); }));
    connect(&m_main, &TfrmMain::adapterStateChanged, this, guarded(this, &TfrmBench::refresh));
    m_tick->setInterval(kRefreshMs);
    connect(m_tick, &QTimer::timeout, this, guarded([this] {
                if (isVisible())
                    refresh();
            }));
    m_tick->start();
    faultFormChange();
    refresh();
}

TfrmBench::~TfrmBench() = default;

QWidget* TfrmBench::buildChipsPage()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    cmbType = new QComboBox(page);
    cmbType->setObjectName(QStringLiteral("cmbType"));
    cmbType->setToolTip(tr("The chip types the bench can hold"));
    cmbType->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbType->setMinimumContentsLength(12);
    form->addRow(tr("T&ype:"), cmbType);
    edtAddress = new HexField(QStringLiteral("edtAddress"), QStringLiteral("A0"), page);
    edtAddress->setHexKeysOnly();
    edtAddress->setToolTip(tr("8-bit write address, two hex digits (A0 is 7-bit 0x50)"));
    form->addRow(tr("&Address:"), edtAddress);
    cmbSegment = new QComboBox(page);
    cmbSegment->setObjectName(QStringLiteral("cmbSegment"));
    cmbSegment->setToolTip(tr("The main bus, or a channel of a multiplexer, switch or master selector"));
    cmbSegment->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbSegment->setMinimumContentsLength(16);
    form->addRow(tr("&Segment:"), cmbSegment);
    btnAdd = button(QStringLiteral("btnAdd"), tr("A&dd"), tr("Place a chip of the type at the address"), page);
    btnMove = button(QStringLiteral("btnMove"), tr("&Move Here"),
                     tr("Move the selected chip to the address and segment, with its state"), page);
    btnRemove = button(QStringLiteral("btnRemove"), tr("&Remove"), tr("Take the selected chip off the bench"), page);
    form->addRow(row(page, {btnAdd, btnMove, btnRemove}));
    connect(btnAdd, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnAddClick));
    connect(btnMove, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnMoveClick));
    connect(btnRemove, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnRemoveClick));
    return scrolling(page, this);
}

QWidget* TfrmBench::buildOutsidePage()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    lblOutsideChip = new QLabel(page);
    lblOutsideChip->setObjectName(QStringLiteral("lblOutsideChip"));
    lblOutsideChip->setWordWrap(true);
    form->addRow(lblOutsideChip);

    spnPin = new QSpinBox(page);
    spnPin->setObjectName(QStringLiteral("spnPin"));
    spnPin->setToolTip(tr("Port pin (P0.0 is 0, P1.0 is 8) or LED pin"));
    btnPinHigh = button(QStringLiteral("btnPinHigh"), tr("High"), tr("Leave the pin to the chip (pulled up)"), page);
    btnPinLow = button(QStringLiteral("btnPinLow"), tr("Low"), tr("Pull the pin low from outside"), page);
    form->addRow(tr("P&in:"), row(page, {spnPin, btnPinHigh, btnPinLow}));

    cmbSensor = new QComboBox(page);
    cmbSensor->setObjectName(QStringLiteral("cmbSensor"));
    edtTemperature = new QLineEdit(page);
    edtTemperature->setObjectName(QStringLiteral("edtTemperature"));
    edtTemperature->setToolTip(tr("Degrees Celsius, -55 to 150"));
    edtTemperature->setMaximumWidth(QFontMetrics(edtTemperature->font()).horizontalAdvance(QStringLiteral("-000.000")) + 16);
    btnSetTemperature = button(QStringLiteral("btnSetTemperature"), tr("Set"), tr("Hold this temperature"), page);
    btnWander = button(QStringLiteral("btnWander"), tr("Wander"), tr("Let the temperature wander slowly"), page);
    form->addRow(tr("T&emperature:"), row(page, {cmbSensor, edtTemperature, btnSetTemperature, btnWander}));

    btnTakeBus = button(QStringLiteral("btnTakeBus"), tr("Takes the Bus"),
                        tr("The other master takes the downstream bus"), page);
    btnReleaseBus = button(QStringLiteral("btnReleaseBus"), tr("Hands It Back"),
                           tr("The other master hands the downstream bus back"), page);
    form->addRow(tr("Other master:"), row(page, {btnTakeBus, btnReleaseBus}));

    dteClock = new QDateTimeEdit(QDateTime::currentDateTime(), page);
    dteClock->setObjectName(QStringLiteral("dteClock"));
    dteClock->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    dteClock->setMinimumDate(QDate(1900, 1, 1));
    dteClock->setMaximumDate(QDate(2099, 12, 31));
    btnClockSet = button(QStringLiteral("btnClockSet"), tr("Set"), tr("Set the clock to this time"), page);
    btnClockNow = button(QStringLiteral("btnClockNow"), tr("Now"), tr("Set the clock to the computer's time"), page);
    form->addRow(tr("C&lock:"), row(page, {dteClock, btnClockSet, btnClockNow}));

    btnLoadContents = button(QStringLiteral("btnLoadContents"), tr("Load Contents\u2026"),
                             tr("Fill the memory from a .mem, .hex, .bin or .csv file"), page);
    form->addRow(tr("Memory:"), row(page, {btnLoadContents}));

    connect(btnPinHigh, &QPushButton::clicked, this, guarded([this] { btnPinClick(true); }));
    connect(btnPinLow, &QPushButton::clicked, this, guarded([this] { btnPinClick(false); }));
    connect(btnSetTemperature, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnSetTemperatureClick));
    connect(edtTemperature, &QLineEdit::returnPressed, this, guarded(this, &TfrmBench::btnSetTemperatureClick));
    connect(btnWander, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnWanderClick));
    connect(btnTakeBus, &QPushButton::clicked, this, guarded([this] { btnOtherMasterClick(true); }));
    connect(btnReleaseBus, &QPushButton::clicked, this, guarded([this] { btnOtherMasterClick(false); }));
    connect(btnClockSet, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnClockSetClick));
    connect(btnClockNow, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnClockNowClick));
    connect(btnLoadContents, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnLoadContentsClick));
    return scrolling(page, this);
}

QWidget* TfrmBench::buildFaultsPage()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    cmbFaultKind = new QComboBox(page);
    cmbFaultKind->setObjectName(QStringLiteral("cmbFaultKind"));
    const std::pair<const char*, const char*> kinds[] = {
        {"address-nack", QT_TR_NOOP("Address NACK")},   {"data-nack", QT_TR_NOOP("Data NACK")},
        {"time-out", QT_TR_NOOP("Time-out")},           {"arbitration-lost", QT_TR_NOOP("Arbitration lost")},
        {"bus-stuck", QT_TR_NOOP("Bus stuck")},         {"adapter-removed", QT_TR_NOOP("Adapter removed")},
        {"chip-removed", QT_TR_NOOP("Chip removed")},
    };
    for (const auto& [name, caption] : kinds)
        cmbFaultKind->addItem(tr(caption), QString::fromLatin1(name));
    form->addRow(tr("&Kind:"), cmbFaultKind);
    edtFaultAddress = new QLineEdit(QStringLiteral("A0"), page);
    edtFaultAddress->setObjectName(QStringLiteral("edtFaultAddress"));
    edtFaultAddress->setToolTip(tr("8-bit write address; empty: any address"));
    edtFaultAddress->setMaxLength(2);
    edtFaultAddress->setMaximumWidth(QFontMetrics(edtFaultAddress->font()).horizontalAdvance(QStringLiteral("WWW")) + 12);
    spnFaultByte = new QSpinBox(page);
    spnFaultByte->setObjectName(QStringLiteral("spnFaultByte"));
    spnFaultByte->setRange(0, 65535);
    spnFaultByte->setToolTip(tr("Data NACK: the data byte of the write, counted from 0 (the first is the word "
                                "address or register number)"));
    form->addRow(tr("A&t address:"), row(page, {edtFaultAddress, new QLabel(tr("byte"), page), spnFaultByte}));
    cmbFaultRepeat = new QComboBox(page);
    cmbFaultRepeat->setObjectName(QStringLiteral("cmbFaultRepeat"));
    cmbFaultRepeat->addItems({tr("once"), tr("N times"), tr("until cleared")});
    spnFaultCount = new QSpinBox(page);
    spnFaultCount->setObjectName(QStringLiteral("spnFaultCount"));
    spnFaultCount->setRange(1, 1000000);
    spnFaultCount->setValue(2);
    form->addRow(tr("&Hits:"), row(page, {cmbFaultRepeat, spnFaultCount}));
    spnFaultAfter = new QSpinBox(page);
    spnFaultAfter->setObjectName(QStringLiteral("spnFaultAfter"));
    spnFaultAfter->setRange(0, 1000000);
    spnFaultAfter->setToolTip(tr("Transactions it would hit that pass first"));
    form->addRow(tr("After:"), spnFaultAfter);
    edtFault = new QLineEdit(page);
    edtFault->setObjectName(QStringLiteral("edtFault"));
    edtFault->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edtFault->setToolTip(QString::fromLatin1(sim::FaultText::kHelp) +
                         tr("\nAs tallyport-cli's --bench-fault, with an 8-bit address"));
    btnArm = button(QStringLiteral("btnArm"), tr("&Arm"), tr("Arm the fault for the coming transactions"), page);
    form->addRow(tr("Fa&ult:"), row(page, {edtFault, btnArm}));
    edtFault->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lstFaults = new QListWidget(page);
    lstFaults->setObjectName(QStringLiteral("lstFaults"));
    lstFaults->setMinimumHeight(QFontMetrics(lstFaults->font()).height() * 3 + 8);
    form->addRow(tr("Armed:"), lstFaults);
    btnClearFault = button(QStringLiteral("btnClearFault"), tr("&Clear"), tr("Clear the selected fault"), page);
    btnClearFaults = button(QStringLiteral("btnClearFaults"), tr("Clear A&ll"), tr("Clear every armed fault"), page);
    form->addRow(row(page, {btnClearFault, btnClearFaults}));

    const auto formChanged = guarded(this, &TfrmBench::faultFormChange);
    connect(cmbFaultKind, &QComboBox::currentIndexChanged, this, formChanged);
    connect(edtFaultAddress, &QLineEdit::textChanged, this, formChanged);
    connect(spnFaultByte, &QSpinBox::valueChanged, this, formChanged);
    connect(cmbFaultRepeat, &QComboBox::currentIndexChanged, this, formChanged);
    connect(spnFaultCount, &QSpinBox::valueChanged, this, formChanged);
    connect(spnFaultAfter, &QSpinBox::valueChanged, this, formChanged);
    connect(btnArm, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnArmClick));
    connect(edtFault, &QLineEdit::returnPressed, this, guarded(this, &TfrmBench::btnArmClick));
    connect(btnClearFault, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnClearFaultClick));
    connect(btnClearFaults, &QPushButton::clicked, this, guarded(this, &TfrmBench::btnClearFaultsClick));
    return scrolling(page, this);
}

void TfrmBench::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    m_split->setOrientation(event->size().width() < kNarrow ? Qt::Vertical : Qt::Horizontal);
}

sim::SimulatedAdapter* TfrmBench::bench() const
{
    return dynamic_cast<sim::SimulatedAdapter*>(&m_main.state().adapter());
}

sim::SimulatedAdapter& TfrmBench::requireBench() const
{
    sim::SimulatedAdapter* b = bench();
    if (!b)
        throw Error("The simulated bench is not the adapter in use");
    return *b;
}

sim::ChipModel* TfrmBench::selectedChip() const
{
    const QModelIndexList rows = grdChips->selectionModel()->selectedRows();
    const BenchBoard::Row* r = rows.isEmpty() ? nullptr : m_model->row(rows.first().row());
    return r ? r->chip.get() : nullptr;
}

sim::ChipModel& TfrmBench::requireChip() const
{
    sim::ChipModel* c = selectedChip();
    if (!c)
        throw Error("Select a chip in the table first");
    return *c;
}

void TfrmBench::selectChip(const sim::ChipModel* chip)
{
    const int r = m_model->rowOf(chip);
    if (r < 0)
        grdChips->clearSelection();
    else
        grdChips->selectRow(r);
}

std::uint8_t TfrmBench::addressOf(const QString& text) const
{
    std::uint32_t v = 0;
    const std::string t = text.trimmed().toStdString();
    if (t.empty() || t.size() > 2 || !tryHexToInt(t, v))
        throw InvalidNumber("$" + t);
    if (v & 1)
        throw Error("0x" + intToHex(v, 2) + " is a read address: give the 8-bit write address (bit 0 clear)");
    return static_cast<std::uint8_t>(v);
}

sim::Segment TfrmBench::chosenSegment() const
{
    const int i = cmbSegment->currentIndex();
    return i > 0 && i <= static_cast<int>(m_segments.size()) ? m_segments[static_cast<std::size_t>(i - 1)]
                                                             : sim::Segment{};
}

void TfrmBench::refresh()
{
    sim::SimulatedAdapter* b = bench();
    lblNotBench->setVisible(!b);
    btnOpenBench->setEnabled(b);
    btnSaveBench->setEnabled(b);
    chbPlaceForWindows->setEnabled(b);
    m_split->setEnabled(b);
    if (!b) {
        m_model->setRows({});
        return;
    }
    const sim::ChipModel* selected = selectedChip();
    BenchBoard board(*b);
    std::vector<BenchBoard::Row> rows = board.rows();
    chbPlaceForWindows->setChecked(b->placeForWindows());

    // Segments: the main bus and every channel of every gate on the bus.
    std::vector<sim::Segment> segments;
    QStringList items{tr("main bus")};
    for (const BenchBoard::Row& r : rows) {
        if (r.setAside)
            continue;
        for (int ch = 0; ch < BenchBoard::channelCount(*r.chip); ++ch) {
            segments.push_back({r.chip.get(), ch});
            items << tr("channel %1 of the %2 at 0x%3")
                         .arg(ch)
                         .arg(QString::fromStdString(r.type), QString::fromStdString(intToHex(r.address, 2)));
        }
    }
    QStringList present;
    for (int i = 0; i < cmbSegment->count(); ++i)
        present << cmbSegment->itemText(i);
    if (present != items) {
        const QString was = cmbSegment->currentText();
        cmbSegment->clear();
        cmbSegment->addItems(items);
        cmbSegment->setCurrentIndex(std::max(0, static_cast<int>(items.indexOf(was))));
    }
    m_segments = std::move(segments);

    if (cmbType->count() == 0)
        for (const std::string& t : b->types())
            cmbType->addItem(QString::fromStdString(t));

    m_model->setRows(std::move(rows));
    selectChip(selected);

    QStringList faults;
    for (const sim::Fault& f : b->armedFaults())
        faults << QString::fromStdString(sim::FaultText::describe(f));
    QStringList listed;
    for (int i = 0; i < lstFaults->count(); ++i)
        listed << lstFaults->item(i)->text();
    if (listed != faults) {
        const int current = lstFaults->currentRow();
        lstFaults->clear();
        lstFaults->addItems(faults);
        lstFaults->setCurrentRow(std::min(current, static_cast<int>(faults.size()) - 1));
    }
    showOutside();
}

void TfrmBench::showOutside()
{
    sim::ChipModel* c = selectedChip();
    const bool fresh = c != m_outsideOf;
    m_outsideOf = c;
    const int pins = c ? BenchBoard::pinCount(*c) : 0;
    const auto sensors = c ? BenchBoard::temperatureNames(*c) : std::vector<std::string>{};
    const bool selector = c && BenchBoard::isMasterSelector(*c);
    const bool clock = c && BenchBoard::isClock(*c);
    const bool memory = c && BenchBoard::isMemory(*c);
    if (!c)
        lblOutsideChip->setText(tr("Select a chip in the table."));
    else if (!pins && sensors.empty() && !selector && !clock && !memory)
        lblOutsideChip->setText(tr("Nothing outside the %1 to set.").arg(QString::fromStdString(c->type())));
    else
        lblOutsideChip->setText(tr("Outside the %1:").arg(QString::fromStdString(c->type())));
    spnPin->setEnabled(pins);
    spnPin->setRange(0, std::max(0, pins - 1));
    btnPinHigh->setEnabled(pins);
    btnPinLow->setEnabled(pins);
    for (QWidget* w : {static_cast<QWidget*>(cmbSensor), static_cast<QWidget*>(edtTemperature),
                       static_cast<QWidget*>(btnSetTemperature), static_cast<QWidget*>(btnWander)})
        w->setEnabled(!sensors.empty());
    if (fresh) {
        cmbSensor->clear();
        for (const std::string& s : sensors)
            cmbSensor->addItem(QString::fromStdString(s));
        if (!sensors.empty()) {
            const std::optional<double> t = BenchBoard::temperature(*c, 0);
            edtTemperature->setText(t ? QLocale::c().toString(*t, 'f', 3) : QString());
            edtTemperature->setPlaceholderText(tr("wander"));
        }
    }
    btnTakeBus->setEnabled(selector);
    btnReleaseBus->setEnabled(selector);
    for (QWidget* w : {static_cast<QWidget*>(dteClock), static_cast<QWidget*>(btnClockSet),
                       static_cast<QWidget*>(btnClockNow)})
        w->setEnabled(clock);
    btnLoadContents->setEnabled(memory);
    btnMove->setEnabled(c);
    btnRemove->setEnabled(c);
}

void TfrmBench::changed(const sim::ChipModel* select)
{
    refresh();
    if (select)
        selectChip(select);
}

void TfrmBench::chbPlaceForWindowsClick(bool on)
{
    BenchBoard(requireBench()).setPlaceForWindows(on);
    changed();
}

void TfrmBench::btnOpenBenchClick()
{
    sim::SimulatedAdapter& b = requireBench();
    Dialogs::FileRequest r;
    r.title = tr("Open Bench");
    r.filters = QStringList{tr(kBenchFilter), tr(kAllFilter)};
    r.defaultSuffix = QStringLiteral("bench");
    if (!Dialogs::instance().openFile(this, r))
        return;
    try {
        const std::vector<std::uint8_t> bytes = FileBytes::read(r.fileName.toStdString());
        sim::BenchState::restore(b, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const Error& e) {
        Dialogs::instance().error(this, QStringLiteral("Tallyport"),
                                  tr("%1 was not opened: %2.\nThe bench is as it was.")
                                      .arg(r.fileName, QString::fromStdString(e.what())));
        return;
    }
    b.log().note(b.nowUs(), "bench: opened " + r.fileName.toStdString());
    changed();
}

void TfrmBench::btnSaveBenchClick()
{
    sim::SimulatedAdapter& b = requireBench();
    Dialogs::FileRequest r;
    r.title = tr("Save Bench");
    r.filters = QStringList{tr(kBenchFilter), tr(kAllFilter)};
    r.defaultSuffix = QStringLiteral("bench");
    if (!Dialogs::instance().saveFile(this, r))
        return;
    FileBytes::replace(r.fileName.toStdString(), sim::BenchState::save(b));
}

void TfrmBench::btnAddClick()
{
    sim::SimulatedAdapter& b = requireBench();
    const std::uint8_t address = addressOf(edtAddress->text());
    changed(&BenchBoard(b).place(cmbType->currentText().toStdString(), address, chosenSegment()));
}

void TfrmBench::btnMoveClick()
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).move(c, addressOf(edtAddress->text()), chosenSegment());
    changed(&c);
}

void TfrmBench::btnRemoveClick()
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).remove(c);
    changed();
}

void TfrmBench::btnPinClick(bool high)
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).setPin(c, spnPin->value(), high);
    changed(&c);
}

void TfrmBench::btnSetTemperatureClick()
{
    sim::ChipModel& c = requireChip();
    bool ok = false;
    const double t = QLocale::c().toDouble(edtTemperature->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')),
                                           &ok);
    if (!ok)
        throw Error("'" + edtTemperature->text().toStdString() + "' is not a temperature in degrees Celsius");
    BenchBoard(requireBench()).setTemperature(c, cmbSensor->currentIndex(), t);
    changed(&c);
}

void TfrmBench::btnWanderClick()
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).setTemperature(c, cmbSensor->currentIndex(), std::nullopt);
    edtTemperature->clear();
    changed(&c);
}

void TfrmBench::btnOtherMasterClick(bool take)
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).otherMasterTakesBus(c, take);
    changed(&c);
}

void TfrmBench::btnClockNowClick()
{
    sim::ChipModel& c = requireChip();
    BenchBoard(requireBench()).setClockTime(c, localNow());
    changed(&c);
}

void TfrmBench::btnClockSetClick()
{
    sim::ChipModel& c = requireChip();
    const QDateTime t = dteClock->dateTime();
    DateTime d;
    d.year = t.date().year();
    d.month = t.date().month();
    d.day = t.date().day();
    d.hour = t.time().hour();
    d.minute = t.time().minute();
    d.second = t.time().second();
    d.weekday = t.date().dayOfWeek() % 7;
    BenchBoard(requireBench()).setClockTime(c, d);
    changed(&c);
}

void TfrmBench::btnLoadContentsClick()
{
    sim::ChipModel& c = requireChip();
    const std::size_t size = BenchBoard::memorySize(c);
    const MemoryKind kind = isLargeSize(size) ? MemoryKind::LargeEeprom : MemoryKind::SmallEeprom;
    Dialogs::FileRequest r;
    r.title = tr("Load Contents");
    for (const std::string& f : MemoryFileTypes::openFilters(kind))
        r.filters << QString::fromStdString(f);
    if (!Dialogs::instance().openFile(this, r))
        return;
    const auto type = MemoryFileTypes::typeAt(r.filterIndex, static_cast<std::size_t>(r.filters.size()));
    if (!type)
        return;
    MemoryImage image(size);
    const FileLoad load = MemoryFiles::load(kind, *type, r.fileName.toStdString(), image);
    if (!load.loaded) {
        const std::string why = load.notice ? load.notice->text : load.status ? load.status->text : "not a memory file";
        throw FileError(r.fileName.toStdString() + ": " + why);
    }
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = image.value(i);
    BenchBoard(requireBench()).loadMemory(c, bytes);
    changed(&c);
}

void TfrmBench::faultFormChange()
{
    const QString kind = cmbFaultKind->currentData().toString();
    QString text = kind;
    const QString address = edtFaultAddress->text().trimmed().toUpper();
    if (!address.isEmpty())
        text += QStringLiteral(",address=") + address;
    const bool data = kind == QLatin1String("data-nack");
    spnFaultByte->setEnabled(data);
    if (data)
        text += QStringLiteral(",byte=%1").arg(spnFaultByte->value());
    const bool removed = kind == QLatin1String("chip-removed");
    cmbFaultRepeat->setEnabled(!removed);
    spnFaultCount->setEnabled(!removed && cmbFaultRepeat->currentIndex() == 1);
    if (!removed && cmbFaultRepeat->currentIndex() == 1)
        text += QStringLiteral(",count=%1").arg(spnFaultCount->value());
    else if (!removed && cmbFaultRepeat->currentIndex() == 2)
        text += QStringLiteral(",until-cleared");
    if (spnFaultAfter->value() > 0)
        text += QStringLiteral(",after=%1").arg(spnFaultAfter->value());
    edtFault->setText(text);
}

void TfrmBench::btnArmClick()
{
    sim::SimulatedAdapter& b = requireBench();
    sim::Fault f;
    try {
        f = sim::FaultText::parse(edtFault->text().trimmed().toStdString(),
                                  [this](std::string_view a) { return addressOf(QString::fromUtf8(a.data(), int(a.size()))); });
    } catch (const std::invalid_argument& e) {
        throw Error(e.what());
    }
    BenchBoard(b).arm(f);
    changed();
}

void TfrmBench::btnClearFaultClick()
{
    const int i = lstFaults->currentRow();
    if (i < 0)
        throw Error("Select an armed fault first");
    BenchBoard(requireBench()).clearFault(static_cast<std::size_t>(i));
    changed();
}

void TfrmBench::btnClearFaultsClick()
{
    BenchBoard(requireBench()).clearFaults();
    changed();
}
