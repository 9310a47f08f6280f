// How exactly the expert mode's message delays are kept: the actual length
// of 1 ms and 10 ms busy waits, straight and through the frame's uSeconds,
// against the 20 us the delays may be off by.
#include "core/adapter/Clock.h"
#include "tests/support/TestBench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

TfrmMain* g_main = nullptr;

template <class Wait> void measure(benchmark::State& state, Wait wait)
{
    using clock = std::chrono::steady_clock;
    const auto requested = static_cast<std::uint64_t>(state.range(0));
    std::vector<double> errors;
    errors.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto t0 = clock::now();
        wait(requested);
        const auto t1 = clock::now();
        const double actualUs = std::chrono::duration<double, std::micro>(t1 - t0).count();
        errors.push_back(actualUs - static_cast<double>(requested));
        state.SetIterationTime(actualUs / 1e6);
    }
    std::sort(errors.begin(), errors.end());
    double sum = 0;
    for (double e : errors)
        sum += e;
    const auto at = [&](double q) { return errors[static_cast<std::size_t>(q * static_cast<double>(errors.size() - 1))]; };
    const double within = static_cast<double>(std::count_if(errors.begin(), errors.end(),
                                                            [](double e) { return e >= -20.0 && e <= 20.0; }));
    state.counters["err_mean_us"] = sum / static_cast<double>(errors.size());
    state.counters["err_median_us"] = at(0.5);
    state.counters["err_p99_us"] = at(0.99);
    state.counters["err_max_us"] = errors.back();
    state.counters["err_min_us"] = errors.front();
    state.counters["within_20us"] = within / static_cast<double>(errors.size());
}

void BM_busyWaitUs(benchmark::State& state)
{
    measure(state, [](std::uint64_t us) { tp::busyWaitUs(us); });
}

void BM_uSeconds(benchmark::State& state)
{
    measure(state, [](std::uint64_t us) { g_main->uSeconds(us); });
}

} // namespace

BENCHMARK(BM_busyWaitUs)->Arg(1000)->Iterations(500)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_busyWaitUs)->Arg(10000)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_uSeconds)->Arg(1000)->Iterations(500)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_uSeconds)->Arg(10000)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    tallyportTestSetup();
    TallyportApplication app(argc, argv);
    TestBench bench; // a frame on the simulated bench, as the expert window uses it
    g_main = bench.main.get();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
