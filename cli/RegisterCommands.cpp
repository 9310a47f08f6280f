#include "cli/CliSetup.h"
#include "cli/Commands.h"
#include "cli/Numbers.h"
#include "core/common/HexText.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <ctime>
#include <ostream>
#include <thread>

namespace tp::cli {

namespace {

std::uint32_t parseHex(std::string_view text, std::uint32_t max, const char* what)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    const std::uint32_t v = hexToInt(text);
    if (v > max)
        throw UsageError("'" + std::string(text) + "' is not " + what + " (hexadecimal 0 to " + intToHex(max, 2) + ")");
    return v;
}

// The register offset as the chip takes it: one byte, or with --reg16 two,
// high byte first (large EEPROMs, many sensors).
std::vector<std::uint8_t> offsetBytes(const RegisterOptions& o)
{
    if (!o.reg16)
        return {parseByte(o.reg, "a register number")};
    const std::uint32_t r = parseHex(o.reg, 0xFFFF, "a 16-bit register offset");
    return {static_cast<std::uint8_t>(r >> 8), static_cast<std::uint8_t>(r)};
}

// "2026-12-11 03:40:12.345", local time: a shell user compares it with the wall clock.
std::string timeStamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    char b[64];
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return b;
}

// Sleeps until `until`, waking for Ctrl-C; the bench's clock moves along.
void waitUntil(Adapter& adapter, std::chrono::steady_clock::time_point until)
{
    using namespace std::chrono;
    while (!interrupted()) {
        const auto left = until - steady_clock::now();
        if (left <= steady_clock::duration::zero())
            return;
        const auto step = std::min<steady_clock::duration>(left, milliseconds(50));
        std::this_thread::sleep_for(step);
        adapter.elapse(static_cast<std::uint64_t>(duration_cast<microseconds>(step).count()));
    }
}

} // namespace

// A register read as the windows do it: the register number, then a read
// behind a repeated start, in one transaction; without a register a plain
// read (a receive byte, or N bytes).
int getCommand(Session& session, const RegisterOptions& o, Console& console)
{
    const std::uint8_t address = session.address(o.address);
    if (o.count < 1 || o.count > 256)
        throw UsageError("--count " + std::to_string(o.count) + ": 1 to 256 bytes");
    if (o.word && o.count != 1)
        throw UsageError("--word reads one 16-bit word: not with --count");
    if (o.word && o.reg.empty())
        throw UsageError("--word needs a REGISTER (an SMBus read word)");
    if (o.reg16 && o.reg.empty())
        throw UsageError("--reg16 needs a REGISTER");
    if (o.interval && (*o.interval < 1 || *o.interval > 86400000))
        throw UsageError("--interval " + std::to_string(*o.interval) + ": 1 to 86400000 ms");
    if (o.times && !o.interval)
        throw UsageError("--times needs --interval");
    if (o.times && *o.times < 1)
        throw UsageError("--times 0: at least one read");
    if (o.format != "text" && o.format != "csv")
        throw UsageError("--format " + o.format + ": text or csv");
    const bool csv = o.format == "csv";
    const std::vector<std::uint8_t> offset = o.reg.empty() ? std::vector<std::uint8_t>{} : offsetBytes(o);
    const std::size_t count = o.word ? 2 : o.count;

    Adapter& adapter = session.adapter();
    Adapter::ReadingOnly reading(adapter);
    using clock = std::chrono::steady_clock;
    auto next = clock::now();
    for (unsigned n = 0; !o.interval || !o.times || n < *o.times; ++n) {
        if (n > 0) {
            next += std::chrono::milliseconds(*o.interval);
            waitUntil(adapter, next);
            if (interrupted())
                break;
        }
        std::vector<std::uint8_t> bytes;
        const Status st = offset.empty() ? adapter.read(address, count, bytes)
                                         : adapter.writeRead(address, offset, count, bytes);
        if (st != status::Success) {
            console.err << "tallyport-cli: " << session.failureText(st) << "\n";
            return kBusFailure;
        }
        std::string line;
        if (o.word)
            line = intToHex(static_cast<unsigned>(bytes[0] | bytes[1] << 8), 4);
        else
            for (std::uint8_t b : bytes)
                line += (line.empty() ? "" : csv ? "," : " ") + byteText(b);
        if (o.interval)
            line = timeStamp() + (csv ? "," : "  ") + line;
        console.out << line << "\n" << std::flush;
        if (!o.interval)
            break;
    }
    return interrupted() && !o.interval ? kInterrupted : kOk;
}

