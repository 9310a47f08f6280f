#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/bus/TfrmBusLog.h"
#include "gui/common/GuiBusRunner.h"
#include "gui/devices/thermal/TemperaturePlot.h"
#include "gui/devices/thermal/ThermalForm.h"
#include "tests/support/TestBench.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QPushButton>

using tp::sim::QuasiBidirectionalPort;

namespace {

// A port expander whose transfers the bench makes slow, a temperature
// sensor window beside it, and the bus log.
struct Rig {
    TestBench bench;
    QWidget* port = nullptr;
    TThermalForm* sensor = nullptr;
    TfrmBusLog* log = nullptr;

    Rig()
    {
        bench.sim->place(0x40, std::make_unique<QuasiBidirectionalPort>("PCF8574", 1));
        bench.main->deviceAction("PCF8574  8-bit I/O Expander")->trigger();
        port = bench.main->windowReference("TfrmPCF8574");
        bench.main->deviceAction("LM75A  Digital Temperature Sensor")->trigger();
        sensor = qobject_cast<TThermalForm*>(bench.main->windowReference("TfrmLM75A"));
        bench.main->mnuBusLogClick();
        log = bench.main->busLogWindow();
        bench.sim->expectChip("LM75A", 0x90);
        bench.clearLog();
    }
    QPushButton* button(QWidget* w, const QString& name) { return child<QPushButton>(w, name); }
    // Transfers to the sensor (0x90) in the log.
    int sensorTransfers() const { return bench.transfers().filter(QRegularExpression("^[WR] 9[01]")).size(); }
};

} // namespace

class TestBusRunner : public QObject {
    Q_OBJECT
private slots:
    void inputWaitsWhileTheBusWorks();
    void backgroundPollsSkipTheirTurn();
    void workAskedForMeanwhileWaitsItsTurn();
};

void TestBusRunner::inputWaitsWhileTheBusWorks()
{
    Rig r;
    r.bench.sim->setTransferDelayUs(400000);
    auto* box = r.sensor->findChild<QCheckBox*>();
    auto* list = r.sensor->findChild<QComboBox*>();
    QVERIFY(box && list && list->count() > 1);
    const bool boxBefore = box->isChecked();
    const int listBefore = list->currentIndex();
    QMdiSubWindow* sensorFrame = qobject_cast<QMdiSubWindow*>(r.sensor->parentWidget());
    QVERIFY(sensorFrame);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    bool during = false;
    QTimer::singleShot(100, r.port, [&] {
        during = GuiBusRunner::busy();
        // Held: another window's buttons and keys, closing a window.
        QTest::mouseClick(r.button(r.sensor, "btnReadAll"), Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        sensorFrame->close();
        // Live: the bus log.
        QTest::mouseClick(r.log->btnPause, Qt::LeftButton);
    });
    QTest::mouseClick(r.button(r.port, "btnPCF8574Read"), Qt::LeftButton);
    ticker.stop();

    QVERIFY(during);
    QVERIFY(!GuiBusRunner::busy());
    QVERIFY(ticks > 5); // the event loop kept turning while the transfer ran
    QCOMPARE(r.bench.transfers(), QStringList{"R 40 FF"});
    QCOMPARE(box->isChecked(), boxBefore);
    QCOMPARE(list->currentIndex(), listBefore);
    QVERIFY(r.bench.main->windowReference("TfrmLM75A"));
    QVERIFY(r.log->btnPause->isChecked());

    // Afterwards the same input goes through.
    r.bench.sim->setTransferDelayUs(0);
    QTest::mouseClick(r.button(r.sensor, "btnReadAll"), Qt::LeftButton);
    QVERIFY(r.sensorTransfers() > 0);
}

void TestBusRunner::backgroundPollsSkipTheirTurn()
{
    Rig r;
    TemperaturePlot* plot = r.sensor->plot();
    plot->setIntervalMs(20);
    QTest::mouseClick(r.button(plot, "btnPlotStart"), Qt::LeftButton);
    const std::size_t polled = plot->trace().samples().size();
    QVERIFY(polled > 0);
    r.bench.clearLog();
    // Another window's reads take a while; the plot's timer comes round meanwhile.
    r.bench.sim->setTransferDelayUs(150000);
    int turns = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] { turns += GuiBusRunner::busy(); });
    watch.start(20);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(r.button(r.port, "btnPCF8574Read"), Qt::LeftButton);
    watch.stop();
    QVERIFY(turns > 3);
    QCOMPARE(r.sensorTransfers(), 0);
    QCOMPARE(plot->trace().samples().size(), polled);
    QVERIFY(plot->isPolling()); // skipped, not stopped
    r.bench.sim->setTransferDelayUs(0);
    QTRY_VERIFY(plot->trace().samples().size() > polled);
    QTest::mouseClick(r.button(plot, "btnPlotPause"), Qt::LeftButton);
}

void TestBusRunner::workAskedForMeanwhileWaitsItsTurn()
{
    Rig r;
    r.bench.sim->setTransferDelayUs(200000);
    bool nestedDone = false;
    // Work that no input started (a timer's) waits its turn behind the transfer under way.
    QTimer::singleShot(50, r.port, [&] {
        std::uint8_t buffer[2] = {};
        r.bench.main->I2CReadByte(0x90, 0, buffer, 1);
        nestedDone = true;
    });
    QTest::mouseClick(r.button(r.port, "btnPCF8574Read"), Qt::LeftButton);
    QVERIFY(nestedDone);
    // One transaction at a time: the sensor's pointer write and its read
    // stay together, before or after the port's read.
    const QStringList t = r.bench.transfers();
    QCOMPARE(t.size(), 3);
    const int pointer = t.indexOf(QStringLiteral("W 90 00"));
    QVERIFY(pointer == 0 || pointer == 1);
    QVERIFY2(t.at(pointer + 1).startsWith("Sr R 90"), qPrintable(t.join(" | ")));
    QVERIFY(t.contains(QStringLiteral("R 40 FF")));
}

TALLYPORT_TEST_MAIN(TestBusRunner)
#include "tst_bus_runner.moc"
