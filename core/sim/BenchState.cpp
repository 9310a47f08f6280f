#include "core/sim/BenchState.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/sim/BenchBoard.h"
#include "core/sim/FaultText.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include <stdexcept>

namespace tp::sim {

std::string BenchState::save(const SimulatedAdapter& bench)
{
    std::string out = std::string(kHeader) + "\n";
    if (!bench.placeForWindows())
        out += "windows fixed\n";
    for (const Fault& f : bench.armedFaults(true))
        out += "fault " + FaultText::format(f, [](std::uint8_t a) { return intToHex(a, 2); }) + "\n";
    for (const SimulatedAdapter::Placement& p : bench.placements()) {
        out += "\nchip " + intToHex(p.address, 2) + " " + p.chip->type() + "\n";
        if (p.placedByBench)
            out += "placed\n";
        if (p.setAside)
            out += "aside\n";
        if (p.gate >= 0)
            out += "behind " + std::to_string(p.gate) + " " + std::to_string(p.channel) + "\n";
        ChipState state;
        p.chip->saveState(state);
        for (const auto& [name, value] : state.fields())
            out += "field " + name + " " + value + "\n";
        const auto sensors = BenchBoard::temperatureNames(*p.chip);
        for (std::size_t i = 0; i < sensors.size(); ++i) {
            const std::optional<double> t = BenchBoard::temperature(*p.chip, static_cast<int>(i));
            char buf[32] = "wander";
            if (t)
                std::snprintf(buf, sizeof buf, "%.4f", *t);
            out += "temperature " + std::to_string(i) + " " + buf + "\n";
        }
    }
    return out;
}

namespace {

struct Pending {
    SimulatedAdapter::Placement placement;
    ChipState state;
    std::vector<std::pair<int, std::optional<double>>> temperatures;
    std::size_t line = 0;
};

std::optional<double> celsius(std::string_view text)
{
    if (text.empty() || text.size() > 12 || text.find_first_not_of("-+.0123456789") != std::string_view::npos)
        throw std::invalid_argument("not a temperature");
    const std::string s(text);
    std::size_t used = 0;
    const double v = std::stod(s, &used);
    if (used != s.size() || !std::isfinite(v) || v < -55 || v > 150)
        throw std::invalid_argument("not a temperature");
    return v;
}

std::string_view nextWord(std::string_view& rest)
{
    const std::size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return word;
}

int smallNumber(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        throw std::invalid_argument("not a number");
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            throw std::invalid_argument("not a number");
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace

void BenchState::restore(SimulatedAdapter& bench, std::string_view text)
{
    std::vector<Pending> chips;
    std::vector<Fault> faults;
    bool version1 = false;
    bool placeForWindows = true;
    std::size_t lineNo = 0;
    const auto fail = [&](const std::string& why) {
        throw FileError("not a bench state: line " + std::to_string(lineNo) + ": " + why);
    };
    while (!text.empty() || lineNo == 0) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++lineNo;
        if (lineNo == 1) {
            if (line != kHeader && line != kHeaderVersion1)
                fail("the first line must be \"" + std::string(kHeader) + "\"");
            version1 = line == kHeaderVersion1;
            continue;
        }
        if (line.empty())
            continue;
        std::string_view rest = line;
        const std::string_view key = nextWord(rest);
        if (key == "chip") {
            std::uint32_t address = 0;
            const std::string_view hex = nextWord(rest);
            if (!tryHexToInt(hex, address) || address > 0xFF || hex.size() != 2)
                fail("\"" + std::string(hex) + "\" is not an 8-bit address");
            std::unique_ptr<ChipModel> chip = bench.makeChip(std::string(rest));
            if (!chip)
                fail("the bench has no chip type \"" + std::string(rest) + "\"");
            Pending p;
            p.placement.address = static_cast<std::uint8_t>(address & 0xFE);
            p.placement.chip = std::move(chip);
            p.line = lineNo;
            chips.push_back(std::move(p));
            continue;
        }
        if (!version1 && key == "windows") {
            if (rest != "place" && rest != "fixed")
                fail("\"windows\" takes \"place\" or \"fixed\"");
            placeForWindows = rest == "place";
            continue;
        }
        if (!version1 && key == "fault") {
            try {
                faults.push_back(FaultText::parse(rest, [](std::string_view a) {
                    std::uint32_t v = 0;
                    if (a.size() != 2 || !tryHexToInt(a, v) || (v & 1))
                        throw std::invalid_argument("'" + std::string(a) + "' is not an 8-bit write address");
                    return static_cast<std::uint8_t>(v);
                }));
            } catch (const std::invalid_argument& e) {
                fail(std::string("fault ") + e.what());
            }
            continue;
        }
        if (chips.empty())
            fail("\"" + std::string(key) + "\" before the first chip");
        Pending& current = chips.back();
        if (key == "placed" && rest.empty()) {
            current.placement.placedByBench = true;
        } else if (key == "aside" && rest.empty()) {
            current.placement.setAside = true;
        } else if (key == "behind") {
            try {
                current.placement.gate = smallNumber(nextWord(rest));
                current.placement.channel = smallNumber(nextWord(rest));
            } catch (const std::invalid_argument&) {
                fail("\"behind\" takes a chip number and a channel");
            }
            if (!rest.empty())
                fail("\"behind\" takes a chip number and a channel");
        } else if (!version1 && key == "temperature") {
            try {
                const int sensor = smallNumber(nextWord(rest));
                const std::optional<double> t = rest == "wander" ? std::nullopt : celsius(rest);
                current.temperatures.emplace_back(sensor, t);
            } catch (const std::invalid_argument&) {
                fail("\"temperature\" takes a sensor number and degrees or \"wander\"");
            }
        } else if (key == "field") {
            const std::string_view name = nextWord(rest);
            if (name.empty())
                fail("a field needs a name");
            current.state.setField(std::string(name), std::string(rest));
        } else {
            fail("unknown entry \"" + std::string(key) + "\"");
        }
    }

    std::vector<SimulatedAdapter::Placement> list;
    for (Pending& p : chips) {
        lineNo = p.line;
        if (p.placement.gate >= static_cast<int>(chips.size()) || p.placement.gate == static_cast<int>(list.size()))
            fail("\"behind\" names no other chip");
        if (p.placement.setAside && p.placement.gate >= 0)
            fail("a chip set aside sits behind no channel");
        try {
            p.placement.chip->restoreState(p.state);
        } catch (const FileError& e) {
            fail(p.placement.chip->type() + ": " + e.what());
        }
        const auto sensors = BenchBoard::temperatureNames(*p.placement.chip);
        for (const auto& [sensor, t] : p.temperatures) {
            if (sensor >= static_cast<int>(sensors.size()))
                fail(p.placement.chip->type() + " has no temperature " + std::to_string(sensor));
            BenchBoard::applyTemperature(*p.placement.chip, sensor, t);
        }
        list.push_back(p.placement);
    }
    bench.setPlacements(list);
    bench.clearFaults();
    for (const Fault& f : faults)
        bench.inject(f);
    bench.setPlaceForWindows(placeForWindows);
}

} // namespace tp::sim
