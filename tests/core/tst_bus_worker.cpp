#include "core/adapter/BusWorker.h"
#include "core/common/Errors.h"
#include "core/devices/thermal/PlotDecimator.h"
#include "core/memory/MemoryBus.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <QtTest>

#include <atomic>
#include <numeric>
#include <set>
#include <cmath>
#include <thread>

using namespace tp;
using tp::thermal::PlotDecimator;

namespace {

// Runs everything on a worker and waits, as the interface's runner does
// without an event loop; counts what it was asked for.
struct WaitingRunner : BusRunner {
    BusWorker worker;
    int runs = 0;
    void run(const std::function<void()>& work) override
    {
        ++runs;
        auto job = worker.post(work);
        job->wait();
        job->rethrow();
    }
};

} // namespace

class TestBusWorker : public QObject {
    Q_OBJECT
private slots:
    void workRunsInOrderOnOneThread();
    void errorsComeBackToTheCaller();
    void transfersAndWholeOperationsGoToTheWorker();
    void logTakesEntriesWhileItIsRead();
    void decimatorKeepsPeaksInFewPoints_data();
    void decimatorKeepsPeaksInFewPoints();
    void decimatorTakesAClockSetBack();
};

void TestBusWorker::workRunsInOrderOnOneThread()
{
    BusWorker worker;
    std::vector<int> order;
    std::set<std::thread::id> threads;
    std::vector<std::shared_ptr<const BusWorker::Job>> jobs;
    for (int i = 0; i < 50; ++i)
        jobs.push_back(worker.post([&, i] {
            order.push_back(i);
            threads.insert(std::this_thread::get_id());
            QVERIFY(worker.isWorkerThread());
        }));
    jobs.back()->wait();
    for (auto& j : jobs)
        QVERIFY(j->done());
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    QCOMPARE(order, expected);
    QCOMPARE(threads.size(), std::size_t(1));
    QVERIFY(*threads.begin() != std::this_thread::get_id());
    QVERIFY(!worker.busy());
}

void TestBusWorker::errorsComeBackToTheCaller()
{
    WaitingRunner runner;
    BusRunnerScope scope(&runner);
    QVERIFY_THROWS_EXCEPTION(Error, onBus([] { throw Error("Read beyond end of file"); }));
    // The worker goes on with the next piece.
    bool ran = false;
    onBus([&] { ran = true; });
    QVERIFY(ran);
}

void TestBusWorker::transfersAndWholeOperationsGoToTheWorker()
{
    sim::SimulatedAdapter bench;
    sim::registerStandardChips(bench);
    WaitingRunner runner;
    std::thread::id seen;
    bench.log().onEntry = [&](const BusLogEntry&) { seen = std::this_thread::get_id(); };
    {
        BusRunnerScope scope(&runner);
        std::vector<std::uint8_t> out;
        bench.writeRead(0x90, {0}, 2, out); // nobody there: still a transaction
        QCOMPARE(runner.runs, 1);
        QVERIFY(seen != std::this_thread::get_id());

        MemoryDevice d;
        d.size = 2048;
        d.address = 0xA0;
        d.eeprom = true;
        d.pageSize = 16;
        MemoryBus bus(bench, d);
        std::vector<std::uint8_t> image(2048, 0x5A);
        runner.runs = 0;
        QVERIFY(bus.writeAll(image).ok());
        QVERIFY(bus.readAll(out).ok());
        // Each a single piece of bus work, however many transfers it took.
        QCOMPARE(runner.runs, 2);
        QCOMPARE(out, image);
    }
    // Without a runner, where it is asked for.
    bench.log().clear();
    std::vector<std::uint8_t> out;
    bench.read(0xA0, 1, out);
    QCOMPARE(seen, std::this_thread::get_id());
    bench.log().onEntry = nullptr;
}

