#include "core/devices/ports/Pcf857x.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

namespace tp::sim {

void registerStandardChips(SimulatedAdapter& bench)
{
    // A plain 256-register chip with auto-increment, for raw bus work.
    bench.registerType("Register256", [] { return std::make_unique<RegisterChip>("Register256", 256); });

    using namespace tp::pcf857x;
    bench.registerType(kPcf8574, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8574, 1); });
    bench.registerType(kPcf8574A, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8574A, 1); });
    bench.registerType(kPcf8575, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8575, 2); });
}

} // namespace tp::sim
