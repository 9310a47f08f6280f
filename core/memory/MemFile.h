#pragma once
#include "core/memory/MemoryImage.h"
#include "core/memory/Notice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tp {

// The "Device Setup" items a .mem file stores, as the window holds them.
struct MemSettings {
    std::string addressText = "A0"; // the "Address" item's text
    int pageSize = 0;               // "Page Size"; 0 for RAM windows
    int writeTimeMs = 0;            // "Write Time"; 0 for RAM windows
};

// Header fields of a .mem file read back, for the window to apply:
// "Address" := IntToHex(address, 2); EEPROM windows also take pageSize
// and writeTimeMs.
struct MemHeader {
    std::uint16_t address = 0;
    std::uint16_t pageSize = 0; // small record: a stored 0 reads as 8
    std::uint16_t writeTimeMs = 0;
    std::uint32_t count = 0;    // data bytes the file says it holds
    bool operator==(const MemHeader&) const = default;
};

struct MemRead {
    MemHeader header;
    std::optional<Notice> notice; // "Data file too large"
    CellRange changed;
};

// The .mem formats of the memory windows: the small memory record (24-byte
// header, sizes 16 to 2048) and the large memory stream (26-byte header,
// 4096 to 65536). Little-endian numbers.
//
// Writers build the whole file first (a cell that is not a number throws
// InvalidNumber before anything is written) and then replace the file, so
// it holds exactly the new content. Readers change the image only when the
// file is sound; a short file throws FileError("Read beyond end of file").
// The count in the header bounds what is read; cells beyond the file's
// data keep their content.
class MemFile {
public:
    static constexpr std::size_t SmallHeaderSize = 24;
    static constexpr std::size_t LargeHeaderSize = 26;

    // "TarnwickSmallEE256" and so on; std::invalid_argument for a size
    // without one.
    static std::string smallMagic(std::size_t size);

    // Address: the text read as hex (low 8 bits), 0xA0 when it is not hex.
    static std::vector<std::uint8_t> encodeSmall(const MemoryImage& image, const MemSettings& settings);
    // Address: the text read as hex (throws InvalidNumber), bit 0 cleared.
    // Cells are read with blanks trimmed.
    static std::vector<std::uint8_t> encodeLarge(const MemoryImage& image, const MemSettings& settings);

    static void writeSmall(const std::string& path, const MemoryImage& image, const MemSettings& settings);
    static void writeLarge(const std::string& path, const MemoryImage& image, const MemSettings& settings);

    // The magic is not examined: a record of another size or window reads
    // by the same offsets, its first min(count, S) data bytes shown.
    static MemRead readSmall(const std::string& path, MemoryImage& image);
    // The leading field is not examined. A count above S (a stored 0 counts
    // as 65536) gives the notice "Data file too large" and the first S bytes.
    static MemRead readLarge(const std::string& path, MemoryImage& image);

    static MemRead decodeSmall(std::span<const std::uint8_t> file, MemoryImage& image);
    static MemRead decodeLarge(std::span<const std::uint8_t> file, MemoryImage& image);
};

} // namespace tp
