#pragma once
#include "core/common/Status.h"
#include "core/memory/MemoryImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

enum class HexReadStatus { Ok, InvalidFile, InvalidAddress };

struct HexRead {
    HexReadStatus status = HexReadStatus::Ok;
    CellRange changed; // the whole image when read, empty when refused
};

// Intel HEX (.hex). The writer emits 16-byte data records for the rows
// that are not all FF, then ":00000001FF", CR LF line ends.
//
// The reader starts from an all-FF image and honours the record types:
// 00 data, 01 end of file (reading stops), 02 extended segment and 04
// extended linear address (applied to the data records that follow), 03
// and 05 start addresses (ignored). Every record's length and checksum are
// checked. Blank lines are skipped. A line that is not a sound record, or
// a file without a single record, gives InvalidFile; a data byte outside the
// image InvalidAddress; either way the image is left as it was.
class IntelHexFile {
public:
    // The largest file a 64 KB image can be written as: every byte in a
    // record of its own (15 characters with CR LF), each behind an extended
    // address record (17), and the end record. Larger files are refused
    // unread.
    static constexpr std::size_t kMaxFileSize = 65536 * (15 + 17) + 13;

    static std::string encode(const MemoryImage& image, CellRead mode);
    static void write(const std::string& path, const MemoryImage& image, CellRead mode);

    // Decodes into `bytes` (the image's size, all FF on entry).
    static HexReadStatus decode(std::string_view text, std::span<std::uint8_t> bytes);
    // Decodes a whole file into the image, or leaves it as it was.
    static HexRead load(std::string_view text, MemoryImage& image);
    // FileError(FileBytes::kTooLarge) for a file above kMaxFileSize.
    static HexRead read(const std::string& path, MemoryImage& image);

    // What the status line shows when reading stops: "  Invalid Hex File"
    // or "  Invalid Hex File Address", centred, white on red (Ok: the
    // centred blank message).
    static StatusMessage message(HexReadStatus status);
};

} // namespace tp
