#include "gui/bus/BusLogModel.h"
#include "core/common/HexText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>

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
    m_count = 0;
    m_base = m_next = m_log ? m_log->firstNumber() : 0;
    if (m_log) {
        // Rows for what the log holds now, filtered or not.
        const std::uint64_t end = m_log->endNumber();
        if (filtered()) {
            for (std::uint64_t n = m_next; n < end; ++n)
                if (m_filter.matchesQuickly(*m_log, n) && (m_filter.text.empty() || m_filter.matches(m_log->entry(n))))
                    m_rows.push_back(n);
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
    if (!m_paused && !filtered())
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
    if (filtered()) {
        const auto keep = std::lower_bound(m_rows.begin(), m_rows.end(), first);
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
    if (!filtered() && m_count == 0)
        m_base = m_next;
}

void BusLogModel::takeNew()
{
    const std::uint64_t end = m_log->endNumber();
    if (m_next >= end)
        return;
    if (!filtered()) {
        const int n = static_cast<int>(end - m_next);
        beginInsertRows({}, m_count, m_count + n - 1);
        m_count += n;
        endInsertRows();
        m_next = end;
        return;
    }
    std::vector<std::uint64_t> fresh;
    for (std::uint64_t n = m_next; n < end; ++n)
        if (m_filter.matchesQuickly(*m_log, n) && (m_filter.text.empty() || m_filter.matches(m_log->entry(n))))
            fresh.push_back(n);
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
    return filtered() ? m_rows[static_cast<std::size_t>(row)] : m_base + static_cast<std::uint64_t>(row);
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
        if (m_log->holds(n))
            out.push_back(m_log->entry(n));
    }
    return out;
}

int BusLogModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return filtered() ? static_cast<int>(m_rows.size()) : m_count;
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
    switch (role) {
    case Qt::DisplayRole: {
        const BusLogEntry& e = cached(number);
        if (column == buslog::Data)
            return shortData(e);
        return QString::fromStdString(buslog::cellText(e, column));
    }
    case Qt::ToolTipRole: {
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
        if (e.failedAt != FailedAt::Nowhere)
            return QBrush(QColor(255, 196, 196));
        if (e.status != 0)
            return QBrush(QColor(255, 232, 232));
        // Alternate shades mark where one transaction ends and the next begins.
        return QBrush(e.transaction % 2 ? QColor(236, 242, 250) : QColor(255, 255, 255));
    }
    case Qt::ForegroundRole:
        if (m_log->isNote(number))
            return QBrush(QColor(110, 110, 110));
        if (m_log->statusOf(number) != 0)
            return QBrush(QColor(150, 0, 0));
        return {};
    case Qt::FontRole: {
        const bool note = m_log->isNote(number);
        const bool failedHere = !note && cached(number).failedAt != FailedAt::Nowhere;
        if (!note && !failedHere)
            return {};
        QFont f;
        f.setItalic(note);
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
