#pragma once
#include "gui/memory/MemoryGridModel.h"

#include <QTableView>

// A grid over a memory image with fixed row and column sizes (so 4096 rows
// cost nothing to lay out). The hex grid edits cells through a two-character
// editor; the ASCII grid takes typed characters straight into the image.
class MemoryGridView : public QTableView {
    Q_OBJECT
public:
    MemoryGridView(MemoryGridModel* model, MemoryGridModel* twin, tp::MemoryImage& image,
                   QWidget* parent = nullptr);

    MemoryGridModel* gridModel() const { return m_model; }
    // Small windows: return in a cell editor moves on to the next cell.
    void setReturnAdvances(bool on) { m_returnAdvances = on; }
    bool returnAdvances() const { return m_returnAdvances; }
    // Width that shows all 16 columns and the row labels without scrolling.
    int naturalWidth() const;
    // Moves the current cell to an address and scrolls it into view.
    void goToAddress(std::size_t address);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MemoryGridModel* m_model;
    MemoryGridModel* m_twin;
    tp::MemoryImage& m_image;
    bool m_returnAdvances = false;
};
