#include "core/memory/MemoryBus.h"
#include "core/adapter/AckPolling.h"
#include "core/common/BusAddress.h"
#include "core/adapter/BusWorker.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <optional>

namespace tp {

namespace {

MemoryBusResult failed(Status st, std::size_t address, std::size_t done)
{
    MemoryBusResult r;
    r.outcome = MemoryOutcome::Failed;
    r.status = st;
    r.address = address;
    r.done = done;
    return r;
}

MemoryBusResult cancelled(std::size_t done)
{
    MemoryBusResult r;
    r.outcome = MemoryOutcome::Cancelled;
    r.done = done;
    return r;
}

// After the last transfer there is nothing left to cancel.
bool goOn(const MemoryProgress& progress, std::size_t done, std::size_t total)
{
    return !progress || progress(done, total) || done >= total;
}

} // namespace

MemoryBus::MemoryBus(Adapter& adapter, MemoryDevice device) : m_adapter(adapter), m_device(device)
{
    if (m_device.size == 0 || m_device.size > 65536)
        throw Error("A serial memory holds 1 to 65536 bytes, not " + std::to_string(m_device.size));
    if (isGeneralCall(m_device.address))
        throw Error(generalCallRefusal(m_device.address));
}

void MemoryBus::announce()
{
    m_adapter.expectChip(m_device.chipType(), m_device.address & 0xFE);
}

void MemoryBus::checkRange(std::size_t start, std::size_t count) const
{
    if (start > m_device.size || count > m_device.size - start)
        throw Error("Byte address 0x" + intToHex(start + count, 2) + " is beyond the " +
                    std::to_string(m_device.size) + "-byte memory");
}

Status MemoryBus::readChunk(std::size_t a, std::span<std::uint8_t> dst)
{
    const std::uint8_t slave = m_device.slaveAddress(a);
    I2cMessage ms[2] = {I2cMessage::write(slave, m_device.wordAddress(a)), I2cMessage::readBytes(slave, dst.size())};
    // Two word-address bytes are still just the pointer of this read.
    const Adapter::ReadingOnly reading(m_adapter, ms[0].data.size());
    Status st = m_adapter.transfer(ms);
    if (st == status::Success)
        std::copy(ms[1].data.begin(), ms[1].data.end(), dst.begin());
    return st;
}

Status MemoryBus::writeChunk(std::size_t a, std::span<const std::uint8_t> data, bool thenAwait, bool* timedOut)
{
    std::vector<std::uint8_t> bytes = m_device.wordAddress(a);
    bytes.insert(bytes.end(), data.begin(), data.end());
    const std::uint8_t slave = m_device.slaveAddress(a);
    I2cMessage m = I2cMessage::write(slave, std::move(bytes));
    if (!thenAwait)
        return m_adapter.transfer(std::span<I2cMessage>(&m, 1));
    const Status st =
        m_adapter.transferThenAwait(std::span<I2cMessage>(&m, 1), slave, pollLimitUs(), m_pollIntervalUs, timedOut);
    // Still silent after all that: stuck in its write cycle, which is no address fault.
    return *timedOut ? status::TimeOut : st;
}

Status MemoryBus::awaitWriteCycle(std::uint8_t slave, bool& timedOut)
{
    return awaitAcknowledge(m_adapter, slave, pollLimitUs(), m_pollIntervalUs, &timedOut);
}

std::uint64_t MemoryBus::pollLimitUs() const
{
    // A Write Time of 0, or shorter than the part's cycle, still gives it kMinPollUs.
    return std::max(std::uint64_t(m_device.writeTimeMs) * 1000, kMinPollUs);
}

MemoryBusResult MemoryBus::readRange(std::size_t start, std::size_t count, const MemoryProgress& progress,
                                     const std::function<bool(std::size_t, std::span<const std::uint8_t>)>& sink)
{
    const std::size_t end = start + count;
    const std::size_t maxLen = std::max<std::size_t>(1, m_adapter.maxTransferLength());
    const std::size_t block = m_device.blockSize();
    std::vector<std::uint8_t> chunk;
    for (std::size_t a = start; a < end;) {
        const std::size_t n = std::min({end - a, block - a % block, maxLen});
        chunk.resize(n);
        Status st = readChunk(a, chunk);
        if (st != status::Success)
            return failed(st, a, a - start);
        if (!sink(a, chunk))
            return {}; // the sink has its own result
        a += n;
        if (!goOn(progress, a - start, count))
            return cancelled(a - start);
    }
    MemoryBusResult r;
    r.done = count;
    return r;
}

MemoryBusResult MemoryBus::readAll(std::vector<std::uint8_t>& out, const MemoryProgress& progress)
{
    return read(0, m_device.size, out, progress);
}

MemoryBusResult MemoryBus::read(std::size_t start, std::size_t count, std::vector<std::uint8_t>& out,
                                const MemoryProgress& progress)
{
    if (busRunner()) { // the whole operation on the bus worker, not transfer by transfer
        MemoryBusResult r;
        onBus([&] { r = read(start, count, out, progress); });
        return r;
    }
    checkRange(start, count);
    announce();
    std::vector<std::uint8_t> scratch(count);
    MemoryBusResult r = readRange(start, count, progress, [&](std::size_t a, std::span<const std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), scratch.begin() + static_cast<long>(a - start));
        return true;
    });
    if (r.ok())
        out = std::move(scratch);
    return r;
}

