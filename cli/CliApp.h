#pragma once
#include "cli/CliTypes.h"

namespace tp::cli {

// The whole tool: parses the command line, runs the command, returns the
// exit code (see Exit).
int runCli(int argc, const char* const* argv, Console& console);

} // namespace tp::cli
