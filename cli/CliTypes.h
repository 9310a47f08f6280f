#pragma once
#include "core/common/Errors.h"
#include "core/common/Status.h"

#include <iosfwd>
#include <string>

namespace tp::cli {

// The tool's exit codes.
enum Exit : int {
    kOk = 0,
    kBusFailure = 1,  // a transfer failed, a chip differs, or the adapter refused
    kUsage = 2,       // bad command line or number, unknown adapter, file refused or not written
    kInterrupted = 130, // stopped with Ctrl-C
};

// A command line that cannot be carried out as given: exit 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// Where a command writes: results to `out`, errors, warnings and progress
// to `err`; progress only when `err` is a terminal.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool progress = false;
    bool interactive = false; // stdin and stderr are a terminal: a question may be asked
};

// The status line's text for a status, without its leading blanks:
// "Address not acknowledged"; "status N" for a code without one.
std::string statusText(Status status);
// A status line message's text without its leading blanks.
std::string messageText(const StatusMessage& message);

// Set by Ctrl-C; long operations stop at the next transfer.
bool interrupted();
void installInterruptHandler();
// For tests and benchmarks that run commands in-process.
void resetInterrupt();

} // namespace tp::cli
