#pragma once
#include "core/adapter/Adapter.h"

#include <cstdint>
#include <functional>

namespace tp {

// Lets `us` microseconds pass: real time on hardware, the bench's own clock
// on the simulated bench.
void waitUs(Adapter& adapter, std::uint64_t us);

// A chip busy with a non-volatile write cycle acknowledges nothing: address
// it with nothing to say, every `intervalUs`, until it acknowledges or
// `limitUs` have passed on the adapter's clock. Returns the last poll's
// status, or TimeOut when the chip never came back (`timedOut` then says
// so): a chip stuck in its write cycle is no address fault.
// An adapter that sends no message without data polls with a one-byte read,
// which changes nothing in the chip.
Status awaitAcknowledge(Adapter& adapter, std::uint8_t address, std::uint64_t limitUs, std::uint64_t intervalUs,
                        bool* timedOut = nullptr);

// Repeats `attempt` every `intervalUs` while the chip does not acknowledge
// its address, until `deadline` on the adapter's clock (then TimeOut); the
// way to poll with the next write itself, as Linux's at24 driver does.
Status untilAcknowledged(Adapter& adapter, std::uint64_t deadline, std::uint64_t intervalUs,
                         const std::function<Status()>& attempt, bool* timedOut = nullptr);

} // namespace tp
