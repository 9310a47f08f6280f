#pragma once
#include "core/common/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tp {

// What reached the bus, one entry per message (or a note from the bench).
struct BusLogEntry {
    std::uint64_t timeUs = 0;       // adapter clock at the message's start
    std::uint8_t address = 0;       // 8-bit write address
    bool read = false;
    bool repeatedStart = false;     // follows the previous message without a stop
    std::vector<std::uint8_t> bytes; // written, or read (as far as they came)
    Status status = 0;              // the transaction's status
    std::string note;               // non-empty: a remark, not a transfer

    bool isNote() const { return !note.empty(); }
    std::string toString() const;
};

class BusLog {
public:
    void add(BusLogEntry e);
    void note(std::uint64_t timeUs, std::string text);
    const std::vector<BusLogEntry>& entries() const { return m_entries; }
    std::vector<BusLogEntry> transfers() const; // entries without notes
    void clear() { m_entries.clear(); }
    std::size_t size() const { return m_entries.size(); }
    // Bounded so a continuous run cannot eat memory; oldest entries go first.
    void setCapacity(std::size_t n) { m_capacity = n; }
    std::function<void(const BusLogEntry&)> onEntry;

private:
    std::vector<BusLogEntry> m_entries;
    std::size_t m_capacity = 100000;
};

} // namespace tp
