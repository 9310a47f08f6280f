#include "core/adapter/Adapter.h"
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
    for (std::size_t i = 0; i < reached; ++i) {
        BusLogEntry e;
        e.timeUs = t0;
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
        m_log.add(e);
    }
    return st;
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
