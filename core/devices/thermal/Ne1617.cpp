#include "core/devices/thermal/Ne1617.h"

namespace tp::ne1617 {

std::optional<std::string> rateText(std::uint8_t value)
{
    static const char* const kRates[kRateCount] = {"0.0625", "0.125", "0.25", "0.5", "1", "2", "4", "8"};
    if (value >= kRateCount)
        return std::nullopt;
    return std::string(kRates[value]);
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
    };
    return t;
}

const FlagTable& readConfigFlags()
{
    static const FlagTable t{
        {"chbMask", 0x80, "Alert interrupt disabled", "Alert interrupt enabled"},
        {"chbRunStop", 0x40, "Standby mode", "Running mode"},
    };
    return t;
}

const FlagTable& writeConfigFlags()
{
    static const FlagTable t{
        {"chbWCM", kWcMask, "Alert interrupt disabled", "Alert interrupt enabled"},
        {"chbWCRS", kWcStandby, "Standby mode enabled", "Running mode enabled"},
    };
    return t;
}

} // namespace tp::ne1617
