#include "core/adapter/remote/RemoteAdapter.h"
#include "core/adapter/Clock.h"
#include "core/common/HexText.h"

#include <algorithm>
#include <cstdlib>

namespace tp::remote {

namespace {

std::string environment(const char* name, const char* otherwise)
{
    const char* v = std::getenv(name);
    return v && *v ? v : otherwise;
}

// One word for the board's shell.
std::string shellQuoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> sshCommand(const RemoteTarget& t, const std::string& remoteCommand)
{
    std::vector<std::string> argv = {environment("TALLYPORT_SSH", "ssh"), "-T", "-o", "BatchMode=yes"};
    if (t.port)
        argv.insert(argv.end(), {"-p", std::to_string(t.port)});
    argv.push_back("--");
    argv.push_back(t.user.empty() ? t.host : t.user + "@" + t.host);
    argv.push_back(remoteCommand);
    return argv;
}

std::string remoteProgram()
{
    return environment("TALLYPORT_REMOTE_CLI", "tallyport-cli");
}

} // namespace

bool RemoteTarget::isRemote(const std::string& spec)
{
    return spec.rfind("ssh:", 0) == 0 || spec.rfind("exec:", 0) == 0;
}

std::optional<RemoteTarget> RemoteTarget::parse(const std::string& spec, std::string* error)
{
    RemoteTarget t;
    if (spec.rfind("exec:", 0) == 0) {
        t.command = spec.substr(5);
        if (t.command.find_first_not_of(" \t") == std::string::npos) {
            *error = "exec: needs a command that speaks the remote protocol, as exec:COMMAND";
            return std::nullopt;
        }
        return t;
    }
    const std::string usage = "'" + spec + "': a remote bus is ssh:[user@]host[:port]/ADAPTER (ADAPTER as "
                                           "tallyport-cli adapters shows it on the board) or exec:COMMAND";
    if (spec.rfind("ssh:", 0) != 0) {
        *error = usage;
        return std::nullopt;
    }
    t.ssh = true;
    std::string rest = spec.substr(4);
    const std::size_t at = rest.find('@');
    const std::size_t slash0 = rest.find('/');
    if (at != std::string::npos && at < slash0) {
        t.user = rest.substr(0, at);
        rest = rest.substr(at + 1);
    }
    std::size_t hostEnd;
    if (!rest.empty() && rest[0] == '[') { // [IPv6]
        hostEnd = rest.find(']');
        if (hostEnd == std::string::npos) {
            *error = usage;
            return std::nullopt;
        }
        t.host = rest.substr(1, hostEnd - 1);
        ++hostEnd;
    } else {
        hostEnd = std::min(rest.find(':'), rest.find('/'));
        t.host = rest.substr(0, hostEnd);
    }
    std::string after = hostEnd == std::string::npos ? std::string() : rest.substr(hostEnd);
    if (!after.empty() && after[0] == ':') {
        const std::size_t slash = after.find('/');
        const std::string port = after.substr(1, slash == std::string::npos ? slash : slash - 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(port) < 1 || std::stoi(port) > 65535) {
            *error = "'" + spec + "': the port must be a number from 1 to 65535";
            return std::nullopt;
        }
        t.port = std::stoi(port);
        after = slash == std::string::npos ? std::string() : after.substr(slash);
    }
    if (after.size() < 2 || after[0] != '/') {
        *error = usage;
        return std::nullopt;
    }
    t.adapter = after.substr(1);
    if (t.adapter.rfind("dev/", 0) == 0)
        t.adapter = "/" + t.adapter;
    // ssh would take a leading '-' for an option; user and host never need one.
    if (t.host.empty() || t.host[0] == '-' || (!t.user.empty() && t.user[0] == '-') ||
        t.host.find_first_of(" \t'\"\\;") != std::string::npos) {
        *error = usage;
        return std::nullopt;
    }
    return t;
}

std::string RemoteTarget::hostText() const
{
    if (!ssh)
        return command;
    std::string h = user.empty() ? std::string() : user + "@";
    h += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port)
        h += ":" + std::to_string(port);
    return h;
}

