#include "core/memory/MemoryFill.h"
#include "core/common/HexText.h"

namespace tp {

FillResult MemoryFill::fill(MemoryImage& image, std::string_view fromText, std::string_view toText,
                            std::string_view valueText)
{
    const std::size_t size = image.size();
    const std::uint32_t from = hexToInt(fromText);
    const std::uint32_t to = hexToInt(toText);
    FillResult result;
    if (to > size - 1) {
        result.notice = Notice{Notice::Kind::Warning, "The \"To hex address\" must be less than\r" +
                                                          std::to_string(size) + "  (0x" +
                                                          intToHex(size - 1, 3) + ")"};
        result.fillToText = intToHex(size - 1, 3);
        return result;
    }
    if (to < from) {
        result.notice = Notice{Notice::Kind::Warning,
                               "The \"From Address\"\rmust be less than\r\"To Address\""};
        return result;
    }
    // Read before the first cell changes, so a bad value leaves the image as it was.
    const char ascii = MemoryImage::asciiFor(hexToInt(valueText));
    result.changed = image.fillText(from, to - from + 1, valueText, &ascii);
    return result;
}

CellRange MemoryFill::checkerboard(MemoryImage& image, bool inverted, bool setAscii)
{
    const std::size_t pairs = image.rows() / 2;
    const std::uint8_t first = inverted ? 0xAA : 0x55;
    const std::uint8_t second = inverted ? 0x55 : 0xAA;
    for (std::size_t p = 0; p < pairs; ++p) {
        image.fillBytes(p * 32, 16, first, setAscii);
        image.fillBytes(p * 32 + 16, 16, second, setAscii);
    }
    return {0, pairs * 32};
}

} // namespace tp
