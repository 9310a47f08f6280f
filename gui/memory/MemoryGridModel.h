#pragma once
#include "core/memory/MemoryImage.h"

#include <QAbstractTableModel>

// One of the two views of a memory image: the hex grid (cell texts) or the
// ASCII grid (one character per byte). Rows of 16 bytes; the row labels
// and the column labels "0".."F" come through the headers.
class MemoryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Mode { Hex, Ascii };

    MemoryGridModel(tp::MemoryImage& image, Mode mode, QObject* parent = nullptr);
    Mode mode() const { return m_mode; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static std::size_t addressOf(const QModelIndex& index) { return std::size_t(index.row()) * 16 + std::size_t(index.column()); }
    QModelIndex indexOf(std::size_t address) const { return index(int(address / 16), int(address % 16)); }

    // One notification for the rows an operation touched.
    void cellsChanged(tp::CellRange range);

signals:
    // The hex editor committed a cell (the ASCII grid is left as it was).
    void cellCommitted(std::size_t address);

private:
    tp::MemoryImage& m_image;
    Mode m_mode;
};