// The register number and the bytes from it on, in one write; with a value
// alone a send byte.
int setCommand(Session& session, const RegisterOptions& o, Console& console)
{
    const std::uint8_t address = session.address(o.address);
    std::vector<std::uint8_t> bytes;
    if (o.values.empty()) { // set ADDRESS VALUE: the one argument is the byte to send
        if (o.word || o.reg16)
            throw UsageError("--word and --reg16 need a REGISTER and a VALUE");
        bytes.push_back(parseByte(o.reg, "a byte"));
    } else {
        bytes = offsetBytes(o);
        if (o.word) {
            if (o.values.size() != 1)
                throw UsageError("--word writes one 16-bit VALUE");
            const std::uint32_t w = parseHex(o.values[0], 0xFFFF, "a 16-bit word");
            bytes.push_back(static_cast<std::uint8_t>(w)); // SMBus words go low byte first
            bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        } else {
            for (const std::string& v : o.values)
                bytes.push_back(parseByte(v, "a byte"));
        }
    }
    const Status st = session.adapter().write(address, std::move(bytes));
    if (st != status::Success) {
        console.err << "tallyport-cli: " << session.failureText(st) << "\n";
        return kBusFailure;
    }
    console.out << statusText(st) << "\n";
    return kOk;
}

void addRegisterCommands(CLI::App& app, CliContext& ctx)
{
    auto get = std::make_shared<RegisterOptions>();
    CLI::App* getCmd = app.add_subcommand("get", "read a register (its number, then a read behind a repeated "
                                                 "start), or without REGISTER read the chip directly");
    getCmd->footer(footerText("i2c-tools:  i2cget -y 3 0x48 0x01     is  tallyport-cli get -a 3 48 01\n"
                              "            i2cget -y 3 0x48 0x00 w   is  tallyport-cli get -a 3 48 00 --word\n"
                              "            i2cget -y 3 0x20          is  tallyport-cli get -a 3 20\n"
                              "            i2ctransfer -y 3 w2@0x50 0x01 0x00 r4\n"
                              "                                      is  tallyport-cli get -a 3 50 0100 --reg16 "
                              "--count 4"));
    addBusOptions(getCmd, ctx.bus, false);
    getCmd->add_option("ADDRESS", get->address, "7-bit address")->required();
    getCmd->add_option("REGISTER", get->reg, "register number; left out: a receive byte (or --count bytes)");
    getCmd->add_option("-c,--count", get->count, "bytes to read (default 1)")->type_name("N");
    getCmd->add_flag("-w,--word", get->word, "read a 16-bit word, low byte first (SMBus read word), shown as 4 digits");
    getCmd->add_flag("--reg16", get->reg16, "REGISTER is a 16-bit offset, sent high byte first");
    getCmd->add_option("--interval", get->interval, "read again every MS milliseconds until Ctrl-C, a line each "
                                                    "with the time")
        ->type_name("MS");
    getCmd->add_option("--times", get->times, "with --interval: stop after N reads")->type_name("N");
    getCmd->add_option("--format", get->format, "text (default) or csv (bytes, and the time, comma-separated)")
        ->type_name("FORMAT");
    runsInSession(getCmd, ctx, [get, &ctx](Session& s) { return getCommand(s, *get, ctx.console); });

    auto set = std::make_shared<RegisterOptions>();
    CLI::App* setCmd = app.add_subcommand("set", "write a register (its number and the bytes from it on, one "
                                                 "write), or with one VALUE send that byte alone");
    setCmd->footer(footerText("i2c-tools:  i2cset -y 3 0x20 0x06 0x00     is  tallyport-cli set -a 3 20 06 00\n"
                              "            i2cset -y 3 0x48 0x02 0x4b00 w is  tallyport-cli set -a 3 48 02 4B00 "
                              "--word\n"
                              "            i2cset -y 3 0x70 0x05          is  tallyport-cli set -a 3 70 05"));
    addBusOptions(setCmd, ctx.bus, true);
    setCmd->add_option("ADDRESS", set->address, "7-bit address")->required();
    setCmd->add_option("REGISTER", set->reg, "register number (or, alone, the byte to send)")->required();
    setCmd->add_option("VALUE", set->values, "bytes to write from REGISTER on");
    setCmd->add_flag("-w,--word", set->word, "VALUE is a 16-bit word, written low byte first (SMBus write word)");
    setCmd->add_flag("--reg16", set->reg16, "REGISTER is a 16-bit offset, sent high byte first");
    runsInSession(setCmd, ctx, [set, &ctx](Session& s) { return setCommand(s, *set, ctx.console); });
}

} // namespace tp::cli
