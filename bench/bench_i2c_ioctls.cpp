// System calls of the i2c-dev backend for whole-memory transfers, counted
// against the fake kernel: Read All and Write All of a 256-byte (24C02, one
// address byte, 16-byte pages) and a 64 KB (24C512, two address bytes,
// 128-byte pages) EEPROM, on a full I2C adapter (I2C_RDWR) and on an
// SMBus-only one with I2C block transfers (as i2c-stub). Counters per
// operation: transfer ioctls (I2C_RDWR / I2C_SMBUS), all ioctls, and the
// data bytes each transfer ioctl carries on average.
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/memory/MemoryBus.h"
#include "tests/support/FakeI2cKernel.h"

#include <benchmark/benchmark.h>

#include <linux/i2c.h>

using namespace tp;

namespace {

constexpr unsigned long kFullI2c = I2C_FUNC_I2C | I2C_FUNC_SMBUS_EMUL;
constexpr unsigned long kStubFuncs = I2C_FUNC_SMBUS_QUICK | I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA |
                                     I2C_FUNC_SMBUS_WORD_DATA | I2C_FUNC_SMBUS_I2C_BLOCK;

enum Path { I2c = 0, Smbus = 1 };
enum Op { ReadAll = 0, WriteAll = 1 };

void run(benchmark::State& state)
{
    const auto path = static_cast<Path>(state.range(0));
    const auto size = static_cast<std::size_t>(state.range(1));
    const auto op = static_cast<Op>(state.range(2));

    FakeSysfs sysfs;
    FakeI2cHost host;
    FakeI2cBus& bus = host.bus(sysfs.addBus(1, path == I2c ? "i2c-tiny-usb" : "SMBus stub driver"));
    bus.funcs = path == I2c ? kFullI2c : kStubFuncs;
    MemoryDevice device;
    device.size = size;
    device.pageSize = size > 2048 ? 128 : 16;
    device.writeTimeMs = 5;
    for (std::size_t block = 0; block < (size > 2048 ? 1 : size / 256); ++block) {
        FakeI2cBus::Chip& chip = bus.chip(0x50 + static_cast<int>(block));
        chip.memory.assign(size > 2048 ? size : 256, 0x5A);
        chip.addressBytes = size > 2048 ? 2 : 1;
    }
    auto adapter = LinuxI2cAdapter::open("i2c-1", nullptr, nullptr, sysfs.environment(host));
    MemoryBus memory(*adapter, device);
    std::vector<std::uint8_t> data(size, 0xA5), back;

    std::size_t transfers = 0, all = 0;
    for (auto _ : state) {
        bus.clearTrace();
        const MemoryBusResult r = op == ReadAll ? memory.readAll(back) : memory.writeAll(data);
        if (!r.ok())
            state.SkipWithError("transfer failed");
        transfers = bus.transferIoctls;
        all = bus.allIoctls;
        adapter->log().clear();
    }
    state.counters["transfer_ioctls"] = double(transfers);
    state.counters["all_ioctls"] = double(all);
    state.counters["bytes_per_ioctl"] = double(size) / double(transfers ? transfers : 1);
    state.SetLabel(std::string(path == I2c ? "I2C_RDWR" : "SMBus") +
                   (op == ReadAll ? " Read All " : " Write All ") + (size > 2048 ? "64 KB" : "256 B"));
}

} // namespace

BENCHMARK(run)
    ->ArgNames({"smbus", "bytes", "write"})
    ->ArgsProduct({{I2c, Smbus}, {256, 65536}, {ReadAll, WriteAll}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
