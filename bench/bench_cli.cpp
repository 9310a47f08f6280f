// tallyport-cli's eeprom write on the simulated bench: the modelled bus time
// of a 64 KB write (with and without its verify) against the least the job
// needs, pages x tWR + the bus time of the data bytes (9 bits each), and
// against the same job done the way the memory window does it (MemoryBus,
// then the window's verify). The tool must add nothing: within 1.05 x the
// limit, and the same time as the window.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/memory/ChipVerify.h"
#include "core/memory/FileBytes.h"
#include "core/memory/MemoryBus.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SimulatedAdapter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

using namespace tp;

namespace {

constexpr std::size_t kSize = 65536;

std::vector<std::uint8_t> pattern()
{
    std::vector<std::uint8_t> b(kSize);
    for (std::size_t i = 0; i < kSize; ++i)
        b[i] = static_cast<std::uint8_t>(i * 151u + (i >> 8));
    return b;
}

const std::string& imageFile()
{
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "tallyport-bench-cli-64k.bin";
        FileBytes::replace(p.string(), pattern());
        return p.string();
    }();
    return path;
}

sim::EepromChip::Params chipParams()
{
    return sim::EepromChip::typical(kSize); // 128-byte pages, 5 ms write cycle
}

double limitMs(unsigned kHz, bool verify)
{
    const double pages = double(kSize / chipParams().pageSize);
    const double dataMs = double(kSize) * 9.0 / kHz;
    return pages * double(chipParams().writeCycleUs) / 1000.0 + dataMs * (verify ? 2 : 1);
}

void report(benchmark::State& state, double modelledMs, double limit)
{
    state.counters["bus_ms"] = modelledMs;
    state.counters["limit_ms"] = limit;
    state.counters["ratio"] = modelledMs / limit;
    if (modelledMs > 1.05 * limit)
        state.SkipWithError("modelled bus time exceeds 1.05 x (pages x tWR + bus time)");
}

void cliWrite(benchmark::State& state, bool verify, unsigned kHz)
{
    std::ostringstream out, err;
    cli::Console console{out, err};
    cli::EepromOptions o;
    o.action = "write";
    o.size = "64K";
    o.pageSize = static_cast<unsigned>(chipParams().pageSize);
    o.writeTimeMs = 5;
    o.noVerify = !verify;
    o.file = imageFile();
    cli::BusOptions bus;
    bus.adapter = "bench";
    double modelledMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        cli::Session session(bus, console);
        session.bench()->setBusFrequency(kHz);
        session.bench()->place(0xA0, std::make_unique<sim::EepromChip>(chipParams()));
        const std::uint64_t t0 = session.bench()->nowUs();
        state.ResumeTiming();
        const int rc = cli::eepromCommand(session, o, console);
        modelledMs = double(session.bench()->nowUs() - t0) / 1000.0;
        if (rc != cli::kOk) {
            state.SkipWithError(("eeprom write failed: " + err.str()).c_str());
            return;
        }
    }
    report(state, modelledMs, limitMs(kHz, verify));
}

// The memory window's Write All (and Verify) on the same chip.
void windowWrite(benchmark::State& state, bool verify, unsigned kHz)
{
    const std::vector<std::uint8_t> data = pattern();
    MemoryImage image(kSize);
    image.display(0, data);
    MemoryDevice device;
    device.size = kSize;
    device.pageSize = chipParams().pageSize;
    device.writeTimeMs = 5;
    double modelledMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sim::SimulatedAdapter bench;
        bench.setBusFrequency(kHz);
        bench.place(0xA0, std::make_unique<sim::EepromChip>(chipParams()));
        MemoryBus bus(bench, device);
        const std::uint64_t t0 = bench.nowUs();
        state.ResumeTiming();
        bool ok = bus.writeAll(data).ok();
        if (ok && verify)
            ok = verifyChip(bus, image).bus.ok();
        modelledMs = double(bench.nowUs() - t0) / 1000.0;
        if (!ok) {
            state.SkipWithError("write failed");
            return;
        }
    }
    report(state, modelledMs, limitMs(kHz, verify));
}

void BM_CliWrite64K_100kHz(benchmark::State& s) { cliWrite(s, true, 100); }
void BM_CliWriteNoVerify64K_100kHz(benchmark::State& s) { cliWrite(s, false, 100); }
void BM_WindowWrite64K_100kHz(benchmark::State& s) { windowWrite(s, true, 100); }
void BM_CliWrite64K_400kHz(benchmark::State& s) { cliWrite(s, true, 400); }
void BM_CliWriteNoVerify64K_400kHz(benchmark::State& s) { cliWrite(s, false, 400); }
void BM_WindowWrite64K_400kHz(benchmark::State& s) { windowWrite(s, true, 400); }

} // namespace

BENCHMARK(BM_CliWrite64K_100kHz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliWriteNoVerify64K_100kHz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowWrite64K_100kHz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliWrite64K_400kHz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliWriteNoVerify64K_400kHz)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowWrite64K_400kHz)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
