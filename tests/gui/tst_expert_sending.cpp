#include "core/sim/EepromChip.h"
#include "tests/gui/ExpertFixture.h"

#include <QTimer>

using tp::expert::MessageTable;

class TestExpertSending : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<ExpertFixture>(); }
    void cleanup() { f.reset(); }

    void writeThenReadIsOneTransaction_data();
    void writeThenReadIsOneTransaction();
    void sendMessage_data();
    void sendMessage();
    void eepromWriteCycleEndsWhileTheUserWaits();
    void sequenceOrderAndDelays();
    void skippedRowsStillLabelled();
    void failingStatusEndsTheRun();
    void sendAllWithoutDataIsDone();
    void badDelayReportsAndRearms();

    void continuousRunUntilStopped();
    void continuousEmptySequenceStaysResponsive();
    void continuousRunEndsOnFailingStatus();
    void continuousRunEndsOnBadSequence();

private:
    // Clicks the continuous button; `during` runs from the event loop
    // while the run turns, then the button is clicked again to stop it.
    void runContinuously(const std::function<void()>& during = {});
    std::unique_ptr<ExpertFixture> f;
};

void TestExpertSending::runContinuously(const std::function<void()>& during)
{
    QPushButton* run = f->button("btnSendContinuous");
    bool stopped = false;
    // Timers on the stack: none of them outlives this function.
    QTimer duringTimer, stopTimer, watchdog;
    for (QTimer* t : {&duringTimer, &stopTimer, &watchdog})
        t->setSingleShot(true);
    connect(&duringTimer, &QTimer::timeout, this, [&] {
        if (during)
            during();
    });
    connect(&stopTimer, &QTimer::timeout, this, [&] {
        stopped = true;
        QTest::mouseClick(run, Qt::LeftButton);
    });
    // Should the loop not end, this ends it and the test fails below.
    connect(&watchdog, &QTimer::timeout, this, [&] { run->click(); });
    duringTimer.start(20);
    stopTimer.start(40);
    watchdog.start(5000);
    QTest::mouseClick(run, Qt::LeftButton); // returns when the loop ends
    QVERIFY(stopped);
    QVERIFY(watchdog.isActive());
}

void TestExpertSending::writeThenReadIsOneTransaction_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("send all") << "btnSendAll";
    QTest::newRow("send sequence") << "btnSequence";
}

void TestExpertSending::writeThenReadIsOneTransaction()
{
    QFETCH(QString, button);
    f->load("Expert Mode Data File\r\n"
            "A0,Write,No,0,01,Comments: register pointer\r\n"
            "A0,Read,Yes,0,FF,FF,Comments: two bytes from there\r\n"
            "Sequence:01,02\r\n");
    f->bench.clearLog();
    QTest::mouseClick(f->button(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), (QStringList{"W A0 01", "Sr R A0 22 33"}));
    QCOMPARE(f->shown(1, MessageTable::Data), QString("22,33")); // the bytes read, beside their message
    QCOMPARE(f->bench.statusText(), QString("Transmission successful"));
    QCOMPARE(f->label("lblSending"), button == "btnSendAll" ? QString("Done") : QString("Sending Msg # 2"));
    QVERIFY(!f->w->table().modified());
}

void TestExpertSending::sendMessage_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("transfers");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("data");

    QTest::newRow("write") << 0 << QStringList{"W A0 02 AB"} << "Transmission successful" << "02,AB";
    QTest::newRow("read shows its bytes") << 1 << QStringList{"R A0 11 22 33"} << "Transmission successful"
                                          << "11,22,33";
    QTest::newRow("empty address: nothing") << 2 << QStringList{} << "" << "01";
    QTest::newRow("no chip: status, table kept") << 3 << QStringList{"R 50"} << "  Address not acknowledged"
                                                 << "FF";
    QTest::newRow("empty data is still sent") << 4 << QStringList{"W A0"} << "Transmission successful" << "";
}

void TestExpertSending::sendMessage()
{
    QFETCH(int, row);
    QFETCH(QStringList, transfers);
    QFETCH(QString, status);
    QFETCH(QString, data);
    f->load("Expert Mode Data File\r\n"
            "A0,Write,No,0,02,AB\r\n"
            "A0,Read,Yes,0,FF,FF,FF\r\n"
            ",Write,Yes,0,01\r\n"
            "50,Read,Yes,0,FF\r\n"
            "A0,Write,Yes,0,\r\n");
    f->bench.clearLog();
    f->w->setActiveRow(row);
    QTest::mouseClick(f->button("btnSendMessage"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), transfers);
    QCOMPARE(f->bench.statusText(), status);
    QCOMPARE(f->shown(row, MessageTable::Data), data);
    QCOMPARE(f->label("lblSending"), QString("Idle"));
}

