#pragma once
#include "core/memory/MemoryImage.h"

#include <string>
#include <string_view>
#include <vector>

namespace tp {

// Comma-separated values (.csv): one line per data row, the 16 cell texts
// joined by commas, CR LF line ends, no header and no address column.
class CsvFile {
public:
    // The largest file a 64 KB image can be written as: 4096 lines of 16
    // values, each quoted and padded to 15 characters plus its separator.
    // Larger files are refused unread.
    static constexpr std::size_t kMaxFileSize = 4096 * (16 * 16 + 2);

    // Cell texts as they stand; one holding a comma or a double quote is
    // quoted, inner quotes doubled.
    static std::string encode(const MemoryImage& image);
    static void write(const std::string& path, const MemoryImage& image);

    // Line k fills data row k; the separator is found from the first two
    // lines (separator()); quoted values lose their quotes. Every value
    // must be a byte in hex (blanks around it allowed); the cell gets it as
    // two upper-case digits. A value that is not throws InvalidNumber naming
    // "$" + value and changes nothing. Lines past the image and values past
    // 16 are ignored; rows and cells the file does not reach keep their
    // text. Then every ASCII cell follows its hex cell (cells whose text is
    // not a number keep their character). A missing file changes nothing;
    // one above kMaxFileSize is refused (FileError(FileBytes::kTooLarge)).
    static CellRange read(const std::string& path, MemoryImage& image);
    static CellRange decode(std::string_view text, MemoryImage& image);

    // Of , ; # TAB | @ * - + & in this order, the one that occurs equally
    // often in both lines and more often than any earlier such one; ','
    // when none occurs. A file of one line compares it with itself.
    static char separator(std::string_view line1, std::string_view line2);
    static std::vector<std::string> splitLine(std::string_view line, char separator);
};

} // namespace tp
