#include "gui/bus/BenchTableModel.h"
#include "core/common/HexText.h"

#include <QFont>

using tp::sim::BenchBoard;

void BenchTableModel::setRows(std::vector<BenchBoard::Row> rows)
{
    bool sameChips = rows.size() == m_rows.size();
    for (std::size_t i = 0; sameChips && i < rows.size(); ++i)
        sameChips = rows[i].chip == m_rows[i].chip;
    if (!sameChips) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    m_rows = std::move(rows);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

const BenchBoard::Row* BenchTableModel::row(int r) const
{
    return r >= 0 && r < rowCount() ? &m_rows[static_cast<std::size_t>(r)] : nullptr;
}

int BenchTableModel::rowOf(const tp::sim::ChipModel* chip) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].chip.get() == chip)
            return static_cast<int>(i);
    return -1;
}

int BenchTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BenchTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BenchTableModel::data(const QModelIndex& index, int role) const
{
    const BenchBoard::Row* r = row(index.row());
    if (!r)
        return {};
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Address8:
            return QStringLiteral("0x") + QString::fromStdString(tp::intToHex(r->address, 2));
        case Address7:
            return QStringLiteral("0x") + QString::fromStdString(tp::intToHex(r->address >> 1, 2));
        case Chip:
            return QString::fromStdString(r->type) + (r->placedByBench ? tr(" (for a window)") : QString());
        case Where:
            return QString::fromStdString(r->where);
        case State:
            return QString::fromStdString(r->state);
        case Faults:
            return QString::fromStdString(r->faults);
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole && index.column() == Chip)
        return r->placedByBench ? tr("Placed by the bench when a window looked for it") : tr("Placed by you");
    if (role == Qt::FontRole && r->setAside) {
        QFont f;
        f.setItalic(true);
        return f;
    }
    return {};
}

QVariant BenchTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Address8:
        return tr("Address");
    case Address7:
        return tr("7-bit");
    case Chip:
        return tr("Chip");
    case Where:
        return tr("Where");
    case State:
        return tr("State");
    case Faults:
        return tr("Armed faults");
    default:
        return {};
    }
}
