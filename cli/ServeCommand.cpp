#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/adapter/remote/RemoteServer.h"

#include <csignal>
#include <ostream>
#include <unistd.h>

namespace tp::cli {

int serveCommand(const BusOptions& bus, unsigned latencyMs, Console& console)
{
    if (remote::RemoteTarget::isRemote(bus.adapter))
        throw UsageError("serve drives an adapter of this machine, not " + bus.adapter);
    Session session(bus, console);
    // A desktop that goes away is the end of the run, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    remote::RemoteServer server(session.adapter());
    server.setReplyDelayUs(std::uint64_t(latencyMs) * 1000);
    const int rc = server.run(STDIN_FILENO, STDOUT_FILENO, console.err, interrupted);
    session.finish(); // the bench's chips, when kept, as the desktop left them
    return rc == 0 ? kOk : kUsage;
}

} // namespace tp::cli
