#include "gui/bus/BusLogModel.h"
#include "core/common/HexText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <iterator>

using namespace tp;

BusLogModel::BusLogModel(QObject* parent) : QAbstractTableModel(parent) {}

void BusLogModel::attach(const BusLog* log)
{
    if (log == m_log && (!log || log->id() == m_logId))
        return;
    m_log = log;
    m_logId = log ? log->id() : 0;
    rebuild();
}

void BusLogModel::rebuild()
{
    beginResetModel();
    m_cachedNumber.reset();
    m_rows.clear();
    m_runs.clear();
    m_count = 0;
    m_base = m_next = m_log ? m_log->firstNumber() : 0;
    m_listing = filtered() || (m_fold && m_log && m_log->pollsFrom(m_next));
    if (m_log) {
        // Rows for what the log holds now, filtered or not.
        const std::uint64_t end = m_log->endNumber();
        if (listed()) {
            m_rows = collect(m_next, end);
        } else {
            m_count = static_cast<int>(end - m_base);
        }
        m_next = end;
    }
    endResetModel();
}

void BusLogModel::refresh()
{
    if (!m_log)
        return;
    // The first poll to fold: from now on the rows are listed.
    if (!m_paused && !listed() && m_fold && m_log->pollsFrom(m_next)) {
        rebuild();
        return;
    }
    if (!m_paused && !listed())
        moveOn();
    dropGone();
    if (!m_paused)
        takeNew();
}

void BusLogModel::moveOn()
{
    // A full ring loses as many old messages as it gains new ones: the rows
    // stay and each shows a later message. Removing rows at the top and
    // inserting them at the bottom would cost the view time in proportion
    // to all its rows, a million of them.
    const std::uint64_t first = m_log->firstNumber();
    if (m_count == 0 || first <= m_base || m_next != m_base + static_cast<std::uint64_t>(m_count))
        return;
    const std::uint64_t gone = std::min<std::uint64_t>(first - m_base, std::uint64_t(m_count));
    const std::uint64_t k = std::min(gone, m_log->endNumber() - m_next);
    if (k == 0)
        return;
    m_base += k;
    m_next += k;
    emit dataChanged(index(0, 0), index(m_count - 1, buslog::ColumnCount - 1));
}

void BusLogModel::dropGone()
{
    const std::uint64_t first = m_log->firstNumber();
    if (listed()) {
        // A run whose first poll has gone goes whole: its row stood for it.
        std::uint64_t cut = first;
        while (!m_runs.empty() && m_runs.begin()->first < first) {
            cut = std::max(cut, m_runs.begin()->second.last + 1);
            m_runs.erase(m_runs.begin());
        }
        const auto keep = std::lower_bound(m_rows.begin(), m_rows.end(), cut);
        const int n = static_cast<int>(keep - m_rows.begin());
        if (n > 0) {
            beginRemoveRows({}, 0, n - 1);
            m_rows.erase(m_rows.begin(), keep);
            endRemoveRows();
        }
    } else if (first > m_base) {
        const int n = static_cast<int>(std::min<std::uint64_t>(first - m_base, std::uint64_t(m_count)));
        if (n > 0) {
            beginRemoveRows({}, 0, n - 1);
            m_count -= n;
            endRemoveRows();
        }
        m_base = first;
    }
    // Gone before they were looked at (the log ran over while paused).
    m_next = std::max(m_next, first);
    if (!listed() && m_count == 0)
        m_base = m_next;
}

bool BusLogModel::passes(std::uint64_t number) const
{
    return !filtered() || (m_filter.matchesQuickly(*m_log, number) &&
                           (m_filter.text.empty() || m_filter.matches(m_log->entry(number))));
}

std::vector<std::uint64_t> BusLogModel::collect(std::uint64_t from, std::uint64_t end)
{
    std::vector<std::uint64_t> fresh;
    std::optional<std::uint64_t> grown;
    const BusLog::Glance g = m_log->glance(from, end);
    const bool everything = !filtered();
    // Runs are keyed by their first poll, so the newest is the last.
    auto newest = m_runs.empty() ? m_runs.end() : std::prev(m_runs.end());
    for (std::uint64_t n = g.first; n < g.first + g.entries.size(); ++n) {
        if (!everything && !passes(n))
            continue;
        const BusLog::Glance::Entry& e = g.entries[static_cast<std::size_t>(n - g.first)];
        if (m_fold && e.poll) {
            // The run goes on while nothing else came between, to the same chip.
            if (newest != m_runs.end()) {
                auto& [head, run] = *newest;
                if (run.last + 1 == n && head >= g.held && run.address == e.address) {
                    run.last = n;
                    ++run.count;
                    if (run.open)
                        fresh.push_back(n);
                    else
                        grown = head;
                    continue;
                }
            }
            newest = m_runs.emplace_hint(m_runs.end(), n, Run{n, 1, false, e.address});
        }
        fresh.push_back(n);
    }
    // A run shown before that grew now: its summary changes.
    if (grown && !m_rows.empty()) {
        const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), *grown);
        if (at != m_rows.end() && *at == *grown) {
            const int row = static_cast<int>(at - m_rows.begin());
            emit dataChanged(index(row, 0), index(row, buslog::ColumnCount - 1));
        }
    }
    return fresh;
}

