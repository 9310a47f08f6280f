#include "core/universal/MessageSender.h"
#include "core/universal/DecimalText.h"
#include "core/universal/MessageBytes.h"
#include "core/universal/MessageTable.h"
#include "core/universal/SequenceText.h"

#include <algorithm>

namespace tp::expert {

bool MessageSender::hasData(int row) const
{
    return row >= 0 && row < m_table.rowCount() && !m_table.cell(row, MessageTable::Data).empty();
}

bool MessageSender::endsTransaction(int row) const
{
    // Read as the editor reads it: only a text other than "Yes" holds the bus.
    const std::string& stop = m_table.cell(row, MessageTable::Stop);
    return stop.empty() || stop == "Yes";
}

void MessageSender::add(int row)
{
    m_pending.push_back({row, messageOfRow(m_table, row)});
}

Status MessageSender::flush()
{
    if (m_pending.empty())
        return status::Success;
    std::vector<I2cMessage> messages;
    messages.reserve(m_pending.size());
    for (Pending& p : m_pending)
        messages.push_back(p.message);
    const Status st = m_host.transfer(messages);
    m_sent += static_cast<int>(messages.size());
    m_host.showStatus(st);
    std::vector<Pending> done;
    done.swap(m_pending);
    for (std::size_t i = 0; i < done.size(); ++i)
        m_host.messageSent(done[i].row, messages[i], st);
    if (st != status::Success)
        return st;

    bool read = false;
    for (std::size_t i = 0; i < done.size(); ++i) {
        if (messages[i].read) {
            m_table.setCell(done[i].row, MessageTable::Data, dataText(messages[i].data));
            read = true;
        }
    }
    if (read)
        m_host.tableChanged();
    for (const Pending& p : done) {
        // A negative delay waits nothing rather than for ever.
        const int ms = decimalToInt(m_table.cell(p.row, MessageTable::Delay));
        m_host.waitUs(static_cast<std::uint64_t>(std::max(ms, 0)) * 1000u);
    }
    return status::Success;
}

bool MessageSender::stops(Status st)
{
    if (st == status::Success)
        return false;
    if (m_firstFailure == status::Success)
        m_firstFailure = st;
    return !m_keepGoing;
}

std::optional<Status> MessageSender::sendMessage(int row)
{
    m_sent = 0;
    m_pending.clear();
    if (m_table.cell(row, MessageTable::Address).empty())
        return std::nullopt;
    I2cMessage m = messageOfRow(m_table, row);
    const Status st = m_host.transfer(std::span<I2cMessage>(&m, 1));
    m_sent = 1;
    m_host.messageSent(row, m, st);
    m_host.showStatus(st);
    if (st == status::Success && m.read) {
        m_table.setCell(row, MessageTable::Data, dataText(m.data));
        m_host.tableChanged();
    }
    return st;
}

Status MessageSender::sendAll()
{
    m_sent = 0;
    m_pending.clear();
    m_firstFailure = status::Success;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (!hasData(r))
            continue;
        m_host.showSending("Sending Msg# " + std::to_string(r + 1));
        add(r);
        if (endsTransaction(r)) {
            if (stops(flush()))
                return m_firstFailure;
            if (m_host.stopAsked()) {
                m_host.showSending("Stopped after Msg# " + std::to_string(r + 1));
                return m_firstFailure;
            }
        }
    }
    if (stops(flush()))
        return m_firstFailure;
    m_host.showSending("Done");
    return m_firstFailure;
}

Status MessageSender::sendSequence(std::string_view sequence)
{
    m_sent = 0;
    m_pending.clear();
    m_firstFailure = status::Success;
    const int n = SequenceText::count(sequence);
    for (int k = 0; k < n; ++k) {
        const int m = SequenceText::entry(sequence, k);
        const int r = m - 1;
        if (hasData(r)) {
            add(r);
            if (endsTransaction(r)) {
                if (stops(flush()))
                    return m_firstFailure;
                if (m_host.stopAsked()) {
                    m_host.showSending("Stopped after Msg # " + std::to_string(m));
                    return m_firstFailure;
                }
            }
        }
        m_host.showSending("Sending Msg # " + std::to_string(m));
    }
    stops(flush());
    return m_firstFailure;
}

} // namespace tp::expert
