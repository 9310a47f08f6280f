#include "cli/Commands.h"
#include "cli/Numbers.h"
#include "cli/Session.h"
#include "core/common/HexText.h"

#include <ostream>

namespace tp::cli {

// A register read as the windows do it: the register number, then a read
// behind a repeated start, in one transaction.
int getCommand(Session& session, const RegisterOptions& o, Console& console)
{
    const std::uint8_t address = parseAddress(o.address);
    const std::uint8_t reg = parseByte(o.reg, "a register number");
    if (o.count < 1 || o.count > 256)
        throw UsageError("--count " + std::to_string(o.count) + ": 1 to 256 bytes");
    std::vector<std::uint8_t> bytes;
    Adapter::ReadingOnly reading(session.adapter());
    const Status st = session.adapter().writeRead(address, {reg}, o.count, bytes);
    if (st != status::Success) {
        console.err << "tallyport-cli: " << session.failureText(st) << "\n";
        return kBusFailure;
    }
    std::string line;
    for (std::uint8_t b : bytes)
        line += (line.empty() ? "" : " ") + byteText(b);
    console.out << line << "\n";
    return kOk;
}

// The register number and the bytes from it on, in one write.
int setCommand(Session& session, const RegisterOptions& o, Console& console)
{
    const std::uint8_t address = parseAddress(o.address);
    std::vector<std::uint8_t> bytes{parseByte(o.reg, "a register number")};
    for (const std::string& v : o.values)
        bytes.push_back(parseByte(v, "a byte"));
    const Status st = session.adapter().write(address, std::move(bytes));
    if (st != status::Success) {
        console.err << "tallyport-cli: " << session.failureText(st) << "\n";
        return kBusFailure;
    }
    console.out << statusText(st) << "\n";
    return kOk;
}

} // namespace tp::cli
