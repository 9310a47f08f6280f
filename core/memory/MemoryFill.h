#pragma once
#include "core/memory/MemoryImage.h"
#include "core/memory/Notice.h"

#include <optional>
#include <string>
#include <string_view>

namespace tp {

struct FillResult {
    std::optional<Notice> notice;           // a range check failed; nothing was filled
    std::optional<std::string> fillToText;  // new text for the Fill to field
    CellRange changed;
};

// "Fill Buffer" and the two checkerboard patterns.
class MemoryFill {
public:
    // Fills [from, to] (the field texts read as hex) with the fill value
    // field's text, unaltered; the ASCII cells follow. Throws InvalidNumber
    // for a field that is not hex (empty included), before any change.
    static FillResult fill(MemoryImage& image, std::string_view fromText, std::string_view toText,
                           std::string_view valueText);

    // The fill value field's text when the focus leaves it.
    static std::string fillValueExit(std::string_view text) { return MemoryImage::normaliseCellText(text); }

    // Row pairs get 55/AA (inverted: AA/55); a last unpaired row stays.
    // The small windows set the ASCII cells too, the large ones do not.
    static CellRange checkerboard(MemoryImage& image, bool inverted, bool setAscii);
};

} // namespace tp
