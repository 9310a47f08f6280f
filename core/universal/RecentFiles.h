#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tp {

// The recent-file list: at most four full paths, most recent first.
class RecentFiles {
public:
    static constexpr std::size_t kMax = 4;

    RecentFiles() = default;
    explicit RecentFiles(std::vector<std::string> paths);

    const std::vector<std::string>& paths() const { return m_paths; }
    bool empty() const { return m_paths.empty(); }

    // A path in the list moves to the front; a new one goes there and the
    // fifth is dropped.
    void add(const std::string& path);
    void remove(const std::string& path);

    // Whether the list differs from what it was made or last marked with.
    bool changed() const { return m_paths != m_stored; }
    void markStored() { m_stored = m_paths; }

private:
    std::vector<std::string> m_paths;
    std::vector<std::string> m_stored;
};

} // namespace tp
