#include "core/adapter/remote/RemoteProtocol.h"

#include <algorithm>
#include <cstring>

namespace tp::remote {

namespace {

class Writer {
public:
    void u8(std::uint8_t v) { m_out.push_back(v); }
    void u16(std::uint16_t v) { le(v, 2); }
    void u32(std::uint32_t v) { le(v, 4); }
    void u64(std::uint64_t v) { le(v, 8); }
    void bytes(std::span<const std::uint8_t> b)
    {
        u32(static_cast<std::uint32_t>(b.size()));
        m_out.insert(m_out.end(), b.begin(), b.end());
    }
    void text(const std::string& s)
    {
        bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
    }
    std::vector<std::uint8_t> take() { return std::move(m_out); }

private:
    void le(std::uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            m_out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> m_out;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : m_in(in) {}
    std::uint8_t u8() { return static_cast<std::uint8_t>(le(1)); }
    bool flag()
    {
        const std::uint8_t v = u8();
        if (v > 1)
            throw ProtocolError("a yes/no byte holds " + std::to_string(v));
        return v;
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(le(4)); }
    std::uint64_t u64() { return le(8); }
    std::vector<std::uint8_t> bytes()
    {
        const std::uint32_t n = u32();
        need(n);
        std::vector<std::uint8_t> b(m_in.begin() + static_cast<long>(m_pos),
                                    m_in.begin() + static_cast<long>(m_pos + n));
        m_pos += n;
        return b;
    }
    std::string text()
    {
        const std::vector<std::uint8_t> b = bytes();
        return {b.begin(), b.end()};
    }
    void magic()
    {
        need(4);
        if (std::memcmp(m_in.data() + m_pos, kMagic, 4) != 0)
            throw ProtocolError("the greeting is not a Tallyport one");
        m_pos += 4;
    }
    void end() const
    {
        if (m_pos != m_in.size())
            throw ProtocolError(std::to_string(m_in.size() - m_pos) + " bytes too many in a frame");
    }
    std::size_t left() const { return m_in.size() - m_pos; }

private:
    void need(std::size_t n) const
    {
        if (n > left())
            throw ProtocolError("a frame ends in the middle of a field");
    }
    std::uint64_t le(int n)
    {
        need(static_cast<std::size_t>(n));
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(m_in[m_pos + static_cast<std::size_t>(i)]) << (8 * i);
        m_pos += static_cast<std::size_t>(n);
        return v;
    }
    std::span<const std::uint8_t> m_in;
    std::size_t m_pos = 0;
};

bool carriesMessages(Kind k)
{
    return k == Kind::Transaction || k == Kind::TransactionPoll;
}

Kind requestKind(std::uint8_t v)
{
    if (v < std::uint8_t(Kind::Hello) || v > std::uint8_t(Kind::ExpectChip))
        throw ProtocolError("unknown request " + std::to_string(v));
    return static_cast<Kind>(v);
}

std::size_t messageCount(Reader& in)
{
    const std::size_t n = in.u8();
    if (n > kMaxMessages)
        throw ProtocolError(std::to_string(n) + " messages in one transaction");
    return n;
}

} // namespace

std::vector<std::uint8_t> encode(const Request& r)
{
    Writer out;
    out.u8(std::uint8_t(r.kind));
    switch (r.kind) {
    case Kind::Hello:
        for (char c : kMagic)
            out.u8(static_cast<std::uint8_t>(c));
        out.u16(r.version);
        out.text(r.program);
        break;
    case Kind::Transaction:
    case Kind::TransactionPoll:
        out.u8(std::uint8_t((r.writesConfirmed ? 1 : 0) | (r.readingOnly ? 2 : 0)));
        out.u8(static_cast<std::uint8_t>(r.messages.size()));
        for (const I2cMessage& m : r.messages) {
            out.u8(m.address);
            out.u8(m.read);
            if (m.read)
                out.u32(static_cast<std::uint32_t>(m.data.size()));
            else
                out.bytes(m.data);
        }
        if (r.kind == Kind::TransactionPoll) {
            out.u8(r.pollAddress);
            out.u32(r.pollLimitUs);
            out.u32(r.pollIntervalUs);
        }
        break;
    case Kind::Wait:
        out.u32(r.waitUs);
        break;
    case Kind::ExpectChip:
        out.u8(r.address);
        out.text(r.chipType);
        break;
    case Kind::Functionality:
    case Kind::Name:
    case Kind::Claimed:
        break;
    }
    return out.take();
}

Request decodeRequest(std::span<const std::uint8_t> body)
{
    Reader in(body);
    Request r;
    r.kind = requestKind(in.u8());
    switch (r.kind) {
    case Kind::Hello:
        in.magic();
        r.version = in.u16();
        r.program = in.text();
        // A later version may say more after this: the version is what counts.
        return r;
    case Kind::Transaction:
    case Kind::TransactionPoll: {
        const std::uint8_t flags = in.u8();
        if (flags > 3)
            throw ProtocolError("unknown transaction flags");
        r.writesConfirmed = flags & 1;
        r.readingOnly = flags & 2;
        const std::size_t n = messageCount(in);
        std::size_t total = 0;
        for (std::size_t i = 0; i < n; ++i) {
            I2cMessage m;
            m.address = in.u8();
            if (m.address & 1)
                throw ProtocolError("a message address with its read bit set");
            m.read = in.flag();
            if (m.read) {
                const std::uint32_t len = in.u32();
                if (len > kMaxFrame)
                    throw ProtocolError("a read of " + std::to_string(len) + " bytes");
                total += len;
                if (total > kMaxFrame)
                    throw ProtocolError("a transaction reads more than a frame holds");
                m.data.assign(len, 0xFF);
            } else {
                m.data = in.bytes();
            }
            r.messages.push_back(std::move(m));
        }
        if (r.kind == Kind::TransactionPoll) {
            r.pollAddress = in.u8();
            r.pollLimitUs = in.u32();
            r.pollIntervalUs = in.u32();
        }
        break;
    }
    case Kind::Wait:
        r.waitUs = in.u32();
        break;
    case Kind::ExpectChip:
        r.address = in.u8();
        r.chipType = in.text();
        break;
    case Kind::Functionality:
    case Kind::Name:
    case Kind::Claimed:
        break;
    }
    in.end();
    return r;
}

std::vector<std::uint8_t> encode(const Reply& r)
{
    Writer out;
    out.u8(r.kind);
    if (r.kind == kFailure) {
        out.text(r.message);
        return out.take();
    }
    switch (static_cast<Kind>(r.kind & ~kReplyBit)) {
    case Kind::Hello:
        for (char c : kMagic)
            out.u8(static_cast<std::uint8_t>(c));
        out.u16(r.version);
        out.text(r.program);
        out.u8(r.accepted);
        out.text(r.message);
        break;
    case Kind::Transaction:
    case Kind::TransactionPoll:
        out.u8(r.status);
        out.text(r.refusal);
        out.u64(r.startUs);
        out.u64(r.endUs);
        out.u8(static_cast<std::uint8_t>(r.completed.size()));
        for (std::size_t i = 0; i < r.completed.size(); ++i) {
            out.u32(r.completed[i]);
            out.bytes(i < r.data.size() ? std::span<const std::uint8_t>(r.data[i]) : std::span<const std::uint8_t>());
        }
        if ((r.kind & ~kReplyBit) == std::uint8_t(Kind::TransactionPoll)) {
            out.u8(r.pollStatus);
            out.u8(r.timedOut);
            out.u32(static_cast<std::uint32_t>(r.polls.size()));
            for (const PollRecord& p : r.polls) {
                out.u64(p.timeUs);
                out.u8(p.address);
                out.u8(p.read);
                out.u8(p.status);
                out.bytes(p.bytes);
            }
        }
        break;
    case Kind::Wait:
        out.u64(r.endUs);
        break;
    case Kind::Functionality:
        out.u32(r.facts.maxTransferLength);
        out.u8(r.facts.acceptsZeroLength);
        out.u8(r.facts.simulated);
        out.u8(r.facts.present);
        out.u8(r.facts.pcSmbus);
        out.u32(r.facts.funcs);
        out.u32(r.facts.busFrequencyHz);
        break;
    case Kind::Name:
        out.text(r.name);
        out.text(r.device);
        break;
    case Kind::Claimed:
        out.u8(static_cast<std::uint8_t>(r.claimed.size()));
        for (const auto& [address, driver] : r.claimed) {
            out.u8(address);
            out.text(driver);
        }
        break;
    case Kind::ExpectChip:
        break;
    }
    return out.take();
}

Reply decodeReply(std::span<const std::uint8_t> body)
{
    Reader in(body);
    Reply r;
    r.kind = in.u8();
    if (r.kind == kFailure) {
        r.message = in.text();
        in.end();
        return r;
    }
    if (!(r.kind & kReplyBit))
        throw ProtocolError("a request where a reply belongs");
    const Kind kind = requestKind(r.kind & ~kReplyBit);
    switch (kind) {
    case Kind::Hello:
        in.magic();
        r.version = in.u16();
        r.program = in.text();
        if (r.version != kVersion) // what follows is that version's business
            return r;
        r.accepted = in.flag();
        r.message = in.text();
        break;
    case Kind::Transaction:
    case Kind::TransactionPoll: {
        r.status = in.u8();
        r.refusal = in.text();
        r.startUs = in.u64();
        r.endUs = in.u64();
        const std::size_t n = messageCount(in);
        for (std::size_t i = 0; i < n; ++i) {
            r.completed.push_back(in.u32());
            r.data.push_back(in.bytes());
        }
        if (kind == Kind::TransactionPoll) {
            r.pollStatus = in.u8();
            r.timedOut = in.flag();
            const std::uint32_t polls = in.u32();
            // Each record takes at least 15 bytes: a count beyond that is a lie.
            if (polls > in.left() / 15)
                throw ProtocolError("more polls announced than the frame holds");
            for (std::uint32_t i = 0; i < polls; ++i) {
                PollRecord p;
                p.timeUs = in.u64();
                p.address = in.u8();
                p.read = in.flag();
                p.status = in.u8();
                p.bytes = in.bytes();
                r.polls.push_back(std::move(p));
            }
        }
        break;
    }
    case Kind::Wait:
        r.endUs = in.u64();
        break;
    case Kind::Functionality:
        r.facts.maxTransferLength = in.u32();
        r.facts.acceptsZeroLength = in.flag();
        r.facts.simulated = in.flag();
        r.facts.present = in.flag();
        r.facts.pcSmbus = in.flag();
        r.facts.funcs = in.u32();
        r.facts.busFrequencyHz = in.u32();
        break;
    case Kind::Name:
        r.name = in.text();
        r.device = in.text();
        break;
    case Kind::Claimed: {
        const std::size_t n = in.u8();
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t address = in.u8();
            if (address > 0x7F)
                throw ProtocolError("a 7-bit address above 0x7F");
            r.claimed.emplace_back(address, in.text());
        }
        break;
    }
    case Kind::ExpectChip:
        break;
    }
    in.end();
    return r;
}

std::string mismatch(const Request& request, const Reply& reply)
{
    if (reply.kind == kFailure)
        return {};
    if (reply.kind != (std::uint8_t(request.kind) | kReplyBit))
        return "the board answered another request than the one asked";
    if (!carriesMessages(request.kind))
        return {};
    if (reply.completed.size() != request.messages.size())
        return "the board answered for " + std::to_string(reply.completed.size()) + " messages, not " +
               std::to_string(request.messages.size());
    for (std::size_t i = 0; i < request.messages.size(); ++i) {
        const I2cMessage& m = request.messages[i];
        const std::uint32_t done = reply.completed[i];
        if (done != Reply::kNotReached && done > m.data.size())
            return "the board moved more bytes than a message holds";
        if (m.read ? reply.data[i].size() != m.data.size() : !reply.data[i].empty())
            return "the board's read data do not fit the messages";
    }
    return {};
}

std::vector<std::uint8_t> frame(const std::vector<std::uint8_t>& body)
{
    std::vector<std::uint8_t> out(4 + body.size());
    const auto n = static_cast<std::uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
    std::copy(body.begin(), body.end(), out.begin() + 4);
    return out;
}

void FrameReader::feed(std::span<const std::uint8_t> bytes)
{
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> FrameReader::next()
{
    if (m_buffer.size() < 4)
        return std::nullopt;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= std::uint32_t(m_buffer[static_cast<std::size_t>(i)]) << (8 * i);
    if (n == 0 || n > kMaxFrame)
        throw ProtocolError("a frame of " + std::to_string(n) + " bytes");
    if (m_buffer.size() < 4 + std::size_t(n))
        return std::nullopt;
    std::vector<std::uint8_t> body(m_buffer.begin() + 4, m_buffer.begin() + 4 + n);
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + 4 + n);
    return body;
}

std::string versionMismatchText(std::uint16_t boardVersion, const std::string& boardProgram)
{
    const std::string board = boardProgram.empty() ? std::string("another version") : "version " + boardProgram;
    return "The board's tallyport-cli is " + board + " and speaks remote protocol " + std::to_string(boardVersion) +
           "; this program (version " TALLYPORT_VERSION ") speaks protocol " + std::to_string(kVersion) +
           ". Install the same Tallyport version on both";
}

} // namespace tp::remote
