#pragma once
#include <QAbstractTableModel>

namespace tp::expert {
class MessageTable;
}

// The message table as the grid shows it: read-only cells, centred columns,
// the number and start columns painted as fixed columns.
class MessageTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    MessageTableModel(tp::expert::MessageTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The table changed shape (rows added or removed).
    void reload();
    // Cells changed in place.
    void cellsChanged();

private:
    tp::expert::MessageTable& m_table;
};
