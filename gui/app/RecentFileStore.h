#pragma once
#include <string>
#include <vector>

// The user definable device's recent-file list in the settings store, under
// Bramwick/Tallyport, group "MRUS": "numMRUs" and "mru1".."mru4". Value names
// are matched without regard to case, so lists stored under another
// spelling ("MRU1") are read, and replaced, as well.
std::vector<std::string> readRecentFiles();
void writeRecentFiles(const std::vector<std::string>& paths);
