#include "core/devices/led/LedTiming.h"
#include "core/common/NumberText.h"

namespace tp::led {

double periodSeconds(double stepsPerSecond, int prescaler)
{
    return (prescaler + 1) / stepsPerSecond;
}

double frequencyHz(double stepsPerSecond, int prescaler)
{
    return stepsPerSecond / (prescaler + 1);
}

double dutyPercent(DutyRule rule, int pwm)
{
    const double direct = pwm / 256.0 * 100.0;
    return rule == DutyRule::Direct ? direct : 100.0 - direct;
}

std::string periodText(double stepsPerSecond, int prescaler, char sep)
{
    return formatFixed(periodSeconds(stepsPerSecond, prescaler), 3, sep) + " sec";
}

std::string frequencyText(double stepsPerSecond, int prescaler, FrequencyFormat format, char sep)
{
    return formatFixed(frequencyHz(stepsPerSecond, prescaler), format.decimals, sep, format.maxSignificant) + " Hz";
}

std::string dutyText(DutyRule rule, int pwm, char sep)
{
    return formatFixed(dutyPercent(rule, pwm), 2, sep) + " %";
}

Mode modeOf(Family f, int code)
{
    switch (code & 3) {
    case 0:
        return f == Family::Dimmer ? Mode::Off : Mode::On;
    case 1:
        return f == Family::Dimmer ? Mode::On : Mode::Off;
    case 2:
        return Mode::Pwm0;
    default:
        return Mode::Pwm1;
    }
}

int codeOf(Family f, Mode mode)
{
    for (int c = 0; c < 4; ++c)
        if (modeOf(f, c) == mode)
            return c;
    return 0;
}

std::string modeText(Family f, int code)
{
    switch (modeOf(f, code)) {
    case Mode::Off:
        return "OFF";
    case Mode::On:
        return "ON";
    case Mode::Pwm0:
        return "PWM0";
    case Mode::Pwm1:
        return "PWM1";
    }
    return {};
}

std::string modeLabel(Family f, int code)
{
    switch (modeOf(f, code)) {
    case Mode::Off:
        return "Off";
    case Mode::On:
        return "On";
    case Mode::Pwm0:
        return "PWM0 Rate";
    case Mode::Pwm1:
        return "PWM1 Rate";
    }
    return {};
}

std::string modeLabelName(const Member& m, int led, int code)
{
    const Mode mode = modeOf(m.family, code);
    // The PCA9530 window names LED 0's labels after their texts alone.
    if (m.leds == 2 && m.family == Family::Dimmer && led == 0) {
        switch (mode) {
        case Mode::Off:
            return "lblOff";
        case Mode::On:
            return "lblOn";
        case Mode::Pwm0:
            return "lblPWM0Rate";
        case Mode::Pwm1:
            return "lblPWM1Rate";
        }
    }
    static const char* const suffix[] = {"Off", "On", "PWM0", "PWM1"};
    return "lblLED" + std::to_string(led) + suffix[static_cast<int>(mode)];
}

} // namespace tp::led
