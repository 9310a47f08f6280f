// Time from nothing to a shown, painted main frame on the simulated bench.
#include "core/sim/SimulatedAdapter.h"
#include "gui/app/TallyportApplication.h"
#include "gui/app/TfrmMain.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_FrameShown(benchmark::State& st)
{
    for (auto _ : st) {
        {
            auto bench = std::make_unique<tp::sim::SimulatedAdapter>();
            tp::sim::registerStandardChips(*bench);
            tp::AppState state(std::move(bench));
            TfrmMain frame(state);
            frame.show();
            frame.repaint();
            QCoreApplication::processEvents();
            st.PauseTiming(); // destruction is not start-up
        }
        st.ResumeTiming();
    }
}
BENCHMARK(BM_FrameShown)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TallyportApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
