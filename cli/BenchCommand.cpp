#include "cli/Commands.h"
#include "cli/Numbers.h"
#include "cli/Session.h"
#include "core/common/HexText.h"
#include "core/sim/SimulatedAdapter.h"

#include <ostream>

namespace tp::cli {

int benchCommand(Session& session, const BenchOptions& o, Console& console)
{
    sim::SimulatedAdapter* bench = session.bench();
    if (!bench)
        throw UsageError("bench: only the simulated bench (-a bench) has chips to list or place");
    if (o.action == "types") {
        for (const std::string& t : bench->types())
            console.out << t << "\n";
        return kOk;
    }
    if (o.action == "place") {
        const std::uint8_t address = parseAddress(o.address, true);
        std::unique_ptr<sim::ChipModel> chip = bench->makeChip(o.type);
        if (!chip)
            throw UsageError("bench place: the bench has no chip type '" + o.type +
                             "' (tallyport-cli bench types lists them)");
        bench->place(address, std::move(chip));
        return kOk;
    }
    if (o.action == "remove") {
        const std::uint8_t address = parseAddress(o.address, true);
        if (!bench->chipAt(address))
            throw UsageError("bench remove: no chip answers at " + addressText7(address));
        bench->remove(address);
        return kOk;
    }
    // list
    const auto placements = bench->placements();
    for (const auto& p : placements) {
        std::string line = addressText7(p.address) + "  " + p.chip->type();
        if (p.setAside)
            line += "  (set aside: a window expected another chip type here)";
        else if (p.gate >= 0)
            line += "  (behind channel " + std::to_string(p.channel) + " of the " +
                    placements[static_cast<std::size_t>(p.gate)].chip->type() + " at " +
                    addressText7(placements[static_cast<std::size_t>(p.gate)].address) + ")";
        console.out << line << "\n";
    }
    return kOk;
}

} // namespace tp::cli
