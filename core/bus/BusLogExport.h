#pragma once
#include "core/adapter/BusLog.h"

#include <optional>
#include <string>
#include <vector>

namespace tp::buslog {

// One CSV field as RFC 4180 writes it: quoted when it holds a comma, a
// quote, CR or LF, with quotes doubled.
std::string csvField(const std::string& text);

// The entries as CSV (RFC 4180): a header line with the column titles and
// "Note", then one line per entry, CR LF line ends, UTF-8.
std::string toCsv(const std::vector<BusLogEntry>& entries);

// A POSIX shell script that replays the entries' transactions with
// i2ctransfer (i2c-tools): one command per transaction, the messages of a
// repeated-start transaction inside one command, reads printed by
// i2ctransfer beside a comment with the bytes recorded. Transactions that
// failed are kept as comments, and the time the chip needed before it
// answered again (an EEPROM's write cycle) becomes a sleep. `bus` is the
// i2c bus number the log was recorded on; without one the script asks for
// it as its first argument.
std::string toI2cTransferScript(const std::vector<BusLogEntry>& entries, std::optional<int> bus,
                                const std::string& recordedOn);

// i2c-dev carries at most this many messages per transaction and bytes per message.
constexpr std::size_t kI2cDevMaxMessages = 42;
constexpr std::size_t kI2cDevMaxLength = 8192;

// Writes `text` to `path` through a temporary file renamed over it; a
// script is made executable. Throws FileError.
void writeExport(const std::string& path, const std::string& text, bool executable);

} // namespace tp::buslog