void TestExpertSending::eepromWriteCycleEndsWhileTheUserWaits()
{
    std::uint64_t wallNs = 1'000'000'000;
    f->bench.sim->setWallClock([&wallNs] { return wallNs; });
    auto& chip = static_cast<tp::sim::EepromChip&>(
        f->bench.sim->place(0xA4, std::make_unique<tp::sim::EepromChip>(tp::sim::EepromChip::typical(256))));
    f->load("Expert Mode Data File\r\n"
            "A4,Write,Yes,0,10,5A\r\n"
            "A4,Write,Yes,0,10\r\n");
    f->w->setActiveRow(0);
    QTest::mouseClick(f->button("btnSendMessage"), Qt::LeftButton);
    QCOMPARE(f->bench.statusText(), QString("Transmission successful"));
    f->w->setActiveRow(1);
    QTest::mouseClick(f->button("btnSendMessage"), Qt::LeftButton);
    QCOMPARE(f->bench.statusText(), QString("  Address not acknowledged")); // in its write cycle

    // The user looks at the result a while before the next click.
    wallNs += 5'000'000;
    QTest::mouseClick(f->button("btnSendMessage"), Qt::LeftButton);
    QCOMPARE(f->bench.statusText(), QString("Transmission successful"));
    QCOMPARE(chip.byte(0x10), std::uint8_t(0x5A));
}

void TestExpertSending::sequenceOrderAndDelays()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,5,00,01\r\n"
            ",,,,\r\n"
            "A0,Write,Yes,20,00,03\r\n"
            "Sequence:03,01\r\n");
    f->bench.clearLog();
    QTest::mouseClick(f->button("btnSequence"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), (QStringList{"W A0 00 03", "W A0 00 01"}));
    // Each message is followed by its own delay, waited through the frame
    // (which also moves the bench's clock on by it).
    const auto log = f->bench.sim->log().transfers();
    const std::uint64_t between = log[1].busUs - log[0].busUs;
    QVERIFY2(between >= 20000 && between < 21000, qPrintable(QString::number(between)));
    QVERIFY(f->bench.sim->nowUs() - log[1].busUs >= 5000);
    QCOMPARE(f->label("lblSending"), QString("Sending Msg # 1"));
}

void TestExpertSending::skippedRowsStillLabelled()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,0,00,01\r\n"
            "A0,Write,Yes,0,\r\n"
            "Sequence:01,02\r\n");
    f->bench.clearLog();
    QTest::mouseClick(f->button("btnSequence"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), QStringList{"W A0 00 01"});
    QCOMPARE(f->label("lblSending"), QString("Sending Msg # 2"));
}

void TestExpertSending::failingStatusEndsTheRun()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,0,00,01\r\n"
            "52,Write,Yes,0,00,02\r\n"
            "A0,Write,Yes,0,00,03\r\n"
            "Sequence:01,02,03\r\n");
    f->bench.clearLog();
    QTest::mouseClick(f->button("btnSequence"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), (QStringList{"W A0 00 01", "W 52"}));
    QCOMPARE(f->bench.statusText(), QString("  Address not acknowledged"));
    QCOMPARE(f->label("lblSending"), QString("Sending Msg # 1"));

    // The first message is not acknowledged at its second byte.
    f->bench.clearLog();
    tp::sim::Fault nack;
    nack.kind = tp::sim::Fault::Kind::DataNack;
    nack.byteIndex = 1;
    f->bench.sim->inject(nack);
    QTest::mouseClick(f->button("btnSendAll"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), QStringList{"W A0 00"});
    QCOMPARE(f->bench.statusText(), QString("  Data not acknowledged"));
    QCOMPARE(f->label("lblSending"), QString("Sending Msg# 1"));
}

void TestExpertSending::sendAllWithoutDataIsDone()
{
    f->bench.clearLog();
    QTest::mouseClick(f->button("btnSendAll"), Qt::LeftButton);
    QCOMPARE(f->bench.transfers(), QStringList{});
    QCOMPARE(f->label("lblSending"), QString("Done"));
}

