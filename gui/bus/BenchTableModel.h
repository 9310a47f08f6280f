#pragma once
#include "core/sim/BenchBoard.h"

#include <QAbstractTableModel>

#include <vector>

// The chips of the bench as the bench window's table shows them.
class BenchTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Address8, Address7, Chip, Where, State, Faults, ColumnCount };

    explicit BenchTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Takes the rows anew; a table of the same chips only changes its texts,
    // so the view keeps its selection and scroll position.
    void setRows(std::vector<tp::sim::BenchBoard::Row> rows);
    const tp::sim::BenchBoard::Row* row(int r) const;
    // The row of a chip, or -1.
    int rowOf(const tp::sim::ChipModel* chip) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<tp::sim::BenchBoard::Row> m_rows;
};
