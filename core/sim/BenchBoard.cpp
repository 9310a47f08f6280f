#include "core/sim/BenchBoard.h"
#include "core/common/Bcd.h"
#include "core/common/HexText.h"
#include "core/devices/ports/Pca9541.h"
#include "core/devices/rtc/Pcf8563.h"
#include "core/sim/ChannelSwitchChip.h"
#include "core/sim/DipSwitchChip.h"
#include "core/sim/EepromChip.h"
#include "core/sim/FaultText.h"
#include "core/sim/IoExpanderChip.h"
#include "core/sim/LedDriverChip.h"
#include "core/sim/Lm75aChip.h"
#include "core/sim/MasterSelectorChip.h"
#include "core/sim/Ne1617Chip.h"
#include "core/sim/Pcf8563Chip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "core/sim/Sa56004Chip.h"
#include "core/sim/Se98Chip.h"
#include "core/sim/SerialMemoryChip.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace tp::sim {

namespace {

template <class T> T* as(ChipModel& c)
{
    return dynamic_cast<T*>(&c);
}
template <class T> const T* as(const ChipModel& c)
{
    return dynamic_cast<const T*>(&c);
}

std::vector<TemperatureSource*> sources(ChipModel& chip)
{
    if (auto* c = as<Lm75aChip>(chip))
        return {&c->source()};
    if (auto* c = as<Se98Chip>(chip))
        return {&c->source()};
    if (auto* c = as<Sa56004Chip>(chip))
        return {&c->local(), &c->remote()};
    if (auto* c = as<Ne1617Chip>(chip))
        return {&c->internal(), &c->external()};
    return {};
}

std::string celsiusText(double t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f \u00B0C", t);
    return buf;
}

std::string memoryLine(const SerialMemoryChip& m, bool busy)
{
    const auto& bytes = m.bytes();
    const std::uint8_t fill = bytes.empty() ? 0xFF : bytes[0];
    const auto differ = std::count_if(bytes.begin(), bytes.end(), [fill](std::uint8_t b) { return b != fill; });
    std::string out = differ == 0 ? "all " + intToHex(fill, 2) : "starts";
    if (differ != 0)
        for (std::size_t i = 0; i < std::min<std::size_t>(4, bytes.size()); ++i)
            out += " " + intToHex(bytes[i], 2);
    if (busy)
        out += ", write cycle busy";
    return out;
}

} // namespace

std::string benchAddressText(std::uint8_t address)
{
    return "0x" + intToHex(address, 2) + " (7-bit 0x" + intToHex(address >> 1, 2) + ")";
}

std::vector<BenchBoard::Row> BenchBoard::rows() const
{
    const auto placements = m_bench.placements();
    const auto faults = m_bench.armedFaults();
    std::vector<Row> out;
    for (const auto& p : placements) {
        Row r;
        r.chip = p.chip;
        r.address = p.address;
        r.type = p.chip->type();
        r.placedByBench = p.placedByBench;
        r.setAside = p.setAside;
        r.gate = p.gate;
        r.channel = p.channel;
        if (p.setAside) {
            r.where = "set aside";
        } else if (p.gate >= 0) {
            const auto& g = placements[static_cast<std::size_t>(p.gate)];
            r.where = "channel " + std::to_string(p.channel) + " of the " + g.chip->type() + " at 0x" +
                      intToHex(g.address, 2);
        } else {
            r.where = "main bus";
        }
        r.state = stateLine(*p.chip);
        const int span = p.chip->addressSpan();
        for (const Fault& f : faults)
            if (!p.setAside && f.address && *f.address >= p.address && *f.address < p.address + 2 * span)
                r.faults += (r.faults.empty() ? "" : "; ") + FaultText::describe(f);
        out.push_back(std::move(r));
    }
    return out;
}

int BenchBoard::channelCount(const ChipModel& chip)
{
    if (auto* c = as<ChannelSwitchChip>(chip))
        return c->channels();
    if (as<MasterSelectorChip>(chip))
        return 1;
    return 0;
}

Segment BenchBoard::segmentBehind(std::uint8_t gateAddress, int channel) const
{
    const ChipModel* gate = m_bench.chipAt(gateAddress);
    if (!gate)
        throw std::invalid_argument("no chip answers at " + benchAddressText(gateAddress));
    const int n = channelCount(*gate);
    if (n == 0)
        throw std::invalid_argument("the " + gate->type() + " at " + benchAddressText(gateAddress) +
                                    " has no channels to sit behind");
    if (channel < 0 || channel >= n)
        throw std::invalid_argument("the " + gate->type() + " has channels 0 to " + std::to_string(n - 1));
    return {gate, channel};
}

