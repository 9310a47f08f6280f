#pragma once
#include "core/adapter/linux/I2cDevSystem.h"

#include <string>

// What the command line asks for. Options of our own are "--" words;
// anything else is left to Qt (-platform, -style, ...).
struct CommandLine {
    bool help = false;
    bool listAdapters = false;
    std::string adapter; // "bench", a device node, "i2c-N", "N" or a kernel name; empty: the remembered one
    std::string error;   // the command line is wrong: this says how
};

CommandLine parseCommandLine(int argc, const char* const* argv);

std::string usageText();

// --list-adapters: the bench, then each bus as `i2cdetect -l` shows it.
std::string adapterListText(const tp::linuxi2c::Environment& env);
