#include "core/sim/Lm75aChip.h"
#include "core/sim/Ne1617Chip.h"
#include "core/sim/Sa56004Chip.h"
#include "core/sim/Se98Chip.h"
#include "gui/devices/thermal/TemperaturePlot.h"
#include "gui/devices/thermal/ThermalForm.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <cmath>

using tp::sim::Fault;

namespace {

// One sensor window and how to set what its chip measures.
struct Sensor {
    QString entry;
    QString windowClass;
    std::string chipType;
    std::uint8_t address;
    QStringList channels;
};

const QList<Sensor> kSensors{
    {"LM75A  Digital Temperature Sensor", "TfrmLM75A", "LM75A", 0x90, {"Temperature"}},
    {"SA56004 1\u00B0C Digital Temperature Sensor", "TfrmSA56004", "SA56004", 0x90, {"Local", "Remote"}},
    {"NE1617(A)  Temperature monitor", "TfrmNE1617", "NE1617", 0x30, {"Internal", "External"}},
    {"SE98 SO-DIMM Temperature Sensor", "TfrmSE98", "SE98", 0x30, {"Temperature"}},
};

struct Rig {
    TestBench bench;
    Sensor sensor;
    TThermalForm* w = nullptr;
    TemperaturePlot* plot = nullptr;
    qint64 now = 1714564800000; // the plot's clock, moved by hand

    explicit Rig(const Sensor& s) : sensor(s)
    {
        bench.main->deviceAction(s.entry)->trigger();
        w = qobject_cast<TThermalForm*>(bench.main->windowReference(s.windowClass));
        plot = w->plot();
        plot->setClock([this] { return now; });
        bench.sim->expectChip(s.chipType, s.address);
        bench.clearLog();
    }
    // Sets channel temperatures on the chip (whole degrees suit every sensor).
    void measure(const std::vector<double>& t)
    {
        tp::sim::ChipModel* c = bench.sim->chipAt(sensor.address);
        if (auto* lm = dynamic_cast<tp::sim::Lm75aChip*>(c))
            lm->setTemperature(t[0]);
        else if (auto* sa = dynamic_cast<tp::sim::Sa56004Chip*>(c))
            sa->setLocal(t[0]), sa->setRemote(t[1]);
        else if (auto* ne = dynamic_cast<tp::sim::Ne1617Chip*>(c))
            ne->setInternal(t[0]), ne->setExternal(t[1]);
        else if (auto* se = dynamic_cast<tp::sim::Se98Chip*>(c))
            se->setTemperature(t[0]);
    }
    std::vector<double> values(int sample) const { return plot->trace().samples().at(std::size_t(sample)).values; }
    void click(const QString& name) { QTest::mouseClick(child<QPushButton>(plot, name), Qt::LeftButton); }
    int transfers() const { return bench.transfers().size(); }
};

void addSensorRows()
{
    QTest::addColumn<int>("sensor");
    for (int i = 0; i < kSensors.size(); ++i)
        QTest::newRow(qPrintable(kSensors[i].windowClass)) << i;
}

} // namespace

class TestTemperaturePlot : public QObject {
    Q_OBJECT
private slots:
    void pollsEveryChannelWithoutWriting_data() { addSensorRows(); }
    void pollsEveryChannelWithoutWriting();
    void timerPollsFromTheEventLoop_data() { addSensorRows(); }
    void timerPollsFromTheEventLoop();
    void failedReadStopsPolling_data() { addSensorRows(); }
    void failedReadStopsPolling();
    void closingStopsPolling_data() { addSensorRows(); }
    void closingStopsPolling();
    void adapterChangeStopsPolling();
    void pauseAndClear();
    void exportWritesTheTraceThroughATemporaryFile();
    void exportFailureLeavesTheOldFile();
    void plotShowsTracesAndLimits();
    void axisLabelsFitAtFullAndHalfWidth_data();
    void axisLabelsFitAtFullAndHalfWidth();
};

