// Bus efficiency of the memory transfers on the simulated bench at 400 kHz:
// the modelled bus time of each operation against the least the bus needs
// for the same bytes (9 bit times per byte, plus the write cycles).
#include "core/memory/MemoryBus.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SerialRamChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace tp;
using namespace tp::sim;

namespace {

constexpr std::size_t kSize = 65536;
constexpr unsigned kBusKHz = 400;

double pureBusMs(std::size_t bytes) { return double(bytes) * 9.0 / kBusKHz; }

std::vector<std::uint8_t> image()
{
    std::vector<std::uint8_t> b(kSize);
    for (std::size_t i = 0; i < kSize; ++i)
        b[i] = static_cast<std::uint8_t>(i * 151u + (i >> 8));
    return b;
}

struct Setup {
    SimulatedAdapter sim;
    SerialMemoryChip* chip;
    MemoryDevice device;

    explicit Setup(bool eeprom)
    {
        sim.setWallClock([] { return std::uint64_t(0); }); // bus time alone, the same on every run
        sim.setBusFrequency(kBusKHz);
        device.size = kSize;
        device.eeprom = eeprom;
        if (eeprom) {
            EepromChip::Params p = EepromChip::typical(kSize); // 128-byte pages, 5 ms
            device.pageSize = p.pageSize;
            chip = static_cast<SerialMemoryChip*>(&sim.place(0xA0, std::make_unique<EepromChip>(p)));
        } else {
            chip = static_cast<SerialMemoryChip*>(&sim.place(0xA0, std::make_unique<SerialRamChip>(kSize)));
        }
        const auto data = image();
        for (std::size_t i = 0; i < kSize; ++i)
            chip->setByte(i, data[i]);
    }
};

enum class Op { ReadAll, Verify, WriteAll };

void run(benchmark::State& state, bool eeprom, Op op)
{
    Setup s(eeprom);
    MemoryBus bus(s.sim, s.device);
    const auto data = image();
    std::vector<std::uint8_t> out;
    double modelledMs = 0;
    for (auto _ : state) {
        s.sim.log().clear();
        const std::uint64_t t0 = s.sim.nowUs();
        MemoryBusResult r = op == Op::ReadAll ? bus.readAll(out) : op == Op::Verify ? bus.verify(data) : bus.writeAll(data);
        modelledMs = double(s.sim.nowUs() - t0) / 1000.0;
        if (!r.ok()) {
            state.SkipWithError("transfer failed");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }

    double limitMs = pureBusMs(kSize);
    double allowedPct = 2.0;
    if (op == Op::WriteAll && eeprom) {
        const double pages = double(kSize / s.device.pageSize);
        limitMs += pages * double(EepromChip::typical(kSize).writeCycleUs) / 1000.0;
        allowedPct = 5.0;
    }
    const double overheadPct = (modelledMs / limitMs - 1.0) * 100.0;
    state.counters["bus_ms"] = modelledMs;
    state.counters["limit_ms"] = limitMs;
    state.counters["overhead_pct"] = overheadPct;
    state.counters["allowed_pct"] = allowedPct;
    state.counters["transfers"] = double(s.sim.log().transfers().size());
    if (overheadPct > allowedPct)
        state.SkipWithError(("modelled bus time " + std::to_string(modelledMs) + " ms exceeds the limit by " +
                             std::to_string(overheadPct) + " %")
                                .c_str());
}

void BM_EepromReadAll64K(benchmark::State& state) { run(state, true, Op::ReadAll); }
void BM_EepromVerify64K(benchmark::State& state) { run(state, true, Op::Verify); }
void BM_EepromWriteAll64K(benchmark::State& state) { run(state, true, Op::WriteAll); }
void BM_RamWriteAll64K(benchmark::State& state) { run(state, false, Op::WriteAll); }

} // namespace

BENCHMARK(BM_EepromReadAll64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EepromVerify64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EepromWriteAll64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RamWriteAll64K)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
