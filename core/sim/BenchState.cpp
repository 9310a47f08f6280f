#include "core/sim/BenchState.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"

#include <stdexcept>

namespace tp::sim {

std::string BenchState::save(const SimulatedAdapter& bench)
{
    std::string out = std::string(kHeader) + "\n";
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
    }
    return out;
}

namespace {

struct Pending {
    SimulatedAdapter::Placement placement;
    ChipState state;
    std::size_t line = 0;
};

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
            if (line != kHeader)
                fail("the first line must be \"" + std::string(kHeader) + "\"");
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
        list.push_back(p.placement);
    }
    bench.setPlacements(list);
}

} // namespace tp::sim