void TestTemperaturePlot::pollsEveryChannelWithoutWriting()
{
    QFETCH(int, sensor);
    Rig r(kSensors[sensor]);
    QCOMPARE(int(r.plot->trace().channels().size()), r.sensor.channels.size());
    QCheckBox* autoWrite = r.w->findChild<QCheckBox*>("chbAutoWrite");
    if (autoWrite)
        QTest::mouseClick(autoWrite, Qt::LeftButton, {}, QPoint(6, autoWrite->height() / 2));
    r.measure({21, 48});
    r.click("btnPlotStart"); // the first point at once
    QVERIFY(r.plot->isPolling());
    r.measure({-7, 60});
    r.now += 1000;
    r.plot->pollNow();
    QCOMPARE(int(r.plot->trace().samples().size()), 2);
    if (r.sensor.channels.size() == 2) {
        QCOMPARE(r.values(0), (std::vector<double>{21, 48}));
        QCOMPARE(r.values(1), (std::vector<double>{-7, 60}));
    } else {
        QCOMPARE(r.values(0), std::vector<double>{21});
        QCOMPARE(r.values(1), std::vector<double>{-7});
    }
    QCOMPARE(r.plot->trace().samples().at(1).seconds, 1.0);
    for (const QString& t : r.bench.transfers())
        QVERIFY2(t.startsWith("Sr R") || t.split(' ').size() == 3, qPrintable(t)); // pointer writes and reads
    // The window's read-outs follow; a good poll leaves the status line alone.
    QVERIFY(r.bench.statusText().isEmpty());
    r.plot->stop(QString());
}

void TestTemperaturePlot::timerPollsFromTheEventLoop()
{
    QFETCH(int, sensor);
    Rig r(kSensors[sensor]);
    r.plot->setIntervalMs(20);
    QCOMPARE(r.plot->intervalMs(), 20);
    r.click("btnPlotStart");
    QTRY_VERIFY(r.plot->trace().samples().size() >= 4);
    QVERIFY(r.plot->isPolling());
    QVERIFY(!child<QPushButton>(r.plot, "btnPlotStart")->isEnabled());
    QVERIFY(child<QPushButton>(r.plot, "btnPlotPause")->isEnabled());
    r.click("btnPlotPause");
    QVERIFY(!r.plot->isPolling());
    QCOMPARE(r.plot->stateText(), QStringLiteral("Paused"));
}

void TestTemperaturePlot::failedReadStopsPolling()
{
    QFETCH(int, sensor);
    Rig r(kSensors[sensor]);
    r.plot->setIntervalMs(20);
    r.click("btnPlotStart");
    QCOMPARE(int(r.plot->trace().samples().size()), 1);
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, -1});
    r.now += 20;
    QTRY_VERIFY(!r.plot->isPolling());
    const int after = r.transfers();
    QTest::qWait(100); // five intervals: nothing more reaches the bus
    QCOMPARE(r.transfers(), after);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.plot->stateText(), QStringLiteral("Stopped: read failed (Address not acknowledged)"));
    const tp::thermal::TraceSample& last = r.plot->trace().samples().back();
    QVERIFY(last.failed());
    QCOMPARE(QString::fromStdString(last.note), QStringLiteral("Read failed: Address not acknowledged"));
    QCOMPARE(r.plot->failureSeries()->count(), 1);
    QVERIFY(child<QPushButton>(r.plot, "btnPlotStart")->isEnabled());
    r.bench.sim->clearFaults();
}

void TestTemperaturePlot::closingStopsPolling()
{
    QFETCH(int, sensor);
    Rig r(kSensors[sensor]);
    r.plot->setIntervalMs(20);
    r.click("btnPlotStart");
    QTRY_VERIFY(r.plot->trace().samples().size() >= 2);
    const QPointer<TemperaturePlot> plot = r.plot;
    qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->close();
    QTRY_VERIFY(!plot);
    const int after = r.transfers();
    QTest::qWait(100);
    QCOMPARE(r.transfers(), after);
}

