#include "gui/devices/thermal/TemperaturePlot.h"
#include "core/memory/FileBytes.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Time slices the chart draws per channel (two points each), more than a
// plot's width in pixels: a poll then costs the same after hours as after
// seconds. The trace keeps every sample for export.
constexpr std::size_t kChartSlices = 250;

struct Interval {
    const char* text;
    int ms;
};
constexpr Interval kIntervals[] = {{"0.5 s", 500}, {"1 s", 1000},   {"2 s", 2000},  {"5 s", 5000},
                                   {"10 s", 10000}, {"30 s", 30000}, {"60 s", 60000}};
constexpr int kDefaultInterval = 1; // 1 s

// Dashed limit lines in colours apart from the channels' blue and green.
const QColor kLimitColours[] = {QColor(0xC0, 0x00, 0x00), QColor(0xE0, 0x70, 0x00), QColor(0x80, 0x00, 0x80),
                                QColor(0x70, 0x50, 0x20), QColor(0xD0, 0x00, 0xA0), QColor(0x60, 0x60, 0x60)};

// A round step that cuts `span` into about `parts` pieces: 1, 2 or 5 times a power of ten.
double niceStep(double span, int parts)
{
    const double raw = std::max(span, 1e-9) / parts;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double n = raw / mag;
    return (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * mag;
}

// The axis over [lo, hi] widened to whole steps, ticks on multiples of the step.
void setNiceRange(QValueAxis* axis, double lo, double hi, int parts)
{
    const double step = niceStep(hi - lo, parts);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(std::floor(lo / step) * step, std::ceil(hi / step) * step);
}

QString statusText(tp::Status st)
{
    const auto m = tp::statusMessage(st);
    const QString text = m ? QString::fromStdString(m->text).trimmed() : QString();
    return text.isEmpty() ? QStringLiteral("status %1").arg(st) : text;
}

} // namespace

