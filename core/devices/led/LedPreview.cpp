#include "core/devices/led/LedPreview.h"
#include "core/common/NumberText.h"

#include <cmath>

namespace tp::led {

double LedLook::brightnessAt(double seconds) const
{
    switch (mode) {
    case Mode::Off:
        return 0.0;
    case Mode::On:
        return 1.0;
    default:
        break;
    }
    if (!animated())
        return onFraction;
    const double phase = std::fmod(seconds, periodSeconds) / periodSeconds;
    return phase < onFraction ? 1.0 : 0.0;
}

LedLook lookOf(const Member& m, const LedRegisters& r, int led)
{
    LedLook look;
    look.mode = modeOf(m.family, r.mode(led));
    switch (look.mode) {
    case Mode::Off:
        break;
    case Mode::On:
        look.onFraction = 1.0;
        break;
    case Mode::Pwm0:
    case Mode::Pwm1: {
        const int c = look.mode == Mode::Pwm0 ? 0 : 1;
        look.periodSeconds = periodSeconds(m.stepsPerSecond, r.prescaler[c]);
        look.onFraction = dutyPercent(m.duty, r.pwm[c]) / 100.0;
        break;
    }
    }
    return look;
}

std::string describe(const Member& m, const LedRegisters& r, int led, char sep)
{
    const LedLook look = lookOf(m, r, led);
    if (!look.blinking())
        return look.mode == Mode::On ? "On" : "Off";
    const int c = look.mode == Mode::Pwm0 ? 0 : 1;
    std::string s = c == 0 ? "PWM0: " : "PWM1: ";
    // At a duty cycle of 0 or 100 % nothing pulses: the LED is dark or lit.
    if (look.onFraction <= 0.0)
        return s + "dark, duty cycle " + formatFixed(0.0, 2, sep) + " %";
    if (look.onFraction >= 1.0)
        return s + "fully lit, duty cycle " + formatFixed(100.0, 2, sep) + " %";
    s += look.animated() ? "blinks at " : "dimmed, pulsing at ";
    s += frequencyText(m.stepsPerSecond, r.prescaler[c], m.frequency[static_cast<std::size_t>(c)], sep);
    s += ", lit " + formatFixed(look.onFraction * 100.0, 2, sep) + " %";
    return s;
}

} // namespace tp::led
