#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace tp::cli {

// How a dump reads the registers, as i2cdump's modes: b a byte per
// register, w a word per register (low byte first), i 32-byte I2C block
// reads, c the pointer once and then a read byte after byte.
enum class DumpMode { Byte, Word, Block, Consecutive };

// One read per register: its value, or nothing when the read failed.
// Word mode holds 16-bit values; the others bytes.
struct DumpValues {
    DumpMode mode = DumpMode::Byte;
    int first = 0x00;
    int last = 0xFF;
    std::array<int, 256> value{}; // -1: failed
};

// i2cdump's grid: 16 columns and the ASCII column ("." for 00 and FF, "?"
// for the unprintable, "X" for a failed read); word mode 8 words a line.
// Registers outside first-last stay blank.
std::string dumpGrid(const DumpValues& d);
// "register,value" then a line per register of the range, hexadecimal;
// a failed read has an empty value.
std::string dumpCsv(const DumpValues& d);

} // namespace tp::cli
