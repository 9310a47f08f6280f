#include "core/memory/MemoryImage.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tp {

namespace {

const char kHex[] = "0123456789ABCDEF";

int upperHexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::uint8_t readHex(std::string_view text)
{
    return static_cast<std::uint8_t>(hexToInt(text) & 0xFF);
}

} // namespace

bool MemoryImage::isValidSize(std::size_t size)
{
    return size >= MinSize && size <= MaxSize && size % RowLength == 0;
}

MemoryImage::MemoryImage(std::size_t size)
{
    if (!isValidSize(size))
        throw std::invalid_argument("memory image size " + std::to_string(size));
    m_bytes.assign(size, 0xFF);
    m_ascii.assign(size, '.');
}

void MemoryImage::check(std::size_t first, std::size_t count) const
{
    if (first > size() || count > size() - first)
        throw std::out_of_range("memory image range " + std::to_string(first) + "+" + std::to_string(count));
}

bool MemoryImage::isPlainText(std::string_view text)
{
    return text.size() == 2 && upperHexDigit(text[0]) >= 0 && upperHexDigit(text[1]) >= 0;
}

std::string_view MemoryImage::trimBlanks(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

std::string MemoryImage::cellText(std::size_t address) const
{
    std::uint8_t v = m_bytes.at(address);
    if (!m_odd.empty()) {
        auto it = m_odd.find(key(address));
        if (it != m_odd.end())
            return it->second;
    }
    return std::string{kHex[v >> 4], kHex[v & 0xF]};
}

void MemoryImage::setCellText(std::size_t address, std::string_view text)
{
    check(address, 1);
    if (isPlainText(text)) {
        m_bytes[address] = static_cast<std::uint8_t>(upperHexDigit(text[0]) << 4 | upperHexDigit(text[1]));
        if (!m_odd.empty())
            m_odd.erase(key(address));
    } else {
        m_odd[key(address)] = std::string(text);
    }
}

bool MemoryImage::hasOddCells(std::size_t first, std::size_t count) const
{
    if (m_odd.empty() || count == 0)
        return false;
    auto it = m_odd.lower_bound(key(first));
    return it != m_odd.end() && it->first < first + count;
}

void MemoryImage::clearOdd(std::size_t first, std::size_t count)
{
    if (m_odd.empty() || count == 0)
        return;
    m_odd.erase(m_odd.lower_bound(key(first)), m_odd.lower_bound(key(first + count)));
}

std::uint8_t MemoryImage::value(std::size_t address, CellRead mode) const
{
    std::uint8_t v = m_bytes.at(address);
    if (m_odd.empty())
        return v;
    auto it = m_odd.find(key(address));
    if (it == m_odd.end())
        return v;
    std::string_view text = it->second;
    return readHex(mode == CellRead::TrimBlanks ? trimBlanks(text) : text);
}

void MemoryImage::readValues(std::size_t first, std::span<std::uint8_t> out, CellRead mode) const
{
    check(first, out.size());
    if (out.empty())
        return; // an empty span may have no storage to copy into
    std::memcpy(out.data(), m_bytes.data() + first, out.size());
    if (!hasOddCells(first, out.size()))
        return;
    for (auto it = m_odd.lower_bound(key(first)); it != m_odd.end() && it->first < first + out.size(); ++it) {
        std::string_view text = it->second;
        out[it->first - first] = readHex(mode == CellRead::TrimBlanks ? trimBlanks(text) : text);
    }
}

std::vector<std::uint8_t> MemoryImage::values(CellRead mode) const
{
    std::vector<std::uint8_t> out(size());
    readValues(0, out, mode);
    return out;
}

CellRange MemoryImage::display(std::size_t first, std::span<const std::uint8_t> bytes)
{
    check(first, bytes.size());
    if (bytes.empty())
        return {first, first}; // an empty file's span may have no storage at all
    std::memcpy(m_bytes.data() + first, bytes.data(), bytes.size());
    char* ascii = m_ascii.data() + first;
    for (std::uint8_t b : bytes)
        *ascii++ = asciiFor(b);
    clearOdd(first, bytes.size());
    return {first, first + bytes.size()};
}

CellRange MemoryImage::fillBytes(std::size_t first, std::size_t count, std::uint8_t value, bool setAscii)
{
    check(first, count);
    std::memset(m_bytes.data() + first, value, count);
    if (setAscii)
        std::memset(m_ascii.data() + first, asciiFor(value), count);
    clearOdd(first, count);
    return {first, first + count};
}

CellRange MemoryImage::fillText(std::size_t first, std::size_t count, std::string_view text, const char* ascii)
{
    check(first, count);
    if (isPlainText(text)) {
        auto v = static_cast<std::uint8_t>(upperHexDigit(text[0]) << 4 | upperHexDigit(text[1]));
        std::memset(m_bytes.data() + first, v, count);
        clearOdd(first, count);
    } else {
        auto hint = m_odd.lower_bound(key(first));
        for (std::size_t a = first; a < first + count; ++a) {
            hint = m_odd.insert_or_assign(hint, key(a), std::string(text));
            ++hint;
        }
    }
    if (ascii)
        std::memset(m_ascii.data() + first, *ascii, count);
    return {first, first + count};
}

void MemoryImage::followEdit(std::size_t address, std::string_view editorText)
{
    check(address, 1);
    std::string_view text = trimBlanks(editorText);
    if (text.size() >= 2)
        m_ascii[address] = asciiFor(hexToInt(text));
}

std::string MemoryImage::normaliseCellText(std::string_view text)
{
    std::string_view t = trimBlanks(text);
    if (t.empty())
        return "FF";
    if (t.size() == 1)
        return std::string("0") + t[0];
    return std::string(t);
}

std::string MemoryImage::commitEdit(std::size_t address, std::string_view editorText)
{
    std::string text = normaliseCellText(editorText);
    setCellText(address, text);
    return text;
}

bool MemoryImage::typeAscii(std::size_t address, std::uint8_t code)
{
    check(address, 1);
    if (code <= 13)
        return false;
    m_ascii[address] = static_cast<char>(code);
    m_bytes[address] = code;
    clearOdd(address, 1);
    return true;
}

} // namespace tp
