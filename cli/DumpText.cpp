#include "cli/DumpText.h"

#include <cstdio>

namespace tp::cli {

namespace {

std::string hex(int v, int digits)
{
    char b[16]; // room for any int, however many digits are asked for
    std::snprintf(b, sizeof b, "%0*x", digits, v);
    return b;
}

bool inRange(const DumpValues& d, int r)
{
    return r >= d.first && r <= d.last;
}

} // namespace

std::string dumpGrid(const DumpValues& d)
{
    std::string out;
    if (d.mode == DumpMode::Word) {
        out += "     0,8  1,9  2,a  3,b  4,c  5,d  6,e  7,f\n";
        for (int row = d.first / 8 * 8; row <= d.last; row += 8) {
            out += hex(row, 2) + ": ";
            for (int r = row; r < row + 8; ++r)
                out += !inRange(d, r) ? "     " : d.value[r] < 0 ? "XXXX " : hex(d.value[r] & 0xFFFF, 4) + " ";
            out += '\n';
        }
        return out;
    }
    out += "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (int row = d.first / 16 * 16; row <= d.last; row += 16) {
        out += hex(row, 2) + ": ";
        for (int r = row; r < row + 16; ++r)
            out += !inRange(d, r) ? "   " : d.value[r] < 0 ? "XX " : hex(d.value[r], 2) + " ";
        out += "   ";
        for (int r = row; r < row + 16; ++r) {
            const int v = d.value[r];
            out += !inRange(d, r)              ? ' '
                   : v < 0                     ? 'X'
                   : v == 0x00 || v == 0xFF    ? '.'
                   : v < 0x20 || v >= 0x7F     ? '?'
                                               : static_cast<char>(v);
        }
        out += '\n';
    }
    return out;
}

std::string dumpCsv(const DumpValues& d)
{
    std::string out = "register,value\n";
    const int digits = d.mode == DumpMode::Word ? 4 : 2;
    for (int r = d.first; r <= d.last; ++r)
        out += "0x" + hex(r, 2) + "," + (d.value[r] < 0 ? std::string() : "0x" + hex(d.value[r], digits)) + "\n";
    return out;
}

} // namespace tp::cli
