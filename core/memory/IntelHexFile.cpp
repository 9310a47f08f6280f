#include "core/memory/IntelHexFile.h"
#include "core/memory/FileBytes.h"

#include <algorithm>
#include <array>

namespace tp {

namespace {

const char kHex[] = "0123456789ABCDEF";

void putByte(std::string& out, std::uint8_t v)
{
    out += kHex[v >> 4];
    out += kHex[v & 0xF];
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Splits text into lines at CR LF, LF or CR.
template <typename F>
bool forEachLine(std::string_view text, F&& f)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (!f(text.substr(pos, end - pos)))
            return false;
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return true;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string IntelHexFile::encode(const MemoryImage& image, CellRead mode)
{
    const auto bytes = image.values(mode);
    std::string out;
    out.reserve(image.rows() * 45 + 13);
    for (std::size_t a = 0; a < bytes.size(); a += 16) {
        const auto row = std::span(bytes).subspan(a, 16);
        if (std::all_of(row.begin(), row.end(), [](std::uint8_t b) { return b == 0xFF; }))
            continue;
        std::uint8_t sum = 0x10 + static_cast<std::uint8_t>(a >> 8) + static_cast<std::uint8_t>(a & 0xFF);
        out += ":10";
        putByte(out, static_cast<std::uint8_t>(a >> 8));
        putByte(out, static_cast<std::uint8_t>(a & 0xFF));
        out += "00";
        for (std::uint8_t b : row) {
            putByte(out, b);
            sum = static_cast<std::uint8_t>(sum + b);
        }
        putByte(out, static_cast<std::uint8_t>(-sum));
        out += "\r\n";
    }
    out += ":00000001FF\r\n";
    return out;
}

void IntelHexFile::write(const std::string& path, const MemoryImage& image, CellRead mode)
{
    FileBytes::replace(path, encode(image, mode));
}

HexReadStatus IntelHexFile::decode(std::string_view text, std::span<std::uint8_t> bytes)
{
    HexReadStatus status = HexReadStatus::Ok;
    bool anyRecord = false;
    std::uint64_t base = 0;
    bool segmented = false; // 02 records: offsets wrap within the 64 KB segment
    std::array<std::uint8_t, 260> rec{};

    forEachLine(text, [&](std::string_view raw) {
        const std::string_view line = trim(raw);
        if (line.empty())
            return true;
        if (line[0] != ':') {
            status = HexReadStatus::InvalidFile;
            return false;
        }
        const std::string_view digits = line.substr(1);
        if (digits.size() % 2 != 0 || digits.size() < 10 || digits.size() / 2 > rec.size()) {
            status = HexReadStatus::InvalidFile;
            return false;
        }
        const std::size_t length = digits.size() / 2;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const int hi = hexDigit(digits[2 * i]);
            const int lo = hexDigit(digits[2 * i + 1]);
            if (hi < 0 || lo < 0) {
                status = HexReadStatus::InvalidFile;
                return false;
            }
            rec[i] = static_cast<std::uint8_t>(hi << 4 | lo);
            sum = static_cast<std::uint8_t>(sum + rec[i]);
        }
        const std::size_t count = rec[0];
        if (length != count + 5 || sum != 0) {
            status = HexReadStatus::InvalidFile;
            return false;
        }
        anyRecord = true;
        const std::uint32_t offset = static_cast<std::uint32_t>(rec[1] << 8 | rec[2]);
        const std::uint8_t* data = rec.data() + 4;
        switch (rec[3]) {
        case 0x00:
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint64_t address =
                    segmented ? base + ((offset + i) & 0xFFFF) : base + offset + i;
                if (address >= bytes.size()) {
                    status = HexReadStatus::InvalidAddress;
                    return false;
                }
                bytes[address] = data[i];
            }
            return true;
        case 0x01:
            return false; // end of file
        case 0x02:
        case 0x04:
            if (count != 2) {
                status = HexReadStatus::InvalidFile;
                return false;
            }
            segmented = rec[3] == 0x02;
            base = static_cast<std::uint64_t>(data[0] << 8 | data[1]) << (segmented ? 4 : 16);
            return true;
        case 0x03:
        case 0x05:
            return true;
        default:
            status = HexReadStatus::InvalidFile;
            return false;
        }
    });
    // Blanks and control characters alone are not an empty image.
    if (status == HexReadStatus::Ok && !anyRecord)
        status = HexReadStatus::InvalidFile;
    return status;
}

HexRead IntelHexFile::load(std::string_view text, MemoryImage& image)
{
    std::vector<std::uint8_t> bytes(image.size(), 0xFF);
    HexRead r;
    r.status = decode(text, bytes);
    if (r.status == HexReadStatus::Ok)
        r.changed = image.display(0, bytes);
    return r;
}

HexRead IntelHexFile::read(const std::string& path, MemoryImage& image)
{
    const auto file = FileBytes::readAtMost(path, kMaxFileSize);
    return load(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()), image);
}

StatusMessage IntelHexFile::message(HexReadStatus status)
{
    StatusMessage m;
    if (status == HexReadStatus::Ok)
        return blankMessage(Align::Centre);
    m.text = status == HexReadStatus::InvalidAddress ? "  Invalid Hex File Address" : "  Invalid Hex File";
    m.background = colour::Red;
    m.textColour = colour::White;
    m.align = Align::Centre;
    return m;
}

} // namespace tp
