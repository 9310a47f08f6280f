#pragma once
#include "core/common/Status.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/Notice.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tp {

struct VerifyResult {
    Status status = 0;            // 0, or 153 at the first difference
    std::optional<Notice> notice; // the error box for the difference
    std::size_t address = 0;      // where it differed
};

// The comparison behind Verify: bytes read from the chip against the cell
// texts of the image.
class VerifyCompare {
public:
    // Bytes the window reads per comparison: 16 and 128 for those sizes,
    // 256 for every other.
    static std::size_t blockLength(std::size_t size);

    // Compares bytes read from `first` on with the cells, as text against
    // two hex digits, and stops at the first difference. Bytes past the end
    // of the image are not compared.
    static VerifyResult compare(const MemoryImage& image, std::size_t first, std::span<const std::uint8_t> read);
};

} // namespace tp
