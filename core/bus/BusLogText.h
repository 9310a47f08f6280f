#pragma once
#include "core/adapter/BusLog.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <string>

namespace tp::buslog {

// The columns a bus log shows and exports, in order.
enum Column : int {
    Time,        // seconds since the program started, to the microsecond
    Transaction, // number shared by the messages of one transaction
    Start,       // "S", or "Sr" behind a repeated start
    Address7,    // "0x50"
    Address8,    // the address byte on the wire: "0xA0", "0xA1" for a read
    Direction,   // "W" or "R"
    Length,      // data bytes the message was to carry
    Data,        // the bytes that went through, "00 10 FF"; a note's text
    Nack,        // where the transaction stopped: "address", "byte 3"
    StatusText,  // the transaction's status
    ColumnCount
};

const char* columnTitle(Column c);
std::string cellText(const BusLogEntry& e, Column c);

// "12.345678": microseconds as seconds.
std::string timeText(std::uint64_t us);
// The status table's text without its leading blanks; "Status 5" for a code without one.
std::string statusText(Status code);
// Where this message failed: "address", "byte 3" (counted from 1), or
// empty; an acknowledge poll says so ("poll", "address (poll)").
std::string nackText(const BusLogEntry& e);
// A chip busy with its write cycle not answering a poll: no failure.
bool expectedNack(const BusLogEntry& e);

// Which entries a view shows. Notes pass only an empty address and failure filter.
struct Filter {
    std::optional<std::uint8_t> address7;
    bool failuresOnly = false;
    std::string text; // found in any column, letter case ignored

    bool isEmpty() const { return !address7 && !failuresOnly && text.empty(); }
    bool matches(const BusLogEntry& e) const;
    // The part that needs no texts; matches() also checks it.
    bool matchesQuickly(const BusLog& log, std::uint64_t number) const;
};

// The address filter's text, in either form: 00 to 7F is taken as a 7-bit
// address, 80 to FF as the 8-bit address byte (A0 and A1 both mean 7-bit
// 0x50). `taken` says which it was, for the user to see; empty for an
// empty or unreadable text, which filters nothing.
struct AddressFilter {
    std::optional<std::uint8_t> address7;
    std::string taken;
};
AddressFilter parseAddressFilter(std::string_view text);

} // namespace tp::buslog