TemperaturePlot::TemperaturePlot(const QStringList& channels, Sampler sampler, QWidget* parent)
    : QWidget(parent), m_sampler(std::move(sampler)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }), m_trace([&] {
          std::vector<std::string> names;
          for (const QString& c : channels)
              names.push_back(c.toStdString());
          return names;
      }())
{
    setObjectName(QStringLiteral("pnlPlot"));
    m_timer.setParent(this);
    m_timer.setObjectName(QStringLiteral("tmrPlot"));
    m_timer.setInterval(kIntervals[kDefaultInterval].ms);
    connect(&m_timer, &QTimer::timeout, this, guarded(this, &TemperaturePlot::pollNow));

    m_chart = new QChart;
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_x = new QValueAxis(m_chart);
    m_x->setTitleText(tr("Time (s)"));
    m_x->setLabelFormat(QStringLiteral("%g"));
    m_y = new QValueAxis(m_chart);
    m_y->setTitleText(tr("Temperature (\u00B0C)"));
    m_y->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_x, Qt::AlignBottom);
    m_chart->addAxis(m_y, Qt::AlignLeft);
    for (const QString& c : channels) {
        auto* s = new QLineSeries(m_chart);
        s->setName(c);
        m_chart->addSeries(s);
        s->attachAxis(m_x);
        s->attachAxis(m_y);
        QPen pen = s->pen();
        pen.setWidthF(1.0);
        s->setPen(pen);
        m_channels.append(s);
        m_drawn.emplace_back(kChartSlices, 0.25);
    }
    m_failures = new QScatterSeries(m_chart);
    m_failures->setName(tr("Read failed"));
    m_failures->setColor(Qt::red);
    m_failures->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    m_failures->setMarkerSize(9);
    m_chart->addSeries(m_failures);
    m_failures->attachAxis(m_x);
    m_failures->attachAxis(m_y);
    showFailureMarker(false);

    chvPlot = new QChartView(m_chart, this);
    chvPlot->setObjectName(QStringLiteral("chvPlot"));
    chvPlot->setRenderHint(QPainter::Antialiasing);
    chvPlot->setMinimumSize(260, 200);
    chvPlot->setFocusPolicy(Qt::NoFocus); // nothing in it to work with the keys

    btnPlotStart = new QPushButton(tr("Start"), this);
    btnPlotStart->setObjectName(QStringLiteral("btnPlotStart"));
    btnPlotStart->setToolTip(tr("Poll the temperatures at the chosen interval"));
    btnPlotPause = new QPushButton(tr("Pause"), this);
    btnPlotPause->setObjectName(QStringLiteral("btnPlotPause"));
    btnPlotPause->setToolTip(tr("Stop polling; Start goes on with the same trace"));
    btnPlotClear = new QPushButton(tr("Clear"), this);
    btnPlotClear->setObjectName(QStringLiteral("btnPlotClear"));
    btnPlotClear->setToolTip(tr("Forget the trace and start the time axis afresh"));
    btnPlotExport = new QPushButton(tr("Export CSV..."), this);
    btnPlotExport->setObjectName(QStringLiteral("btnPlotExport"));
    btnPlotExport->setToolTip(tr("Save the trace as comma-separated values"));
    cmbPlotInterval = new QComboBox(this);
    cmbPlotInterval->setObjectName(QStringLiteral("cmbPlotInterval"));
    cmbPlotInterval->setToolTip(tr("Time between two polls"));
    for (const Interval& i : kIntervals)
        cmbPlotInterval->addItem(QString::fromLatin1(i.text), i.ms);
    cmbPlotInterval->setCurrentIndex(kDefaultInterval);
    chbPlotLimits = new QCheckBox(tr("Scale to limits"), this);
    chbPlotLimits->setObjectName(QStringLiteral("chbPlotLimits"));
    chbPlotLimits->setToolTip(tr("Keep every limit line in view; otherwise scale to the readings"));
    // Off: limits from -55 to 150 degrees would flatten the traces.
    chbPlotLimits->setChecked(false);
    lblPlotState = new QLabel(this);
    lblPlotState->setObjectName(QStringLiteral("lblPlotState"));
    lblPlotState->setWordWrap(true);

    // Two short rows, so the plot still fits beside or under the registers of a narrow window.
    auto* every = new QLabel(tr("Every"), this);
    every->setBuddy(cmbPlotInterval);
    auto* polling = new QHBoxLayout;
    polling->addWidget(btnPlotStart);
    polling->addWidget(btnPlotPause);
    polling->addWidget(every);
    polling->addWidget(cmbPlotInterval);
    polling->addWidget(lblPlotState, 1);
    auto* trace = new QHBoxLayout;
    trace->addWidget(btnPlotClear);
    trace->addWidget(btnPlotExport);
    trace->addWidget(chbPlotLimits);
    trace->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(polling);
    column->addLayout(trace);
    column->addWidget(chvPlot, 1);

    connect(btnPlotStart, &QPushButton::clicked, this, guarded(this, &TemperaturePlot::btnPlotStartClick));
    connect(btnPlotPause, &QPushButton::clicked, this, guarded(this, &TemperaturePlot::btnPlotPauseClick));
    connect(btnPlotClear, &QPushButton::clicked, this, guarded(this, &TemperaturePlot::btnPlotClearClick));
    connect(btnPlotExport, &QPushButton::clicked, this, guarded(this, &TemperaturePlot::btnPlotExportClick));
    connect(cmbPlotInterval, &QComboBox::currentIndexChanged, this,
            guarded(this, &TemperaturePlot::cmbPlotIntervalChange));
    connect(chbPlotLimits, &QCheckBox::clicked, this, guarded(this, &TemperaturePlot::chbPlotLimitsClick));

    showState(tr("Not polling"), false);
    rescale();
    updateButtons();
}

double TemperaturePlot::secondsNow()
{
    const qint64 now = m_clock();
    if (m_startMs < 0)
        m_startMs = now;
    return double(now - m_startMs) / 1000.0;
}

QString TemperaturePlot::stateText() const
{
    return lblPlotState->text();
}

void TemperaturePlot::showState(const QString& text, bool failure)
{
    lblPlotState->setText(text);
    lblPlotState->setStyleSheet(failure ? QStringLiteral("color: #C00000; font-weight: bold;") : QString());
}

void TemperaturePlot::updateButtons()
{
    btnPlotStart->setEnabled(!isPolling());
    btnPlotPause->setEnabled(isPolling());
    btnPlotExport->setEnabled(!m_trace.empty());
}

void TemperaturePlot::setIntervalMs(int ms)
{
    int index = cmbPlotInterval->findData(ms);
    if (index < 0) {
        cmbPlotInterval->addItem(tr("%1 ms").arg(ms), ms);
        index = cmbPlotInterval->count() - 1;
    }
    cmbPlotInterval->setCurrentIndex(index); // runs cmbPlotIntervalChange
}

