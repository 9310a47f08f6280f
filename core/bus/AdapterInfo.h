#pragma once
#include "core/adapter/Adapter.h"
#include "core/bus/BusScan.h"

#include <optional>
#include <string>

namespace tp::scan {

// The i2c bus number of a Linux adapter; nothing for the bench.
std::optional<int> linuxBusNumber(const Adapter& adapter);

// What a scan of `adapter` needs to know: the probes it can send (from the
// adapter's functionality on Linux), the addresses kernel drivers hold,
// and whether it is a PC's SMBus controller. The bench can send both
// probes and has no drivers.
Setup setupFor(const Adapter& adapter, Range range = Range::Normal);

} // namespace tp::scan
