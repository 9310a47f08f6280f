#include "core/universal/SequenceText.h"
#include "core/universal/DecimalText.h"

namespace tp::expert {

int SequenceText::count(std::string_view text)
{
    return static_cast<int>((text.size() + 1) / 3);
}

std::string SequenceText::entryText(std::string_view text, int k)
{
    const auto at = static_cast<std::size_t>(3 * k);
    return at < text.size() ? std::string(text.substr(at, 2)) : std::string();
}

int SequenceText::entry(std::string_view text, int k)
{
    return decimalToInt(entryText(text, k));
}

std::vector<std::string> SequenceText::toCells(std::string_view text)
{
    std::vector<std::string> cells(kColumns);
    const int n = count(text);
    for (int k = 0; k < n && k < kColumns; ++k)
        cells[static_cast<std::size_t>(k)] = entryText(text, k);
    return cells;
}

std::optional<std::string> SequenceText::fromCells(const std::vector<std::string>& cells)
{
    std::string out;
    for (const std::string& cell : cells) {
        if (cell.empty() || cell == "  " || cell == "0" || cell == "00")
            continue;
        if (decimalToInt(cell) > kMaxMessage)
            return std::nullopt;
        if (!out.empty())
            out += ',';
        out += cell.size() == 1 ? "0" + cell : cell;
    }
    return out;
}

std::string SequenceText::tooHighMessage()
{
    return "The maximum Msg #\nis 64 in the Sequencer";
}

} // namespace tp::expert
