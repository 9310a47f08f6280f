#include "core/sim/ThermalChips.h"
#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/Ne1617.h"
#include "core/devices/thermal/Sa56004.h"
#include "core/devices/thermal/Se98.h"
#include "core/sim/Lm75aChip.h"
#include "core/sim/Ne1617Chip.h"
#include "core/sim/Sa56004Chip.h"
#include "core/sim/Se98Chip.h"
#include "core/sim/SimulatedAdapter.h"

namespace tp::sim {

namespace {

void registerAll(SimulatedAdapter& bench, bool drift)
{
    // Amplitudes and periods differ per channel so two traces never move in step.
    bench.registerType(lm75a::kChipType, [drift] {
        auto c = std::make_unique<Lm75aChip>();
        if (drift)
            c->source().drift(4.0, 240, 0.0);
        return c;
    });
    bench.registerType(sa56004::kChipType, [drift] {
        auto c = std::make_unique<Sa56004Chip>();
        if (drift) {
            c->local().drift(2.0, 300, 1.0);
            c->remote().drift(8.0, 180, 2.0);
        }
        return c;
    });
    bench.registerType(ne1617::kChipType, [drift] {
        auto c = std::make_unique<Ne1617Chip>();
        if (drift) {
            c->internal().drift(3.0, 260, 0.5);
            c->external().drift(10.0, 200, 1.5);
        }
        return c;
    });
    bench.registerType(se98::kChipType, [drift] {
        auto c = std::make_unique<Se98Chip>();
        if (drift)
            c->source().drift(5.0, 220, 2.5);
        return c;
    });
}

} // namespace

void registerThermalChips(SimulatedAdapter& bench)
{
    registerAll(bench, false);
}

void letThermalChipsDrift(SimulatedAdapter& bench)
{
    registerAll(bench, true);
}

} // namespace tp::sim
