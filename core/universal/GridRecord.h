#pragma once
#include <string>

namespace tp::expert {

// One message row without its number and start mark: what the row
// clipboard holds, and what a data file line carries.
struct TGridRecord {
    std::string address;
    std::string rw;
    std::string data;
    std::string stop;
    std::string delay;
    std::string notes;

    bool operator==(const TGridRecord&) const = default;
};

} // namespace tp::expert
