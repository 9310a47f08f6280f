#include "gui/devices/thermal/ThermalForm.h"
#include "tests/support/TestBench.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtCharts/QLineSeries>

using tp::sim::Fault;

class TestLimitLines : public QObject {
    Q_OBJECT
private slots:
    void linesShowWhatTheChipHolds_data();
    void linesShowWhatTheChipHolds();
};

void TestLimitLines::linesShowWhatTheChipHolds_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("control"); // a spin box, or up/down buttons ("...Up" is clicked)
    QTest::addColumn<int>("value");       // for a spin box; clicks for buttons
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<double>("chip");
    QTest::addColumn<double>("edited");
    QTest::newRow("LM75A Tos") << "LM75A  Digital Temperature Sensor"
                               << "TfrmLM75A"
                               << "spnTOS" << 3 << "btnWriteTOS"
                               << "Tos" << 80.0 << 81.5;
    QTest::newRow("SA56004 local T_CRIT") << "SA56004 1\u00B0C Digital Temperature Sensor"
                                          << "TfrmSA56004"
                                          << "spnLCS" << 0x50 << "btnWriteLocalTCRIT"
                                          << "Local T_CRIT" << 85.0 << 80.0;
    QTest::newRow("SA56004 remote high") << "SA56004 1\u00B0C Digital Temperature Sensor"
                                         << "TfrmSA56004"
                                         << "spnRHSHB" << 0x50 << "btnWriteRemoteTempLimits"
                                         << "Remote high" << 70.0 << 80.0;
    QTest::newRow("SE98 upper trip") << "SE98 SO-DIMM Temperature Sensor"
                                     << "TfrmSE98"
                                     << "spnUBTH" << 0x05 << "btnWriteUBT"
                                     << "Upper" << 0.0 << 80.0;
}

void TestLimitLines::linesShowWhatTheChipHolds()
{
    QFETCH(QString, entry);
    QFETCH(QString, windowClass);
    QFETCH(QString, control);
    QFETCH(int, value);
    QFETCH(QString, write);
    QFETCH(QString, limit);
    QFETCH(double, chip);
    QFETCH(double, edited);
    TestBench b;
    b.main->deviceAction(entry)->trigger();
    auto* w = qobject_cast<TThermalForm*>(b.main->windowReference(windowClass));
    QVERIFY(w);
    TemperaturePlot* plot = w->plot();
    const QString pending = TemperaturePlot::editedName(limit);
    auto edit = [&] {
        if (auto* spin = w->findChild<QSpinBox*>(control))
            spin->setValue(value);
        else
            for (int i = 0; i < value; ++i)
                child<QToolButton>(w, control + "Up")->click();
    };
    QCOMPARE(*plot->limit(limit), chip);
    QVERIFY(!plot->limitSeries(pending));

    // An edit not written: the chip's line stays; the edit shows apart, named so.
    edit();
    QCOMPARE(*plot->limit(limit), chip);
    QCOMPARE(*plot->limit(pending), edited);
    QCOMPARE(plot->limitSeries(pending)->name(), limit + " (not written)");
    QCOMPARE(plot->limitSeries(pending)->pen().style(), Qt::DashLine);

    // A failed write changes nothing the chip holds.
    b.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    child<QPushButton>(w, write)->click();
    QCOMPARE(*plot->limit(limit), chip);
    QCOMPARE(*plot->limit(pending), edited);

    // Written: one line, where the chip has it now.
    child<QPushButton>(w, write)->click();
    QCOMPARE(*plot->limit(limit), edited);
    QVERIFY(!plot->limit(pending));
    QVERIFY(!plot->limitSeries(pending));
}

TALLYPORT_TEST_MAIN(TestLimitLines)
#include "tst_limit_lines.moc"
