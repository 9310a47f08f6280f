#pragma once
#include "cli/CliTypes.h"
#include "core/memory/MemoryBusTypes.h"

#include <string>

namespace tp::cli {

// The progress line of a long transfer ("Writing  42 %"), redrawn in place
// on a terminal and never written elsewhere. Its callback also stops the
// transfer after Ctrl-C.
class Progress {
public:
    Progress(Console& console, std::string label) : m_console(console), m_label(std::move(label)) {}
    ~Progress() { done(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    MemoryProgress callback();
    // Clears the line.
    void done();

private:
    Console& m_console;
    std::string m_label;
    int m_shown = -1;
};

} // namespace tp::cli