void TemperaturePlot::cmbPlotIntervalChange(int index)
{
    const int ms = cmbPlotInterval->itemData(index).toInt();
    if (ms <= 0)
        return;
    m_timer.setInterval(ms);
    if (isPolling())
        showState(tr("Polling every %1").arg(cmbPlotInterval->itemText(index)), false);
}

void TemperaturePlot::btnPlotStartClick()
{
    if (isPolling())
        return;
    m_timer.start();
    showState(tr("Polling every %1").arg(cmbPlotInterval->currentText()), false);
    updateButtons();
    pollNow(); // the first point at once, not one interval later
}

void TemperaturePlot::btnPlotPauseClick()
{
    if (!isPolling())
        return;
    m_timer.stop();
    showState(tr("Paused"), false);
    updateButtons();
}

void TemperaturePlot::stop(const QString& reason)
{
    const bool was = isPolling();
    m_timer.stop();
    if (was)
        showState(reason, true);
    updateButtons();
}

void TemperaturePlot::btnPlotClearClick()
{
    m_trace.clear();
    m_startMs = -1;
    for (QLineSeries* s : m_channels)
        s->clear();
    for (tp::thermal::PlotDecimator& d : m_drawn)
        d.clear();
    m_failures->clear();
    showFailureMarker(false);
    rescale();
    updateButtons();
}

void TemperaturePlot::pollNow()
{
    // A dialog inside the last poll let the timer in again, or another
    // window's bus work is under way: this turn is skipped.
    if (m_polling || GuiBusRunner::busy())
        return;
    m_polling = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{m_polling};

    const Reading r = m_sampler();
    const double t = secondsNow();
    if (r.status != tp::status::Success) {
        addFailure(t, r.status);
        m_timer.stop();
        showState(tr("Stopped: read failed (%1)").arg(statusText(r.status)), true);
        updateButtons();
        return;
    }
    addPoint(t, r.values);
    updateButtons();
}

void TemperaturePlot::addPoint(double seconds, const std::vector<double>& values)
{
    m_trace.add(seconds, m_clock(), values);
    for (int i = 0; i < m_channels.size() && i < int(values.size()); ++i) {
        QLineSeries* s = m_channels[i];
        tp::thermal::PlotDecimator& d = m_drawn[std::size_t(i)];
        const std::size_t from = d.add(seconds, values[std::size_t(i)]);
        const auto& pts = d.points();
        if (from >= pts.size() && s->count() == int(pts.size()))
            continue;
        // One replacement of the whole series: Qt Charts redraws the whole
        // line on every change, so a change point by point costs that many times.
        QList<QPointF> all;
        all.reserve(qsizetype(pts.size()));
        for (const auto& p : pts)
            all.append(QPointF(p.x, p.y));
        s->replace(all);
    }
    rescale();
}

void TemperaturePlot::showFailureMarker(bool on)
{
    // The legend names failures only once there is one.
    for (QLegendMarker* m : m_chart->legend()->markers(m_failures))
        m->setVisible(on);
}

void TemperaturePlot::addFailure(double seconds, tp::Status status)
{
    m_trace.addFailure(seconds, m_clock(), "Read failed: " + statusText(status).toStdString());
    // Where the trace ended, or mid-plot when there is none yet.
    double y = (m_y->min() + m_y->max()) / 2;
    if (!m_channels.isEmpty() && m_channels.first()->count() > 0)
        y = m_channels.first()->at(m_channels.first()->count() - 1).y();
    m_failures->append(seconds, y);
    showFailureMarker(true);
    rescale();
}

void TemperaturePlot::setLimit(const QString& name, std::optional<double> celsius, int channel)
{
    if (!celsius) {
        removeLimit(name);
    } else {
        QPen pen(kLimitColours[m_limits.size() % std::size(kLimitColours)]);
        if (QLineSeries* s = m_limits.value(name)) {
            pen = s->pen();
        } else if (channel == 0) {
            pen.setWidthF(1.5);
        } else {
            pen.setWidthF(2.0);
            pen.setDashPattern({1.5, 3.0});
        }
        placeLimit(name, *celsius, pen);
    }
    showEdited(name);
    rescale();
}

