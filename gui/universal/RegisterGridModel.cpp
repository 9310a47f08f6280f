#include "gui/universal/RegisterGridModel.h"

#include <QBrush>
#include <QColor>

using tp::userdev::Shade;

RegisterGridModel::RegisterGridModel(tp::userdev::UserDevice& device, QObject* parent)
    : QAbstractTableModel(parent), m_device(device), m_rows(device.rowCount())
{
}

int RegisterGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RegisterGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : tp::userdev::kColumns;
}

QVariant RegisterGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int reg = registerOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(m_device.valueText(reg));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case Qt::BackgroundRole:
        if (!m_device.isDefined(reg)) {
            if (m_device.undefinedShade() == Shade::Blue)
                return QBrush(QColor(0x9C, 0xBC, 0xEC));
            if (m_device.undefinedShade() == Shade::Grey)
                return QBrush(QColor(0xC0, 0xC0, 0xC0));
        }
        return {};
    case Qt::ToolTipRole:
        return QString::fromStdString(m_device.panelText(reg));
    default:
        return {};
    }
}

bool RegisterGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int reg = registerOf(index);
    if (!m_device.isDefined(reg))
        return false;
    const std::string before = m_device.valueText(reg);
    m_device.setValueText(reg, value.toString().toStdString());
    if (m_device.valueText(reg) != before) {
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        emit valueChanged(reg);
    }
    return true;
}

Qt::ItemFlags RegisterGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_device.isDefined(registerOf(index)))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RegisterGridModel::headerData(int section, Qt::Orientation, int role) const
{
    if (role == Qt::DisplayRole)
        return QString::number(section, 16).toUpper();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void RegisterGridModel::reload()
{
    const int rows = m_device.rowCount();
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    emit dataChanged(index(0, 0), index(m_rows - 1, tp::userdev::kColumns - 1));
}

void RegisterGridModel::registerChanged(int reg)
{
    const QModelIndex i = indexOf(reg);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    emit valueChanged(reg);
}
