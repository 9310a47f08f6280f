#pragma once
#include <string>
#include <string_view>

namespace tp {

// How a two-digit hex field normalises its text when the focus leaves it.
enum class HexExit {
    LeadingZero,  // "" -> "00", "d" -> "0d", two characters stay
    Reformat,     // read as hex, written back as two upper-case digits; "" is not a number
    ReformatOrFF, // two characters are reformatted; anything shorter becomes "FF"
};

// The field's text after leaving it. Throws InvalidNumber where the text
// has to be read as a number and is none.
std::string normaliseHexExit(HexExit rule, std::string_view text);

// A register field acts on a change only once it holds exactly two characters.
inline bool isCompleteByteText(std::string_view text) { return text.size() == 2; }

// Letters forced to upper case, as the fields show them.
std::string upperCaseText(std::string_view text);

} // namespace tp