void BenchBoard::note(const std::string& text)
{
    m_bench.log().note(m_bench.nowUs(), "bench: " + text);
}

std::string BenchBoard::at(const ChipModel& chip) const
{
    for (const auto& p : m_bench.placements())
        if (p.chip.get() == &chip)
            return "the " + chip.type() + " at 0x" + intToHex(p.address, 2);
    return "the " + chip.type();
}

ChipModel& BenchBoard::place(const std::string& type, std::uint8_t address, Segment segment)
{
    std::unique_ptr<ChipModel> chip = m_bench.makeChip(type);
    if (!chip)
        throw std::invalid_argument("the bench has no chip type '" + type + "'");
    ChipModel& c = m_bench.place(address, std::move(chip), segment);
    std::string where = segment.gate ? " behind channel " + std::to_string(segment.channel) + " of " + at(*segment.gate)
                                     : "";
    note("you placed " + at(c) + where);
    return c;
}

void BenchBoard::remove(const ChipModel& chip)
{
    const std::string what = at(chip);
    m_bench.removeChip(&chip);
    note("you removed " + what);
}

void BenchBoard::move(const ChipModel& chip, std::uint8_t address, Segment segment)
{
    const std::string from = at(chip);
    m_bench.moveChip(&chip, address, segment);
    std::string where = segment.gate ? " behind channel " + std::to_string(segment.channel) + " of " + at(*segment.gate)
                                     : " on the main bus";
    note("you moved " + from + " to 0x" + intToHex(address & 0xFE, 2) + where);
}

void BenchBoard::arm(const Fault& fault)
{
    m_bench.inject(fault);
    note("fault armed: " + FaultText::describe(fault));
}

void BenchBoard::clearFault(std::size_t index)
{
    const auto faults = m_bench.armedFaults();
    if (index >= faults.size())
        return;
    m_bench.clearFault(index);
    note("fault cleared: " + FaultText::describe(faults[index]));
}

void BenchBoard::clearFaults()
{
    m_bench.clearFaults();
    note("every fault cleared");
}

void BenchBoard::setPlaceForWindows(bool on)
{
    m_bench.setPlaceForWindows(on);
    note(on ? "chips are placed for windows" : "a fixed board: no chips placed for windows");
}

int BenchBoard::pinCount(const ChipModel& chip)
{
    if (auto* c = as<QuasiBidirectionalPort>(chip))
        return 8 * c->ports();
    if (auto* c = as<IoExpanderChip>(chip))
        return 8 * c->ports();
    if (auto* c = as<LedDriverChip>(chip))
        return c->member().leds;
    return 0;
}

bool BenchBoard::pinLevel(const ChipModel& chip, int pin)
{
    if (pin < 0 || pin >= pinCount(chip))
        throw std::invalid_argument(chip.type() + " has pins 0 to " + std::to_string(pinCount(chip) - 1));
    if (auto* c = as<QuasiBidirectionalPort>(chip))
        return c->external(pin / 8) >> (pin % 8) & 1;
    if (auto* c = as<IoExpanderChip>(chip))
        return c->external(pin / 8) >> (pin % 8) & 1;
    return as<LedDriverChip>(chip)->external() >> pin & 1;
}

void BenchBoard::setPin(ChipModel& chip, int pin, bool high)
{
    if (pin < 0 || pin >= pinCount(chip))
        throw std::invalid_argument(pinCount(chip) == 0 ? chip.type() + " has no input pins"
                                                        : chip.type() + " has pins 0 to " +
                                                              std::to_string(pinCount(chip) - 1));
    const auto bit = [&](auto levels, int n) {
        using T = decltype(levels);
        return static_cast<T>(high ? levels | (1u << n) : levels & ~(1u << n));
    };
    if (auto* c = as<QuasiBidirectionalPort>(chip))
        c->setExternal(pin / 8, bit(c->external(pin / 8), pin % 8));
    else if (auto* c = as<IoExpanderChip>(chip))
        c->setExternal(pin / 8, bit(c->external(pin / 8), pin % 8));
    else if (auto* c = as<LedDriverChip>(chip))
        c->setExternal(bit(c->external(), pin));
    note(std::string("pin ") + std::to_string(pin) + " of " + at(chip) + (high ? " high" : " low"));
}

