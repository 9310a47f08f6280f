#pragma once
#include "core/devices/led/LedMember.h"

#include <string>

namespace tp::led {

// The period of a channel is (prescaler + 1) / steps seconds, with the
// chip's prescaler steps per second (Member::stepsPerSecond).
double periodSeconds(double stepsPerSecond, int prescaler);
double frequencyHz(double stepsPerSecond, int prescaler);
double dutyPercent(DutyRule rule, int pwm);

// The texts beside the sliders: "0.125 sec", "8.000 Hz", "50.00 %".
std::string periodText(double stepsPerSecond, int prescaler, char decimalSeparator = '.');
std::string frequencyText(double stepsPerSecond, int prescaler, FrequencyFormat format,
                          char decimalSeparator = '.');
std::string dutyText(DutyRule rule, int pwm, char decimalSeparator = '.');

// What a two-bit mode code means on each family.
enum class Mode { Off, On, Pwm0, Pwm1 };
Mode modeOf(Family f, int code);
int codeOf(Family f, Mode mode);

// "OFF", "ON", "PWM0", "PWM1": the mode text of the 8- and 16-LED windows.
std::string modeText(Family f, int code);
// "Off", "On", "PWM0 Rate", "PWM1 Rate": the labels of the 2- and 4-LED windows.
std::string modeLabel(Family f, int code);
// Object name of LED `led`'s label for `code` in a window with four labels per LED.
std::string modeLabelName(const Member& m, int led, int code);

} // namespace tp::led
