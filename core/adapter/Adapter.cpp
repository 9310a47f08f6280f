#include "core/adapter/Adapter.h"
#include "core/adapter/Clock.h"
#include "core/adapter/AckPolling.h"
#include "core/adapter/BusWorker.h"

#include <algorithm>

namespace tp {

Status Adapter::transfer(std::span<I2cMessage> messages)
{
    if (busRunner()) {
        Status st = 0;
        onBus([&] { st = transferHere(messages); });
        return st;
    }
    return transferHere(messages);
}

Status Adapter::transferHere(std::span<I2cMessage> messages)
{
    const std::uint64_t t0 = nowUs();
    const std::uint64_t wall = monotonicUs();
    std::vector<std::size_t> completed(messages.size(), kNotReached);
    m_refusal.clear();
    Status st = messages.empty() ? Status{0} : doTransfer(messages, completed);
    // The messages that reached the bus; a transaction that failed before
    // its first message still leaves a trace.
    std::size_t reached = 0;
    while (reached < messages.size() && completed[reached] != kNotReached)
        ++reached;
    if (reached == 0 && st != 0 && !messages.empty())
        reached = 1;
    const std::uint64_t transaction = m_log.nextTransaction();
    // Where each message starts within its transaction, from the bits before
    // it at the bus frequency: a start condition, then nine clocks a byte.
    const double bitUs = 1000.0 / busFrequency();
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < reached; ++i) {
        BusLogEntry e;
        e.timeUs = wall + static_cast<std::uint64_t>(static_cast<double>(bits) * bitUs);
        e.busUs = t0;
        bits += 1 + 9 * (1 + messages[i].data.size());
        e.transaction = transaction;
        e.address = messages[i].address & 0xFE;
        e.read = messages[i].read;
        e.repeatedStart = i > 0;
        std::size_t n = completed[i] == kNotReached ? 0 : std::min(completed[i], messages[i].data.size());
        e.bytes.assign(messages[i].data.begin(), messages[i].data.begin() + static_cast<long>(n));
        e.length = messages[i].data.size();
        e.status = st;
        if (st != 0 && i + 1 == reached) {
            if (st == status::AddressNack && n == 0)
                e.failedAt = FailedAt::Address;
            else if (st == status::DataNack && !e.read && n < e.length)
                e.failedAt = FailedAt::Data;
            else
                e.failedAt = FailedAt::Transaction;
        }
        e.poll = m_polling == Polling::Mark::All ||
                 (m_polling == Polling::Mark::Unanswered && st == status::AddressNack && e.failedAt == FailedAt::Address);
        m_log.add(e);
    }
    return st;
}

bool Adapter::onlyReads(std::span<const I2cMessage> messages) const
{
    const bool allReads =
        std::all_of(messages.begin(), messages.end(), [](const I2cMessage& m) { return m.read; });
    if (allReads)
        return true;
    const std::size_t pointer = m_readingOnly ? m_pointerBytes : 1;
    if (messages.size() == 2) {
        const I2cMessage& w = messages[0];
        const I2cMessage& r = messages[1];
        return !w.read && r.read && (w.address & 0xFE) == (r.address & 0xFE) && !w.data.empty() &&
               w.data.size() <= pointer;
    }
    return m_readingOnly && messages.size() == 1 && messages[0].data.size() <= pointer;
}

Status Adapter::transferThenAwait(std::span<I2cMessage> messages, std::uint8_t pollAddress, std::uint64_t limitUs,
                                  std::uint64_t intervalUs, bool* timedOut)
{
    if (timedOut)
        *timedOut = false;
    const Status st = transfer(messages);
    if (st != status::Success)
        return st;
    return awaitAcknowledge(*this, pollAddress, limitUs, intervalUs, timedOut);
}

Status Adapter::write(std::uint8_t address, std::vector<std::uint8_t> bytes)
{
    I2cMessage m = I2cMessage::write(address, std::move(bytes));
    return transfer(std::span<I2cMessage>(&m, 1));
}

Status Adapter::read(std::uint8_t address, std::size_t count, std::vector<std::uint8_t>& out)
{
    I2cMessage m = I2cMessage::readBytes(address, count);
    Status st = transfer(std::span<I2cMessage>(&m, 1));
    out = std::move(m.data);
    return st;
}

Status Adapter::writeRead(std::uint8_t address, std::vector<std::uint8_t> prefix, std::size_t count,
                          std::vector<std::uint8_t>& out)
{
    I2cMessage ms[2] = {I2cMessage::write(address, std::move(prefix)),
                        I2cMessage::readBytes(address, count)};
    Status st = transfer(ms);
    out = std::move(ms[1].data);
    return st;
}

} // namespace tp
