#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp::expert {

// A sequence text names messages by two-digit decimal numbers separated by
// commas ("01,02,05"). Entries are found by position: entry k is the two
// characters at 3k.
class SequenceText {
public:
    static constexpr int kColumns = 64;     // cells of the sequence editor
    static constexpr int kMaxMessage = 64;  // highest number the editor accepts
    static constexpr int kMaxLength = 192;  // what the editor can produce, with room

    static int count(std::string_view text);
    // The two characters of entry k.
    static std::string entryText(std::string_view text, int k);
    // The message number of entry k; throws InvalidNumber when it is none.
    static int entry(std::string_view text, int k);

    // The editor's cells for a text: entry k in cell k, at most kColumns.
    static std::vector<std::string> toCells(std::string_view text);

    // The text the editor's cells make: empty cells, "0" and "00" are left
    // out, one digit gets a "0" in front. Nothing when a cell exceeds
    // kMaxMessage; a cell that is no number throws InvalidNumber.
    static std::optional<std::string> fromCells(const std::vector<std::string>& cells);

    // The message shown when a cell exceeds kMaxMessage.
    static std::string tooHighMessage();
};

} // namespace tp::expert
