#include "core/universal/MessageEditing.h"
#include "core/common/HexText.h"
#include "core/universal/DecimalText.h"

#include <algorithm>

namespace tp::expert {

int dataByteCount(std::string_view data)
{
    return static_cast<int>((data.size() + 1) / 3);
}

void showRow(const TGridRecord& row, EditorValues& v)
{
    v.address = row.address.empty() ? "A0" : row.address;
    v.read = !row.rw.empty() && row.rw != "Write";

    const int n = dataByteCount(row.data);
    v.byteCount = n > 0 ? std::min(n, EditorValues::kMaxBytes) : 1;
    std::fill(v.cells.begin(), v.cells.end(), std::string());
    for (int c = 0; c < std::min(n, EditorValues::kMaxBytes); ++c)
        v.cells[static_cast<std::size_t>(c)] = row.data.substr(static_cast<std::size_t>(3 * c), 2);
    if (row.data.empty())
        v.cells[0] = "FF";

    v.stop = row.stop.empty() || row.stop == "Yes";
    v.delay = row.delay.empty() ? 0 : decimalToInt(row.delay);
    v.notes = row.notes;
}

std::string byteCellText(std::string_view cell)
{
    // The cell is a two-character field; what the user left out are blanks.
    std::string padded(cell);
    if (padded.size() < 2)
        padded.append(2 - padded.size(), ' ');
    if (padded.find(' ') == std::string::npos)
        return padded;
    const auto first = padded.find_first_not_of(' ');
    if (first == std::string::npos)
        return "FF";
    const auto last = padded.find_last_not_of(' ');
    return intToHex(hexToInt(std::string_view(padded).substr(first, last - first + 1)), 2);
}

TGridRecord rowFromEditor(const EditorValues& v)
{
    TGridRecord r;
    r.address = completeAddress(v.address);
    r.rw = v.read ? "Read" : "Write";
    for (int c = 0; c < v.byteCount; ++c) {
        if (c > 0)
            r.data += ',';
        r.data += byteCellText(v.cells.at(static_cast<std::size_t>(c)));
    }
    r.stop = v.stop ? "Yes" : "No";
    r.delay = std::to_string(v.delay);
    r.notes = v.notes;
    return r;
}

std::string completeByteCell(std::string_view cell)
{
    if (cell.empty() || cell[0] == ' ')
        return "00";
    if (cell.size() < 2 || cell[1] == ' ')
        return std::string("0") + cell[0];
    return std::string(cell);
}

std::string completeAddress(std::string_view text)
{
    if (text.empty())
        return "A0";
    if (text.size() == 1)
        return std::string("0") + text[0];
    return std::string(text);
}

} // namespace tp::expert
