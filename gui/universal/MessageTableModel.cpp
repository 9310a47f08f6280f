#include "gui/universal/MessageTableModel.h"
#include "core/universal/MessageTable.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStringList>

using tp::expert::MessageTable;

MessageTableModel::MessageTableModel(MessageTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{
}

int MessageTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

int MessageTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : MessageTable::ColumnCount;
}

QVariant MessageTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(m_table.cell(index.row(), column));
    case Qt::TextAlignmentRole:
        if (column == MessageTable::Data || column == MessageTable::Notes)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ToolTipRole: {
        // The whole text of a cell too narrow for it.
        const QString text = QString::fromStdString(m_table.cell(index.row(), column));
        if (text.isEmpty())
            return {};
        if (column == MessageTable::Data) {
            // Sixteen bytes a line, so 129 of them stay on the screen.
            const QStringList bytes = text.split(QLatin1Char(','));
            QStringList lines;
            for (qsizetype at = 0; at < bytes.size(); at += 16)
                lines << bytes.mid(at, 16).join(QLatin1Char(','));
            return lines.join(QStringLiteral(",\n"));
        }
        if (column == MessageTable::Notes)
            return QStringLiteral("<qt>") + text.toHtmlEscaped() + QStringLiteral("</qt>"); // wrapped
        return {};
    }
    case Qt::BackgroundRole:
        if (column <= MessageTable::Start)
            return QGuiApplication::palette().button();
        return {};
    default:
        return {};
    }
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeaders[MessageTable::ColumnCount] = {"Msg #", "Start", "Address", "R/W",
                                                                    "Data",  "Stop?", "Delay",   "Notes"};
    if (orientation != Qt::Horizontal || section < 0 || section >= MessageTable::ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kHeaders[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

void MessageTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

void MessageTableModel::cellsChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}
