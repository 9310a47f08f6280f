#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/bus/AdapterInfo.h"
#include "core/bus/BusScan.h"
#include "core/common/HexText.h"

#include <iostream>
#include <ostream>

namespace tp::cli {

// The scan window's probing (probe per address range, claimed addresses
// left alone), printed as i2cdetect prints it; the method and the count go
// to the error stream so the grid stays as scripts parse it.
int scanCommand(Session& session, const ScanOptions& o, Console& console)
{
    Adapter& adapter = session.adapter();
    scan::Setup setup = scan::setupFor(adapter, o.all ? scan::Range::Full : scan::Range::Normal);
    if (setup.pcSmbus && !o.force) {
        const std::string warning = adapter.name() +
                                    " is a PC's SMBus: probing it can confuse chips on memory modules and "
                                    "sensors, as i2cdetect warns.";
        if (!console.interactive)
            throw UsageError(warning + " --force scans it anyway");
        console.err << warning << "\nScan anyway? [y/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        if (answer != "y" && answer != "Y" && answer != "yes")
            throw UsageError("scan not confirmed");
    }
    scan::Scanner scanner(adapter, setup);
    while (!interrupted() && scanner.step()) {
    }
    if (interrupted())
        return kInterrupted;
    const scan::Result& r = scanner.result();
    console.out << scan::gridText(r);
    if (r.stopped != status::Success) {
        console.err << "tallyport-cli: " << session.failureText(r.stopped) << " (probing 0x"
                    << intToHex(r.stoppedAt, 2) << ")\n";
        return kBusFailure;
    }
    console.err << "Probed with " << scan::methodSummary(r) << "; " << r.foundText() << "\n";
    return kOk;
}

} // namespace tp::cli
