#pragma once
#include "core/adapter/BusLog.h"
#include "core/adapter/I2cMessage.h"
#include "core/common/Errors.h"
#include "core/common/Status.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// The remote bus protocol: `tallyport-cli serve` on the board and the
// desktop's RemoteAdapter. Each direction is a stream of frames, a 32-bit
// little-endian length and that many bytes; the first byte says what the
// frame is. The client speaks first (Hello), then one request, one reply.
// Requests are whole operations, so a page write and its acknowledge polling
// cost one round trip.
namespace tp::remote {

constexpr std::uint16_t kVersion = 1;
constexpr char kMagic[4] = {'T', 'P', 'R', 'B'};
// i2c-dev's longest transaction (42 messages of 8 KB) fits with room to spare.
constexpr std::size_t kMaxFrame = std::size_t(1) << 20;
constexpr std::size_t kMaxMessages = 64;

// A frame that is not one of ours: the stream cannot be trusted after it.
class ProtocolError : public Error {
public:
    using Error::Error;
};

enum class Kind : std::uint8_t {
    Hello = 1,
    Transaction = 2,
    TransactionPoll = 3, // a transaction, then acknowledge polling when it succeeded
    Wait = 4,
    Functionality = 5,
    Name = 6,
    Claimed = 7,    // the addresses the board's kernel drivers hold
    ExpectChip = 8, // a window's hint; places a model on a served bench
};
// Replies carry the request's kind with this bit; Failure answers anything
// the board could not take and is the last frame it sends.
constexpr std::uint8_t kReplyBit = 0x80;
constexpr std::uint8_t kFailure = 0xFF;

struct Request {
    Kind kind = Kind::Hello;
    // Hello
    std::uint16_t version = kVersion;
    std::string program; // the sender's tallyport version
    // Transaction, TransactionPoll
    bool writesConfirmed = false; // the user said yes to the board's write checks
    bool readingOnly = false;
    std::vector<I2cMessage> messages; // a read message's data.size() is its length
    // TransactionPoll
    std::uint8_t pollAddress = 0;
    std::uint32_t pollLimitUs = 0;
    std::uint32_t pollIntervalUs = 0;
    // Wait
    std::uint32_t waitUs = 0;
    // ExpectChip
    std::uint8_t address = 0;
    std::string chipType;

    bool operator==(const Request&) const = default;
};

// What the board's adapter is and can do.
struct Facts {
    std::uint32_t maxTransferLength = 0;
    bool acceptsZeroLength = true;
    bool simulated = false;
    bool present = true;
    bool pcSmbus = false;
    std::uint32_t funcs = 0;          // I2C_FUNCS, 0 on the bench
    std::uint32_t busFrequencyHz = 0; // 0: the firmware does not say

    bool operator==(const Facts&) const = default;
};

struct PollRecord {
    std::uint64_t timeUs = 0; // board clock
    std::uint8_t address = 0;
    bool read = false;
    Status status = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const PollRecord&) const = default;
};

struct Reply {
    std::uint8_t kind = 0; // request kind | kReplyBit, or kFailure
    // Hello
    std::uint16_t version = kVersion;
    std::string program;
    bool accepted = true;
    std::string message; // Hello refused, Failure
    // Transaction, TransactionPoll
    Status status = 0;
    std::string refusal;
    std::uint64_t startUs = 0, endUs = 0; // board's monotonic clock
    std::vector<std::uint32_t> completed; // per message; kNotReached: never started
    std::vector<std::vector<std::uint8_t>> data; // per message: what a read got, empty for writes
    // TransactionPoll
    Status pollStatus = 0;
    bool timedOut = false;
    std::vector<PollRecord> polls;
    // Functionality
    Facts facts;
    // Name
    std::string name, device;
    // Claimed: 7-bit address and driver
    std::vector<std::pair<std::uint8_t, std::string>> claimed;

    static constexpr std::uint32_t kNotReached = 0xFFFFFFFF;
    bool operator==(const Reply&) const = default;
};

// Frame bodies. Decoding checks every length against what is left and
// throws ProtocolError on anything that is not a well-formed body.
std::vector<std::uint8_t> encode(const Request& r);
std::vector<std::uint8_t> encode(const Reply& r);
Request decodeRequest(std::span<const std::uint8_t> body);
Reply decodeReply(std::span<const std::uint8_t> body);

// Whether a decoded reply answers `request`: its kind, one entry per
// message, a read's data as long as asked. Empty when it does; else why not.
std::string mismatch(const Request& request, const Reply& reply);

// The body with its length in front.
std::vector<std::uint8_t> frame(const std::vector<std::uint8_t>& body);

// Cuts a byte stream into frame bodies.
class FrameReader {
public:
    void feed(std::span<const std::uint8_t> bytes);
    // The next whole body, if one has arrived; throws ProtocolError for a
    // length beyond kMaxFrame or of zero.
    std::optional<std::vector<std::uint8_t>> next();
    bool midFrame() const { return !m_buffer.empty(); }

private:
    std::vector<std::uint8_t> m_buffer;
};

// The two sides' versions as a sentence for the user.
std::string versionMismatchText(std::uint16_t boardVersion, const std::string& boardProgram);

} // namespace tp::remote
