#include "gui/universal/DefinitionGridModel.h"
#include "core/common/HexText.h"

using namespace tp::userdev;

DefinitionGridModel::DefinitionGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_names.fill(kUndefinedRegister);
    m_values.fill("FF");
}

int DefinitionGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int DefinitionGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant DefinitionGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return QString::fromStdString(index.column() == Description ? m_names[row] : m_values[row]);
    if (role == Qt::TextAlignmentRole && index.column() == Value)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

bool DefinitionGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == Description)
        m_names[row] = value.toString().toStdString();
    else
        m_values[row] = completeValueText(value.toString().toStdString());
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags DefinitionGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

QVariant DefinitionGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::fromStdString(tp::intToHex(static_cast<std::uint64_t>(section), 2));
    return section == Description ? tr("Register Description") : tr("Value\n(Hex)");
}

void DefinitionGridModel::clear()
{
    beginResetModel();
    m_names.fill(kUndefinedRegister);
    m_values.fill("FF");
    endResetModel();
}

void DefinitionGridModel::load(const UserDevice& device)
{
    beginResetModel();
    for (int i = 0; i < kRegisterCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        m_names[k] = device.isDefined(i) ? device.registerName(i) : kUndefinedRegister;
        m_values[k] = device.isDefined(i) ? device.valueText(i) : "FF";
    }
    m_shown = device.registerCount();
    endResetModel();
}

void DefinitionGridModel::setShownRows(int count)
{
    count = std::clamp(count, 1, kRegisterCount);
    for (int i = m_shown; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (m_names[k].empty())
            m_names[k] = kUndefinedRegister;
        if (m_values[k].empty())
            m_values[k] = "FF";
    }
    if (count > m_shown) {
        beginInsertRows({}, m_shown, count - 1);
        m_shown = count;
        endInsertRows();
    } else if (count < m_shown) {
        beginRemoveRows({}, count, m_shown - 1);
        m_shown = count;
        endRemoveRows();
    }
}

void DefinitionGridModel::fillValues(const QString& value)
{
    m_values.fill(completeValueText(value.toStdString()));
    if (m_shown > 0)
        emit dataChanged(index(0, Value), index(m_shown - 1, Value));
}
