#include "cli/TransferSyntax.h"
#include "cli/CliTypes.h"
#include "core/common/HexText.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace tp::cli {

namespace {

constexpr std::size_t kMaxMessages = 42; // what one i2c-dev transaction carries

bool isDigitIn(char c, int base)
{
    if (base == 16)
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    return c >= '0' && c < '0' + base;
}

// A C literal at the start of `text` as strtoul reads it with base 0;
// `used` gets how many characters it took (0: none).
std::optional<unsigned long> leadingNumber(std::string_view text, std::size_t& used)
{
    int base = 10;
    std::size_t i = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && isDigitIn(text[2], 16)) {
        base = 16;
        i = 2;
    } else if (!text.empty() && text[0] == '0') {
        base = 8;
    }
    unsigned long value = 0;
    const std::size_t start = i;
    for (; i < text.size() && isDigitIn(text[i], base); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        value = value * static_cast<unsigned long>(base) +
                static_cast<unsigned long>(c >= 'a' ? c - 'a' + 10 : c - '0');
        if (value > 0xFFFFFFFFul)
            return std::nullopt;
    }
    used = i;
    if (i == start)
        return std::nullopt;
    return value;
}

[[noreturn]] void refuse(const std::string& arg, const std::string& why)
{
    throw UsageError("transfer: '" + arg + "': " + why);
}

const char* const kDescForm = "a message is {r|w}LENGTH[@ADDRESS], as w2@0x50 or r8";

std::uint8_t nextFill(std::uint8_t value, char suffix)
{
    switch (suffix) {
    case '+':
        return static_cast<std::uint8_t>(value + 1);
    case '-':
        return static_cast<std::uint8_t>(value - 1);
    case 'p': { // i2ctransfer's generator, so a pattern written by either reads the same
        const auto v = static_cast<std::uint8_t>((value ^ 27) + 13);
        return static_cast<std::uint8_t>((v << 1) | (v >> 7));
    }
    default:
        return value;
    }
}

} // namespace

std::vector<I2cMessage> parseTransfer(const std::vector<std::string>& args, bool anyAddress)
{
    std::vector<I2cMessage> messages;
    std::optional<std::uint8_t> address;
    std::size_t filled = 0; // data bytes of the last write given so far
    bool wantData = false;
    for (const std::string& arg : args) {
        if (wantData) {
            I2cMessage& m = messages.back();
            std::size_t used = 0;
            const auto v = leadingNumber(arg, used);
            if (!v || *v > 0xFF)
                refuse(arg, "not a data byte: 0 to 0xff, with an optional suffix = + - or p");
            const std::string_view suffix = std::string_view(arg).substr(used);
            if (suffix.size() > 1 || (suffix.size() == 1 && std::string_view("=+-p").find(suffix[0]) ==
                                                               std::string_view::npos))
                refuse(arg, "a data byte's suffix is one of = + - p");
            auto value = static_cast<std::uint8_t>(*v);
            m.data[filled++] = value;
            if (!suffix.empty())
                while (filled < m.data.size()) {
                    value = nextFill(value, suffix[0]);
                    m.data[filled++] = value;
                }
            wantData = filled < m.data.size();
            continue;
        }
        if (messages.size() == kMaxMessages)
            refuse(arg, "at most " + std::to_string(kMaxMessages) + " messages in one transfer");
        std::string_view d = arg;
        if (!d.empty() && std::string_view("inpst").find(d[0]) != std::string_view::npos && d.size() > 1 &&
            (d[1] == 'r' || d[1] == 'w' || std::string_view("inpst").find(d[1]) != std::string_view::npos))
            refuse(arg, "message flags (i, n, p, s, t) are not supported: Tallyport sends plain I\u00B2C messages");
        if (d.empty() || (d[0] != 'r' && d[0] != 'w'))
            refuse(arg, std::string("a message must start with r or w: ") + kDescForm);
        const bool read = d[0] == 'r';
        d.remove_prefix(1);
        if (!d.empty() && d[0] == '?')
            refuse(arg, "a read of variable length (r?) is not supported: give its LENGTH");
        std::size_t used = 0;
        const auto length = leadingNumber(d, used);
        if (!length || *length > 0xFFFF)
            refuse(arg, std::string("LENGTH is 0 to 65535: ") + kDescForm);
        d.remove_prefix(used);
        if (!d.empty()) {
            if (d[0] != '@')
                refuse(arg, std::string("'@' must follow LENGTH: ") + kDescForm);
            d.remove_prefix(1);
            const auto a = leadingNumber(d, used);
            const unsigned long lo = anyAddress ? 0x00 : 0x08, hi = anyAddress ? 0x7F : 0x77;
            if (!a || used != d.size() || *a < lo || *a > hi)
                refuse(arg, "the address is 7-bit, 0x" + intToHex(lo, 2) + " to 0x" + intToHex(hi, 2) +
                                (anyAddress ? "" : " (--all-addresses allows 0x00 to 0x7F)"));
            address = static_cast<std::uint8_t>(*a << 1);
        } else if (!address) {
            refuse(arg, std::string("the first message needs an address: ") + kDescForm);
        }
        messages.push_back(read ? I2cMessage::readBytes(*address, *length)
                                : I2cMessage::write(*address, std::vector<std::uint8_t>(*length, 0)));
        filled = 0;
        wantData = !read && *length > 0;
    }
    if (wantData)
        throw UsageError("transfer: the last write message has " + std::to_string(filled) + " of its " +
                         std::to_string(messages.back().data.size()) + " data bytes");
    if (messages.empty())
        throw UsageError(std::string("transfer: no message given: ") + kDescForm);
    return messages;
}

