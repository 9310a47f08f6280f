#include "core/devices/thermal/Sa56004.h"
#include "core/common/NumberText.h"

namespace tp::sa56004 {

int elevenBitCount(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::int16_t>((high << 8 | low) & 0xFFE0) / 32;
}

std::string elevenBitText(std::uint8_t high, std::uint8_t low, char decimalSeparator)
{
    return formatFixed(elevenBitCount(high, low) * kStep, 3, decimalSeparator, 6);
}

const FlagTable& statusFlags()
{
    static const FlagTable t{
        {"chbBUSY", 0x80, "ADC busy", "ADC not busy"},
        {"chbIHLF", 0x40, "Int high temp tripped", "Int high temp not tripped"},
        {"chbILLF", 0x20, "Int low temp tripped", "Int low temp not tripped"},
        {"chbEHLF", 0x10, "Ext high temp tripped", "Ext high temp not tripped"},
        {"chbELLF", 0x08, "Ext low temp tripped", "Ext low temp not tripped"},
        {"chbOPEN", 0x04, "External diode open", "External diode not open"},
        {"chbRCRIT", 0x02, "Remote Critical Temp", "Remote Not Critical Temp"},
        {"chbLCRIT", 0x01, "Local Critical Temp", "Local Not Critical Temp"},
    };
    return t;
}

const FlagTable& configFlags()
{
    static const FlagTable t{
        {"chbWCM", 0x80, "Alert interrupt disabled", "Alert interrupt enabled"},
        {"chbWCRS", 0x40, "Standby mode", "Running mode"},
        {"chbRTCRIT", 0x10, "Remote T(crit) Disabled", "Remote T(crit) Enabled"},
        {"chbLTCRIT", 0x04, "Local T(crit) Disabled", "Local T(crit) Enabled"},
        {"chbFault", 0x01, "Fault Queue: three", "Fault Queue: one"},
    };
    return t;
}

} // namespace tp::sa56004