std::vector<std::string> BenchBoard::temperatureNames(const ChipModel& chip)
{
    if (as<Lm75aChip>(chip) || as<Se98Chip>(chip))
        return {"temperature"};
    if (as<Sa56004Chip>(chip))
        return {"local", "remote"};
    if (as<Ne1617Chip>(chip))
        return {"internal", "external"};
    return {};
}

std::optional<double> BenchBoard::temperature(ChipModel& chip, int sensor)
{
    const auto s = sources(chip);
    if (sensor < 0 || sensor >= static_cast<int>(s.size()))
        throw std::invalid_argument(chip.type() + " measures no temperature " + std::to_string(sensor));
    if (s[static_cast<std::size_t>(sensor)]->drifting())
        return std::nullopt;
    return s[static_cast<std::size_t>(sensor)]->celsius();
}

void BenchBoard::applyTemperature(ChipModel& chip, int sensor, std::optional<double> celsius)
{
    const auto s = sources(chip);
    if (s.empty())
        throw std::invalid_argument(chip.type() + " measures no temperature");
    if (sensor < 0 || sensor >= static_cast<int>(s.size()))
        throw std::invalid_argument(chip.type() + " measures " + std::to_string(s.size()) + " temperatures");
    if (celsius && !(*celsius >= -55 && *celsius <= 150))
        throw std::invalid_argument("a temperature from -55 to 150 \u00B0C");
    TemperatureSource& src = *s[static_cast<std::size_t>(sensor)];
    if (celsius)
        src.set(*celsius);
    else if (!src.drifting())
        src.drift(4.0, 240, sensor);
}

void BenchBoard::setTemperature(ChipModel& chip, int sensor, std::optional<double> celsius)
{
    applyTemperature(chip, sensor, celsius);
    const std::string name = temperatureNames(chip)[static_cast<std::size_t>(sensor)];
    note(name + " of " + at(chip) + (celsius ? " set to " + celsiusText(*celsius) : std::string(" wanders")));
}

bool BenchBoard::isMasterSelector(const ChipModel& chip)
{
    return as<MasterSelectorChip>(chip) != nullptr;
}

void BenchBoard::otherMasterTakesBus(ChipModel& chip, bool take)
{
    auto* c = as<MasterSelectorChip>(chip);
    if (!c)
        throw std::invalid_argument(chip.type() + " is not a master selector");
    using namespace tp::pca9541;
    const std::uint8_t control = c->read(1, Control);
    std::uint8_t value = control & (kTestOn | kNTestOn);
    if (take) {
        // The datasheet's sequence, as master 1 runs it on its own bus.
        value |= takeControlValue(control).value_or(control & (kMyBus | kBusOn)) & (kMyBus | kBusOn);
    } else {
        // A master owns the bus while its MYBUS equals NMYBUS: break that, keep BUSON.
        value |= (control & kNMyBus ? 0 : kMyBus) | (control & kBusOn);
    }
    c->write(1, Control, value);
    note(std::string("the other master of ") + at(chip) + (take ? " takes the bus" : " hands the bus back"));
}

bool BenchBoard::isClock(const ChipModel& chip)
{
    return as<Pcf8563Chip>(chip) != nullptr;
}

void BenchBoard::setClockTime(ChipModel& chip, const DateTime& t)
{
    auto* c = as<Pcf8563Chip>(chip);
    if (!c)
        throw std::invalid_argument(chip.type() + " keeps no time");
    using namespace tp::pcf8563;
    if (t.year < 1900 || t.year > 2099)
        throw std::invalid_argument("the clock counts the years 1900 to 2099");
    c->setReg(VlSeconds, bcdEncode(t.second));
    c->setReg(Minutes, bcdEncode(t.minute));
    c->setReg(Hours, bcdEncode(t.hour));
    c->setReg(Days, bcdEncode(t.day));
    c->setReg(Weekdays, static_cast<std::uint8_t>(t.weekday));
    c->setReg(CenturyMonths, static_cast<std::uint8_t>(bcdEncode(t.month) | (t.year < 2000 ? 0x80 : 0)));
    c->setReg(Years, bcdEncode(t.year % 100));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    note("the clock of " + at(chip) + " set to " + buf);
}

