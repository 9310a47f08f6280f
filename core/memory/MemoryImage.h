#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// The addresses an operation changed, [first, last); a grid model turns it
// into one change notification.
struct CellRange {
    std::size_t first = 0;
    std::size_t last = 0;
    bool empty() const { return first >= last; }
    bool operator==(const CellRange&) const = default;
};

// How an operation reads a cell text as a number: as it stands, or with
// blanks trimmed first (the large windows' writers).
enum class CellRead { Exact, TrimBlanks };

// The memory image of a memory window: S bytes (16 to 65536, a multiple of
// 16) in rows of 16, held as the texts of the hex grid's byte cells plus the
// characters of the ASCII grid.
//
// A cell text is normally two upper-case hex digits; such cells are stored
// as bytes. Any other text (a single digit, lower case, pasted junk) is kept
// verbatim in a sparse map until an operation reads it as a number, which
// then throws InvalidNumber naming "$" + text. The ASCII cells are separate
// state: several operations change a hex cell and leave its ASCII cell
// stale on purpose.
//
// Addresses are 0-based; a grid's data row r (from 1) starts at (r-1)*16.
class MemoryImage {
public:
    static constexpr std::size_t RowLength = 16;
    static constexpr std::size_t MinSize = 16;
    static constexpr std::size_t MaxSize = 65536;

    static bool isValidSize(std::size_t size);

    // Every byte cell "FF", every ASCII cell ".". Throws std::invalid_argument
    // for a size that is not valid.
    explicit MemoryImage(std::size_t size);

    std::size_t size() const { return m_bytes.size(); }
    std::size_t rows() const { return m_bytes.size() / RowLength; }

    // ---- hex cells
    std::string cellText(std::size_t address) const;
    // Stores the text as it is; the ASCII cell is left alone.
    void setCellText(std::size_t address, std::string_view text);
    // True when the cell holds two upper-case hex digits.
    bool isPlain(std::size_t address) const { return m_odd.empty() || !m_odd.contains(key(address)); }
    // Cells holding any other text, in [first, first + count).
    bool hasOddCells(std::size_t first, std::size_t count) const;
    std::size_t oddCellCount() const { return m_odd.size(); }

    // The cell read as a hexadecimal number (low 8 bits kept); throws
    // InvalidNumber when it is not one.
    std::uint8_t value(std::size_t address, CellRead mode = CellRead::Exact) const;
    // `out.size()` cells from `first`; throws at the first cell that is not
    // a number, before anything is returned.
    void readValues(std::size_t first, std::span<std::uint8_t> out, CellRead mode = CellRead::Exact) const;
    std::vector<std::uint8_t> values(CellRead mode = CellRead::Exact) const;

    // ---- ASCII cells (one 8-bit character each)
    char asciiCell(std::size_t address) const { return m_ascii.at(address); }
    void setAsciiCell(std::size_t address, char c) { m_ascii.at(address) = c; }
    // The display rule: codes 32 to 126 as themselves, anything else ".".
    static char asciiFor(std::uint32_t value)
    {
        return value >= 32 && value <= 126 ? static_cast<char>(value) : '.';
    }

    // ---- whole-cell writes
    // Bytes read from a chip or a file: hex cells get two digits, ASCII
    // cells the display rule. Throws std::out_of_range past the image.
    CellRange display(std::size_t first, std::span<const std::uint8_t> bytes);
    // `count` cells from `first` get `value`; the ASCII cells only when asked.
    CellRange fillBytes(std::size_t first, std::size_t count, std::uint8_t value, bool setAscii);
    // `count` cells from `first` get `text` verbatim and, when given, `ascii`.
    CellRange fillText(std::size_t first, std::size_t count, std::string_view text,
                       const char* ascii);

    // ---- editing in the grids
    // The hex cell editor's text while it changes: once it holds two or more
    // characters (blanks trimmed) it is read as hex and the ASCII cell
    // follows. Throws InvalidNumber for pasted non-hex text.
    void followEdit(std::size_t address, std::string_view editorText);
    // The hex cell editor closes: the normalised text is stored (ASCII cell
    // untouched) and returned.
    std::string commitEdit(std::size_t address, std::string_view editorText);
    // Trimmed; empty gives "FF"; one character c gives "0c"; else unchanged.
    static std::string normaliseCellText(std::string_view text);
    // A character typed into the ASCII grid (8-bit code): codes above 13
    // set the ASCII cell and put the code into the hex cell as two digits;
    // backspace, tab and return change nothing. True when the cell changed.
    bool typeAscii(std::size_t address, std::uint8_t code);

    // Blanks (any character up to ' ') trimmed from both ends.
    static std::string_view trimBlanks(std::string_view text);
    // Two upper-case hex digits.
    static bool isPlainText(std::string_view text);

private:
    static std::uint32_t key(std::size_t address) { return static_cast<std::uint32_t>(address); }
    void check(std::size_t first, std::size_t count) const;
    void clearOdd(std::size_t first, std::size_t count);

    std::vector<std::uint8_t> m_bytes;   // value of each plain cell
    std::vector<char> m_ascii;
    std::map<std::uint32_t, std::string> m_odd; // cells whose text is not plain
};

} // namespace tp
