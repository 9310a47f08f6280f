// A 64 KB EEPROM over a remote bus against the same on the local bench:
// tallyport-cli serving the bench through exec:, each reply held back 0, 1
// or 20 ms (serve --latency) as a slow link would. Counters: round trips,
// and the time against the local operation's in the same run.
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/memory/MemoryBus.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>

using namespace tp;

namespace {

constexpr std::size_t kSize = 65536;

std::vector<std::uint8_t> image()
{
    std::vector<std::uint8_t> b(kSize);
    for (std::size_t i = 0; i < kSize; ++i)
        b[i] = static_cast<std::uint8_t>(i * 151u + (i >> 8));
    return b;
}

MemoryDevice device()
{
    MemoryDevice d;
    d.size = kSize;
    d.pageSize = sim::EepromChip::typical(kSize).pageSize;
    d.writeTimeMs = 5;
    return d;
}

enum class Op { ReadAll, WriteAll };

double once(Adapter& adapter, Op op)
{
    MemoryBus bus(adapter, device());
    const auto data = image();
    const auto t0 = std::chrono::steady_clock::now();
    bool ok = false;
    if (op == Op::WriteAll) {
        ok = bus.writeAll(data).ok();
    } else {
        std::vector<std::uint8_t> back;
        ok = bus.readAll(back).ok();
    }
    if (!ok)
        throw std::runtime_error("the transfer failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The local bench's time for each operation, measured once per run.
double localSeconds(Op op)
{
    static std::map<Op, double> measured;
    if (!measured.count(op)) {
        sim::SimulatedAdapter bench;
        sim::registerStandardChips(bench);
        once(bench, Op::WriteAll); // the chip is placed and holds the image
        measured[op] = once(bench, op);
    }
    return measured[op];
}

void remoteBus(benchmark::State& state, Op op)
{
    const int latencyMs = static_cast<int>(state.range(0));
    std::string error;
    const std::string spec = std::string("exec:") + TALLYPORT_CLI + " serve --adapter bench --latency " +
                             std::to_string(latencyMs);
    auto board = remote::RemoteAdapter::open(*remote::RemoteTarget::parse(spec, &error), &error);
    if (!board) {
        state.SkipWithError(error.c_str());
        return;
    }
    once(*board, Op::WriteAll); // place the chip and fill it
    const double local = localSeconds(op);
    double seconds = 0;
    std::uint64_t trips = 0;
    for (auto _ : state) {
        const std::uint64_t before = board->requests();
        const double s = once(*board, op);
        state.SetIterationTime(s);
        seconds += s;
        trips += board->requests() - before;
    }
    const double n = double(state.iterations());
    state.counters["round_trips"] = double(trips) / n;
    state.counters["local_ms"] = local * 1000;
    state.counters["x_local"] = seconds / n / local;
}

} // namespace

BENCHMARK_CAPTURE(remoteBus, read_all_64k, Op::ReadAll)
    ->Arg(0)->Arg(1)->Arg(20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(remoteBus, write_all_64k, Op::WriteAll)
    ->Arg(0)->Arg(1)->Arg(20)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
