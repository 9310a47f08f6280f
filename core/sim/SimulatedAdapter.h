#pragma once
#include "core/adapter/Adapter.h"
#include "core/sim/ChipModel.h"
#include "core/sim/Fault.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tp::sim {

// Where a chip sits: on the main bus, or on the bus segment behind channel
// `channel` of `gate`, a chip already on the bench that switches segments
// (ChipModel::channelConnected). Chips on a segment answer only while every
// gate on their way to the main bus connects it; chips on different
// segments may share an address.
struct Segment {
    const ChipModel* gate = nullptr;
    int channel = 0;
};

// The built-in bench: chip models on a virtual bus, a virtual clock that
// advances by the modelled bus time at the set frequency, fault injection.
class SimulatedAdapter : public Adapter {
public:
    using Factory = std::function<std::unique_ptr<ChipModel>()>;

    SimulatedAdapter();
    ~SimulatedAdapter() override;

    // Places a chip at an 8-bit write address on a segment; replaces what was
    // there on that segment (and any chip the bench placed itself there).
    // The bench never moves a chip placed this way.
    ChipModel& place(std::uint8_t address, std::unique_ptr<ChipModel> chip, Segment segment = {});
    void remove(std::uint8_t address, Segment segment = {});
    // The same by the chip itself, for a user who picked it from a list.
    // moveChip() keeps the chip's state and the chips behind it; it throws
    // std::invalid_argument for a chip not on the bus or a segment behind
    // the chip itself.
    void removeChip(const ChipModel* chip);
    void moveChip(const ChipModel* chip, std::uint8_t address, Segment segment = {});
    // The segment a chip on the bus sits on.
    Segment segmentOf(const ChipModel* chip) const;
    // The chip that answers at the address now (behind connected channels only).
    ChipModel* chipAt(std::uint8_t address) const;
    template <class T> T* chipAt(std::uint8_t address) const
    {
        return dynamic_cast<T*>(chipAt(address));
    }

    // Chip types the bench can make on demand, by the name windows use.
    void registerType(const std::string& type, Factory factory);
    bool knowsType(const std::string& type) const { return m_factories.count(type) != 0; }
    // The registered types, in name order.
    std::vector<std::string> types() const;
    // Makes sure a `type` chip answers at `address`, for windows that each
    // expect their own chip type at their default address:
    // - a chip of that type already there stays, with its state;
    // - a chip placed with place() stays, whatever its type;
    // - a chip the bench placed for another type is set aside, and the one
    //   set aside earlier for this type and address comes back if there is
    //   one, with the state it had, otherwise a new model is placed.
    // Each change is noted in the bus log. Unregistered types change nothing.
    void expectChip(std::string_view type, std::uint8_t address) override;
    // Off, the bench is a fixed board: expectChip() places nothing and a
    // window at an address without a chip meets a NACK, as on hardware.
    void setPlaceForWindows(bool on) { m_placeForWindows = on; }
    bool placeForWindows() const { return m_placeForWindows; }

    // A chip of a registered type, on this bench's clock; nothing for others.
    std::unique_ptr<ChipModel> makeChip(const std::string& type) const;

    // Every chip the bench holds, for keeping it between runs: those on the
    // bus in the order they came, then those set aside. A chip behind a
    // channel names its gate by index in the same list; one whose gate has
    // left the bench for good is not listed (it can never answer again).
    struct Placement {
        std::uint8_t address = 0;
        std::shared_ptr<ChipModel> chip;
        bool placedByBench = false;
        bool setAside = false;
        int gate = -1; // -1: on the main bus
        int channel = 0;
    };
    std::vector<Placement> placements() const;
    // Replaces every chip by those of a list as placements() gives it.
    // Throws std::invalid_argument for a gate that is not in the list.
    void setPlacements(const std::vector<Placement>& list);

    // With `startsWith`, the fault waits for a transaction whose first
    // message writes these bytes first (a memory's word address, a register
    // pointer), letting the others through.
    // A fault not `kept` is for this run only: bench files leave it out.
    void inject(Fault fault, std::vector<std::uint8_t> startsWith = {}, bool kept = true)
    {
        m_faults.push_back({fault, std::move(startsWith), kept});
    }
    void clearFaults();
    // The faults still waiting, in the order they were armed.
    std::vector<Fault> armedFaults(bool keptOnly = false) const;
    void clearFault(std::size_t index);

    std::size_t maxTransferLength() const override { return m_maxTransferLength; }
    // Lets tests play an adapter with a smaller transfer buffer.
    void setMaxTransferLength(std::size_t n) { m_maxTransferLength = n ? n : 1; }
    bool isSimulated() const override { return true; }
    bool isPresent() const override { return !m_removed; }
    std::string name() const override { return "Simulated bench"; }
    std::uint64_t nowUs() const override { return m_clock.us(); }
    void elapse(std::uint64_t us) override { m_clock.advanceNs(us * 1000); }
    const SimClock& clock() const { return m_clock; }
    // Where the chips' wall time comes from (monotonic nanoseconds); the
    // real clock unless set.
    void setWallClock(SimClock::WallSource source) { m_clock.setWallSource(std::move(source)); }

    // Every transaction also takes `us` microseconds of real time (not of the
    // modelled clock), as on a slow or distant bus: for showing the program
    // staying responsive.
    void setTransferDelayUs(std::uint64_t us) { m_transferDelayUs = us; }
    std::uint64_t transferDelayUs() const { return m_transferDelayUs; }

    // Nanoseconds of one bit at the set frequency.
    std::uint64_t bitNs() const;

protected:
    Status doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed) override;

private:
    struct Slot {
        std::uint8_t base;
        std::shared_ptr<ChipModel> chip;
        bool placedByBench = false;
        bool behind = false; // on a segment behind `gate`, not on the main bus
        std::weak_ptr<ChipModel> gate;
        int channel = 0;
    };
    std::shared_ptr<ChipModel> find(std::uint8_t address) const;
    bool overlaps(const Slot& s, std::uint8_t address, int span) const;
    bool sameSegment(const Slot& s, const std::shared_ptr<ChipModel>& gate, int channel) const;
    bool reachable(const Slot& s, int depth = 0) const;
    std::shared_ptr<ChipModel> gateOf(const Segment& segment) const;
    std::optional<Fault> takeFault(std::span<const I2cMessage> messages);
    std::vector<Slot>::iterator slotOf(const ChipModel* chip);

    SimClock m_clock;
    std::uint64_t m_transferDelayUs = 0;
    std::vector<Slot> m_slots;
    std::map<std::string, Factory> m_factories;
    // Chips the bench set aside, by their address and type.
    std::map<std::pair<std::uint8_t, std::string>, std::shared_ptr<ChipModel>> m_setAside;
    struct PendingFault {
        Fault fault;
        std::vector<std::uint8_t> startsWith;
        bool kept = true;
    };
    std::vector<PendingFault> m_faults;
    bool m_removed = false;
    bool m_placeForWindows = true;
    std::size_t m_maxTransferLength = 65536 + 2;
};

// The chip types every bench knows how to make. Serial memories are
// "EEPROM <bytes>" and "RAM <bytes>" with the size in decimal, for every size
// of SerialMemoryChip::kSizes ("EEPROM 256", "RAM 65536"); see EepromChip and
// SerialRamChip.
void registerStandardChips(SimulatedAdapter& bench);

} // namespace tp::sim
