#include "core/devices/ports/Pca954x.h"
#include "core/common/HexText.h"

namespace tp::pca954x {

namespace {

constexpr std::uint8_t kBase = 0xE0;
constexpr std::uint8_t kEnable = 0x04;

const MuxInfo kMux[] = {
    {"PCA9540", "PCA9540B", 2, 0x00, 1},
    {"PCA9542", "PCA9542A", 2, 0x30, 8},
    {"PCA9544", "PCA9544A", 4, 0xF0, 8},
};

const SwitchInfo kSwitch[] = {
    {"PCA9543", "PCA9543A", 2, 0x30, 4, 1},
    {"PCA9545", "PCA9545A", 4, 0xF0, 4, 0},
    {"PCA9546", "PCA9546A", 4, 0x00, 8, 0},
    {"PCA9548", "PCA9548A", 8, 0x00, 8, 0},
};

} // namespace

std::vector<std::uint8_t> addresses(int count)
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<std::uint8_t>(kBase + 2 * i));
    return out;
}

std::vector<std::string> addressItems(int count)
{
    std::vector<std::string> out;
    for (std::uint8_t a : addresses(count))
        out.push_back(addressText(a));
    return out;
}

const MuxInfo& info(Mux chip)
{
    return kMux[static_cast<int>(chip)];
}

const SwitchInfo& info(Switch chip)
{
    return kSwitch[static_cast<int>(chip)];
}

std::vector<std::string> channelItems(Mux chip)
{
    std::vector<std::string> out{"No channel"};
    for (int c = 0; c < info(chip).channels; ++c)
        out.push_back("Channel " + std::to_string(c));
    return out;
}

std::uint8_t valueOfItem(Mux chip, int item)
{
    if (item <= 0 || item > info(chip).channels)
        return 0x00;
    return static_cast<std::uint8_t>(kEnable | (item - 1));
}

int itemOfValue(Mux chip, std::uint8_t value)
{
    if (!(value & kEnable))
        return 0;
    const int channel = value & 0x03;
    return channel < info(chip).channels ? channel + 1 : 0;
}

bool muxConnects(Mux chip, std::uint8_t value, int channel)
{
    return channel >= 0 && itemOfValue(chip, value) == channel + 1;
}

} // namespace tp::pca954x