bool BenchBoard::isMemory(const ChipModel& chip)
{
    return as<SerialMemoryChip>(chip) != nullptr;
}

std::size_t BenchBoard::memorySize(const ChipModel& chip)
{
    auto* c = as<SerialMemoryChip>(chip);
    return c ? c->size() : 0;
}

void BenchBoard::loadMemory(ChipModel& chip, std::span<const std::uint8_t> bytes)
{
    auto* c = as<SerialMemoryChip>(chip);
    if (!c)
        throw std::invalid_argument(chip.type() + " holds no memory");
    const std::size_t n = std::min(bytes.size(), c->size());
    for (std::size_t i = 0; i < n; ++i)
        c->setByte(i, bytes[i]);
    note("the contents of " + at(chip) + " loaded (" + std::to_string(n) + " bytes)");
}

std::string BenchBoard::stateLine(ChipModel& chip)
{
    if (auto* c = as<QuasiBidirectionalPort>(chip)) {
        std::string out;
        for (int p = 0; p < c->ports(); ++p)
            out += (p ? "; " : "") + std::string(c->ports() > 1 ? "P" + std::to_string(p) + " " : "") + "latch " +
                   intToHex(c->latch(p), 2) + ", pins " + intToHex(c->pins(p), 2);
        return out;
    }
    if (auto* c = as<IoExpanderChip>(chip)) {
        std::string out;
        for (int p = 0; p < c->ports(); ++p)
            out += (p ? "; " : "") + std::string(c->ports() > 1 ? "P" + std::to_string(p) + " " : "") + "out " +
                   intToHex(c->reg(c->outputReg(p)), 2) + ", config " + intToHex(c->reg(c->configReg(p)), 2) +
                   ", pins " + intToHex(c->pins(p), 2);
        return out;
    }
    if (auto* c = as<LedDriverChip>(chip)) {
        std::string out = "selectors";
        for (int j = 0; j < c->member().selectorCount(); ++j)
            out += " " + intToHex(c->reg(c->member().selector(j)), 2);
        return out + ", input " + intToHex(c->reg(0), 2);
    }
    // What the sensors are exposed to; looking converts nothing, so the
    // chips' fault queues see only the bus.
    if (const auto s = sources(chip); !s.empty()) {
        const auto names = temperatureNames(chip);
        std::string out;
        for (std::size_t i = 0; i < s.size(); ++i)
            out += (i ? ", " : "") + (s.size() > 1 ? names[i] + " " : "") + celsiusText(s[i]->celsius());
        if (auto* c = as<Lm75aChip>(chip); c && c->osActive())
            out += ", OS active";
        return out;
    }
    if (auto* c = as<EepromChip>(chip))
        return memoryLine(*c, c->inWriteCycle());
    if (auto* c = as<SerialMemoryChip>(chip))
        return memoryLine(*c, false);
    if (auto* c = as<ChannelSwitchChip>(chip)) {
        std::string on;
        for (int i = 0; i < c->channels(); ++i)
            if (c->channelConnected(i))
                on += (on.empty() ? "" : ", ") + std::to_string(i);
        return on.empty() ? "no channel on" : "channel " + on + " on";
    }
    if (auto* c = as<MasterSelectorChip>(chip)) {
        const auto m = c->connectedMaster();
        return !m ? "bus off" : *m == 0 ? "bus on, the bench's" : "bus on, the other master's";
    }
    if (auto* c = as<Pcf8563Chip>(chip)) {
        using namespace tp::pcf8563;
        char buf[48];
        const int century = c->reg(CenturyMonths) & 0x80 ? 1900 : 2000;
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", century + bcdDecode(c->reg(Years)),
                      bcdDecode(c->reg(CenturyMonths) & 0x1F), bcdDecode(c->reg(Days) & 0x3F),
                      bcdDecode(c->reg(Hours) & 0x3F), bcdDecode(c->reg(Minutes) & 0x7F),
                      bcdDecode(c->reg(VlSeconds) & 0x7F));
        return buf;
    }
    if (auto* c = as<DipSwitchChip>(chip)) {
        ChipState st;
        c->saveState(st);
        return "registers " + st.fields().at("registers") + (c->inWriteCycle() ? ", write cycle busy" : "");
    }
    return "";
}

} // namespace tp::sim