MemoryBusResult MemoryBus::writeAll(std::span<const std::uint8_t> data, const MemoryProgress& progress)
{
    if (data.size() != m_device.size)
        throw Error("The image holds " + std::to_string(data.size()) + " bytes, the memory " +
                    std::to_string(m_device.size));
    return write(0, data, progress);
}

MemoryBusResult MemoryBus::write(std::size_t start, std::span<const std::uint8_t> data, const MemoryProgress& progress)
{
    if (busRunner()) { // the whole operation on the bus worker, not transfer by transfer
        MemoryBusResult r;
        onBus([&] { r = write(start, data, progress); });
        return r;
    }
    checkRange(start, data.size());
    announce();
    const bool eeprom = m_device.eeprom;
    const std::size_t end = start + data.size();
    const std::size_t maxLen = m_adapter.maxTransferLength();
    const std::size_t addressBytes = static_cast<std::size_t>(m_device.wordAddressBytes());
    const std::size_t maxData = maxLen > addressBytes ? maxLen - addressBytes : 1;
    const std::size_t block = m_device.blockSize();
    const std::size_t page = m_device.effectivePageSize();
    // Without zero-length polls, the next page write is the poll, as Linux's
    // at24 driver does it: retried until the chip takes it or the previous
    // write's time has run out.
    std::optional<std::uint64_t> previousCycleEnds;
    for (std::size_t a = start; a < end;) {
        std::size_t n = std::min({end - a, block - a % block, maxData});
        if (eeprom)
            n = std::min(n, page - a % page);
        bool timedOut = false;
        const auto writeIt = [&] { return writeChunk(a, data.subspan(a - start, n)); };
        // Polled as part of the write when the chip can be polled right after it.
        const bool pollWithWrite = eeprom && !previousCycleEnds && (a + n >= end || m_adapter.acceptsZeroLength());
        Status st = previousCycleEnds ? untilAcknowledged(m_adapter, *previousCycleEnds, m_pollIntervalUs,
                                                          writeIt, &timedOut)
                  : pollWithWrite     ? writeChunk(a, data.subspan(a - start, n), true, &timedOut)
                                      : writeIt();
        previousCycleEnds.reset();
        if (st == status::Success && eeprom && !pollWithWrite) {
            if (a + n < end && !m_adapter.acceptsZeroLength())
                previousCycleEnds = m_adapter.nowUs() + pollLimitUs();
            else
                st = awaitWriteCycle(m_device.slaveAddress(a), timedOut);
        }
        if (st != status::Success) {
            MemoryBusResult r = failed(st, a, a - start);
            r.writeCycleTimedOut = timedOut;
            return r;
        }
        a += n;
        if (!goOn(progress, a - start, data.size())) {
            if (previousCycleEnds) { // leave the chip ready, as after every other write
                bool ignored = false;
                awaitWriteCycle(m_device.slaveAddress(a - n), ignored);
            }
            return cancelled(a - start);
        }
    }
    MemoryBusResult r;
    r.done = data.size();
    return r;
}

MemoryBusResult MemoryBus::verify(std::span<const std::uint8_t> expected, const MemoryProgress& progress)
{
    if (busRunner()) { // the whole operation on the bus worker, not transfer by transfer
        MemoryBusResult r;
        onBus([&] { r = verify(expected, progress); });
        return r;
    }
    if (expected.size() != m_device.size)
        throw Error("The image holds " + std::to_string(expected.size()) + " bytes, the memory " +
                    std::to_string(m_device.size));
    announce();
    MemoryBusResult mismatch;
    MemoryBusResult r = readRange(0, m_device.size, progress, [&](std::size_t a, std::span<const std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != expected[a + i]) {
                mismatch.outcome = MemoryOutcome::Mismatch;
                mismatch.status = status::VerifyError;
                mismatch.address = a + i;
                mismatch.readValue = bytes[i];
                mismatch.expectedValue = expected[a + i];
                mismatch.done = a + i;
                return false;
            }
        }
        return true;
    });
    if (mismatch.outcome == MemoryOutcome::Mismatch)
        return mismatch;
    if (r.ok())
        r.status = status::VerifyOk;
    return r;
}

MemoryBusResult MemoryBus::writeAndVerify(std::span<const std::uint8_t> data, const MemoryProgress& progress)
{
    if (busRunner()) { // the whole operation on the bus worker, not transfer by transfer
        MemoryBusResult r;
        onBus([&] { r = writeAndVerify(data, progress); });
        return r;
    }
    const std::size_t total = 2 * data.size();
    bool stop = false;
    MemoryProgress first, second;
    if (progress) {
        first = [&](std::size_t done, std::size_t) { return !(stop = !progress(done, total)); };
        second = [&](std::size_t done, std::size_t) { return progress(data.size() + done, total); };
    }
    MemoryBusResult r = writeAll(data, first);
    if (!r.ok())
        return r;
    if (stop)
        return cancelled(data.size());
    r = verify(data, second);
    r.done += data.size();
    if (r.ok())
        r.status = status::WriteVerifyOk;
    return r;
}

MemoryBusResult MemoryBus::readByte(std::size_t address, std::uint8_t& value)
{
    std::vector<std::uint8_t> one;
    MemoryBusResult r = read(address, 1, one);
    if (r.ok())
        value = one[0];
    return r;
}

MemoryBusResult MemoryBus::writeByte(std::size_t address, std::uint8_t value)
{
    return write(address, std::span<const std::uint8_t>(&value, 1));
}

} // namespace tp
