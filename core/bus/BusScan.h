#pragma once
#include "core/adapter/Adapter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tp::scan {

// How an address is probed.
enum class Probe : std::uint8_t {
    None,       // not probed: the adapter offers no safe way
    QuickWrite, // address with the write bit and nothing after it
    ReadByte,   // address with the read bit, one byte read
};

const char* probeName(Probe p); // "quick write", "one-byte read", "none"

// What the adapter can send for a probe.
struct ProbeAbilities {
    bool quickWrite = true; // a write message without data (SMBus quick)
    bool readByte = true;   // a one-byte read (SMBus receive byte)
};

// i2cdetect's default choice: a one-byte read at 0x30-0x37 and 0x50-0x5F,
// where even an empty write can set a memory module's SPD write protection
// or corrupt some EEPROMs, a quick write everywhere else.
Probe preferredProbe(std::uint8_t address7);
// The preferred probe where the adapter can send it. Elsewhere a read
// stands in for a quick write; a quick write never stands in for a read.
Probe probeFor(std::uint8_t address7, ProbeAbilities abilities);

// 0x08-0x77, or every address 0x00-0x7F.
enum class Range { Normal, Full };
constexpr std::uint8_t firstAddress(Range r) { return r == Range::Full ? 0x00 : 0x08; }
constexpr std::uint8_t lastAddress(Range r) { return r == Range::Full ? 0x7F : 0x77; }

// What the scan learnt about one 7-bit address.
struct Cell {
    enum class State : std::uint8_t {
        NotScanned, // outside the range, or after the scan stopped
        NoAnswer,   // probed, not acknowledged
        Found,      // probed and acknowledged
        Claimed,    // a kernel driver holds it: not probed ("UU")
        NotProbed,  // the adapter offers no safe probe here
    };
    State state = State::NotScanned;
    Probe probe = Probe::None;
    std::string driver; // Claimed: the driver's name
};

// Everything the scan needs to know about the bus besides the adapter.
struct Setup {
    Range range = Range::Normal;
    ProbeAbilities abilities;
    // The kernel driver holding an address, or empty. None on the bench.
    std::function<std::string(std::uint8_t address7)> claimedBy;
    // A PC's SMBus controller: the user is warned before its first scan.
    bool pcSmbus = false;
};

struct Result {
    std::array<Cell, 128> cells{};
    Range range = Range::Normal;
    int probes = 0;        // transactions sent
    Status stopped = 0;    // non-zero: the scan ended early with this status
    std::uint8_t stoppedAt = 0;

    int found() const;
    std::string foundText() const; // "12 devices found", "1 device found", "No devices found"
};

// Probes one address after another through Adapter::transfer, so the bus
// log shows every probe. A status other than "not acknowledged" (bus stuck,
// time-out, adapter gone) ends the scan there; a probe the adapter refuses
// is tried once more with a one-byte read where that is safe.
class Scanner {
public:
    Scanner(Adapter& adapter, Setup setup);

    bool done() const { return m_next > m_last || m_result.stopped != 0; }
    // Probes the next address; false once done.
    bool step();
    void run()
    {
        while (step()) {
        }
    }
    const Result& result() const { return m_result; }
    // Addresses handled so far and in all, for a progress bar.
    int progress() const { return m_next - m_first; }
    int total() const { return m_last - m_first + 1; }

private:
    Status probe(std::uint8_t address7, Probe p);

    Adapter& m_adapter;
    Setup m_setup;
    Result m_result;
    int m_first;
    int m_last;
    int m_next;
};

// The result as i2cdetect prints it: a header line and rows 00 to 70, "--"
// for no answer, "UU" for a claimed address, the address in hex for a chip,
// blanks outside the range.
std::string gridText(const Result& result);
// The text of one grid cell as the window shows it (upper-case hex).
std::string cellText(const Result& result, std::uint8_t address7);
// Which probe went where: "quick write at 0x08-0x2F, 0x38-0x4F, 0x60-0x77;
// one-byte read at 0x30-0x37, 0x50-0x5F".
std::string methodSummary(const Result& result);

} // namespace tp::scan
