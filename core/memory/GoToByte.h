#pragma once
#include "core/memory/Notice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tp {

// What a change of one Go To field asks of the dialog.
struct GoToUpdate {
    std::optional<Notice> notice;
    std::optional<std::string> fieldText; // correction of the field that changed
    std::string otherText;                // new text of the other field
};

// The arithmetic of the "Go To Byte..." dialog of the large windows.
class GoToByte {
public:
    explicit GoToByte(std::uint32_t maximum) : m_max(maximum) {}
    // The highest address of an image of `size` bytes.
    static std::uint32_t maximumFor(std::size_t size) { return static_cast<std::uint32_t>(size - 1); }

    std::uint32_t maximum() const { return m_max; }
    // "Note: maximum address = 0x0FFF".
    std::string note() const;

    // The hex field changed (it has the focus): the decimal field follows.
    GoToUpdate hexChanged(std::string_view hexText) const;
    // The decimal field changed (it has the focus): the hex field follows.
    GoToUpdate decimalChanged(std::string_view decimalText) const;

    // "OK": the address the decimal field names, at most the maximum.
    // Throws InvalidNumber when the field is not a decimal number.
    std::uint32_t target(std::string_view decimalText) const;

    // Reads a decimal number as the dialog's decimal field is read.
    static std::uint32_t decimalValue(std::string_view text);

private:
    std::uint32_t m_max;
};

} // namespace tp
