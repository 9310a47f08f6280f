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
// is open over closed.
void openVersusClosed(benchmark::State& st, void (TMemoryForm::*operation)())
{
    Rig closed(false);
    Rig open(true);
    using Clock = std::chrono::steady_clock;
    Clock::duration tClosed{}, tOpen{};
    for (auto _ : st) {
        auto t0 = Clock::now();
        (closed.w->*operation)();
        settle(closed.w, nullptr);
        auto t1 = Clock::now();
        (open.w->*operation)();
        settle(open.w, open.log);
        auto t2 = Clock::now();
        tClosed += t1 - t0;
        tOpen += t2 - t1;
    }
    st.counters["ratio"] = double(tOpen.count()) / double(tClosed.count());
    st.counters["closed_ms"] = std::chrono::duration<double, std::milli>(tClosed).count() / double(st.iterations());
    st.counters["open_ms"] = std::chrono::duration<double, std::milli>(tOpen).count() / double(st.iterations());
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
