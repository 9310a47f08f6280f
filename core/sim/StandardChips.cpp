#include "core/devices/led/LedMember.h"
#include "core/devices/ports/Pca9541.h"
#include "core/devices/ports/Pcf857x.h"
#include "core/devices/rtc/Pcf8563.h"
#include "core/memory/Pca9500.h"
#include "core/sim/ChannelSwitchChip.h"
#include "core/sim/DipSwitchChip.h"
#include "core/sim/EepromChip.h"
#include "core/sim/IoExpanderChip.h"
#include "core/sim/LedDriverChip.h"
#include "core/sim/MasterSelectorChip.h"
#include "core/sim/Pcf8563Chip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/RegisterChip.h"
#include "core/sim/Saa1064Chip.h"
#include "core/sim/SerialRamChip.h"
#include "core/sim/SimulatedAdapter.h"
#include "core/sim/ThermalChips.h"

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

    // Multiplexers, switches, the master selector and the non-volatile register chips.
    for (auto mux : {pca954x::Mux::PCA9540, pca954x::Mux::PCA9542, pca954x::Mux::PCA9544})
        bench.registerType(pca954x::info(mux).chipType, [mux] { return std::make_unique<ChannelSwitchChip>(mux); });
    for (auto sw : {pca954x::Switch::PCA9543, pca954x::Switch::PCA9545, pca954x::Switch::PCA9546,
                    pca954x::Switch::PCA9548})
        bench.registerType(pca954x::info(sw).chipType, [sw] { return std::make_unique<ChannelSwitchChip>(sw); });
    bench.registerType(pca9541::kChipType, [] { return std::make_unique<MasterSelectorChip>(); });
    for (const DipSwitchChip::Params& p :
         {DipSwitchChip::pca8550(), DipSwitchChip::pca9559(), DipSwitchChip::pca9560(), DipSwitchChip::pca9561()})
        bench.registerType(p.type, [p] { return std::make_unique<DipSwitchChip>(p); });

    // LED dimmers and blinkers, by chip name ("PCA9532"), and the SAA1064.
    for (const led::Member& m : led::members())
        bench.registerType(m.chip, [&m] { return std::make_unique<LedDriverChip>(m); });
    bench.registerType("SAA1064", [] { return std::make_unique<Saa1064Chip>(); });
    // The register I/O expanders, "PCA9534" .. "PCA9557", at their power-on values.
    for (const std::string& type : IoExpanderChip::types())
        bench.registerType(type, [type] { return std::make_unique<IoExpanderChip>(type); });
    registerThermalChips(bench);

    bench.registerType(pcf8563::kChipType, [] { return std::make_unique<Pcf8563Chip>(); });

    // The PCA9500/PCA9501 answer at two addresses: a port like the PCF8574's
    // and a 256-byte EEPROM with the chip's own page size.
    for (auto v : {pca9500::Variant::Pca9500, pca9500::Variant::Pca9501}) {
        const std::string port = pca9500::portType(v);
        bench.registerType(port, [port] { return std::make_unique<QuasiBidirectionalPort>(port, 1); });
        EepromChip::Params ee{pca9500::kEepromSize, pca9500::pageSize(v), 5000, pca9500::eepromType(v)};
        bench.registerType(ee.type, [ee] { return std::make_unique<EepromChip>(ee); });
    }
}

} // namespace tp::sim
