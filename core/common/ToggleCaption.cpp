#include "core/common/ToggleCaption.h"

namespace tp {

ToggleText autoWriteText(AutoWriteCaption style, bool on)
{
    switch (style) {
    case AutoWriteCaption::Fixed:
        return {"Auto Write", std::nullopt};
    case AutoWriteCaption::GreenRed:
        return on ? ToggleText{"On", colour::Green} : ToggleText{"Off", colour::Red};
    case AutoWriteCaption::OnOff:
        break;
    }
    return onOffText("Auto Write", on);
}

ToggleText onOffText(const std::string& name, bool on)
{
    return {name + (on ? " On" : " Off"), std::nullopt};
}

} // namespace tp
