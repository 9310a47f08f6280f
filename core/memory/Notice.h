#pragma once
#include <string>

namespace tp {

// A message a memory operation asks its window to show. Line breaks are
// carriage returns. The window shows it through its Dialogs: Warning as a
// warning box, Error as an error box, Message as a plain message box.
struct Notice {
    enum class Kind { Warning, Error, Message };
    Kind kind = Kind::Message;
    std::string text;
    bool operator==(const Notice&) const = default;
};

} // namespace tp
