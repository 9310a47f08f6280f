#include "core/sim/SimulatedAdapter.h"
#include "core/common/HexText.h"
#include "core/sim/FaultText.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tp::sim {

SimulatedAdapter::SimulatedAdapter() = default;
SimulatedAdapter::~SimulatedAdapter() = default;

bool SimulatedAdapter::overlaps(const Slot& s, std::uint8_t address, int span) const
{
    int lo = s.base, hi = s.base + 2 * (s.chip->addressSpan() - 1);
    int nlo = address, nhi = address + 2 * (span - 1);
    return lo <= nhi && nlo <= hi;
}

std::shared_ptr<ChipModel> SimulatedAdapter::gateOf(const Segment& segment) const
{
    if (!segment.gate)
        return nullptr;
    for (const Slot& s : m_slots)
        if (s.chip.get() == segment.gate)
            return s.chip;
    throw std::invalid_argument("a segment's gate must be on the bench");
}

bool SimulatedAdapter::sameSegment(const Slot& s, const std::shared_ptr<ChipModel>& gate, int channel) const
{
    if (!gate)
        return !s.behind;
    return s.behind && s.gate.lock() == gate && s.channel == channel;
}

bool SimulatedAdapter::reachable(const Slot& s, int depth) const
{
    if (!s.behind)
        return true;
    const std::shared_ptr<ChipModel> gate = s.gate.lock();
    if (!gate || depth > 8 || !gate->channelConnected(s.channel))
        return false;
    for (const Slot& g : m_slots)
        if (g.chip == gate)
            return reachable(g, depth + 1);
    return false; // its gate was set aside
}

ChipModel& SimulatedAdapter::place(std::uint8_t address, std::unique_ptr<ChipModel> chip, Segment segment)
{
    address &= 0xFE;
    const std::shared_ptr<ChipModel> gate = gateOf(segment);
    std::shared_ptr<ChipModel> c(std::move(chip));
    c->setClock(&m_clock);
    const int span = c->addressSpan();
    // Whatever overlaps the new chip's addresses on its segment leaves the
    // bus for good, and so do chips the bench placed there for a window.
    std::erase_if(m_slots, [&](const Slot& s) {
        return overlaps(s, address, span) && (s.placedByBench || sameSegment(s, gate, segment.channel));
    });
    std::erase_if(m_setAside, [&](const auto& kv) {
        return overlaps(Slot{kv.first.first, kv.second, true, false, {}, 0}, address, span);
    });
    m_slots.push_back({address, c, false, gate != nullptr, gate, segment.channel});
    return *c;
}

void SimulatedAdapter::remove(std::uint8_t address, Segment segment)
{
    address &= 0xFE;
    const std::shared_ptr<ChipModel> gate = gateOf(segment);
    std::erase_if(m_slots, [&](const Slot& s) {
        return address >= s.base && address <= s.base + 2 * (s.chip->addressSpan() - 1) &&
               sameSegment(s, gate, segment.channel);
    });
}

std::vector<SimulatedAdapter::Slot>::iterator SimulatedAdapter::slotOf(const ChipModel* chip)
{
    auto it = std::find_if(m_slots.begin(), m_slots.end(), [&](const Slot& s) { return s.chip.get() == chip; });
    if (it == m_slots.end())
        throw std::invalid_argument("that chip is not on the bus");
    return it;
}

void SimulatedAdapter::removeChip(const ChipModel* chip)
{
    m_slots.erase(slotOf(chip));
}

Segment SimulatedAdapter::segmentOf(const ChipModel* chip) const
{
    for (const Slot& s : m_slots)
        if (s.chip.get() == chip)
            return s.behind ? Segment{s.gate.lock().get(), s.channel} : Segment{};
    throw std::invalid_argument("that chip is not on the bus");
}

void SimulatedAdapter::moveChip(const ChipModel* chip, std::uint8_t address, Segment segment)
{
    address &= 0xFE;
    std::shared_ptr<ChipModel> c = slotOf(chip)->chip;
    const std::shared_ptr<ChipModel> gate = gateOf(segment);
    // A gate behind itself, directly or further down, would cut its own way to the bus.
    for (const ChipModel* g = segment.gate; g; g = segmentOf(g).gate)
        if (g == chip)
            throw std::invalid_argument("a chip cannot sit behind itself");
    const int span = c->addressSpan();
    std::erase_if(m_slots, [&](const Slot& s) {
        return s.chip != c && overlaps(s, address, span) &&
               (s.placedByBench || sameSegment(s, gate, segment.channel));
    });
    Slot& s = *slotOf(chip);
    s.base = address;
    s.behind = gate != nullptr;
    s.gate = gate;
    s.channel = segment.channel;
    s.placedByBench = false; // moved by the user: the bench leaves it there
}