void TestTemperaturePlot::adapterChangeStopsPolling()
{
    Rig r(kSensors[0]);
    r.plot->setIntervalMs(20);
    r.click("btnPlotStart");
    QVERIFY(r.plot->isPolling());
    // What the adapter choice does: another adapter in place, then the frame told.
    auto other = std::make_unique<tp::sim::SimulatedAdapter>();
    tp::sim::SimulatedAdapter* second = other.get();
    tp::sim::registerStandardChips(*second);
    std::unique_ptr<tp::Adapter> first = r.bench.state->exchangeAdapter(std::move(other));
    r.bench.main->adapterChanged();
    QVERIFY(!r.plot->isPolling());
    QCOMPARE(r.plot->stateText(), QStringLiteral("Stopped: the adapter changed"));
    QTest::qWait(100);
    QVERIFY(second->log().transfers().empty());
    // The bench goes back before the fixture ends, as it would on a choice of it.
    r.bench.state->exchangeAdapter(std::move(first)).reset();
    r.bench.main->adapterChanged();
}

void TestTemperaturePlot::pauseAndClear()
{
    Rig r(kSensors[1]);
    r.click("btnPlotStart");
    r.now += 2000;
    r.plot->pollNow();
    r.click("btnPlotPause");
    QCOMPARE(r.plot->channelSeries(0)->count(), 2);
    QVERIFY(child<QPushButton>(r.plot, "btnPlotExport")->isEnabled());
    // Polling again goes on with the same trace and time axis.
    r.now += 3000;
    r.click("btnPlotStart");
    QCOMPARE(r.plot->trace().samples().back().seconds, 5.0);
    r.click("btnPlotPause");
    r.click("btnPlotClear");
    QVERIFY(r.plot->trace().empty());
    QCOMPARE(r.plot->channelSeries(0)->count(), 0);
    QVERIFY(!child<QPushButton>(r.plot, "btnPlotExport")->isEnabled());
    r.now += 7000;
    r.click("btnPlotStart");
    QCOMPARE(r.plot->trace().samples().front().seconds, 0.0); // time starts afresh
    r.plot->stop(QString());
}

