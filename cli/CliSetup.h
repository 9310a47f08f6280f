#pragma once
#include "cli/CliTypes.h"
#include "cli/Session.h"

#include <functional>
#include <string>

namespace CLI {
class App;
}

namespace tp::cli {

// What every subcommand's setup shares: the console, the bus options
// parsed into one place, and the action the chosen subcommand leaves.
struct CliContext {
    Console& console;
    BusOptions bus;
    std::function<int()> action;
};

// The common help footer, with `extra` (an i2c-tools equivalent) before it.
std::string footerText(const std::string& extra = {});

// -a, --bench-state, --bench-fault, --frequency, --trace, -y,
// --all-addresses; -f for commands that write.
void addBusOptions(CLI::App* cmd, BusOptions& bus, bool writes, bool adapterRequired = true);

// When `cmd` is chosen, its action runs `command` in a session on the
// adapter asked for, and keeps the bench's chips afterwards.
void runsInSession(CLI::App* cmd, CliContext& ctx, std::function<int(Session&)> command);

// Opens the session, runs, keeps the bench's chips.
int withSession(const BusOptions& bus, Console& console, const std::function<int(Session&)>& command);

// Subcommands set up in their own files.
void addRegisterCommands(CLI::App& app, CliContext& ctx); // get, set
void addTransferCommand(CLI::App& app, CliContext& ctx);
void addDumpCommand(CLI::App& app, CliContext& ctx);

} // namespace tp::cli