std::string RemoteTarget::spec() const
{
    if (!ssh)
        return "exec:" + command;
    return "ssh:" + hostText() + (adapter[0] == '/' ? adapter : "/" + adapter);
}

std::vector<std::string> RemoteTarget::serveCommand() const
{
    if (!ssh)
        return {"/bin/sh", "-c", command};
    return sshCommand(*this, remoteProgram() + " serve --adapter " + shellQuoted(adapter));
}

std::vector<std::string> RemoteTarget::listCommand() const
{
    return sshCommand(*this, remoteProgram() + " adapters");
}

std::optional<std::string> listBoardAdapters(const RemoteTarget& host, std::string* error)
{
    std::string out;
    if (!runToEnd(host.listCommand(), static_cast<int>(RemoteAdapter::replyTimeoutUs() / 1000) * 3, &out, error))
        return std::nullopt;
    return out;
}

std::vector<std::pair<std::string, std::string>> parseAdapterList(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        const std::string id = line.substr(0, tab);
        if (id.empty() || id.find_first_of(" '\"") != std::string::npos)
            continue;
        std::string rest;
        if (tab != std::string::npos) { // the columns, their padding folded
            bool blank = true;
            for (char c : line.substr(tab + 1)) {
                const bool space = c == ' ' || c == '\t';
                if (!space)
                    rest += c;
                else if (!blank)
                    rest += ' ';
                blank = space;
            }
            while (!rest.empty() && rest.back() == ' ')
                rest.pop_back();
        }
        out.emplace_back(id, rest);
    }
    return out;
}

// ------------------------------------------------------------------ adapter

std::uint64_t RemoteAdapter::replyTimeoutUs()
{
    const char* v = std::getenv("TALLYPORT_REMOTE_TIMEOUT");
    const double s = v && *v ? std::atof(v) : 0.0;
    return s > 0 ? static_cast<std::uint64_t>(s * 1e6) : 10'000'000;
}

RemoteAdapter::RemoteAdapter(RemoteTarget target) : m_target(std::move(target)) {}

RemoteAdapter::~RemoteAdapter() = default;

std::unique_ptr<RemoteAdapter> RemoteAdapter::open(const RemoteTarget& target, std::string* error)
{
    std::unique_ptr<RemoteAdapter> a(new RemoteAdapter(target));
    if (!a->connect(error))
        return nullptr;
    return a;
}

bool RemoteAdapter::reconnect(std::string* error)
{
    m_process.stop();
    return connect(error);
}

bool RemoteAdapter::connect(std::string* error)
{
    m_problem.clear();
    m_reader = FrameReader();
    m_requests = 0;
    std::string why;
    if (!m_process.start(m_target.serveCommand(), &why)) {
        m_problem = why;
        *error = why;
        return false;
    }
    const auto failed = [&](const std::string& text) {
        if (m_problem.empty())
            lose(text);
        *error = "Cannot reach the bus " + m_target.spec() + ": " + m_problem;
        return false;
    };
    Request hello;
    hello.program = TALLYPORT_VERSION;
    // ssh may take its time to log in.
    const std::optional<Reply> greeting = ask(hello, 2 * replyTimeoutUs());
    if (!greeting)
        return failed("");
    if (greeting->version != kVersion) {
        lose(versionMismatchText(greeting->version, greeting->program));
        *error = m_problem;
        return false;
    }
    if (!greeting->accepted) {
        lose(greeting->message);
        *error = m_problem;
        return false;
    }
    m_boardProgram = greeting->program;
    Request q;
    q.kind = Kind::Functionality;
    const std::optional<Reply> facts = ask(q);
    q.kind = Kind::Name;
    const std::optional<Reply> name = facts ? ask(q) : std::nullopt;
    q.kind = Kind::Claimed;
    const std::optional<Reply> claimed = name ? ask(q) : std::nullopt;
    if (!claimed)
        return failed("");
    m_facts = facts->facts;
    m_boardName = name->name;
    m_boardDevice = name->device;
    m_claimed.clear();
    for (const auto& [address, driver] : claimed->claimed)
        m_claimed[static_cast<std::uint8_t>(address << 1)] = driver;
    return true;
}

