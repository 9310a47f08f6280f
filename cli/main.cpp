#include "cli/CliApp.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    tp::cli::installInterruptHandler();
    const bool terminal = ::isatty(STDERR_FILENO);
    tp::cli::Console console{std::cout, std::cerr, terminal, terminal && ::isatty(STDIN_FILENO)};
    return tp::cli::runCli(argc, argv, console);
}