std::string transferOutput(const std::vector<I2cMessage>& messages)
{
    std::string out;
    for (const I2cMessage& m : messages) {
        if (!m.read || m.data.empty())
            continue;
        for (std::size_t i = 0; i < m.data.size(); ++i) {
            char b[8];
            std::snprintf(b, sizeof b, "0x%02x", m.data[i]);
            out += b;
            out += i + 1 < m.data.size() ? ' ' : '\n';
        }
    }
    return out;
}

namespace {

std::vector<std::string> words(std::string_view line)
{
    std::vector<std::string> out;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                out.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote)
        throw UsageError("an unmatched quote");
    if (inWord)
        out.push_back(word);
    return out;
}

std::uint64_t sleepUs(const std::string& text)
{
    std::uint64_t whole = 0, frac = 0, scale = 1000000;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, digits = true)
        whole = whole * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, digits = true)
            if (scale > 1) {
                scale /= 10;
                frac += static_cast<std::uint64_t>(text[i] - '0') * scale;
            }
    if (!digits || i != text.size() || whole > 86400)
        throw UsageError("sleep '" + text + "': seconds, as 0.005");
    return whole * 1000000 + frac;
}

} // namespace

ScriptLine parseScriptLine(std::string_view line)
{
    ScriptLine s;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (line.empty())
        return s;
    if (line[0] == '#') {
        s.kind = ScriptLine::Kind::Comment;
        return s;
    }
    const std::vector<std::string> w = words(line);
    if (w[0] == "set" || w[0].rfind("BUS=", 0) == 0) {
        s.kind = ScriptLine::Kind::Shell;
        return s;
    }
    if (w[0] == "sleep" && w.size() == 2) {
        s.kind = ScriptLine::Kind::Sleep;
        s.sleepUs = sleepUs(w[1]);
        return s;
    }
    if (w[0] != "i2ctransfer" && (w[0].size() < 12 || w[0].substr(w[0].size() - 12) != "/i2ctransfer"))
        throw UsageError("not an i2ctransfer command, a sleep or a comment");
    s.kind = ScriptLine::Kind::Transfer;
    std::size_t i = 1;
    for (; i < w.size() && w[i].size() > 1 && w[i][0] == '-'; ++i)
        for (char c : w[i].substr(1)) {
            if (c == 'f')
                s.force = true;
            else if (c == 'a')
                s.anyAddress = true;
            else if (c != 'y' && c != 'v')
                throw UsageError(std::string("i2ctransfer option -") + c + " is not supported (-y, -f, -a and -v are)");
        }
    if (i == w.size())
        throw UsageError("i2ctransfer without its bus");
    s.args.assign(w.begin() + static_cast<std::ptrdiff_t>(i) + 1, w.end()); // the bus is the adapter's
    return s;
}

} // namespace tp::cli
