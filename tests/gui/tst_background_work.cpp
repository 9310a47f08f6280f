#include "gui/common/BackgroundPoll.h"
#include "gui/devices/thermal/ThermalForm.h"
#include "tests/support/TestBench.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtCharts/QScatterSeries>

using tp::sim::Fault;

namespace {

// A window that polls in the background: a sensor's plot or the clock's watch.
struct Poller {
    QWidget* w = nullptr;

    void start()
    {
        if (auto* t = qobject_cast<TThermalForm*>(w))
            t->plot()->btnPlotStartClick();
        else
            child<QPushButton>(w, "btnWatch")->click();
    }
    void tick()
    {
        if (auto* t = qobject_cast<TThermalForm*>(w))
            t->plot()->pollNow();
        else
            w->findChild<BackgroundPoll*>()->tickNow();
    }
    bool running() const
    {
        if (auto* t = qobject_cast<TThermalForm*>(w))
            return t->plot()->isPolling();
        return child<QPushButton>(w, "btnWatch")->isChecked();
    }
};

void activate(TestBench& b, QWidget* w)
{
    b.main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
    QCOMPARE(b.main->mdiArea()->currentSubWindow()->widget(), w);
}

} // namespace

class TestBackgroundWork : public QObject {
    Q_OBJECT
private slots:
    void failureStaysWithItsWindow_data();
    void failureStaysWithItsWindow();
};

void TestBackgroundWork::failureStaysWithItsWindow_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("windowClass");
    QTest::newRow("LM75A") << "LM75A  Digital Temperature Sensor"
                           << "TfrmLM75A";
    QTest::newRow("SA56004") << "SA56004 1\u00B0C Digital Temperature Sensor"
                             << "TfrmSA56004";
    QTest::newRow("NE1617") << "NE1617(A)  Temperature monitor"
                            << "TfrmNE1617";
    QTest::newRow("SE98") << "SE98 SO-DIMM Temperature Sensor"
                          << "TfrmSE98";
    QTest::newRow("PCF8563 watch") << "Real Time Clocks/PCF8563"
                                   << "TfrmPCF8563";
}

void TestBackgroundWork::failureStaysWithItsWindow()
{
    QFETCH(QString, entry);
    QFETCH(QString, windowClass);
    TestBench b;
    b.main->show();
    b.main->deviceAction(entry)->trigger();
    Poller poller{b.main->windowReference(windowClass)};
    QVERIFY(poller.w);
    poller.start();
    QVERIFY(poller.running());

    // Another window is active: its status line is not the poll's to write.
    b.main->deviceAction("PCA9532 16-bit LED Dimmer")->trigger();
    QWidget* other = b.main->windowReference("TfrmPCA9532");
    activate(b, other);
    tp::StatusMessage mine;
    mine.text = " the other window's message";
    b.main->showStatus(mine);
    b.clearLog();
    b.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    poller.tick();
    QVERIFY(!poller.running());
    QCOMPARE(b.statusText(), QStringLiteral(" the other window's message"));
    QVERIFY(!b.transfers().isEmpty()); // the bus log has the failed read
    if (auto* t = qobject_cast<TThermalForm*>(poller.w))
        QCOMPARE(t->plot()->failureSeries()->count(), 1); // the poll's own window marks it

    // Active, the window shows its poll's failure itself.
    activate(b, poller.w);
    poller.start();
    QVERIFY(poller.running());
    b.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    poller.tick();
    QVERIFY(!poller.running());
    QCOMPARE(b.statusText(), QStringLiteral("  Address not acknowledged"));
}

TALLYPORT_TEST_MAIN(TestBackgroundWork)
#include "tst_background_work.moc"
