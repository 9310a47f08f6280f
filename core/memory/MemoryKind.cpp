#include "core/memory/MemoryKind.h"

#include <stdexcept>

namespace tp {

namespace {

const std::vector<MemoryLayout>& layouts()
{
    static const std::vector<std::string> a512{"A0", "A4", "A8", "AC"};
    static const std::vector<std::string> a1k{"A0", "A8"};
    static const std::vector<std::string> a2k{"A0"};
    static const std::vector<MemoryLayout> table{
        {16, "16 Byte (128 bit)", 1, 1, "0", "F", "0", "7", "8", "F", {}, "000", 1},
        {128, "128 Byte (1024 bit)", 2, 2, "00", "7F", "00", "3F", "40", "7F", {}, "000", 8},
        {256, "256 Byte (2048 bit)", 2, 2, "00", "FF", "00", "7F", "80", "FF", {}, "000", 8},
        {512, "512 Byte (4096 bit)", 3, 3, "000", "1FF", "000", "0FF", "100", "1FF", a512, "000", 8},
        {1024, "1024 Byte (8192 bit)", 3, 3, "000", "3FF", "000", "1FF", "200", "3FF", a1k, "000", 8},
        {2048, "2048 Byte (16384 bit)", 3, 3, "000", "7FF", "000", "3FF", "400", "7FF", a2k, "000", 8},
        {4096, "4096 Byte (32768 bit)", 3, 4, "0", "FFF", "000", "7FF", "800", "FFF", {}, "000", 8},
        {8192, "8192 Byte (64K bit)", 4, 4, "0", "1FFF", "0000", "FFF", "1000", "1FFF", {}, "0000", 8},
        {16384, "16384 Byte (128K bit)", 4, 4, "0", "3FFF", "0000", "1FFF", "2000", "3FFF", {}, "000", 8},
        {32768, "32768 Byte (256K bit)", 4, 4, "0", "7FFF", "0000", "3FFF", "4000", "7FFF", {}, "000", 8},
        {65536, "65536 Byte (512K bit)", 4, 4, "0", "FFFF", "0000", "7FFF", "8000", "FFFF", {}, "000", 8},
    };
    return table;
}

} // namespace

const MemoryLayout& memoryLayout(std::size_t size)
{
    for (const auto& l : layouts())
        if (l.size == size)
            return l;
    throw std::invalid_argument("no memory entry of " + std::to_string(size) + " bytes");
}

const std::vector<std::size_t>& memorySizes()
{
    static const std::vector<std::size_t> sizes = [] {
        std::vector<std::size_t> s;
        for (const auto& l : layouts())
            s.push_back(l.size);
        return s;
    }();
    return sizes;
}

bool isLargeSize(std::size_t size) { return size >= 4096; }

std::string memoryCaption(std::size_t size, MemoryKind kind)
{
    return memoryLayout(size).sizeCaption + (isEeprom(kind) ? " EEPROM" : " RAM / FRAM");
}

const std::vector<std::string>& defaultAddressChoices()
{
    static const std::vector<std::string> list{"A0", "A2", "A4", "A6", "A8", "AA", "AC", "AE"};
    return list;
}

const std::vector<std::string>& pageSizeChoices(MemoryKind kind)
{
    static const std::vector<std::string> small{"1", "8", "16", "32"};
    static const std::vector<std::string> large{"1", "8", "16", "32", "64", "128", "256"};
    return isLarge(kind) ? large : small;
}

std::size_t datasheetPageSize(std::size_t size)
{
    if (size <= 16)
        return 1; // 24C00: byte writes only
    if (size <= 256)
        return 8;
    if (size <= 2048)
        return 16;
    if (size <= 8192)
        return 32;
    if (size <= 32768)
        return 64;
    return 128;
}

} // namespace tp
