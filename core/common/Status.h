#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tp {

using Status = std::uint8_t;

namespace status {
constexpr Status Success = 0;
constexpr Status AddressNack = 1;
constexpr Status DataNack = 2;
constexpr Status ReadAckCorrupted = 3;
constexpr Status BusStuckLow = 4;
constexpr Status ArbitrationLost = 7;
constexpr Status TimeOut = 8;
constexpr Status WriteVerifyOk = 64;
constexpr Status VerifyOk = 65;
constexpr Status InvalidTextFile = 72;
constexpr Status DriverNotRunning = 114;
constexpr Status Refused =
    116; // not sent: the adapter cannot, or the user declined (Adapter::refusal says which)
constexpr Status RegistryError = 117;
constexpr Status SclStuckLow = 128;
constexpr Status VerifyError = 153;
constexpr Status NoHardware = 170;
constexpr Status HardwareNotDetected = 255;
} // namespace status

// 0xRRGGBB; ButtonFace stands for the system's button-face colour.
using Rgb = std::uint32_t;
namespace colour {
constexpr Rgb Green = 0x00A000;
constexpr Rgb Red = 0xFF0000;
constexpr Rgb Yellow = 0xFFFF00;
constexpr Rgb White = 0xFFFFFF;
constexpr Rgb Black = 0x000000;
constexpr Rgb Grey = 0x808080;
constexpr Rgb Blue = 0x0000FF;
constexpr Rgb ButtonFace = 0xFF000000; // not a colour: resolved by the GUI
} // namespace colour

enum class Align { Left, Centre };

// One line of the status bar: text, background (a gradient when
// gradientTo is set), text colour, alignment, boldness.
struct StatusMessage {
    std::string text;
    Rgb background = colour::ButtonFace;
    std::optional<Rgb> gradientTo;
    Rgb textColour = colour::Black;
    Align align = Align::Left;
    bool bold = false;

    bool operator==(const StatusMessage&) const = default;
};

// The message for a status code, or nothing for a code without one.
std::optional<StatusMessage> statusMessage(Status code);

// The blank message that clears the status line.
StatusMessage blankMessage(Align align = Align::Left);

} // namespace tp
