#include "core/bus/BusLogExport.h"
#include "core/bus/BusLogText.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"

#include <cctype>
#include <filesystem>

namespace tp::buslog {

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string toCsv(const std::vector<BusLogEntry>& entries)
{
    std::string out;
    for (int c = 0; c < ColumnCount; ++c)
        out += csvField(columnTitle(static_cast<Column>(c))) + ',';
    out += "Note\r\n";
    for (const BusLogEntry& e : entries) {
        for (int c = 0; c < ColumnCount; ++c) {
            const auto column = static_cast<Column>(c);
            // A note's text has a column of its own here.
            out += csvField(e.isNote() && column == Data ? std::string() : cellText(e, column)) + ',';
        }
        out += csvField(e.note) + "\r\n";
    }
    return out;
}

namespace {

std::string hexByte(std::uint8_t b)
{
    std::string s = intToHex(b, 2);
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "0x" + s;
}

// Comment lines must not end early: a note may hold anything.
std::string commentText(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += (c == '\r' || c == '\n') ? ' ' : c;
    return out;
}

struct Command {
    std::string line;
    std::vector<std::string> reads; // recorded bytes of each read message
    std::string refusal;            // why i2c-dev cannot carry it, if so
};

Command commandFor(const std::vector<const BusLogEntry*>& messages)
{
    Command c;
    c.line = "i2ctransfer -y \"$BUS\"";
    if (messages.size() > kI2cDevMaxMessages)
        c.refusal = "more than " + std::to_string(kI2cDevMaxMessages) + " messages in one transaction";
    for (const BusLogEntry* m : messages) {
        c.line += ' ';
        c.line += m->read ? 'r' : 'w';
        c.line += std::to_string(m->length) + "@" + hexByte(static_cast<std::uint8_t>(m->address >> 1));
        if (m->length > kI2cDevMaxLength)
            c.refusal = "a message longer than " + std::to_string(kI2cDevMaxLength) + " bytes";
        if (m->read) {
            std::string got;
            for (std::uint8_t b : m->bytes)
                got += (got.empty() ? "" : " ") + hexByte(b);
            c.reads.push_back(got);
        } else {
            for (std::uint8_t b : m->bytes)
                c.line += ' ' + hexByte(b);
            if (m->bytes.size() < m->length)
                c.line += " ..."; // the rest never reached the bus, so the log does not have it
        }
    }
    return c;
}

std::string sleepFor(std::uint64_t us)
{
    const std::uint64_t ms = (us + 999) / 1000;
    return "sleep " + std::to_string(ms / 1000) + "." + std::string(ms % 1000 < 10 ? "00" : ms % 1000 < 100 ? "0" : "") +
           std::to_string(ms % 1000);
}

} // namespace

std::string toI2cTransferScript(const std::vector<BusLogEntry>& entries, std::optional<int> bus,
                                const std::string& recordedOn)
{
    std::string out = "#!/bin/sh\n"
                      "# Replays transactions of a Tallyport bus log with i2ctransfer (i2c-tools).\n";
    if (!recordedOn.empty())
        out += "# Recorded on " + commentText(recordedOn) + ".\n";
    out += "# i2ctransfer needs an adapter with plain I2C transfers; each read prints its bytes,\n"
           "# and the bytes recorded stand in the comment below it. An address a kernel\n"
           "# driver holds is refused as busy unless -f is added to its command.\n"
           "set -e\n";
    if (bus)
        out += "BUS=${1:-" + std::to_string(*bus) + "}\n";
    else
        out += "BUS=${1:?usage: $0 BUS (the i2c bus number, as i2cdetect -l lists it)}\n";

    bool havePrevious = false;
    std::uint64_t previousTime = 0;
    bool skippedFailures = false;
    for (std::size_t i = 0; i < entries.size();) {
        const BusLogEntry& first = entries[i];
        if (first.isNote()) {
            out += "# " + commentText(first.note) + "\n";
            ++i;
            continue;
        }
        std::vector<const BusLogEntry*> messages{&first};
        std::size_t j = i + 1;
        while (j < entries.size() && !entries[j].isNote() && entries[j].transaction == first.transaction &&
               entries[j].repeatedStart)
            messages.push_back(&entries[j++]);
        i = j;

        Command c = commandFor(messages);
        if (first.status != 0) {
            std::string where;
            for (const BusLogEntry* m : messages)
                if (!nackText(*m).empty())
                    where = " at the " + nackText(*m) + " of " + (m->read ? "r" : "w") + std::to_string(m->length) +
                            "@" + hexByte(static_cast<std::uint8_t>(m->address >> 1));
            out += "# failed (" + statusText(first.status) + where + "), not replayed:\n#   " + c.line + "\n";
            skippedFailures = true;
            continue;
        }
        if (!c.refusal.empty()) {
            out += "# i2c-dev cannot carry " + c.refusal + ", not replayed:\n#   " + c.line + "\n";
            continue;
        }
        // The chip did not answer in between (busy, as an EEPROM in its write
        // cycle): give it the same time before the next command.
        if (skippedFailures && havePrevious && first.busUs > previousTime)
            out += sleepFor(first.busUs - previousTime) + "\n";
        skippedFailures = false;
        havePrevious = true;
        previousTime = first.busUs;
        out += c.line + "\n";
        for (const std::string& r : c.reads)
            out += "# read " + r + "\n";
    }
    return out;
}

void writeExport(const std::string& path, const std::string& text, bool executable)
{
    namespace fs = std::filesystem;
    FileBytes::replace(path, text);
    if (executable) {
        std::error_code ec;
        const fs::perms p = fs::status(fs::u8path(path), ec).permissions();
        if (ec)
            return;
        fs::perms x = fs::perms::none;
        if ((p & fs::perms::owner_read) != fs::perms::none)
            x |= fs::perms::owner_exec;
        if ((p & fs::perms::group_read) != fs::perms::none)
            x |= fs::perms::group_exec;
        if ((p & fs::perms::others_read) != fs::perms::none)
            x |= fs::perms::others_exec;
        fs::permissions(fs::u8path(path), x, fs::perm_options::add, ec);
    }
}

} // namespace tp::buslog
