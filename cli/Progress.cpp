#include "cli/Progress.h"

#include <ostream>

namespace tp::cli {

MemoryProgress Progress::callback()
{
    return [this](std::size_t done, std::size_t total) {
        if (m_console.progress && total > 0) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != m_shown) {
                m_shown = percent;
                m_console.err << '\r' << m_label << ' ' << (percent < 10 ? "  " : percent < 100 ? " " : "")
                              << percent << " %" << std::flush;
            }
        }
        return !interrupted();
    };
}

void Progress::done()
{
    if (m_shown >= 0)
        m_console.err << "\r\033[K" << std::flush;
    m_shown = -1;
}

} // namespace tp::cli
