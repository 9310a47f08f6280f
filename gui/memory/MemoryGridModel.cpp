#include "gui/memory/MemoryGridModel.h"
#include "core/memory/GridLabels.h"
#include "gui/common/Guarded.h"

#include <QFont>

MemoryGridModel::MemoryGridModel(tp::MemoryImage& image, Mode mode, QObject* parent)
    : QAbstractTableModel(parent), m_image(image), m_mode(mode)
{
}

int MemoryGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_image.rows());
}

int MemoryGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 16;
}

QVariant MemoryGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const std::size_t a = addressOf(index);
    if (m_mode == Mode::Hex)
        return QString::fromStdString(m_image.cellText(a));
    return QString(QChar(static_cast<unsigned char>(m_image.asciiCell(a))));
}

bool MemoryGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || m_mode != Mode::Hex)
        return false;
    const std::size_t a = addressOf(index);
    // Entered from the view's editor, not from the program.
    if (!guard([&] { m_image.commitEdit(a, value.toString().toStdString()); }))
        return false;
    emit dataChanged(index, index);
    emit cellCommitted(a);
    return true;
}

Qt::ItemFlags MemoryGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_mode == Mode::Hex)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant MemoryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return QString::fromStdString(tp::GridLabels::columnLabel(std::size_t(section)));
    return QString::fromStdString(tp::GridLabels::rowLabel(std::size_t(section) + 1));
}

void MemoryGridModel::cellsChanged(tp::CellRange range)
{
    if (range.empty())
        return;
    emit dataChanged(index(int(range.first / 16), 0), index(int((range.last - 1) / 16), 15));
}