void BusLogModel::setFoldPolls(bool fold)
{
    if (fold == m_fold)
        return;
    m_fold = fold;
    rebuild();
}

bool BusLogModel::isRunRow(int row) const
{
    if (!m_fold || row < 0 || row >= static_cast<int>(m_rows.size()))
        return false;
    const std::uint64_t n = m_rows[static_cast<std::size_t>(row)];
    return m_runs.count(n) && (row == 0 || m_rows[static_cast<std::size_t>(row) - 1] != n);
}

bool BusLogModel::isRunOpen(int row) const
{
    return isRunRow(row) && m_runs.at(m_rows[static_cast<std::size_t>(row)]).open;
}

void BusLogModel::toggleRun(int row)
{
    if (!isRunRow(row))
        return;
    Run& run = m_runs.at(m_rows[static_cast<std::size_t>(row)]);
    const std::uint64_t head = m_rows[static_cast<std::size_t>(row)];
    const auto at = m_rows.begin() + row + 1;
    // Only what the log still holds and the filter lets through.
    std::vector<std::uint64_t> polls;
    for (std::uint64_t n = head; n <= run.last; ++n)
        if (m_log->holds(n) && passes(n))
            polls.push_back(n);
    if (run.open) {
        const int n = static_cast<int>(std::min<std::size_t>(polls.size(), static_cast<std::size_t>(m_rows.end() - at)));
        if (n > 0) {
            beginRemoveRows({}, row + 1, row + n);
            m_rows.erase(at, at + n);
            endRemoveRows();
        }
    } else if (!polls.empty()) {
        beginInsertRows({}, row + 1, row + static_cast<int>(polls.size()));
        m_rows.insert(at, polls.begin(), polls.end());
        endInsertRows();
    }
    run.open = !run.open;
    emit dataChanged(index(row, 0), index(row, buslog::ColumnCount - 1));
}

QString BusLogModel::runText(std::uint64_t first) const
{
    const Run& run = m_runs.at(first);
    const std::uint64_t us =
        m_log->holds(run.last) ? m_log->entry(run.last).busUs - cached(first).busUs : 0;
    const QString times = run.count == 1 ? tr("once") : tr("%1 times").arg(run.count);
    return tr("polled %1, %2 ms").arg(times, QString::number(double(us) / 1000.0, 'f', 1));
}

void BusLogModel::takeNew()
{
    const std::uint64_t end = m_log->endNumber();
    if (m_next >= end)
        return;
    if (!listed()) {
        const int n = static_cast<int>(end - m_next);
        beginInsertRows({}, m_count, m_count + n - 1);
        m_count += n;
        endInsertRows();
        m_next = end;
        return;
    }
    const std::vector<std::uint64_t> fresh = collect(m_next, end);
    m_next = end;
    if (fresh.empty())
        return;
    const int at = static_cast<int>(m_rows.size());
    beginInsertRows({}, at, at + static_cast<int>(fresh.size()) - 1);
    m_rows.insert(m_rows.end(), fresh.begin(), fresh.end());
    endInsertRows();
}

void BusLogModel::setFilter(const buslog::Filter& filter)
{
    m_filter = filter;
    rebuild();
}

void BusLogModel::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        refresh();
}

std::uint64_t BusLogModel::numberAt(int row) const
{
    return listed() ? m_rows[static_cast<std::size_t>(row)] : m_base + static_cast<std::uint64_t>(row);
}

std::vector<BusLogEntry> BusLogModel::shownEntries() const
{
    std::vector<BusLogEntry> out;
    if (!m_log)
        return out;
    const int rows = rowCount();
    out.reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        const std::uint64_t n = numberAt(r);
        if (isRunRow(r)) {
            // An open run's polls follow in rows of their own.
            if (!isRunOpen(r))
                for (std::uint64_t p = n; p <= m_runs.at(n).last; ++p)
                    if (m_log->holds(p) && passes(p))
                        out.push_back(m_log->entry(p));
            continue;
        }
        if (m_log->holds(n))
            out.push_back(m_log->entry(n));
    }
    return out;
}

int BusLogModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return listed() ? static_cast<int>(m_rows.size()) : m_count;
}

int BusLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : buslog::ColumnCount;
}

const BusLogEntry& BusLogModel::cached(std::uint64_t number) const
{
    if (m_cachedNumber != number) {
        m_cached = m_log->entry(number);
        m_cachedNumber = number;
    }
    return m_cached;
}

namespace {

QString shortData(const BusLogEntry& e)
{
    if (e.isNote())
        return QString::fromStdString(e.note);
    QString s;
    const std::size_t shown = std::min(e.bytes.size(), BusLogModel::kShownBytes);
    s.reserve(static_cast<int>(shown * 3 + 24));
    for (std::size_t i = 0; i < shown; ++i) {
        if (i)
            s += QLatin1Char(' ');
        s += QString::fromStdString(byteText(e.bytes[i]));
    }
    if (e.bytes.size() > shown)
        s += QStringLiteral(" \u2026 (%1 bytes)").arg(e.bytes.size());
    return s;
}

} // namespace

QVariant BusLogModel::data(const QModelIndex& index, int role) const
{
    if (!m_log || !index.isValid() || index.row() >= rowCount())
        return {};
    const std::uint64_t number = numberAt(index.row());
    if (!m_log->holds(number))
        return {};
    const auto column = static_cast<buslog::Column>(index.column());
    const bool runRow = isRunRow(index.row());
    const bool poll = !runRow && m_log->isPoll(number);
    switch (role) {
    case Qt::DisplayRole: {
        const BusLogEntry& e = cached(number);
        if (runRow) {
            const Run& run = m_runs.at(number);
            switch (column) {
            case buslog::Data:
                return (run.open ? QStringLiteral("\u25BE ") : QStringLiteral("\u25B8 ")) + runText(number);
            case buslog::Length:
                return {};
            case buslog::Nack:
                return tr("polls");
            case buslog::StatusText:
                // Whether the chip came back in the end.
                return m_log->holds(run.last) ? QString::fromStdString(buslog::statusText(m_log->statusOf(run.last)))
                                              : QString();
            default:
                return QString::fromStdString(buslog::cellText(e, column));
            }
        }
        if (column == buslog::Data)
            return shortData(e);
        return QString::fromStdString(buslog::cellText(e, column));
    }
    case Qt::ToolTipRole: {
        if (runRow)
            return isRunOpen(index.row()) ? tr("Acknowledge polls while the chip finished writing; double-click to fold them")
                                          : tr("Acknowledge polls while the chip finished writing; double-click to show each");
        const BusLogEntry& e = cached(number);
        if (column == buslog::Data && e.bytes.size() > kShownBytes)
            return tr("%1 bytes; the exports hold them all").arg(e.bytes.size());
        if (e.isNote())
            return QString::fromStdString(e.note);
        return {};
    }
    case Qt::BackgroundRole: {
        if (m_log->isNote(number))
            return QBrush(QColor(250, 248, 232));
        const BusLogEntry& e = cached(number);
        // A chip busy writing is expected not to answer a poll: no alarm.
        if ((runRow || poll) && (e.status == 0 || buslog::expectedNack(e)))
            return QBrush(QColor(238, 238, 242));
        if (e.failedAt != FailedAt::Nowhere)
            return QBrush(QColor(255, 196, 196));
        if (e.status != 0)
            return QBrush(QColor(255, 232, 232));
        // Alternate shades mark where one transaction ends and the next begins.
        return QBrush(e.transaction % 2 ? QColor(236, 242, 250) : QColor(255, 255, 255));
    }
    case Qt::ForegroundRole:
        if (m_log->isNote(number) || ((runRow || poll) && (m_log->statusOf(number) == 0 ||
                                                            m_log->statusOf(number) == status::AddressNack)))
            return QBrush(QColor(110, 110, 110));
        if (m_log->statusOf(number) != 0)
            return QBrush(QColor(150, 0, 0));
        return {};
    case Qt::FontRole: {
        const bool note = m_log->isNote(number);
        const bool failedHere = !note && cached(number).failedAt != FailedAt::Nowhere && !buslog::expectedNack(cached(number));
        if (!note && !failedHere && !runRow && !poll)
            return {};
        QFont f;
        f.setItalic(note || runRow || poll);
        f.setBold(failedHere);
        return f;
    }
    case Qt::TextAlignmentRole:
        if (column == buslog::Data || column == buslog::StatusText || column == buslog::Nack)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignCenter);
    default:
        return {};
    }
}

QVariant BusLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromUtf8(buslog::columnTitle(static_cast<buslog::Column>(section)));
}
