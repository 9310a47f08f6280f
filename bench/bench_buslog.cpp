// The bus log's cost: appending one message (the log records every message
// whether a window shows it or not), and a 64 KB memory's Read All and
// Write All with the bus log window open and closed. The window takes in
// new messages on a timer, in one batch, so the transfer itself should not
// notice it; the "ratio" counters say how much the whole operation,
// including the window's catching up and repainting, costs more with it.
#include "core/adapter/BusLog.h"
#include "core/sim/RegisterChip.h"
#include "gui/bus/TfrmBusLog.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "tests/support/TestBench.h"

#include <QTableView>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void BM_LogAppend(benchmark::State& st)
{
    tp::BusLog log;
    tp::BusLogEntry e;
    e.address = 0xA0;
    e.bytes = {0x00, 0x10};
    e.length = 2;
    // range(0): 0 an empty log; 1 a full ring, so every append also drops the oldest.
    if (st.range(0)) {
        for (std::size_t i = 0; i < tp::BusLog::kDefaultCapacity; ++i)
            log.add(e);
    }
    std::uint64_t t = 0;
    for (auto _ : st) {
        e.timeUs = ++t;
        e.transaction = t;
        log.add(e);
    }
    st.SetItemsProcessed(st.iterations());
    st.counters["held"] = double(log.size());
}

void BM_LogAppendFromAdapter(benchmark::State& st)
{
    // The whole path of a message: transaction, bench chip, log.
    TestBench b(false);
    b.sim->place(0x40, std::make_unique<tp::sim::RegisterChip>("R", 8));
    std::uint8_t v = 0;
    for (auto _ : st)
        b.sim->write(0x40, {0x01, v++});
    st.SetItemsProcessed(st.iterations());
}

const QString kEntry = QStringLiteral("EEPROM/64K x 8 (512K bit)");

void settle(TMemoryForm* w, TfrmBusLog* log)
{
    if (log) {
        log->refresh(); // what its timer does at the next tick
        log->grdLog->viewport()->repaint();
    }
    w->stgMemory->viewport()->repaint();
    w->stgText->viewport()->repaint();
    QCoreApplication::processEvents();
}

struct Rig {
    TestBench b{true};
    TMemoryForm* w = nullptr;
    TfrmBusLog* log = nullptr;

    explicit Rig(bool withLog)
    {
        w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
        if (withLog) {
            b.main->mnuBusLogClick();
            log = b.main->busLogWindow();
        }
        w->mnuCheckerBoardClick();
        settle(w, log);
    }
};

void readAll(benchmark::State& st, bool withLog)
{
    Rig r(withLog);
    for (auto _ : st) {
        r.w->btnReadClick();
        settle(r.w, r.log);
    }
    st.counters["messages"] = double(r.b.sim->log().size());
}

void writeAll(benchmark::State& st, bool withLog)
{
    Rig r(withLog);
    for (auto _ : st) {
        r.w->btnWriteClick();
        settle(r.w, r.log);
    }
    st.counters["messages"] = double(r.b.sim->log().size());
}

void BM_ReadAll64K_LogClosed(benchmark::State& st) { readAll(st, false); }
void BM_ReadAll64K_LogOpen(benchmark::State& st) { readAll(st, true); }
void BM_WriteAll64K_LogClosed(benchmark::State& st) { writeAll(st, false); }
void BM_WriteAll64K_LogOpen(benchmark::State& st) { writeAll(st, true); }

// Both in turn within one run, so machine load hits them alike; the ratio
// is open over closed. The window catches up on its timer (every 100 ms,
// longer while that is costly), so an operation pays for the ticks that
// fall within it: the bench plays the timer's part (its own is stopped, or
// the closed run's event processing would pay for it). "op_ratio" is the
// operation alone, without painting. The LogOpen runs above show the worst
// case, a catch-up and repaint after every operation.
void openVersusClosed(benchmark::State& st, void (TMemoryForm::*operation)())
{
    using Clock = std::chrono::steady_clock;
    Rig closed(false);
    Rig open(true);
    for (QTimer* t : open.log->findChildren<QTimer*>())
        t->stop();
    Clock::duration tClosed{}, tOpen{}, tClosedOp{}, tOpenOp{};
    Clock::time_point lastTick = Clock::now();
    const auto runClosed = [&] {
        const auto t0 = Clock::now();
        (closed.w->*operation)();
        const auto t1 = Clock::now();
        settle(closed.w, nullptr);
        tClosedOp += t1 - t0;
        tClosed += Clock::now() - t0;
    };
    const auto runOpen = [&] {
        const auto t0 = Clock::now();
        (open.w->*operation)();
        const auto t1 = Clock::now();
        const bool tick = t1 - lastTick >= std::chrono::milliseconds(open.log->refreshInterval());
        settle(open.w, tick ? open.log : nullptr);
        const auto t2 = Clock::now();
        if (tick)
            lastTick = t2;
        tOpenOp += t1 - t0;
        tOpen += t2 - t0;
    };
    bool openFirst = false;
    for (auto _ : st) {
        // Taking turns at going first, so neither gains from the other's warm caches.
        if (openFirst) {
            runOpen();
            runClosed();
        } else {
            runClosed();
            runOpen();
        }
        openFirst = !openFirst;
    }
    st.counters["ratio"] = double(tOpen.count()) / double(tClosed.count());
    st.counters["op_ratio"] = double(tOpenOp.count()) / double(tClosedOp.count());
    st.counters["closed_ms"] = std::chrono::duration<double, std::milli>(tClosed).count() / double(st.iterations());
    st.counters["open_ms"] = std::chrono::duration<double, std::milli>(tOpen).count() / double(st.iterations());
    st.counters["interval_ms"] = open.log->refreshInterval();
}

void BM_ReadAll64K_OpenVersusClosed(benchmark::State& st) { openVersusClosed(st, &TMemoryForm::btnReadClick); }
void BM_WriteAll64K_OpenVersusClosed(benchmark::State& st) { openVersusClosed(st, &TMemoryForm::btnWriteClick); }

} // namespace

BENCHMARK(BM_LogAppend)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_LogAppendFromAdapter)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ReadAll64K_LogClosed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAll64K_LogOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAll64K_LogClosed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAll64K_LogOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAll64K_OpenVersusClosed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriteAll64K_OpenVersusClosed)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    tallyportTestSetup();
    TallyportApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
