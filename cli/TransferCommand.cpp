#include "cli/CliSetup.h"
#include "cli/TransferSyntax.h"
#include "core/adapter/Clock.h"
#include "core/common/Errors.h"
#include "core/memory/FileBytes.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <ostream>
#include <thread>

namespace tp::cli {

namespace {

struct TransferOptions {
    std::vector<std::string> messages;
    std::string script;
};

int runTransaction(Session& session, std::vector<I2cMessage>& messages, Console& console, const std::string& where)
{
    const Status st = session.adapter().transfer(messages);
    if (st != status::Success) {
        console.err << "tallyport-cli: " << where << session.failureText(st) << "\n";
        return kBusFailure;
    }
    console.out << transferOutput(messages) << std::flush;
    return kOk;
}

// A script's sleep: waited in real time, and the bench's clock moves with it.
void sleepFor(Adapter& adapter, std::uint64_t us)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + microseconds(us);
    while (!interrupted() && steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<steady_clock::duration>(end - steady_clock::now(), milliseconds(50)));
    adapter.elapse(us);
}

// Every line is checked before the first goes out, so a script with a
// typing error sends nothing.
int replayScript(Session& session, const TransferOptions& o, Console& console)
{
    std::string text;
    try {
        const std::vector<std::uint8_t> bytes = FileBytes::read(o.script);
        text.assign(bytes.begin(), bytes.end());
    } catch (const FileError& e) {
        throw FileError(o.script + ": " + e.what());
    }
    struct Step {
        int line;
        ScriptLine what;
        std::vector<I2cMessage> messages;
    };
    std::vector<Step> steps;
    int number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        ++number;
        const std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        try {
            Step s{number, parseScriptLine(line), {}};
            if (s.what.kind == ScriptLine::Kind::Transfer)
                s.messages = parseTransfer(s.what.args, s.what.anyAddress || session.anyAddress());
            if (s.what.kind == ScriptLine::Kind::Transfer || s.what.kind == ScriptLine::Kind::Sleep)
                steps.push_back(std::move(s));
        } catch (const UsageError& e) {
            std::string why = e.what();
            if (why.rfind("transfer: ", 0) == 0)
                why.erase(0, 10);
            throw UsageError(o.script + " line " + std::to_string(number) + ": " + why);
        }
    }
    for (Step& s : steps) {
        if (interrupted())
            return kInterrupted;
        if (s.what.kind == ScriptLine::Kind::Sleep) {
            sleepFor(session.adapter(), s.what.sleepUs);
            continue;
        }
        Session::ForceScope force(session, s.what.force);
        if (const int rc = runTransaction(session, s.messages, console, "line " + std::to_string(s.line) + ": ");
            rc != kOk)
            return rc; // the script runs under set -e
    }
    return interrupted() ? kInterrupted : kOk;
}

int transferCommand(Session& session, const TransferOptions& o, Console& console)
{
    if (!o.script.empty()) {
        if (!o.messages.empty())
            throw UsageError("--from-script FILE or messages: give one of them");
        return replayScript(session, o, console);
    }
    std::vector<I2cMessage> messages = parseTransfer(o.messages, session.anyAddress());
    return runTransaction(session, messages, console, "");
}

} // namespace

void addTransferCommand(CLI::App& app, CliContext& ctx)
{
    auto o = std::make_shared<TransferOptions>();
    CLI::App* cmd = app.add_subcommand("transfer", "send one transaction of messages, repeated starts between "
                                                   "them, in i2ctransfer's syntax; print what was read");
    cmd->footer(footerText(
        "MESSAGE is {r|w}LENGTH[@ADDRESS] (the address before when left out); a write is followed by its LENGTH\n"
        "data bytes, and a byte's suffix fills the rest: = the same, + counting up, - counting down, p\n"
        "pseudo-random. Numbers as i2ctransfer reads them: 0x50 hexadecimal, 80 decimal.\n"
        "Each read prints a line, \"0x10 0x11 ...\".\n\n"
        "i2c-tools:  i2ctransfer -y 3 w1@0x50 0x00 r16  is  tallyport-cli transfer -a 3 w1@0x50 0x00 r16\n"
        "            sh replay.sh 3                       is  tallyport-cli transfer -a 3 --from-script replay.sh\n"
        "--from-script runs a script of i2ctransfer commands (as the bus log exports one) on any adapter,\n"
        "the bench included: its i2ctransfer lines and sleeps, comments skipped, stopping at a failure."));
    addBusOptions(cmd, ctx.bus, true);
    cmd->add_option("MESSAGE", o->messages, "messages and their data bytes: w2@0x50 0x00 0x10 r16");
    cmd->add_option("--from-script", o->script, "replay a script of i2ctransfer commands")->type_name("FILE");
    runsInSession(cmd, ctx, [o, &ctx](Session& s) { return transferCommand(s, *o, ctx.console); });
}

} // namespace tp::cli
