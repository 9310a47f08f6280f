#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tp::led {

// The two LED families: dimmers (PCA9530/31/32/33) and blinkers
// (PCA9550/51/52/53). Both have two PWM channels, each a prescaler and a
// PWM register, and a two-bit mode field per LED; they differ in the blink
// time base, in what the mode codes mean and in their duty texts.
enum class Family { Dimmer, Blinker };

// How a window writes a duty text from a PWM register value.
enum class DutyRule {
    Direct,   // p / 256 x 100: the LED is on while the counter is below PWM
    Inverted, // 100 - p / 256 x 100: blinkers, where PWM 0 keeps the LED on
};

// Decimals of a frequency text, and the significant digits that may cut it sooner (0: none).
struct FrequencyFormat {
    int decimals = 3;
    int maxSignificant = 0;
};

enum class AutoWriteLook { CheckBox, LedToggle };

// One chip of the two families: its registers and everything its window
// shows that differs from the other members.
struct Member {
    std::string chip;        // "PCA9532": the bench's chip type too
    std::string windowClass; // "TfrmPCA9532"
    std::string caption;     // window caption
    Family family = Family::Dimmer;
    int leds = 16;
    int inputs = 1;           // input registers (read-only), numbered from 0
    std::uint8_t pointerMask = 0x07; // register bits of the control byte

    // Address list: `addressCount` items from `firstAddress` in steps of 2.
    std::uint8_t firstAddress = 0xC0;
    int addressCount = 8;
    std::uint8_t startAddress = 0xC0; // slave address at program start
    std::vector<std::uint8_t> startImage; // LED selector image at program start

    // Window controls at creation.
    int periodStart = 0;
    int dutyStart = 128;

    // Mode display: four labels per LED (true) or one mode text per LED.
    bool modeLabels = false;
    std::array<FrequencyFormat, 2> frequency{}; // per channel
    // Prescaler steps per second of the chip's oscillator.
    double stepsPerSecond = 152.0;
    DutyRule duty = DutyRule::Direct;

    // Texts.
    std::string registersGroup = "Registers (hex)";
    std::string readInputCaption = "Read Input";
    std::string writeHint, readInputHint, readHint;
    std::string addressHint; // empty: none
    AutoWriteLook autoWriteLook = AutoWriteLook::CheckBox;
    std::string autoWriteHint;
    bool blankCentredOnDestroy = false;

    // Register numbers.
    int selectorCount() const { return (leds + 3) / 4; }
    int registerCount() const { return inputs + 4 + selectorCount(); }
    int prescaler(int channel) const { return inputs + 2 * channel; }
    int pwm(int channel) const { return inputs + 2 * channel + 1; }
    int selector(int j) const { return inputs + 4 + j; }
    // The register that holds LED `led`'s mode bits.
    int selectorOf(int led) const { return selector(led / 4); }

    std::uint8_t addressOfItem(int i) const { return static_cast<std::uint8_t>(firstAddress + 2 * i); }
    // The item showing `address`, or -1.
    int itemOfAddress(std::uint8_t address) const;

    // Register captions, in register order.
    std::vector<std::string> registerCaptions() const;
};

// The eight members, in catalogue order: PCA9530, PCA9531, PCA9532,
// PCA9533, PCA9550, PCA9551, PCA9552, PCA9553.
const std::vector<Member>& members();
// The member by chip name ("PCA9552"); throws std::out_of_range.
const Member& member(const std::string& chip);

// The control byte that selects register `reg`, with the auto-increment
// flag when a transfer runs over several registers.
constexpr std::uint8_t kAutoIncrement = 0x10;
constexpr std::uint8_t controlByte(int reg, bool autoIncrement)
{
    return static_cast<std::uint8_t>(reg | (autoIncrement ? kAutoIncrement : 0));
}

} // namespace tp::led