std::shared_ptr<ChipModel> SimulatedAdapter::find(std::uint8_t address) const
{
    address &= 0xFE;
    for (const Slot& s : m_slots)
        if (address >= s.base && address <= s.base + 2 * (s.chip->addressSpan() - 1) && reachable(s))
            return s.chip;
    return nullptr;
}

ChipModel* SimulatedAdapter::chipAt(std::uint8_t address) const
{
    return find(address).get();
}

void SimulatedAdapter::registerType(const std::string& type, Factory factory)
{
    m_factories[type] = std::move(factory);
}

void SimulatedAdapter::expectChip(std::string_view typeName, std::uint8_t address)
{
    address &= 0xFE;
    if (!m_placeForWindows)
        return;
    const std::string type(typeName);
    auto factory = m_factories.find(type);
    if (factory == m_factories.end())
        return;
    if (auto there = find(address); there && there->type() == type)
        return;

    std::shared_ptr<ChipModel> chip;
    auto aside = m_setAside.find({address, type});
    const bool metBefore = aside != m_setAside.end();
    if (metBefore) {
        chip = aside->second;
    } else {
        chip = factory->second();
        chip->setClock(&m_clock);
    }
    const int span = chip->addressSpan();
    for (const Slot& s : m_slots)
        if (overlaps(s, address, span) && !s.placedByBench)
            return; // placed on purpose: the window meets that chip, as on real hardware

    const std::string at = " at 0x" + intToHex(address, 2);
    std::erase_if(m_slots, [&](const Slot& s) {
        if (!overlaps(s, address, span))
            return false;
        log().note(nowUs(), "bench: set aside the simulated " + s.chip->type() + " at 0x" + intToHex(s.base, 2));
        m_setAside[{s.base, s.chip->type()}] = s.chip;
        return true;
    });
    if (metBefore)
        m_setAside.erase(aside);
    m_slots.push_back({address, chip, true, false, {}, 0});
    log().note(nowUs(), metBefore ? "bench: put back the simulated " + type + " met" + at + " before"
                                  : "bench: placed a simulated " + type + at);
}

std::vector<std::string> SimulatedAdapter::types() const
{
    std::vector<std::string> out;
    for (const auto& [type, factory] : m_factories)
        out.push_back(type);
    return out;
}

std::unique_ptr<ChipModel> SimulatedAdapter::makeChip(const std::string& type) const
{
    auto factory = m_factories.find(type);
    if (factory == m_factories.end())
        return nullptr;
    std::unique_ptr<ChipModel> chip = factory->second();
    chip->setClock(&m_clock);
    return chip;
}

std::vector<SimulatedAdapter::Placement> SimulatedAdapter::placements() const
{
    std::vector<Placement> out;
    for (const Slot& s : m_slots)
        out.push_back({s.base, s.chip, s.placedByBench, false, -1, s.channel});
    for (const auto& [key, chip] : m_setAside)
        out.push_back({key.first, chip, true, true, -1, 0});
    const auto indexOf = [&](const std::shared_ptr<ChipModel>& chip) {
        for (std::size_t i = 0; i < out.size(); ++i)
            if (out[i].chip == chip)
                return static_cast<int>(i);
        return -1;
    };
    std::vector<Placement> kept;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& s = m_slots[i];
        if (!s.behind)
            continue;
        out[i].gate = indexOf(s.gate.lock());
    }
    // A chip whose gate has left the bench for good can never answer again.
    std::vector<int> newIndex(out.size(), -1);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i < m_slots.size() && m_slots[i].behind && out[i].gate < 0)
            continue;
        newIndex[i] = static_cast<int>(kept.size());
        kept.push_back(out[i]);
    }
    for (Placement& p : kept)
        if (p.gate >= 0)
            p.gate = newIndex[static_cast<std::size_t>(p.gate)];
    return kept;
}

void SimulatedAdapter::setPlacements(const std::vector<Placement>& list)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Placement& p = list[i];
        if (!p.chip || (p.gate >= 0 && (static_cast<std::size_t>(p.gate) >= list.size() || p.gate == int(i))))
            throw std::invalid_argument("a placement needs a chip, and its gate another chip of the list");
        if (p.setAside && p.gate >= 0)
            throw std::invalid_argument("a chip set aside sits on no segment");
    }
    m_slots.clear();
    m_setAside.clear();
    for (const Placement& p : list) {
        p.chip->setClock(&m_clock);
        if (p.setAside) {
            m_setAside[{static_cast<std::uint8_t>(p.address & 0xFE), p.chip->type()}] = p.chip;
            continue;
        }
        std::shared_ptr<ChipModel> gate = p.gate >= 0 ? list[static_cast<std::size_t>(p.gate)].chip : nullptr;
        m_slots.push_back({static_cast<std::uint8_t>(p.address & 0xFE), p.chip, p.placedByBench, gate != nullptr,
                           gate, p.channel});
    }
}

