#include "core/devices/thermal/Se98.h"
#include "core/common/NumberText.h"
#include "core/devices/thermal/ThermalText.h"

namespace tp::se98 {

double temperatureCelsius(std::uint16_t word)
{
    return thermal::signExtend(word & 0x1FFE, 13) * kLsb;
}

std::string temperatureText(std::uint16_t word, char decimalSeparator)
{
    return formatFixed(temperatureCelsius(word), 3, decimalSeparator, 6);
}

std::uint16_t temperatureWord(double celsius)
{
    // 0.125 °C resolution over the 13-bit range.
    const int eighths = thermal::quantise(celsius, 0.125, -2048, 2047);
    return static_cast<std::uint16_t>((eighths * 2) & 0x1FFE);
}

double tripCelsius(std::uint16_t word)
{
    return thermal::signExtend(word & kTripMask, 13) * kLsb;
}

std::string tripText(std::uint16_t word, char decimalSeparator)
{
    return formatFixed(tripCelsius(word), 2, decimalSeparator, 6);
}

std::uint16_t tripWord(double celsius)
{
    const int quarters = thermal::quantise(celsius, 0.25, -1024, 1023);
    return static_cast<std::uint16_t>((quarters * 4) & kTripMask);
}

double hysteresisCelsius(int index)
{
    static constexpr double kHysteresis[] = {0.0, 1.5, 3.0, 6.0};
    return kHysteresis[index & 3];
}

const FlagTable& configFlags()
{
    static const FlagTable t{
        {"chbSHMD", kSHMD, "Temp sensor disabled", "Temp sensor enabled"},
        {"chbCTLB", kCTLB, "Crit. trip register locked", "Crit. trip register not locked"},
        {"chbAWLB", kAWLB, "Trip register locked", "Trip register not locked"},
        {"chbCEVNT", kCEVNT, "Clear active event", "no effect"},
        {"chbESTAT", kESTAT, "EVENT asserted", "EVENT not asserted"},
        {"chbEOCTL", kEOCTL, "EVENT output enabled", "EVENT output disabled"},
        {"chbCVO", kCVO, "Critical Event Only", "Alarm or Critical Event"},
        {"chEP", kEP, "Event Active High", "Event Active LOW"},
        {"chbEMD", kEMD, "Interrupt Mode", "Comparator Mode"},
    };
    return t;
}

const FlagTable& smbusFlags()
{
    static const FlagTable t{
        {"chbSTMOUT", kSTMOUT, "SMBus time-out disabled", "SMBus time-out enabled"},
        {"chbSALRT", kSALRT, "SMBus alert disabled", "SMBus alert enabled"},
    };
    return t;
}

} // namespace tp::se98
