#include "core/sim/RegisterChip.h"
#include "core/sim/SimulatedAdapter.h"

namespace tp::sim {

void registerStandardChips(SimulatedAdapter& bench)
{
    // A plain 256-register chip with auto-increment, for raw bus work.
    bench.registerType("Register256", [] { return std::make_unique<RegisterChip>("Register256", 256); });
}

} // namespace tp::sim
