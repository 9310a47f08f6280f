#include "core/devices/ports/Pcf857x.h"
#include "core/devices/led/LedMember.h"
#include "core/sim/EepromChip.h"
#include "core/sim/LedDriverChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/Saa1064Chip.h"
#include "core/sim/SerialRamChip.h"
#include "core/sim/SimulatedAdapter.h"

namespace tp::sim {

void registerStandardChips(SimulatedAdapter& bench)
{
    // A plain 256-register chip with auto-increment, for raw bus work.
    bench.registerType("Register256", [] { return std::make_unique<RegisterChip>("Register256", 256); });

    // Memory windows ask for "EEPROM <size>" and "RAM <size>" (size in bytes,
    // decimal) at their "Address"; the models take typical datasheet values.
    for (std::size_t size : SerialMemoryChip::kSizes) {
        bench.registerType(EepromChip::typeName(size),
                           [size] { return std::make_unique<EepromChip>(EepromChip::typical(size)); });
        bench.registerType(SerialRamChip::typeName(size), [size] { return std::make_unique<SerialRamChip>(size); });
    }
    using namespace tp::pcf857x;
    bench.registerType(kPcf8574, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8574, 1); });
    bench.registerType(kPcf8574A, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8574A, 1); });
    bench.registerType(kPcf8575, [] { return std::make_unique<QuasiBidirectionalPort>(kPcf8575, 2); });
    // LED dimmers and blinkers, by chip name ("PCA9532"), and the SAA1064.
    for (const led::Member& m : led::members())
        bench.registerType(m.chip, [&m] { return std::make_unique<LedDriverChip>(m); });
    bench.registerType("SAA1064", [] { return std::make_unique<Saa1064Chip>(); });
}

} // namespace tp::sim
