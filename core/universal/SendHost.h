#pragma once
#include "core/adapter/I2cMessage.h"
#include "core/common/Status.h"

#include <cstdint>
#include <span>
#include <string>

namespace tp::expert {

// What a run of messages needs from its window: the bus, the status line,
// the sending label, a redraw of the table and the busy wait.
class SendHost {
public:
    virtual ~SendHost() = default;
    virtual Status transfer(std::span<I2cMessage> messages) = 0;
    virtual void showStatus(Status status) = 0;      // at once, also inside a run
    virtual void showSending(const std::string& text) = 0;
    virtual void tableChanged() = 0;                 // bytes read landed in the table
    virtual void waitUs(std::uint64_t us) = 0;
    // The user asked a run (Send All, a sequence) to end: it ends after the
    // transaction in flight.
    virtual bool stopAsked() const { return false; }
    // Message row `row` (from 0) went out in a transaction that ended with
    // `status`; a read message holds the bytes that came. For hosts that
    // report each message; windows show the table instead.
    virtual void messageSent(int row, const I2cMessage& message, Status status)
    {
        (void)row;
        (void)message;
        (void)status;
    }
};

} // namespace tp::expert
