// The 64 KB memory window as a user meets it: open and show, then the
// operations that touch every cell, each with the repaint that follows.
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "tests/support/TestBench.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kEntry = QStringLiteral("EEPROM/64K x 8 (512K bit)");

void settle(TMemoryForm* w)
{
    w->stgMemory->viewport()->repaint();
    w->stgText->viewport()->repaint();
    QCoreApplication::processEvents();
}

void BM_OpenAndShow64K(benchmark::State& st)
{
    TestBench b(false);
    for (auto _ : st) {
        auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
        settle(w);
        st.PauseTiming();
        b.main->closeAllChildren();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        st.ResumeTiming();
    }
}

void BM_FillAll64K(benchmark::State& st)
{
    TestBench b(false);
    auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
    settle(w);
    int v = 0;
    for (auto _ : st) {
        w->edtFillWith->setText(QString::number(v++ % 200 + 16, 16).toUpper());
        w->btnFill->click();
        settle(w);
    }
}

void BM_Checkerboard64K(benchmark::State& st)
{
    TestBench b(false);
    auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
    settle(w);
    bool inv = false;
    for (auto _ : st) {
        inv ? w->mnuInvCheckerBoardClick() : w->mnuCheckerBoardClick();
        inv = !inv;
        settle(w);
    }
}

void BM_Copy32K(benchmark::State& st)
{
    TestBench b(false);
    auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
    w->mnuCheckerBoardClick();
    settle(w);
    for (auto _ : st) {
        w->btnCopyClick(); // 0000..7FFF onto 8000..FFFF, the window's defaults
        settle(w);
    }
}

void BM_ReadAllIntoGrid64K(benchmark::State& st)
{
    TestBench b(true);
    auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(kEntry));
    settle(w);
    for (auto _ : st) {
        w->btnReadClick();
        settle(w);
    }
}

} // namespace

BENCHMARK(BM_OpenAndShow64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAll64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Checkerboard64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy32K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllIntoGrid64K)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    tallyportTestSetup();
    TallyportApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