void SimulatedAdapter::clearFaults()
{
    m_faults.clear();
    m_removed = false;
}

std::vector<Fault> SimulatedAdapter::armedFaults(bool keptOnly) const
{
    std::vector<Fault> out;
    for (const PendingFault& f : m_faults)
        if (f.kept || !keptOnly)
            out.push_back(f.fault);
    return out;
}

void SimulatedAdapter::clearFault(std::size_t index)
{
    if (index < m_faults.size())
        m_faults.erase(m_faults.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_faults.empty())
        m_removed = false;
}

std::uint64_t SimulatedAdapter::bitNs() const
{
    return 1000000ull / std::max(1u, busFrequency());
}

std::optional<Fault> SimulatedAdapter::takeFault(std::span<const I2cMessage> messages)
{
    const I2cMessage& first = messages[0];
    std::size_t written = 0;
    for (const I2cMessage& m : messages)
        if (!m.read)
            written += m.data.size();
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        // A data NACK waits for a write that reaches its byte.
        if (it->fault.kind == Fault::Kind::DataNack && written <= static_cast<std::size_t>(it->fault.byteIndex))
            continue;
        if (it->fault.address && *it->fault.address != (first.address & 0xFE))
            continue;
        const auto& prefix = it->startsWith;
        if (!prefix.empty() && (first.read || first.data.size() < prefix.size() ||
                                !std::equal(prefix.begin(), prefix.end(), first.data.begin())))
            continue;
        if (it->fault.after > 0) {
            --it->fault.after;
            continue;
        }
        Fault f = it->fault;
        if (it->fault.count > 0 && --it->fault.count == 0)
            m_faults.erase(it);
        log().note(nowUs(), "bench: fault fired: " + FaultText::describe(f));
        return f;
    }
    return std::nullopt;
}

Status SimulatedAdapter::doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    if (m_transferDelayUs)
        std::this_thread::sleep_for(std::chrono::microseconds(m_transferDelayUs));
    if (m_removed)
        return status::HardwareNotDetected;
    // A message beyond the adapter's buffer never reaches the bus.
    for (const I2cMessage& m : messages)
        if (m.data.size() > m_maxTransferLength)
            return status::DataNack;
    const std::uint64_t bit = bitNs();
    std::optional<Fault> fault = takeFault(messages);
    if (fault) {
        switch (fault->kind) {
        case Fault::Kind::AdapterRemoved:
            m_removed = true;
            return status::HardwareNotDetected;
        case Fault::Kind::TimeOut:
            m_clock.advanceNs(bit * 10);
            return status::TimeOut;
        case Fault::Kind::ArbitrationLost:
            m_clock.advanceNs(bit * 5);
            return status::ArbitrationLost;
        case Fault::Kind::BusStuck:
            return status::BusStuckLow;
        default:
            break;
        }
    }

    std::vector<std::shared_ptr<ChipModel>> touched;
    Status st = status::Success;
    int dataIndex = 0;
    m_clock.advanceNs(bit); // start
    for (std::size_t i = 0; i < messages.size() && st == status::Success; ++i) {
        I2cMessage& m = messages[i];
        if (i > 0)
            m_clock.advanceNs(bit); // repeated start
        completed[i] = 0;
        m_clock.advanceNs(9 * bit); // address byte + acknowledge
        std::shared_ptr<ChipModel> chip = find(m.address);
        bool nackAddress = fault && fault->kind == Fault::Kind::AddressNack;
        if (!chip || nackAddress || !chip->start(m.address & 0xFE, m.read)) {
            st = status::AddressNack;
            break;
        }
        if (std::find(touched.begin(), touched.end(), chip) == touched.end())
            touched.push_back(chip);
        for (std::size_t b = 0; b < m.data.size(); ++b) {
            m_clock.advanceNs(9 * bit);
            if (m.read) {
                m.data[b] = chip->readByte();
            } else {
                bool injected = fault && fault->kind == Fault::Kind::DataNack && fault->byteIndex == dataIndex;
                ++dataIndex;
                if (injected || !chip->writeByte(m.data[b])) {
                    st = status::DataNack;
                    break;
                }
            }
            completed[i] = b + 1;
        }
    }
    m_clock.advanceNs(bit); // stop
    for (auto& c : touched)
        c->stop();
    return st;
}

} // namespace tp::sim
