#pragma once
#include "core/universal/UserDevice.h"

#include <QAbstractTableModel>

#include <array>
#include <string>

// The definition window's grid: one row per register ("00".."FF"), its
// description and its value. Rows beyond the shown count keep their texts,
// so a count made smaller and then larger again brings them back.
class DefinitionGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Description, Value };

    explicit DefinitionGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Every row "Undefined Register" and "FF".
    void clear();
    // Rows 0..count-1 from the device's registers; the rest cleared.
    void load(const tp::userdev::UserDevice& device);
    // Shows `count` rows (1..256); rows coming into view with an empty
    // description or value get "Undefined Register" or "FF".
    void setShownRows(int count);
    int shownRows() const { return m_shown; }
    // Every value cell, shown or not.
    void fillValues(const QString& value);

    std::string name(int row) const { return m_names[static_cast<std::size_t>(row)]; }
    std::string value(int row) const { return m_values[static_cast<std::size_t>(row)]; }

private:
    std::array<std::string, tp::userdev::kRegisterCount> m_names;
    std::array<std::string, tp::userdev::kRegisterCount> m_values;
    int m_shown = tp::userdev::kRegisterCount;
};