void TestExpertSending::badDelayReportsAndRearms()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,,00,01\r\n"
            "A0,Write,Yes,0,00,02\r\n");
    f->bench.clearLog();
    QPushButton* all = f->button("btnSendAll");
    QTest::mouseClick(all, Qt::LeftButton);
    QCOMPARE(f->bench.dialogs.texts("error"), QStringList{"'' is not a valid integer value."});
    QCOMPARE(f->bench.transfers(), QStringList{"W A0 00 01"});
    QVERIFY(!all->signalsBlocked());
    f->w->table().setCell(0, MessageTable::Delay, "0");
    QTest::mouseClick(all, Qt::LeftButton);
    QCOMPARE(f->label("lblSending"), QString("Done"));
}

// ------------------------------------------------------------------ continuous

void TestExpertSending::continuousRunUntilStopped()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,0,00,01\r\n"
            "A0,Read,Yes,0,FF\r\n"
            "A0,Write,Yes,0,00,09,Comments: only Send All sends this\r\n"
            "Sequence:01,02\r\n");
    f->bench.clearLog();
    QPushButton* run = f->button("btnSendContinuous");
    QPointer<TfrmMessage> w = f->w;
    QString captionDuring;
    runContinuously([&] {
        captionDuring = run->text();
        // Neither the window's Close nor the frame's closing gets through.
        f->action("mnuClose")->trigger();
        f->bench.main->close();
        QTest::mouseClick(f->button("btnSendAll"), Qt::LeftButton); // no run inside the run
    });
    QCOMPARE(captionDuring, QString("Stop Sequencing"));
    QCOMPARE(run->text(), QString("Send Continuously"));
    QCOMPARE(f->bench.dialogs.texts("information"),
             (QStringList{"Please press the Stop Sequencing button", "Please press the Stop Sequencing button"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w);
    QVERIFY(f->bench.main->isVisible());

    const QStringList t = f->bench.transfers();
    QVERIFY2(t.size() >= 4, qPrintable(t.join('|')));
    for (int i = 0; i < t.size(); ++i)
        QCOMPARE(t[i], i % 2 ? QString("R A0 22") : QString("W A0 00 01"));
    QCOMPARE(f->shown(1, MessageTable::Data), QString("22"));
    QCOMPARE(f->label("lblSending"), QString("Sending Msg # 2"));

    // Stopped, the window closes again.
    f->action("mnuClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w);
}

void TestExpertSending::continuousEmptySequenceStaysResponsive()
{
    f->bench.clearLog();
    bool ran = false;
    runContinuously([&] { ran = f->w->continuousRunActive(); });
    QVERIFY(ran); // the event loop got control while the empty run turned
    QCOMPARE(f->button("btnSendContinuous")->text(), QString("Send Continuously"));
    QCOMPARE(f->bench.transfers(), QStringList{});
    QCOMPARE(f->label("lblSending"), QString("Idle"));
}

void TestExpertSending::continuousRunEndsOnFailingStatus()
{
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,0,00,01\r\n"
            "52,Write,Yes,0,00\r\n"
            "Sequence:01,02,01\r\n");
    f->bench.clearLog();
    QPushButton* run = f->button("btnSendContinuous");
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [run] { run->click(); });
    watchdog.start(5000);
    QTest::mouseClick(run, Qt::LeftButton);
    QVERIFY(watchdog.isActive()); // ended by itself
    QCOMPARE(run->text(), QString("Send Continuously"));
    QCOMPARE(f->bench.transfers(), (QStringList{"W A0 00 01", "W 52"}));
    QCOMPARE(f->bench.statusText(), QString("  Address not acknowledged"));
}

void TestExpertSending::continuousRunEndsOnBadSequence()
{
    f->load("Expert Mode Data File\r\nA0,Write,Yes,0,00,01\r\nSequence:01,x1\r\n");
    f->bench.clearLog();
    QPushButton* run = f->button("btnSendContinuous");
    QTest::mouseClick(run, Qt::LeftButton);
    QCOMPARE(f->bench.dialogs.texts("error"), QStringList{"'x1' is not a valid integer value."});
    // The loop has ended, and the button says so.
    QCOMPARE(run->text(), QString("Send Continuously"));
    QVERIFY(!f->w->continuousRunActive());
    QCOMPARE(f->bench.transfers(), QStringList{"W A0 00 01"});
}

TALLYPORT_TEST_MAIN(TestExpertSending)
#include "tst_expert_sending.moc"
