#include "core/memory/MemFile.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tp {

namespace {

[[noreturn]] void readBeyondEnd()
{
    throw FileError("Read beyond end of file");
}

void putText(std::vector<std::uint8_t>& b, const std::string& text)
{
    std::memcpy(b.data(), text.data(), text.size());
}

} // namespace

std::string MemFile::smallMagic(std::size_t size)
{
    switch (size) {
    case 16: return "TarnwickSmallEE016";
    case 128: return "TarnwickSmallEE128";
    case 256: return "TarnwickSmallEE256";
    case 512: return "TarnwickSmallEE512";
    case 1024: return "TarnwickSmallEE1KB";
    case 2048: return "TarnwickSmallEE2KB";
    default: throw std::invalid_argument("no small memory record of " + std::to_string(size) + " bytes");
    }
}

std::vector<std::uint8_t> MemFile::encodeSmall(const MemoryImage& image, const MemSettings& settings)
{
    const std::size_t size = image.size();
    std::vector<std::uint8_t> b(SmallHeaderSize + size);
    putText(b, smallMagic(size));
    std::uint32_t address = 0;
    b[18] = tryHexToInt(settings.addressText, address) ? static_cast<std::uint8_t>(address & 0xFF) : 0xA0;
    b[19] = static_cast<std::uint8_t>(settings.pageSize & 0xFF);
    FileBytes::putLe16(b, 20, static_cast<std::uint32_t>(settings.writeTimeMs));
    FileBytes::putLe16(b, 22, static_cast<std::uint32_t>(size));
    image.readValues(0, std::span(b).subspan(SmallHeaderSize));
    return b;
}

std::vector<std::uint8_t> MemFile::encodeLarge(const MemoryImage& image, const MemSettings& settings)
{
    const std::size_t size = image.size();
    std::vector<std::uint8_t> b(LargeHeaderSize + size);
    // Free-form leading field; readers skip it.
    const std::size_t kb = size / 1024;
    putText(b, "TarnwickLargeEE" + std::string(kb < 10 ? "0" : "") + std::to_string(kb) + "K");
    FileBytes::putLe16(b, 18, hexToInt(settings.addressText) & 0xFE);
    FileBytes::putLe16(b, 20, static_cast<std::uint32_t>(settings.writeTimeMs));
    FileBytes::putLe16(b, 22, static_cast<std::uint32_t>(size % 65536));
    FileBytes::putLe16(b, 24, static_cast<std::uint32_t>(settings.pageSize));
    image.readValues(0, std::span(b).subspan(LargeHeaderSize), CellRead::TrimBlanks);
    return b;
}

void MemFile::writeSmall(const std::string& path, const MemoryImage& image, const MemSettings& settings)
{
    FileBytes::replace(path, encodeSmall(image, settings));
}

void MemFile::writeLarge(const std::string& path, const MemoryImage& image, const MemSettings& settings)
{
    FileBytes::replace(path, encodeLarge(image, settings));
}

MemRead MemFile::decodeSmall(std::span<const std::uint8_t> file, MemoryImage& image)
{
    if (file.size() < SmallHeaderSize)
        readBeyondEnd();
    MemRead r;
    r.header.address = file[18];
    r.header.pageSize = file[19] == 0 ? 8 : file[19];
    r.header.writeTimeMs = FileBytes::le16(file, 20);
    r.header.count = FileBytes::le16(file, 22);
    const std::size_t take = std::min<std::size_t>(r.header.count, image.size());
    if (file.size() - SmallHeaderSize < take)
        readBeyondEnd();
    r.changed = image.display(0, file.subspan(SmallHeaderSize, take));
    return r;
}

MemRead MemFile::decodeLarge(std::span<const std::uint8_t> file, MemoryImage& image)
{
    if (file.size() < LargeHeaderSize)
        readBeyondEnd();
    MemRead r;
    r.header.address = FileBytes::le16(file, 18);
    r.header.writeTimeMs = FileBytes::le16(file, 20);
    const std::uint16_t stored = FileBytes::le16(file, 22);
    r.header.count = stored == 0 ? 65536u : stored;
    r.header.pageSize = FileBytes::le16(file, 24);
    const std::size_t take = std::min<std::size_t>(r.header.count, image.size());
    if (file.size() - LargeHeaderSize < take)
        readBeyondEnd();
    if (r.header.count > image.size())
        r.notice = Notice{Notice::Kind::Message, "Data file too large"};
    r.changed = image.display(0, file.subspan(LargeHeaderSize, take));
    return r;
}

MemRead MemFile::readSmall(const std::string& path, MemoryImage& image)
{
    const auto file = FileBytes::readPrefix(path, SmallHeaderSize + image.size());
    return decodeSmall(file, image);
}

MemRead MemFile::readLarge(const std::string& path, MemoryImage& image)
{
    const auto file = FileBytes::readPrefix(path, LargeHeaderSize + image.size());
    return decodeLarge(file, image);
}

} // namespace tp