void RemoteAdapter::lose(const std::string& why)
{
    m_problem = why;
    m_process.stop();
    const std::string said = m_process.errorText();
    if (!said.empty() && why.find(said) == std::string::npos)
        m_problem += " (" + said + ")";
}

std::optional<Reply> RemoteAdapter::ask(const Request& request, std::uint64_t extraUs)
{
    if (!m_problem.empty())
        return std::nullopt;
    const std::uint64_t deadline = monotonicUs() + replyTimeoutUs() + extraUs;
    const std::string who = m_target.ssh ? m_target.hostText() : std::string("the board");
    if (!m_process.send(frame(encode(request)), deadline)) {
        lose("the connection to " + who + " ended");
        return std::nullopt;
    }
    ++m_requests;
    try {
        for (;;) {
            if (auto body = m_reader.next()) {
                Reply reply = decodeReply(*body);
                if (reply.kind == kFailure) {
                    lose("the board gave up: " + reply.message);
                    return std::nullopt;
                }
                if (request.kind == Kind::Hello && reply.version != kVersion)
                    return reply; // the rest is another version's business
                const std::string wrong = mismatch(request, reply);
                if (!wrong.empty()) {
                    lose("the board's reply is garbled (" + wrong + ")");
                    return std::nullopt;
                }
                return reply;
            }
            bool timedOut = false;
            const std::vector<std::uint8_t> bytes = m_process.receive(deadline, &timedOut);
            if (timedOut) {
                lose(who + " did not answer within " +
                     std::to_string((replyTimeoutUs() + extraUs + 999999) / 1000000) + " s");
                return std::nullopt;
            }
            if (bytes.empty()) {
                lose("the connection to " + who + " ended");
                return std::nullopt;
            }
            m_reader.feed(bytes);
        }
    } catch (const ProtocolError& e) {
        lose(std::string("the board's reply is garbled (") + e.what() + ")");
        return std::nullopt;
    }
}

std::size_t RemoteAdapter::maxTransferLength() const
{
    return std::max<std::size_t>(1, m_facts.maxTransferLength);
}

std::string RemoteAdapter::name() const
{
    return m_target.ssh ? m_target.hostText() + ": " + m_boardName : "exec: " + m_boardName;
}

std::uint64_t RemoteAdapter::nowUs() const
{
    return monotonicUs();
}

void RemoteAdapter::elapse(std::uint64_t us)
{
    // A real board's time passed with ours; a served bench keeps its own clock.
    if (!m_facts.simulated || !m_problem.empty())
        return;
    Request r;
    r.kind = Kind::Wait;
    r.waitUs = static_cast<std::uint32_t>(std::min<std::uint64_t>(us, 0xFFFFFFFF));
    ask(r, us);
}

void RemoteAdapter::expectChip(std::string_view type, std::uint8_t address)
{
    if (!m_facts.simulated || !m_problem.empty())
        return;
    Request r;
    r.kind = Kind::ExpectChip;
    r.address = address;
    r.chipType = std::string(type);
    ask(r);
}

bool RemoteAdapter::approved(std::span<I2cMessage> messages, bool* confirmed)
{
    // The board asks nothing itself: it writes what the user confirmed here.
    *confirmed = !m_writeGuard.asks() || m_facts.pcSmbus;
    for (const I2cMessage& m : messages)
        *confirmed = *confirmed || (!m.read && m_claimed.count(m.address & 0xFE));
    if (onlyReads(messages))
        return true;
    std::string refusal;
    const bool ok = m_writeGuard.allow(
        messages,
        [this](std::uint8_t address) {
            const auto claim = m_claimed.find(address);
            return claim == m_claimed.end() ? std::string() : claim->second;
        },
        m_facts.pcSmbus, name(), name(), &refusal);
    if (!ok)
        refuse(refusal);
    return ok;
}

