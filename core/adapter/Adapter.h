#pragma once
#include "core/adapter/BusLog.h"
#include "core/adapter/I2cMessage.h"
#include "core/common/Status.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// The one interface every bus transfer passes through. A transaction is
// START, the messages (each after the first behind a repeated start), STOP.
// The status is one byte, 0 = success, codes as the status table.
class Adapter {
public:
    virtual ~Adapter() = default;

    // Runs one transaction and records every message in the bus log. Asked
    // for on a thread with a bus runner (the interface), it runs there.
    Status transfer(std::span<I2cMessage> messages);

    // Convenience sequences built on transfer().
    Status write(std::uint8_t address, std::vector<std::uint8_t> bytes);
    Status read(std::uint8_t address, std::size_t count, std::vector<std::uint8_t>& out);
    // Write `prefix` (a register pointer), then read behind a repeated start.
    Status writeRead(std::uint8_t address, std::vector<std::uint8_t> prefix, std::size_t count,
                     std::vector<std::uint8_t>& out);

    // Runs the transaction and, when it went through, polls `pollAddress`
    // as awaitAcknowledge does: an EEPROM page write with its write cycle.
    // A remote bus does both in one round trip.
    virtual Status transferThenAwait(std::span<I2cMessage> messages, std::uint8_t pollAddress, std::uint64_t limitUs,
                                     std::uint64_t intervalUs, bool* timedOut = nullptr);

    // Longest data block one message may carry.
    virtual std::size_t maxTransferLength() const = 0;
    virtual bool isSimulated() const = 0;
    virtual bool isPresent() const { return true; }
    virtual std::string name() const = 0;
    // Whether a message without data bytes (an EEPROM's acknowledge poll)
    // can be sent. Some adapters refuse them; polling then works otherwise.
    virtual bool acceptsZeroLength() const { return true; }

    // Why the last transaction was not sent (status::Refused): a sentence
    // naming the adapter's limit. Empty when the last one was sent.
    const std::string& refusal() const { return m_refusal; }
    // For a caller that stops a transaction before it reaches the adapter:
    // status::Refused, with `why` as the refusal.
    Status decline(std::string why)
    {
        m_refusal = std::move(why);
        return status::Refused;
    }

    // For its lifetime, register pointers are `pointerBytes` long (two for
    // the larger memories), and a pointer written alone (the first half of a
    // split register read) or a message without data (a probe) counts as a
    // read. Data written still counts as a write.
    class ReadingOnly {
    public:
        explicit ReadingOnly(Adapter& a, std::size_t pointerBytes = 1)
            : m_a(a), m_was(a.m_readingOnly), m_wasPointer(a.m_pointerBytes)
        {
            a.m_readingOnly = true;
            a.m_pointerBytes = pointerBytes;
        }
        ~ReadingOnly()
        {
            m_a.m_readingOnly = m_was;
            m_a.m_pointerBytes = m_wasPointer;
        }
        ReadingOnly(const ReadingOnly&) = delete;
        ReadingOnly& operator=(const ReadingOnly&) = delete;

    private:
        Adapter& m_a;
        bool m_was;
        std::size_t m_wasPointer;
    };

    // Whether a transaction can change no chip, so that the confirmations
    // of writes need not ask: reads alone, or one register pointer followed
    // by a read of the same chip (or, under ReadingOnly, a pointer or a
    // data-less message alone). Anything else writes, also when it ends in
    // a read.
    bool onlyReads(std::span<const I2cMessage> messages) const;
    // Marks the transactions of its lifetime as acknowledge polls: all of
    // them, or (Unanswered) those the chip did not acknowledge, for a poll
    // made with the next real write. An outer scope decides.
    class Polling {
    public:
        enum class Mark : std::uint8_t { None, All, Unanswered };
        Polling(Adapter& a, Mark mark) : m_a(a), m_was(a.m_polling)
        {
            if (a.m_polling == Mark::None)
                a.m_polling = mark;
        }
        ~Polling() { m_a.m_polling = m_was; }
        Polling(const Polling&) = delete;
        Polling& operator=(const Polling&) = delete;

    private:
        Adapter& m_a;
        Mark m_was;
    };

    // The adapter's clock in microseconds: modelled bus time on the bench,
    // the monotonic clock on real hardware. Time-outs are measured on it.
    virtual std::uint64_t nowUs() const = 0;
    // Tells the adapter that the program waited `us` microseconds.
    virtual void elapse(std::uint64_t us) { (void)us; }

    virtual void setBusFrequency(unsigned kHz) { m_kHz = kHz ? kHz : 1; }
    unsigned busFrequency() const { return m_kHz; }
    virtual void setPower(bool v33, bool v5) { (void)v33; (void)v5; }

    // A window about to talk to a chip of `type` at `address`. The bench
    // uses it to place a model there when the address is free; hardware
    // ignores it.
    virtual void expectChip(std::string_view type, std::uint8_t address)
    {
        (void)type;
        (void)address;
    }

    BusLog& log() { return m_log; }
    const BusLog& log() const { return m_log; }

protected:
    // Runs the transaction; fills read messages; returns the status.
    // `completed` gets, per message, how many data bytes went through; it
    // stays kNotReached for messages the transaction never started.
    static constexpr std::size_t kNotReached = static_cast<std::size_t>(-1);
    virtual Status doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed) = 0;

    // For doTransfer: the transaction was not sent, and why.
    Status refuse(std::string why)
    {
        m_refusal = std::move(why);
        return status::Refused;
    }

private:
    Status transferHere(std::span<I2cMessage> messages);

    BusLog m_log;
    std::string m_refusal;
    bool m_readingOnly = false;
    std::size_t m_pointerBytes = 1;
    Polling::Mark m_polling = Polling::Mark::None;
    unsigned m_kHz = 100;
};

} // namespace tp
