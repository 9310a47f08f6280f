#pragma once
#include "core/common/Status.h"

#include <optional>
#include <string>

namespace tp {

// How an Auto Write toggle names its state.
enum class AutoWriteCaption {
    OnOff,    // "Auto Write On" / "Auto Write Off"
    Fixed,    // always "Auto Write"
    GreenRed, // "On" in green / "Off" in red
};

struct ToggleText {
    std::string text;
    std::optional<Rgb> colour; // none: the control's own text colour
};

ToggleText autoWriteText(AutoWriteCaption style, bool on);

// "<name> On" / "<name> Off", as "Auto Readback" names its state.
ToggleText onOffText(const std::string& name, bool on);

} // namespace tp
