#include "core/universal/DefinitionFile.h"
#include "core/common/CodePage.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"
#include "core/universal/IniDocument.h"

#include <filesystem>

namespace tp::userdev {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr const char* kColumnHeading = "Register  Value  Register Description";

bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80             ? 0
                          : (b & 0xE0) == 0xC0 ? 1
                          : (b & 0xF0) == 0xE0 ? 2
                          : (b & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80)
                return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A whole decimal number of at most nine digits, with an optional minus.
bool decimal(std::string_view t, long& out)
{
    bool negative = false;
    if (!t.empty() && t.front() == '-') {
        negative = true;
        t.remove_prefix(1);
    }
    if (t.empty() || t.size() > 9)
        return false;
    long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = negative ? -v : v;
    return true;
}

std::string inQuotes(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

std::string fileName(const std::string& path)
{
    const std::filesystem::path p(std::u8string(path.begin(), path.end()));
    const std::u8string name = p.filename().u8string();
    return std::string(name.begin(), name.end());
}

// The text as bytes: in `preferred`, unless code page 1252 would turn some
// of it into "?", or the bytes would read back as UTF-8: a code page file
// that starts with the three characters of a byte-order mark and is
// otherwise valid UTF-8 would lose them and change every other non-ASCII
// character on its next reading.
std::string encoded(const std::string& text, FileEncoding preferred)
{
    std::string bytes;
    if (preferred == FileEncoding::Cp1252) {
        bytes = utf8ToCp1252(text);
        if (cp1252ToUtf8(bytes) == text && DefinitionFile::encodingOf(bytes) == FileEncoding::Cp1252)
            return bytes;
    }
    bytes.assign(kBom);
    bytes += text;
    return bytes;
}

} // namespace

FileEncoding DefinitionFile::encodingOf(std::string_view bytes)
{
    return bytes.substr(0, kBom.size()) == kBom && validUtf8(bytes.substr(kBom.size()))
               ? FileEncoding::Utf8WithBom
               : FileEncoding::Cp1252;
}

bool DefinitionFile::decode(std::string_view bytes, std::string& text)
{
    if (bytes.find('\0') != std::string_view::npos)
        return false;
    if (encodingOf(bytes) == FileEncoding::Utf8WithBom) {
        text = std::string(bytes.substr(kBom.size()));
        return true;
    }
    text = cp1252ToUtf8(bytes);
    return true;
}

Definition DefinitionFile::parse(std::string_view bytes)
{
    if (bytes.size() > kMaxFileSize)
        throw FileError("it is too large for a definition file");
    std::string text;
    if (!decode(bytes, text))
        throw FileError("it is not a text file");
    const IniDocument doc = IniDocument::parse(text);
    if (!doc.hasSection(kDeviceData) && !doc.hasSection(kRegisterData) &&
        !doc.hasSection(kRegisterDescription))
        throw FileError(
            "it has none of the sections [Device Data], [Register Data] and [Register Description]");

    Definition d;
    d.encoding = encodingOf(bytes);
    if (const auto a = doc.value(kDeviceData, "Address")) {
        const auto t = checkedValueText(*a);
        if (!t || trimmed(*a).empty())
            throw FileError("Address must be two hex digits, not " + inQuotes(*a));
        d.address = static_cast<std::uint8_t>(hexToInt(*t) & 0xFE);
    }
    if (const auto m = doc.value(kDeviceData, "MaxRegister")) {
        long v = 0;
        if (!decimal(trimmed(*m), v) || v < 0 || v >= kRegisterCount)
            throw FileError("MaxRegister must be a number from 0 to 255, not " + inQuotes(*m));
        d.maxRegister = static_cast<int>(v);
    }
    if (const auto n = doc.value(kDeviceData, "Name"))
        d.name = *n;

    for (int i = 0; i <= d.maxRegister; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string key = std::to_string(i);
        if (const auto v = doc.value(kRegisterData, key)) {
            const auto t = checkedValueText(*v);
            if (!t)
                throw FileError("the value of register " + key + " must be two hex digits, not " +
                                inQuotes(*v));
            d.values[k] = *t;
        } else {
            d.values[k] = "FF";
        }
        d.names[k] = doc.value(kRegisterDescription, key).value_or(kUndefinedRegister);
    }
    return d;
}

Definition DefinitionFile::load(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = FileBytes::readPrefix(path, kMaxFileSize + 1);
    } catch (const FileError& e) {
        throw FileError(inQuotes(fileName(path)) + " cannot be read: " + e.what());
    }
    try {
        return parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const FileError& e) {
        throw FileError(inQuotes(fileName(path)) + " is not a valid definition file: " + e.what() +
                        ". Nothing was loaded");
    }
}

