#include "core/memory/VerifyCompare.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <vector>

namespace tp {

std::size_t VerifyCompare::blockLength(std::size_t size)
{
    return size == 16 || size == 128 ? size : 256;
}

VerifyResult VerifyCompare::compare(const MemoryImage& image, std::size_t first, std::span<const std::uint8_t> read)
{
    VerifyResult r;
    if (first >= image.size())
        return r;
    const std::size_t n = std::min(read.size(), image.size() - first);
    std::size_t i = 0;
    if (!image.hasOddCells(first, n)) {
        std::vector<std::uint8_t> cells(n);
        image.readValues(first, cells);
        i = static_cast<std::size_t>(std::mismatch(cells.begin(), cells.end(), read.begin()).first - cells.begin());
    }
    for (; i < n; ++i) {
        const std::size_t a = first + i;
        // A plain cell's text equals two hex digits of its byte; any other
        // text never equals two upper-case digits.
        if (image.isPlain(a) && image.value(a) == read[i])
            continue;
        r.status = status::VerifyError;
        r.address = a;
        r.notice = Notice{Notice::Kind::Error, "Device failed Verify at Address 0x" + intToHex(a, 2) +
                                                   "\rRead value=0x" + intToHex(read[i], 2) +
                                                   "\rCorrect value=0x" + image.cellText(a)};
        return r;
    }
    return r;
}

} // namespace tp
