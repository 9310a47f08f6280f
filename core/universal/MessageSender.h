#pragma once
#include "core/common/Status.h"
#include "core/universal/SendHost.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tp::expert {

class MessageTable;

// Sends rows of the message table as a bus master does. A row whose Stop?
// is "No" leaves the bus to the next message sent, which follows behind a
// repeated start: such rows and the one that ends them make one
// transaction. Since a transaction cannot pause on the bus, the delays of
// its messages are waited in order once it has ended. The bytes of a read
// message replace its Data, so the table shows them beside the message.
class MessageSender {
public:
    MessageSender(MessageTable& table, SendHost& host) : m_table(table), m_host(host) {}

    // The single active message, in a transaction of its own and without
    // its delay. Nothing when its Address is empty.
    std::optional<Status> sendMessage(int row);

    // Every row with Data, in order; "Done" at the end.
    Status sendAll();

    // The rows a sequence text names, in its order. Numbers naming no row
    // are skipped like rows without Data.
    Status sendSequence(std::string_view sequence);

    // A failing transaction ends a run (Send All, Send Sequence) unless
    // keep-going is on: the run then goes on with the next message and
    // reports the first failure at its end.
    void setKeepGoing(bool on) { m_keepGoing = on; }

    // Messages the last run put on the bus.
    int sentInLastRun() const { return m_sent; }

private:
    struct Pending {
        int row;
        I2cMessage message;
    };
    bool hasData(int row) const;
    void add(int row);
    bool endsTransaction(int row) const;
    Status flush();
    // After a transaction: true when the run must end.
    bool stops(Status st);

    MessageTable& m_table;
    SendHost& m_host;
    std::vector<Pending> m_pending;
    int m_sent = 0;
    bool m_keepGoing = false;
    Status m_firstFailure = status::Success;
};

} // namespace tp::expert
