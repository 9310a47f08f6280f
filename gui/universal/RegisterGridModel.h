#pragma once
#include "core/universal/UserDevice.h"

#include <QAbstractTableModel>

// The register grid of the user definable device: 16 registers a row, rows
// labelled with the high hex digit, columns "0".."F". Cells above
// MaxRegister are empty, take no edits and show the device's shade.
class RegisterGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RegisterGridModel(tp::userdev::UserDevice& device, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static int registerOf(const QModelIndex& index) { return index.row() * 16 + index.column(); }
    QModelIndex indexOf(int reg) const { return index(reg / 16, reg % 16); }

    // The device changed as a whole (rows, shade, every value); the
    // current cell stays where it was as far as the rows allow.
    void reload();
    // One register's value changed outside the grid.
    void registerChanged(int reg);

signals:
    // A register's value changed through the grid or registerChanged().
    void valueChanged(int reg);

private:
    tp::userdev::UserDevice& m_device;
    int m_rows;
};