std::string DefinitionFile::format(std::string_view existing, const UserDevice& device,
                                   bool eraseRegisterData)
{
    std::string text;
    IniDocument doc;
    FileEncoding encoding = device.encoding();
    if (existing.size() <= kMaxFileSize && decode(existing, text)) {
        doc = IniDocument::parse(text);
        if (encodingOf(existing) == FileEncoding::Utf8WithBom)
            encoding = FileEncoding::Utf8WithBom;
    }

    doc.setValue(kDeviceData, "Address", byteText(device.address()));
    doc.setValue(kDeviceData, "MaxRegister", std::to_string(device.maxRegister()));
    doc.setValue(kDeviceData, "Name", device.name());
    if (eraseRegisterData)
        doc.eraseSection(kRegisterData);
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::pair<std::string, std::string>> names;
    for (int i = 0; i <= device.maxRegister(); ++i) {
        const std::string key = std::to_string(i);
        values.emplace_back(key, device.valueText(i));
        names.emplace_back(key, device.registerName(i));
    }
    doc.setValues(kRegisterData, values);
    doc.setValues(kRegisterDescription, names);
    return encoded(doc.text(), encoding);
}

void DefinitionFile::save(const std::string& path, const UserDevice& device, bool eraseRegisterData)
{
    std::string existing;
    std::error_code ec;
    const std::filesystem::path p(std::u8string(path.begin(), path.end()));
    if (std::filesystem::is_regular_file(p, ec)) {
        // An unreadable or oversized old file is replaced, not merged.
        try {
            const auto bytes = FileBytes::readPrefix(path, kMaxFileSize + 1);
            existing.assign(bytes.begin(), bytes.end());
        } catch (const FileError&) {
            existing.clear();
        }
    }
    FileBytes::replace(path, format(existing, device, eraseRegisterData));
}

std::string DefinitionFile::exportText(const UserDevice& device)
{
    IniDocument doc;
    doc.setValue(kDeviceData, "Address", byteText(device.address()));
    doc.setValue(kDeviceData, "MaxRegister", std::to_string(device.maxRegister()));
    std::vector<std::pair<std::string, std::string>> registers;
    for (int i = 0; i <= device.maxRegister(); ++i)
        registers.emplace_back(intToHex(static_cast<std::uint64_t>(i), 2),
                               device.valueText(i) + "  ;" + device.registerName(i));
    doc.setValues(kRegisterData, registers);
    return encoded(doc.text(), device.encoding());
}

void DefinitionFile::saveExport(const std::string& path, const UserDevice& device)
{
    FileBytes::replace(path, exportText(device));
}

std::vector<std::string> DefinitionFile::reportLines(const UserDevice& device)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(device.registerCount()) + 3);
    lines.push_back("Device Name is: " + device.name());
    lines.push_back("Device Address is: 0x" + byteText(device.address()));
    lines.push_back(kColumnHeading);
    for (int i = 0; i <= device.maxRegister(); ++i)
        lines.push_back("  0x" + intToHex(static_cast<std::uint64_t>(i), 2) + "     " + device.valueText(i) +
                        "    ;" + device.registerName(i));
    return lines;
}

std::vector<std::vector<std::string>> DefinitionFile::reportPages(const std::vector<std::string>& lines,
                                                                  std::size_t linesPerPage)
{
    const std::size_t perPage = linesPerPage < 2 ? 2 : linesPerPage;
    std::vector<std::vector<std::string>> pages;
    std::size_t next = 0;
    while (next < lines.size()) {
        std::vector<std::string> page;
        if (!pages.empty())
            page.push_back(kColumnHeading);
        while (next < lines.size() && page.size() < perPage)
            page.push_back(lines[next++]);
        pages.push_back(std::move(page));
    }
    return pages;
}

} // namespace tp::userdev
