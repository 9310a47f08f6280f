#pragma once
#include "core/memory/MemoryImage.h"

#include <cstdint>
#include <span>
#include <string>

namespace tp {

// The raw image (.bin): S bytes, byte a at offset a, no header.
class BinFile {
public:
    // The file holds exactly the image; cells that are not numbers throw
    // InvalidNumber before anything is written.
    static void write(const std::string& path, const MemoryImage& image, CellRead mode);

    // Small windows (`wholeImage`): a file shorter than the image throws
    // FileError("Read beyond end of file") and changes nothing. Large
    // windows read up to S bytes; cells past a shorter file keep their
    // content. Bytes after the first S are ignored.
    static CellRange read(const std::string& path, MemoryImage& image, bool wholeImage);
    static CellRange decode(std::span<const std::uint8_t> file, MemoryImage& image, bool wholeImage);
};

} // namespace tp
