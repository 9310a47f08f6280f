// The remote bus protocol's decoders. Input: a selector byte (bit 0: a reply,
// else a request; bit 1: cut into frames first), then the bytes as they came
// over the connection.
#include "core/adapter/remote/RemoteProtocol.h"
#include "fuzz/FuzzTarget.h"

using namespace tp;
using namespace tp::remote;

namespace {

void body(std::span<const std::uint8_t> b, bool reply)
{
    if (reply) {
        Reply r;
        try {
            r = decodeReply(b);
        } catch (const ProtocolError&) {
            return;
        }
        // A greeting of another version is read only as far as its version.
        if (r.kind == (std::uint8_t(Kind::Hello) | kReplyBit) && r.version != kVersion)
            return;
        FUZZ_CHECK(decodeReply(encode(r)) == r);
        return;
    }
    Request r;
    try {
        r = decodeRequest(b);
    } catch (const ProtocolError&) {
        return;
    }
    FUZZ_CHECK(decodeRequest(encode(r)) == r);
    for (const I2cMessage& m : r.messages)
        FUZZ_CHECK(!(m.address & 1) && m.data.size() <= kMaxFrame);
}

} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const bool reply = input[0] & 1;
    const std::span<const std::uint8_t> rest = input.subspan(1);
    if (!(input[0] & 2)) {
        body(rest, reply);
        return;
    }
    FrameReader reader;
    reader.feed(rest);
    try {
        while (auto b = reader.next()) {
            FUZZ_CHECK(!b->empty() && b->size() <= kMaxFrame);
            body(*b, reply);
        }
    } catch (const ProtocolError&) {
    }
}

std::vector<FuzzSeed> fuzzSeeds()
{
    std::vector<FuzzSeed> seeds;
    Request hello;
    hello.program = "0.1.0";
    Request t;
    t.kind = Kind::TransactionPoll;
    t.messages = {I2cMessage::write(0xA0, {0x00, 0x10, 1, 2, 3})};
    t.pollAddress = 0xA0;
    t.pollLimitUs = 25000;
    t.pollIntervalUs = 100;
    Request rd;
    rd.kind = Kind::Transaction;
    rd.messages = {I2cMessage::write(0xA0, {0x00}), I2cMessage::readBytes(0xA0, 16)};
    std::vector<std::uint8_t> stream;
    for (const Request* r : {&hello, &t, &rd}) {
        const auto f = frame(encode(*r));
        stream.insert(stream.end(), f.begin(), f.end());
    }
    seeds.push_back(fuzz::seed("requests.bin", 0x02, stream));
    seeds.push_back(fuzz::seed("transaction.bin", 0x00, encode(rd)));

    Reply greeting;
    greeting.kind = std::uint8_t(Kind::Hello) | kReplyBit;
    greeting.program = "0.1.0";
    Reply polled;
    polled.kind = std::uint8_t(Kind::TransactionPoll) | kReplyBit;
    polled.completed = {5};
    polled.data = {{}};
    polled.polls = {{1000, 0xA0, false, 1, {}}, {1100, 0xA0, false, 0, {}}};
    Reply read;
    read.kind = std::uint8_t(Kind::Transaction) | kReplyBit;
    read.completed = {1, 16};
    read.data = {{}, std::vector<std::uint8_t>(16, 0x5A)};
    Reply claimed;
    claimed.kind = std::uint8_t(Kind::Claimed) | kReplyBit;
    claimed.claimed = {{0x50, "at24"}};
    stream.clear();
    for (const Reply* r : {&greeting, &polled, &read, &claimed}) {
        const auto f = frame(encode(*r));
        stream.insert(stream.end(), f.begin(), f.end());
    }
    seeds.push_back(fuzz::seed("replies.bin", 0x03, stream));
    seeds.push_back(fuzz::seed("polled.bin", 0x01, encode(polled)));
    return seeds;
}
