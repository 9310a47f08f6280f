#include "core/bus/BusLogText.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <cctype>

namespace tp::buslog {

const char* columnTitle(Column c)
{
    static const char* const kTitles[ColumnCount] = {"Time (s)", "Transaction", "Start", "Address (7-bit)",
                                                     "Address (8-bit)", "R/W", "Length", "Data",
                                                     "NACK", "Status"};
    return c >= 0 && c < ColumnCount ? kTitles[c] : "";
}

std::string timeText(std::uint64_t us)
{
    std::string frac = std::to_string(us % 1000000);
    return std::to_string(us / 1000000) + "." + std::string(6 - frac.size(), '0') + frac;
}

std::string statusText(Status code)
{
    if (auto m = statusMessage(code)) {
        const std::size_t from = m->text.find_first_not_of(' ');
        return from == std::string::npos ? std::string() : m->text.substr(from);
    }
    return "Status " + std::to_string(code);
}

std::string nackText(const BusLogEntry& e)
{
    switch (e.failedAt) {
    case FailedAt::Address:
        return e.poll ? "address (poll)" : "address";
    case FailedAt::Data:
        return "byte " + std::to_string(e.bytes.size() + 1);
    default:
        return e.poll ? "poll" : std::string();
    }
}

bool expectedNack(const BusLogEntry& e)
{
    return e.poll && e.status == status::AddressNack;
}

namespace {
std::string bytesText(const std::vector<std::uint8_t>& bytes)
{
    std::string s;
    s.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!s.empty())
            s += ' ';
        s += byteText(b);
    }
    return s;
}
} // namespace

std::string cellText(const BusLogEntry& e, Column c)
{
    if (e.isNote()) {
        if (c == Time)
            return timeText(e.timeUs);
        return c == Data ? e.note : std::string();
    }
    switch (c) {
    case Time:
        return timeText(e.timeUs);
    case Transaction:
        return std::to_string(e.transaction);
    case Start:
        return e.repeatedStart ? "Sr" : "S";
    case Address7:
        return "0x" + intToHex(e.address >> 1, 2);
    case Address8:
        return addressText(static_cast<std::uint8_t>(e.read ? e.address | 1 : e.address));
    case Direction:
        return e.read ? "R" : "W";
    case Length:
        return std::to_string(e.length);
    case Data:
        return bytesText(e.bytes);
    case Nack:
        return nackText(e);
    case StatusText:
        return statusText(e.status);
    default:
        return {};
    }
}

bool Filter::matchesQuickly(const BusLog& log, std::uint64_t number) const
{
    if (!address7 && !failuresOnly)
        return true;
    if (log.isNote(number))
        return false;
    if (address7 && (log.addressOf(number) >> 1) != *address7)
        return false;
    return !failuresOnly ||
           (log.statusOf(number) != 0 && !(log.isPoll(number) && log.statusOf(number) == status::AddressNack));
}

namespace {
bool containsNoCase(const std::string& hay, const std::string& needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           }) != hay.end();
}
} // namespace

bool Filter::matches(const BusLogEntry& e) const
{
    if ((address7 || failuresOnly) && e.isNote())
        return false;
    if (address7 && (e.address >> 1) != *address7)
        return false;
    if (failuresOnly && (e.status == 0 || expectedNack(e)))
        return false;
    if (text.empty())
        return true;
    for (int c = 0; c < ColumnCount; ++c)
        if (containsNoCase(cellText(e, static_cast<Column>(c)), text))
            return true;
    return false;
}

AddressFilter parseAddressFilter(std::string_view text)
{
    AddressFilter f;
    std::uint32_t v = 0;
    if (text.empty() || text.size() > 2 || !tryHexToInt(text, v))
        return f;
    if (v < 0x80) {
        f.address7 = static_cast<std::uint8_t>(v);
        f.taken = "7-bit 0x" + intToHex(v, 2);
    } else {
        f.address7 = static_cast<std::uint8_t>(v >> 1);
        f.taken = "8-bit 0x" + intToHex(v, 2) + " = 7-bit 0x" + intToHex(v >> 1, 2);
    }
    return f;
}

} // namespace tp::buslog
