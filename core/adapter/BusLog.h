#pragma once
#include "core/common/Status.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tp {

// Where a failed transaction stopped, marked on the message it stopped in.
enum class FailedAt : std::uint8_t {
    Nowhere,     // this message went through (or the transaction succeeded)
    Address,     // the address byte was not acknowledged
    Data,        // data byte number bytes.size() (0-based) was not acknowledged
    Transaction, // the adapter gave up here for another reason (time-out, bus, refusal)
};

// What reached the bus, one entry per message (or a note from the bench).
struct BusLogEntry {
    std::uint64_t timeUs = 0;       // since the program started, at this message's own place in its transaction
    std::uint64_t busUs = 0;        // adapter clock (modelled on the bench) at the transaction's start
    std::uint64_t transaction = 0;  // shared by the messages of one transaction; 0 for notes
    std::uint8_t address = 0;       // 8-bit write address
    bool read = false;
    bool repeatedStart = false;     // follows the previous message without a stop
    std::vector<std::uint8_t> bytes; // written, or read (as far as they came)
    std::size_t length = 0;         // data bytes the message was to carry
    Status status = 0;              // the transaction's status
    FailedAt failedAt = FailedAt::Nowhere;
    std::string note;               // non-empty: a remark, not a transfer
    bool poll = false;              // an acknowledge poll: a chip not answering is expected

    bool isNote() const { return !note.empty(); }
    std::string toString() const;
};

// Every message of every window, in order, in a bounded ring: when it is
// full the oldest entries go and are counted. Each entry has a number that
// is never reused, so a viewer can tell what is new and what has gone.
// Entries are held packed (a fixed record, data bytes in one shared store),
// since a long run keeps a million of them.
class BusLog {
public:
    static constexpr std::size_t kDefaultCapacity = 1000000;
    static constexpr std::size_t kDefaultDataCapacity = std::size_t(64) << 20;

    BusLog();
    BusLog(const BusLog&) = delete;
    BusLog& operator=(const BusLog&) = delete;

    void add(const BusLogEntry& e);
    // A remark at `busUs` on the adapter's clock, shown at the time it is made.
    void note(std::uint64_t busUs, std::string text);
    // A new transaction number for the messages of one transaction.
    std::uint64_t nextTransaction();

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    // The i-th entry held (0 = oldest).
    BusLogEntry at(std::size_t index) const;
    // Every entry held, and those without notes.
    std::vector<BusLogEntry> entries() const;
    std::vector<BusLogEntry> transfers() const;

    // Entry numbers: the oldest held is firstNumber(), the next to come endNumber().
    std::uint64_t firstNumber() const;
    std::uint64_t endNumber() const;
    bool holds(std::uint64_t number) const;
    // Whether an acknowledge poll numbered `number` or later is held; no scan.
    bool pollsFrom(std::uint64_t number) const;
    // What a viewer needs to sort entries [from, end) into rows, taken under
    // one lock: a look per entry costs more than the sorting.
    struct Glance {
        std::uint64_t held = 0;  // the oldest entry held at the time
        std::uint64_t first = 0; // the number of the first glanced entry
        struct Entry {
            std::uint8_t address;
            bool poll;
        };
        std::vector<Entry> entries;
    };
    Glance glance(std::uint64_t from, std::uint64_t end) const;
    // An entry the ring has let go meanwhile (the bus worker adds while a
    // viewer reads) comes back empty.
    BusLogEntry entry(std::uint64_t number) const;
    // Cheap looks at one entry without building it.
    std::uint8_t addressOf(std::uint64_t number) const { return record(number).address; }
    Status statusOf(std::uint64_t number) const { return record(number).status; }
    bool isNote(std::uint64_t number) const { return record(number).flags & kNote; }
    bool isPoll(std::uint64_t number) const { return record(number).flags & kPoll; }
    std::uint64_t timeOf(std::uint64_t number) const { return record(number).timeUs; }
    std::uint64_t transactionOf(std::uint64_t number) const { return record(number).transaction; }

    // Entries the ring let go since the last clear().
    std::uint64_t dropped() const;
    // Forgets every entry; numbers carry on.
    void clear();

    // At most `messages` entries and about `bytes` data bytes (a single
    // larger message is still kept whole).
    void setCapacity(std::size_t messages);
    void setDataCapacity(std::size_t bytes);
    std::size_t capacity() const;

    // Tells a log apart from one made later at the same place.
    std::uint64_t id() const { return m_id; }

    // Called after each entry is added, on the thread that added it.
    std::function<void(const BusLogEntry&)> onEntry;

private:
    enum Flags : std::uint8_t { kRead = 1, kRepeatedStart = 2, kNote = 4, kPoll = 8 };
    struct Record {
        std::uint64_t timeUs;
        std::uint64_t busUs;
        std::uint64_t transaction;
        std::uint64_t dataOffset; // of its first byte, counted over everything ever stored
        std::uint32_t length;
        std::uint32_t count; // bytes (or note characters) in the store
        std::uint8_t address;
        std::uint8_t flags;
        Status status;
        FailedAt failedAt;
    };
    // A copy: the record may go as soon as the lock is let go.
    Record record(std::uint64_t number) const;
    BusLogEntry build(const Record& r) const;
    void push(const Record& r, const std::uint8_t* data, std::size_t n);
    void dropOldest();
    void trim(std::size_t incomingBytes);

    // The bus worker adds while the interface reads.
    mutable std::mutex m_mutex;
    std::deque<Record> m_records;
    std::deque<std::uint8_t> m_data; // the records' bytes, oldest first
    std::uint64_t m_dataBase = 0;    // offset of m_data.front()
    std::uint64_t m_first = 0;
    std::uint64_t m_pollEnd = 0; // one past the newest poll's number; 0: none yet
    std::uint64_t m_dropped = 0;
    std::uint64_t m_lastTransaction = 0;
    std::size_t m_capacity = kDefaultCapacity;
    std::size_t m_dataCapacity = kDefaultDataCapacity;
    std::uint64_t m_id;
};

} // namespace tp