void TemperaturePlot::setEditedLimit(const QString& name, std::optional<double> celsius)
{
    if (celsius)
        m_edited.insert(name, *celsius);
    else
        m_edited.remove(name);
    showEdited(name);
    rescale();
}

QString TemperaturePlot::editedName(const QString& name)
{
    return name + tr(" (not written)");
}

void TemperaturePlot::showEdited(const QString& name)
{
    const QString key = editedName(name);
    const std::optional<double> chip = limit(name);
    if (!m_edited.contains(name) || (chip && *chip == m_edited.value(name))) {
        removeLimit(key);
        return;
    }
    QPen pen(QColor(0x70, 0x70, 0x70));
    pen.setWidthF(1.0);
    pen.setStyle(Qt::DashLine);
    if (QLineSeries* s = m_limits.value(name))
        pen.setColor(s->pen().color());
    placeLimit(key, m_edited.value(name), pen);
}

void TemperaturePlot::placeLimit(const QString& key, double celsius, const QPen& pen)
{
    QLineSeries* s = m_limits.value(key);
    if (!s) {
        s = new QLineSeries(m_chart);
        s->setName(key);
        m_chart->addSeries(s);
        s->attachAxis(m_x);
        s->attachAxis(m_y);
        m_limits.insert(key, s);
        // Many lines: names in a column beside the plot, where they fit whole.
        if (m_channels.size() + m_limits.size() > 4)
            m_chart->legend()->setAlignment(Qt::AlignRight);
    }
    s->setPen(pen);
    m_limitValues.insert(key, celsius);
}

void TemperaturePlot::removeLimit(const QString& key)
{
    if (QLineSeries* s = m_limits.take(key)) {
        m_chart->removeSeries(s);
        delete s;
    }
    m_limitValues.remove(key);
}

std::optional<double> TemperaturePlot::limit(const QString& name) const
{
    if (!m_limitValues.contains(name))
        return std::nullopt;
    return m_limitValues.value(name);
}

void TemperaturePlot::chbPlotLimitsClick()
{
    rescale();
}

void TemperaturePlot::rescale()
{
    // Time: from the first point the chart holds, at least a minute wide.
    double x0 = 0, x1 = 0;
    bool any = false;
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    for (const tp::thermal::PlotDecimator& d : m_drawn) {
        if (d.empty())
            continue;
        x0 = any ? std::min(x0, d.firstX()) : d.firstX();
        x1 = any ? std::max(x1, d.lastX()) : d.lastX();
        any = true;
        lo = std::min(lo, d.minY());
        hi = std::max(hi, d.maxY());
    }
    const double span = std::max(60.0, (x1 - x0) * 1.05);
    // As many ticks as fit: Qt Charts elides every label once they crowd.
    const int xParts = std::clamp((chvPlot->width() - 120) / 70, 3, 6);
    setNiceRange(m_x, x0, x0 + span, xParts);

    if (chbPlotLimits->isChecked() || !any)
        for (double v : m_limitValues) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    if (lo > hi) {
        lo = 0;
        hi = 40;
    }
    const double pad = std::max(1.0, (hi - lo) * 0.1);
    const int yParts = std::clamp((chvPlot->height() - 110) / 36, 2, 8);
    setNiceRange(m_y, lo - pad, hi + pad, yParts);

    for (auto it = m_limits.begin(); it != m_limits.end(); ++it) {
        const double v = m_limitValues.value(it.key());
        it.value()->replace(QList<QPointF>{{m_x->min(), v}, {m_x->max(), v}});
    }
}

void TemperaturePlot::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    guard([&] { rescale(); });
}

void TemperaturePlot::btnPlotExportClick()
{
    if (m_trace.empty())
        return;
    Dialogs::FileRequest req;
    req.title = tr("Export Temperature Trace");
    req.filters = QStringList{tr("CSV files (*.csv)"), tr("All files (*)")};
    req.defaultSuffix = QStringLiteral("csv");
    req.fileName = m_exportName.isEmpty() ? QStringLiteral("temperatures.csv") : m_exportName;
    if (!Dialogs::instance().saveFile(this, req))
        return;
    tp::FileBytes::replace(req.fileName.toStdString(), m_trace.csv());
    if (!isPolling())
        showState(tr("Saved %n sample(s) to %1", nullptr, int(m_trace.samples().size()))
                      .arg(QFileInfo(req.fileName).fileName()),
                  false);
}
