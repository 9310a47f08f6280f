#pragma once
#include "core/adapter/Adapter.h"
#include "core/adapter/remote/RemoteProtocol.h"

#include <functional>
#include <iosfwd>

namespace tp::remote {

// The board's end: runs each request on the local adapter and says what
// happened there. It keeps nothing a client would need after a reconnect.
class RemoteServer {
public:
    explicit RemoteServer(Adapter& adapter);

    Reply answer(const Request& request);

    // Holds each reply back this long: a slow link to try the desktop on.
    void setReplyDelayUs(std::uint64_t us) { m_delayUs = us; }

    // Serves one client on two descriptors until it closes its end (0).
    // A greeting of another protocol version is answered with the reason
    // and ends the run (2), as does a frame that is not a request; `err`
    // gets the message either way.
    // `stop`, asked when a signal interrupts the wait for a request, ends
    // the run as a hang-up does.
    int run(int inFd, int outFd, std::ostream& err, const std::function<bool()>& stop = {});

private:
    Reply transaction(const Request& request);
    Facts facts() const;

    Adapter& m_adapter;
    bool m_writesConfirmed = false;
    std::uint64_t m_delayUs = 0;
};

} // namespace tp::remote
