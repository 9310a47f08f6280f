#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/adapter/Clock.h"
#include "core/common/HexText.h"
#include "core/universal/DecimalText.h"
#include "core/universal/ExpertDataFile.h"
#include "core/universal/MessageBytes.h"
#include "core/universal/MessageSender.h"
#include "core/universal/MessageTable.h"
#include "core/universal/SequenceText.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace tp::cli {

namespace {

using expert::MessageTable;

// The expert window's part in a run, on a console: each message a line
// with the bytes it read, and the delays waited in real time (the bench's
// clock moves with them).
class ConsoleHost : public expert::SendHost {
public:
    ConsoleHost(Adapter& adapter, Session& session, Console& console)
        : m_adapter(adapter), m_session(session), m_console(console)
    {
    }

    Status transfer(std::span<I2cMessage> messages) override
    {
        if (interrupted())
            return status::Refused; // ends the run without sending anything more
        return m_adapter.transfer(messages);
    }
    void showStatus(Status) override {}
    void showSending(const std::string&) override {}
    void tableChanged() override {}
    void waitUs(std::uint64_t us) override
    {
        using namespace std::chrono;
        const auto end = steady_clock::now() + microseconds(us);
        // Sleep through the long part, spin the last bit: a sleep overshoots.
        while (!interrupted() && end - steady_clock::now() > milliseconds(2))
            std::this_thread::sleep_for(std::min<steady_clock::duration>(end - steady_clock::now() - milliseconds(1),
                                                                         milliseconds(50)));
        if (!interrupted())
            busyWaitUs(static_cast<std::uint64_t>(
                std::max<long long>(0, duration_cast<microseconds>(end - steady_clock::now()).count())));
        m_adapter.elapse(us);
    }
    void messageSent(int row, const I2cMessage& m, Status st) override
    {
        if (interrupted())
            return;
        std::string line = (row + 1 < 10 ? "0" : "") + std::to_string(row + 1) + "  0x" +
                           intToHex(m.address >> 1, 2) + (m.read ? "  Read   " : "  Write  ");
        line += m.read && st != status::Success ? std::string("--") : expert::dataText(m.data);
        if (st != status::Success) {
            line += "  " + m_session.failureText(st);
            if (!m_failedRow)
                m_failedRow = row;
        }
        m_console.out << line << '\n';
    }

    std::optional<int> failedRow() const { return m_failedRow; }
    void clearFailure() { m_failedRow.reset(); }

private:
    Adapter& m_adapter;
    Session& m_session;
    Console& m_console;
    std::optional<int> m_failedRow;
};

// The rows a run sends, in order.
std::vector<int> rowsToSend(const MessageTable& table, const std::optional<std::string>& sequence)
{
    std::vector<int> rows;
    const auto wanted = [&](int r) { return r >= 0 && r < table.rowCount() && !table.cell(r, MessageTable::Data).empty(); };
    if (!sequence) {
        for (int r = 0; r < table.rowCount(); ++r)
            if (wanted(r))
                rows.push_back(r);
        return rows;
    }
    for (int k = 0; k < expert::SequenceText::count(*sequence); ++k)
        if (const int r = expert::SequenceText::entry(*sequence, k) - 1; wanted(r))
            rows.push_back(r);
    return rows;
}

// A sequence that names no message of the file would send nothing and
// report success: refused with what it may name.
void checkSequence(const MessageTable& table, const std::string& sequence)
{
    int last = 0; // the highest message with data
    for (int r = 0; r < table.rowCount(); ++r)
        if (!table.cell(r, MessageTable::Data).empty())
            last = r + 1;
    std::string range = "01";
    if (last > 1)
        range += " to " + std::string(last < 10 ? "0" : "") + std::to_string(last);
    const std::string form = "two-digit message numbers " + range + ", separated by commas (03,01)";
    const int n = expert::SequenceText::count(sequence);
    if (n == 0)
        throw UsageError("--sequence is empty: give " + form);
    for (int k = 0; k < n; ++k) {
        const int entry = expert::SequenceText::entry(sequence, k);
        if (entry < 1 || entry > last)
            throw UsageError("--sequence " + sequence + ": the file has no message " +
                             expert::SequenceText::entryText(sequence, k) + ": give " + form);
    }
    if (rowsToSend(table, sequence).empty())
        throw UsageError("--sequence " + sequence + " names only messages without data: nothing would be sent");
}

// What the window finds only when it gets there: a bad address, byte or
// delay. A tool checks every row first, so a run never stops half-way on a
// typing error.
void checkRows(const MessageTable& table, const std::vector<int>& rows)
{
    for (int r : rows) {
        try {
            expert::messageOfRow(table, r);
            expert::decimalToInt(table.cell(r, MessageTable::Delay));
        } catch (const Error& e) {
            throw Error("message " + std::to_string(r + 1) + ": " + e.what());
        }
    }
}

} // namespace

int runCommand(Session& session, const RunOptions& o, Console& console)
{
    if (o.sequence && o.fileSequence)
        throw UsageError("--sequence and --file-sequence: give one of them");
    if (o.forever && o.repeat != 1)
        throw UsageError("--repeat and --forever: give one of them");
    if (o.repeat == 0)
        throw UsageError("--repeat 0: at least one pass");

    std::optional<expert::ExpertFileContent> content;
    try {
        content = expert::ExpertDataFile::load(o.file);
    } catch (const FileError& e) {
        throw FileError(o.file + ": " + e.what());
    }
    if (!content)
        throw FileError(o.file + ": " + statusText(status::InvalidTextFile));
    MessageTable table;
    std::string fileSequence;
    expert::ExpertDataFile::apply(*content, table, fileSequence);

    std::optional<std::string> sequence = o.sequence;
    if (o.fileSequence) {
        if (!content->sequence)
            throw UsageError(o.file + " has no sequence line");
        sequence = fileSequence;
    }
    if (sequence && sequence->size() > expert::ExpertDataFile::kMaxSequence)
        throw UsageError("a sequence holds at most " + std::to_string(expert::ExpertDataFile::kMaxSequence) +
                         " characters");
    if (sequence)
        checkSequence(table, *sequence);
    checkRows(table, rowsToSend(table, sequence));

    ConsoleHost host(session.adapter(), session, console);
    expert::MessageSender sender(table, host);
    sender.setKeepGoing(o.keepGoing);
    Status firstFailure = status::Success;
    std::optional<int> failedRow;
    unsigned pass = 0;
    while (o.forever || pass < o.repeat) {
        ++pass;
        if (o.forever || o.repeat > 1)
            console.out << "-- pass " << pass << '\n';
        host.clearFailure();
        const Status st = sequence ? sender.sendSequence(*sequence) : sender.sendAll();
        if (interrupted())
            break;
        if (st != status::Success && firstFailure == status::Success) {
            firstFailure = st;
            failedRow = host.failedRow();
        }
        if (st != status::Success && !o.keepGoing)
            break;
    }
    console.out.flush();
    if (interrupted()) {
        console.err << "tallyport-cli: run stopped in pass " << pass << "\n";
        return firstFailure != status::Success ? kBusFailure : o.forever ? kOk : kInterrupted;
    }
    if (firstFailure != status::Success) {
        console.err << "tallyport-cli: "
                    << (failedRow ? "message " + std::to_string(*failedRow + 1) + ": " : std::string())
                    << session.failureText(firstFailure) << "\n";
        return kBusFailure;
    }
    return kOk;
}

} // namespace tp::cli