void TestBusWorker::logTakesEntriesWhileItIsRead()
{
    // The worker adds, the ring drops, the log window reads: nothing read
    // is ever half an entry or one the ring let go.
    BusLog log;
    log.setCapacity(64);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (std::uint64_t i = 0; !stop; ++i) {
            BusLogEntry e;
            e.timeUs = i;
            e.transaction = log.nextTransaction();
            e.address = 0xA0;
            e.bytes.assign(std::size_t(i % 40), std::uint8_t(i));
            e.length = e.bytes.size();
            log.add(e);
        }
    });
    std::size_t looked = 0;
    while (looked < 20000) {
        const std::uint64_t first = log.firstNumber(), end = log.endNumber();
        for (std::uint64_t n = first; n < end; ++n, ++looked) {
            const BusLogEntry e = log.entry(n);
            if (e.address == 0)
                continue; // gone meanwhile: an empty entry, never a wrong one
            QCOMPARE(e.bytes.size(), std::size_t(e.timeUs % 40));
            for (std::uint8_t b : e.bytes)
                QCOMPARE(b, std::uint8_t(e.timeUs));
        }
    }
    stop = true;
    writer.join();
    QVERIFY(log.size() <= 64);
}

void TestBusWorker::decimatorKeepsPeaksInFewPoints_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("slices");
    QTest::newRow("three seconds") << 6 << 800;
    QTest::newRow("three hours at 0.5 s") << 21600 << 800;
    QTest::newRow("narrow plot") << 5000 << 50;
}

void TestBusWorker::decimatorKeepsPeaksInFewPoints()
{
    QFETCH(int, samples);
    QFETCH(int, slices);
    PlotDecimator d(std::size_t(slices), 0.25);
    // What a series holds when it applies each change where add() says.
    std::vector<PlotDecimator::Point> mirror;
    const int spikeAt = samples / 3;
    for (int i = 0; i < samples; ++i) {
        const double y = i == spikeAt ? 99.0 : i == spikeAt + 1 ? -40.0 : 25.0 + std::sin(i * 0.01);
        const std::size_t from = d.add(i * 0.5, y);
        QVERIFY(from <= mirror.size());
        mirror.resize(from);
        mirror.insert(mirror.end(), d.points().begin() + long(from), d.points().end());
        if (from > 0) // constant work: a point or two at the end
            QVERIFY(d.points().size() - from <= 2);
    }
    const auto& pts = d.points();
    QCOMPARE(mirror.size(), pts.size());
    for (std::size_t k = 0; k < pts.size(); ++k) {
        QCOMPARE(mirror[k].x, pts[k].x);
        QCOMPARE(mirror[k].y, pts[k].y);
        if (k)
            QVERIFY(pts[k - 1].x <= pts[k].x);
    }
    QVERIFY(pts.size() <= std::size_t(2 * slices));
    if (samples <= slices)
        QCOMPARE(pts.size(), std::size_t(samples)); // few points: each its own
    QCOMPARE(pts.front().x, 0.0);
    QCOMPARE(pts.back().x, (samples - 1) * 0.5);
    // The spike and the dip are drawn, not averaged away.
    QVERIFY(std::any_of(pts.begin(), pts.end(), [](auto p) { return p.y == 99.0; }));
    QVERIFY(std::any_of(pts.begin(), pts.end(), [](auto p) { return p.y == -40.0; }));
    QCOMPARE(d.maxY(), 99.0);
    QCOMPARE(d.minY(), -40.0);
}

void TestBusWorker::decimatorTakesAClockSetBack()
{
    PlotDecimator d(100, 1.0);
    for (int i = 0; i < 500; ++i)
        d.add(i, 20);
    d.add(3.0, 30); // the wall clock went back
    QCOMPARE(d.points().back().x, 499.0);
    QCOMPARE(d.points().back().y, 30.0);
    QVERIFY(d.points().size() <= 200);
}

QTEST_GUILESS_MAIN(TestBusWorker)
#include "tst_bus_worker.moc"
