#include "core/adapter/BusLog.h"
#include "core/adapter/Clock.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <atomic>

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

namespace {
std::atomic<std::uint64_t> g_logIds{0};
}

BusLog::BusLog() : m_id(++g_logIds) {}

std::uint64_t BusLog::nextTransaction()
{
    std::lock_guard lock(m_mutex);
    return ++m_lastTransaction;
}

std::size_t BusLog::size() const
{
    std::lock_guard lock(m_mutex);
    return m_records.size();
}

std::uint64_t BusLog::firstNumber() const
{
    std::lock_guard lock(m_mutex);
    return m_first;
}

std::uint64_t BusLog::endNumber() const
{
    std::lock_guard lock(m_mutex);
    return m_first + m_records.size();
}

bool BusLog::holds(std::uint64_t number) const
{
    std::lock_guard lock(m_mutex);
    return number >= m_first && number < m_first + m_records.size();
}

bool BusLog::pollsFrom(std::uint64_t number) const
{
    std::lock_guard lock(m_mutex);
    return m_pollEnd > std::max(number, m_first);
}

BusLog::Glance BusLog::glance(std::uint64_t from, std::uint64_t end) const
{
    std::lock_guard lock(m_mutex);
    Glance g;
    g.held = m_first;
    g.first = std::max(from, m_first);
    const std::uint64_t last = std::min<std::uint64_t>(end, m_first + m_records.size());
    if (g.first < last) {
        g.entries.reserve(static_cast<std::size_t>(last - g.first));
        for (auto it = m_records.begin() + static_cast<std::ptrdiff_t>(g.first - m_first),
                  stop = m_records.begin() + static_cast<std::ptrdiff_t>(last - m_first);
             it != stop; ++it)
            g.entries.push_back({it->address, (it->flags & kPoll) != 0});
    }
    return g;
}

std::uint64_t BusLog::dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

std::size_t BusLog::capacity() const
{
    std::lock_guard lock(m_mutex);
    return m_capacity;
}

BusLog::Record BusLog::record(std::uint64_t number) const
{
    std::lock_guard lock(m_mutex);
    if (number < m_first || number - m_first >= m_records.size())
        return Record{};
    return m_records[static_cast<std::size_t>(number - m_first)];
}

BusLogEntry BusLog::entry(std::uint64_t number) const
{
    std::lock_guard lock(m_mutex);
    if (number < m_first || number - m_first >= m_records.size())
        return {};
    return build(m_records[static_cast<std::size_t>(number - m_first)]);
}

void BusLog::add(const BusLogEntry& e)
{
    Record r{};
    r.timeUs = e.timeUs;
    r.busUs = e.busUs;
    r.address = e.address;
    r.status = e.status;
    std::unique_lock lock(m_mutex);
    if (e.isNote()) {
        r.flags = kNote;
        push(r, reinterpret_cast<const std::uint8_t*>(e.note.data()), e.note.size());
    } else {
        r.transaction = e.transaction;
        r.length = static_cast<std::uint32_t>(std::max(e.length, e.bytes.size()));
        r.flags = static_cast<std::uint8_t>((e.read ? kRead : 0) | (e.repeatedStart ? kRepeatedStart : 0) |
                                            (e.poll ? kPoll : 0));
        r.failedAt = e.failedAt;
        push(r, e.bytes.data(), e.bytes.size());
    }
    lock.unlock();
    // Outside the lock: a listener may read the log.
    if (onEntry)
        onEntry(e);
}

void BusLog::note(std::uint64_t busUs, std::string text)
{
    BusLogEntry e;
    e.timeUs = monotonicUs();
    e.busUs = busUs;
    e.note = std::move(text);
    add(e);
}

void BusLog::push(const Record& r, const std::uint8_t* data, std::size_t n)
{
    trim(n);
    Record stored = r;
    stored.count = static_cast<std::uint32_t>(n);
    stored.dataOffset = m_dataBase + m_data.size();
    m_records.push_back(stored);
    if (stored.flags & kPoll)
        m_pollEnd = m_first + m_records.size();
    m_data.insert(m_data.end(), data, data + n);
}

void BusLog::dropOldest()
{
    const Record& r = m_records.front();
    m_data.erase(m_data.begin(), m_data.begin() + static_cast<long>(r.count));
    m_dataBase += r.count;
    m_records.pop_front();
    ++m_first;
    ++m_dropped;
}

void BusLog::trim(std::size_t incomingBytes)
{
    while (!m_records.empty() &&
           (m_records.size() >= m_capacity || m_data.size() + incomingBytes > m_dataCapacity))
        dropOldest();
}

BusLogEntry BusLog::at(std::size_t index) const
{
    std::lock_guard lock(m_mutex);
    return build(m_records.at(index));
}

BusLogEntry BusLog::build(const Record& r) const
{
    BusLogEntry e;
    e.timeUs = r.timeUs;
    e.busUs = r.busUs;
    e.address = r.address;
    e.status = r.status;
    const auto from = m_data.begin() + static_cast<long>(r.dataOffset - m_dataBase);
    const auto to = from + static_cast<long>(r.count);
    if (r.flags & kNote) {
        e.note.assign(from, to);
        return e;
    }
    e.transaction = r.transaction;
    e.read = r.flags & kRead;
    e.repeatedStart = r.flags & kRepeatedStart;
    e.poll = r.flags & kPoll;
    e.bytes.assign(from, to);
    e.length = r.length;
    e.failedAt = r.failedAt;
    return e;
}

std::vector<BusLogEntry> BusLog::entries() const
{
    std::lock_guard lock(m_mutex);
    std::vector<BusLogEntry> out;
    out.reserve(m_records.size());
    for (const Record& r : m_records)
        out.push_back(build(r));
    return out;
}

std::vector<BusLogEntry> BusLog::transfers() const
{
    std::lock_guard lock(m_mutex);
    std::vector<BusLogEntry> out;
    for (const Record& r : m_records)
        if (!(r.flags & kNote))
            out.push_back(build(r));
    return out;
}

void BusLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_first += m_records.size();
    m_dataBase += m_data.size();
    m_records.clear();
    m_data.clear();
    m_dropped = 0;
}

void BusLog::setCapacity(std::size_t messages)
{
    std::lock_guard lock(m_mutex);
    m_capacity = std::max<std::size_t>(messages, 1);
    while (m_records.size() > m_capacity)
        dropOldest();
}

void BusLog::setDataCapacity(std::size_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_dataCapacity = bytes;
    while (m_records.size() > 1 && m_data.size() > m_dataCapacity)
        dropOldest();
}

} // namespace tp
