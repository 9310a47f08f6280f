#pragma once
#include "core/adapter/Adapter.h"
#include "core/adapter/WriteGuard.h"
#include "core/adapter/remote/BoardProcess.h"
#include "core/adapter/remote/RemoteProtocol.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tp::remote {

// Where a remote bus is: `ssh:[user@]host[:port]/ADAPTER` (ADAPTER as the
// board's `tallyport-cli adapters` names it: /dev/i2c-1, i2c-1, bench) or
// `exec:COMMAND`, a shell command that speaks the protocol on its standard
// input and output.
struct RemoteTarget {
    bool ssh = false;
    std::string user, host; // ssh
    int port = 0;           // 0: ssh's own choice
    std::string adapter;    // ssh: the board's adapter
    std::string command;    // exec

    static bool isRemote(const std::string& spec);
    // Nothing, with `error`, for a spec that is not one.
    static std::optional<RemoteTarget> parse(const std::string& spec, std::string* error);
    std::string spec() const;
    // "user@host:port", or the exec command.
    std::string hostText() const;
    // The command that reaches the board: ssh (or $TALLYPORT_SSH) with the
    // remote program ($TALLYPORT_REMOTE_CLI, else tallyport-cli), or sh -c.
    std::vector<std::string> serveCommand() const;
    // `tallyport-cli adapters` on the board, over ssh.
    std::vector<std::string> listCommand() const;
};

// The adapter list of an ssh host, as its `tallyport-cli adapters` prints it;
// nothing, with `error`, when the board cannot be reached.
std::optional<std::string> listBoardAdapters(const RemoteTarget& host, std::string* error);

// The adapters of a `tallyport-cli adapters` listing: name ("bench",
// "i2c-1") and the rest of its line.
std::vector<std::pair<std::string, std::string>> parseAdapterList(const std::string& text);

// A bus on another machine, reached through the command of a RemoteTarget.
// Each transaction is one request; a page write and its acknowledge polling
// are one too (transferThenAwait). A connection that drops, a board that
// does not answer within the time-out or a reply that is not one ends the
// connection: that transfer and every later one give 255 until reconnect().
class RemoteAdapter : public Adapter {
public:
    // Starts the command and greets the board; nothing, with `error`, when
    // it cannot be reached or speaks another protocol version.
    static std::unique_ptr<RemoteAdapter> open(const RemoteTarget& target, std::string* error);
    ~RemoteAdapter() override;

    // Time allowed for a reply beyond what the request itself takes.
    // TALLYPORT_REMOTE_TIMEOUT (seconds) overrides the default of 10 s.
    static std::uint64_t replyTimeoutUs();

    const RemoteTarget& target() const { return m_target; }
    const Facts& facts() const { return m_facts; }
    // The board's adapter: "i2c-1  bcm2835 (i2c@7e804000)" and "/dev/i2c-1".
    const std::string& boardName() const { return m_boardName; }
    const std::string& boardDevice() const { return m_boardDevice; }
    const std::string& boardProgram() const { return m_boardProgram; }
    // Why the connection ended; empty while it is up.
    const std::string& problem() const { return m_problem; }
    // A new connection with the same command. The facts are asked again.
    bool reconnect(std::string* error);

    // Writes the board's kernel would hold against: asked here, with the
    // board's facts, before the request goes out.
    void setWriteApproval(std::function<bool(const WriteCheck&)> approve) { m_writeGuard.setApproval(std::move(approve)); }
    const std::map<std::uint8_t, std::string>& claimedAddresses() const { return m_claimed; }

    // Round trips since the connection was made.
    std::uint64_t requests() const { return m_requests; }

    std::size_t maxTransferLength() const override;
    bool isSimulated() const override { return false; }
    bool isPresent() const override { return m_problem.empty() && m_facts.present; }
    std::string name() const override;
    bool acceptsZeroLength() const override { return m_facts.acceptsZeroLength; }
    std::uint64_t nowUs() const override;
    void elapse(std::uint64_t us) override;
    void expectChip(std::string_view type, std::uint8_t address) override;
    Status transferThenAwait(std::span<I2cMessage> messages, std::uint8_t pollAddress, std::uint64_t limitUs,
                             std::uint64_t intervalUs, bool* timedOut) override;

protected:
    Status doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed) override;

private:
    explicit RemoteAdapter(RemoteTarget target);
    bool connect(std::string* error);
    // One round trip; nothing when the connection ended (problem() says why).
    std::optional<Reply> ask(const Request& request, std::uint64_t extraUs = 0);
    void lose(const std::string& why);
    bool approved(std::span<I2cMessage> messages, bool* confirmed);

    RemoteTarget m_target;
    BoardProcess m_process;
    FrameReader m_reader;
    Facts m_facts;
    std::string m_boardName, m_boardDevice, m_boardProgram;
    std::map<std::uint8_t, std::string> m_claimed;
    std::string m_problem;
    std::uint64_t m_requests = 0;
    WriteGuard m_writeGuard;
    // A transfer that polls afterwards (transferThenAwait), and what the polls gave.
    struct PollAsk {
        std::uint8_t address;
        std::uint32_t limitUs, intervalUs;
    };
    std::optional<PollAsk> m_pollAsk;
    std::optional<Reply> m_pollReply;
};

} // namespace tp::remote
