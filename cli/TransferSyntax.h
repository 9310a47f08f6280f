#pragma once
#include "core/adapter/I2cMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tp::cli {

// i2ctransfer's message syntax: DESC [DATA]... where DESC is
// {r|w}LENGTH[@ADDRESS] (the address of the message before when left out)
// and a write's LENGTH data bytes may end early with a suffix that fills
// the rest: "=" the same value, "+" counting up, "-" counting down, "p"
// i2ctransfer's pseudo-random sequence seeded with the value. Numbers are
// C literals as i2ctransfer reads them (0x50, 80, 0120). Addresses are
// 7-bit, 0x08 to 0x77 unless `anyAddress`. Throws UsageError naming the
// argument and the form it should have.
std::vector<I2cMessage> parseTransfer(const std::vector<std::string>& args, bool anyAddress);

// What i2ctransfer prints after the transaction: a line per read message
// that has bytes, "0x12 0x34".
std::string transferOutput(const std::vector<I2cMessage>& messages);

// One line of an i2ctransfer script, as the bus log exports one.
struct ScriptLine {
    enum class Kind { Blank, Comment, Transfer, Sleep, Shell } kind = Kind::Blank;
    std::vector<std::string> args; // Transfer: the message arguments, bus left out
    bool force = false;            // Transfer: -f
    bool anyAddress = false;       // Transfer: -a
    std::uint64_t sleepUs = 0;     // Sleep
};

// "i2ctransfer -y "$BUS" w1@0x50 0x00 r2", "sleep 0.005", "# ...", and the
// script's own set-up lines ("set -e", "BUS=..."), which are Shell.
// Throws UsageError for anything else.
ScriptLine parseScriptLine(std::string_view line);

} // namespace tp::cli
