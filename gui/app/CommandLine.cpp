#include "gui/app/CommandLine.h"

#include <string_view>

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine c;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            c.help = true;
        } else if (arg == "--list-adapters") {
            c.listAdapters = true;
        } else if (arg == "--adapter") {
            if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
                c.error = "--adapter needs an adapter: bench, /dev/i2c-N, i2c-N, N, the adapter's name, "
                          "ssh:[user@]host[:port]/ADAPTER or exec:COMMAND";
                return c;
            }
            c.adapter = argv[++i];
        } else if (arg.rfind("--adapter=", 0) == 0) {
            c.adapter = std::string(arg.substr(10));
            if (c.adapter.empty()) {
                c.error = "--adapter needs an adapter: bench, /dev/i2c-N, i2c-N, N, the adapter's name, "
                          "ssh:[user@]host[:port]/ADAPTER or exec:COMMAND";
                return c;
            }
        } else if (arg.rfind("--", 0) == 0) {
            c.error = "unknown option " + std::string(arg);
            return c;
        }
    }
    return c;
}

std::string usageText()
{
    return "Usage: tallyport [--adapter ADAPTER] [--list-adapters] [--help]\n"
           "  --adapter ADAPTER  use this adapter for this run: bench (the simulated bench), /dev/i2c-N,\n"
           "                     i2c-N, N, or the adapter's name as --list-adapters shows it;\n"
           "                     a board's bus as ssh:[user@]host[:port]/ADAPTER, or exec:COMMAND;\n"
           "                     the adapter chosen in the menu stays remembered\n"
           "  --list-adapters    list the adapters and exit\n"
           "Without --adapter the program starts on the adapter chosen last time.\n";
}
