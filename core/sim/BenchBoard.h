#pragma once
#include "core/common/LocalTime.h"
#include "core/sim/SimulatedAdapter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tp::sim {

// The bench as a user sees and arranges it: one row per chip, where it
// sits, a short state line, and the world outside each chip (pin levels,
// temperatures, the other master of a master selector, a clock's time,
// a memory's contents). The bench window and the command line both show
// and change the bench through this, so they tell the same story.
class BenchBoard {
public:
    struct Row {
        std::shared_ptr<ChipModel> chip;
        std::uint8_t address = 0;  // 8-bit write address
        std::string type;
        std::string where;         // "main bus", "channel 2 of the PCA9548A at 0xE0"
        std::string state;         // "pins FF, latch FF", "25.000 °C", ...
        std::string faults;        // armed faults at its address, "; "-separated
        bool placedByBench = false; // placed for a window
        bool setAside = false;
        int gate = -1;             // row of the chip it sits behind
        int channel = 0;
    };

    explicit BenchBoard(SimulatedAdapter& bench) : m_bench(bench) {}

    std::vector<Row> rows() const;

    // The chip at `gateAddress` that switches segments, and its channel
    // `channel` (counted from 0). Throws std::invalid_argument when no chip
    // there switches segments or it has no such channel.
    Segment segmentBehind(std::uint8_t gateAddress, int channel) const;
    // Channels a gate chip has; 0 for a chip that switches nothing.
    static int channelCount(const ChipModel& chip);

    // What the user did, noted in the bus log like what the bench does.
    ChipModel& place(const std::string& type, std::uint8_t address, Segment segment = {});
    void remove(const ChipModel& chip);
    void move(const ChipModel& chip, std::uint8_t address, Segment segment = {});
    void arm(const Fault& fault);
    void clearFault(std::size_t index);
    void clearFaults();
    void setPlaceForWindows(bool on);

    // Input pins the outside world can drive: port pins, LED pins.
    static int pinCount(const ChipModel& chip);
    // The level outside on pin n (true: high, left to the chip).
    static bool pinLevel(const ChipModel& chip, int pin);
    void setPin(ChipModel& chip, int pin, bool high);

    // Temperatures the chip measures ("local", "remote" on two-channel sensors).
    static std::vector<std::string> temperatureNames(const ChipModel& chip);
    // The set value, or none while it wanders.
    static std::optional<double> temperature(ChipModel& chip, int sensor);
    // none: a slow wander about the present value.
    void setTemperature(ChipModel& chip, int sensor, std::optional<double> celsius);
    // The same without a note, for a chip not on the bench yet.
    static void applyTemperature(ChipModel& chip, int sensor, std::optional<double> celsius);

    static bool isMasterSelector(const ChipModel& chip);
    // The other master of a master selector takes the downstream bus (on)
    // or hands it back to the bench (off).
    void otherMasterTakesBus(ChipModel& chip, bool take);

    static bool isClock(const ChipModel& chip);
    void setClockTime(ChipModel& chip, const DateTime& time);

    static bool isMemory(const ChipModel& chip);
    static std::size_t memorySize(const ChipModel& chip);
    // Replaces the memory's contents (as many bytes as it holds).
    void loadMemory(ChipModel& chip, std::span<const std::uint8_t> bytes);

    static std::string stateLine(ChipModel& chip);

private:
    void note(const std::string& text);
    std::string at(const ChipModel& chip) const;

    SimulatedAdapter& m_bench;
};

// "0xA0 (7-bit 0x50)".
std::string benchAddressText(std::uint8_t address);

} // namespace tp::sim
