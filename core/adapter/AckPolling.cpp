#include "core/adapter/AckPolling.h"
#include "core/adapter/BusWorker.h"
#include "core/adapter/Clock.h"

#include <algorithm>

namespace tp {

void waitUs(Adapter& adapter, std::uint64_t us)
{
    // The wait belongs to the bus: it keeps its place between the transfers.
    onBus([&] {
        if (!adapter.isSimulated())
            busyWaitUs(us);
        adapter.elapse(us);
    });
}

Status awaitAcknowledge(Adapter& adapter, std::uint8_t address, std::uint64_t limitUs, std::uint64_t intervalUs,
                        bool* timedOut)
{
    const Adapter::Polling polling(adapter, Adapter::Polling::Mark::All);
    return untilAcknowledged(
        adapter, adapter.nowUs() + limitUs, intervalUs,
        [&] {
            if (adapter.acceptsZeroLength()) {
                I2cMessage poll = I2cMessage::write(address, {});
                const Status st = adapter.transfer(std::span<I2cMessage>(&poll, 1));
                if (st != status::Refused || adapter.acceptsZeroLength())
                    return st;
            }
            I2cMessage poll = I2cMessage::readBytes(address, 1);
            return adapter.transfer(std::span<I2cMessage>(&poll, 1));
        },
        timedOut);
}

Status untilAcknowledged(Adapter& adapter, std::uint64_t deadline, std::uint64_t intervalUs,
                         const std::function<Status()>& attempt, bool* timedOut)
{
    if (timedOut)
        *timedOut = false;
    const Adapter::Polling polling(adapter, Adapter::Polling::Mark::Unanswered);
    for (;;) {
        const std::uint64_t asked = adapter.nowUs();
        const Status st = attempt();
        if (st != status::AddressNack)
            return st;
        if (asked >= deadline) { // asked once more after the limit: it is not coming back
            if (timedOut)
                *timedOut = true;
            return status::TimeOut;
        }
        const std::uint64_t now = adapter.nowUs();
        if (now < deadline)
            waitUs(adapter, std::min(intervalUs, deadline - now));
    }
}

} // namespace tp
