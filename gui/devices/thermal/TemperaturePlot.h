#pragma once
#include "core/common/Status.h"
#include "core/devices/thermal/PlotDecimator.h"
#include "core/devices/thermal/TemperatureTrace.h"

#include <QMap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QPen;
class QValueAxis;

// A live plot of a sensor window's temperatures: polls them at a chosen
// interval from the event loop (never blocking it), draws each channel
// over time with the window's limit lines, and keeps the trace for export
// as CSV. Polling stops on a failed read (the failure shows on the plot),
// when told to (the adapter changed), and with the window.
class TemperaturePlot : public QWidget {
    Q_OBJECT
public:
    // What one poll returned: a status, and with status 0 one value per channel.
    struct Reading {
        tp::Status status = 0;
        std::vector<double> values;
    };
    using Sampler = std::function<Reading()>;
    using Clock = std::function<qint64()>; // milliseconds since 1970 (UTC)

    TemperaturePlot(const QStringList& channels, Sampler sampler, QWidget* parent = nullptr);

    // A named horizontal line at the limit the chip holds (last read or
    // written successfully); none removes it. A limit of the second channel
    // is dotted, so it stays apart from the first's where they meet.
    void setLimit(const QString& name, std::optional<double> celsius, int channel = 0);
    std::optional<double> limit(const QString& name) const;
    // The window's value of that limit, not written yet: while it differs
    // from the chip's it shows as a thin dashed line named editedName().
    void setEditedLimit(const QString& name, std::optional<double> celsius);
    static QString editedName(const QString& name);

    bool isPolling() const { return m_timer.isActive(); }
    int intervalMs() const { return m_timer.interval(); }
    void setIntervalMs(int ms);
    const tp::thermal::TemperatureTrace& trace() const { return m_trace; }
    QString stateText() const;
    // File name the export proposes.
    void setExportName(const QString& name) { m_exportName = name; }
    // Tests replace the wall clock.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    QChart* chart() const { return m_chart; }
    QLineSeries* channelSeries(int i) const { return m_channels.at(i); }
    QLineSeries* limitSeries(const QString& name) const { return m_limits.value(name); }
    QScatterSeries* failureSeries() const { return m_failures; }

    // Adds a sample as a poll does (a benchmark fills the plot this way).
    void addPoint(double seconds, const std::vector<double>& values);

public slots:
    void btnPlotStartClick();
    void btnPlotPauseClick();
    void btnPlotClearClick();
    void btnPlotExportClick();
    void cmbPlotIntervalChange(int index);
    void chbPlotLimitsClick();
    // One poll now, as the timer does it.
    void pollNow();
    // Ends polling with a reason shown on the plot.
    void stop(const QString& reason);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeLimit(const QString& key, double celsius, const QPen& pen);
    void removeLimit(const QString& key);
    void showEdited(const QString& name);
    void addFailure(double seconds, tp::Status status);
    void rescale();
    void showFailureMarker(bool on);
    void showState(const QString& text, bool failure);
    void updateButtons();
    double secondsNow();

    Sampler m_sampler;
    Clock m_clock;
    QTimer m_timer;
    tp::thermal::TemperatureTrace m_trace;
    qint64 m_startMs = -1;
    bool m_polling = false; // re-entry guard while a poll runs
    QString m_exportName;

    QChart* m_chart = nullptr;
    QChartView* chvPlot = nullptr;
    QValueAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
    QList<QLineSeries*> m_channels;
    std::vector<tp::thermal::PlotDecimator> m_drawn; // what each channel's series shows
    QMap<QString, QLineSeries*> m_limits;
    QMap<QString, double> m_limitValues;
    QMap<QString, double> m_edited; // by the chip limit's name
    QScatterSeries* m_failures = nullptr;
    QPushButton* btnPlotStart = nullptr;
    QPushButton* btnPlotPause = nullptr;
    QPushButton* btnPlotClear = nullptr;
    QPushButton* btnPlotExport = nullptr;
    QComboBox* cmbPlotInterval = nullptr;
    QCheckBox* chbPlotLimits = nullptr;
    QLabel* lblPlotState = nullptr;
};
