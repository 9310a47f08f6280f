#pragma once
#include "core/sim/SimulatedAdapter.h"

#include <string>
#include <string_view>

namespace tp::sim {

// The text that keeps a bench's chips (where they sit and what they hold)
// between runs, so successive programs meet the same chips:
//
//   Tallyport bench state 2
//   windows fixed               no chips placed for windows (default: place)
//   fault data-nack,address=A0,byte=5   an armed fault (FaultText, 8-bit address)
//   chip A0 EEPROM 65536        8-bit address, then the chip type
//   placed                      placed by the bench for a window (may be set aside)
//   aside                       set aside, not on the bus
//   behind 0 2                  on channel 2 of chip number 0 (counted from 0)
//   field counter 0             the model's state fields (ChipModel::saveState)
//   temperature 0 41.5          what a sensor measures: degrees, or "wander"
//
// Files of version 1 (no faults, windows or temperatures) still read.
// The clock is not kept.
class BenchState {
public:
    static constexpr const char* kHeader = "Tallyport bench state 2";
    static constexpr const char* kHeaderVersion1 = "Tallyport bench state 1";

    static std::string save(const SimulatedAdapter& bench);
    // Replaces the bench's chips, faults and window placing by the text's.
    // Throws FileError, naming the line, for a text that is not a bench
    // state, a type the bench cannot make or a field that does not fit; the
    // bench is unchanged then.
    static void restore(SimulatedAdapter& bench, std::string_view text);
};

} // namespace tp::sim
