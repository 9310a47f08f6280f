#include "cli/CliSetup.h"
#include "cli/DumpText.h"
#include "cli/Numbers.h"
#include "core/common/HexText.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace tp::cli {

namespace {

struct DumpOptions {
    std::string address;
    std::string mode = "b";
    std::string range;
    std::string format = "grid";
};

void parseRange(const std::string& text, DumpValues& d)
{
    const std::size_t dash = text.find('-');
    const auto bad = [&] {
        return UsageError("-r '" + text + "': FIRST-LAST, registers 00 to FF with FIRST not above LAST (as 10-1F)");
    };
    if (dash == std::string::npos)
        throw bad();
    std::uint32_t first = 0, last = 0;
    std::string a = text.substr(0, dash), b = text.substr(dash + 1);
    for (std::string* s : {&a, &b})
        if (s->size() > 2 && (*s)[0] == '0' && ((*s)[1] == 'x' || (*s)[1] == 'X'))
            s->erase(0, 2);
    if (!tryHexToInt(a, first) || !tryHexToInt(b, last) || first > 0xFF || last > 0xFF || first > last)
        throw bad();
    d.first = static_cast<int>(first);
    d.last = static_cast<int>(last);
}

int dumpCommand(Session& session, const DumpOptions& o, Console& console)
{
    const std::uint8_t address = session.address(o.address);
    DumpValues d;
    if (o.mode == "b")
        d.mode = DumpMode::Byte;
    else if (o.mode == "w")
        d.mode = DumpMode::Word;
    else if (o.mode == "i")
        d.mode = DumpMode::Block;
    else if (o.mode == "c")
        d.mode = DumpMode::Consecutive;
    else
        throw UsageError("dump: mode '" + o.mode + "' is one of b (byte), w (word), i (I\u00B2C block), c "
                         "(consecutive bytes)");
    if (o.format != "grid" && o.format != "csv")
        throw UsageError("--format " + o.format + ": grid or csv");
    if (!o.range.empty())
        parseRange(o.range, d);
    d.value.fill(-1);

    Adapter& adapter = session.adapter();
    Adapter::ReadingOnly reading(adapter);
    Status firstFailure = status::Success;
    int failedAt = -1, failures = 0;
    const auto failed = [&](Status st, int reg) {
        ++failures;
        if (firstFailure == status::Success) {
            firstFailure = st;
            failedAt = reg;
        }
    };
    std::vector<std::uint8_t> bytes;
    bool stopped = false;
    if (d.mode == DumpMode::Consecutive) {
        const Status st = adapter.write(address, {static_cast<std::uint8_t>(d.first)});
        if (st != status::Success) {
            console.err << "tallyport-cli: " << session.failureText(st) << " (setting the pointer to 0x"
                        << intToHex(static_cast<unsigned>(d.first), 2) << ")\n";
            return kBusFailure;
        }
    }
    for (int r = d.first; r <= d.last && !stopped;) {
        if (interrupted())
            return kInterrupted;
        Status st = status::Success;
        int step = 1;
        switch (d.mode) {
        case DumpMode::Byte:
            st = adapter.writeRead(address, {static_cast<std::uint8_t>(r)}, 1, bytes);
            if (st == status::Success)
                d.value[r] = bytes[0];
            break;
        case DumpMode::Word:
            st = adapter.writeRead(address, {static_cast<std::uint8_t>(r)}, 2, bytes);
            if (st == status::Success)
                d.value[r] = bytes[0] | bytes[1] << 8;
            break;
        case DumpMode::Block: {
            // 32 bytes a read, as an SMBus I2C block read carries.
            step = std::min(32, d.last - r + 1);
            st = adapter.writeRead(address, {static_cast<std::uint8_t>(r)}, static_cast<std::size_t>(step), bytes);
            if (st == status::Success)
                for (int k = 0; k < step; ++k)
                    d.value[r + k] = bytes[static_cast<std::size_t>(k)];
            else
                stopped = true; // the rest stays XX, as a block read that failed leaves it
            break;
        }
        case DumpMode::Consecutive:
            st = adapter.read(address, 1, bytes);
            if (st == status::Success)
                d.value[r] = bytes[0];
            break;
        }
        if (st != status::Success)
            failed(st, r);
        // A bus or adapter that is gone fails every later read the same way.
        if (st == status::HardwareNotDetected || st == status::BusStuckLow || st == status::SclStuckLow || st == status::Refused)
            stopped = true;
        r += step;
    }
    console.out << (o.format == "csv" ? dumpCsv(d) : dumpGrid(d));
    if (firstFailure != status::Success) {
        console.err << "tallyport-cli: " << session.failureText(firstFailure) << " (reading register 0x"
                    << intToHex(static_cast<unsigned>(failedAt), 2) << ")";
        if (failures > 1 && !stopped)
            console.err << "; " << failures << " reads failed";
        console.err << "\n";
        const int reads = d.mode == DumpMode::Block ? (d.last - d.first) / 32 + 1 : d.last - d.first + 1;
        if (stopped || failures == reads)
            return kBusFailure;
    }
    return kOk;
}

} // namespace

void addDumpCommand(CLI::App& app, CliContext& ctx)
{
    auto o = std::make_shared<DumpOptions>();
    CLI::App* cmd = app.add_subcommand("dump", "read a chip's 256 registers into i2cdump's grid");
    cmd->footer(footerText("i2c-tools: i2cdump -y 3 0x50 b   is   tallyport-cli dump -a 3 50 b\n"
                           "A failed read shows XX; the exit status is 1 only when nothing could be read or "
                           "the bus failed."));
    addBusOptions(cmd, ctx.bus, false);
    cmd->add_option("ADDRESS", o->address, "7-bit address")->required();
    cmd->add_option("MODE", o->mode, "b byte (default), w word, i I\u00B2C block, c consecutive bytes")
        ->type_name("MODE");
    cmd->add_option("-r,--range", o->range, "registers FIRST-LAST only, as 00-3F")->type_name("FIRST-LAST");
    cmd->add_option("--format", o->format, "grid (default, as i2cdump) or csv (register,value)")
        ->type_name("FORMAT");
    runsInSession(cmd, ctx, [o, &ctx](Session& s) { return dumpCommand(s, *o, ctx.console); });
}

} // namespace tp::cli
