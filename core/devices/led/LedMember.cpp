#include "core/devices/led/LedMember.h"

#include <algorithm>
#include <stdexcept>

namespace tp::led {

int Member::itemOfAddress(std::uint8_t address) const
{
    for (int i = 0; i < addressCount; ++i)
        if (addressOfItem(i) == address)
            return i;
    return -1;
}

std::vector<std::string> Member::registerCaptions() const
{
    std::vector<std::string> out;
    for (int i = 0; i < inputs; ++i)
        out.emplace_back("Input Register");
    for (int c = 0; c < 2; ++c) {
        out.push_back("Frequency Prescaler " + std::to_string(c));
        out.push_back("PWM Register " + std::to_string(c));
    }
    for (int j = 0; j < selectorCount(); ++j) {
        const int last = std::min(leds, 4 * j + 4) - 1;
        out.push_back("LED Selector " + std::to_string(4 * j) + "-" + std::to_string(last));
    }
    return out;
}

namespace {

std::string range(const char* verb, int from, int to)
{
    return std::string(verb) + " registers " + std::to_string(from) + " through " + std::to_string(to);
}

Member base(const std::string& chip, Family family, int leds, int inputs)
{
    Member m;
    m.chip = chip;
    m.windowClass = "Tfrm" + chip;
    m.family = family;
    m.leds = leds;
    m.inputs = inputs;
    m.pointerMask = inputs == 2 ? 0x0F : 0x07;
    if (leds <= 4) {
        m.addressCount = 2;
        m.firstAddress = leds == 2 ? 0xC0 : 0xC4;
    }
    m.startAddress = m.firstAddress;
    const std::uint8_t off = family == Family::Dimmer ? 0x00 : 0x55;
    m.startImage.assign(static_cast<std::size_t>(m.selectorCount()), off);
    m.writeHint = range("Write", m.prescaler(0), m.registerCount() - 1);
    m.readHint = range("Read", 0, m.registerCount() - 1);
    m.readInputHint = "Read input register";
    if (family == Family::Blinker) {
        m.periodStart = 255;
        m.duty = DutyRule::Inverted;
        m.stepsPerSecond = 38.0;
        m.readInputCaption = "Read Input Reg.";
        m.autoWriteLook = AutoWriteLook::LedToggle;
        m.autoWriteHint = "Enable/disable auto write feature";
    } else {
        m.autoWriteHint = "Send any changes immediately to device";
    }
    return m;
}

std::vector<Member> build()
{
    std::vector<Member> all;

    Member m = base("PCA9530", Family::Dimmer, 2, 1);
    m.caption = "PCA9530 2-bit LED Dimmer";
    m.startImage = {0xF0};
    m.modeLabels = true;
    m.registersGroup = "Registers";
    all.push_back(m);

    m = base("PCA9531", Family::Dimmer, 8, 1);
    m.caption = "PCA9531 8-bit LED Driver / Blinker";
    m.startAddress = 0xC8;
    all.push_back(m);

    m = base("PCA9532", Family::Dimmer, 16, 2);
    m.caption = "PCA9532 16-bit LED Driver / Blinker";
    all.push_back(m);

    m = base("PCA9533", Family::Dimmer, 4, 1);
    m.caption = "PCA9533 4-bit LED Dimmer";
    m.modeLabels = true;
    all.push_back(m);

    m = base("PCA9550", Family::Blinker, 2, 1);
    m.caption = "PCA9550 2-bit LED Driver / Blinker";
    m.startImage = {0xF5};
    m.frequency[1] = {5, 6};
    m.registersGroup = "Registers";
    m.addressHint = "Select device address";
    all.push_back(m);

    m = base("PCA9551", Family::Blinker, 8, 1);
    m.caption = "PCA9551 8-bit LED Driver / Blinker";
    m.readInputCaption = "Read Input";
    m.autoWriteLook = AutoWriteLook::CheckBox;
    m.autoWriteHint = "Send any changes immediately to device";
    m.blankCentredOnDestroy = true;
    all.push_back(m);

    m = base("PCA9552", Family::Blinker, 16, 2);
    m.caption = "PCA9552 16-bit LED Driver / Blinker";
    m.stepsPerSecond = 44.0;
    m.readInputHint = "Read input registers";
    all.push_back(m);

    m = base("PCA9553", Family::Blinker, 4, 1);
    m.caption = "PCA9553 4-bit LED Driver / Blinker";
    m.modeLabels = true;
    m.frequency = {FrequencyFormat{5, 6}, FrequencyFormat{5, 6}};
    m.stepsPerSecond = 44.0;
    all.push_back(m);

    return all;
}

} // namespace

const std::vector<Member>& members()
{
    static const std::vector<Member> all = build();
    return all;
}

const Member& member(const std::string& chip)
{
    for (const Member& m : members())
        if (m.chip == chip)
            return m;
    throw std::out_of_range("no LED chip " + chip);
}

} // namespace tp::led
