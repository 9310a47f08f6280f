#include "core/memory/CsvFile.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"

#include <algorithm>
#include <filesystem>

namespace tp {

namespace {

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    while (!lines.empty() && MemoryImage::trimBlanks(lines.back()).empty())
        lines.pop_back();
    return lines;
}

void appendField(std::string& out, const std::string& text)
{
    if (text.find_first_of(",\"") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string CsvFile::encode(const MemoryImage& image)
{
    std::string out;
    out.reserve(image.rows() * 49);
    for (std::size_t a = 0; a < image.size(); a += 16) {
        for (std::size_t c = 0; c < 16; ++c) {
            if (c)
                out += ',';
            if (image.isPlain(a + c)) {
                out += image.cellText(a + c);
            } else {
                appendField(out, image.cellText(a + c));
            }
        }
        out += "\r\n";
    }
    return out;
}

void CsvFile::write(const std::string& path, const MemoryImage& image)
{
    FileBytes::replace(path, encode(image));
}

char CsvFile::separator(std::string_view line1, std::string_view line2)
{
    static const char candidates[] = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};
    char best = ',';
    std::ptrdiff_t bestCount = 0;
    for (char c : candidates) {
        const auto n1 = std::count(line1.begin(), line1.end(), c);
        const auto n2 = std::count(line2.begin(), line2.end(), c);
        if (n1 == n2 && n1 > bestCount) {
            best = c;
            bestCount = n1;
        }
    }
    return best;
}

std::vector<std::string> CsvFile::splitLine(std::string_view line, char separator)
{
    std::vector<std::string> values;
    std::size_t pos = 0;
    while (true) {
        std::string value;
        // Skip blanks before a value, but not the separator itself (tab).
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos < line.size() && line[pos] == '"') {
            ++pos;
            while (pos < line.size()) {
                if (line[pos] == '"') {
                    if (pos + 1 < line.size() && line[pos + 1] == '"') {
                        value += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += line[pos++];
            }
            // Anything between the closing quote and the separator is kept.
            while (pos < line.size() && line[pos] != separator)
                value += line[pos++];
        } else {
            while (pos < line.size() && line[pos] != separator)
                value += line[pos++];
        }
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        values.push_back(std::move(value));
        if (pos >= line.size())
            break;
        ++pos; // the separator
    }
    return values;
}

CellRange CsvFile::decode(std::string_view text, MemoryImage& image)
{
    const auto lines = splitLines(text);
    if (lines.empty())
        return {};
    const char sep = separator(lines[0], lines.size() > 1 ? lines[1] : lines[0]);
    const std::size_t rows = std::min(lines.size(), image.rows());

    // Read everything first, so a bad value leaves the image as it was.
    std::vector<std::uint8_t> bytes(rows * 16);
    std::vector<std::uint8_t> present(rows * 16, 0);
    for (std::size_t r = 0; r < rows; ++r) {
        const auto values = splitLine(lines[r], sep);
        const std::size_t n = std::min<std::size_t>(values.size(), 16);
        for (std::size_t c = 0; c < n; ++c) {
            const std::uint32_t v = hexToInt(values[c]);
            if (v > 0xFF)
                throw InvalidNumber("$" + values[c]);
            bytes[r * 16 + c] = static_cast<std::uint8_t>(v);
            present[r * 16 + c] = 1;
        }
    }
    for (std::size_t a = 0; a < bytes.size(); ++a)
        if (present[a])
            image.setCellText(a, intToHex(bytes[a], 2));
    for (std::size_t a = 0; a < image.size(); ++a) {
        if (image.isPlain(a)) {
            image.setAsciiCell(a, MemoryImage::asciiFor(image.value(a)));
        } else {
            std::uint32_t v = 0;
            if (tryHexToInt(image.cellText(a), v))
                image.setAsciiCell(a, MemoryImage::asciiFor(v));
        }
    }
    return {0, image.size()};
}

CellRange CsvFile::read(const std::string& path, MemoryImage& image)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())), ec))
        return {};
    const auto file = FileBytes::readAtMost(path, kMaxFileSize);
    return decode(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()), image);
}

} // namespace tp
