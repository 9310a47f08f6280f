#include "core/devices/thermal/Lm75a.h"
#include "core/devices/thermal/ThermalText.h"

namespace tp::lm75a {

int temperatureCount(std::uint16_t word)
{
    return static_cast<std::int16_t>(word & 0xFFE0) / 32;
}

std::uint16_t temperatureWord(int count)
{
    return static_cast<std::uint16_t>(count * 32);
}

int limitCount(std::uint16_t word)
{
    return static_cast<std::int16_t>(word & 0xFF80) / 128;
}

std::uint16_t limitWord(int count)
{
    return static_cast<std::uint16_t>(count * 128);
}

std::string temperatureText(std::uint16_t word, char decimalSeparator)
{
    return thermal::celsiusText(temperatureCount(word) * kTemperatureStep, 3, decimalSeparator);
}

std::string limitText(int count, char decimalSeparator)
{
    return thermal::celsiusText(count * kLimitStep, 1, decimalSeparator);
}

int fieldValue(std::uint8_t image, ConfigField field)
{
    return (image >> field.shift) & ((1 << field.width) - 1);
}

std::uint8_t withField(std::uint8_t image, ConfigField field, int value)
{
    const int mask = ((1 << field.width) - 1) << field.shift;
    return static_cast<std::uint8_t>((image & ~mask) | ((value << field.shift) & mask));
}

int faultsNeeded(std::uint8_t conf)
{
    static constexpr int kFaults[] = {1, 2, 4, 6};
    return kFaults[fieldValue(conf, kFaultQueue)];
}

} // namespace tp::lm75a
