#pragma once
#include "core/devices/led/LedRegisters.h"
#include "core/devices/led/LedTiming.h"

#include <string>

namespace tp::led {

// How one LED looks on the board with the registers a window now holds:
// steadily off or on, or blinking at its channel's period, lit for the
// first `onFraction` of each period (the duty cycle the window shows).
struct LedLook {
    Mode mode = Mode::Off;
    double periodSeconds = 0; // blinking LEDs only
    double onFraction = 0;    // 0 dark .. 1 fully lit

    // Blinks faster than the eye can follow on a screen: shown as a steady
    // brightness of onFraction instead.
    static constexpr double kSteadyAboveHz = 12.0;
    bool blinking() const { return mode == Mode::Pwm0 || mode == Mode::Pwm1; }
    bool animated() const { return blinking() && onFraction > 0 && onFraction < 1 && periodSeconds * kSteadyAboveHz >= 1.0; }

    // Brightness 0..1 at `seconds` since the preview started.
    double brightnessAt(double seconds) const;
    bool operator==(const LedLook&) const = default;
};

LedLook lookOf(const Member& m, const LedRegisters& r, int led);

// One line for a tool tip: "Off", "On", "PWM0: blinks at 2.000 Hz, lit 29.30 %".
std::string describe(const Member& m, const LedRegisters& r, int led, char decimalSeparator = '.');

} // namespace tp::led
