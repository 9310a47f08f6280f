#include "gui/bus/TfrmBusLog.h"
#include "core/bus/BusLogExport.h"
#include "gui/app/TfrmMain.h"
#include "gui/bus/BusLogModel.h"
#include "core/bus/AdapterInfo.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Dialogs.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace tp;

namespace {

// The table, timing its own painting so the window can pace its updates.
class LogView : public QTableView {
public:
    using QTableView::QTableView;
    qint64 lastPaintNs = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        guard([&] {
            QElapsedTimer t;
            t.start();
            QTableView::paintEvent(event);
            lastPaintNs = t.nsecsElapsed();
        });
    }
};

// Four looks a second is as fast as anyone reads a log, and keeps its cost
// while the bus works within a few percent.
constexpr int kFastestMs = 250;
constexpr int kSlowestMs = 1000;

} // namespace

TfrmBusLog::TfrmBusLog(TfrmMain& main)
    : QDockWidget(tr("Bus Log"), &main), m_main(main), m_model(new BusLogModel(this)), m_tick(new QTimer(this)),
      m_searchDelay(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBusLog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea | Qt::RightDockWidgetArea);
    // Watching, searching and exporting the log go on while the bus works.
    GuiBusRunner::keepLive(this);

    auto* body = new QWidget(this);
    auto* v = new QVBoxLayout(body);
    v->setContentsMargins(4, 4, 4, 4);
    v->setSpacing(4);

    auto* bar = new QWidget(body);
    auto* flow = new FlowLayout(bar, 8);
    flow->setContentsMargins(0, 0, 0, 0);
    const auto labelled = [bar](const QString& text, QWidget* w) {
        auto* box = new QWidget(bar);
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(4);
        auto* l = new QLabel(text, box);
        l->setBuddy(w);
        h->addWidget(l);
        h->addWidget(w);
        return box;
    };

    edtAddress = new QLineEdit(bar);
    edtAddress->setObjectName(QStringLiteral("edtAddress"));
    edtAddress->setMaxLength(2);
    edtAddress->setValidator(new CharValidator(CharValidator::Kind::Hex, edtAddress));
    edtAddress->setPlaceholderText(tr("all"));
    edtAddress->setToolTip(tr("Show only messages to this address (hex): 00 to 7F as a 7-bit address, 80 to FF "
                              "as the 8-bit one (A0 and A1 are 7-bit 50); empty shows all"));
    edtAddress->setFixedWidth(edtAddress->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
    flow->addWidget(labelled(tr("&Address 0x"), edtAddress));
    // Either form is taken, so the view says which one it understood.
    lblAddress = new QLabel(bar);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    lblAddress->setMinimumWidth(lblAddress->fontMetrics().horizontalAdvance(QStringLiteral("8-bit 0xA0 = 7-bit 0x50")));
    flow->addWidget(lblAddress);

    chbFailures = new QCheckBox(tr("Fai&lures only"), bar);
    chbFailures->setObjectName(QStringLiteral("chbFailures"));
    chbFailures->setToolTip(tr("Show only the messages of transactions that failed"));
    flow->addWidget(chbFailures);

    chbFoldPolls = new QCheckBox(tr("Fold polls"), bar);
    chbFoldPolls->setObjectName(QStringLiteral("chbFoldPolls"));
    chbFoldPolls->setChecked(true);
    chbFoldPolls->setToolTip(tr("Show each run of acknowledge polls as one row; double-click it to open it"));
    flow->addWidget(chbFoldPolls);

    edtSearch = new QLineEdit(bar);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setPlaceholderText(tr("text in any column"));
    edtSearch->setClearButtonEnabled(true);
    edtSearch->setMinimumWidth(160);
    flow->addWidget(labelled(tr("&Search"), edtSearch));

    btnPause = new QPushButton(tr("&Pause"), bar);
    btnPause->setObjectName(QStringLiteral("btnPause"));
    btnPause->setCheckable(true);
    btnPause->setToolTip(tr("Hold the view still; the log keeps recording"));
    flow->addWidget(btnPause);

    btnClear = new QPushButton(tr("&Clear"), bar);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setToolTip(tr("Forget every message recorded so far"));
    flow->addWidget(btnClear);

    btnExportCsv = new QPushButton(tr("Export CS&V\u2026"), bar);
    btnExportCsv->setObjectName(QStringLiteral("btnExportCsv"));
    btnExportCsv->setToolTip(tr("Save the messages shown as a CSV file"));
    flow->addWidget(btnExportCsv);

    btnExportScript = new QPushButton(tr("Export &i2ctransfer Script\u2026"), bar);
    btnExportScript->setObjectName(QStringLiteral("btnExportScript"));
    btnExportScript->setToolTip(tr("Save the transactions shown as a shell script of i2ctransfer commands"));
    flow->addWidget(btnExportScript);

    lblCount = new QLabel(bar);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    flow->addWidget(lblCount);
    v->addWidget(bar);

    grdLog = new LogView(body);
    grdLog->setObjectName(QStringLiteral("grdLog"));
    grdLog->setModel(m_model);
    grdLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdLog->setWordWrap(false);
    grdLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    grdLog->verticalHeader()->hide();
    // Fixed sizes: measuring a million rows' contents would stall the view.
    const QFontMetrics fm(grdLog->font());
    grdLog->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdLog->verticalHeader()->setDefaultSectionSize(fm.height() + 4);
    QHeaderView* h = grdLog->horizontalHeader();
    h->setSectionResizeMode(QHeaderView::Interactive);
    // Wide enough for the title and for a typical cell.
    const QFontMetrics hm(h->font());
    const auto width = [&](buslog::Column c, const char* sample) {
        const int title = hm.horizontalAdvance(QString::fromUtf8(buslog::columnTitle(c))) + 20;
        h->resizeSection(c, std::max(title, fm.horizontalAdvance(QString::fromLatin1(sample)) + 16));
    };
    width(buslog::Time, "00000.000000");
    width(buslog::Transaction, "0000000");
    width(buslog::Start, "Sr");
    width(buslog::Address7, "0x00");
    width(buslog::Address8, "0x00");
    width(buslog::Direction, "R");
    width(buslog::Length, "00000");
    width(buslog::Data, "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    width(buslog::Nack, "byte 0000");
    h->setStretchLastSection(true);
    v->addWidget(grdLog, 1);
    setWidget(body);

    connect(edtAddress, &QLineEdit::textChanged, this, guarded(this, &TfrmBusLog::filterChange));
    connect(chbFailures, &QCheckBox::toggled, this, guarded(this, &TfrmBusLog::filterChange));
    connect(chbFoldPolls, &QCheckBox::toggled, this, guarded([this](bool on) { m_model->setFoldPolls(on); }));
    connect(grdLog, &QTableView::doubleClicked, this,
            guarded([this](const QModelIndex& index) { m_model->toggleRun(index.row()); }));
    // Typing searches once the user pauses, not on every key over a million rows.
    m_searchDelay->setSingleShot(true);
    m_searchDelay->setInterval(250);
    connect(edtSearch, &QLineEdit::textChanged, m_searchDelay, qOverload<>(&QTimer::start));
    connect(m_searchDelay, &QTimer::timeout, this, guarded(this, &TfrmBusLog::filterChange));
    connect(btnPause, &QPushButton::clicked, this, guarded(this, &TfrmBusLog::btnPauseClick));
    connect(btnClear, &QPushButton::clicked, this, guarded(this, &TfrmBusLog::btnClearClick));
    connect(btnExportCsv, &QPushButton::clicked, this, guarded(this, &TfrmBusLog::btnExportCsvClick));
    connect(btnExportScript, &QPushButton::clicked, this, guarded(this, &TfrmBusLog::btnExportScriptClick));

    m_model->attach(&m_main.state().adapter().log());
    grdLog->scrollToBottom();
    showCount();
    m_tick->setInterval(kFastestMs);
    connect(m_tick, &QTimer::timeout, this, guarded(this, &TfrmBusLog::refresh));
    m_tick->start();
}

TfrmBusLog::~TfrmBusLog() = default;

void TfrmBusLog::refresh()
{
    QElapsedTimer cost;
    cost.start();
    // The adapter may have been exchanged since: follow the one in use.
    m_model->attach(&m_main.state().adapter().log());
    QScrollBar* sb = grdLog->verticalScrollBar();
    const bool follow = sb->value() >= sb->maximum();
    const int before = m_model->rowCount();
    m_model->refresh();
    if (follow && m_model->rowCount() != before)
        grdLog->scrollToBottom();
    showCount();
    // However busy the bus, the window takes no more than about 2% of the
    // time: the next look comes after 50 times what this one and the last
    // painting cost.
    const qint64 ms = (cost.nsecsElapsed() + static_cast<LogView*>(grdLog)->lastPaintNs) / 1000000;
    m_tick->setInterval(static_cast<int>(std::clamp<qint64>(ms * 50, kFastestMs, kSlowestMs)));
}

int TfrmBusLog::refreshInterval() const
{
    return m_tick->interval();
}

void TfrmBusLog::showCount()
{
    const BusLog* log = m_model->log();
    if (!log)
        return;
    const QLocale loc;
    QString text = m_model->filter().isEmpty()
                       ? tr("%1 messages").arg(loc.toString(m_model->rowCount()))
                       : tr("%1 of %2 messages").arg(loc.toString(m_model->rowCount()), loc.toString(qulonglong(log->size())));
    if (log->dropped() > 0)
        text += tr("; %1 older dropped").arg(loc.toString(qulonglong(log->dropped())));
    if (m_model->paused())
        text += tr("; paused");
    lblCount->setText(text);
}

void TfrmBusLog::filterChange()
{
    buslog::Filter f;
    const buslog::AddressFilter address = buslog::parseAddressFilter(edtAddress->text().toStdString());
    f.address7 = address.address7;
    lblAddress->setText(QString::fromStdString(address.taken));
    f.failuresOnly = chbFailures->isChecked();
    f.text = edtSearch->text().trimmed().toStdString();
    m_searchDelay->stop();
    m_model->setFilter(f);
    grdLog->scrollToBottom();
    showCount();
}

void TfrmBusLog::btnPauseClick()
{
    m_model->setPaused(btnPause->isChecked());
    btnPause->setText(btnPause->isChecked() ? tr("&Resume") : tr("&Pause"));
    if (!btnPause->isChecked())
        grdLog->scrollToBottom();
    showCount();
}

void TfrmBusLog::btnClearClick()
{
    m_main.state().adapter().log().clear();
    m_model->refresh();
    showCount();
}

void TfrmBusLog::btnExportCsvClick()
{
    Dialogs::FileRequest r;
    r.title = tr("Export Bus Log as CSV");
    r.filters = {tr("CSV files (*.csv)"), tr("All files (*)")};
    r.defaultSuffix = QStringLiteral("csv");
    r.fileName = QStringLiteral("buslog.csv");
    if (!Dialogs::instance().saveFile(this, r))
        return;
    buslog::writeExport(r.fileName.toStdString(), buslog::toCsv(m_model->shownEntries()), false);
}

void TfrmBusLog::btnExportScriptClick()
{
    Dialogs::FileRequest r;
    r.title = tr("Export Bus Log as i2ctransfer Script");
    r.filters = {tr("Shell scripts (*.sh)"), tr("All files (*)")};
    r.defaultSuffix = QStringLiteral("sh");
    r.fileName = QStringLiteral("buslog.sh");
    if (!Dialogs::instance().saveFile(this, r))
        return;
    const Adapter& adapter = m_main.state().adapter();
    buslog::writeExport(r.fileName.toStdString(),
                        buslog::toI2cTransferScript(m_model->shownEntries(), scan::linuxBusNumber(adapter), adapter.name()),
                        true);
}
