#include "cli/Commands.h"
#include "cli/Numbers.h"
#include "cli/Session.h"
#include "core/sim/BenchBoard.h"
#include "core/sim/FaultText.h"
#include "core/sim/SimulatedAdapter.h"

#include <cmath>
#include <ostream>
#include <stdexcept>

namespace tp::cli {

namespace {

int channelNumber(const std::string& text, const std::string& what)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError(what + ": '" + text + "' is not a number");
    return std::stoi(text);
}

sim::Segment segmentOf(const sim::BenchBoard& board, const std::string& behind)
{
    if (behind.empty())
        return {};
    const std::size_t colon = behind.rfind(':');
    if (colon == std::string::npos)
        throw UsageError("bench place --behind takes MUX_ADDRESS:CHANNEL, e.g. 70:2");
    const std::uint8_t gate = parseAddress(behind.substr(0, colon));
    try {
        return board.segmentBehind(gate, channelNumber(behind.substr(colon + 1), "bench place --behind"));
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("bench place --behind: ") + e.what());
    }
}

void setOutside(sim::BenchBoard& board, sim::ChipModel& chip, const std::vector<std::string>& v)
{
    const std::string what = v.empty() ? std::string() : v[0];
    try {
        if (what == "pin" && v.size() == 3 && (v[2] == "high" || v[2] == "low")) {
            board.setPin(chip, channelNumber(v[1], "bench set pin"), v[2] == "high");
            return;
        }
        if (what == "temperature" && (v.size() == 2 || v.size() == 3)) {
            const int sensor = v.size() == 3 ? channelNumber(v[1], "bench set temperature") : 0;
            const std::string& value = v.back();
            std::optional<double> t;
            if (value != "wander") {
                std::size_t used = 0;
                double d = 0;
                try {
                    d = std::stod(value, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != value.size() || !std::isfinite(d))
                    throw UsageError("bench set temperature: '" + value + "' is not degrees Celsius or wander");
                t = d;
            }
            board.setTemperature(chip, sensor, t);
            return;
        }
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("bench set: ") + e.what());
    }
    throw UsageError("bench set ADDRESS takes 'pin N high|low' or 'temperature [N] DEGREES|wander'");
}

} // namespace

int benchCommand(Session& session, const BenchOptions& o, Console& console)
{
    sim::SimulatedAdapter* bench = session.bench();
    if (!bench)
        throw UsageError("bench: only the simulated bench (-a bench) has chips to list or place");
    sim::BenchBoard board(*bench);
    if (o.action == "types") {
        for (const std::string& t : bench->types())
            console.out << t << "\n";
        return kOk;
    }
    if (o.action == "place") {
        const std::uint8_t address = parseAddress(o.address, true);
        if (!bench->knowsType(o.type))
            throw UsageError("bench place: the bench has no chip type '" + o.type +
                             "' (tallyport-cli bench types lists them)");
        board.place(o.type, address, segmentOf(board, o.behind));
        return kOk;
    }
    if (o.action == "remove" || o.action == "set") {
        const std::uint8_t address = parseAddress(o.address, true);
        sim::ChipModel* chip = bench->chipAt(address);
        // A chip behind a channel that is off is still on the board.
        for (const sim::BenchBoard::Row& r : board.rows())
            if (!chip && !r.setAside && r.address == address)
                chip = r.chip.get();
        if (!chip)
            throw UsageError("bench " + o.action + ": no chip answers at " + addressText7(address));
        if (o.action == "remove")
            board.remove(*chip);
        else
            setOutside(board, *chip, o.values);
        return kOk;
    }
    // list
    const std::vector<sim::BenchBoard::Row> rows = board.rows();
    for (const sim::BenchBoard::Row& r : rows) {
        std::string where = r.where;
        if (r.gate >= 0 && !r.setAside) { // the shell names every address in its 7-bit form
            const sim::BenchBoard::Row& g = rows[static_cast<std::size_t>(r.gate)];
            where = "channel " + std::to_string(r.channel) + " of the " + g.type + " at " + addressText7(g.address);
        }
        std::string line = addressText7(r.address) + "  " + r.type + "  " + where;
        if (r.placedByBench && !r.setAside)
            line += " (placed for a window)";
        if (!r.state.empty())
            line += "  " + r.state;
        if (!r.faults.empty())
            line += "  armed: " + r.faults;
        console.out << line << "\n";
    }
    for (const sim::Fault& f : bench->armedFaults())
        if (!f.address)
            console.out << "armed: " << sim::FaultText::describe(f) << "\n";
    if (!bench->placeForWindows())
        console.out << "a fixed board: windows get no chips placed for them\n";
    return kOk;
}

} // namespace tp::cli