Status RemoteAdapter::doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    if (!m_problem.empty())
        return status::HardwareNotDetected;
    bool confirmed = false;
    if (!approved(messages, &confirmed))
        return status::Refused;
    Request r;
    r.kind = m_pollAsk ? Kind::TransactionPoll : Kind::Transaction;
    r.writesConfirmed = confirmed;
    r.readingOnly = onlyReads(messages);
    if (messages.size() > kMaxMessages)
        return refuse("Not sent: a remote transaction carries at most " + std::to_string(kMaxMessages) + " messages");
    r.messages.assign(messages.begin(), messages.end());
    std::uint64_t extra = 0;
    if (m_pollAsk) {
        r.pollAddress = m_pollAsk->address;
        r.pollLimitUs = m_pollAsk->limitUs;
        r.pollIntervalUs = m_pollAsk->intervalUs;
        extra = m_pollAsk->limitUs;
    }
    std::optional<Reply> reply = ask(r, extra);
    if (!reply)
        return status::HardwareNotDetected;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        completed[i] = reply->completed[i] == Reply::kNotReached ? static_cast<std::size_t>(-1)
                                                                  : std::size_t(reply->completed[i]);
        if (messages[i].read)
            messages[i].data = std::move(reply->data[i]);
    }
    if (reply->status == status::HardwareNotDetected) { // perhaps the board's adapter went away
        Request q;
        q.kind = Kind::Functionality;
        if (const std::optional<Reply> facts = ask(q))
            m_facts = facts->facts;
    }
    const Status st = reply->status;
    if (st == status::Refused)
        refuse(reply->refusal);
    if (m_pollAsk)
        m_pollReply = std::move(reply);
    return st;
}

Status RemoteAdapter::transferThenAwait(std::span<I2cMessage> messages, std::uint8_t pollAddress,
                                        std::uint64_t limitUs, std::uint64_t intervalUs, bool* timedOut)
{
    if (timedOut)
        *timedOut = false;
    m_pollAsk = PollAsk{static_cast<std::uint8_t>(pollAddress & 0xFE),
                        static_cast<std::uint32_t>(std::min<std::uint64_t>(limitUs, 0xFFFFFFFF)),
                        static_cast<std::uint32_t>(std::min<std::uint64_t>(intervalUs, 0xFFFFFFFF))};
    m_pollReply.reset();
    const Status st = transfer(messages);
    m_pollAsk.reset();
    std::optional<Reply> reply = std::move(m_pollReply);
    m_pollReply.reset();
    if (st != status::Success || !reply)
        return st;
    // The board's polls, in our log at our time of day.
    const std::uint64_t now = nowUs();
    const std::uint64_t wall = monotonicUs();
    for (const PollRecord& p : reply->polls) {
        BusLogEntry e;
        const std::uint64_t ago = reply->endUs - std::min(reply->endUs, p.timeUs);
        e.busUs = now - std::min(now, ago);
        e.timeUs = wall - std::min(wall, ago);
        e.transaction = log().nextTransaction();
        e.address = p.address & 0xFE;
        e.read = p.read;
        e.bytes = p.bytes;
        e.length = p.read ? std::max<std::size_t>(1, p.bytes.size()) : 0;
        e.status = p.status;
        if (p.status != status::Success)
            e.failedAt = p.status == status::AddressNack && p.bytes.empty() ? FailedAt::Address : FailedAt::Transaction;
        log().add(e);
    }
    if (timedOut)
        *timedOut = reply->timedOut;
    return reply->pollStatus;
}

} // namespace tp::remote
