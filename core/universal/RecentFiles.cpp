#include "core/universal/RecentFiles.h"

#include <algorithm>

namespace tp {

RecentFiles::RecentFiles(std::vector<std::string> paths)
{
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        if (!it->empty())
            add(*it);
    markStored();
}

void RecentFiles::add(const std::string& path)
{
    remove(path);
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > kMax)
        m_paths.resize(kMax);
}

void RecentFiles::remove(const std::string& path)
{
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
}

} // namespace tp