void TestTemperaturePlot::exportWritesTheTraceThroughATemporaryFile()
{
    Rig r(kSensors[2]);
    r.measure({25, -3});
    r.click("btnPlotStart");
    r.measure({26, -2});
    r.now += 1500;
    r.plot->pollNow();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    r.now += 1500;
    r.plot->pollNow();
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.csv");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older, longer file that the export replaces whole\n");
    }
    r.bench.dialogs.files.append(path);
    r.click("btnPlotExport");
    const ScriptedDialogs::Call call = r.bench.dialogs.of("save").last();
    QCOMPARE(call.request.defaultSuffix, QStringLiteral("csv"));
    QCOMPARE(call.request.fileName, QStringLiteral("NE1617(A) temperatures.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()),
             QStringLiteral("Time (UTC),Seconds,Internal (\u00B0C),External (\u00B0C),Note\r\n"
                            "2024-05-01T12:00:00.000Z,0.000,25.000,-3.000,\r\n"
                            "2024-05-01T12:00:01.500Z,1.500,26.000,-2.000,\r\n"
                            "2024-05-01T12:00:03.000Z,3.000,,,Read failed: Address not acknowledged\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"trace.csv"}); // no temporary left
    QCOMPARE(r.plot->stateText(), QStringLiteral("Saved 3 sample(s) to trace.csv"));
    // Cancelling the dialog writes nothing.
    r.click("btnPlotExport");
    QCOMPARE(r.bench.dialogs.of("save").size(), 2);
}

void TestTemperaturePlot::exportFailureLeavesTheOldFile()
{
    Rig r(kSensors[3]);
    r.click("btnPlotStart");
    r.plot->stop(QString());
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/trace.csv"); // a folder that does not exist
    r.bench.dialogs.files.append(path);
    r.click("btnPlotExport");
    QCOMPARE(r.bench.dialogs.of("error").size(), 1);
    QVERIFY(!QFile::exists(path));
}

void TestTemperaturePlot::plotShowsTracesAndLimits()
{
    Rig r(kSensors[0]);
    r.measure({30});
    r.click("btnPlotStart");
    r.measure({31.5});
    r.now += 1000;
    r.plot->pollNow();
    r.click("btnPlotPause");
    QLineSeries* t = r.plot->channelSeries(0);
    QCOMPARE(t->count(), 2);
    QCOMPARE(t->at(1), QPointF(1.0, 31.5));
    QLineSeries* tos = r.plot->limitSeries("Tos");
    QVERIFY(tos);
    QCOMPARE(tos->count(), 2);
    QCOMPARE(tos->at(0).y(), 80.0);
    // The axis follows the readings with a margin, and holds the limits
    // only when asked to.
    auto* y = qobject_cast<QValueAxis*>(r.plot->chart()->axes(Qt::Vertical).first());
    QVERIFY(!child<QCheckBox>(r.plot, "chbPlotLimits")->isChecked());
    QVERIFY(y->max() < 75.0 && y->min() < 30.0 && y->max() > 31.5);
    QTest::mouseClick(child<QCheckBox>(r.plot, "chbPlotLimits"), Qt::LeftButton, {},
                      QPoint(6, child<QCheckBox>(r.plot, "chbPlotLimits")->height() / 2));
    QVERIFY(y->max() >= 80.0 && y->min() <= 30.0);
    // Moving a limit in the window shows the edit apart until it is written.
    QTest::mouseClick(child<QWidget>(r.w, "spnTOSUp"), Qt::LeftButton);
    QCOMPARE(r.plot->limitSeries("Tos")->at(1).y(), 80.0);
    QCOMPARE(r.plot->limitSeries(TemperaturePlot::editedName("Tos"))->at(1).y(), 80.5);
    r.bench.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    saveShot(r.bench.main.get(), "plot-lm75a");
}

void TestTemperaturePlot::axisLabelsFitAtFullAndHalfWidth_data()
{
    QTest::addColumn<int>("sensor");
    QTest::addColumn<int>("width");
    for (int i = 0; i < kSensors.size(); ++i)
        for (int width : {1280, 640})
            QTest::addRow("%s at %d", qPrintable(kSensors[i].windowClass), width) << i << width;
}

// Qt Charts elides every label of an axis whose labels crowd, leaving "..."
// where the temperatures should be.
void TestTemperaturePlot::axisLabelsFitAtFullAndHalfWidth()
{
    QFETCH(int, sensor);
    QFETCH(int, width);
    Rig r(kSensors[sensor]);
    r.bench.main->resize(width, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    QCoreApplication::processEvents();
    QChart* chart = r.plot->chart();
    const QRectF area = chart->plotArea();
    auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).first());
    auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).first());
    auto labels = [](QValueAxis* a) {
        return int(std::floor((a->max() - a->min()) / a->tickInterval() + 1e-9)) + 1;
    };
    const QFontMetrics fm(y->labelsFont());
    QVERIFY2(labels(y) * (fm.height() + 4) <= area.height(),
             qPrintable(QStringLiteral("%1 labels in %2 px").arg(labels(y)).arg(area.height())));
    QVERIFY2(labels(x) * (fm.horizontalAdvance(QStringLiteral("-000")) + 8) <= area.width(),
             qPrintable(QStringLiteral("%1 labels in %2 px").arg(labels(x)).arg(area.width())));
    QVERIFY(area.height() >= 120);
}

TALLYPORT_TEST_MAIN(TestTemperaturePlot)
#include "tst_temperature_plot.moc"
