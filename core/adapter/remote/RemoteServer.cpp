#include "core/adapter/remote/RemoteServer.h"
#include "core/adapter/AckPolling.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <ostream>
#include <unistd.h>

namespace tp::remote {

namespace {

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

RemoteServer::RemoteServer(Adapter& adapter) : m_adapter(adapter)
{
    // Only the entries of the request being answered are read back.
    m_adapter.log().setCapacity(4096);
    m_adapter.log().setDataCapacity(std::size_t(2) << 20);
    // The desktop asks its user; what reaches the board is the answer.
    if (auto* linux = dynamic_cast<LinuxI2cAdapter*>(&m_adapter))
        linux->setWriteApproval([this](const LinuxI2cAdapter::WriteCheck&) { return m_writesConfirmed; });
}

Facts RemoteServer::facts() const
{
    Facts f;
    f.maxTransferLength = static_cast<std::uint32_t>(std::min<std::size_t>(m_adapter.maxTransferLength(), kMaxFrame / 2));
    f.acceptsZeroLength = m_adapter.acceptsZeroLength();
    f.simulated = m_adapter.isSimulated();
    f.present = m_adapter.isPresent();
    if (const auto* linux = dynamic_cast<const LinuxI2cAdapter*>(&m_adapter)) {
        f.pcSmbus = linux->bus().pcSmbus;
        f.funcs = static_cast<std::uint32_t>(linux->functionality());
        f.busFrequencyHz = linuxi2c::busFrequencyHz(linux->environment(), linux->bus().number).value_or(0);
    }
    return f;
}

Reply RemoteServer::transaction(const Request& request)
{
    Reply r;
    r.kind = std::uint8_t(request.kind) | kReplyBit;
    std::vector<I2cMessage> messages = request.messages;
    BusLog& log = m_adapter.log();
    r.startUs = m_adapter.nowUs();
    const std::uint64_t first = log.endNumber();
    m_writesConfirmed = request.writesConfirmed;
    {
        std::optional<Adapter::ReadingOnly> reading;
        if (request.readingOnly)
            reading.emplace(m_adapter);
        r.status = m_adapter.transfer(messages);
    }
    m_writesConfirmed = false;
    r.refusal = m_adapter.refusal();
    // The log holds one entry per message that reached the bus, with what went through.
    std::size_t i = 0;
    for (std::uint64_t n = first; n < log.endNumber() && i < messages.size(); ++n) {
        if (!log.holds(n) || log.isNote(n))
            continue;
        r.completed.push_back(static_cast<std::uint32_t>(log.entry(n).bytes.size()));
        ++i;
    }
    r.completed.resize(messages.size(), Reply::kNotReached);
    for (I2cMessage& m : messages)
        r.data.push_back(m.read ? std::move(m.data) : std::vector<std::uint8_t>());
    if (request.kind == Kind::TransactionPoll && r.status == status::Success) {
        const std::uint64_t pollsFrom = log.endNumber();
        r.pollStatus = awaitAcknowledge(m_adapter, request.pollAddress, request.pollLimitUs, request.pollIntervalUs,
                                        &r.timedOut);
        for (std::uint64_t n = pollsFrom; n < log.endNumber(); ++n) {
            if (!log.holds(n) || log.isNote(n))
                continue;
            const BusLogEntry e = log.entry(n);
            r.polls.push_back({e.busUs, e.address, e.read, e.status, e.bytes}); // the clock of startUs/endUs
        }
    }
    r.endUs = m_adapter.nowUs();
    return r;
}

Reply RemoteServer::answer(const Request& request)
{
    Reply r;
    r.kind = std::uint8_t(request.kind) | kReplyBit;
    switch (request.kind) {
    case Kind::Hello:
        r.program = TALLYPORT_VERSION;
        r.accepted = request.version == kVersion;
        if (!r.accepted)
            r.message = "tallyport-cli serve (version " TALLYPORT_VERSION ") speaks remote protocol " +
                        std::to_string(kVersion) + ", the desktop asked for " + std::to_string(request.version) +
                        " (version " + request.program + "): install the same Tallyport version on both";
        return r;
    case Kind::Transaction:
    case Kind::TransactionPoll:
        return transaction(request);
    case Kind::Wait:
        waitUs(m_adapter, request.waitUs);
        r.endUs = m_adapter.nowUs();
        return r;
    case Kind::Functionality:
        r.facts = facts();
        return r;
    case Kind::Name:
        r.name = m_adapter.name();
        if (const auto* linux = dynamic_cast<const LinuxI2cAdapter*>(&m_adapter))
            r.device = linux->bus().devNode;
        else
            r.device = "bench";
        return r;
    case Kind::Claimed:
        if (const auto* linux = dynamic_cast<const LinuxI2cAdapter*>(&m_adapter)) {
            for (std::uint8_t a = 0x03; a <= 0x77; ++a) {
                const linuxi2c::AddressClaim c = linuxi2c::addressClaim(linux->environment(), linux->bus().number, a);
                if (c.claimed())
                    r.claimed.emplace_back(a, c.driver);
            }
        }
        return r;
    case Kind::ExpectChip:
        m_adapter.expectChip(request.chipType, request.address);
        return r;
    }
    return r;
}

int RemoteServer::run(int inFd, int outFd, std::ostream& err, const std::function<bool()>& stop)
{
    FrameReader reader;
    bool greeted = false;
    std::uint8_t buffer[65536];
    const auto fail = [&](const std::string& why) {
        Reply f;
        f.kind = kFailure;
        f.message = why;
        writeAll(outFd, frame(encode(f)));
        err << "tallyport-cli serve: " << why << '\n';
        return 2;
    };
    for (;;) {
        const ssize_t n = ::read(inFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            if (stop && stop())
                return 0;
            continue;
        }
        if (n <= 0)
            return 0; // the desktop went away; a half-sent request is dropped unrun
        reader.feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
        try {
            while (auto body = reader.next()) {
                const Request request = decodeRequest(*body);
                if (!greeted && request.kind != Kind::Hello)
                    return fail("the desktop did not greet first");
                greeted = true;
                const Reply reply = answer(request);
                if (m_delayUs)
                    std::this_thread::sleep_for(std::chrono::microseconds(m_delayUs));
                if (!writeAll(outFd, frame(encode(reply))))
                    return 0;
                if (request.kind == Kind::Hello && !reply.accepted) {
                    err << "tallyport-cli serve: " << reply.message << '\n';
                    return 2;
                }
            }
        } catch (const ProtocolError& e) {
            return fail(std::string("a request that is not one: ") + e.what());
        }
    }
}

} // namespace tp::remote
