#pragma once
#include "cli/CliTypes.h"
#include "core/adapter/Adapter.h"
#include "core/adapter/linux/I2cDevSystem.h"

#include <memory>
#include <string>
#include <vector>

namespace tp::sim {
class SimulatedAdapter;
}

namespace tp::cli {

// The bus options every bus command takes.
struct BusOptions {
    std::string adapter = "bench";
    std::string benchState;          // file keeping the bench's chips between runs
    std::vector<std::string> faults; // bench faults to inject (see parseFault)
    bool trace = false;              // every bus message to the error stream
    bool force = false;              // write where a kernel driver has claimed the address
    bool yes = false;                // the first write on a PC's SMBus without asking
    bool anyAddress = false;         // 7-bit 0x00 to 0x7F, not only 0x08 to 0x77
    unsigned frequencyKHz = 0;       // the bench's bus clock; 0 leaves it
};

// One command's way to the bus: the adapter it names, opened; on the bench
// the chips of the state file (locked for the run) and the faults asked
// for. finish() writes the bench's chips back.
class Session {
public:
    // Throws UsageError for an unknown adapter or a bad fault, FileError
    // for a state file that is not one or cannot be read.
    Session(const BusOptions& options, Console& console, linuxi2c::Environment env = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Adapter& adapter() { return *m_adapter; }
    // An address argument in this session's range, as the adapter takes it.
    std::uint8_t address(std::string_view text) const;
    bool anyAddress() const { return m_anyAddress; }

    // Writes where a driver holds the address go out without asking while
    // it lives (i2ctransfer's -f on one line of a script).
    class ForceScope {
    public:
        ForceScope(Session& s, bool force) : m_s(s), m_was(s.m_forced) { s.m_forced = s.m_forced || force; }
        ~ForceScope() { m_s.m_forced = m_was; }
        ForceScope(const ForceScope&) = delete;
        ForceScope& operator=(const ForceScope&) = delete;

    private:
        Session& m_s;
        bool m_was;
    };
    sim::SimulatedAdapter* bench() const { return m_bench; }

    // Writes the bench's chips to the state file (through a temporary file).
    // Throws FileError when it cannot.
    void finish();

    // The message for a failed transfer: the status text, and for a refusal
    // what the adapter said.
    std::string failureText(Status status) const;

private:
    void openBench(const BusOptions& options);
    void openBus(const BusOptions& options, linuxi2c::Environment env);
    void traceTo(std::ostream& err);

    Console& m_console;
    std::unique_ptr<Adapter> m_adapter;
    sim::SimulatedAdapter* m_bench = nullptr;
    std::string m_statePath;
    int m_lockFd = -1;
    bool m_forced = false;
    bool m_anyAddress = false;
};

} // namespace tp::cli
