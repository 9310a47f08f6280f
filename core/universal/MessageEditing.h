#pragma once
#include "core/universal/GridRecord.h"

#include <string>
#include <string_view>
#include <vector>

namespace tp::expert {

// What the message editor shows of one row.
struct EditorValues {
    static constexpr int kMaxBytes = 129;

    std::string address = "A0";
    bool read = false;
    int byteCount = 1;                  // cells in use, 0..129
    std::vector<std::string> cells = std::vector<std::string>(kMaxBytes); // two characters each
    bool stop = true;
    int delay = 0;
    std::string notes;
};

// Fills `v` from a row, field by field in the editor's order. A Delay that
// is no decimal number throws InvalidNumber after Address, R/W, the bytes
// and Stop? are filled; the notes then keep what they had.
void showRow(const TGridRecord& row, EditorValues& v);

// The row the editor writes back when it closes. Throws InvalidNumber for
// a byte cell that holds a blank and something that is not hex.
TGridRecord rowFromEditor(const EditorValues& v);

// A byte cell as Data carries it: empty or blanks give "FF", a lone digit
// gets a "0" in front ("5" and "5 " give "05"), two digits stay as they are.
std::string byteCellText(std::string_view cell);

// Tab in the byte row: a cell starting with a blank (or empty) becomes
// "00", a single digit gets a "0" in front; anything else stays.
std::string completeByteCell(std::string_view cell);

// Leaving the address field: empty gives "A0", one digit gets a "0" in front.
std::string completeAddress(std::string_view text);

// Number of bytes a Data text holds: entries of two characters and a comma.
int dataByteCount(std::string_view data);

} // namespace tp::expert
