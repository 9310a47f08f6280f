#include "core/adapter/BusLog.h"
#include "core/common/HexText.h"

namespace tp {

std::string BusLogEntry::toString() const
{
    std::string s = std::to_string(timeUs) + " us  ";
    if (isNote())
        return s + "-- " + note;
    s += repeatedStart ? "Sr " : "S  ";
    s += intToHex(read ? address | 1 : address, 2);
    s += read ? " R " : " W ";
    for (std::uint8_t b : bytes)
        s += intToHex(b, 2) + " ";
    s += "status " + std::to_string(status);
    return s;
}

void BusLog::add(BusLogEntry e)
{
    if (m_entries.size() >= m_capacity && m_capacity > 0)
        m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<long>(m_capacity / 10 + 1));
    m_entries.push_back(std::move(e));
    if (onEntry)
        onEntry(m_entries.back());
}

void BusLog::note(std::uint64_t timeUs, std::string text)
{
    BusLogEntry e;
    e.timeUs = timeUs;
    e.note = std::move(text);
    add(std::move(e));
}

std::vector<BusLogEntry> BusLog::transfers() const
{
    std::vector<BusLogEntry> out;
    for (const auto& e : m_entries)
        if (!e.isNote())
            out.push_back(e);
    return out;
}

} // namespace tp
