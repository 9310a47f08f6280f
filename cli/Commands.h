#pragma once
#include "cli/CliTypes.h"

#include <optional>
#include <string>
#include <vector>

namespace tp::cli {

class Session;
struct BusOptions;

struct EepromOptions {
    std::string action; // "read", "write" or "verify"
    std::string size;
    std::optional<std::string> address;
    std::optional<unsigned> pageSize;
    std::optional<unsigned> writeTimeMs;
    std::string format; // empty: by the file's extension
    bool ram = false;
    bool noVerify = false;
    std::string file;
};
int eepromCommand(Session& session, const EepromOptions& options, Console& console);

struct RunOptions {
    std::string file;
    std::optional<std::string> sequence;
    bool fileSequence = false;
    unsigned repeat = 1;
    bool forever = false;
    bool keepGoing = false;
};
int runCommand(Session& session, const RunOptions& options, Console& console);

struct RegisterOptions {
    std::string address;
    std::string reg;                 // get: empty for a plain read
    std::vector<std::string> values; // set
    unsigned count = 1;              // get
    bool word = false;               // a 16-bit value, low byte first
    bool reg16 = false;              // a two-byte register offset
    std::optional<unsigned> interval; // get: ms between reads
    std::optional<unsigned> times;    // get: reads with an interval
    std::string format = "text";      // get: text or csv
};
int getCommand(Session& session, const RegisterOptions& options, Console& console);
int setCommand(Session& session, const RegisterOptions& options, Console& console);

struct ScanOptions {
    bool all = false;   // 0x00 to 0x7F instead of 0x08 to 0x77
    bool force = false; // a PC's SMBus without asking
};
int scanCommand(Session& session, const ScanOptions& options, Console& console);

struct BenchOptions {
    std::string action; // "list", "types", "place", "remove", "set"
    std::string type;
    std::string address;
    std::string behind;              // place: "MUX_ADDRESS:CHANNEL"
    std::vector<std::string> values; // set: "pin N high|low", "temperature [N] 41.5|wander"
};
int benchCommand(Session& session, const BenchOptions& options, Console& console);

// The far end of a remote bus: the remote protocol on standard input and
// output, run on the session's adapter until the desktop hangs up; each
// reply `latencyMs` late, to try a slow link.
int serveCommand(const BusOptions& bus, unsigned latencyMs, Console& console);

} // namespace tp::cli
