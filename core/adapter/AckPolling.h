#pragma once
#include "core/adapter/Adapter.h"

#include <cstdint>

namespace tp {

// Lets `us` microseconds pass: real time on hardware, the bench's own clock
// on the simulated bench.
void waitUs(Adapter& adapter, std::uint64_t us);

// A chip busy with a non-volatile write cycle acknowledges nothing: address
// it with nothing to say, every `intervalUs`, until it acknowledges or
// `limitUs` have passed on the adapter's clock. Returns the last poll's
// status (AddressNack when the chip never came back: `timedOut` then says so).
Status awaitAcknowledge(Adapter& adapter, std::uint8_t address, std::uint64_t limitUs, std::uint64_t intervalUs,
                        bool* timedOut = nullptr);

} // namespace tp
