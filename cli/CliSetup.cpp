#include "cli/CliSetup.h"

#include <CLI/CLI.hpp>

namespace tp::cli {

std::string footerText(const std::string& extra)
{
    std::string text = extra.empty() ? std::string() : "\n" + extra + "\n";
    text += R"(
Addresses are 7-bit, as i2cdetect shows them: 0x08 to 0x77 ("50" or "0x50"
is the chip i2cdetect shows at 50; --all-addresses allows 0x00 to 0x7F).
Registers and bytes are hexadecimal, with or without 0x ("A0", "0xA0").

Exit status: 0 success; 1 bus failure (a transfer failed, a chip differs
from the file, the adapter refused) with its status text; 2 usage or file
error (bad option or number, unknown adapter, file refused or not written);
130 stopped with Ctrl-C.)";
    return text;
}

// Commands that change chips name their adapter, so a script never
// programs the bench by mistake; a scan may default to it.
void addBusOptions(CLI::App* cmd, BusOptions& bus, bool writes, bool adapterRequired)
{
    auto* adapter = cmd->add_option("-a,--adapter", bus.adapter,
                                    "bench (the simulated bench), N, i2c-N, /dev/i2c-N or the adapter's name "
                                    "(see adapters); a board's bus as ssh:[user@]host[:port]/ADAPTER or exec:COMMAND")
                        ->type_name("ADAPTER");
    if (adapterRequired)
        adapter->required();
    else
        adapter->capture_default_str();
    cmd->add_option("--bench-state", bus.benchState,
                    "file that keeps the bench's chips between runs (created when missing)")
        ->type_name("FILE");
    cmd->add_option("--bench-fault", bus.faults,
                    "bench fault: KIND[,address=50][,after=N][,count=N][,byte=N], KIND one of address-nack, "
                    "data-nack, time-out, arbitration-lost, bus-stuck, adapter-removed, chip-removed")
        ->type_name("FAULT")
        ->allow_extra_args(false); // one a time, so ADDRESS after it stays an address
    cmd->add_option("--frequency", bus.frequencyKHz, "the bench's bus clock in kHz, 1 to 1000 (default 100)")
        ->type_name("KHZ");
    cmd->add_flag("--trace", bus.trace,
                  "print every bus message on the error stream, as the bus log shows it (the address byte as "
                  "sent: A0 writes to, A1 reads from 7-bit 0x50)");
    cmd->add_flag("--all-addresses", bus.anyAddress, "allow the reserved 7-bit addresses 0x00-0x07 and 0x78-0x7F");
    cmd->add_flag("-y,--yes", bus.yes, "do not ask before the first write on a PC's SMBus (as i2c-tools' -y)");
    if (writes)
        cmd->add_flag("-f,--force", bus.force,
                      "write where a kernel driver has claimed the address, or on a PC's SMBus, without asking");
}

int withSession(const BusOptions& bus, Console& console, const std::function<int(Session&)>& command)
{
    Session session(bus, console);
    int rc = kOk;
    try {
        rc = command(session);
    } catch (...) {
        session.finish(); // what reached the chips stays, as on a real board
        throw;
    }
    session.finish();
    return rc;
}

void runsInSession(CLI::App* cmd, CliContext& ctx, std::function<int(Session&)> command)
{
    cmd->callback([&ctx, command = std::move(command)] {
        ctx.action = [&ctx, command] { return withSession(ctx.bus, ctx.console, command); };
    });
}

} // namespace tp::cli
