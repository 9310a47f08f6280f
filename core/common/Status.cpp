#include "core/common/Status.h"

#include <array>

namespace tp {

namespace {

struct Row {
    Status code;
    const char* text;
    int blanks;
    Rgb background;
    std::optional<Rgb> gradientTo;
    Rgb textColour;
    Align align;
};

const std::array<Row, 17> kTable{{
    {0, "Transmission successful", 0, colour::Green, {}, colour::White, Align::Centre},
    {1, "Address not acknowledged", 2, colour::Red, {}, colour::White, Align::Centre},
    {2, "Data not acknowledged", 2, colour::Red, {}, colour::White, Align::Centre},
    {3, "Read acknowledge corrupted", 2, colour::Red, {}, colour::White, Align::Centre},
    {4, "SCL/SDA stuck low", 2, colour::Red, {}, colour::White, Align::Centre},
    {7, "Arbitration Lost", 2, colour::Red, {}, colour::White, Align::Centre},
    {8, "I\u00B2C Time-Out", 2, colour::Red, {}, colour::White, Align::Left},
    {64, "Write and Verify Successful", 1, colour::Red, {}, colour::White, Align::Centre},
    {65, "Verification Successful", 1, colour::Green, {}, colour::White, Align::Centre},
    {72, "Invalid Text File", 1, colour::Yellow, colour::Red, colour::Black, Align::Centre},
    {114, "Device Driver not running", 1, colour::Yellow, colour::Red, colour::Black, Align::Centre},
    {116, "Transfer refused by the adapter", 1, colour::Yellow, colour::Red, colour::Black, Align::Centre},
    {117, "System Registry Error", 1, colour::Red, {}, colour::White, Align::Centre},
    {128, "SCL stuck low", 1, colour::Red, {}, colour::White, Align::Centre},
    {153, "Verification Error", 2, colour::Red, {}, colour::White, Align::Centre},
    {170, "No Hardware Connected", 1, colour::Red, {}, colour::White, Align::Centre},
    {255, "Hardware not detected", 2, colour::Red, {}, colour::White, Align::Centre},
}};

} // namespace

std::optional<StatusMessage> statusMessage(Status code)
{
    for (const Row& r : kTable) {
        if (r.code != code)
            continue;
        StatusMessage m;
        m.text = std::string(static_cast<std::size_t>(r.blanks), ' ') + r.text;
        m.background = r.background;
        m.gradientTo = r.gradientTo;
        m.textColour = r.textColour;
        m.align = r.align;
        return m;
    }
    return std::nullopt;
}

StatusMessage blankMessage(Align align)
{
    StatusMessage m;
    m.align = align;
    return m;
}

} // namespace tp
